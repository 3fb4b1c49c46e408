// How a program that answers boxes for its user tells a message box from its own dialogs: both
// have the dialog class, but a message box runs the system's own dialog procedure. Shared by the
// sample application's demo mode and the test harness.
#pragma once

#include <windows.h>
#include <string.h>

inline bool IsSystemMessageBox(HWND hWnd)
{
    char szClass[16];
    if (!GetClassNameA(hWnd, szClass, sizeof(szClass)) || strcmp(szClass, "#32770") != 0)
        return false;
    HMODULE hModule = NULL;
    LONG_PTR proc = GetWindowLongPtrW(hWnd, DWLP_DLGPROC);
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              (LPCSTR)proc, &hModule) &&
           hModule == GetModuleHandleA("user32.dll");
}
