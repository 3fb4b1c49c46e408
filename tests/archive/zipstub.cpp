// A recording stand-in for DZIP32.dll (built with STUB_DZIP32) or DUNZIP32.dll: it keeps what
// each block held when it came and answers as the test has set it up.
#include "ZipBlocks.h"
#include "zipstub.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int MAX_RECORDED = 16;

int g_nResult = 0, g_nFailAt = -1, g_nCalls = 0, g_nListed = 0;
DWORD g_dwCount = 0;
STUBCALL g_calls[MAX_RECORDED];
std::vector<std::string> g_names;

void CopyText(char* pszTo, int cch, LPCSTR lpszFrom) { if (lpszFrom) lstrcpynA(pszTo, lpszFrom, cch); }

STUBCALL* Record(const void* pBlock, size_t cbBlock, DWORD dwCommand)
{
    STUBCALL* pCall = g_nCalls < MAX_RECORDED ? &g_calls[g_nCalls] : NULL;
    ++g_nCalls;
    if (pCall) {
        ZeroMemory(pCall, sizeof(*pCall));
        CopyMemory(pCall->abBlock, pBlock, cbBlock);
        pCall->dwCommand = dwCommand;
    }
    return pCall;
}

}  // namespace

extern "C" __declspec(dllexport) void __cdecl StubSetup(int nResult, DWORD dwCount, int nFailAt)
{
    g_nResult = nResult, g_dwCount = dwCount, g_nFailAt = nFailAt;
    g_nCalls = g_nListed = 0;
    g_names.clear();
}

extern "C" __declspec(dllexport) void __cdecl StubAddName(const char* pch, int cb)
{
    g_names.push_back(std::string(pch, cb));
}

extern "C" __declspec(dllexport) int __cdecl StubCallCount() { return g_nCalls; }

extern "C" __declspec(dllexport) const STUBCALL* __cdecl StubGetCall(int nIndex)
{
    return nIndex >= 0 && nIndex < g_nCalls && nIndex < MAX_RECORDED ? &g_calls[nIndex] : NULL;
}

#ifdef STUB_DZIP32
extern "C" __declspec(dllexport) int WINAPI dzip(DZIPCMD* pCmd)
{
    STUBCALL* pCall = Record(pCmd, sizeof(*pCmd), pCmd->dwCommand);
    if (pCall) {
        CopyText(pCall->szZipFile, sizeof(pCall->szZipFile), pCmd->lpszZipFile);
        CopyText(pCall->szItems, sizeof(pCall->szItems), pCmd->lpszItems);
    }
    return g_nResult;
}
#else
extern "C" __declspec(dllexport) int WINAPI dunzip(DUNZIPCMD* pCmd)
{
    STUBCALL* pCall = Record(pCmd, sizeof(*pCmd), pCmd->dwCommand);
    if (pCall) {
        CopyText(pCall->szZipFile, sizeof(pCall->szZipFile), pCmd->lpszZipFile);
        CopyText(pCall->szFileSpec, sizeof(pCall->szFileSpec), pCmd->lpszFileSpec);
        CopyText(pCall->szDestDir, sizeof(pCall->szDestDir), pCmd->lpszDestDir);
        pCall->pEntry = pCmd->lpEntry;
        if (pCmd->lpEntry) {
            const BYTE* pb = (const BYTE*)pCmd->lpEntry;
            pCall->bEntryZeroed = TRUE;
            for (size_t i = 0; i < sizeof(DUNZIPENTRY); ++i)
                pCall->bEntryZeroed &= pb[i] == 0;
        }
    }
    if (g_nResult != 0)
        return g_nResult;
    if (pCmd->dwCommand == DUNZIP_CMD_OPEN) {
        pCmd->dwEntries = g_dwCount;
        return 0;
    }
    if (pCmd->dwCommand != DUNZIP_CMD_NEXT)
        return 0;
    int nIndex = g_nListed++;
    // The count is the open's to report: a caller must not take it again from later calls.
    pCmd->dwEntries = 0x7777;
    if (nIndex == g_nFailAt)
        return ZIPERR_END;
    // The name as given: a NUL is added only when there is room in the record.
    char* pszName = pCmd->lpEntry->szName;
    std::string str = nIndex < (int)g_names.size() ? g_names[nIndex] : "";
    size_t cb = std::min(str.size(), sizeof(pCmd->lpEntry->szName));
    CopyMemory(pszName, str.data(), cb);
    if (cb < sizeof(pCmd->lpEntry->szName))
        pszName[cb] = '\0';
    return 0;
}
#endif
