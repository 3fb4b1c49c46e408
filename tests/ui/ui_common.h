// Shared tools of the dialog and control helper tests.
#pragma once

#include "harness.h"
#include "BexLib32.h"
#include "test_ui_res.h"
#include <string>

namespace ui {

// An application object whose profile is a registry key of its own, removed before and after.
struct UiApp : CWinApp {
    UiApp() : CWinApp("Ui App") { Clean(); SetRegistryKey("KELM-Ostrand UiTest"); }
    ~UiApp() override { Clean(); }
    static void Clean() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KELM-Ostrand UiTest"); }
};

// A control's window rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND hChild)
{
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(NULL, GetParent(hChild), (POINT*)&rc, 2);
    return rc;
}

inline RECT WindowRect(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    return rc;
}

inline SIZE ClientSize(HWND hWnd)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    return SIZE{ rc.right, rc.bottom };
}

// Grows or shrinks a window by (dx, dy) pixels, corner fixed, and lets it settle.
inline void ResizeBy(HWND hWnd, int dx, int dy)
{
    RECT rc = WindowRect(hWnd);
    SetWindowPos(hWnd, NULL, 0, 0, rc.right - rc.left + dx, rc.bottom - rc.top + dy, SWP_NOMOVE | SWP_NOZORDER);
    harness::PumpFor(30);
}

// A modeless dialog of this program's templates, destroyed with the object.
class Dialog : public CDialog
{
public:
    explicit Dialog(UINT nID) { Create(nID, NULL); }
    ~Dialog() override
    {
        if (m_hWnd)
            DestroyWindow();
    }
};

}  // namespace ui
