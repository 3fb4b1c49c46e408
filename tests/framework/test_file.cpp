// CFile and CStdioFile on real files: exact positions, line ends, and failures as exceptions.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

namespace {
// A folder of the test's own, removed afterwards.
struct FileTest : testing::Test {
    ~FileTest() override { harness::RemoveTree(m_dir); }
    std::string Write(const std::string& bytes)
    {
        harness::WriteFileBytes(m_dir + "t.txt", bytes);
        return m_dir + "t.txt";
    }
    std::string m_dir = harness::TempDir();
};
}  // namespace

TEST_F(FileTest, FailuresFillTheExceptionOrThrowItByPointer)
{
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open((m_dir + "missing.bin").c_str(), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_lOsError, ERROR_FILE_NOT_FOUND);
    char small[4] = { 'x', 'x', 'x', 'x' };
    e.GetErrorMessage(small, 3);
    EXPECT_EQ(small[2], '\0');
    EXPECT_EQ(small[3], 'x');

    bool bCaught = false;
    try {
        CFile f((m_dir + "nope\\x.bin").c_str(), CFile::modeRead);
    } catch (CFileException* e) {
        bCaught = e->m_cause == CFileException::badPath && e->IsKindOf(RUNTIME_CLASS(CException));
        e->Delete();
    }
    EXPECT_TRUE(bCaught);
}

TEST_F(FileTest, ReadWriteAndSeek)
{
    CFile f((m_dir + "a.bin").c_str(), CFile::modeCreate | CFile::modeReadWrite);
    f.Write("0123456789", 10);
    EXPECT_EQ(f.Seek(-3, CFile::end), 7u);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 8), 3u);
    EXPECT_STREQ(buf, "789");
    EXPECT_EQ(f.GetLength(), 10u);
    EXPECT_STREQ(f.GetFileName(), "a.bin");
}

// Every line start reported by GetPosition must be the byte offset where that line begins, also
// for lines that straddle the read-ahead buffer. (Seeking back to them is the printer's.)
TEST_F(FileTest, StdioPositionsAreExactOnBareLineFeedsCrLfAndMixedEnds)
{
    std::string content = "a\r\nbb\nccc\r\n\r\nd\re\n";
    std::vector<std::string> lines = { "a", "bb", "ccc", "", "d\re" };
    for (int i = 0; i < 600; ++i) {
        lines.push_back(std::string(i % 37, 'a' + i % 26));
        content += lines.back() + (i % 2 ? "\r\n" : "\n");
    }
    CStdioFile f;
    ASSERT_TRUE(f.Open(Write(content).c_str(), CFile::modeRead | CFile::typeText));
    CString line;
    size_t i = 0;
    for (ULONGLONG pos = 0; f.ReadString(line); pos = f.GetPosition(), ++i) {
        ASSERT_LT(i, lines.size());
        EXPECT_STREQ(line, lines[i].c_str());
        EXPECT_EQ(content.compare((size_t)pos, lines[i].size(), lines[i]), 0) << "line " << i;
    }
    EXPECT_EQ(i, lines.size());
}
