// The checksum over a run of bytes at memory speed.
//
// A byte b takes the sum S to rotl(S ^ b, 1). Thirty-two of them, b0 to b31, take it to
// S ^ XOR(rotr(bi, i)), since 32 rotations by one are none: a chunk's effect on the sum does
// not depend on the sum, and it is linear in the chunk's bytes. So the chunks of a run, counted
// from the run's start, can be XORed together first and their effect worked out once; only the
// bytes after the last whole chunk go through the rule itself.
#include "RotXor.h"
#include "SimdSupport.h"

#include <emmintrin.h>
#include <string.h>

namespace {

const size_t cbChunk = 32;

inline DWORD RotateRight(DWORD dw, unsigned int n)
{
    return (dw >> n) | (dw << ((32 - n) & 31));
}

// What a chunk does to the sum.
DWORD ChunkEffect(const BYTE* pbChunk)
{
    DWORD dw = 0;
    for (unsigned int i = 0; i < cbChunk; ++i)
        dw ^= RotateRight(pbChunk[i], i);
    return dw;
}

// XORs 16 bytes into x and, with bCopy, stores them at the same offset of pDst.
template <bool bCopy>
__attribute__((target("sse2"))) inline __m128i XorIn(__m128i x, const BYTE* pSrc, BYTE* pDst, size_t nOffset)
{
    __m128i xData = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSrc + nOffset));
    if (bCopy)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pDst + nOffset), xData);
    return _mm_xor_si128(x, xData);
}

// ChunkEffect of the chunk whose bytes 0 to 15 are in xLow and 16 to 31 in xHigh. Byte 8q + r
// turns right by 8q and then by r, and its turn by 8q only moves it to byte (4 - q) % 4 of a
// DWORD: the bytes eight apart, gathered in that order, make eight DWORDs to turn by 0 to 7.
__attribute__((target("sse2"))) DWORD ChunkEffectSse2(__m128i xLow, __m128i xHigh)
{
    __m128i xQuads03 = _mm_unpacklo_epi8(xLow, _mm_srli_si128(xHigh, 8));
    __m128i xQuads21 = _mm_unpacklo_epi8(xHigh, _mm_srli_si128(xLow, 8));
    DWORD adw[8];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(adw), _mm_unpacklo_epi16(xQuads03, xQuads21));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(adw + 4), _mm_unpackhi_epi16(xQuads03, xQuads21));
    DWORD dw = 0;
    for (unsigned int r = 0; r < 8; ++r)
        dw ^= RotateRight(adw[r], r);
    return dw;
}

template <bool bCopy>
__attribute__((target("sse2"))) DWORD RunSse2(DWORD dwSum, BYTE* pDst, const BYTE* pSrc, size_t cb)
{
    size_t cbRun = cb - cb % cbChunk;
    if (cbRun > 0) {
        // Two chunks a step, in four registers, so that no XOR waits for the one before.
        __m128i x0 = _mm_setzero_si128(), x1 = x0, x2 = x0, x3 = x0;
        size_t i = 0;
        for (; i + 2 * cbChunk <= cbRun; i += 2 * cbChunk) {
            x0 = XorIn<bCopy>(x0, pSrc, pDst, i);
            x1 = XorIn<bCopy>(x1, pSrc, pDst, i + 16);
            x2 = XorIn<bCopy>(x2, pSrc, pDst, i + 32);
            x3 = XorIn<bCopy>(x3, pSrc, pDst, i + 48);
        }
        if (i < cbRun) {
            x0 = XorIn<bCopy>(x0, pSrc, pDst, i);
            x1 = XorIn<bCopy>(x1, pSrc, pDst, i + 16);
        }
        dwSum ^= ChunkEffectSse2(_mm_xor_si128(x0, x2), _mm_xor_si128(x1, x3));
    }
    if (bCopy && cb > cbRun)
        memcpy(pDst + cbRun, pSrc + cbRun, cb - cbRun);
    return RotateXorBytes(dwSum, pSrc + cbRun, cb - cbRun);
}

}  // namespace

DWORD RotateXorBytes(DWORD dwSum, const void* pData, size_t cb)
{
    const BYTE* pb = static_cast<const BYTE*>(pData);
    for (size_t i = 0; i < cb; ++i) {
        dwSum ^= pb[i];
        dwSum = (dwSum << 1) | (dwSum >> 31);
    }
    return dwSum;
}

DWORD RotateXorDwords(DWORD dwSum, const void* pData, size_t cb)
{
    const BYTE* pb = static_cast<const BYTE*>(pData);
    size_t cbRun = cb - cb % cbChunk;
    if (cbRun > 0) {
        DWORD adwChunks[cbChunk / 4] = {};
        for (size_t i = 0; i < cbRun; i += cbChunk) {
            DWORD adw[cbChunk / 4];
            memcpy(adw, pb + i, cbChunk);   // the data need not be aligned
            for (size_t j = 0; j < cbChunk / 4; ++j)
                adwChunks[j] ^= adw[j];
        }
        dwSum ^= ChunkEffect(reinterpret_cast<const BYTE*>(adwChunks));
    }
    return RotateXorBytes(dwSum, pb + cbRun, cb - cbRun);
}

DWORD RotateXorSse2(DWORD dwSum, const void* pData, size_t cb)
{
    return RunSse2<false>(dwSum, NULL, static_cast<const BYTE*>(pData), cb);
}

DWORD RotateXorCopySse2(DWORD dwSum, void* pDst, const void* pSrc, size_t cb)
{
    return RunSse2<true>(dwSum, static_cast<BYTE*>(pDst), static_cast<const BYTE*>(pSrc), cb);
}

DWORD RotateXor(DWORD dwSum, const void* pData, size_t cb)
{
#if defined(__x86_64__)
    return RotateXorSse2(dwSum, pData, cb);
#else
    return GetSimdSupport().bSse2 ? RotateXorSse2(dwSum, pData, cb) : RotateXorDwords(dwSum, pData, cb);
#endif
}

DWORD RotateXorCopy(DWORD dwSum, void* pDst, const void* pSrc, size_t cb)
{
#if defined(__x86_64__)
    return RotateXorCopySse2(dwSum, pDst, pSrc, cb);
#else
    if (GetSimdSupport().bSse2)
        return RotateXorCopySse2(dwSum, pDst, pSrc, cb);
    if (cb > 0)
        memcpy(pDst, pSrc, cb);
    return RotateXorDwords(dwSum, pDst, cb);
#endif
}
