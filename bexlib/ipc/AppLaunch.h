// Starting another application of the suite from the suite's applications directory, and finding
// its main window.
#pragma once

#include "../bexdefs.h"

// What ExecApp found and created. The handles are closed before ExecApp returns: they identify
// the process, they do not keep it open.
struct ExecAppInfo
{
    HINSTANCE hInstance;    // the instance of the main window, or 0 when none was found
    HWND hWndMain;          // the application's main window, or 0
    HANDLE hProcess;        // the process-information record of process creation, as returned
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// Starts the program pszApp (its directory part is dropped; ".EXE" is added when it has no
// extension) from the applications directory with the argument text and show command, waits
// until it is idle for input (at most 20 s) and looks for its main window: first a top-level
// window of its primary thread, then any top-level window whose class contains the program's
// file name (which also finds an instance that was running already). false when the names do
// not fit MAX_PATH or the process cannot be created; pInfo is then left as it was.
// The first argument is not used.
BEXFN bool BEXAPI ExecApp(DWORD_PTR dwReserved, const char* pszApp, const char* pszArgs, ExecAppInfo* pInfo, int nCmdShow);
// true while the application ExecApp started runs: its main window's process, or, when no main
// window was found, the process it created.
BEXFN bool BEXAPI IsAppRunning(const ExecAppInfo* pInfo);
