// The archive wrappers against a recording stand-in: the blocks they hand over, what they make
// of the answers, and the box for a library that cannot be used.
#include "harness.h"
#include "BexLib32.h"
#include "ZipBlocks.h"
#include "zipstub.h"
#include <gtest/gtest.h>
#include <string.h>
#include <algorithm>

namespace {

// A field at its offset for each width; every byte outside the listed fields must be 0.
enum FieldKind { DW, PTR, W16 };
struct Field {
    int nOff32, nOff64;
    FieldKind kind;
    DWORD_PTR dwValue;      // for PTR: nonzero means "any non-NULL pointer"
};

void CheckBlock(const STUBCALL& call, size_t cbBlock, const std::vector<Field>& fields)
{
    std::vector<bool> covered(cbBlock, false);
    for (const Field& f : fields) {
        size_t nOff = sizeof(void*) == 8 ? f.nOff64 : f.nOff32;
        size_t cb = f.kind == DW ? 4 : f.kind == W16 ? 2 : sizeof(void*);
        DWORD_PTR dw = 0;
        memcpy(&dw, call.abBlock + nOff, cb);
        if (f.kind == PTR && f.dwValue)
            EXPECT_NE(dw, 0u) << "pointer at " << nOff;
        else
            EXPECT_EQ(dw, f.dwValue) << "field at " << nOff;
        std::fill(covered.begin() + nOff, covered.begin() + nOff + cb, true);
    }
    for (size_t i = 0; i < cbBlock; ++i)
        EXPECT_TRUE(covered[i] || call.abBlock[i] == 0) << "byte " << i << " of a field that is not set";
}

std::string StubDir() { return harness::ModuleDir() + "zipstub\\"; }

// Loads the stand-ins by path, so that the wrappers' LoadLibrary by name finds them.
class ArchiveWrappers : public testing::Test {
protected:
    void SetUp() override { Load(StubDir()); }
    void TearDown() override
    {
        FreeLibrary(m_hZip);
        FreeLibrary(m_hUnzip);
        // Our reference was the last one: the wrappers freed whatever they loaded.
        EXPECT_EQ(GetModuleHandleA("DZIP32.dll"), (HMODULE)NULL);
        EXPECT_EQ(GetModuleHandleA("DUNZIP32.dll"), (HMODULE)NULL);
    }
    void Load(const std::string& dir)
    {
        m_hZip = LoadLibraryA((dir + "DZIP32.dll").c_str());
        m_hUnzip = LoadLibraryA((dir + "DUNZIP32.dll").c_str());
        ASSERT_TRUE(m_hZip && m_hUnzip);
        Setup(0, 0, -1);
    }
    void Setup(int nResult, DWORD dwCount, int nFailAt, std::vector<std::string> names = {})
    {
        for (HMODULE h : { m_hZip, m_hUnzip })
            ((STUBSETUPPROC)GetProcAddress(h, "StubSetup"))(nResult, dwCount, nFailAt);
        for (const std::string& str : names)
            ((STUBADDNAMEPROC)GetProcAddress(m_hUnzip, "StubAddName"))(str.data(), (int)str.size());
    }
    static int Calls(HMODULE h) { return ((STUBCALLCOUNTPROC)GetProcAddress(h, "StubCallCount"))(); }
    static const STUBCALL& Call(HMODULE h, int i) { return *((STUBGETCALLPROC)GetProcAddress(h, "StubGetCall"))(i); }

    HMODULE m_hZip = NULL, m_hUnzip = NULL;
};

}  // namespace

TEST_F(ArchiveWrappers, ZipAndUnzipFillTheirBlocksAndQuoteAsTheLibrariesExpect)
{
    EXPECT_EQ(Zip("C:\\data\\*.txt", "C:\\out\\a b.zip", 0, 7, 1), 1);
    EXPECT_EQ(Zip("\"C:\\my files\\a.txt\" \"C:\\b.txt\"", "x.zip", 5, 0, 0), 1);
    ASSERT_EQ(Calls(m_hZip), 2);
    CheckBlock(Call(m_hZip, 0), sizeof(DZIPCMD), {
        { 0, 0, DW, sizeof(DZIPCMD) }, { 4, 4, DW, 4 }, { 8, 8, PTR, 1 }, { 12, 16, PTR, 1 },
        { 36, 44, DW, 7 }, { 40, 48, DW, 9 }, { 44, 52, DW, 1 }, { 76, 84, DW, 1 } });
    EXPECT_EQ(sizeof(DZIPCMD), sizeof(void*) == 4 ? 188u : 196u);
    // The archive goes unquoted, the item list quoted unless it begins with a quote.
    EXPECT_STREQ(Call(m_hZip, 0).szZipFile, "C:\\out\\a b.zip");
    EXPECT_STREQ(Call(m_hZip, 0).szItems, "\"C:\\data\\*.txt\"");
    EXPECT_STREQ(Call(m_hZip, 1).szItems, "\"C:\\my files\\a.txt\" \"C:\\b.txt\"");
    EXPECT_EQ(((const DZIPCMD*)Call(m_hZip, 1).abBlock)->bJunkPaths, 0);

    EXPECT_EQ(Unzip("C:\\in\\a b.zip", "C:\\out dir", 1), 1);
    const STUBCALL& call = Call(m_hUnzip, 0);
    CheckBlock(call, sizeof(DUNZIPCMD), {
        { 0, 0, DW, sizeof(DUNZIPCMD) }, { 4, 4, DW, 8 }, { 8, 8, PTR, 1 }, { 16, 24, PTR, 1 },
        { 24, 40, PTR, 1 }, { 36, 60, DW, 1 }, { 40, 64, DW, 1 }, { 52, 76, DW, 1 }, { 140, 164, W16, 0 } });
    EXPECT_EQ(sizeof(DUNZIPCMD), sizeof(void*) == 4 ? 142u : 166u);
    EXPECT_STREQ(call.szZipFile, "\"C:\\in\\a b.zip\"");
    EXPECT_STREQ(call.szFileSpec, "*.*");
    EXPECT_STREQ(call.szDestDir, "\"C:\\out dir\"");
}

TEST_F(ArchiveWrappers, ZipDeletesTheOldArchiveAndReportsAFailureWithoutABox)
{
    std::string dir = harness::TempDir();
    harness::WriteFileBytes(dir + "old.zip", "PK old");
    harness::MsgBoxCatcher catcher;
    Setup(-1, 0, -1);
    EXPECT_EQ(Zip("a", (dir + "old.zip").c_str(), 1, 0, 0), 0);
    EXPECT_EQ(GetFileAttributesA((dir + "old.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Unzip("a.zip", "d", 0), 0);
    CStringArray arr;
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 0), 0);
    EXPECT_EQ(catcher.Count(), 0u);
    harness::RemoveTree(dir);
}

TEST_F(ArchiveWrappers, ZipGetFileListOpensThenAsksForEachEntry)
{
    Setup(0, 3, -1, { "dir/a.txt", "b.txt", std::string(272, 'n') });   // the last fills the record, no NUL
    CStringArray arr;
    arr.Add("stale");
    EXPECT_EQ(ZipGetFileList("C:\\in\\a b.zip", arr, 1), 1);
    ASSERT_EQ(arr.GetSize(), 3);
    EXPECT_STREQ(arr[0], "dir\\a.txt");
    EXPECT_STREQ(arr[1], "b.txt");
    EXPECT_EQ(CString(arr[2]), CString('n', 271));

    // The stand-in scribbles 0x7777 into the count on every call after the open: a wrapper that
    // took the count again would ask for more than three entries.
    ASSERT_EQ(Calls(m_hUnzip), 4);
    CheckBlock(Call(m_hUnzip, 0), sizeof(DUNZIPCMD), {
        { 0, 0, DW, sizeof(DUNZIPCMD) }, { 4, 4, DW, 1 }, { 8, 8, PTR, 1 }, { 12, 16, PTR, 0 },
        { 16, 24, PTR, 1 }, { 40, 64, DW, 1 }, { 52, 76, DW, 1 } });
    EXPECT_STREQ(Call(m_hUnzip, 0).szZipFile, "\"C:\\in\\a b.zip\"");
    CheckBlock(Call(m_hUnzip, 2), sizeof(DUNZIPCMD), {
        { 0, 0, DW, sizeof(DUNZIPCMD) }, { 4, 4, DW, 2 }, { 8, 8, PTR, 1 }, { 12, 16, PTR, 1 },
        { 16, 24, PTR, 1 }, { 40, 64, DW, 1 }, { 52, 76, DW, 1 }, { 76, 100, DW, 0x7777 } });
    EXPECT_TRUE(Call(m_hUnzip, 1).bEntryZeroed);
}

TEST_F(ArchiveWrappers, ZipGetFileListTrustsOnlyCountsUpTo65535AndFailsOnAFailedEntry)
{
    CStringArray arr;
    Setup(0, 65536, -1);
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    EXPECT_EQ(arr.GetSize(), 0);
    EXPECT_EQ(Calls(m_hUnzip), 1);
    Setup(3, 5, -1);
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    // The largest count is taken; the fourth entry fails and the listing with it.
    Setup(0, 65535, 3, { "one", "two", "three" });
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    EXPECT_EQ(Calls(m_hUnzip), 5);
}

TEST_F(ArchiveWrappers, ALibraryWithoutItsEntryPointIsReportedAndFreed)
{
    // Each stand-in under the other's name: it loads, but lacks the entry point asked for.
    std::string dir = harness::TempDir();
    CopyFileA((StubDir() + "DUNZIP32.dll").c_str(), (dir + "DZIP32.dll").c_str(), FALSE);
    CopyFileA((StubDir() + "DZIP32.dll").c_str(), (dir + "DUNZIP32.dll").c_str(), FALSE);
    FreeLibrary(m_hZip);
    FreeLibrary(m_hUnzip);
    Load(dir);
    harness::WriteFileBytes(dir + "old.zip", "PK old");

    harness::MsgBoxCatcher catcher;
    EXPECT_EQ(Zip("a", (dir + "old.zip").c_str(), 1, 0, 1), 0);
    EXPECT_EQ(GetFileAttributesA((dir + "old.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Zip("a", "b.zip", 1, 0, 0), 0);
    EXPECT_EQ(Unzip("a.zip", "d", 0), 0);
    CStringArray arr;
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    ASSERT_EQ(catcher.Count(), 2u);
    EXPECT_EQ(catcher.Boxes()[0].text, "Failed to load library DZIP32.dll");
    EXPECT_EQ(catcher.Boxes()[0].caption, "Zip");
    EXPECT_EQ(catcher.Boxes()[0].icon, (UINT)MB_ICONHAND);
    EXPECT_EQ(catcher.Boxes()[1].text, "Failed to load library DUNZIP32.dll");
    EXPECT_EQ(catcher.Boxes()[1].caption, "Unzip");
    EXPECT_EQ(Calls(m_hZip) + Calls(m_hUnzip), 0);

    // TearDown sees that our references were the last.
    FreeLibrary(m_hZip);
    FreeLibrary(m_hUnzip);
    Load(StubDir());
    harness::RemoveTree(dir);
}
