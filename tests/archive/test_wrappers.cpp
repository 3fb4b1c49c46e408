// The archive wrappers against an answering stand-in: what they make of the libraries' answers,
// and the box for a library that cannot be used. What they hand over is checked end to end
// through our libraries in test_ziplibs.cpp; the blocks' layout, which the real libraries read,
// is pinned where they are declared.
#include "harness.h"
#include "BexLib32.h"
#include "ZipBlocks.h"
#include "zipstub.h"
#include <gtest/gtest.h>

namespace {

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

    HMODULE m_hZip = NULL, m_hUnzip = NULL;
};

}  // namespace

TEST_F(ArchiveWrappers, ZipDeletesTheOldArchiveAndFailuresAreReportedWithoutABox)
{
    std::string dir = harness::TempDir();
    harness::WriteFileBytes(dir + "old.zip", "PK old");
    harness::MsgBoxCatcher catcher;
    Setup(-1, 0, -1);
    CStringArray arr;
    EXPECT_EQ(Zip("a", (dir + "old.zip").c_str(), 1, 0, 0) + Unzip("a.zip", "d", 0) + ZipGetFileList("a.zip", arr, 0), 0);
    EXPECT_EQ(GetFileAttributesA((dir + "old.zip").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(catcher.Count(), 0u);
    harness::RemoveTree(dir);
}

TEST_F(ArchiveWrappers, ZipGetFileListTakesTheOpensCountAndReadsNamesWithinTheRecord)
{
    // The stand-in scribbles 0x7777 into the count on every call after the open: a wrapper that
    // took the count again would ask for more than three entries.
    Setup(0, 3, -1, { "dir/a.txt", "b.txt", std::string(272, 'n') });   // the last fills the record, no NUL
    CStringArray arr;
    arr.Add("stale");
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 1);
    EXPECT_EQ(Calls(m_hUnzip), 4);
    ASSERT_EQ(arr.GetSize(), 3);
    EXPECT_STREQ(arr[0], "dir\\a.txt");
    EXPECT_STREQ(arr[1], "b.txt");
    EXPECT_EQ(CString(arr[2]), CString('n', 271));
}

TEST_F(ArchiveWrappers, ZipGetFileListTrustsOnlyCountsUpTo65535AndFailsOnAFailedEntry)
{
    CStringArray arr;
    Setup(0, 65536, -1);
    EXPECT_EQ(ZipGetFileList("a.zip", arr, 1), 0);
    EXPECT_EQ(arr.GetSize(), 0);
    EXPECT_EQ(Calls(m_hUnzip), 1);
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
    harness::MsgBoxCatcher catcher;
    CStringArray arr;
    EXPECT_EQ(Zip("a", "b.zip", 1, 0, 0) + Unzip("a.zip", "d", 0) + ZipGetFileList("a.zip", arr, 1), 0);
    ASSERT_EQ(catcher.Count(), 2u);
    EXPECT_EQ(catcher.Boxes()[0].text + "|" + catcher.Boxes()[0].caption, "Failed to load library DZIP32.dll|Zip");
    EXPECT_EQ(catcher.Boxes()[1].text + "|" + catcher.Boxes()[1].caption, "Failed to load library DUNZIP32.dll|Unzip");
    EXPECT_EQ(catcher.Boxes()[0].icon, (UINT)MB_ICONHAND);
    EXPECT_EQ(Calls(m_hZip) + Calls(m_hUnzip), 0);

    // TearDown sees that our references were the last.
    FreeLibrary(m_hZip);
    FreeLibrary(m_hUnzip);
    Load(StubDir());
    harness::RemoveTree(dir);
}
