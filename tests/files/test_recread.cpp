// Reading record files: opening and its checks, walking with and without a type filter,
// jumping to records, reading whole and in parts, files from another process.
#include "harness.h"
#include "BexLib32.h"
#include "recbytes.h"
#include <gtest/gtest.h>

using namespace recbytes;

namespace {

class RecRead : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = harness::TempDir();
        m_path = m_dir + "read.rec";
    }
    void TearDown() override { harness::RemoveTree(m_dir); }
    void Write(const std::string& bytes) { harness::WriteFileBytes(m_path, bytes); }
    std::string m_dir, m_path;
};

// Types written by WriteSample, in order: 5, 6, 5, 7, 5.
void WriteSample(const char* pszPath, std::vector<DWORD>* pOffsets = NULL)
{
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(pszPath, 31, 4, "line one\nline: two"));
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
    CRecFile::tagRECHDR* pHdr = f.GetRecHdr();
    if (pHdr == NULL)
        return "<no header>";
    std::string data(pHdr->dwDataLength, '\0');
    if (!f.ReadRec(&data[0], pHdr->dwDataLength))
        return "<error " + std::to_string(GetLastError()) + ">";
    return data;
}

}  // namespace

TEST_F(RecRead, OpenGivesTheHeaderRecordsValues)
{
    WriteSample(m_path.c_str());
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    DWORD dwType = 0, dwVer = 0;
    EXPECT_TRUE(f.GetFileType(dwType));
    EXPECT_TRUE(f.GetVersion(dwVer));
    EXPECT_EQ(dwType, 31u);
    EXPECT_EQ(dwVer, 4u);
    EXPECT_STREQ(f.GetDesc(), "line one\nline: two");   // whole, without its closing line feed
    EXPECT_EQ(f.GetRecType(), 0xFFFFFFFFu);             // no record is current yet
    EXPECT_EQ(f.GetRecHdr(), nullptr);
}

TEST_F(RecRead, CreationTimeIsReadIntoItsFieldsWithoutDayOfWeekOrMilliseconds)
{
    Write(FileWithHeaderText(HeaderText(3, 1, "31/12/2023 23:59:58", "  spaced  \r\n")));
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));
    SYSTEMTIME st;
    memset(&st, 0x55, sizeof(st));
    ASSERT_TRUE(f.GetCreationTime(&st));
    EXPECT_EQ(st.wDay, 31);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wYear, 2023);
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(st.wMinute, 59);
    EXPECT_EQ(st.wSecond, 58);
    EXPECT_EQ(st.wDayOfWeek, 0);
    EXPECT_EQ(st.wMilliseconds, 0);
    CString str;
    ASSERT_TRUE(f.GetCreationTime(str));
    EXPECT_STREQ(str, "31/12/2023 23:59:58");
    EXPECT_STREQ(f.GetDesc(), "  spaced");   // trailing white space goes, leading stays
}

TEST_F(RecRead, OversizedNumbersInTheHeaderTextStayInTheirOwnFields)
{
    Write(FileWithHeaderText(HeaderText(3, 1, "70001/70002/70003 70004:70005:70006", "kept")));
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 3));
    SYSTEMTIME st;
    ASSERT_TRUE(f.GetCreationTime(&st));
    EXPECT_EQ(st.wDay, (WORD)70001);
    EXPECT_EQ(st.wMonth, (WORD)70002);
    EXPECT_EQ(st.wYear, (WORD)70003);
    EXPECT_EQ(st.wHour, (WORD)70004);
    EXPECT_EQ(st.wMinute, (WORD)70005);
    EXPECT_EQ(st.wSecond, (WORD)70006);
    EXPECT_EQ(st.wMilliseconds, 0);
    EXPECT_STREQ(f.GetDesc(), "kept");
}

TEST_F(RecRead, TheFileTypeMustMatchUnlessAnyIsAsked)
{
    WriteSample(m_path.c_str());
    CRecFile f(FALSE);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.Open(m_path.c_str(), 30));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_FORMAT);
    EXPECT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));   // a failed Open leaves the object ready
}

TEST_F(RecRead, AMissingFileGivesTheSystemsCode)
{
    CRecFile f(FALSE);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.Open((m_dir + "missing.rec").c_str(), 0xFFFFFFFF));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST_F(RecRead, EveryByteOfTheIdentificationCountsItsNulIncluded)
{
    std::string good = FileWithHeaderText(HeaderText(1, 1, "01/01/2000 00:00:00", ""));
    CRecFile f(FALSE);
    for (size_t i = 0; i < 43; ++i) {
        std::string bad = good;
        bad[i] ^= 0x20;
        Write(bad);
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(f.Open(m_path.c_str(), 0xFFFFFFFF)) << i;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_FORMAT) << i;
    }
    Write(good);
    EXPECT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));
}

TEST_F(RecRead, HeaderTextsWithoutTheirEightNumbersAreRefused)
{
    const char* apszBad[] = { "1\n2\n", "1\n2\n01/02/2003 04:05\nx\n", "x\n2\n01/02/2003 04:05:06\n", "" };
    CRecFile f(FALSE);
    for (const char* psz : apszBad) {
        Write(FileWithHeaderText(std::string(psz) + std::string(1, '\0')));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(f.Open(m_path.c_str(), 0xFFFFFFFF)) << psz;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_BAD_FORMAT) << psz;
    }
    // Without a description at all the description is empty.
    Write(FileWithHeaderText(std::string("1\n2\n01/02/2003 04:05:06", 24)));
    ASSERT_TRUE(f.Open(m_path.c_str(), 0xFFFFFFFF));
    EXPECT_STREQ(f.GetDesc(), "");
}

TEST_F(RecRead, WalkingFindsEveryRecordAndRewindStartsWithTheHeaderRecord)
{
    WriteSample(m_path.c_str());
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    std::string walk;
    while (f.FindNextRec()) {
        walk += std::to_string(f.GetRecType()) + ":";
        walk += ReadCurrent(f) + " ";
    }
    DWORD dwEnd = GetLastError();
    EXPECT_EQ(walk, "5:record 0 6:record 1 5:record 2 7:record 3 5:record 4 ");
    EXPECT_EQ(dwEnd, (DWORD)ERROR_HANDLE_EOF);   // the end, and the file stays open
    EXPECT_FALSE(f.FindNextRec());                        // and stays the end

    ASSERT_TRUE(f.Rewind());
    ASSERT_TRUE(f.FindNextRec());
    EXPECT_EQ(f.GetRecType(), 0u);
    EXPECT_EQ(f.GetRecHdr()->dwRecVersion, 1u);
    ASSERT_TRUE(f.FindNextRec());
    EXPECT_EQ(ReadCurrent(f), "record 0");
}

TEST_F(RecRead, ATypeFilterSkipsOtherRecordsUnreadOrHalfRead)
{
    WriteSample(m_path.c_str());
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    ASSERT_TRUE(f.FindNextRec(5));
    EXPECT_EQ(f.GetRecHdr()->dwRecVersion, 10u);
    // Leave this one half read: the next search still lands on a header.
    CRecFile::tagRECHDR hdr;
    char sz[3];
    ASSERT_TRUE(f.ReadRecBegin(&hdr));
    ASSERT_TRUE(f.ReadRecData(sz, 3));
    ASSERT_TRUE(f.FindNextRec(5));
    EXPECT_EQ(ReadCurrent(f), "record 2");
    ASSERT_TRUE(f.FindNextRec(7));
    EXPECT_EQ(f.GetRecHdr()->dwRecVersion, 13u);
    ASSERT_TRUE(f.FindNextRec(5));
    EXPECT_EQ(ReadCurrent(f), "record 4");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.FindNextRec(5));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_HANDLE_EOF);
    EXPECT_TRUE(f.Rewind());   // still open: no error was raised
    EXPECT_FALSE(f.FindNextRec(9));
}

TEST_F(RecRead, SeekToRecordMakesTheRecordAtAWrittenOffsetCurrent)
{
    std::vector<DWORD> offsets;
    WriteSample(m_path.c_str(), &offsets);
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    ASSERT_TRUE(f.SeekToRecord(offsets[3]));
    EXPECT_EQ(ReadCurrent(f), "record 3");
    ASSERT_TRUE(f.SeekToRecord(offsets[1]));
    EXPECT_EQ(ReadCurrent(f), "record 1");
    ASSERT_TRUE(f.FindNextRec());
    EXPECT_EQ(ReadCurrent(f), "record 2");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.SeekToRecord(0xFFFFFFFF));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);

    // An offset inside a record's data lands on no marker.
    ASSERT_FALSE(f.Close());   // the error above has closed it already
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    EXPECT_FALSE(f.SeekToRecord(offsets[2] + 3));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SEEK);
}

TEST_F(RecRead, ReadingInPartsAndTheLengthRules)
{
    WriteSample(m_path.c_str());
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    ASSERT_TRUE(f.FindNextRec());
    CRecFile::tagRECHDR hdr;
    ASSERT_TRUE(f.ReadRecBegin(&hdr));
    EXPECT_EQ(hdr.dwRecID, CRecFile::m_dwRecHdrID);
    EXPECT_EQ(hdr.dwDataLength, 8u);
    char sz[9] = {};
    ASSERT_TRUE(f.ReadRecData(sz, 3));
    ASSERT_TRUE(f.ReadRecData(sz + 3, 0));
    ASSERT_TRUE(f.ReadRecData(sz + 3, 5));
    ASSERT_TRUE(f.ReadRecEnd());
    EXPECT_STREQ(sz, "record 0");

    // Too little: caught at the end of the record; too much: caught before reading.
    ASSERT_TRUE(f.FindNextRec());
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.ReadRec(sz, 7));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    ASSERT_FALSE(f.Close());
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    ASSERT_TRUE(f.FindNextRec());
    EXPECT_FALSE(f.ReadRec(sz, 9));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
}

TEST_F(RecRead, ALengthThatWouldWrapIsRefusedBeforeTheCallersBufferIsTouched)
{
    WriteSample(m_path.c_str());
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    ASSERT_TRUE(f.FindNextRec());
    harness::GuardedBuffer buf(8);
    memset(buf.Data(), 'g', 8);
    CRecFile::tagRECHDR hdr;
    ASSERT_TRUE(f.ReadRecBegin(&hdr));
    ASSERT_TRUE(f.ReadRecData(buf.Data(), 4));
    // 4 + 0xFFFFFFFE is 2 in 32 bits: it must not pass for a length within the record.
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(f.ReadRecData(buf.Data() + 4, 0xFFFFFFFE));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
    EXPECT_EQ(std::string(buf.Data() + 4, 4), "gggg");
}

TEST_F(RecRead, ReadingOperationsOutOfOrderFailWithInvalidFunction)
{
    WriteSample(m_path.c_str());
    struct Step {
        const char* name;
        std::function<BOOL(CRecFile&)> call;
    } steps[] = {
        { "ReadRecData before any record", [](CRecFile& r) { char c; return r.ReadRecData(&c, 1); } },
        { "ReadRecEnd with data unread", [](CRecFile& r) { return r.FindNextRec() && r.ReadRecEnd(); } },
        { "ReadRecBegin without a header", [](CRecFile& r) { return r.ReadRecBegin(NULL); } },
        { "WriteRecBegin while reading", [](CRecFile& r) { return r.WriteRecBegin(1, 1); } },
        { "Open while open", [this](CRecFile& r) { return r.Open(m_path.c_str(), 31); } },
    };
    for (const Step& step : steps) {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Open(m_path.c_str(), 31));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(step.call(f)) << step.name;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION) << step.name;
        EXPECT_FALSE(f.FindNextRec()) << step.name;   // the file was closed by the error
        EXPECT_FALSE(f.Close()) << step.name;
    }
}

TEST_F(RecRead, ThrowingReaderCatchesEachFailureAsAFileException)
{
    std::string bytes = FileWithHeaderText(HeaderText(2, 1, "01/01/2000 00:00:00", "")) + Record(1, 1, "data");
    bytes.back() ^= 1;
    Write(bytes);
    CRecFile f;
    ASSERT_TRUE(f.Open(m_path.c_str(), 2));
    ASSERT_TRUE(f.FindNextRec());
    char sz[4];
    int nCause = -1;
    try {
        f.ReadRec(sz, 4);
    } catch (CFileException* e) {
        nCause = e->m_cause;
        EXPECT_EQ(e->m_lOsError, ERROR_CRC);
        e->Delete();
    }
    EXPECT_EQ(nCause, CFileException::generic);
    EXPECT_FALSE(f.Close());
}

// ---------------------------------------------------------------------------------------------
// A file written by another process

BEX_CHILD(write_sample)
{
    char sz[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_REC_FILE", sz, MAX_PATH);
    WriteSample(sz);
    printf("written\n");
}

TEST_F(RecRead, AFileWrittenByAnotherProcess)
{
    SetEnvironmentVariableA("BEX_REC_FILE", m_path.c_str());
    harness::ChildResult r = harness::RunChild("write_sample");
    SetEnvironmentVariableA("BEX_REC_FILE", NULL);
    ASSERT_EQ(r.output.substr(0, 7), "written");
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    EXPECT_STREQ(f.GetDesc(), "line one\nline: two");
    int n = 0;
    while (f.FindNextRec() && ReadCurrent(f) == "record " + std::to_string(n))
        ++n;
    EXPECT_EQ(n, 5);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_HANDLE_EOF);
}
