// CVersionInfo on the library itself and on fixture DLLs whose resources have known shapes.
// Languages are compared with what the system names.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

CString Fixture(const char* pszName) { return CString(harness::ModuleDir().c_str()) + pszName + ".dll"; }

// The name of the first translation's language, read with the version API directly.
std::string LanguageOf(LPCSTR pszPath)
{
    DWORD dw = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeA(pszPath, &dw) + 1);
    DWORD* pdwTranslation = NULL;
    UINT n = 0;
    char sz[128] = "";
    if (GetFileVersionInfoA(pszPath, dw, (DWORD)data.size(), data.data()) &&
        VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&pdwTranslation, &n) && n >= 4)
        VerLanguageNameA(*pdwTranslation, sz, sizeof(sz));
    return sz;
}

}  // namespace

TEST(CVersionInfo, ReadsAFileByPathOrAsTheCurrentInstance)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_comma")));
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "2, 1, 0, 17");
    EXPECT_STREQ(info.StringFileInfo("FileDescription"), "Komma-Werkzeug");
    EXPECT_EQ(std::string(info.Language()), LanguageOf(Fixture("verfix_comma")));
    ASSERT_NE(info.GetFixedFileInfo(), nullptr);
    EXPECT_EQ(info.GetFixedFileInfo()->dwFileVersionLS, (DWORD)MAKELONG(17, 0));

    // An empty name: the current instance's file; this program has no resource, the library has.
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    HINSTANCE hSaved = pState->m_hCurrentInstanceHandle;
    EXPECT_FALSE(info.Init(""));
    pState->m_hCurrentInstanceHandle = GetModuleHandleA("BexLib32.dll");
    EXPECT_TRUE(info.Init(""));
    pState->m_hCurrentInstanceHandle = hSaved;
    EXPECT_STREQ(info.StringFileInfo("InternalName"), "BexLib32");
}

TEST(CVersionInfo, AFailedQueryEmptiesEveryLaterOneUntilInit)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_comma")));
    EXPECT_STREQ(info.StringFileInfo("Author"), "");
    EXPECT_FALSE(info.IsOk());
    EXPECT_STREQ(info.StringFileInfo("FileDescription"), "");
    EXPECT_STREQ(info.Language(), "");
    EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
    // A second Init drops the data together with the pointer into it.
    ASSERT_TRUE(info.Init(Fixture("verfix_comma")));
    const VS_FIXEDFILEINFO*& rpffi = info.GetFixedFileInfo();
    ASSERT_NE(rpffi, nullptr);
    EXPECT_FALSE(info.Init(Fixture("verfix_none")));
    EXPECT_EQ(rpffi, nullptr);

    // Of several translations only the first is used: the string table it names, although
    // another comes first in the file.
    ASSERT_TRUE(info.Init(Fixture("verfix_twolang")));
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "3.0 english");
}

TEST(CVersionInfo, ResourcesThatLackAPartAnswerNothingOfIt)
{
    for (const char* pszName : { "verfix_none", "no_such_file", "verfix_novar" }) {
        CVersionInfo info;
        EXPECT_FALSE(info.Init(Fixture(pszName))) << pszName;
        EXPECT_STREQ(info.StringFileInfo("FileVersion"), "") << pszName;
        EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
    }
    // A root block shorter than the fixed information is not taken for it. The entry is three
    // characters stored without a NUL; freed blocks of the version data's size, full of junk,
    // are likely to become the version data: an overrun shows.
    DWORD dw = 0, cb = GetFileVersionInfoSizeA(Fixture("verfix_nofixed"), &dw);
    std::vector<void*> junk(64);
    for (void*& p : junk)
        p = memset(malloc(cb), 'X', cb);
    for (void* p : junk)
        free(p);
    CVersionInfo info;
    ASSERT_TRUE(info.Init(Fixture("verfix_nofixed")));
    EXPECT_STREQ(info.StringFileInfo("FileVersion"), "9.9");
    EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
}

TEST(CVersionInfo, AResourceWhoseLengthsReachPastItIsNotRead)
{
    // The version API walks a resource by the lengths stored in it, and converts texts into the
    // buffer at an offset the root's length gives: such a resource would be read, and written,
    // outside its buffer.
    std::string good = harness::ReadFileBytes((LPCSTR)Fixture("verfix_comma"));
    const char szRoot[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0";
    size_t nRoot = good.find(std::string(szRoot, sizeof(szRoot) - 1)) - 6;
    size_t nVar = good.find(std::string("V\0a\0r\0F\0i\0l\0e\0", 14)) - 6;
    size_t nTranslation = good.find(std::string("T\0r\0a\0n\0s\0", 10)) - 6;
    ASSERT_LT(nTranslation, good.size());
    const struct { size_t at; WORD w; const char* what; } damage[] = {
        { nRoot, 0xFFFF, "the root longer than the resource" },
        { nVar, 0x7FF0, "a block longer than its parent" },
        { nTranslation + 2, 0x7FFF, "a value longer than the resource" },
    };
    std::string dir = harness::TempDir();
    for (const auto& d : damage) {
        std::string bytes = good;
        memcpy(&bytes[d.at], &d.w, sizeof(d.w));
        harness::WriteFileBytes(dir + "damaged.dll", bytes);
        CVersionInfo info;
        EXPECT_FALSE(info.Init((dir + "damaged.dll").c_str())) << d.what;
        EXPECT_STREQ(info.StringFileInfo("FileVersion"), "") << d.what;
    }
    harness::RemoveTree(dir);
}
