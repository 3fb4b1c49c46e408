// The suite registry profile: settings of every tool of the suite under
//   (hive)\Software\KELM-Ostrand\Tur\(release)\(section), value (entry),
// the release being the "ProductVersion" text of this library's own version resource, so that a
// new release of the library starts a branch of its own. The hive is HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE. Numbers are REG_DWORD, texts REG_SZ; readers fall back to the caller's
// default, writers return 0 on failure, and neither shows registry errors to the user.
#pragma once

#include "../bexdefs.h"

// The branch below "Software", without a trailing backslash, e.g. KELM-Ostrand\Tur\1.4.
BEX_API CString BEXAPI GetBexBaseRegistryKey();

BEXFN unsigned int BEXAPI GetBexProfileInt(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, int nDefault);
BEX_API CString BEXAPI GetBexProfileString(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, const char* lpszDefault);
// A NULL lpszEntry deletes the section instead.
BEXFN BOOL BEXAPI SetBexProfileInt(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, unsigned int nValue);
// A NULL lpszEntry deletes the section instead; lpszValue must not be NULL.
BEXFN BOOL BEXAPI SetBexProfileString(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, const char* lpszValue);
