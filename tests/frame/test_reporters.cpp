// The error boxes, read from the real message boxes.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

using harness::MsgBoxCatcher;

TEST(SystemError, FormatsALibraryStringIntoATaskModalErrorBox)
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

    // Only the low word of the id counts; a long text is cut at 259 characters.
    SystemError(NULL, 0x50000 | 135, 0, 0);
    EXPECT_EQ(catcher.Last().text, "Out of memory.");
    std::string name(600, 'n');
    SystemError(NULL, 136, (DWORD_PTR)name.c_str(), 0);
    ASSERT_EQ(catcher.Last().text.size(), 259u);
    EXPECT_EQ(catcher.Last().text.compare(0, 18, "Cannot open file '"), 0);
}

TEST(SystemInfo, IsAnInformationBoxThatIsNotTaskModal)
{
    MsgBoxCatcher catcher;
    EXPECT_EQ(SystemInfo(NULL, 141, (DWORD_PTR) "Wex.hlp", 0), IDOK);
    EXPECT_EQ(catcher.Last().text, "File Wex.hlp not found or invalid.");
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
    EXPECT_EQ(catcher.Last().text, std::string(szExpected).substr(0, catcher.Last().text.size()));
    EXPECT_FALSE(catcher.Last().text.empty());
    EXPECT_EQ(catcher.Last().caption, "System Error");
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONEXCLAMATION);
    // A code the system does not know.
    SetLastError(0x2000BEEF);
    LastError(NULL);
    EXPECT_EQ(catcher.Last().text, "Unknown Error");
}

TEST(DllError, NumbersTheMessageUsesTheProgramTitleAndCutsAt299Characters)
{
    MsgBoxCatcher catcher;
    DllError(140, "logo.bmp");
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, "Error 140: Invalid DIB file 'logo.bmp'.");
    EXPECT_EQ(catcher.Last().caption, "test_frame");
    // The resource handle is restored afterwards.
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(NULL));
    // A long text is cut at 299 characters.
    std::string name(1000, 'q');
    DllError(142, name.c_str());
    EXPECT_EQ(catcher.Last().text.size(), 299u);
    EXPECT_EQ(catcher.Last().text.compare(0, 30, "Error 142: Read error on file:"), 0);
}

namespace {
struct SentCall {
    HWND hWnd;
    HANDLE hReturned;
    static DWORD WINAPI Send(LPVOID pv)
    {
        SentCall* p = static_cast<SentCall*>(pv);
        SendMessageA(p->hWnd, WM_USER, 0, 0);
        SetEvent(p->hReturned);
        return 0;
    }
};
LRESULT CALLBACK DllErrorWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_USER) {
        DllError(135);
        return 7;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
}  // namespace

TEST(DllError, RepliesToAMessageSentFromAnotherThreadBeforeShowingTheBox)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DllErrorWndProc;
    wc.lpszClassName = "DllErrorSink";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowA("DllErrorSink", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    SentCall call = { hWnd, CreateEventA(NULL, TRUE, FALSE, NULL) };
    HANDLE hThread = CreateThread(NULL, 0, SentCall::Send, &call, 0, NULL);

    MsgBoxCatcher catcher;
    bool bSenderFreeWhileBoxUp = false;
    catcher.OnBox([&](const harness::MsgBox&) {
        bSenderFreeWhileBoxUp = WaitForSingleObject(call.hReturned, 5000) == WAIT_OBJECT_0;
    });
    while (WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT)
        harness::PumpFor(20);
    EXPECT_TRUE(bSenderFreeWhileBoxUp);
    EXPECT_EQ(catcher.Count(), 1u);
    CloseHandle(hThread);
    CloseHandle(call.hReturned);
    DestroyWindow(hWnd);
}

BEX_CHILD(fatal_missing_string)
{
    MsgBoxCatcher catcher;
    catcher.OnBox([](const harness::MsgBox& box) {
        printf("box: %s\n", box.text.c_str());
        fflush(stdout);
    });
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
    LPCSTR p1 = _fString(1000);
    LPCSTR p2 = _fString(1002);
    EXPECT_STREQ(p1, "System Error");
    EXPECT_STREQ(p2, "System Info");
    LPCSTR p3 = _fString(135);
    EXPECT_EQ(p3, p1);   // the third call reuses the first buffer
    EXPECT_STREQ(p1, "Out of memory.");
    char sz[8];
    EXPECT_STREQ(fSString(136, sz, sizeof(sz)), "Cannot ");
}
