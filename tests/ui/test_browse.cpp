// The folder browser on a temporary tree, driven from inside its modal loop.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <string>
#include <vector>

namespace {

using harness::Click;
using harness::DialogDriver;

HWND Tree(HWND hDlg) { return GetDlgItem(hDlg, 1000); }

std::string TreeText(HWND hTree, HTREEITEM hItem)
{
    char sz[MAX_PATH] = {};
    TVITEMA item = {TVIF_TEXT, hItem};
    item.pszText = sz;
    item.cchTextMax = MAX_PATH;
    SendMessageA(hTree, TVM_GETITEMA, 0, (LPARAM)&item);
    return sz;
}

HTREEITEM Next(HWND hTree, HTREEITEM hItem, UINT nCode)
{
    return (HTREEITEM)SendMessageA(hTree, TVM_GETNEXTITEM, nCode, (LPARAM)hItem);
}

std::vector<std::string> Children(HWND hTree, HTREEITEM hItem)
{
    std::vector<std::string> names;
    for (HTREEITEM h = Next(hTree, hItem, TVGN_CHILD); h; h = Next(hTree, h, TVGN_NEXT))
        names.push_back(TreeText(hTree, h));
    return names;
}

HTREEITEM Child(HWND hTree, HTREEITEM hItem, const std::string& name)
{
    for (HTREEITEM h = Next(hTree, hItem, TVGN_CHILD); h; h = Next(hTree, h, TVGN_NEXT))
        if (TreeText(hTree, h) == name)
            return h;
    return NULL;
}

std::string EditText(HWND hDlg)
{
    char sz[1024] = {};
    GetDlgItemTextA(hDlg, 1001, sz, sizeof(sz));
    return sz;
}

RECT ChildRect(HWND hDlg, int nID)
{
    RECT rc;
    GetWindowRect(GetDlgItem(hDlg, nID), &rc);
    MapWindowPoints(NULL, hDlg, (LPPOINT)&rc, 2);
    return rc;
}

// The application whose profile keeps the dialog's size.
struct BrowseApp : CWinApp {
    BrowseApp() : CWinApp("Browse Test") { SetRegistryKey("KELM-Ostrand BrowseTest"); WriteProfileString("83", NULL, NULL); }
    ~BrowseApp() { WriteProfileString("83", NULL, NULL); }
};

// C:\bt\Projects with folders in mixed case, one of them with a folder of its own, and a file.
class BrowseTest : public testing::Test
{
protected:
    void SetUp() override
    {
        harness::RemoveTree("C:\\bt");
        for (const char* psz : {"C:\\bt", "C:\\bt\\Projects", "C:\\bt\\Projects\\Zeta", "C:\\bt\\Projects\\alpha",
                                "C:\\bt\\Projects\\alpha\\x", "C:\\bt\\Projects\\Demo", "C:\\bt\\Projects\\beta"})
            CreateDirectoryA(psz, NULL);
        harness::WriteFileBytes("C:\\bt\\file.txt", "x");
        m_dirApps = harness::TempDir();
        if (!m_dirApps.empty() && m_dirApps.back() == '\\')
            m_dirApps.pop_back();
        m_apps.Set(m_dirApps + "\\");
        strcpy(m_szResult, "untouched");
    }
    void TearDown() override
    {
        harness::RemoveTree("C:\\bt");
        harness::RemoveTree(m_dirApps);
    }

    BrowseApp m_app;
    suite::GlobalEntry m_apps{"AppsDir"};
    std::string m_dirApps;
    char m_szResult[MAX_PATH];
};

TEST_F(BrowseTest, OpensAtTheInitialFolderWithItsBranchReadAndSorted)
{
    std::string caption, label, edit, caret;
    std::vector<std::string> projects, demo;
    DialogDriver driver({[&](HWND hDlg) {
        char sz[256];
        GetWindowTextA(hDlg, sz, sizeof(sz));
        caption = sz;
        GetDlgItemTextA(hDlg, 1003, sz, sizeof(sz));
        label = sz;
        edit = EditText(hDlg);
        HWND hTree = Tree(hDlg);
        HTREEITEM hCaret = Next(hTree, NULL, TVGN_CARET);
        caret = TreeText(hTree, hCaret);
        projects = Children(hTree, Next(hTree, hCaret, TVGN_PARENT));
        demo = Children(hTree, hCaret);
        Click(hDlg, IDOK);
    }});
    EXPECT_TRUE(BrowseForFolderDialog("Pick a Folder", "Folder:", "c:\\bt\\projects\\demo\\", m_szResult, 0));
    EXPECT_EQ(caption, "Pick a Folder");
    EXPECT_EQ(label, "Folder:");
    EXPECT_EQ(caret, "Demo");
    EXPECT_EQ(edit, "C:\\bt\\Projects\\Demo");
    EXPECT_EQ(projects, (std::vector<std::string>{"alpha", "beta", "Demo", "Zeta"}));
    EXPECT_TRUE(demo.empty());
    EXPECT_STREQ(m_szResult, "C:\\bt\\Projects\\Demo");
}

TEST_F(BrowseTest, AMissingFolderOrDriveFallsBackToWhatExists)
{
    struct Case { const char* pszInitial; std::string caret; } cases[] = {
        {"C:\\bt\\Projects\\Missing\\Deeper", "Projects"},   // the deepest part found
        {"Q:\\nothing", ""},                                  // no drive Q: drive C
    };
    for (Case& c : cases) {
        std::string caret, edit;
        DWORD_PTR dwCaretData = 0;
        DialogDriver driver({[&](HWND hDlg) {
            HWND hTree = Tree(hDlg);
            HTREEITEM hCaret = Next(hTree, NULL, TVGN_CARET);
            if (Next(hTree, hCaret, TVGN_PARENT) != NULL)
                caret = TreeText(hTree, hCaret);
            TVITEMA item = {TVIF_PARAM, hCaret};
            SendMessageA(hTree, TVM_GETITEMA, 0, (LPARAM)&item);
            dwCaretData = item.lParam;
            edit = EditText(hDlg);
            Click(hDlg, IDCANCEL);
        }});
        EXPECT_FALSE(BrowseForFolderDialog(NULL, NULL, c.pszInitial, m_szResult, 0)) << c.pszInitial;
        EXPECT_EQ(caret, c.caret) << c.pszInitial;
        if (c.caret.empty()) {
            EXPECT_EQ(dwCaretData, (DWORD_PTR)'C');
            EXPECT_EQ(edit, "C:\\");
        }
    }
    EXPECT_STREQ(m_szResult, "untouched");
}

TEST_F(BrowseTest, ExpandingReadsABranchAndCollapsingForgetsIt)
{
    std::vector<std::string> before, expanded, collapsed, xChildren;
    std::string edit, editAfterEmptyClick;
    DialogDriver driver({[&](HWND hDlg) {
        HWND hTree = Tree(hDlg);
        // The initial folder is selected, not opened.
        HTREEITEM hProjects = Next(hTree, NULL, TVGN_CARET);
        SendMessageA(hTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)hProjects);
        HTREEITEM hAlpha = Child(hTree, hProjects, "alpha");
        before = Children(hTree, hAlpha);
        SendMessageA(hTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)hAlpha);
        expanded = Children(hTree, hAlpha);
        xChildren = Children(hTree, Child(hTree, hAlpha, "x"));
        // A right-click selects the item under the mouse; one beside all items does nothing.
        RECT rc = {};
        HTREEITEM hX = Child(hTree, hAlpha, "x");
        memcpy(&rc, &hX, sizeof(hX));   // the item goes in, its rectangle comes out
        SendMessageA(hTree, TVM_GETITEMRECT, TRUE, (LPARAM)&rc);
        POINT pt = {rc.left + 2, rc.top + 2};
        ClientToScreen(hTree, &pt);
        SendMessageA(hDlg, WM_CONTEXTMENU, (WPARAM)hTree, MAKELPARAM(pt.x, pt.y));
        edit = EditText(hDlg);
        GetClientRect(hTree, &rc);
        pt = {rc.right - 4, rc.bottom - 4};
        ClientToScreen(hTree, &pt);
        SendMessageA(hDlg, WM_CONTEXTMENU, (WPARAM)hTree, MAKELPARAM(pt.x, pt.y));
        SendMessageA(hDlg, WM_CONTEXTMENU, (WPARAM)hTree, MAKELPARAM(-1, -1));
        editAfterEmptyClick = EditText(hDlg);
        // As the user's click on the button does: the control asks before it collapses.
        NMTREEVIEWA nm = {};
        nm.hdr = {hTree, 1000, (UINT)TVN_ITEMEXPANDINGA};
        nm.action = TVE_COLLAPSE;
        nm.itemNew.hItem = hAlpha;
        SendMessageA(hDlg, WM_NOTIFY, 1000, (LPARAM)&nm);
        collapsed = Children(hTree, hAlpha);
        Click(hDlg, IDCANCEL);
    }});
    BrowseForFolderDialog(NULL, NULL, "C:\\bt\\Projects", m_szResult, 0);
    EXPECT_EQ(before, std::vector<std::string>{""});   // the placeholder
    EXPECT_EQ(expanded, std::vector<std::string>{"x"});
    EXPECT_TRUE(xChildren.empty());
    EXPECT_EQ(edit, "C:\\bt\\Projects\\alpha\\x");
    EXPECT_EQ(editAfterEmptyClick, edit);
    EXPECT_EQ(collapsed, std::vector<std::string>{""});
}

// Each refusal names its reason in a stop box and leaves the whole name selected for retyping.
TEST_F(BrowseTest, RefusesNamesThatAreNoFolderAndSaysWhy)
{
    struct Case { const char* pszTyped; std::string message; } cases[] = {
        {"  \\\\", "Please enter a folder name."},
        {"C:\\bt\\a*b", "Invalid folder name:\nC:\\bt\\a*b"},
        {"C:\\Temp\\..\\X", "Invalid folder name:\nC:\\Temp\\..\\X"},
        {"C:\\", "Please enter a folder name, not just a drive name."},
        {"C:\\bt\\file.txt", "Invalid folder name, this is the name of a file:\nC:\\bt\\file.txt"},
        {"C:\\bt\\nope", "Folder does not exist:\nC:\\bt\\nope"},
    };
    harness::MsgBoxCatcher boxes;
    std::vector<std::string> selections;
    std::vector<DialogDriver::Step> steps;
    for (Case& c : cases)
        steps.push_back([&](HWND hDlg) {
            SetDlgItemTextA(hDlg, 1001, c.pszTyped);
            Click(hDlg, IDOK);
            DWORD dwStart = 0, dwEnd = 0;
            SendDlgItemMessageA(hDlg, 1001, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
            bool bFocused = GetFocus() == GetDlgItem(hDlg, 1001);
            selections.push_back(std::to_string(dwStart) + "-" + std::to_string(dwEnd) + (bFocused ? " focused" : ""));
        });
    steps.push_back([&](HWND hDlg) {
        SetDlgItemTextA(hDlg, 1001, " C:\\bt\\Projects\\");
        Click(hDlg, IDOK);
    });
    DialogDriver driver(steps);
    EXPECT_TRUE(BrowseForFolderDialog(NULL, NULL, "C:\\bt", m_szResult, 0));
    ASSERT_EQ(boxes.Count(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); i++) {
        const harness::MsgBox& box = boxes.Boxes()[i];
        EXPECT_EQ(box.text, cases[i].message);
        EXPECT_EQ(box.caption, "Browse For Folder Error");
        EXPECT_EQ(box.icon, (UINT)MB_ICONHAND);
        std::string typed = cases[i].pszTyped;
        EXPECT_EQ(selections[i], "0-" + std::to_string(typed.size()) + " focused") << typed;
    }
    EXPECT_STREQ(m_szResult, "C:\\bt\\Projects");
}

TEST_F(BrowseTest, ResizesItsControlsRemembersItsSizeAndOpensHelp)
{
    harness::Receiver viewer("MS_WINHELP");
    RECT before[4], after[4];
    const int ids[4] = {1001, 1000, ID_HELP, IDOK};
    SIZE sizeOpened = {}, sizeClosed = {};
    DialogDriver driver({[&](HWND hDlg) {
        for (int i = 0; i < 4; i++)
            before[i] = ChildRect(hDlg, ids[i]);
        RECT rc;
        GetWindowRect(hDlg, &rc);
        sizeOpened = {rc.right - rc.left, rc.bottom - rc.top};
        SetWindowPos(hDlg, NULL, 0, 0, sizeOpened.cx + 50, sizeOpened.cy + 30, SWP_NOMOVE | SWP_NOZORDER);
        for (int i = 0; i < 4; i++)
            after[i] = ChildRect(hDlg, ids[i]);
        GetWindowRect(hDlg, &rc);
        sizeClosed = {rc.right - rc.left, rc.bottom - rc.top};
        Click(hDlg, ID_HELP);
        Click(hDlg, IDCANCEL);
    }});
    BrowseForFolderDialog(NULL, NULL, "C:\\bt", m_szResult, 0);
    // The edit widens; the tree widens and grows; Help moves down only; OK moves right and down.
    EXPECT_EQ(after[0].right - before[0].right, 50);
    EXPECT_EQ(after[0].left, before[0].left);
    EXPECT_EQ(after[1].right - before[1].right, 50);
    EXPECT_EQ(after[1].bottom - before[1].bottom, 30);
    EXPECT_EQ(after[2].left, before[2].left);
    EXPECT_EQ(after[2].top - before[2].top, 30);
    EXPECT_EQ(after[3].left - before[3].left, 50);
    EXPECT_EQ(after[3].top - before[3].top, 30);
    EXPECT_EQ((int)m_app.GetProfileInt("83", "CX", 0), sizeClosed.cx);
    EXPECT_EQ((int)m_app.GetProfileInt("83", "CY", 0), sizeClosed.cy);
    EXPECT_EQ(harness::HelpRequests(viewer.Received()),
              std::vector<std::string>{m_dirApps + "\\Wex.hlp|Browse for Folder dialog box"});

    // The next opening takes the stored size.
    SIZE sizeReopened = {};
    DialogDriver driver2({[&](HWND hDlg) {
        RECT rc;
        GetWindowRect(hDlg, &rc);
        sizeReopened = {rc.right - rc.left, rc.bottom - rc.top};
        Click(hDlg, IDCANCEL);
    }});
    BrowseForFolderDialog(NULL, NULL, "C:\\bt", m_szResult, 0);
    EXPECT_EQ(sizeReopened.cx, sizeClosed.cx);
    EXPECT_EQ(sizeReopened.cy, sizeClosed.cy);
}

}  // namespace
