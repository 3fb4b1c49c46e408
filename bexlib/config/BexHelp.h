// The suite help file "Wex.hlp" in the applications directory, opened at a keyword. The file
// lies outside the library: it is only handed to the system's help viewer.
#pragma once

#include "../bexdefs.h"

// The keywords of the library's own dialogs.
#define BEX_HELPKEY_BROWSEFOLDER  "Browse for Folder dialog box"
#define BEX_HELPKEY_VERSIONINFO   "Version Information dialog box"
#define BEX_HELPKEY_ABOUT         "About dialog box"

// WinHelpA with no owner window, HELP_KEY and the keyword. Callers go on as if help had been
// shown; the result is the help call's, for those that want it.
BEX_API BOOL BEXAPI ShowBexHelp(const char* lpszKeyword);
