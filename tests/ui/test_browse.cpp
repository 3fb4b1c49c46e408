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
typedef std::vector<std::string> Names;

HWND Tree(HWND hDlg) { return GetDlgItem(hDlg, 1000); }

std::string TreeText(HWND hTree, HTREEITEM hItem)
{
    char sz[MAX_PATH] = {};
    TVITEMA item = { TVIF_TEXT, hItem };
    item.pszText = sz;
    item.cchTextMax = MAX_PATH;
    SendMessageA(hTree, TVM_GETITEMA, 0, (LPARAM)&item);
    return sz;
}

HTREEITEM Next(HWND hTree, HTREEITEM hItem, UINT nCode) { return (HTREEITEM)SendMessageA(hTree, TVM_GETNEXTITEM, nCode, (LPARAM)hItem); }

Names Children(HWND hTree, HTREEITEM hItem)
{
    Names names;
    for (HTREEITEM h = Next(hTree, hItem, TVGN_CHILD); h; h = Next(hTree, h, TVGN_NEXT))
        names.push_back(TreeText(hTree, h));
    return names;
}

// Names as "a,b,c"; the placeholder of an unread branch shows as "<>".
std::string Joined(const Names& names)
{
    std::string s;
    for (const std::string& name : names)
        s += (s.empty() ? "" : ",") + (name.empty() ? "<>" : name);
    return s;
}

std::string EditText(HWND hDlg)
{
    char sz[1024] = {};
    GetDlgItemTextA(hDlg, 1001, sz, sizeof(sz));
    return sz;
}

// A control's rectangle in the dialog, moved by (dx, dy) and grown by (dcx, dcy), as text.
std::string Moved(HWND hDlg, int nID, int dx, int dy, int dcx, int dcy)
{
    RECT rc;
    GetWindowRect(GetDlgItem(hDlg, nID), &rc);
    MapWindowPoints(NULL, hDlg, (LPPOINT)&rc, 2);
    char sz[64];
    sprintf(sz, "%ld,%ld,%ld,%ld", rc.left + dx, rc.top + dy, rc.right + dx + dcx, rc.bottom + dy + dcy);
    return sz;
}

SIZE WindowSize(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    return { rc.right - rc.left, rc.bottom - rc.top };
}

// The application whose profile keeps the dialog's size, in a key of its own removed before and after.
struct BrowseApp : CWinApp {
    BrowseApp() : CWinApp("Browse Test") { Clean(); SetRegistryKey("KELM-Ostrand BrowseTest"); }
    ~BrowseApp() override { Clean(); }
    static void Clean() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KELM-Ostrand BrowseTest"); }
};

// C:\bt\Projects with folders in mixed case, one of them with a folder of its own, and a file.
class BrowseTest : public testing::Test
{
protected:
    void SetUp() override
    {
        harness::RemoveTree("C:\\bt");
        for (const char* psz : { "", "\\Projects", "\\Projects\\Zeta", "\\Projects\\alpha", "\\Projects\\alpha\\x",
                                 "\\Projects\\Demo", "\\Projects\\beta" })
            CreateDirectoryA((std::string("C:\\bt") + psz).c_str(), NULL);
        harness::WriteFileBytes("C:\\bt\\file.txt", "x");
        m_dirApps = harness::TempDir();
        m_apps.Set(m_dirApps);
        strcpy(m_szResult, "untouched");
    }
    void TearDown() override
    {
        harness::RemoveTree("C:\\bt");
        harness::RemoveTree(m_dirApps);
    }

    BrowseApp m_app;
    suite::GlobalEntry m_apps{ "AppsDir" };
    std::string m_dirApps;
    char m_szResult[MAX_PATH];
};

// Opened at the initial folder, its siblings sorted without regard to case; a branch is read
// when it is opened (a placeholder until then) and forgotten when it is closed.
TEST_F(BrowseTest, OpensAtTheInitialFolderSortedAndReadsABranchWhenExpanded)
{
    Names seen;
    DialogDriver driver({ [&](HWND hDlg) {
        char sz[256];
        GetWindowTextA(hDlg, sz, sizeof(sz));
        seen.push_back(sz);
        GetDlgItemTextA(hDlg, 1003, sz, sizeof(sz));
        seen.push_back(sz);
        seen.push_back(EditText(hDlg));
        HWND hTree = Tree(hDlg);
        HTREEITEM hCaret = Next(hTree, NULL, TVGN_CARET), hProjects = Next(hTree, hCaret, TVGN_PARENT);
        HTREEITEM hAlpha = Next(hTree, hProjects, TVGN_CHILD);   // sorted first
        seen.push_back(TreeText(hTree, hCaret) + ": " + Joined(Children(hTree, hProjects)) + "; " + Joined(Children(hTree, hCaret)));
        seen.push_back(Joined(Children(hTree, hAlpha)));
        SendMessageA(hTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)hAlpha);
        seen.push_back(Joined(Children(hTree, hAlpha)));
        // A right-click selects the item under the mouse; beside all items, or from the
        // keyboard, it changes nothing.
        RECT rc = {};
        HTREEITEM hX = Next(hTree, hAlpha, TVGN_CHILD);
        memcpy(&rc, &hX, sizeof(hX));   // the item goes in, its rectangle comes out
        SendMessageA(hTree, TVM_GETITEMRECT, TRUE, (LPARAM)&rc);
        POINT ptItem = { rc.left + 2, rc.top + 2 };
        GetClientRect(hTree, &rc);
        POINT ptBeside = { rc.right - 4, rc.bottom - 4 };
        for (POINT pt : { ptItem, ptBeside, POINT{ -1, -1 } }) {
            if (pt.x != -1)
                ClientToScreen(hTree, &pt);
            SendMessageA(hDlg, WM_CONTEXTMENU, (WPARAM)hTree, MAKELPARAM(pt.x, pt.y));
            seen.push_back(EditText(hDlg));
        }
        // As the user's click on the button does: the control asks before it collapses.
        NMTREEVIEWA nm = {};
        nm.hdr = { hTree, 1000, (UINT)TVN_ITEMEXPANDINGA };
        nm.action = TVE_COLLAPSE;
        nm.itemNew.hItem = hAlpha;
        SendMessageA(hDlg, WM_NOTIFY, 1000, (LPARAM)&nm);
        seen.push_back(Joined(Children(hTree, hAlpha)));
        Click(hDlg, IDCANCEL);
    } });
    EXPECT_FALSE(BrowseForFolderDialog("Pick a Folder", "Folder:", "c:\\bt\\projects\\demo\\", m_szResult, 0));
    EXPECT_EQ(seen, (Names{ "Pick a Folder", "Folder:", "C:\\bt\\Projects\\Demo", "Demo: alpha,beta,Demo,Zeta; ", "<>", "x",
                           "C:\\bt\\Projects\\alpha\\x", "C:\\bt\\Projects\\alpha\\x", "C:\\bt\\Projects\\alpha\\x", "<>" }));
}

TEST_F(BrowseTest, AMissingFolderOrDriveFallsBackToWhatExists)
{
    const struct { const char* pszInitial; std::string caret; } cases[] = {
        { "C:\\bt\\Projects\\Missing\\Deeper", "Projects" },   // the deepest part found
        { "Q:\\nothing", "C:\\" },                              // no drive Q: drive C
    };
    for (auto& c : cases) {
        std::string caret;
        DialogDriver driver({ [&](HWND hDlg) {
            HTREEITEM hCaret = Next(Tree(hDlg), NULL, TVGN_CARET);
            caret = Next(Tree(hDlg), hCaret, TVGN_PARENT) ? TreeText(Tree(hDlg), hCaret) : EditText(hDlg);
            Click(hDlg, IDCANCEL);
        } });
        EXPECT_FALSE(BrowseForFolderDialog(NULL, NULL, c.pszInitial, m_szResult, 0)) << c.pszInitial;
        EXPECT_EQ(caret, c.caret) << c.pszInitial;
    }
    EXPECT_STREQ(m_szResult, "untouched");
}

// Each refusal names its reason in a stop box and leaves the whole name selected for retyping.
TEST_F(BrowseTest, RefusesNamesThatAreNoFolderAndSaysWhy)
{
    const struct { const char* pszTyped; std::string message; } cases[] = {
        { "  \\\\", "Please enter a folder name." },
        { "C:\\bt\\a*b", "Invalid folder name:\nC:\\bt\\a*b" },
        // Folders that exist, named through dots.
        { "C:\\bt\\..\\bt", "Invalid folder name:\nC:\\bt\\..\\bt" },
        { "C:\\bt\\.\\Projects", "Invalid folder name:\nC:\\bt\\.\\Projects" },
        { "C:\\", "Please enter a folder name, not just a drive name." },
        { "C:\\bt\\file.txt", "Invalid folder name, this is the name of a file:\nC:\\bt\\file.txt" },
        { "C:\\bt\\nope", "Folder does not exist:\nC:\\bt\\nope" },
    };
    harness::MsgBoxCatcher boxes;
    Names selections;
    std::vector<DialogDriver::Step> steps;
    for (auto& c : cases)
        steps.push_back([&](HWND hDlg) {
            SetDlgItemTextA(hDlg, 1001, c.pszTyped);
            Click(hDlg, IDOK);
            DWORD dwStart = 0, dwEnd = 0;
            SendDlgItemMessageA(hDlg, 1001, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
            selections.push_back(std::to_string(dwStart) + "-" + std::to_string(dwEnd) +
                                 (GetFocus() == GetDlgItem(hDlg, 1001) ? " focused" : ""));
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
        EXPECT_EQ(selections[i], "0-" + std::to_string(strlen(cases[i].pszTyped)) + " focused");
    }
    EXPECT_STREQ(m_szResult, "C:\\bt\\Projects");
}

// The dialog's controls follow its edges; it never gets smaller than it opened; its grip drags
// the corner; its size is kept in the profile for the next opening, though not when it is closed
// maximised.
TEST_F(BrowseTest, ResizesItsControlsRemembersItsSizeAndOpensHelp)
{
    harness::Receiver viewer("MS_WINHELP");
    const struct { int nID, dx, dy, dcx, dcy; } moves[] = {
        { 1001, 0, 0, 50, 0 }, { 1000, 0, 0, 50, 30 }, { ID_HELP, 0, 30, 0, 0 }, { IDOK, 50, 30, 0, 0 } };
    Names expected, moved;
    SIZE opened = {}, shrunk = {}, closed = {}, reopened = {};
    std::vector<UINT> hits;
    DialogDriver driver({ [&](HWND hDlg) {
        opened = WindowSize(hDlg);
        for (auto& m : moves)
            expected.push_back(Moved(hDlg, m.nID, m.dx, m.dy, m.dcx, m.dcy));
        SetWindowPos(hDlg, NULL, 0, 0, opened.cx + 50, opened.cy + 30, SWP_NOMOVE | SWP_NOZORDER);
        for (auto& m : moves)
            moved.push_back(Moved(hDlg, m.nID, 0, 0, 0, 0));
        closed = WindowSize(hDlg);
        SetWindowPos(hDlg, NULL, 0, 0, opened.cx - 80, opened.cy - 60, SWP_NOMOVE | SWP_NOZORDER);
        shrunk = WindowSize(hDlg);
        SetWindowPos(hDlg, NULL, 0, 0, closed.cx, closed.cy, SWP_NOMOVE | SWP_NOZORDER);
        hits = { harness::HitTest(hDlg, -2, -2), harness::HitTest(hDlg, -GetSystemMetrics(SM_CXVSCROLL) - 2, -2) };
        Click(hDlg, ID_HELP);
        Click(hDlg, IDCANCEL);
    } });
    BrowseForFolderDialog(NULL, NULL, "C:\\bt", m_szResult, 0);
    EXPECT_EQ(moved, expected);
    EXPECT_EQ(shrunk.cx, opened.cx);
    EXPECT_EQ(shrunk.cy, opened.cy);
    EXPECT_EQ(hits, (std::vector<UINT>{ HTBOTTOMRIGHT, HTCLIENT }));
    EXPECT_EQ((int)m_app.GetProfileInt("83", "CX", 0), closed.cx);
    EXPECT_EQ((int)m_app.GetProfileInt("83", "CY", 0), closed.cy);
    EXPECT_EQ(harness::HelpRequests(viewer.Received()), Names{ m_dirApps + "Wex.hlp|Browse for Folder dialog box" });

    DialogDriver driver2({ [&](HWND hDlg) {
        reopened = WindowSize(hDlg);
        ShowWindow(hDlg, SW_MAXIMIZE);
        Click(hDlg, IDCANCEL);
    } });
    BrowseForFolderDialog(NULL, NULL, "C:\\bt", m_szResult, 0);
    EXPECT_EQ(reopened.cx, closed.cx);
    EXPECT_EQ(reopened.cy, closed.cy);
    EXPECT_EQ((int)m_app.GetProfileInt("83", "CX", 0), closed.cx);
}

}  // namespace

// The dialog works without an application object: no size is read or stored, and the corner
// helpers store and restore nothing.
BEX_CHILD(browse_without_app)
{
    char szResult[MAX_PATH] = "";
    DialogDriver driver({ [](HWND hDlg) {
        RECT rc;
        GetWindowRect(hDlg, &rc);
        SetWindowPos(hDlg, NULL, 0, 0, rc.right - rc.left + 40, rc.bottom - rc.top + 40, SWP_NOMOVE | SWP_NOZORDER);
        SetDlgItemTextA(hDlg, 1001, "C:\\windows");
        Click(hDlg, IDOK);
    } });
    BOOL bChosen = BrowseForFolderDialog(NULL, NULL, "C:\\", szResult, 0);
    CWnd wnd;
    wnd.m_hWnd = CreateWindowA("STATIC", "", WS_POPUP, 10, 10, 20, 20, NULL, NULL, NULL, NULL);
    int nSaved = SaveWindowPos(&wnd, "Corner"), nRestored = RestoreWindowPos(&wnd, "Corner");
    DestroyWindow(wnd.Detach());
    printf("%d %s %d %d\n", bChosen, szResult, nSaved, nRestored);
}

TEST(BrowseWithoutApplication, WorksAndKeepsNoSize)
{
    harness::ChildResult r = harness::RunChild("browse_without_app");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.output, "1 C:\\windows 0 0\r\n");
}
