// The application's own profile, and the suite directories.
#include "Registry.h"
#include "kelmbex.h"
#include "../frame/kelmdbg.h"

#include <string.h>

namespace {

// The application object that holds the profile; a tool without one has no profile to use.
CWinApp* ProfileApp()
{
    CWinApp* pApp = AfxGetApp();
    KELM_ASSERT(pApp != NULL);
    return pApp;
}

char* GetBexDir(const char* lpszEntry, char* buffer)
{
    CString strDir = GetBexProfileString(HKEY_LOCAL_MACHINE, "Global", lpszEntry, "");
    strDir.TrimRight('\\');
    // The directory, its backslash and the NUL must fit the caller's MAX_PATH characters.
    if (strDir.GetLength() + 2 > MAX_PATH)
        strDir.Empty();
    strcpy(buffer, strDir);
    if (!strDir.IsEmpty())
        strcat(buffer, "\\");
    return buffer;
}

}  // namespace

CRegistry::CRegistry() = default;
CRegistry::CRegistry(const CRegistry&) = default;
CRegistry& CRegistry::operator=(const CRegistry&) = default;
CRegistry::~CRegistry() = default;

int CRegistry::WriteString(const char* section, const char* entry, const char* value)
{
    CWinApp* pApp = ProfileApp();
    return pApp ? pApp->WriteProfileString(section, entry, value) : FALSE;
}

int CRegistry::WriteInt(const char* section, const char* entry, int value)
{
    CWinApp* pApp = ProfileApp();
    return pApp ? pApp->WriteProfileInt(section, entry, value) : FALSE;
}

CString CRegistry::GetString(const char* section, const char* entry, const char* lpszDefault)
{
    CWinApp* pApp = ProfileApp();
    return pApp ? pApp->GetProfileString(section, entry, lpszDefault) : CString(lpszDefault);
}

unsigned int CRegistry::GetInt(const char* section, const char* entry, int nDefault)
{
    CWinApp* pApp = ProfileApp();
    return pApp ? pApp->GetProfileInt(section, entry, nDefault) : (unsigned int)nDefault;
}

int CRegistry::RemoveEntry(const char* section, const char* entry)
{
    CWinApp* pApp = ProfileApp();
    return pApp ? pApp->WriteProfileString(section, entry, NULL) : FALSE;
}

long CRegistry::EnumValue(const char* section, unsigned long index, CString& name, CString& value)
{
    CWinApp* pApp = ProfileApp();
    HKEY hSecKey = pApp ? pApp->GetSectionKey(section) : NULL;
    KELM_ASSERT(hSecKey != NULL);
    if (hSecKey == NULL)
        return ERROR_INVALID_HANDLE;   // the answer of a key query on no key

    DWORD cchMaxName = 0, cbMaxData = 0;
    LONG lResult = RegQueryInfoKeyA(hSecKey, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &cchMaxName, &cbMaxData, NULL, NULL);
    if (lResult == ERROR_SUCCESS) {
        ++cchMaxName;
        ++cbMaxData;
        // GetBuffer adds room for a NUL, so the data ends even when it was stored without one.
        LPSTR pszValue = value.GetBuffer((int)cbMaxData);
        LPSTR pszName = name.GetBuffer((int)cchMaxName);
        DWORD dwType = REG_NONE;
        lResult = RegEnumValueA(hSecKey, index, pszName, &cchMaxName, NULL, &dwType, (LPBYTE)pszValue, &cbMaxData);
        pszName[lResult == ERROR_SUCCESS ? cchMaxName : 0] = '\0';
        pszValue[lResult == ERROR_SUCCESS ? cbMaxData : 0] = '\0';
        name.ReleaseBuffer();
        value.ReleaseBuffer();
    }
    RegCloseKey(hSecKey);
    return lResult;
}

char* BEXAPI GetBexAppsDir(char* buffer)
{
    return GetBexDir("AppsDir", buffer);
}

char* BEXAPI GetBexLocalDir(char* buffer)
{
    return GetBexDir("LocalDir", buffer);
}

char* BEXAPI GetBexProjectsDir(char* buffer)
{
    return GetBexDir("ProjectsDir", buffer);
}
