// Link controls on a real dialog: drawn colours read back from the screen, targets opened
// through the shell and seen by a program registered for a URL protocol of the test's own.
#include "ui_common.h"
#include <gtest/gtest.h>

namespace {

const char szProtocolKey[] = "Software\\Classes\\bexlinktest";
const std::string s_record = harness::ModuleDir() + "bexlinktest.txt";

// The protocol's handler: this program, recording the command line the shell gave it.
BEX_CHILD(RecordLink)
{
    harness::WriteFileBytes(s_record, GetCommandLineA());
}

// "bexlinktest:" opens this program as the handler above. Registered for the current user, as
// an application would; Wine 8 does not merge the user's classes into HKEY_CLASSES_ROOT as
// Windows does, so there the same key goes to the machine's classes too.
struct Protocol {
    // What the registration creates of the user's classes key, which a new prefix lacks; and the
    // console settings that the handler's console, the first of the session, stores.
    std::string m_created = harness::MissingKey(HKEY_CURRENT_USER, szProtocolKey);
    std::string m_createdConsole = harness::MissingKey(HKEY_CURRENT_USER, "Console");

    Protocol()
    {
        DeleteFileA(s_record.c_str());
        char szExe[MAX_PATH];
        GetModuleFileNameA(NULL, szExe, MAX_PATH);
        std::string command = std::string("\"") + szExe + "\" --child RecordLink \"%1\"";
        for (HKEY hRoot : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
            RegSetKeyValueA(hRoot, szProtocolKey, NULL, REG_SZ, "URL:bexlinktest", 16);
            RegSetKeyValueA(hRoot, szProtocolKey, "URL Protocol", REG_SZ, "", 1);
            RegSetKeyValueA(hRoot, (std::string(szProtocolKey) + "\\shell\\open\\command").c_str(), NULL, REG_SZ,
                            command.c_str(), (DWORD)command.size() + 1);
        }
    }
    ~Protocol()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_created.empty() ? szProtocolKey : m_created.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, szProtocolKey);
        if (!m_createdConsole.empty())
            RegDeleteTreeA(HKEY_CURRENT_USER, m_createdConsole.c_str());
        DeleteFileA(s_record.c_str());
    }
    // What the handler was started with, waiting for it a while; empty when it never ran.
    std::string Opened(DWORD dwWaitMs = 15000)
    {
        std::string text;
        for (DWORD n = 0; n < dwWaitMs && text.empty(); n += 100, harness::PumpFor(100))
            if (GetFileAttributesA(s_record.c_str()) != INVALID_FILE_ATTRIBUTES)
                text = harness::ReadFileBytes(s_record);
        return text;
    }
};

// How many pixels of the control, as the dialog shows it, have the colour. Read from the
// dialog's window rather than the screen: the handler's console window may lie over it there.
int CountPixels(HWND hWnd, COLORREF color)
{
    HWND hDlg = GetParent(hWnd);
    RedrawWindow(hDlg, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    harness::PumpFor(200);
    RECT rc = ui::WindowRect(hWnd), rcDlg = ui::WindowRect(hDlg);
    HDC hDC = GetWindowDC(hDlg);
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += GetPixel(hDC, x - rcDlg.left, y - rcDlg.top) == color;
    ReleaseDC(hDlg, hDC);
    return n;
}

void Click(HWND hWnd)
{
    SendMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

struct StaticLink : testing::Test {
    ui::Dialog dlg{ IDD_CONTROLS };
    Protocol protocol;
    StaticLink() { SetForegroundWindow(dlg.m_hWnd); }
};

const COLORREF crBlue = RGB(0, 0, 255), crPurple = RGB(128, 0, 128);

}  // namespace

// Link blue turning purple once opened, in the dialog's font underlined, or in the default GUI
// font when the static has none (one made by hand: WM_GETFONT gives NULL).
TEST_F(StaticLink, ClickOpensTheWindowTextAndTurnsTheTextFromBlueToPurple)
{
    CStaticLink link, noFont("bexlinktest:nofont");
    ASSERT_TRUE(link.SubclassDlgItem(IDC_LINK, &dlg));
    ASSERT_TRUE(noFont.Create("no font", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(300, 300, 420, 320), &dlg, 1100));
    ASSERT_EQ(noFont.SendMessage(WM_GETFONT), 0);
    EXPECT_GT(CountPixels(link.m_hWnd, crBlue), 20);
    EXPECT_GT(CountPixels(noFont.m_hWnd, crBlue), 10);
    EXPECT_EQ(CountPixels(link.m_hWnd, crPurple), 0);
    Click(link.m_hWnd);
    EXPECT_NE(protocol.Opened().find("\"bexlinktest:first\""), std::string::npos);
    EXPECT_GT(CountPixels(link.m_hWnd, crPurple), 20);
    EXPECT_EQ(CountPixels(link.m_hWnd, crBlue), 0);
    LOGFONTA lf, lfNoFont, lfGui;
    ASSERT_TRUE(link.m_font.GetLogFont(&lf) && noFont.m_font.GetLogFont(&lfNoFont));
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lfGui), &lfGui);
    EXPECT_TRUE(lf.lfUnderline && lfNoFont.lfUnderline);
    EXPECT_STREQ(lfNoFont.lfFaceName, lfGui.lfFaceName);
    EXPECT_EQ(lfNoFont.lfHeight, lfGui.lfHeight);
}

// A given target wins over the text; failed or empty ones keep the colour. A link made on the
// heap deletes itself with its window.
TEST_F(StaticLink, AGivenTargetWinsAndFailedOrEmptyOnesKeepTheColour)
{
    CStaticLink empty, nowhere("bexnoprotocol:x");
    ASSERT_TRUE(nowhere.SubclassDlgItem(IDC_LINK_RECT, &dlg));
    Click(nowhere.m_hWnd);
    EXPECT_EQ(nowhere.m_color, CStaticLink::g_colorUnvisited);
    ASSERT_TRUE(empty.SubclassDlgItem(IDC_LINK_EMPTY, &dlg));
    Click(empty.m_hWnd);
    EXPECT_EQ(empty.m_color, CStaticLink::g_colorUnvisited);
    EXPECT_EQ(protocol.Opened(1000), "");

    CStaticLink link("bexlinktest:second");
    ASSERT_TRUE(link.SubclassDlgItem(IDC_LINK, &dlg));
    Click(link.m_hWnd);
    EXPECT_NE(protocol.Opened().find("\"bexlinktest:second\""), std::string::npos);
    EXPECT_EQ(link.m_color, CStaticLink::g_colorVisited);

    CStaticLink* pHeap = new CStaticLink(NULL, TRUE);
    ASSERT_TRUE(pHeap->Create("heap", WS_CHILD | WS_VISIBLE, CRect(0, 300, 60, 320), &dlg, 1101));
    HWND hWnd = pHeap->m_hWnd;
    DestroyWindow(hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), (CWnd*)NULL);   // detached and deleted
}

// Links over their client area: both show the hand of the system's help program, loaded once;
// printed as "<shared> <hot spot>", or "arrow" when the help program has no hand.
BEX_CHILD(link_cursor)
{
    ui::Dialog dlg{ IDD_CONTROLS };
    CStaticLink first, second;
    first.SubclassDlgItem(IDC_LINK, &dlg);
    second.SubclassDlgItem(IDC_LINK_EMPTY, &dlg);
    first.SendMessage(WM_SETCURSOR, (WPARAM)first.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HCURSOR hFirst = GetCursor();
    HICON hLoaded = CStaticLink::g_hCursorLink;
    second.SendMessage(WM_SETCURSOR, (WPARAM)second.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    ICONINFO ii = {};
    if (hLoaded == NULL) {
        printf("%s\n", hFirst == LoadCursor(NULL, IDC_ARROW) && GetCursor() == hFirst ? "arrow" : "other");
    } else if (GetIconInfo(hLoaded, &ii)) {
        printf("%s %lu,%lu\n", hFirst == hLoaded && GetCursor() == hLoaded && CStaticLink::g_hCursorLink == hLoaded ? "shared" : "apart",
               ii.xHotspot, ii.yHotspot);
        DeleteObject(ii.hbmMask);
        DeleteObject(ii.hbmColor);
    }
}

TEST(LinkCursor, TheHelpProgramsHandIsLoadedOnceForAllLinksOrTheArrowStays)
{
    char szWindows[MAX_PATH];
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    std::string help = std::string(szWindows) + "\\winhlp32.exe";
    // Wine keeps its help program in the system folder only; a stand-in with a hand of its own
    // takes the place for the test, and goes again.
    if (GetFileAttributesA(help.c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_EQ(harness::RunChild("link_cursor").output.substr(0, 7), "shared ");
        return;
    }
    ASSERT_TRUE(CopyFileA((harness::ModuleDir() + "test_ui.exe").c_str(), help.c_str(), TRUE));
    std::string placed = harness::RunChild("link_cursor").output;
    DeleteFileA(help.c_str());
    EXPECT_EQ(placed, "shared 6,1\r\n");
    EXPECT_EQ(harness::RunChild("link_cursor").output, "arrow\r\n");
}
