// The version report over a temporary suite installation in the Wine prefix, and the version
// information window around it, driven from a timer that fires inside its modal loop.
#include "harness.h"
#include "suite.h"
#include "installation.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>

namespace {

using harness::ReadFileBytes;
using harness::WriteFileBytes;

const std::string sep = "\r\n------------------------------------------------------\r\n";
const std::string ending = "\r\n*** End of info ***\r\n";

std::string Report()
{
    struct : CReportOutput {
        std::string text;
        void AppendText(const char* pszText) override { text += pszText; }
    } out;
    WriteTurVersionReport(out);
    return out.text;
}

std::string Fixture(const char* pszName) { return ReadFileBytes(harness::ModuleDir() + pszName + ".dll"); }

void WriteIni(const std::string& path, const char* pszSection, const char* pszEntry, const std::string& value)
{
    WritePrivateProfileStringA(pszSection, pszEntry, value.c_str(), path.c_str());
}

// Program files of every status, decoys, add-ons and an installation list that names them.
void InstallPrograms(Installation& inst)
{
    std::string equal = Fixture("repfix_equal"), old = Fixture("repfix_old"), none = Fixture("verfix_none");
    std::string newer = Fixture("repfix_new");
    std::string corrupt = equal;
    corrupt[0x50] ^= 0x20;   // in the DOS stub: the version resource still reads
    struct { const char* name; std::string bytes; } files[] = {
        { "Equal.exe", equal }, { "Older.dll", old }, { "Newer.dll", newer },
        { "BadVer.exe", Fixture("repfix_badver") }, { "Prefix.exe", Fixture("repfix_prefix") },
        { "TwoParts.dll", Fixture("repfix_two") }, { "NoVersion.dll", none }, { "Longer.exe", equal + 'x' },
        { "Corrupt.exe", corrupt }, { "VeryLongProgramName_Editor.exe", equal }, { "WexLoad.exe", old },
        { "Comma.dll", Fixture("verfix_comma") }, { "Unlisted.dll", none }, { "x.exe_old", equal }, { "readme.txt", "x" },
    };
    for (const auto& f : files)
        WriteFileBytes(inst.apps + f.name, f.bytes);
    WriteFileBytes(inst.local + "AddOn\\Drawing.exe", newer);
    WriteFileBytes(inst.programs + "Viewer.exe", Fixture("repfix_badver"));

    std::string list = "Tur installation list\r\n\r\n" + Record("2.0.140", equal, "Equal.exe") +
        Record("2.0.140", old, "Older.dll") + Record("2.0.140", equal, "BadVer.exe") +
        // Tabs separate fields as well as spaces do.
        Pad("1\tW\t2.0.140\t" + std::to_string(newer.size()) + "\t" + Sum(newer), 52) + "Newer.dll\r\n" +
        Record("2.0.140", equal, "Prefix.exe") + Record("2.0.140", equal, "TwoParts.dll") +
        Record("1.0.0", none, "NoVersion.dll") + Record("2.0.140", equal, "Longer.exe") + Record("2.0.140", equal, "Corrupt.exe") +
        Record("2.0.140", equal, "VERYLONGPROGRAMNAME_EDITOR.EXE") + Record("2.1.0", Fixture("verfix_comma"), "Comma.dll") +
        // Over 313 characters: the rest is dropped, not taken as a record naming a missing file.
        "#" + std::string(312, '-') + Record("1.0", "", "Phantom.dll") +
        Record("1.0", "", "Missing.dll") + Record("1.0", "", "Missing.dll") +
        "7 W 1.0 0 0\r\n" + Record("1.0", "", "AfterShort.dll");
    WriteFileBytes(inst.apps + "FileList.txt", list);

    WriteFileBytes(inst.local + "WexAddOns.ini", "[Equal]\r\nEditorPath=<$appsdir>\\Equal.exe\r\n"
                   "[Drawing]\r\nEditorPath=<$LocalDir>\\AddOn\\Drawing.exe\r\n[Drawing again]\r\nEditorPath=<$LOCALDIR>\\AddOn\\Drawing.exe\r\n"
                   "[Viewer]\r\nEditorPath=<$ProgramsDir>\\TurVersTest\\Viewer.exe\r\n[Gone]\r\nEditorPath=C:\\nowhere\\Gone.exe\r\n"
                   "[No path]\r\nOther=1\r\n");
}

const char* const szPM = "KELM Project Manager Options - DO NOT EDIT";
const char* const szPF = "KELM Tur Project File - DO NOT EDIT";

// Library directories with library files and decoys, the options file's additional libraries,
// and an active project whose CPUs use their own directories or not.
void InstallLibraries(Installation& inst)
{
    std::string std_ = inst.libs + "Std\\", usr = inst.libs + "Usr";
    auto lin = [](const std::string& text) { return "[About]\r\n" + text; };
    WriteFileBytes(std_ + "Base.lin", lin("Name=Basic functions\r\nVersion=2.1.0, build 7\r\nAuthor=KELM\r\nDistributed=with the suite\r\n"));
    WriteFileBytes(std_ + "comma.lin", lin("Name=Comma lib\r\nVersion=2, 1, 0\r\n"));
    WriteFileBytes(std_ + "Empty.lin", lin(""));
    WriteFileBytes(std_ + "Old.lin_old", lin("Name=Old\r\nVersion=1\r\n"));
    WriteFileBytes(usr + "\\Extra.lin", lin("Name=Extras\r\nVersion=1.0\r\nAuthor=Ostrand\r\nDistributed=separately\r\n"));
    inst.stdLib.Set(std_);                     // with its backslash
    inst.appLib.Set(inst.libs + "App");        // no such directory
    inst.usrLib.Set(usr);
    WriteFileBytes(inst.local + "WexOptions.ini", "[" + std::string(szPM) + "]\r\nAdditionalLibs=4\r\nAddLib1=" + inst.libs +
                                                      "Std\r\nAddLib3=\r\nAddLib4=" + usr + "\r\n");
    std::string dir = inst.root + "Projects\\Plant7\\";
    WriteFileBytes(inst.project, "[" + std::string(szPF) + "]\r\nNumberOfCpus=4\r\n[Cpu1]\r\nPath=CpuA\r\n[Cpu2]\r\nPath=CpuB\r\n"
                                 "[Cpu3]\r\nPath=CpuC\r\n[Cpu4]\r\nPath=CpuD\r\n");
    WriteFileBytes(dir + "CpuA\\CpuA.qhw", "[Directories]\r\nUseDirectories=1\r\nStdLibDir=" + usr + "\r\nAppLibDir=" + inst.root +
                                               "LIBS\\USR\r\nFBDir=" + std_ + "\r\n");   // the same directory again
    WriteFileBytes(dir + "CpuB\\CpuB.qhw", "[Directories]\r\nUseDirectories=0\r\nStdLibDir=" + inst.libs + "Other\r\n");
    WriteFileBytes(dir + "CpuD\\CpuD.qhw", "[Directories]\r\nUseDirectories=1\r\nUsrLibDir=" + inst.libs + "App\r\n");
    inst.active.Set(inst.project);
}

std::string StdBlock(const std::string& heading)
{
    return heading + ":\r\nBase\t2.1.0\t\tBasic functions, with the suite, by KELM\r\ncomma\t2\t\tComma lib, , by \r\n"
                     "Empty\t\t\t, , by \r\n";
}
std::string UsrBlock(const std::string& heading) { return heading + ":\r\nExtra\t1.0\t\tExtras, separately, by Ostrand\r\n"; }
std::string NoLibs(const std::string& heading) { return heading + ":\r\n<< No libraries found >>\r\n"; }

std::string DefaultSection(const Installation& inst)
{
    return "DEFAULT LIBRARIES" + sep + StdBlock(inst.libs + "Std\\") + NoLibs(inst.libs + "App") +
           UsrBlock(inst.libs + "Usr") + StdBlock(inst.libs + "Std") + UsrBlock(inst.libs + "Usr") + "\r\n";
}

}  // namespace

TEST(VersionReport, EveryStatusAddOnsLibrariesAndProjectOverridesExactly)
{
    Installation inst;
    InstallPrograms(inst);
    InstallLibraries(inst);
    const std::string pm = "Project manager, by Kelm & Ostrand";
    std::string expected = "APPLICATIONS" + sep + inst.AppsNoSlash() + ":\r\n" +
        "BadVer.exe\t2.1.140\tBADVER\tSimulator, by KELM\r\n"
        "Comma.dll\t2.1.0.17\t\tKomma-Werkzeug\r\n"
        "Corrupt.exe\t2.0.140\tBADCS\t" + pm + "\r\n"
        "Drawing.exe\t2.0.141\t\tDrawing editor\r\n"
        "Equal.exe\t2.0.140\t\t" + pm + "\r\n"
        "Longer.exe\t2.0.140\tBADLEN\t" + pm + "\r\n"
        "Missing.dll\t\tMISSING\r\n"
        "Missing.dll\t\tMISSING\r\n"
        "Newer.dll\t2.0.141\tNEW\tDrawing editor\r\n"
        "NoVersion.dll\t\t\t\r\n"
        "Older.dll\t2.0.139\tOLD\tLadder editor, by KELM\r\n"
        "Prefix.exe\tB2.0.140\tNEW\tBeta tool, by KELM\r\n"
        "TwoParts.dll\t2.0\tBADVER\tOld tool, by KELM\r\n"
        "Unlisted.dll\t\t?\t\r\n"
        "VeryLongProgramName\t2.0.140\t\t" + pm + "\r\n"
        "Viewer.exe\t2.1.140\t\tSimulator, by KELM\r\n"
        "WexLoad.exe\tsee Wex\t\tFirmware loader, by KELM-Ostrand\r\n"
        "\r\n" + DefaultSection(inst) +
        "OVERRIDE LIBRARIES" + sep + "FOR PROJECT: Plant7\r\n" + UsrBlock(inst.libs + "Usr") +
        StdBlock(inst.libs + "Std\\") + NoLibs(inst.libs + "App") + ending;
    harness::MsgBoxCatcher boxes;
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(boxes.Count(), 0u);

    // A loaded library is open elsewhere; its checksum is still read.
    HMODULE hEqual = LoadLibraryExA((inst.apps + "Equal.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HANDLE hOpen = CreateFileA((inst.apps + "Older.dll").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(Report(), expected);
    CloseHandle(hOpen);
    FreeLibrary(hEqual);
}

// Without an installation list: the warning box, every status "?", no MISSING lines. Without a
// local directory neither the add-on list nor the options file is looked for where a bare name
// would be (the Windows directory, the current drive's root).
TEST(VersionReport, MissingFileListWarnsAndAnEmptyLocalDirectoryReadsNoOtherFiles)
{
    Installation inst;
    WriteFileBytes(inst.apps + "Tool.exe", Fixture("repfix_old"));
    inst.localDir.Unset();
    char szWinDir[MAX_PATH], szCurDir[MAX_PATH];
    GetWindowsDirectoryA(szWinDir, MAX_PATH);
    std::string strayAddOns = std::string(szWinDir) + "\\WexAddOns.ini", strayOptions = std::string(szWinDir).substr(0, 2) + "\\WexOptions.ini";
    WriteFileBytes(strayAddOns, "[Stray]\r\nEditorPath=" + std::string(szWinDir) + "\\notepad.exe\r\n");
    WriteFileBytes(strayOptions, "[" + std::string(szPM) + "]\r\nAdditionalLibs=1\r\nAddLib1=" + inst.libs + "\r\n");
    GetCurrentDirectoryA(MAX_PATH, szCurDir);
    SetCurrentDirectoryA(szWinDir);
    harness::MsgBoxCatcher boxes;
    std::string report = Report();
    SetCurrentDirectoryA(szCurDir);
    DeleteFileA(strayAddOns.c_str());
    DeleteFileA(strayOptions.c_str());
    EXPECT_EQ(report, "APPLICATIONS" + sep + inst.AppsNoSlash() + ":\r\nTool.exe\t2.0.139\t?\tLadder editor, by KELM\r\n\r\n"
                      "DEFAULT LIBRARIES" + sep + "\r\n" + ending);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "File 'FileList.txt' not found. The 'Status' of files will be unknown (?).");
    EXPECT_EQ(boxes.Last().caption, "Warning");
    EXPECT_EQ(boxes.Last().icon, (UINT)MB_ICONEXCLAMATION);
}

TEST(VersionReport, OverrideSectionOnlyWhenACpuUsesItsOwnDirectories)
{
    Installation inst;
    InstallLibraries(inst);
    WriteFileBytes(inst.apps + "FileList.txt", "");
    std::string dir = inst.root + "Projects\\Plant7\\";
    auto libraries = [&]() { std::string r = Report(); return r.substr(r.find("\r\nDEFAULT LIBRARIES") + 2); };

    // Absurd counts are cut: nothing hangs, and the entries that exist are still listed.
    WriteIni(inst.local + "WexOptions.ini", szPM, "AdditionalLibs", "2000000000");
    WriteIni(dir + "CpuA\\CpuA.qhw", "Directories", "UseDirectories", "0");
    WriteIni(dir + "CpuD\\CpuD.qhw", "Directories", "UseDirectories", "0");
    EXPECT_EQ(libraries(), DefaultSection(inst) + ending);

    // A CPU that uses its own directories but names none; one whose path cannot be a file name.
    WriteIni(dir + "CpuD\\CpuD.qhw", "Directories", "UseDirectories", "1");
    WriteIni(dir + "CpuD\\CpuD.qhw", "Directories", "UsrLibDir", "");
    WriteIni(inst.project, "Cpu2", "Path", std::string(300, 'p'));
    EXPECT_EQ(libraries(), DefaultSection(inst) + "OVERRIDE LIBRARIES" + sep + "FOR PROJECT: Plant7\r\n<< No libraries found >>\r\n" + ending);
    WriteIni(inst.project, szPF, "NumberOfCpus", "-1");
    EXPECT_EQ(libraries(), DefaultSection(inst) + ending);
}

std::string Rect(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," + std::to_string(rc.bottom);
}

// Opens the window and runs the scenario in it; the window's rectangle as "left,top,right,bottom"
// when the scenario ends.
std::string OpenWindow(std::function<void(HWND)> scenario)
{
    std::string shown;
    harness::DialogDriver driver({ [&](HWND hDlg) {
        scenario(hDlg);
        shown = Rect(hDlg);
        PostMessageA(hDlg, WM_COMMAND, IDOK, 0);   // after what the scenario posted
    } });
    DisplayTurVersionInformation();
    return shown;
}

// A control's rectangle in the dialog, moved by (dx, dy) and grown by (dcx, dcy), as text.
std::string Moved(HWND hDlg, int nID, int dx = 0, int dy = 0, int dcx = 0, int dcy = 0)
{
    RECT rc;
    GetWindowRect(GetDlgItem(hDlg, nID), &rc);
    MapWindowPoints(NULL, hDlg, (LPPOINT)&rc, 2);
    return std::to_string(rc.left + dx) + "," + std::to_string(rc.top + dy) + "," + std::to_string(rc.right + dx + dcx) + "," +
           std::to_string(rc.bottom + dy + dcy);
}

// Whole report beyond the edit control's default limit; controls anchored; the rectangle kept
// (not a maximised one), cut to the desktop, or ignored when nothing of it is on the desktop.
TEST(VersionInfoWindow, ShowsTheWholeReportResizesAndRemembersWhere)
{
    Installation inst;
    std::string list;
    for (int i = 1000; i < 2100; ++i)
        list += Record("1.0", "", "MissingProgram" + std::to_string(i) + ".dll");
    WriteFileBytes(inst.apps + "FileList.txt", list);
    suite::Entry pos(HKEY_CURRENT_USER, "Wex\\WindowPos", "VersInfoDlg");
    harness::Receiver viewer("MS_WINHELP");
    std::string expected = Report();
    ASSERT_GT(expected.size(), 32000u);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    int cxTemplate = 0;
    auto centred = [&](HWND hDlg) {
        RECT rc;
        GetWindowRect(hDlg, &rc);
        cxTemplate = rc.right - rc.left;
        EXPECT_EQ(rc.left, (desk.right - desk.left) / 2 - cxTemplate / 2);
    };

    std::string closed = OpenWindow([&](HWND hDlg) {
        HWND hReport = GetDlgItem(hDlg, 1001);
        std::string text(GetWindowTextLengthA(hReport) + 1, '\0');
        text.resize(GetWindowTextA(hReport, &text[0], (int)text.size()));
        EXPECT_EQ(text, expected);
        centred(hDlg);   // first opening
        RECT rc;
        GetWindowRect(hDlg, &rc);
        std::string edit = Moved(hDlg, 1001, 0, 0, 100, 60), ok = Moved(hDlg, IDOK, 100, 60), help = Moved(hDlg, ID_HELP, 0, 60),
                    heading = Moved(hDlg, 0xFFFF);
        SetWindowPos(hDlg, NULL, 30, 20, rc.right - rc.left + 100, rc.bottom - rc.top + 60, SWP_NOZORDER);
        EXPECT_EQ(Moved(hDlg, 1001) + " " + Moved(hDlg, IDOK) + " " + Moved(hDlg, ID_HELP) + " " + Moved(hDlg, 0xFFFF),
                  edit + " " + ok + " " + help + " " + heading);
        SetWindowPos(hDlg, NULL, 30, 20, 100, 100, SWP_NOZORDER);   // never smaller than the template
        GetWindowRect(hDlg, &rc);
        EXPECT_EQ(rc.right - rc.left, cxTemplate);
        SetWindowPos(hDlg, NULL, 30, 20, cxTemplate + 100, 500, SWP_NOZORDER);
        EXPECT_EQ(harness::HitTest(hDlg, -2, -2), (UINT)HTBOTTOMRIGHT);   // the size grip
        EXPECT_EQ(harness::HitTest(hDlg, -GetSystemMetrics(SM_CXVSCROLL) - 2, -2), (UINT)HTCLIENT);
        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, ID_HELP));
        EXPECT_TRUE(viewer.Received().empty());   // posted: it comes from the dialog's own loop
    });
    EXPECT_EQ(pos.Get(), closed);
    EXPECT_EQ(harness::HelpRequests(viewer.Received()), std::vector<std::string>{ inst.apps + "Wex.hlp|Version Information dialog box" });

    WriteFileBytes(inst.apps + "FileList.txt", "");
    OpenWindow([&](HWND hDlg) {
        EXPECT_EQ(Rect(hDlg), closed);
        ShowWindow(hDlg, SW_MAXIMIZE);
    });
    EXPECT_EQ(pos.Get(), closed);
    // (A rectangle smaller than the template would be widened again: the system keeps a sizable
    // window at its minimum tracking size, on Windows as under Wine.)
    pos.Set(std::to_string(desk.right - 900) + ",100," + std::to_string(desk.right + 300) + ",800");
    EXPECT_EQ(OpenWindow([](HWND) {}), std::to_string(desk.right - 900) + ",100," + std::to_string(desk.right) + ",800");
    for (std::string stored : { std::to_string(desk.right + 100) + ",100," + std::to_string(desk.right + 900) + ",600", std::string("10,20,300") }) {
        pos.Set(stored);
        OpenWindow(centred);
    }
}
