// CHorzListBox on list boxes of a real dialog: the horizontal extent follows the widest item.
#include "ui_common.h"
#include <gtest/gtest.h>

namespace {

// The width of a text in the list box's font, as a user sees it drawn, plus the item margin.
int Width(HWND hList, const char* psz, int nTabStops = 0, int* pTabStops = NULL)
{
    HDC hDC = GetDC(hList);
    HGDIOBJ hOld = SelectObject(hDC, (HFONT)SendMessageA(hList, WM_GETFONT, 0, 0));
    int cx;
    if (nTabStops) {
        cx = LOWORD(GetTabbedTextExtentA(hDC, psz, lstrlenA(psz), nTabStops, pTabStops));
    } else {
        SIZE size;
        GetTextExtentPoint32A(hDC, psz, lstrlenA(psz), &size);
        cx = size.cx;
    }
    SelectObject(hDC, hOld);
    ReleaseDC(hList, hDC);
    return cx + 6;
}

// Tab stops in dialog units as the list box's own character width turns them into pixels.
int TabPixels(HWND hList, int nDialogUnits)
{
    HDC hDC = GetDC(hList);
    HGDIOBJ hOld = SelectObject(hDC, (HFONT)SendMessageA(hList, WM_GETFONT, 0, 0));
    SIZE size;
    GetTextExtentPoint32A(hDC, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    SelectObject(hDC, hOld);
    ReleaseDC(hList, hDC);
    return (nDialogUnits * ((size.cx / 26 + 1) / 2) + 2) / 4;
}

const char szShort[] = "ab";
const char szLong[] = "a considerably longer line of list box text";
const char szMiddle[] = "a middle-sized line";

struct HorzListBox : testing::Test {
    ui::Dialog dlg{ IDD_CONTROLS };
    CHorzListBox list;
    HWND hList = NULL;
    void Bind(int nID)
    {
        ASSERT_TRUE(list.SubclassDlgItem(nID, &dlg));
        hList = list.m_hWnd;
    }
};

}  // namespace

TEST_F(HorzListBox, ExtentFollowsTheWidestItemThroughAddsInsertsAndDeletes)
{
    Bind(IDC_PLAIN);
    EXPECT_EQ(list.AddString(szShort), 0);
    EXPECT_EQ(list.AddString(szLong), 1);
    EXPECT_EQ(list.InsertString(0, szMiddle), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szLong));
    EXPECT_EQ(list.DeleteString(2), 2);   // the long one
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    EXPECT_EQ(list.DeleteString(1), 1);   // the short one: the widest stays
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    EXPECT_EQ(list.DeleteString(5), LB_ERR);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    EXPECT_EQ(list.DeleteString(0), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), 0);
}

TEST_F(HorzListBox, LockedBulkChangesWaitForUpdateAndStaleExtentsAreNeverIndexedPast)
{
    Bind(IDC_PLAIN);
    list.AddString(szShort);
    list.LockHExtentUpdate();
    list.AddString(szLong);
    list.AddString(szMiddle);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szShort));
    list.UnlockHExtentUpdate();
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szShort));
    list.UpdateHExtent();
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szLong));

    // Without UpdateHExtent after the lock, and after a reset, the extents no longer match the
    // items; the next change measures them all instead of reading past the recorded ones.
    list.LockHExtentUpdate();
    list.AddString("x");
    list.UnlockHExtentUpdate();
    EXPECT_EQ(list.DeleteString(1), 3);   // the long one
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
    list.ResetContent();
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));   // not watched
    list.AddString(szShort);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szShort));
}

TEST_F(HorzListBox, ItemsPresentBeforeSubclassingAreMeasuredOnTheFirstChange)
{
    HWND hRaw = GetDlgItem(dlg.m_hWnd, IDC_PLAIN);
    for (const char* psz : { szShort, szLong, szMiddle, szShort })
        SendMessageA(hRaw, LB_ADDSTRING, 0, (LPARAM)psz);
    Bind(IDC_PLAIN);
    EXPECT_EQ(list.DeleteString(3), 3);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szLong));
    EXPECT_EQ(list.DeleteString(1), 2);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szMiddle));
}

TEST_F(HorzListBox, TabbedItemsAreMeasuredAtTheTabStopsOnlyWithTheTabStopStyle)
{
    const char szTabbed[] = "M1.0\tBOOL\tmotor running";
    Bind(IDC_TABBED);
    // With no tab stops of its own the list box gets one every 2 dialog units, and each item
    // keeps exactly one extent.
    list.AddString(szTabbed);
    list.AddString(szShort);
    int nDefault = TabPixels(hList, 2);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szTabbed, 1, &nDefault));
    list.DeleteString(0);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(hList, szShort));

    // New tab stops re-measure every item, unless locked.
    list.AddString(szTabbed);
    int anStops[] = { 40, 90 };
    EXPECT_TRUE(list.SetTabStops(2, anStops));
    int anPixels[] = { TabPixels(hList, 40), TabPixels(hList, 90) };
    int nTabbed = Width(hList, szTabbed, 2, anPixels);
    EXPECT_EQ(list.GetHorizontalExtent(), nTabbed);
    EXPECT_GT(nTabbed, Width(hList, szTabbed, 1, &nDefault));
    list.LockHExtentUpdate();
    EXPECT_TRUE(list.SetTabStops(1, anStops));
    EXPECT_EQ(list.GetHorizontalExtent(), nTabbed);
    list.UnlockHExtentUpdate();

    // A list box without the style shows the tab as a character, and is measured so.
    CHorzListBox plain;
    ASSERT_TRUE(plain.SubclassDlgItem(IDC_PLAIN, &dlg));
    plain.AddString(szTabbed);
    EXPECT_EQ(plain.GetHorizontalExtent(), Width(plain.m_hWnd, szTabbed));
}

TEST_F(HorzListBox, OwnerDrawnItemsWithoutStringsAreNotReadAsText)
{
    Bind(IDC_OWNERDRAW);
    // The item is caller data: read as a string it would fault.
    EXPECT_EQ(list.AddString((LPCSTR)(ULONG_PTR)0x1234), 0);
    EXPECT_EQ(list.InsertString(0, (LPCSTR)(ULONG_PTR)0x10), 0);
    list.UpdateHExtent();
    EXPECT_EQ(list.DeleteString(0), 1);
    EXPECT_EQ(list.GetCount(), 1);
}
