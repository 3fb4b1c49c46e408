#include "ResizableDlg.h"
#include "../common/SizeGrip.h"

BEGIN_MESSAGE_MAP(CResizableDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_NCHITTEST()
    ON_WM_GETMINMAXINFO()
    ON_WM_DESTROY()
    ON_WM_CREATE()
END_MESSAGE_MAP()

CResizableDlg::CResizableDlg(UINT nIDTemplate, CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_bRememberSize(TRUE), m_bSizeGrip(TRUE), m_nMinTrackWidth(0),
      m_nMinTrackHeight(0), m_cxLast(0), m_cyLast(0), m_bResized(FALSE), m_nIDDialog(nIDTemplate),
      m_rectGrip(0, 0, 0, 0)
{
}

CResizableDlg::~CResizableDlg()
{
}

void CResizableDlg::AddControl(UINT nID, UINT nFlags)
{
    if ((nFlags & 0xFFFF) == 0)
        return;
    m_arrControls.Add((nID & 0xFFFF) + (nFlags << 16));
}

void CResizableDlg::GetProfileSection(CString& strSection)
{
    strSection.Format("%x", m_nIDDialog);
}

int CResizableDlg::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CDialog::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_nMinTrackWidth = lpCreateStruct->cx;
    m_nMinTrackHeight = lpCreateStruct->cy;
    return 0;
}

void CResizableDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (m_nMinTrackWidth == 0) {
        CDialog::OnGetMinMaxInfo(lpMMI);
        return;
    }
    lpMMI->ptMinTrackSize.x = m_nMinTrackWidth;
    lpMMI->ptMinTrackSize.y = m_nMinTrackHeight;
}

BOOL CResizableDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Without an application object there is no profile: the dialog opens at its template's size.
    CWinApp* pApp = AfxGetApp();
    if (!m_bRememberSize || pApp == NULL)
        return FALSE;
    CString strSection;
    GetProfileSection(strSection);
    int cx = (int)pApp->GetProfileInt(strSection, "CX", 0);
    int cy = (int)pApp->GetProfileInt(strSection, "CY", 0);
    if (cx != 0 && cy != 0)
        SetWindowPos(NULL, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
    return FALSE;
}

void CResizableDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (nType == SIZE_MINIMIZED)
        return;
    int dx = cx - m_cxLast, dy = cy - m_cyLast;
    // The first size message only tells the size the controls were laid out for.
    if (m_cxLast != 0) {
        m_bResized = TRUE;
        for (INT_PTR i = 0; i < m_arrControls.GetSize(); ++i) {
            DWORD dwControl = m_arrControls[i];
            UINT nFlags = HIWORD(dwControl);
            CWnd* pControl = GetDlgItem(LOWORD(dwControl));
            if (pControl == NULL)
                continue;
            CRect rect;
            pControl->GetWindowRect(&rect);
            if (nFlags & ANCHOR_REPAINT)
                pControl->Invalidate(TRUE);
            ScreenToClient(&rect);
            if (nFlags & ANCHOR_SIZE_X)
                rect.right += dx;
            else if (nFlags & ANCHOR_MOVE_X)
                rect.OffsetRect(dx, 0);
            if (nFlags & ANCHOR_SIZE_Y)
                rect.bottom += dy;
            else if (nFlags & ANCHOR_MOVE_Y)
                rect.OffsetRect(0, dy);
            pControl->MoveWindow(&rect, TRUE);
        }
    }
    m_cxLast = cx;
    m_cyLast = cy;
    if (m_bSizeGrip)
        InvalidateRect(&m_rectGrip, TRUE);
}

void CResizableDlg::OnPaint()
{
    CDialog::OnPaint();
    if (!m_bSizeGrip || IsZoomed())
        return;
    CClientDC dc(this);
    m_rectGrip = DrawSizeGrip(this, &dc);
}

UINT CResizableDlg::OnNcHitTest(CPoint point)
{
    UINT nHit = CDialog::OnNcHitTest(point);
    return m_bSizeGrip ? SizeGripHitTest(this, point, nHit) : nHit;
}

void CResizableDlg::OnDestroy()
{
    CWinApp* pApp = AfxGetApp();
    if (m_bRememberSize && pApp && m_bResized && m_cxLast && m_cyLast && !IsZoomed()) {
        CString strSection;
        GetProfileSection(strSection);
        CRect rect;
        GetWindowRect(&rect);
        pApp->WriteProfileInt(strSection, "CX", rect.Width());
        pApp->WriteProfileInt(strSection, "CY", rect.Height());
    }
    m_nMinTrackWidth = m_nMinTrackHeight = 0;
    m_cxLast = m_cyLast = 0;
    m_bResized = FALSE;
    CDialog::OnDestroy();
}
