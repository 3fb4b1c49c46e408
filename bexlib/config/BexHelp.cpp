// The suite help file.
#include "BexHelp.h"
#include "Registry.h"

BOOL BEXAPI ShowBexHelp(const char* lpszKeyword)
{
    char szAppsDir[MAX_PATH];
    // Without an applications directory the bare name is left to the help viewer's own search.
    CString strHelpFile = CString(GetBexAppsDir(szAppsDir)) + "Wex.hlp";
    return WinHelpA(NULL, strHelpFile, HELP_KEY, (ULONG_PTR)lpszKeyword);
}
