// The application object, message boxes, the resource chain and AfxAbort.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>
#include <algorithm>

// Without an application object the caption is the program's title (see the library's DllError).
TEST(AfxMessageBox, TheCaptionIsTheApplicationTitle)
{
    harness::MsgBoxCatcher catcher;
    CWinApp app("Wex Demo");
    catcher.Answer(IDNO);
    EXPECT_EQ(AfxMessageBox("sure?", MB_YESNO | MB_ICONQUESTION), IDNO);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().caption, "Wex Demo");
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONQUESTION);
}

// This program uses no function of the library, so it loads it the way a tool loads an
// extension DLL on demand; the library joins the chain when it attaches.
TEST(ResourceChain, FindsTheLibrarysResourcesAndTermUnlinksOnlyThatModule)
{
    HINSTANCE hLib = LoadLibraryA("BexLib32.dll");
    ASSERT_NE(hLib, nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(NULL));
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION), hLib);

    HMODULE hFake = GetModuleHandleA("kernel32.dll");
    AFX_EXTENSION_MODULE ext = {};
    ASSERT_TRUE(AfxInitExtensionModule(ext, hFake));
    new CDynLinkLibrary(ext);
    auto modules = [] {
        std::vector<HMODULE> v;
        for (CDynLinkLibrary* p = AfxGetModuleState()->m_pFirstDLL; p; p = p->m_pNextDLL)
            v.push_back(p->m_hModule);
        return v;
    };
    size_t n = modules().size();
    AfxTermExtensionModule(ext);
    std::vector<HMODULE> after = modules();
    EXPECT_EQ(after.size(), n - 1);
    EXPECT_EQ(std::count(after.begin(), after.end(), hFake), 0);
    EXPECT_EQ(std::count(after.begin(), after.end(), hLib), 1);
}

BEX_CHILD(abort)
{
    printf("before\n");
    fflush(stdout);
    AfxAbort();
    printf("after\n");
}

TEST(AfxAbort, EndsTheProcessWithExitCode3AndNoBox)
{
    harness::ChildResult r = harness::RunChild("abort");
    EXPECT_FALSE(r.timedOut);   // a runtime abort box would have kept the child alive
    EXPECT_EQ(r.exitCode, 3u);
    EXPECT_EQ(r.output.substr(0, 6), "before");
    EXPECT_EQ(r.output.find("after"), std::string::npos);
}
