#include "BrowseFolder.h"
#include "ResizableDlg.h"
#include "../config/BexHelp.h"
#include "../frame/bexlib32.h"
#include "../text/lstr.h"
#include "../common/SortableStringArray.h"
#include <shellapi.h>

namespace {

const UINT IDD_BROWSEFOLDER = 131;
const UINT IDI_BROWSEFOLDER = 130;
const int IDC_FOLDER_TREE = 1000;
const int IDC_FOLDER_EDIT = 1001;
const int IDC_FOLDER_LABEL = 1003;

// Per drive type: the label used when the shell names no drive, and the image when the shell
// gives no icon of its own.
struct DriveKind
{
    UINT nType;
    LPCSTR lpszLabel;
    int nImage;
};
const DriveKind s_driveKinds[] = {
    {DRIVE_REMOVABLE, "3\xBD Floppy ", 6},
    {DRIVE_FIXED, "Local Disk ", 8},
    {DRIVE_REMOTE, "Remote Drive ", 9},
    {DRIVE_CDROM, "CD Drive ", 11},
    {DRIVE_RAMDISK, "RAM Disk ", 12},
};
const DriveKind s_otherDrive = {0, "", 10};

const DriveKind& KindOfDrive(UINT nType)
{
    for (const DriveKind& kind : s_driveKinds)
        if (kind.nType == nType)
            return kind;
    return s_otherDrive;
}

BOOL IsDots(LPCSTR lpszName)
{
    return lstrcmpA(lpszName, ".") == 0 || lstrcmpA(lpszName, "..") == 0;
}

// Whether the folder holds at least one folder; stops at the first.
BOOL HasSubfolders(CString strPath)
{
    strPath.TrimRight('\\');
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(strPath + "\\*.*", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL bFound = FALSE;
    do
        bFound = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDots(fd.cFileName);
    while (!bFound && ::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
    return bFound;
}

}  // namespace

// Picks a folder; see BrowseForFolderDialog. Tree items are drives (item data: the upper-case
// letter) and folders; a branch not yet read holds one placeholder child with empty text, which
// makes the expand button show.
class CBrowseFolderDlg : public CResizableDlg
{
public:
    CBrowseFolderDlg();
    ~CBrowseFolderDlg() override;

    CTreeCtrl m_wndTree;
    CEdit m_wndEdit;
    CString m_strTitle;
    DWORD m_dwUnused;
    CString m_strFolder;
    CString m_strLabel;
    CImageList m_imageList;   // the system's small images, lent to the tree, never destroyed here
    int m_nFolderImage;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    afx_msg LRESULT OnCommandHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void AddDrive(LPCSTR lpszRoot);
    void AddPlaceholder(HTREEITEM hItem);
    CString GetItemPath(HTREEITEM hItem) const;
    void FillItem(HTREEITEM hItem);
    void EmptyItem(HTREEITEM hItem);
    void ShowItemPath(HTREEITEM hItem);
    void SelectPath(const CString& strPath);
    void RejectName(LPCSTR lpszFormat);
};

BEGIN_MESSAGE_MAP(CBrowseFolderDlg, CResizableDlg)
    ON_NOTIFY(TVN_ITEMEXPANDINGA, IDC_FOLDER_TREE, OnItemExpanding)
    ON_NOTIFY(TVN_SELCHANGEDA, IDC_FOLDER_TREE, OnSelChanged)
    ON_WM_CONTEXTMENU()
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

CBrowseFolderDlg::CBrowseFolderDlg()
    : CResizableDlg(IDD_BROWSEFOLDER, NULL), m_dwUnused(0), m_nFolderImage(0)
{
}

CBrowseFolderDlg::~CBrowseFolderDlg()
{
    m_imageList.Detach();
}

void CBrowseFolderDlg::DoDataExchange(CDataExchange* pDX)
{
    CResizableDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FOLDER_TREE, m_wndTree);
    DDX_Control(pDX, IDC_FOLDER_EDIT, m_wndEdit);
}

BOOL CBrowseFolderDlg::OnInitDialog()
{
    const UINT nMoveBoth = ANCHOR_REPAINT | ANCHOR_MOVE_Y | ANCHOR_MOVE_X;
    AddControl(IDC_FOLDER_EDIT, ANCHOR_SIZE_X);
    AddControl(IDC_FOLDER_TREE, ANCHOR_SIZE_X | ANCHOR_SIZE_Y);
    AddControl(ID_HELP, ANCHOR_MOVE_Y);
    AddControl(IDOK, nMoveBoth);
    AddControl(IDCANCEL, nMoveBoth);
    CResizableDlg::OnInitDialog();

    SetIcon(::LoadIconA(g_hBexLib, MAKEINTRESOURCEA(IDI_BROWSEFOLDER)), TRUE);
    if (!m_strTitle.IsEmpty())
        SetWindowText(m_strTitle);

    SHFILEINFOA sfi = {};
    HIMAGELIST hSysImages = (HIMAGELIST)::SHGetFileInfoA("C:\\", 0, &sfi, sizeof(sfi),
                                                         SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    if (hSysImages != NULL && m_imageList.Attach(hSysImages))
        m_wndTree.SetImageList(&m_imageList, TVSIL_NORMAL);
    char szWindowsDir[MAX_PATH];
    ::GetWindowsDirectoryA(szWindowsDir, MAX_PATH);
    if (::SHGetFileInfoA(szWindowsDir, FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof(sfi),
                         SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        m_nFolderImage = sfi.iIcon;

    char szDrives[105] = {};
    ::GetLogicalDriveStringsA(sizeof(szDrives) - 1, szDrives);
    for (char* pszRoot = szDrives; *pszRoot != '\0'; pszRoot += lstrlenA(pszRoot) + 1) {
        ::CharUpperA(pszRoot);
        AddDrive(pszRoot);
    }

    if (!m_strLabel.IsEmpty())
        SetDlgItemText(IDC_FOLDER_LABEL, m_strLabel);
    if (m_strFolder.IsEmpty()) {
        char szCurrent[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, szCurrent);
        m_strFolder = szCurrent;
    }
    m_wndEdit.SetWindowText(m_strFolder);
    CString strPath = m_strFolder;
    strPath.TrimRight('\\');
    SelectPath(strPath);
    return TRUE;
}

void CBrowseFolderDlg::AddDrive(LPCSTR lpszRoot)
{
    UINT nType = ::GetDriveTypeA(lpszRoot);
    // Only local drives are read before the user opens them: a network or removable drive may
    // take long to answer, or ask for a disk.
    BOOL bLocal = nType == DRIVE_FIXED || nType == DRIVE_RAMDISK;
    const DriveKind& kind = KindOfDrive(nType);
    char chLetter = lpszRoot[0];

    SHFILEINFOA sfi = {};
    ::SHGetFileInfoA(lpszRoot, 0, &sfi, sizeof(sfi), SHGFI_DISPLAYNAME);
    CString strName = sfi.szDisplayName;
    if (strName.IsEmpty() && bLocal) {
        char szLabel[MAX_PATH] = {};
        if (::GetVolumeInformationA(lpszRoot, szLabel, MAX_PATH, NULL, NULL, NULL, NULL, 0) && szLabel[0] != '\0')
            strName.Format("%s (%c:)", szLabel, chLetter);
    }
    if (strName.IsEmpty())
        strName.Format("%s(%c:)", kind.lpszLabel, chLetter);

    int nImage = kind.nImage;
    SHFILEINFOA sfiIcon = {};
    if (::SHGetFileInfoA(lpszRoot, 0, &sfiIcon, sizeof(sfiIcon), SHGFI_SYSICONINDEX | SHGFI_SMALLICON) && sfiIcon.iIcon != 0)
        nImage = sfiIcon.iIcon;

    HTREEITEM hItem = m_wndTree.InsertItem(strName, nImage, nImage, TVI_ROOT, TVI_LAST);
    if (!bLocal || HasSubfolders(lpszRoot))
        AddPlaceholder(hItem);
    m_wndTree.SetItemData(hItem, (DWORD_PTR)(BYTE)chLetter);
}

void CBrowseFolderDlg::AddPlaceholder(HTREEITEM hItem)
{
    m_wndTree.InsertItem("", m_nFolderImage, m_nFolderImage, hItem, TVI_LAST);
}

CString CBrowseFolderDlg::GetItemPath(HTREEITEM hItem) const
{
    CString strPath;
    HTREEITEM hParent;
    for (; (hParent = m_wndTree.GetParentItem(hItem)) != NULL; hItem = hParent)
        strPath = m_wndTree.GetItemText(hItem) + "\\" + strPath;
    CString strRoot;
    strRoot.Format("%c:\\", (char)m_wndTree.GetItemData(hItem));
    return strRoot + strPath;
}

void CBrowseFolderDlg::FillItem(HTREEITEM hItem)
{
    // Only a placeholder is replaced: a branch already read keeps its folders.
    HTREEITEM hFirst = m_wndTree.GetChildItem(hItem);
    if (hFirst == NULL || !m_wndTree.GetItemText(hFirst).IsEmpty())
        return;
    m_wndTree.DeleteItem(hFirst);

    CString strPath = GetItemPath(hItem);
    CSortableStringArray arrNames;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(strPath + "*.*", &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDots(fd.cFileName))
                arrNames.Add(fd.cFileName);
        while (::FindNextFileA(hFind, &fd));
        ::FindClose(hFind);
    }
    arrNames.Sort([](const CString& s1, const CString& s2) { return s1.CompareNoCase(s2); });
    for (int i = 0; i < arrNames.GetSize(); i++) {
        HTREEITEM hChild = m_wndTree.InsertItem(arrNames[i], m_nFolderImage, m_nFolderImage, hItem, TVI_LAST);
        if (HasSubfolders(strPath + arrNames[i]))
            AddPlaceholder(hChild);
    }
}

void CBrowseFolderDlg::EmptyItem(HTREEITEM hItem)
{
    // A collapsed branch is read again when it is next opened.
    while (HTREEITEM hChild = m_wndTree.GetChildItem(hItem))
        m_wndTree.DeleteItem(hChild);
    if (m_wndTree.GetParentItem(hItem) == NULL || HasSubfolders(GetItemPath(hItem)))
        AddPlaceholder(hItem);
}

void CBrowseFolderDlg::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWA* pNMTreeView = (NMTREEVIEWA*)pNMHDR;
    HTREEITEM hItem = pNMTreeView->itemNew.hItem;
    CWaitCursor wait;
    m_wndTree.SetRedraw(FALSE);
    if (pNMTreeView->action & TVE_EXPAND)
        FillItem(hItem);
    else if (pNMTreeView->action & TVE_COLLAPSE)
        EmptyItem(hItem);
    m_wndTree.SetRedraw(TRUE);
    m_wndTree.Invalidate();
    *pResult = 0;
}

void CBrowseFolderDlg::ShowItemPath(HTREEITEM hItem)
{
    CString strPath = GetItemPath(hItem);
    // A drive keeps its backslash: "C:" alone would name the drive's current directory.
    if (strPath.GetLength() > 3)
        strPath = strPath.Left(strPath.GetLength() - 1);
    m_wndEdit.SetWindowText(strPath);
    m_wndEdit.SetSel(strPath.GetLength(), strPath.GetLength());
}

void CBrowseFolderDlg::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    HTREEITEM hItem = ((NMTREEVIEWA*)pNMHDR)->itemNew.hItem;
    if (hItem != NULL)
        ShowItemPath(hItem);
    *pResult = 0;
}

void CBrowseFolderDlg::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1)
        return;
    m_wndTree.ScreenToClient(&point);
    HTREEITEM hItem = m_wndTree.HitTest(point);
    if (hItem == NULL)
        return;
    m_wndTree.SelectItem(hItem);
    ShowItemPath(hItem);
}

void CBrowseFolderDlg::SelectPath(const CString& strPath)
{
    char szDrive[2] = {strPath.IsEmpty() ? '\0' : strPath[0], '\0'};
    ::CharUpperA(szDrive);
    HTREEITEM hFirst = NULL, hDriveC = NULL, hCurrent = NULL;
    for (HTREEITEM hRoot = m_wndTree.GetRootItem(); hRoot != NULL; hRoot = m_wndTree.GetNextSiblingItem(hRoot)) {
        char chRoot = (char)m_wndTree.GetItemData(hRoot);
        if (hFirst == NULL)
            hFirst = hRoot;
        if (chRoot == 'C' && hDriveC == NULL)
            hDriveC = hRoot;
        if (chRoot == szDrive[0] && hCurrent == NULL)
            hCurrent = hRoot;
    }
    HTREEITEM hFallback = hDriveC != NULL ? hDriveC : hFirst;
    if (hCurrent == NULL || strPath.GetLength() < 4) {
        m_wndTree.SelectItem(hCurrent != NULL ? hCurrent : hFallback);
        return;
    }
    char szRest[MAX_PATH];
    lstrcpynA(szRest, (LPCSTR)strPath + 3, MAX_PATH);
    char* pszNext = NULL;
    for (char* pszPart = _lstrtok(szRest, "\\", &pszNext); pszPart != NULL; pszPart = _lstrtok(NULL, "\\", &pszNext)) {
        m_wndTree.Expand(hCurrent, TVE_EXPAND);
        HTREEITEM hChild = m_wndTree.GetChildItem(hCurrent);
        while (hChild != NULL && m_wndTree.GetItemText(hChild).CompareNoCase(pszPart) != 0)
            hChild = m_wndTree.GetNextSiblingItem(hChild);
        // A missing folder leaves the deepest one found selected.
        if (hChild == NULL)
            break;
        hCurrent = hChild;
    }
    m_wndTree.SelectItem(hCurrent);
}

void CBrowseFolderDlg::RejectName(LPCSTR lpszFormat)
{
    CString strMessage;
    strMessage.Format(lpszFormat, (LPCSTR)m_strFolder);
    ::MessageBoxA(m_hWnd, strMessage, "Browse For Folder Error", MB_OK | MB_ICONSTOP);
    m_wndEdit.SetSel(0, -1);
    m_wndEdit.SetFocus();
}

void CBrowseFolderDlg::OnOK()
{
    GetDlgItemText(IDC_FOLDER_EDIT, m_strFolder);
    m_strFolder.TrimRight('\\');
    m_strFolder.TrimLeft(' ');
    m_strFolder.TrimRight(' ');
    if (m_strFolder.IsEmpty())
        return RejectName("Please enter a folder name.");
    if (m_strFolder.FindOneOf("*?\"|<>") >= 0 || m_strFolder.Find("\\.") >= 0 || m_strFolder.Find("..") >= 0)
        return RejectName("Invalid folder name:\n%s");
    int nLength = m_strFolder.GetLength();
    if ((nLength == 2 || nLength == 3) && m_strFolder[1] == ':')
        return RejectName("Please enter a folder name, not just a drive name.");
    DWORD dwAttributes = ::GetFileAttributesA(m_strFolder);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return RejectName("Folder does not exist:\n%s");
    if (!(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return RejectName("Invalid folder name, this is the name of a file:\n%s");
    EndDialog(IDOK);
}

LRESULT CBrowseFolderDlg::OnCommandHelp(WPARAM, LPARAM)
{
    ShowBexHelp(BEX_HELPKEY_BROWSEFOLDER);
    return TRUE;
}

BOOL BEXAPI BrowseForFolderDialog(const char* lpszTitle, const char* lpszLabel, const char* lpszInitialFolder,
                                  char* lpszResult, DWORD dwUnused)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != NULL)
        pApp->BeginWaitCursor();
    BOOL bOK;
    {
        CBexResourceScope resources;
        CBrowseFolderDlg dlg;
        dlg.m_strTitle = lpszTitle;
        dlg.m_strLabel = lpszLabel;
        dlg.m_strFolder = lpszInitialFolder;
        dlg.m_dwUnused = dwUnused;
        bOK = dlg.DoModal() == IDOK;
        if (bOK && lpszResult != NULL)
            lstrcpynA(lpszResult, dlg.m_strFolder, MAX_PATH);
    }

    if (pApp != NULL)
        pApp->EndWaitCursor();
    return bOK;
}
