#include "fxwnd.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)
