// CRC-16 at memory speed.
//
// With the bytes read as one polynomial M over GF(2), first byte's top bit highest, the
// register after n bytes from start value I is (I * x^8n + M * x^16) mod P. Folding keeps a
// 128-bit value congruent to the message read so far: the next block's distance D in bits
// multiplies it by x^D, which, for its two 64-bit halves H and L, is H * (x^(D+64) mod P) +
// L * (x^D mod P), two carry-less products of fewer than 80 bits. The start value joins the
// message as its first 16 bits. What is left at the end is itself a 16-byte message whose
// check value from 0 is the register; the tables finish it and the last bytes.
#include "Crc16.h"
#include "SimdSupport.h"

#include <emmintrin.h>
#include <tmmintrin.h>
#include <wmmintrin.h>

namespace {

const unsigned int nPolynomial = 0x11021;   // x^16 + x^12 + x^5 + 1
const size_t cbBlock = 16;
const size_t nLanes = 4;
// Below this the tables are quicker than setting up the lanes.
const size_t cbMinFold = 128;

// Table k holds, for each byte b, b * x^(8k + 16) mod P: what b does to the register when k
// bytes follow it. Table 0 is the classic byte table.
WORD s_awSlice[8][256];

constexpr WORD XPowerModP(unsigned int nPower)
{
    unsigned int nRem = 1;
    for (unsigned int i = 0; i < nPower; ++i) {
        nRem <<= 1;
        if (nRem & 0x10000)
            nRem ^= nPolynomial;
    }
    return (WORD)nRem;
}

// Folding across one block, and across the four lanes' worth of blocks.
const WORD wFold128 = XPowerModP(128), wFold192 = XPowerModP(192);
const WORD wFold512 = XPowerModP(512), wFold576 = XPowerModP(576);

__attribute__((target("sse2,ssse3,pclmul"))) inline __m128i FoldAcross(__m128i x, __m128i k)
{
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

// A block as the number whose top bit is its first byte's top bit.
__attribute__((target("sse2,ssse3,pclmul"))) inline __m128i LoadBlock(const BYTE* pb, __m128i xReverse)
{
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pb)), xReverse);
}

}  // namespace

void Crc16BuildTables()
{
    for (unsigned int i = 0; i < 256; ++i) {
        WORD wReg = (WORD)(i << 8);
        for (int nBit = 0; nBit < 8; ++nBit)
            wReg = (wReg & 0x8000) ? (WORD)((wReg << 1) ^ nPolynomial) : (WORD)(wReg << 1);
        s_awSlice[0][i] = wReg;
    }
    for (int k = 1; k < 8; ++k)
        for (unsigned int i = 0; i < 256; ++i) {
            WORD w = s_awSlice[k - 1][i];
            s_awSlice[k][i] = (WORD)(s_awSlice[0][w >> 8] ^ (w << 8));
        }
}

WORD Crc16Slice8(WORD wCrc, const void* pData, size_t cb)
{
    const BYTE* pb = static_cast<const BYTE*>(pData);
    for (; cb >= 8; cb -= 8, pb += 8)
        wCrc = (WORD)(s_awSlice[7][pb[0] ^ (wCrc >> 8)] ^ s_awSlice[6][pb[1] ^ (wCrc & 0xFF)] ^
                      s_awSlice[5][pb[2]] ^ s_awSlice[4][pb[3]] ^ s_awSlice[3][pb[4]] ^ s_awSlice[2][pb[5]] ^
                      s_awSlice[1][pb[6]] ^ s_awSlice[0][pb[7]]);
    for (; cb > 0; --cb, ++pb)
        wCrc = (WORD)(s_awSlice[0][(wCrc >> 8) ^ *pb] ^ (wCrc << 8));
    return wCrc;
}

bool Crc16CanFold()
{
    const SIMDSUPPORT& simd = GetSimdSupport();
    return simd.bSse2 && simd.bSsse3 && simd.bPclmul;
}

__attribute__((target("sse2,ssse3,pclmul"))) WORD Crc16Fold(WORD wCrc, const void* pData, size_t cb)
{
    if (cb < cbMinFold)
        return Crc16Slice8(wCrc, pData, cb);
    const BYTE* pb = static_cast<const BYTE*>(pData);
    const BYTE* pbEnd = pb + cb;
    const __m128i xReverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);

    __m128i ax[nLanes];
    for (size_t i = 0; i < nLanes; ++i)
        ax[i] = LoadBlock(pb + i * cbBlock, xReverse);
    ax[0] = _mm_xor_si128(ax[0], _mm_set_epi32((int)((unsigned int)wCrc << 16), 0, 0, 0));
    pb += nLanes * cbBlock;

    const __m128i xFoldLanes = _mm_set_epi32(0, wFold576, 0, wFold512);
    for (; pbEnd - pb >= (ptrdiff_t)(nLanes * cbBlock); pb += nLanes * cbBlock)
        for (size_t i = 0; i < nLanes; ++i)
            ax[i] = _mm_xor_si128(FoldAcross(ax[i], xFoldLanes), LoadBlock(pb + i * cbBlock, xReverse));

    const __m128i xFoldBlock = _mm_set_epi32(0, wFold192, 0, wFold128);
    __m128i x = ax[0];
    for (size_t i = 1; i < nLanes; ++i)
        x = _mm_xor_si128(FoldAcross(x, xFoldBlock), ax[i]);
    for (; pbEnd - pb >= (ptrdiff_t)cbBlock; pb += cbBlock)
        x = _mm_xor_si128(FoldAcross(x, xFoldBlock), LoadBlock(pb, xReverse));

    BYTE abRest[cbBlock];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(abRest), _mm_shuffle_epi8(x, xReverse));
    return Crc16Slice8(Crc16Slice8(0, abRest, cbBlock), pb, (size_t)(pbEnd - pb));
}
