// The fast ways of both checksums against their rules applied byte by byte: every length up to
// 5000 at every alignment with every kind of start value, and streams fed in pieces split at
// random points. The library's internal ways are built into this program from their sources,
// so that each is checked, not only the one this processor makes the library take.
#include "files/Crc16.h"
#include "files/RotXor.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <random>
#include <string.h>

namespace {

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
using Ways = std::vector<std::pair<const char*, std::function<T(T, const void*, size_t)>>>;

// A copying way: the copy must be exact, to any alignment, and touch nothing around it.
std::function<DWORD(DWORD, const void*, size_t)> Copying(DWORD (*pfn)(DWORD, void*, const void*, size_t))
{
    return [pfn](DWORD dw, const void* pData, size_t cb) {
        std::vector<BYTE> copy(cb + 32, 0xA5), expected(cb + 32, 0xA5);
        dw = pfn(dw, &copy[cb % 16], pData, cb);
        memcpy(&expected[cb % 16], pData, cb);
        if (copy == expected)
            return dw;
        ADD_FAILURE() << "the copy of " << cb << " bytes differs";
        return ~dw;   // and stops the caller at the first wrong copy
    };
}

template <class T>
void CheckWays(const Ways<T>& ways, const std::vector<T>& starts, T (*step)(T, BYTE))
{
    std::mt19937 rng(4711);
    std::vector<BYTE> data(1 << 18);
    for (BYTE& b : data)
        b = (BYTE)rng();
    // Each length's expected value grows from the one before, byte by byte.
    for (size_t a = 0; a < 32; ++a) {
        T start = starts[a % starts.size()], expected = start;
        for (size_t cb = 0; cb <= 5000; expected = step(expected, data[a + cb++]))
            for (const auto& way : ways)
                ASSERT_EQ(way.second(start, &data[a], cb), expected) << way.first << ": " << cb << " bytes at +" << a;
    }
    T whole = starts.back();
    for (BYTE b : data)
        whole = step(whole, b);
    for (int nRound = 0; nRound < 20; ++nRound) {
        size_t cbMaxPiece = nRound % 2 ? 300 : 40000;
        for (const auto& way : ways) {
            std::mt19937 split(nRound);
            T value = starts.back();
            for (size_t done = 0, cb; done < data.size(); done += cb)
                value = way.second(value, &data[done], cb = std::min<size_t>(split() % (cbMaxPiece + 1), data.size() - done));
            EXPECT_EQ(value, whole) << way.first << ", pieces of round " << nRound;
        }
    }
}

}  // namespace

TEST(Checksums, EveryWayOfCrc16AgreesWithTheRule)
{
    Crc16BuildTables();
    Ways<WORD> ways = { { "slicing", Crc16Slice8 }, { "CrcCalc", [](WORD w, const void* p, size_t cb) { return CrcCalc(w, p, (UINT)cb); } } };
    if (Crc16CanFold())
        ways.push_back({ "folding", Crc16Fold });
    else
        printf("this processor cannot fold: that way is not checked here\n");
    CheckWays<WORD>(ways, { 0, 0xFFFF, 0x8000, 0x0001, 0x00FF, 0xFF00, 0x5A3C }, CrcStep);
}

TEST(Checksums, EveryWayOfRotateXorAgreesWithTheRule)
{
    Ways<DWORD> ways = { { "bytes", RotateXorBytes }, { "dwords", RotateXorDwords }, { "SSE2", RotateXorSse2 },
                         { "RotateXor", RotateXor }, { "copying SSE2", Copying(RotateXorCopySse2) },
                         { "RotateXorCopy", Copying(RotateXorCopy) } };
    CheckWays<DWORD>(ways, { 0, 0xFFFFFFFF, 0x80000000, 1, 0x0000FFFF, 0xAAAAAAAA, 0x9E3779B9 }, RotXorStep);
}
