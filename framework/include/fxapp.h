// The application object, the process's module state and the resource chain.
//
// One module state serves the whole process: the application and every extension DLL share the
// current application object, the current resource handle and the chain of extension libraries
// that resource searches walk (the application's module first, then each library in the order
// it joined).
#pragma once

#include "fxstring.h"
#include "fxcoll.h"

class CWnd;
class CWinApp;
class CDynLinkLibrary;

struct FX_API AFX_MODULE_STATE
{
    CWinApp* m_pCurrentWinApp;
    HINSTANCE m_hCurrentInstanceHandle;   // the application's module
    HINSTANCE m_hCurrentResourceHandle;   // where AfxGetResourceHandle looks first
    LPCSTR m_lpszCurrentAppName;
    CDynLinkLibrary* m_pFirstDLL;          // the extension-library chain
};

// What an extension DLL keeps about itself between attach and detach.
struct FX_API AFX_EXTENSION_MODULE
{
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

// One link of the resource chain; created by an extension DLL at attach.
class FX_API CDynLinkLibrary : public CObject
{
    DECLARE_DYNAMIC(CDynLinkLibrary)
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
    ~CDynLinkLibrary() override;

    HMODULE m_hModule;
    HMODULE m_hResource;
    CDynLinkLibrary* m_pNextDLL;
};

FX_API AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
FX_API BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
// Unlinks and deletes the CDynLinkLibrary objects of the module (all of them when bAll).
FX_API void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

FX_API HINSTANCE AFXAPI AfxGetInstanceHandle();
FX_API HINSTANCE AFXAPI AfxGetResourceHandle();
FX_API void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);
// The module of the chain that holds the resource (the current resource handle first).
FX_API HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
FX_API HINSTANCE AFXAPI AfxFindStringResourceHandle(UINT nID);
FX_API CWinApp* AFXAPI AfxGetApp();
FX_API CWnd* AFXAPI AfxGetMainWnd();
FX_API LPCSTR AFXAPI AfxGetAppName();

// A message box with the application's title as caption (the program's file title when there
// is no application object) and the main window as owner.
FX_API int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
FX_API int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
// Ends the process at once, with exit code 3 and no runtime abort box.
FX_API void AFXAPI AfxAbort();

class FX_API CWinApp : public CObject
{
    DECLARE_DYNAMIC(CWinApp)
public:
    // The one application object of the process registers itself here.
    explicit CWinApp(LPCSTR lpszAppName = NULL);
    ~CWinApp() override;

    LPCSTR m_pszAppName;       // the title; defaults to the program's file title
    LPCSTR m_pszExeName;       // the program's file title
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;
    int m_nCmdShow;
    // The profile: with a registry key it is HKEY_CURRENT_USER\Software\(key)\(profile name);
    // without one (NULL) it is the initialisation file m_pszProfileName, by default the program's
    // file title with ".INI" in the Windows directory. An application may point either member at
    // a string of its own that outlives the application object.
    LPCSTR m_pszRegistryKey;
    LPCSTR m_pszProfileName;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // The message loop: runs until WM_QUIT and returns ExitInstance's result.
    virtual int Run();

    // Profile. Moves the profile to the registry, under the application's title.
    void SetRegistryKey(LPCSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // The stored number, or nDefault when the entry is missing or not a number.
    UINT GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault);
    // The stored text, or lpszDefault ("" for NULL) when the entry is missing or not a text.
    CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = NULL);
    BOOL WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue);
    // A NULL lpszEntry deletes the section, a NULL lpszValue deletes the entry.
    BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue);
    // Open keys of the registry profile, created as needed; the caller closes them. NULL for an
    // initialisation-file profile.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCSTR lpszSection);

    // The hourglass for a longer piece of work; calls nest, and the last EndWaitCursor puts
    // back the cursor that was there before the first BeginWaitCursor.
    void BeginWaitCursor();
    void EndWaitCursor();

private:
    int m_nWaitCursorCount;
    HCURSOR m_hcurWaitCursorRestore;
    CString m_strAppName;
    CString m_strExeName;
    CString m_strRegistryKey;
    CString m_strProfileName;
};

// The framework's WinMain: initialises the application object and runs it.
FX_API int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
