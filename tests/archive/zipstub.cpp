// An answering stand-in for DZIP32.dll (built with STUB_DZIP32) or DUNZIP32.dll: it counts the
// calls and answers as the test has set it up.
#include "ZipBlocks.h"
#include "zipstub.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {
int g_nResult = 0, g_nFailAt = -1, g_nCalls = 0, g_nListed = 0;
DWORD g_dwCount = 0;
std::vector<std::string> g_names;
}  // namespace

extern "C" __declspec(dllexport) void __cdecl StubSetup(int nResult, DWORD dwCount, int nFailAt)
{
    g_nResult = nResult, g_dwCount = dwCount, g_nFailAt = nFailAt;
    g_nCalls = g_nListed = 0;
    g_names.clear();
}

extern "C" __declspec(dllexport) void __cdecl StubAddName(const char* pch, int cb) { g_names.push_back(std::string(pch, cb)); }

extern "C" __declspec(dllexport) int __cdecl StubCallCount() { return g_nCalls; }

#ifdef STUB_DZIP32
extern "C" __declspec(dllexport) int WINAPI dzip(DZIPCMD*)
{
    ++g_nCalls;
    return g_nResult;
}
#else
extern "C" __declspec(dllexport) int WINAPI dunzip(DUNZIPCMD* pCmd)
{
    ++g_nCalls;
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
