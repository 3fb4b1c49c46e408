// Sizes of the parts of a packed DIB, shared by the writer and the loader.
#pragma once

#include <windows.h>
#include <stddef.h>

// The file's headers and colour entries, copied byte for byte by the writer and the loader: the
// same on both widths.
static_assert(sizeof(BITMAPFILEHEADER) == 14 && offsetof(BITMAPFILEHEADER, bfSize) == 2 &&
              offsetof(BITMAPFILEHEADER, bfOffBits) == 10, "file header");
static_assert(sizeof(BITMAPINFOHEADER) == 40 && offsetof(BITMAPINFOHEADER, biBitCount) == 14 &&
              offsetof(BITMAPINFOHEADER, biSizeImage) == 20 && offsetof(BITMAPINFOHEADER, biXPelsPerMeter) == 24 &&
              offsetof(BITMAPINFOHEADER, biClrImportant) == 36, "info header");
static_assert(sizeof(BITMAPCOREHEADER) == 12 && sizeof(RGBQUAD) == 4 && sizeof(RGBTRIPLE) == 3, "core header, colours");

// Colour table entries a DIB of this bit count holds when its colours-used field is 0.
inline DWORD FullColorCount(WORD wBitCount)
{
    return wBitCount <= 8 ? (DWORD)1 << wBitCount : 0;
}

// Bytes of one row of pixels: rows are padded to 32 bits.
inline ULONGLONG RowSize(LONG nWidth, WORD wBitCount)
{
    return ((ULONGLONG)nWidth * wBitCount + 31) / 32 * 4;
}
