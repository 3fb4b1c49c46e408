// The about box, the splash window and CBexAboutBox, on the library's own templates, driven as a
// user would drive them and checked by what they show on the screen.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <string>

namespace {

using harness::Click;
using harness::DialogDriver;

std::string ItemText(HWND hDlg, int nID)
{
    char sz[512] = {};
    GetDlgItemTextA(hDlg, nID, sz, sizeof(sz));
    return sz;
}

std::string Caption(HWND hWnd)
{
    char sz[512] = {};
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

// A 24-bit bitmap file: columns left of nSplit in crLeft, the rest in crRight.
std::string BitmapFile(int cx, int cy, int nSplit, COLORREF crLeft, COLORREF crRight)
{
    int cbRow = (cx * 3 + 3) & ~3;
    std::string bits(cbRow * cy, '\0');
    for (int y = 0; y < cy; y++)
        for (int x = 0; x < cx; x++) {
            COLORREF cr = x < nSplit ? crLeft : crRight;
            char* p = &bits[y * cbRow + x * 3];
            p[0] = (char)GetBValue(cr), p[1] = (char)GetGValue(cr), p[2] = (char)GetRValue(cr);
        }
    BITMAPFILEHEADER bf = {0x4D42, (DWORD)(14 + 40 + bits.size()), 0, 0, 54};
    BITMAPINFOHEADER bi = {40, cx, cy, 1, 24, BI_RGB};
    return std::string((const char*)&bf, 14) + std::string((const char*)&bi, 40) + bits;
}

// Pixels of the logo frame as the screen shows them, in the frame's client coordinates.
COLORREF FramePixel(HWND hDlg, int x, int y)
{
    HWND hFrame = GetDlgItem(hDlg, 908);
    HDC hdc = GetDC(hFrame);
    COLORREF cr = GetPixel(hdc, x, y);
    ReleaseDC(hFrame, hdc);
    return cr;
}

SIZE FrameSize(HWND hDlg)
{
    RECT rc;
    GetClientRect(GetDlgItem(hDlg, 908), &rc);
    return {rc.right, rc.bottom};
}

const COLORREF crRed = RGB(255, 0, 0), crGreen = RGB(0, 255, 0), crBlue = RGB(0, 0, 255);

// A suite installation whose applications directory may hold a logo file.
class AboutTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = harness::TempDir();
        if (!m_dir.empty() && m_dir.back() == '\\')
            m_dir.pop_back();
        m_apps.Set(m_dir + "\\");
    }
    void TearDown() override { harness::RemoveTree(m_dir); }
    void PutLogo(const std::string& bytes) { harness::WriteFileBytes(m_dir + "\\RESLOGO.BMP", bytes); }

    BexAboutInfo Info(BEXMOREINFOPROC pfnMoreInfo = NULL)
    {
        return {NULL, MAKEINTRESOURCEA(32512), "Editor", "Pro", "1996-2026", "A. Author", "2.1", pfnMoreInfo};
    }

    std::string m_dir;
    suite::GlobalEntry m_apps{"AppsDir"};
    harness::MsgBoxCatcher m_boxes;
};

int s_nMoreInfo = 0;
void CountMoreInfo() { ++s_nMoreInfo; }

TEST_F(AboutTest, ShowsTheRecordsTextsAndEndsWithOne)
{
    PutLogo(BitmapFile(16, 16, 0, crRed, crRed));
    BexAboutInfo info = Info();
    std::string caption, title, copyright, author, version;
    bool bMoreInfoShown = true;
    DialogDriver driver({[&](HWND hDlg) {
        caption = Caption(hDlg);
        title = ItemText(hDlg, 1318);
        copyright = ItemText(hDlg, 1017);
        author = ItemText(hDlg, 1018);
        version = ItemText(hDlg, 906);
        bMoreInfoShown = IsWindowVisible(GetDlgItem(hDlg, 3)) != FALSE;
        Click(hDlg, IDOK);
    }});
    EXPECT_EQ(ShowBexAboutDlgBox(&info), 1);
    EXPECT_EQ(caption, "About Editor");
    EXPECT_EQ(title, "Editor Pro");
    EXPECT_EQ(copyright, "Copyright (C) 1996-2026 KELM-Ostrand. All rights reserved.");
    EXPECT_EQ(author, "Written by: A. Author");
    EXPECT_EQ(version, "Version: 2.1");
    EXPECT_FALSE(bMoreInfoShown);
    EXPECT_EQ(m_boxes.Count(), 0u);

    // With a callback the button shows, calls it and leaves the box open; Escape also gives 1.
    s_nMoreInfo = 0;
    info = Info(CountMoreInfo);
    bool bOpenAfterMoreInfo = false;
    DialogDriver driver2({[&](HWND hDlg) {
                              bMoreInfoShown = IsWindowVisible(GetDlgItem(hDlg, 3)) != FALSE;
                              Click(hDlg, 3);
                          },
                          [&](HWND hDlg) {
                              bOpenAfterMoreInfo = IsWindow(hDlg) != FALSE;
                              SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
                          }});
    EXPECT_EQ(ShowBexAboutDlgBox(&info), 1);
    EXPECT_TRUE(bMoreInfoShown);
    EXPECT_EQ(s_nMoreInfo, 1);
    EXPECT_TRUE(bOpenAfterMoreInfo);
    EXPECT_EQ(ShowBexAboutDlgBox(NULL), -1);
}

TEST_F(AboutTest, CentresALogoFileInItsFrameAndStartsAWideOneAtTheLeftEdge)
{
    BexAboutInfo info = Info();
    struct Seen { SIZE frame; COLORREF center, leftOfLogo, inside; } narrow = {}, wide = {};

    PutLogo(BitmapFile(40, 20, 0, crRed, crRed));
    DialogDriver driver({[&](HWND hDlg) {
        UpdateWindow(hDlg);
        SIZE sz = narrow.frame = FrameSize(hDlg);
        int x0 = (sz.cx - 40) / 2, y0 = (sz.cy - 20) / 2;
        narrow.center = FramePixel(hDlg, x0 + 20, y0 + 10);
        narrow.leftOfLogo = FramePixel(hDlg, x0 - 3, y0 + 10);
        narrow.inside = FramePixel(hDlg, x0, y0 + 19);
        Click(hDlg, IDOK);
    }});
    ShowBexAboutDlgBox(&info);
    EXPECT_EQ(narrow.center, crRed);
    EXPECT_NE(narrow.leftOfLogo, crRed);
    EXPECT_EQ(narrow.inside, crRed);

    // Wider and higher than the frame: drawn from (0, 0), so its left columns show.
    PutLogo(BitmapFile(2000, 400, 10, crGreen, crBlue));
    DialogDriver driver2({[&](HWND hDlg) {
        UpdateWindow(hDlg);
        wide.frame = FrameSize(hDlg);
        wide.leftOfLogo = FramePixel(hDlg, 5, wide.frame.cy / 2);
        wide.center = FramePixel(hDlg, 12, wide.frame.cy / 2);
        Click(hDlg, IDOK);
    }});
    ShowBexAboutDlgBox(&info);
    EXPECT_EQ(wide.leftOfLogo, crGreen);
    EXPECT_EQ(wide.center, crBlue);
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(AboutTest, WithoutALogoFileSaysSoAndShowsTheLibrarysLogo)
{
    BexAboutInfo info = Info();
    COLORREF crCenter = 0;
    DialogDriver driver({[&](HWND hDlg) {
        UpdateWindow(hDlg);
        SIZE sz = FrameSize(hDlg);
        crCenter = FramePixel(hDlg, sz.cx / 2, sz.cy / 2);
        Click(hDlg, IDOK);
    }});
    ShowBexAboutDlgBox(&info);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text, "Error 141: File " + m_dir + "\\RESLOGO.BMP not found or invalid.");
    EXPECT_NE(crCenter, GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(crCenter, CLR_INVALID);
}

// The splash closes itself after two seconds and is really gone; an about box opened meanwhile
// keeps its own logo and still paints it afterwards.
TEST_F(AboutTest, SplashWindowClosesItselfAndLeavesAnAboutBoxPainting)
{
    PutLogo(BitmapFile(40, 20, 0, crRed, crRed));
    BexAboutInfo splashInfo = Info();
    HWND hSplash = ShowBexSplashWnd(&splashInfo);
    ASSERT_NE(hSplash, (HWND)NULL);
    EXPECT_TRUE(IsWindowVisible(hSplash));
    EXPECT_EQ(GetDlgItem(hSplash, IDOK), (HWND)NULL);
    EXPECT_EQ(ItemText(hSplash, 1318), "Editor Pro");
    EXPECT_EQ(ItemText(hSplash, 906), "Version 2.1");
    // No owner: centred over the screen.
    RECT rc;
    GetWindowRect(hSplash, &rc);
    EXPECT_NEAR((rc.left + rc.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    BexAboutInfo aboutInfo = Info();
    bool bSplashAtFirst = false, bSplashLater = true;
    COLORREF crLogo = 0;
    DialogDriver driver({[&](HWND) { bSplashAtFirst = IsWindow(hSplash) != FALSE; },
                         [&](HWND hDlg) {
                             bSplashLater = IsWindow(hSplash) != FALSE;
                             InvalidateRect(hDlg, NULL, TRUE);
                             UpdateWindow(hDlg);
                             SIZE sz = FrameSize(hDlg);
                             crLogo = FramePixel(hDlg, sz.cx / 2, sz.cy / 2);
                             Click(hDlg, IDOK);
                         }},
                        1500);
    EXPECT_EQ(ShowBexAboutDlgBox(&aboutInfo), 1);
    EXPECT_TRUE(bSplashAtFirst);
    EXPECT_FALSE(bSplashLater);
    EXPECT_EQ(crLogo, crRed);
}

std::string s_versionCaption;
void CALLBACK CloseVersionInformation(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(NULL, idTimer);
    HWND hVersion = FindWindowA("#32770", "Version Information");
    s_versionCaption = Caption(hVersion);
    PostMessageA(hVersion, WM_COMMAND, IDOK, 0);
}

TEST_F(AboutTest, AboutBoxClassCallsTheCallbackOrOpensVersionInformation)
{
    PutLogo(BitmapFile(16, 16, 0, crRed, crRed));
    BexAboutInfo info = Info(CountMoreInfo);
    s_nMoreInfo = 0;
    std::string caption;
    bool bLinkIsStaticLink = false;
    {
        CBexAboutBox dlg(&info);
        DialogDriver driver({[&](HWND hDlg) {
            caption = Caption(hDlg);
            CWnd* pLink = CWnd::FromHandlePermanent(GetDlgItem(hDlg, 1000));
            bLinkIsStaticLink = pLink != NULL && pLink->IsKindOf(RUNTIME_CLASS(CStaticLink));
            Click(hDlg, 3);
        }});
        // "&More Info..." closes the box as its close box would.
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_EQ(caption, "About Editor");
    EXPECT_TRUE(bLinkIsStaticLink);
    EXPECT_EQ(s_nMoreInfo, 1);

    // Without a callback: the version information window, then the box closes.
    info = Info();
    harness::Receiver viewer("MS_WINHELP");
    {
        CBexAboutBox dlg(&info);
        DialogDriver driver({[&](HWND hDlg) {
            SendMessageA(hDlg, WM_COMMANDHELP, 0, 0);
            // The window runs its own modal loop inside the click: closed from a timer there.
            s_versionCaption.clear();
            SetTimer(NULL, 0, 1500, CloseVersionInformation);
            Click(hDlg, 3);
        }});
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    EXPECT_EQ(s_versionCaption, "Version Information");
    EXPECT_EQ(harness::HelpRequests(viewer.Received()),
              std::vector<std::string>{m_dir + "\\Wex.hlp|About dialog box"});
}

}  // namespace
