#include "HorzListbox.h"
#include "../frame/kelmdbg.h"

#include <string.h>

// Room for the item's focus rectangle and the list box's inner margin.
static const int c_nExtentMargin = 6;

// The list box's DC with its font selected, as the control measures its items.
class CListFontDC
{
public:
    explicit CListFontDC(CListBox* pList) : m_pList(pList), m_pDC(pList->GetDC()), m_pOldFont(NULL)
    {
        CFont* pFont = pList->GetFont();
        KELM_ASSERT(pFont);
        if (pFont)
            m_pOldFont = m_pDC->SelectObject(pFont);
    }
    ~CListFontDC()
    {
        if (m_pOldFont)
            m_pDC->SelectObject(m_pOldFont);
        m_pList->ReleaseDC(m_pDC);
    }
    CDC* operator->() const { return m_pDC; }
    operator CDC*() const { return m_pDC; }

private:
    CListBox* m_pList;
    CDC* m_pDC;
    CFont* m_pOldFont;
};

BEGIN_MESSAGE_MAP(CHorzListBox, CListBox)
    ON_MESSAGE(LB_ADDSTRING, OnAddString)
    ON_MESSAGE(LB_INSERTSTRING, OnInsertString)
    ON_MESSAGE(LB_DELETESTRING, OnDeleteString)
    ON_MESSAGE(LB_SETTABSTOPS, OnSetTabStops)
END_MESSAGE_MAP()

CHorzListBox::CHorzListBox()
    : m_bLocked(FALSE), m_nLargestExtent(0), m_nTabStops(0), m_pTabStops(NULL), m_bInInitTabStops(FALSE)
{
}

CHorzListBox::~CHorzListBox()
{
    delete[] m_pTabStops;
}

void CHorzListBox::LockHExtentUpdate()
{
    m_bLocked = TRUE;
}

void CHorzListBox::UnlockHExtentUpdate()
{
    m_bLocked = FALSE;
}

BOOL CHorzListBox::HasStrings() const
{
    DWORD dwStyle = GetStyle();
    return !(dwStyle & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (dwStyle & LBS_HASSTRINGS);
}

void CHorzListBox::SetLargestExtent()
{
    m_nLargestExtent = 0;
    for (INT_PTR i = 0; i < m_arrExtents.GetSize(); ++i)
        if (m_arrExtents[i] > m_nLargestExtent)
            m_nLargestExtent = m_arrExtents[i];
}

void CHorzListBox::InsertNewExtent(int nIndex, LPCSTR lpszText, CDC* pDC)
{
    if (m_nTabStops == 0)
        InitTabStops();
    int nExtent = 0;
    if (lpszText != NULL) {
        int nLength = (int)strlen(lpszText);
        CSize size = (GetStyle() & LBS_USETABSTOPS)
                         ? pDC->GetTabbedTextExtent(lpszText, nLength, m_nTabStops, m_pTabStops)
                         : pDC->GetTextExtent(lpszText, nLength);
        nExtent = size.cx + c_nExtentMargin;
    }
    m_arrExtents.InsertAt(nIndex, nExtent);
    if (nExtent > m_nLargestExtent)
        m_nLargestExtent = nExtent;
}

void CHorzListBox::InsertNewExtent(int nIndex, LPCSTR lpszText)
{
    if (m_bLocked)
        return;
    // Items that came while locked, before subclassing or before a reset have no extents here;
    // only a full measurement puts the list back in step with the items.
    if (nIndex < 0 || nIndex > m_arrExtents.GetSize() || m_arrExtents.GetSize() != GetCount() - 1) {
        UpdateHExtent();
        return;
    }
    InsertNewExtent(nIndex, HasStrings() ? lpszText : NULL, CListFontDC(this));
    SetHorizontalExtent(m_nLargestExtent);
}

void CHorzListBox::UpdateHExtent()
{
    m_arrExtents.RemoveAll();
    m_nLargestExtent = 0;
    int nCount = GetCount();
    CListFontDC dc(this);
    BOOL bHasStrings = HasStrings();
    CString strItem;
    for (int i = 0; i < nCount; ++i) {
        if (bHasStrings)
            GetText(i, strItem);
        InsertNewExtent(i, bHasStrings ? (LPCSTR)strItem : NULL, dc);
    }
    SetHorizontalExtent(m_nLargestExtent);
}

void CHorzListBox::InitTabStops()
{
    // The measurement that asked for the tab stop goes on by itself; a full one from
    // OnSetTabStops here would count the item being measured twice.
    m_bInInitTabStops = TRUE;
    int nTabStop = 2;
    SetTabStops(1, &nTabStop);
    m_bInInitTabStops = FALSE;
}

LRESULT CHorzListBox::OnAddString(WPARAM, LPARAM lParam)
{
    LRESULT lResult = Default();
    if (lResult == LB_ERR || lResult == LB_ERRSPACE)
        return lResult;
    InsertNewExtent((int)lResult, (LPCSTR)lParam);
    return lResult;
}

LRESULT CHorzListBox::OnInsertString(WPARAM wParam, LPARAM lParam)
{
    return OnAddString(wParam, lParam);
}

LRESULT CHorzListBox::OnDeleteString(WPARAM wParam, LPARAM)
{
    LRESULT lResult = Default();
    if (lResult == LB_ERR || m_bLocked)
        return lResult;
    INT_PTR nIndex = (INT_PTR)wParam;
    if (nIndex < 0 || nIndex >= m_arrExtents.GetSize() || m_arrExtents.GetSize() != lResult + 1) {
        // The extents were out of step with the items (see InsertNewExtent).
        UpdateHExtent();
        return lResult;
    }
    int nExtent = m_arrExtents[nIndex];
    m_arrExtents.RemoveAt(nIndex);
    if (nExtent >= m_nLargestExtent)
        SetLargestExtent();
    SetHorizontalExtent(m_nLargestExtent);
    return lResult;
}

LRESULT CHorzListBox::OnSetTabStops(WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = Default();
    if (lResult == 0)
        return 0;
    int nTabStops = (int)wParam;
    delete[] m_pTabStops;
    m_pTabStops = NULL;
    m_nTabStops = 0;
    if (nTabStops > 0 && lParam != 0) {
        static const char s_szAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size = { 0, 0 };
        ::GetTextExtentPoint32A(CListFontDC(this)->m_hAttribDC, s_szAlphabet, 52, &size);

        int nAveCharWidth = (size.cx / 26 + 1) / 2;
        m_pTabStops = new int[nTabStops];
        const int* pDialogUnits = (const int*)lParam;
        for (int i = 0; i < nTabStops; ++i)
            m_pTabStops[i] = (pDialogUnits[i] * nAveCharWidth + 2) / 4;
        m_nTabStops = nTabStops;
    }
    if (!m_bLocked && !m_bInInitTabStops)
        UpdateHExtent();
    return lResult;
}
