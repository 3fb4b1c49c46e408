// Writing record files: the bytes on disk, the states and error codes of the writer, both
// failure modes (FALSE with the last error, or a CFileException* caught here, across the DLL
// boundary), and a real write failure.
#include "harness.h"
#include "BexLib32.h"
#include "recbytes.h"
#include <gtest/gtest.h>

using namespace recbytes;

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Nobody else can open a file while a CRecFile has it: a successful exclusive open proves that
// the object has let go of it.
bool Released(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

std::string FullPath(const std::string& path)
{
    char sz[MAX_PATH];
    GetFullPathNameA(path.c_str(), MAX_PATH, sz, NULL);
    return sz;
}

class RecWrite : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = harness::TempDir();
        m_path = m_dir + "test.rec";
    }
    void TearDown() override { harness::RemoveTree(m_dir); }
    std::string m_dir, m_path;
};

}  // namespace

TEST_F(RecWrite, ASmallFileByteForByte)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 7, 2, ""));
    CString strTime;
    ASSERT_TRUE(f.GetCreationTime(strTime));
    SYSTEMTIME st;
    ASSERT_TRUE(f.GetCreationTime(&st));
    char szExpected[40];
    sprintf(szExpected, "%02u/%02u/%u %02u:%02u:%02u", st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond);
    EXPECT_STREQ(strTime, szExpected);

    std::string header = HeaderText(7, 2, (LPCSTR)strTime, "");
    EXPECT_EQ(f.GetRecFilePointer(), 43 + 20 + header.size());
    ASSERT_TRUE(f.WriteRec(9, 4, 3, "abc"));
    ASSERT_TRUE(f.Close());

    std::string bytes = harness::ReadFileBytes(m_path);
    EXPECT_EQ(bytes, FileID() + Record(0, 1, header) + Record(9, 4, "abc"));
    // Fixed points of the format, independent of the helpers above.
    ASSERT_EQ(bytes.size(), 43 + 20 + header.size() + 20 + 3);
    EXPECT_EQ(bytes.compare(0, 43, std::string("Kelm-Ostrand Engineering, Record Archive\n\x1a\0", 43)), 0);
    EXPECT_EQ(bytes.compare(43, 4, "****"), 0);
    EXPECT_EQ(DwordAt(bytes, 47), 0u);              // the header record: type 0, version 1
    EXPECT_EQ(DwordAt(bytes, 51), 1u);
    EXPECT_EQ(DwordAt(bytes, 55), header.size());   // its text's NUL is counted
    size_t rec = 43 + 20 + header.size();
    EXPECT_EQ(DwordAt(bytes, rec + 12), 3u);
    EXPECT_EQ(DwordAt(bytes, rec + 16), 0x246u);    // rotate-XOR of "abc"
}

TEST_F(RecWrite, DataInPiecesGivesTheSameRecordAsOneBlock)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, "pieces"));
    DWORD dwStart = f.GetRecFilePointer();
    ASSERT_TRUE(f.WriteRecBegin(3, 8));
    ASSERT_TRUE(f.WriteRecData("a", 1));
    ASSERT_TRUE(f.WriteRecData(NULL, 0));
    ASSERT_TRUE(f.WriteRecData("bc", 2));
    ASSERT_TRUE(f.WriteRecEnd());
    EXPECT_EQ(f.GetRecFilePointer(), dwStart + 23);
    ASSERT_TRUE(f.WriteRec(4, 1, 0, NULL));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(harness::ReadFileBytes(m_path).substr(dwStart), Record(3, 8, "abc") + Record(4, 1, ""));
}

TEST_F(RecWrite, TheLongestDescriptionIsStoredAndOneMoreIsRefusedWithoutAFile)
{
    std::string desc(1024, 'd');
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, desc.c_str()));
    ASSERT_TRUE(f.Close());
    ASSERT_TRUE(f.Open(m_path.c_str(), 1));
    EXPECT_EQ(std::string(f.GetDesc()), desc);
    ASSERT_TRUE(f.Close());

    std::string other = m_dir + "other.rec";
    desc += 'd';
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.Create(other.c_str(), 1, 1, desc.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(Exists(other));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.Create(other.c_str(), 1, 1, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(Exists(other));
    // A failed Create leaves the object ready at once.
    EXPECT_TRUE(f.Create(other.c_str(), 1, 1, "ok"));
}

TEST_F(RecWrite, CreateReplacesAnExistingFile)
{
    harness::WriteFileBytes(m_path, std::string(5000, 'o'));
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, ""));
    DWORD dwEnd = f.GetRecFilePointer();
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(harness::ReadFileBytes(m_path).size(), dwEnd);
}

TEST_F(RecWrite, CreateInAMissingDirectoryReportsTheSystemsCode)
{
    CRecFile f(FALSE);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.Create((m_dir + "no\\such\\dir\\x.rec").c_str(), 1, 1, ""));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(f.Create(m_path.c_str(), 1, 1, ""));
}

TEST_F(RecWrite, AnErrorClosesTheFileAndOnlyCloseMakesTheObjectUsableAgain)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, ""));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.WriteRecData("x", 1));   // no record begun
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(Released(m_path));
    EXPECT_FALSE(f.WriteRecBegin(1, 1));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(f.Create(m_path.c_str(), 1, 1, ""));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(f.Open(m_path.c_str(), 1));
    EXPECT_FALSE(f.Close());                // nothing was open
    EXPECT_TRUE(f.Create(m_path.c_str(), 1, 1, ""));
    EXPECT_TRUE(f.Close());
    EXPECT_FALSE(f.Close());
}

TEST_F(RecWrite, OperationsOutOfOrderFailWithInvalidFunction)
{
    CRecFile f(FALSE);
    // On a closed object
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.WriteRecBegin(1, 1));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_EQ(f.GetRecFilePointer(), 0xFFFFFFFFu);
    DWORD dw = 0;
    EXPECT_FALSE(f.GetFileType(dw));
    EXPECT_EQ(dw, 0xFFFFFFFFu);
    EXPECT_EQ(f.GetDesc(), nullptr);

    struct Step {
        const char* name;
        std::function<BOOL(CRecFile&)> call;
    } steps[] = {
        { "WriteRecEnd between records", [](CRecFile& r) { return r.WriteRecEnd(); } },
        { "WriteRecBegin twice", [](CRecFile& r) { return r.WriteRecBegin(1, 1) && r.WriteRecBegin(1, 1); } },
        { "GetRecFilePointer inside a record",
          [](CRecFile& r) { return r.WriteRecBegin(1, 1) && r.GetRecFilePointer() != 0xFFFFFFFF; } },
        { "FindNextRec while writing", [](CRecFile& r) { return r.FindNextRec(); } },
        { "ReadRecBegin while writing", [](CRecFile& r) {
              CRecFile::tagRECHDR hdr;
              return r.ReadRecBegin(&hdr);
          } },
        { "WriteRecData with no data", [](CRecFile& r) { return r.WriteRecBegin(1, 1) && r.WriteRecData(NULL, 4); } },
    };
    for (const Step& step : steps) {
        CRecFile g(FALSE);
        ASSERT_TRUE(g.Create(m_path.c_str(), 1, 1, ""));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(step.call(g)) << step.name;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION) << step.name;
        EXPECT_TRUE(Released(m_path)) << step.name;
    }
}

TEST_F(RecWrite, ARecordCannotGrowPastWhatItsLengthFieldHolds)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, ""));
    ASSERT_TRUE(f.WriteRecBegin(1, 1));
    ASSERT_TRUE(f.WriteRecData("x", 1));
    harness::GuardedBuffer buf(16);
    SetLastError(0xdeadbeef);
    // Refused before a byte is taken from the buffer.
    EXPECT_FALSE(f.WriteRecData(buf.Data(), 0xFFFFFFFF));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
}

TEST_F(RecWrite, AppendingToAnOpenedFile)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 4, 1, "log"));
    ASSERT_TRUE(f.WriteRec(1, 1, 5, "first"));
    ASSERT_TRUE(f.Close());
    std::string before = harness::ReadFileBytes(m_path);

    ASSERT_TRUE(f.Open(m_path.c_str(), 4, TRUE));
    EXPECT_EQ(f.GetRecFilePointer(), before.size());
    ASSERT_TRUE(f.WriteRec(2, 1, 6, "second"));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(harness::ReadFileBytes(m_path), before + Record(2, 1, "second"));
}

TEST_F(RecWrite, TheThrowFlagThrowsAFileExceptionNamingTheFullPath)
{
    CRecFile f;   // throws by default
    SetCurrentDirectoryA(m_dir.c_str());
    bool bCaught = false;
    try {
        f.Create("relative.rec", 1, 1, std::string(1025, 'x').c_str());
    } catch (CFileException* e) {
        bCaught = true;
        EXPECT_EQ(e->m_lOsError, ERROR_INVALID_FUNCTION);
        EXPECT_EQ(e->m_cause, CFileException::generic);
        EXPECT_STREQ(e->m_strFileName, FullPath(m_dir + "relative.rec").c_str());
        e->Delete();
    }
    EXPECT_TRUE(bCaught);
    EXPECT_FALSE(Exists(m_dir + "relative.rec"));

    // Left as after a quiet failure: ready after a failed Create, closed after any other.
    ASSERT_TRUE(f.Create("relative.rec", 1, 1, ""));
    bCaught = false;
    try {
        f.WriteRecEnd();
    } catch (CFileException* e) {
        bCaught = true;
        EXPECT_EQ(e->m_lOsError, ERROR_INVALID_FUNCTION);
        e->Delete();
    }
    EXPECT_TRUE(bCaught);
    EXPECT_TRUE(Released(m_dir + "relative.rec"));
    EXPECT_FALSE(f.Close());   // Close on a closed object does not throw
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    SetCurrentDirectoryA(szTemp);
}

// ---------------------------------------------------------------------------------------------
// A real write failure: this program run again under a file-size limit of 1024 bytes, which
// the system enforces in the middle of a write.

namespace {
std::string EnvPath()
{
    char sz[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_REC_DIR", sz, MAX_PATH);
    return sz;
}

void PrintWalk(const char* pszPath)
{
    CRecFile f(FALSE);
    if (!f.Open(pszPath, 0xFFFFFFFF)) {
        printf("walk: open %lu\n", GetLastError());
        return;
    }
    int n = 0;
    char buf[200];
    while (f.FindNextRec() && f.ReadRec(buf, f.GetRecHdr()->dwDataLength))
        ++n;
    printf("walk: %d records, then %lu\n", n, GetLastError());
}
}  // namespace

BEX_CHILD(write_over_limit)
{
    std::string dir = EnvPath();
    freopen((dir + "out.txt").c_str(), "w", stdout);
    std::string desc(1000, 'd');   // the header record alone crosses the limit

    std::string quiet = dir + "quiet.rec";
    {
        CRecFile f(FALSE);
        BOOL b = f.Create(quiet.c_str(), 1, 1, desc.c_str());
        DWORD dw = GetLastError();
        printf("quiet: %d %lu %s\n", b, dw, Exists(quiet) ? "file" : "no file");
    }
    std::string thrown = dir + "thrown.rec";
    {
        CRecFile f(TRUE);
        try {
            f.Create(thrown.c_str(), 1, 1, desc.c_str());
            printf("thrown: nothing\n");
        } catch (CFileException* e) {
            printf("thrown: %ld %d %s\n", e->m_lOsError, e->m_cause, Exists(thrown) ? "file" : "no file");
            e->Delete();
        }
    }
    std::string records = dir + "records.rec";
    {
        CRecFile f(FALSE);
        if (!f.Create(records.c_str(), 1, 1, ""))
            printf("records: create %lu\n", GetLastError());
        char data[100];
        memset(data, 'r', sizeof(data));
        int n = 0;
        while (n < 50 && f.WriteRec(2, 1, sizeof(data), data))
            ++n;
        printf("records: %d written, then %lu\n", n, GetLastError());
    }
    PrintWalk(records.c_str());
    printf("end\n");
}

namespace {
// Starts a command line and waits for the file it writes to end with "end". The command is a
// Unix program, for which Wine gives neither a process handle to wait on nor our pipes.
std::string RunForFile(const std::string& cmdLine, const std::string& outPath, DWORD dwTimeoutMs)
{
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi = {};
    std::string cmd = cmdLine;
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return "<not started>";
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    std::string out;
    for (DWORD dwWaited = 0; dwWaited < dwTimeoutMs; dwWaited += 100) {
        out = harness::ReadFileBytes(outPath);
        if (out.size() >= 4 && out.find("end") != std::string::npos)
            return out;
        Sleep(100);
    }
    return out + "<timed out>";
}
}  // namespace

TEST(RecWriteFailure, AWriteCutShortByTheSystemLeavesNoFileFromCreate)
{
    typedef LPWSTR(CDECL * PFNDOSNAME)(LPCSTR);
    PFNDOSNAME pfnDosName = (PFNDOSNAME)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    if (pfnDosName == NULL || sizeof(BEX_WINE_LOADER) <= 1)
        GTEST_SKIP() << "needs Wine's loader to run this program under a file-size limit";
    LPWSTR pwszShell = pfnDosName("/bin/sh");
    ASSERT_NE(pwszShell, nullptr);
    char szShell[MAX_PATH], szExe[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, pwszShell, -1, szShell, MAX_PATH, NULL, NULL);
    HeapFree(GetProcessHeap(), 0, pwszShell);
    GetModuleFileNameA(NULL, szExe, MAX_PATH);

    std::string dir = harness::TempDir();
    SetEnvironmentVariableA("BEX_REC_DIR", dir.c_str());
    // The shell sets the limit (512-byte blocks) and keeps the signal from ending the process,
    // so that the system's answer reaches the program as a short write and then an error.
    std::string cmd = std::string(szShell) + " -c \"trap '' XFSZ; ulimit -f 2; exec '" BEX_WINE_LOADER "' '" +
                      szExe + "' --child write_over_limit\"";
    std::string out = RunForFile(cmd, dir + "out.txt", 60000);
    SetEnvironmentVariableA("BEX_REC_DIR", NULL);
    EXPECT_NE(out.find("quiet: 0 39 no file"), std::string::npos) << out;    // ERROR_HANDLE_DISK_FULL
    EXPECT_NE(out.find("thrown: 39 13 no file"), std::string::npos) << out;  // CFileException::diskFull
    // Records went in until the limit; those that were finished read back whole, and the one
    // cut off ends the walk with a broken chain.
    EXPECT_NE(out.find("records: 7 written, then 39"), std::string::npos) << out;
    EXPECT_NE(out.find("walk: 8 records, then 25"), std::string::npos) << out;
    harness::RemoveTree(dir);
}
