// The library's entry point, its process-wide state and the error boxes.
#include "bexlib32.h"
#include "kelmdbg.h"
#include "../ipc/AckMsg.h"
#include "../text/strres.h"

#include <stdio.h>
#include <shlwapi.h>

HINSTANCE g_hBexLib = NULL;
UINT g_nBexAckMsg = 0;

static AFX_EXTENSION_MODULE s_extBexLib = { FALSE, NULL, NULL };

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(s_extBexLib, hInstance))
            return FALSE;
        // Joins the resource chain: the library's dialogs, icons and strings become findable
        // from the application. The chain owns the object and deletes it at detach.
        new CDynLinkLibrary(s_extBexLib);
        g_hBexLib = hInstance;
        g_nBexAckMsg = RegisterBexAckMessage();
        // Reported as line 52 of this module: the place support has always been told about.
        if (g_nBexAckMsg == 0)
            KelmDebug((char*)"KELM_ASSERT", (char*)"MsgBexAck != 0", (char*)__FILE__, 52);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(s_extBexLib);
    }
    return TRUE;
}

// Formats at most nSize - 1 characters and always terminates: wvnsprintfA cuts where
// wsprintfA would run past the buffer.
static void BoundedFormat(LPSTR lpszBuf, int nSize, LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    if (wvnsprintfA(lpszBuf, nSize, lpszFormat, args) < 0)
        lpszBuf[nSize - 1] = '\0';
    va_end(args);
    lpszBuf[nSize - 1] = '\0';
}

static int ShowSystemBox(HWND hWnd, UINT nFormatID, DWORD_PTR dwArg1, DWORD_PTR dwArg2, UINT nCaptionID, UINT nStyle)
{
    char szMessage[260];
    char szCaption[256];

    {
        CBexResourceScope resources;
        BoundedFormat(szMessage, sizeof(szMessage), _fString(LOWORD(nFormatID)), dwArg1, dwArg2);
        lstrcpynA(szCaption, _fString(nCaptionID), sizeof(szCaption));
    }

    MessageBeep(0);
    return MessageBoxA(hWnd, szMessage, szCaption, nStyle);
}

int BEXAPI SystemError(HWND hWnd, UINT nFormatID, DWORD_PTR dwArg1, DWORD_PTR dwArg2)
{
    return ShowSystemBox(hWnd, nFormatID, dwArg1, dwArg2, IDS_BEX_SYSTEMERROR, MB_ICONEXCLAMATION | MB_TASKMODAL);
}

int BEXAPI SystemInfo(HWND hWnd, UINT nFormatID, DWORD_PTR dwArg1, DWORD_PTR dwArg2)
{
    return ShowSystemBox(hWnd, nFormatID, dwArg1, dwArg2, IDS_BEX_SYSTEMINFO, MB_ICONINFORMATION);
}

void BEXAPI LastError(HWND hWnd)
{
    LPSTR lpszText = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, GetLastError(),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&lpszText, 0, NULL);
    MessageBeep(0);
    MessageBoxA(hWnd, lpszText ? lpszText : "Unknown Error", _fString(IDS_BEX_SYSTEMERROR),
                MB_ICONEXCLAMATION | MB_TASKMODAL);
    if (lpszText)
        LocalFree(lpszText);
}

void __cdecl DllError(UINT nID, ...)
{
    char szFormat[300];
    char szText[300];

    CBexResourceScope resources;
    // Both strings come from the ring, which holds two texts at once.
    LPCSTR lpszError = _fString(IDS_BEX_ERRORFORMAT);
    LPCSTR lpszText = _fString(nID);
    BoundedFormat(szFormat, sizeof(szFormat), lpszError, nID, lpszText);

    va_list args;
    va_start(args, nID);
    // _vsnprintf leaves the buffer unterminated when it cuts.
    _vsnprintf(szText, sizeof(szText) - 1, szFormat, args);
    szText[sizeof(szText) - 1] = '\0';
    va_end(args);

    if (InSendMessage())
        ReplyMessage(0);
    MessageBeep(0);
    AfxMessageBox(szText, MB_OK);
}
