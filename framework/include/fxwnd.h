// CWnd: a C++ object attached to a window handle, and the message maps that route a window's
// messages to member functions.
//
// Handle map. A window made by Create/CreateEx, a dialog, or a window handed to SubclassWindow
// or Attach has a permanent object: FromHandle and FromHandlePermanent find it on any thread
// until the window's last message (WM_NCDESTROY), after which the object is detached and
// PostNcDestroy runs. Any other window gets a temporary CWnd from FromHandle. Temporaries
// belong to the calling thread: one made while a framework window handles a message is deleted
// when that handler returns; one made outside any handler lives until AfxDeleteTempMap or the
// end of the thread. Never keep a temporary pointer beyond the handler that got it.
//
// Routing. WindowProc hands each message to OnWndMsg, which looks it up in the class's message
// map and then in the base classes' maps; an unhandled message goes to DefWindowProc, that is
// the procedure the window had before it was subclassed. A handler calls Default() to pass the
// message it is handling on in the same way.
//
// Reflection. A parent that is a framework window first offers WM_COMMAND notifications and
// WM_CTLCOLOR* messages of a child control to the child itself, when the child is a framework
// window too: the child's ON_CONTROL_REFLECT entry takes the notification, and a brush from
// its ON_WM_CTLCOLOR_REFLECT handler wins over the parent's own handling.
#pragma once

#include "fxobject.h"
#include "fxstring.h"
#include "fxgdi.h"
#include "fxres.h"
#include <type_traits>

// Marks a member function that a message map calls.
#define afx_msg

// Asks a dialog for help: sent by CDialog for IDHELP and ID_HELP, answered with ON_MESSAGE.
#define WM_COMMANDHELP 0x0365
// A child's own copy of a notification it sent to its parent: WM_REFLECT_BASE + the message.
// Never posted or sent; only looked up in the child's map.
#define WM_REFLECT_BASE 0xBC00
// The message-map key for all WM_CTLCOLOR* messages; the handler gets the CTLCOLOR_* kind.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
// The notification code under which ON_COMMAND entries are kept: menus, accelerators, clicks.
#define CN_COMMAND 0

class CWnd;

// Handler signatures: the dispatcher unpacks the message according to the entry's signature.
enum AfxSig
{
    AfxSig_end = 0,
    AfxSig_lwl,        // LRESULT (WPARAM, LPARAM)
    AfxSig_vv,         // void ()
    AfxSig_vNMHDRpl,   // void (NMHDR*, LRESULT*)
    AfxSig_is,         // int (LPCREATESTRUCT)
    AfxSig_vwii,       // void (UINT, int, int)
    AfxSig_vMMI,       // void (MINMAXINFO*)
    AfxSig_wp,         // UINT (CPoint)
    AfxSig_bWww,       // BOOL (CWnd*, UINT, UINT)
    AfxSig_vwp,        // void (UINT, CPoint)
    AfxSig_hDWw,       // HBRUSH (CDC*, CWnd*, UINT)
    AfxSig_hDw,        // HBRUSH (CDC*, UINT)
    AfxSig_vt,         // void (UINT_PTR)
    AfxSig_bD,         // BOOL (CDC*)
    AfxSig_vWp,        // void (CWnd*, CPoint)
};

typedef void (CWnd::*AFX_PMSG)();
typedef LRESULT (CWnd::*AFX_PMSG_lwl)(WPARAM, LPARAM);
typedef void (CWnd::*AFX_PMSG_vv)();
typedef void (CWnd::*AFX_PMSG_vNMHDRpl)(NMHDR*, LRESULT*);
typedef int (CWnd::*AFX_PMSG_is)(LPCREATESTRUCTA);
typedef void (CWnd::*AFX_PMSG_vwii)(UINT, int, int);
typedef void (CWnd::*AFX_PMSG_vMMI)(MINMAXINFO*);
typedef UINT (CWnd::*AFX_PMSG_wp)(CPoint);
typedef BOOL (CWnd::*AFX_PMSG_bWww)(CWnd*, UINT, UINT);
typedef void (CWnd::*AFX_PMSG_vwp)(UINT, CPoint);
typedef HBRUSH (CWnd::*AFX_PMSG_hDWw)(CDC*, CWnd*, UINT);
typedef HBRUSH (CWnd::*AFX_PMSG_hDw)(CDC*, UINT);
typedef void (CWnd::*AFX_PMSG_vt)(UINT_PTR);
typedef BOOL (CWnd::*AFX_PMSG_bD)(CDC*);
typedef void (CWnd::*AFX_PMSG_vWp)(CWnd*, CPoint);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;   // the message, WM_CTLCOLOR for all colour messages, or WM_REFLECT_BASE + it
    UINT nCode;      // WM_COMMAND and WM_NOTIFY: the notification code
    UINT nID;        // WM_COMMAND and WM_NOTIFY: the control or command identifier
    UINT nSig;       // AfxSig
    AFX_PMSG pfn;    // the handler, cast back to its signature's type when called
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (PASCAL* pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value, "the map must chain to a base class"); \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            { 0, 0, 0, AfxSig_end, (AFX_PMSG)0 } \
        }; \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &_messageEntries[0] }; \
        return &messageMap; \
    }

// Each entry converts the handler to its signature's type first, so a handler with another
// signature does not compile.
#define FX_MSG_ENTRY(msg, code, id, sig, type, memberFxn) \
    { (UINT)(msg), (UINT)(code), (UINT)(id), sig, reinterpret_cast<AFX_PMSG>(static_cast<type>(&ThisClass::memberFxn)) },

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) FX_MSG_ENTRY(message, 0, 0, AfxSig_lwl, AFX_PMSG_lwl, memberFxn)
// void memberFxn(): a menu command, an accelerator or a button click (BN_CLICKED) of id
#define ON_COMMAND(id, memberFxn) FX_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, AfxSig_vv, AFX_PMSG_vv, memberFxn)
// void memberFxn(): notification code of control id
#define ON_CONTROL(code, id, memberFxn) FX_MSG_ENTRY(WM_COMMAND, code, id, AfxSig_vv, AFX_PMSG_vv, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
// void memberFxn(NMHDR* pNMHDR, LRESULT* pResult): WM_NOTIFY code from control id
#define ON_NOTIFY(code, id, memberFxn) FX_MSG_ENTRY(WM_NOTIFY, code, id, AfxSig_vNMHDRpl, AFX_PMSG_vNMHDRpl, memberFxn)

#define ON_WM_CREATE() FX_MSG_ENTRY(WM_CREATE, 0, 0, AfxSig_is, AFX_PMSG_is, OnCreate)
#define ON_WM_DESTROY() FX_MSG_ENTRY(WM_DESTROY, 0, 0, AfxSig_vv, AFX_PMSG_vv, OnDestroy)
#define ON_WM_SIZE() FX_MSG_ENTRY(WM_SIZE, 0, 0, AfxSig_vwii, AFX_PMSG_vwii, OnSize)
#define ON_WM_GETMINMAXINFO() FX_MSG_ENTRY(WM_GETMINMAXINFO, 0, 0, AfxSig_vMMI, AFX_PMSG_vMMI, OnGetMinMaxInfo)
#define ON_WM_NCHITTEST() FX_MSG_ENTRY(WM_NCHITTEST, 0, 0, AfxSig_wp, AFX_PMSG_wp, OnNcHitTest)
#define ON_WM_PAINT() FX_MSG_ENTRY(WM_PAINT, 0, 0, AfxSig_vv, AFX_PMSG_vv, OnPaint)
#define ON_WM_SETCURSOR() FX_MSG_ENTRY(WM_SETCURSOR, 0, 0, AfxSig_bWww, AFX_PMSG_bWww, OnSetCursor)
#define ON_WM_LBUTTONDOWN() FX_MSG_ENTRY(WM_LBUTTONDOWN, 0, 0, AfxSig_vwp, AFX_PMSG_vwp, OnLButtonDown)
#define ON_WM_CTLCOLOR() FX_MSG_ENTRY(WM_CTLCOLOR, 0, 0, AfxSig_hDWw, AFX_PMSG_hDWw, OnCtlColor)
#define ON_WM_TIMER() FX_MSG_ENTRY(WM_TIMER, 0, 0, AfxSig_vt, AFX_PMSG_vt, OnTimer)
#define ON_WM_ERASEBKGND() FX_MSG_ENTRY(WM_ERASEBKGND, 0, 0, AfxSig_bD, AFX_PMSG_bD, OnEraseBkgnd)
// OnContextMenu(CWnd* pWnd, CPoint pos): pos in screen coordinates, (-1, -1) from the keyboard.
#define ON_WM_CONTEXTMENU() FX_MSG_ENTRY(WM_CONTEXTMENU, 0, 0, AfxSig_vWp, AFX_PMSG_vWp, OnContextMenu)

// In a control's own map. HBRUSH CtlColor(CDC* pDC, UINT nCtlColor): NULL lets the parent decide.
#define ON_WM_CTLCOLOR_REFLECT() \
    FX_MSG_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, AfxSig_hDw, AFX_PMSG_hDw, CtlColor)
// In a control's own map. void memberFxn(): the control's notification code, which the parent
// then no longer sees.
#define ON_CONTROL_REFLECT(code, memberFxn) \
    FX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, AfxSig_vv, AFX_PMSG_vv, memberFxn)

class FX_API CWnd : public CObject
{
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    // Destroys a window that is still attached: it would otherwise call into a freed object.
    ~CWnd() override;

    HWND m_hWnd;

    // --- Handle map
    // The permanent object of the window, else a temporary one; NULL for NULL.
    static CWnd* PASCAL FromHandle(HWND hWnd);
    // The permanent object of the window, or NULL.
    static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
    // Makes this the window's permanent object without routing its messages here.
    BOOL Attach(HWND hWndNew);
    // Gives up the window; a window subclassed by this object gets its procedure back.
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The handle of an object that may be NULL.
    static HWND PASCAL GetSafeHwnd(const CWnd* pWnd) { return pWnd ? pWnd->m_hWnd : NULL; }
    operator HWND() const { return m_hWnd; }

    // --- Creation and destruction
    // A child window of pParentWnd (CreateWindowExA); lpszClassName NULL is the framework's own class.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID lpParam = NULL);
    // Any window (CreateWindowExA). The object receives the window's first message.
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                  LPVOID lpParam = NULL);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = NULL);
    // DestroyWindow. The object may be gone when this returns (PostNcDestroy).
    virtual BOOL DestroyWindow();
    // Routes an existing window's messages to this object (SetWindowLongPtrA, GWLP_WNDPROC).
    BOOL SubclassWindow(HWND hWnd);
    // SubclassWindow of the parent's control nID (GetDlgItem).
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Gives the window its own procedure back and detaches it. Fails, and changes nothing,
    // when another procedure has been put on top of ours since.
    HWND UnsubclassWindow();

    // --- Message handling
    // Passes the message being handled to DefWindowProc.
    LRESULT Default();
    // The message this thread is handling now, or NULL.
    static const MSG* PASCAL GetCurrentMessage();

    // --- Attributes and operations: thin wrappers of the Win32 calls named
    // GetWindowLongA(GWL_STYLE) and GWL_EXSTYLE.
    DWORD GetStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_EXSTYLE); }
    // Removes and adds style bits (SetWindowLongA); nFlags non-zero also calls SetWindowPos with them.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    // GetDlgCtrlID.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    // GetDlgItem; a temporary object for a control without a permanent one.
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    // GetParent; the owner for a top-level window.
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    // SetWindowTextA.
    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    // GetWindowTextA, the whole text.
    void GetWindowText(CString& rString) const;
    // GetWindowTextA into a buffer of nMaxCount characters.
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const { return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount); }
    // GetWindowTextLengthA.
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    // SetDlgItemTextA.
    void SetDlgItemText(int nID, LPCSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
    // The whole text of control nID (GetWindowTextA); 0 and empty when there is none.
    int GetDlgItemText(int nID, CString& rString) const;
    // GetClientRect.
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    // GetWindowRect, in screen coordinates.
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    // ScreenToClient of a point, or of a rectangle's two corners.
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const;
    // ClientToScreen of a point, or of a rectangle's two corners.
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void ClientToScreen(LPRECT lpRect) const;
    // MapWindowPoints from this window's client coordinates to pwndTo's (the screen for NULL).
    void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const
    {
        ::MapWindowPoints(m_hWnd, GetSafeHwnd(pwndTo), lpPoint, nCount);
    }
    // MoveWindow.
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
    }
    // SetWindowPos; pWndInsertAfter may also be &wndTop, &wndBottom, &wndTopMost or &wndNoTopMost.
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, GetSafeHwnd(pWndInsertAfter), x, y, cx, cy, nFlags);
    }
    // GetWindowPlacement and SetWindowPlacement.
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const { return ::GetWindowPlacement(m_hWnd, lpwndpl); }
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) { return ::SetWindowPlacement(m_hWnd, lpwndpl); }
    // ShowWindow: whether the window was visible before.
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    // UpdateWindow: paints a pending update region now.
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    // InvalidateRect of the whole client area.
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
    // InvalidateRect.
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
    // WM_SETREDRAW: switches the window's redrawing off and on.
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
    // LockWindowUpdate and its end.
    BOOL LockWindowUpdate() { return ::LockWindowUpdate(m_hWnd); }
    void UnlockWindowUpdate() { ::LockWindowUpdate(NULL); }
    // IsWindowVisible, IsWindowEnabled, IsIconic, IsZoomed.
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    // EnableWindow: whether the window was disabled before.
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    // SetFocus: the window that had the focus.
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    // GetFocus of this thread.
    static CWnd* PASCAL GetFocus() { return FromHandle(::GetFocus()); }
    // SendMessageA and PostMessageA.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    // SendDlgItemMessageA.
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
    }
    // WM_GETFONT: the window's font, or NULL for the system font.
    CFont* GetFont() const { return CFont::FromHandle((HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }
    // WM_SETFONT.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE)
    {
        ::SendMessageA(m_hWnd, WM_SETFONT, (WPARAM)(pFont ? pFont->GetSafeHandle() : NULL), bRedraw);
    }
    // WM_SETICON: the big or the small icon of the window; returns the previous one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) { return (HICON)::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon); }
    // SetTimer with no timer procedure: WM_TIMER reaches OnTimer.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, NULL); }
    // KillTimer.
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    // GetDC as a temporary CDC; give it back with ReleaseDC.
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    // ReleaseDC of a DC from GetDC.
    int ReleaseDC(CDC* pDC) { return ::ReleaseDC(m_hWnd, pDC ? pDC->m_hDC : NULL); }

    // The insert-after values of SetWindowPos.
    static const CWnd wndTop, wndBottom, wndTopMost, wndNoTopMost;

protected:
    // --- Routing; derived classes override these to see messages before or after their map
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE and the result when the message map handled the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The window's procedure before it was subclassed, else DefWindowProcA.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND: the sending control's reflection entry, else this map's entry. TRUE if handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: this map's entry. TRUE if handled.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The child side of reflection: TRUE when this control answered its own notification.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called after SubclassWindow or creation attached the window, before it is used.
    virtual void PreSubclassWindow();
    // Called after the window's last message, once the object is detached; may delete this.
    virtual void PostNcDestroy();

    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // --- Default handlers: each passes the message on with Default()
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg UINT OnNcHitTest(CPoint point);
    afx_msg void OnPaint();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);

    WNDPROC m_pfnSuper;   // the procedure we subclassed, NULL when we did not

private:
    explicit CWnd(HWND hWndInsertAfter);   // the wndTop... constants
    BOOL DispatchEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

// Releases every temporary object of the calling thread. Call it only outside message handling,
// where no handler can still hold one.
FX_API void AFXAPI AfxDeleteTempMap();
