// Acknowledged messages, with the sample application as the receiver in a process of its own.
#include "partner.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

// A receiver that acknowledges and then closes its window at once still gets its answer through.
TEST(PostMessageAndWaitAck, ReturnsTheAcknowledgedResultOrMinusOneWhenTheReceiverDies)
{
    const struct { const char* pszMode; LRESULT lResult; } cases[] = {
        { WEX_RESPOND_NORMAL, 42 }, { WEX_RESPOND_DIE, -1 }, { WEX_RESPOND_QUIT, 42 } };
    for (const auto& c : cases) {
        Partner partner(c.pszMode);
        ASSERT_NE(partner.Hwnd(), nullptr);
        OwnWindow own;
        ATOM nAtom = GlobalAddMolecule(std::string(42, 'k').c_str());
        Watchdog watchdog(20000, partner.Process());
        EXPECT_EQ(PostMessageAndWaitAck(partner.Hwnd(), WEXM_MOLECULE_LENGTH, (WPARAM)own.Hwnd(), nAtom), c.lResult)
            << c.pszMode;
        GlobalDeleteMolecule(nAtom);
    }
}

// An acknowledge carries 32 bits on every width: a 64-bit sender's upper half is not part of it.
TEST(PostMessageAndWaitAck, TheResultIs32BitsWideOnEveryWidth)
{
    harness::Receiver silent("BexSilentReceiver");   // the answer is in the queue already
    OwnWindow own;
    PostMessageA(own.Hwnd(), RegisterBexAckMessage(), 0, (LPARAM)((ULONG_PTR)0x5A << 31 << 1 | 0xFFFFFFF9));
    Watchdog watchdog(20000, NULL);
    EXPECT_EQ(PostMessageAndWaitAck(silent.Hwnd(), WM_USER, 0, 0), -7);
}

TEST(PostMessageAndWaitAck, AQuitEndsTheWaitAndIsPostedAgainForTheCallersLoop)
{
    harness::Receiver silent("BexSilentReceiver");   // never acknowledges
    PostQuitMessage(7);
    Watchdog watchdog(20000, NULL);
    EXPECT_EQ(PostMessageAndWaitAck(silent.Hwnd(), WM_USER, 0, 0), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

namespace {

// A receiver on a thread of its own that answers and closes its window while the waiting
// thread is held still, so that the waiter finds the answer and the closed window together.
struct AnswerThenClose {
    HWND hWnd = NULL;
    HANDLE hWaiter = NULL;
    HANDLE hReady = CreateEventA(NULL, TRUE, FALSE, NULL);

    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg != WM_APP)
            return DefWindowProcA(hWnd, uMsg, wParam, lParam);
        AnswerThenClose* p = (AnswerThenClose*)GetWindowLongPtrA(hWnd, GWLP_USERDATA);
        Sleep(200);   // the waiter is inside its wait by now
        SuspendThread(p->hWaiter);
        PostAckMessage((HWND)wParam, 42);
        DestroyWindow(hWnd);
        ResumeThread(p->hWaiter);
        return 0;
    }
    static DWORD WINAPI Run(LPVOID pv)
    {
        AnswerThenClose* p = (AnswerThenClose*)pv;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.lpszClassName = "BexAnswerThenClose";
        RegisterClassA(&wc);
        p->hWnd = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
        SetWindowLongPtrA(p->hWnd, GWLP_USERDATA, (LONG_PTR)p);
        SetEvent(p->hReady);
        MSG msg;
        while (IsWindow(p->hWnd) && GetMessageA(&msg, NULL, 0, 0) > 0)
            DispatchMessageA(&msg);
        UnregisterClassA(wc.lpszClassName, NULL);
        return 0;
    }
};

}  // namespace

TEST(PostMessageAndWaitAck, AnAnswerWaitingInTheQueueCountsThoughItsSenderHasGone)
{
    AnswerThenClose partner;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &partner.hWaiter, 0, FALSE, DUPLICATE_SAME_ACCESS);
    HANDLE hThread = CreateThread(NULL, 0, AnswerThenClose::Run, &partner, 0, NULL);
    WaitForSingleObject(partner.hReady, 10000);
    OwnWindow own;
    Watchdog watchdog(20000, NULL);
    EXPECT_EQ(PostMessageAndWaitAck(partner.hWnd, WM_APP, (WPARAM)own.Hwnd(), 0), 42);
    WaitForSingleObject(hThread, 10000);
    CloseHandle(hThread);
    CloseHandle(partner.hWaiter);
    CloseHandle(partner.hReady);
}
