// CHorzListBox on list boxes of a real dialog: the horizontal extent follows the widest item.
#include "ui_common.h"
#include <gtest/gtest.h>

namespace {

// The width of a text in the list box's font as a user sees it drawn, plus the item margin; with
// tab stops in dialog units, as the list box turns them into pixels for its tabbed drawing.
int Width(HWND hList, const char* psz, int nTabStops = 0, const int* pDialogUnits = NULL)
{
    HDC hDC = GetDC(hList);
    HGDIOBJ hOld = SelectObject(hDC, (HFONT)SendMessageA(hList, WM_GETFONT, 0, 0));
    SIZE size;
    GetTextExtentPoint32A(hDC, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    int anPixels[2] = {};
    for (int i = 0; i < nTabStops; ++i)
        anPixels[i] = (pDialogUnits[i] * ((size.cx / 26 + 1) / 2) + 2) / 4;
    GetTextExtentPoint32A(hDC, psz, lstrlenA(psz), &size);
    int cx = nTabStops ? LOWORD(GetTabbedTextExtentA(hDC, psz, lstrlenA(psz), nTabStops, anPixels)) : size.cx;
    SelectObject(hDC, hOld);
    ReleaseDC(hList, hDC);
    return 6 + cx;
}

}  // namespace

TEST(HorzListBox, ExtentFollowsTheWidestItemThroughChangesLocksAndTabStops)
{
    const char szShort[] = "ab", szLong[] = "a considerably longer line of list box text", szMiddle[] = "a middle-sized line";
    ui::Dialog dlg(IDD_CONTROLS);
    // Items present before subclassing are measured on the first change.
    SendDlgItemMessageA(dlg.m_hWnd, IDC_PLAIN, LB_ADDSTRING, 0, (LPARAM)szShort);
    CHorzListBox list;
    ASSERT_TRUE(list.SubclassDlgItem(IDC_PLAIN, &dlg));
    HWND hList = list.m_hWnd;
    EXPECT_EQ(list.AddString(szLong), 1);
    EXPECT_EQ(list.InsertString(0, szMiddle), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szLong));
    EXPECT_EQ(list.DeleteString(2), 2);   // the long one
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    EXPECT_EQ(list.DeleteString(5), LB_ERR);
    list.LockHExtentUpdate();
    list.AddString(szLong);
    list.UnlockHExtentUpdate();
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    list.UpdateHExtent();
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szLong));
    // Without UpdateHExtent after the lock, and after a reset, the extents no longer match the
    // items; the next change measures them all instead of reading past the recorded ones.
    list.LockHExtentUpdate();
    list.AddString("x");
    list.UnlockHExtentUpdate();
    EXPECT_EQ(list.DeleteString(2), 3);   // the long one
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    list.ResetContent();
    list.AddString(szShort);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szShort));

    // Tabbed items are measured at the tab stops with the tab stop style, set anew or not; without
    // the style the tab is a character.
    const char szTabbed[] = "M1.0\tBOOL\tmotor running";
    list.AddString(szTabbed);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szTabbed));
    CHorzListBox tabbed;
    ASSERT_TRUE(tabbed.SubclassDlgItem(IDC_TABBED, &dlg));
    tabbed.AddString(szTabbed);
    const int anStops[] = { 40, 90 };
    EXPECT_TRUE(tabbed.SetTabStops(2, (LPINT)anStops));
    EXPECT_EQ(tabbed.GetHorizontalExtent(), Width(tabbed.m_hWnd, szTabbed, 2, anStops));

    // Owner-drawn items without strings are caller data: read as a string they would fault.
    CHorzListBox owner;
    ASSERT_TRUE(owner.SubclassDlgItem(IDC_OWNERDRAW, &dlg));
    EXPECT_EQ(owner.AddString((LPCSTR)(ULONG_PTR)0x1234), 0);
    EXPECT_EQ(owner.InsertString(0, (LPCSTR)(ULONG_PTR)0x10), 0);
    owner.UpdateHExtent();
    EXPECT_EQ(owner.DeleteString(0), 1);
}
