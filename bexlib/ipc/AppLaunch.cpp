#include "AppLaunch.h"
#include "../config/Registry.h"

#include <commdlg.h>
#include <stdlib.h>
#include <string.h>

namespace {

const DWORD s_dwIdleWaitMs = 20000;

// Windows that every GUI thread may own besides its own ones; none of them is a main window.
// The test is containment, except for the input-method window, whose plain name is too short
// to look for inside other names.
const char* const s_apszHelperClasses[] = { "CLIPBRDWNDCLASS", "OleDdeWndClass", "OleMainThreadWndClass" };
const char s_szImeClass[] = "IME";

struct MainWndSearch
{
    DWORD dwProcessId;
    DWORD dwThreadId;
    LPCSTR pszFileName;     // second pass: the program's file name, upper case
    HWND hWnd;
};

BOOL CALLBACK FindThreadMainWnd(HWND hWnd, LPARAM lParam)
{
    MainWndSearch* pSearch = (MainWndSearch*)lParam;
    DWORD dwProcessId = 0;
    if (GetWindowThreadProcessId(hWnd, &dwProcessId) != pSearch->dwThreadId || dwProcessId != pSearch->dwProcessId ||
        GetParent(hWnd) != NULL)
        return TRUE;
    char szClass[100];
    if (!GetClassNameA(hWnd, szClass, sizeof(szClass)) || strcmp(szClass, s_szImeClass) == 0)
        return TRUE;
    for (const char* pszHelper : s_apszHelperClasses)
        if (strstr(szClass, pszHelper))
            return TRUE;
    pSearch->hWnd = hWnd;
    return FALSE;
}

// The suite's main-window classes contain the program's name ("WexWClass" for WEX.EXE).
BOOL CALLBACK FindClassMainWnd(HWND hWnd, LPARAM lParam)
{
    MainWndSearch* pSearch = (MainWndSearch*)lParam;
    char szClass[MAX_PATH];
    if (!GetClassNameA(hWnd, szClass, sizeof(szClass)))
        return TRUE;
    CharUpperA(szClass);
    if (strstr(szClass, pSearch->pszFileName) == NULL)
        return TRUE;
    pSearch->hWnd = hWnd;
    return FALSE;
}

// The exit code of a process opened by its identifier: a handle kept from its creation could
// long since have been closed, and by now name something else.
bool IsProcessActive(DWORD dwProcessId)
{
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, dwProcessId);
    if (hProcess == NULL)
        return false;
    DWORD dwExitCode = 0;
    BOOL bRead = GetExitCodeProcess(hProcess, &dwExitCode);
    CloseHandle(hProcess);
    return bRead && dwExitCode == STILL_ACTIVE;
}

}  // namespace

bool BEXAPI ExecApp(DWORD_PTR /*dwReserved*/, const char* pszApp, const char* pszArgs, ExecAppInfo* pInfo, int nCmdShow)
{
    char szApp[MAX_PATH];
    if (pszApp == NULL || pInfo == NULL || strlen(pszApp) >= sizeof(szApp))
        return false;
    strcpy(szApp, pszApp);
    CharUpperA(szApp);

    // Applications start from the applications directory, whatever directory the caller names.
    char szTitle[512];
    if (GetFileTitleA(szApp, szTitle, sizeof(szTitle)) != 0)
        return false;
    if (strchr(szTitle, '.') == NULL)
        strcat(szTitle, ".EXE");
    char szPath[MAX_PATH];
    GetBexAppsDir(szPath);
    if (strlen(szPath) + strlen(szTitle) >= sizeof(szPath))
        return false;
    strcat(szPath, szTitle);

    CString strCmdLine;
    strCmdLine.Format(szPath[0] == '"' ? "%s %s" : "\"%s\" %s", szPath, pszArgs ? pszArgs : "");

    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = (WORD)nCmdShow;
    PROCESS_INFORMATION pi;

    HCURSOR hOldCursor = SetCursor(LoadCursor(NULL, IDC_WAIT));
    if (!CreateProcessA(NULL, strCmdLine.GetBuffer(0), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        SetCursor(hOldCursor);
        return false;
    }
    WaitForInputIdle(pi.hProcess, s_dwIdleWaitMs);
    SetCursor(hOldCursor);

    MainWndSearch search = { pi.dwProcessId, pi.dwThreadId, NULL, NULL };
    EnumThreadWindows(pi.dwThreadId, FindThreadMainWnd, (LPARAM)&search);
    if (search.hWnd == NULL) {
        char szFileName[_MAX_FNAME];
        _splitpath(szPath, NULL, NULL, szFileName, NULL);
        CharUpperA(szFileName);
        search.pszFileName = szFileName;
        EnumWindows(FindClassMainWnd, (LPARAM)&search);
    }

    pInfo->hWndMain = search.hWnd;
    pInfo->hInstance = search.hWnd ? (HINSTANCE)GetWindowLongPtrA(search.hWnd, GWLP_HINSTANCE) : NULL;
    pInfo->hProcess = pi.hProcess;
    pInfo->hThread = pi.hThread;
    pInfo->dwProcessId = pi.dwProcessId;
    pInfo->dwThreadId = pi.dwThreadId;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return true;
}

bool BEXAPI IsAppRunning(const ExecAppInfo* pInfo)
{
    if (pInfo == NULL)
        return false;
    if (pInfo->hWndMain) {
        DWORD dwProcessId = 0;
        if (!IsWindow(pInfo->hWndMain) || !GetWindowThreadProcessId(pInfo->hWndMain, &dwProcessId))
            return false;
        return IsProcessActive(dwProcessId);
    }
    if (pInfo->hProcess)
        return IsProcessActive(pInfo->dwProcessId);
    return false;
}
