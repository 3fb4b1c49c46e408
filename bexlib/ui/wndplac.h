// Window placement kept in the running application's own profile.
//
// CWindowPlacement keeps a main window's whole placement (show state and normal rectangle)
// under a section of the caller's choice: Restore after creating the window, Save before
// destroying it. A second running instance of the same suite application opens cascaded from
// the first and leaves the first one's stored placement alone.
//
// SaveWindowPos and RestoreWindowPos keep only the top-left corner of a dialog or tool window,
// in section "WindowPos" under the caller's entry.
#pragma once

#include "../bexdefs.h"

class BEX_API CWindowPlacement
{
public:
    CWindowPlacement();
    CWindowPlacement(const CWindowPlacement& src);
    CWindowPlacement& operator=(const CWindowPlacement& src);
    virtual ~CWindowPlacement();

    // Applies the stored placement to pWnd; FALSE, and the window untouched, when none is
    // stored or it is malformed.
    BOOL Restore(const char* lpszSection, CWnd* pWnd);
    // Stores pWnd's placement, unless another instance of its application runs.
    void Save(const char* lpszSection, CWnd* pWnd);

    WINDOWPLACEMENT m_wp;
    CString m_strEntry;
    CString m_strFormat;

private:
    BOOL GetProfileWP(const char* lpszSection);
    void WriteProfileWP(const char* lpszSection);
    HWND GetExistingKelmAppInstance(CWnd* pWnd);
    static BOOL CALLBACK EnumWndProc(HWND hWnd, LPARAM lParam);
};

// Stores pWnd's top-left corner; 0 when it cannot be stored (also without an application object).
BEXFN int BEXAPI SaveWindowPos(CWnd* pWnd, const char* lpszEntry);
// Moves pWnd to the stored corner, kept on the desktop; 0 when nothing usable is stored.
BEXFN int BEXAPI RestoreWindowPos(CWnd* pWnd, const char* lpszEntry);
