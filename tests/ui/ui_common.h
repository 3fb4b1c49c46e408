// Shared tools of the dialog and control helper tests.
#pragma once

#include "harness.h"
#include "BexLib32.h"
#include "test_ui_res.h"
#include <stdio.h>
#include <string>

namespace ui {

inline RECT WindowRect(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    return rc;
}

// A control's window rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND hChild)
{
    RECT rc = WindowRect(hChild);
    MapWindowPoints(NULL, GetParent(hChild), (POINT*)&rc, 2);
    return rc;
}

// A rectangle as "left,top,right,bottom", moved by (dx, dy) and grown by (dcx, dcy): compared as
// text, a failure shows all four numbers.
inline std::string Text(RECT rc, int dx = 0, int dy = 0, int dcx = 0, int dcy = 0)
{
    char sz[64];
    sprintf(sz, "%ld,%ld,%ld,%ld", rc.left + dx, rc.top + dy, rc.right + dx + dcx, rc.bottom + dy + dcy);
    return sz;
}

inline int ClientWidth(HWND hWnd)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    return rc.right;
}

// Grows or shrinks a window by (dx, dy) pixels, corner fixed, and lets it settle.
inline void ResizeBy(HWND hWnd, int dx, int dy)
{
    RECT rc = WindowRect(hWnd);
    SetWindowPos(hWnd, NULL, 0, 0, rc.right - rc.left + dx, rc.bottom - rc.top + dy, SWP_NOMOVE | SWP_NOZORDER);
    harness::PumpFor(30);
}

// A modeless dialog of this program's templates, destroyed with the object.
struct Dialog : CDialog {
    explicit Dialog(UINT nID) { Create(nID, NULL); }
    ~Dialog() override { DestroyWindow(); }
};

}  // namespace ui
