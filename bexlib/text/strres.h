// The library's own string resources. A missing one is a broken installation: the process ends
// with "Fatal error ID#<id>".
#pragma once

#include "../bexdefs.h"

// String nID of the library into the next of two 255-byte buffers; valid until two more calls.
BEXFN LPCSTR BEXAPI _fString(UINT nID);
// String nID of the library into the caller's buffer (LoadString semantics).
BEXFN LPSTR BEXAPI fSString(UINT nID, LPSTR lpszBuf, int nSize);
