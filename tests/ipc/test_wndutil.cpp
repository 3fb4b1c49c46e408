// The window utilities, on real windows of this thread.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

namespace {

int s_nPaints;

LRESULT CALLBACK CountingWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT)
        ++s_nPaints;
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

void RegisterTestClass(const char* pszClass, WNDPROC pfn = DefWindowProcA)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = pfn;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = pszClass;
    RegisterClassA(&wc);
}

HWND Create(const char* pszClass, HWND hWndParent, int x, int y, int cx, int cy, DWORD dwExStyle = 0)
{
    DWORD dwStyle = WS_VISIBLE | (hWndParent ? WS_CHILD : WS_POPUP);
    return CreateWindowExA(dwExStyle, pszClass, "", dwStyle, x, y, cx, cy, hWndParent, NULL, GetModuleHandleA(NULL), NULL);
}

}  // namespace

TEST(IsWindowOfClass, ComparesTheFirst19CharactersOfTheClassWithoutCase)
{
    RegisterTestClass("BexShortClass");
    RegisterTestClass("BexAVeryLongClassName");   // 21 characters
    HWND hShort = Create("BexShortClass", NULL, 0, 0, 10, 10);
    HWND hLong = Create("BexAVeryLongClassName", NULL, 0, 0, 10, 10);
    EXPECT_TRUE(IsWindowOfClass(hShort, "bexshortCLASS"));
    EXPECT_FALSE(IsWindowOfClass(hShort, "BexShort"));
    EXPECT_FALSE(IsWindowOfClass(hLong, "BexAVeryLongClassName"));
    EXPECT_TRUE(IsWindowOfClass(hLong, "BexAVeryLongClassNa"));
    EXPECT_FALSE(IsWindowOfClass(hShort, NULL));
    DestroyWindow(hShort);
    DestroyWindow(hLong);
    EXPECT_FALSE(IsWindowOfClass(hShort, "BexShortClass"));
}

TEST(ChildWindows, AreDestroyedOrUpdatedByClassAtEveryDepth)
{
    RegisterTestClass("BexPainted", CountingWndProc);
    HWND hParent = Create("STATIC", NULL, 0, 0, 300, 200);
    HWND hButton = Create("BUTTON", hParent, 0, 0, 50, 20);
    HWND hPanel = Create("STATIC", hParent, 60, 0, 200, 150);
    HWND hNestedButton = Create("BUTTON", hPanel, 0, 0, 50, 20);
    HWND hPainted = Create("BexPainted", hPanel, 0, 30, 50, 20);

    // UpdateWindow paints at once what is invalid, of the named class only.
    harness::PumpFor(100);
    s_nPaints = 0;
    InvalidateRect(hPainted, NULL, TRUE);
    InvalidateRect(hButton, NULL, TRUE);
    EXPECT_TRUE(UpdateChildWindows(hParent, "bexpainted"));
    EXPECT_EQ(s_nPaints, 1);
    EXPECT_FALSE(GetUpdateRect(hPainted, NULL, FALSE));
    EXPECT_TRUE(GetUpdateRect(hButton, NULL, FALSE));

    EXPECT_TRUE(DestroyWindowsOfClass(hParent, "Button"));
    EXPECT_FALSE(IsWindow(hButton));
    EXPECT_FALSE(IsWindow(hNestedButton));
    EXPECT_TRUE(IsWindow(hPanel));
    EXPECT_TRUE(IsWindow(hPainted));
    DestroyWindowsOfClass(hParent, NULL);
    EXPECT_FALSE(IsWindow(hPanel));
    EXPECT_FALSE(IsWindow(hPainted));
    EXPECT_TRUE(IsWindow(hParent));
    DestroyWindow(hParent);
}

TEST(GetWindowGrandParent, ClimbsToTheTopLevelWindow)
{
    HWND hTop = Create("STATIC", NULL, 0, 0, 100, 100);
    HWND hChild = Create("STATIC", hTop, 0, 0, 50, 50);
    HWND hGrandChild = Create("STATIC", hChild, 0, 0, 20, 20);
    EXPECT_EQ(GetWindowGrandParent(hGrandChild), hTop);
    EXPECT_EQ(GetWindowGrandParent(hTop), hTop);
    DestroyWindow(hTop);
}

TEST(IsClassNameStackAtPt, FindsAWindowOfTheClassBelowOthersAtThePoint)
{
    RegisterTestClass("BexStackBelow");
    RegisterTestClass("BexStackAbove");
    HWND hBelow = Create("BexStackBelow", NULL, 300, 300, 200, 200);
    HWND hAbove = Create("BexStackAbove", NULL, 350, 350, 200, 200, WS_EX_TOPMOST);
    harness::PumpFor(100);
    POINT ptBoth = { 400, 400 };
    POINT ptAboveOnly = { 520, 520 };
    EXPECT_EQ(IsClassNameStackAtPt(ptBoth, "BexStackAbove"), hAbove);
    EXPECT_EQ(IsClassNameStackAtPt(ptBoth, "BexStackBelow"), hBelow);
    // The window must contain the point, not merely lie below it in z-order.
    EXPECT_EQ(IsClassNameStackAtPt(ptAboveOnly, "BexStackBelow"), nullptr);
    EXPECT_EQ(IsClassNameStackAtPt(ptBoth, "BexNoSuchClass"), nullptr);
    DestroyWindow(hAbove);
    DestroyWindow(hBelow);
}

TEST(CenterWnd, CentresOverTheReferenceAndKeepsToTheScreen)
{
    int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    HWND hRef = Create("STATIC", NULL, 100, 100, 401, 301);
    HWND hWnd = Create("STATIC", NULL, 0, 0, 101, 51);
    RECT rc;
    ASSERT_TRUE(CenterWnd(hWnd, hRef));
    GetWindowRect(hWnd, &rc);
    EXPECT_EQ(rc.left, (100 + 501) / 2 - 101 / 2);
    EXPECT_EQ(rc.top, (100 + 401) / 2 - 51 / 2);
    EXPECT_EQ(rc.right - rc.left, 101);

    // Near the screen's far corner the window is pushed back onto the screen.
    SetWindowPos(hRef, NULL, cxScreen - 50, cyScreen - 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterWnd(hWnd, hRef);
    GetWindowRect(hWnd, &rc);
    EXPECT_EQ(rc.left, cxScreen - 101);
    EXPECT_EQ(rc.top, cyScreen - 51);

    // Wider than the screen: a negative centre becomes 0 and is not clamped again...
    HWND hWide = Create("STATIC", NULL, 0, 0, cxScreen + 200, 50);
    SetWindowPos(hRef, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterWnd(hWide, hRef);
    GetWindowRect(hWide, &rc);
    EXPECT_EQ(rc.left, 0);
    // ...while a centre that is not negative is moved left of the screen's edge.
    SetWindowPos(hRef, NULL, cxScreen - 50, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterWnd(hWide, hRef);
    GetWindowRect(hWide, &rc);
    EXPECT_EQ(rc.left, -200);

    // A reference that is no window moves nothing.
    DestroyWindow(hRef);
    EXPECT_FALSE(CenterWnd(hWnd, hRef));
    DestroyWindow(hWide);
    DestroyWindow(hWnd);
}

TEST(IsTopMost, ReadsTheExtendedStyle)
{
    HWND hTop = Create("STATIC", NULL, 0, 0, 10, 10, WS_EX_TOPMOST);
    HWND hPlain = Create("STATIC", NULL, 0, 0, 10, 10);
    EXPECT_EQ(IsTopMost(hTop), 1);
    EXPECT_EQ(IsTopMost(hPlain), 0);
    DestroyWindow(hTop);
    DestroyWindow(hPlain);
}
