// CWnd and message maps on real windows: routing, creation, subclassing, Default(), reflection
// and the object's lifetime.
#include "harness.h"
#include "fxframe.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// --- Routing through a derived map and its base map

class CBaseWnd : public CWnd
{
public:
    std::vector<std::string> m_log;

protected:
    afx_msg LRESULT OnApp1(WPARAM, LPARAM) { m_log.push_back("base app1"); return 1; }
    afx_msg LRESULT OnApp2(WPARAM, LPARAM) { m_log.push_back("base app2"); return 2; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_APP + 1, OnApp1)
    ON_MESSAGE(WM_APP + 2, OnApp2)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd
{
protected:
    afx_msg LRESULT OnApp1(WPARAM, LPARAM) { m_log.push_back("derived app1"); return 10; }
    afx_msg void OnCommand100() { m_log.push_back("command 100"); }
    afx_msg void OnEditChange() { m_log.push_back("edit change"); }
    afx_msg void OnClick102(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_log.push_back("click " + std::to_string(pNMHDR->idFrom));
        *pResult = 42;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_APP + 1, OnApp1)
    ON_COMMAND(100, OnCommand100)
    ON_EN_CHANGE(101, OnEditChange)
    ON_NOTIFY(NM_CLICK, 102, OnClick102)
END_MESSAGE_MAP()

BOOL CreateTopLevel(CWnd& wnd, DWORD dwStyle = WS_OVERLAPPEDWINDOW)
{
    return wnd.CreateEx(0, NULL, "test", dwStyle, 10, 10, 300, 200, NULL, NULL);
}

}  // namespace

TEST(MessageMap, DerivedEntriesComeFirstAndBaseEntriesStillAnswer)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1), 10);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 2), 2);
    EXPECT_EQ(wnd.m_log, (std::vector<std::string>{ "derived app1", "base app2" }));
    // A message no map knows keeps its default handling.
    wnd.SetWindowText("caption");
    CString str;
    wnd.GetWindowText(str);
    EXPECT_STREQ(str, "caption");
}

TEST(MessageMap, CommandsControlNotificationsAndNotifyReachTheirEntries)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    HWND hButton = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 50, 20, wnd, (HMENU)100, NULL, NULL);
    HWND hEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 30, 50, 20, wnd, (HMENU)101, NULL, NULL);

    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), (LPARAM)hButton);   // a click
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0);                          // an accelerator
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), (LPARAM)hButton);            // BN_PAINT: no command
    SetWindowTextA(hEdit, "typed");                                              // the edit's own EN_CHANGE
    NMHDR nm = { hButton, 102, (UINT)NM_CLICK };
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 102, (LPARAM)&nm), 42);
    nm.idFrom = 103;
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 103, (LPARAM)&nm), 0);
    EXPECT_EQ(wnd.m_log, (std::vector<std::string>{ "command 100", "command 100", "edit change", "click 102" }));
}

// --- Creation: the object is attached before the window's first message

namespace {

class CCreateWnd : public CWnd
{
public:
    std::vector<UINT> m_msgs;
    bool m_bAttachedAtFirst = false;
    bool m_bFailCreate = false;
    bool m_bPostNcDestroy = false;
    LPVOID m_lpCreateParam = NULL;

protected:
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI)
    {
        if (m_msgs.empty())
            m_bAttachedAtFirst = m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this;
        m_msgs.push_back(WM_GETMINMAXINFO);
        lpMMI->ptMinTrackSize.x = 123;
        lpMMI->ptMinTrackSize.y = 77;
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

}  // namespace

TEST(CWndCreate, MinMaxInfoAndCreateReachTheMapDuringCreation)
{
    CCreateWnd wnd;
    int nParam = 0;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "create", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, &nParam));
    ASSERT_GE(wnd.m_msgs.size(), 2u);
    EXPECT_EQ(wnd.m_msgs.front(), (UINT)WM_GETMINMAXINFO);
    EXPECT_TRUE(wnd.m_bAttachedAtFirst);
    EXPECT_NE(std::find(wnd.m_msgs.begin(), wnd.m_msgs.end(), (UINT)WM_CREATE), wnd.m_msgs.end());
    EXPECT_EQ(wnd.m_lpCreateParam, &nParam);
    MINMAXINFO mmi = {};
    wnd.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(mmi.ptMinTrackSize.x, 123);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 77);
}

TEST(CWndCreate, AFailedCreateLeavesTheObjectDetached)
{
    CCreateWnd wnd;
    wnd.m_bFailCreate = true;
    EXPECT_FALSE(wnd.CreateEx(0, NULL, "fails", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL));
    EXPECT_EQ(wnd.m_hWnd, (HWND)NULL);
    EXPECT_TRUE(wnd.m_bPostNcDestroy);
    // The object can be used again.
    wnd.m_bFailCreate = false;
    EXPECT_TRUE(CreateTopLevel(wnd));
}

// --- Subclassing an existing control

namespace {

class CUpperEdit : public CEdit
{
public:
    int m_nChars = 0;

protected:
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

WNDPROC s_pfnUnder = NULL;
LRESULT CALLBACK ForeignSubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(s_pfnUnder, hWnd, nMsg, wParam, lParam);
}

std::string TextOf(HWND hWnd)
{
    char sz[64] = {};
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

}  // namespace

TEST(Subclass, AnExistingControlRoutesThroughTheObjectUntilUnsubclassed)
{
    CWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    HWND hEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 100, 20, parent, (HMENU)7, NULL, NULL);
    WNDPROC pfnOriginal = (WNDPROC)GetWindowLongPtrA(hEdit, GWLP_WNDPROC);

    CUpperEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(7, &parent));
    EXPECT_EQ(edit.m_hWnd, hEdit);
    EXPECT_EQ(CWnd::FromHandlePermanent(hEdit), &edit);
    SendMessageA(hEdit, WM_CHAR, 'a', 0);
    EXPECT_EQ(TextOf(hEdit), "A");

    // A second object cannot take the same window.
    CUpperEdit other;
    EXPECT_FALSE(other.SubclassWindow(hEdit));
    EXPECT_EQ(other.m_hWnd, (HWND)NULL);

    EXPECT_EQ(edit.UnsubclassWindow(), hEdit);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(hEdit, GWLP_WNDPROC), pfnOriginal);
    EXPECT_EQ(CWnd::FromHandlePermanent(hEdit), nullptr);
    SendMessageA(hEdit, WM_CHAR, 'b', 0);
    EXPECT_EQ(TextOf(hEdit), "Ab");
    EXPECT_EQ(edit.m_nChars, 1);
    EXPECT_TRUE(IsWindow(hEdit));
}

TEST(Subclass, UnsubclassRefusesWhileAnotherProcedureSitsOnTop)
{
    CWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    HWND hEdit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 100, 20, parent, NULL, NULL, NULL);
    CUpperEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(hEdit));
    s_pfnUnder = (WNDPROC)SetWindowLongPtrA(hEdit, GWLP_WNDPROC, (LONG_PTR)ForeignSubclassProc);

    // Restoring our predecessor would cut the other procedure out of the chain.
    EXPECT_EQ(edit.UnsubclassWindow(), (HWND)NULL);
    EXPECT_EQ(edit.m_hWnd, hEdit);
    SendMessageA(hEdit, WM_CHAR, 'c', 0);
    EXPECT_EQ(TextOf(hEdit), "C");

    SetWindowLongPtrA(hEdit, GWLP_WNDPROC, (LONG_PTR)s_pfnUnder);
    EXPECT_EQ(edit.UnsubclassWindow(), hEdit);
}

// --- Default() passes on the message being handled, also after a nested send

namespace {

class CNestingWnd : public CWnd
{
public:
    std::string m_strSeenInside;

protected:
    afx_msg LRESULT OnSetText(WPARAM, LPARAM lParam)
    {
        if (strcmp((LPCSTR)lParam, "outer") == 0) {
            SendMessage(WM_SETTEXT, 0, (LPARAM) "inner");
            SendMessage(WM_APP);
        }
        return Default();
    }
    afx_msg LRESULT OnApp(WPARAM, LPARAM)
    {
        const MSG* pMsg = GetCurrentMessage();
        m_strSeenInside = pMsg && pMsg->message == WM_APP ? "app" : "other";
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNestingWnd, CWnd)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

}  // namespace

TEST(Default, PassesOnTheOuterMessageAfterNestedSends)
{
    CNestingWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.SetWindowText("outer");
    EXPECT_EQ(TextOf(wnd), "outer");
    EXPECT_EQ(wnd.m_strSeenInside, "app");
    EXPECT_EQ(CWnd::GetCurrentMessage(), nullptr);
}

// --- Handlers receive their arguments unpacked, signs included

namespace {

class CArgsWnd : public CWnd
{
public:
    CPoint m_ptDown;
    UINT m_nHitTest = 0;
    CWnd* m_pCursorWnd = NULL;
    int m_cx = 0, m_cy = 0;
    UINT_PTR m_nTimer = 0;
    CPoint m_ptMenu;
    CWnd* m_pMenuWnd = NULL;

protected:
    afx_msg UINT OnNcHitTest(CPoint) { return (UINT)HTTRANSPARENT; }
    afx_msg void OnLButtonDown(UINT, CPoint point) { m_ptDown = point; }
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT) { m_pCursorWnd = pWnd; m_nHitTest = nHitTest; return TRUE; }
    afx_msg void OnSize(UINT, int cx, int cy) { m_cx = cx; m_cy = cy; }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { KillTimer(nIDEvent); m_nTimer = nIDEvent; }
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos) { m_pMenuWnd = pWnd; m_ptMenu = pos; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CArgsWnd, CWnd)
    ON_WM_NCHITTEST()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMap, HandlersGetTheirArgumentsUnpackedSignsIncluded)
{
    CArgsWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(5, 5)), (LRESULT)HTTRANSPARENT);
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -7));
    EXPECT_EQ(wnd.m_ptDown, CPoint(-5, -7));
    wnd.SendMessage(WM_SETCURSOR, (WPARAM)wnd.m_hWnd, MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
    EXPECT_EQ(wnd.m_nHitTest, (UINT)HTERROR);
    EXPECT_EQ(wnd.m_pCursorWnd, &wnd);
    // The context menu key sends (-1, -1).
    wnd.SendMessage(WM_CONTEXTMENU, (WPARAM)wnd.m_hWnd, MAKELPARAM(-1, -1));
    EXPECT_EQ(wnd.m_ptMenu, CPoint(-1, -1));
    EXPECT_EQ(wnd.m_pMenuWnd, &wnd);

    // Size and timer handlers see the real messages.
    wnd.SetWindowPos(&CWnd::wndTop, 0, 0, 320, 240, SWP_NOMOVE);
    CRect rc;
    wnd.GetClientRect(rc);
    EXPECT_EQ(wnd.m_cx, rc.Width());
    EXPECT_EQ(wnd.m_cy, rc.Height());
    ASSERT_EQ(wnd.SetTimer(5, 10), (UINT_PTR)5);
    for (int i = 0; i < 100 && wnd.m_nTimer == 0; ++i)
        harness::PumpFor(10);
    EXPECT_EQ(wnd.m_nTimer, (UINT_PTR)5);
}

// --- Reflection: a child control answers its own notifications

namespace {

class CColorStatic : public CStatic
{
public:
    CColorStatic() { m_brush.CreateSolidBrush(RGB(0, 128, 0)); }
    bool m_bAnswer = true;
    int m_nCalls = 0;
    UINT m_nCtlColor = 0;
    CBrush m_brush;

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor)
    {
        ++m_nCalls;
        m_nCtlColor = nCtlColor;
        pDC->SetTextColor(RGB(255, 0, 0));
        return m_bAnswer ? (HBRUSH)m_brush : NULL;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColorStatic, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CClickButton : public CButton
{
public:
    int m_nClicks = 0;
protected:
    afx_msg void OnClicked() { ++m_nClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClickButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

class CColorParent : public CWnd
{
public:
    int m_nCtlColors = 0;
    CWnd* m_pCtlColorWnd = NULL;
    UINT m_nCtlColor = 0;
    std::vector<UINT> m_clicks;

protected:
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        ++m_nCtlColors;
        m_pCtlColorWnd = pWnd;
        m_nCtlColor = nCtlColor;
        return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    afx_msg void OnClicked1() { m_clicks.push_back(1); }
    afx_msg void OnClicked2() { m_clicks.push_back(2); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColorParent, CWnd)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(1, OnClicked1)
    ON_BN_CLICKED(2, OnClicked2)
END_MESSAGE_MAP()

}  // namespace

TEST(Reflection, AChildsBrushWinsAndTheParentsHandlerIsNotReached)
{
    CColorParent parent;
    ASSERT_TRUE(CreateTopLevel(parent, WS_POPUP | WS_VISIBLE));
    CColorStatic label;
    ASSERT_TRUE(label.Create("link", WS_VISIBLE | SS_LEFT, CRect(10, 10, 150, 30), &parent, 3));

    // The static's own painting asks its parent for colours.
    label.Invalidate();
    label.UpdateWindow();
    EXPECT_GE(label.m_nCalls, 1);
    EXPECT_EQ(label.m_nCtlColor, (UINT)CTLCOLOR_STATIC);
    EXPECT_EQ(parent.m_nCtlColors, 0);

    CClientDC dc(&label);
    EXPECT_EQ((HBRUSH)parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc.m_hDC, (LPARAM)label.m_hWnd), (HBRUSH)label.m_brush);
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(parent.m_nCtlColors, 0);

    // Without a brush from the child, the parent colours it.
    label.m_bAnswer = false;
    EXPECT_NE((HBRUSH)parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc.m_hDC, (LPARAM)label.m_hWnd), (HBRUSH)NULL);
    EXPECT_EQ(parent.m_nCtlColors, 1);
    EXPECT_EQ(parent.m_pCtlColorWnd, &label);
    EXPECT_EQ(parent.m_nCtlColor, (UINT)CTLCOLOR_STATIC);
}

TEST(Reflection, AReflectedNotificationNoLongerReachesTheParent)
{
    CColorParent parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    CClickButton reflecting;
    CButton plain;
    ASSERT_TRUE(reflecting.Create("1", BS_PUSHBUTTON, CRect(0, 0, 40, 20), &parent, 1));
    ASSERT_TRUE(plain.Create("2", BS_PUSHBUTTON, CRect(50, 0, 90, 20), &parent, 2));
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), (LPARAM)reflecting.m_hWnd);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), (LPARAM)plain.m_hWnd);
    EXPECT_EQ(reflecting.m_nClicks, 1);
    EXPECT_EQ(parent.m_clicks, std::vector<UINT>{ 2 });
}

// --- The object's lifetime

namespace {

class CSelfDeletingWnd : public CWnd
{
public:
    static int s_nDeleted;
    ~CSelfDeletingWnd() override { ++s_nDeleted; }
protected:
    void PostNcDestroy() override { delete this; }
};
int CSelfDeletingWnd::s_nDeleted = 0;

}  // namespace

TEST(Lifetime, PostNcDestroyMayDeleteAHeapObject)
{
    CWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    CSelfDeletingWnd* pChild = new CSelfDeletingWnd;
    ASSERT_TRUE(pChild->Create(NULL, "child", WS_VISIBLE, CRect(0, 0, 20, 20), &parent, 9));
    HWND hChild = pChild->m_hWnd;
    CSelfDeletingWnd::s_nDeleted = 0;
    // Destroying the parent destroys the child, whose object then deletes itself.
    parent.DestroyWindow();
    EXPECT_EQ(CSelfDeletingWnd::s_nDeleted, 1);
    EXPECT_FALSE(IsWindow(hChild));
    EXPECT_EQ(CWnd::FromHandlePermanent(hChild), nullptr);
    EXPECT_EQ(parent.m_hWnd, (HWND)NULL);
}

TEST(Lifetime, DestroyingTheObjectDestroysItsWindowAndAnAttachedWindowIsDetachedWithIt)
{
    HWND hWnd;
    {
        CWnd wnd;
        ASSERT_TRUE(CreateTopLevel(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);

    hWnd = CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(hWnd));
    EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, (HWND)NULL);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

// --- The handle map

static DWORD WINAPI LookUpFromAnotherThread(LPVOID pv)
{
    HWND hWnd = *(HWND*)pv;
    *(CWnd**)pv = CWnd::FromHandlePermanent(hWnd);
    // A temporary of this thread, released when the thread ends.
    return CWnd::FromHandle(GetDesktopWindow()) != NULL;
}

TEST(HandleMap, PermanentObjectsAreFoundFromAnyThread)
{
    CWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    union { HWND hWnd; CWnd* pWnd; } io;
    io.hWnd = wnd.m_hWnd;
    HANDLE hThread = CreateThread(NULL, 0, LookUpFromAnotherThread, &io, 0, NULL);
    ASSERT_NE(hThread, (HANDLE)NULL);
    WaitForSingleObject(hThread, 10000);
    DWORD dwExit = 0;
    GetExitCodeThread(hThread, &dwExit);
    CloseHandle(hThread);
    EXPECT_EQ(io.pWnd, &wnd);
    EXPECT_EQ(dwExit, 1u);
}

namespace {

class CTempUserWnd : public CWnd
{
public:
    HWND m_hForeign = NULL, m_hOther = NULL;
    bool m_bOuterTempIntact = false;

protected:
    afx_msg LRESULT OnApp(WPARAM, LPARAM)
    {
        CWnd* pTemp = FromHandle(m_hForeign);
        SendMessage(WM_APP + 1);
        m_bOuterTempIntact = pTemp->m_hWnd == m_hForeign && FromHandle(m_hForeign) == pTemp;
        return 0;
    }
    afx_msg LRESULT OnApp1(WPARAM, LPARAM)
    {
        FromHandle(m_hForeign);
        FromHandle(m_hOther);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTempUserWnd, CWnd)
    ON_MESSAGE(WM_APP, OnApp)
    ON_MESSAGE(WM_APP + 1, OnApp1)
END_MESSAGE_MAP()

}  // namespace

TEST(HandleMap, ANestedHandlerReleasesOnlyTheTemporariesItMade)
{
    CTempUserWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.m_hForeign = CreateWindowExA(0, "STATIC", "a", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    wnd.m_hOther = CreateWindowExA(0, "STATIC", "b", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    CWnd* pTopLevel = CWnd::FromHandle(wnd.m_hOther);
    wnd.SendMessage(WM_APP);
    EXPECT_TRUE(wnd.m_bOuterTempIntact);
    // Made outside any handler, it outlives the messages handled since.
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hOther), pTopLevel);
    EXPECT_EQ(pTopLevel->m_hWnd, wnd.m_hOther);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hOther), nullptr);
    // Releasing temporaries leaves their windows alone.
    AfxDeleteTempMap();
    EXPECT_TRUE(IsWindow(wnd.m_hOther));
    DestroyWindow(wnd.m_hForeign);
    DestroyWindow(wnd.m_hOther);
}

// --- Controls and GDI wrappers

TEST(Controls, ListBoxAndEditWrappers)
{
    CWnd parent;
    ASSERT_TRUE(CreateTopLevel(parent));
    CListBox list;
    ASSERT_TRUE(list.Create(WS_VSCROLL | WS_HSCROLL, CRect(0, 0, 100, 80), &parent, 1));
    EXPECT_EQ(list.AddString("beta"), 0);
    EXPECT_EQ(list.InsertString(0, "alpha"), 0);
    EXPECT_EQ(list.GetCount(), 2);
    CString str("stale");
    list.GetText(1, str);
    EXPECT_STREQ(str, "beta");
    list.GetText(5, str);
    EXPECT_STREQ(str, "");
    list.SetHorizontalExtent(250);
    EXPECT_EQ(list.GetHorizontalExtent(), 250);

    CEdit edit;
    ASSERT_TRUE(edit.Create(ES_AUTOHSCROLL, CRect(0, 90, 100, 110), &parent, 2));
    edit.SetWindowText("report");
    edit.SetSel(edit.GetWindowTextLength(), edit.GetWindowTextLength());
    edit.ReplaceSel(" end");
    edit.GetWindowText(str);
    EXPECT_STREQ(str, "report end");

    // The font a control is given comes back from GetFont.
    EXPECT_EQ(edit.GetFont(), nullptr);
    edit.SetFont(CFont::FromHandle((HFONT)GetStockObject(DEFAULT_GUI_FONT)));
    ASSERT_NE(edit.GetFont(), nullptr);
    EXPECT_EQ(edit.GetFont()->GetSafeHandle(), GetStockObject(DEFAULT_GUI_FONT));
}
