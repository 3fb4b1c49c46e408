// The record file as applications use it: the bytes it writes, walking and reading, its states
// and error codes in both failure modes (the CFileException* is caught here, across the DLL
// boundary), files from another process, and a real write failure.
#include "harness.h"
#include "BexLib32.h"
#include "recbytes.h"
#include <gtest/gtest.h>

using namespace recbytes;

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The object opens files for itself alone: an exclusive open succeeds only once it let go.
bool Released(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
}

// File type 31, records of types 5, 6, 5, 7, 5 holding "record 0" to "record 4".
void WriteSample(const std::string& path, std::vector<DWORD>* pOffsets = NULL)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(path.c_str(), 31, 4, "line one\nline: two"));
    const DWORD adwType[] = { 5, 6, 5, 7, 5 };
    for (int i = 0; i < 5; ++i) {
        if (pOffsets)
            pOffsets->push_back(f.GetRecFilePointer());
        std::string data = "record " + std::to_string(i);
        ASSERT_TRUE(f.WriteRec(adwType[i], 10 + i, (DWORD)data.size(), data.c_str()));
    }
    ASSERT_TRUE(f.Close());
}

std::string ReadCurrent(CRecFile& f)
{
    std::string data(f.GetRecHdr()->dwDataLength, '\0');
    return f.ReadRec(&data[0], (DWORD)data.size()) ? data : "<error " + std::to_string(GetLastError()) + ">";
}

class RecFile : public testing::Test {
protected:
    void SetUp() override { m_path = (m_dir = harness::TempDir()) + "test.rec"; }
    void TearDown() override { harness::RemoveTree(m_dir); }
    std::string m_dir, m_path;
};

}  // namespace

TEST_F(RecFile, ASmallFileByteForByte)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 7, 2, ""));
    CString strTime;
    SYSTEMTIME st;
    ASSERT_TRUE(f.GetCreationTime(strTime) && f.GetCreationTime(&st));
    char sz[40];
    sprintf(sz, "%02u/%02u/%u %02u:%02u:%02u", st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond);
    EXPECT_STREQ(strTime, sz);
    std::string header = HeaderText(7, 2, sz, "");
    EXPECT_EQ(f.GetRecFilePointer(), 63 + header.size());   // right behind the header record
    ASSERT_TRUE(f.WriteRec(9, 4, 3, "abc"));
    // The same record in pieces of 1, 0 and 2 bytes
    ASSERT_TRUE(f.WriteRecBegin(9, 4) && f.WriteRecData("a", 1) && f.WriteRecData(NULL, 0) &&
                f.WriteRecData("bc", 2) && f.WriteRecEnd());
    ASSERT_TRUE(f.Close());

    std::string bytes = harness::ReadFileBytes(m_path);
    EXPECT_EQ(bytes, FileHead(header) + Record(9, 4, "abc") + Record(9, 4, "abc"));
    // Fixed points of the format, independent of the helpers
    EXPECT_EQ(bytes.substr(0, 43), std::string("Kelm-Ostrand Engineering, Record Archive\n\x1a\0", 43));
    EXPECT_EQ(bytes.substr(43, 4), "****");
    EXPECT_EQ(DwordAt(bytes, 47) * 10 + DwordAt(bytes, 51), 1u);   // the header record: type 0, version 1
    EXPECT_EQ(DwordAt(bytes, 55), header.size());                   // its text's NUL counted
    EXPECT_EQ(DwordAt(bytes, 63 + header.size() + 16), 0x246u);     // rotate-XOR of "abc"
}

TEST_F(RecFile, WalkingFilteringRewindingAndSeeking)
{
    std::vector<DWORD> offsets;
    WriteSample(m_path, &offsets);
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    EXPECT_EQ(f.GetRecHdr(), nullptr);
    std::string walk;
    while (f.FindNextRec()) {
        walk += std::to_string(f.GetRecType()) + ":";
        walk += ReadCurrent(f) + " ";
    }
    DWORD dwEnd = GetLastError();
    EXPECT_EQ(walk, "5:record 0 6:record 1 5:record 2 7:record 3 5:record 4 ");
    EXPECT_EQ(dwEnd, (DWORD)ERROR_HANDLE_EOF);   // the end is no error: the file stays open
    EXPECT_FALSE(f.FindNextRec());

    ASSERT_TRUE(f.Rewind());
    ASSERT_TRUE(f.FindNextRec());
    EXPECT_EQ(f.GetRecType(), 0u);               // the header record comes first
    EXPECT_EQ(f.GetRecHdr()->dwRecVersion, 1u);
    // A filter skips other types, also past a record left half read.
    ASSERT_TRUE(f.FindNextRec(5));
    CRecFile::tagRECHDR hdr;
    char part[3];
    ASSERT_TRUE(f.ReadRecBegin(&hdr) && f.ReadRecData(part, 3));
    ASSERT_TRUE(f.FindNextRec(5));
    EXPECT_EQ(ReadCurrent(f), "record 2");
    ASSERT_TRUE(f.FindNextRec(7) && f.FindNextRec(5));
    EXPECT_EQ(f.GetRecHdr()->dwRecVersion, 14u);
    EXPECT_FALSE(f.FindNextRec(5));

    ASSERT_TRUE(f.SeekToRecord(offsets[3]));
    EXPECT_EQ(ReadCurrent(f), "record 3");
    ASSERT_TRUE(f.SeekToRecord(offsets[1]) && f.FindNextRec());
    EXPECT_EQ(ReadCurrent(f), "record 2");
    EXPECT_FALSE(f.SeekToRecord(offsets[2] + 3));   // inside a record: no marker there
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SEEK);
}

TEST_F(RecFile, TheHeaderRecordsValues)
{
    WriteSample(m_path);
    CRecFile f(FALSE);
    EXPECT_FALSE(f.Open(m_path.c_str(), 30));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_FORMAT);
    ASSERT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));   // ready again at once after a failed Open
    DWORD dwType = 0, dwVer = 0;
    EXPECT_TRUE(f.GetFileType(dwType) && f.GetVersion(dwVer));
    EXPECT_EQ(dwType * 100 + dwVer, 3104u);
    EXPECT_STREQ(f.GetDesc(), "line one\nline: two");   // whole, without its closing line feed
    ASSERT_TRUE(f.Close());

    // Numbers too big for their fields stay in their own fields.
    harness::WriteFileBytes(m_path, FileHead(HeaderText(3, 1, "70001/12/2023 23:59:70002", " kept \r\n")));
    ASSERT_TRUE(f.Open(m_path.c_str(), 3));
    SYSTEMTIME st;
    memset(&st, 0x55, sizeof(st));
    ASSERT_TRUE(f.GetCreationTime(&st));
    const WORD awExpected[8] = { 2023, 12, 0, (WORD)70001, 23, 59, (WORD)70002, 0 };
    EXPECT_EQ(memcmp(&st, awExpected, sizeof(st)), 0);
    EXPECT_STREQ(f.GetDesc(), " kept");
    ASSERT_TRUE(f.Close());

    harness::WriteFileBytes(m_path, FileHead(std::string("1\n2\n01/02/2003 04:05\nx\n", 24)));
    EXPECT_FALSE(f.Open(m_path.c_str(), 0xFFFFFFFF));   // seven numbers are not enough
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_FORMAT);
}

TEST_F(RecFile, ReadingInPartsAndTheLengthRules)
{
    WriteSample(m_path);
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31) && f.FindNextRec());
    CRecFile::tagRECHDR hdr;
    harness::GuardedBuffer buf(8);
    ASSERT_TRUE(f.ReadRecBegin(&hdr) && f.ReadRecData(buf.Data(), 3) && f.ReadRecData(buf.Data() + 3, 0));
    EXPECT_EQ(hdr.dwRecID, CRecFile::m_dwRecHdrID);
    // 3 + 0xFFFFFFFE is 1 in 32 bits: it must not pass for a length within the record.
    EXPECT_FALSE(f.ReadRecData(buf.Data() + 3, 0xFFFFFFFE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);

    // Too little is caught at the record's end, too much before reading.
    for (DWORD dwLength : { 7, 9 }) {
        ASSERT_FALSE(f.Close());
        ASSERT_TRUE(f.Open(m_path.c_str(), 31) && f.FindNextRec());
        EXPECT_FALSE(f.ReadRec(buf.Data(), dwLength));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    }
}

TEST_F(RecFile, TheLongestDescription)
{
    std::string desc(1024, 'd');
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, desc.c_str()) && f.Close() && f.Open(m_path.c_str(), 1));
    EXPECT_EQ(std::string(f.GetDesc()), desc);
}

TEST_F(RecFile, OperationsOutOfOrderFailWithInvalidFunctionAndCloseTheFile)
{
    WriteSample(m_path);
    struct Step {
        const char* name;
        bool bWrite;
        std::function<BOOL(CRecFile&)> call;
    } steps[] = {
        { "WriteRecData without WriteRecBegin", true, [](CRecFile& r) { return r.WriteRecData("x", 1); } },
        { "GetRecFilePointer in a record", true,
          [](CRecFile& r) { return r.WriteRecBegin(1, 1) && r.GetRecFilePointer() != 0xFFFFFFFF; } },
        { "record longer than 4 GiB", true, [](CRecFile& r) {
              return r.WriteRecBegin(1, 1) && r.WriteRecData("x", 1) && r.WriteRecData("y", 0xFFFFFFFF);
          } },
        { "FindNextRec while writing", true, [](CRecFile& r) { return r.FindNextRec(); } },
        { "ReadRecEnd before the data", false, [](CRecFile& r) { return r.FindNextRec() && r.ReadRecEnd(); } },
        { "SeekToRecord(0xFFFFFFFF)", false, [](CRecFile& r) { return r.SeekToRecord(0xFFFFFFFF); } },
        { "Open while open", false, [this](CRecFile& r) { return r.Open(m_path.c_str(), 31); } },
    };
    for (const Step& step : steps) {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Open(m_path.c_str(), 31, step.bWrite)) << step.name;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(step.call(f)) << step.name;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION) << step.name;
        EXPECT_TRUE(Released(m_path)) << step.name;
        // Only Close makes the object usable again, and it has nothing left to close.
        EXPECT_FALSE(f.Open(m_path.c_str(), 31)) << step.name;
        EXPECT_FALSE(f.Close()) << step.name;
        EXPECT_TRUE(f.Open(m_path.c_str(), 31)) << step.name;
    }
    CRecFile closed(FALSE);
    DWORD dw = 0;
    EXPECT_FALSE(closed.GetFileType(dw));
    EXPECT_EQ(dw, 0xFFFFFFFFu);
    EXPECT_EQ(closed.GetDesc(), nullptr);
}

TEST_F(RecFile, AFailedCreateLeavesNoFileAndThrowsWhenAsked)
{
    char szOld[MAX_PATH], szFull[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szOld);
    SetCurrentDirectoryA(m_dir.c_str());
    GetFullPathNameA("relative.rec", MAX_PATH, szFull, NULL);
    std::string tooLong(1025, 'd');
    CRecFile quiet(FALSE);
    for (const char* pszDesc : { tooLong.c_str(), (const char*)NULL }) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(quiet.Create("relative.rec", 1, 1, pszDesc));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
        EXPECT_FALSE(Exists(szFull));
    }
    CRecFile f;   // throws by default
    int nCaught = 0;
    try {
        f.Create("relative.rec", 1, 1, tooLong.c_str());
    } catch (CFileException* e) {
        ++nCaught;
        EXPECT_EQ(e->m_lOsError, ERROR_INVALID_FUNCTION);
        EXPECT_EQ(e->m_cause, CFileException::generic);
        EXPECT_STREQ(e->m_strFileName, szFull);
        e->Delete();
    }
    EXPECT_FALSE(Exists(szFull));
    // Then as after a quiet failure: ready after a failed Create, closed after any other.
    ASSERT_TRUE(f.Create("relative.rec", 1, 1, "") && f.WriteRec(1, 1, 4, "data"));
    try {
        f.SeekToRecord(43);
    } catch (CFileException* e) {
        ++nCaught;
        e->Delete();
    }
    EXPECT_EQ(nCaught, 2);
    EXPECT_TRUE(Released(szFull));
    EXPECT_FALSE(f.Close());   // does not throw
    SetCurrentDirectoryA(szOld);
}

BEX_CHILD(write_sample)
{
    char sz[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_REC_FILE", sz, MAX_PATH);
    WriteSample(sz);
    printf("written\n");
}

TEST_F(RecFile, AFileWrittenByAnotherProcessReadAndAppendedTo)
{
    SetEnvironmentVariableA("BEX_REC_FILE", m_path.c_str());
    ASSERT_EQ(harness::RunChild("write_sample").output.substr(0, 7), "written");
    SetEnvironmentVariableA("BEX_REC_FILE", NULL);
    std::string before = harness::ReadFileBytes(m_path);
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31, TRUE));
    EXPECT_EQ(f.GetRecFilePointer(), before.size());
    ASSERT_TRUE(f.WriteRec(8, 1, 5, "added") && f.Close());
    EXPECT_EQ(harness::ReadFileBytes(m_path), before + Record(8, 1, "added"));
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    int n = 0;
    while (f.FindNextRec() && ReadCurrent(f) == (n < 5 ? "record " + std::to_string(n) : "added"))
        ++n;
    EXPECT_EQ(n, 6);
}

// ---------------------------------------------------------------------------------------------
// A real write failure: this program run again under a file-size limit of 1024 bytes, which
// the system enforces in the middle of a write.

BEX_CHILD(write_over_limit)
{
    char szDir[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_CHILD_DIR", szDir, MAX_PATH);
    std::string dir = szDir;
    freopen((dir + "out.txt").c_str(), "wb", stdout);
    std::string desc(1000, 'd');   // the header record alone crosses the limit
    {
        CRecFile f(FALSE);
        BOOL b = f.Create((dir + "quiet.rec").c_str(), 1, 1, desc.c_str());
        DWORD dw = GetLastError();
        printf("quiet: %d %lu %s\n", b, dw, Exists(dir + "quiet.rec") ? "file" : "no file");
    }
    try {
        CRecFile f(TRUE);
        f.Create((dir + "thrown.rec").c_str(), 1, 1, desc.c_str());
    } catch (CFileException* e) {
        printf("thrown: %ld %d %s\n", e->m_lOsError, e->m_cause, Exists(dir + "thrown.rec") ? "file" : "no file");
        e->Delete();
    }
    CRecFile f(FALSE);
    f.Create((dir + "records.rec").c_str(), 1, 1, "");
    char data[100] = {};
    int n = 0;
    while (n < 50 && f.WriteRec(2, 1, sizeof(data), data))
        ++n;
    printf("records: %d written, then %lu\nend\n", n, GetLastError());
}

TEST(RecFileWriteFailure, AWriteCutShortByTheSystem)
{
    std::string dir = harness::TempDir();
    // 1024 bytes: the system cuts a write short, then fails the next one.
    std::string out = harness::RunChildUnderFileLimit("write_over_limit", BEX_WINE_LOADER, dir, 2);
    ASSERT_NE(out, "") << "runs under Wine";
    EXPECT_NE(out.find("quiet: 0 39 no file\n"), std::string::npos) << out;    // ERROR_HANDLE_DISK_FULL
    EXPECT_NE(out.find("thrown: 39 13 no file\n"), std::string::npos) << out;  // CFileException::diskFull
    EXPECT_NE(out.find("records: 7 written, then 39\n"), std::string::npos) << out;

    // Read here, from the file the other process left: the finished records whole, then the
    // cut one ends the walk with a broken chain.
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open((dir + "records.rec").c_str(), 1));
    int n = 0;
    char data[100];
    while (f.FindNextRec() && f.ReadRec(data, f.GetRecHdr()->dwDataLength))
        ++n;
    EXPECT_EQ(n, 8);   // the last one with the length 0 its header was begun with
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SEEK);
    harness::RemoveTree(dir);
}
