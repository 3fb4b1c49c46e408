// ReadFileLine through real files opened with _lopen.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

namespace {
typedef std::vector<std::string> Lines;

// A file holding the bytes, open through _lopen, removed with its folder afterwards.
struct LineFile {
    explicit LineFile(const std::string& bytes, int nMode = OF_READ) : m_dir(harness::TempDir())
    {
        harness::WriteFileBytes(m_dir + "lines.txt", bytes);
        m_hFile = _lopen((m_dir + "lines.txt").c_str(), nMode);
    }
    ~LineFile() { _lclose(m_hFile); harness::RemoveTree(m_dir); }
    LONG Position() const { return _llseek(m_hFile, 0, FILE_CURRENT); }
    // Every line through a buffer of exactly nSize bytes, until ReadFileLine says false.
    Lines Read(UINT nSize)
    {
        Lines lines;
        harness::GuardedBuffer buf(nSize);
        while (lines.size() < 100 && ReadFileLine(m_hFile, buf.Data(), nSize))
            lines.push_back(buf.Data());
        return lines;
    }
    std::string m_dir;
    HFILE m_hFile;
};
}  // namespace

TEST(ReadFileLine, LineEndsOfEveryKindAndLongLinesInPiecesThatFillTheBuffer)
{
    EXPECT_EQ(LineFile("one\n\ntwo\r\r\nth\rree\n\r\nlast\n").Read(256), (Lines{ "one", "", "two", "three", "", "last" }));
    EXPECT_EQ(LineFile(std::string("a\0b\nc\0\0d", 9)).Read(256), (Lines{ "a", "b", "c", "", "d" }));
    EXPECT_EQ(LineFile("abcdefgh\nxy").Read(4), (Lines{ "abc", "def", "gh", "xy" }));
    // The CR is the first byte that did not fit; the next piece is the bare line end.
    EXPECT_EQ(LineFile("abc\r\nd").Read(4), (Lines{ "abc", "", "d" }));
}

// The file pointer ends right after each line; a buffer without room for a character reads
// nothing; a read error gives false.
TEST(ReadFileLine, ThePointerAfterEachLineAndNothingReadWithoutRoomOrOnAnError)
{
    LineFile file("ab\ncd\n");
    char sz[64] = "#######";
    EXPECT_FALSE(ReadFileLine(file.m_hFile, sz, 1));
    EXPECT_FALSE(ReadFileLine(file.m_hFile, sz, 0));   // not a read of 0xFFFFFFFF bytes
    EXPECT_STREQ(sz, "#######");
    EXPECT_EQ(file.Position(), 0);
    ASSERT_TRUE(ReadFileLine(file.m_hFile, sz, sizeof(sz)));
    EXPECT_EQ(file.Position(), 3);
    ASSERT_TRUE(ReadFileLine(file.m_hFile, sz, sizeof(sz)));
    EXPECT_FALSE(ReadFileLine(file.m_hFile, sz, sizeof(sz)));
    LineFile writeOnly("abc\n", OF_WRITE);
    ASSERT_NE(writeOnly.m_hFile, HFILE_ERROR);
    EXPECT_FALSE(ReadFileLine(writeOnly.m_hFile, sz, sizeof(sz)));
}
