#include "DIBitmapFile.h"
#include "DibMath.h"
#include "../frame/bexlib32.h"

// Largest piece read from the file at once.
static const UINT cbReadPiece = 32768;
// Largest run-length bitmap drawn: 8 bits per pixel at 8192 x 4096.
static const ULONGLONG cbMaxRunLengthImage = 32 << 20;

// Where the parts of a packed DIB lie, as checked against the block that holds it.
struct DIBLayout {
    DWORD cbHeader;         // 12: core header; 16 or more: info header
    LONG nWidth;
    LONG nHeight;           // negative: rows run top-down
    WORD wBitCount;
    DWORD dwCompression;
    DWORD nColors;          // colour table entries stored in the block
    DWORD cbBitsOffset;     // header, bit-field masks and colour table
    DWORD cbBits;           // bytes of pixel bits a drawing may read
};

// False unless the header is of a kind this loader knows and the colour table and every pixel
// it describes lie inside the cbDIB bytes of the block.
static bool GetLayout(const BYTE* pDIB, SIZE_T cbDIB, DIBLayout* pLayout)
{
    if (cbDIB < sizeof(DWORD))
        return false;
    DIBLayout l = {};
    memcpy(&l.cbHeader, pDIB, sizeof(DWORD));
    if ((l.cbHeader != sizeof(BITMAPCOREHEADER) && l.cbHeader < 16) || l.cbHeader > cbDIB)
        return false;

    DWORD cbEntry, cbMasks = 0, cbSizeImage = 0;
    if (l.cbHeader == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER bch;
        memcpy(&bch, pDIB, sizeof(bch));
        l.nWidth = bch.bcWidth;
        l.nHeight = bch.bcHeight;
        l.wBitCount = bch.bcBitCount;
        l.dwCompression = BI_RGB;
        if (l.wBitCount != 1 && l.wBitCount != 4 && l.wBitCount != 8 && l.wBitCount != 24)
            return false;
        l.nColors = FullColorCount(l.wBitCount);
        cbEntry = sizeof(RGBTRIPLE);
    } else {
        // A field that a short header does not hold whole counts as 0.
        BITMAPINFOHEADER bih = {};
        memcpy(&bih, pDIB, l.cbHeader < sizeof(bih) ? l.cbHeader : sizeof(bih));
        if (l.cbHeader < offsetof(BITMAPINFOHEADER, biSizeImage))
            bih.biCompression = BI_RGB;
        if (l.cbHeader < offsetof(BITMAPINFOHEADER, biXPelsPerMeter))
            bih.biSizeImage = 0;
        if (l.cbHeader < offsetof(BITMAPINFOHEADER, biClrImportant))
            bih.biClrUsed = 0;
        l.nWidth = bih.biWidth;
        l.nHeight = bih.biHeight;
        l.wBitCount = bih.biBitCount;
        l.dwCompression = bih.biCompression;
        cbSizeImage = bih.biSizeImage;
        switch (l.wBitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32:
            break;
        default:
            return false;
        }
        switch (l.dwCompression) {
        case BI_RGB:
            break;
        case BI_RLE8:
        case BI_RLE4:
            if (l.wBitCount != (l.dwCompression == BI_RLE8 ? 8 : 4) || l.nHeight < 0)
                return false;
            break;
        case BI_BITFIELDS:
            if (l.wBitCount != 16 && l.wBitCount != 32)
                return false;
            // Headers from 52 bytes on hold the masks themselves.
            if (l.cbHeader < 52)
                cbMasks = 3 * sizeof(DWORD);
            break;
        default:
            return false;
        }
        l.nColors = bih.biClrUsed != 0 ? bih.biClrUsed : FullColorCount(l.wBitCount);
        cbEntry = sizeof(RGBQUAD);
    }
    if (l.nWidth <= 0 || l.nHeight == 0 || l.nHeight == LONG_MIN)
        return false;

    ULONGLONG cbOffset = (ULONGLONG)l.cbHeader + cbMasks + (ULONGLONG)l.nColors * cbEntry;
    if (cbOffset > cbDIB)
        return false;
    ULONGLONG cbAvail = cbDIB - cbOffset;
    ULONGLONG cbRow = RowSize(l.nWidth, l.wBitCount);
    ULONGLONG nRows = l.nHeight < 0 ? 0 - (ULONGLONG)(LONGLONG)l.nHeight : (ULONGLONG)l.nHeight;
    ULONGLONG cbBits;
    if (l.dwCompression == BI_RLE8 || l.dwCompression == BI_RLE4) {
        // The run-length decoder stops at the image size; it must not pass the block's end.
        cbBits = cbSizeImage != 0 ? cbSizeImage : cbAvail;
        if (cbBits > cbAvail)
            return false;
        // GDI decodes into a whole bitmap first: a few bytes must not ask it for gigabytes.
        if (cbRow > cbMaxRunLengthImage || nRows > cbMaxRunLengthImage / cbRow)
            return false;
    } else {
        if (cbRow > cbAvail || nRows > cbAvail / cbRow)
            return false;
        cbBits = cbRow * nRows;
    }
    l.cbBitsOffset = (DWORD)cbOffset;
    l.cbBits = (DWORD)cbBits;
    *pLayout = l;
    return true;
}

// What GDI is given to draw from: always a 40-byte header and a colour table copied from the
// block, so that GDI reads nothing the layout has not vouched for (GDI refuses headers of 16 to
// 39 bytes, and a longer header may point to a colour profile anywhere).
struct DrawInfo {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

// False when there is nothing to draw.
static bool GetDrawInfo(const BYTE* pDIB, DrawInfo* pInfo)
{
    DIBLayout l;
    if (pDIB == NULL || !GetLayout(pDIB, ::GlobalSize(::GlobalHandle((LPCVOID)pDIB)), &l))
        return false;
    memset(pInfo, 0, sizeof(*pInfo));
    BITMAPINFOHEADER& bih = pInfo->bmiHeader;
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = l.nWidth;
    bih.biHeight = l.nHeight;
    bih.biPlanes = 1;
    bih.biBitCount = l.wBitCount;
    bih.biCompression = l.dwCompression;
    bih.biSizeImage = l.cbBits;
    if (l.wBitCount <= 8) {
        DWORD nColors = l.nColors < FullColorCount(l.wBitCount) ? l.nColors : FullColorCount(l.wBitCount);
        bih.biClrUsed = nColors;
        const BYTE* pTable = pDIB + l.cbHeader;
        if (l.cbHeader == sizeof(BITMAPCOREHEADER)) {
            for (DWORD i = 0; i < nColors; ++i, pTable += sizeof(RGBTRIPLE)) {
                pInfo->bmiColors[i].rgbBlue = pTable[0];
                pInfo->bmiColors[i].rgbGreen = pTable[1];
                pInfo->bmiColors[i].rgbRed = pTable[2];
            }
        } else {
            memcpy(pInfo->bmiColors, pTable, nColors * sizeof(RGBQUAD));
        }
    } else if (l.dwCompression == BI_BITFIELDS) {
        memcpy(pInfo->bmiColors, pDIB + (l.cbHeader < 52 ? l.cbHeader : sizeof(BITMAPINFOHEADER)), 3 * sizeof(DWORD));
    }
    return true;
}

CDIBitmapFile::CDIBitmapFile(CString strFileName, int* pbSuccess)
    : m_lpDIB(NULL), m_lpBits(NULL)
{
    m_lpDIB = Read(strFileName);
    if (m_lpDIB != NULL)
        m_lpBits = GetBitsAddr();
    if (pbSuccess != NULL)
        *pbSuccess = m_lpDIB != NULL;
}

CDIBitmapFile::~CDIBitmapFile()
{
    if (m_lpDIB != NULL) {
        HGLOBAL hDIB = ::GlobalHandle(m_lpDIB);
        ::GlobalUnlock(hDIB);
        ::GlobalFree(hDIB);
    }
}

unsigned char* CDIBitmapFile::Read(CString strFileName)
{
    HFILE hFile = ::_lopen(strFileName, OF_READ | OF_SHARE_DENY_WRITE);
    if (hFile == HFILE_ERROR) {
        DllError(IDS_BEX_NOTFOUND, (LPCSTR)strFileName);
        return NULL;
    }
    BITMAPFILEHEADER bfh;
    if (::_lread(hFile, &bfh, sizeof(bfh)) != sizeof(bfh)) {
        DllError(IDS_BEX_READERROR, (LPCSTR)strFileName);
        ::_lclose(hFile);
        return NULL;
    }
    // Data too short to hold even a header size is no bitmap (and a size below the file
    // header's own would wrap to nearly 4 GiB).
    if (bfh.bfType != 0x4D42 || bfh.bfSize < sizeof(bfh) + sizeof(DWORD)) {   // "BM"
        DllError(IDS_BEX_INVALIDDIB, (LPCSTR)strFileName);
        ::_lclose(hFile);
        return NULL;
    }
    // A size beyond the file's end could only end in a read error; it is not worth the memory.
    DWORD cbData = bfh.bfSize - sizeof(bfh);
    if (bfh.bfSize > ::GetFileSize((HANDLE)(LONG_PTR)hFile, NULL)) {
        DllError(IDS_BEX_READERROR, (LPCSTR)strFileName);
        ::_lclose(hFile);
        return NULL;
    }
    HGLOBAL hDIB = ::GlobalAlloc(GMEM_MOVEABLE, cbData);
    BYTE* pDIB = hDIB != NULL ? (BYTE*)::GlobalLock(hDIB) : NULL;
    if (pDIB == NULL) {
        if (hDIB != NULL)
            ::GlobalFree(hDIB);
        DllError(IDS_BEX_OUTOFMEMORY);
        ::_lclose(hFile);
        return NULL;
    }
    for (DWORD cbDone = 0; cbDone < cbData;) {
        UINT cbPiece = cbData - cbDone < cbReadPiece ? cbData - cbDone : cbReadPiece;
        if (::_lread(hFile, pDIB + cbDone, cbPiece) != cbPiece) {
            DllError(IDS_BEX_READERROR, (LPCSTR)strFileName);
            ::_lclose(hFile);
            ::GlobalUnlock(hDIB);
            ::GlobalFree(hDIB);
            return NULL;
        }
        cbDone += cbPiece;
    }
    ::_lclose(hFile);

    DIBLayout layout;
    if (!GetLayout(pDIB, cbData, &layout)) {
        DllError(IDS_BEX_INVALIDDIB, (LPCSTR)strFileName);
        ::GlobalUnlock(hDIB);
        ::GlobalFree(hDIB);
        return NULL;
    }
    return pDIB;
}

unsigned char* CDIBitmapFile::GetBitsAddr() const
{
    DIBLayout layout;
    if (m_lpDIB == NULL || !GetLayout(m_lpDIB, ::GlobalSize(::GlobalHandle(m_lpDIB)), &layout))
        return NULL;
    return m_lpDIB + layout.cbBitsOffset;
}

unsigned long CDIBitmapFile::GetInfoHeaderSize(const unsigned char* lpDIB)
{
    DWORD cbHeader;
    memcpy(&cbHeader, lpDIB, sizeof(cbHeader));
    return cbHeader;
}

unsigned short CDIBitmapFile::GetWidth() const
{
    if (m_lpDIB == NULL)
        return 0;
    if (GetInfoHeaderSize(m_lpDIB) == sizeof(BITMAPCOREHEADER))
        return ((const BITMAPCOREHEADER*)m_lpDIB)->bcWidth;
    return (unsigned short)((const BITMAPINFOHEADER*)m_lpDIB)->biWidth;
}

unsigned short CDIBitmapFile::GetHeight() const
{
    if (m_lpDIB == NULL)
        return 0;
    if (GetInfoHeaderSize(m_lpDIB) == sizeof(BITMAPCOREHEADER))
        return ((const BITMAPCOREHEADER*)m_lpDIB)->bcHeight;
    // Top-down rows are stored with a negative height; the picture is as high either way.
    LONG nHeight = ((const BITMAPINFOHEADER*)m_lpDIB)->biHeight;
    return (unsigned short)(nHeight < 0 ? 0 - (ULONG)nHeight : (ULONG)nHeight);
}

void CDIBitmapFile::Draw(CDC* pDC, int x, int y)
{
    DrawInfo info;
    if (!GetDrawInfo(m_lpDIB, &info))
        return;
    LONG nHeight = labs(info.bmiHeader.biHeight);
    pDC->SetStretchBltMode(COLORONCOLOR);
    ::SetDIBitsToDevice(pDC->m_hDC, x, y, info.bmiHeader.biWidth, nHeight, 0, 0, 0, nHeight, m_lpBits,
                        (const BITMAPINFO*)&info, DIB_RGB_COLORS);
}

void CDIBitmapFile::Stretch(CDC* pDC, int x, int y, int cx, int cy)
{
    StretchWithMode(pDC, x, y, cx, cy, COLORONCOLOR);
}

void CDIBitmapFile::StretchHalftone(CDC* pDC, int x, int y, int cx, int cy)
{
    StretchWithMode(pDC, x, y, cx, cy, HALFTONE);
}

void CDIBitmapFile::StretchWithMode(CDC* pDC, int x, int y, int cx, int cy, int nMode)
{
    DrawInfo info;
    if (!GetDrawInfo(m_lpDIB, &info))
        return;
    pDC->SetStretchBltMode(nMode);
    ::StretchDIBits(pDC->m_hDC, x, y, cx, cy, 0, 0, info.bmiHeader.biWidth, labs(info.bmiHeader.biHeight), m_lpBits,
                    (const BITMAPINFO*)&info, DIB_RGB_COLORS, SRCCOPY);
}
