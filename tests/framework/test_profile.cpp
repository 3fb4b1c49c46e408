// The application object's profile, in the registry and in an initialisation file, checked with
// raw registry and private-profile calls.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

namespace {

const char szKey[] = "FxProfile Test";
const char szAppKey[] = "Software\\FxProfile Test\\Profile App";

LONG RawQuery(const std::string& path, const char* pszEntry, DWORD* pdwType, std::string* pBytes)
{
    HKEY h;
    LONG l = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h);
    if (l != ERROR_SUCCESS)
        return l;
    char buf[1024];
    DWORD cb = sizeof(buf);
    l = RegQueryValueExA(h, pszEntry, NULL, pdwType, (BYTE*)buf, &cb);
    if (l == ERROR_SUCCESS && pBytes)
        pBytes->assign(buf, cb);
    RegCloseKey(h);
    return l;
}

void RawStore(const std::string& path, const char* pszEntry, DWORD dwType, const std::string& bytes)
{
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h, NULL), ERROR_SUCCESS);
    RegSetValueExA(h, pszEntry, 0, dwType, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(h);
}

struct RegistryProfile : testing::Test {
    CWinApp app{ "Profile App" };
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FxProfile Test");
        app.SetRegistryKey(szKey);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FxProfile Test"); }
};

}  // namespace

TEST(Profile, WithoutARegistryKeyTheProfileIsTheProgramsIniFile)
{
    CWinApp app("Some Title");
    EXPECT_EQ(app.m_pszRegistryKey, nullptr);
    EXPECT_STREQ(app.m_pszProfileName, "test_framework.INI");
    EXPECT_EQ(app.GetAppRegistryKey(), (HKEY)NULL);
    EXPECT_EQ(app.GetSectionKey("Any"), (HKEY)NULL);
}

TEST_F(RegistryProfile, SetRegistryKeyNamesTheProfileAfterTheApplication)
{
    EXPECT_STREQ(app.m_pszRegistryKey, szKey);
    EXPECT_STREQ(app.m_pszProfileName, "Profile App");
    HKEY hAppKey = app.GetAppRegistryKey();
    ASSERT_NE(hAppKey, (HKEY)NULL);
    RegCloseKey(hAppKey);
    HKEY h;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, szAppKey, 0, KEY_READ, &h), ERROR_SUCCESS);
    RegCloseKey(h);
    HKEY hSecKey = app.GetSectionKey("Settings\\Sub");
    ASSERT_NE(hSecKey, (HKEY)NULL);
    RegCloseKey(hSecKey);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(szAppKey) + "\\Settings\\Sub").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
    RegCloseKey(h);
}

TEST_F(RegistryProfile, NumbersAndTextsRoundTripAsDwordAndSz)
{
    EXPECT_TRUE(app.WriteProfileInt("Settings", "Width", -640));
    EXPECT_TRUE(app.WriteProfileString("Settings", "Title", "Main window"));
    DWORD dwType = 0;
    std::string bytes;
    ASSERT_EQ(RawQuery(std::string(szAppKey) + "\\Settings", "Width", &dwType, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(dwType, (DWORD)REG_DWORD);
    EXPECT_EQ(bytes, std::string("\x80\xFD\xFF\xFF", 4));
    ASSERT_EQ(RawQuery(std::string(szAppKey) + "\\Settings", "Title", &dwType, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(dwType, (DWORD)REG_SZ);
    EXPECT_EQ(bytes, std::string("Main window", 12));
    EXPECT_EQ(app.GetProfileInt("Settings", "Width", 0), (UINT)-640);
    EXPECT_STREQ(app.GetProfileString("Settings", "Title"), "Main window");
    EXPECT_TRUE(app.WriteProfileString("Settings", "Empty", ""));
    EXPECT_STREQ(app.GetProfileString("Settings", "Empty", "dflt"), "");
}

TEST_F(RegistryProfile, MissingOrMistypedEntriesGiveTheDefault)
{
    EXPECT_EQ(app.GetProfileInt("Settings", "None", 17), 17u);
    EXPECT_STREQ(app.GetProfileString("Settings", "None", "dflt"), "dflt");
    EXPECT_STREQ(app.GetProfileString("Settings", "None"), "");
    app.WriteProfileString("Settings", "Text", "abc");
    app.WriteProfileInt("Settings", "Number", 5);
    EXPECT_EQ(app.GetProfileInt("Settings", "Text", 17), 17u);
    EXPECT_STREQ(app.GetProfileString("Settings", "Number", "dflt"), "dflt");
}

TEST_F(RegistryProfile, ATextStoredWithoutItsNulEndsWhereItsBytesEnd)
{
    RawStore(std::string(szAppKey) + "\\Settings", "Bare", REG_SZ, "abcdef");
    EXPECT_STREQ(app.GetProfileString("Settings", "Bare"), "abcdef");
}

TEST_F(RegistryProfile, NullValueDeletesTheEntryAndNullEntryTheSection)
{
    app.WriteProfileString("Settings", "A", "a");
    app.WriteProfileString("Settings", "B", "b");
    EXPECT_TRUE(app.WriteProfileString("Settings", "A", NULL));
    EXPECT_EQ(RawQuery(std::string(szAppKey) + "\\Settings", "A", NULL, NULL), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RawQuery(std::string(szAppKey) + "\\Settings", "B", NULL, NULL), ERROR_SUCCESS);
    EXPECT_TRUE(app.WriteProfileString("Settings", NULL, NULL));
    EXPECT_EQ(RawQuery(std::string(szAppKey) + "\\Settings", "B", NULL, NULL), ERROR_FILE_NOT_FOUND);
    HKEY h;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(szAppKey) + "\\Settings").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
}

TEST(Profile, AnInitialisationFileHoldsSectionsAndEntries)
{
    std::string dir = harness::TempDir();
    std::string ini = dir + "app.ini";
    {
        CWinApp app("Ini App");
        app.m_pszProfileName = ini.c_str();
        EXPECT_TRUE(app.WriteProfileInt("Window", "X", -5));
        EXPECT_TRUE(app.WriteProfileString("Window", "Title", "Main"));
        EXPECT_TRUE(app.WriteProfileString("Other", "Keep", "1"));
        EXPECT_EQ(app.GetProfileInt("Window", "X", 0), (UINT)-5);
        EXPECT_STREQ(app.GetProfileString("Window", "Title"), "Main");
        EXPECT_STREQ(app.GetProfileString("Window", "None", "dflt"), "dflt");
        char sz[32];
        GetPrivateProfileStringA("Window", "Title", "", sz, sizeof(sz), ini.c_str());
        EXPECT_STREQ(sz, "Main");

        EXPECT_TRUE(app.WriteProfileString("Window", "Title", NULL));
        EXPECT_STREQ(app.GetProfileString("Window", "Title", "gone"), "gone");
        EXPECT_EQ(app.GetProfileInt("Window", "X", 0), (UINT)-5);
        EXPECT_TRUE(app.WriteProfileString("Window", NULL, NULL));
        EXPECT_EQ(app.GetProfileInt("Window", "X", 3), 3u);
        EXPECT_STREQ(app.GetProfileString("Other", "Keep"), "1");
    }
    harness::RemoveTree(dir);
}

TEST(Profile, ALongIniValueIsReadWhole)
{
    std::string dir = harness::TempDir();
    std::string ini = dir + "long.ini";
    {
        CWinApp app("Ini App");
        app.m_pszProfileName = ini.c_str();
        std::string value(3000, 'v');
        value += "end";
        ASSERT_TRUE(app.WriteProfileString("S", "Long", value.c_str()));
        EXPECT_EQ(std::string(app.GetProfileString("S", "Long")), value);
    }
    harness::RemoveTree(dir);
}
