// CStretchDlg: one control of a resizable dialog (a list, an edit field) grows and shrinks with
// the dialog, and the controls below it and to its right keep their distance to the dialog's
// bottom and right edges.
//
// The dialog owns one object, calls Init once its controls exist (OnInitDialog), and passes
// every new client size to StretchItem (OnSize). Below the size the dialog had when it was
// designed, nothing moves any more.
#pragma once

#include "../bexdefs.h"

class BEX_API CStretchDlg
{
public:
    CStretchDlg();
    CStretchDlg(HWND hParent, int nIDItem);
    CStretchDlg& operator=(const CStretchDlg& src);
    ~CStretchDlg();

    // Binds the dialog and its control nIDItem, and takes the minimum size from the layout as
    // it is now. A bound object stays bound; a missing control leaves it unbound. Returns 1.
    int Init(HWND hParent, int nIDItem);
    // Applies the dialog's new client size.
    void StretchItem(int cx, int cy);

private:
    static BOOL CALLBACK StaticCalcMinHeightNWidth(HWND hChild, LPARAM lParam);
    void CalcMinHeightNWidth(HWND hChild);
    // Zone B: below the item; zone C: to its right.
    int IsInB(RECT* rc);
    int IsInC(RECT* rc);
    static BOOL CALLBACK StaticShiftItem(HWND hChild, LPARAM lParam);
    void ShiftItem(HWND hChild);
    static int CalcShift(int nNew, int nLast, int nMin);

    HWND m_hParentWnd;
    HWND m_hWndItemStretch;
    RECT m_rectItem;   // screen coordinates
    int m_nShiftX;
    int m_nShiftY;
    int m_nMinWidth;
    int m_nMinHeight;
    int m_nLastCx;
    int m_nLastCy;
};
