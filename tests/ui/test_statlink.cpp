// Link controls on a real dialog: drawn colours read back from the screen, targets opened
// through the shell and seen by a program registered for a URL protocol of the test's own.
#include "ui_common.h"
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>

namespace {

const char szProtocolKey[] = "Software\\Classes\\bexlinktest";

std::string RecordFile()
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    return std::string(szTemp) + "bexlinktest.txt";
}

// The protocol's handler: this program, recording the command line the shell gave it.
BEX_CHILD(RecordLink)
{
    std::ofstream(RecordFile(), std::ios::binary) << GetCommandLineA();
}

// "bexlinktest:" opens this program as the handler above. Registered for the current user, as
// an application would; Wine 8 does not merge the user's classes into HKEY_CLASSES_ROOT as
// Windows does, so there the same key goes to the machine's classes too.
struct Protocol {
    Protocol()
    {
        DeleteFileA(RecordFile().c_str());
        char szExe[MAX_PATH];
        GetModuleFileNameA(NULL, szExe, MAX_PATH);
        std::string command = std::string("\"") + szExe + "\" --child RecordLink \"%1\"";
        for (HKEY hRoot : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
            HKEY hKey;
            RegCreateKeyExA(hRoot, szProtocolKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &hKey, NULL);
            RegSetValueExA(hKey, NULL, 0, REG_SZ, (const BYTE*)"URL:bexlinktest", 16);
            RegSetValueExA(hKey, "URL Protocol", 0, REG_SZ, (const BYTE*)"", 1);
            RegCloseKey(hKey);
            RegCreateKeyExA(hRoot, (std::string(szProtocolKey) + "\\shell\\open\\command").c_str(), 0, NULL, 0,
                            KEY_ALL_ACCESS, NULL, &hKey, NULL);
            RegSetValueExA(hKey, NULL, 0, REG_SZ, (const BYTE*)command.c_str(), (DWORD)command.size() + 1);
            RegCloseKey(hKey);
        }
    }
    ~Protocol()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, szProtocolKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, szProtocolKey);
        DeleteFileA(RecordFile().c_str());
    }
    // What the handler was started with, waiting for it a while; empty when it never ran.
    std::string Opened(DWORD dwWaitMs = 15000)
    {
        for (DWORD n = 0; n < dwWaitMs; n += 100) {
            std::ifstream in(RecordFile(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            if (!text.str().empty())
                return text.str();
            harness::PumpFor(100);
        }
        return std::string();
    }
};

// How many pixels of the control, as shown on the screen, have the colour.
int CountPixels(HWND hWnd, COLORREF color)
{
    // What was painted reaches the X screen a moment later.
    RedrawWindow(GetParent(hWnd), NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    harness::PumpFor(200);
    RECT rc = ui::WindowRect(hWnd);
    HDC hDC = GetDC(NULL);
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += GetPixel(hDC, x, y) == color;
    ReleaseDC(NULL, hDC);
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

}  // namespace

TEST_F(StaticLink, ClickOpensTheWindowTextAndTurnsTheTextFromBlueToPurple)
{
    CStaticLink link;
    ASSERT_TRUE(link.SubclassDlgItem(IDC_LINK, &dlg));
    EXPECT_EQ(link.SendMessage(WM_NCHITTEST, 0, 0), HTCLIENT);
    EXPECT_GT(CountPixels(link.m_hWnd, RGB(0, 0, 255)), 20);
    EXPECT_EQ(CountPixels(link.m_hWnd, RGB(128, 0, 128)), 0);

    Click(link.m_hWnd);
    EXPECT_NE(protocol.Opened().find("\"bexlinktest:first\""), std::string::npos);
    EXPECT_STREQ(link.m_link, "bexlinktest:first");
    EXPECT_GT(CountPixels(link.m_hWnd, RGB(128, 0, 128)), 20);
    EXPECT_EQ(CountPixels(link.m_hWnd, RGB(0, 0, 255)), 0);
    LOGFONTA lf;
    ASSERT_TRUE(link.m_font.GetLogFont(&lf));
    EXPECT_TRUE(lf.lfUnderline);
}

TEST_F(StaticLink, AGivenTargetWinsAndAFailedOpenKeepsTheColour)
{
    CStaticLink link("bexlinktest:second");
    ASSERT_TRUE(link.SubclassDlgItem(IDC_LINK, &dlg));
    Click(link.m_hWnd);
    EXPECT_NE(protocol.Opened().find("\"bexlinktest:second\""), std::string::npos);
    EXPECT_EQ(link.m_color, CStaticLink::g_colorVisited);

    CStaticLink nowhere("bexnoprotocol:x");
    ASSERT_TRUE(nowhere.SubclassDlgItem(IDC_LINK_EMPTY, &dlg));
    EXPECT_LE((INT_PTR)nowhere.m_link.Navigate(), 32);
    Click(nowhere.m_hWnd);
    EXPECT_EQ(nowhere.m_color, CStaticLink::g_colorUnvisited);
    EXPECT_EQ(CHyperlink().Navigate(), (HINSTANCE)0);
}

TEST_F(StaticLink, EmptyTargetAndEmptyTextDoNothing)
{
    CStaticLink link;
    ASSERT_TRUE(link.SubclassDlgItem(IDC_LINK_EMPTY, &dlg));
    Click(link.m_hWnd);
    EXPECT_TRUE(link.m_link.IsEmpty());
    EXPECT_EQ(link.m_color, CStaticLink::g_colorUnvisited);
    EXPECT_EQ(protocol.Opened(1000), "");
}

TEST_F(StaticLink, ARectangleStaticKeepsItsDrawingButStillOpensItsTarget)
{
    CStaticLink link("bexlinktest:rect");
    ASSERT_TRUE(link.SubclassDlgItem(IDC_LINK_RECT, &dlg));
    // Filled whole in the one colour the control chose for it, none of it link blue.
    EXPECT_EQ(CountPixels(link.m_hWnd, CStaticLink::g_colorUnvisited), 0);
    RECT rc = ui::WindowRect(link.m_hWnd);
    HDC hDC = GetDC(NULL);
    COLORREF color = GetPixel(hDC, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ReleaseDC(NULL, hDC);
    EXPECT_EQ(CountPixels(link.m_hWnd, color), (rc.right - rc.left) * (rc.bottom - rc.top));
    Click(link.m_hWnd);
    EXPECT_NE(protocol.Opened().find("bexlinktest:rect"), std::string::npos);
    EXPECT_EQ(link.m_font.GetSafeHandle(), (HGDIOBJ)NULL);
}

TEST_F(StaticLink, WithoutAFontTheDefaultGuiFontIsUnderlined)
{
    // A static made by hand has no font (WM_GETFONT gives NULL).
    CStaticLink link("bexlinktest:nofont");
    ASSERT_TRUE(link.Create("no font", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(300, 300, 420, 320), &dlg, 1100));
    ASSERT_EQ(link.SendMessage(WM_GETFONT), 0);
    EXPECT_GT(CountPixels(link.m_hWnd, RGB(0, 0, 255)), 10);
    LOGFONTA lf, lfGui;
    ASSERT_TRUE(link.m_font.GetLogFont(&lf));
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lfGui), &lfGui);
    EXPECT_STREQ(lf.lfFaceName, lfGui.lfFaceName);
    EXPECT_EQ(lf.lfHeight, lfGui.lfHeight);
    EXPECT_TRUE(lf.lfUnderline);
}

TEST_F(StaticLink, AllLinksShareOneCursorAndAHeapLinkDeletesItself)
{
    EXPECT_STREQ(RUNTIME_CLASS(CStaticLink)->m_lpszClassName, "CStaticLink");
    CStaticLink* pFirst = new CStaticLink(NULL, TRUE);
    CStaticLink second;
    ASSERT_TRUE(pFirst->SubclassDlgItem(IDC_LINK, &dlg));
    ASSERT_TRUE(second.SubclassDlgItem(IDC_LINK_EMPTY, &dlg));
    EXPECT_TRUE(pFirst->IsKindOf(RUNTIME_CLASS(CStatic)));

    SetCursor(NULL);
    pFirst->SendMessage(WM_SETCURSOR, (WPARAM)pFirst->m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HCURSOR hFirst = GetCursor();
    SetCursor(NULL);
    second.SendMessage(WM_SETCURSOR, (WPARAM)second.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hFirst);
    // The hand of the system's help program, or, where that has none, the default cursor that
    // the control's own handling sets.
    EXPECT_NE(hFirst, (HCURSOR)NULL);
    if (CStaticLink::g_hCursorLink) {
        EXPECT_EQ(hFirst, CStaticLink::g_hCursorLink);
    }

    HWND hFirst_ = pFirst->m_hWnd;
    DestroyWindow(hFirst_);
    EXPECT_EQ(CWnd::FromHandlePermanent(hFirst_), (CWnd*)NULL);   // detached and deleted
}
