// The small parsers, chosen by an input's first byte: 'T' CTokenizer over a text and a set of
// delimiters (separated by 0x01), 'C' a CPU identification text for VekGetCpuTypeSubType and
// VekGetFwFeaturesEx, 'S' a tab list for CPageStatus::SetTabs, 'P' a text file with printer
// commands, paginated by CPagePrinter and printed page by page to metafile DCs. Accepted: the
// parser found something (two tokens, a known CPU, a tab stop, a paginated file).
#include "fuzz.h"
#include "harness.h"
#include "BexLib32.h"

#include <limits.h>
#include <string.h>

namespace {

using fuzz::Fail;

bool Tokens(const std::string& body, fuzz::Rng& rng)
{
    size_t nSep = body.find('\x01');
    std::string text = body.substr(0, nSep), delims = nSep == std::string::npos ? "," : body.substr(nSep + 1);
    harness::GuardedBuffer guardedDelims = harness::GuardedBuffer::Text(delims.c_str());
    const char* pszDelims = guardedDelims.Data();
    CTokenizer tok;
    int bFound = FALSE;
    size_t nTokens = 0;
    for (CString token = tok.FirstToken(text.c_str(), pszDelims, &bFound); bFound; token = tok.NextToken(pszDelims, &bFound)) {
        if (*pszDelims && token.FindOneOf(pszDelims) >= 0)
            Fail("a token holds a delimiter");
        if (++nTokens > text.size() + 1)
            Fail("the tokenizer does not get to the end of %u characters", (unsigned)text.size());
        if (rng.OneIn(8)) {
            CTokenizer copy(tok);
            tok = copy;
        }
    }
    return nTokens >= 2;
}

bool Cpu(const std::string& body)
{
    // The text as the callers pass it: nine characters at least.
    std::string text = body.substr(0, body.find('\0'));
    harness::GuardedBuffer id(std::max<size_t>(text.size() + 1, 10));
    memset(id.Data(), 0, id.Size());
    memcpy(id.Data(), text.data(), text.size());
    int nVersion = -7, nType = -7, nSubType = -7;
    VekGetCpuTypeSubType(id.Data(), &nVersion, &nType, &nSubType);
    DWORD dwFeatures = VekGetFwFeaturesEx(id.Data());
    if (nVersion < 0 || nVersion > 6)
        Fail("version digit %d", nVersion);
    if (nType < 0 ? dwFeatures != 0xFFFFFFFF : (dwFeatures & ~0xFFu) != 0)
        Fail("type %d, subtype %d with features 0x%lx", nType, nSubType, (unsigned long)dwFeatures);
    return nType >= 0;
}

bool Tabs(const std::string& body, fuzz::Rng& rng)
{
    static const int s_anUnit[] = { 0, 1, -1, 20, 25, INT_MAX, INT_MIN, 0x10000 };
    int nUnit = rng.OneIn(4) ? (int)rng.Next() : s_anUnit[rng.Below(8)];
    CPageStatus status;
    status.SetTabs(body.c_str(), nUnit);
    int nCount = status.GetTabCount();
    if (nCount < 0 || nCount > 200 || (nCount == 0) != (status.GetTabStopPositions() == NULL))
        Fail("%d tab stops at %p", nCount, (void*)status.GetTabStopPositions());
    CPageStatus copy(status);
    copy = copy;
    status = CPageStatus();
    if (copy.GetTabCount() != nCount)
        Fail("a copy of the status lost its tab stops");
    return nCount > 0;
}

// One page to a metafile over the measuring DC, as a printer would take it.
void PrintPage(CPagePrinter& printer, CDC& dc, HDC hAttrib, CPrintInfo& info, UINT nPage)
{
    HDC hOutput = CreateEnhMetaFileA(hAttrib, NULL, NULL, NULL);
    dc.SetOutputDC(hOutput);
    info.m_nCurPage = nPage;
    try {
        printer.PrintOnePage(&dc, &info, TRUE);
    } catch (CFileException* e) {
        e->Delete();
    }
    dc.ReleaseOutputDC();
    DeleteEnhMetaFile(CloseEnhMetaFile(hOutput));
}

bool Print(const std::string& body, fuzz::Rng& rng)
{
    std::string path = fuzz::Scratch() + "print.txt";
    harness::WriteFileBytes(path, body);
    CStdioFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite))
        Fail("the text file cannot be opened");
    HDC hAttrib = CreateCompatibleDC(NULL);
    CDC dc;
    dc.SetAttribDC(hAttrib);
    CPrintInfo info;
    BOOL bPaginated;
    {
        CPagePrinter printer;
        dc.SetOutputDC(hAttrib);
        bPaginated = printer.OnBeginPrinting(&dc, &info, &file);
        dc.ReleaseOutputDC();
        UINT nPages = info.GetMaxPage();
        if (bPaginated && nPages < 1)
            Fail("a paginated text has no page");
        if (bPaginated) {
            // The last page, where the text ends, and any other, printed on its own.
            PrintPage(printer, dc, hAttrib, info, nPages);
            PrintPage(printer, dc, hAttrib, info, 1 + (UINT)rng.Below(nPages));
            // A page the table does not know ends the job.
            info.m_nCurPage = rng.OneIn(2) ? 0 : nPages + 1;
            if (printer.PrintOnePage(&dc, &info, TRUE) || info.m_bContinuePrinting)
                Fail("page %u of %u was printed", info.m_nCurPage, nPages);
        }
        printer.OnEndPrinting(&dc, &info);
    }
    DeleteDC(hAttrib);
    file.Close();
    return bPaginated != FALSE;
}

bool Run(const std::string& input)
{
    fuzz::Rng rng(fuzz::Hash(input));
    std::string body = input.empty() ? std::string() : input.substr(1);
    // Any other first byte picks one of the four too, so that every input is run.
    unsigned char chKind = input.empty() ? 'P' : (unsigned char)input[0];
    switch (chKind && strchr("TCSP", chKind) ? chKind : "TCSP"[chKind % 4]) {
    case 'T': return Tokens(body, rng);
    case 'C': return Cpu(body);
    case 'S': return Tabs(body, rng);
    default: return Print(body, rng);
    }
}

std::vector<std::string> Seeds()
{
    std::string many, lines;
    for (int i = 0; i < 250; ++i)
        many += std::to_string(i * 7 % 40) + ",";
    for (int i = 0; i < 90; ++i)
        lines += (i % 7 == 0 ? "&%%B%%&" : "") + std::string("line ") + std::to_string(i) + "\t&%%-B%%&end\r\n";
    return {
        "Ta,,b\x01,", "T,a\x01,", "T  a b  c\x01 ", "Tx\x01", "Tk=v;k2=v2\x01;=",
        "CV2M15002x3", "CV6M5x004", "CV6M2x0B0", "CR1C12#04", "CV7L1200A3", "CV12340F1", "C", "CV4M01C5x1",
        "S10,8,20", "S,5", "S5,,5", "S" + many, "S-3", "S99999999999,1",
        "P&%%B%%&Total&%%-B%%&: 5\n50&%%\n&%%T10,8,20%%&a\tb\tc\n&%%I%%&&%%U%%&both&%%N%%&\n",
        "P" + lines, "P", "P&%%T%%&\t\t\n&%%-T5%%&x\tx\n&%%BX%%&&%%%%&\n",
    };
}

fuzz::Shape ShapeOf(const std::string& input)
{
    fuzz::Shape shape;
    size_t start = 1;
    for (size_t i = 1; i <= input.size(); ++i)
        if (i == input.size() || strchr("\n,\x01", input[i])) {
            shape.chunks.push_back({ start, i - start + (i < input.size()) });
            start = i + 1;
        }
    shape.tokens = { "&%%", "%%&", "&%%B%%&", "&%%-I%%&", "&%%T", "&%%N%%&", ",", "\t", "\x01", "-", "#", "V", "M", "R1C" };
    return shape;
}

fuzz::Registrar s_parsers({ "parsers", "txt", Seeds, ShapeOf, NULL, NULL, NULL, NULL, Run });

}  // namespace
