// The suite registry profile. Nothing is cached: every call reads the release from the library's
// version resource and opens its chain of keys afresh.
#include "kelmbex.h"
#include "../frame/kelmdbg.h"
#include "../verinfo/VersionInfo.h"

#include <string.h>

namespace {

const char szCompany[] = "KELM-Ostrand";

// Reading opens every level with KEY_READ, writing with KEY_READ | KEY_WRITE.
REGSAM Access(BOOL bWrite)
{
    return bWrite ? KEY_READ | KEY_WRITE : KEY_READ;
}

HKEY CreateKey(HKEY hParent, LPCSTR lpszName, REGSAM sam)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(hParent, lpszName, 0, NULL, 0, sam, NULL, &hKey, NULL) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

// The release: the ProductVersion text of the library's file, found by the version API's search.
CString GetBexRelease()
{
    CVersionInfo info;
    info.Init("BexLib32.DLL");
    return info.StringFileInfo("ProductVersion");
}

// Level 4 of the branch, Software\KELM-Ostrand\Tur\(release); the caller closes it.
HKEY GetBexAppRegistryKey(HKEY hBaseKey, BOOL bWrite)
{
    KELM_ASSERT(hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE);
    // Past an ignored report, another hive with a "Software" key (the current hardware
    // profile's) would take the values and the call would say it succeeded.
    if (hBaseKey != HKEY_CURRENT_USER && hBaseKey != HKEY_LOCAL_MACHINE)
        return NULL;
    CString strRelease = GetBexRelease();
    REGSAM sam = Access(bWrite);
    HKEY hSoftKey = NULL;
    if (RegOpenKeyExA(hBaseKey, "Software", 0, sam, &hSoftKey) != ERROR_SUCCESS)
        return NULL;
    HKEY hAppKey = NULL;
    if (HKEY hCompanyKey = CreateKey(hSoftKey, szCompany, sam)) {
        if (HKEY hSuiteKey = CreateKey(hCompanyKey, "Tur", sam)) {
            hAppKey = CreateKey(hSuiteKey, strRelease, sam);
            RegCloseKey(hSuiteKey);
        }
        RegCloseKey(hCompanyKey);
    }
    RegCloseKey(hSoftKey);
    return hAppKey;
}

// Level 5, the section; the caller closes it.
HKEY GetBexSectionKey(HKEY hBaseKey, const char* lpszSection, BOOL bWrite)
{
    KELM_ASSERT(lpszSection != NULL);
    KELM_ASSERT(hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE);
    // A NULL name would address the release's own key and put the value there.
    if (lpszSection == NULL)
        return NULL;
    HKEY hAppKey = GetBexAppRegistryKey(hBaseKey, bWrite);
    if (hAppKey == NULL)
        return NULL;
    HKEY hSecKey = CreateKey(hAppKey, lpszSection, Access(bWrite));
    RegCloseKey(hAppKey);
    return hSecKey;
}

BOOL DeleteBexSection(HKEY hBaseKey, const char* lpszSection)
{
    // Without a name the deletion could take the whole release branch with it.
    if (lpszSection == NULL)
        return FALSE;
    HKEY hAppKey = GetBexAppRegistryKey(hBaseKey, TRUE);
    if (hAppKey == NULL)
        return FALSE;
    LONG lResult = RegDeleteKeyA(hAppKey, lpszSection);
    RegCloseKey(hAppKey);
    return lResult == ERROR_SUCCESS;
}

}  // namespace

CString BEXAPI GetBexBaseRegistryKey()
{
    CString strRegKey;
    strRegKey.Format("%s\\Tur\\%s", szCompany, (LPCSTR)GetBexRelease());
    KELM_ASSERT(!strRegKey.IsEmpty());
    return strRegKey;
}

unsigned int BEXAPI GetBexProfileInt(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, int nDefault)
{
    KELM_ASSERT(lpszSection != NULL);
    KELM_ASSERT(lpszEntry != NULL);
    HKEY hSecKey = GetBexSectionKey(hBaseKey, lpszSection, FALSE);
    if (hSecKey == NULL)
        return (unsigned int)nDefault;
    // Zeroed: a value shorter than four bytes leaves zeros in what it does not fill.
    DWORD dwValue = 0, dwType = REG_NONE, dwCount = sizeof(dwValue);
    LONG lResult = RegQueryValueExA(hSecKey, lpszEntry, NULL, &dwType, (LPBYTE)&dwValue, &dwCount);
    RegCloseKey(hSecKey);
    if (lResult != ERROR_SUCCESS)
        return (unsigned int)nDefault;
    KELM_ASSERT(dwType == REG_DWORD);
    KELM_ASSERT(dwCount == sizeof(dwValue));
    return dwValue;
}

CString BEXAPI GetBexProfileString(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, const char* lpszDefault)
{
    KELM_ASSERT(hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE);
    KELM_ASSERT(lpszSection != NULL);
    KELM_ASSERT(lpszEntry != NULL);
    HKEY hSecKey = GetBexSectionKey(hBaseKey, lpszSection, FALSE);
    if (hSecKey == NULL)
        return CString(lpszDefault);
    CString strValue;
    DWORD dwType = REG_NONE, dwCount = 0;
    LONG lResult = RegQueryValueExA(hSecKey, lpszEntry, NULL, &dwType, NULL, &dwCount);
    if (lResult == ERROR_SUCCESS) {
        KELM_ASSERT(dwType == REG_SZ);
        // One byte beyond the value: a REG_SZ stored without its NUL, or a value of another
        // type, still ends inside the buffer.
        LPSTR pszValue = strValue.GetBuffer((int)dwCount + 1);
        lResult = RegQueryValueExA(hSecKey, lpszEntry, NULL, &dwType, (LPBYTE)pszValue, &dwCount);
        pszValue[lResult == ERROR_SUCCESS ? dwCount : 0] = '\0';
        strValue.ReleaseBuffer();
    }
    RegCloseKey(hSecKey);
    if (lResult != ERROR_SUCCESS)
        return CString(lpszDefault);
    KELM_ASSERT(dwType == REG_SZ);
    return strValue;
}

BOOL BEXAPI SetBexProfileInt(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, unsigned int nValue)
{
    KELM_ASSERT(hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE);
    KELM_ASSERT(lpszSection != NULL);
    if (lpszEntry == NULL)
        return DeleteBexSection(hBaseKey, lpszSection);
    HKEY hSecKey = GetBexSectionKey(hBaseKey, lpszSection, TRUE);
    if (hSecKey == NULL)
        return FALSE;
    DWORD dwValue = nValue;
    LONG lResult = RegSetValueExA(hSecKey, lpszEntry, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof(dwValue));
    RegCloseKey(hSecKey);
    return lResult == ERROR_SUCCESS;
}

BOOL BEXAPI SetBexProfileString(HKEY hBaseKey, const char* lpszSection, const char* lpszEntry, const char* lpszValue)
{
    KELM_ASSERT(hBaseKey == HKEY_CURRENT_USER || hBaseKey == HKEY_LOCAL_MACHINE);
    KELM_ASSERT(lpszSection != NULL);
    if (lpszEntry == NULL)
        return DeleteBexSection(hBaseKey, lpszSection);
    KELM_ASSERT(lpszValue != NULL);
    if (lpszValue == NULL)
        return FALSE;
    HKEY hSecKey = GetBexSectionKey(hBaseKey, lpszSection, TRUE);
    if (hSecKey == NULL)
        return FALSE;
    LONG lResult = RegSetValueExA(hSecKey, lpszEntry, 0, REG_SZ, (const BYTE*)lpszValue, (DWORD)strlen(lpszValue) + 1);
    RegCloseKey(hSecKey);
    return lResult == ERROR_SUCCESS;
}
