// CHorzListBox: a list box whose horizontal scroll range follows its widest item.
//
// Subclass a list box of a dialog with it (DDX_Control or SubclassDlgItem); every string added,
// inserted or deleted through the list box messages is measured with the list box's font and
// tab stops. For bulk changes, LockHExtentUpdate, fill the list, UnlockHExtentUpdate and
// UpdateHExtent once.
#pragma once

#include "../bexdefs.h"

class BEX_API CHorzListBox : public CListBox
{
public:
    CHorzListBox();
    ~CHorzListBox() override;

    // While locked, string changes and new tab stops leave the extents alone.
    void LockHExtentUpdate();
    // Clears the lock only: the extents stay stale until UpdateHExtent.
    void UnlockHExtentUpdate();
    // Measures every item anew and sets the horizontal extent, locked or not.
    void UpdateHExtent();

protected:
    void InsertNewExtent(int nIndex, LPCSTR lpszText);
    void InsertNewExtent(int nIndex, LPCSTR lpszText, CDC* pDC);
    // Gives the list box the default tab stop (every 2 dialog units), recorded in pixels.
    void InitTabStops();

    afx_msg LRESULT OnAddString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnInsertString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDeleteString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetTabStops(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // An owner-drawn list box without LBS_HASSTRINGS keeps caller data, not text, in its items.
    BOOL HasStrings() const;
    void SetLargestExtent();

    BOOL m_bLocked;
    CArray<int, int> m_arrExtents;
    int m_nLargestExtent;
    int m_nTabStops;
    int* m_pTabStops;
    BOOL m_bInInitTabStops;
};
