#include "WndUtil.h"

namespace {

// The class buffer of IsWindowOfClass: 19 characters and the NUL.
const int s_cchClassCompared = 20;

BOOL CALLBACK DestroyOfClass(HWND hWnd, LPARAM lParam)
{
    const char* lpszClass = (const char*)lParam;
    if (lpszClass == NULL || IsWindowOfClass(hWnd, lpszClass))
        DestroyWindow(hWnd);
    return TRUE;
}

BOOL CALLBACK UpdateOfClass(HWND hWnd, LPARAM lParam)
{
    if (IsWindowOfClass(hWnd, (const char*)lParam))
        UpdateWindow(hWnd);
    return TRUE;
}

}  // namespace

bool BEXAPI IsWindowOfClass(HWND hWnd, const char* lpszClass)
{
    if (lpszClass == NULL || !IsWindow(hWnd))
        return false;
    char szClass[s_cchClassCompared];
    if (!GetClassNameA(hWnd, szClass, sizeof(szClass)))
        return false;
    return lstrcmpiA(szClass, lpszClass) == 0;
}

BOOL BEXAPI DestroyWindowsOfClass(HWND hWndParent, const char* lpszClass)
{
    return EnumChildWindows(hWndParent, DestroyOfClass, (LPARAM)lpszClass);
}

BOOL BEXAPI UpdateChildWindows(HWND hWndParent, const char* lpszClass)
{
    return EnumChildWindows(hWndParent, UpdateOfClass, (LPARAM)lpszClass);
}

HWND BEXAPI GetWindowGrandParent(HWND hWnd)
{
    for (HWND hWndParent; (hWndParent = GetParent(hWnd)) != NULL;)
        hWnd = hWndParent;
    return hWnd;
}

HWND BEXAPI IsClassNameStackAtPt(POINT pt, const char* lpszClass)
{
    for (HWND hWnd = WindowFromPoint(pt); hWnd != NULL; hWnd = GetWindow(hWnd, GW_HWNDNEXT)) {
        RECT rc;
        if (IsWindowOfClass(hWnd, lpszClass) && GetWindowRect(hWnd, &rc) && PtInRect(&rc, pt))
            return hWnd;
    }
    return NULL;
}

BOOL BEXAPI CenterWnd(HWND hWnd, HWND hWndRef)
{
    RECT rc, rcRef;
    if (!GetWindowRect(hWnd, &rc) || !GetWindowRect(hWndRef, &rcRef))
        return FALSE;
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    int x = (rcRef.left + rcRef.right) / 2 - cx / 2;
    int y = (rcRef.top + rcRef.bottom) / 2 - cy / 2;
    int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    if (x < 0)
        x = 0;
    else if (x + cx > cxScreen)
        x = cxScreen - cx;
    if (y < 0)
        y = 0;
    else if (y + cy > cyScreen)
        y = cyScreen - cy;
    return SetWindowPos(hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

BOOL BEXAPI IsTopMost(HWND hWnd)
{
    return (GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
}
