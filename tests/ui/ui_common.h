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

// A rectangle as "left,top,right,bottom", moved by (dx, dy) and grown by (dcx, dcy): compared as
// text, a failure shows all four numbers.
inline std::string Text(RECT rc, int dx = 0, int dy = 0, int dcx = 0, int dcy = 0)
{
    char sz[64];
    sprintf(sz, "%ld,%ld,%ld,%ld", rc.left + dx, rc.top + dy, rc.right + dx + dcx, rc.bottom + dy + dcy);
    return sz;
}

// A modeless dialog of this program's templates, destroyed with the object.
struct Dialog : CDialog {
    explicit Dialog(UINT nID) { Create(nID, NULL); }
    ~Dialog() override { DestroyWindow(); }
};

}  // namespace ui
