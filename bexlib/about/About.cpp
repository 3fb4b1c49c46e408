#include "About.h"
#include "AboutState.h"
#include "../frame/bexlib32.h"

namespace {

// The window's CAboutState, from WM_INITDIALOG to WM_DESTROY.
const char s_szStateProp[] = "BexAboutState";
const UINT_PTR nSplashTimer = 1;
const UINT nSplashTime = 2000;

// A modeless dialog only hides on EndDialog, so the splash window is destroyed instead.
void CloseSplash(HWND hDlg)
{
    ::KillTimer(hDlg, nSplashTimer);
    ::DestroyWindow(hDlg);
}

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    CAboutState* pState = (CAboutState*)::GetPropA(hDlg, s_szStateProp);
    switch (message) {
    case WM_INITDIALOG:
        pState = new CAboutState;
        pState->pInfo = (const BexAboutInfo*)lParam;
        pState->bSplash = ::GetDlgItem(hDlg, IDOK) == NULL;
        ::SetPropA(hDlg, s_szStateProp, pState);
        if (!pState->bSplash && pState->pInfo->pfnMoreInfo == NULL)
            ::ShowWindow(::GetDlgItem(hDlg, IDC_ABOUT_MOREINFO), SW_HIDE);
        pState->Init(hDlg);
        // The clock starts once the window is set up: a loader message shown meanwhile must not
        // close the window in the middle of its own initialisation.
        if (pState->bSplash && !::SetTimer(hDlg, nSplashTimer, nSplashTime, NULL))
            ::DestroyWindow(hDlg);
        return TRUE;

    case WM_PAINT:
        if (pState == NULL)
            return FALSE;
        pState->Paint(hDlg);
        return TRUE;

    case WM_TIMER:
        if (wParam != nSplashTimer || pState == NULL || !pState->bSplash)
            return FALSE;
        CloseSplash(hDlg);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            if (pState != NULL && pState->bSplash)
                CloseSplash(hDlg);
            else
                ::EndDialog(hDlg, 1);
            return TRUE;
        case IDC_ABOUT_MOREINFO:
            if (pState != NULL && pState->pInfo->pfnMoreInfo != NULL)
                pState->pInfo->pfnMoreInfo();
            return TRUE;
        }
        return FALSE;

    case WM_DESTROY:
        if (pState != NULL) {
            if (pState->bSplash)
                ::KillTimer(hDlg, nSplashTimer);
            ::RemovePropA(hDlg, s_szStateProp);
            delete pState;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int BEXAPI ShowBexAboutDlgBox(BexAboutInfo* pInfo)
{
    if (pInfo == NULL)
        return -1;
    return (int)::DialogBoxParamA(g_hBexLib, MAKEINTRESOURCEA(20000), pInfo->hWndOwner, AboutDlgProc, (LPARAM)pInfo);
}

HWND BEXAPI ShowBexSplashWnd(BexAboutInfo* pInfo)
{
    if (pInfo == NULL)
        return NULL;
    HWND hWnd = ::CreateDialogParamA(g_hBexLib, "BexSplashBox", pInfo->hWndOwner, AboutDlgProc, (LPARAM)pInfo);
    // A splash whose timer could not start has already destroyed itself.
    return hWnd != NULL && ::IsWindow(hWnd) ? hWnd : NULL;
}
