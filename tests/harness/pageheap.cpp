#include "pageheap.h"

#include <stdio.h>
#include <string.h>

namespace harness {
namespace pageheap {

namespace {

enum Kind : BYTE { kindCrt, kindGlobal };
enum State : BYTE { stateUnused, stateLive, stateFreed };

struct Block {
    BYTE* pData;
    size_t cb;
    DWORD nPages;    // data, tail and the no-access page
    DWORD nCommitted;
    Kind kind;
    State state;
};

const size_t cbTail = 0x10000;
const BYTE bFresh = 0xA5;

// The heap's space: one reservation, handed out in whole pages. m_pnOwner gives for every page
// the first page (+ 1) of the block that last held it; m_pBlocks is indexed by first pages.
class CPageHeap
{
public:
    bool Init();
    bool Owns(const void* pv) const { return m_pBase && (const BYTE*)pv >= m_pBase && (const BYTE*)pv < m_pBase + m_nPages * m_cbPage; }
    void* Alloc(size_t cb, bool bZero, Kind kind);
    // The live block that pv starts, or NULL.
    Block* Find(const void* pv);
    void Free(Block* pBlock);
    std::string Describe(const void* pv);
    void SetTail(int nByte) { m_nTail = nByte; }
    size_t LiveGlobal() const { return m_nLiveGlobal; }
    void Lock() { AcquireSRWLockExclusive(&m_lock); }
    void Unlock() { ReleaseSRWLockExclusive(&m_lock); }

private:
    bool Busy(size_t nPage) const { return m_pnOwner[nPage] && m_pBlocks[m_pnOwner[nPage] - 1].state == stateLive; }
    void Forget(size_t nFirst);

    BYTE* m_pBase = NULL;
    size_t m_nPages = 0, m_cbPage = 0, m_nNext = 0, m_nLiveGlobal = 0;
    DWORD* m_pnOwner = NULL;
    Block* m_pBlocks = NULL;
    int m_nTail = -1;
    SRWLOCK m_lock = SRWLOCK_INIT;
};

CPageHeap s_heap;

bool CPageHeap::Init()
{
    if (m_pBase)
        return true;
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    m_cbPage = si.dwPageSize;
    // Wine's virtual memory calls slow down with the size of the reservation they fall in: 256 MiB
    // keeps them quick and holds thousands of blocks. A 32-bit process may have less to spare.
    for (size_t cb = (size_t)256 << 20; cb >= ((size_t)32 << 20) && !m_pBase; cb /= 2) {
        m_pBase = (BYTE*)VirtualAlloc(NULL, cb, MEM_RESERVE, PAGE_NOACCESS);
        m_nPages = cb / m_cbPage;
    }
    if (!m_pBase)
        return false;
    m_pnOwner = (DWORD*)VirtualAlloc(NULL, m_nPages * sizeof(DWORD), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    m_pBlocks = (Block*)VirtualAlloc(NULL, m_nPages * sizeof(Block), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    return m_pnOwner && m_pBlocks;
}

// The pages of a freed block are taken again: what they said about it no longer holds.
void CPageHeap::Forget(size_t nFirst)
{
    Block& b = m_pBlocks[nFirst];
    for (size_t p = nFirst; p < nFirst + b.nPages; ++p)
        if (m_pnOwner[p] == nFirst + 1)
            m_pnOwner[p] = 0;
    b.state = stateUnused;
}

void* CPageHeap::Alloc(size_t cb, bool bZero, Kind kind)
{
    size_t nData = (cb + m_cbPage - 1) / m_cbPage;
    size_t nTail = m_nTail >= 0 ? cbTail / m_cbPage : 0;
    size_t nPages = nData + nTail + 1;
    if (cb > m_nPages * m_cbPage / 4)
        return NULL;
    // Next fit: freed pages are taken again only once the heap has gone round.
    size_t nFirst = m_nNext, nRun = 0;
    for (size_t nSeen = 0; nRun < nPages; ++nSeen) {
        if (nSeen > m_nPages + nPages)
            return NULL;
        size_t p = nFirst + nRun;
        if (p >= m_nPages) {
            nFirst = 0;
            nRun = 0;
        } else if (Busy(p)) {
            nFirst = p + 1;
            nRun = 0;
        } else {
            ++nRun;
        }
    }
    for (size_t p = nFirst; p < nFirst + nPages; ++p)
        if (m_pnOwner[p])
            Forget(m_pnOwner[p] - 1);
    BYTE* pFirst = m_pBase + nFirst * m_cbPage;
    size_t nCommit = nData + nTail;
    if (nCommit && !VirtualAlloc(pFirst, nCommit * m_cbPage, MEM_COMMIT, PAGE_READWRITE))
        return NULL;
    for (size_t p = nFirst; p < nFirst + nPages; ++p)
        m_pnOwner[p] = (DWORD)nFirst + 1;
    Block& b = m_pBlocks[nFirst];
    b.pData = pFirst + nData * m_cbPage - cb;
    b.cb = cb;
    b.nPages = (DWORD)nPages;
    b.nCommitted = (DWORD)nCommit;
    b.kind = kind;
    b.state = stateLive;
    // Fresh pages are zero already.
    if (!bZero)
        memset(b.pData, bFresh, cb);
    if (nTail)
        memset(pFirst + nData * m_cbPage, m_nTail, nTail * m_cbPage);
    m_nNext = nFirst + nPages;
    if (kind == kindGlobal)
        ++m_nLiveGlobal;
    return b.pData;
}

Block* CPageHeap::Find(const void* pv)
{
    if (!Owns(pv))
        return NULL;
    DWORD nOwner = m_pnOwner[((const BYTE*)pv - m_pBase) / m_cbPage];
    Block* pBlock = nOwner ? &m_pBlocks[nOwner - 1] : NULL;
    return pBlock && pBlock->state == stateLive && pBlock->pData == pv ? pBlock : NULL;
}

void CPageHeap::Free(Block* pBlock)
{
    size_t nFirst = pBlock - m_pBlocks;
    if (pBlock->nCommitted)
        VirtualFree(m_pBase + nFirst * m_cbPage, pBlock->nCommitted * m_cbPage, MEM_DECOMMIT);
    pBlock->state = stateFreed;
    if (pBlock->kind == kindGlobal)
        --m_nLiveGlobal;
}

std::string CPageHeap::Describe(const void* pv)
{
    if (!Owns(pv))
        return std::string();
    DWORD nOwner = m_pnOwner[((const BYTE*)pv - m_pBase) / m_cbPage];
    if (!nOwner)
        return "in the page heap's space, in no block";
    const Block& b = m_pBlocks[nOwner - 1];
    const BYTE* p = (const BYTE*)pv;
    const char* pszKind = b.kind == kindGlobal ? "GlobalAlloc" : "malloc";
    char sz[160];
    if (b.state == stateFreed)
        snprintf(sz, sizeof(sz), "%lld bytes into a freed %llu-byte %s block", (long long)(p - b.pData),
                 (unsigned long long)b.cb, pszKind);
    else if (p >= b.pData + b.cb)
        snprintf(sz, sizeof(sz), "%llu bytes past the end of a %llu-byte %s block", (unsigned long long)(p - (b.pData + b.cb)),
                 (unsigned long long)b.cb, pszKind);
    else
        snprintf(sz, sizeof(sz), "%lld bytes into a %llu-byte %s block", (long long)(p - b.pData), (unsigned long long)b.cb, pszKind);
    return sz;
}

// A pointer that is no block's start handed back to the heap: a double free or a wild pointer.
// The report names it; the process cannot sensibly go on.
const DWORD STATUS_BAD_BLOCK = 0xE0BE0001;

void BadBlock(const void* pv)
{
    ULONG_PTR arg = (ULONG_PTR)pv;
    RaiseException(STATUS_BAD_BLOCK, EXCEPTION_NONCONTINUABLE, 1, &arg);
}

// --- The C runtime's family

void* (__cdecl* s_pfnMalloc)(size_t);
void* (__cdecl* s_pfnCalloc)(size_t, size_t);
void* (__cdecl* s_pfnRealloc)(void*, size_t);
void (__cdecl* s_pfnFree)(void*);

void* __cdecl Malloc(size_t cb)
{
    s_heap.Lock();
    void* pv = s_heap.Alloc(cb, false, kindCrt);
    s_heap.Unlock();
    return pv ? pv : s_pfnMalloc(cb);
}

void* __cdecl Calloc(size_t n, size_t cb)
{
    if (cb && n > (size_t)-1 / cb)
        return NULL;
    s_heap.Lock();
    void* pv = s_heap.Alloc(n * cb, true, kindCrt);
    s_heap.Unlock();
    return pv ? pv : s_pfnCalloc(n, cb);
}

void __cdecl Free(void* pv)
{
    if (!s_heap.Owns(pv)) {
        s_pfnFree(pv);
        return;
    }
    s_heap.Lock();
    Block* pBlock = s_heap.Find(pv);
    if (pBlock && pBlock->kind == kindCrt)
        s_heap.Free(pBlock);
    s_heap.Unlock();
    if (!pBlock || pBlock->kind != kindCrt)
        BadBlock(pv);
}

void* __cdecl Realloc(void* pv, size_t cb)
{
    if (!pv)
        return Malloc(cb);
    if (!s_heap.Owns(pv))
        return s_pfnRealloc(pv, cb);
    if (cb == 0) {
        Free(pv);
        return NULL;
    }
    s_heap.Lock();
    Block* pBlock = s_heap.Find(pv);
    size_t cbOld = pBlock && pBlock->kind == kindCrt ? pBlock->cb : 0;
    s_heap.Unlock();
    if (!pBlock || pBlock->kind != kindCrt)
        BadBlock(pv);
    void* pNew = Malloc(cb);
    if (pNew) {
        memcpy(pNew, pv, cb < cbOld ? cb : cbOld);
        Free(pv);
    }
    return pNew;
}

// --- kernel32's GlobalAlloc family. A block's handle is not its address, as a moveable block's
// is not: a caller that mixes them up gets what the system would give it.

const ULONG_PTR cbHandleBias = 16;

HGLOBAL (WINAPI* s_pfnGlobalAlloc)(UINT, SIZE_T);
HGLOBAL (WINAPI* s_pfnGlobalReAlloc)(HGLOBAL, SIZE_T, UINT);
LPVOID (WINAPI* s_pfnGlobalLock)(HGLOBAL);
BOOL (WINAPI* s_pfnGlobalUnlock)(HGLOBAL);
HGLOBAL (WINAPI* s_pfnGlobalHandle)(LPCVOID);
SIZE_T (WINAPI* s_pfnGlobalSize)(HGLOBAL);
HGLOBAL (WINAPI* s_pfnGlobalFree)(HGLOBAL);

HGLOBAL HandleOf(const void* pData) { return (HGLOBAL)((ULONG_PTR)pData - cbHandleBias); }
void* DataOf(HGLOBAL h) { return (void*)((ULONG_PTR)h + cbHandleBias); }

// The live GlobalAlloc block of handle h; NULL when h is none of the heap's.
Block* FindGlobal(HGLOBAL h)
{
    Block* pBlock = s_heap.Find(DataOf(h));
    return pBlock && pBlock->kind == kindGlobal ? pBlock : NULL;
}

HGLOBAL WINAPI GlobalAllocHook(UINT uFlags, SIZE_T cb)
{
    s_heap.Lock();
    void* pv = s_heap.Alloc(cb, (uFlags & GMEM_ZEROINIT) != 0, kindGlobal);
    s_heap.Unlock();
    return pv ? HandleOf(pv) : s_pfnGlobalAlloc(uFlags, cb);
}

LPVOID WINAPI GlobalLockHook(HGLOBAL h)
{
    s_heap.Lock();
    Block* pBlock = FindGlobal(h);
    s_heap.Unlock();
    return pBlock ? pBlock->pData : s_pfnGlobalLock(h);
}

BOOL WINAPI GlobalUnlockHook(HGLOBAL h)
{
    s_heap.Lock();
    Block* pBlock = FindGlobal(h);
    s_heap.Unlock();
    // No lock count is kept: every unlock leaves the block unlocked.
    return pBlock ? FALSE : s_pfnGlobalUnlock(h);
}

HGLOBAL WINAPI GlobalHandleHook(LPCVOID pv)
{
    s_heap.Lock();
    Block* pBlock = s_heap.Find(pv);
    bool bOurs = pBlock && pBlock->kind == kindGlobal;
    s_heap.Unlock();
    return bOurs ? HandleOf(pv) : s_pfnGlobalHandle(pv);
}

SIZE_T WINAPI GlobalSizeHook(HGLOBAL h)
{
    s_heap.Lock();
    Block* pBlock = FindGlobal(h);
    SIZE_T cb = pBlock ? pBlock->cb : 0;
    s_heap.Unlock();
    return pBlock ? cb : s_pfnGlobalSize(h);
}

HGLOBAL WINAPI GlobalFreeHook(HGLOBAL h)
{
    s_heap.Lock();
    Block* pBlock = FindGlobal(h);
    if (pBlock)
        s_heap.Free(pBlock);
    s_heap.Unlock();
    if (pBlock)
        return NULL;
    if (s_heap.Owns(DataOf(h)))
        BadBlock(DataOf(h));
    return s_pfnGlobalFree(h);
}

HGLOBAL WINAPI GlobalReAllocHook(HGLOBAL h, SIZE_T cb, UINT uFlags)
{
    s_heap.Lock();
    Block* pBlock = FindGlobal(h);
    size_t cbOld = pBlock ? pBlock->cb : 0;
    s_heap.Unlock();
    if (!pBlock)
        return s_pfnGlobalReAlloc(h, cb, uFlags);
    if (uFlags & GMEM_MODIFY)
        return h;
    HGLOBAL hNew = GlobalAllocHook(uFlags & GMEM_ZEROINIT, cb);
    if (hNew) {
        memcpy(GlobalLockHook(hNew), DataOf(h), cb < cbOld ? cb : cbOld);
        GlobalFreeHook(h);
    }
    return hNew;
}

// --- Import slots

// Where the module calls pszName of pszDll through; NULL when it does not import it.
void** ImportSlot(HMODULE hModule, const char* pszDll, const char* pszName)
{
    BYTE* pBase = (BYTE*)hModule;
    IMAGE_NT_HEADERS* pNt = (IMAGE_NT_HEADERS*)(pBase + ((IMAGE_DOS_HEADER*)pBase)->e_lfanew);
    IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return NULL;
    for (IMAGE_IMPORT_DESCRIPTOR* pImp = (IMAGE_IMPORT_DESCRIPTOR*)(pBase + dir.VirtualAddress); pImp->Name; ++pImp) {
        if (_stricmp((char*)pBase + pImp->Name, pszDll) != 0)
            continue;
        if (pImp->OriginalFirstThunk == 0)   // names only in the slots, which now hold addresses
            continue;
        IMAGE_THUNK_DATA* pName = (IMAGE_THUNK_DATA*)(pBase + pImp->OriginalFirstThunk);
        IMAGE_THUNK_DATA* pAddr = (IMAGE_THUNK_DATA*)(pBase + pImp->FirstThunk);
        for (; pName->u1.AddressOfData; ++pName, ++pAddr)
            if (!IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal) &&
                strcmp((char*)((IMAGE_IMPORT_BY_NAME*)(pBase + pName->u1.AddressOfData))->Name, pszName) == 0)
                return (void**)&pAddr->u1.Function;
    }
    return NULL;
}

struct Hook {
    const char* pszName;
    void* pfnHook;
    void** ppfnSystem;   // filled with what the first slot held
};

// Puts every hook into the module's slots, or none when one is missing.
bool Patch(const char* pszModule, const char* pszDll, Hook* pHooks, size_t nHooks)
{
    HMODULE hModule = pszModule ? GetModuleHandleA(pszModule) : GetModuleHandleA(NULL);
    if (!hModule || !s_heap.Init())
        return false;
    void** apSlot[16];
    for (size_t i = 0; i < nHooks; ++i)
        if (!(apSlot[i] = ImportSlot(hModule, pszDll, pHooks[i].pszName)))
            return false;
    for (size_t i = 0; i < nHooks; ++i) {
        if (*apSlot[i] == pHooks[i].pfnHook)
            continue;
        if (!*pHooks[i].ppfnSystem)
            *pHooks[i].ppfnSystem = *apSlot[i];
        DWORD dwOld;
        VirtualProtect(apSlot[i], sizeof(void*), PAGE_READWRITE, &dwOld);
        *apSlot[i] = pHooks[i].pfnHook;
        VirtualProtect(apSlot[i], sizeof(void*), dwOld, &dwOld);
    }
    return true;
}

}  // namespace

bool InstallCrt(std::initializer_list<const char*> modules)
{
    Hook hooks[] = {
        { "malloc", (void*)Malloc, (void**)&s_pfnMalloc },
        { "calloc", (void*)Calloc, (void**)&s_pfnCalloc },
        { "realloc", (void*)Realloc, (void**)&s_pfnRealloc },
        { "free", (void*)Free, (void**)&s_pfnFree },
    };
    bool bAll = true;
    for (const char* pszModule : modules)
        bAll = Patch(pszModule, "msvcrt.dll", hooks, sizeof(hooks) / sizeof(hooks[0])) && bAll;
    return bAll;
}

bool InstallGlobal(const char* pszModule)
{
    Hook hooks[] = {
        { "GlobalAlloc", (void*)GlobalAllocHook, (void**)&s_pfnGlobalAlloc },
        { "GlobalReAlloc", (void*)GlobalReAllocHook, (void**)&s_pfnGlobalReAlloc },
        { "GlobalLock", (void*)GlobalLockHook, (void**)&s_pfnGlobalLock },
        { "GlobalUnlock", (void*)GlobalUnlockHook, (void**)&s_pfnGlobalUnlock },
        { "GlobalHandle", (void*)GlobalHandleHook, (void**)&s_pfnGlobalHandle },
        { "GlobalSize", (void*)GlobalSizeHook, (void**)&s_pfnGlobalSize },
        { "GlobalFree", (void*)GlobalFreeHook, (void**)&s_pfnGlobalFree },
    };
    return Patch(pszModule, "kernel32.dll", hooks, sizeof(hooks) / sizeof(hooks[0]));
}

std::string Describe(const void* pv)
{
    // Read without the lock: this is called from exception handlers, while anything may be held.
    return s_heap.Describe(pv);
}

void SetTail(int nByte)
{
    s_heap.Lock();
    s_heap.SetTail(nByte);
    s_heap.Unlock();
}

size_t LiveGlobalBlocks()
{
    return s_heap.LiveGlobal();
}

}  // namespace pageheap
}  // namespace harness
