// The suite help call, as the help viewer's window receives it. Wine's WinHelpA hands its
// request to the first window of class "MS_WINHELP"; only without one would it start its own
// viewer, so every test here has a receiver up first and checks that no viewer was left behind.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>

namespace {

// What WinHelpA sends: the block header, then the file name and the data it points at.
struct HelpRequest {
    UINT command = 0;
    std::string file;
    std::string data;
};

HelpRequest Parse(const std::string& bytes)
{
    HelpRequest r;
    if (bytes.size() < 16)
        return r;
    auto word = [&](size_t at) { return (WORD)((BYTE)bytes[at] | (BYTE)bytes[at + 1] << 8); };
    r.command = word(2);
    WORD ofsFile = word(12), ofsData = word(14);
    if (ofsFile && ofsFile < bytes.size())
        r.file = bytes.c_str() + ofsFile;
    if (ofsData && ofsData < bytes.size())
        r.data = bytes.c_str() + ofsData;
    return r;
}

bool HelpViewerRunning()
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe = { sizeof(pe) };
    bool bFound = false;
    for (BOOL b = Process32First(hSnap, &pe); b && !bFound; b = Process32Next(hSnap, &pe))
        bFound = _stricmp(pe.szExeFile, "winhlp32.exe") == 0;
    CloseHandle(hSnap);
    return bFound;
}

class SuiteHelp : public testing::Test {
protected:
    void TearDown() override { EXPECT_FALSE(HelpViewerRunning()); }
};

}  // namespace

TEST_F(SuiteHelp, OpensWexHlpInTheApplicationsDirectoryAtTheKeyword)
{
    suite::GlobalEntry apps("AppsDir", "C:\\Tur\\Apps\\\\");
    harness::Receiver viewer("MS_WINHELP");
    ShowBexHelp(BEX_HELPKEY_VERSIONINFO);
    std::vector<harness::CopyData> got = viewer.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, 0u);   // no owner window
    HelpRequest r = Parse(got[0].bytes);
    EXPECT_EQ(r.command, (UINT)HELP_KEY);
    EXPECT_EQ(r.file, "C:\\Tur\\Apps\\Wex.hlp");
    EXPECT_EQ(r.data, "Version Information dialog box");
}

TEST_F(SuiteHelp, WithoutAnApplicationsDirectoryTheBareNameIsHandedOn)
{
    suite::GlobalEntry apps("AppsDir");
    apps.Unset();
    harness::Receiver viewer("MS_WINHELP");
    ShowBexHelp(BEX_HELPKEY_BROWSEFOLDER);
    ShowBexHelp(BEX_HELPKEY_ABOUT);
    std::vector<harness::CopyData> got = viewer.Received();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(Parse(got[0].bytes).file, "Wex.hlp");
    EXPECT_EQ(Parse(got[0].bytes).data, "Browse for Folder dialog box");
    EXPECT_EQ(Parse(got[1].bytes).data, "About dialog box");
}

TEST_F(SuiteHelp, AnApplicationsDirectoryTooLongForAPathIsLeftOut)
{
    suite::GlobalEntry apps("AppsDir", "C:\\" + std::string(300, 'a'));
    harness::Receiver viewer("MS_WINHELP");
    ShowBexHelp(BEX_HELPKEY_ABOUT);
    ASSERT_EQ(viewer.Received().size(), 1u);
    EXPECT_EQ(Parse(viewer.Received()[0].bytes).file, "Wex.hlp");
}
