#include "wndplac.h"
#include "../config/Registry.h"
#include "../ipc/WndUtil.h"
#include "../frame/kelmdbg.h"

#include <stdio.h>
#include <string.h>

static const char c_szWindowPosSection[] = "WindowPos";

CWindowPlacement::CWindowPlacement() : m_strEntry("Pos"), m_strFormat("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d")
{
    memset(&m_wp, 0, sizeof(m_wp));
    m_wp.length = sizeof(m_wp);
}

CWindowPlacement::CWindowPlacement(const CWindowPlacement&) = default;
CWindowPlacement& CWindowPlacement::operator=(const CWindowPlacement&) = default;
CWindowPlacement::~CWindowPlacement() = default;

BOOL CWindowPlacement::GetProfileWP(const char* lpszSection)
{
    CRegistry reg;
    CString strValue = reg.GetString(lpszSection, m_strEntry, "");
    if (strValue.IsEmpty())
        return FALSE;
    int nFields = sscanf(strValue, m_strFormat, &m_wp.flags, &m_wp.showCmd, &m_wp.ptMinPosition.x,
                         &m_wp.ptMinPosition.y, &m_wp.ptMaxPosition.x, &m_wp.ptMaxPosition.y,
                         &m_wp.rcNormalPosition.left, &m_wp.rcNormalPosition.top, &m_wp.rcNormalPosition.right,
                         &m_wp.rcNormalPosition.bottom);
    if (nFields != 10)
        return FALSE;
    // An empty or inverted rectangle would make an invisible window.
    return m_wp.rcNormalPosition.right > m_wp.rcNormalPosition.left &&
           m_wp.rcNormalPosition.bottom > m_wp.rcNormalPosition.top;
}

void CWindowPlacement::WriteProfileWP(const char* lpszSection)
{
    CString strValue;
    strValue.Format(m_strFormat, m_wp.flags, m_wp.showCmd, m_wp.ptMinPosition.x, m_wp.ptMinPosition.y,
                    m_wp.ptMaxPosition.x, m_wp.ptMaxPosition.y, m_wp.rcNormalPosition.left,
                    m_wp.rcNormalPosition.top, m_wp.rcNormalPosition.right, m_wp.rcNormalPosition.bottom);
    CRegistry reg;
    reg.WriteString(lpszSection, m_strEntry, strValue);
}

namespace {
struct InstanceSearch {
    HWND hWndSelf;
    const char* pszClass;
    HWND hWndFound;
};
}

BOOL CALLBACK CWindowPlacement::EnumWndProc(HWND hWnd, LPARAM lParam)
{
    InstanceSearch* pSearch = (InstanceSearch*)lParam;
    if (hWnd == pSearch->hWndSelf || !IsWindowOfClass(hWnd, pSearch->pszClass))
        return TRUE;
    pSearch->hWndFound = hWnd;
    return FALSE;
}

HWND CWindowPlacement::GetExistingKelmAppInstance(CWnd* pWnd)
{
    char szClass[100];
    memset(szClass, 0, sizeof(szClass));
    GetClassNameA(pWnd->GetSafeHwnd(), szClass, sizeof(szClass));
    if (szClass[0] != 'W' || (strstr(szClass, "WClass") == NULL && strstr(szClass, "WCLASS") == NULL))
        return NULL;
    InstanceSearch search = { pWnd->GetSafeHwnd(), szClass, NULL };
    EnumWindows(EnumWndProc, (LPARAM)&search);
    return search.hWndFound;
}

BOOL CWindowPlacement::Restore(const char* lpszSection, CWnd* pWnd)
{
    KELM_ASSERT(pWnd);
    if (pWnd == NULL)
        return FALSE;
    if (!GetProfileWP(lpszSection))
        return FALSE;
    HWND hWndOther = GetExistingKelmAppInstance(pWnd);
    if (hWndOther != NULL) {
        ::GetWindowPlacement(hWndOther, &m_wp);
        int nCascade = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
        OffsetRect(&m_wp.rcNormalPosition, nCascade, nCascade);
    }
    // A window restored minimised or hidden would seem not to have opened at all.
    if (m_wp.showCmd == SW_HIDE || m_wp.showCmd == SW_SHOWMINIMIZED || m_wp.showCmd == SW_MINIMIZE ||
        m_wp.showCmd == SW_SHOWMINNOACTIVE || m_wp.showCmd == SW_FORCEMINIMIZE)
        m_wp.showCmd = (m_wp.flags & WPF_RESTORETOMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;

    const RECT& rc = m_wp.rcNormalPosition;
    if (rc.left >= 0 && rc.top >= 0 && rc.bottom <= GetSystemMetrics(SM_CYSCREEN) &&
        rc.right <= GetSystemMetrics(SM_CXSCREEN)) {
        pWnd->SetWindowPlacement(&m_wp);
        return TRUE;
    }

    // Partly off the screen: keep the stored size where the window is now.
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    pWnd->GetWindowPlacement(&m_wp);
    RECT rcWindow;
    pWnd->GetWindowRect(&rcWindow);
    SetRect(&m_wp.rcNormalPosition, rcWindow.left, rcWindow.top, rcWindow.left + cx, rcWindow.top + cy);
    // The stored value is the first instance's to keep.
    if (hWndOther == NULL)
        WriteProfileWP(lpszSection);
    pWnd->SetWindowPlacement(&m_wp);
    return TRUE;
}

void CWindowPlacement::Save(const char* lpszSection, CWnd* pWnd)
{
    KELM_ASSERT(pWnd);
    if (pWnd == NULL)
        return;
    if (GetExistingKelmAppInstance(pWnd) != NULL)
        return;
    pWnd->GetWindowPlacement(&m_wp);
    m_wp.flags = 0;
    if (pWnd->IsZoomed())
        m_wp.flags = WPF_RESTORETOMAXIMIZED;
    WriteProfileWP(lpszSection);
}

int BEXAPI SaveWindowPos(CWnd* pWnd, const char* lpszEntry)
{
    // Without an application object there is no profile to keep the corner in.
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL)
        return 0;
    RECT rc;
    pWnd->GetWindowRect(&rc);
    CString strValue;
    strValue.Format("%d,%d", (int)rc.left, (int)rc.top);
    return pApp->WriteProfileString(c_szWindowPosSection, lpszEntry, strValue);
}

int BEXAPI RestoreWindowPos(CWnd* pWnd, const char* lpszEntry)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL)
        return 0;
    CString strValue = pApp->GetProfileString(c_szWindowPosSection, lpszEntry);
    if (strValue.IsEmpty())
        return 0;
    int x, y;
    if (sscanf(strValue, "%d,%d", &x, &y) != 2)
        return 0;
    RECT rcWindow, rcDesktop;
    pWnd->GetWindowRect(&rcWindow);
    ::GetWindowRect(GetDesktopWindow(), &rcDesktop);
    int w = rcWindow.right - rcWindow.left, h = rcWindow.bottom - rcWindow.top;
    if (y + h > rcDesktop.bottom)
        y = rcDesktop.bottom - h - 1;
    if (x + w > rcDesktop.right)
        x = rcDesktop.right - w - 1;
    // A window larger than the desktop keeps its top-left corner, and with it its caption, on it.
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    return pWnd->SetWindowPos(NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}
