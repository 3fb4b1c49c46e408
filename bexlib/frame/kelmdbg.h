// Diagnostics: message boxes, assertion and verification reports, verbose lines and hex dumps,
// delivered as WM_COPYDATA lines to the trace viewer ("MfxTraceWindow", tag "twin") or to the
// project manager ("WexWClass", tag "kelm").
#pragma once

#include "../bexdefs.h"

// Verbose flags: bits 28-31 the kind, bits 24-27 the target, bits 0-23 the caller's own.
#define KELM_VERBOSE_ERROR      0x10000000
#define KELM_VERBOSE_WARNING    0x20000000
#define KELM_VERBOSE_KIND       0xF0000000
#define KELM_VERBOSE_MANAGER    0x01000000
#define KELM_VERBOSE_TARGET     0x0F000000

// A formatted message box (at most 1024 characters) captioned with the application's title.
BEX_API void KelmMessageBox(LPCSTR lpszFormat, ...);
BEX_API void KelmMessageBox(UINT nID, ...);

// The assertion report: traced, and for kinds beginning with "KELM" shown with Abort, Retry and
// Ignore. True when the trace viewer took the report.
BEX_API bool BEXAPI KelmDebug(char* lpszKind, char* lpszExpr, char* lpszFile, int nLine);
// The verification report, with the system's text for dwError.
BEX_API bool BEXAPI KelmDebug(char* lpszKind, char* lpszExpr, char* lpszFile, int nLine, DWORD dwError);

// A verbose line to the target the flags name. True when the target window was found.
BEX_API bool KelmVerbose(int nFlags, LPCSTR lpszFormat, ...);
BEX_API bool KelmVerbose(int nFlags, UINT nID, ...);

// A hex dump to the trace viewer, 16 bytes a line. True when every line was taken.
BEXFN bool BEXAPI KelmHexDump(const char* pData, int nLength);

// Active in every build; both report and let execution go on.
#define KELM_ASSERT(expr) \
    do { if (!(expr)) KelmDebug((char*)"KELM_ASSERT", (char*)#expr, (char*)__FILE__, __LINE__); } while (0)
#define KELM_VERIFY(expr) \
    do { if (!(expr)) KelmDebug((char*)"KELM_VERIFY", (char*)#expr, (char*)__FILE__, __LINE__, GetLastError()); } while (0)
