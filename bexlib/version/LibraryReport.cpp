// The library sections of the version report.
#include "LibraryReport.h"
#include "InstalledFiles.h"
#include "../config/kelmbex.h"

#include <stdio.h>
#include <string.h>

namespace {

// The library directory keys: value names under "Global" and entry names of a CPU file alike.
const char* const s_pszLibDirKey[] = { "StdLibDir", "AppLibDir", "UsrLibDir", "FBDir" };
const char szOptionsSection[] = "KELM Project Manager Options - DO NOT EDIT";
const char szProjectSection[] = "KELM Tur Project File - DO NOT EDIT";
const char szNoLibraries[] = "<< No libraries found >>\r\n";
// A count read from a file that someone may have edited: never negative, never absurd.
const int nMaxCount = 1000;

CString GetGlobal(const char* pszEntry)
{
    return GetBexProfileString(HKEY_LOCAL_MACHINE, "Global", pszEntry, "");
}

int GetCount(const char* pszSection, const char* pszEntry, const CString& strFile)
{
    int n = (int)GetPrivateProfileIntA(pszSection, pszEntry, 0, strFile);
    return n < 0 ? 0 : (n > nMaxCount ? nMaxCount : n);
}

CString GetEntry(const char* pszSection, const char* pszEntry, const CString& strFile, DWORD cchMax)
{
    CString str;
    GetPrivateProfileStringA(pszSection, pszEntry, "", str.GetBuffer((int)cchMax), cchMax + 1, strFile);
    str.ReleaseBuffer();
    return str;
}

BOOL FileExists(const CString& strPath)
{
    DWORD dwAttr = GetFileAttributesA(strPath);
    return dwAttr != INVALID_FILE_ATTRIBUTES && !(dwAttr & FILE_ATTRIBUTE_DIRECTORY);
}

CString FormatLibraryLine(const CString& strPath, const CString& strTitle)
{
    CString strName = GetEntry("About", "Name", strPath, 79);
    CString strVersion = GetEntry("About", "Version", strPath, 29);
    CString strAuthor = GetEntry("About", "Author", strPath, 79);
    CString strDistributed = GetEntry("About", "Distributed", strPath, 79);
    int nComma = strVersion.Find(',');
    if (nComma >= 0)
        strVersion = strVersion.Left(nComma);
    strVersion.Remove(' ');
    return strTitle + "\t" + strVersion + "\t\t" + strName + ", " + strDistributed + ", by " + strAuthor + "\r\n";
}

}  // namespace

void ListLibraryDir(CReportOutput& out, const CString& strDirectory)
{
    CString strDir = strDirectory;
    strDir.TrimRight('\\');
    CSortableStringArray lines;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(strDir + "\\*.lin", &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (!IsFileWithExt(fd, ".lin"))
                continue;
            const char* pszDot = strrchr(fd.cFileName, '.');
            lines.Add(FormatLibraryLine(strDir + "\\" + fd.cFileName, CString(fd.cFileName, (int)(pszDot - fd.cFileName))));
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    out.AppendText(strDirectory + ":\r\n");
    if (lines.IsEmpty()) {
        out.AppendText(szNoLibraries);
        return;
    }
    lines.Sort(CompareLinesNoCase);
    for (INT_PTR i = 0; i < lines.GetSize(); ++i)
        out.AppendText(lines[i]);
}

void ReportDefaultLibraries(CReportOutput& out)
{
    CStringArray dirs;
    for (const char* pszKey : s_pszLibDirKey)
        dirs.Add(GetGlobal(pszKey));
    // Without a local directory the options file would be looked for at the root of the drive.
    CString strLocalDir = GetGlobal("LocalDir");
    if (!strLocalDir.IsEmpty()) {
        CString strOptions = strLocalDir + "\\WexOptions.ini";
        int nLibs = GetCount(szOptionsSection, "AdditionalLibs", strOptions);
        for (int i = 1; i <= nLibs; ++i) {
            char szEntry[32];
            sprintf(szEntry, "AddLib%u", (unsigned)i);
            dirs.Add(GetEntry(szOptionsSection, szEntry, strOptions, 259));
        }
    }
    out.AppendHeading("DEFAULT LIBRARIES");
    for (INT_PTR i = 0; i < dirs.GetSize(); ++i)
        if (!dirs[i].IsEmpty())
            ListLibraryDir(out, dirs[i]);
    out.AppendText("\r\n");
}

void ReportOverrideLibraries(CReportOutput& out)
{
    CString strProject = GetBexProfileString(HKEY_CURRENT_USER, "Wex\\Active", "Project", "");
    int nSlash = strProject.ReverseFind('\\');
    if (strProject.IsEmpty() || !FileExists(strProject) || nSlash <= 0)
        return;
    CString strProjectDir = strProject.Left(nSlash);

    CStringArray dirs;
    BOOL bUsed = FALSE;
    int nCpus = GetCount(szProjectSection, "NumberOfCpus", strProject);
    for (int nCpu = 1; nCpu <= nCpus; ++nCpu) {
        char szSection[32];
        sprintf(szSection, "Cpu%u", (unsigned)nCpu);
        CString strCpu = GetEntry(szSection, "Path", strProject, 259);
        CString strCpuFile = strProjectDir + "\\" + strCpu + "\\" + strCpu + ".qhw";
        // A longer path would be cut by the profile calls and name another file.
        if (strCpuFile.GetLength() >= MAX_PATH || !FileExists(strCpuFile) ||
            GetPrivateProfileIntA("Directories", "UseDirectories", 0, strCpuFile) == 0)
            continue;
        bUsed = TRUE;
        for (const char* pszKey : s_pszLibDirKey) {
            CString strDir = GetEntry("Directories", pszKey, strCpuFile, 259);
            BOOL bKnown = strDir.IsEmpty();
            for (INT_PTR i = 0; i < dirs.GetSize() && !bKnown; ++i)
                bKnown = dirs[i].CompareNoCase(strDir) == 0;
            if (!bKnown)
                dirs.Add(strDir);
        }
    }
    if (!bUsed)
        return;

    out.AppendHeading("OVERRIDE LIBRARIES");
    CString strTitle = strProject.Mid(nSlash + 1);
    int nDot = strTitle.ReverseFind('.');
    if (nDot >= 0)
        strTitle = strTitle.Left(nDot);
    CString strLine;
    strLine.Format("FOR PROJECT: %s\r\n", (LPCSTR)strTitle);
    out.AppendText(strLine);
    if (dirs.IsEmpty())
        out.AppendText(szNoLibraries);
    for (INT_PTR i = 0; i < dirs.GetSize(); ++i)
        ListLibraryDir(out, dirs[i]);
}
