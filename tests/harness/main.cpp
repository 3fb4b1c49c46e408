// The entry point of every test program: a child scenario when asked for one, else GoogleTest.
#include "harness.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <string>

namespace {

// A test that waits for a window which never comes would hold the whole run until the runner's
// time limit, and then say nothing about where it stopped. The watchdog ends such a program
// early, naming the test and the windows its thread had open.
const DWORD s_dwTestLimitMs = 180000;
CRITICAL_SECTION s_cs;
std::string s_current;
DWORD s_dwStarted, s_dwMainThread;

class WatchdogListener : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo& info) override
    {
        EnterCriticalSection(&s_cs);
        s_current = std::string(info.test_suite_name()) + "." + info.name();
        s_dwStarted = GetTickCount();
        LeaveCriticalSection(&s_cs);
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        EnterCriticalSection(&s_cs);
        s_current.clear();
        LeaveCriticalSection(&s_cs);
    }
};

// Reading the suite's settings creates their keys, as an application's profile does. What a
// test created of the suite's branch, itself or through the library, is removed after it, so that
// the next test, or the next run in this Wine session, finds the registry as this one did.
class SuiteBranchListener : public testing::EmptyTestEventListener
{
    const HKEY m_hives[2] = { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };
    std::string m_created[2];

    void OnTestStart(const testing::TestInfo&) override
    {
        for (int i = 0; i < 2; ++i)
            m_created[i] = harness::MissingKey(m_hives[i], "Software\\KELM-Ostrand");
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        for (int i = 0; i < 2; ++i)
            if (!m_created[i].empty())
                RegDeleteTreeA(m_hives[i], m_created[i].c_str());
    }
};

BOOL CALLBACK PrintWindow(HWND hWnd, LPARAM)
{
    char szClass[64] = "", szText[128] = "";
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    GetWindowTextA(hWnd, szText, sizeof(szText));
    fprintf(stderr, "  window %p class \"%s\" text \"%s\"%s\n", (void*)hWnd, szClass, szText,
            IsWindowVisible(hWnd) ? " visible" : "");
    return TRUE;
}

DWORD WINAPI Watchdog(LPVOID)
{
    for (;;) {
        Sleep(1000);
        EnterCriticalSection(&s_cs);
        bool bStalled = !s_current.empty() && GetTickCount() - s_dwStarted > s_dwTestLimitMs;
        std::string name = s_current;
        LeaveCriticalSection(&s_cs);
        if (bStalled) {
            fprintf(stderr, "\n%s has run for more than %lu s; stopping the program. Windows of its thread:\n",
                    name.c_str(), (unsigned long)(s_dwTestLimitMs / 1000));
            EnumThreadWindows(s_dwMainThread, PrintWindow, 0);
            fflush(stdout);
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 99);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int nExit = 0;
    if (harness::RunChildFromCommandLine(argc, argv, &nExit))
        return nExit;
    // The first window of a process waits for Wine's desktop; let that happen before any test
    // that measures or waits on a window.
    DestroyWindow(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL));
    testing::InitGoogleTest(&argc, argv);
    InitializeCriticalSection(&s_cs);
    s_dwMainThread = GetCurrentThreadId();
    testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
    testing::UnitTest::GetInstance()->listeners().Append(new SuiteBranchListener);
    CloseHandle(CreateThread(NULL, 0, Watchdog, NULL, 0, NULL));
    return RUN_ALL_TESTS();
}
