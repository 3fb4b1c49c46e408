// The page status and the printer command language as an application sees them.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <limits.h>

static std::vector<int> Stops(const CPageStatus& status)
{
    const int* pn = status.GetTabStopPositions();
    return std::vector<int>(pn, pn + status.GetTabCount());
}

TEST(PrinterCommands, TheBuildersWriteWhatThePrinterReads)
{
    EXPECT_STREQ(CPagePrinter::GetBoldCmd(0), "&%%-B%%&");
    EXPECT_STREQ(CPagePrinter::GetItalicCmd(-1), "&%%I%%&");   // any non-zero is on
    int anWidths[] = { 10, -8, 20 };
    EXPECT_STREQ(CPagePrinter::GetTabCmd(3, anWidths), "&%%T10,-8,20%%&");
    EXPECT_STREQ(CPagePrinter::GetTabCmd(0, NULL), "&%%T%%&");   // the array is not read
}

// Each number is a column width in characters; a column is half a character wider, and the
// stops add up. Fields split like the tokenizer splits them; atoi reads each.
TEST(CPageStatus, TabListsGiveCumulativeStops)
{
    const struct { const char* pszList; int nUnit; std::vector<int> stops; } aCases[] = {
        { "10,8,20", 20, { 210, 380, 790 } },
        { "4", 25, { 112 } },               // half of 25 is 12
        { "", 10, {} },
        { ",5", 10, { 5, 60 } },            // a leading comma is an empty column
        { " 7x,-3", 10, { 75, 50 } },
        { "2147483647,5", 1000, { INT_MAX, INT_MAX } },   // saturated, never wrapped round
        { "-2147483647,-9", 1000, { INT_MIN, INT_MIN } },
    };
    for (const auto& c : aCases) {
        CPageStatus status;
        status.SetTabs("1,2,3", 1);
        status.SetTabs(c.pszList, c.nUnit);
        EXPECT_EQ(Stops(status), c.stops) << c.pszList;
    }
    std::string list;
    for (int i = 0; i < 250; ++i)
        list += (i < 200 ? "1," : "1000,");
    CPageStatus status;
    status.SetTabs(list.c_str(), 10);
    ASSERT_EQ(status.GetTabCount(), 200);
    EXPECT_EQ(status.GetTabStopPositions()[199], 200 * 15);
}

// The printer's page table copies statuses: each keeps its own stops.
TEST(CPageStatus, CopiesOwnTheirStopsAndNormalKeepsThem)
{
    CPageStatus first;
    first.SetBold(5);
    first.SetTabs("1,2", 10);
    CPageStatus copy(first), assigned;
    assigned.SetTabs("7,7,7", 10);
    assigned = first;
    for (CPageStatus* p : { &copy, &assigned }) {
        EXPECT_EQ(Stops(*p), (std::vector<int>{ 15, 40 }));
        p->SetTabs("9", 10);
    }
    CPageStatus& self = first;
    first = self;
    first.SetNormal();
    EXPECT_EQ(first.IsBold(), 0);
    EXPECT_EQ(Stops(first), (std::vector<int>{ 15, 40 }));
}
