// CDIBitmap: a device-dependent bitmap (a screen capture, say) written to a bitmap file (".bmp")
// with the bit count and compression the caller chooses.
#pragma once

#include "../bexdefs.h"

// Usage: the object takes over the bitmap's handle. Detach it from the CBitmap it was built from,
// so that it is deleted once, and do not use it after the CDIBitmap is gone:
//     CDIBitmap dib(bitmap);
//     bitmap.Detach();
//     int nResult = dib.Save("capture.bmp", 8, CDIBitmap::uncompressed, NULL);
// A palette given to Save passes to the object the same way; the next Save or the destructor
// deletes it. Without one, colours are read through the screen's system palette.
class BEX_API CDIBitmap
{
public:
    // The values of the format's compression field.
    enum compression { uncompressed = BI_RGB, rle8 = BI_RLE8, rle4 = BI_RLE4 };
    // Results of Save.
    enum { saveOk = 0, saveLockFailed = 3, saveWriteFailed = 4, saveNoDIB = 20 };

    explicit CDIBitmap(const CBitmap& bitmap);
    virtual ~CDIBitmap();
    CDIBitmap(const CDIBitmap&) = delete;
    CDIBitmap& operator=(const CDIBitmap&) = delete;

    // Converts the bitmap and writes the file. nBitCount (its low 16 bits) and eCompression
    // pair as 1 uncompressed; 4 uncompressed or rle4; 8 uncompressed or rle8; 24 uncompressed;
    // 0 rle8 or rle4 (8 or 4 bits). saveOk, or: saveNoDIB when no DIB could be made (any other
    // pair, no bitmap, no memory, the platform could not deliver the bits; no file is written);
    // saveWriteFailed when the file could not be created or written whole; saveLockFailed when
    // the DIB could not be locked (the file is left empty).
    int Save(const CString& strFileName, int nBitCount, compression eCompression, HPALETTE hPalette);

private:
    static HPALETTE CreateSystemPalette();
    HGLOBAL CreateDIB(WORD wBitCount, DWORD dwCompression) const;
    int WriteDIB(const CString& strFileName) const;

    HGLOBAL m_hDIB;         // packed DIB of the last Save: header, colour table, bits
    HPALETTE m_hPalette;    // the palette of the last Save
    HBITMAP m_hBitmap;      // the bitmap given to the constructor
};
