// The error boxes, read from the real message boxes.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using harness::MsgBoxCatcher;

TEST(SystemError, FormatsALibraryStringIntoATaskModalErrorBoxCutAt259Characters)
{
    MsgBoxCatcher catcher;
    EXPECT_EQ(SystemError(NULL, 136, (DWORD_PTR) "plc.qhw", 0), IDOK);
    ASSERT_EQ(catcher.Count(), 1u);
    const harness::MsgBox& box = catcher.Last();
    EXPECT_EQ(box.text, "Cannot open file 'plc.qhw'.");
    EXPECT_EQ(box.caption, "System Error");
    EXPECT_EQ(box.type, (UINT)MB_OK);
    EXPECT_EQ(box.icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_TRUE(box.taskModal);
    SystemError(NULL, 0x50000 | 135, 0, 0);   // only the low word of the id counts
    EXPECT_EQ(catcher.Last().text, "Out of memory.");
    std::string name(600, 'n');
    SystemError(NULL, 136, (DWORD_PTR)name.c_str(), 0);
    EXPECT_EQ(catcher.Last().text, "Cannot open file '" + std::string(259 - 18, 'n'));

    EXPECT_EQ(SystemInfo(NULL, 141, (DWORD_PTR) "Wex.hlp", 0), IDOK);
    EXPECT_EQ(catcher.Last().caption, "System Info");
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONINFORMATION);
    EXPECT_FALSE(catcher.Last().taskModal);
}

TEST(LastError, ShowsTheSystemTextForTheThreadsLastErrorOrUnknownError)
{
    MsgBoxCatcher catcher;
    char szExpected[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, ERROR_FILE_NOT_FOUND, 0x400, szExpected, sizeof(szExpected), NULL);
    SetLastError(ERROR_FILE_NOT_FOUND);
    LastError(NULL);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_FALSE(catcher.Last().text.empty());
    EXPECT_EQ(catcher.Last().text, std::string(szExpected).substr(0, catcher.Last().text.size()));
    EXPECT_EQ(catcher.Last().caption, "System Error");
    SetLastError(0x2000BEEF);   // a code the system does not know
    LastError(NULL);
    EXPECT_EQ(catcher.Last().text, "Unknown Error");
}

// Its texts are the bitmap reader's to check; here the box around them.
TEST(DllError, UsesTheProgramTitleCutsAt299CharactersAndRestoresTheResourceHandle)
{
    MsgBoxCatcher catcher;
    DllError(142, std::string(1000, 'q').c_str());
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().caption, "test_frame");
    EXPECT_EQ(catcher.Last().text.size(), 299u);
    EXPECT_EQ(catcher.Last().text.compare(0, 30, "Error 142: Read error on file:"), 0);
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(NULL));
}

namespace {
LRESULT CALLBACK SinkProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_USER)
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    DllError(135);
    return 7;
}
}  // namespace

TEST(DllError, RepliesToAMessageSentFromAnotherThreadBeforeShowingTheBox)
{
    HWND hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)SinkProc);
    std::atomic<bool> bReturned(false);
    bool bSenderFreeWhileBoxUp = false;
    MsgBoxCatcher catcher;
    catcher.OnBox([&](const harness::MsgBox&) {
        for (int i = 0; i < 250 && !bReturned; ++i)
            Sleep(20);
        bSenderFreeWhileBoxUp = bReturned;
    });
    std::thread sender([&] { SendMessageA(hWnd, WM_USER, 0, 0); bReturned = true; });
    while (!bReturned)
        harness::PumpFor(20);   // the box's modal loop runs inside
    sender.join();
    EXPECT_TRUE(bSenderFreeWhileBoxUp);
    EXPECT_EQ(catcher.Count(), 1u);
    DestroyWindow(hWnd);
}

BEX_CHILD(fatal_missing_string)
{
    MsgBoxCatcher catcher;
    catcher.OnBox([](const harness::MsgBox& box) { printf("box: %s\n", box.text.c_str()); fflush(stdout); });
    SystemError(NULL, 4321, 0, 0);
    printf("returned\n");
}

TEST(SystemError, AFormatIdThatIsNotInTheLibraryEndsTheProcess)
{
    harness::ChildResult r = harness::RunChild("fatal_missing_string");
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.output.find("Fatal error ID#4321"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("returned"), std::string::npos);
    EXPECT_NE(r.exitCode, 0u);
}

TEST(StringResources, TheRingHoldsTwoTextsAtOnce)
{
    LPCSTR p1 = _fString(1000), p2 = _fString(1002);
    EXPECT_STREQ(p2, "System Info");
    EXPECT_EQ(_fString(135), p1);   // the third call reuses the first buffer
    EXPECT_STREQ(p1, "Out of memory.");
    char sz[8];
    EXPECT_STREQ(fSString(136, sz, sizeof(sz)), "Cannot ");
}
