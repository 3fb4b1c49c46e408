#include "partner.h"

#include <stdio.h>
#include <algorithm>

namespace {
struct FindWindowOf {
    DWORD dwProcessId;
    HWND hWnd;
    static BOOL CALLBACK Test(HWND hWnd, LPARAM lParam)
    {
        FindWindowOf* p = (FindWindowOf*)lParam;
        DWORD dwProcessId = 0;
        char szClass[32];
        GetWindowThreadProcessId(hWnd, &dwProcessId);
        if (dwProcessId != p->dwProcessId || !GetClassNameA(hWnd, szClass, sizeof(szClass)) || strcmp(szClass, "WexWClass"))
            return TRUE;
        p->hWnd = hWnd;
        return FALSE;
    }
};
}  // namespace

Partner::Partner(const char* pszMode)
{
    std::string cmd = "\"" + harness::ModuleDir() + "WexDemo.exe\" respond " + pszMode;
    STARTUPINFOA si = { sizeof(si) };
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &m_pi))
        return;
    // Ready once its main window is there.
    FindWindowOf find = { m_pi.dwProcessId, NULL };
    for (DWORD dwStart = GetTickCount(); find.hWnd == NULL && GetTickCount() - dwStart < 10000; Sleep(20))
        EnumWindows(FindWindowOf::Test, (LPARAM)&find);
    m_hWnd = find.hWnd;
}

Partner::~Partner()
{
    if (m_pi.hProcess == NULL)
        return;
    if (IsWindow(m_hWnd))
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_pi.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(m_pi.hProcess, 1);
    CloseHandle(m_pi.hProcess);
    CloseHandle(m_pi.hThread);
}

Watchdog::Watchdog(DWORD dwTimeoutMs, HANDLE hPartner)
    : m_dwTimeoutMs(dwTimeoutMs), m_hPartner(hPartner), m_hDone(CreateEventA(NULL, TRUE, FALSE, NULL)),
      m_hThread(CreateThread(NULL, 0, Run, this, 0, NULL))
{
}

Watchdog::~Watchdog()
{
    SetEvent(m_hDone);
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    CloseHandle(m_hDone);
}

DWORD WINAPI Watchdog::Run(LPVOID pv)
{
    Watchdog* p = static_cast<Watchdog*>(pv);
    if (WaitForSingleObject(p->m_hDone, p->m_dwTimeoutMs) == WAIT_OBJECT_0)
        return 0;
    fprintf(stderr, "watchdog: the call under test did not return within %lu ms\n", p->m_dwTimeoutMs);
    fflush(stderr);
    if (p->m_hPartner)
        TerminateProcess(p->m_hPartner, 1);
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

OwnWindow::OwnWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "BexOwnWindow";
    RegisterClassA(&wc);
    m_hWnd = CreateWindowA("BexOwnWindow", "requester", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 200, 150, NULL, NULL,
                           wc.hInstance, this);
    harness::PumpFor(100);
    m_messages.clear();
}

OwnWindow::~OwnWindow() { DestroyWindow(m_hWnd); }

bool OwnWindow::Saw(UINT uMsg) const { return std::find(m_messages.begin(), m_messages.end(), uMsg) != m_messages.end(); }

LRESULT CALLBACK OwnWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA*)lParam)->lpCreateParams);
    if (OwnWindow* p = (OwnWindow*)GetWindowLongPtrA(hWnd, GWLP_USERDATA))
        p->m_messages.push_back(uMsg);
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
