// The version resource reader.
#include "VersionInfo.h"

#include <new>
#include <string.h>

CVersionInfo::CVersionInfo()
    : m_pVersionData(NULL), m_dwHandle(0), m_dwLangCharset(0), m_dwTranslation(0), m_bOk(FALSE), m_pFixedFileInfo(NULL)
{
}

CVersionInfo::~CVersionInfo()
{
    Release();
}

// Drops the data of an earlier Init together with everything that points into it.
void CVersionInfo::Release()
{
    delete[] m_pVersionData;
    m_pVersionData = NULL;
    m_pFixedFileInfo = NULL;
    m_dwLangCharset = 0;
    m_dwTranslation = 0;
}

int CVersionInfo::Init(const CString& strFile)
{
    m_bOk = FALSE;
    Release();

    CString strPath = strFile;
    if (strPath.IsEmpty()) {
        char szPath[MAX_PATH];
        DWORD n = GetModuleFileNameA(AfxGetModuleState()->m_hCurrentInstanceHandle, szPath, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)   // a cut path would name another file
            return FALSE;
        strPath = szPath;
    }

    DWORD dwSize = GetFileVersionInfoSizeA(strPath, &m_dwHandle);
    if (dwSize == 0)
        return FALSE;
    m_pVersionData = new (std::nothrow) BYTE[dwSize];
    if (m_pVersionData == NULL)
        return FALSE;
    m_bOk = GetFileVersionInfoA(strPath, m_dwHandle, dwSize, m_pVersionData);
    if (!m_bOk)
        return FALSE;

    LPVOID pTranslation = NULL;
    UINT cbTranslation = 0;
    m_bOk = VerQueryValueA(m_pVersionData, "\\VarFileInfo\\Translation", &pTranslation, &cbTranslation) &&
            cbTranslation >= sizeof(DWORD);
    if (m_bOk) {
        const WORD* pw = static_cast<const WORD*>(pTranslation);
        m_dwLangCharset = MAKELONG(pw[1], pw[0]);
        memcpy(&m_dwTranslation, pTranslation, sizeof(DWORD));
    }
    return m_bOk;
}

int CVersionInfo::IsOk()
{
    return m_bOk;
}

const VS_FIXEDFILEINFO*& CVersionInfo::GetFixedFileInfo()
{
    if (m_bOk) {
        LPVOID pBlock = NULL;
        UINT cbBlock = 0;
        // A root block shorter than the structure would be read past its end.
        m_bOk = VerQueryValueA(m_pVersionData, "\\", &pBlock, &cbBlock) && cbBlock >= sizeof(VS_FIXEDFILEINFO);
        if (m_bOk)
            m_pFixedFileInfo = static_cast<const VS_FIXEDFILEINFO*>(pBlock);
    }
    return m_pFixedFileInfo;
}

CString CVersionInfo::StringFileInfo(const char* lpszKey)
{
    if (!m_bOk)
        return CString();
    CString strQuery;
    strQuery.Format("\\StringFileInfo\\%08lx\\%s", (unsigned long)m_dwLangCharset, lpszKey);
    LPVOID pValue = NULL;
    UINT cchValue = 0;
    m_bOk = VerQueryValueA(m_pVersionData, strQuery, &pValue, &cchValue);
    if (!m_bOk || pValue == NULL)
        return CString();
    // The entry need not hold its NUL within the length the query gave.
    const char* psz = static_cast<const char*>(pValue);
    return CString(psz, (int)strnlen(psz, cchValue));
}

CString CVersionInfo::Language()
{
    if (!m_bOk)
        return CString();
    char szLanguage[128];
    DWORD n = VerLanguageNameA(m_dwTranslation, szLanguage, sizeof(szLanguage));
    if (n == 0)
        return CString();
    szLanguage[sizeof(szLanguage) - 1] = '\0';
    return CString(szLanguage);
}
