// The common controls the library's dialogs use: the tree view and the image list it shows.
#pragma once

#include "fxwnd.h"
#include <commctrl.h>

// An image list handle. The object destroys the list it holds unless the list was handed back
// with Detach first: a shared list (the system's) must be detached before the object goes.
class FX_API CImageList : public CObject
{
    DECLARE_DYNAMIC(CImageList)
public:
    CImageList() : m_hImageList(NULL) {}
    ~CImageList() override;

    HIMAGELIST m_hImageList;

    // Takes the handle over; fails when the object already holds one.
    BOOL Attach(HIMAGELIST hImageList);
    // Gives the handle up without destroying the list.
    HIMAGELIST Detach();
    // ImageList_Destroy of the held list.
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }
    // ImageList_GetImageCount.
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }

private:
    CImageList(const CImageList&) = delete;
    void operator=(const CImageList&) = delete;
};

class FX_API CTreeCtrl : public CWnd
{
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    // A WC_TREEVIEW child control.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // TVM_SETIMAGELIST (TVSIL_NORMAL or TVSIL_STATE): the previous list's handle.
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType)
    {
        return (HIMAGELIST)SendMessage(TVM_SETIMAGELIST, nImageListType, (LPARAM)(pImageList ? pImageList->m_hImageList : NULL));
    }
    // TVM_INSERTITEM of a text item with images and data, under hParent after hInsertAfter.
    HTREEITEM InsertItem(LPCSTR lpszItem, int nImage, int nSelectedImage,
                         HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    // TVM_DELETEITEM of an item and its children (TVI_ROOT: all items).
    BOOL DeleteItem(HTREEITEM hItem) { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)hItem); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    // TVM_GETNEXTITEM with TVGN_*: NULL when there is no such item.
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return (HTREEITEM)SendMessage(TVM_GETNEXTITEM, nCode, (LPARAM)hItem);
    }
    HTREEITEM GetRootItem() const { return GetNextItem(NULL, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(NULL, TVGN_CARET); }
    // TVM_SELECTITEM with TVGN_CARET: makes the item the selection and scrolls it into view.
    BOOL SelectItem(HTREEITEM hItem) { return (BOOL)SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)hItem); }
    // TVM_EXPAND with TVE_EXPAND, TVE_COLLAPSE, TVE_COLLAPSERESET or TVE_TOGGLE.
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return (BOOL)SendMessage(TVM_EXPAND, nCode, (LPARAM)hItem); }
    // The item's whole text (TVM_GETITEMA with a growing buffer).
    CString GetItemText(HTREEITEM hItem) const;
    // TVM_GETITEMA and TVM_SETITEMA of the item's lParam.
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    // TVM_GETITEMSTATE of the bits in nStateMask.
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return (UINT)SendMessage(TVM_GETITEMSTATE, (WPARAM)hItem, nStateMask);
    }
    // TVM_GETCOUNT.
    UINT GetCount() const { return (UINT)SendMessage(TVM_GETCOUNT, 0, 0); }
    // TVM_HITTEST at a point in client coordinates; pFlags receives TVHT_* when given.
    HTREEITEM HitTest(CPoint pt, UINT* pFlags = NULL) const;
    // TVM_GETITEMRECT: the whole line (bTextOnly FALSE) or the label alone.
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;
};
