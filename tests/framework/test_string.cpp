// CString and the arrays: value semantics and the members the library relies on.
#include "harness.h"
#include "fxframe.h"
#include <gtest/gtest.h>

TEST(CString, CopiesAreIndependentValuesAlsoWhenAssignedFromThemselves)
{
    CString a("abc");
    CString b = a;
    b.SetAt(0, 'x');
    b += "def";
    EXPECT_STREQ(a, "abc");
    CString c(static_cast<CString&&>(b));
    EXPECT_STREQ(c, "xbcdef");
    EXPECT_TRUE(b.IsEmpty());
    c = c;
    EXPECT_STREQ(c, "xbcdef");
    c = c.Mid(2);   // from a part of itself
    EXPECT_STREQ(c, "cdef");
    EXPECT_STREQ(CString((LPCSTR)NULL), "");
}

TEST(CString, ExtractionAndSearchClampOutOfRangeArguments)
{
    CString s("Hello");
    EXPECT_STREQ(s.Mid(9), "");
    EXPECT_STREQ(s.Mid(-2, 2), "He");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(CString("a,,b").SpanExcluding(","), "a");
    EXPECT_EQ(s.Find('x', 100), -1);
    EXPECT_EQ(s.Find("lo", 9), -1);
}

TEST(CString, EditsCountWhatTheyChange)
{
    CString s("one two one");
    EXPECT_EQ(s.Replace("one", "1"), 2);
    EXPECT_EQ(s.Remove(' '), 2);
    EXPECT_STREQ(s, "1two1");
    CString t(" \txxaxx \r\n");
    t.TrimLeft();
    t.TrimRight();
    t.TrimRight("x");
    EXPECT_STREQ(t, "xxa");
}

TEST(CString, FormatGrowsToAnyLengthAndBuffersReleaseToTheirText)
{
    CString s, big(' ', 5000);
    s.Format("[%s]%04X", (LPCSTR)big, 0xBEEF);
    EXPECT_EQ(s.GetLength(), 5006);
    EXPECT_STREQ(s.Mid(5001), "]BEEF");
    strcpy(s.GetBuffer(10), "he\0llo");
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "he");
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

// Elements that own memory (CString): arrays must move them, never copy their bits.
TEST(CArray, ElementsThatOwnMemorySurviveGrowthInsertAndRemove)
{
    CArray<CString, const CString&> a;
    for (int i = 0; i < 100; ++i)
        a.Add(CString(std::to_string(i).c_str()));
    a.InsertAt(0, CString("first"), 2);
    a.RemoveAt(50, 10);
    a.Add(a[0]);   // an element of the array itself, while the array grows
    CArray<CString, const CString&> b(a);
    a.RemoveAll();
    ASSERT_EQ(b.GetSize(), 93);
    for (int i : { 0, 1, 92 })
        EXPECT_STREQ(b[i], "first");
    EXPECT_STREQ(b[2], "0");
    EXPECT_STREQ(b[50], "58");
    EXPECT_STREQ(b[91], "99");
}
