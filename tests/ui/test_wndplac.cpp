// Window placement kept in the application's registry profile: round trips on real frame
// windows, corrections for the screen, and a second instance in a process of its own.
#include "ui_common.h"
#include "partner.h"
#include <gtest/gtest.h>

namespace {

const char szSection[] = "Frame";

// A main window of the suite's class convention.
struct Frame : CWnd {
    explicit Frame(int x = 100, int y = 80, int cx = 640, int cy = 480)
    {
        WNDCLASSA wc = { 0, ::DefWindowProcA, 0, 0, GetModuleHandleA(NULL) };
        wc.lpszClassName = "WexWClass";
        RegisterClassA(&wc);
        CreateEx(0, "WexWClass", "Frame", WS_OVERLAPPEDWINDOW, x, y, cx, cy, NULL, NULL);
    }
    ~Frame() override { DestroyWindow(); }
    std::string Normal()
    {
        WINDOWPLACEMENT wp = { sizeof(wp) };
        GetWindowPlacement(&wp);
        return ui::Text(wp.rcNormalPosition);
    }
    std::string Shown() { return ui::Text(ui::WindowRect(m_hWnd)); }
};

// An application object whose profile is a registry key of its own, removed before and after.
struct WindowPlacement : testing::Test {
    struct App : CWinApp {
        App() : CWinApp("Ui App") { Clean(); SetRegistryKey("KELM-Ostrand UiTest"); }
        ~App() override { Clean(); }
        static void Clean() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KELM-Ostrand UiTest"); }
    } app;
    CWindowPlacement placement;
    std::string Stored() { return (LPCSTR)CRegistry().GetString(szSection, "Pos", ""); }
    void Store(const std::string& value) { CRegistry().WriteString(szSection, "Pos", value.c_str()); }
};

}  // namespace

TEST_F(WindowPlacement, NormalAndMaximisedWindowsRoundTrip)
{
    {
        Frame frame;
        frame.ShowWindow(SW_SHOWNORMAL);
        placement.Save(szSection, &frame);
        EXPECT_EQ(Stored().substr(0, 4) + Stored().substr(Stored().size() - 15), "0,1,,100,80,740,560") << Stored();
        frame.ShowWindow(SW_MAXIMIZE);
        placement.Save(szSection, &frame);
        EXPECT_EQ(Stored().substr(0, 4), "2,3,");
    }
    Frame frame(300, 300, 200, 150);
    EXPECT_TRUE(placement.Restore(szSection, &frame));
    EXPECT_TRUE(frame.IsZoomed());
    frame.ShowWindow(SW_RESTORE);
    EXPECT_EQ(frame.Shown(), "100,80,740,560");
}

// Partly off the screen: the size kept where the window is, and the value corrected. A stored
// minimised or hidden state opens normal. Malformed values leave the window alone.
TEST_F(WindowPlacement, OffScreenMinimisedHiddenAndMalformedValuesAreCorrected)
{
    int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    Store("0,1,-1,-1,-1,-1," + std::to_string(cxScreen - 100) + ",100," + std::to_string(cxScreen + 200) + ",400");
    {
        Frame frame(50, 60, 200, 150);
        EXPECT_TRUE(placement.Restore(szSection, &frame));
        EXPECT_EQ(frame.Normal() + " " + frame.Shown(), "50,60,350,360 50,60,350,360");
        EXPECT_EQ(Stored().substr(Stored().size() - 14), ",50,60,350,360") << Stored();
    }
    for (const char* psz : { "0,2,-1,-1,-1,-1,20,30,220,180", "0,0,-1,-1,-1,-1,20,30,220,180" }) {
        Store(psz);
        Frame frame;
        EXPECT_TRUE(placement.Restore(szSection, &frame));
        EXPECT_TRUE(frame.IsWindowVisible() && !frame.IsIconic()) << psz;
        EXPECT_EQ(frame.Shown(), "20,30,220,180") << psz;
    }
    Frame frame(50, 60, 200, 150);
    harness::MsgBoxCatcher catcher;
    for (const char* psz : { "", "1,2,3", "0,1,-1,-1,-1,-1,10,10,x,20", "0,1,0,0,0,0,300,10,200,200" }) {
        Store(psz);
        EXPECT_FALSE(placement.Restore(szSection, &frame)) << psz;
        EXPECT_EQ(frame.Shown(), "50,60,250,210") << psz;
        EXPECT_FALSE(frame.IsWindowVisible()) << psz;
    }
    EXPECT_FALSE(placement.Restore(szSection, NULL));
    placement.Save(szSection, NULL);
    EXPECT_EQ(catcher.Count(), 2u);
}

TEST_F(WindowPlacement, ASecondInstanceCascadesFromTheFirstAndKeepsItsStoredValue)
{
    Store("0,1,-1,-1,-1,-1,10,20,400,300");
    Partner first;
    ASSERT_NE(first.Hwnd(), (HWND)NULL);
    WINDOWPLACEMENT wp = { sizeof(wp) };
    GetWindowPlacement(first.Hwnd(), &wp);
    int nCascade = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    OffsetRect(&wp.rcNormalPosition, nCascade, nCascade);
    Frame second(0, 0, 100, 100);
    EXPECT_TRUE(placement.Restore(szSection, &second));
    EXPECT_EQ(second.Normal(), ui::Text(wp.rcNormalPosition));
    EXPECT_TRUE(second.IsWindowVisible());   // shown, though the first instance is hidden
    placement.Save(szSection, &second);
    EXPECT_EQ(Stored(), "0,1,-1,-1,-1,-1,10,20,400,300");
}

TEST_F(WindowPlacement, TopLeftCornersAreKeptOnTheDesktop)
{
    Frame frame(70, 90, 300, 200);
    EXPECT_TRUE(SaveWindowPos(&frame, "Tool"));
    EXPECT_STREQ(app.GetProfileString("WindowPos", "Tool"), "70,90");
    frame.MoveWindow(0, 0, 300, 200);
    EXPECT_TRUE(RestoreWindowPos(&frame, "Tool"));
    EXPECT_EQ(frame.Shown(), "70,90,370,290");
    EXPECT_TRUE(frame.IsWindowVisible());

    RECT rcDesktop = ui::WindowRect(GetDesktopWindow());
    const struct { const char* stored; int cy; long x, y; } cases[] = {
        { "-20,-5", 200, 0, 0 },
        { "5000,5000", 200, rcDesktop.right - 301, rcDesktop.bottom - 201 },
        { "10,20", rcDesktop.bottom + 100, 10, 0 },   // larger than the desktop: the caption stays on it
        { "a,b", 200, 40, 40 },                       // refused: left where it is
    };
    for (auto& c : cases) {
        app.WriteProfileString("WindowPos", "Tool", c.stored);
        frame.MoveWindow(40, 40, 300, c.cy);
        EXPECT_EQ(RestoreWindowPos(&frame, "Tool") != 0, c.x != 40) << c.stored;
        EXPECT_EQ(ui::WindowRect(frame).left, c.x) << c.stored;
        EXPECT_EQ(ui::WindowRect(frame).top, c.y) << c.stored;
    }
}
