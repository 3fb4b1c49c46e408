// The version resource reader.
#include "VersionInfo.h"

#include <algorithm>
#include <new>
#include <string.h>

namespace {

// The version API walks a resource by the lengths stored in it and trusts every one of them: a
// key is read to its NUL, a block's children to the block's stated end, a value for its stated
// length, and an A query converts texts into the buffer's second half at offsets the root's
// length gives. A resource is read only when every node lies within its parent, every key ends
// and every value lies within the resource, and the resource within the part of the buffer that
// holds it. Both layouts the API knows are checked as it tells them apart: 16-bit blocks have
// 8-bit keys right after two length words.
struct VERLAYOUT {
    size_t cbHeader;    // wLength, wValueLength (and wType in 32-bit blocks)
    size_t cbChar;
};

const int nMaxDepth = 16;   // far deeper than any resource nests

WORD WordAt(const BYTE* p, size_t at)
{
    return (WORD)(p[at] | p[at + 1] << 8);
}

size_t Align4(size_t cb)
{
    return (cb + 3) & ~(size_t)3;
}

// The node at nAt, with everything below it, lies within nEnd (its parent's end) and its value
// within nLimit (the resource's end).
bool IsSoundNode(const BYTE* p, const VERLAYOUT& l, size_t nAt, size_t nEnd, size_t nLimit, int nDepth)
{
    if (nDepth > nMaxDepth || nAt + l.cbHeader > nEnd)
        return false;
    size_t cb = WordAt(p, nAt), cbValue = WordAt(p, nAt + 2);
    if (l.cbChar == 2) {
        WORD wType = WordAt(p, nAt + 4);
        if (wType > 1)
            return false;
        cbValue *= wType ? 2 : 1;
    }
    if (cb < l.cbHeader + l.cbChar || nAt + cb > nEnd)
        return false;
    size_t nNodeEnd = nAt + cb, nKey = nAt + l.cbHeader;
    while (nKey + l.cbChar <= nNodeEnd && (p[nKey] || (l.cbChar == 2 && p[nKey + 1])))
        nKey += l.cbChar;
    if (nKey + l.cbChar > nNodeEnd)
        return false;
    size_t nValue = nAt + Align4(nKey + l.cbChar - nAt);
    if (nValue + cbValue > nLimit)
        return false;
    for (size_t nChild = nValue + Align4(cbValue); nChild < nNodeEnd; nChild += Align4(WordAt(p, nChild))) {
        // Alignment bytes at the end of a block are looked at as a child's head and key, and
        // passed over for their length of 0.
        if (nNodeEnd - nChild < l.cbHeader + l.cbChar || WordAt(p, nChild) == 0)
            return nChild + l.cbHeader + l.cbChar <= nLimit;
        if (!IsSoundNode(p, l, nChild, nNodeEnd, nLimit, nDepth + 1))
            return false;
    }
    return true;
}

// Whether the version API can answer every question about the resource in the buffer of cbData
// bytes (as sized by GetFileVersionInfoSize) without leaving the part of it that holds the resource.
bool IsSoundResource(const BYTE* p, DWORD cbData)
{
    static const VERLAYOUT s_layout32 = { 6, 2 }, s_layout16 = { 4, 1 };
    if (cbData < 8)
        return false;
    bool b16 = p[4] >= ' ';
    // The resource fills the first half, less 4 bytes, of a 32-bit block's buffer (the rest is
    // where texts are converted), and a quarter, plus the fixed information, of a 16-bit one's.
    size_t cbResource = b16 ? std::min<size_t>(cbData, cbData / 4 + sizeof(VS_FIXEDFILEINFO)) : (cbData - 4) / 2;
    size_t cbRoot = WordAt(p, 0);
    return cbRoot <= cbResource && IsSoundNode(p, b16 ? s_layout16 : s_layout32, 0, cbRoot, cbRoot, 0);
}

}  // namespace

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
    m_bOk = GetFileVersionInfoA(strPath, m_dwHandle, dwSize, m_pVersionData) && IsSoundResource(m_pVersionData, dwSize);
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
