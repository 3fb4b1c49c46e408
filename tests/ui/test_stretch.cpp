// CStretchDlg in real resizable dialogs; expected positions come from the windows' own
// rectangles, since frame sizes differ between systems.
#include "ui_common.h"
#include <gtest/gtest.h>

namespace {

// A resizable dialog that stretches one item as its own code would.
struct StretchDialog : CDialog {
    explicit StretchDialog(UINT nID) { Create(nID, NULL); }
    ~StretchDialog() override { DestroyWindow(); }
    CStretchDlg m_stretch;
    BOOL OnInitDialog() override
    {
        m_stretch.Init(m_hWnd, IDC_ITEM);
        return CDialog::OnInitDialog();
    }
    afx_msg void OnSize(UINT, int cx, int cy) { m_stretch.StretchItem(cx, cy); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(StretchDialog, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

int Width(HWND hWnd) { RECT rc = ui::WindowRect(hWnd); return rc.right - rc.left; }

}  // namespace

TEST(StretchDlg, GrowingMovesControlsBelowAndRightAndStretchesTheItem)
{
    StretchDialog dlg(IDD_STRETCH);
    HWND hDlg = dlg.m_hWnd;
    // A grandchild inside a container below the item moves with its container only.
    HWND hBox = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 100, 200, 60, 30, hDlg, NULL, NULL, NULL);
    HWND hInner = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 5, 6, 10, 10, hBox, NULL, NULL, NULL);
    // Stretched, moved right, moved down, moved both ways, left alone; the container moved down,
    // its child not at all.
    HWND ahWnd[] = { GetDlgItem(hDlg, IDC_ITEM), GetDlgItem(hDlg, IDC_RIGHT), GetDlgItem(hDlg, IDC_BELOW),
                     GetDlgItem(hDlg, IDC_CORNER), GetDlgItem(hDlg, IDC_LEFT_BELOW), hBox, hInner };
    const int aMove[][4] = { { 0, 0, 40, 30 }, { 40, 0 }, { 0, 30 }, { 40, 30 }, { 0, 0 }, { 0, 30 }, { 0, 0 } };
    std::string expected[7];
    for (int i = 0; i < 7; ++i)
        expected[i] = ui::Text(ui::ChildRect(ahWnd[i]), aMove[i][0], aMove[i][1], aMove[i][2], aMove[i][3]);
    ui::ResizeBy(hDlg, 40, 30);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(ui::Text(ui::ChildRect(ahWnd[i])), expected[i]) << "control " << i;
}

TEST(StretchDlg, OnlyThePartOfAChangeAboveTheDesignedMinimumCounts)
{
    StretchDialog dlg(IDD_STRETCH_MIN);
    HWND hDlg = dlg.m_hWnd, hItem = GetDlgItem(hDlg, IDC_ITEM);
    // Nothing lies below the item, so the minimum is the dialog's window width as designed
    // less the item's width, with 2 to spare.
    int m = Width(hDlg) - Width(hItem) + 2;
    ASSERT_GT(ui::ClientWidth(hDlg), m + 10);
    const struct { int cx, shift; } steps[] = {
        { m + 10, m + 10 - ui::ClientWidth(hDlg) }, { m - 20, -10 }, { m - 40, 0 }, { m + 10, 10 } };
    for (auto& step : steps) {
        int nBefore = Width(hItem);
        ui::ResizeBy(hDlg, step.cx - ui::ClientWidth(hDlg), 0);
        ASSERT_EQ(ui::ClientWidth(hDlg), step.cx);
        EXPECT_EQ(Width(hItem), nBefore + step.shift) << "to width " << step.cx;
    }
}

// A missing item leaves the object unbound with a report; it binds later without one, and a
// copy stretches the same item.
TEST(StretchDlg, AMissingItemLeavesTheObjectUnboundWithAReport)
{
    ui::Dialog dlg(IDD_STRETCH);
    HWND hItem = GetDlgItem(dlg.m_hWnd, IDC_ITEM);
    int nItem = Width(hItem), cx = ui::ClientWidth(dlg.m_hWnd);
    CStretchDlg stretch, copy;
    harness::MsgBoxCatcher catcher;
    catcher.Answer(IDIGNORE);
    EXPECT_EQ(stretch.Init(dlg.m_hWnd, 4711), 1);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_NE(catcher.Last().text.find("stretch.cpp"), std::string::npos);
    stretch.StretchItem(900, 900);
    EXPECT_EQ(Width(hItem), nItem);
    EXPECT_EQ(stretch.Init(dlg.m_hWnd, IDC_ITEM), 1);
    copy = stretch;
    copy.StretchItem(cx + 25, 300);
    EXPECT_EQ(Width(hItem), nItem + 25);
    EXPECT_EQ(catcher.Count(), 1u);
}
