// CStretchDlg in a real resizable dialog; expected positions come from the windows' own
// rectangles, since frame sizes differ between systems.
#include "ui_common.h"
#include <gtest/gtest.h>

namespace {

// A resizable dialog that stretches one item as its own code would.
struct StretchDialog : CDialog {
    StretchDialog() { Create(IDD_STRETCH, NULL); }
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

// A control's rectangle in its dialog, moved by (dx, dy) and grown by (dcx, dcy), as text.
std::string Child(HWND hChild, int dx = 0, int dy = 0, int dcx = 0, int dcy = 0)
{
    RECT rc = ui::WindowRect(hChild);
    MapWindowPoints(NULL, GetParent(hChild), (POINT*)&rc, 2);
    return ui::Text(rc, dx, dy, dcx, dcy);
}

}  // namespace

TEST(StretchDlg, GrowingMovesControlsBelowAndRightAndStretchesTheItem)
{
    StretchDialog dlg;
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
        expected[i] = Child(ahWnd[i], aMove[i][0], aMove[i][1], aMove[i][2], aMove[i][3]);
    RECT rc = ui::WindowRect(hDlg);
    SetWindowPos(hDlg, NULL, 0, 0, rc.right - rc.left + 40, rc.bottom - rc.top + 30, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Child(ahWnd[i]), expected[i]) << "control " << i;
}

// Below the minimum size nothing moves any more, so that after growing, shrinking far below it
// and growing again the layout is the one the dialog had at that size before: nothing is lost
// or gained on the way down.
TEST(StretchDlg, BelowTheMinimumNothingMovesAndGrowingAgainRestoresTheLayout)
{
    StretchDialog dlg;
    HWND hItem = GetDlgItem(dlg.m_hWnd, IDC_ITEM), hCorner = GetDlgItem(dlg.m_hWnd, IDC_CORNER);
    RECT rc = ui::WindowRect(dlg.m_hWnd);
    auto resize = [&](int dcx, int dcy) {
        SetWindowPos(dlg.m_hWnd, NULL, 0, 0, rc.right - rc.left + dcx, rc.bottom - rc.top + dcy, SWP_NOMOVE | SWP_NOZORDER);
        return Child(hItem) + " " + Child(hCorner);
    };
    const std::string designed = Child(hItem) + " " + Child(hCorner), larger = Child(hItem, 0, 0, 20, 10) + " " + Child(hCorner, 20, 10);
    resize(40, 30);
    std::string low = resize(-40, -40);
    EXPECT_EQ(resize(-70, -70), low);
    EXPECT_EQ(resize(0, 0), designed);
    resize(-70, -70);
    EXPECT_EQ(resize(20, 10), larger);
}

// A missing item leaves the object unbound with a report; it binds later without one, and a
// copy stretches the same item.
TEST(StretchDlg, AMissingItemLeavesTheObjectUnboundWithAReport)
{
    ui::Dialog dlg(IDD_STRETCH);
    HWND hItem = GetDlgItem(dlg.m_hWnd, IDC_ITEM);
    std::string item = Child(hItem), grown = Child(hItem, 0, 0, 25, 0);
    RECT client;
    GetClientRect(dlg.m_hWnd, &client);
    CStretchDlg stretch, copy;
    harness::MsgBoxCatcher catcher;
    catcher.Answer(IDIGNORE);
    EXPECT_EQ(stretch.Init(dlg.m_hWnd, 4711), 1);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_NE(catcher.Last().text.find("stretch.cpp"), std::string::npos);
    stretch.StretchItem(900, 900);
    EXPECT_EQ(Child(hItem), item);
    EXPECT_EQ(stretch.Init(dlg.m_hWnd, IDC_ITEM), 1);
    copy = stretch;
    copy.StretchItem(client.right + 25, client.bottom);
    EXPECT_EQ(Child(hItem), grown);
    EXPECT_EQ(catcher.Count(), 1u);
}
