// The page printer read back from what it drew: each page goes to an enhanced metafile standing
// in for the printer, over a memory DC that measures; the metafile's text records give every
// printed run with its position and font.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

namespace {

struct TextRun {
    int x, y;
    bool bBold, bItalic, bUnderline;
    std::string text;
    bool operator==(const TextRun& o) const { return std::tie(x, y, bBold, bItalic, bUnderline, text) == std::tie(o.x, o.y, o.bBold, o.bItalic, o.bUnderline, o.text); }
};
typedef std::vector<TextRun> Page;

// Follows the metafile's fonts, selections and saved states, and collects its text records.
struct PageReader {
    std::map<DWORD, LOGFONTW> fonts;
    LOGFONTW font = LOGFONTW();
    std::vector<LOGFONTW> saved;
    Page runs;

    static int CALLBACK Record(HDC, HANDLETABLE*, const ENHMETARECORD* pRec, int, LPARAM lParam)
    {
        PageReader& r = *(PageReader*)lParam;
        if (pRec->iType == EMR_EXTCREATEFONTINDIRECTW)
            r.fonts[((const EMREXTCREATEFONTINDIRECTW*)pRec)->ihFont] = ((const EMREXTCREATEFONTINDIRECTW*)pRec)->elfw.elfLogFont;
        else if (pRec->iType == EMR_SELECTOBJECT && r.fonts.count(((const EMRSELECTOBJECT*)pRec)->ihObject))
            r.font = r.fonts[((const EMRSELECTOBJECT*)pRec)->ihObject];
        else if (pRec->iType == EMR_SAVEDC)
            r.saved.push_back(r.font);
        else if (pRec->iType == EMR_RESTOREDC && !r.saved.empty()) {
            r.font = r.saved.back();
            r.saved.pop_back();
        } else if (pRec->iType == EMR_EXTTEXTOUTW) {
            const EMREXTTEXTOUTW* p = (const EMREXTTEXTOUTW*)pRec;
            const WCHAR* pwch = (const WCHAR*)((const BYTE*)pRec + p->emrtext.offString);
            std::string text(pwch, pwch + p->emrtext.nChars);
            if (!text.empty())
                r.runs.push_back(TextRun{ (int)p->emrtext.ptlReference.x, (int)p->emrtext.ptlReference.y, r.font.lfWeight >= FW_BOLD,
                                          r.font.lfItalic != 0, r.font.lfUnderline != 0, text });
        }
        return 1;
    }
};

// A text file whose reads fail on request, as on a damaged disk.
class FlakyFile : public CStdioFile
{
public:
    int m_nReads = 0;
    int m_nFailAt = 0;          // the read that throws, from 1; 0 never
    HDC m_hSpy = NULL;          // its font at the failing read is kept
    HGDIOBJ m_hFontAtFailure = NULL;

    using CStdioFile::ReadString;
    BOOL ReadString(CString& rString) override
    {
        if (++m_nReads == m_nFailAt) {
            m_hFontAtFailure = GetCurrentObject(m_hSpy, OBJ_FONT);
            AfxThrowFileException(CFileException::hardIO, ERROR_CRC);
        }
        return CStdioFile::ReadString(rString);
    }
};

// One print job: the printer, its DC (a metafile per page over a memory DC) and the text file.
struct PrintJob
{
    explicit PrintJob(const std::string& text) : m_dir(harness::TempDir())
    {
        harness::WriteFileBytes(m_dir + "report.txt", text);
        EXPECT_TRUE(m_file.Open((m_dir + "report.txt").c_str(), CFile::modeRead | CFile::shareDenyWrite));
        m_file.m_hSpy = m_hAttrib = CreateCompatibleDC(NULL);
        m_dc.SetAttribDC(m_hAttrib);
    }
    ~PrintJob()
    {
        m_printer.OnEndPrinting(&m_dc, &m_info);
        DeleteDC(m_hAttrib);
        m_file.Close();
        harness::RemoveTree(m_dir);
    }
    BOOL Begin()
    {
        StartOutput();
        BOOL bResult = m_printer.OnBeginPrinting(&m_dc, &m_info, &m_file);
        EndOutput();
        return bResult;
    }
    Page Print(UINT nPage, BOOL bExpected = TRUE)
    {
        StartOutput();
        m_info.m_nCurPage = nPage;
        EXPECT_EQ(m_printer.PrintOnePage(&m_dc, &m_info, TRUE), bExpected) << "page " << nPage;
        return EndOutput();
    }
    std::vector<Page> PrintAll()
    {
        std::vector<Page> pages;
        for (UINT n = 1; n <= m_info.GetMaxPage(); ++n)
            pages.push_back(Print(n));
        return pages;
    }
    void StartOutput()
    {
        m_hOutput = CreateEnhMetaFileA(m_hAttrib, NULL, NULL, NULL);
        if (m_pOutputTransform) {
            SetGraphicsMode(m_hOutput, GM_ADVANCED);
            SetWorldTransform(m_hOutput, m_pOutputTransform);
        }
        m_dc.SetOutputDC(m_hOutput);
    }
    Page EndOutput()
    {
        m_dc.ReleaseOutputDC();
        HENHMETAFILE hEmf = CloseEnhMetaFile(m_hOutput);
        PageReader reader;
        EnumEnhMetaFile(NULL, hEmf, PageReader::Record, &reader, NULL);
        DeleteEnhMetaFile(hEmf);
        return reader.runs;
    }
    // The mapping modes and fonts of both contexts, for "the DC is as it was".
    std::vector<DWORD_PTR> DCState() const
    {
        return { (DWORD_PTR)GetMapMode(m_hOutput), (DWORD_PTR)GetMapMode(m_hAttrib),
                 (DWORD_PTR)GetCurrentObject(m_hOutput, OBJ_FONT), (DWORD_PTR)GetCurrentObject(m_hAttrib, OBJ_FONT) };
    }

    std::string m_dir;
    FlakyFile m_file;
    HDC m_hAttrib, m_hOutput = NULL;
    const XFORM* m_pOutputTransform = NULL;
    CDC m_dc;
    CPrintInfo m_info;
    CPagePrinter m_printer;
};

// The printer's type on hdc: fixed pitch, 3.5 mm, in MM_LOMETRIC.
TEXTMETRICA PrinterMetrics(HDC hdc, LONG nWeight = FW_DONTCARE)
{
    LOGFONTA lf = {};
    lf.lfHeight = 35;
    lf.lfWeight = nWeight;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    HFONT hFont = CreateFontIndirectA(&lf);
    int nSaved = SaveDC(hdc);
    SetMapMode(hdc, MM_LOMETRIC);
    SelectObject(hdc, hFont);
    TEXTMETRICA tm;
    GetTextMetricsA(hdc, &tm);
    RestoreDC(hdc, nSaved);
    DeleteObject(hFont);
    return tm;
}

int LinePitch(HDC hdc) { TEXTMETRICA tm = PrinterMetrics(hdc); return tm.tmHeight + tm.tmExternalLeading; }

// The printed lines: the runs of one height on a page, joined from left to right.
std::vector<std::string> Lines(const std::vector<Page>& pages)
{
    std::vector<std::string> lines;
    for (const Page& page : pages) {
        std::map<int, std::map<int, std::string>, std::greater<int>> rows;
        for (const TextRun& run : page)
            rows[run.y][run.x] += run.text;
        for (auto& row : rows) {
            lines.push_back("");
            for (auto& run : row.second)
                lines.back() += run.second;
        }
    }
    return lines;
}

// The first n runs with their type, as "[BIU]text|".
std::string Styled(const Page& page, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n && i < page.size(); ++i)
        s += std::string("[") + (page[i].bBold ? "B" : "") + (page[i].bItalic ? "I" : "") + (page[i].bUnderline ? "U" : "") + "]" + page[i].text + "|";
    return s;
}

std::string Joined(const std::vector<std::string>& lines, const char* pszEnd)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + pszEnd;
    return text;
}

}  // namespace

// Whatever the line ends, each line is printed once, inside its page; and since pages begin at
// exact byte offsets, a page printed alone and out of turn equals itself printed in sequence.
TEST(PagePrinter, EveryLineOnceAndPagesInAnyOrderAsInSequence)
{
    for (const char* pszEnd : { "\n", "\r\n" }) {
        std::vector<std::string> lines, printed;
        for (int i = 0; i < 400; ++i) {
            std::string n = std::to_string(i);
            lines.push_back(i % 5 == 0 ? "" : i % 2 ? "&%%B%%&Bold " + n + "&%%-B%%& at 50&%% off" : "Line " + n);
            if (i % 5)
                printed.push_back(i % 2 ? "Bold " + n + " at 50&%% off" : "Line " + n);
        }
        PrintJob job(Joined(lines, pszEnd));
        ASSERT_TRUE(job.Begin());
        UINT nPages = job.m_info.GetMaxPage();
        ASSERT_GE(nPages, 3u);
        std::vector<Page> pages = job.PrintAll();
        EXPECT_FALSE(job.m_info.m_bContinuePrinting);   // the last page met the end of the file
        EXPECT_EQ(Lines(pages), printed);
        int cy = GetDeviceCaps(job.m_hAttrib, VERTSIZE) * 10, nPitch = LinePitch(job.m_hAttrib);
        for (const Page& page : pages)
            for (const TextRun& run : page)
                EXPECT_TRUE(run.y <= 0 && run.y - nPitch >= -cy) << run.text << " at " << run.y;
        for (UINT n : { nPages - 1, 1u, nPages, 2u }) {
            EXPECT_EQ(job.Print(n), pages[n - 1]) << "page " << n;
            EXPECT_EQ(job.m_info.m_bContinuePrinting, n < nPages);
        }
    }
}

TEST(PagePrinterLayout, TypeChangesWithinALineAndStaysOnAcrossPages)
{
    std::vector<std::string> lines = { "&%%B%%&Total&%%-B%%&: 5", "&%%U%%&&%%I%%&ui&%%B%%&uib&%%-N%%&plain",
                                       "&%%b%%&a&%%BX%%&b&%%%%&c", "", "&%%B%%&&%%-I%%&", "&%%B%%&bold on" };
    lines.resize(300, "still bold");
    PrintJob job(Joined(lines, "\r\n"));
    ASSERT_TRUE(job.Begin());
    ASSERT_GE(job.m_info.GetMaxPage(), 2u);

    // Page 2 alone, before page 1 was ever printed, inherits the bold of page 1.
    EXPECT_EQ(Styled(job.Print(2), 2), "[B]still bold|[B]still bold|");
    Page page = job.Print(1);
    // "-N" is "N"; bodies are exact and case-sensitive: the others are dropped and change nothing.
    ASSERT_EQ(Styled(page, 9), "[B]Total|[]: 5|[IU]ui|[BIU]uib|[]plain|[]a|[]b|[]c|[B]bold on|");
    EXPECT_TRUE(page[0].x == 0 && page[1].x > 0 && page[1].y == 0);
    // An empty line and a line of commands only take a line each.
    EXPECT_EQ(page[8].y, -5 * LinePitch(job.m_hAttrib));
}

TEST(PagePrinterLayout, TabStopsCountFromTheStartOfEachSegment)
{
    PrintJob job("&%%T10,10%%&A&%%B%%&\tB&%%-B%%&C\r\n\tD\r\n");
    ASSERT_TRUE(job.Begin());
    Page page = job.Print(1);
    ASSERT_EQ(page.size(), 4u);
    // The unit is the widest character of the type in use when the stops were set; in a
    // fixed-pitch face every character is that of the average width.
    TEXTMETRICA tm = PrinterMetrics(job.m_hAttrib), tmBold = PrinterMetrics(job.m_hAttrib, FW_BOLD);
    int nStop = 10 * tm.tmMaxCharWidth + tm.tmMaxCharWidth / 2;
    EXPECT_EQ(page[1].text, "B");
    EXPECT_EQ(page[1].x, tm.tmAveCharWidth + nStop);   // from where "\tB" begins, not from the margin
    EXPECT_EQ(page[2].x, tm.tmAveCharWidth + nStop + tmBold.tmAveCharWidth);
    EXPECT_EQ(page[3].x, nStop);                       // the stops carry over to the next line
}

// An output context that measures otherwise than the attribute context (scaled here, so that its
// type rounds to other sizes) still gets exactly the lines that pagination gave each page.
TEST(PagePrinterLayout, AnOutputThatMeasuresOtherwiseLosesNoLine)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back((i % 3 ? "" : "&%%B%%&") + std::to_string(i) + "&%%-B%%& line");
    PrintJob job(Joined(lines, "\r\n"));
    ASSERT_TRUE(job.Begin());
    std::vector<Page> pages = job.PrintAll();

    const XFORM half = { 0.5f, 0, 0, 0.5f, 0, 0 };
    job.m_pOutputTransform = &half;
    job.StartOutput();
    ASSERT_NE(PrinterMetrics(job.m_hOutput).tmHeight, PrinterMetrics(job.m_hAttrib).tmHeight);
    job.EndOutput();
    EXPECT_EQ(job.PrintAll(), pages);
    EXPECT_EQ(Lines(pages).size(), lines.size());
}

// What reaches the paper: every line leaves its own band of ink, also on a DC left in the
// default opaque background mode (Wine places an opaque line background one line too high in
// MM_LOMETRIC, where it blots out the line above, on the screen and on a printer alike).
TEST(PagePrinterLayout, EveryLineLeavesInkOnTheSheet)
{
    PrintJob job("Line 1\r\nLine 2\r\n\r\nLine 4\r\nLine 5\r\n");
    ASSERT_TRUE(job.Begin());
    BITMAPINFO bmi = {};
    bmi.bmiHeader = { sizeof(BITMAPINFOHEADER), 400, -200, 1, 32, BI_RGB };
    DWORD* pBits = NULL;
    HBITMAP hSheet = CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, (void**)&pBits, NULL, 0);
    HDC hdc = CreateCompatibleDC(NULL);
    HGDIOBJ hOld = SelectObject(hdc, hSheet);
    PatBlt(hdc, 0, 0, 400, 200, WHITENESS);
    ASSERT_EQ(GetBkMode(hdc), OPAQUE);
    job.m_dc.SetOutputDC(hdc);
    job.m_info.m_nCurPage = 1;
    EXPECT_TRUE(job.m_printer.PrintOnePage(&job.m_dc, &job.m_info, TRUE));
    job.m_dc.ReleaseOutputDC();

    int nBands = 0;
    bool bInkAbove = false;
    for (int y = 0; y < 200; ++y) {
        bool bInk = std::any_of(pBits + y * 400, pBits + (y + 1) * 400, [](DWORD c) { return (c & 0xFFFFFF) != 0xFFFFFF; });
        nBands += bInk && !bInkAbove;
        bInkAbove = bInk;
    }
    EXPECT_EQ(nBands, 4);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    DeleteObject(hSheet);
}

TEST(PagePrinterLayout, AnEmptyFileIsOneEmptyPage)
{
    PrintJob empty("");
    ASSERT_TRUE(empty.Begin());
    EXPECT_EQ(empty.m_info.GetMaxPage(), 1u);
    EXPECT_TRUE(empty.Print(1).empty());
}

// The measuring DC is the screen's: on a desktop eight pixels high its sheet is 2 mm, lower
// than a line.
BEX_CHILD(low_sheet)
{
    PrintJob job("one\r\ntwo\r\nthree\r\n");
    printf("sheet %d pitch %d\n", GetDeviceCaps(job.m_hAttrib, VERTSIZE) * 10, LinePitch(job.m_hAttrib));
    job.Begin();
    for (const Page& page : job.PrintAll()) {
        printf("page:");
        for (const TextRun& run : page)
            printf(" %s@%d", run.text.c_str(), run.y);
        printf("\n");
    }
}

TEST(PagePrinterLayout, ASheetLowerThanOneLineStillTakesALinePerPage)
{
    // A desktop's size holds for the whole Wine session it is made in: this one gets its own.
    SIZE screen = { GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    std::string output = harness::RunChildInOwnWine("low_sheet", BEX_WINE_LOADER, "400x8");
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    int cy = 0, nPitch = 0;
    ASSERT_TRUE(sscanf(output.c_str(), "sheet %d pitch %d", &cy, &nPitch) == 2 && cy < nPitch) << output;
    // The third line fills its page as any last line that fits does, so an empty page follows.
    EXPECT_NE(output.find("\npage: one@0\npage: two@0\npage: three@0\npage:\n"), std::string::npos) << output;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.cy);
}

// A page the table does not hold ends the job and leaves the DC alone: a printer that never
// paginated, page 0, a page past the end, a job cancelled before it began.
TEST(PagePrinterLayout, PagesOutsideTheTableEndTheJobWithoutTouchingTheDC)
{
    PrintJob job("one\r\ntwo\r\n");
    SetMapMode(job.m_hAttrib, MM_HIMETRIC);
    SelectObject(job.m_hAttrib, GetStockObject(ANSI_FIXED_FONT));
    for (int nCase = 0; nCase < 4; ++nCase) {
        job.m_info.m_bContinuePrinting = nCase != 3;
        if (nCase > 0) {
            ASSERT_TRUE(job.Begin());
        }
        EXPECT_EQ(job.m_info.GetMaxPage(), nCase == 0 ? 0xFFFFu : nCase == 3 ? 0u : 1u);
        job.StartOutput();
        std::vector<DWORD_PTR> before = job.DCState();
        job.m_info.m_nCurPage = nCase == 1 ? 0 : nCase == 2 ? 2 : 1;
        EXPECT_FALSE(job.m_printer.PrintOnePage(&job.m_dc, &job.m_info, TRUE)) << nCase;
        EXPECT_FALSE(job.m_info.m_bContinuePrinting);
        EXPECT_EQ(job.DCState(), before);
        EXPECT_TRUE(job.EndOutput().empty());
    }
}

// A read error stops the pagination; the DC is as the caller left it, and the printer's fonts,
// one of which was in use when the read failed, are gone after the job.
TEST(PagePrinterErrors, AReadErrorStopsTheJobAndTheDCIsAsItWas)
{
    for (int nFailAt : { 1, 150 }) {
        PrintJob job(Joined(std::vector<std::string>(300, "&%%I%%&text"), "\n"));
        SetMapMode(job.m_hAttrib, MM_TWIPS);
        SelectObject(job.m_hAttrib, GetStockObject(OEM_FIXED_FONT));
        job.m_file.m_nFailAt = nFailAt;
        job.StartOutput();
        std::vector<DWORD_PTR> before = job.DCState();
        EXPECT_FALSE(job.m_printer.OnBeginPrinting(&job.m_dc, &job.m_info, &job.m_file));
        EXPECT_EQ(job.DCState(), before);
        job.EndOutput();
        EXPECT_FALSE(job.m_info.m_bContinuePrinting);
        EXPECT_EQ(job.m_info.GetMaxPage(), 0xFFFFu);   // never set

        HGDIOBJ hFont = job.m_file.m_hFontAtFailure;
        EXPECT_NE(hFont, (HGDIOBJ)before[3]);
        EXPECT_EQ(GetObjectType(hFont), (DWORD)OBJ_FONT);
        job.m_printer.OnEndPrinting(&job.m_dc, &job.m_info);
        EXPECT_EQ(GetObjectType(hFont), 0u);
    }
}
