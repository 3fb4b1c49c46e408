// The application object's profile, in the registry and in an initialisation file.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

TEST(Profile, InTheRegistryUnderTheKeyAndTheApplicationsTitle)
{
    const char* pszSec = "Software\\FxProfile Test\\Profile App\\Settings";
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FxProfile Test");
    {
        CWinApp app("Profile App");
        app.SetRegistryKey("FxProfile Test");
        EXPECT_TRUE(app.WriteProfileInt("Settings", "Width", -640));
        EXPECT_TRUE(app.WriteProfileString("Settings", "Empty", ""));
        EXPECT_EQ(app.GetProfileInt("Settings", "Width", 0), (UINT)-640);
        RegSetKeyValueA(HKEY_CURRENT_USER, pszSec, "Bare", REG_SZ, "abcdef", 6);   // no NUL
        EXPECT_STREQ(app.GetProfileString("Settings", "Empty", "dflt"), "");
        EXPECT_STREQ(app.GetProfileString("Settings", "Bare"), "abcdef");
        // Of the other type: the default.
        EXPECT_EQ(app.GetProfileInt("Settings", "Bare", 17), 17u);
        EXPECT_STREQ(app.GetProfileString("Settings", "Width", "dflt"), "dflt");
        EXPECT_TRUE(app.WriteProfileString("Settings", NULL, NULL));
        HKEY h;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, pszSec, 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FxProfile Test");
}

TEST(Profile, InAnInitialisationFileLongTextsAndSignedNumbers)
{
    std::string dir = harness::TempDir(), ini = dir + "app.ini";
    {
        CWinApp app("Ini App");
        app.m_pszProfileName = ini.c_str();
        std::string strLong = std::string(3000, 'v') + "end";
        EXPECT_TRUE(app.WriteProfileInt("Window", "X", -5));
        EXPECT_TRUE(app.WriteProfileString("Window", "Long", strLong.c_str()));
        EXPECT_EQ(app.GetProfileInt("Window", "X", 0), (UINT)-5);
        EXPECT_EQ(std::string(app.GetProfileString("Window", "Long")), strLong);
        EXPECT_TRUE(app.WriteProfileString("Window", NULL, NULL));
        EXPECT_STREQ(app.GetProfileString("Window", "Long", "gone"), "gone");
    }
    harness::RemoveTree(dir);
}
