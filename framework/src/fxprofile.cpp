// The application object's profile: sections and entries kept either in the registry, under
// HKEY_CURRENT_USER\Software\(registry key)\(profile name), or in an initialisation file.
#include "fxapp.h"
#include <stdio.h>
#include <string.h>

namespace {

const REGSAM samProfile = KEY_READ | KEY_WRITE;

HKEY CreateSubKey(HKEY hParent, LPCSTR lpszName)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(hParent, lpszName, 0, NULL, REG_OPTION_NON_VOLATILE, samProfile, NULL, &hKey, NULL) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}

// GetPrivateProfileStringA cuts silently: a result that fills the buffer may have been cut, so
// the read is repeated with a larger one.
CString ReadPrivateProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault, LPCSTR lpszFile)
{
    const DWORD nLimit = 1 << 20;
    CString str;
    for (DWORD nSize = 256;; nSize *= 2) {
        DWORD n = GetPrivateProfileStringA(lpszSection, lpszEntry, lpszDefault, str.GetBuffer((int)nSize), nSize, lpszFile);
        if (n + 1 < nSize || nSize >= nLimit) {
            str.ReleaseBuffer((int)n);
            return str;
        }
    }
}

}  // namespace

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey)
{
    FX_ASSERT(lpszRegistryKey != NULL);
    if (lpszRegistryKey == NULL)
        return;
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    // In the registry the profile is named after the application's title, not its file.
    m_strProfileName = m_pszAppName;
    m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString strKey;
    strKey.LoadString(nIDRegistryKey);
    SetRegistryKey(strKey);
}

HKEY CWinApp::GetAppRegistryKey()
{
    FX_ASSERT(m_pszRegistryKey != NULL);
    if (m_pszRegistryKey == NULL || m_pszProfileName == NULL)
        return NULL;
    HKEY hSoftKey = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, samProfile, &hSoftKey) != ERROR_SUCCESS)
        return NULL;
    HKEY hAppKey = NULL;
    if (HKEY hCompanyKey = CreateSubKey(hSoftKey, m_pszRegistryKey)) {
        hAppKey = CreateSubKey(hCompanyKey, m_pszProfileName);
        RegCloseKey(hCompanyKey);
    }
    RegCloseKey(hSoftKey);
    return hAppKey;
}

HKEY CWinApp::GetSectionKey(LPCSTR lpszSection)
{
    // A NULL name would address the application's key itself.
    FX_ASSERT(lpszSection != NULL);
    if (lpszSection == NULL)
        return NULL;
    HKEY hAppKey = GetAppRegistryKey();
    if (hAppKey == NULL)
        return NULL;
    HKEY hSecKey = CreateSubKey(hAppKey, lpszSection);
    RegCloseKey(hAppKey);
    return hSecKey;
}

UINT CWinApp::GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault)
{
    FX_ASSERT(lpszSection != NULL && lpszEntry != NULL);
    if (lpszSection == NULL || lpszEntry == NULL)
        return (UINT)nDefault;
    if (m_pszRegistryKey == NULL)
        return GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName);

    HKEY hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == NULL)
        return (UINT)nDefault;
    DWORD dwValue = 0, dwType = REG_NONE, dwCount = sizeof(dwValue);
    LONG lResult = RegQueryValueExA(hSecKey, lpszEntry, NULL, &dwType, (LPBYTE)&dwValue, &dwCount);
    RegCloseKey(hSecKey);
    if (lResult == ERROR_SUCCESS && dwType == REG_DWORD && dwCount == sizeof(dwValue))
        return dwValue;
    return (UINT)nDefault;
}

CString CWinApp::GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault)
{
    FX_ASSERT(lpszSection != NULL && lpszEntry != NULL);
    if (lpszDefault == NULL)
        lpszDefault = "";
    if (lpszSection == NULL || lpszEntry == NULL)
        return CString(lpszDefault);
    if (m_pszRegistryKey == NULL)
        return ReadPrivateProfileString(lpszSection, lpszEntry, lpszDefault, m_pszProfileName);

    HKEY hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == NULL)
        return CString(lpszDefault);
    CString strValue;
    DWORD dwType = REG_NONE, dwCount = 0;
    LONG lResult = RegQueryValueExA(hSecKey, lpszEntry, NULL, &dwType, NULL, &dwCount);
    if (lResult == ERROR_SUCCESS && dwType == REG_SZ) {
        // One byte beyond what is stored, so that a value written without its NUL still ends.
        LPSTR pszValue = strValue.GetBuffer((int)dwCount + 1);
        lResult = RegQueryValueExA(hSecKey, lpszEntry, NULL, &dwType, (LPBYTE)pszValue, &dwCount);
        pszValue[lResult == ERROR_SUCCESS ? dwCount : 0] = '\0';
        strValue.ReleaseBuffer();
    }
    RegCloseKey(hSecKey);
    if (lResult == ERROR_SUCCESS && dwType == REG_SZ)
        return strValue;
    return CString(lpszDefault);
}

BOOL CWinApp::WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue)
{
    // Unlike WriteProfileString, a NULL entry here is a mistake, not a request to delete.
    FX_ASSERT(lpszSection != NULL && lpszEntry != NULL);
    if (lpszSection == NULL || lpszEntry == NULL)
        return FALSE;
    if (m_pszRegistryKey == NULL) {
        char szValue[16];
        sprintf(szValue, "%d", nValue);
        return WritePrivateProfileStringA(lpszSection, lpszEntry, szValue, m_pszProfileName);
    }

    HKEY hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == NULL)
        return FALSE;
    DWORD dwValue = (DWORD)nValue;
    LONG lResult = RegSetValueExA(hSecKey, lpszEntry, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof(dwValue));
    RegCloseKey(hSecKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue)
{
    FX_ASSERT(lpszSection != NULL);
    if (lpszSection == NULL)
        return FALSE;
    if (m_pszRegistryKey == NULL)
        return WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_pszProfileName);

    LONG lResult;
    if (lpszEntry == NULL) {
        HKEY hAppKey = GetAppRegistryKey();
        if (hAppKey == NULL)
            return FALSE;
        lResult = RegDeleteKeyA(hAppKey, lpszSection);
        RegCloseKey(hAppKey);
    } else {
        HKEY hSecKey = GetSectionKey(lpszSection);
        if (hSecKey == NULL)
            return FALSE;
        if (lpszValue == NULL)
            lResult = RegDeleteValueA(hSecKey, lpszEntry);
        else
            lResult = RegSetValueExA(hSecKey, lpszEntry, 0, REG_SZ, (const BYTE*)lpszValue, (DWORD)strlen(lpszValue) + 1);
        RegCloseKey(hSecKey);
    }
    return lResult == ERROR_SUCCESS;
}
