#include "DIBitmap.h"
#include "DibMath.h"

CDIBitmap::CDIBitmap(const CBitmap& bitmap)
    : m_hDIB(NULL), m_hPalette(NULL), m_hBitmap((HBITMAP)bitmap.GetSafeHandle())
{
}

CDIBitmap::~CDIBitmap()
{
    if (m_hBitmap != NULL)
        ::DeleteObject(m_hBitmap);
    if (m_hPalette != NULL)
        ::DeleteObject(m_hPalette);
    if (m_hDIB != NULL)
        ::GlobalFree(m_hDIB);
}

int CDIBitmap::Save(const CString& strFileName, int nBitCount, compression eCompression, HPALETTE hPalette)
{
    // A caller may hand back the palette held from the last Save: that one must live on.
    if (m_hPalette != NULL && m_hPalette != hPalette)
        ::DeleteObject(m_hPalette);
    m_hPalette = hPalette != NULL ? hPalette : CreateSystemPalette();

    if (m_hDIB != NULL)
        ::GlobalFree(m_hDIB);
    m_hDIB = NULL;
    WORD wBitCount = (WORD)nBitCount;
    switch (wBitCount) {
    case 0:
        if (eCompression == rle8 || eCompression == rle4)
            m_hDIB = CreateDIB(eCompression == rle8 ? 8 : 4, eCompression);
        break;
    case 1:
    case 24:
        if (eCompression == uncompressed)
            m_hDIB = CreateDIB(wBitCount, eCompression);
        break;
    case 4:
        if (eCompression == uncompressed || eCompression == rle4)
            m_hDIB = CreateDIB(wBitCount, eCompression);
        break;
    case 8:
        if (eCompression == uncompressed || eCompression == rle8)
            m_hDIB = CreateDIB(wBitCount, eCompression);
        break;
    }
    return WriteDIB(strFileName);
}

HPALETTE CDIBitmap::CreateSystemPalette()
{
    HDC hDC = ::GetDC(NULL);
    if (hDC == NULL)
        return NULL;
    HPALETTE hPalette = NULL;
    // Only a palette device has a system palette, of at most 256 entries; above 8 bits per pixel
    // the colours are read as they are.
    int nBits = ::GetDeviceCaps(hDC, BITSPIXEL) * ::GetDeviceCaps(hDC, PLANES);
    if (nBits >= 1 && nBits <= 8) {
        UINT nEntries = 1u << nBits;
        LOGPALETTE* pLogPal = (LOGPALETTE*)malloc(sizeof(LOGPALETTE) + nEntries * sizeof(PALETTEENTRY));
        if (pLogPal != NULL) {
            pLogPal->palVersion = 0x300;
            pLogPal->palNumEntries = (WORD)nEntries;
            ::GetSystemPaletteEntries(hDC, 0, nEntries, pLogPal->palPalEntry);
            hPalette = ::CreatePalette(pLogPal);
            free(pLogPal);
        }
    }
    ::ReleaseDC(NULL, hDC);
    return hPalette;
}

HGLOBAL CDIBitmap::CreateDIB(WORD wBitCount, DWORD dwCompression) const
{
    BITMAP bm;
    if (m_hBitmap == NULL || !::GetObjectA(m_hBitmap, sizeof(bm), &bm))
        return NULL;

    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = bm.bmWidth;
    bih.biHeight = bm.bmHeight;
    bih.biPlanes = 1;
    bih.biBitCount = wBitCount;
    bih.biCompression = dwCompression;
    DWORD cbTable = FullColorCount(wBitCount) * sizeof(RGBQUAD);

    HGLOBAL hDIB = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(bih) + cbTable);
    BITMAPINFOHEADER* pbih = hDIB ? (BITMAPINFOHEADER*)::GlobalLock(hDIB) : NULL;
    HDC hDC = ::GetDC(NULL);
    if (pbih == NULL || hDC == NULL) {
        if (hDC != NULL)
            ::ReleaseDC(NULL, hDC);
        if (hDIB != NULL)
            ::GlobalFree(hDIB);
        return NULL;
    }
    *pbih = bih;
    // The first pass only tells the size of the bits.
    ::GetDIBits(hDC, m_hBitmap, 0, bm.bmHeight, NULL, (BITMAPINFO*)pbih, DIB_RGB_COLORS);
    ::ReleaseDC(NULL, hDC);
    ULONGLONG cbImage = pbih->biSizeImage;
    // Uncompressed rows have a known size; a run-length size the platform did not tell cannot be
    // guessed, as the second pass would write as much as it needs.
    if (dwCompression == BI_RGB)
        cbImage = RowSize(bih.biWidth, wBitCount) * bih.biHeight;
    ::GlobalUnlock(hDIB);
    HGLOBAL hBigger = NULL;
    if (cbImage != 0 && cbImage <= MAXDWORD - sizeof(bih) - cbTable)
        hBigger = ::GlobalReAlloc(hDIB, sizeof(bih) + cbTable + (SIZE_T)cbImage, GMEM_MOVEABLE);
    if (hBigger == NULL) {
        ::GlobalFree(hDIB);
        return NULL;
    }
    hDIB = hBigger;

    LPBYTE pDIB = (LPBYTE)::GlobalLock(hDIB);
    hDC = pDIB ? ::GetDC(NULL) : NULL;
    BOOL bOk = FALSE;
    if (hDC != NULL) {
        pbih = (BITMAPINFOHEADER*)pDIB;
        pbih->biSizeImage = (DWORD)cbImage;
        HPALETTE hOldPal = NULL;
        if (m_hPalette != NULL) {
            hOldPal = ::SelectPalette(hDC, m_hPalette, FALSE);
            ::RealizePalette(hDC);
        }
        bOk = ::GetDIBits(hDC, m_hBitmap, 0, bm.bmHeight, pDIB + sizeof(bih) + cbTable, (BITMAPINFO*)pDIB,
                          DIB_RGB_COLORS) != 0;
        if (hOldPal != NULL) {
            ::SelectPalette(hDC, hOldPal, TRUE);
            ::RealizePalette(hDC);
        }
        ::ReleaseDC(NULL, hDC);
        // Keep the block a packed DIB: with fewer colours used than the bit count allows, the
        // bits follow right after those entries, where every reader of the file looks for them.
        if (bOk && pbih->biClrUsed > FullColorCount(wBitCount))
            pbih->biClrUsed = 0;
        if (bOk && pbih->biClrUsed != 0)
            memmove(pDIB + sizeof(bih) + pbih->biClrUsed * sizeof(RGBQUAD), pDIB + sizeof(bih) + cbTable,
                    (size_t)cbImage);
        bOk = bOk && pbih->biSizeImage <= cbImage;
    }
    if (pDIB != NULL)
        ::GlobalUnlock(hDIB);
    if (!bOk) {
        ::GlobalFree(hDIB);
        return NULL;
    }
    return hDIB;
}

int CDIBitmap::WriteDIB(const CString& strFileName) const
{
    if (m_hDIB == NULL)
        return saveNoDIB;
    HANDLE hFile = ::CreateFileA(strFileName, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return saveWriteFailed;
    BITMAPINFOHEADER* pbih = (BITMAPINFOHEADER*)::GlobalLock(m_hDIB);
    if (pbih == NULL) {
        ::CloseHandle(hFile);
        return saveLockFailed;
    }
    DWORD nColors = pbih->biClrUsed != 0 ? pbih->biClrUsed : FullColorCount(pbih->biBitCount);
    DWORD cbTable = nColors * sizeof(RGBQUAD);
    if (pbih->biCompression == BI_RGB)
        pbih->biSizeImage = (DWORD)(RowSize(pbih->biWidth, pbih->biBitCount) * pbih->biHeight);
    DWORD cbDIB = sizeof(BITMAPINFOHEADER) + cbTable + pbih->biSizeImage;

    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;   // "BM"
    bfh.bfSize = sizeof(bfh) + cbDIB;
    bfh.bfOffBits = sizeof(bfh) + sizeof(BITMAPINFOHEADER) + cbTable;
    DWORD cbHeader = 0, cbWritten = 0;
    BOOL bOk = ::WriteFile(hFile, &bfh, sizeof(bfh), &cbHeader, NULL) && cbHeader == sizeof(bfh) &&
               ::WriteFile(hFile, pbih, cbDIB, &cbWritten, NULL) && cbWritten == cbDIB;
    ::GlobalUnlock(m_hDIB);
    ::CloseHandle(hFile);
    return bOk ? saveOk : saveWriteFailed;
}
