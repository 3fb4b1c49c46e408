// The suite directories, CRegistry on the application's own profile, and the suite help call.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <set>

TEST(SuiteDirectories, EndInExactlyOneBackslashOrAreEmpty)
{
    suite::GlobalEntry apps("AppsDir"), local("LocalDir"), projects("ProjectsDir");
    char sz[MAX_PATH];
    const std::pair<const char*, const char*> cases[] = {
        { "D:\\Suite\\Apps\\\\", "D:\\Suite\\Apps\\" }, { "D:\\Suite\\Apps", "D:\\Suite\\Apps\\" }, { "\\\\\\", "" }, { "", "" } };
    for (const auto& c : cases) {
        apps.Set(c.first);
        EXPECT_STREQ(GetBexAppsDir(sz), c.second) << c.first;
    }
    apps.Unset();
    EXPECT_EQ(GetBexAppsDir(strcpy(sz, "stale")), sz);
    EXPECT_STREQ(sz, "");
    local.Set("C:\\Tur\\Local");
    projects.Set("D:\\Projects\\");
    EXPECT_STREQ(GetBexLocalDir(sz), "C:\\Tur\\Local\\");
    EXPECT_STREQ(GetBexProjectsDir(sz), "D:\\Projects\\");

    // 258 characters, the backslash and the NUL fill MAX_PATH; one more counts as unset.
    harness::GuardedBuffer buf(MAX_PATH);
    std::string dir = "C:\\" + std::string(255, 'p');
    projects.Set(dir + "\\\\");
    EXPECT_EQ(std::string(GetBexProjectsDir(buf.Data())), dir + "\\");
    projects.Set(dir + "q");
    EXPECT_STREQ(GetBexProjectsDir(buf.Data()), "");

    // Reached through the import library and exported only under its decorated name.
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    EXPECT_EQ(GetProcAddress(hLib, "_GetBexProjectsDir@4"), (FARPROC)&GetBexProjectsDir);
    EXPECT_EQ(GetProcAddress(hLib, "GetBexProjectsDir"), nullptr);
}

namespace {

const char szAppKey[] = "Software\\KELM-Ostrand CfgTest\\Cfg App";

struct RegistryApp : CWinApp {
    RegistryApp() : CWinApp("Cfg App") { Clean(); SetRegistryKey("KELM-Ostrand CfgTest"); }
    ~RegistryApp() override { Clean(); }
    static void Clean() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KELM-Ostrand CfgTest"); }
};

}  // namespace

TEST(CRegistry, EnumeratesASectionOfTheApplicationsRegistryProfile)
{
    RegistryApp app;
    CRegistry reg;
    EXPECT_TRUE(reg.WriteString("Libs", "First", "C:\\Libs\\a.lin"));
    EXPECT_TRUE(reg.WriteInt("Libs", "Count", -2));
    suite::Store(HKEY_CURRENT_USER, std::string(szAppKey) + "\\Libs", "Raw", REG_BINARY, "no-nul");
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

TEST(CRegistry, OnAnInitialisationFileEnumValueIsReportedAndFails)
{
    std::string dir = harness::TempDir(), ini = dir + "cfgtest.ini";
    {
        CWinApp app("Cfg Ini App");
        app.m_pszProfileName = ini.c_str();
        CRegistry reg;
        EXPECT_TRUE(reg.WriteString("Window", "Pos", "5,6"));
        EXPECT_STREQ(reg.GetString("Window", "Pos", ""), "5,6");
        harness::MsgBoxCatcher catcher;
        CString name, value;
        EXPECT_EQ(reg.EnumValue("Window", 0, name, value), ERROR_INVALID_HANDLE);
        ASSERT_EQ(catcher.Count(), 1u);
        EXPECT_NE(catcher.Last().text.find("Registry.cpp:\n hSecKey != NULL\n"), std::string::npos);
    }
    harness::RemoveTree(dir);
}

// Wine's WinHelpA hands its request to the first window of class "MS_WINHELP" and starts its own
// viewer only when there is none: a receiver is always up first, and no viewer may be left.
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

    // The request: command at offset 2, offsets of the file name and of the data at 12 and 14.
    std::vector<std::string> got;
    for (const harness::CopyData& cd : viewer.Received()) {
        const std::string& b = cd.bytes;
        ASSERT_GE(b.size(), 16u);
        EXPECT_EQ(cd.wParam, 0u);
        EXPECT_EQ(*(const WORD*)&b[2], HELP_KEY);
        got.push_back(std::string(&b[*(const WORD*)&b[12]]) + "|" + &b[*(const WORD*)&b[14]]);
    }
    EXPECT_EQ(got, (std::vector<std::string>{ "C:\\Tur\\Apps\\Wex.hlp|Version Information dialog box",
                                              "Wex.hlp|Browse for Folder dialog box", "Wex.hlp|About dialog box" }));

    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe = { sizeof(pe) };
    for (BOOL b = Process32First(hSnap, &pe); b; b = Process32Next(hSnap, &pe))
        EXPECT_STRNE(pe.szExeFile, "winhlp32.exe");
    CloseHandle(hSnap);
}
