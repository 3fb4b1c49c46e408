// Application launch: the sample application started from a temporary applications directory.
#include "partner.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>

namespace {

class ExecAppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // A blank in the directory: the program's path must reach the system quoted.
        m_strApps = m_strTemp + "Apps Dir\\";
        CreateDirectoryA(m_strApps.c_str(), NULL);
        CopyFileA((harness::ModuleDir() + "WexDemo.exe").c_str(), (m_strApps + "WexDemo.exe").c_str(), FALSE);
        m_apps.Set(m_strApps);
        // The copy finds the library and the runtime in the build's directory.
        char szPath[32767];
        GetEnvironmentVariableA("PATH", szPath, sizeof(szPath));
        SetEnvironmentVariableA("PATH", (harness::ModuleDir() + ";" + szPath).c_str());
    }
    void TearDown() override
    {
        // Whatever the test left running is closed, or ended.
        HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, m_info.dwProcessId);
        if (hProcess && WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT) {
            PostMessageA(m_info.hWndMain, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(hProcess, 5000) != WAIT_OBJECT_0)
                TerminateProcess(hProcess, 1);
        }
        if (hProcess)
            CloseHandle(hProcess);
        harness::RemoveTree(m_strTemp);
    }

    ExecAppInfo m_info = {};
    suite::GlobalEntry m_apps{ "AppsDir" };
    std::string m_strTemp = harness::TempDir(), m_strApps;
};

}  // namespace

TEST_F(ExecAppTest, StartsTheProgramFromTheAppsDirectoryAndFollowsItUntilItCloses)
{
    // The directory the caller names is dropped, and ".EXE" added.
    ASSERT_TRUE(ExecApp(0, "tools\\wexdemo", "respond", &m_info, SW_HIDE));
    ASSERT_TRUE(IsWindowOfClass(m_info.hWndMain, "WexWClass"));
    DWORD dwProcessId = 0;
    EXPECT_EQ(GetWindowThreadProcessId(m_info.hWndMain, &dwProcessId), m_info.dwThreadId);
    EXPECT_EQ(dwProcessId, m_info.dwProcessId);
    EXPECT_FALSE(IsWindowVisible(m_info.hWndMain));   // the show command reached the program

    // What the program itself says: its instance, and the command line it was given.
    OwnWindow own;
    Watchdog watchdog(20000, NULL);
    EXPECT_EQ((LONG)PostMessageAndWaitAck(m_info.hWndMain, WEXM_INSTANCE, (WPARAM)own.Hwnd(), 0), (LONG)(LONG_PTR)m_info.hInstance);
    ATOM nCmdLine = (ATOM)PostMessageAndWaitAck(m_info.hWndMain, WEXM_COMMAND_LINE, (WPARAM)own.Hwnd(), 0);
    EXPECT_EQ(std::string(GlobalGetMoleculeName(nCmdLine)), "\"" + m_strApps + "WEXDEMO.EXE\" respond");
    GlobalDeleteMolecule(nCmdLine);

    // Without a main window the process is asked by its identifier: ExecApp closed the handle.
    ExecAppInfo byProcess = m_info;
    byProcess.hWndMain = NULL;
    EXPECT_TRUE(IsAppRunning(&m_info) && IsAppRunning(&byProcess));
    HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, m_info.dwProcessId);
    PostMessageA(m_info.hWndMain, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(hProcess, 5000), WAIT_OBJECT_0);
    CloseHandle(hProcess);
    EXPECT_FALSE(IsAppRunning(&m_info));
    EXPECT_FALSE(IsAppRunning(&byProcess));
}

TEST_F(ExecAppTest, NamesThatDoNotFitOrProgramsThatDoNotExistStartNothing)
{
    ExecAppInfo info;
    memset(&info, 0xAB, sizeof(info));
    const ExecAppInfo before = info;
    EXPECT_FALSE(ExecApp(0, std::string(300, 'w').c_str(), "respond", &info, SW_HIDE));
    EXPECT_FALSE(ExecApp(0, "NoSuchProgram", "respond", &info, SW_HIDE));
    // The directory and the title together are longer than a path may be.
    m_apps.Set("C:\\" + std::string(252, 'd'));
    EXPECT_FALSE(ExecApp(0, "wexdemo", "respond", &info, SW_HIDE));
    EXPECT_EQ(memcmp(&info, &before, sizeof(info)), 0);
}
