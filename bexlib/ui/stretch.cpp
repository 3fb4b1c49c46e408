#include "stretch.h"
#include "../frame/kelmdbg.h"

// Far enough to stand for "to the dialog's edge" whatever the dialog's size.
static const int c_nZoneEnd = 30000;

CStretchDlg::CStretchDlg()
    : m_hParentWnd(NULL), m_hWndItemStretch(NULL), m_rectItem(), m_nShiftX(0), m_nShiftY(0), m_nMinWidth(0),
      m_nMinHeight(0), m_nLastCx(0), m_nLastCy(0)
{
}

CStretchDlg::CStretchDlg(HWND hParent, int nIDItem) : CStretchDlg()
{
    Init(hParent, nIDItem);
}

// Member by member: a copy stretches the same item of the same dialog.
CStretchDlg& CStretchDlg::operator=(const CStretchDlg&) = default;
CStretchDlg::~CStretchDlg() = default;

int CStretchDlg::Init(HWND hParent, int nIDItem)
{
    if (m_hWndItemStretch && m_hParentWnd)
        return 1;
    if (m_hWndItemStretch || m_hParentWnd) {
        KELM_ASSERT(m_hWndItemStretch && m_hParentWnd);
        return 1;
    }
    HWND hItem = GetDlgItem(hParent, nIDItem);
    if (hItem == NULL) {
        // Half bound, the object could never be bound again.
        KELM_ASSERT(m_hWndItemStretch);
        return 1;
    }
    m_hParentWnd = hParent;
    RECT rcClient;
    GetClientRect(hParent, &rcClient);
    m_nLastCx = rcClient.right;
    m_nLastCy = rcClient.bottom;
    m_hWndItemStretch = hItem;
    GetWindowRect(hItem, &m_rectItem);
    EnumChildWindows(hParent, StaticCalcMinHeightNWidth, (LPARAM)this);
    return 1;
}

BOOL CALLBACK CStretchDlg::StaticCalcMinHeightNWidth(HWND hChild, LPARAM lParam)
{
    ((CStretchDlg*)lParam)->CalcMinHeightNWidth(hChild);
    return TRUE;
}

int CStretchDlg::IsInB(RECT* rc)
{
    RECT rcZone = { m_rectItem.left, m_rectItem.bottom, c_nZoneEnd, c_nZoneEnd };
    RECT rcCommon;
    return IntersectRect(&rcCommon, rc, &rcZone) ? 1 : 0;
}

int CStretchDlg::IsInC(RECT* rc)
{
    RECT rcZone = { m_rectItem.right, m_rectItem.top, c_nZoneEnd, c_nZoneEnd };
    RECT rcCommon;
    return IntersectRect(&rcCommon, rc, &rcZone) ? 1 : 0;
}

void CStretchDlg::CalcMinHeightNWidth(HWND hChild)
{
    // Window sizes, compared later with client sizes: the frame is a margin to spare.
    RECT rcParent;
    GetWindowRect(m_hParentWnd, &rcParent);
    if (m_nMinHeight == 0)
        m_nMinHeight = (rcParent.bottom - rcParent.top) - (m_rectItem.bottom - m_rectItem.top) + 2;
    if (m_nMinWidth == 0)
        m_nMinWidth = (rcParent.right - rcParent.left) - (m_rectItem.right - m_rectItem.left) + 2;
    if (hChild == m_hWndItemStretch || GetParent(hChild) != m_hParentWnd)
        return;
    RECT rc;
    GetWindowRect(hChild, &rc);
    // Controls below the item never move sideways, so the dialog must stay wide enough for
    // them; those to its right never move down.
    if (IsInB(&rc) && rc.right - rcParent.left > m_nMinWidth)
        m_nMinWidth = rc.right - rcParent.left;
    if (IsInC(&rc) && rc.bottom - rcParent.top > m_nMinHeight)
        m_nMinHeight = rc.bottom - rcParent.top;
}

// Only the part of a change above the minimum moves anything.
int CStretchDlg::CalcShift(int nNew, int nLast, int nMin)
{
    int nLo = nNew < nLast ? nNew : nLast;
    int nHi = nNew < nLast ? nLast : nNew;
    int nShift = 0;
    if (nLo > nMin)
        nShift = nHi - nLo;
    else if (nHi >= nMin)
        nShift = nHi - nMin;
    return nNew < nLast ? -nShift : nShift;
}

void CStretchDlg::StretchItem(int cx, int cy)
{
    if (!m_hParentWnd || !m_hWndItemStretch)
        return;
    GetWindowRect(m_hWndItemStretch, &m_rectItem);
    m_nShiftX = CalcShift(cx, m_nLastCx, m_nMinWidth);
    m_nShiftY = CalcShift(cy, m_nLastCy, m_nMinHeight);
    m_nLastCx = cx;
    m_nLastCy = cy;
    EnumChildWindows(m_hParentWnd, StaticShiftItem, (LPARAM)this);
    m_rectItem.right += m_nShiftX;
    m_rectItem.bottom += m_nShiftY;
    SetWindowPos(m_hWndItemStretch, NULL, 0, 0, m_rectItem.right - m_rectItem.left,
                 m_rectItem.bottom - m_rectItem.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK CStretchDlg::StaticShiftItem(HWND hChild, LPARAM lParam)
{
    ((CStretchDlg*)lParam)->ShiftItem(hChild);
    return TRUE;
}

void CStretchDlg::ShiftItem(HWND hChild)
{
    if (hChild == m_hWndItemStretch || GetParent(hChild) != m_hParentWnd)
        return;
    RECT rc;
    GetWindowRect(hChild, &rc);
    POINT pt = { rc.left, rc.top };
    ScreenToClient(m_hParentWnd, &pt);
    int x = pt.x, y = pt.y;
    if (m_nShiftX != 0 && IsInC(&rc))
        x += m_nShiftX;
    if (m_nShiftY != 0 && IsInB(&rc))
        y += m_nShiftY;
    if (x != pt.x || y != pt.y)
        SetWindowPos(hChild, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
