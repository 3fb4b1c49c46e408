#include "PagePrinter.h"
#include "../frame/kelmdbg.h"

#include <string.h>

// The command words live from the library's load to its unload. Applications have always found
// them built in this order, which one module keeps.
const CString CPagePrinter::s_sCmdPrefix("&%%");
const CString CPagePrinter::s_sCmdPostfix("%%&");
const CString CPagePrinter::s_sNotCmd("-");
const CString CPagePrinter::s_sBoldCmd("B");
const CString CPagePrinter::s_sItalicCmd("I");
const CString CPagePrinter::s_sUnderlineCmd("U");
const CString CPagePrinter::s_sNormalCmd("N");
const CString CPagePrinter::s_sTabCmd("T");

IMPLEMENT_DYNAMIC(CPagePrinter, CObject)

// The attributes of m_aFont[i].
static const struct {
    int bUnderline, bItalic, bBold;
} s_aFontAttr[8] = {
    { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 }, { 1, 1, 0 }, { 1, 0, 1 }, { 0, 1, 1 }, { 1, 1, 1 },
};

namespace {
// Gives the caller back the DC's mapping mode and font (and the rest of its state) on every way
// out of a page, a file exception's included.
class CDCStateKeeper
{
public:
    explicit CDCStateKeeper(CDC* pDC) : m_pDC(pDC), m_nSaved(pDC->SaveDC()) {}
    ~CDCStateKeeper() { m_pDC->RestoreDC(m_nSaved); }

private:
    CDC* m_pDC;
    int m_nSaved;
};
}  // namespace

CPagePrinter::CPagePrinter() : m_pFile(NULL)
{
}

// The fonts delete their GDI objects themselves.
CPagePrinter::~CPagePrinter()
{
}

// An attribute command, switching the attribute on, or off with the not-mark.
static CString AttributeCmd(int bOn, const CString& sCmd)
{
    CString strCmd = CPagePrinter::s_sCmdPrefix;
    if (!bOn)
        strCmd += CPagePrinter::s_sNotCmd;
    return strCmd + sCmd + CPagePrinter::s_sCmdPostfix;
}

CString CPagePrinter::GetBoldCmd(int bOn)
{
    return AttributeCmd(bOn, s_sBoldCmd);
}

CString CPagePrinter::GetItalicCmd(int bOn)
{
    return AttributeCmd(bOn, s_sItalicCmd);
}

CString CPagePrinter::GetUnderlineCmd(int bOn)
{
    return AttributeCmd(bOn, s_sUnderlineCmd);
}

CString CPagePrinter::GetNormalCmd()
{
    return s_sCmdPrefix + s_sNormalCmd + s_sCmdPostfix;
}

CString CPagePrinter::GetTabCmd(int nCount, int* pnWidths)
{
    KELM_ASSERT(nCount >= 0);
    CString strList;
    for (int i = 0; i < nCount; ++i) {
        CString strWidth;
        strWidth.Format("%d", pnWidths[i]);
        if (i > 0)
            strList += ',';
        strList += strWidth;
    }
    return GetTabCmd(strList);
}

CString CPagePrinter::GetTabCmd(CString strList)
{
    return s_sCmdPrefix + s_sTabCmd + strList + s_sCmdPostfix;
}

int CPagePrinter::CreateFontA(int bUnderline, int bItalic, int bBold, CFont& font)
{
    font.DeleteObject();
    LOGFONTA lf;
    memset(&lf, 0, sizeof(lf));
    lf.lfHeight = 35;   // a 3.5 mm cell in MM_LOMETRIC
    lf.lfWeight = bBold ? FW_BOLD : FW_DONTCARE;
    lf.lfItalic = (BYTE)(bItalic ? 1 : 0);
    lf.lfUnderline = (BYTE)(bUnderline ? 1 : 0);
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    return font.Attach(::CreateFontIndirectA(&lf));
}

void CPagePrinter::DeleteFonts()
{
    for (CFont& font : m_aFont)
        font.DeleteObject();
}

CFont* CPagePrinter::SelectCurrentFont(CDC* pDC)
{
    int bUnderline = m_status.IsUnderlined() != 0;
    int bItalic = m_status.IsItalic() != 0;
    int bBold = m_status.IsBold() != 0;
    int i = 0;
    while (s_aFontAttr[i].bUnderline != bUnderline || s_aFontAttr[i].bItalic != bItalic || s_aFontAttr[i].bBold != bBold)
        ++i;
    return pDC->SelectObject(&m_aFont[i]);
}

CSize CPagePrinter::GetSizeSheet(CDC* pDC)
{
    return CSize(pDC->GetDeviceCaps(HORZSIZE) * 10, pDC->GetDeviceCaps(VERTSIZE) * 10);
}

int CPagePrinter::GetActualFontHeight(CDC* pDC)
{
    TEXTMETRICA tm;
    pDC->GetTextMetrics(&tm);
    return tm.tmHeight + tm.tmExternalLeading;
}

CString CPagePrinter::ExecuteCommand(CString& strLine, CDC* pDC)
{
    int nPrefix = strLine.Find(s_sCmdPrefix);
    if (nPrefix < 0)
        return strLine;
    if (nPrefix > 0) {
        m_strPending = strLine.Mid(nPrefix);
        strLine = strLine.Left(nPrefix);
        return strLine;
    }

    CString strBody = strLine.Mid(s_sCmdPrefix.GetLength());
    int nPostfix = strBody.Find(s_sCmdPostfix);
    if (nPostfix < 0) {
        // Not a command: the prefix is text, and what follows it is scanned again.
        m_strPending = strBody;
        return s_sCmdPrefix;
    }
    m_strPending = strBody.Mid(nPostfix + s_sCmdPostfix.GetLength());
    strBody = strBody.Left(nPostfix);

    int bOn = TRUE;
    if (strBody.Find(s_sNotCmd) == 0) {
        bOn = FALSE;
        strBody = strBody.Mid(s_sNotCmd.GetLength());
    }
    if (strBody == s_sBoldCmd) {
        m_status.SetBold(bOn);
        SelectCurrentFont(pDC);
    } else if (strBody == s_sItalicCmd) {
        m_status.SetItalic(bOn);
        SelectCurrentFont(pDC);
    } else if (strBody == s_sUnderlineCmd) {
        m_status.SetUnderline(bOn);
        SelectCurrentFont(pDC);
    } else if (strBody == s_sNormalCmd) {
        m_status.SetNormal();
        SelectCurrentFont(pDC);
    } else if (strBody.Find(s_sTabCmd) == 0) {
        TEXTMETRICA tm;
        pDC->GetTextMetrics(&tm);
        m_status.SetTabs(strBody.Mid(s_sTabCmd.GetLength()), tm.tmMaxCharWidth);
    }
    return CString();
}

int CPagePrinter::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo, CStdioFile* pFile)
{
    for (int i = 0; i < 8; ++i)
        CreateFontA(s_aFontAttr[i].bUnderline, s_aFontAttr[i].bItalic, s_aFontAttr[i].bBold, m_aFont[i]);
    m_pFile = pFile;
    m_pFile->Flush();
    pInfo->SetMinPage(1);

    m_status = CPageStatus();
    m_aPageStart.RemoveAll();
    UINT nPage = 0;
    while (pInfo->m_bContinuePrinting) {
        m_aPageStart.Add(m_status);
        pInfo->m_nCurPage = ++nPage;
        if (!PrintOnePage(pDC, pInfo, FALSE))
            return FALSE;
        // Where the next page begins.
        m_status.SetFilePosition((unsigned long)m_pFile->GetPosition());
    }
    pInfo->m_bContinuePrinting = TRUE;
    pInfo->SetMaxPage(nPage);
    pInfo->m_nCurPage = 1;
    return TRUE;
}

int CPagePrinter::PrintOnePage(CDC* pDC, CPrintInfo* pInfo, int bPrint)
{
    // A page the table does not know (none yet, or pagination failed before it) ends the job.
    if (pInfo->m_nCurPage < 1 || pInfo->m_nCurPage > (UINT)m_aPageStart.GetSize()) {
        pInfo->m_bContinuePrinting = FALSE;
        return FALSE;
    }
    m_status = m_aPageStart[pInfo->m_nCurPage - 1];
    m_strPending.Empty();
    // A failing seek reaches the caller before anything of the DC has been changed.
    m_pFile->Seek(m_status.GetFilePosition(), CFile::begin);

    CDCStateKeeper keeper(pDC);
    pDC->SetMapMode(MM_LOMETRIC);
    // Text on paper needs no background of its own; an opaque one is placed a line too high by
    // some drivers in this mapping mode and blots out the line above.
    pDC->SetBkMode(TRANSPARENT);
    CSize sizeSheet = GetSizeSheet(pDC);
    SelectCurrentFont(pDC);

    int nTop = 0;
    int nBottom = -sizeSheet.cy;
    int x = 0;
    int nPitch = GetActualFontHeight(pDC);
    // Every page holds at least one line, however low the sheet.
    if (nTop - nPitch < nBottom)
        nBottom = nTop - nPitch;

    try {
        for (;;) {
            // Lines are never split across pages: the page can only end between them.
            if (nTop - nPitch < nBottom && m_strPending.IsEmpty()) {
                pInfo->m_bContinuePrinting = TRUE;
                break;
            }
            CString strLine;
            if (m_strPending.IsEmpty()) {
                if (!m_pFile->ReadString(strLine)) {
                    pInfo->m_bContinuePrinting = FALSE;
                    break;
                }
                x = 0;
            } else {
                strLine = m_strPending;
                m_strPending.Empty();
            }

            CString strSegment = ExecuteCommand(strLine, pDC);
            int nTabs = m_status.GetTabCount();
            int* pnTabStops = m_status.GetTabStopPositions();
            // Measured on the attribute context whether drawn or not: the output context may
            // measure otherwise, and the page must keep the lines its pagination counted.
            CSize size = pDC->GetTabbedTextExtent(strSegment, strSegment.GetLength(), nTabs, pnTabStops);
            if (bPrint && !strSegment.IsEmpty())
                pDC->TabbedTextOut(x, nTop, strSegment, strSegment.GetLength(), nTabs, pnTabStops, x);
            x += size.cx;
            if (size.cy > nPitch)
                nPitch = size.cy;
            if (m_strPending.IsEmpty())
                nTop -= nPitch;
        }
    } catch (CFileException* e) {
        e->Delete();
        m_strPending.Empty();
        pInfo->m_bContinuePrinting = FALSE;
        return FALSE;
    }
    return TRUE;
}

void CPagePrinter::OnEndPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/)
{
    DeleteFonts();
}
