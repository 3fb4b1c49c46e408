// The application object, message boxes, the resource chain and AfxAbort.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

TEST(AfxMessageBox, TheCaptionIsTheApplicationTitleOrWithoutOneTheProgramTitle)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    harness::MsgBoxCatcher catcher;
    EXPECT_EQ(AfxMessageBox("hello", MB_OK), IDOK);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, "hello");
    EXPECT_EQ(catcher.Last().caption, "test_framework");

    // With one, its title.
    CWinApp app("Wex Demo");
    EXPECT_EQ(AfxGetApp(), &app);
    catcher.Answer(IDNO);
    EXPECT_EQ(AfxMessageBox("sure?", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(catcher.Last().caption, "Wex Demo");
    EXPECT_EQ(catcher.Last().type, (UINT)MB_YESNO);
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONQUESTION);
}

// This program uses no function of the library, so it loads it the way a tool loads an
// extension DLL on demand; the library joins the chain when it attaches.
static HMODULE LoadExtension()
{
    static HMODULE s_hLib = LoadLibraryA("BexLib32.dll");
    return s_hLib;
}

TEST(ResourceChain, SetAndFindResourceHandles)
{
    HINSTANCE hExe = GetModuleHandleA(NULL);
    HINSTANCE hLib = LoadExtension();
    ASSERT_NE(hLib, nullptr);
    EXPECT_EQ(AfxGetInstanceHandle(), hExe);
    EXPECT_EQ(AfxGetResourceHandle(), hExe);
    AfxSetResourceHandle(hLib);
    EXPECT_EQ(AfxGetResourceHandle(), hLib);
    AfxSetResourceHandle(hExe);
    // The library's version resource is found through the chain.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION), hLib);
}

TEST(ResourceChain, TermExtensionModuleUnlinksOnlyThatModule)
{
    ASSERT_NE(LoadExtension(), nullptr);
    HMODULE hFake = GetModuleHandleA("kernel32.dll");
    AFX_EXTENSION_MODULE ext = {};
    ASSERT_TRUE(AfxInitExtensionModule(ext, hFake));
    new CDynLinkLibrary(ext);
    int n = 0;
    for (CDynLinkLibrary* p = AfxGetModuleState()->m_pFirstDLL; p; p = p->m_pNextDLL)
        ++n;
    AfxTermExtensionModule(ext);
    int m = 0;
    bool bLibStill = false;
    for (CDynLinkLibrary* p = AfxGetModuleState()->m_pFirstDLL; p; p = p->m_pNextDLL) {
        ++m;
        bLibStill |= p->m_hModule == GetModuleHandleA("BexLib32.dll");
        EXPECT_NE(p->m_hModule, hFake);
    }
    EXPECT_EQ(m, n - 1);
    EXPECT_TRUE(bLibStill);
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
