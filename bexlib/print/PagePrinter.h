// CPagePrinter: prints a text file page by page inside the framework's print loop. The text may
// carry formatting commands (bold, italic, underline, normal, tab stops), written with the
// builders below so that no application spells a command itself.
//
//   OnBeginPrinting(pDC, pInfo, &file)   once per job: makes the fonts and paginates the file
//   PrintOnePage(pDC, pInfo, TRUE)       per page, in any order, pInfo->m_nCurPage from 1 on
//   OnEndPrinting(pDC, pInfo)            frees the fonts; the file may be closed afterwards
//
// A page is laid out in MM_LOMETRIC from the top left corner of the printable area, one line
// after the other; long lines are not wrapped. Layout is measured on the DC's attribute context
// when the page is counted and when it is drawn alike, so a printed page holds exactly the
// lines that pagination gave it.
#pragma once

#include "PageStatus.h"

class BEX_API CPagePrinter : public CObject
{
    DECLARE_DYNAMIC(CPagePrinter)
public:
    CPagePrinter();
    ~CPagePrinter() override;

    // Makes the fonts, takes the file (which must stay open until OnEndPrinting) and
    // paginates it. FALSE when a file error stopped the pagination.
    int OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo, CStdioFile* pFile);
    // Lays out page pInfo->m_nCurPage, drawing it when bPrint is non-zero. FALSE, with
    // m_bContinuePrinting FALSE, when a file error ended the page or the page does not exist.
    int PrintOnePage(CDC* pDC, CPrintInfo* pInfo, int bPrint);
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);

    // The command language: prefix, body, postfix. A not-mark before B, I or U switches the
    // attribute off; the tab command is followed by column widths in characters.
    static const CString s_sCmdPrefix;
    static const CString s_sCmdPostfix;
    static const CString s_sNotCmd;
    static const CString s_sBoldCmd;
    static const CString s_sItalicCmd;
    static const CString s_sUnderlineCmd;
    static const CString s_sNormalCmd;
    static const CString s_sTabCmd;

    static CString GetBoldCmd(int bOn);
    static CString GetItalicCmd(int bOn);
    static CString GetUnderlineCmd(int bOn);
    static CString GetNormalCmd();
    // The tab command for nCount column widths ("&%%T10,8,20%%&"); nCount 0 removes all stops.
    static CString GetTabCmd(int nCount, int* pnWidths);
    static CString GetTabCmd(CString strList);

private:
    int CreateFontA(int bUnderline, int bItalic, int bBold, CFont& font);
    CFont* SelectCurrentFont(CDC* pDC);
    static CSize GetSizeSheet(CDC* pDC);
    static int GetActualFontHeight(CDC* pDC);
    CString ExecuteCommand(CString& strLine, CDC* pDC);
    void DeleteFonts();

    CStdioFile* m_pFile;
    // One per combination of underline, italic and bold, in the order of s_aFontAttr.
    CFont m_aFont[8];
    CString m_strPending;       // the rest of the current line, still to be scanned
    CPageStatus m_status;
    CArray<CPageStatus, CPageStatus&> m_aPageStart;   // element i opens page i + 1
};
