// The error boxes: the messages the user must see, in the library's texts.
#include "bexlib32.h"
#include "../text/strres.h"

#include <stdio.h>
#include <shlwapi.h>

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
