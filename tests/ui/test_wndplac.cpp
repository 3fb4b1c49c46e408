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
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "WexWClass";
        RegisterClassA(&wc);
        CreateEx(0, "WexWClass", "Frame", WS_OVERLAPPEDWINDOW, x, y, cx, cy, NULL, NULL);
    }
    ~Frame() override { DestroyWindow(); }
    RECT Normal()
    {
        WINDOWPLACEMENT wp = { sizeof(wp) };
        GetWindowPlacement(&wp);
        return wp.rcNormalPosition;
    }
};

CString Stored()
{
    return CRegistry().GetString(szSection, "Pos", "");
}

void Store(const char* pszValue)
{
    CRegistry().WriteString(szSection, "Pos", pszValue);
}

std::string Text(const RECT& rc)
{
    char sz[64];
    sprintf(sz, "%ld,%ld,%ld,%ld", rc.left, rc.top, rc.right, rc.bottom);
    return sz;
}

struct WindowPlacement : testing::Test {
    ui::UiApp app;
    CWindowPlacement placement;
};

}  // namespace

TEST_F(WindowPlacement, NormalAndMaximisedWindowsRoundTrip)
{
    {
        Frame frame;
        frame.ShowWindow(SW_SHOWNORMAL);
        placement.Save(szSection, &frame);
        std::string value(Stored());
        EXPECT_EQ(value.substr(0, 4), "0,1,");
        EXPECT_EQ(value.substr(value.size() - 15), ",100,80,740,560") << value;

        frame.ShowWindow(SW_MAXIMIZE);
        placement.Save(szSection, &frame);
        EXPECT_EQ(std::string(Stored()).substr(0, 4), "2,3,");
        EXPECT_EQ(placement.m_wp.flags, (UINT)WPF_RESTORETOMAXIMIZED);
    }
    Frame frame(300, 300, 200, 150);
    EXPECT_TRUE(placement.Restore(szSection, &frame));
    EXPECT_TRUE(frame.IsZoomed());
    frame.ShowWindow(SW_RESTORE);
    EXPECT_EQ(Text(ui::WindowRect(frame)), "100,80,740,560");
}

TEST_F(WindowPlacement, AWindowPartlyOffTheScreenKeepsItsSizeWhereItIsAndTheValueIsCorrected)
{
    int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    CString value;
    value.Format("0,1,-1,-1,-1,-1,%d,100,%d,400", cxScreen - 100, cxScreen + 200);
    Store(value);
    Frame frame(50, 60, 200, 150);
    EXPECT_TRUE(placement.Restore(szSection, &frame));
    EXPECT_EQ(Text(frame.Normal()), "50,60,350,360");
    EXPECT_EQ(Text(ui::WindowRect(frame)), "50,60,350,360");
    std::string stored(Stored());
    EXPECT_EQ(stored.substr(stored.size() - 14), ",50,60,350,360") << stored;
}

TEST_F(WindowPlacement, MissingOrMalformedValuesLeaveTheWindowAlone)
{
    Frame frame(50, 60, 200, 150);
    harness::MsgBoxCatcher catcher;
    for (const char* psz : { "", "1,2,3", "0,1,-1,-1,-1,-1,10,10,x,20", "0,1,0,0,0,0,10,10,10,200",
                             "0,1,0,0,0,0,300,10,200,200", "0,1,0,0,0,0,10,300,200,200" }) {
        Store(psz);
        EXPECT_FALSE(placement.Restore(szSection, &frame)) << psz;
        EXPECT_EQ(Text(ui::WindowRect(frame)), "50,60,250,210") << psz;
        EXPECT_FALSE(frame.IsWindowVisible()) << psz;
    }
    EXPECT_FALSE(placement.Restore(szSection, NULL));
    placement.Save(szSection, NULL);
    EXPECT_EQ(catcher.Count(), 2u);
}

TEST_F(WindowPlacement, AStoredMinimisedOrHiddenStateOpensNormalOrMaximised)
{
    for (const char* psz : { "0,2,-1,-1,-1,-1,20,30,220,180", "0,0,-1,-1,-1,-1,20,30,220,180" }) {
        Store(psz);
        Frame frame;
        EXPECT_TRUE(placement.Restore(szSection, &frame));
        EXPECT_TRUE(frame.IsWindowVisible()) << psz;
        EXPECT_FALSE(frame.IsIconic()) << psz;
        EXPECT_EQ(Text(ui::WindowRect(frame)), "20,30,220,180") << psz;
    }
    Store("2,6,-1,-1,-1,-1,20,30,220,180");
    Frame frame;
    EXPECT_TRUE(placement.Restore(szSection, &frame));
    EXPECT_TRUE(frame.IsZoomed());
}

TEST_F(WindowPlacement, ASecondInstanceCascadesFromTheFirstAndKeepsItsStoredValue)
{
    Store("0,1,-1,-1,-1,-1,10,20,400,300");
    Partner first;
    ASSERT_NE(first.Hwnd(), (HWND)NULL);
    WINDOWPLACEMENT wp = { sizeof(wp) };
    GetWindowPlacement(first.Hwnd(), &wp);
    int nCascade = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    RECT expected = wp.rcNormalPosition;
    OffsetRect(&expected, nCascade, nCascade);
    {
        Frame second(0, 0, 100, 100);
        EXPECT_TRUE(placement.Restore(szSection, &second));
        EXPECT_EQ(Text(second.Normal()), Text(expected));
        // Shown, though the first instance is hidden.
        EXPECT_TRUE(second.IsWindowVisible());
        second.ShowWindow(SW_MAXIMIZE);
        placement.Save(szSection, &second);
        EXPECT_STREQ(Stored(), "0,1,-1,-1,-1,-1,10,20,400,300");
    }
    // Cascaded past the screen's edge: moved back, and still the first instance's value stays.
    int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(first.Hwnd(), NULL, cxScreen - (wp.rcNormalPosition.right - wp.rcNormalPosition.left), 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Frame second(30, 40, 100, 100);
    EXPECT_TRUE(placement.Restore(szSection, &second));
    EXPECT_EQ(ui::WindowRect(second).left, 30);
    EXPECT_STREQ(Stored(), "0,1,-1,-1,-1,-1,10,20,400,300");
}

TEST_F(WindowPlacement, TopLeftCornersAreKeptOnTheDesktop)
{
    Frame frame(70, 90, 300, 200);
    EXPECT_TRUE(SaveWindowPos(&frame, "Tool"));
    EXPECT_STREQ(app.GetProfileString("WindowPos", "Tool"), "70,90");
    frame.MoveWindow(0, 0, 300, 200);
    EXPECT_TRUE(RestoreWindowPos(&frame, "Tool"));
    EXPECT_EQ(Text(ui::WindowRect(frame)), "70,90,370,290");
    EXPECT_TRUE(frame.IsWindowVisible());

    RECT rcDesktop = ui::WindowRect(GetDesktopWindow());
    struct { const char* stored; int cx, cy; long x, y; } cases[] = {
        { "-20,-5", 300, 200, 0, 0 },
        { "5000,10", 300, 200, rcDesktop.right - 301, 10 },
        { "10,5000", 300, 200, 10, rcDesktop.bottom - 201 },
        // Larger than the desktop: the caption stays on it.
        { "10,20", 300, rcDesktop.bottom + 100, 10, 0 },
    };
    for (auto& c : cases) {
        app.WriteProfileString("WindowPos", "Tool", c.stored);
        frame.MoveWindow(40, 40, c.cx, c.cy);
        EXPECT_TRUE(RestoreWindowPos(&frame, "Tool")) << c.stored;
        RECT rc = ui::WindowRect(frame);
        EXPECT_EQ(rc.left, c.x) << c.stored;
        EXPECT_EQ(rc.top, c.y) << c.stored;
    }
    for (const char* psz : { "", "12", "a,b" }) {
        app.WriteProfileString("WindowPos", "Tool", psz);
        frame.MoveWindow(40, 40, 300, 200);
        EXPECT_EQ(RestoreWindowPos(&frame, "Tool"), 0) << psz;
        EXPECT_EQ(ui::WindowRect(frame).left, 40) << psz;
    }
}
