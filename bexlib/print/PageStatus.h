// CPageStatus: the formatting state at one point of a printed text (type attributes, indent,
// tab stops) and the file position of the page it opens. The page printer keeps one copy per
// page start, so that any page can be printed again on its own.
#pragma once

#include "../bexdefs.h"

class BEX_API CPageStatus : public CObject
{
    DECLARE_DYNAMIC(CPageStatus)
public:
    // At most this many tab stops are kept; further columns of a tab list are ignored.
    enum { maxTabStops = 200 };

    CPageStatus();
    CPageStatus(const CPageStatus& src);
    ~CPageStatus() override;
    void operator=(const CPageStatus& src);

    // Attributes. The flags hold whatever integer the caller stored.
    void SetBold(int bBold) { m_bBold = bBold; }
    void SetItalic(int bItalic) { m_bItalic = bItalic; }
    void SetUnderline(int bUnderline) { m_bUnderline = bUnderline; }
    void SetIdent(int nIndent) { m_nIndent = nIndent; }
    void SetFilePosition(unsigned long dwFilePosition) { m_dwFilePosition = dwFilePosition; }
    int IsBold() const { return m_bBold; }
    int IsItalic() const { return m_bItalic; }
    int IsUnderlined() const { return m_bUnderline; }
    int GetIndent() const { return m_nIndent; }
    unsigned long GetFilePosition() const { return m_dwFilePosition; }
    int GetTabCount() const { return m_nTabCount; }
    // The status's own array, NULL without stops; valid until the stops change.
    int* GetTabStopPositions() const { return m_pnTabStops; }

    // Plain type and no indent; the file position and the tab stops stay.
    void SetNormal();
    // New tab stops from a list of column widths in characters ("10,8,20"), nUnit logical
    // units a character. Each column is half a character wider than its number, and the stops
    // add up from the left.
    void SetTabs(CString strList, int nUnit);

private:
    int m_nIndent;
    int m_bItalic;
    int m_bUnderline;
    int m_bBold;
    unsigned long m_dwFilePosition;
    int m_nTabCount;
    int* m_pnTabStops;
};
