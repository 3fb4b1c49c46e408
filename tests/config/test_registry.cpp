// The suite directories and CRegistry on the application's own profile.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <set>

using harness::GuardedBuffer;
using harness::MsgBoxCatcher;

TEST(SuiteDirectories, EndInExactlyOneBackslashOrAreEmpty)
{
    suite::GlobalEntry apps("AppsDir");
    char sz[MAX_PATH];
    apps.Set("D:\\Suite\\Apps\\\\");
    EXPECT_STREQ(GetBexAppsDir(sz), "D:\\Suite\\Apps\\");
    apps.Set("D:\\Suite\\Apps");
    EXPECT_EQ(GetBexAppsDir(sz), sz);
    EXPECT_STREQ(sz, "D:\\Suite\\Apps\\");
    apps.Set("\\\\\\");
    EXPECT_STREQ(GetBexAppsDir(sz), "");
    apps.Set("");
    EXPECT_STREQ(GetBexAppsDir(sz), "");
    apps.Unset();
    strcpy(sz, "stale");
    EXPECT_STREQ(GetBexAppsDir(sz), "");
}

TEST(SuiteDirectories, EachReadsItsOwnEntry)
{
    suite::GlobalEntry apps("AppsDir", "C:\\Tur\\Apps");
    suite::GlobalEntry local("LocalDir", "C:\\Tur\\Local\\");
    suite::GlobalEntry projects("ProjectsDir", "D:\\Projects");
    char sz[MAX_PATH];
    EXPECT_STREQ(GetBexAppsDir(sz), "C:\\Tur\\Apps\\");
    EXPECT_STREQ(GetBexLocalDir(sz), "C:\\Tur\\Local\\");
    EXPECT_STREQ(GetBexProjectsDir(sz), "D:\\Projects\\");
    // The HKEY_CURRENT_USER branch is not consulted.
    suite::Store(HKEY_CURRENT_USER, suite::Section("Global"), "LocalDir", REG_SZ, std::string("X:\\User", 8));
    EXPECT_STREQ(GetBexLocalDir(sz), "C:\\Tur\\Local\\");
    suite::Remove(HKEY_CURRENT_USER, suite::Section("Global"), "LocalDir");
}

TEST(SuiteDirectories, AnEntryThatWouldNotFitMaxPathCountsAsUnset)
{
    suite::GlobalEntry projects("ProjectsDir");
    // 258 characters, the backslash and the NUL fill MAX_PATH exactly.
    std::string dir = "C:\\" + std::string(255, 'p');
    projects.Set(dir + "\\\\");
    GuardedBuffer buf(MAX_PATH);
    EXPECT_EQ(std::string(GetBexProjectsDir(buf.Data())), dir + "\\");
    projects.Set(dir + "q");
    EXPECT_STREQ(GetBexProjectsDir(buf.Data()), "");
    projects.Set(std::string(5000, 'z'));
    EXPECT_STREQ(GetBexProjectsDir(buf.Data()), "");
}

TEST(SuiteDirectories, ProjectsDirIsExportedOnlyUnderItsDecoratedName)
{
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    FARPROC pfn = GetProcAddress(hLib, "_GetBexProjectsDir@4");
    ASSERT_NE(pfn, nullptr);
    EXPECT_EQ(pfn, (FARPROC)&GetBexProjectsDir);   // the import library binds the same function
    EXPECT_EQ(GetProcAddress(hLib, "GetBexProjectsDir"), nullptr);
    EXPECT_NE(GetProcAddress(hLib, "GetBexAppsDir"), nullptr);
    EXPECT_NE(GetProcAddress(hLib, "GetBexLocalDir"), nullptr);
}

namespace {

const char szCompanyKey[] = "KELM-Ostrand CfgTest";
const std::string strAppKey = std::string("Software\\") + szCompanyKey + "\\Cfg Test App";

struct RegistryApp : CWinApp {
    RegistryApp() : CWinApp("Cfg Test App")
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + szCompanyKey).c_str());
        SetRegistryKey(szCompanyKey);
    }
    ~RegistryApp() override { RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + szCompanyKey).c_str()); }
};

}  // namespace

TEST(CRegistry, ReadsAndWritesTheApplicationsRegistryProfile)
{
    RegistryApp app;
    CRegistry reg;
    EXPECT_TRUE(reg.WriteString("Window", "Pos", "1,2,3,4"));
    EXPECT_TRUE(reg.WriteInt("Window", "Count", -2));
    suite::Value v = suite::Query(HKEY_CURRENT_USER, strAppKey + "\\Window", "Pos");
    EXPECT_EQ(v.type, (DWORD)REG_SZ);
    EXPECT_EQ(v.bytes, std::string("1,2,3,4", 8));
    v = suite::Query(HKEY_CURRENT_USER, strAppKey + "\\Window", "Count");
    EXPECT_EQ(v.type, (DWORD)REG_DWORD);
    EXPECT_STREQ(reg.GetString("Window", "Pos", ""), "1,2,3,4");
    EXPECT_EQ(reg.GetInt("Window", "Count", 0), (unsigned)-2);
    EXPECT_STREQ(reg.GetString("Window", "None", "dflt"), "dflt");

    EXPECT_TRUE(reg.RemoveEntry("Window", "Pos"));
    EXPECT_EQ(suite::Query(HKEY_CURRENT_USER, strAppKey + "\\Window", "Pos").result, ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(reg.GetString("Window", "Pos", "gone"), "gone");
    EXPECT_EQ(reg.GetInt("Window", "Count", 0), (unsigned)-2);
}

TEST(CRegistry, EnumValueWalksASectionUntilNoMoreItems)
{
    RegistryApp app;
    CRegistry reg;
    reg.WriteString("Libs", "First", "C:\\Libs\\a.lin");
    reg.WriteString("Libs", "Second", "");
    suite::Store(HKEY_CURRENT_USER, strAppKey + "\\Libs", "Raw", REG_BINARY, "no-nul");

    std::set<std::pair<std::string, std::string>> seen;
    CString name("previous"), value("previous");
    for (unsigned long i = 0; i < 3; ++i) {
        ASSERT_EQ(reg.EnumValue("Libs", i, name, value), ERROR_SUCCESS) << i;
        seen.insert({ (LPCSTR)name, (LPCSTR)value });
    }
    EXPECT_EQ(seen, (std::set<std::pair<std::string, std::string>>{
                        { "First", "C:\\Libs\\a.lin" }, { "Second", "" }, { "Raw", "no-nul" } }));
    EXPECT_EQ(reg.EnumValue("Libs", 3, name, value), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(reg.EnumValue("Empty", 0, name, value), ERROR_NO_MORE_ITEMS);
}

TEST(CRegistry, OnAnInitialisationFileProfile)
{
    std::string dir = harness::TempDir();
    std::string ini = dir + "cfgtest.ini";
    {
        CWinApp app("Cfg Ini App");
        app.m_pszProfileName = ini.c_str();
        CRegistry reg;
        EXPECT_TRUE(reg.WriteString("Window", "Pos", "5,6"));
        EXPECT_TRUE(reg.WriteInt("Window", "Count", 12));
        char sz[64];
        GetPrivateProfileStringA("Window", "Pos", "", sz, sizeof(sz), ini.c_str());
        EXPECT_STREQ(sz, "5,6");
        EXPECT_EQ(GetPrivateProfileIntA("Window", "Count", 0, ini.c_str()), 12u);
        EXPECT_STREQ(reg.GetString("Window", "Pos", ""), "5,6");
        EXPECT_EQ(reg.GetInt("Window", "Count", 0), 12u);
        EXPECT_TRUE(reg.RemoveEntry("Window", "Pos"));
        EXPECT_STREQ(reg.GetString("Window", "Pos", "gone"), "gone");

        // No section keys here: the assertion is reported and the key query's error returned.
        MsgBoxCatcher catcher;
        CString name, value;
        EXPECT_EQ(reg.EnumValue("Window", 0, name, value), ERROR_INVALID_HANDLE);
        ASSERT_EQ(catcher.Count(), 1u);
        EXPECT_NE(catcher.Last().text.find("Registry.cpp:\n hSecKey != NULL\n"), std::string::npos) << catcher.Last().text;
    }
    harness::RemoveTree(dir);
}

TEST(CRegistry, WithoutAnApplicationObjectReportsAndFallsBack)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    MsgBoxCatcher catcher;
    CRegistry reg;
    EXPECT_STREQ(reg.GetString("Window", "Pos", "dflt"), "dflt");
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_NE(catcher.Last().text.find("Registry.cpp:\n pApp != NULL\n"), std::string::npos) << catcher.Last().text;
}
