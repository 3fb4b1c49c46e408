// CRC-16 over memory and over the head of a file; file failures read from the real boxes.
#include "harness.h"
#include "BexLib32.h"
#include "recbytes.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;

BEX_CHILD(crc_without_init)
{
    printf("%04X\n", CrcCalc(0, "123456789", 9));
}

TEST(CrcCalc, BuildsItsTableOnFirstUse)
{
    // A fresh process: no earlier test has built the table there.
    EXPECT_EQ(harness::RunChild("crc_without_init").output.substr(0, 4), "31C3");
}

TEST(CrcCalc, CheckValuesTableEntriesAndPieces)
{
    CrcInit();
    EXPECT_EQ(CrcCalc(0, "123456789", 9), 0x31C3);       // CRC-16/XMODEM
    EXPECT_EQ(CrcCalc(0xFFFF, "123456789", 9), 0x29B1);  // CRC-16/CCITT-FALSE
    EXPECT_EQ(CrcCalc(0, "\x01", 1), 0x1021);            // single bytes from 0: the table itself
    EXPECT_EQ(CrcCalc(0, "\xff", 1), 0x1EF0);
    EXPECT_EQ(CrcCalc(0x1234, NULL, 0), 0x1234);
    const char* psz = "record files and their checksums";
    UINT n = (UINT)strlen(psz);
    for (UINT nCut = 0; nCut <= n; ++nCut)
        EXPECT_EQ(CrcCalc(CrcCalc(0xFFFF, psz, nCut), psz + nCut, n - nCut), CrcCalc(0xFFFF, psz, n)) << nCut;
}

TEST(CrcFileCalc, ChecksTheHeadUpToTheFirstNulOr1024Bytes)
{
    std::string dir = harness::TempDir(), path = dir + "head.txt";
    std::string head(1024, ' ');
    for (size_t i = 0; i < head.size(); ++i)
        head[i] = (char)('a' + i % 26);
    MsgBoxCatcher catcher;
    harness::WriteFileBytes(path, head.substr(0, 10) + std::string(1, '\0') + "ignored");
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 10));
    harness::WriteFileBytes(path, head + std::string(5000 - 1024, 'y'));
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 1024));
    // 1024 bytes and no NUL: nothing beyond what was read may count.
    harness::WriteFileBytes(path, head);
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 1024));
    EXPECT_EQ(catcher.Count(), 0u);
    harness::RemoveTree(dir);
}

TEST(CrcFileCalc, FailuresAreShownAndGiveZero)
{
    std::string missing = harness::TempDir() + "missing.txt";
    // Opens but cannot be read from its start: a process's memory image, as Wine shows /proc.
    std::string unreadable = recbytes::DosName("/proc/self/mem");
    ASSERT_FALSE(unreadable.empty()) << "runs under Wine";
    MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, missing.c_str()), 0);
    EXPECT_EQ(CrcFileCalc(NULL, unreadable.c_str()), 0);
    ASSERT_EQ(catcher.Count(), 2u);
    EXPECT_EQ(catcher.Boxes()[0].text, "Cannot open file '" + missing + "'.");
    EXPECT_EQ(catcher.Boxes()[1].text, "Cannot read file '" + unreadable + "'.");
    for (const harness::MsgBox& box : catcher.Boxes()) {
        EXPECT_EQ(box.caption, "System Error");
        EXPECT_EQ(box.icon, (UINT)MB_ICONEXCLAMATION);
    }
    harness::RemoveTree(missing.substr(0, missing.rfind('\\') + 1));
}
