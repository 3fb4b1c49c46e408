// CResizableDlg: the library's base for dialogs the user can size (the template needs
// WS_THICKFRAME). It draws a size grip, never gets smaller than at creation, moves or stretches
// the registered controls by the change in client size, and remembers its size in the
// application's profile, section "%x" of the template identifier, entries "CX" and "CY".
//
// A derived dialog registers its controls in its own OnInitDialog, before calling this one:
//
//     BOOL CMyDlg::OnInitDialog()
//     {
//         AddControl(IDC_TREE, ANCHOR_SIZE_X | ANCHOR_SIZE_Y);
//         AddControl(IDOK, ANCHOR_MOVE_X | ANCHOR_MOVE_Y | ANCHOR_REPAINT);
//         CResizableDlg::OnInitDialog();
//         ...its own set-up...
//     }
//
// Internal to the library: not exported.
#pragma once

#include "../bexdefs.h"

// How a registered control follows a size change by (dx, dy).
#define ANCHOR_MOVE_X   0x0001   // moves right by dx (unless ANCHOR_SIZE_X)
#define ANCHOR_MOVE_Y   0x0002   // moves down by dy (unless ANCHOR_SIZE_Y)
#define ANCHOR_SIZE_X   0x0004   // its right edge moves by dx
#define ANCHOR_SIZE_Y   0x0008   // its bottom edge moves by dy
#define ANCHOR_REPAINT  0x0010   // redrawn whole: for controls that paint only what is new

class CResizableDlg : public CDialog
{
public:
    CResizableDlg(UINT nIDTemplate, CWnd* pParent);
    ~CResizableDlg() override;

    // Registers control nID with its ANCHOR_* flags; no flags, no registration.
    void AddControl(UINT nID, UINT nFlags);
    // The profile section of the stored size.
    virtual void GetProfileSection(CString& strSection);

    BOOL OnInitDialog() override;

    BOOL m_bRememberSize;   // restore the size at start, store it at the end
    BOOL m_bSizeGrip;       // draw the grip, size from the corner

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg UINT OnNcHitTest(CPoint point);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    int m_nMinTrackWidth;    // the window's size at creation
    int m_nMinTrackHeight;
    int m_cxLast;            // the client size at the last WM_SIZE; 0 before the first
    int m_cyLast;
    BOOL m_bResized;         // the size changed after the first WM_SIZE
    CDWordArray m_arrControls;   // low word the identifier, high word the ANCHOR_* flags
    UINT m_nIDDialog;
    CRect m_rectGrip;        // where the grip was drawn, client coordinates
};
