// The standard controls as thin CWnd wrappers, and the wait cursor.
//
// An object either creates its control (Create) or takes over one of a dialog template
// (SubclassDlgItem, DDX_Control); either way the control's messages pass through the object's
// message map, so a derived class can watch them.
#pragma once

#include "fxwnd.h"

class FX_API CStatic : public CWnd
{
    DECLARE_DYNAMIC(CStatic)
public:
    // A "STATIC" child control.
    BOOL Create(LPCSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
    // STM_SETICON and STM_GETICON, for SS_ICON controls; SetIcon returns the previous icon.
    HICON SetIcon(HICON hIcon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)hIcon, 0); }
    HICON GetIcon() const { return (HICON)SendMessage(STM_GETICON, 0, 0); }
    // STM_SETIMAGE and STM_GETIMAGE with IMAGE_BITMAP, for SS_BITMAP controls.
    HBITMAP SetBitmap(HBITMAP hBitmap) { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
    HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(STM_GETIMAGE, IMAGE_BITMAP, 0); }
};

class FX_API CButton : public CWnd
{
    DECLARE_DYNAMIC(CButton)
public:
    // A "BUTTON" child control.
    BOOL Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // BM_GETCHECK and BM_SETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK, 0, 0); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, nCheck, 0); }
};

class FX_API CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)
public:
    // An "EDIT" child control.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // EM_SETSEL, then EM_SCROLLCARET unless bNoScroll. nStartChar -1 removes the selection.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    // EM_GETSEL.
    void GetSel(int& nStartChar, int& nEndChar) const;
    // EM_REPLACESEL.
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE) { SendMessage(EM_REPLACESEL, bCanUndo, (LPARAM)lpszNewText); }
    // EM_SETLIMITTEXT: at most nMax characters typed (0: the largest the control allows).
    void SetLimitText(UINT nMax) { SendMessage(EM_SETLIMITTEXT, nMax, 0); }
    // EM_SETTABSTOPS, in dialog template units, for multi-line controls.
    BOOL SetTabStops(int nTabStops, LPINT rgTabStops) { return (BOOL)SendMessage(EM_SETTABSTOPS, nTabStops, (LPARAM)rgTabStops); }
    // EM_SETREADONLY.
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, bReadOnly, 0); }
    // EM_GETLINECOUNT.
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT, 0, 0); }
};

class FX_API CListBox : public CWnd
{
    DECLARE_DYNAMIC(CListBox)
public:
    // A "LISTBOX" child control.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // LB_ADDSTRING and LB_INSERTSTRING: the item's index, or LB_ERR / LB_ERRSPACE.
    int AddString(LPCSTR lpszItem) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)lpszItem); }
    int InsertString(int nIndex, LPCSTR lpszItem) { return (int)SendMessage(LB_INSERTSTRING, nIndex, (LPARAM)lpszItem); }
    // LB_DELETESTRING: the number of items left, or LB_ERR.
    int DeleteString(UINT nIndex) { return (int)SendMessage(LB_DELETESTRING, nIndex, 0); }
    // LB_RESETCONTENT.
    void ResetContent() { SendMessage(LB_RESETCONTENT, 0, 0); }
    // LB_GETCOUNT.
    int GetCount() const { return (int)SendMessage(LB_GETCOUNT, 0, 0); }
    // LB_GETTEXTLEN.
    int GetTextLen(int nIndex) const { return (int)SendMessage(LB_GETTEXTLEN, nIndex, 0); }
    // LB_GETTEXT into a buffer of at least GetTextLen + 1 characters.
    int GetText(int nIndex, LPSTR lpszBuffer) const { return (int)SendMessage(LB_GETTEXT, nIndex, (LPARAM)lpszBuffer); }
    // LB_GETTEXT of the whole item; empty for an index out of range.
    void GetText(int nIndex, CString& rString) const;
    // LB_GETITEMDATA and LB_SETITEMDATA.
    DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)SendMessage(LB_GETITEMDATA, nIndex, 0); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) { return (int)SendMessage(LB_SETITEMDATA, nIndex, (LPARAM)dwItemData); }
    // LB_GETCURSEL and LB_SETCURSEL, for single-selection list boxes.
    int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL, 0, 0); }
    int SetCurSel(int nSelect) { return (int)SendMessage(LB_SETCURSEL, nSelect, 0); }
    // LB_SETHORIZONTALEXTENT and LB_GETHORIZONTALEXTENT, in pixels.
    void SetHorizontalExtent(int cxExtent) { SendMessage(LB_SETHORIZONTALEXTENT, cxExtent, 0); }
    int GetHorizontalExtent() const { return (int)SendMessage(LB_GETHORIZONTALEXTENT, 0, 0); }
    // LB_SETTABSTOPS, in dialog template units; no stops means one every 2 units.
    BOOL SetTabStops(int nTabStops, LPINT rgTabStops) { return (BOOL)SendMessage(LB_SETTABSTOPS, nTabStops, (LPARAM)rgTabStops); }
    BOOL SetTabStops() { return (BOOL)SendMessage(LB_SETTABSTOPS, 0, 0); }
};

// Shows the hourglass from construction to destruction (SetCursor), and puts back the cursor
// that was there before.
class FX_API CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    // Shows the hourglass again, after something (a message box) changed the cursor.
    void Restore();

private:
    HCURSOR m_hOldCursor;
    CWaitCursor(const CWaitCursor&) = delete;
    void operator=(const CWaitCursor&) = delete;
};
