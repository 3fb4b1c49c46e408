// The suite registry profile against Wine's registry, checked with raw registry calls.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;

namespace {

const char szSec[] = "CfgTest";

// The boxes shown were these assertion reports of the module kelmbex, in this order.
void ExpectAssertions(const MsgBoxCatcher& catcher, std::vector<std::string> exprs)
{
    ASSERT_EQ(catcher.Count(), exprs.size());
    for (size_t i = 0; i < exprs.size(); ++i)
        EXPECT_NE(catcher.Boxes()[i].text.find("kelmbex.cpp:\n " + exprs[i] + "\n"), std::string::npos) << catcher.Boxes()[i].text;
}

// Leaves junk in the stack below the caller, where the next call's locals will lie.
__attribute__((noinline)) void DirtyStack()
{
    volatile char junk[8192];
    for (size_t i = 0; i < sizeof(junk); ++i)
        junk[i] = (char)0xA5;
}

struct SuiteProfile : testing::Test {
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, suite::Section(szSec).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, suite::Section(szSec).c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, suite::Branch().c_str(), "Stray");
    }
};

}  // namespace

TEST_F(SuiteProfile, WritesCreateTheBranchOfTheReleaseAndReadBackInTheirHiveOnly)
{
    EXPECT_EQ(suite::Release(), "1.4");   // the release text, not the four-part fixed version
    EXPECT_STREQ(GetBexBaseRegistryKey(), "KELM-Ostrand\\Tur\\1.4");
    EXPECT_TRUE(SetBexProfileInt(HKEY_CURRENT_USER, szSec, "Count", 0xCAFE1234u));
    EXPECT_TRUE(SetBexProfileString(HKEY_LOCAL_MACHINE, szSec, "Name", "C:\\Tur\\"));
    EXPECT_TRUE(SetBexProfileString(HKEY_LOCAL_MACHINE, szSec, "Empty", ""));
    DWORD dwType;
    EXPECT_EQ(suite::Query(HKEY_CURRENT_USER, suite::Section(szSec), "Count", &dwType), std::string("\x34\x12\xFE\xCA", 4));
    EXPECT_EQ(dwType, (DWORD)REG_DWORD);
    EXPECT_EQ(suite::Query(HKEY_LOCAL_MACHINE, suite::Section(szSec), "Name", &dwType), std::string("C:\\Tur\\", 8));
    EXPECT_EQ(dwType, (DWORD)REG_SZ);
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSec, "Count", 7), 0xCAFE1234u);
    EXPECT_EQ(GetBexProfileInt(HKEY_LOCAL_MACHINE, szSec, "Count", 7), 7u);
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSec, "Name", "dflt"), "dflt");
    EXPECT_STREQ(GetBexProfileString(HKEY_LOCAL_MACHINE, szSec, "Empty", "dflt"), "");
}

TEST_F(SuiteProfile, ValuesOfTheWrongShapeAreReadWithinTheirBytesAndReported)
{
    suite::Store(HKEY_CURRENT_USER, suite::Section(szSec), "Bare", REG_SZ, "abcdef");   // no NUL
    suite::Store(HKEY_CURRENT_USER, suite::Section(szSec), "Blob", REG_BINARY, "xyz");
    suite::Store(HKEY_CURRENT_USER, suite::Section(szSec), "Short", REG_BINARY, "\x34\x12");
    MsgBoxCatcher catcher;
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSec, "Bare", "dflt"), "abcdef");
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSec, "Bare", 9), 9u);   // too long: quietly the default
    EXPECT_EQ(catcher.Count(), 0u);
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSec, "Blob", "dflt"), "xyz");
    DirtyStack();
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSec, "Short", 9), 0x1234u);   // zeros where nothing was read
    ExpectAssertions(catcher, { "dwType == REG_SZ", "dwType == REG_SZ", "dwType == REG_DWORD", "dwCount == sizeof(dwValue)" });
}

TEST_F(SuiteProfile, ANullEntryDeletesTheSectionAndBrokenPreconditionsAreReportedAndTouchNothing)
{
    SetBexProfileInt(HKEY_CURRENT_USER, szSec, "A", 1);
    EXPECT_TRUE(SetBexProfileInt(HKEY_CURRENT_USER, szSec, NULL, 0));
    EXPECT_FALSE(suite::KeyExists(HKEY_CURRENT_USER, suite::Section(szSec)));
    EXPECT_TRUE(suite::KeyExists(HKEY_CURRENT_USER, suite::Branch()));
    EXPECT_FALSE(SetBexProfileString(HKEY_CURRENT_USER, szSec, NULL, NULL));   // nothing left to delete

    SetBexProfileString(HKEY_CURRENT_USER, szSec, "Name", "kept");
    MsgBoxCatcher catcher;
    EXPECT_FALSE(SetBexProfileString(HKEY_CURRENT_USER, NULL, NULL, NULL));   // not the whole release
    EXPECT_FALSE(SetBexProfileInt(HKEY_CURRENT_USER, NULL, "Stray", 1));
    EXPECT_FALSE(SetBexProfileString(HKEY_CURRENT_USER, szSec, "Name", NULL));
    EXPECT_EQ(GetBexProfileInt(HKEY_USERS, szSec, "Count", 11), 11u);
    EXPECT_FALSE(SetBexProfileInt(HKEY_CURRENT_CONFIG, szSec, "Count", 1));
    EXPECT_FALSE(suite::KeyExists(HKEY_CURRENT_CONFIG, suite::Branch()));
    const char* hive = "hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE";
    ExpectAssertions(catcher, { "lpszSection != NULL", "lpszSection != NULL", "lpszSection != NULL", "lpszValue != NULL",
                                hive, hive, hive, hive, hive });
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSec, "Name", ""), "kept");
    EXPECT_EQ(suite::Query(HKEY_CURRENT_USER, suite::Branch(), "Stray"), "");
}
