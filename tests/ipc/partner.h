// The sample application as the partner process of the messaging tests, and the tools to watch it.
#pragma once

#include "harness.h"
#include "WexDemo.h"
#include <string>
#include <vector>

// "WexDemo respond <mode>" in a process of its own, hidden. Whatever the test does, the process
// is gone when the object is: closed through its main window, ended if it does not go.
class Partner
{
public:
    explicit Partner(const char* pszMode = WEX_RESPOND_NORMAL);
    ~Partner();
    HWND Hwnd() const { return m_hWnd; }
    HANDLE Process() const { return m_pi.hProcess; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_hWnd = NULL;
};

// Ends this test program (and the partner) when the call under test has not returned in time:
// a hang fails at once and loudly instead of stalling the run.
class Watchdog
{
public:
    Watchdog(DWORD dwTimeoutMs, HANDLE hPartner);
    ~Watchdog();

private:
    static DWORD WINAPI Run(LPVOID pv);
    DWORD m_dwTimeoutMs;
    HANDLE m_hPartner;
    HANDLE m_hDone;
    HANDLE m_hThread;
};

// A visible top-level window of this thread, the requester's own window, recording the messages
// its window procedure gets.
class OwnWindow
{
public:
    OwnWindow();
    ~OwnWindow();
    HWND Hwnd() const { return m_hWnd; }
    bool Saw(UINT uMsg) const;

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
    std::vector<UINT> m_messages;
};
