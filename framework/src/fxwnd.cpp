#include "fxhandle.h"
#include "fxapp.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

namespace {

// Permanent objects are found from any thread: a window's messages arrive on its own thread,
// but any thread may ask FromHandle for it. The map is never destroyed, because objects with
// static storage may still detach from it while the process ends.
class CPermanentMap
{
public:
    CPermanentMap() { InitializeCriticalSection(&m_cs); }
    CWnd* Lookup(HWND hWnd)
    {
        Lock lock(m_cs);
        auto it = m_map.find(hWnd);
        return it == m_map.end() ? NULL : it->second;
    }
    bool Add(HWND hWnd, CWnd* pWnd)
    {
        Lock lock(m_cs);
        return m_map.emplace(hWnd, pWnd).second;
    }
    void Remove(HWND hWnd, CWnd* pWnd)
    {
        Lock lock(m_cs);
        auto it = m_map.find(hWnd);
        if (it != m_map.end() && it->second == pWnd)
            m_map.erase(it);
    }

private:
    struct Lock {
        CRITICAL_SECTION& cs;
        explicit Lock(CRITICAL_SECTION& c) : cs(c) { EnterCriticalSection(&cs); }
        ~Lock() { LeaveCriticalSection(&cs); }
    };
    CRITICAL_SECTION m_cs;
    std::unordered_map<HWND, CWnd*> m_map;
};

CPermanentMap& PermanentMap()
{
    static CPermanentMap* s_pMap = new CPermanentMap;
    return *s_pMap;
}

// Makes a message the thread's current one while it is handled, for Default().
class CMsgFrameScope
{
public:
    CMsgFrameScope(FX_THREAD_STATE* pState, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, BOOL bReflected)
        : m_pState(pState)
    {
        m_frame.msg = MSG();
        m_frame.msg.hwnd = hWnd;
        m_frame.msg.message = nMsg;
        m_frame.msg.wParam = wParam;
        m_frame.msg.lParam = lParam;
        m_frame.bReflected = bReflected;
        m_frame.pPrev = pState->m_pMsgFrame;
        pState->m_pMsgFrame = &m_frame;
    }
    ~CMsgFrameScope() { m_pState->m_pMsgFrame = m_frame.pPrev; }

private:
    FX_THREAD_STATE* m_pState;
    FX_MSGFRAME m_frame;
};

// The DC a handler receives lives as long as the handler's call; the DC itself is the sender's.
class CHandlerDC : public CDC
{
public:
    explicit CHandlerDC(WPARAM wParam) { Attach((HDC)wParam); }
    ~CHandlerDC() override { Detach(); }
};

CObject* NewTempWnd(HANDLE h)
{
    CWnd* pWnd = new CWnd;
    pWnd->m_hWnd = (HWND)h;
    return pWnd;
}

void ReleaseTempWnd(CObject* pObject)
{
    static_cast<CWnd*>(pObject)->m_hWnd = NULL;   // a temporary never destroys its window
    delete pObject;
}

// Mouse positions are signed: left of or above a window they are negative.
CPoint PointFromLParam(LPARAM lParam)
{
    return CPoint((short)LOWORD(lParam), (short)HIWORD(lParam));
}

bool IsCtlColorMessage(UINT nMsg)
{
    return nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC;
}

// The class of windows made by Create with no class name: plain, with an arrow cursor.
LPCSTR FrameworkWndClass()
{
    static const char s_szClass[] = "FxFrameWnd";
    static ATOM s_atom = [] {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = s_szClass;
        return ::RegisterClassA(&wc);
    }();
    (void)s_atom;
    return s_szClass;
}

}  // namespace

// --- Creation hook

// The input method may create a window of its own on this thread while ours is being made; it
// is not the window we wait for.
static bool IsImeWindow(HWND hWnd)
{
    char szClass[8];
    return ::GetClassNameA(hWnd, szClass, sizeof(szClass)) && lstrcmpiA(szClass, "IME") == 0;
}

static LRESULT CALLBACK AfxCbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    FX_THREAD_STATE* pState = AfxGetThreadState();
    FX_CREATEHOOK* pCreate = pState->m_pCreateHook;
    if (nCode != HCBT_CREATEWND || pCreate == NULL || IsImeWindow((HWND)wParam))
        return ::CallNextHookEx(pState->m_hHookCbt, nCode, wParam, lParam);

    // Only this one window: windows its handlers create are hooked by their own creation.
    HHOOK hHook = pState->m_hHookCbt;
    pState->m_hHookCbt = NULL;
    pState->m_pCreateHook = NULL;
    ::UnhookWindowsHookEx(hHook);
    HWND hWnd = (HWND)wParam;
    if (pCreate->pWnd->SubclassWindow(hWnd))
        pCreate->hWnd = hWnd;
    return ::CallNextHookEx(NULL, nCode, wParam, lParam);
}

void AfxHookWindowCreate(FX_CREATEHOOK* pCreate)
{
    FX_THREAD_STATE* pState = AfxGetThreadState();
    pCreate->hWnd = NULL;
    pState->m_pCreateHook = pCreate;
    if (pState->m_hHookCbt == NULL)
        pState->m_hHookCbt = ::SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, NULL, ::GetCurrentThreadId());
}

void AfxUnhookWindowCreate(FX_CREATEHOOK* pCreate)
{
    FX_THREAD_STATE* pState = AfxGetThreadState();
    if (pState->m_pCreateHook != pCreate)
        return;   // the hook already took its window and removed itself
    pState->m_pCreateHook = NULL;
    if (pState->m_hHookCbt != NULL) {
        ::UnhookWindowsHookEx(pState->m_hHookCbt);
        pState->m_hHookCbt = NULL;
    }
}

// --- The window procedure of every window with a permanent object

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == NULL)   // detached while another procedure sat on top of ours: ours is orphaned
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);

    FX_THREAD_STATE* pState = AfxGetThreadState();
    size_t nTempMark = pState->m_temps.size();
    LRESULT lResult;
    {
        CMsgFrameScope scope(pState, hWnd, nMsg, wParam, lParam, FALSE);
        lResult = pWnd->WindowProc(nMsg, wParam, lParam);
        if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) {
            pWnd->Detach();
            pWnd->PostNcDestroy();
        }
    }
    pState->ReleaseTemps(nTempMark);
    return lResult;
}

// --- CWnd

CWnd::CWnd() : m_hWnd(NULL), m_pfnSuper(NULL)
{
}

CWnd::CWnd(HWND hWndInsertAfter) : m_hWnd(hWndInsertAfter), m_pfnSuper(NULL)
{
}

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd()
{
    if (m_hWnd != NULL && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = m_hWnd;
        // Our WM_NCDESTROY detaches a subclassed window; an attached one is detached here.
        if (!::DestroyWindow(hWnd) || FromHandlePermanent(hWnd) == this)
            Detach();
    }
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == NULL)
        return NULL;
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd != NULL)
        return pWnd;
    return static_cast<CWnd*>(AfxTempFromHandle(fxTempWnd, hWnd, NewTempWnd, ReleaseTempWnd));
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? PermanentMap().Lookup(hWnd) : NULL;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    FX_ASSERT(m_hWnd == NULL);
    FX_ASSERT(FromHandlePermanent(hWndNew) == NULL);
    if (m_hWnd != NULL || !::IsWindow(hWndNew) || !PermanentMap().Add(hWndNew, this))
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd == NULL)
        return NULL;
    if (m_pfnSuper != NULL) {
        if ((WNDPROC)::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == AfxWndProc)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
        m_pfnSuper = NULL;
    }
    PermanentMap().Remove(hWnd, this);
    m_hWnd = NULL;
    return hWnd;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    FX_ASSERT(pParentWnd != NULL);
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, GetSafeHwnd(pParentWnd),
                    (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    FX_ASSERT(m_hWnd == NULL);
    if (m_hWnd != NULL)
        return FALSE;
    if (lpszClassName == NULL)
        lpszClassName = FrameworkWndClass();

    FX_CREATEHOOK create = { this, NULL };
    AfxHookWindowCreate(&create);
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight,
                                  hWndParent, nIDorHMenu, AfxGetInstanceHandle(), lpParam);
    AfxUnhookWindowCreate(&create);

    // From here on this object may be gone: a failed WM_CREATE destroys the window, and
    // PostNcDestroy may delete the object. Only the map tells whether it is still attached.
    if (hWnd == NULL) {
        // A later hook that refused the window sent no WM_NCDESTROY: forget the dead handle.
        if (create.hWnd != NULL && FromHandlePermanent(create.hWnd) == this && !::IsWindow(create.hWnd))
            Detach();
        return FALSE;
    }
    if (create.hWnd != hWnd) {
        // The hook could not be set: the window exists, but its first messages went past us.
        FX_ASSERT(create.hWnd == hWnd);
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    HWND hWnd = m_hWnd;
    if (hWnd == NULL)
        return FALSE;
    BOOL bPermanent = FromHandlePermanent(hWnd) == this;
    BOOL bResult = ::DestroyWindow(hWnd);
    // An attached window that we did not subclass sent its WM_NCDESTROY past us.
    if (bResult && bPermanent && FromHandlePermanent(hWnd) == this)
        Detach();
    return bResult;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC pfnOld = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    // NULL: a window of another process. AfxWndProc: a framework window whose object let go of
    // it without giving its procedure back; its original procedure is lost.
    if (pfnOld == NULL || pfnOld == AfxWndProc) {
        FX_ASSERT(pfnOld != AfxWndProc);
        Detach();
        return FALSE;
    }
    m_pfnSuper = pfnOld;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    FX_ASSERT(pParent != NULL);
    HWND hWndItem = ::GetDlgItem(GetSafeHwnd(pParent), nID);
    return hWndItem != NULL && SubclassWindow(hWndItem);
}

HWND CWnd::UnsubclassWindow()
{
    FX_ASSERT(m_pfnSuper != NULL);
    if (m_hWnd == NULL || m_pfnSuper == NULL || (WNDPROC)::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) != AfxWndProc)
        return NULL;
    return Detach();
}

void CWnd::PreSubclassWindow()
{
}

void CWnd::PostNcDestroy()
{
}

// --- Routing

LRESULT CWnd::Default()
{
    const FX_MSGFRAME* pFrame = AfxGetThreadState()->m_pMsgFrame;
    FX_ASSERT(pFrame != NULL && pFrame->msg.hwnd == m_hWnd);
    if (pFrame == NULL || pFrame->msg.hwnd != m_hWnd || pFrame->bReflected)
        return 0;
    return DefWindowProc(pFrame->msg.message, pFrame->msg.wParam, pFrame->msg.lParam);
}

const MSG* PASCAL CWnd::GetCurrentMessage()
{
    const FX_MSGFRAME* pFrame = AfxGetThreadState()->m_pMsgFrame;
    return pFrame ? &pFrame->msg : NULL;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != NULL)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

const AFX_MSGMAP* PASCAL CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY s_entries[] = { { 0, 0, 0, AfxSig_end, (AFX_PMSG)0 } };
    static const AFX_MSGMAP s_map = { NULL, s_entries };
    return &s_map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != NULL; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : NULL)
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nSig != AfxSig_end; ++pEntry)
            if (pEntry->nMessage == nMessage && pEntry->nCode == nCode && pEntry->nID == nID)
                return pEntry;
    return NULL;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT lResult = 0;
    BOOL bHandled = FALSE;
    if (message == WM_COMMAND) {
        bHandled = OnCommand(wParam, lParam);
    } else if (message == WM_NOTIFY) {
        bHandled = OnNotify(wParam, lParam, &lResult);
    } else if (const AFX_MSGMAP_ENTRY* pEntry = FindEntry(message, 0, 0)) {
        bHandled = DispatchEntry(pEntry, message, wParam, lParam, &lResult);
    } else if (IsCtlColorMessage(message)) {
        HWND hWndCtl = (HWND)lParam;
        CWnd* pChild = hWndCtl != m_hWnd ? FromHandlePermanent(hWndCtl) : NULL;
        if (pChild != NULL && pChild->OnChildNotify(message, wParam, lParam, &lResult))
            bHandled = TRUE;
        else if ((pEntry = FindEntry(WM_CTLCOLOR, 0, 0)) != NULL)
            bHandled = DispatchEntry(pEntry, message, wParam, lParam, &lResult);
    }
    if (pResult != NULL)
        *pResult = lResult;
    return bHandled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND hWndCtrl = (HWND)lParam;
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    LRESULT lResult = 0;
    if (hWndCtrl == NULL) {
        nCode = CN_COMMAND;   // a menu (0) and an accelerator (1) are the same command
    } else if (hWndCtrl != m_hWnd) {
        CWnd* pChild = FromHandlePermanent(hWndCtrl);
        if (pChild != NULL && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, &lResult))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(WM_COMMAND, nCode, nID);
    return pEntry != NULL && DispatchEntry(pEntry, WM_COMMAND, wParam, lParam, &lResult);
}

BOOL CWnd::OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pNMHDR = (const NMHDR*)lParam;
    if (pNMHDR == NULL)
        return FALSE;
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(WM_NOTIFY, pNMHDR->code, (UINT)pNMHDR->idFrom);
    return pEntry != NULL && DispatchEntry(pEntry, WM_NOTIFY, 0, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const AFX_MSGMAP_ENTRY* pEntry = NULL;
    if (message == WM_COMMAND)
        pEntry = FindEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
    else if (IsCtlColorMessage(message))
        pEntry = FindEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0);
    if (pEntry == NULL)
        return FALSE;

    LRESULT lResult = 0;
    {
        CMsgFrameScope scope(AfxGetThreadState(), m_hWnd, WM_REFLECT_BASE + message, wParam, lParam, TRUE);
        DispatchEntry(pEntry, message, wParam, lParam, &lResult);
    }
    if (IsCtlColorMessage(message) && lResult == 0)
        return FALSE;   // no brush: the parent colours the control
    *pResult = lResult;
    return TRUE;
}

BOOL CWnd::DispatchEntry(const AFX_MSGMAP_ENTRY* pEntry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    AFX_PMSG pfn = pEntry->pfn;
    LRESULT lResult = 0;
    switch (pEntry->nSig) {
    case AfxSig_lwl:
        lResult = (this->*reinterpret_cast<AFX_PMSG_lwl>(pfn))(wParam, lParam);
        break;
    case AfxSig_vv:
        (this->*reinterpret_cast<AFX_PMSG_vv>(pfn))();
        break;
    case AfxSig_vNMHDRpl:
        (this->*reinterpret_cast<AFX_PMSG_vNMHDRpl>(pfn))((NMHDR*)lParam, &lResult);
        break;
    case AfxSig_is:
        lResult = (this->*reinterpret_cast<AFX_PMSG_is>(pfn))((LPCREATESTRUCTA)lParam);
        break;
    case AfxSig_vwii:
        (this->*reinterpret_cast<AFX_PMSG_vwii>(pfn))((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_vMMI:
        (this->*reinterpret_cast<AFX_PMSG_vMMI>(pfn))((MINMAXINFO*)lParam);
        break;
    case AfxSig_wp:
        // HTERROR and HTTRANSPARENT are negative: widen them as the signed values they are.
        lResult = (INT)(this->*reinterpret_cast<AFX_PMSG_wp>(pfn))(PointFromLParam(lParam));
        break;
    case AfxSig_bWww:
        // The hit-test code travels as a 16-bit value; HTERROR must stay -2.
        lResult = (this->*reinterpret_cast<AFX_PMSG_bWww>(pfn))(FromHandle((HWND)wParam), (UINT)(INT)(SHORT)LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_vwp:
        (this->*reinterpret_cast<AFX_PMSG_vwp>(pfn))((UINT)wParam, PointFromLParam(lParam));
        break;
    case AfxSig_hDWw: {
        CHandlerDC dc(wParam);
        lResult = (LRESULT)(this->*reinterpret_cast<AFX_PMSG_hDWw>(pfn))(&dc, FromHandle((HWND)lParam), message - WM_CTLCOLORMSGBOX);
        break;
    }
    case AfxSig_hDw: {
        CHandlerDC dc(wParam);
        lResult = (LRESULT)(this->*reinterpret_cast<AFX_PMSG_hDw>(pfn))(&dc, message - WM_CTLCOLORMSGBOX);
        break;
    }
    case AfxSig_vt:
        (this->*reinterpret_cast<AFX_PMSG_vt>(pfn))((UINT_PTR)wParam);
        break;
    case AfxSig_bD: {
        CHandlerDC dc(wParam);
        lResult = (this->*reinterpret_cast<AFX_PMSG_bD>(pfn))(&dc);
        break;
    }
    case AfxSig_vWp:
        (this->*reinterpret_cast<AFX_PMSG_vWp>(pfn))(FromHandle((HWND)wParam), PointFromLParam(lParam));
        break;
    default:
        FX_ASSERT(!"unknown message map signature");
        return FALSE;
    }
    *pResult = lResult;
    return TRUE;
}

// --- Default handlers

int CWnd::OnCreate(LPCREATESTRUCTA) { return (int)Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
UINT CWnd::OnNcHitTest(CPoint) { return (UINT)Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return (HBRUSH)Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }

// --- Attributes

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = GetStyle();
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, (LONG)dwNewStyle);
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

static void GetTextOf(HWND hWnd, CString& rString)
{
    int nLength = ::GetWindowTextLengthA(hWnd);
    if (nLength <= 0) {
        rString.Empty();
        return;
    }
    ::GetWindowTextA(hWnd, rString.GetBuffer(nLength), nLength + 1);
    rString.ReleaseBuffer();
}

void CWnd::GetWindowText(CString& rString) const
{
    GetTextOf(m_hWnd, rString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    HWND hWndItem = ::GetDlgItem(m_hWnd, nID);
    if (hWndItem != NULL)
        GetTextOf(hWndItem, rString);
    return rString.GetLength();
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, (LPPOINT)lpRect);
    ::ScreenToClient(m_hWnd, ((LPPOINT)lpRect) + 1);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::ClientToScreen(m_hWnd, (LPPOINT)lpRect);
    ::ClientToScreen(m_hWnd, ((LPPOINT)lpRect) + 1);
}
