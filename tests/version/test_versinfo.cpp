// The version report over a temporary suite installation in the Wine prefix, and the version
// information window around it, driven from a timer that fires inside its modal loop.
#include "harness.h"
#include "suite.h"
#include "BexLib32.h"
#include <gtest/gtest.h>
#include <functional>
#include <ostream>
#include <string>

namespace {

using harness::ReadFileBytes;
using harness::WriteFileBytes;

const std::string sep = "\r\n------------------------------------------------------\r\n";
const std::string ending = "\r\n*** End of info ***\r\n";

class TextReport : public CReportOutput
{
public:
    std::string text;
    void AppendText(const char* pszText) override { text += pszText; }
};

std::string Report()
{
    TextReport out;
    WriteTurVersionReport(out);
    return out.text;
}

// The file checksum worked out here, byte by byte, as the installation list's maker would.
DWORD RotXor(const std::string& bytes)
{
    DWORD dw = 0;
    for (unsigned char b : bytes)
        dw = ((dw ^ b) << 1) | ((dw ^ b) >> 31);
    return dw;
}

std::string Pad(const std::string& s, size_t n)
{
    return s + std::string(n > s.size() ? n - s.size() : 1, ' ');
}

std::string Sum(const std::string& bytes)
{
    char sz[16];
    sprintf(sz, "%lx", (unsigned long)RotXor(bytes));
    return sz;
}

// A record of "FileList.txt": five fields before column 52, the file name from there.
std::string Record(const std::string& version, const std::string& bytes, const std::string& name)
{
    std::string r = Pad("1", 6) + Pad("W", 6) + Pad(version, 14) + Pad(std::to_string(bytes.size()), 12) + Sum(bytes);
    return Pad(r, 52) + name + "  \r\n";
}

std::string Fixture(const char* pszName)
{
    return ReadFileBytes(harness::ModuleDir() + pszName + ".dll");
}

void WriteIni(const std::string& path, const char* pszSection, const char* pszEntry, const std::string& value)
{
    WritePrivateProfileStringA(pszSection, pszEntry, value.c_str(), path.c_str());
}

// A per-user value of the suite branch, removed again when the object dies.
struct UserEntry {
    std::string section, entry;
    UserEntry(const char* pszSection, const char* pszEntry) : section(pszSection), entry(pszEntry) { Unset(); }
    ~UserEntry() { Unset(); }
    void Set(const std::string& text) { suite::Store(HKEY_CURRENT_USER, suite::Section(section), entry.c_str(), REG_SZ, text + '\0'); }
    std::string Get() { std::string s = suite::Query(HKEY_CURRENT_USER, suite::Section(section), entry.c_str()); return s.substr(0, s.find('\0')); }
    void Unset() { RegDeleteKeyValueA(HKEY_CURRENT_USER, suite::Section(section).c_str(), entry.c_str()); }
};

// The sample installation: program files, add-ons, library directories and a project.
struct Installation {
    std::string root = harness::TempDir();
    std::string apps = root + "Apps\\", local = root + "Local\\", libs = root + "Libs\\";
    std::string project = root + "Projects\\Plant7\\Plant7.wpj";
    std::string programs;   // a folder below the system's program files directory
    suite::GlobalEntry appsDir{ "AppsDir" }, localDir{ "LocalDir" }, stdLib{ "StdLibDir" }, appLib{ "AppLibDir" },
        usrLib{ "UsrLibDir" }, fbDir{ "FBDir" };
    UserEntry active{ "Wex\\Active", "Project" };

    Installation()
    {
        for (const char* psz : { "Apps", "Apps\\d.dll", "Local", "Local\\AddOn", "Libs", "Libs\\Std", "Libs\\Std\\Sub.lin",
                                 "Libs\\Usr", "Projects", "Projects\\Plant7", "Projects\\Plant7\\CpuA",
                                 "Projects\\Plant7\\CpuB", "Projects\\Plant7\\CpuD" })
            CreateDirectoryA((root + psz).c_str(), NULL);
        appsDir.Set(apps);
        localDir.Set(root + "Local");   // stored without its backslash, as an installer may
        programs = suite::Query(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
        programs = programs.substr(0, programs.find('\0')) + "\\TurVersTest\\";
        CreateDirectoryA(programs.c_str(), NULL);
    }
    ~Installation()
    {
        harness::RemoveTree(root);
        harness::RemoveTree(programs);
    }
    std::string AppsNoSlash() const { return apps.substr(0, apps.size() - 1); }
};

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

    std::string addOns = inst.local + "WexAddOns.ini";
    WriteIni(addOns, "Equal", "EditorPath", "<$appsdir>\\Equal.exe");
    WriteIni(addOns, "Drawing", "EditorPath", "<$LocalDir>\\AddOn\\Drawing.exe");
    WriteIni(addOns, "Drawing again", "EditorPath", "<$LOCALDIR>\\AddOn\\Drawing.exe");
    WriteIni(addOns, "Viewer", "EditorPath", "<$ProgramsDir>\\TurVersTest\\Viewer.exe");
    WriteIni(addOns, "Gone", "EditorPath", "C:\\nowhere\\Gone.exe");
    WriteIni(addOns, "No path", "Other", "1");
}

const char* const szPM = "KELM Project Manager Options - DO NOT EDIT";
const char* const szPF = "KELM Tur Project File - DO NOT EDIT";

void WriteLin(const std::string& path, const char* pszName, const char* pszVersion, const char* pszAuthor, const char* pszDist)
{
    WriteFileBytes(path, "[About]\r\n");
    if (pszName) {
        WriteIni(path, "About", "Name", pszName);
        WriteIni(path, "About", "Version", pszVersion);
        WriteIni(path, "About", "Author", pszAuthor);
        WriteIni(path, "About", "Distributed", pszDist);
    }
}

void InstallLibraries(Installation& inst)
{
    std::string std_ = inst.libs + "Std\\", usr = inst.libs + "Usr";
    WriteLin(std_ + "Base.lin", "Basic functions", "2.1.0, build 7", "KELM", "with the suite");
    WriteLin(std_ + "comma.lin", "Comma lib", "2, 1, 0", "", "");
    WriteLin(std_ + "Empty.lin", NULL, NULL, NULL, NULL);
    WriteLin(std_ + "Old.lin_old", "Old", "1", "", "");
    WriteLin(usr + "\\Extra.lin", "Extras", "1.0", "Ostrand", "separately");
    inst.stdLib.Set(std_);                     // with its backslash
    inst.appLib.Set(inst.libs + "App");        // no such directory
    inst.usrLib.Set(usr);
    std::string options = inst.local + "WexOptions.ini";
    WriteIni(options, szPM, "AdditionalLibs", "4");
    WriteIni(options, szPM, "AddLib1", inst.libs + "Std");
    WriteIni(options, szPM, "AddLib3", "");
    WriteIni(options, szPM, "AddLib4", usr);

    std::string dir = inst.root + "Projects\\Plant7\\";
    WriteIni(inst.project, szPF, "NumberOfCpus", "4");
    const char* const cpus[] = { "CpuA", "CpuB", "CpuC", "CpuD" };
    for (int i = 0; i < 4; ++i)
        WriteIni(inst.project, ("Cpu" + std::to_string(i + 1)).c_str(), "Path", cpus[i]);
    std::string a = dir + "CpuA\\CpuA.qhw", b = dir + "CpuB\\CpuB.qhw", d = dir + "CpuD\\CpuD.qhw";
    WriteIni(a, "Directories", "UseDirectories", "1");
    WriteIni(a, "Directories", "StdLibDir", usr);
    WriteIni(a, "Directories", "AppLibDir", inst.root + "LIBS\\USR");   // the same directory again
    WriteIni(a, "Directories", "FBDir", std_);
    WriteIni(b, "Directories", "UseDirectories", "0");
    WriteIni(b, "Directories", "StdLibDir", inst.libs + "Other");
    WriteIni(d, "Directories", "UseDirectories", "1");
    WriteIni(d, "Directories", "UsrLibDir", inst.libs + "App");
    inst.active.Set(inst.project);
}

std::string StdBlock(const std::string& heading)
{
    return heading + ":\r\nBase\t2.1.0\t\tBasic functions, with the suite, by KELM\r\ncomma\t2\t\tComma lib, , by \r\n"
                     "Empty\t\t\t, , by \r\n";
}

std::string UsrBlock(const std::string& heading)
{
    return heading + ":\r\nExtra\t1.0\t\tExtras, separately, by Ostrand\r\n";
}

std::string NoLibs(const std::string& heading)
{
    return heading + ":\r\n<< No libraries found >>\r\n";
}

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
// local directory neither the add-on list nor the options file is looked for elsewhere.
TEST(VersionReport, MissingFileListWarnsAndAnEmptyLocalDirectoryReadsNoOtherFiles)
{
    Installation inst;
    WriteFileBytes(inst.apps + "Tool.exe", Fixture("repfix_old"));
    WriteFileBytes(inst.apps + "Lib.dll", Fixture("verfix_none"));
    inst.localDir.Unset();
    char szWinDir[MAX_PATH];
    GetWindowsDirectoryA(szWinDir, MAX_PATH);
    std::string strayAddOns = std::string(szWinDir) + "\\WexAddOns.ini", strayOptions = std::string(szWinDir).substr(0, 2) + "\\WexOptions.ini";
    WriteIni(strayAddOns, "Stray", "EditorPath", inst.apps + "Tool.exe");
    WriteIni(strayAddOns, "Stray2", "EditorPath", std::string(szWinDir) + "\\notepad.exe");
    WriteIni(strayOptions, szPM, "AdditionalLibs", "1");
    WriteIni(strayOptions, szPM, "AddLib1", inst.libs);

    // Where a bare name would be looked for: the Windows directory, the current drive's root.
    char szCurDir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCurDir);
    SetCurrentDirectoryA(szWinDir);
    harness::MsgBoxCatcher boxes;
    std::string report = Report();
    SetCurrentDirectoryA(szCurDir);
    DeleteFileA(strayAddOns.c_str());
    DeleteFileA(strayOptions.c_str());
    EXPECT_EQ(report, "APPLICATIONS" + sep + inst.AppsNoSlash() + ":\r\nLib.dll\t\t?\t\r\n"
                      "Tool.exe\t2.0.139\t?\tLadder editor, by KELM\r\n\r\nDEFAULT LIBRARIES" + sep + "\r\n" + ending);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, "File 'FileList.txt' not found. The 'Status' of files will be unknown (?).");
    EXPECT_EQ(boxes.Last().caption, "Warning");
    EXPECT_EQ(boxes.Last().type, (UINT)MB_OK);
    EXPECT_EQ(boxes.Last().icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes.Last().owner, (HWND)NULL);
}

TEST(VersionReport, OverrideSectionOnlyWhenACpuUsesItsOwnDirectories)
{
    Installation inst;
    InstallLibraries(inst);
    WriteFileBytes(inst.apps + "FileList.txt", "");
    std::string dir = inst.root + "Projects\\Plant7\\";
    std::string tail = "\r\nDEFAULT LIBRARIES" + sep;
    auto libraries = [&]() { std::string r = Report(); return r.substr(r.find(tail) + 2); };

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

    for (const char* pszCount : { "-1", "0" }) {
        WriteIni(inst.project, szPF, "NumberOfCpus", pszCount);
        EXPECT_EQ(libraries(), DefaultSection(inst) + ending) << pszCount;
    }
    WriteIni(inst.project, szPF, "NumberOfCpus", "4");
    inst.active.Set("Plant7.wpj");   // no directory
    EXPECT_EQ(libraries(), DefaultSection(inst) + ending);
    inst.active.Unset();
    inst.appLib.Unset();
    inst.usrLib.Unset();
    WriteIni(inst.local + "WexOptions.ini", szPM, "AdditionalLibs", "-3");
    EXPECT_EQ(libraries(), "DEFAULT LIBRARIES" + sep + StdBlock(inst.libs + "Std\\") + "\r\n" + ending);
}

// ---------------------------------------------------------------------------------------------
// The window. A thread timer fires inside the dialog's modal loop, finds the dialog and hands it
// to the test's scenario, which closes it in the end.

namespace {

std::function<void(HWND)> g_scenario;

void CALLBACK Watch(HWND, UINT, UINT_PTR idTimer, DWORD)
{
    HWND hDlg = FindWindowA("#32770", "Version Information");
    if (hDlg == NULL || GetWindowThreadProcessId(hDlg, NULL) != GetCurrentThreadId())
        return;
    KillTimer(NULL, idTimer);
    g_scenario(hDlg);
    PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
}

void OpenWindow(std::function<void(HWND)> scenario)
{
    g_scenario = scenario;
    SetTimer(NULL, 0, 50, Watch);
    DisplayTurVersionInformation();
}

CRect ChildRect(HWND hDlg, int nID)
{
    CRect rc;
    HWND h = GetDlgItem(hDlg, nID);
    GetWindowRect(h, &rc);
    MapWindowPoints(NULL, hDlg, (LPPOINT)&rc, 2);
    return rc;
}

CRect WindowRect(HWND hWnd)
{
    CRect rc;
    GetWindowRect(hWnd, &rc);
    return rc;
}

}  // namespace

// Rectangles print as their four numbers.
void PrintTo(const CRect& rc, std::ostream* os)
{
    *os << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
}

namespace {

std::string Text(HWND hWnd)
{
    std::string s(GetWindowTextLengthA(hWnd) + 1, '\0');
    s.resize(GetWindowTextA(hWnd, &s[0], (int)s.size()));
    return s;
}

CRect Centred(const CRect& rc)
{
    CRect desk = WindowRect(GetDesktopWindow());
    int x = (desk.left + desk.right) / 2 - rc.Width() / 2, y = (desk.top + desk.bottom) / 2 - rc.Height() / 2;
    return CRect(x, y, x + rc.Width(), y + rc.Height());
}

}  // namespace

TEST(VersionInfoWindow, ShowsTheWholeReportResizesWithItsGripAndOpensHelp)
{
    Installation inst;
    // Enough missing files for a report beyond the edit control's default limit.
    std::string list;
    for (int i = 1000; i < 2100; ++i)
        list += Record("1.0", "", "MissingProgram" + std::to_string(i) + ".dll");
    WriteFileBytes(inst.apps + "FileList.txt", list);
    UserEntry pos("Wex\\WindowPos", "VersInfoDlg");
    harness::Receiver viewer("MS_WINHELP");
    std::string expected = Report();
    ASSERT_GT(expected.size(), 32000u);

    CRect rcOpened, rcClosed;
    OpenWindow([&](HWND hDlg) {
        HWND hReport = GetDlgItem(hDlg, 1001);
        EXPECT_EQ(GetFocus(), hReport);
        EXPECT_EQ(Text(hReport), expected);
        EXPECT_NE(SendMessageA(hDlg, WM_GETICON, ICON_SMALL, 0), 0);
        EXPECT_TRUE(GetMenuState(GetSystemMenu(hDlg, FALSE), SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED);
        rcOpened = WindowRect(hDlg);
        EXPECT_EQ(rcOpened, Centred(rcOpened));   // first opening: nothing stored

        CRect edit = ChildRect(hDlg, 1001), ok = ChildRect(hDlg, IDOK), help = ChildRect(hDlg, ID_HELP);
        CRect heading = ChildRect(hDlg, 0xFFFF);
        EXPECT_EQ(Text(GetDlgItem(hDlg, 0xFFFF)), "Name" + std::string(31, ' ') + "Version" + std::string(12, ' ') + "Status" + std::string(9, ' ') + "Description");
        SetWindowPos(hDlg, NULL, 30, 20, rcOpened.Width() + 100, rcOpened.Height() + 60, SWP_NOZORDER);
        EXPECT_EQ(ChildRect(hDlg, 1001), CRect(edit.left, edit.top, edit.right + 100, edit.bottom + 60));
        EXPECT_EQ(ChildRect(hDlg, IDOK), CRect(ok.left + 100, ok.top + 60, ok.right + 100, ok.bottom + 60));
        EXPECT_EQ(ChildRect(hDlg, ID_HELP), CRect(help.left, help.top + 60, help.right, help.bottom + 60));
        EXPECT_EQ(ChildRect(hDlg, 0xFFFF), heading);

        MINMAXINFO mmi = {};
        SendMessageA(hDlg, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
        EXPECT_EQ(mmi.ptMinTrackSize.x, rcOpened.Width());
        EXPECT_EQ(mmi.ptMinTrackSize.y, rcOpened.Height());

        // The grip is the client area's bottom right corner, once painted.
        UpdateWindow(hDlg);
        CRect client;
        GetClientRect(hDlg, &client);
        POINT inGrip = { client.right - 2, client.bottom - 2 }, beside = { client.right - 2 - GetSystemMetrics(SM_CXVSCROLL), client.bottom - 2 };
        ClientToScreen(hDlg, &inGrip);
        ClientToScreen(hDlg, &beside);
        EXPECT_EQ(SendMessageA(hDlg, WM_NCHITTEST, 0, MAKELPARAM(inGrip.x, inGrip.y)), HTBOTTOMRIGHT);
        EXPECT_EQ(SendMessageA(hDlg, WM_NCHITTEST, 0, MAKELPARAM(beside.x, beside.y)), HTCLIENT);

        // A minimised window coming back has its controls where they were.
        ShowWindow(hDlg, SW_MINIMIZE);
        ShowWindow(hDlg, SW_RESTORE);
        EXPECT_EQ(ChildRect(hDlg, IDOK), CRect(ok.left + 100, ok.top + 60, ok.right + 100, ok.bottom + 60));

        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), (LPARAM)GetDlgItem(hDlg, ID_HELP));
        EXPECT_TRUE(viewer.Received().empty());   // posted: it comes from the dialog's own loop
        rcClosed = WindowRect(hDlg);
    });
    EXPECT_EQ(pos.Get(), std::to_string(rcClosed.left) + "," + std::to_string(rcClosed.top) + "," +
                         std::to_string(rcClosed.right) + "," + std::to_string(rcClosed.bottom));
    EXPECT_EQ(rcClosed, CRect(30, 20, 30 + rcOpened.Width() + 100, 20 + rcOpened.Height() + 60));

    std::vector<harness::CopyData> help = viewer.Received();
    ASSERT_EQ(help.size(), 1u);
    const std::string& b = help[0].bytes;
    ASSERT_GE(b.size(), 16u);
    EXPECT_EQ(*(const WORD*)&b[2], HELP_KEY);
    EXPECT_EQ(std::string(&b[*(const WORD*)&b[12]]) + "|" + &b[*(const WORD*)&b[14]], inst.apps + "Wex.hlp|Version Information dialog box");

    // The next opening comes back where the last one was closed.
    WriteFileBytes(inst.apps + "FileList.txt", "");
    OpenWindow([&](HWND hDlg) { EXPECT_EQ(WindowRect(hDlg), rcClosed); });
}

TEST(VersionInfoWindow, StoredRectangleIsCutToTheDesktopAndAMaximisedCloseKeepsIt)
{
    Installation inst;
    WriteFileBytes(inst.apps + "FileList.txt", "");
    UserEntry pos("Wex\\WindowPos", "VersInfoDlg");
    CRect desk = WindowRect(GetDesktopWindow());

    // (A rectangle smaller than the template would be widened again: the system keeps a sizable
    // window at its minimum tracking size, on Windows as under Wine.)
    pos.Set(std::to_string(desk.right - 900) + ",100," + std::to_string(desk.right + 300) + ",800");
    OpenWindow([&](HWND hDlg) { EXPECT_EQ(WindowRect(hDlg), CRect(desk.right - 900, 100, desk.right, 800)); });

    // Nothing of it on the desktop, or not four numbers: centred.
    for (std::string stored : { std::to_string(desk.right + 100) + ",100," + std::to_string(desk.right + 900) + ",600", std::string("10,20,300") }) {
        pos.Set(stored);
        CRect shown;
        OpenWindow([&](HWND hDlg) { shown = WindowRect(hDlg); });
        EXPECT_EQ(shown, Centred(shown)) << stored;
        EXPECT_GT(shown.Width(), 100) << stored;
    }

    for (int nShow : { SW_MAXIMIZE, SW_MINIMIZE }) {
        pos.Set("40,50,940,650");
        OpenWindow([&](HWND hDlg) {
            EXPECT_EQ(WindowRect(hDlg), CRect(40, 50, 940, 650));
            ShowWindow(hDlg, nShow);
            EXPECT_NE(WindowRect(hDlg), CRect(40, 50, 940, 650));
        });
        EXPECT_EQ(pos.Get(), "40,50,940,650") << nShow;
    }
}
