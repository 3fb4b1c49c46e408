#include "RotXor.h"

DWORD RotateXor(DWORD dwSum, const void* pData, size_t cb)
{
    const BYTE* pb = static_cast<const BYTE*>(pData);
    for (size_t i = 0; i < cb; ++i) {
        dwSum ^= pb[i];
        dwSum = (dwSum << 1) | (dwSum >> 31);
    }
    return dwSum;
}
