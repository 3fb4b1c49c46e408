// CDIBitmapFile: a bitmap file (".bmp") loaded whole into memory and drawn on a device context,
// at its own size or stretched. Bitmap files come from anywhere: the loader accepts only what
// lies wholly inside the file, and shows what it refuses to the user.
#pragma once

#include "../bexdefs.h"

// Usage: construct with the file name and a flag; when the flag comes back 0 the user has seen
// why (a DllError box) and the object draws nothing.
//     int bOk;
//     CDIBitmapFile logo(strPath, &bOk);
//     if (bOk) logo.Draw(pDC, 10, 10);
// Accepted: the core header and info headers of 16 bytes and more; 1, 4, 8 and 24 bits per pixel,
// run-length 4 and 8 (up to 32 MiB when decoded), and 16 and 32 bits (with or without bit-field
// masks); bottom-up and top-down rows. Refused as invalid: anything else, and any file whose
// colour table or pixels would reach past its end. Colours go to the device as RGB values; no
// palette is realised.
class BEX_API CDIBitmapFile : public CObject
{
public:
    CDIBitmapFile(CString strFileName, int* pbSuccess);
    ~CDIBitmapFile() override;
    CDIBitmapFile(const CDIBitmapFile&) = delete;
    CDIBitmapFile& operator=(const CDIBitmapFile&) = delete;

    // The size in pixels (low 16 bits); 0 when nothing was loaded.
    unsigned short GetWidth() const;
    unsigned short GetHeight() const;

    // The whole bitmap at its own size, top left at (x, y) (SetDIBitsToDevice), with the
    // stretch mode COLORONCOLOR left set on the DC.
    void Draw(CDC* pDC, int x, int y);
    // The whole bitmap stretched into the rectangle (StretchDIBits, SRCCOPY), with the stretch
    // mode COLORONCOLOR, or HALFTONE for StretchHalftone, left set on the DC.
    void Stretch(CDC* pDC, int x, int y, int cx, int cy);
    void StretchHalftone(CDC* pDC, int x, int y, int cx, int cy);

private:
    // The locked block holding the file after its file header, or NULL (the user was told why).
    unsigned char* Read(CString strFileName);
    unsigned char* GetBitsAddr() const;
    static unsigned long GetInfoHeaderSize(const unsigned char* lpDIB);
    void StretchWithMode(CDC* pDC, int x, int y, int cx, int cy, int nMode);

    unsigned char* m_lpDIB;    // header, colour table and bits, as in the file; NULL when loading failed
    unsigned char* m_lpBits;   // the first byte of the pixel bits inside m_lpDIB
};
