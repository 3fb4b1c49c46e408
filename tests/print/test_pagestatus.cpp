// The page status and the printer command language as an application sees them.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <limits.h>
#include <string>
#include <vector>

static std::vector<int> Stops(const CPageStatus& status)
{
    const int* pn = status.GetTabStopPositions();
    return std::vector<int>(pn, pn + status.GetTabCount());
}

static std::vector<int> StopsOf(const char* pszList, int nUnit)
{
    CPageStatus status;
    status.SetTabs(pszList, nUnit);
    return Stops(status);
}

TEST(PrinterCommands, TheEightWordsAsTheLibraryExportsThem)
{
    EXPECT_STREQ(CPagePrinter::s_sCmdPrefix, "&%%");
    EXPECT_STREQ(CPagePrinter::s_sCmdPostfix, "%%&");
    EXPECT_STREQ(CPagePrinter::s_sNotCmd, "-");
    EXPECT_STREQ(CPagePrinter::s_sBoldCmd, "B");
    EXPECT_STREQ(CPagePrinter::s_sItalicCmd, "I");
    EXPECT_STREQ(CPagePrinter::s_sUnderlineCmd, "U");
    EXPECT_STREQ(CPagePrinter::s_sNormalCmd, "N");
    EXPECT_STREQ(CPagePrinter::s_sTabCmd, "T");

    // The same objects are found by name in the loaded library.
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    const struct {
        const char* pszMember;
        const CString* pString;
    } aWords[] = { { "s_sCmdPrefix", &CPagePrinter::s_sCmdPrefix }, { "s_sCmdPostfix", &CPagePrinter::s_sCmdPostfix },
                   { "s_sNotCmd", &CPagePrinter::s_sNotCmd }, { "s_sBoldCmd", &CPagePrinter::s_sBoldCmd },
                   { "s_sItalicCmd", &CPagePrinter::s_sItalicCmd }, { "s_sUnderlineCmd", &CPagePrinter::s_sUnderlineCmd },
                   { "s_sNormalCmd", &CPagePrinter::s_sNormalCmd }, { "s_sTabCmd", &CPagePrinter::s_sTabCmd } };
    for (const auto& word : aWords) {
        std::string name = "_ZN12CPagePrinter" + std::to_string(strlen(word.pszMember)) + word.pszMember + "E";
        EXPECT_EQ((const void*)GetProcAddress(hLib, name.c_str()), (const void*)word.pString) << name;
    }
}

TEST(PrinterCommands, AttributeBuildersTakeAnyNonZeroAsOn)
{
    EXPECT_STREQ(CPagePrinter::GetBoldCmd(0), "&%%-B%%&");
    EXPECT_STREQ(CPagePrinter::GetBoldCmd(1), "&%%B%%&");
    EXPECT_STREQ(CPagePrinter::GetBoldCmd(7), "&%%B%%&");
    EXPECT_STREQ(CPagePrinter::GetItalicCmd(0), "&%%-I%%&");
    EXPECT_STREQ(CPagePrinter::GetItalicCmd(-1), "&%%I%%&");
    EXPECT_STREQ(CPagePrinter::GetUnderlineCmd(0), "&%%-U%%&");
    EXPECT_STREQ(CPagePrinter::GetUnderlineCmd(2), "&%%U%%&");
    EXPECT_STREQ(CPagePrinter::GetNormalCmd(), "&%%N%%&");
}

TEST(PrinterCommands, TabBuilderJoinsTheWidthsWithCommas)
{
    int anWidths[] = { 10, 8, 20 };
    EXPECT_STREQ(CPagePrinter::GetTabCmd(3, anWidths), "&%%T10,8,20%%&");
    int nNegative = -3;
    EXPECT_STREQ(CPagePrinter::GetTabCmd(1, &nNegative), "&%%T-3%%&");
    // With no widths the array is not read.
    EXPECT_STREQ(CPagePrinter::GetTabCmd(0, NULL), "&%%T%%&");
    EXPECT_STREQ(CPagePrinter::GetTabCmd(CString("4, 5")), "&%%T4, 5%%&");
}

TEST(CPageStatus, StartsPlainWithoutStopsAndKnowsItsClass)
{
    CPageStatus status;
    EXPECT_EQ(status.IsBold() | status.IsItalic() | status.IsUnderlined() | status.GetIndent(), 0);
    EXPECT_EQ(status.GetFilePosition(), 0ul);
    EXPECT_EQ(status.GetTabCount(), 0);
    EXPECT_EQ(status.GetTabStopPositions(), nullptr);
    EXPECT_STREQ(status.GetRuntimeClass()->m_lpszClassName, "CPageStatus");
    EXPECT_TRUE(status.IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST(CPageStatus, TabStopsAddUpColumnWidthsPlusHalfACharacter)
{
    EXPECT_EQ(StopsOf("10,8,20", 20), (std::vector<int>{ 210, 380, 790 }));
    EXPECT_EQ(StopsOf("4", 25), (std::vector<int>{ 112 }));   // half of 25 is 12
    EXPECT_EQ(StopsOf("-3", 10), (std::vector<int>{ -25 }));
    EXPECT_EQ(StopsOf(" 7x,abc", 10), (std::vector<int>{ 75, 80 }));   // atoi's reading
}

TEST(CPageStatus, EmptyFieldsAndStrayCommas)
{
    CPageStatus status;
    status.SetTabs("", 10);
    EXPECT_EQ(status.GetTabCount(), 0);
    EXPECT_EQ(status.GetTabStopPositions(), nullptr);
    EXPECT_EQ(StopsOf(",5", 10), (std::vector<int>{ 5, 60 }));   // a leading comma is an empty column
    EXPECT_EQ(StopsOf("5,,5", 10), (std::vector<int>{ 55, 110 }));
    EXPECT_EQ(StopsOf("5,", 10), (std::vector<int>{ 55 }));
}

TEST(CPageStatus, KeepsTheFirst200Stops)
{
    std::string list;
    for (int i = 0; i < 250; ++i)
        list += (i ? "," : "") + std::to_string(i < 200 ? 1 : 1000);
    std::vector<int> stops = StopsOf(list.c_str(), 10);
    ASSERT_EQ(stops.size(), 200u);
    EXPECT_EQ(stops.back(), 200 * 15);
}

TEST(CPageStatus, HugeWidthsSaturateInsteadOfWrappingRound)
{
    std::vector<int> stops = StopsOf("2147483647,5,2147483647", 1000);
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_EQ(stops[0], INT_MAX);
    EXPECT_EQ(stops[1], INT_MAX);
    EXPECT_EQ(stops[2], INT_MAX);
    stops = StopsOf("-2147483647,-2147483647", 1000);
    EXPECT_EQ(stops, (std::vector<int>{ INT_MIN, INT_MIN }));
}

TEST(CPageStatus, SetNormalKeepsStopsAndFilePosition)
{
    CPageStatus status;
    status.SetBold(5);
    status.SetItalic(1);
    status.SetUnderline(1);
    status.SetIdent(12);
    status.SetFilePosition(4711);
    status.SetTabs("3,4", 10);
    EXPECT_EQ(status.IsBold(), 5);   // stored as given
    status.SetNormal();
    EXPECT_EQ(status.IsBold() | status.IsItalic() | status.IsUnderlined() | status.GetIndent(), 0);
    EXPECT_EQ(status.GetFilePosition(), 4711ul);
    EXPECT_EQ(Stops(status), (std::vector<int>{ 35, 80 }));
}

TEST(CPageStatus, CopiesOwnTheirStops)
{
    CPageStatus first;
    first.SetBold(1);
    first.SetIdent(3);
    first.SetFilePosition(99);
    first.SetTabs("1,2", 10);

    CPageStatus copy(first);
    EXPECT_NE(copy.GetTabStopPositions(), first.GetTabStopPositions());
    copy.SetTabs("9", 10);
    EXPECT_EQ(Stops(first), (std::vector<int>{ 15, 40 }));

    CPageStatus assigned;
    assigned.SetTabs("7,7,7", 10);
    assigned = first;
    EXPECT_EQ(assigned.IsBold(), 1);
    EXPECT_EQ(assigned.GetIndent(), 3);
    EXPECT_EQ(assigned.GetFilePosition(), 99ul);
    EXPECT_EQ(Stops(assigned), Stops(first));
    EXPECT_NE(assigned.GetTabStopPositions(), first.GetTabStopPositions());

    int* pnBefore = first.GetTabStopPositions();
    CPageStatus& self = first;
    first = self;
    EXPECT_EQ(first.GetTabStopPositions(), pnBefore);
    EXPECT_EQ(Stops(first), (std::vector<int>{ 15, 40 }));

    // Assigning a status without stops leaves none, and no array.
    assigned = CPageStatus();
    EXPECT_EQ(assigned.GetTabCount(), 0);
    EXPECT_EQ(assigned.GetTabStopPositions(), nullptr);
}

// The printer's page table is an array of statuses; each must keep its own stops while the
// array grows, takes insertions and loses elements.
TEST(CPageStatus, StatusesKeepTheirStopsInAGrowingArray)
{
    CArray<CPageStatus, CPageStatus&> table;
    for (int i = 0; i < 60; ++i) {
        CPageStatus status;
        status.SetFilePosition(i);
        status.SetTabs(std::to_string(i).c_str(), 10);
        table.Add(status);
    }
    CPageStatus first;
    first.SetTabs("1000", 10);
    table.InsertAt(0, first);
    table.RemoveAt(10, 5);
    ASSERT_EQ(table.GetSize(), 56);
    EXPECT_EQ(Stops(table[0]), (std::vector<int>{ 10005 }));
    for (int i = 1; i < 56; ++i) {
        int n = i < 10 ? i - 1 : i + 4;
        EXPECT_EQ(table[i].GetFilePosition(), (unsigned long)n);
        EXPECT_EQ(Stops(table[i]), (std::vector<int>{ n * 10 + 5 }));
    }
}
