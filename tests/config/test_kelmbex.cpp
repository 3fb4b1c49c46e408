// The suite registry profile against Wine's registry, checked with raw Reg* calls.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;

namespace {

const char szSection[] = "CfgTest";

// The assertion reports the boxes showed, in order, each from the module kelmbex.
void ExpectAssertions(const MsgBoxCatcher& catcher, std::vector<std::string> exprs)
{
    ASSERT_EQ(catcher.Count(), exprs.size());
    for (size_t i = 0; i < exprs.size(); ++i) {
        const std::string& text = catcher.Boxes()[i].text;
        EXPECT_EQ(text.rfind("KELM_ASSERT failed at line ", 0), 0u) << text;
        EXPECT_NE(text.find("kelmbex.cpp:\n " + exprs[i] + "\n"), std::string::npos) << text;
    }
}

class SuiteProfile : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, suite::Section(szSection).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, suite::Section(szSection).c_str());
    }
};

}  // namespace

TEST_F(SuiteProfile, BaseKeyIsCompanySuiteAndTheLibrarysProductVersion)
{
    ASSERT_FALSE(suite::Release().empty());
    EXPECT_STREQ(GetBexBaseRegistryKey(), ("KELM-Ostrand\\Tur\\" + suite::Release()).c_str());
    EXPECT_EQ(suite::Release(), "1.4");   // the release text, not the four-part fixed version
}

TEST_F(SuiteProfile, WritingCreatesEveryLevelAndReadsBackInTheSameHiveOnly)
{
    ASSERT_FALSE(suite::KeyExists(HKEY_CURRENT_USER, suite::Section(szSection)));
    EXPECT_EQ(SetBexProfileInt(HKEY_CURRENT_USER, szSection, "Count", 0xCAFE1234u), TRUE);
    for (const char* level : { "Software\\KELM-Ostrand", "Software\\KELM-Ostrand\\Tur" })
        EXPECT_TRUE(suite::KeyExists(HKEY_CURRENT_USER, level)) << level;
    EXPECT_TRUE(suite::KeyExists(HKEY_CURRENT_USER, suite::Branch()));
    suite::Value v = suite::Query(HKEY_CURRENT_USER, suite::Section(szSection), "Count");
    ASSERT_EQ(v.result, ERROR_SUCCESS);
    EXPECT_EQ(v.type, (DWORD)REG_DWORD);
    EXPECT_EQ(v.bytes, std::string("\x34\x12\xFE\xCA", 4));
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSection, "Count", 7), 0xCAFE1234u);
    EXPECT_EQ(GetBexProfileInt(HKEY_LOCAL_MACHINE, szSection, "Count", 7), 7u);

    EXPECT_EQ(SetBexProfileString(HKEY_LOCAL_MACHINE, szSection, "Name", "C:\\Tur\\"), TRUE);
    v = suite::Query(HKEY_LOCAL_MACHINE, suite::Section(szSection), "Name");
    EXPECT_EQ(v.type, (DWORD)REG_SZ);
    EXPECT_EQ(v.bytes, std::string("C:\\Tur\\", 8));   // with its NUL
    EXPECT_STREQ(GetBexProfileString(HKEY_LOCAL_MACHINE, szSection, "Name", "dflt"), "C:\\Tur\\");
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Name", "dflt"), "dflt");
}

TEST_F(SuiteProfile, MissingEntriesGiveTheDefault)
{
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSection, "Nothing", -3), (unsigned)-3);
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Nothing", "fallback"), "fallback");
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Nothing", NULL), "");
    SetBexProfileInt(HKEY_CURRENT_USER, szSection, "Other", 1);
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSection, "Nothing", 5), 5u);
}

TEST_F(SuiteProfile, AnEmptyStringIsStoredAndReadAsEmptyNotAsTheDefault)
{
    EXPECT_EQ(SetBexProfileString(HKEY_CURRENT_USER, szSection, "Empty", ""), TRUE);
    suite::Value v = suite::Query(HKEY_CURRENT_USER, suite::Section(szSection), "Empty");
    EXPECT_EQ(v.type, (DWORD)REG_SZ);
    EXPECT_EQ(v.bytes, std::string(1, '\0'));
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Empty", "dflt"), "");
}

TEST_F(SuiteProfile, AStringStoredWithoutItsNulIsReadToItsEndOnly)
{
    suite::Store(HKEY_CURRENT_USER, suite::Section(szSection), "Bare", REG_SZ, "abcdef");
    MsgBoxCatcher catcher;
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Bare", "dflt"), "abcdef");
    EXPECT_EQ(catcher.Count(), 0u);
}

TEST_F(SuiteProfile, AValueOfAnotherTypeIsReadAsTextAndReported)
{
    suite::Store(HKEY_CURRENT_USER, suite::Section(szSection), "Blob", REG_BINARY, "xyz");
    MsgBoxCatcher catcher;
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Blob", "dflt"), "xyz");
    ExpectAssertions(catcher, { "dwType == REG_SZ", "dwType == REG_SZ" });
}

TEST_F(SuiteProfile, TextReadAsANumber)
{
    // Longer than four bytes: the query fails quietly and the default comes back.
    SetBexProfileString(HKEY_CURRENT_USER, szSection, "Long", "12345");
    MsgBoxCatcher catcher;
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSection, "Long", 9), 9u);
    EXPECT_EQ(catcher.Count(), 0u);

    // Exactly four bytes: the raw bytes, and the type reported.
    SetBexProfileString(HKEY_CURRENT_USER, szSection, "Four", "abc");
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSection, "Four", 9), 0x00636261u);
    ExpectAssertions(catcher, { "dwType == REG_DWORD" });
}

// Leaves junk in the stack below the caller, where the next call's locals will lie.
__attribute__((noinline)) static void DirtyStack()
{
    volatile char junk[8192];
    for (size_t i = 0; i < sizeof(junk); ++i)
        junk[i] = (char)0xA5;
}

TEST_F(SuiteProfile, AShortValueLeavesZerosInTheBytesItDoesNotFill)
{
    suite::Store(HKEY_CURRENT_USER, suite::Section(szSection), "Short", REG_BINARY, "\x34\x12");
    MsgBoxCatcher catcher;
    DirtyStack();
    EXPECT_EQ(GetBexProfileInt(HKEY_CURRENT_USER, szSection, "Short", 9), 0x1234u);
    ExpectAssertions(catcher, { "dwType == REG_DWORD", "dwCount == sizeof(dwValue)" });
}

TEST_F(SuiteProfile, ANullEntryDeletesTheSection)
{
    SetBexProfileInt(HKEY_CURRENT_USER, szSection, "A", 1);
    EXPECT_EQ(SetBexProfileInt(HKEY_CURRENT_USER, szSection, NULL, 0), TRUE);
    EXPECT_FALSE(suite::KeyExists(HKEY_CURRENT_USER, suite::Section(szSection)));
    EXPECT_TRUE(suite::KeyExists(HKEY_CURRENT_USER, suite::Branch()));

    SetBexProfileString(HKEY_LOCAL_MACHINE, szSection, "B", "b");
    EXPECT_EQ(SetBexProfileString(HKEY_LOCAL_MACHINE, szSection, NULL, NULL), TRUE);
    EXPECT_FALSE(suite::KeyExists(HKEY_LOCAL_MACHINE, suite::Section(szSection)));
    // Nothing left to delete.
    EXPECT_EQ(SetBexProfileString(HKEY_LOCAL_MACHINE, szSection, NULL, NULL), FALSE);
}

TEST_F(SuiteProfile, ANullSectionIsReportedAndTouchesNothing)
{
    SetBexProfileInt(HKEY_CURRENT_USER, szSection, "Keep", 1);
    MsgBoxCatcher catcher;
    EXPECT_EQ(SetBexProfileString(HKEY_CURRENT_USER, NULL, NULL, NULL), FALSE);
    EXPECT_EQ(SetBexProfileInt(HKEY_CURRENT_USER, NULL, "Stray", 1), FALSE);
    ExpectAssertions(catcher, { "lpszSection != NULL", "lpszSection != NULL", "lpszSection != NULL" });
    EXPECT_TRUE(suite::KeyExists(HKEY_CURRENT_USER, suite::Section(szSection)));
    EXPECT_EQ(suite::Query(HKEY_CURRENT_USER, suite::Branch(), "Stray").result, ERROR_FILE_NOT_FOUND);
}

TEST_F(SuiteProfile, ANullValueIsReportedAndKeepsTheStoredOne)
{
    SetBexProfileString(HKEY_CURRENT_USER, szSection, "Name", "kept");
    MsgBoxCatcher catcher;
    EXPECT_EQ(SetBexProfileString(HKEY_CURRENT_USER, szSection, "Name", NULL), FALSE);
    ExpectAssertions(catcher, { "lpszValue != NULL" });
    EXPECT_STREQ(GetBexProfileString(HKEY_CURRENT_USER, szSection, "Name", ""), "kept");
}

TEST_F(SuiteProfile, AnotherHiveIsReportedAndGivesTheDefault)
{
    MsgBoxCatcher catcher;
    EXPECT_EQ(GetBexProfileInt(HKEY_USERS, szSection, "Count", 11), 11u);
    const std::string hive = "hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE";
    ExpectAssertions(catcher, { hive, hive });
}
