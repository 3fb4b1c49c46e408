// The size grip that the library's resizable dialogs draw in their bottom-right corner. Library-
// internal.
#pragma once

#include "../bexdefs.h"

// Where the grip lies, in client coordinates.
inline CRect SizeGripRect(CWnd* pWnd)
{
    CRect rect;
    pWnd->GetClientRect(&rect);
    rect.left = rect.right - ::GetSystemMetrics(SM_CXVSCROLL);
    rect.top = rect.bottom - ::GetSystemMetrics(SM_CYHSCROLL);
    return rect;
}

// Draws the grip, unless the window is maximised (there is nothing to drag then); returns
// where it lies.
inline CRect DrawSizeGrip(CWnd* pWnd, CDC* pDC)
{
    CRect rect = SizeGripRect(pWnd);
    if (!pWnd->IsZoomed())
        pDC->DrawFrameControl(&rect, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    return rect;
}

// The default hit test's nHit, made a drag of the bottom-right corner over the grip.
inline UINT SizeGripHitTest(CWnd* pWnd, CPoint ptScreen, UINT nHit)
{
    if (nHit != HTCLIENT)
        return nHit;
    CRect rect = SizeGripRect(pWnd);
    pWnd->ClientToScreen(&rect);
    return rect.PtInRect(ptScreen) ? HTBOTTOMRIGHT : nHit;
}
