// What the about box, the splash window and CBexAboutBox share: filling the texts from the
// record, loading the icon and the logo, and painting them.
#pragma once

#include "AboutInfo.h"

class CDIBitmapFile;

// Controls of the about and splash templates.
#define IDC_ABOUT_LOGOFRAME   908
#define IDC_ABOUT_TITLE       1318
#define IDC_ABOUT_COPYRIGHT   1017
#define IDC_ABOUT_AUTHOR      1018
#define IDC_ABOUT_VERSION     906
#define IDC_ABOUT_MOREINFO    3
#define IDC_ABOUT_LINK        1000

// Kept per window, so that a splash window closing while an about box is open frees only its
// own logo.
struct CAboutState
{
    const BexAboutInfo* pInfo = nullptr;
    BOOL bSplash = FALSE;
    HICON hIcon = NULL;
    CDIBitmapFile* pLogo = nullptr;
    HBITMAP hbmLibraryLogo = NULL;   // shown when there is no logo file

    ~CAboutState() { FreeLogo(); }
    // Centres the window and fills caption and text lines from pInfo; loads icon and logo (a
    // logo file that fails to load shows the loader's message and leaves the library's bitmap).
    void Init(HWND hDlg);
    // The whole WM_PAINT: the logo centred in its frame, the icon below.
    void Paint(HWND hDlg);
    void FreeLogo();
};
