// CPrintInfo: the state of one print job, shared by the print loop and the code that prints.
#pragma once

#include "fxgdi.h"

class CPrintInfo
{
public:
    CPrintInfo()
        : m_bPreview(FALSE), m_bContinuePrinting(TRUE), m_nCurPage(1), m_lpUserData(NULL),
          m_nMinPage(1), m_nMaxPage(0xFFFF)
    {
    }

    // The page range of the document, as far as it is known.
    void SetMinPage(UINT nMinPage) { m_nMinPage = nMinPage; }
    void SetMaxPage(UINT nMaxPage) { m_nMaxPage = nMaxPage; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }

    BOOL m_bPreview;             // the pages go to the screen, not to the printer
    BOOL m_bContinuePrinting;    // cleared by the printing code when the document has ended
    UINT m_nCurPage;             // the page to print now, from 1
    CRect m_rectDraw;            // the usable area of the page, in logical units
    LPVOID m_lpUserData;         // for the printing code's own use

private:
    UINT m_nMinPage;
    UINT m_nMaxPage;
};
