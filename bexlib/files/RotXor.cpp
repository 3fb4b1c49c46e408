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

__attribute__((target("sse2"))) DWORD RotateXorSse2(DWORD dwSum, const void* pData, size_t cb)
{
    const BYTE* pb = static_cast<const BYTE*>(pData);
    size_t cbRun = cb - cb % cbChunk;
    if (cbRun > 0) {
        // Two chunks a step, in four registers, so that no XOR waits for the one before.
        __m128i x0 = _mm_setzero_si128(), x1 = x0, x2 = x0, x3 = x0;
        size_t i = 0;
        for (; i + 2 * cbChunk <= cbRun; i += 2 * cbChunk) {
            x0 = _mm_xor_si128(x0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i)));
            x1 = _mm_xor_si128(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i + 16)));
            x2 = _mm_xor_si128(x2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i + 32)));
            x3 = _mm_xor_si128(x3, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i + 48)));
        }
        if (i < cbRun) {
            x0 = _mm_xor_si128(x0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i)));
            x1 = _mm_xor_si128(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + i + 16)));
        }
        BYTE abChunks[cbChunk];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(abChunks), _mm_xor_si128(x0, x2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(abChunks + 16), _mm_xor_si128(x1, x3));
        dwSum ^= ChunkEffect(abChunks);
    }
    return RotateXorBytes(dwSum, pb + cbRun, cb - cbRun);
}

DWORD RotateXor(DWORD dwSum, const void* pData, size_t cb)
{
#if defined(__x86_64__)
    return RotateXorSse2(dwSum, pData, cb);
#else
    return GetSimdSupport().bSse2 ? RotateXorSse2(dwSum, pData, cb) : RotateXorDwords(dwSum, pData, cb);
#endif
}
