// Common definitions of the framework DLL: the export macro and the Windows headers.
#pragma once

#include <windows.h>
#include <stddef.h>

#ifdef FX_BUILDING_FRAMEWORK
#define FX_API __declspec(dllexport)
#else
#define FX_API __declspec(dllimport)
#endif

#ifndef AFXAPI
#define AFXAPI __stdcall
#endif

// Precondition check of the framework itself: reports through the debugger channel and goes on,
// so that a caller's mistake never ends the process by surprise.
FX_API void AFXAPI AfxAssertFailed(LPCSTR lpszExpr, LPCSTR lpszFile, int nLine);
#define FX_ASSERT(expr) ((expr) ? (void)0 : AfxAssertFailed(#expr, __FILE__, __LINE__))
