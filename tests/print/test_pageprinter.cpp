// The page printer read back from what it drew. Each page goes to an enhanced metafile standing
// in for the printer's output; the attribute context is a memory DC of the screen. The metafile's
// records give every printed run with its position and font.
#include "harness.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TextRun {
    int x, y;
    LONG nWeight;
    bool bItalic, bUnderline;
    std::string text;
    bool IsBold() const { return nWeight >= FW_BOLD; }
    bool operator==(const TextRun& o) const
    {
        return x == o.x && y == o.y && nWeight == o.nWeight && bItalic == o.bItalic && bUnderline == o.bUnderline && text == o.text;
    }
};
typedef std::vector<TextRun> Page;

// Follows the metafile's font table and selections, and collects its text records.
class EmfReader
{
public:
    explicit EmfReader(HENHMETAFILE hEmf) { EnumEnhMetaFile(NULL, hEmf, Proc, this, NULL); }
    Page m_runs;
    std::vector<LOGFONTW> m_created;

private:
    static int CALLBACK Proc(HDC, HANDLETABLE*, const ENHMETARECORD* pRec, int, LPARAM lParam)
    {
        static_cast<EmfReader*>((void*)lParam)->Record(pRec);
        return 1;
    }
    void Record(const ENHMETARECORD* pRec)
    {
        switch (pRec->iType) {
        case EMR_EXTCREATEFONTINDIRECTW: {
            const EMREXTCREATEFONTINDIRECTW* p = (const EMREXTCREATEFONTINDIRECTW*)pRec;
            m_fonts[p->ihFont] = p->elfw.elfLogFont;
            m_created.push_back(p->elfw.elfLogFont);
            break;
        }
        case EMR_SELECTOBJECT: {
            auto it = m_fonts.find(((const EMRSELECTOBJECT*)pRec)->ihObject);
            if (it != m_fonts.end())
                m_font = it->second;
            else if (((const EMRSELECTOBJECT*)pRec)->ihObject & 0x80000000)
                m_font = LOGFONTW();   // a stock object
            break;
        }
        case EMR_SAVEDC:
            m_saved.push_back(m_font);
            break;
        case EMR_RESTOREDC:
            for (int n = ((const EMRRESTOREDC*)pRec)->iRelative; n < 0 && !m_saved.empty(); ++n) {
                m_font = m_saved.back();
                m_saved.pop_back();
            }
            break;
        case EMR_EXTTEXTOUTW: {
            const EMREXTTEXTOUTW* p = (const EMREXTTEXTOUTW*)pRec;
            const WCHAR* pwch = (const WCHAR*)((const BYTE*)pRec + p->emrtext.offString);
            std::string text;
            for (DWORD i = 0; i < p->emrtext.nChars; ++i)
                text += (char)pwch[i];
            if (!text.empty())
                m_runs.push_back(TextRun{ (int)p->emrtext.ptlReference.x, (int)p->emrtext.ptlReference.y, m_font.lfWeight,
                                      m_font.lfItalic != 0, m_font.lfUnderline != 0, text });
            break;
        }
        }
    }
    std::map<DWORD, LOGFONTW> m_fonts;
    LOGFONTW m_font = LOGFONTW();
    std::vector<LOGFONTW> m_saved;
};

// A text file whose reads fail on request, as a damaged disk or a lost network share would.
class FlakyFile : public CStdioFile
{
public:
    int m_nReads = 0;
    int m_nFailAt = 0;          // the read that throws, counted from 1; 0 never
    bool m_bFailSeek = false;
    HDC m_hSpy = NULL;          // the font selected here when the read fails is kept
    HGDIOBJ m_hFontAtFailure = NULL;

    using CStdioFile::ReadString;
    BOOL ReadString(CString& rString) override
    {
        if (++m_nReads == m_nFailAt) {
            if (m_hSpy)
                m_hFontAtFailure = GetCurrentObject(m_hSpy, OBJ_FONT);
            AfxThrowFileException(CFileException::hardIO, ERROR_CRC, GetFilePath());
        }
        return CStdioFile::ReadString(rString);
    }
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override
    {
        if (m_bFailSeek)
            AfxThrowFileException(CFileException::badSeek, ERROR_SEEK, GetFilePath());
        return CStdioFile::Seek(lOff, nFrom);
    }
};

// One print job: the printer, its DC (metafile pages over a memory DC) and the text file.
class PrintJob
{
public:
    explicit PrintJob(const std::string& text, FlakyFile* pFile = NULL)
        : m_dir(harness::TempDir()), m_pFile(pFile ? pFile : new FlakyFile), m_bOwnFile(pFile == NULL)
    {
        std::string path = m_dir + "\\report.txt";
        harness::WriteFileBytes(path, text);
        EXPECT_TRUE(m_pFile->Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeText));
        m_hAttrib = CreateCompatibleDC(NULL);
        m_dc.SetAttribDC(m_hAttrib);
    }
    ~PrintJob()
    {
        m_dc.ReleaseAttribDC();
        DeleteDC(m_hAttrib);
        m_pFile->Close();
        if (m_bOwnFile)
            delete m_pFile;
        harness::RemoveTree(m_dir);
    }

    // Paginates with a metafile as the output, as a printer DC would be.
    BOOL Begin()
    {
        StartOutput();
        BOOL bResult = m_printer.OnBeginPrinting(&m_dc, &m_info, m_pFile);
        EndOutput();
        return bResult;
    }
    Page Print(UINT nPage, BOOL* pbResult = NULL)
    {
        m_info.m_nCurPage = nPage;
        StartOutput();
        BOOL bResult = m_printer.PrintOnePage(&m_dc, &m_info, TRUE);
        if (pbResult)
            *pbResult = bResult;
        return EndOutput().m_runs;
    }
    std::vector<Page> PrintAll()
    {
        std::vector<Page> pages;
        for (UINT n = 1; n <= m_info.GetMaxPage(); ++n)
            pages.push_back(Print(n));
        return pages;
    }
    void End() { m_printer.OnEndPrinting(&m_dc, &m_info); }

    void StartOutput()
    {
        m_hOutput = CreateEnhMetaFileA(m_hAttrib, NULL, NULL, NULL);
        if (m_pOutputTransform) {
            SetGraphicsMode(m_hOutput, GM_ADVANCED);
            SetWorldTransform(m_hOutput, m_pOutputTransform);
        }
        m_dc.SetOutputDC(m_hOutput);
    }
    EmfReader EndOutput()
    {
        m_dc.ReleaseOutputDC();
        HENHMETAFILE hEmf = CloseEnhMetaFile(m_hOutput);
        EmfReader reader(hEmf);
        DeleteEnhMetaFile(hEmf);
        return reader;
    }

    std::string m_dir;
    FlakyFile* m_pFile;
    bool m_bOwnFile;
    HDC m_hAttrib;
    HDC m_hOutput = NULL;
    const XFORM* m_pOutputTransform = NULL;
    CDC m_dc;
    CPrintInfo m_info;
    CPagePrinter m_printer;
};

// The printer's type: a fixed-pitch face 3.5 mm high.
HFONT CreatePrinterFont(LONG nWeight = FW_DONTCARE)
{
    LOGFONTA lf = {};
    lf.lfHeight = 35;
    lf.lfWeight = nWeight;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    return CreateFontIndirectA(&lf);
}

// The text metrics of the printer's type on hdc in MM_LOMETRIC.
TEXTMETRICA PrinterMetrics(HDC hdc, LONG nWeight = FW_DONTCARE)
{
    int nSaved = SaveDC(hdc);
    SetMapMode(hdc, MM_LOMETRIC);
    HFONT hFont = CreatePrinterFont(nWeight);
    SelectObject(hdc, hFont);
    TEXTMETRICA tm;
    GetTextMetricsA(hdc, &tm);
    RestoreDC(hdc, nSaved);
    DeleteObject(hFont);
    return tm;
}

// The sheet and the pitch of a line of plain text, as the printer measures them.
struct Sheet {
    int cy;
    int nPitch;
};

Sheet SheetOf(HDC hdc)
{
    TEXTMETRICA tm = PrinterMetrics(hdc);
    return Sheet{ GetDeviceCaps(hdc, VERTSIZE) * 10, (int)(tm.tmHeight + tm.tmExternalLeading) };
}

// The printed lines: the runs of one height on a page, joined from left to right.
std::vector<std::string> Lines(const std::vector<Page>& pages)
{
    std::vector<std::string> lines;
    for (const Page& page : pages) {
        std::map<int, std::vector<const TextRun*>, std::greater<int>> rows;
        for (const TextRun& run : page)
            rows[run.y].push_back(&run);
        for (auto& row : rows) {
            std::sort(row.second.begin(), row.second.end(), [](const TextRun* a, const TextRun* b) { return a->x < b->x; });
            std::string line;
            for (const TextRun* run : row.second)
                line += run->text;
            lines.push_back(line);
        }
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const char* pszEnd)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + pszEnd;
    return text;
}

// A report of many pages with commands at the start, in the middle and at the end of lines,
// empty lines and a prefix that is text; with what each line prints.
void MakeReport(int nLines, std::vector<std::string>* pLines, std::vector<std::string>* pPrinted)
{
    for (int i = 0; i < nLines; ++i) {
        std::string n = std::to_string(i);
        std::string line, printed;
        switch (i % 6) {
        case 0: line = "&%%B%%&Bold line " + n + "&%%-B%%&"; printed = "Bold line " + n; break;
        case 1: line = "Line " + n + " has &%%I%%&italic&%%-I%%& words"; printed = "Line " + n + " has italic words"; break;
        case 2: line = "&%%U%%&&%%B%%&Line " + n + "&%%N%%& after normal"; printed = "Line " + n + " after normal"; break;
        case 3: line = printed = (i / 6) % 3 ? "Plain " + n + " at 50&%% off" : ""; break;
        case 4: line = "&%%T4,4%%&&%%X%%&Cols " + n; printed = "Cols " + n; break;
        case 5: line = "&%%-U%%&" + std::string(i % 7 ? "" : "Tail ") + n + "&%%-B%%&"; printed = std::string(i % 7 ? "" : "Tail ") + n; break;
        }
        pLines->push_back(line);
        if (!printed.empty())
            pPrinted->push_back(printed);
    }
}

struct DCState {
    int nOutputMode, nAttribMode;
    HGDIOBJ hOutputFont, hAttribFont;
    bool operator==(const DCState& o) const
    {
        return nOutputMode == o.nOutputMode && nAttribMode == o.nAttribMode && hOutputFont == o.hOutputFont && hAttribFont == o.hAttribFont;
    }
};

DCState StateOf(HDC hOutput, HDC hAttrib)
{
    return DCState{ GetMapMode(hOutput), GetMapMode(hAttrib), GetCurrentObject(hOutput, OBJ_FONT), GetCurrentObject(hAttrib, OBJ_FONT) };
}

}  // namespace

class PagePrinter : public testing::TestWithParam<const char*>
{
};

// Whatever the line ends, each line is printed once, inside its page, and pages are exact byte
// offsets of the file: printed alone and out of order, a page equals itself printed in turn.
TEST_P(PagePrinter, EveryLineOncePagesInAnyOrderEqualPagesInSequence)
{
    std::vector<std::string> lines, printed;
    MakeReport(400, &lines, &printed);
    PrintJob job(Joined(lines, GetParam()));
    ASSERT_TRUE(job.Begin());
    EXPECT_EQ(job.m_info.GetMinPage(), 1u);
    EXPECT_EQ(job.m_info.m_nCurPage, 1u);
    EXPECT_TRUE(job.m_info.m_bContinuePrinting);
    UINT nPages = job.m_info.GetMaxPage();
    ASSERT_GE(nPages, 3u);

    std::vector<Page> pages = job.PrintAll();
    EXPECT_EQ(Lines(pages), printed);
    Sheet sheet = SheetOf(job.m_hAttrib);
    for (const Page& page : pages) {
        ASSERT_FALSE(page.empty());
        for (const TextRun& run : page) {
            EXPECT_LE(run.y, 0);
            EXPECT_GE(run.y - sheet.nPitch, -sheet.cy) << run.text;
        }
    }
    EXPECT_FALSE(job.m_info.m_bContinuePrinting);   // the last page met the end of the file

    std::vector<UINT> order;
    for (UINT n = nPages; n >= 1; --n)
        order.push_back(n);
    std::swap(order[0], order[order.size() / 2]);
    for (UINT n : order) {
        BOOL bResult = FALSE;
        EXPECT_EQ(job.Print(n, &bResult), pages[n - 1]) << "page " << n;
        EXPECT_TRUE(bResult);
        EXPECT_EQ(job.m_info.m_bContinuePrinting, n < nPages);
    }
    job.End();
}

INSTANTIATE_TEST_SUITE_P(LineEnds, PagePrinter, testing::Values("\n", "\r\n"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param[0] == '\r' ? "CrLf" : "Lf"); });

TEST(PagePrinterFonts, AttributesFollowTheCommandsAndStayOnAcrossPages)
{
    std::vector<std::string> lines = { "&%%B%%&Total&%%-B%%&: 5", "&%%U%%&&%%I%%&ui&%%B%%&uib&%%-U%%&ib&%%-N%%&plain",
                                       "&%%b%%&a&%%BX%%&b&%%%%&c&%%B %%&d", "&%%B%%&bold from here on" };
    for (int i = 0; i < 200; ++i)
        lines.push_back("still bold " + std::to_string(i));
    PrintJob job(Joined(lines, "\r\n"));
    ASSERT_TRUE(job.Begin());
    ASSERT_GE(job.m_info.GetMaxPage(), 2u);

    // Page 2 alone, before page 1 was ever printed.
    Page page2 = job.Print(2);
    ASSERT_FALSE(page2.empty());
    for (const TextRun& run : page2)
        EXPECT_TRUE(run.IsBold() && !run.bItalic && !run.bUnderline) << run.text;

    Page page1 = job.Print(1);
    ASSERT_GE(page1.size(), 9u);
    // "Total" bold, then ": 5" in plain type right behind it on the same line.
    EXPECT_EQ(page1[0].text, "Total");
    EXPECT_TRUE(page1[0].IsBold());
    EXPECT_EQ(page1[1].text, ": 5");
    EXPECT_FALSE(page1[1].IsBold());
    EXPECT_EQ(page1[1].y, page1[0].y);
    EXPECT_GT(page1[1].x, page1[0].x);
    EXPECT_EQ(page1[2].text, "ui");
    EXPECT_TRUE(page1[2].bUnderline && page1[2].bItalic && !page1[2].IsBold());
    EXPECT_EQ(page1[3].text, "uib");
    EXPECT_TRUE(page1[3].bUnderline && page1[3].bItalic && page1[3].IsBold());
    EXPECT_EQ(page1[4].text, "ib");
    EXPECT_TRUE(!page1[4].bUnderline && page1[4].bItalic && page1[4].IsBold());
    EXPECT_EQ(page1[5].text, "plain");   // "-N" is normal too
    EXPECT_TRUE(!page1[5].bUnderline && !page1[5].bItalic && !page1[5].IsBold());
    // Bodies are exact and case-sensitive: these are dropped and change nothing.
    for (int i = 6; i < 10; ++i)
        EXPECT_FALSE(page1[i].IsBold()) << page1[i].text;
    EXPECT_EQ(Lines({ page1 })[2], "abcd");
    job.End();
}

TEST(PagePrinterFonts, EightFixedPitchFontsOfThreeAndAHalfMillimetres)
{
    PrintJob job("&%%B%%&&%%I%%&&%%U%%&x\r\n");
    ASSERT_TRUE(job.Begin());
    job.StartOutput();
    job.m_info.m_nCurPage = 1;
    job.m_printer.PrintOnePage(&job.m_dc, &job.m_info, TRUE);
    std::vector<LOGFONTW> fonts = job.EndOutput().m_created;
    ASSERT_EQ(fonts.size(), 4u);   // plain, bold, bold italic, bold italic underlined
    for (const LOGFONTW& lf : fonts) {
        EXPECT_EQ(lf.lfHeight, 35);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(lf.lfOutPrecision, OUT_TT_ONLY_PRECIS);
        EXPECT_EQ(lf.lfQuality, PROOF_QUALITY);
        EXPECT_EQ(lf.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
        EXPECT_EQ(lf.lfFaceName[0], 0);
    }
    EXPECT_EQ(fonts[0].lfWeight, FW_DONTCARE);
    EXPECT_EQ(fonts[3].lfWeight, FW_BOLD);
    EXPECT_TRUE(fonts[3].lfItalic && fonts[3].lfUnderline);
    job.End();
}

TEST(PagePrinterLayout, TabStopsAreMeasuredFromTheStartOfEachSegment)
{
    PrintJob job("&%%T10,10%%&A&%%B%%&\tB&%%-B%%&C\r\n\tD\r\n");
    ASSERT_TRUE(job.Begin());
    Page page = job.Print(1);
    ASSERT_EQ(page.size(), 4u);

    // The unit is the widest character of the font in use when the stops were set. In a
    // fixed-pitch face every character is as wide as the average.
    TEXTMETRICA tm = PrinterMetrics(job.m_hAttrib);
    int nWidthA = tm.tmAveCharWidth;
    int nWidthB = PrinterMetrics(job.m_hAttrib, FW_BOLD).tmAveCharWidth;
    int nStop = 10 * tm.tmMaxCharWidth + tm.tmMaxCharWidth / 2;

    EXPECT_EQ(page[0].text, "A");
    EXPECT_EQ(page[1].text, "B");
    EXPECT_EQ(page[1].x, nWidthA + nStop);   // from where the segment begins, not from the margin
    EXPECT_EQ(page[2].text, "C");
    EXPECT_EQ(page[2].x, nWidthA + nStop + nWidthB);
    EXPECT_EQ(page[3].text, "D");
    EXPECT_EQ(page[3].x, nStop);             // the stops carry over to the next line
    job.End();
}

TEST(PagePrinterLayout, EmptyAndCommandOnlyLinesTakeALineEach)
{
    PrintJob job("a\n\n&%%B%%&&%%-B%%&\nb\n");
    ASSERT_TRUE(job.Begin());
    Page page = job.Print(1);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[1].y, 3 * -SheetOf(job.m_hAttrib).nPitch);
    job.End();
}

// An output context that measures otherwise than the attribute context (scaled here, so that its
// fonts round to other sizes) still gets exactly the lines that pagination gave each page.
TEST(PagePrinterLayout, AnOutputThatMeasuresOtherwiseLosesNoLine)
{
    std::vector<std::string> lines, printed;
    MakeReport(300, &lines, &printed);
    PrintJob job(Joined(lines, "\r\n"));
    ASSERT_TRUE(job.Begin());
    std::vector<Page> pages = job.PrintAll();

    const XFORM half = { 0.5f, 0, 0, 0.5f, 0, 0 };
    job.m_pOutputTransform = &half;
    job.StartOutput();
    ASSERT_NE(PrinterMetrics(job.m_hOutput).tmHeight, PrinterMetrics(job.m_hAttrib).tmHeight);
    job.EndOutput();

    std::vector<Page> scaled = job.PrintAll();
    EXPECT_EQ(Lines(scaled), printed);
    EXPECT_EQ(scaled, pages);
    job.End();
}

// Printed in a child on a virtual desktop eight pixels high, whose screen (and so the memory DC
// that measures) is a sheet of 2 mm, lower than a line of text.
BEX_CHILD(low_sheet)
{
    PrintJob job("one\r\ntwo\r\nthree\r\n");
    Sheet sheet = SheetOf(job.m_hAttrib);
    printf("sheet %d pitch %d\n", sheet.cy, sheet.nPitch);
    if (!job.Begin())
        return;
    printf("pages %u\n", job.m_info.GetMaxPage());
    for (UINT n = 1; n <= job.m_info.GetMaxPage(); ++n) {
        printf("page %u:", n);
        for (const TextRun& run : job.Print(n))
            printf(" %s@%d", run.text.c_str(), run.y);
        printf("\n");
    }
    job.End();
}

// Wine gives a virtual desktop its own screen size, but the size holds for the whole session
// until the display settings are reset.
class LowDesktop
{
public:
    ~LowDesktop() { ChangeDisplaySettingsExA(NULL, NULL, NULL, 0, NULL); }
    std::string Run(const char* pszChild)
    {
        char szExe[MAX_PATH];
        GetModuleFileNameA(NULL, szExe, MAX_PATH);
        std::string output = harness::RunProgram(std::string("explorer.exe /desktop=BexLowSheet,400x8 \"") + szExe + "\" --child " + pszChild).output;
        output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
        return output;
    }
};

TEST(PagePrinterLayout, ASheetLowerThanOneLineStillPrintsALinePerPage)
{
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == NULL)
        GTEST_SKIP() << "the low sheet is a desktop of Wine's";
    std::string output = LowDesktop().Run("low_sheet");
    int cy = 0, nPitch = 0;
    ASSERT_EQ(sscanf(output.c_str(), "sheet %d pitch %d", &cy, &nPitch), 2) << output;
    ASSERT_LT(cy, nPitch);
    // The last line fills its page, so an empty page follows, as on any sheet.
    EXPECT_NE(output.find("pages 4\npage 1: one@0\npage 2: two@0\npage 3: three@0\npage 4:\n"), std::string::npos) << output;
}

TEST(PagePrinterLayout, AnEmptyFileIsOneEmptyPage)
{
    PrintJob job("");
    ASSERT_TRUE(job.Begin());
    EXPECT_EQ(job.m_info.GetMaxPage(), 1u);
    BOOL bResult = FALSE;
    EXPECT_TRUE(job.Print(1, &bResult).empty());
    EXPECT_TRUE(bResult);
    EXPECT_FALSE(job.m_info.m_bContinuePrinting);
    job.End();
}

TEST(PagePrinterLayout, ATextThatFillsThePageExactlyGetsAnEmptyLastPage)
{
    HDC hdc = CreateCompatibleDC(NULL);
    Sheet sheet = SheetOf(hdc);
    DeleteDC(hdc);
    int nPerPage = sheet.cy / sheet.nPitch;
    std::vector<std::string> lines;
    for (int i = 0; i < nPerPage; ++i)
        lines.push_back("line " + std::to_string(i));
    PrintJob job(Joined(lines, "\r\n"));
    ASSERT_TRUE(job.Begin());
    ASSERT_EQ(job.m_info.GetMaxPage(), 2u);
    EXPECT_EQ(job.Print(1).size(), (size_t)nPerPage);
    EXPECT_TRUE(job.m_info.m_bContinuePrinting);
    EXPECT_TRUE(job.Print(2).empty());
    EXPECT_FALSE(job.m_info.m_bContinuePrinting);
    job.End();
}

// A page the table does not hold ends the job and leaves the DC alone: page 0, a page past the
// end, a printer that never paginated, a job cancelled before it began.
TEST(PagePrinterLayout, PagesOutsideTheTableEndTheJobWithoutTouchingTheDC)
{
    PrintJob job("one\r\ntwo\r\n");
    SetMapMode(job.m_hAttrib, MM_HIMETRIC);
    SelectObject(job.m_hAttrib, GetStockObject(ANSI_FIXED_FONT));

    job.StartOutput();
    DCState before = StateOf(job.m_hOutput, job.m_hAttrib);
    CPrintInfo info;
    EXPECT_FALSE(job.m_printer.PrintOnePage(&job.m_dc, &info, TRUE));   // never paginated
    EXPECT_FALSE(info.m_bContinuePrinting);
    EXPECT_EQ(StateOf(job.m_hOutput, job.m_hAttrib), before);
    job.EndOutput();

    ASSERT_TRUE(job.Begin());
    ASSERT_EQ(job.m_info.GetMaxPage(), 1u);
    for (UINT nPage : { 0u, 2u }) {
        job.m_info.m_bContinuePrinting = TRUE;
        job.StartOutput();
        before = StateOf(job.m_hOutput, job.m_hAttrib);
        job.m_info.m_nCurPage = nPage;
        EXPECT_FALSE(job.m_printer.PrintOnePage(&job.m_dc, &job.m_info, TRUE));
        EXPECT_FALSE(job.m_info.m_bContinuePrinting);
        EXPECT_EQ(StateOf(job.m_hOutput, job.m_hAttrib), before);
        EXPECT_TRUE(job.EndOutput().m_runs.empty());
    }

    job.m_info.m_bContinuePrinting = FALSE;   // cancelled before the job began
    ASSERT_TRUE(job.Begin());
    EXPECT_EQ(job.m_info.GetMaxPage(), 0u);
    BOOL bResult = TRUE;
    EXPECT_TRUE(job.Print(1, &bResult).empty());
    EXPECT_FALSE(bResult);
    job.End();
}

// Errors of the file: the page ends, the job stops, and the DC is as the caller left it.
TEST(PagePrinterErrors, AReadErrorWhilePaginatingStopsTheJob)
{
    std::vector<std::string> lines(300, "text");
    for (int nFailAt : { 1, 5, 150 }) {
        FlakyFile* pFile = new FlakyFile;
        std::unique_ptr<FlakyFile> owner(pFile);
        PrintJob job(Joined(lines, "\n"), pFile);
        SetMapMode(job.m_hAttrib, MM_TWIPS);
        SelectObject(job.m_hAttrib, GetStockObject(OEM_FIXED_FONT));
        pFile->m_nFailAt = nFailAt;
        pFile->m_hSpy = job.m_hAttrib;

        job.StartOutput();
        DCState before = StateOf(job.m_hOutput, job.m_hAttrib);
        EXPECT_FALSE(job.m_printer.OnBeginPrinting(&job.m_dc, &job.m_info, pFile));
        EXPECT_EQ(StateOf(job.m_hOutput, job.m_hAttrib), before);
        job.EndOutput();
        EXPECT_FALSE(job.m_info.m_bContinuePrinting);
        EXPECT_EQ(job.m_info.GetMaxPage(), 0xFFFFu);   // never set

        // The printer's font was in use when the read failed; it is gone after the job.
        ASSERT_NE(pFile->m_hFontAtFailure, nullptr);
        EXPECT_NE(pFile->m_hFontAtFailure, before.hAttribFont);
        EXPECT_EQ(GetObjectType(pFile->m_hFontAtFailure), (DWORD)OBJ_FONT);
        job.End();
        EXPECT_EQ(GetObjectType(pFile->m_hFontAtFailure), 0u);
    }
}

TEST(PagePrinterErrors, AReadErrorWhilePrintingEndsThatPageOnly)
{
    FlakyFile* pFile = new FlakyFile;
    std::unique_ptr<FlakyFile> owner(pFile);
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("&%%B%%&line&%%-B%%& " + std::to_string(i));
    PrintJob job(Joined(lines, "\r\n"), pFile);
    ASSERT_TRUE(job.Begin());
    std::vector<Page> pages = job.PrintAll();

    SetMapMode(job.m_hAttrib, MM_ANISOTROPIC);
    pFile->m_nFailAt = pFile->m_nReads + 3;
    job.StartOutput();
    DCState before = StateOf(job.m_hOutput, job.m_hAttrib);
    job.m_info.m_nCurPage = 2;
    EXPECT_FALSE(job.m_printer.PrintOnePage(&job.m_dc, &job.m_info, TRUE));
    EXPECT_FALSE(job.m_info.m_bContinuePrinting);
    EXPECT_EQ(StateOf(job.m_hOutput, job.m_hAttrib), before);
    Page partial = job.EndOutput().m_runs;
    ASSERT_EQ(partial.size(), 4u);   // two lines of two runs each before the third read failed
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), pages[1].begin()));

    // The next page is whole again.
    EXPECT_EQ(job.Print(3), pages[2]);
    job.End();
}

TEST(PagePrinterErrors, AFailingSeekReachesTheCallerBeforeTheDCChanges)
{
    FlakyFile* pFile = new FlakyFile;
    std::unique_ptr<FlakyFile> owner(pFile);
    PrintJob job("a\r\nb\r\n", pFile);
    ASSERT_TRUE(job.Begin());
    pFile->m_bFailSeek = true;
    job.StartOutput();
    DCState before = StateOf(job.m_hOutput, job.m_hAttrib);
    bool bThrown = false;
    try {
        job.m_printer.PrintOnePage(&job.m_dc, &job.m_info, TRUE);
    } catch (CFileException* e) {
        bThrown = e->m_cause == CFileException::badSeek;
        e->Delete();
    }
    EXPECT_TRUE(bThrown);
    EXPECT_EQ(StateOf(job.m_hOutput, job.m_hAttrib), before);
    EXPECT_TRUE(job.EndOutput().m_runs.empty());
    job.End();
}
