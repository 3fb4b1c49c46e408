// CString and the arrays: value semantics and the members the library relies on.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

TEST(CString, CopiesAreIndependentValues)
{
    CString a("abc");
    CString b = a;
    b.SetAt(0, 'x');
    b += "def";
    EXPECT_STREQ(a, "abc");
    EXPECT_STREQ(b, "xbcdef");
    CString c(static_cast<CString&&>(b));
    EXPECT_STREQ(c, "xbcdef");
    EXPECT_TRUE(b.IsEmpty());
    c = c;   // self-assignment keeps the text
    EXPECT_STREQ(c, "xbcdef");
    c = c.Mid(2);   // assignment from a part of itself
    EXPECT_STREQ(c, "cdef");
    EXPECT_STREQ(CString((LPCSTR)NULL), "");
    EXPECT_STREQ(CString('-', 3), "---");
    EXPECT_STREQ(CString("abcdef", 2), "ab");
}

TEST(CString, ExtractionClampsOutOfRangeArguments)
{
    CString s("Hello");
    EXPECT_STREQ(s.Mid(1, 3), "ell");
    EXPECT_STREQ(s.Mid(3, 100), "lo");
    EXPECT_STREQ(s.Mid(9), "");
    EXPECT_STREQ(s.Mid(-2, 2), "He");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Left(10), "Hello");
    EXPECT_STREQ(s.Right(2), "lo");
    EXPECT_STREQ(s.Right(9), "Hello");
    EXPECT_STREQ(CString("a,,b").SpanExcluding(","), "a");
    EXPECT_STREQ(CString(",,b").SpanIncluding(","), ",,");
    EXPECT_STREQ(CString("abc").SpanIncluding(","), "");
}

TEST(CString, SearchAndEdit)
{
    CString s("one two one");
    EXPECT_EQ(s.Find('o'), 0);
    EXPECT_EQ(s.Find('o', 1), 6);
    EXPECT_EQ(s.Find("one", 1), 8);
    EXPECT_EQ(s.Find("zzz"), -1);
    EXPECT_EQ(s.Find('x', 100), -1);
    EXPECT_EQ(s.ReverseFind('o'), 8);
    EXPECT_EQ(s.FindOneOf("wt"), 4);
    EXPECT_EQ(s.Replace("one", "1"), 2);
    EXPECT_STREQ(s, "1 two 1");
    EXPECT_EQ(s.Replace(' ', '_'), 2);
    EXPECT_EQ(s.Remove('_'), 2);
    EXPECT_STREQ(s, "1two1");
    s.Insert(1, "--");
    s.Delete(0, 1);
    EXPECT_STREQ(s, "--two1");
    s.MakeUpper();
    EXPECT_STREQ(s, "--TWO1");
    s.MakeLower();
    s.MakeReverse();
    EXPECT_STREQ(s, "1owt--");
}

TEST(CString, TrimAndCompare)
{
    CString s(" \t x y \r\n");
    s.TrimLeft();
    EXPECT_STREQ(s, "x y \r\n");
    s.TrimRight();
    EXPECT_STREQ(s, "x y");
    CString t("xxaxx");
    t.TrimLeft('x');
    t.TrimRight("x");
    EXPECT_STREQ(t, "a");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_TRUE(CString("a") == "a");
    EXPECT_TRUE(CString("a") != CString("b"));
    EXPECT_STREQ(CString("a") + 'b' + "c" + CString("d"), "abcd");
}

TEST(CString, FormatGrowsToAnyLength)
{
    CString s;
    s.Format("%d-%s-%04X", 42, "x", 0xBEEF);
    EXPECT_STREQ(s, "42-x-BEEF");
    CString big(' ', 5000);
    s.Format("[%s]", (LPCSTR)big);
    EXPECT_EQ(s.GetLength(), 5002);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, BufferAccess)
{
    CString s;
    char* p = s.GetBuffer(10);
    strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 5);
    p = s.GetBuffer(0);
    p[2] = '\0';
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "he");
    s.GetBufferSetLength(4);
    EXPECT_EQ(s.GetLength(), 4);
    s.ReleaseBuffer(1);
    EXPECT_STREQ(s, "h");
}

TEST(CString, LoadStringWalksTheResourceChain)
{
    ASSERT_NE(LoadLibraryA("BexLib32.dll"), nullptr);
    CString s;
    EXPECT_TRUE(s.LoadString(1002));   // a string of BexLib32.dll, not of this program
    EXPECT_STREQ(s, "System Info");
    EXPECT_FALSE(s.LoadString(61234));
    EXPECT_TRUE(s.IsEmpty());
}

namespace {
// An element that owns memory: arrays must move it, never copy its bits.
struct Owner {
    char* p;
    Owner() : p(_strdup("")) {}
    explicit Owner(const char* s) : p(_strdup(s)) {}
    Owner(const Owner& o) : p(_strdup(o.p)) {}
    Owner(Owner&& o) noexcept : p(o.p) { o.p = nullptr; }
    Owner& operator=(const Owner& o) { if (this != &o) { free(p); p = _strdup(o.p); } return *this; }
    Owner& operator=(Owner&& o) noexcept { std::swap(p, o.p); return *this; }
    ~Owner() { free(p); }
};
}  // namespace

TEST(CArray, ElementsThatOwnMemorySurviveGrowthInsertAndRemove)
{
    CArray<Owner, const Owner&> a;
    for (int i = 0; i < 100; ++i) {
        char sz[8];
        sprintf(sz, "%d", i);
        a.Add(Owner(sz));
    }
    a.InsertAt(0, Owner("first"), 2);
    a.RemoveAt(50, 10);
    a.Add(a[0]);   // an element of the array itself, while the array grows
    ASSERT_EQ(a.GetSize(), 93);
    EXPECT_STREQ(a[0].p, "first");
    EXPECT_STREQ(a[1].p, "first");
    EXPECT_STREQ(a[2].p, "0");
    EXPECT_STREQ(a[50].p, "58");
    EXPECT_STREQ(a[91].p, "99");
    EXPECT_STREQ(a[92].p, "first");
    CArray<Owner, const Owner&> b(a);
    a.RemoveAll();
    EXPECT_STREQ(b[92].p, "first");
}

TEST(CStringArray, AddAndCopy)
{
    CStringArray arr;
    arr.Add("x");
    arr.Add(CString("y"));
    arr.SetAtGrow(4, "z");
    EXPECT_EQ(arr.GetSize(), 5);
    EXPECT_STREQ(arr[3], "");
    EXPECT_STREQ(arr[4], "z");
    CDWordArray dw;
    dw.Add(7);
    EXPECT_EQ(dw[0], 7u);
}
