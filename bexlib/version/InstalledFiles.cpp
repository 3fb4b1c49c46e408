// The "APPLICATIONS" section of the version report.
#include "InstalledFiles.h"
#include "../verinfo/VersionInfo.h"
#include "../config/Registry.h"
#include "../files/RotXor.h"

#include <memory>
#include <new>
#include <string.h>

namespace {

const char szFileList[] = "FileList.txt";
// The reader takes this much of a line; the rest of a longer line is dropped, never read as a
// record of its own.
const int cchMaxRecord = 313;
// The file name of a record starts here; the five fields lie before it.
const int nNamePos = 52;
const int cchMaxName = 19;
// Large enough that the system calls cost little beside reading the bytes, small enough for the
// heap to keep for the next file.
const DWORD cbChecksumBlock = 0x10000;

const char* const s_pszStatus[] = { "", "OLD", "NEW", "BADLEN", "BADCS", "BADVER", "?" };

// Program files of the suite whose own version resource does not tell the truth about them.
// NULL leaves a column as the resource gave it.
struct TOOLROW {
    const char* pszName;
    const char* pszVersion;
    const char* pszDescription;
    const char* pszAuthor;
    BOOL bClearStatus;   // rebuilt at every installation, so no record can match it
};
const TOOLROW s_toolTable[] = {
    { "WexLoad.exe", "see Wex", "Firmware loader", "KELM-Ostrand", TRUE },
    { "TurComm.dll", "see Wex", "Controller communication driver", "KELM-Ostrand", TRUE },
    { "QhwView.exe", "see QhwEdit", "CPU file viewer", "KELM-Ostrand", FALSE },
    { "Unwise32.exe", "", "Uninstaller", "KELM-Ostrand Setup", TRUE },
    { "WexDbg.exe", NULL, NULL, "KELM-Ostrand Service", FALSE },
};

BOOL IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

BOOL IsSpaceOrTab(char ch)
{
    return ch == ' ' || ch == '\t';
}

CString WithoutTrailingBackslashes(CString str)
{
    str.TrimRight('\\');
    return str;
}

// A version text split as the installation list and the resources write it: a prefix before
// the first digit (its character codes summed), then up to three numbers separated by points.
struct VERSIONPARTS {
    unsigned int nPrefixSum;
    int nCount;
    unsigned int anNumber[3];
};

VERSIONPARTS SplitVersion(const CString& strVersion)
{
    VERSIONPARTS parts = { 0, 0, { 0, 0, 0 } };
    const char* p = strVersion;
    for (; *p != '\0' && !IsDigit(*p); ++p)
        parts.nPrefixSum += (unsigned char)*p;
    while (parts.nCount < 3 && IsDigit(*p)) {
        unsigned int n = 0;
        for (; IsDigit(*p); ++p)
            n = n * 10 + (unsigned int)(*p - '0');
        parts.anNumber[parts.nCount++] = n;
        if (*p != '.')
            break;
        ++p;
    }
    return parts;
}

int CompareVersions(const CString& strInstalled, const CString& strListed)
{
    VERSIONPARTS inst = SplitVersion(strInstalled);
    VERSIONPARTS rec = SplitVersion(strListed);
    if (inst.nCount != rec.nCount)
        return FLS_BADVER;
    if (inst.nCount >= 1 && inst.anNumber[0] != rec.anNumber[0])
        return FLS_BADVER;
    if (inst.nCount >= 2 && inst.anNumber[1] != rec.anNumber[1])
        return FLS_BADVER;
    if (inst.nCount == 3 && inst.anNumber[2] != rec.anNumber[2])
        return inst.anNumber[2] > rec.anNumber[2] ? FLS_NEW : FLS_OLD;
    if (inst.nPrefixSum != rec.nPrefixSum)
        return inst.nPrefixSum > rec.nPrefixSum ? FLS_NEW : FLS_OLD;
    return FLS_OK;
}

// Fields 3, 4 and 5 of a record; a field the record lacks stays empty.
void SplitRecordFields(const CString& strRecord, CString astrField[3])
{
    const char* p = strRecord;
    for (int nField = 1; nField <= 5; ++nField) {
        while (IsSpaceOrTab(*p))
            ++p;
        const char* pStart = p;
        while (*p != '\0' && !IsSpaceOrTab(*p))
            ++p;
        if (nField >= 3)
            astrField[nField - 3] = CString(pStart, (int)(p - pStart));
    }
}

CString FileNameOf(const CString& strPath)
{
    int nSlash = strPath.ReverseFind('\\');
    return nSlash >= 0 ? strPath.Mid(nSlash + 1) : strPath;
}

// The "ProgramFilesDir" value of the system, or "" when it is not a text value.
CString GetProgramsDir()
{
    char szValue[512 + 1];
    DWORD cbValue = 512, dwType = REG_NONE;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return CString();
    LONG lResult = RegQueryValueExA(hKey, "ProgramFilesDir", NULL, &dwType, (LPBYTE)szValue, &cbValue);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return CString();
    // The stored bytes need not end in a NUL.
    szValue[cbValue] = '\0';
    if (dwType == REG_SZ)
        return CString(szValue);
    char szExpanded[MAX_PATH];
    DWORD cch = ExpandEnvironmentStringsA(szValue, szExpanded, MAX_PATH);
    return cch > 0 && cch <= MAX_PATH ? CString(szExpanded) : CString();
}

CString GetDir(char* (BEXAPI *pfnGetDir)(char*))
{
    char szDir[MAX_PATH];
    return CString(pfnGetDir(szDir));
}

}  // namespace

BOOL IsFileWithExt(const WIN32_FIND_DATAA& fd, const char* pszExt)
{
    // Wine matches "*.exe" against short names too, so "x.exe_old" would come back for it.
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return FALSE;
    const char* pszDot = strrchr(fd.cFileName, '.');
    return pszDot != NULL && _stricmp(pszDot, pszExt) == 0;
}

BOOL LoadFileList(CStringArray& list, const CString& strDirectory)
{
    list.RemoveAll();
    HANDLE hFile = CreateFileA(strDirectory + szFileList, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL bOk = TRUE;
    CString strLine;
    BOOL bCut = FALSE;   // the rest of an over-long line is being skipped
    auto storeLine = [&]() {
        if (!strLine.IsEmpty() && IsDigit(strLine[0])) {
            strLine.TrimRight();
            list.Add(strLine);
        }
        strLine.Empty();
        bCut = FALSE;
    };
    char buf[4096];
    for (;;) {
        DWORD cbRead = 0;
        if (!ReadFile(hFile, buf, sizeof(buf), &cbRead, NULL)) {
            bOk = FALSE;
            break;
        }
        if (cbRead == 0)
            break;
        for (DWORD i = 0; i < cbRead; ++i) {
            if (buf[i] == '\n')
                storeLine();
            else if (!bCut && strLine.GetLength() < cchMaxRecord)
                strLine += buf[i];
            else
                bCut = TRUE;
        }
    }
    if (bOk)
        storeLine();
    CloseHandle(hFile);
    return bOk;
}

CString GetFileListEntryName(const CStringArray& list, INT_PTR nIndex)
{
    if (nIndex < 0 || nIndex >= list.GetSize() || list[nIndex].GetLength() <= nNamePos)
        return CString();
    return list[nIndex].Mid(nNamePos);
}

const CString* FindFileListEntry(const CStringArray& list, const CString& strName)
{
    // Compared in place: every file of the report looks through the whole list.
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (strName.CompareNoCase(list[i].GetLength() > nNamePos ? (LPCSTR)list[i] + nNamePos : "") == 0)
            return &list[i];
    return NULL;
}

BOOL FileChecksum(const CString& strPath, DWORD& dwChecksum)
{
    // A loaded library or a running tool is open for writing elsewhere; it must still be read.
    HANDLE hFile = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD dwSum = 0;
    std::unique_ptr<BYTE[]> pBlock(new (std::nothrow) BYTE[cbChecksumBlock]);
    DWORD cbRead = 0;
    BOOL bOk = pBlock != NULL;
    while (bOk && (bOk = ReadFile(hFile, pBlock.get(), cbChecksumBlock, &cbRead, NULL)) && cbRead > 0)
        dwSum = RotateXor(dwSum, pBlock.get(), cbRead);
    CloseHandle(hFile);
    if (bOk)
        dwChecksum = dwSum;
    return bOk;
}

// The status rules after the version resource has been read: pstrFileVersion is its
// "FileVersion" text, or NULL for a file without a version resource.
int GetFileListStatus(const CStringArray& list, const CString& strPath, const CString* pstrFileVersion)
{
    const CString* pRecord = FindFileListEntry(list, FileNameOf(strPath));
    if (pRecord == NULL)
        return FLS_UNKNOWN;
    CString astrField[3];
    SplitRecordFields(*pRecord, astrField);

    WIN32_FILE_ATTRIBUTE_DATA fad;
    if (!GetFileAttributesExA(strPath, GetFileExInfoStandard, &fad))
        return FLS_UNKNOWN;

    if (pstrFileVersion != NULL) {
        CString strInstalled = *pstrFileVersion;
        strInstalled.Remove(' ');
        strInstalled.Replace(',', '.');
        int nStatus = CompareVersions(strInstalled, astrField[0]);
        if (nStatus != FLS_OK)
            return nStatus;
    }

    ULONGLONG cbFile = ((ULONGLONG)fad.nFileSizeHigh << 32) | fad.nFileSizeLow;
    if (cbFile != _strtoui64(astrField[1], NULL, 10))
        return FLS_BADLEN;
    DWORD dwChecksum = 0;
    if (!FileChecksum(strPath, dwChecksum))
        return FLS_UNKNOWN;
    if (dwChecksum != strtoul(astrField[2], NULL, 16))
        return FLS_BADCS;
    return FLS_OK;
}

void FormatFileLine(const CStringArray* pList, const CString& strPath, CString& strLine)
{
    CString strFileVersion, strVersion, strDescription, strAuthor;
    CVersionInfo info;
    // Reading a version resource is the costliest step of a line (more than checksumming the
    // file), so the status takes the FileVersion read here instead of reading it again.
    BOOL bHasResource = info.Init(strPath);
    if (bHasResource) {
        // Asked in this order: a missing entry empties the ones after it.
        strFileVersion = info.StringFileInfo("FileVersion");
        strVersion = strFileVersion;
        strVersion.Trim();
        strVersion.Remove(' ');
        strVersion.Replace(',', '.');
        strDescription = info.StringFileInfo("FileDescription");
        strDescription.Trim();
        strAuthor = info.StringFileInfo("Author");
        strAuthor.Trim();
        strAuthor.Replace("&&", "&");
    }
    CString strName = FileNameOf(strPath);
    strName.Trim();
    CString strStatus;
    if (pList != NULL)
        strStatus = s_pszStatus[GetFileListStatus(*pList, strPath, bHasResource ? &strFileVersion : NULL)];

    for (const TOOLROW& row : s_toolTable) {
        if (strName.CompareNoCase(row.pszName) != 0)
            continue;
        if (row.pszVersion)
            strVersion = row.pszVersion;
        if (row.pszDescription)
            strDescription = row.pszDescription;
        if (row.pszAuthor)
            strAuthor = row.pszAuthor;
        if (row.bClearStatus)
            strStatus.Empty();
        break;
    }

    strLine = strName.Left(cchMaxName) + "\t" + strVersion + "\t" + strStatus + "\t" + strDescription;
    if (!strAuthor.IsEmpty())
        strLine += ", by " + strAuthor;
    strLine += "\r\n";
}

CString ExpandDirMacro(const CString& strPath)
{
    static const char* const s_pszMacro[] = { "<$ProgramsDir>", "<$AppsDir>", "<$LocalDir>" };
    for (int i = 0; i < 3; ++i) {
        int cchMacro = (int)strlen(s_pszMacro[i]);
        if (strPath.Left(cchMacro).CompareNoCase(s_pszMacro[i]) != 0)
            continue;
        CString strDir = i == 0 ? GetProgramsDir() : GetDir(i == 1 ? GetBexAppsDir : GetBexLocalDir);
        return WithoutTrailingBackslashes(strDir) + strPath.Mid(cchMacro);
    }
    return strPath;
}

int CompareLinesNoCase(const CString& a, const CString& b)
{
    return a.CompareNoCase(b);
}

void ReportInstalledFiles(CReportOutput& out)
{
    CString strAppsDir = GetDir(GetBexAppsDir);
    CStringArray list;
    if (!LoadFileList(list, strAppsDir))
        out.Warn("File 'FileList.txt' not found. The 'Status' of files will be unknown (?).");

    CSortableStringArray lines;
    CString strLine;
    for (const char* pszExt : { ".exe", ".dll" }) {
        WIN32_FIND_DATAA fd;
        HANDLE hFind = FindFirstFileA(strAppsDir + "*" + pszExt, &fd);
        if (hFind == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (IsFileWithExt(fd, pszExt)) {
                FormatFileLine(&list, strAppsDir + fd.cFileName, strLine);
                lines.Add(strLine);
            }
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }

    // Without a local directory the name alone would be looked up in the system directory.
    CString strLocalDir = GetDir(GetBexLocalDir);
    if (!strLocalDir.IsEmpty()) {
        CString strAddOns = strLocalDir + "WexAddOns.ini";
        char szSections[8192];
        DWORD cch = GetPrivateProfileSectionNamesA(szSections, sizeof(szSections), strAddOns);
        for (const char* pszSection = szSections; cch > 0 && *pszSection != '\0'; pszSection += strlen(pszSection) + 1) {
            char szEditor[MAX_PATH + 1];
            GetPrivateProfileStringA(pszSection, "EditorPath", "", szEditor, sizeof(szEditor), strAddOns);
            if (szEditor[0] == '\0')
                continue;
            CString strEditor = ExpandDirMacro(szEditor);
            WIN32_FIND_DATAA fd;
            HANDLE hFind = FindFirstFileA(strEditor, &fd);
            if (hFind == INVALID_HANDLE_VALUE)
                continue;
            FindClose(hFind);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            int nSlash = strEditor.ReverseFind('\\');
            FormatFileLine(NULL, strEditor.Left(nSlash + 1) + fd.cFileName, strLine);
            CString strKey = strLine.Left(strLine.Find('\t'));
            BOOL bListed = FALSE;
            for (INT_PTR i = 0; i < lines.GetSize() && !bListed; ++i)
                bListed = lines[i].Left(strKey.GetLength()).CompareNoCase(strKey) == 0;
            if (!bListed)
                lines.Add(strLine);
        }
    }

    // A record without a file name ends the installation list's part that names files.
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        CString strName = GetFileListEntryName(list, i);
        if (strName.IsEmpty())
            break;
        if (GetFileAttributesA(strAppsDir + strName) == INVALID_FILE_ATTRIBUTES) {
            strLine = strName.Left(cchMaxName) + "\t\tMISSING\r\n";
            lines.Add(strLine);
        }
    }

    out.AppendHeading("APPLICATIONS");
    out.AppendText(WithoutTrailingBackslashes(strAppsDir) + ":\r\n");
    lines.Sort(CompareLinesNoCase);
    for (INT_PTR i = 0; i < lines.GetSize(); ++i)
        out.AppendText(lines[i]);
    out.AppendText("\r\n");
}
