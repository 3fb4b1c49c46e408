// The answering stand-in for the archive libraries, set up by the wrapper tests.
#pragma once

#include <windows.h>

// StubSetup(nResult, dwCount, nFailAt): what each call returns, the count an open reports, and
// the listing call (0-based) that fails, -1 for none; forgets the calls and names so far.
// StubAddName(pch, cb): the next name a listing call hands out, cb bytes as they are.
typedef void (__cdecl* STUBSETUPPROC)(int nResult, DWORD dwCount, int nFailAt);
typedef void (__cdecl* STUBADDNAMEPROC)(const char* pch, int cb);
typedef int (__cdecl* STUBCALLCOUNTPROC)();
