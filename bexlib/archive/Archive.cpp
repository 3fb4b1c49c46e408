// The archive wrappers: fill a command block, call the outside library's entry point, free it.
#include "Archive.h"
#include "ZipBlocks.h"

#include <string.h>

namespace {

// Counts above this are not an archive's but a damaged block's, and would size the caller's
// array from garbage.
const DWORD MAX_LIST_ENTRIES = 65535;

// One outside library, loaded for the length of one call and freed when this goes out of scope.
class CArchiveLibrary
{
public:
    // Without bQuiet, a library or entry point that cannot be found is reported under lpszCaption.
    CArchiveLibrary(LPCSTR lpszLibrary, LPCSTR lpszEntry, LPCSTR lpszCaption, int bQuiet)
        : m_hLib(LoadLibraryA(lpszLibrary)), m_pfnEntry(NULL)
    {
        if (m_hLib)
            m_pfnEntry = GetProcAddress(m_hLib, lpszEntry);
        if (m_pfnEntry == NULL) {
            Free();
            if (!bQuiet) {
                CString strText;
                strText.Format("Failed to load library %s", lpszLibrary);
                MessageBoxA(NULL, strText, lpszCaption, MB_ICONHAND);
            }
        }
    }
    ~CArchiveLibrary() { Free(); }

    FARPROC Entry() const { return m_pfnEntry; }

private:
    void Free()
    {
        if (m_hLib)
            FreeLibrary(m_hLib);
        m_hLib = NULL;
    }

    CArchiveLibrary(const CArchiveLibrary&) = delete;
    CArchiveLibrary& operator=(const CArchiveLibrary&) = delete;

    HMODULE m_hLib;
    FARPROC m_pfnEntry;
};

CString Quoted(LPCSTR lpsz)
{
    CString str;
    str.Format("\"%s\"", lpsz ? lpsz : "");
    return str;
}

}  // namespace

int BEXAPI Zip(LPCSTR lpszFiles, LPCSTR lpszZipFile, int nArg3, int nArg4, int bQuiet)
{
    // A new archive always replaces the old one, even when packing fails: callers rely on never
    // finding a stale archive that looks like the result of this call.
    if (lpszZipFile)
        DeleteFileA(lpszZipFile);

    CArchiveLibrary lib("DZIP32.dll", "dzip", "Zip", bQuiet);
    if (lib.Entry() == NULL)
        return 0;

    CString strZipFile(lpszZipFile);
    CString strItems = (lpszFiles && lpszFiles[0] == '"') ? CString(lpszFiles) : Quoted(lpszFiles);
    DZIPCMD cmd;
    ZeroMemory(&cmd, sizeof(cmd));
    cmd.cbSize = sizeof(cmd);
    cmd.dwCommand = DZIP_CMD_ZIP;
    cmd.lpszZipFile = strZipFile;
    cmd.lpszItems = strItems;
    cmd.bRecurse = nArg4;
    cmd.dwLevel = 9;
    cmd.bQuiet = bQuiet;
    cmd.bJunkPaths = nArg3 == 0;
    return ((DZIPPROC)lib.Entry())(&cmd) == 0 ? 1 : 0;
}

int BEXAPI Unzip(LPCSTR lpszZipFile, LPCSTR lpszDestDir, int bQuiet)
{
    CArchiveLibrary lib("DUNZIP32.dll", "dunzip", "Unzip", bQuiet);
    if (lib.Entry() == NULL)
        return 0;

    CString strZipFile = Quoted(lpszZipFile);
    CString strDestDir = Quoted(lpszDestDir);
    DUNZIPCMD cmd;
    ZeroMemory(&cmd, sizeof(cmd));
    cmd.cbSize = sizeof(cmd);
    cmd.dwCommand = DUNZIP_CMD_EXTRACT;
    cmd.lpszZipFile = strZipFile;
    cmd.lpszFileSpec = "*.*";
    cmd.lpszDestDir = strDestDir;
    cmd.bOverwrite = 1;
    cmd.bQuiet = bQuiet;
    cmd.bUsePaths = 1;
    return ((DUNZIPPROC)lib.Entry())(&cmd) == 0 ? 1 : 0;
}

int BEXAPI ZipGetFileList(LPCSTR lpszZipFile, CStringArray& arrFiles, int bQuiet)
{
    arrFiles.RemoveAll();
    CArchiveLibrary lib("DUNZIP32.dll", "dunzip", "Unzip", bQuiet);
    if (lib.Entry() == NULL)
        return 0;
    DUNZIPPROC pfnDunzip = (DUNZIPPROC)lib.Entry();

    CString strZipFile = Quoted(lpszZipFile);
    DUNZIPCMD cmd;
    ZeroMemory(&cmd, sizeof(cmd));
    cmd.cbSize = sizeof(cmd);
    cmd.dwCommand = DUNZIP_CMD_OPEN;
    cmd.lpszZipFile = strZipFile;
    cmd.lpszFileSpec = "*.*";
    cmd.bQuiet = bQuiet;
    cmd.bUsePaths = 1;
    if (pfnDunzip(&cmd) != 0)
        return 0;

    DWORD dwCount = cmd.dwEntries;
    if (dwCount > MAX_LIST_ENTRIES)
        return 0;
    arrFiles.SetSize(dwCount);

    DUNZIPENTRY entry;
    ZeroMemory(&entry, sizeof(entry));
    cmd.dwCommand = DUNZIP_CMD_NEXT;
    cmd.lpEntry = &entry;
    for (DWORD i = 0; i < dwCount; ++i) {
        if (pfnDunzip(&cmd) != 0)
            return 0;
        // The record is the library's to fill: read the name within it, however it ends.
        CString strName(entry.szName, (int)strnlen(entry.szName, DUNZIP_NAME_MAX));
        strName.Replace('/', '\\');
        arrFiles.SetAt(i, strName);
    }
    return 1;
}
