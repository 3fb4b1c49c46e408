// The suite's about box and splash window. An application describes itself in a BexAboutInfo
// and hands it to ShowBexAboutDlgBox (modal), ShowBexSplashWnd (modeless, closes itself after
// two seconds) or CBexAboutBox (the same box as a framework dialog). The record is read while
// the window exists: the caller keeps it, and the texts it points to, alive until then.
#pragma once

#include "AboutInfo.h"

// Runs the about box; the dialog's result (1 for OK or Escape), -1 when it could not be shown.
BEXFN int BEXAPI ShowBexAboutDlgBox(BexAboutInfo* pInfo);
// Opens the splash window and returns at once; NULL when it could not be opened.
BEXFN HWND BEXAPI ShowBexSplashWnd(BexAboutInfo* pInfo);

struct CAboutState;
class CStaticLink;

// The about box as a framework dialog. "&More Info..." calls the record's callback, or opens the
// version information window when there is none, and then closes the box; help (F1 or
// WM_COMMANDHELP) opens the suite help at the about box's topic; the link line opens the maker's
// support site.
class BEX_API CBexAboutBox : public CDialog
{
public:
    explicit CBexAboutBox(const BexAboutInfo* pInfo, CWnd* pParentWnd = NULL);
    ~CBexAboutBox() override;

    BOOL OnInitDialog() override;

protected:
    afx_msg void OnPaint();
    afx_msg void OnMoreInfo();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnHelpKey(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommandHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CAboutState* m_pState;
    CStaticLink* m_pLink;
};
