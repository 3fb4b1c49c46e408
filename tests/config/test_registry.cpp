// The suite directories, CRegistry on the application's own profile, and the suite help call.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <set>

TEST(SuiteDirectories, EndInExactlyOneBackslashOrAreEmpty)
{
    suite::GlobalEntry apps("AppsDir"), local("LocalDir"), projects("ProjectsDir");
    char sz[MAX_PATH];
    const std::pair<const char*, const char*> cases[] = {
        { "D:\\Suite\\Apps\\\\", "D:\\Suite\\Apps\\" }, { "D:\\Suite\\Apps", "D:\\Suite\\Apps\\" }, { "\\\\\\", "" } };
    for (const auto& c : cases) {
        apps.Set(c.first);
        EXPECT_STREQ(GetBexAppsDir(sz), c.second) << c.first;
    }
    apps.Unset();
    EXPECT_EQ(GetBexAppsDir(strcpy(sz, "stale")), sz);
    EXPECT_STREQ(sz, "");
    local.Set("C:\\Tur\\Local");
    EXPECT_STREQ(GetBexLocalDir(sz), "C:\\Tur\\Local\\");

    // 258 characters, the backslash and the NUL fill MAX_PATH; one more counts as unset.
    harness::GuardedBuffer buf(MAX_PATH);
    std::string dir = "C:\\" + std::string(255, 'p');
    projects.Set(dir + "\\\\");
    EXPECT_EQ(std::string(GetBexProjectsDir(buf.Data())), dir + "\\");
    projects.Set(dir + "q");
    EXPECT_STREQ(GetBexProjectsDir(buf.Data()), "");
}

TEST(CRegistry, EnumeratesTheApplicationsRegistryProfileAndOnAnInitialisationFileRefuses)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KELM-Ostrand CfgTest");
    {
        CWinApp app("Cfg App");
        app.SetRegistryKey("KELM-Ostrand CfgTest");
        CRegistry reg;
        EXPECT_TRUE(reg.WriteString("Libs", "First", "C:\\Libs\\a.lin"));
        EXPECT_TRUE(reg.WriteInt("Libs", "Count", -2));
        suite::Store(HKEY_CURRENT_USER, "Software\\KELM-Ostrand CfgTest\\Cfg App\\Libs", "Raw", REG_BINARY, "no-nul");
        std::set<std::string> seen;
        CString name, value;
        for (unsigned long i = 0; i < 3; ++i) {
            ASSERT_EQ(reg.EnumValue("Libs", i, name, value), ERROR_SUCCESS) << i;
            seen.insert(std::string(name) + "=" + std::string(value, value.GetLength()));
        }
        // Data of any type comes as bytes, up to a NUL or its end.
        EXPECT_EQ(seen, (std::set<std::string>{ "First=C:\\Libs\\a.lin", "Count=\xFE\xFF\xFF\xFF", "Raw=no-nul" }));
        EXPECT_EQ(reg.EnumValue("Libs", 3, name, value), ERROR_NO_MORE_ITEMS);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KELM-Ostrand CfgTest");

    std::string dir = harness::TempDir(), ini = dir + "cfgtest.ini";
    {
        CWinApp app("Cfg Ini App");
        app.m_pszProfileName = ini.c_str();
        CRegistry reg;
        EXPECT_TRUE(reg.WriteString("Window", "Pos", "5,6"));
        harness::MsgBoxCatcher catcher;
        CString name, value;
        EXPECT_EQ(reg.EnumValue("Window", 0, name, value), ERROR_INVALID_HANDLE);
        ASSERT_EQ(catcher.Count(), 1u);
        EXPECT_NE(catcher.Last().text.find("Registry.cpp:\n hSecKey != NULL\n"), std::string::npos);
    }
    harness::RemoveTree(dir);
}

// Wine's WinHelpA hands its request to the first window of class "MS_WINHELP" and starts its own
// viewer only when there is none: a receiver is always up first, so that none is started.
TEST(SuiteHelp, OpensWexHlpOfTheApplicationsDirectoryAtTheKeyword)
{
    suite::GlobalEntry apps("AppsDir");
    harness::Receiver viewer("MS_WINHELP");
    apps.Set("C:\\Tur\\Apps\\\\");
    ShowBexHelp(BEX_HELPKEY_VERSIONINFO);
    apps.Unset();
    ShowBexHelp(BEX_HELPKEY_BROWSEFOLDER);
    apps.Set("C:\\" + std::string(300, 'a'));   // too long for a path: as if unset
    ShowBexHelp(BEX_HELPKEY_ABOUT);

    ASSERT_EQ(viewer.Received().size(), 3u);
    EXPECT_EQ(*(const WORD*)&viewer.Received()[0].bytes[2], HELP_KEY);   // the command's place in Wine's block
    EXPECT_EQ(harness::HelpRequests(viewer.Received()),
              (std::vector<std::string>{ "C:\\Tur\\Apps\\Wex.hlp|Version Information dialog box",
                                         "Wex.hlp|Browse for Folder dialog box", "Wex.hlp|About dialog box" }));
}
