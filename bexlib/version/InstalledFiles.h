// The "APPLICATIONS" section of the version report: every program file of the applications
// directory and every add-on editor, checked against the delivered installation list
// "FileList.txt", and every listed file that is missing. Library-internal.
#pragma once

#include "ReportOutput.h"
#include "../common/SortableStringArray.h"

// The statuses of an installed file against its record of the installation list.
enum {
    FLS_OK = 0, FLS_OLD = 1, FLS_NEW = 2, FLS_BADLEN = 3, FLS_BADCS = 4, FLS_BADVER = 5, FLS_UNKNOWN = 6
};

// Reads the records (lines that begin with a digit) of directory + "FileList.txt"; FALSE when
// the file cannot be opened or a read fails, keeping the records read until then.
BOOL LoadFileList(CStringArray& list, const CString& strDirectory);
// The first record naming strName (without regard to case), or NULL.
const CString* FindFileListEntry(const CStringArray& list, const CString& strName);
// The file name of record nIndex; "" for a short record or past the end of the list.
CString GetFileListEntryName(const CStringArray& list, INT_PTR nIndex);
// The rotate-XOR checksum of the whole file; FALSE when it cannot be read.
BOOL FileChecksum(const CString& strPath, DWORD& dwChecksum);
// One of the FLS_ statuses for the file at strPath, whose "FileVersion" text has been read
// (NULL: the file has no version resource).
int GetFileListStatus(const CStringArray& list, const CString& strPath, const CString* pstrFileVersion);
// The report line of a file found at strPath; pList NULL leaves the status column empty.
void FormatFileLine(const CStringArray* pList, const CString& strPath, CString& strLine);
// A path that begins with "<$ProgramsDir>", "<$AppsDir>" or "<$LocalDir>" with the directory put in.
CString ExpandDirMacro(const CString& strPath);
// Whether a file found by a directory search is a plain file whose extension is exactly pszExt
// (".exe"); the search's own pattern also brings directories and longer extensions.
BOOL IsFileWithExt(const WIN32_FIND_DATAA& fd, const char* pszExt);
// Case-insensitive comparison of two whole lines, for CSortableStringArray::Sort.
int CompareLinesNoCase(const CString& a, const CString& b);

void ReportInstalledFiles(CReportOutput& out);
