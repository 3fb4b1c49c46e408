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

std::string Text(HWND hWnd)
{
    char sz[512] = {};
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}
std::string ItemText(HWND hDlg, int nID) { return Text(GetDlgItem(hDlg, nID)); }

// A pixel of the logo frame as the screen shows it, in the frame's client coordinates.
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
    return { rc.right, rc.bottom };
}

const COLORREF crRed = RGB(255, 0, 0), crGreen = RGB(0, 255, 0), crBlue = RGB(0, 0, 255);

int s_nMoreInfo = 0;
void CountMoreInfo() { ++s_nMoreInfo; }

// A suite installation whose applications directory may hold a logo file.
class AboutTest : public testing::Test
{
protected:
    void SetUp() override { m_apps.Set(m_dir), s_nMoreInfo = 0; }
    void TearDown() override { harness::RemoveTree(m_dir); }
    // A 24-bit logo file: columns left of nSplit in crLeft, the rest in crRight.
    void PutLogo(int cx, int cy, int nSplit, COLORREF crLeft, COLORREF crRight)
    {
        int cbRow = (cx * 3 + 3) & ~3;
        std::string bits(cbRow * cy, '\0');
        for (int y = 0; y < cy; y++)
            for (int x = 0; x < cx; x++) {
                COLORREF cr = x < nSplit ? crLeft : crRight;
                bits.replace(y * cbRow + x * 3, 3, std::string{ (char)GetBValue(cr), (char)GetGValue(cr), (char)GetRValue(cr) });
            }
        BITMAPFILEHEADER bf = { 0x4D42, (DWORD)(14 + 40 + bits.size()), 0, 0, 54 };
        BITMAPINFOHEADER bi = { 40, cx, cy, 1, 24, BI_RGB };
        harness::WriteFileBytes(m_dir + "RESLOGO.BMP", std::string((const char*)&bf, 14) + std::string((const char*)&bi, 40) + bits);
    }
    BexAboutInfo Info(BEXMOREINFOPROC pfnMoreInfo = NULL)
    {
        return { NULL, MAKEINTRESOURCEA(32512), "Editor", "Pro", "1996-2026", "A. Author", "2.1", pfnMoreInfo };
    }

    std::string m_dir = harness::TempDir();
    suite::GlobalEntry m_apps{ "AppsDir" };
    harness::MsgBoxCatcher m_boxes;
};

TEST_F(AboutTest, ShowsTheRecordsTextsAndMoreInfoOnlyWithACallback)
{
    PutLogo(16, 16, 0, crRed, crRed);
    BexAboutInfo info = Info();
    std::string texts;
    bool bMoreInfoShown = true;
    DialogDriver driver({ [&](HWND hDlg) {
        texts = Text(hDlg) + "|" + ItemText(hDlg, 1318) + "|" + ItemText(hDlg, 1017) + "|" + ItemText(hDlg, 1018) + "|" +
                ItemText(hDlg, 906);
        bMoreInfoShown = IsWindowVisible(GetDlgItem(hDlg, 3)) != FALSE;
        Click(hDlg, IDOK);
    } });
    EXPECT_EQ(ShowBexAboutDlgBox(&info), 1);
    EXPECT_EQ(texts, "About Editor|Editor Pro|Copyright (C) 1996-2026 KELM-Ostrand. All rights reserved.|"
                     "Written by: A. Author|Version: 2.1");
    EXPECT_FALSE(bMoreInfoShown);
    EXPECT_EQ(m_boxes.Count(), 0u);

    // With a callback the button shows, calls it and leaves the box open; Escape also gives 1.
    info = Info(CountMoreInfo);
    bool bOpenAfterMoreInfo = false;
    DialogDriver driver2({ [&](HWND hDlg) {
                              bMoreInfoShown = IsWindowVisible(GetDlgItem(hDlg, 3)) != FALSE;
                              Click(hDlg, 3);
                          },
                           [&](HWND hDlg) {
                               bOpenAfterMoreInfo = IsWindow(hDlg) != FALSE;
                               SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
                           } });
    EXPECT_EQ(ShowBexAboutDlgBox(&info), 1);
    EXPECT_TRUE(bMoreInfoShown);
    EXPECT_EQ(s_nMoreInfo, 1);
    EXPECT_TRUE(bOpenAfterMoreInfo);
    EXPECT_EQ(ShowBexAboutDlgBox(NULL), -1);
}

// A logo narrower than its frame is centred; a wider and higher one is drawn from (0, 0), so its
// left columns show; without a logo file the user is told and the library's own logo shows.
TEST_F(AboutTest, CentresANarrowLogoStartsAWideOneAtTheLeftAndFallsBackToItsOwn)
{
    BexAboutInfo info = Info();
    COLORREF narrow[3] = {}, wide[2] = {}, own = 0;
    PutLogo(40, 20, 0, crRed, crRed);
    DialogDriver driver({ [&](HWND hDlg) {
        UpdateWindow(hDlg);
        SIZE sz = FrameSize(hDlg);
        int x0 = (sz.cx - 40) / 2, y0 = (sz.cy - 20) / 2;
        narrow[0] = FramePixel(hDlg, x0 + 20, y0 + 10);
        narrow[1] = FramePixel(hDlg, x0, y0 + 19);
        narrow[2] = FramePixel(hDlg, x0 - 3, y0 + 10);
        Click(hDlg, IDOK);
    } });
    ShowBexAboutDlgBox(&info);
    EXPECT_EQ(narrow[0], crRed);
    EXPECT_EQ(narrow[1], crRed);
    EXPECT_NE(narrow[2], crRed);

    PutLogo(2000, 400, 10, crGreen, crBlue);
    DialogDriver driver2({ [&](HWND hDlg) {
        UpdateWindow(hDlg);
        wide[0] = FramePixel(hDlg, 5, FrameSize(hDlg).cy / 2);
        wide[1] = FramePixel(hDlg, 12, FrameSize(hDlg).cy / 2);
        Click(hDlg, IDOK);
    } });
    ShowBexAboutDlgBox(&info);
    EXPECT_EQ(wide[0], crGreen);
    EXPECT_EQ(wide[1], crBlue);
    EXPECT_EQ(m_boxes.Count(), 0u);

    DeleteFileA((m_dir + "RESLOGO.BMP").c_str());
    DialogDriver driver3({ [&](HWND hDlg) {
        UpdateWindow(hDlg);
        own = FramePixel(hDlg, FrameSize(hDlg).cx / 2, FrameSize(hDlg).cy / 2);
        Click(hDlg, IDOK);
    } });
    ShowBexAboutDlgBox(&info);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Last().text, "Error 141: File " + m_dir + "RESLOGO.BMP not found or invalid.");
    EXPECT_NE(own, GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(own, CLR_INVALID);
}

// With an owner the box is centred over it and takes the icon from the owner's module; without
// one the icon comes from the application's module, which has none of that number here.
TEST_F(AboutTest, CentresOverItsOwnerAndTakesTheIconFromTheOwnersModule)
{
    PutLogo(16, 16, 0, crRed, crRed);
    HWND hOwner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 300, 200, 500, 420, NULL, NULL,
                                GetModuleHandleA("BexLib32.dll"), NULL);
    for (HWND hWndOwner : { hOwner, (HWND)NULL }) {
        BexAboutInfo info = Info();
        info.hWndOwner = hWndOwner;
        info.lpszIcon = MAKEINTRESOURCEA(130);   // one of the library's icons
        RECT rcBox = {};
        int nIconPixels = 0;
        DialogDriver driver({ [&](HWND hDlg) {
            RedrawWindow(hDlg, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            GetWindowRect(hDlg, &rcBox);
            HDC hdc = GetDC(hDlg);
            COLORREF crFace = GetPixel(hdc, 4, 4);
            for (int y = 130; y < 162; ++y)
                for (int x = 20; x < 52; ++x)
                    nIconPixels += GetPixel(hdc, x, y) != crFace;
            ReleaseDC(hDlg, hdc);
            Click(hDlg, IDOK);
        } });
        ShowBexAboutDlgBox(&info);
        if (hWndOwner) {
            EXPECT_LE(abs((rcBox.left + rcBox.right) / 2 - 550), 1);
            EXPECT_LE(abs((rcBox.top + rcBox.bottom) / 2 - 410), 1);
            EXPECT_GT(nIconPixels, 50);
        } else {
            EXPECT_EQ(nIconPixels, 0);
        }
    }
    DestroyWindow(hOwner);
}

// The splash closes itself after two seconds and is really gone; an about box opened meanwhile
// keeps its own logo and still paints it afterwards.
TEST_F(AboutTest, SplashWindowClosesItselfAndLeavesAnAboutBoxPainting)
{
    PutLogo(40, 20, 0, crRed, crRed);
    BexAboutInfo info = Info();
    HWND hSplash = ShowBexSplashWnd(&info);
    ASSERT_NE(hSplash, (HWND)NULL);
    EXPECT_TRUE(IsWindowVisible(hSplash));
    EXPECT_EQ(GetDlgItem(hSplash, IDOK), (HWND)NULL);
    EXPECT_EQ(ItemText(hSplash, 1318) + "|" + ItemText(hSplash, 906), "Editor Pro|Version 2.1");
    // No owner yet: centred over the screen.
    RECT rc;
    GetWindowRect(hSplash, &rc);
    EXPECT_NEAR((rc.left + rc.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    bool bSplashAtFirst = false, bSplashLater = true;
    COLORREF crLogo = 0;
    DialogDriver driver({ [&](HWND) { bSplashAtFirst = IsWindow(hSplash) != FALSE; },
                          [&](HWND hDlg) {
                              bSplashLater = IsWindow(hSplash) != FALSE;
                              InvalidateRect(hDlg, NULL, TRUE);
                              UpdateWindow(hDlg);
                              crLogo = FramePixel(hDlg, FrameSize(hDlg).cx / 2, FrameSize(hDlg).cy / 2);
                              Click(hDlg, IDOK);
                          } },
                        1500);
    EXPECT_EQ(ShowBexAboutDlgBox(&info), 1);
    EXPECT_TRUE(bSplashAtFirst);
    EXPECT_FALSE(bSplashLater);
    EXPECT_EQ(crLogo, crRed);
}

std::string s_versionCaption;
void CALLBACK CloseVersionInformation(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    KillTimer(NULL, idTimer);
    HWND hVersion = FindWindowA("#32770", "Version Information");
    s_versionCaption = Text(hVersion);
    PostMessageA(hVersion, WM_COMMAND, IDOK, 0);
}

// "&More Info..." calls the callback, or opens the version information window, and closes the
// box as its close box would.
TEST_F(AboutTest, AboutBoxClassCallsTheCallbackOrOpensVersionInformation)
{
    PutLogo(16, 16, 0, crRed, crRed);
    harness::Receiver viewer("MS_WINHELP");
    for (BEXMOREINFOPROC pfn : { CountMoreInfo, (BEXMOREINFOPROC)NULL }) {
        BexAboutInfo info = Info(pfn);
        CBexAboutBox dlg(&info);
        std::string caption;
        DialogDriver driver({ [&](HWND hDlg) {
            caption = Text(hDlg);
            if (!pfn) {
                SendMessageA(hDlg, WM_COMMANDHELP, 0, 0);
                // The window runs its own modal loop inside the click: closed from a timer there.
                SetTimer(NULL, 0, 1500, CloseVersionInformation);
            }
            Click(hDlg, 3);
        } });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(caption, "About Editor");
    }
    EXPECT_EQ(s_nMoreInfo, 1);
    EXPECT_EQ(s_versionCaption, "Version Information");
    EXPECT_EQ(harness::HelpRequests(viewer.Received()), std::vector<std::string>{ m_dir + "Wex.hlp|About dialog box" });
}

}  // namespace
