// CRC-16 over memory and over the head of a file; file failures read from the real boxes.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

BEX_CHILD(crc_without_init)
{
    printf("%04X\n", CrcCalc(0, "123456789", 9));
}

TEST(CrcCalc, CheckValuesPiecesAndATableBuiltOnFirstUse)
{
    // A fresh process: no earlier test has built the table there.
    EXPECT_EQ(harness::RunChild("crc_without_init").output.substr(0, 4), "31C3");
    CrcInit();
    EXPECT_EQ(CrcCalc(0, "123456789", 9), 0x31C3);       // CRC-16/XMODEM
    EXPECT_EQ(CrcCalc(0xFFFF, "123456789", 9), 0x29B1);  // CRC-16/CCITT-FALSE
    EXPECT_EQ(CrcCalc(0, "\xff", 1), 0x1EF0);            // a single byte from 0: the table itself
    EXPECT_EQ(CrcCalc(0x1234, NULL, 0), 0x1234);
    EXPECT_EQ(CrcCalc(CrcCalc(0xFFFF, "1234", 4), "56789", 5), 0x29B1);
}

TEST(CrcFileCalc, ChecksTheHeadUpToTheFirstNulOr1024Bytes)
{
    std::string dir = harness::TempDir(), path = dir + "head.txt";
    std::string head(1024, ' ');
    for (size_t i = 0; i < head.size(); ++i)
        head[i] = (char)('a' + i % 26);
    harness::MsgBoxCatcher catcher;
    harness::WriteFileBytes(path, head.substr(0, 10) + std::string(1, '\0') + "ignored");
    EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 10));
    // 1024 bytes and no NUL: nothing beyond what was read may count.
    for (std::string tail : { "", "yyyy" }) {
        harness::WriteFileBytes(path, head + tail);
        EXPECT_EQ(CrcFileCalc(NULL, path.c_str()), CrcCalc(0, head.data(), 1024));
    }
    EXPECT_EQ(catcher.Count(), 0u);
    harness::RemoveTree(dir);
}

TEST(CrcFileCalc, FailuresAreShownAndGiveZero)
{
    std::string missing = harness::TempDir() + "missing.txt";
    // Opens but cannot be read from its start: a process's memory image, as Wine shows /proc.
    typedef LPWSTR(CDECL * PFNDOSNAME)(LPCSTR);
    PFNDOSNAME pfn = (PFNDOSNAME)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    ASSERT_TRUE(pfn) << "runs under Wine";
    LPWSTR pwsz = pfn("/proc/self/mem");
    char szUnreadable[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, pwsz, -1, szUnreadable, MAX_PATH, NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pwsz);
    harness::MsgBoxCatcher catcher;
    EXPECT_EQ(CrcFileCalc(NULL, missing.c_str()), 0);
    EXPECT_EQ(CrcFileCalc(NULL, szUnreadable), 0);
    ASSERT_EQ(catcher.Count(), 2u);
    EXPECT_EQ(catcher.Boxes()[0].text, "Cannot open file '" + missing + "'.");
    EXPECT_EQ(catcher.Boxes()[1].text, "Cannot read file '" + std::string(szUnreadable) + "'.");
    for (const harness::MsgBox& box : catcher.Boxes()) {
        EXPECT_EQ(box.caption, "System Error");
        EXPECT_EQ(box.icon, (UINT)MB_ICONEXCLAMATION);
    }
    harness::RemoveTree(missing.substr(0, missing.rfind('\\') + 1));
}
