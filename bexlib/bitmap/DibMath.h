// Sizes of the parts of a packed DIB, shared by the writer and the loader.
#pragma once

#include <windows.h>

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
