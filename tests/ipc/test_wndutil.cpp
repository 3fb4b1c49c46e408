// The window utilities, on real windows of this thread.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

namespace {

int s_nPaints;
LRESULT CALLBACK CountPaints(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    s_nPaints += uMsg == WM_PAINT;
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HWND Create(const char* pszClass, HWND hWndParent, int x, int y, int cx, int cy, DWORD dwExStyle = 0)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountPaints;
    wc.lpszClassName = pszClass;
    RegisterClassA(&wc);   // fails harmlessly for the system's classes and the second time
    DWORD dwStyle = WS_VISIBLE | (hWndParent ? WS_CHILD : WS_POPUP);
    return CreateWindowExA(dwExStyle, pszClass, "", dwStyle, x, y, cx, cy, hWndParent, NULL, NULL, NULL);
}

}  // namespace

TEST(WindowUtilities, ClassTestsAndAncestors)
{
    HWND hLong = Create("BexAVeryLongClassName", NULL, 0, 0, 10, 10);   // 21 characters
    HWND hGrandChild = Create("STATIC", Create("STATIC", hLong, 0, 0, 5, 5), 0, 0, 2, 2);
    // Without regard to case, and only the first 19 characters of the class take part.
    EXPECT_TRUE(IsWindowOfClass(hLong, "bexAVeryLongClassNA"));
    EXPECT_FALSE(IsWindowOfClass(hLong, "BexAVeryLongClassName"));
    EXPECT_FALSE(IsWindowOfClass(hLong, "BexAVeryLong"));
    EXPECT_EQ(GetWindowGrandParent(hGrandChild), hLong);
    EXPECT_EQ(GetWindowGrandParent(hLong), hLong);
    DestroyWindow(hLong);
    EXPECT_FALSE(IsWindowOfClass(hLong, "BexAVeryLongClassNa"));
}

TEST(WindowUtilities, ChildWindowsAreDestroyedOrUpdatedByClassAtEveryDepth)
{
    HWND hParent = Create("STATIC", NULL, 0, 0, 300, 200);
    HWND hButton = Create("BUTTON", hParent, 0, 0, 50, 20);
    HWND hPanel = Create("STATIC", hParent, 60, 0, 200, 150);
    HWND hNestedButton = Create("BUTTON", hPanel, 0, 0, 50, 20);
    HWND hPainted = Create("BexPainted", hPanel, 0, 30, 50, 20);
    harness::PumpFor(100);
    s_nPaints = 0;
    InvalidateRect(hPainted, NULL, TRUE);
    InvalidateRect(hButton, NULL, TRUE);
    EXPECT_TRUE(UpdateChildWindows(hParent, "bexpainted"));
    EXPECT_EQ(s_nPaints, 1);
    EXPECT_TRUE(GetUpdateRect(hButton, NULL, FALSE));   // not of the class: still waiting

    EXPECT_TRUE(DestroyWindowsOfClass(hParent, "Button"));
    EXPECT_FALSE(IsWindow(hButton) || IsWindow(hNestedButton));
    EXPECT_TRUE(IsWindow(hPainted));
    DestroyWindowsOfClass(hParent, NULL);
    EXPECT_FALSE(IsWindow(hPanel) || IsWindow(hPainted));
    EXPECT_TRUE(IsWindow(hParent));
    DestroyWindow(hParent);
}

TEST(WindowUtilities, StackAtPointAndTopmost)
{
    HWND hBelow = Create("BexStackBelow", NULL, 300, 300, 200, 200);
    HWND hAbove = Create("BexStackAbove", NULL, 350, 350, 200, 200, WS_EX_TOPMOST);
    harness::PumpFor(100);
    EXPECT_EQ(IsTopMost(hAbove) * 10 + IsTopMost(hBelow), 10);
    // Below other windows at the point too, but not where the window is not.
    POINT ptBoth = { 400, 400 }, ptAboveOnly = { 520, 520 };
    EXPECT_EQ(IsClassNameStackAtPt(ptBoth, "BexStackBelow"), hBelow);
    EXPECT_EQ(IsClassNameStackAtPt(ptAboveOnly, "BexStackBelow"), nullptr);
    DestroyWindow(hAbove);
    DestroyWindow(hBelow);
}

TEST(WindowUtilities, CenterWndCentresOverTheReferenceAndKeepsToTheScreen)
{
    int cxScreen = GetSystemMetrics(SM_CXSCREEN), cyScreen = GetSystemMetrics(SM_CYSCREEN);
    HWND hRef = Create("STATIC", NULL, 100, 100, 401, 301), hWnd = Create("STATIC", NULL, 0, 0, 101, 51);
    RECT rc;
    EXPECT_TRUE(CenterWnd(hWnd, hRef) && GetWindowRect(hWnd, &rc));
    EXPECT_EQ(std::make_pair(rc.left, rc.top), std::make_pair(LONG((100 + 501) / 2 - 50), LONG((100 + 401) / 2 - 25)));
    // Pushed back onto the screen at the far corner.
    SetWindowPos(hRef, NULL, cxScreen - 50, cyScreen - 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(CenterWnd(hWnd, hRef) && GetWindowRect(hWnd, &rc));
    EXPECT_EQ(std::make_pair(rc.left, rc.top), std::make_pair(LONG(cxScreen - 101), LONG(cyScreen - 51)));
    DestroyWindow(hRef);
    EXPECT_FALSE(CenterWnd(hWnd, hRef));
    DestroyWindow(hWnd);
}
