// CStretchDlg in real resizable dialogs; expected positions come from the windows' own
// rectangles, since frame sizes differ between systems.
#include "ui_common.h"
#include <gtest/gtest.h>

namespace {

// A resizable dialog that stretches one item as its own code would.
class StretchDialog : public CDialog
{
public:
    explicit StretchDialog(UINT nID) { Create(nID, NULL); }
    ~StretchDialog() override { DestroyWindow(); }
    CStretchDlg m_stretch;

protected:
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

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

// Sets the dialog's client width, height unchanged.
void SetClientWidth(HWND hDlg, int cx)
{
    ui::ResizeBy(hDlg, cx - ui::ClientSize(hDlg).cx, 0);
    ASSERT_EQ(ui::ClientSize(hDlg).cx, cx);
}

}  // namespace

TEST(StretchDlg, GrowingMovesControlsBelowAndRightAndStretchesTheItem)
{
    StretchDialog dlg(IDD_STRETCH);
    HWND hDlg = dlg.m_hWnd;
    // A grandchild inside a container below the item moves with its container only.
    HWND hBox = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 100, 200, 60, 30, hDlg, NULL, NULL, NULL);
    HWND hInner = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 5, 6, 10, 10, hBox, NULL, NULL, NULL);
    RECT item = ui::ChildRect(GetDlgItem(hDlg, IDC_ITEM)), right = ui::ChildRect(GetDlgItem(hDlg, IDC_RIGHT)),
         below = ui::ChildRect(GetDlgItem(hDlg, IDC_BELOW)), corner = ui::ChildRect(GetDlgItem(hDlg, IDC_CORNER)),
         left = ui::ChildRect(GetDlgItem(hDlg, IDC_LEFT_BELOW)), box = ui::ChildRect(hBox),
         inner = ui::ChildRect(hInner);

    ui::ResizeBy(hDlg, 40, 30);
    RECT item2 = ui::ChildRect(GetDlgItem(hDlg, IDC_ITEM));
    EXPECT_EQ(item2.left, item.left);
    EXPECT_EQ(item2.top, item.top);
    EXPECT_EQ(Width(item2), Width(item) + 40);
    EXPECT_EQ(Height(item2), Height(item) + 30);
    RECT r = ui::ChildRect(GetDlgItem(hDlg, IDC_RIGHT));
    EXPECT_EQ(r.left, right.left + 40);
    EXPECT_EQ(r.top, right.top);
    r = ui::ChildRect(GetDlgItem(hDlg, IDC_BELOW));
    EXPECT_EQ(r.left, below.left);
    EXPECT_EQ(r.top, below.top + 30);
    r = ui::ChildRect(GetDlgItem(hDlg, IDC_CORNER));
    EXPECT_EQ(r.left, corner.left + 40);
    EXPECT_EQ(r.top, corner.top + 30);
    EXPECT_EQ(Width(r), Width(corner));
    r = ui::ChildRect(GetDlgItem(hDlg, IDC_LEFT_BELOW));
    EXPECT_EQ(r.left, left.left);
    EXPECT_EQ(r.top, left.top);
    r = ui::ChildRect(hBox);
    EXPECT_EQ(r.top, box.top + 30);
    EXPECT_EQ(r.left, box.left);
    r = ui::ChildRect(hInner);
    EXPECT_EQ(r.left, inner.left);
    EXPECT_EQ(r.top, inner.top);
}

TEST(StretchDlg, OnlyThePartOfAChangeAboveTheDesignedMinimumCounts)
{
    StretchDialog dlg(IDD_STRETCH_MIN);
    HWND hDlg = dlg.m_hWnd, hItem = GetDlgItem(hDlg, IDC_ITEM);
    // Nothing lies below the item, so the minimum is the dialog's window width as designed
    // less the item's width, with 2 to spare.
    int m = Width(ui::WindowRect(hDlg)) - Width(ui::WindowRect(hItem)) + 2;
    ASSERT_GT(ui::ClientSize(hDlg).cx, m + 10);

    int nItem = Width(ui::WindowRect(hItem));
    int nRight = ui::ChildRect(GetDlgItem(hDlg, IDC_RIGHT)).left;
    int cx = ui::ClientSize(hDlg).cx;
    SetClientWidth(hDlg, m + 10);
    int nShift = (m + 10) - cx;
    EXPECT_EQ(Width(ui::WindowRect(hItem)), nItem + nShift);
    EXPECT_EQ(ui::ChildRect(GetDlgItem(hDlg, IDC_RIGHT)).left, nRight + nShift);
    struct { int cx, shift; } steps[] = { { m - 20, -10 }, { m - 40, 0 }, { m + 10, 10 } };
    for (auto& step : steps) {
        int nBefore = Width(ui::WindowRect(hItem));
        SetClientWidth(hDlg, step.cx);
        EXPECT_EQ(Width(ui::WindowRect(hItem)), nBefore + step.shift) << "to width " << step.cx;
    }
}

TEST(StretchDlg, AMissingItemLeavesTheObjectUnboundWithAReport)
{
    ui::Dialog dlg(IDD_STRETCH);
    HWND hItem = GetDlgItem(dlg.m_hWnd, IDC_ITEM);
    RECT item = ui::ChildRect(hItem);
    CStretchDlg stretch;
    {
        harness::MsgBoxCatcher catcher;
        catcher.Answer(IDIGNORE);
        EXPECT_EQ(stretch.Init(dlg.m_hWnd, 4711), 1);
        ASSERT_EQ(catcher.Count(), 1u);
        EXPECT_NE(catcher.Last().text.find("stretch.cpp"), std::string::npos);
    }
    stretch.StretchItem(900, 900);
    EXPECT_EQ(Width(ui::ChildRect(hItem)), Width(item));
    // Still unbound, so it binds now without a report; a copy stretches the same item.
    harness::MsgBoxCatcher catcher;
    EXPECT_EQ(stretch.Init(dlg.m_hWnd, IDC_ITEM), 1);
    CStretchDlg copy;
    copy = stretch;
    SIZE size = ui::ClientSize(dlg.m_hWnd);
    copy.StretchItem(size.cx + 25, size.cy);
    EXPECT_EQ(Width(ui::ChildRect(hItem)), Width(item) + 25);
    EXPECT_EQ(catcher.Count(), 0u);
}
