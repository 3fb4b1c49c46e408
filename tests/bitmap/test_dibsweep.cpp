// Damaged bitmap files by the thousand: truncated at every offset and changed at random (fixed
// seed). While the sweep runs the library's memory blocks are the test's own: each file is loaded
// and drawn once with its block against a no-access page, which catches the library reading past
// it; and each file that loads is drawn twice more with different bytes behind its block, which
// catches GDI reading past it (Wine's GDI reads caller memory on its Unix side, where a fault on
// a no-access page is swallowed and never reaches this process's handlers). Error boxes are
// refused as they are created, so that each damaged file costs no box on the screen.
#include "bitmaptest.h"
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

// While the sweep runs, the library's global memory blocks are these: with a no-access page right
// behind each (a read of it is recorded before the process dies of it), or, with a tail byte set,
// with 64 KiB of that byte behind.
struct Block {
    BYTE *pBase, *pData;
    SIZE_T cb;
};
std::map<HGLOBAL, Block> s_blocks;
int s_nFaults, s_nTail = -1;   // s_nTail -1: a no-access page behind each block; else the byte behind it
std::string s_case;            // what the sweep is doing, told when a guard page is read
const SIZE_T cbTail = 0x10000, cbPage = 0x1000;

Block* Find(HGLOBAL h) { return s_blocks.count(h) ? &s_blocks[h] : NULL; }

HGLOBAL WINAPI Alloc(UINT, SIZE_T cb)
{
    if (cb > 0x10000000)   // the sweep's files are small: a larger size is a failed allocation
        return NULL;
    SIZE_T cbData = (cb + cbPage - 1) / cbPage * cbPage;
    BYTE* pBase = (BYTE*)VirtualAlloc(NULL, cbData + cbTail, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD dwOld;
    if (s_nTail < 0)
        VirtualProtect(pBase + cbData, cbPage, PAGE_NOACCESS, &dwOld);
    else
        memset(pBase + cbData, s_nTail, cbTail);
    s_blocks[(HGLOBAL)pBase] = { pBase, pBase + cbData - cb, cb };
    return (HGLOBAL)pBase;
}
LPVOID WINAPI Lock(HGLOBAL h) { return Find(h) ? Find(h)->pData : NULL; }
BOOL WINAPI Unlock(HGLOBAL) { return FALSE; }
HGLOBAL WINAPI Handle(LPCVOID pv)
{
    for (auto& b : s_blocks)
        if (b.second.pData == pv)
            return b.first;
    return NULL;
}
SIZE_T WINAPI Size(HGLOBAL h) { return Find(h) ? Find(h)->cb : 0; }
HGLOBAL WINAPI Free(HGLOBAL h)
{
    if (Find(h))
        VirtualFree(Find(h)->pBase, 0, MEM_RELEASE);
    s_blocks.erase(h);
    return NULL;
}
LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo)
{
    EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && pRec->NumberParameters >= 2)
        for (auto& b : s_blocks) {
            BYTE* pAt = (BYTE*)pRec->ExceptionInformation[1];
            if (pAt >= b.second.pData + b.second.cb && pAt < b.second.pData + b.second.cb + cbPage) {
                ++s_nFaults;
                fprintf(stderr, "read past a loaded block of %u bytes: %s\n", (unsigned)b.second.cb, s_case.c_str());
            }
        }
    return EXCEPTION_CONTINUE_SEARCH;
}

// Puts pfn into the import slot; returns what was there, to put back.
void* Patch(void** ppSlot, void* pfn)
{
    DWORD dwOld;
    void* pOld = *ppSlot;
    VirtualProtect(ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
    *ppSlot = pfn;
    VirtualProtect(ppSlot, sizeof(void*), dwOld, &dwOld);
    return pOld;
}

// Message boxes of this thread refused as they are created: MessageBox returns at once.
int s_nBoxes;
HHOOK s_hHook;
LRESULT CALLBACK RefuseBoxes(int nCode, WPARAM wParam, LPARAM lParam)
{
    char szClass[16];
    if (nCode == HCBT_CREATEWND && GetClassNameA((HWND)wParam, szClass, sizeof(szClass)) && strcmp(szClass, "#32770") == 0)
        return ++s_nBoxes;
    return CallNextHookEx(s_hHook, nCode, wParam, lParam);
}

// Loads the file with the tail given and draws it every way; the canvas afterwards, or "" when
// it was refused.
std::string LoadAndDraw(const std::string& path, Canvas& canvas, int nTail)
{
    s_nTail = nTail;
    canvas.Clear();
    int nBefore = s_nBoxes, bOk = -1;
    {
        CDIBitmapFile dib(path.c_str(), &bOk);
        if (bOk == 1) {
            dib.Draw(canvas.DC(), 0, 0);
            dib.Stretch(canvas.DC(), 0, 0, 48, 40);
            dib.StretchHalftone(canvas.DC(), 20, 20, 20, 10);
        }
    }
    EXPECT_TRUE(bOk == 0 || bOk == 1) << s_case;
    EXPECT_EQ(s_nBoxes - nBefore, bOk ? 0 : 1) << s_case;
    EXPECT_EQ(s_blocks.size(), 0u) << "a block kept: " << s_case;
    return bOk == 1 ? canvas.Rgb(0, 0, 48, 40) : std::string();
}

// Against the no-access page, and for a file that loads, with two different tails: what is
// drawn must not depend on what lies behind the loaded file.
void Check(const std::string& path, const std::string& file, Canvas& canvas, int tally[2])
{
    harness::WriteFileBytes(path, file);
    bool bLoaded = !LoadAndDraw(path, canvas, -1).empty();
    ++tally[bLoaded];
    if (bLoaded) {
        ASSERT_TRUE(LoadAndDraw(path, canvas, 0x00) == LoadAndDraw(path, canvas, 0xFF)) << "drawn from behind the block: " << s_case;
    }
}

}  // namespace

TEST(DIBitmapFileSweep, DamagedFilesNeverReadOutsideTheirBlock)
{
    const char* apis[] = { "GlobalAlloc", "GlobalLock", "GlobalUnlock", "GlobalHandle", "GlobalSize", "GlobalFree" };
    void* ours[] = { (void*)Alloc, (void*)Lock, (void*)Unlock, (void*)Handle, (void*)Size, (void*)Free };
    void** slots[6];
    for (int i = 0; i < 6; ++i)
        ASSERT_NE(slots[i] = ImportSlot(apis[i]), nullptr) << apis[i];
    struct Patched {   // put back however the test ends
        void*** slots;
        void** fns;
        PVOID hHandler = AddVectoredExceptionHandler(1, OnException);
        Patched(void*** s, void** f) : slots(s), fns(f) { Swap(); s_hHook = SetWindowsHookExA(WH_CBT, RefuseBoxes, NULL, GetCurrentThreadId()); }
        ~Patched() { UnhookWindowsHookEx(s_hHook); RemoveVectoredExceptionHandler(hHandler); Swap(); }
        void Swap() { for (int i = 0; i < 6; ++i) fns[i] = Patch(slots[i], fns[i]); }
    } patched(slots, ours);
    Canvas canvas(48, 40, RGB(1, 2, 3));
    std::string dir = harness::TempDir(), path = dir + "damaged.bmp";
    const char* names[] = { "core8", "info4", "rle8", "v5_16" };
    int tally[2] = {};   // refused, loaded
    std::mt19937 random(20261206);
    for (const char* name : names) {
        const std::string base = harness::ReadFileBytes(FixtureDir() + name + ".bmp");
        for (size_t cb = 0; cb < base.size(); ++cb) {
            // Cut short, and the same with bfSize saying so: the header and table checks get their turn.
            s_case = std::string(name) + " cut to " + std::to_string(cb);
            ASSERT_NO_FATAL_FAILURE(Check(path, base.substr(0, cb), canvas, tally));
            s_case += ", bfSize too";
            ASSERT_NO_FATAL_FAILURE(Check(path, Put<DWORD>(base.substr(0, cb), 2, (DWORD)cb), canvas, tally));
        }
        // Random changes, mostly in the headers and the colour table, where they steer the loader.
        for (int n = 0; n < 500; ++n) {
            std::string file = base;
            s_case = std::string(name) + " changed at";
            for (int k = 1 + random() % 4; k > 0; --k) {
                size_t at = random() % 4 ? random() % 80 : random() % file.size();
                if (at < file.size()) {
                    file[at] = (char)(random() % 3 ? random() : at == 2 || at == 3 ? file[at] - 1 : 0xFF);
                    s_case += " " + std::to_string(at);
                }
            }
            ASSERT_NO_FATAL_FAILURE(Check(path, file, canvas, tally));
        }
    }
    EXPECT_EQ(s_nFaults, 0);
    // Both ways are exercised, or the sweep proves little.
    EXPECT_GT(tally[1], 800);
    EXPECT_GT(tally[0], 2000);
    harness::RemoveTree(dir);
}
