#include "fxapp.h"
#include "fxwnd.h"
#include <string.h>

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CObject)
IMPLEMENT_DYNAMIC(CWinApp, CObject)

static AFX_MODULE_STATE g_moduleState = { NULL, NULL, NULL, NULL, NULL };
static CRITICAL_SECTION g_csChain;   // guards the extension-library chain; DLLs attach on any thread

namespace {
struct ChainLock {
    ChainLock() { EnterCriticalSection(&g_csChain); }
    ~ChainLock() { LeaveCriticalSection(&g_csChain); }
};
struct ChainInit {
    ChainInit() { InitializeCriticalSection(&g_csChain); }
} g_chainInit;
}  // namespace

AFX_MODULE_STATE* AFXAPI AfxGetModuleState()
{
    AFX_MODULE_STATE* pState = &g_moduleState;
    if (pState->m_hCurrentInstanceHandle == NULL) {
        // The application's module is the process's executable, whether or not it has an
        // application object.
        pState->m_hCurrentInstanceHandle = GetModuleHandleA(NULL);
        if (pState->m_hCurrentResourceHandle == NULL)
            pState->m_hCurrentResourceHandle = pState->m_hCurrentInstanceHandle;
    }
    return pState;
}

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule)
{
    if (state.bInitialized)
        return TRUE;
    state.hModule = hModule;
    state.hResource = hModule;
    state.bInitialized = TRUE;
    return TRUE;
}

void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll)
{
    if (!state.bInitialized)
        return;
    CDynLinkLibrary* pDoomed = NULL;
    {
        ChainLock lock;
        AFX_MODULE_STATE* pState = AfxGetModuleState();
        CDynLinkLibrary** ppLink = &pState->m_pFirstDLL;
        while (*ppLink) {
            CDynLinkLibrary* p = *ppLink;
            if (bAll || p->m_hModule == state.hModule) {
                *ppLink = p->m_pNextDLL;
                p->m_pNextDLL = pDoomed;
                pDoomed = p;
            } else {
                ppLink = &p->m_pNextDLL;
            }
        }
        if (pState->m_hCurrentResourceHandle == state.hResource)
            pState->m_hCurrentResourceHandle = pState->m_hCurrentInstanceHandle;
    }
    while (pDoomed) {
        CDynLinkLibrary* pNext = pDoomed->m_pNextDLL;
        pDoomed->m_pNextDLL = NULL;   // already unlinked; the destructor must not walk the chain
        pDoomed->m_hModule = NULL;
        delete pDoomed;
        pDoomed = pNext;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_pNextDLL(NULL)
{
    ChainLock lock;
    CDynLinkLibrary** ppLink = &AfxGetModuleState()->m_pFirstDLL;
    while (*ppLink)
        ppLink = &(*ppLink)->m_pNextDLL;
    *ppLink = this;
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    if (m_hModule == NULL)
        return;
    ChainLock lock;
    for (CDynLinkLibrary** ppLink = &AfxGetModuleState()->m_pFirstDLL; *ppLink; ppLink = &(*ppLink)->m_pNextDLL)
        if (*ppLink == this) {
            *ppLink = m_pNextDLL;
            break;
        }
}

HINSTANCE AFXAPI AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AFXAPI AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource)
{
    FX_ASSERT(hInstResource != NULL);
    AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource;
}

HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType)
{
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    if (FindResourceA(pState->m_hCurrentResourceHandle, lpszName, lpszType))
        return pState->m_hCurrentResourceHandle;
    ChainLock lock;
    for (CDynLinkLibrary* p = pState->m_pFirstDLL; p; p = p->m_pNextDLL)
        if (p->m_hResource && FindResourceA(p->m_hResource, lpszName, lpszType))
            return p->m_hResource;
    return NULL;
}

static BOOL HasString(HINSTANCE hInst, UINT nID)
{
    // With a zero buffer size LoadStringW hands out a pointer into the resource and the length,
    // which tells "present" from "missing or empty" without copying.
    LPCWSTR p = NULL;
    return hInst != NULL && LoadStringW(hInst, nID, (LPWSTR)&p, 0) > 0;
}

HINSTANCE AFXAPI AfxFindStringResourceHandle(UINT nID)
{
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    if (HasString(pState->m_hCurrentResourceHandle, nID))
        return pState->m_hCurrentResourceHandle;
    ChainLock lock;
    for (CDynLinkLibrary* p = pState->m_pFirstDLL; p; p = p->m_pNextDLL)
        if (HasString(p->m_hResource, nID))
            return p->m_hResource;
    return NULL;
}

CWinApp* AFXAPI AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }

CWnd* AFXAPI AfxGetMainWnd()
{
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->m_pMainWnd : NULL;
}

LPCSTR AFXAPI AfxGetAppName()
{
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->m_pszAppName : NULL;
}

// The program's file name without directory and extension: the caption when there is no
// application object.
static CString ProgramTitle()
{
    char sz[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, sz, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString("Application");
    CString str(sz);
    str = str.Mid(str.ReverseFind('\\') + 1);
    int nDot = str.ReverseFind('.');
    return nDot > 0 ? str.Left(nDot) : str;
}

int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType, UINT /*nIDHelp*/)
{
    CWinApp* pApp = AfxGetApp();
    CString strCaption = pApp && pApp->m_pszAppName ? CString(pApp->m_pszAppName) : ProgramTitle();
    HWND hWndOwner = NULL;
    if (pApp && pApp->m_pMainWnd && IsWindow(pApp->m_pMainWnd->m_hWnd))
        hWndOwner = pApp->m_pMainWnd->m_hWnd;
    if (hWndOwner == NULL && (nType & (MB_SYSTEMMODAL | MB_TASKMODAL)) == 0)
        hWndOwner = GetActiveWindow();
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK: case MB_OKCANCEL: nType |= MB_ICONEXCLAMATION; break;
        case MB_YESNO: case MB_YESNOCANCEL: nType |= MB_ICONQUESTION; break;
        case MB_ABORTRETRYIGNORE: case MB_RETRYCANCEL: break;
        }
    }
    return MessageBoxA(hWndOwner, lpszText, strCaption, nType);
}

int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString str;
    str.LoadString(nIDPrompt);
    return AfxMessageBox(str, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}

void AFXAPI AfxAbort()
{
    TerminateProcess(GetCurrentProcess(), 3);
}

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_pszAppName(NULL), m_pszExeName(NULL), m_hInstance(NULL), m_pMainWnd(NULL), m_nCmdShow(SW_SHOWNORMAL),
      m_pszRegistryKey(NULL), m_pszProfileName(NULL), m_nWaitCursorCount(0), m_hcurWaitCursorRestore(NULL)
{
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    FX_ASSERT(pState->m_pCurrentWinApp == NULL);   // one application object per process
    pState->m_pCurrentWinApp = this;
    m_hInstance = pState->m_hCurrentInstanceHandle;
    m_strExeName = ProgramTitle();
    m_strAppName = lpszAppName ? CString(lpszAppName) : m_strExeName;
    m_pszExeName = m_strExeName;
    m_pszAppName = m_strAppName;
    pState->m_lpszCurrentAppName = m_pszAppName;
    m_strProfileName = m_strExeName + ".INI";
    m_pszProfileName = m_strProfileName;
}

void CWinApp::BeginWaitCursor()
{
    HCURSOR hcurPrev = ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
    if (m_nWaitCursorCount++ == 0)
        m_hcurWaitCursorRestore = hcurPrev;
}

void CWinApp::EndWaitCursor()
{
    if (m_nWaitCursorCount > 0 && --m_nWaitCursorCount == 0)
        ::SetCursor(m_hcurWaitCursorRestore);
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    if (pState->m_pCurrentWinApp == this) {
        pState->m_pCurrentWinApp = NULL;
        pState->m_lpszCurrentAppName = NULL;
    }
}

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_nCmdShow = nCmdShow;
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
