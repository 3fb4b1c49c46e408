// CWnd: a C++ object attached to a window handle. (Grows with the window framework.)
#pragma once

#include "fxobject.h"
#include "fxstring.h"

class FX_API CWnd : public CObject
{
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() : m_hWnd(NULL) {}
    HWND m_hWnd;
};
