// CResizableDlg as a dialog of the folder browser's layout derives from it: anchored controls,
// the size limit, the grip corner and the size remembered in the application's profile.
#include "ui_common.h"
#include "ui/ResizableDlg.h"
#include <gtest/gtest.h>

namespace {

class BrowserLike : public CResizableDlg
{
public:
    explicit BrowserLike(const char* pszSection = NULL) : CResizableDlg(IDD_RESIZE, NULL), m_pszSection(pszSection)
    {
        Create(IDD_RESIZE, NULL);
    }
    ~BrowserLike() override
    {
        if (m_hWnd)
            DestroyWindow();
    }
    using CResizableDlg::m_nMinTrackWidth;

protected:
    BOOL OnInitDialog() override
    {
        AddControl(IDC_EDIT, ANCHOR_SIZE_X);
        AddControl(IDC_TREE, ANCHOR_SIZE_X | ANCHOR_SIZE_Y);
        AddControl(IDC_HELPBUTTON, ANCHOR_MOVE_Y);
        AddControl(IDOK, ANCHOR_REPAINT | ANCHOR_MOVE_Y | ANCHOR_MOVE_X);
        AddControl(IDCANCEL, ANCHOR_REPAINT | ANCHOR_MOVE_Y | ANCHOR_MOVE_X);
        AddControl(4711, ANCHOR_MOVE_X);       // no such control
        AddControl(IDC_EDIT, 0x10000);         // no flags in the low half: not registered
        return CResizableDlg::OnInitDialog();
    }
    void GetProfileSection(CString& strSection) override
    {
        if (m_pszSection)
            strSection = m_pszSection;
        else
            CResizableDlg::GetProfileSection(strSection);
    }
    const char* m_pszSection;
};

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

struct ResizableDlg : testing::Test {
    ui::UiApp app;
    int Stored(const char* pszSection, const char* pszEntry) { return (int)app.GetProfileInt(pszSection, pszEntry, 0); }
};

}  // namespace

TEST_F(ResizableDlg, AnchoredControlsMoveAndGrowByTheChangeInClientSize)
{
    BrowserLike dlg;
    HWND h = dlg.m_hWnd;
    RECT edit = ui::ChildRect(GetDlgItem(h, IDC_EDIT)), tree = ui::ChildRect(GetDlgItem(h, IDC_TREE)),
         help = ui::ChildRect(GetDlgItem(h, IDC_HELPBUTTON)), ok = ui::ChildRect(GetDlgItem(h, IDOK)),
         cancel = ui::ChildRect(GetDlgItem(h, IDCANCEL));
    ui::ResizeBy(h, 50, 40);
    RECT r = ui::ChildRect(GetDlgItem(h, IDC_EDIT));
    EXPECT_EQ(r.left, edit.left);
    EXPECT_EQ(Width(r), Width(edit) + 50);
    EXPECT_EQ(Height(r), Height(edit));
    r = ui::ChildRect(GetDlgItem(h, IDC_TREE));
    EXPECT_EQ(Width(r), Width(tree) + 50);
    EXPECT_EQ(Height(r), Height(tree) + 40);
    EXPECT_EQ(r.top, tree.top);
    r = ui::ChildRect(GetDlgItem(h, IDC_HELPBUTTON));
    EXPECT_EQ(r.left, help.left);
    EXPECT_EQ(r.top, help.top + 40);
    for (auto& pair : { std::make_pair(IDOK, ok), std::make_pair(IDCANCEL, cancel) }) {
        r = ui::ChildRect(GetDlgItem(h, pair.first));
        EXPECT_EQ(r.left, pair.second.left + 50);
        EXPECT_EQ(r.top, pair.second.top + 40);
        EXPECT_EQ(Width(r), Width(pair.second));
    }
}

TEST_F(ResizableDlg, NeverSmallerThanAtCreationAndTheGripCornerSizes)
{
    BrowserLike dlg;
    HWND h = dlg.m_hWnd;
    RECT created = ui::WindowRect(h);
    EXPECT_EQ(dlg.m_nMinTrackWidth, Width(created));
    MINMAXINFO mmi = {};
    dlg.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(mmi.ptMinTrackSize.x, Width(created));
    EXPECT_EQ(mmi.ptMinTrackSize.y, Height(created));
    ui::ResizeBy(h, -80, -60);
    EXPECT_EQ(Width(ui::WindowRect(h)), Width(created));
    EXPECT_EQ(Height(ui::WindowRect(h)), Height(created));

    RECT client;
    GetClientRect(h, &client);
    MapWindowPoints(h, NULL, (POINT*)&client, 2);
    LPARAM lCorner = MAKELPARAM(client.right - 3, client.bottom - 3);
    LPARAM lMiddle = MAKELPARAM((client.left + client.right) / 2, (client.top + client.bottom) / 2);
    EXPECT_EQ(dlg.SendMessage(WM_NCHITTEST, 0, lCorner), HTBOTTOMRIGHT);
    EXPECT_EQ(dlg.SendMessage(WM_NCHITTEST, 0, lMiddle), HTCLIENT);
    dlg.m_bSizeGrip = FALSE;
    EXPECT_EQ(dlg.SendMessage(WM_NCHITTEST, 0, lCorner), HTCLIENT);
}

TEST_F(ResizableDlg, TheSizeIsRememberedPerTemplateSection)
{
    RECT original;
    int nCancelGap;   // from the Cancel button to the client area's right edge
    {
        BrowserLike dlg;   // nothing stored: the template's size, and nothing stored at the end
        original = ui::WindowRect(dlg.m_hWnd);
        nCancelGap = ui::ClientSize(dlg.m_hWnd).cx - ui::ChildRect(GetDlgItem(dlg.m_hWnd, IDCANCEL)).right;
    }
    EXPECT_EQ(Stored("131", "CX"), 0);
    {
        BrowserLike dlg;
        ui::ResizeBy(dlg.m_hWnd, 60, 30);
    }
    EXPECT_EQ(Stored("131", "CX"), Width(original) + 60);
    EXPECT_EQ(Stored("131", "CY"), Height(original) + 30);
    {
        BrowserLike other("Other");
        EXPECT_EQ(Width(ui::WindowRect(other.m_hWnd)), Width(original));
        BrowserLike dlg;
        RECT r = ui::WindowRect(dlg.m_hWnd);
        EXPECT_EQ(Width(r), Width(original) + 60);
        EXPECT_EQ(Height(r), Height(original) + 30);
        // Laid out for the restored size from the start: the anchors moved by the change only.
        EXPECT_EQ(ui::ClientSize(dlg.m_hWnd).cx - ui::ChildRect(GetDlgItem(dlg.m_hWnd, IDCANCEL)).right, nCancelGap);
        ui::ResizeBy(dlg.m_hWnd, 10, 0);
        dlg.ShowWindow(SW_MAXIMIZE);
    }
    EXPECT_EQ(Stored("131", "CX"), Width(original) + 60);   // closed maximised: not stored
    EXPECT_EQ(Stored("Other", "CX"), 0);
}
