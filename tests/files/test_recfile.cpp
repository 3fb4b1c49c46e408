// The record file: the bytes it writes, walking and reading, its states and error codes in both
// failure modes (the CFileException* is caught here, across the DLL boundary), a real write
// failure, and damaged files, which must end in an error or a clean end of the walk, never in a
// crash, a hang, or damaged data handed out as sound.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <random>
#include <string.h>

namespace {

// Record files put together byte by byte, without the library.
DWORD Checksum(const std::string& data)
{
    DWORD dw = 0;
    for (unsigned char b : data)
        dw = ((dw ^ b) << 1) | ((dw ^ b) >> 31);
    return dw;
}
std::string Dword(DWORD dw) { return std::string(reinterpret_cast<const char*>(&dw), 4); }
void PatchDword(std::string& s, size_t off, DWORD dw) { memcpy(&s[off], &dw, 4); }
std::string Record(DWORD dwType, DWORD dwVersion, const std::string& data)
{
    return "****" + Dword(dwType) + Dword(dwVersion) + Dword((DWORD)data.size()) + Dword(Checksum(data)) + data;
}
// Identification and header record, the header text taken as given (with its NUL).
std::string FileHead(const std::string& text)
{
    return std::string("Kelm-Ostrand Engineering, Record Archive\n\x1a", 43) + Record(0, 1, text);
}
std::string HeaderText(DWORD dwType, DWORD dwVersion, const std::string& strTime, const std::string& desc)
{
    return std::to_string(dwType) + "\n" + std::to_string(dwVersion) + "\n" + strTime + "\n" + desc + "\n" + std::string(1, '\0');
}

bool Throws(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (CFileException* e) {
        e->Delete();
        return true;
    }
    return false;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The object opens files for itself alone: an exclusive open succeeds only once it let go.
bool Released(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
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

    // File type 31, records of types 5, 6, 5, 7, 5 holding "record 0" to "record 4".
    void WriteSample(std::vector<DWORD>* pOffsets = NULL)
    {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Create(m_path.c_str(), 31, 4, "line one\nline: two"));
        const DWORD adwType[] = { 5, 6, 5, 7, 5 };
        for (int i = 0; i < 5; ++i) {
            if (pOffsets)
                pOffsets->push_back(f.GetRecFilePointer());
            std::string data = "record " + std::to_string(i);
            ASSERT_TRUE(f.WriteRec(adwType[i], 10 + i, (DWORD)data.size(), data.c_str()));
        }
        ASSERT_TRUE(f.Close());
    }

    // Writes the bytes and reads every record's data as an application would, without the
    // throw flag. Returns ERROR_HANDLE_EOF after a clean end, else the error that stopped the walk.
    DWORD Walk(const std::string& bytes, std::vector<std::string>* pRecs)
    {
        harness::WriteFileBytes(m_path, bytes);
        pRecs->clear();
        CRecFile f(FALSE);
        if (!f.Open(m_path.c_str(), 0xFFFFFFFF))
            return GetLastError();
        while (f.FindNextRec()) {
            std::string data(f.GetRecHdr()->dwDataLength, '\0');
            if (!f.ReadRec(&data[0], (DWORD)data.size()))
                break;
            pRecs->push_back(data);
        }
        return GetLastError();
    }
    std::vector<std::string> Sample(size_t n) { return std::vector<std::string>(m_data.begin(), m_data.begin() + n); }

    std::string m_dir, m_path;
    // The damage sample: an ordinary record, an empty one and one of all kinds of bytes.
    std::vector<std::string> m_data = { "alpha", "", "" };
    std::vector<size_t> m_offsets;   // of each record's header
    std::string m_bytes = FileHead(HeaderText(12, 3, "05/06/2021 07:08:09", "sample"));
    size_t m_headEnd = m_bytes.size();   // offset of the first record after the header record
    RecFile()
    {
        for (int i = 0; i < 37; ++i)
            m_data[2] += (char)(i * 7 + 250);
        for (const std::string& data : m_data) {
            m_offsets.push_back(m_bytes.size());
            m_bytes += Record(5, 1, data);
        }
    }
};
using RecDamage = RecFile;

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
    ASSERT_TRUE(f.WriteRecBegin(9, 4) && f.WriteRecData("a", 1) && f.WriteRecData(NULL, 0) && f.WriteRecData("bc", 2) &&
                f.WriteRecEnd() && f.Close());
    std::string bytes = harness::ReadFileBytes(m_path);
    EXPECT_EQ(bytes, FileHead(header) + Record(9, 4, "abc") + Record(9, 4, "abc"));
    EXPECT_EQ(Checksum("abc"), 0x246u);   // rotate-XOR, fixed independently of the helper
}

// Records of every size class, from empty to several times anything the object might hold in
// memory, written whole and in pieces split at random points, with an append in the middle: the
// file is byte for byte the one put together here, and reads back the same in random pieces.
TEST_F(RecFile, ALongFileOfRecordsOfEverySizeByteForByte)
{
    std::mt19937 rng(1789);
    auto below = [&](size_t n) { return n ? (size_t)(rng() % n) : 0; };
    // Calls fn(offset, length) for cb bytes split at random points, pieces of no bytes included.
    auto inPieces = [&](size_t cb, const std::function<BOOL(size_t, size_t)>& fn) {
        size_t done = 0, n;
        BOOL bOk;
        do
            n = below(cb - done + 1);
        while ((bOk = fn(done, n)) && (done += n) < cb);
        return bOk;
    };
    const size_t acbClass[] = { 0, 1, 64, 4096, 70000, 300000 };
    std::string pool(600000, '\0');
    for (char& ch : pool)
        ch = (char)rng();

    CRecFile f(FALSE);
    ASSERT_TRUE(f.Create(m_path.c_str(), 21, 3, "long"));
    CString strTime;
    ASSERT_TRUE(f.GetCreationTime(strTime));
    std::string expected = FileHead(HeaderText(21, 3, (LPCSTR)strTime, "long"));
    std::vector<std::pair<DWORD, std::string>> recs;   // offset and data of each record
    for (int i = 0; i < 400; ++i) {
        if (i == 250) {
            ASSERT_TRUE(f.Close() && f.Open(m_path.c_str(), 21, TRUE));
        }
        ASSERT_EQ(f.GetRecFilePointer(), expected.size()) << i;
        size_t cb = i % 7 == 6 ? acbClass[below(6)] : below(i % 2 ? 200 : 5000);
        std::string data = pool.substr(below(pool.size() - cb), cb);
        recs.emplace_back((DWORD)expected.size(), data);
        expected += Record((DWORD)i, (DWORD)i * 3, data);
        if (i % 3) {
            ASSERT_TRUE(f.WriteRec((DWORD)i, (DWORD)i * 3, (DWORD)cb, data.data())) << i;
            continue;
        }
        ASSERT_TRUE(f.WriteRecBegin((DWORD)i, (DWORD)i * 3) &&
                    inPieces(cb, [&](size_t nAt, size_t n) { return f.WriteRecData(data.data() + nAt, (DWORD)n); }) && f.WriteRecEnd())
            << i;
    }
    ASSERT_TRUE(f.Close());
    ASSERT_EQ(harness::ReadFileBytes(m_path), expected);

    ASSERT_TRUE(f.Open(m_path.c_str(), 21));
    CRecFile::tagRECHDR hdr;
    for (size_t i = 0; i < recs.size(); ++i) {
        ASSERT_TRUE(f.FindNextRec()) << i;
        const std::string& data = recs[i].second;
        std::string back(data.size(), '\0');
        ASSERT_TRUE(f.ReadRecBegin(&hdr) && inPieces(data.size(), [&](size_t nAt, size_t n) { return f.ReadRecData(&back[nAt], (DWORD)n); }) &&
                    f.ReadRecEnd())
            << i;
        ASSERT_EQ(back, data) << i;
    }
    EXPECT_FALSE(f.FindNextRec());
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_HANDLE_EOF);
    // Jumps back and forth, some far beyond anything read ahead, some near; records read
    // whole, or in part and then left for the next
    for (int i = 0; i < 200; ++i) {
        size_t r = i % 4 ? below(recs.size()) : recs.size() - 1 - below(3);
        ASSERT_TRUE(f.SeekToRecord(recs[r].first)) << r;
        if (i % 3 == 0 && r + 1 < recs.size()) {
            std::string part(below(recs[r].second.size() + 1), '\0');
            ASSERT_TRUE(f.ReadRecBegin(&hdr) && f.ReadRecData(&part[0], (DWORD)part.size()) && f.FindNextRec()) << r;
            EXPECT_EQ(part, recs[r].second.substr(0, part.size())) << r;
            EXPECT_EQ(f.GetRecType(), (DWORD)r + 1);
        } else {
            ASSERT_EQ(ReadCurrent(f), recs[r].second) << r;
        }
    }
    ASSERT_TRUE(f.Rewind() && f.FindNextRec() && f.FindNextRec());
    EXPECT_EQ(ReadCurrent(f), recs[0].second);
}

TEST_F(RecFile, WalkingFilteringRewindingSeekingAndAppending)
{
    std::vector<DWORD> offsets;
    WriteSample(&offsets);
    CRecFile f(FALSE);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31));
    EXPECT_EQ(f.GetRecHdr(), nullptr);
    std::string walk;
    while (f.FindNextRec())
        walk += std::to_string(f.GetRecType()) + ":" + ReadCurrent(f) + " ";
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_HANDLE_EOF);   // the end is no error: the file stays open
    EXPECT_EQ(walk, "5:record 0 6:record 1 5:record 2 7:record 3 5:record 4 ");

    ASSERT_TRUE(f.Rewind() && f.FindNextRec());
    EXPECT_EQ(f.GetRecType(), 0u);               // the header record comes first
    // A filter skips other types, also past a record left half read.
    ASSERT_TRUE(f.FindNextRec(5));
    CRecFile::tagRECHDR hdr;
    char part[3];
    ASSERT_TRUE(f.ReadRecBegin(&hdr) && f.ReadRecData(part, 3) && f.FindNextRec(5));
    EXPECT_EQ(ReadCurrent(f), "record 2");
    ASSERT_TRUE(f.FindNextRec(7) && f.FindNextRec(5));
    EXPECT_EQ(f.GetRecHdr()->dwRecVersion, 14u);
    EXPECT_FALSE(f.FindNextRec(5));

    ASSERT_TRUE(f.SeekToRecord(offsets[3]));
    EXPECT_EQ(ReadCurrent(f), "record 3");
    EXPECT_FALSE(f.SeekToRecord(offsets[2] + 3));   // inside a record: no marker there
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SEEK);
    f.Close();
    // A derived class's own moves count from where the reader is, not from what it read ahead.
    struct CMovingRecFile : CRecFile {
        using CRecFile::CRecFile;
        using CRecFile::seek;
    } moving(FALSE);
    ASSERT_TRUE(moving.Open(m_path.c_str(), 31) && moving.FindNextRec() && moving.seek((DWORD)-20, FILE_CURRENT) &&
                moving.FindNextRec());
    EXPECT_EQ(ReadCurrent(moving), "record 0");
    ASSERT_TRUE(moving.seek((DWORD)(offsets[4] - offsets[1]), FILE_CURRENT) && moving.FindNextRec());
    EXPECT_EQ(ReadCurrent(moving), "record 4");
    moving.Close();

    std::string before = harness::ReadFileBytes(m_path);
    ASSERT_TRUE(f.Open(m_path.c_str(), 31, TRUE));
    EXPECT_EQ(f.GetRecFilePointer(), before.size());
    ASSERT_TRUE(f.WriteRec(8, 1, 5, "added") && f.Close());
    EXPECT_EQ(harness::ReadFileBytes(m_path), before + Record(8, 1, "added"));
}

TEST_F(RecFile, TheHeaderRecordsValuesUpToTheLongestDescription)
{
    WriteSample();
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

    std::string desc(1024, 'd');
    ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, desc.c_str()) && f.Close() && f.Open(m_path.c_str(), 1));
    EXPECT_EQ(std::string(f.GetDesc()), desc);
}

TEST_F(RecFile, OperationsOutOfOrderOrOfWrongLengthsFailWithInvalidFunctionAndCloseTheFile)
{
    WriteSample();
    harness::GuardedBuffer buf(8);
    CRecFile::tagRECHDR hdr;
    struct Step {
        const char* name;
        bool bWrite;
        std::function<BOOL(CRecFile&)> call;
    } steps[] = {
        { "WriteRecData without WriteRecBegin", true, [](CRecFile& r) { return r.WriteRecData("x", 1); } },
        { "record longer than 4 GiB", true,
          [](CRecFile& r) { return r.WriteRecBegin(1, 1) && r.WriteRecData("x", 1) && r.WriteRecData("y", 0xFFFFFFFF); } },
        { "FindNextRec while writing", true, [](CRecFile& r) { return r.FindNextRec(); } },
        { "ReadRecEnd before the data", false, [](CRecFile& r) { return r.FindNextRec() && r.ReadRecEnd(); } },
        { "SeekToRecord(0xFFFFFFFF)", false, [](CRecFile& r) { return r.SeekToRecord(0xFFFFFFFF); } },
        // 3 + 0xFFFFFFFE is 1 in 32 bits: it must not pass for a length within the record.
        { "read past the record", false, [&](CRecFile& r) {
              return r.FindNextRec() && r.ReadRecBegin(&hdr) && r.ReadRecData(buf.Data(), 3) && r.ReadRecData(buf.Data() + 3, 0xFFFFFFFE);
          } },
        // Too little is caught at the record's end, too much before reading.
        { "ReadRec too short", false, [&](CRecFile& r) { return r.FindNextRec() && r.ReadRec(buf.Data(), 7); } },
        { "ReadRec too long", false, [&](CRecFile& r) { return r.FindNextRec() && r.ReadRec(buf.Data(), 9); } },
    };
    for (const Step& step : steps) {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Open(m_path.c_str(), 31, step.bWrite)) << step.name;
        EXPECT_FALSE(step.call(f)) << step.name;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION) << step.name;
        EXPECT_TRUE(Released(m_path)) << step.name;
        // Only Close makes the object usable again, and it has nothing left to close.
        EXPECT_FALSE(f.Open(m_path.c_str(), 31)) << step.name;
        EXPECT_FALSE(f.Close()) << step.name;
        EXPECT_TRUE(f.Open(m_path.c_str(), 31)) << step.name;
    }
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
        EXPECT_FALSE(quiet.Create("relative.rec", 1, 1, pszDesc));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
        EXPECT_FALSE(Exists(szFull));
    }
    CRecFile f;   // throws by default
    try {
        f.Create("relative.rec", 1, 1, tooLong.c_str());
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_lOsError, ERROR_INVALID_FUNCTION);
        EXPECT_STREQ(e->m_strFileName, szFull);
        e->Delete();
    }
    EXPECT_FALSE(Exists(szFull));
    // Then as after a quiet failure: ready after a failed Create, closed after any other.
    ASSERT_TRUE(f.Create("relative.rec", 1, 1, "") && f.WriteRec(1, 1, 4, "data"));
    EXPECT_TRUE(Throws([&] { f.SeekToRecord(43); }));
    EXPECT_TRUE(Released(szFull));
    EXPECT_FALSE(f.Close());   // does not throw
    SetCurrentDirectoryA(szOld);
}

TEST_F(RecFile, WhatWasWrittenReachesTheFileAfterAnyOtherFailureAndWithoutClose)
{
    CString strTime;
    {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, "") && f.GetCreationTime(strTime) && f.WriteRec(2, 1, 5, "first") &&
                    f.WriteRecBegin(3, 1) && f.WriteRecData("part", 4));
        EXPECT_FALSE(Released(m_path));   // the file is the object's alone while it is open
        EXPECT_FALSE(f.FindNextRec());
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_FUNCTION);
        EXPECT_TRUE(Released(m_path));
    }
    // The record begun stays as it was begun, length and checksum 0, its data behind it.
    std::string head = FileHead(HeaderText(1, 1, (LPCSTR)strTime, ""));
    EXPECT_EQ(harness::ReadFileBytes(m_path), head + Record(2, 1, "first") + "****" + Dword(3) + Dword(1) + Dword(0) + Dword(0) + "part");
    {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, "") && f.GetCreationTime(strTime) && f.WriteRec(2, 1, 5, "whole"));
    }
    EXPECT_EQ(harness::ReadFileBytes(m_path), FileHead(HeaderText(1, 1, (LPCSTR)strTime, "")) + Record(2, 1, "whole"));
}

// Redirects the library's own calls of a kernel32 function through its import table, while it
// lives.
class CImportPatch
{
public:
    CImportPatch(const char* pszFunction, void* pfnNew)
    {
        BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleA("BexLib32.dll"));
        IMAGE_NT_HEADERS* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        IMAGE_IMPORT_DESCRIPTOR* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
            pBase + pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
        for (; pDesc->Name && !m_ppfn; ++pDesc) {
            IMAGE_THUNK_DATA* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->OriginalFirstThunk);
            IMAGE_THUNK_DATA* pAddress = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
            for (; pName->u1.AddressOfData && !m_ppfn && _stricmp(reinterpret_cast<char*>(pBase + pDesc->Name), "kernel32.dll") == 0;
                 ++pName, ++pAddress)
                if (!IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal) &&
                    strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData)->Name, pszFunction) == 0)
                    m_ppfn = reinterpret_cast<void**>(&pAddress->u1.Function);
        }
        if (m_ppfn)
            m_pfnOld = Swap(pfnNew);
    }
    ~CImportPatch()
    {
        if (m_ppfn)
            Swap(m_pfnOld);
    }
    bool Patched() const { return m_ppfn != NULL; }

private:
    void* Swap(void* pfn)
    {
        DWORD dwOld;
        VirtualProtect(m_ppfn, sizeof(void*), PAGE_READWRITE, &dwOld);
        std::swap(*m_ppfn, pfn);
        VirtualProtect(m_ppfn, sizeof(void*), dwOld, &dwOld);
        return pfn;
    }

    void** m_ppfn = NULL;
    void* m_pfnOld = NULL;
};

HANDLE s_hLastCreated = INVALID_HANDLE_VALUE;
int s_nClosesOfLastCreated = 0;

HANDLE WINAPI NotingCreateFileA(LPCSTR psz, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSa, DWORD dwHow, DWORD dwFlags, HANDLE hTemplate)
{
    s_hLastCreated = CreateFileA(psz, dwAccess, dwShare, pSa, dwHow, dwFlags, hTemplate);
    s_nClosesOfLastCreated = 0;
    return s_hLastCreated;
}

BOOL WINAPI CountingCloseHandle(HANDLE h)
{
    s_nClosesOfLastCreated += h == s_hLastCreated;
    return CloseHandle(h);
}

TEST_F(RecFile, AHandleThatFailsToCloseIsNotClosedAgain)
{
    CImportPatch create("CreateFileA", (void*)NotingCreateFileA), close("CloseHandle", (void*)CountingCloseHandle);
    ASSERT_TRUE(create.Patched() && close.Patched());
    {
        CRecFile f(FALSE);
        ASSERT_TRUE(f.Create(m_path.c_str(), 1, 1, ""));
        // Closed behind the object's back, the handle fails to close as any invalid one does.
        ASSERT_TRUE(CloseHandle(s_hLastCreated));
        EXPECT_FALSE(f.Close());
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
        // Once only: by a second time another thread may have been given the same value.
        EXPECT_EQ(s_nClosesOfLastCreated, 1);
        EXPECT_FALSE(f.Close());
    }
    EXPECT_EQ(s_nClosesOfLastCreated, 1);
}

// Real write failures: this program run again under a file-size limit, which the system
// enforces in the middle of a write. The child's files go to the directory it is given.
std::string ChildDir()
{
    char szDir[MAX_PATH] = {};
    GetEnvironmentVariableA("BEX_CHILD_DIR", szDir, MAX_PATH);
    freopen((std::string(szDir) + "out.txt").c_str(), "wb", stdout);
    return szDir;
}

// 100 bytes that say which record they are.
std::string Data100(int i)
{
    return std::string(100, (char)('A' + i % 50));
}

BEX_CHILD(create_over_limit)
{
    std::string dir = ChildDir();
    std::string desc(1000, 'd');   // the header record alone crosses the limit of 1024 bytes
    CRecFile f(FALSE);
    BOOL b = f.Create((dir + "quiet.rec").c_str(), 1, 1, desc.c_str());
    DWORD dw = GetLastError();
    printf("quiet: %d %lu %s\nend\n", b, dw, Exists(dir + "quiet.rec") ? "file" : "no file");
}

TEST_F(RecFile, ACreateCutShortByTheSystemLeavesNoFile)
{
    std::string out = harness::RunChildUnderFileLimit("create_over_limit", BEX_WINE_LOADER, m_dir, 2);
    ASSERT_NE(out, "") << "runs under Wine";
    EXPECT_EQ(out, "quiet: 0 39 no file\nend\n");   // ERROR_HANDLE_DISK_FULL
}

// Under a limit of 80 KiB, every way in which buffered records go to the file meets it: the
// buffer passed on full, a piece too large for it written directly, the rest of a record whose
// header has already gone, Close, and the destructor.
const int nLimitBlocks = 160;
const size_t cbLimit = nLimitBlocks * 512;

BEX_CHILD(write_at_every_boundary)
{
    std::string dir = ChildDir();
    auto path = [&](const char* pszName) { return dir + pszName + ".rec"; };
    {
        CRecFile f(FALSE);
        int n = 0;
        if (f.Create(path("full").c_str(), 1, 1, ""))
            while (n < 2000 && f.WriteRec(2, 1, 100, Data100(n).data()))
                ++n;
        DWORD dw = GetLastError();
        BOOL bClose = f.Close();
        // Ready again at once, with nothing left over from the failure
        BOOL bAgain = f.Create(path("again").c_str(), 1, 1, "") && f.WriteRec(2, 1, 100, Data100(0).data()) && f.Close();
        printf("full: %d written, then %lu; close %d; again %d\n", n, dw, bClose, bAgain);
    }
    {
        CRecFile f(FALSE);
        std::string big(200000, 'b');
        BOOL b = f.Create(path("direct").c_str(), 1, 1, "") && f.WriteRec(2, 1, 100, Data100(0).data()) && f.WriteRecBegin(3, 1);
        BOOL bData = f.WriteRecData(big.data(), (DWORD)big.size());
        printf("direct: %d %d %lu\n", b, bData, GetLastError());
    }
    {
        CRecFile f(FALSE);
        std::string piece(1000, 'p');
        BOOL b = f.Create(path("end").c_str(), 1, 1, "") && f.WriteRec(2, 1, 100, Data100(0).data()) && f.WriteRecBegin(3, 1);
        for (int i = 0; b && i < 90; ++i)
            b = f.WriteRecData(piece.data(), (DWORD)piece.size());
        BOOL bEnd = f.WriteRecEnd();
        printf("end: %d %d %lu\n", b, bEnd, GetLastError());
    }
    {
        CRecFile f;   // throws
        int n = 0;
        try {
            f.Create(path("close").c_str(), 1, 1, "");
            for (; n < 700; ++n)
                f.WriteRec(2, 1, 100, Data100(n).data());
            f.Close();
            printf("close: no exception\n");
        } catch (CFileException* e) {
            printf("close: %d written, exception %ld %s\n", n, e->m_lOsError, e->m_strFileName == path("close").c_str() ? "named" : "");
            e->Delete();
        }
    }
    {
        CRecFile f(FALSE);
        f.Create(path("destructor").c_str(), 1, 1, "");
        for (int n = 0; n < 700; ++n)
            f.WriteRec(2, 1, 100, Data100(n).data());
    }
    printf("destructor: done\nend\n");
}

TEST_F(RecFile, AFullDiskAtEveryPointWhereBufferedRecordsGoToTheFile)
{
    std::string out = harness::RunChildUnderFileLimit("write_at_every_boundary", BEX_WINE_LOADER, m_dir, nLimitBlocks);
    ASSERT_NE(out, "") << "runs under Wine";
    // Buffers of 64 KiB go to the file up to the first record that does not fit: the second
    // crosses the limit when the 1093rd record is begun.
    EXPECT_EQ(out, "full: 1092 written, then 39; close 0; again 1\n"
                   "direct: 1 0 39\n"
                   "end: 1 0 39\n"
                   "close: 700 written, exception 39 named\n"
                   "destructor: done\nend\n");
    std::string again = harness::ReadFileBytes(m_dir + "again.rec");
    ASSERT_GT(again.size(), 120u);
    EXPECT_EQ(again.substr(again.size() - 120), Record(2, 1, Data100(0)));
    size_t cbHead = again.size() - 120;

    // Each file holds what the system took, up to the limit: whole records as they were written,
    // then the one cut off, or the one begun with length 0, which breaks the chain.
    for (const char* pszName : { "full", "close", "destructor" }) {
        std::string bytes = harness::ReadFileBytes(m_dir + pszName + ".rec");
        EXPECT_EQ(bytes.size(), cbLimit) << pszName;
        std::vector<std::string> recs, expected;
        while ((expected.size() + 1) * 120 <= cbLimit - cbHead)
            expected.push_back(Data100((int)expected.size()));
        EXPECT_EQ(Walk(bytes, &recs), (cbLimit - cbHead) % 120 > 20 ? (DWORD)ERROR_SEEK : (DWORD)ERROR_HANDLE_EOF) << pszName;
        EXPECT_TRUE(recs == expected) << pszName << ": " << recs.size() << " records";
    }
    for (const char* pszName : { "direct", "end" }) {
        std::string bytes = harness::ReadFileBytes(m_dir + pszName + ".rec");
        EXPECT_EQ(bytes.size(), cbLimit) << pszName;
        std::vector<std::string> recs;
        EXPECT_EQ(Walk(bytes, &recs), (DWORD)ERROR_SEEK) << pszName;
        EXPECT_EQ(recs, (std::vector<std::string>{ Data100(0), "" })) << pszName;
    }
}

TEST_F(RecDamage, TruncatedAtEveryOffset)
{
    std::vector<std::string> recs;
    for (size_t cut = 0; cut <= m_bytes.size(); ++cut) {
        DWORD dwEnd = Walk(m_bytes.substr(0, cut), &recs);
        if (cut < m_headEnd) {
            EXPECT_EQ(dwEnd, (DWORD)ERROR_BAD_FORMAT) << cut;
            continue;
        }
        // A cut at or inside a record header ends the walk; inside the data it breaks the chain.
        size_t nWhole = 0;
        DWORD dwExpected = ERROR_HANDLE_EOF;
        for (size_t n = 0; n < m_data.size(); ++n) {
            if (m_offsets[n] + 20 + m_data[n].size() <= cut)
                ++nWhole;
            else if (cut >= m_offsets[n] + 20)
                dwExpected = ERROR_SEEK;
        }
        EXPECT_EQ(dwEnd, dwExpected) << cut;
        EXPECT_EQ(recs, Sample(nWhole)) << cut;
    }
}

TEST_F(RecDamage, EveryByteFlipped)
{
    std::vector<std::string> recs;
    for (char mask : { '\x01', '\xFF' }) {
        for (size_t i = 0; i < m_bytes.size(); ++i) {
            std::string bad = m_bytes;
            bad[i] ^= mask;
            DWORD dwEnd = Walk(bad, &recs);
            SCOPED_TRACE("offset " + std::to_string(i) + " mask " + std::to_string((BYTE)mask));
            // Under no check: the header record's marker, type and version, and each record's
            // type and version, the writer's own words. Damage there changes no data.
            bool bUnchecked = i >= 43 && i < 55;
            size_t r = 0;
            while (r + 1 < m_data.size() && i >= m_offsets[r + 1])
                ++r;
            if (i >= m_headEnd)
                bUnchecked = i - m_offsets[r] >= 4 && i - m_offsets[r] < 12;
            if (dwEnd == ERROR_HANDLE_EOF) {
                EXPECT_TRUE(bUnchecked);
                EXPECT_EQ(recs, Sample(m_data.size()));
            } else {
                EXPECT_TRUE(dwEnd == ERROR_BAD_FORMAT || dwEnd == ERROR_CRC || dwEnd == ERROR_SEEK) << dwEnd;
                EXPECT_EQ(recs, Sample(i < m_headEnd ? 0 : r));
            }
        }
    }
}

TEST_F(RecDamage, VerifyPassesASoundFileSilentlyAndShowsWhatIsWrong)
{
    // A record of several reading pieces, and one of none
    std::string big(200001, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = (char)(i * 31 + i / 251);
    CRecFile w(FALSE);
    ASSERT_TRUE(w.Create(m_path.c_str(), 8, 1, "big") && w.WriteRec(1, 1, (DWORD)big.size(), big.data()) &&
                w.WriteRec(2, 1, 0, NULL) && w.Close());
    harness::MsgBoxCatcher quiet;
    EXPECT_TRUE(w.Verify(m_path.c_str(), 8));
    EXPECT_EQ(quiet.Count(), 0u);

    std::string flipped = m_bytes, looping = m_bytes, emptyBadSum = m_bytes;
    flipped[m_offsets[2] + 40] ^= 0x10;
    PatchDword(looping, m_offsets[1] + 12, 0xFFFFFFEC);
    PatchDword(emptyBadSum, m_offsets[1] + 16, 1);   // a record of no data has a checksum too: 0
    const struct { const char* name; std::string bytes; DWORD dwType, dwCode; } cases[] = {
        { "data byte", flipped, 12, ERROR_CRC },
        { "length -20", looping, 12, ERROR_SEEK },
        { "empty record's checksum", emptyBadSum, 12, ERROR_CRC },
        // A header cut off by the end of the file is a broken chain, not the end.
        { "header cut", m_bytes.substr(0, m_offsets[2] + 7), 12, ERROR_SEEK },
        { "file type", m_bytes, 13, ERROR_BAD_FORMAT },
    };
    for (const auto& c : cases) {
        harness::WriteFileBytes(m_path, c.bytes);
        char szText[520] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, c.dwCode, 0, szText, sizeof(szText), NULL);
        harness::MsgBoxCatcher catcher;
        CRecFile f;   // throwing: Verify catches its own exceptions
        EXPECT_FALSE(f.Verify(m_path.c_str(), c.dwType)) << c.name;
        ASSERT_EQ(catcher.Count(), 1u) << c.name;
        EXPECT_EQ(catcher.Last().caption, "Verify Failed") << c.name;
        EXPECT_EQ(catcher.Last().text, szText) << c.name;
        EXPECT_EQ(catcher.Last().icon, (UINT)MB_ICONHAND) << c.name;
        EXPECT_TRUE(Throws([&] { f.ReadRecEnd(); })) << c.name;   // the flag restored
    }
}
