// CFile and CStdioFile on real files: exact positions, line ends, and failures as exceptions.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

using harness::TempDir;

TEST(CFile, OpenFailureFillsTheExceptionObject)
{
    std::string dir = TempDir();
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open((dir + "missing.bin").c_str(), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_lOsError, ERROR_FILE_NOT_FOUND);
    char sz[256];
    EXPECT_TRUE(e.GetErrorMessage(sz, sizeof(sz)));
    EXPECT_GT(strlen(sz), 0u);
    char small[4] = { 'x', 'x', 'x', 'x' };
    e.GetErrorMessage(small, 3);
    EXPECT_EQ(small[2], '\0');
    EXPECT_EQ(small[3], 'x');
    harness::RemoveTree(dir);
}

TEST(CFile, ReadWriteSeekAndThrowByPointer)
{
    std::string dir = TempDir();
    std::string path = dir + "a.bin";
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeReadWrite);
        f.Write("0123456789", 10);
        EXPECT_EQ(f.GetLength(), 10u);
        EXPECT_EQ(f.Seek(-3, CFile::end), 7u);
        char buf[8] = {};
        EXPECT_EQ(f.Read(buf, 8), 3u);
        EXPECT_STREQ(buf, "789");
        f.SetLength(4);
        EXPECT_EQ(f.GetLength(), 4u);
        EXPECT_STREQ(f.GetFileName(), "a.bin");
    }
    bool bCaught = false;
    try {
        CFile f((dir + "nope\\x.bin").c_str(), CFile::modeRead);
    } catch (CFileException* e) {
        bCaught = true;
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        e->Delete();
    }
    EXPECT_TRUE(bCaught);
    CFile::Remove(path.c_str());
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    harness::RemoveTree(dir);
}

TEST(CFileException, OsErrorsMapOntoCauses)
{
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_ACCESS_DENIED), CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION), CFileException::sharingViolation);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_HANDLE_DISK_FULL), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_HANDLE_EOF), CFileException::endOfFile);
    EXPECT_EQ(CFileException::OsErrorToException(12345), CFileException::generic);
}

namespace {

// A folder of the test's own, with the text files it reads; removed afterwards.
class StdioFile : public testing::Test {
protected:
    ~StdioFile() override { harness::RemoveTree(m_dir); }
    std::string Write(const std::string& bytes)
    {
        harness::WriteFileBytes(m_dir + "t.txt", bytes);
        return m_dir + "t.txt";
    }
    // Every line start reported by GetPosition must be the byte offset where that line begins.
    void CheckLineStarts(const std::string& content, const std::vector<std::string>& lines)
    {
        CStdioFile f;
        ASSERT_TRUE(f.Open(Write(content).c_str(), CFile::modeRead | CFile::typeText));
        CString line;
        size_t i = 0;
        for (;;) {
            ULONGLONG pos = f.GetPosition();
            if (!f.ReadString(line))
                break;
            ASSERT_LT(i, lines.size());
            EXPECT_STREQ(line, lines[i].c_str());
            // The line's first byte stands at the reported position in the raw file.
            EXPECT_EQ(content.compare((size_t)pos, lines[i].size(), lines[i]), 0) << "line " << i;
            ++i;
        }
        EXPECT_EQ(i, lines.size());
    }
    std::string m_dir = TempDir();
};

}  // namespace

TEST_F(StdioFile, PositionsAreExactOnBareLineFeedsCrLfAndMixedEnds)
{
    CheckLineStarts("alpha\nbeta\n\ngamma", { "alpha", "beta", "", "gamma" });
    CheckLineStarts("a\r\nbb\nccc\r\n\r\nd\re\n", { "a", "bb", "ccc", "", "d\re" });
    // Lines that straddle the read-ahead buffer.
    std::string big;
    std::vector<std::string> lines;
    for (int i = 0; i < 600; ++i) {
        lines.push_back(std::string(i % 37, 'a' + i % 26));
        big += lines.back() + (i % 2 ? "\r\n" : "\n");
    }
    CheckLineStarts(big, lines);
}

// A printer flushes the file it is given before it paginates; the file is open for reading only.
TEST_F(StdioFile, SeekBackToAReportedPositionRereadsTheSameLineAndFlushKeepsIt)
{
    CStdioFile f(Write("one\r\ntwo\r\nthree\n").c_str(), CFile::modeRead);
    CString s;
    f.ReadString(s);
    ULONGLONG pos = f.GetPosition();
    EXPECT_NO_THROW(f.Flush());
    EXPECT_EQ(f.GetPosition(), 5u);
    f.ReadString(s);
    EXPECT_STREQ(s, "two");
    f.ReadString(s);
    f.Seek((LONGLONG)pos, CFile::begin);
    f.ReadString(s);
    EXPECT_STREQ(s, "two");
    char buf[3];
    EXPECT_STREQ(f.ReadString(buf, sizeof(buf)), "th");   // cut to nMax - 1, like fgets
    EXPECT_EQ(f.GetPosition(), 12u);
}

TEST_F(StdioFile, WriteStringTurnsLineFeedsIntoCrLf)
{
    {
        CStdioFile f((m_dir + "w.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
        f.WriteString("a\nb");
        f.WriteString("\n");
    }
    EXPECT_EQ(harness::ReadFileBytes(m_dir + "w.txt"), "a\r\nb\r\n");
}
