#include "PartnerWait.h"

// How long one wait for a message lasts before the partner is looked at again.
static const DWORD s_dwSliceMs = 100;

CPartnerWait::CPartnerWait()
    : m_dwProcessId(GetCurrentProcessId()), m_bQuit(FALSE), m_nExitCode(0)
{
}

CPartnerWait::~CPartnerWait()
{
    for (INT_PTR i = 0; i < m_aPainted.GetSize(); ++i)
        if (IsWindow(m_aPainted[i]))
            RedrawWindow(m_aPainted[i], NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
    if (m_bQuit)
        PostQuitMessage(m_nExitCode);
}

CPartnerWait::Result CPartnerWait::Wait(HWND hWndPartner, UINT nMsg, MSG& msg)
{
    for (;;) {
        if (!PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            // The queue is looked at first: a partner that answers and then closes ("acknowledge,
            // then quit") has put its answer there before its window went, and the answer may
            // have come in since the queue was found empty.
            if (!IsWindow(hWndPartner))
                return PeekMessageA(&msg, NULL, nMsg, nMsg, PM_REMOVE) ? answered : partnerGone;
            MsgWaitForMultipleObjectsEx(0, NULL, s_dwSliceMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            m_bQuit = TRUE;
            m_nExitCode = (int)msg.wParam;
            return quit;
        }
        if (msg.message == nMsg)
            return answered;
        if (IsOwnWindow(msg.hwnd)) {
            Swallow(msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

int CPartnerWait::TakeQuit()
{
    m_bQuit = FALSE;
    return m_nExitCode;
}

BOOL CPartnerWait::IsOwnWindow(HWND hWnd) const
{
    DWORD dwProcessId = 0;
    return hWnd != NULL && GetWindowThreadProcessId(hWnd, &dwProcessId) != 0 && dwProcessId == m_dwProcessId;
}

void CPartnerWait::Swallow(const MSG& msg)
{
    if (msg.message != WM_PAINT)
        return;
    PAINTSTRUCT ps;
    BeginPaint(msg.hwnd, &ps);
    EndPaint(msg.hwnd, &ps);
    for (INT_PTR i = 0; i < m_aPainted.GetSize(); ++i)
        if (m_aPainted[i] == msg.hwnd)
            return;
    m_aPainted.Add(msg.hwnd);
}
