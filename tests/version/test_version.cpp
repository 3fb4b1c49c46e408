// CVersionInfo on the library itself, on fixture DLLs whose resources have known shapes, and on
// a program file of the Wine prefix.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

std::string Fixture(const char* pszName)
{
    return harness::ModuleDir() + pszName + ".dll";
}

std::string LibraryPath()
{
    char sz[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA("BexLib32.dll"), sz, MAX_PATH);
    return sz;
}

// The first translation entry of a file, read with the version API directly.
DWORD RawTranslation(const std::string& path)
{
    DWORD dwHandle = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeA(path.c_str(), &dwHandle));
    DWORD* pdw = NULL;
    UINT n = 0;
    if (data.empty() || !GetFileVersionInfoA(path.c_str(), dwHandle, (DWORD)data.size(), data.data()) ||
        !VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&pdw, &n) || n < 4)
        return 0;
    return *pdw;
}

std::string LanguageName(DWORD dwTranslation)
{
    char sz[128] = "";
    VerLanguageNameA(dwTranslation, sz, sizeof(sz));
    return sz;
}

}  // namespace

TEST(CVersionInfo, ReadsTheLibrarysOwnResource)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(LibraryPath().c_str()));
    EXPECT_TRUE(info.IsOk());
    EXPECT_STREQ(info.StringFileInfo("ProductVersion"), "1.4");
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "1.4.0.0");
    EXPECT_STREQ(info.StringFileInfo("OriginalFilename"), "BexLib32.DLL");
    const VS_FIXEDFILEINFO* pffi = info.GetFixedFileInfo();
    ASSERT_NE(pffi, nullptr);
    EXPECT_EQ(pffi->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(pffi->dwFileVersionMS, (DWORD)MAKELONG(4, 1));
    // US English with the Unicode code page.
    EXPECT_EQ(RawTranslation(LibraryPath()), 0x04B00409u);
    EXPECT_EQ(std::string(info.Language()), LanguageName(RawTranslation(LibraryPath())));
    EXPECT_FALSE(std::string(info.Language()).empty());
}

TEST(CVersionInfo, AnEmptyNameReadsTheCurrentInstancesFile)
{
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    HINSTANCE hSaved = pState->m_hCurrentInstanceHandle;
    CVersionInfo info;
    // This program has no version resource of its own.
    EXPECT_FALSE(info.Init(""));
    // Inside the library's module state the current instance is the library.
    pState->m_hCurrentInstanceHandle = GetModuleHandleA("BexLib32.dll");
    EXPECT_TRUE(info.Init(""));
    pState->m_hCurrentInstanceHandle = hSaved;
    EXPECT_STREQ(info.StringFileInfo("InternalName"), "BexLib32");
}

TEST(CVersionInfo, AFileWithoutVersionResourceAnswersNothing)
{
    for (std::string path : { Fixture("verfix_none"), Fixture("no_such_file") }) {
        CVersionInfo info;
        EXPECT_FALSE(info.Init(path.c_str())) << path;
        EXPECT_FALSE(info.IsOk());
        EXPECT_STREQ(info.StringFileInfo("FileVersion"), "");
        EXPECT_STREQ(info.Language(), "");
        EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
    }
}

TEST(CVersionInfo, AFailedQueryEmptiesEveryLaterOneUntilInit)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_comma").c_str()));
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "2, 1, 0, 17");
    EXPECT_STREQ(info.StringFileInfo("Author"), "");
    EXPECT_FALSE(info.IsOk());
    EXPECT_STREQ(info.StringFileInfo("FileDescription"), "");
    EXPECT_STREQ(info.Language(), "");
    EXPECT_EQ(info.GetFixedFileInfo(), nullptr);

    ASSERT_TRUE(info.Init(Fixture("verfix_comma").c_str()));
    EXPECT_STREQ(info.StringFileInfo("FileDescription"), "Komma-Werkzeug");
    const VS_FIXEDFILEINFO*& rpffi = info.GetFixedFileInfo();
    ASSERT_NE(rpffi, nullptr);
    EXPECT_EQ(rpffi->dwFileVersionLS, (DWORD)MAKELONG(17, 0));
    // A failed query leaves the pointer found before.
    info.StringFileInfo("Missing");
    EXPECT_EQ(info.GetFixedFileInfo(), rpffi);
    EXPECT_NE(rpffi, nullptr);
}

TEST(CVersionInfo, TheLanguageIsThatOfTheFirstTranslation)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_comma").c_str()));
    EXPECT_EQ(std::string(info.Language()), LanguageName(RawTranslation(Fixture("verfix_comma"))));
    EXPECT_NE(std::string(info.Language()), LanguageName(0x0409));
}

TEST(CVersionInfo, OnlyTheFirstOfSeveralTranslationsIsUsed)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_twolang").c_str()));
    // The string table the first translation names, although another comes first in the file.
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "3.0 english");
    EXPECT_STREQ(info.StringFileInfo("FileDescription"), "Bilingual");
    EXPECT_EQ(std::string(info.Language()), LanguageName(RawTranslation(Fixture("verfix_twolang"))));
}

TEST(CVersionInfo, AResourceWithoutTranslationTableFailsInit)
{
    CVersionInfo info;
    EXPECT_FALSE(info.Init(Fixture("verfix_novar").c_str()));
    EXPECT_FALSE(info.IsOk());
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "");
    EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
}

TEST(CVersionInfo, ARootBlockTooShortForTheFixedInformationIsNotUsed)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_nofixed").c_str()));
    EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
    EXPECT_FALSE(info.IsOk());
}

TEST(CVersionInfo, AnEntryIsCopiedWithinItsStatedLength)
{
    // The fixture's entry is three characters long, stored without a NUL. Freed blocks of the
    // version data's size, full of junk, are likely to become the version data: an overrun shows.
    DWORD dwHandle = 0;
    DWORD cb = GetFileVersionInfoSizeA(Fixture("verfix_nofixed").c_str(), &dwHandle);
    ASSERT_NE(cb, 0u);
    std::vector<void*> junk(64);
    for (void*& p : junk)
        p = memset(malloc(cb), 'X', cb);
    for (void* p : junk)
        free(p);
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_nofixed").c_str()));
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "9.9");
}

TEST(CVersionInfo, ASecondInitDropsWhatTheFirstFound)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_comma").c_str()));
    const VS_FIXEDFILEINFO*& rpffi = info.GetFixedFileInfo();
    ASSERT_NE(rpffi, nullptr);
    EXPECT_FALSE(info.Init(Fixture("verfix_none").c_str()));
    EXPECT_EQ(rpffi, nullptr);   // not left pointing into released data
    EXPECT_STREQ(info.Language(), "");
    ASSERT_TRUE(info.Init(Fixture("verfix_twolang").c_str()));
    ASSERT_NE(info.GetFixedFileInfo(), nullptr);
    EXPECT_EQ(rpffi->dwFileVersionMS, (DWORD)MAKELONG(0, 3));
}

TEST(CVersionInfo, NamesTheLanguageOfAWindowsFile)
{
    char szPath[MAX_PATH];
    GetSystemDirectoryA(szPath, MAX_PATH);
    std::string path = std::string(szPath) + "\\kernel32.dll";
    CVersionInfo info;
    ASSERT_TRUE(info.Init("kernel32.dll"));   // a bare name, found by the version API's search
    EXPECT_FALSE(std::string(info.StringFileInfo("FileVersion")).empty());
    ASSERT_TRUE(info.Init("kernel32.dll"));
    std::string expected = LanguageName(RawTranslation(path));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(std::string(info.Language()), expected);
}
