// The "Version Information" window.
#include "VersionInfoDlg.h"
#include "../config/BexHelp.h"
#include "../config/kelmbex.h"
#include "../frame/bexlib32.h"
#include "../ipc/WndUtil.h"
#include "../common/SizeGrip.h"

#include <stdio.h>

namespace {

const char szPosSection[] = "Wex\\WindowPos";
const char szPosEntry[] = "VersInfoDlg";

}  // namespace

BEGIN_MESSAGE_MAP(CVersionInfoDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_PAINT()
    ON_WM_NCHITTEST()
    ON_COMMAND(ID_HELP, OnHelp)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

CVersionInfoDlg::CVersionInfoDlg()
    : CDialog(IDD_BEX_VERSIONINFO), m_nMinWidth(0), m_nMinHeight(0)
{
}

CVersionInfoDlg::~CVersionInfoDlg()
{
}

void CVersionInfoDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BEX_VERSIONREPORT, m_editReport);
}

BOOL CVersionInfoDlg::OnInitDialog()
{
    CWaitCursor wait;
    CDialog::OnInitDialog();

    HICON hIcon = (HICON)LoadImageA(g_hBexLib, MAKEINTRESOURCEA(IDI_BEX_VERSIONINFO), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SetIcon(hIcon, FALSE);

    GetWindowRect(m_rectWnd);
    m_nMinWidth = m_rectWnd.Width();
    m_nMinHeight = m_rectWnd.Height();
    RestoreWindowRect();

    int anTabStops[3] = { 80, 128, 165 };
    m_editReport.SetTabStops(3, anTabStops);
    EnableMenuItem(::GetSystemMenu(m_hWnd, FALSE), SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);

    // Visible at once: the report can take a while on a large installation.
    ShowWindow(SW_SHOW);
    UpdateWindow();
    // The control's default limit (30000 characters under Wine) would silently drop the end.
    m_editReport.SetLimitText(0);
    WriteTurVersionReport(*this);

    m_editReport.SetFocus();
    return FALSE;
}

// The rectangle of the last normal closing, cut to the desktop; centred when there is none or
// when nothing of it lies on the desktop any more.
void CVersionInfoDlg::RestoreWindowRect()
{
    CString strPos = GetBexProfileString(HKEY_CURRENT_USER, szPosSection, szPosEntry, "");
    int l, t, r, b;
    CRect rectDesktop, rectShown;
    ::GetWindowRect(::GetDesktopWindow(), rectDesktop);
    if (sscanf(strPos, "%d,%d,%d,%d", &l, &t, &r, &b) == 4 && rectShown.IntersectRect(CRect(l, t, r, b), rectDesktop))
        SetWindowPos(&wndNoTopMost, rectShown.left, rectShown.top, rectShown.Width(), rectShown.Height(), 0);
    else
        CenterWnd(m_hWnd, ::GetDesktopWindow());
}

void CVersionInfoDlg::AppendText(const char* pszText)
{
    int nEnd = m_editReport.GetWindowTextLength();
    m_editReport.SetSel(nEnd, nEnd);
    m_editReport.ReplaceSel(pszText, FALSE);
}

void CVersionInfoDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    // Before initialisation there is nothing to move; a minimised window's rectangle says
    // nothing about the size it comes back with.
    if (m_nMinWidth == 0 || nType == SIZE_MINIMIZED)
        return;
    CRect rectNew;
    GetWindowRect(rectNew);
    int dx = rectNew.Width() - m_rectWnd.Width();
    int dy = rectNew.Height() - m_rectWnd.Height();
    m_rectWnd = rectNew;

    const UINT nFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != NULL; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        CRect rect;
        ::GetWindowRect(hChild, rect);
        ScreenToClient(rect);
        switch (::GetDlgCtrlID(hChild)) {
        case IDC_BEX_VERSIONREPORT:
            ::SetWindowPos(hChild, NULL, 0, 0, rect.Width() + dx, rect.Height() + dy, nFlags | SWP_NOMOVE);
            break;
        case IDOK:
            ::SetWindowPos(hChild, NULL, rect.left + dx, rect.top + dy, 0, 0, nFlags | SWP_NOSIZE);
            break;
        case ID_HELP:
            ::SetWindowPos(hChild, NULL, rect.left, rect.top + dy, 0, 0, nFlags | SWP_NOSIZE);
            break;
        }
    }
    Invalidate(TRUE);
}

void CVersionInfoDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (m_nMinWidth != 0) {
        lpMMI->ptMinTrackSize.x = m_nMinWidth;
        lpMMI->ptMinTrackSize.y = m_nMinHeight;
    }
    CDialog::OnGetMinMaxInfo(lpMMI);
}

void CVersionInfoDlg::OnPaint()
{
    CPaintDC dc(this);
    DrawSizeGrip(this, &dc);
}

UINT CVersionInfoDlg::OnNcHitTest(CPoint point)
{
    return SizeGripHitTest(this, point, CDialog::OnNcHitTest(point));
}

void CVersionInfoDlg::OnHelp()
{
    PostMessage(WM_COMMANDHELP, 0, 0);
}

LRESULT CVersionInfoDlg::OnCommandHelp(WPARAM, LPARAM)
{
    ShowBexHelp(BEX_HELPKEY_VERSIONINFO);
    return TRUE;
}

void CVersionInfoDlg::OnDestroy()
{
    // A maximised or minimised window keeps the rectangle of the last normal closing.
    if (!IsZoomed() && !IsIconic()) {
        CRect rect;
        GetWindowRect(rect);
        CString strPos;
        strPos.Format("%d,%d,%d,%d", (int)rect.left, (int)rect.top, (int)rect.right, (int)rect.bottom);
        SetBexProfileString(HKEY_CURRENT_USER, szPosSection, szPosEntry, strPos);
    }
    CDialog::OnDestroy();
}

void BEXAPI DisplayTurVersionInformation(void)
{
    CBexResourceScope resources;
    CVersionInfoDlg dlg;
    dlg.DoModal();
}
