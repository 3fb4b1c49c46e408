// The archive wrappers against a recording stand-in: every byte of every block they hand over,
// what they make of the answers, and the boxes for a library that is missing.
#include "harness.h"
#include "BexLib32.h"
#include "ZipBlocks.h"
#include "zipstub.h"
#include <gtest/gtest.h>
#include <string.h>
#include <algorithm>

using harness::MsgBoxCatcher;

namespace {

// A field of a block at its offset for each width; every byte outside the listed fields is 0.
enum FieldKind { DW, PTR, W16 };
struct Field {
    int nOff32, nOff64;
    FieldKind kind;
    DWORD_PTR dwValue;      // for PTR: nonzero means "any non-NULL pointer"
};

void CheckBlock(const STUBCALL& call, size_t cbBlock, const std::vector<Field>& fields)
{
    const bool b64 = sizeof(void*) == 8;
    std::vector<bool> covered(cbBlock, false);
    for (const Field& f : fields) {
        size_t nOff = b64 ? f.nOff64 : f.nOff32;
        size_t cb = f.kind == DW ? 4 : f.kind == W16 ? 2 : sizeof(void*);
        ASSERT_LE(nOff + cb, cbBlock);
        DWORD_PTR dwActual = 0;
        memcpy(&dwActual, call.abBlock + nOff, cb);
        if (f.kind == PTR && f.dwValue) {
            EXPECT_NE(dwActual, 0u) << "pointer at " << nOff;
        } else {
            EXPECT_EQ(dwActual, f.dwValue) << "field at " << nOff;
        }
        for (size_t i = 0; i < cb; ++i)
            covered[nOff + i] = true;
    }
    for (size_t i = 0; i < cbBlock; ++i) {
        if (!covered[i]) {
            EXPECT_EQ(call.abBlock[i], 0) << "byte " << i << " of a field that is not set";
        }
    }
}

std::string StubDir() { return harness::ModuleDir() + "zipstub\\"; }

// Loads the recording stand-ins by path, so that the wrappers' LoadLibrary by name finds them.
class ArchiveWrappers : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetModuleHandleA("DZIP32.dll"), (HMODULE)NULL);
        ASSERT_EQ(GetModuleHandleA("DUNZIP32.dll"), (HMODULE)NULL);
        m_hZip = LoadLibraryA((StubDir() + "DZIP32.dll").c_str());
        m_hUnzip = LoadLibraryA((StubDir() + "DUNZIP32.dll").c_str());
        ASSERT_TRUE(m_hZip && m_hUnzip);
        Setup(0, 0, -1);
    }
    void TearDown() override
    {
        FreeLibrary(m_hZip);
        FreeLibrary(m_hUnzip);
        // Our reference was the last one: the wrappers freed whatever they loaded.
        EXPECT_EQ(GetModuleHandleA("DZIP32.dll"), (HMODULE)NULL);
        EXPECT_EQ(GetModuleHandleA("DUNZIP32.dll"), (HMODULE)NULL);
    }

    void Setup(int nResult, DWORD dwCount, int nFailAt)
    {
        for (HMODULE h : { m_hZip, m_hUnzip })
            ((STUBSETUPPROC)GetProcAddress(h, "StubSetup"))(nResult, dwCount, nFailAt);
    }
    void AddName(const std::string& str)
    {
        ((STUBADDNAMEPROC)GetProcAddress(m_hUnzip, "StubAddName"))(str.data(), (int)str.size());
    }
    static int Calls(HMODULE h) { return ((STUBCALLCOUNTPROC)GetProcAddress(h, "StubCallCount"))(); }
    static const STUBCALL& Call(HMODULE h, int i) { return *((STUBGETCALLPROC)GetProcAddress(h, "StubGetCall"))(i); }

    HMODULE m_hZip = NULL;
    HMODULE m_hUnzip = NULL;
};

}  // namespace

TEST_F(ArchiveWrappers, ZipFillsThePackBlockAndQuotesOnlyAListNotQuotedAlready)
{
    EXPECT_EQ(Zip("C:\\data\\*.txt", "C:\\out\\a b.zip", 0, 7, 1), 1);
    EXPECT_EQ(Zip("a", "b.zip", 5, -3, 0), 1);
    ASSERT_EQ(Calls(m_hZip), 2);
    const STUBCALL& call = Call(m_hZip, 0);
    CheckBlock(call, sizeof(DZIPCMD), {
        { 0, 0, DW, sizeof(DZIPCMD) }, { 4, 4, DW, 4 }, { 8, 8, PTR, 1 }, { 12, 16, PTR, 1 },
        { 36, 44, DW, 7 }, { 40, 48, DW, 9 }, { 44, 52, DW, 1 }, { 76, 84, DW, 1 } });
    EXPECT_EQ(sizeof(DZIPCMD), sizeof(void*) == 4 ? 188u : 196u);
    // The archive goes unquoted, the item list quoted.
    EXPECT_STREQ(call.szZipFile, "C:\\out\\a b.zip");
    EXPECT_STREQ(call.szItems, "\"C:\\data\\*.txt\"");
    const DZIPCMD& second = *(const DZIPCMD*)Call(m_hZip, 1).abBlock;
    EXPECT_EQ(second.bJunkPaths, 0);
    EXPECT_EQ(second.bRecurse, -3);
    EXPECT_EQ(second.bQuiet, 0);

    // A list that begins with a quote is passed as it stands.
    Zip("\"C:\\my files\\a.txt\" \"C:\\b.txt\"", "x.zip", 1, 0, 1);
    Zip("\"", "x.zip", 1, 0, 1);
    Zip("  \"a.txt\"", "x.zip", 1, 0, 1);
    EXPECT_STREQ(Call(m_hZip, 2).szItems, "\"C:\\my files\\a.txt\" \"C:\\b.txt\"");
    EXPECT_STREQ(Call(m_hZip, 3).szItems, "\"");
    EXPECT_STREQ(Call(m_hZip, 4).szItems, "\"  \"a.txt\"\"");
}

TEST_F(ArchiveWrappers, ZipDeletesTheOldArchiveAndReportsAFailureWithoutABox)
{
    std::string dir = harness::TempDir();
    harness::WriteFileBytes(dir + "old.zip", "PK old");
    MsgBoxCatcher catcher;
    Setup(-1, 0, -1);
    EXPECT_EQ(Zip("a", (dir + "old.zip").c_str(), 1, 0, 0), 0);
    EXPECT_EQ(GetFileAttributesA((dir + "old.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Unzip("a.zip", "d", 0), 0);
    EXPECT_EQ(catcher.Count(), 0u);
    harness::RemoveTree(dir);
}

TEST_F(ArchiveWrappers, UnzipFillsTheUnpackBlockWithQuotedPaths)
{
    EXPECT_EQ(Unzip("C:\\in\\a b.zip", "C:\\out dir", 1), 1);
    ASSERT_EQ(Calls(m_hUnzip), 1);
    const STUBCALL& call = Call(m_hUnzip, 0);
    CheckBlock(call, sizeof(DUNZIPCMD), {
        { 0, 0, DW, sizeof(DUNZIPCMD) }, { 4, 4, DW, 8 }, { 8, 8, PTR, 1 }, { 16, 24, PTR, 1 },
        { 24, 40, PTR, 1 }, { 36, 60, DW, 1 }, { 40, 64, DW, 1 }, { 52, 76, DW, 1 }, { 140, 164, W16, 0 } });
    EXPECT_EQ(sizeof(DUNZIPCMD), sizeof(void*) == 4 ? 142u : 166u);
    EXPECT_STREQ(call.szZipFile, "\"C:\\in\\a b.zip\"");
    EXPECT_STREQ(call.szFileSpec, "*.*");
    EXPECT_STREQ(call.szDestDir, "\"C:\\out dir\"");
    // Quoted even when the caller quoted already.
    Unzip("\"q.zip\"", "d", 0);
    EXPECT_STREQ(Call(m_hUnzip, 1).szZipFile, "\"\"q.zip\"\"");
    EXPECT_EQ(((const DUNZIPCMD*)Call(m_hUnzip, 1).abBlock)->bQuiet, 0);
}

TEST_F(ArchiveWrappers, ZipGetFileListOpensThenAsksForEachEntry)
{
    Setup(0, 3, -1);
    AddName("dir/a.txt");
    AddName("b.txt");
    AddName("x/y/z/");
    CStringArray arr;
    arr.Add("stale");
    EXPECT_EQ(ZipGetFileList("C:\\in\\a b.zip", arr, 1), 1);
    ASSERT_EQ(arr.GetSize(), 3);
    EXPECT_STREQ(arr[0], "dir\\a.txt");
    EXPECT_STREQ(arr[1], "b.txt");
    EXPECT_STREQ(arr[2], "x\\y\\z\\");

    // The stand-in scribbles 0x7777 at offset 76 on every call after the open: a wrapper that
    // took the count again would ask for more than three entries.
    ASSERT_EQ(Calls(m_hUnzip), 4);
    const STUBCALL& open = Call(m_hUnzip, 0);
    CheckBlock(open, sizeof(DUNZIPCMD), {
        { 0, 0, DW, sizeof(DUNZIPCMD) }, { 4, 4, DW, 1 }, { 8, 8, PTR, 1 }, { 12, 16, PTR, 0 },
        { 16, 24, PTR, 1 }, { 40, 64, DW, 1 }, { 52, 76, DW, 1 } });
    EXPECT_STREQ(open.szZipFile, "\"C:\\in\\a b.zip\"");
    EXPECT_STREQ(open.szFileSpec, "*.*");
    for (int i = 1; i < 4; ++i) {
        const STUBCALL& next = Call(m_hUnzip, i);
        CheckBlock(next, sizeof(DUNZIPCMD), {
            { 0, 0, DW, sizeof(DUNZIPCMD) }, { 4, 4, DW, 2 }, { 8, 8, PTR, 1 }, { 12, 16, PTR, 1 },
            { 16, 24, PTR, 1 }, { 40, 64, DW, 1 }, { 52, 76, DW, 1 }, { 76, 100, DW, i == 1 ? 3u : 0x7777u } });
        EXPECT_STREQ(next.szZipFile, "\"C:\\in\\a b.zip\"");
        EXPECT_EQ(next.pEntry, Call(m_hUnzip, 1).pEntry);
    }
    EXPECT_TRUE(Call(m_hUnzip, 1).bEntryZeroed);
}

TEST_F(ArchiveWrappers, ZipGetFileListTrustsOnlyCountsUpTo65535)
{
    CStringArray arr;
    for (DWORD dwCount : { 65536u, 0xFFFFFFFFu }) {
        Setup(0, dwCount, -1);
        EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
        EXPECT_EQ(arr.GetSize(), 0);
        EXPECT_EQ(Calls(m_hUnzip), 1);
    }
    Setup(0, 0, -1);
    arr.Add("stale");
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 1);
    EXPECT_EQ(arr.GetSize(), 0);
    Setup(3, 5, -1);
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    EXPECT_EQ(arr.GetSize(), 0);

    // The largest count is taken; the fourth entry fails and the names read so far stay.
    Setup(0, 65535, 3);
    AddName("one");
    AddName("two/2");
    AddName("three");
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    ASSERT_EQ(arr.GetSize(), 65535);
    EXPECT_STREQ(arr[1], "two\\2");
    EXPECT_STREQ(arr[2], "three");
    EXPECT_STREQ(arr[3], "");
    EXPECT_STREQ(arr[65534], "");
    EXPECT_EQ(Calls(m_hUnzip), 5);
}

TEST_F(ArchiveWrappers, ZipGetFileListReadsTheNameWithinTheRecord)
{
    Setup(0, 3, -1);
    AddName(std::string(271, 'a'));
    AddName(std::string(272, 'n'));     // fills the record to its last byte, no NUL
    AddName("short");
    CStringArray arr;
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 1);
    ASSERT_EQ(arr.GetSize(), 3);
    EXPECT_EQ(arr[0].GetLength(), 271);
    EXPECT_EQ(CString(arr[1]), CString('n', 271));
    EXPECT_STREQ(arr[2], "short");
}

TEST_F(ArchiveWrappers, AMissingEntryPointIsReportedAndTheLibraryFreed)
{
    // Each stand-in under the other's name: it loads, but lacks the entry point asked for.
    std::string dir = harness::TempDir();
    CopyFileA((StubDir() + "DUNZIP32.dll").c_str(), (dir + "DZIP32.dll").c_str(), FALSE);
    CopyFileA((StubDir() + "DZIP32.dll").c_str(), (dir + "DUNZIP32.dll").c_str(), FALSE);
    FreeLibrary(m_hZip);
    FreeLibrary(m_hUnzip);
    m_hZip = LoadLibraryA((dir + "DZIP32.dll").c_str());
    m_hUnzip = LoadLibraryA((dir + "DUNZIP32.dll").c_str());
    ASSERT_TRUE(m_hZip && m_hUnzip);

    MsgBoxCatcher catcher;
    EXPECT_EQ(Zip("a", "b.zip", 1, 0, 0), 0);
    ASSERT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(catcher.Last().text, "Failed to load library DZIP32.dll");
    EXPECT_EQ(catcher.Last().caption, "Zip");
    EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONHAND);
    CStringArray arr;
    EXPECT_EQ(Unzip("a.zip", "d", 1), 0);
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    EXPECT_EQ(catcher.Count(), 1u);
    EXPECT_EQ(Calls(m_hZip) + Calls(m_hUnzip), 0);

    // TearDown sees that our references were the last.
    FreeLibrary(m_hZip);
    FreeLibrary(m_hUnzip);
    m_hZip = LoadLibraryA((StubDir() + "DZIP32.dll").c_str());
    m_hUnzip = LoadLibraryA((StubDir() + "DUNZIP32.dll").c_str());
    harness::RemoveTree(dir);
}

// With the default search limited to the system directory, neither library can be found.
BEX_CHILD(archive_libraries_missing)
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    MsgBoxCatcher catcher;
    catcher.OnBox([](const harness::MsgBox& box) {
        printf("box: %s|%s|%u|%d\n", box.text.c_str(), box.caption.c_str(), box.icon, box.owner != NULL);
        fflush(stdout);
    });
    std::string dir = harness::TempDir();
    std::string strZip = dir + "old.zip";
    harness::WriteFileBytes(strZip, "PK old");
    // Each result is taken before the state it changed is looked at.
    int nResult = Zip("a.txt", strZip.c_str(), 1, 0, 0);
    printf("Zip loud %d, archive %s\n", nResult, GetFileAttributesA(strZip.c_str()) == INVALID_FILE_ATTRIBUTES ? "deleted" : "kept");
    harness::WriteFileBytes(strZip, "PK old");
    nResult = Zip("a.txt", strZip.c_str(), 1, 0, 1);
    printf("Zip quiet %d, archive %s\n", nResult, GetFileAttributesA(strZip.c_str()) == INVALID_FILE_ATTRIBUTES ? "deleted" : "kept");
    printf("Unzip loud %d\n", Unzip(strZip.c_str(), dir.c_str(), 0));
    printf("Unzip quiet %d\n", Unzip(strZip.c_str(), dir.c_str(), 1));
    CStringArray arr;
    arr.Add("stale");
    nResult = ZipGetFileList(strZip.c_str(), arr, 0);
    printf("List loud %d, %d names\n", nResult, (int)arr.GetSize());
    arr.Add("stale");
    nResult = ZipGetFileList(strZip.c_str(), arr, 1);
    printf("List quiet %d, %d names\n", nResult, (int)arr.GetSize());
    fflush(stdout);
    harness::RemoveTree(dir);
}

TEST(ArchiveLibrariesMissing, EachCallFailsWithABoxUnlessQuiet)
{
    harness::ChildResult r = harness::RunChild("archive_libraries_missing", 60000);
    ASSERT_FALSE(r.timedOut);
    const std::string expected =
        "box: Failed to load library DZIP32.dll|Zip|16|0\n"
        "Zip loud 0, archive deleted\n"
        "Zip quiet 0, archive deleted\n"
        "box: Failed to load library DUNZIP32.dll|Unzip|16|0\n"
        "Unzip loud 0\n"
        "Unzip quiet 0\n"
        "box: Failed to load library DUNZIP32.dll|Unzip|16|0\n"
        "List loud 0, 0 names\n"
        "List quiet 0, 0 names\n";
    std::string output = r.output;
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    EXPECT_EQ(output, expected);
}
