// Damaged bitmap files by the thousand: truncated at every offset and changed at random (fixed
// seed). From this test on the library's global memory blocks come from the page heap: each file
// is loaded and drawn once with its block against a no-access page, which catches the library
// reading past it; and each file that loads is drawn twice more with different bytes behind its
// block, which catches GDI reading past it (Wine's GDI reads caller memory on its Unix side, where
// a fault on a no-access page is swallowed and never reaches this process's handlers). Error
// boxes are refused as they are created, so that each damaged file costs no box on the screen.
#include "bitmaptest.h"
#include "pageheap.h"
#include <gtest/gtest.h>
#include <random>

namespace {

std::string s_case;            // what the sweep is doing, told when a block is read past
int s_nFaults;

LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo)
{
    EXCEPTION_RECORD* pRec = pInfo->ExceptionRecord;
    if (pRec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && pRec->NumberParameters >= 2) {
        std::string what = harness::pageheap::Describe((void*)pRec->ExceptionInformation[1]);
        if (!what.empty()) {
            ++s_nFaults;
            fprintf(stderr, "%s: %s\n", what.c_str(), s_case.c_str());
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

harness::BoxRefuser* s_pBoxes;   // error boxes, refused as they are made

// Loads the file with the tail given and draws it every way; the canvas afterwards, or "" when
// it was refused.
std::string LoadAndDraw(const std::string& path, Canvas& canvas, int nTail)
{
    harness::pageheap::SetTail(nTail);
    canvas.Clear();
    int nBefore = s_pBoxes->Count(), bOk = -1;
    {
        CDIBitmapFile dib(path.c_str(), &bOk);
        if (bOk == 1) {
            dib.Draw(canvas.DC(), 0, 0);
            dib.Stretch(canvas.DC(), 0, 0, 48, 40);
            dib.StretchHalftone(canvas.DC(), 20, 20, 20, 10);
        }
    }
    EXPECT_TRUE(bOk == 0 || bOk == 1) << s_case;
    EXPECT_EQ(s_pBoxes->Count() - nBefore, bOk ? 0 : 1) << s_case;
    EXPECT_EQ(harness::pageheap::LiveGlobalBlocks(), 0u) << "a block kept: " << s_case;
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
    ASSERT_TRUE(harness::pageheap::InstallGlobal("BexLib32.dll"));
    struct Watched {   // undone however the test ends
        PVOID hHandler = AddVectoredExceptionHandler(1, OnException);
        harness::BoxRefuser boxes;
        Watched() { s_pBoxes = &boxes; }
        ~Watched() { s_pBoxes = NULL; RemoveVectoredExceptionHandler(hHandler); harness::pageheap::SetTail(-1); }
    } watched;
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
