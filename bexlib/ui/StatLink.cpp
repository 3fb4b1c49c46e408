#include "StatLink.h"
#include "../frame/kelmdbg.h"

#include <shellapi.h>

// The hand cursor comes from the system's help program, which every Windows installation has.
static const char c_szCursorProgram[] = "\\winhlp32.exe";
static const int c_nCursorResource = 106;

COLORREF CStaticLink::g_colorUnvisited = RGB(0, 0, 255);
COLORREF CStaticLink::g_colorVisited = RGB(128, 0, 128);
HICON CStaticLink::g_hCursorLink = NULL;
// A missing cursor is looked for once per process, not at every mouse move.
static BOOL s_bCursorTried = FALSE;

HINSTANCE CHyperlink::Navigate()
{
    if (IsEmpty())
        return NULL;
    return ShellExecuteA(NULL, "open", *this, NULL, NULL, SW_SHOWNORMAL);
}

IMPLEMENT_DYNAMIC(CStaticLink, CStatic)

BEGIN_MESSAGE_MAP(CStaticLink, CStatic)
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CStaticLink::CStaticLink(const char* lpText, BOOL bDeleteOnDestroy)
    : m_link(lpText), m_color(g_colorUnvisited), m_bDeleteOnDestroy(bDeleteOnDestroy)
{
}

CStaticLink::~CStaticLink()
{
}

UINT CStaticLink::OnNcHitTest(CPoint)
{
    // A static control lets the mouse through to its parent; a link must take the click.
    return HTCLIENT;
}

HBRUSH CStaticLink::CtlColor(CDC* pDC, UINT nCtlColor)
{
    KELM_ASSERT(nCtlColor == CTLCOLOR_STATIC);
    if ((GetStyle() & 0xFF) > SS_RIGHT)
        return NULL;   // an icon, a frame or a bitmap draws as it always does
    if (m_font.GetSafeHandle() == NULL) {
        HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
        if (hFont == NULL)
            hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        LOGFONTA lf;
        if (::GetObjectA(hFont, sizeof(lf), &lf) == sizeof(lf)) {
            lf.lfUnderline = TRUE;
            m_font.CreateFontIndirect(&lf);
        }
    }
    if (m_font.GetSafeHandle() != NULL)
        pDC->SelectObject(&m_font);
    pDC->SetTextColor(m_color);
    pDC->SetBkMode(TRANSPARENT);
    return (HBRUSH)::GetStockObject(NULL_BRUSH);
}

void CStaticLink::OnLButtonDown(UINT, CPoint)
{
    if (m_link.IsEmpty()) {
        CString strText;
        GetWindowText(strText);
        m_link = strText;
        if (m_link.IsEmpty())
            return;
    }
    if ((INT_PTR)m_link.Navigate() > 32) {
        m_color = g_colorVisited;
        Invalidate(TRUE);
    } else
        MessageBeep(0);
}

BOOL CStaticLink::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (g_hCursorLink == NULL && !s_bCursorTried) {
        s_bCursorTried = TRUE;
        char szPath[MAX_PATH];
        UINT nLength = GetWindowsDirectoryA(szPath, MAX_PATH);
        if (nLength > 0 && nLength + sizeof(c_szCursorProgram) <= MAX_PATH) {
            lstrcatA(szPath, c_szCursorProgram);
            // Only its resources are wanted: none of its code runs in this process.
            HMODULE hModule = LoadLibraryExA(szPath, NULL, LOAD_LIBRARY_AS_DATAFILE);
            if (hModule != NULL) {
                HCURSOR hCursor = LoadCursorA(hModule, MAKEINTRESOURCEA(c_nCursorResource));
                if (hCursor != NULL)
                    g_hCursorLink = CopyIcon(hCursor);
                FreeLibrary(hModule);
            }
        }
    }
    if (g_hCursorLink == NULL)
        return CStatic::OnSetCursor(pWnd, nHitTest, message);
    ::SetCursor(g_hCursorLink);
    return TRUE;
}

void CStaticLink::PostNcDestroy()
{
    if (m_bDeleteOnDestroy)
        delete this;
}
