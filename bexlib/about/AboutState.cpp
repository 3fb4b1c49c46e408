#include "AboutState.h"
#include "../bitmap/DIBitmapFile.h"
#include "../config/Registry.h"
#include "../frame/bexlib32.h"
#include "../ipc/WndUtil.h"
#include "../text/strres.h"

namespace {

// A NULL text in the record shows as nothing rather than ending the application.
LPCSTR Text(LPCSTR lpsz)
{
    return lpsz != NULL ? lpsz : "";
}

CString WindowText(HWND hWnd)
{
    CString strText;
    int nLength = ::GetWindowTextLengthA(hWnd);
    if (nLength > 0) {
        ::GetWindowTextA(hWnd, strText.GetBuffer(nLength), nLength + 1);
        strText.ReleaseBuffer();
    }
    return strText;
}

// The control's template text with the record's text after it.
void AppendToItem(HWND hDlg, int nID, LPCSTR lpszMore)
{
    HWND hItem = ::GetDlgItem(hDlg, nID);
    if (hItem != NULL)
        ::SetWindowTextA(hItem, WindowText(hItem) + Text(lpszMore));
}

}  // namespace

void CAboutState::Init(HWND hDlg)
{
    HWND hWndOwner = pInfo->hWndOwner;
    // Before the main window exists there is nothing to centre over but the desktop.
    ::CenterWnd(hDlg, bSplash || hWndOwner == NULL ? ::GetDesktopWindow() : hWndOwner);

    ::SetWindowTextA(hDlg, WindowText(hDlg) + Text(pInfo->lpszProduct));
    ::SetDlgItemTextA(hDlg, IDC_ABOUT_TITLE, CString(Text(pInfo->lpszProduct)) + " " + Text(pInfo->lpszProductSuffix));
    CString strCopyright;
    strCopyright.Format(_fString(IDS_BEX_COPYRIGHT), Text(pInfo->lpszCopyright));
    ::SetDlgItemTextA(hDlg, IDC_ABOUT_COPYRIGHT, strCopyright);
    AppendToItem(hDlg, IDC_ABOUT_AUTHOR, pInfo->lpszAuthor);
    AppendToItem(hDlg, IDC_ABOUT_VERSION, pInfo->lpszVersion);

    HINSTANCE hInstIcon = hWndOwner != NULL ? (HINSTANCE)::GetWindowLongPtrA(hWndOwner, GWLP_HINSTANCE)
                                            : ::GetModuleHandleA(NULL);
    hIcon = pInfo->lpszIcon != NULL ? ::LoadIconA(hInstIcon, pInfo->lpszIcon) : NULL;

    char szAppsDir[MAX_PATH + 16];
    CString strLogo = CString(::GetBexAppsDir(szAppsDir)) + "RESLOGO.BMP";
    int bLoaded = 0;
    pLogo = new CDIBitmapFile(strLogo, &bLoaded);
    if (!bLoaded) {
        FreeLogo();
        hbmLibraryLogo = ::LoadBitmapA(g_hBexLib, "KelmLogo");
    }
}

void CAboutState::Paint(HWND hDlg)
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(hDlg, &ps);
    // The dialog's own background is painted first, so that erasing cannot wipe the logo.
    HWND hFrame = ::GetDlgItem(hDlg, IDC_ABOUT_LOGOFRAME);
    if (hFrame != NULL) {
        RECT rcFrame;
        ::GetClientRect(hFrame, &rcFrame);
        CDC dcFrame;
        dcFrame.Attach(::GetDC(hFrame));
        if (pLogo != NULL) {
            // A logo wider or higher than the frame starts at its edge, so its left part shows.
            int x = (rcFrame.right - pLogo->GetWidth()) / 2;
            int y = (rcFrame.bottom - pLogo->GetHeight()) / 2;
            pLogo->Draw(&dcFrame, x < 0 ? 0 : x, y < 0 ? 0 : y);
        } else if (hbmLibraryLogo != NULL) {
            BITMAP bm;
            ::GetObjectA(hbmLibraryLogo, sizeof(bm), &bm);
            HDC hdcMem = ::CreateCompatibleDC(dcFrame.m_hDC);
            HGDIOBJ hbmOld = ::SelectObject(hdcMem, hbmLibraryLogo);
            ::BitBlt(dcFrame.m_hDC, (rcFrame.right - bm.bmWidth) / 2, (rcFrame.bottom - bm.bmHeight) / 2,
                     bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, SRCCOPY);
            ::SelectObject(hdcMem, hbmOld);
            ::DeleteDC(hdcMem);
        }
        ::ReleaseDC(hFrame, dcFrame.Detach());
    }
    if (hIcon != NULL)
        ::DrawIcon(hdc, 20, 130, hIcon);
    ::EndPaint(hDlg, &ps);
}

void CAboutState::FreeLogo()
{
    delete pLogo;
    pLogo = nullptr;
    if (hbmLibraryLogo != NULL)
        ::DeleteObject(hbmLibraryLogo);
    hbmLibraryLogo = NULL;
}
