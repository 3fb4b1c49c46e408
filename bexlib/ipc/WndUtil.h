// Window utilities shared by the suite's applications.
#pragma once

#include "../bexdefs.h"

// true when hWnd is a window whose class is lpszClass, compared without regard to case. Only the
// first 19 characters of the window's class take part, so a longer class never matches its
// full name.
BEXFN bool BEXAPI IsWindowOfClass(HWND hWnd, const char* lpszClass);
// Destroys every descendant of hWndParent of class lpszClass (as IsWindowOfClass compares it), or
// every descendant when lpszClass is NULL.
BEXFN BOOL BEXAPI DestroyWindowsOfClass(HWND hWndParent, const char* lpszClass);
// Updates (UpdateWindow) every descendant of hWndParent of class lpszClass.
BEXFN BOOL BEXAPI UpdateChildWindows(HWND hWndParent, const char* lpszClass);
// The last window of hWnd's GetParent chain: hWnd itself when it has no parent.
BEXFN HWND BEXAPI GetWindowGrandParent(HWND hWnd);
// The topmost window at pt, in z-order from WindowFromPoint down, of class lpszClass whose
// window rectangle contains pt; NULL when there is none.
BEXFN HWND BEXAPI IsClassNameStackAtPt(POINT pt, const char* lpszClass);
// Centres hWnd over hWndRef, kept on the primary screen where it fits (a window wider than the
// screen keeps whatever edge the centring gave it), without changing its size or z-order. FALSE
// when either window's rectangle cannot be read.
BEXFN BOOL BEXAPI CenterWnd(HWND hWnd, HWND hWndRef);
// 1 when hWnd is a topmost window, else 0.
BEXFN BOOL BEXAPI IsTopMost(HWND hWnd);
