// Link controls.
//
// CHyperlink is a target (a web address, a file, anything the shell can open) that opens itself.
// CStaticLink turns a static text control of a dialog into such a link: subclass the control
// with it (SubclassDlgItem, DDX_Control), and it draws the text underlined, blue until a click
// opened the target and purple after, and shows a hand over it. With no target of its own the
// link opens its window text. Create it with bDeleteOnDestroy on the heap to let the window
// own it.
#pragma once

#include "../bexdefs.h"

class BEX_API CHyperlink : public CString
{
public:
    CHyperlink(const char* lpLink = NULL) : CString(lpLink ? lpLink : "") {}
    CHyperlink(const CHyperlink& src) : CString(src) {}
    CHyperlink& operator=(const CHyperlink& src)
    {
        CString::operator=(src);
        return *this;
    }
    const CHyperlink& operator=(const char* lpLink)
    {
        CString::operator=(lpLink ? lpLink : "");
        return *this;
    }
    ~CHyperlink() {}

    operator const char*() const { return CString::operator LPCSTR(); }

    // The shell's "open" of the target: above 32 when it opened, 0 for an empty target.
    HINSTANCE Navigate();
};

class BEX_API CStaticLink : public CStatic
{
    DECLARE_DYNAMIC(CStaticLink)
public:
    CStaticLink(const char* lpText = NULL, BOOL bDeleteOnDestroy = FALSE);
    ~CStaticLink() override;

    CHyperlink m_link;          // the target; when empty at a click, taken from the window text
    COLORREF m_color;           // the text colour now
    CFont m_font;               // the control's font underlined, made on first paint
    BOOL m_bDeleteOnDestroy;    // the object deletes itself after its window's last message

    static COLORREF g_colorUnvisited;
    static COLORREF g_colorVisited;
    // The hand over every link of the process, loaded once on the first need; NULL without one.
    static HICON g_hCursorLink;

protected:
    afx_msg UINT OnNcHitTest(CPoint point);
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()
};
