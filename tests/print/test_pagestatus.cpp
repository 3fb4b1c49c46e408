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

TEST(PrinterCommands, WordsExportedByTheLibraryAndTheBuilders)
{
    // Read through the import library and found by name in the loaded library alike.
    HMODULE hLib = GetModuleHandleA("BexLib32.dll");
    const struct {
        const char* pszMember;
        const CString* pString;
        const char* pszValue;
    } aWords[] = { { "s_sCmdPrefix", &CPagePrinter::s_sCmdPrefix, "&%%" }, { "s_sCmdPostfix", &CPagePrinter::s_sCmdPostfix, "%%&" },
                   { "s_sNotCmd", &CPagePrinter::s_sNotCmd, "-" }, { "s_sBoldCmd", &CPagePrinter::s_sBoldCmd, "B" },
                   { "s_sItalicCmd", &CPagePrinter::s_sItalicCmd, "I" }, { "s_sUnderlineCmd", &CPagePrinter::s_sUnderlineCmd, "U" },
                   { "s_sNormalCmd", &CPagePrinter::s_sNormalCmd, "N" }, { "s_sTabCmd", &CPagePrinter::s_sTabCmd, "T" } };
    for (const auto& word : aWords) {
        std::string name = "_ZN12CPagePrinter" + std::to_string(strlen(word.pszMember)) + word.pszMember + "E";
        EXPECT_EQ((const void*)GetProcAddress(hLib, name.c_str()), (const void*)word.pString) << name;
        EXPECT_STREQ(*word.pString, word.pszValue);
    }

    EXPECT_STREQ(CPagePrinter::GetBoldCmd(0), "&%%-B%%&");
    EXPECT_STREQ(CPagePrinter::GetBoldCmd(7), "&%%B%%&");   // any non-zero is on
    EXPECT_STREQ(CPagePrinter::GetItalicCmd(-1), "&%%I%%&");
    EXPECT_STREQ(CPagePrinter::GetUnderlineCmd(0), "&%%-U%%&");
    EXPECT_STREQ(CPagePrinter::GetNormalCmd(), "&%%N%%&");
    int anWidths[] = { 10, 8, 20 };
    EXPECT_STREQ(CPagePrinter::GetTabCmd(3, anWidths), "&%%T10,8,20%%&");
    int nNegative = -3;
    EXPECT_STREQ(CPagePrinter::GetTabCmd(1, &nNegative), "&%%T-3%%&");
    EXPECT_STREQ(CPagePrinter::GetTabCmd(0, NULL), "&%%T%%&");   // the array is not read
}

// Each number is a column width in characters; a column is half a character wider, and the
// stops add up. Fields split like the tokenizer splits them; atoi reads each.
TEST(CPageStatus, TabListsGiveCumulativeStops)
{
    const struct {
        const char* pszList;
        int nUnit;
        std::vector<int> stops;
    } aCases[] = {
        { "10,8,20", 20, { 210, 380, 790 } },
        { "4", 25, { 112 } },               // half of 25 is 12
        { "", 10, {} },
        { ",5", 10, { 5, 60 } },            // a leading comma is an empty column
        { "5,,5", 10, { 55, 110 } },
        { "5,", 10, { 55 } },
        { " 7x,-3", 10, { 75, 50 } },
        { "2147483647,5", 1000, { INT_MAX, INT_MAX } },   // saturated, never wrapped round
        { "-2147483647,-9", 1000, { INT_MIN, INT_MIN } },
    };
    for (const auto& c : aCases) {
        CPageStatus status;
        status.SetTabs("1,2,3", 1);
        status.SetTabs(c.pszList, c.nUnit);
        EXPECT_EQ(Stops(status), c.stops) << c.pszList;
        if (c.stops.empty()) {
            EXPECT_EQ(status.GetTabStopPositions(), nullptr);
        }
    }
    std::string list;
    for (int i = 0; i < 250; ++i)
        list += (i < 200 ? "1," : "1000,");
    CPageStatus status;
    status.SetTabs(list.c_str(), 10);
    ASSERT_EQ(status.GetTabCount(), 200);
    EXPECT_EQ(status.GetTabStopPositions()[199], 200 * 15);
}

TEST(CPageStatus, CopiesOwnTheirStopsAndNormalKeepsThem)
{
    CPageStatus first;
    EXPECT_STREQ(first.GetRuntimeClass()->m_lpszClassName, "CPageStatus");
    first.SetBold(5);
    first.SetUnderline(1);
    first.SetIdent(3);
    first.SetFilePosition(99);
    first.SetTabs("1,2", 10);

    CPageStatus copy(first);
    CPageStatus assigned;
    assigned.SetTabs("7,7,7", 10);
    assigned = first;
    for (CPageStatus* p : { &copy, &assigned }) {
        EXPECT_EQ(p->IsBold(), 5);   // stored as given
        EXPECT_EQ(p->GetIndent(), 3);
        EXPECT_EQ(p->GetFilePosition(), 99ul);
        EXPECT_NE(p->GetTabStopPositions(), first.GetTabStopPositions());
        p->SetTabs("9", 10);
    }
    EXPECT_EQ(Stops(first), (std::vector<int>{ 15, 40 }));

    int* pnBefore = first.GetTabStopPositions();
    CPageStatus& self = first;
    first = self;
    EXPECT_EQ(first.GetTabStopPositions(), pnBefore);
    first.SetNormal();
    EXPECT_EQ(first.IsBold() | first.IsUnderlined() | first.GetIndent(), 0);
    EXPECT_EQ(first.GetFilePosition(), 99ul);
    EXPECT_EQ(Stops(first), (std::vector<int>{ 15, 40 }));
}

// The printer's page table: each status keeps its own stops while the array grows and moves.
TEST(CPageStatus, StatusesKeepTheirStopsInAGrowingArray)
{
    CArray<CPageStatus, CPageStatus&> table;
    for (int i = 0; i < 60; ++i) {
        CPageStatus status;
        status.SetTabs(std::to_string(i).c_str(), 10);
        table.Add(status);
    }
    table.InsertAt(0, table[59]);
    table.RemoveAt(10, 5);
    ASSERT_EQ(table.GetSize(), 56);
    EXPECT_EQ(Stops(table[0]), (std::vector<int>{ 595 }));
    for (int i = 1; i < 56; ++i) {
        int n = i < 10 ? i - 1 : i + 4;
        EXPECT_EQ(Stops(table[i]), (std::vector<int>{ n * 10 + 5 }));
    }
}
