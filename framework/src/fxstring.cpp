#include "fxstring.h"
#include "fxapp.h"

#include <stdio.h>
#include <string.h>
#include <ctype.h>
#include <new>

char CString::s_chNil = '\0';

CString::CString() : m_pszData(&s_chNil), m_nLength(0), m_nAlloc(0) {}

CString::CString(const CString& str) : CString() { Assign(str.m_pszData, str.m_nLength); }

CString::CString(CString&& str) noexcept
    : m_pszData(str.m_pszData), m_nLength(str.m_nLength), m_nAlloc(str.m_nAlloc)
{
    str.m_pszData = &s_chNil;
    str.m_nLength = str.m_nAlloc = 0;
}

CString::CString(LPCSTR lpsz) : CString()
{
    if (lpsz != NULL)
        Assign(lpsz, (int)strlen(lpsz));
}

CString::CString(LPCSTR lpch, int nLength) : CString()
{
    if (lpch != NULL && nLength > 0)
        Assign(lpch, nLength);
}

CString::CString(char ch, int nRepeat) : CString()
{
    if (nRepeat > 0) {
        Reserve(nRepeat);
        memset(m_pszData, ch, nRepeat);
        m_pszData[nRepeat] = '\0';
        m_nLength = nRepeat;
    }
}

CString::~CString()
{
    if (m_pszData != &s_chNil)
        delete[] m_pszData;
}

void CString::Reserve(int nCapacity)
{
    if (nCapacity <= m_nAlloc)
        return;
    // Grow geometrically so that appending in a loop stays linear.
    int nNew = nCapacity < m_nAlloc + m_nAlloc / 2 ? m_nAlloc + m_nAlloc / 2 : nCapacity;
    char* p = new char[(size_t)nNew + 1];
    memcpy(p, m_pszData, (size_t)m_nLength + 1);
    if (m_pszData != &s_chNil)
        delete[] m_pszData;
    m_pszData = p;
    m_nAlloc = nNew;
}

void CString::Assign(LPCSTR lpch, int nLength)
{
    if (nLength <= 0) {
        Empty();
        return;
    }
    if (lpch >= m_pszData && lpch <= m_pszData + m_nLength) {  // assigning a part of ourselves
        CString copy(lpch, nLength);
        *this = static_cast<CString&&>(copy);
        return;
    }
    if (nLength > m_nAlloc) {
        Empty();
        Reserve(nLength);
    }
    memcpy(m_pszData, lpch, nLength);
    m_pszData[nLength] = '\0';
    m_nLength = nLength;
}

CString& CString::Append(LPCSTR lpch, int nLength)
{
    if (nLength <= 0)
        return *this;
    if (lpch >= m_pszData && lpch <= m_pszData + m_nLength) {
        CString copy(lpch, nLength);
        return Append(copy.m_pszData, copy.m_nLength);
    }
    Reserve(m_nLength + nLength);
    memcpy(m_pszData + m_nLength, lpch, nLength);
    m_nLength += nLength;
    m_pszData[m_nLength] = '\0';
    return *this;
}

void CString::Empty()
{
    if (m_pszData != &s_chNil)
        delete[] m_pszData;
    m_pszData = &s_chNil;
    m_nLength = m_nAlloc = 0;
}

char CString::GetAt(int nIndex) const
{
    FX_ASSERT(nIndex >= 0 && nIndex <= m_nLength);
    return (nIndex >= 0 && nIndex <= m_nLength) ? m_pszData[nIndex] : '\0';
}

void CString::SetAt(int nIndex, char ch)
{
    FX_ASSERT(nIndex >= 0 && nIndex < m_nLength);
    if (nIndex >= 0 && nIndex < m_nLength)
        m_pszData[nIndex] = ch;
}

CString& CString::operator=(const CString& str)
{
    if (this != &str)
        Assign(str.m_pszData, str.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& str) noexcept
{
    if (this != &str) {
        if (m_pszData != &s_chNil)
            delete[] m_pszData;
        m_pszData = str.m_pszData;
        m_nLength = str.m_nLength;
        m_nAlloc = str.m_nAlloc;
        str.m_pszData = &s_chNil;
        str.m_nLength = str.m_nAlloc = 0;
    }
    return *this;
}

CString& CString::operator=(LPCSTR lpsz)
{
    Assign(lpsz, lpsz ? (int)strlen(lpsz) : 0);
    return *this;
}

CString& CString::operator=(char ch)
{
    Assign(&ch, 1);
    return *this;
}

CString& CString::operator+=(LPCSTR lpsz)
{
    return lpsz ? Append(lpsz, (int)strlen(lpsz)) : *this;
}

CString operator+(const CString& s1, const CString& s2) { CString s(s1); s += s2; return s; }
CString operator+(const CString& s1, LPCSTR lpsz2) { CString s(s1); s += lpsz2; return s; }
CString operator+(LPCSTR lpsz1, const CString& s2) { CString s(lpsz1); s += s2; return s; }
CString operator+(const CString& s1, char ch) { CString s(s1); s += ch; return s; }
CString operator+(char ch, const CString& s2) { CString s(ch); s += s2; return s; }

int CString::Compare(LPCSTR lpsz) const { return strcmp(m_pszData, lpsz ? lpsz : ""); }
int CString::CompareNoCase(LPCSTR lpsz) const { return _stricmp(m_pszData, lpsz ? lpsz : ""); }
int CString::Collate(LPCSTR lpsz) const { return lstrcmpA(m_pszData, lpsz ? lpsz : ""); }

CString CString::Mid(int nFirst) const { return Mid(nFirst, m_nLength - nFirst); }

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > m_nLength)
        nFirst = m_nLength;
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nLength - nFirst)
        nCount = m_nLength - nFirst;
    return CString(m_pszData + nFirst, nCount);
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nLength)
        nCount = m_nLength;
    return CString(m_pszData + m_nLength - nCount, nCount);
}

CString CString::SpanIncluding(LPCSTR lpszCharSet) const
{
    return Left((int)strspn(m_pszData, lpszCharSet));
}

CString CString::SpanExcluding(LPCSTR lpszCharSet) const
{
    return Left((int)strcspn(m_pszData, lpszCharSet));
}

void CString::MakeUpper() { if (m_nLength) CharUpperBuffA(m_pszData, m_nLength); }
void CString::MakeLower() { if (m_nLength) CharLowerBuffA(m_pszData, m_nLength); }

void CString::MakeReverse()
{
    for (int i = 0, j = m_nLength - 1; i < j; ++i, --j) {
        char c = m_pszData[i];
        m_pszData[i] = m_pszData[j];
        m_pszData[j] = c;
    }
}

int CString::Replace(char chOld, char chNew)
{
    int n = 0;
    if (chOld == chNew)
        return 0;
    for (int i = 0; i < m_nLength; ++i)
        if (m_pszData[i] == chOld) {
            m_pszData[i] = chNew;
            ++n;
        }
    return n;
}

int CString::Replace(LPCSTR lpszOld, LPCSTR lpszNew)
{
    int nOld = lpszOld ? (int)strlen(lpszOld) : 0;
    if (nOld == 0)
        return 0;
    int nNew = lpszNew ? (int)strlen(lpszNew) : 0;
    CString result;
    int n = 0, i = 0;
    for (LPCSTR p; (p = strstr(m_pszData + i, lpszOld)) != NULL; ++n) {
        int at = (int)(p - m_pszData);
        result.Append(m_pszData + i, at - i);
        result.Append(lpszNew, nNew);
        i = at + nOld;
    }
    if (n) {
        result.Append(m_pszData + i, m_nLength - i);
        *this = static_cast<CString&&>(result);
    }
    return n;
}

int CString::Remove(char ch)
{
    int j = 0;
    for (int i = 0; i < m_nLength; ++i)
        if (m_pszData[i] != ch)
            m_pszData[j++] = m_pszData[i];
    int n = m_nLength - j;
    m_nLength = j;
    m_pszData[j] = '\0';
    return n;
}

int CString::Insert(int nIndex, char ch) { return Insert(nIndex, CString(ch)); }

int CString::Insert(int nIndex, LPCSTR lpsz)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > m_nLength)
        nIndex = m_nLength;
    CString result(m_pszData, nIndex);
    result += lpsz;
    result.Append(m_pszData + nIndex, m_nLength - nIndex);
    *this = static_cast<CString&&>(result);
    return m_nLength;
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < m_nLength) {
        if (nCount > m_nLength - nIndex)
            nCount = m_nLength - nIndex;
        memmove(m_pszData + nIndex, m_pszData + nIndex + nCount, m_nLength - nIndex - nCount + 1);
        m_nLength -= nCount;
    }
    return m_nLength;
}

static bool IsTrimSpace(char ch) { return isspace((unsigned char)ch) != 0; }

void CString::TrimLeft()
{
    int i = 0;
    while (i < m_nLength && IsTrimSpace(m_pszData[i]))
        ++i;
    Delete(0, i);
}

void CString::TrimLeft(char chTarget)
{
    int i = 0;
    while (i < m_nLength && m_pszData[i] == chTarget)
        ++i;
    Delete(0, i);
}

void CString::TrimLeft(LPCSTR lpszTargets) { Delete(0, (int)strspn(m_pszData, lpszTargets)); }

void CString::TrimRight()
{
    while (m_nLength > 0 && IsTrimSpace(m_pszData[m_nLength - 1]))
        m_pszData[--m_nLength] = '\0';
}

void CString::TrimRight(char chTarget)
{
    while (m_nLength > 0 && m_pszData[m_nLength - 1] == chTarget)
        m_pszData[--m_nLength] = '\0';
}

void CString::TrimRight(LPCSTR lpszTargets)
{
    while (m_nLength > 0 && m_pszData[m_nLength - 1] != '\0' &&
           strchr(lpszTargets, m_pszData[m_nLength - 1]) != NULL)
        m_pszData[--m_nLength] = '\0';
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= m_nLength)
        return -1;
    const void* p = memchr(m_pszData + nStart, ch, m_nLength - nStart);
    return p ? (int)((LPCSTR)p - m_pszData) : -1;
}

int CString::Find(LPCSTR lpszSub, int nStart) const
{
    if (nStart < 0 || nStart > m_nLength || lpszSub == NULL)
        return -1;
    LPCSTR p = strstr(m_pszData + nStart, lpszSub);
    return p ? (int)(p - m_pszData) : -1;
}

int CString::ReverseFind(char ch) const
{
    for (int i = m_nLength - 1; i >= 0; --i)
        if (m_pszData[i] == ch)
            return i;
    return -1;
}

int CString::FindOneOf(LPCSTR lpszCharSet) const
{
    size_t n = strcspn(m_pszData, lpszCharSet);
    return (int)n < m_nLength ? (int)n : -1;
}

void CString::FormatV(LPCSTR lpszFormat, va_list argList)
{
    va_list args;
    va_copy(args, argList);
    int n = _vscprintf(lpszFormat, args);
    va_end(args);
    if (n <= 0) {
        Empty();
        return;
    }
    CString result;
    result.Reserve(n);
    _vsnprintf(result.m_pszData, (size_t)n + 1, lpszFormat, argList);
    result.m_pszData[n] = '\0';
    result.m_nLength = n;
    *this = static_cast<CString&&>(result);
}

void CString::Format(LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    FormatV(lpszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...)
{
    CString strFormat;
    strFormat.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(strFormat, args);
    va_end(args);
}

BOOL CString::LoadString(UINT nID)
{
    HINSTANCE hInst = AfxFindStringResourceHandle(nID);
    if (hInst == NULL) {
        Empty();
        return FALSE;
    }
    // A string table entry holds at most 65535 characters; LoadStringA with a zero buffer
    // size is not an ANSI way to learn the length, so read into a buffer that grows.
    for (int nSize = 256;; nSize *= 4) {
        int n = ::LoadStringA(hInst, nID, GetBuffer(nSize - 1), nSize);
        if (n < nSize - 1 || nSize > 65536) {
            ReleaseBuffer(n);
            return n > 0;
        }
    }
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength < m_nLength)
        nMinBufLength = m_nLength;
    if (nMinBufLength > 0)
        Reserve(nMinBufLength);
    return m_pszData;
}

LPSTR CString::GetBufferSetLength(int nNewLength)
{
    GetBuffer(nNewLength);
    if (nNewLength >= 0 && m_pszData != &s_chNil) {
        m_nLength = nNewLength;
        m_pszData[nNewLength] = '\0';
    }
    return m_pszData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (m_pszData == &s_chNil)
        return;
    if (nNewLength < 0)
        nNewLength = (int)strnlen(m_pszData, (size_t)m_nAlloc);
    if (nNewLength > m_nAlloc)
        nNewLength = m_nAlloc;
    m_nLength = nNewLength;
    m_pszData[nNewLength] = '\0';
}

void CString::FreeExtra()
{
    if (m_nAlloc > m_nLength) {
        CString copy(m_pszData, m_nLength);
        *this = static_cast<CString&&>(copy);
    }
}
