// The string primitives on their boundaries. Destination buffers sit against a no-access page, so
// one byte written past the end faults; a canary byte in front of them shows a write before the start.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <limits.h>

using harness::GuardedBuffer;

namespace {
// nSize bytes (none for a size below 1) against the guard page, with a canary byte before them.
struct Fenced {
    explicit Fenced(int nSize, char chCanary = '#') : m_buf((nSize > 0 ? nSize : 0) + 1)
    {
        memset(m_buf.Data(), '?', m_buf.Size());
        m_buf.Data()[0] = chCanary;
    }
    char* Data() { return m_buf.Data() + 1; }
    char Canary() { return m_buf.Data()[0]; }
    GuardedBuffer m_buf;
};
}  // namespace

TEST(CharSpace, IsExactlySpaceAndTabToCarriageReturnAndBytesAboveAsciiAreCharacters)
{
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(IsCharSpace((char)b) != FALSE, b == 0x20 || (b >= 0x09 && b <= 0x0D)) << b;
    GuardedBuffer word = GuardedBuffer::Text("ab\xA0" "c");
    EXPECT_EQ(SkipChar(word.Data()), word.Data() + 4);
    EXPECT_EQ(_lstrchr(word.Data(), '\xA0'), word.Data() + 2);
    EXPECT_EQ(_lstrtokcmpi("\xE4x", "\xE4y"), 'x' - 'y');
    EXPECT_GT(_lstrtokcmpi("\xE4", "a"), 0);
}

TEST(BoundedCopies, StayInsideTheBufferForEverySizeIncludingNoneAndNegative)
{
    GuardedBuffer six(6);
    EXPECT_STREQ(_lstrncpy(six.Data(), "abcdefgh", 5), "abcde");
    _lstrfill(six.Data(), 6, '-');
    EXPECT_STREQ(six.Data(), "-----");
    EXPECT_STREQ(_lstrtokncpy(six.Data(), "  abcdefgh ij", 6), "abcde");
    for (int nSize : { 1, 0, -1, INT_MIN }) {
        Fenced a(nSize), b(nSize), c(nSize);   // with no room, a write at [0] faults
        _lstrfill(a.Data(), nSize, '-');
        _lstrformat(b.Data(), "abc", nSize, 2);
        EXPECT_EQ(_lstrtokncpy(c.Data(), "abc", nSize), c.Data());
        if (nSize == 1) {
            EXPECT_STREQ(a.Data(), "");
            EXPECT_STREQ(b.Data(), "");
            EXPECT_STREQ(c.Data(), "");
        }
        EXPECT_EQ(a.Canary(), '#') << nSize;
        EXPECT_EQ(b.Canary(), '#') << nSize;
        EXPECT_EQ(c.Canary(), '#') << nSize;
    }
}

TEST(Lstrformat, AlignsInAFieldOfWidthLessOneAndCutsOnTheRight)
{
    GuardedBuffer dst(6);
    const char* expected[] = { "ab   ", " ab  ", "   ab", "ab   " };   // left, centre, right, other
    for (int nAlign = 0; nAlign < 4; ++nAlign) {
        _lstrformat(dst.Data(), "ab", 6, nAlign);
        EXPECT_STREQ(dst.Data(), expected[nAlign]) << nAlign;
        _lstrformat(dst.Data(), "abcdefgh", 6, nAlign);
        EXPECT_STREQ(dst.Data(), "abcde") << nAlign;
    }
}

TEST(Tokens, FirstTokensCompareWithoutCaseAndCopyUpToWhiteSpace)
{
    EXPECT_EQ(_lstrtokcmpi("  Abc def", "ABC\tx"), 0);
    EXPECT_LT(_lstrtokcmpi("ab", "abc"), 0);
    EXPECT_EQ(_lstrtokcmpi("B", "a"), 1);   // lower-cased before the difference is taken
    char sz[16];
    EXPECT_STREQ(_lstrtokcpy(sz, " a\vb\tc"), "a\vb");   // a vertical tab skips but does not cut
    char szTok[] = "  a,,b ";
    LPSTR pNext = NULL;
    EXPECT_STREQ(_lstrtok(szTok, ", ", &pNext), "a");
    EXPECT_EQ(pNext, szTok + 4);
    EXPECT_STREQ(_lstrtok(NULL, ", ", &pNext), "b");
    EXPECT_EQ(_lstrtok(NULL, ", ", &pNext), nullptr);
    EXPECT_EQ(pNext, nullptr);
    EXPECT_EQ(_latol("  -42x"), -42);
    EXPECT_EQ(_latol("+5"), 0);
    EXPECT_EQ(_latol("-2147483648"), (long)INT_MIN);
}

TEST(Lstrtab, RunsOfSpacesReachingATabStopBecomeTabs)
{
    struct { const char* in; const char* out; } cases[] = {
        { "a               b", "a\t\tb" },        // two tab stops reached
        { "abcdefg h", "abcdefg\th" },            // a single space on the stop
        { "abcd  e", "abcd  e" },                 // no stop reached
        { "a\t      b", "a\t\tb" },               // an input tab counts as one column
        { "abc     ", "abc" },                    // the tab itself is trailing white space
    };
    for (const auto& c : cases) {
        GuardedBuffer s = GuardedBuffer::Text(c.in);
        EXPECT_EQ(_lstrtab(s.Data()), s.Data());
        EXPECT_STREQ(s.Data(), c.out) << '"' << c.in << '"';
    }
}

TEST(ChangeExt, ReplacesOrAddsTheExtensionOfTheFilePartOnly)
{
    struct { LPSTR (WINAPI *pfn)(LPSTR, LPCSTR); const char* path; const char* ext; const char* out; } cases[] = {
        { _lChangeExt, "D:\\d\\f.old", ".new", "D:\\d\\f.new" },
        { _lChangeExt, "D:\\d.x\\f", "y", "D:\\d.x\\f.y" },    // a dot in the directory is no extension
        { _lChangeExt, "d.x/f", "y", "d.x/f.y" },
        { _lAddExt, "f.txt", "doc", "f.txt" },
        { _lAddExt, "d.x\\f", ".doc", "d.x\\f.doc" },
    };
    for (const auto& c : cases) {
        GuardedBuffer path(std::max(strlen(c.path), strlen(c.out)) + 1);
        strcpy(path.Data(), c.path);
        EXPECT_EQ(c.pfn(path.Data(), c.ext), path.Data());
        EXPECT_STREQ(path.Data(), c.out) << c.path << " + " << c.ext;
    }
    // Paths of MAX_PATH characters or more are left alone.
    std::string fits = "C:\\" + std::string(MAX_PATH - 8, 'd') + "\\f.a";
    std::vector<char> buf(2 * MAX_PATH);
    strcpy(buf.data(), fits.c_str());
    EXPECT_STREQ(_lChangeExt(buf.data(), "xyz"), (fits.substr(0, fits.size() - 1) + "xyz").c_str());
    std::string tooLong = "C:\\" + std::string(MAX_PATH, 'd') + "\\f";
    strcpy(buf.data(), tooLong.c_str());
    EXPECT_STREQ(_lAddExt(buf.data(), "xyz"), tooLong.c_str());
}

TEST(SeparateFile, SplitsAtTheLastColonOrBackslash)
{
    struct { const char* path; const char* dir; const char* file; } cases[] = {
        { "D:a.txt", "D", "a.txt" },
        { "D:\\a.txt", "D:", "a.txt" },
        { "D:\\work\\", "D:\\work", "" },
        { "d/e.txt", "", "d/e.txt" },
    };
    for (const auto& c : cases) {
        GuardedBuffer dir(strlen(c.path) + 1), file(strlen(c.file) + 1);
        EXPECT_EQ(_SeparateFile(dir.Data(), file.Data(), c.path), file.Data());
        EXPECT_STREQ(dir.Data(), c.dir) << c.path;
        EXPECT_STREQ(file.Data(), c.file) << c.path;
    }
    // A backslash just before the directory buffer would be taken for a separator by a scan
    // that starts one byte too early.
    Fenced dir(1, '\\'), file(1);
    EXPECT_STREQ(_SeparateFile(dir.Data(), file.Data(), ""), "");
    EXPECT_STREQ(dir.Data(), "");
    EXPECT_EQ(dir.Canary(), '\\');
}
