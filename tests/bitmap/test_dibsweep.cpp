// Damaged bitmap files by the thousand: truncated at every offset and changed at random (fixed
// seed). While the sweep runs the library's memory blocks are the test's own: each file is loaded
// and drawn once with its block against a no-access page, which catches the library reading past
// it; and each file that loads is drawn twice more with different bytes behind its block, which
// catches GDI reading past it (Wine's GDI reads caller memory on its Unix side, where a fault on
// a no-access page is swallowed and never reaches this process's handlers). Error boxes are
// refused as they are created, so that each damaged file costs no box on the screen.
#include "BexLib32.h"
#include "bitmaptest.h"
#include "dibbytes.h"
#include "harness.h"
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

// The slot of BexLib32.dll's import table through which it calls pszName of kernel32.
void** ImportSlot(const char* pszName)
{
    BYTE* pBase = (BYTE*)GetModuleHandleA("BexLib32.dll");
    IMAGE_NT_HEADERS* pNt = (IMAGE_NT_HEADERS*)(pBase + ((IMAGE_DOS_HEADER*)pBase)->e_lfanew);
    IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* pImp = (IMAGE_IMPORT_DESCRIPTOR*)(pBase + dir.VirtualAddress); pImp->Name; ++pImp) {
        if (_stricmp((char*)pBase + pImp->Name, "kernel32.dll") != 0)
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

// While it lives, the library's global memory blocks are this class's: with a no-access page
// right behind each (a read of it is recorded before the process dies of it), or, with a tail
// byte set, with 64 KiB of that byte behind.
class GuardedGlobals
{
public:
    GuardedGlobals()
    {
        Patch("GlobalAlloc", (void*)Alloc);
        Patch("GlobalLock", (void*)Lock);
        Patch("GlobalUnlock", (void*)Unlock);
        Patch("GlobalHandle", (void*)Handle);
        Patch("GlobalSize", (void*)Size);
        Patch("GlobalFree", (void*)Free);
        m_hHandler = AddVectoredExceptionHandler(1, OnException);
    }
    ~GuardedGlobals()
    {
        RemoveVectoredExceptionHandler(m_hHandler);
        for (auto& p : m_patched)
            Write(p.first, p.second);
    }
    bool AllPatched() const { return m_patched.size() == 6; }
    static size_t Live() { return s_blocks.size(); }
    static int Faults() { return s_nFaults; }
    static int s_nTail;          // -1: a no-access page behind each block; else the byte behind it
    static std::string s_case;   // what the sweep is doing, told when a guard page is read

private:
    struct BlockInfo {
        BYTE* pBase;
        BYTE* pData;
        SIZE_T cb;
    };
    enum { cbTail = 0x10000, cbPage = 0x1000 };

    void Patch(const char* pszName, void* pfn)
    {
        if (void** ppSlot = ImportSlot(pszName)) {
            m_patched.push_back({ ppSlot, *ppSlot });
            Write(ppSlot, pfn);
        }
    }
    static void Write(void** ppSlot, void* pfn)
    {
        DWORD dwOld;
        VirtualProtect(ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
        *ppSlot = pfn;
        VirtualProtect(ppSlot, sizeof(void*), dwOld, &dwOld);
    }
    static BlockInfo* Block(HGLOBAL h)
    {
        auto it = s_blocks.find(h);
        return it != s_blocks.end() ? &it->second : NULL;
    }

    static HGLOBAL WINAPI Alloc(UINT, SIZE_T cb)
    {
        if (cb > 0x10000000)   // the sweep's files are small: a larger size is a failed allocation
            return NULL;
        SIZE_T cbData = (cb + cbPage - 1) / cbPage * cbPage;
        BlockInfo b;
        b.pBase = (BYTE*)VirtualAlloc(NULL, cbData + cbTail, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        b.pData = b.pBase + cbData - cb;
        b.cb = cb;
        DWORD dwOld;
        if (s_nTail < 0)
            VirtualProtect(b.pBase + cbData, cbPage, PAGE_NOACCESS, &dwOld);
        else
            memset(b.pBase + cbData, s_nTail, cbTail);
        HGLOBAL h = (HGLOBAL)b.pBase;
        s_blocks[h] = b;
        return h;
    }
    static LPVOID WINAPI Lock(HGLOBAL h) { return Block(h) ? Block(h)->pData : NULL; }
    static BOOL WINAPI Unlock(HGLOBAL) { return FALSE; }
    static HGLOBAL WINAPI Handle(LPCVOID pv)
    {
        for (auto& b : s_blocks)
            if (b.second.pData == pv)
                return b.first;
        return NULL;
    }
    static SIZE_T WINAPI Size(HGLOBAL h) { return Block(h) ? Block(h)->cb : 0; }
    static HGLOBAL WINAPI Free(HGLOBAL h)
    {
        if (Block(h))
            VirtualFree(Block(h)->pBase, 0, MEM_RELEASE);
        s_blocks.erase(h);
        return NULL;
    }
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo)
    {
        EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
        if (pRec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && pRec->NumberParameters >= 2) {
            BYTE* pAt = (BYTE*)pRec->ExceptionInformation[1];
            for (auto& b : s_blocks)
                if (pAt >= b.second.pData + b.second.cb && pAt < b.second.pData + b.second.cb + cbPage) {
                    ++s_nFaults;
                    fprintf(stderr, "read past a loaded block of %u bytes: %s\n", (unsigned)b.second.cb, s_case.c_str());
                }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    std::vector<std::pair<void**, void*>> m_patched;
    PVOID m_hHandler;
    static std::map<HGLOBAL, BlockInfo> s_blocks;
    static int s_nFaults;
};
std::map<HGLOBAL, GuardedGlobals::BlockInfo> GuardedGlobals::s_blocks;
int GuardedGlobals::s_nFaults;
int GuardedGlobals::s_nTail = -1;
std::string GuardedGlobals::s_case;

struct Tally {
    int nLoaded = 0, nRefused = 0;
};

// Message boxes of this thread refused as they are created: MessageBox returns at once.
class BoxRefuser
{
public:
    BoxRefuser() { s_hHook = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId()); s_nBoxes = 0; }
    ~BoxRefuser() { UnhookWindowsHookEx(s_hHook); }
    static int s_nBoxes;

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
    {
        char szClass[16];
        if (nCode == HCBT_CREATEWND && GetClassNameA((HWND)wParam, szClass, sizeof(szClass)) && strcmp(szClass, "#32770") == 0) {
            ++s_nBoxes;
            return 1;
        }
        return CallNextHookEx(s_hHook, nCode, wParam, lParam);
    }
    static HHOOK s_hHook;
};
int BoxRefuser::s_nBoxes;
HHOOK BoxRefuser::s_hHook;


// Loads the file and draws it every way; the canvas afterwards, or "" when it was refused.
std::string LoadAndDraw(const std::string& path, Canvas& canvas)
{
    canvas.Clear();
    int nBefore = BoxRefuser::s_nBoxes;
    int bOk = -1;
    {
        CDIBitmapFile dib(path.c_str(), &bOk);
        if (bOk == 1) {
            dib.Draw(canvas.DC(), 0, 0);
            dib.Stretch(canvas.DC(), 0, 0, 48, 40);
            dib.StretchHalftone(canvas.DC(), 20, 20, 20, 10);
            dib.GetWidth();
            dib.GetHeight();
        }
    }
    EXPECT_TRUE(bOk == 0 || bOk == 1) << GuardedGlobals::s_case;
    EXPECT_EQ(BoxRefuser::s_nBoxes - nBefore, bOk ? 0 : 1) << GuardedGlobals::s_case;
    EXPECT_EQ(GuardedGlobals::Live(), 0u) << "a block kept: " << GuardedGlobals::s_case;
    return bOk == 1 ? canvas.Rgb(0, 0, 48, 40) : std::string();
}

// Against the no-access page, and for a file that loads, with two different tails: what is
// drawn must not depend on what lies behind the loaded file.
void Check(const std::string& path, const std::string& file, Canvas& canvas, Tally& tally)
{
    harness::WriteFileBytes(path, file);
    GuardedGlobals::s_nTail = -1;
    std::string drawn = LoadAndDraw(path, canvas);
    if (drawn.empty()) {
        ++tally.nRefused;
        return;
    }
    ++tally.nLoaded;
    GuardedGlobals::s_nTail = 0x00;
    std::string withZeros = LoadAndDraw(path, canvas);
    GuardedGlobals::s_nTail = 0xFF;
    ASSERT_TRUE(LoadAndDraw(path, canvas) == withZeros) << "drawn from behind the block: " << GuardedGlobals::s_case;
    GuardedGlobals::s_nTail = -1;
}

}  // namespace

TEST(DIBitmapFileSweep, DamagedFilesNeverReadOutsideTheirBlock)
{
    GuardedGlobals guard;
    ASSERT_TRUE(guard.AllPatched());
    BoxRefuser refuser;
    Canvas canvas(48, 40, RGB(1, 2, 3));
    std::string dir = harness::TempDir(), path = dir + "damaged.bmp";
    const char* names[] = { "core8", "info4", "rle4", "rle8", "v5_16" };
    std::vector<std::string> bases;
    for (const char* name : names)
        bases.push_back(harness::ReadFileBytes(FixtureDir() + name + ".bmp"));

    Tally tally;
    for (size_t i = 0; i < bases.size(); ++i) {
        const std::string& base = bases[i];
        for (size_t cb = 0; cb < base.size(); ++cb) {
            GuardedGlobals::s_case = std::string(names[i]) + " cut to " + std::to_string(cb);
            ASSERT_NO_FATAL_FAILURE(Check(path, base.substr(0, cb), canvas, tally));
            // The same with bfSize saying so: the header and table checks get their turn.
            if (cb >= 6) {
                std::string cut = base.substr(0, cb);
                Put<DWORD>(cut, 2, (DWORD)cb);
                GuardedGlobals::s_case += ", bfSize too";
                ASSERT_NO_FATAL_FAILURE(Check(path, cut, canvas, tally));
            }
        }
    }

    // Random changes, mostly in the headers and the colour table, where they steer the loader.
    std::mt19937 random(20261206);
    for (int n = 0; n < 2000; ++n) {
        size_t i = n % bases.size();
        std::string file = bases[i];
        GuardedGlobals::s_case = std::string(names[i]) + " changed at";
        for (int k = 1 + random() % 4; k > 0; --k) {
            size_t at = random() % 4 ? random() % 80 : random() % file.size();
            if (at < file.size()) {
                file[at] = (char)(random() % 3 ? random() : at == 2 || at == 3 ? file[at] - 1 : 0xFF);
                GuardedGlobals::s_case += " " + std::to_string(at);
            }
        }
        ASSERT_NO_FATAL_FAILURE(Check(path, file, canvas, tally));
    }
    EXPECT_EQ(GuardedGlobals::Faults(), 0);
    // Both ways are exercised, or the sweep proves little.
    EXPECT_GT(tally.nLoaded, 1000);
    EXPECT_GT(tally.nRefused, 2000);
    printf("%d damaged files loaded and drawn, %d refused\n", tally.nLoaded, tally.nRefused);
    harness::RemoveTree(dir);
}
