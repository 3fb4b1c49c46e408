// The recording stand-in for the archive libraries: what the wrapper tests read back from it.
#pragma once

#include <windows.h>

// One call as the stand-in saw it: the block's bytes and the texts its pointers led to.
struct STUBCALL {
    BYTE abBlock[256];
    DWORD dwCommand;
    char szZipFile[1024], szItems[1024], szFileSpec[64], szDestDir[1024];
    const void* pEntry;
    BOOL bEntryZeroed;      // the entry record held only zeros when the call came
};

// StubSetup(nResult, dwCount, nFailAt): what each call returns, the count an open reports, and
// the listing call (0-based) that fails, -1 for none; forgets the calls and names so far.
// StubAddName(pch, cb): the next name a listing call hands out, cb bytes as they are.
typedef void (__cdecl* STUBSETUPPROC)(int nResult, DWORD dwCount, int nFailAt);
typedef void (__cdecl* STUBADDNAMEPROC)(const char* pch, int cb);
typedef int (__cdecl* STUBCALLCOUNTPROC)();
typedef const STUBCALL* (__cdecl* STUBGETCALLPROC)(int nIndex);
