// Diagnostics delivered to the trace viewer or the project manager.
#include "kelmdbg.h"
#include "bexlib32.h"

#include <stdio.h>
#include <string.h>

namespace {

const int cchLine = 640;   // every report and verbose line is built in a buffer of this size
// A viewer the system counts as hung (it has taken no message for five seconds) is not waited
// for at all. One that is only busy gets its line, however slow; the limit, well beyond the
// system's own, only ends the wait on a viewer that hangs while it takes the line, which it then
// holds up once: from then on the system counts it as hung.
const UINT nDeliveryTimeout = 30000;

enum Target { TraceViewer, ProjectManager };

bool Deliver(Target target, LPCSTR lpszLine, int nLength)
{
    HWND hWnd = FindWindowA(target == TraceViewer ? "MfxTraceWindow" : "WexWClass", NULL);
    if (hWnd == NULL)
        return false;
    // The tag is four characters in memory order; the rest of a 64-bit dwData is zero.
    DWORD dwTag;
    memcpy(&dwTag, target == TraceViewer ? "twin" : "kelm", 4);
    COPYDATASTRUCT cds;
    cds.dwData = dwTag;
    cds.cbData = (DWORD)nLength;
    cds.lpData = (PVOID)lpszLine;
    CWnd* pMainWnd = AfxGetMainWnd();
    HWND hWndMain = pMainWnd ? pMainWnd->m_hWnd : NULL;
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutA(hWnd, WM_COPYDATA, (WPARAM)hWndMain, (LPARAM)&cds,
                               SMTO_ABORTIFHUNG | SMTO_NORMAL, nDeliveryTimeout, &dwResult) != 0;
}

// vsnprintf into a fixed buffer: the result is cut to fit and always terminated.
// Returns the length, and whether the text had to be cut.
int FormatInto(LPSTR lpszBuf, int nSize, bool* pbCut, LPCSTR lpszFormat, va_list args)
{
    int n = _vsnprintf(lpszBuf, (size_t)nSize - 1, lpszFormat, args);
    lpszBuf[nSize - 1] = '\0';
    if (n < 0 || n > nSize - 1) {
        if (pbCut)
            *pbCut = true;
        return (int)strlen(lpszBuf);
    }
    return n;
}

int FormatInto(LPSTR lpszBuf, int nSize, bool* pbCut, LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    int n = FormatInto(lpszBuf, nSize, pbCut, lpszFormat, args);
    va_end(args);
    return n;
}

// Steps shared by both reports once the text stands: trace it, and for KELM kinds ask the user.
bool FinishReport(LPCSTR lpszKind, LPSTR lpszReport, int nLength)
{
    bool bDelivered = Deliver(TraceViewer, lpszReport, nLength);
    if (strncmp(lpszKind, "KELM", 4) == 0) {
        static const char szNote[] = "\nPlease report this error to KELM-Ostrand support.\n\n"
                                     "(press RETRY or IGNORE to ignore this error and continue)";
        if (nLength + (int)strlen(szNote) < cchLine)
            strcpy(lpszReport + nLength, szNote);
        if (AfxMessageBox(lpszReport, MB_ABORTRETRYIGNORE | MB_ICONHAND | MB_TASKMODAL) == IDABORT)
            AfxAbort();
    }
    return bDelivered;
}

CString LoadFormat(UINT nID)
{
    CString str;
    str.LoadString(nID);   // a missing string gives an empty format
    return str;
}

bool VerboseV(int nFlags, bool bAddLineFeed, LPCSTR lpszFormat, va_list args)
{
    char szLine[cchLine + 1];   // room for a cut line of the full 640 characters and a NUL
    int n = 0;
    const int nTarget = nFlags & KELM_VERBOSE_TARGET;
    if (nTarget == 0)
        n = sprintf(szLine, "%d: ", (int)LOWORD(GetCurrentThreadId()));
    switch (nFlags & KELM_VERBOSE_KIND) {
    case KELM_VERBOSE_ERROR: n += sprintf(szLine + n, "Error: "); break;
    case KELM_VERBOSE_WARNING: n += sprintf(szLine + n, "Warning: "); break;
    }
    bool bCut = false;
    n += FormatInto(szLine + n, cchLine + 1 - n, &bCut, lpszFormat, args);
    if (!bCut && bAddLineFeed && (n == 0 || szLine[n - 1] != '\n') && n + 1 < cchLine) {
        szLine[n++] = '\n';
        szLine[n] = '\0';
    }
    return Deliver(nTarget == KELM_VERBOSE_MANAGER ? ProjectManager : TraceViewer, szLine, n);
}

void MessageBoxV(LPCSTR lpszFormat, va_list args)
{
    LPSTR lpszText = (LPSTR)LocalAlloc(LMEM_FIXED, 1025);
    if (lpszText == NULL) {
        AfxMessageBox("Out of memory", MB_OK);
        return;
    }
    FormatInto(lpszText, 1025, NULL, lpszFormat, args);
    AfxMessageBox(lpszText, MB_OK);
    LocalFree(lpszText);
}

}  // namespace

void KelmMessageBox(LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    MessageBoxV(lpszFormat, args);
    va_end(args);
}

void KelmMessageBox(UINT nID, ...)
{
    CString strFormat = LoadFormat(nID);
    va_list args;
    va_start(args, nID);
    MessageBoxV(strFormat, args);
    va_end(args);
}

bool BEXAPI KelmDebug(char* lpszKind, char* lpszExpr, char* lpszFile, int nLine)
{
    char szReport[cchLine];
    int n = FormatInto(szReport, cchLine, NULL, "%s failed at line %d in %s:\n %s\n", lpszKind, nLine, lpszFile, lpszExpr);
    return FinishReport(lpszKind, szReport, n);
}

bool BEXAPI KelmDebug(char* lpszKind, char* lpszExpr, char* lpszFile, int nLine, DWORD dwError)
{
    char szReport[cchLine];
    LPSTR lpszReason = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, dwError, 0,
                   (LPSTR)&lpszReason, 0, NULL);
    int n;
    if (lpszReason) {
        n = FormatInto(szReport, cchLine, NULL, "%s failed at line %d in %s:\n%s\nReason: %s\n",
                       lpszKind, nLine, lpszFile, lpszExpr, lpszReason);
        LocalFree(lpszReason);
    } else {
        n = FormatInto(szReport, cchLine, NULL, "%s failed at line %d in %s:\n%s\nCode: %x\n",
                       lpszKind, nLine, lpszFile, lpszExpr, (unsigned)dwError);
    }
    return FinishReport(lpszKind, szReport, n);
}

bool KelmVerbose(int nFlags, LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    bool b = VerboseV(nFlags, true, lpszFormat, args);
    va_end(args);
    return b;
}

bool KelmVerbose(int nFlags, UINT nID, ...)
{
    CString strFormat = LoadFormat(nID);
    va_list args;
    va_start(args, nID);
    bool b = VerboseV(nFlags, false, strFormat, args);
    va_end(args);
    return b;
}

bool BEXAPI KelmHexDump(const char* pData, int nLength)
{
    bool bAll = true;
    const BYTE* pb = reinterpret_cast<const BYTE*>(pData);
    for (int nOffset = 0; nOffset < nLength; nOffset += 16) {
        char szLine[96];
        int nCount = nLength - nOffset < 16 ? nLength - nOffset : 16;
        int n = sprintf(szLine, "%04X ", nOffset);
        for (int i = 0; i < 16; ++i)
            n += i < nCount ? sprintf(szLine + n, "%02X ", pb[nOffset + i]) : sprintf(szLine + n, "   ");
        szLine[n++] = ' ';
        for (int i = 0; i < nCount; ++i) {
            BYTE b = pb[nOffset + i];
            szLine[n++] = (b >= 0x20 && b <= 0x7E) ? (char)b : '.';
        }
        szLine[n++] = '\n';
        szLine[n] = '\0';
        bAll = Deliver(TraceViewer, szLine, n) && bAll;
    }
    return bAll;
}
