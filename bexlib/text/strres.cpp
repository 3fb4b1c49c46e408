#include "strres.h"

#include <stdio.h>

// Two buffers so that a message and its caption can be loaded one after the other and used
// together; process-wide and unguarded, as callers use the texts at once.
static char s_szRing[2][255];
static unsigned s_nRing = 0;

LPSTR BEXAPI fSString(UINT nID, LPSTR lpszBuf, int nSize)
{
    if (LoadStringA(g_hBexLib, LOWORD(nID), lpszBuf, nSize) <= 0) {
        static char s_szFatal[64];
        _snprintf(s_szFatal, sizeof(s_szFatal) - 1, "Fatal error ID#%d", (int)nID);
        FatalAppExitA(0, s_szFatal);
        // FatalAppExit does not return on Windows; make sure of it everywhere.
        ExitProcess(1);
    }
    return lpszBuf;
}

LPCSTR BEXAPI _fString(UINT nID)
{
    LPSTR lpszBuf = s_szRing[s_nRing++ % 2];
    return fSString(nID, lpszBuf, sizeof(s_szRing[0]));
}
