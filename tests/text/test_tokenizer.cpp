// The tokenizer and the name/id tables.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

TEST(Tokenizer, DelimitersAfterATokenGoWithItButLeadingOnesGiveAnEmptyToken)
{
    CTokenizer tok;
    int bFound = -1;
    EXPECT_STREQ(tok.FirstToken("a,,b", ",", &bFound), "a");
    EXPECT_EQ(bFound, TRUE);
    EXPECT_STREQ(tok.NextToken(",", &bFound), "b");
    EXPECT_EQ(bFound, TRUE);
    EXPECT_STREQ(tok.NextToken(",", &bFound), "");
    EXPECT_EQ(bFound, FALSE);
    EXPECT_STREQ(tok.FirstToken(",a", ",", &bFound), "");
    EXPECT_EQ(bFound, TRUE);
}

TEST(Tokenizer, EachCallMayNameOtherDelimitersAndCopiesGoTheirOwnWay)
{
    CTokenizer tok;
    EXPECT_STREQ(tok.FirstToken("8, 16;24 x", ", ", NULL), "8");
    CTokenizer copy(tok);
    EXPECT_STREQ(tok.NextToken(";", NULL), "16");
    EXPECT_STREQ(copy.GetRest(), "16;24 x");
    copy = tok;
    EXPECT_STREQ(tok.NextToken("", NULL), "24 x");   // no delimiters: the whole rest
    EXPECT_STREQ(copy.NextToken(" ", NULL), "24");
}

namespace {
const IDSTRINGENTRY s_types[] = { { "Bool", 1 }, { "Int", 2 }, { "Integer", 2 }, { NULL, 9 } };
const IDSTRINGENTRY s_modes[] = { { "Run", 1 }, { "Stop", 0 }, { "Halt", 0 }, { NULL, 0 } };
const IDSTRINGENTRY s_empty[] = { { NULL, 5 } };
}  // namespace

// StringToID is case-sensitive and falls back on the default; IDToString gives the first name
// or the default's name.
TEST(IdTable, LookUpsBothWaysFallBackOnTheDefault)
{
    EXPECT_EQ(StringToID(s_types, "Int"), 2);
    EXPECT_EQ(StringToID(s_types, "int"), 9);
    EXPECT_EQ(StringToID(s_empty, "Int"), 5);
    EXPECT_STREQ(IDToString(s_types, 2), "Int");
    EXPECT_STREQ(IDToString(s_modes, 7), "Stop");   // a miss answers with the default's name
    EXPECT_EQ(IDToString(s_types, 7), nullptr);     // whose default has no name
    EXPECT_EQ(DefaultString(s_types), nullptr);
    EXPECT_EQ(DefaultString(s_empty), nullptr);
}
