// CWnd and message maps on real windows: routing, creation, subclassing, Default(), reflection
// and the object's lifetime and handle map.
#include "harness.h"
#include "fxframe.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef std::vector<std::string> Log;

BOOL CreateTopLevel(CWnd& wnd, DWORD dwStyle = WS_OVERLAPPEDWINDOW)
{
    return wnd.CreateEx(0, NULL, "test", dwStyle, 10, 10, 300, 200, NULL, NULL);
}

HWND Popup() { return CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL); }

std::string TextOf(HWND hWnd)
{
    char sz[64] = {};
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

struct CBaseWnd : CWnd {
    Log m_log;
    afx_msg LRESULT OnApp1(WPARAM, LPARAM) { m_log.push_back("base app1"); return 1; }
    afx_msg LRESULT OnApp2(WPARAM, LPARAM) { m_log.push_back("base app2"); return 2; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_APP + 1, OnApp1)
    ON_MESSAGE(WM_APP + 2, OnApp2)
END_MESSAGE_MAP()

struct CDerivedWnd : CBaseWnd {
    afx_msg LRESULT OnApp1(WPARAM, LPARAM) { m_log.push_back("derived app1"); return 10; }
    afx_msg void OnCommand100() { m_log.push_back("command 100"); }
    afx_msg void OnClick102(NMHDR* pNMHDR, LRESULT* pResult) { m_log.push_back("click " + std::to_string(pNMHDR->idFrom)); *pResult = 42; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_APP + 1, OnApp1)
    ON_COMMAND(100, OnCommand100)
    ON_NOTIFY(NM_CLICK, 102, OnClick102)
END_MESSAGE_MAP()

struct CCreateWnd : CWnd {
    std::vector<UINT> m_msgs;
    bool m_bAttachedAtFirst = false, m_bFailCreate = false, m_bPostNcDestroy = false;
    LPVOID m_lpCreateParam = NULL;
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI)
    {
        if (m_msgs.empty())
            m_bAttachedAtFirst = m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this;
        m_msgs.push_back(WM_GETMINMAXINFO);
        lpMMI->ptMinTrackSize.x = 123;
    }
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct)
    {
        m_msgs.push_back(WM_CREATE);
        m_lpCreateParam = lpCreateStruct->lpCreateParams;
        return m_bFailCreate ? -1 : CWnd::OnCreate(lpCreateStruct);
    }
    void PostNcDestroy() override { m_bPostNcDestroy = true; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCreateWnd, CWnd)
    ON_WM_GETMINMAXINFO()
    ON_WM_CREATE()
END_MESSAGE_MAP()

struct CUpperEdit : CEdit {
    int m_nChars = 0;
    afx_msg LRESULT OnChar(WPARAM wParam, LPARAM lParam)
    {
        ++m_nChars;
        return DefWindowProc(WM_CHAR, (WPARAM)CharUpperA((LPSTR)wParam), lParam);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CUpperEdit, CEdit)
    ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

// Handles nested sends: the message Default() passes on and the temporaries of the outer
// handler must survive the inner ones.
struct CNestingWnd : CWnd {
    HWND m_hForeign = NULL;
    bool m_bOuterTempIntact = false;
    afx_msg LRESULT OnSetText(WPARAM, LPARAM lParam)
    {
        if (strcmp((LPCSTR)lParam, "outer") == 0) {
            CWnd* pTemp = FromHandle(m_hForeign);
            SendMessage(WM_SETTEXT, 0, (LPARAM) "inner");
            SendMessage(WM_APP);
            m_bOuterTempIntact = pTemp->m_hWnd == m_hForeign && FromHandle(m_hForeign) == pTemp;
        }
        return Default();
    }
    afx_msg LRESULT OnApp(WPARAM, LPARAM)
    {
        FromHandle(m_hForeign);
        FromHandle(GetDesktopWindow());
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CNestingWnd, CWnd)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

struct CArgsWnd : CWnd {
    CPoint m_ptDown, m_ptMenu;
    UINT m_nHitTest = 0;
    CWnd *m_pCursorWnd = NULL, *m_pMenuWnd = NULL;
    UINT_PTR m_nTimer = 0;
    afx_msg void OnLButtonDown(UINT, CPoint point) { m_ptDown = point; }
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT) { m_pCursorWnd = pWnd; m_nHitTest = nHitTest; return TRUE; }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { m_nTimer = nIDEvent; }
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos) { m_pMenuWnd = pWnd; m_ptMenu = pos; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CArgsWnd, CWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_WM_TIMER()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

struct CColorStatic : CStatic {
    CColorStatic() { m_brush.CreateSolidBrush(RGB(0, 128, 0)); }
    bool m_bAnswer = true;
    CBrush m_brush;
    HBRUSH CtlColor(CDC* pDC, UINT)
    {
        pDC->SetTextColor(RGB(255, 0, 0));
        return m_bAnswer ? (HBRUSH)m_brush : NULL;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CColorStatic, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

struct CColorParent : CWnd {
    int m_nCtlColors = 0;
    CWnd* m_pCtlColorWnd = NULL;
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        ++m_nCtlColors;
        m_pCtlColorWnd = pWnd;
        return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CColorParent, CWnd)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

struct CSelfDeletingWnd : CWnd {
    static int s_nDeleted;
    ~CSelfDeletingWnd() override { ++s_nDeleted; }
    void PostNcDestroy() override { delete this; }
};
int CSelfDeletingWnd::s_nDeleted = 0;

}  // namespace

TEST(MessageMap, DerivedEntriesFirstThenBaseAndCommandsAndNotifyReachTheirEntries)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1), 10);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 2), 2);
    HWND hButton = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 50, 20, wnd, (HMENU)100, NULL, NULL);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), (LPARAM)hButton);   // a click
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0);                          // an accelerator
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), (LPARAM)hButton);            // BN_PAINT: no command
    NMHDR nm = { hButton, 102, (UINT)NM_CLICK };
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 102, (LPARAM)&nm), 42);
    nm.idFrom = 103;
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 103, (LPARAM)&nm), 0);
    EXPECT_EQ(wnd.m_log, (Log{ "derived app1", "base app2", "command 100", "command 100", "click 102" }));
}

TEST(MessageMap, HandlersGetTheirArgumentsUnpackedSignsIncluded)
{
    CArgsWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -7));
    EXPECT_EQ(wnd.m_ptDown, CPoint(-5, -7));
    wnd.SendMessage(WM_SETCURSOR, (WPARAM)wnd.m_hWnd, MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
    EXPECT_EQ(wnd.m_nHitTest, (UINT)HTERROR);
    EXPECT_EQ(wnd.m_pCursorWnd, &wnd);
    wnd.SendMessage(WM_CONTEXTMENU, (WPARAM)wnd.m_hWnd, MAKELPARAM(-1, -1));   // the context menu key
    EXPECT_EQ(wnd.m_ptMenu, CPoint(-1, -1));
    EXPECT_EQ(wnd.m_pMenuWnd, &wnd);
    wnd.SendMessage(WM_TIMER, 5);
    EXPECT_EQ(wnd.m_nTimer, (UINT_PTR)5);
}

TEST(CWndCreate, TheObjectIsAttachedBeforeTheFirstMessageAndAFailedCreateLeavesItDetached)
{
    CCreateWnd wnd;
    wnd.m_bFailCreate = true;
    EXPECT_FALSE(wnd.CreateEx(0, NULL, "fails", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL));
    EXPECT_EQ(wnd.m_hWnd, (HWND)NULL);
    EXPECT_TRUE(wnd.m_bPostNcDestroy);

    wnd.m_bFailCreate = false;
    wnd.m_msgs.clear();
    int nParam = 0;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "create", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, &nParam));
    ASSERT_GE(wnd.m_msgs.size(), 2u);
    EXPECT_EQ(wnd.m_msgs.front(), (UINT)WM_GETMINMAXINFO);
    EXPECT_TRUE(wnd.m_bAttachedAtFirst);
    EXPECT_EQ(wnd.m_lpCreateParam, &nParam);
    MINMAXINFO mmi = {};
    wnd.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(mmi.ptMinTrackSize.x, 123);
}

TEST(Subclass, AnExistingControlRoutesThroughTheObjectAndASecondObjectCannotTakeIt)
{
    CWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    HWND hEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 100, 20, parent, (HMENU)7, NULL, NULL);
    CUpperEdit edit, other;
    ASSERT_TRUE(edit.SubclassDlgItem(7, &parent));
    EXPECT_EQ(CWnd::FromHandlePermanent(hEdit), &edit);
    EXPECT_FALSE(other.SubclassWindow(hEdit));
    EXPECT_EQ(other.m_hWnd, (HWND)NULL);
    SendMessageA(hEdit, WM_CHAR, 'a', 0);
    EXPECT_EQ(TextOf(hEdit), "A");
    EXPECT_EQ(edit.m_nChars, 1);
}

TEST(Nesting, TheOuterHandlerKeepsItsMessageForDefaultAndItsTemporaries)
{
    CNestingWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.m_hForeign = Popup();
    wnd.SetWindowText("outer");
    EXPECT_EQ(TextOf(wnd), "outer");
    EXPECT_TRUE(wnd.m_bOuterTempIntact);
    DestroyWindow(wnd.m_hForeign);
}

TEST(Reflection, AChildsBrushWinsAndTheParentColoursOnlyWhatTheChildLeaves)
{
    CColorParent parent;
    ASSERT_TRUE(CreateTopLevel(parent, WS_POPUP | WS_VISIBLE));
    CColorStatic label;
    ASSERT_TRUE(label.Create("link", WS_VISIBLE | SS_LEFT, CRect(10, 10, 150, 30), &parent, 3));
    CClientDC dc(&label);
    EXPECT_EQ((HBRUSH)parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc.m_hDC, (LPARAM)label.m_hWnd), (HBRUSH)label.m_brush);
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(parent.m_nCtlColors, 0);
    label.m_bAnswer = false;
    EXPECT_NE((HBRUSH)parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc.m_hDC, (LPARAM)label.m_hWnd), (HBRUSH)NULL);
    EXPECT_EQ(parent.m_nCtlColors, 1);
    EXPECT_EQ(parent.m_pCtlColorWnd, &label);
}

TEST(Lifetime, ObjectAndWindowLetGoOfEachOtherWhicheverDiesFirst)
{
    HWND hWnd;
    {
        CWnd wnd;
        ASSERT_TRUE(CreateTopLevel(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);

    // Destroying the parent destroys the child, whose heap object then deletes itself.
    CWnd parent;
    ASSERT_TRUE(parent.Attach(Popup()));
    CSelfDeletingWnd* pChild = new CSelfDeletingWnd;
    ASSERT_TRUE(pChild->Create(NULL, "child", WS_VISIBLE, CRect(0, 0, 20, 20), &parent, 9));
    hWnd = pChild->m_hWnd;
    CSelfDeletingWnd::s_nDeleted = 0;
    EXPECT_TRUE(parent.DestroyWindow());
    EXPECT_EQ(CSelfDeletingWnd::s_nDeleted, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ(parent.m_hWnd, (HWND)NULL);
}

TEST(HandleMap, PermanentObjectsAreFoundFromAnyThreadAndTemporariesMadeOutsideHandlersLast)
{
    CWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    CWnd* pFound = NULL;
    std::thread([&] {
        pFound = CWnd::FromHandlePermanent(wnd.m_hWnd);
        CWnd::FromHandle(GetDesktopWindow());   // a temporary of that thread, released when it ends
    }).join();
    EXPECT_EQ(pFound, &wnd);

    HWND hOther = Popup();
    CWnd* pTopLevel = CWnd::FromHandle(hOther);
    wnd.SendMessage(WM_SETTEXT, 0, (LPARAM) "handled");
    EXPECT_EQ(CWnd::FromHandle(hOther), pTopLevel);
    EXPECT_EQ(CWnd::FromHandlePermanent(hOther), nullptr);
    DestroyWindow(hOther);
}
