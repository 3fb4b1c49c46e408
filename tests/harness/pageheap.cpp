#include "pageheap.h"

#include <stdio.h>
#include <string.h>

namespace harness {
namespace pageheap {

namespace {

enum Kind : BYTE { kindCrt, kindGlobal };
enum State : BYTE { stateLive, stateFreed };

// A slot: readable pages (room for the data, and the tail when there is one) and a no-access page
// behind them. Slots are made once and used again by blocks of the same size class, so that
// taking and giving back a block only changes the protection of pages that hold it: under Wine
// every such call costs microseconds, and the host's mappings (65530 of them by default) would
// run out if pages of every kind came and went in every pattern.
struct Slot {
    BYTE* pData;
    size_t cb;
    DWORD nOpen;      // readable pages
    DWORD nNextFree;  // the next slot of its class's free queue (first page + 1), or 0
    Kind kind;
    State state;
};

const size_t cbTail = 0x10000;
const BYTE bFresh = 0xA5;
const int nClasses = 48;

// The heap's space: one reservation, cut into slots from its start. m_pnOwner gives for every
// page the first page (+ 1) of the slot that holds it; m_pSlots is indexed by first pages.
class CPageHeap
{
public:
    bool Init();
    bool Owns(const void* pv) const { return m_pBase && (const BYTE*)pv >= m_pBase && (const BYTE*)pv < m_pBase + m_nPages * m_cbPage; }
    void* Alloc(size_t cb, bool bZero, Kind kind);
    // The live block that pv starts, or NULL.
    Slot* Find(const void* pv);
    void Free(Slot* pSlot);
    std::string Describe(const void* pv);
    void SetTail(int nByte) { m_nTail = nByte; }
    void Enable(bool bOn) { m_bOn = bOn; }
    size_t LiveGlobal() const { return m_nLiveGlobal; }
    void Lock() { AcquireSRWLockExclusive(&m_lock); }
    void Unlock() { ReleaseSRWLockExclusive(&m_lock); }

private:
    // Readable pages: exact up to 16, then powers of two, so that few classes serve every size.
    static int ClassOf(size_t nOpen);
    static size_t OpenPages(int nClass) { return nClass <= 16 ? (size_t)nClass : (size_t)1 << (nClass - 12); }
    // Freed slots that wait before they are used again: a block used after it was freed then
    // meets a no-access page rather than the next block's data.
    static DWORD Quarantine(size_t nOpen) { return nOpen <= 4 ? 64 : nOpen <= 64 ? 4 : 0; }
    Slot* TakeFree(int nClass, bool bAll);

    BYTE* m_pBase = NULL;
    size_t m_nPages = 0, m_cbPage = 0, m_nNext = 0, m_nLiveGlobal = 0;
    DWORD* m_pnOwner = NULL;
    Slot* m_pSlots = NULL;
    struct { DWORD nHead, nTail, nCount; } m_free[nClasses] = {};
    int m_nTail = -1;
    volatile bool m_bOn = true;
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
    m_pSlots = (Slot*)VirtualAlloc(NULL, m_nPages * sizeof(Slot), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    return m_pnOwner && m_pSlots;
}

int CPageHeap::ClassOf(size_t nOpen)
{
    if (nOpen <= 16)
        return (int)nOpen;
    int nClass = 17;
    while (OpenPages(nClass) < nOpen)
        ++nClass;
    return nClass;
}

Slot* CPageHeap::TakeFree(int nClass, bool bAll)
{
    auto& q = m_free[nClass];
    if (q.nCount == 0 || (!bAll && q.nCount <= Quarantine(OpenPages(nClass))))
        return NULL;
    Slot* pSlot = &m_pSlots[q.nHead - 1];
    q.nHead = pSlot->nNextFree;
    if (--q.nCount == 0)
        q.nTail = 0;
    return pSlot;
}

void* CPageHeap::Alloc(size_t cb, bool bZero, Kind kind)
{
    size_t nTail = m_nTail >= 0 ? cbTail / m_cbPage : 0;
    size_t nNeed = (cb + m_cbPage - 1) / m_cbPage + nTail;
    if (!m_bOn || nNeed > m_nPages / 4)
        return NULL;
    int nClass = ClassOf(nNeed);
    size_t nOpen = OpenPages(nClass);
    Slot* pSlot = TakeFree(nClass, false);
    size_t nFirst;
    if (pSlot) {
        nFirst = pSlot - m_pSlots;
    } else if (m_nNext + nOpen + 1 <= m_nPages) {
        nFirst = m_nNext;
        m_nNext += nOpen + 1;
        pSlot = &m_pSlots[nFirst];
        for (size_t p = nFirst; p <= nFirst + nOpen; ++p)
            m_pnOwner[p] = (DWORD)nFirst + 1;
    } else if ((pSlot = TakeFree(nClass, true)) != NULL) {
        nFirst = pSlot - m_pSlots;   // the space is used up: quarantine must give way
    } else {
        return NULL;
    }
    BYTE* pFirst = m_pBase + nFirst * m_cbPage;
    if (nOpen && !VirtualAlloc(pFirst, nOpen * m_cbPage, MEM_COMMIT, PAGE_READWRITE))
        return NULL;
    BYTE* pEnd = pFirst + (nOpen - nTail) * m_cbPage;
    pSlot->pData = pEnd - cb;
    pSlot->cb = cb;
    pSlot->nOpen = (DWORD)nOpen;
    pSlot->nNextFree = 0;
    pSlot->kind = kind;
    pSlot->state = stateLive;
    memset(pSlot->pData, bZero ? 0 : bFresh, cb);
    if (nTail)
        memset(pEnd, m_nTail, nTail * m_cbPage);
    if (kind == kindGlobal)
        ++m_nLiveGlobal;
    return pSlot->pData;
}

Slot* CPageHeap::Find(const void* pv)
{
    if (!Owns(pv))
        return NULL;
    DWORD nOwner = m_pnOwner[((const BYTE*)pv - m_pBase) / m_cbPage];
    Slot* pSlot = nOwner ? &m_pSlots[nOwner - 1] : NULL;
    return pSlot && pSlot->state == stateLive && pSlot->pData == pv ? pSlot : NULL;
}

void CPageHeap::Free(Slot* pSlot)
{
    size_t nFirst = pSlot - m_pSlots;
    DWORD dwOld;
    if (pSlot->nOpen)
        VirtualProtect(m_pBase + nFirst * m_cbPage, pSlot->nOpen * m_cbPage, PAGE_NOACCESS, &dwOld);
    pSlot->state = stateFreed;
    auto& q = m_free[ClassOf(pSlot->nOpen)];
    if (q.nTail)
        m_pSlots[q.nTail - 1].nNextFree = (DWORD)nFirst + 1;
    else
        q.nHead = (DWORD)nFirst + 1;
    q.nTail = (DWORD)nFirst + 1;
    ++q.nCount;
    if (pSlot->kind == kindGlobal)
        --m_nLiveGlobal;
}

std::string CPageHeap::Describe(const void* pv)
{
    if (!Owns(pv))
        return std::string();
    DWORD nOwner = m_pnOwner[((const BYTE*)pv - m_pBase) / m_cbPage];
    if (!nOwner)
        return "in the page heap's space, in no block";
    const Slot& b = m_pSlots[nOwner - 1];
    const BYTE* p = (const BYTE*)pv;
    const char* pszKind = b.kind == kindGlobal ? "GlobalAlloc" : "malloc";
    char sz[160];
    if (b.state == stateFreed)
        snprintf(sz, sizeof(sz), "%lld bytes into a freed %llu-byte %s block", (long long)(p - b.pData),
                 (unsigned long long)b.cb, pszKind);
    else if (p >= b.pData + b.cb)
        snprintf(sz, sizeof(sz), "%llu bytes past the end of a %llu-byte %s block", (unsigned long long)(p - (b.pData + b.cb)),
                 (unsigned long long)b.cb, pszKind);
    else if (p < b.pData)
        snprintf(sz, sizeof(sz), "%llu bytes before the start of a %llu-byte %s block", (unsigned long long)(b.pData - p),
                 (unsigned long long)b.cb, pszKind);
    else
        snprintf(sz, sizeof(sz), "%llu bytes into a %llu-byte %s block", (unsigned long long)(p - b.pData), (unsigned long long)b.cb, pszKind);
    return sz;
}

// The process cannot sensibly go on after a bad free.
void BadFree(const void* pv)
{
    ULONG_PTR arg = (ULONG_PTR)pv;
    RaiseException(STATUS_BAD_FREE, EXCEPTION_NONCONTINUABLE, 1, &arg);
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
    Slot* pSlot = s_heap.Find(pv);
    if (pSlot && pSlot->kind == kindCrt)
        s_heap.Free(pSlot);
    s_heap.Unlock();
    if (!pSlot || pSlot->kind != kindCrt)
        BadFree(pv);
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
    Slot* pSlot = s_heap.Find(pv);
    size_t cbOld = pSlot && pSlot->kind == kindCrt ? pSlot->cb : 0;
    s_heap.Unlock();
    if (!pSlot || pSlot->kind != kindCrt)
        BadFree(pv);
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
Slot* FindGlobal(HGLOBAL h)
{
    Slot* pSlot = s_heap.Find(DataOf(h));
    return pSlot && pSlot->kind == kindGlobal ? pSlot : NULL;
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
    Slot* pSlot = FindGlobal(h);
    s_heap.Unlock();
    return pSlot ? pSlot->pData : s_pfnGlobalLock(h);
}

BOOL WINAPI GlobalUnlockHook(HGLOBAL h)
{
    s_heap.Lock();
    Slot* pSlot = FindGlobal(h);
    s_heap.Unlock();
    // No lock count is kept: every unlock leaves the block unlocked.
    return pSlot ? FALSE : s_pfnGlobalUnlock(h);
}

HGLOBAL WINAPI GlobalHandleHook(LPCVOID pv)
{
    s_heap.Lock();
    Slot* pSlot = s_heap.Find(pv);
    bool bOurs = pSlot && pSlot->kind == kindGlobal;
    s_heap.Unlock();
    return bOurs ? HandleOf(pv) : s_pfnGlobalHandle(pv);
}

SIZE_T WINAPI GlobalSizeHook(HGLOBAL h)
{
    s_heap.Lock();
    Slot* pSlot = FindGlobal(h);
    SIZE_T cb = pSlot ? pSlot->cb : 0;
    s_heap.Unlock();
    return pSlot ? cb : s_pfnGlobalSize(h);
}

HGLOBAL WINAPI GlobalFreeHook(HGLOBAL h)
{
    s_heap.Lock();
    Slot* pSlot = FindGlobal(h);
    if (pSlot)
        s_heap.Free(pSlot);
    s_heap.Unlock();
    if (pSlot)
        return NULL;
    if (s_heap.Owns(DataOf(h)))
        BadFree(DataOf(h));
    return s_pfnGlobalFree(h);
}

HGLOBAL WINAPI GlobalReAllocHook(HGLOBAL h, SIZE_T cb, UINT uFlags)
{
    s_heap.Lock();
    Slot* pSlot = FindGlobal(h);
    size_t cbOld = pSlot ? pSlot->cb : 0;
    s_heap.Unlock();
    if (!pSlot)
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

// Puts the hooks into the module's slots of the functions it imports; false when it imports none.
bool Patch(const char* pszModule, const char* pszDll, Hook* pHooks, size_t nHooks)
{
    HMODULE hModule = pszModule ? GetModuleHandleA(pszModule) : GetModuleHandleA(NULL);
    if (!hModule || !s_heap.Init())
        return false;
    bool bAny = false;
    for (size_t i = 0; i < nHooks; ++i) {
        void** ppSlot = ImportSlot(hModule, pszDll, pHooks[i].pszName);
        if (!ppSlot)
            continue;
        bAny = true;
        if (*ppSlot == pHooks[i].pfnHook)
            continue;
        if (!*pHooks[i].ppfnSystem)
            *pHooks[i].ppfnSystem = *ppSlot;
        DWORD dwOld;
        VirtualProtect(ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
        *ppSlot = pHooks[i].pfnHook;
        VirtualProtect(ppSlot, sizeof(void*), dwOld, &dwOld);
    }
    return bAny;
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

void Enable(bool bOn)
{
    s_heap.Enable(bOn);
}

size_t LiveGlobalBlocks()
{
    return s_heap.LiveGlobal();
}

}  // namespace pageheap
}  // namespace harness
