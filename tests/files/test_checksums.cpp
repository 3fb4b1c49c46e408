// The fast ways of both checksums against their rules applied byte by byte: every length up to
// 5000 at every alignment, every kind of start value, and streams fed in pieces split at random
// points. The library's internal ways are built into this program from their sources, so that
// each is checked, not only the one this processor makes the library take.
#include "files/Crc16.h"
#include "files/RotXor.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <random>
#include <string.h>

namespace {

// The rules themselves, one bit and one byte at a time.
WORD CrcStep(WORD w, BYTE b)
{
    w ^= (WORD)(b << 8);
    for (int i = 0; i < 8; ++i)
        w = (w & 0x8000) ? (WORD)((w << 1) ^ 0x1021) : (WORD)(w << 1);
    return w;
}
DWORD RotXorStep(DWORD dw, BYTE b)
{
    dw ^= b;
    return (dw << 1) | (dw >> 31);
}

template <class T>
struct Way {
    const char* name;
    std::function<T(T, const void*, size_t)> fn;
};

std::vector<Way<WORD>> CrcWays()
{
    Crc16BuildTables();
    std::vector<Way<WORD>> ways = { { "slicing", Crc16Slice8 },
                                    { "CrcCalc", [](WORD w, const void* p, size_t cb) { return CrcCalc(w, p, (UINT)cb); } } };
    if (Crc16CanFold())
        ways.push_back({ "folding", Crc16Fold });
    else
        printf("this processor cannot fold: that way is not checked here\n");
    return ways;
}

// A copying way, whose copy must be exact, to any alignment, and touch nothing around it.
Way<DWORD> Copying(const char* pszName, DWORD (*pfn)(DWORD, void*, const void*, size_t))
{
    return { pszName, [pszName, pfn](DWORD dw, const void* pData, size_t cb) {
                 size_t nOffset = cb % 16;
                 std::vector<BYTE> copy(cb + 32, 0xA5);
                 dw = pfn(dw, &copy[nOffset], pData, cb);
                 std::vector<BYTE> expected(cb + 32, 0xA5);
                 memcpy(&expected[nOffset], pData, cb);
                 EXPECT_EQ(copy, expected) << pszName << ": " << cb << " bytes";
                 return dw;
             } };
}

std::vector<Way<DWORD>> RotXorWays()
{
    return { { "bytes", RotateXorBytes }, { "dwords", RotateXorDwords }, { "SSE2", RotateXorSse2 }, { "RotateXor", RotateXor },
             Copying("copying SSE2", RotateXorCopySse2), Copying("RotateXorCopy", RotateXorCopy) };
}

std::vector<BYTE> RandomBytes(size_t cb, std::mt19937& rng)
{
    std::vector<BYTE> data(cb);
    for (BYTE& b : data)
        b = (BYTE)rng();
    return data;
}

const size_t cbMaxLength = 5000;
const size_t nAlignments = 32;

// Every length at every alignment, the start value taking each kind in turn; the expected value
// of each length grows from the one before, byte by byte.
template <class T>
void CheckEveryLengthAndAlignment(const std::vector<Way<T>>& ways, const std::vector<T>& starts, T (*step)(T, BYTE))
{
    std::mt19937 rng(4711);
    std::vector<BYTE> data = RandomBytes(cbMaxLength + nAlignments, rng);
    for (size_t a = 0; a < nAlignments; ++a) {
        T start = starts[a % starts.size()];
        T expected = start;
        for (size_t cb = 0; cb <= cbMaxLength; expected = step(expected, data[a + cb++]))
            for (const Way<T>& way : ways)
                ASSERT_EQ(way.fn(start, &data[a], cb), expected) << way.name << ": " << cb << " bytes at +" << a << ", start " << start;
    }
}

// A stream of random bytes fed in pieces of random lengths, some beyond any block or chunk.
template <class T>
void CheckPieces(const std::vector<Way<T>>& ways, T start, T (*step)(T, BYTE))
{
    std::mt19937 rng(1848);
    std::vector<BYTE> data = RandomBytes(1 << 18, rng);
    T expected = start;
    for (BYTE b : data)
        expected = step(expected, b);
    for (int nRound = 0; nRound < 20; ++nRound) {
        size_t cbMaxPiece = nRound % 2 ? 300 : 40000;
        for (const Way<T>& way : ways) {
            std::mt19937 split(nRound);
            T value = start;
            for (size_t done = 0, cb; done < data.size(); done += cb) {
                cb = std::min<size_t>(split() % (cbMaxPiece + 1), data.size() - done);
                value = way.fn(value, &data[done], cb);
            }
            EXPECT_EQ(value, expected) << way.name << ", round " << nRound;
        }
    }
}

}  // namespace

TEST(Checksums, CrcWaysAgreeWithTheRuleAtEveryLengthAlignmentAndStart)
{
    CheckEveryLengthAndAlignment<WORD>(CrcWays(), { 0, 0xFFFF, 0x8000, 0x0001, 0x00FF, 0xFF00, 0x5A3C }, CrcStep);
}

TEST(Checksums, RotateXorWaysAgreeWithTheRuleAtEveryLengthAlignmentAndStart)
{
    CheckEveryLengthAndAlignment<DWORD>(RotXorWays(), { 0, 0xFFFFFFFF, 0x80000000, 1, 0x0000FFFF, 0xAAAAAAAA, 0x9E3779B9 },
                                        RotXorStep);
}

TEST(Checksums, StreamsInPiecesSplitAtRandomPointsGiveTheValueOfTheWhole)
{
    CheckPieces<WORD>(CrcWays(), 0x1D0F, CrcStep);
    CheckPieces<DWORD>(RotXorWays(), 0x01234567, RotXorStep);
}
