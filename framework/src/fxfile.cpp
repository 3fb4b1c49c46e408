#include "fxfile.h"
#include <string.h>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) : CFile()
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete)
        Abort();
}

CString CFile::GetFileName() const
{
    int n = m_strFileName.GetLength();
    while (n > 0 && m_strFileName[n - 1] != '\\' && m_strFileName[n - 1] != '/' && m_strFileName[n - 1] != ':')
        --n;
    return m_strFileName.Mid(n);
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    FX_ASSERT(m_hFile == INVALID_HANDLE_VALUE);
    m_bCloseOnDelete = FALSE;
    m_strFileName = lpszFileName;

    DWORD dwAccess = 0;
    switch (nOpenFlags & 3) {
    case modeRead: dwAccess = GENERIC_READ; break;
    case modeWrite: dwAccess = GENERIC_WRITE; break;
    default: dwAccess = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD dwShare = 0;
    switch (nOpenFlags & 0x70) {
    case shareDenyWrite: dwShare = FILE_SHARE_READ; break;
    case shareDenyRead: dwShare = FILE_SHARE_WRITE; break;
    case shareDenyNone: dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: dwShare = 0; break;   // exclusive and compatibility mode
    }
    SECURITY_ATTRIBUTES sa = { sizeof(sa), NULL, (nOpenFlags & modeNoInherit) == 0 };
    DWORD dwCreate = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        dwCreate = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE h = CreateFileA(lpszFileName, dwAccess, dwShare, &sa, dwCreate, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        if (pError) {
            pError->m_lOsError = (LONG)GetLastError();
            pError->m_cause = CFileException::OsErrorToException(pError->m_lOsError);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    DWORD dwRead = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &dwRead, NULL))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return dwRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    DWORD dwWritten = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &dwWritten, NULL))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    // A short write with no error is a full disk: never leave the caller believing it succeeded.
    if (dwWritten != nCount)
        AfxThrowFileException(CFileException::diskFull, ERROR_HANDLE_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LARGE_INTEGER li, liNew;
    li.QuadPart = lOff;
    if (!SetFilePointerEx(m_hFile, li, &liNew, nFrom))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return (ULONGLONG)liNew.QuadPart;
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER li = {}, liNew;
    if (!SetFilePointerEx(m_hFile, li, &liNew, FILE_CURRENT))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return (ULONGLONG)liNew.QuadPart;
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(m_hFile, &li))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return (ULONGLONG)li.QuadPart;
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    Seek((LONGLONG)dwNewLen, CFile::begin);
    if (!SetEndOfFile(m_hFile))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
}

void CFile::Flush()
{
    if (m_hFile != INVALID_HANDLE_VALUE && !FlushFileBuffers(m_hFile))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
}

void CFile::Close()
{
    BOOL bError = FALSE;
    DWORD dwError = 0;
    if (m_hFile != INVALID_HANDLE_VALUE && !CloseHandle(m_hFile)) {
        bError = TRUE;
        dwError = GetLastError();
    }
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (bError)
        CFileException::ThrowOsError((LONG)dwError);
}

void CFile::Abort()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

void PASCAL CFile::Rename(LPCSTR lpszOldName, LPCSTR lpszNewName)
{
    if (!MoveFileA(lpszOldName, lpszNewName))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszOldName);
}

void PASCAL CFile::Remove(LPCSTR lpszFileName)
{
    if (!DeleteFileA(lpszFileName))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszFileName);
}

// CStdioFile

CStdioFile::CStdioFile() : m_pBuf(NULL), m_nBufLen(0), m_nBufPos(0), m_bText(TRUE) {}

CStdioFile::CStdioFile(LPCSTR lpszFileName, UINT nOpenFlags) : CStdioFile()
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CStdioFile::~CStdioFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete)
        Abort();
    delete[] m_pBuf;
}

BOOL CStdioFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    m_nBufLen = m_nBufPos = 0;
    m_bText = (nOpenFlags & typeBinary) == 0;
    return CFile::Open(lpszFileName, nOpenFlags & ~(typeText | typeBinary), pError);
}

int CStdioFile::GetRawChar()
{
    if (m_nBufPos == m_nBufLen) {
        if (m_pBuf == NULL)
            m_pBuf = new BYTE[bufSize];
        m_nBufPos = 0;
        m_nBufLen = 0;
        m_nBufLen = CFile::Read(m_pBuf, bufSize);
        if (m_nBufLen == 0)
            return -1;
    }
    return m_pBuf[m_nBufPos++];
}

void CStdioFile::Discard()
{
    if (m_nBufPos < m_nBufLen)
        CFile::Seek(-(LONGLONG)(m_nBufLen - m_nBufPos), CFile::current);
    m_nBufLen = m_nBufPos = 0;
}

LPSTR CStdioFile::ReadString(LPSTR lpsz, UINT nMax)
{
    FX_ASSERT(lpsz != NULL && nMax > 0);
    if (lpsz == NULL || nMax == 0)
        return NULL;
    UINT n = 0;
    int ch = 0;
    while (n + 1 < nMax && (ch = GetRawChar()) != -1) {
        if (m_bText && ch == '\r') {
            // CR LF reads as LF; a lone CR stays a character of the line.
            int next = GetRawChar();
            if (next == '\n')
                ch = '\n';
            else if (next != -1)
                --m_nBufPos;
        }
        lpsz[n++] = (char)ch;
        if (ch == '\n')
            break;
    }
    lpsz[n] = '\0';
    return n == 0 && ch == -1 ? NULL : lpsz;
}

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    char sz[256];
    BOOL bAny = FALSE;
    while (ReadString(sz, sizeof(sz)) != NULL) {
        bAny = TRUE;
        size_t n = strlen(sz);
        if (n > 0 && sz[n - 1] == '\n') {
            rString += CString(sz, (int)n - 1);
            return TRUE;
        }
        rString += sz;
    }
    return bAny;
}

void CStdioFile::WriteString(LPCSTR lpsz)
{
    if (!m_bText) {
        Write(lpsz, (UINT)strlen(lpsz));
        return;
    }
    for (LPCSTR p = lpsz; *p;) {
        LPCSTR q = strchr(p, '\n');
        if (q == NULL) {
            Write(p, (UINT)strlen(p));
            break;
        }
        Write(p, (UINT)(q - p));
        Write("\r\n", 2);
        p = q + 1;
    }
}

ULONGLONG CStdioFile::GetPosition() const
{
    return CFile::GetPosition() - (m_nBufLen - m_nBufPos);
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    UINT n = 0;
    BYTE* p = static_cast<BYTE*>(lpBuf);
    while (n < nCount && m_nBufPos < m_nBufLen)
        p[n++] = m_pBuf[m_nBufPos++];
    return n + (n < nCount ? CFile::Read(p + n, nCount - n) : 0);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    Discard();
    CFile::Write(lpBuf, nCount);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    Discard();
    return CFile::Seek(lOff, nFrom);
}

ULONGLONG CStdioFile::GetLength() const { return CFile::GetLength(); }

// Writes go straight to the handle, so only the read-ahead is left to settle. As with a C stream,
// flushing a file that is open for reading only succeeds (FlushFileBuffers would refuse it).
void CStdioFile::Flush()
{
    Discard();
}

void CStdioFile::Close()
{
    m_nBufLen = m_nBufPos = 0;
    CFile::Close();
}

void CStdioFile::Abort()
{
    m_nBufLen = m_nBufPos = 0;
    CFile::Abort();
}
