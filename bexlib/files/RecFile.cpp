// CRecFile: writing, reading, navigation and verification of record files.
//
// Everything read from a file is distrusted: offsets and lengths are compared with the file's
// size in 64 bits before they are used, so a damaged length can neither wrap around, point
// backwards into a loop, nor make a read larger than the caller's buffer.
#include "RecFile.h"
#include "RotXor.h"
#include "../frame/kelmdbg.h"

#include <memory>
#include <new>
#include <stdio.h>
#include <string.h>

const char CRecFile::m_szFileID[43] = "Kelm-Ostrand Engineering, Record Archive\n\x1a";
// Constant-initialised, so it holds its value before any dynamic initialiser of the library
// runs, whatever their order.
const DWORD CRecFile::m_dwRecHdrID = 0x2A2A2A2A;
static_assert(CRecFile::m_dwRecHdrID == 0x2A2A2A2A, "the marker must be a compile-time constant");
static_assert(sizeof(CRecFile::tagRECHDR) == 20, "the record header is stored as it is laid out");

namespace {

enum { modeClosed, modeRead, modeWrite };
enum { seekNone, seekBetween, seekHeader, seekData, seekDataAll };

const int cchMaxDesc = 1024;
// Verify reads records through a buffer of at most this size, whatever their length.
const DWORD cbVerifyPiece = 0x10000;

// Sets an int for the rest of a scope and gives the old value back on every way out.
class CTempFlag
{
public:
    CTempFlag(int& rFlag, int nValue) : m_rFlag(rFlag), m_nSaved(rFlag) { m_rFlag = nValue; }
    ~CTempFlag() { m_rFlag = m_nSaved; }

private:
    int& m_rFlag;
    int m_nSaved;
};

// The helpers below return 0 or the error code to raise. A transfer that the system calls
// successful but that moved fewer bytes is a failure too, with a code that says so.

DWORD WriteExact(HANDLE hFile, const void* pData, DWORD dwLength)
{
    DWORD dwDone = 0;
    if (!WriteFile(hFile, pData, dwLength, &dwDone, NULL))
        return GetLastError();
    return dwDone == dwLength ? 0 : ERROR_HANDLE_DISK_FULL;
}

DWORD ReadExact(HANDLE hFile, void* pData, DWORD dwLength, DWORD dwShortCode)
{
    DWORD dwDone = 0;
    if (!ReadFile(hFile, pData, dwLength, &dwDone, NULL))
        return GetLastError();
    return dwDone == dwLength ? 0 : dwShortCode;
}

DWORD MoveTo(HANDLE hFile, DWORD dwOffset, DWORD dwMethod)
{
    LARGE_INTEGER liMove;
    liMove.QuadPart = dwMethod == FILE_BEGIN ? (LONGLONG)dwOffset : (LONGLONG)(LONG)dwOffset;
    return SetFilePointerEx(hFile, liMove, NULL, dwMethod) ? 0 : GetLastError();
}

// Record offsets are 32 bits in this format: a position beyond them cannot be recorded.
DWORD GetPos(HANDLE hFile, DWORD* pdwPos)
{
    LARGE_INTEGER liZero = {}, liPos;
    if (!SetFilePointerEx(hFile, liZero, &liPos, FILE_CURRENT))
        return GetLastError();
    if (liPos.QuadPart > 0xFFFFFFFF)
        return ERROR_FILE_TOO_LARGE;
    *pdwPos = (DWORD)liPos.QuadPart;
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and state

CRecFile::CRecFile(int bThrow) : m_bThrow(bThrow)
{
    clearData();
}

CRecFile::~CRecFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

void CRecFile::clearData()
{
    m_hFile = INVALID_HANDLE_VALUE;
    m_strPath.Empty();
    m_nMode = modeClosed;
    m_dwFirstRec = 0;
    m_dwFileSize = 0;
    resetSeek();
    m_dwFileType = 0xFFFFFFFF;
    m_dwVersion = 0xFFFFFFFF;
    memset(&m_CreationTime, 0, sizeof(m_CreationTime));
    m_strDesc.Empty();
}

void CRecFile::resetSeek()
{
    m_nSeekState = seekNone;
    m_dwNextRec = 0;
    memset(&m_RecHdr, 0, sizeof(m_RecHdr));
    m_dwChecksum = 0;
    m_dwDataCount = 0;
    m_dwRecStart = 0xFFFFFFFF;
}

BOOL CRecFile::error(DWORD dwCode)
{
    resetSeek();
    if (dwCode == 0xFFFFFFFF)
        dwCode = GetLastError();
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    // Last, so that closing cannot overwrite what the caller will ask for.
    SetLastError(dwCode);
    if (m_bThrow)
        AfxThrowFileException(CFileException::OsErrorToException((LONG)dwCode), (LONG)dwCode, m_strPath);
    return FALSE;
}

BOOL CRecFile::abandon(DWORD dwCode, BOOL bDelete)
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (bDelete)
        DeleteFileA(m_strPath);
    CString strPath = m_strPath;
    clearData();
    m_strPath = strPath;
    return error(dwCode);
}

BOOL CRecFile::isOpen()
{
    return m_hFile != INVALID_HANDLE_VALUE ? TRUE : error(ERROR_INVALID_FUNCTION);
}

BOOL CRecFile::isReading()
{
    return m_hFile != INVALID_HANDLE_VALUE && m_nMode == modeRead ? TRUE : error(ERROR_INVALID_FUNCTION);
}

BOOL CRecFile::isWriting()
{
    return m_hFile != INVALID_HANDLE_VALUE && m_nMode == modeWrite ? TRUE : error(ERROR_INVALID_FUNCTION);
}

DWORD CRecFile::checksum(DWORD dwStart, const void* pData, int nLength)
{
    return nLength > 0 ? RotateXor(dwStart, pData, (size_t)nLength) : dwStart;
}

CString CRecFile::getFullPath(LPCSTR pszPath)
{
    char szFull[MAX_PATH];
    LPSTR pszFilePart = NULL;
    DWORD cch = pszPath ? GetFullPathNameA(pszPath, MAX_PATH, szFull, &pszFilePart) : 0;
    // A path that does not resolve within MAX_PATH is kept as given; opening it reports why.
    return cch > 0 && cch < MAX_PATH ? CString(szFull) : CString(pszPath);
}

BOOL CRecFile::seek(DWORD dwOffset, DWORD dwMethod)
{
    resetSeek();
    DWORD dwErr = MoveTo(m_hFile, dwOffset, dwMethod);
    if (dwErr)
        return error(dwErr);
    m_nSeekState = seekBetween;
    return TRUE;
}

BOOL CRecFile::Close()
{
    if (m_hFile == INVALID_HANDLE_VALUE) {
        clearData();
        return FALSE;
    }
    if (!CloseHandle(m_hFile)) {
        DWORD dwErr = GetLastError();
        // Gone either way: closing the value again could close a handle that another thread
        // has been given since.
        m_hFile = INVALID_HANDLE_VALUE;
        return abandon(dwErr);
    }
    m_hFile = INVALID_HANDLE_VALUE;
    clearData();
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Writing

BOOL CRecFile::Create(LPCSTR pszPath, DWORD dwFileType, DWORD dwVersion, LPCSTR pszDesc)
{
    if (m_hFile != INVALID_HANDLE_VALUE || m_nMode != modeClosed)
        return error(ERROR_INVALID_FUNCTION);
    clearData();
    m_strPath = getFullPath(pszPath);
    if (pszPath == NULL || pszDesc == NULL || strlen(pszDesc) > (size_t)cchMaxDesc)
        return error(ERROR_INVALID_FUNCTION);

    m_hFile = CreateFileA(m_strPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return error(GetLastError());
    m_nMode = modeWrite;

    DWORD dwErr;
    {
        // The writes below must not throw past the clean-up: a failed Create leaves no file.
        CTempFlag noThrow(m_bThrow, FALSE);
        dwErr = WriteExact(m_hFile, m_szFileID, sizeof(m_szFileID));
        if (dwErr == 0) {
            m_nSeekState = seekBetween;
            m_dwFileType = dwFileType;
            m_dwVersion = dwVersion;
            GetLocalTime(&m_CreationTime);
            m_strDesc = pszDesc;
            CString strHeader;
            strHeader.Format("%u\n%u\n%02u/%02u/%u %02u:%02u:%02u\n%s\n", (UINT)dwFileType, (UINT)dwVersion,
                             m_CreationTime.wDay, m_CreationTime.wMonth, m_CreationTime.wYear,
                             m_CreationTime.wHour, m_CreationTime.wMinute, m_CreationTime.wSecond, pszDesc);
            if (!WriteRec(0, 1, (DWORD)strHeader.GetLength() + 1, (LPCSTR)strHeader))
                dwErr = GetLastError();
        }
    }
    return dwErr == 0 ? TRUE : abandon(dwErr, TRUE);
}

BOOL CRecFile::WriteRec(DWORD dwRecType, DWORD dwRecVersion, DWORD dwDataLength, const void* pData)
{
    return WriteRecBegin(dwRecType, dwRecVersion) && WriteRecData(pData, dwDataLength) && WriteRecEnd();
}

BOOL CRecFile::WriteRecBegin(DWORD dwRecType, DWORD dwRecVersion)
{
    if (!isWriting())
        return FALSE;
    if (m_nSeekState != seekBetween)
        return error(ERROR_INVALID_FUNCTION);
    DWORD dwErr = GetPos(m_hFile, &m_dwRecStart);
    if (dwErr == 0) {
        m_RecHdr.dwRecID = m_dwRecHdrID;
        m_RecHdr.dwRecType = dwRecType;
        m_RecHdr.dwRecVersion = dwRecVersion;
        m_RecHdr.dwDataLength = 0;
        m_RecHdr.dwChecksum = 0;
        dwErr = WriteExact(m_hFile, &m_RecHdr, sizeof(m_RecHdr));
    }
    if (dwErr)
        return error(dwErr);
    m_dwChecksum = 0;
    m_dwDataCount = 0;
    m_nSeekState = seekHeader;
    return TRUE;
}

BOOL CRecFile::WriteRecData(const void* pData, DWORD dwLength)
{
    if (!isWriting())
        return FALSE;
    // A record longer than its 32-bit length field could say would be stored with a wrong length.
    if (m_nSeekState != seekHeader || (pData == NULL && dwLength != 0) ||
        (ULONGLONG)m_dwDataCount + dwLength > 0xFFFFFFFF)
        return error(ERROR_INVALID_FUNCTION);
    DWORD dwErr = WriteExact(m_hFile, pData, dwLength);
    if (dwErr)
        return error(dwErr);
    m_dwChecksum = RotateXor(m_dwChecksum, pData, dwLength);
    m_dwDataCount += dwLength;
    return TRUE;
}

BOOL CRecFile::WriteRecEnd()
{
    if (!isWriting())
        return FALSE;
    if (m_nSeekState != seekHeader)
        return error(ERROR_INVALID_FUNCTION);

    DWORD adwStart[3];
    DWORD dwErr = MoveTo(m_hFile, m_dwRecStart, FILE_BEGIN);
    if (dwErr == 0)
        dwErr = ReadExact(m_hFile, adwStart, sizeof(adwStart), ERROR_HANDLE_EOF);
    if (dwErr)
        return error(dwErr);
    if (adwStart[0] != m_dwRecHdrID || adwStart[1] != m_RecHdr.dwRecType || adwStart[2] != m_RecHdr.dwRecVersion)
        return error(ERROR_SEEK);

    m_RecHdr.dwDataLength = m_dwDataCount;
    m_RecHdr.dwChecksum = m_dwChecksum;
    // Length and checksum are the header's last 8 bytes, right where the read stopped.
    dwErr = WriteExact(m_hFile, &m_RecHdr.dwDataLength, 2 * sizeof(DWORD));
    if (dwErr == 0)
        dwErr = MoveTo(m_hFile, 0, FILE_END);
    if (dwErr)
        return error(dwErr);
    m_nSeekState = seekBetween;
    m_dwRecStart = 0xFFFFFFFF;
    return TRUE;
}

DWORD CRecFile::GetRecFilePointer()
{
    if (!isWriting())
        return 0xFFFFFFFF;
    if (m_nSeekState != seekBetween) {
        error(ERROR_INVALID_FUNCTION);
        return 0xFFFFFFFF;
    }
    DWORD dwPos = 0xFFFFFFFF;
    DWORD dwErr = GetPos(m_hFile, &dwPos);
    if (dwErr) {
        error(dwErr);
        return 0xFFFFFFFF;
    }
    return dwPos;
}

// ---------------------------------------------------------------------------------------------
// Opening

BOOL CRecFile::Open(LPCSTR pszPath, DWORD dwFileType, BOOL bWrite)
{
    if (m_hFile != INVALID_HANDLE_VALUE || m_nMode != modeClosed)
        return error(ERROR_INVALID_FUNCTION);
    clearData();
    m_strPath = getFullPath(pszPath);
    if (pszPath == NULL)
        return error(ERROR_INVALID_FUNCTION);

    m_hFile = CreateFileA(m_strPath, GENERIC_READ | (bWrite ? GENERIC_WRITE : 0), 0, NULL, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return error(GetLastError());
    m_nMode = bWrite ? modeWrite : modeRead;

    // A file too short for its own header is not a record file: that is a format error, not
    // an I/O error, and the system has no code of its own for it.
    char szID[sizeof(m_szFileID)] = {};
    DWORD dwErr = ReadExact(m_hFile, szID, sizeof(szID), ERROR_BAD_FORMAT);
    if (dwErr)
        return abandon(dwErr);
    if (memcmp(szID, m_szFileID, sizeof(szID)) != 0)
        return abandon(ERROR_BAD_FORMAT);

    m_nSeekState = seekBetween;
    m_dwFirstRec = sizeof(m_szFileID);
    LARGE_INTEGER liSize;
    if (!GetFileSizeEx(m_hFile, &liSize))
        return abandon(GetLastError());
    if (liSize.QuadPart > 0xFFFFFFFF)
        return abandon(ERROR_BAD_FORMAT);
    m_dwFileSize = (DWORD)liSize.QuadPart;

    tagRECHDR hdr;
    dwErr = ReadExact(m_hFile, &hdr, sizeof(hdr), ERROR_BAD_FORMAT);
    if (dwErr)
        return abandon(dwErr);
    // The length comes from the file: it must fit in the file before anything is allocated for it.
    if ((ULONGLONG)m_dwFirstRec + sizeof(hdr) + hdr.dwDataLength > m_dwFileSize)
        return abandon(ERROR_BAD_FORMAT);
    std::unique_ptr<char[]> pszText(new (std::nothrow) char[(size_t)hdr.dwDataLength + 1]);
    if (!pszText)
        return abandon(ERROR_NOT_ENOUGH_MEMORY);
    dwErr = ReadExact(m_hFile, pszText.get(), hdr.dwDataLength, ERROR_BAD_FORMAT);
    if (dwErr)
        return abandon(dwErr);
    pszText[hdr.dwDataLength] = '\0';
    if (RotateXor(0, pszText.get(), hdr.dwDataLength) != hdr.dwChecksum)
        return abandon(ERROR_BAD_FORMAT);

    UINT an[8];
    if (sscanf(pszText.get(), "%u\n%u\n%u/%u/%u %u:%u:%u\n", &an[0], &an[1], &an[2], &an[3], &an[4], &an[5],
               &an[6], &an[7]) < 8)
        return abandon(ERROR_BAD_FORMAT);
    m_dwFileType = an[0];
    m_dwVersion = an[1];
    m_CreationTime.wDay = (WORD)an[2];
    m_CreationTime.wMonth = (WORD)an[3];
    m_CreationTime.wYear = (WORD)an[4];
    m_CreationTime.wHour = (WORD)an[5];
    m_CreationTime.wMinute = (WORD)an[6];
    m_CreationTime.wSecond = (WORD)an[7];

    LPCSTR pszRest = pszText.get();
    for (int nLine = 0; nLine < 3 && pszRest; ++nLine) {
        pszRest = strchr(pszRest, '\n');
        if (pszRest)
            ++pszRest;
    }
    m_strDesc = pszRest;
    m_strDesc.TrimRight();

    if (dwFileType != 0xFFFFFFFF && dwFileType != m_dwFileType)
        return abandon(ERROR_BAD_FORMAT);
    m_dwNextRec = m_dwFirstRec + sizeof(hdr) + hdr.dwDataLength;
    if (bWrite) {
        dwErr = MoveTo(m_hFile, 0, FILE_END);
        if (dwErr)
            return abandon(dwErr);
    }
    m_nSeekState = seekBetween;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// The header record's values

BOOL CRecFile::GetFileType(DWORD& dwType)
{
    dwType = 0xFFFFFFFF;
    if (!isOpen())
        return FALSE;
    dwType = m_dwFileType;
    return TRUE;
}

BOOL CRecFile::GetVersion(DWORD& dwVer)
{
    dwVer = 0xFFFFFFFF;
    if (!isOpen())
        return FALSE;
    dwVer = m_dwVersion;
    return TRUE;
}

BOOL CRecFile::GetCreationTime(SYSTEMTIME* pTime)
{
    if (!isOpen())
        return FALSE;
    if (pTime == NULL)
        return error(ERROR_INVALID_FUNCTION);
    *pTime = m_CreationTime;
    return TRUE;
}

BOOL CRecFile::GetCreationTime(CString& strTime)
{
    if (!isOpen())
        return FALSE;
    strTime.Format("%02u/%02u/%u %02u:%02u:%02u", m_CreationTime.wDay, m_CreationTime.wMonth,
                   m_CreationTime.wYear, m_CreationTime.wHour, m_CreationTime.wMinute, m_CreationTime.wSecond);
    return TRUE;
}

LPCSTR CRecFile::GetDesc()
{
    return isOpen() ? (LPCSTR)m_strDesc : NULL;
}

// ---------------------------------------------------------------------------------------------
// Navigation

BOOL CRecFile::FindNextRec(DWORD dwRecType)
{
    if (!isReading())
        return FALSE;
    for (;;) {
        // With a record current the file position may be anywhere in its data.
        if (m_nSeekState >= seekHeader && !seek(m_dwNextRec, FILE_BEGIN))
            return FALSE;
        DWORD dwHeaderPos = 0;
        DWORD dwRead = 0;
        DWORD dwErr = GetPos(m_hFile, &dwHeaderPos);
        if (dwErr == 0 && !ReadFile(m_hFile, &m_RecHdr, sizeof(m_RecHdr), &dwRead, NULL))
            dwErr = GetLastError();
        if (dwErr)
            return error(dwErr);
        if (dwRead < sizeof(m_RecHdr)) {
            // The end of the walk: not an error, but a caller who asks why is told.
            resetSeek();
            SetLastError(ERROR_HANDLE_EOF);
            return FALSE;
        }
        if (m_RecHdr.dwRecID != m_dwRecHdrID)
            return error(ERROR_SEEK);
        ULONGLONG ullNext = (ULONGLONG)dwHeaderPos + sizeof(m_RecHdr) + m_RecHdr.dwDataLength;
        if (ullNext > m_dwFileSize)
            return error(ERROR_SEEK);
        m_dwNextRec = (DWORD)ullNext;
        m_dwChecksum = 0;
        m_dwDataCount = 0;
        m_nSeekState = seekHeader;
        if (dwRecType == 0xFFFFFFFF || dwRecType == m_RecHdr.dwRecType)
            return TRUE;
    }
}

BOOL CRecFile::Rewind()
{
    return isReading() && seek(m_dwFirstRec, FILE_BEGIN);
}

BOOL CRecFile::SeekToRecord(DWORD dwOffset)
{
    if (!isReading())
        return FALSE;
    if (dwOffset == 0xFFFFFFFF)
        return error(ERROR_INVALID_FUNCTION);
    return seek(dwOffset, FILE_BEGIN) && FindNextRec(0xFFFFFFFF);
}

// A record stays current after it has been read, until the position moves (which clears the
// header), so that its header can still be looked at.
CRecFile::tagRECHDR* CRecFile::GetRecHdr()
{
    if (!isOpen())
        return NULL;
    return m_RecHdr.dwRecID == m_dwRecHdrID ? &m_RecHdr : NULL;
}

DWORD CRecFile::GetRecType()
{
    tagRECHDR* pHdr = GetRecHdr();
    return pHdr ? pHdr->dwRecType : 0xFFFFFFFF;
}

// ---------------------------------------------------------------------------------------------
// Reading

BOOL CRecFile::ReadRecBegin(tagRECHDR* pRecHdr)
{
    if (!isReading())
        return FALSE;
    if (m_nSeekState != seekHeader || pRecHdr == NULL)
        return error(ERROR_INVALID_FUNCTION);
    *pRecHdr = m_RecHdr;
    m_dwDataCount = 0;
    return TRUE;
}

BOOL CRecFile::ReadRecData(void* pData, DWORD dwLength)
{
    if (!isReading())
        return FALSE;
    if ((m_nSeekState != seekHeader && m_nSeekState != seekData) || (pData == NULL && dwLength != 0) ||
        (ULONGLONG)m_dwDataCount + dwLength > m_RecHdr.dwDataLength)
        return error(ERROR_INVALID_FUNCTION);
    DWORD dwErr = ReadExact(m_hFile, pData, dwLength, ERROR_HANDLE_EOF);
    if (dwErr)
        return error(dwErr);
    m_dwChecksum = RotateXor(m_dwChecksum, pData, dwLength);
    m_dwDataCount += dwLength;
    m_nSeekState = m_dwDataCount == m_RecHdr.dwDataLength ? seekDataAll : seekData;
    return TRUE;
}

BOOL CRecFile::ReadRecEnd()
{
    if (!isReading())
        return FALSE;
    if (m_nSeekState != seekDataAll)
        return error(ERROR_INVALID_FUNCTION);
    if (m_dwChecksum != m_RecHdr.dwChecksum)
        return error(ERROR_CRC);
    m_nSeekState = seekBetween;
    return TRUE;
}

BOOL CRecFile::ReadRec(void* pData, DWORD dwLength)
{
    tagRECHDR hdr;
    return ReadRecBegin(&hdr) && ReadRecData(pData, dwLength) && ReadRecEnd();
}

// ---------------------------------------------------------------------------------------------
// Verification

BOOL CRecFile::readRecInPieces()
{
    tagRECHDR hdr;
    if (!ReadRecBegin(&hdr))
        return FALSE;
    DWORD cbBuf = hdr.dwDataLength < cbVerifyPiece ? hdr.dwDataLength : cbVerifyPiece;
    std::unique_ptr<BYTE[]> pBuf(new (std::nothrow) BYTE[cbBuf ? cbBuf : 1]);
    if (!pBuf)
        return error(ERROR_NOT_ENOUGH_MEMORY);
    // One pass even for an empty record, so that its checksum is checked too.
    DWORD dwLeft = hdr.dwDataLength;
    do {
        DWORD cb = dwLeft < cbBuf ? dwLeft : cbBuf;
        if (!ReadRecData(pBuf.get(), cb))
            return FALSE;
        dwLeft -= cb;
    } while (dwLeft);
    return ReadRecEnd();
}

BOOL CRecFile::Verify(LPCSTR pszPath, DWORD dwFileType)
{
    CTempFlag throwAll(m_bThrow, TRUE);
    BOOL bResult = TRUE;
    try {
        KELM_VERIFY(Open(pszPath, dwFileType, FALSE));
        DWORD dwWalked = m_dwNextRec;
        while (FindNextRec(0xFFFFFFFF)) {
            KELM_VERIFY(GetRecHdr() != NULL);
            dwWalked = m_dwNextRec;
            KELM_VERIFY(readRecInPieces());
        }
        // A walk that stopped short of the end met a record header cut off by the end of file.
        if (dwWalked != m_dwFileSize)
            error(ERROR_SEEK);
    } catch (CFileException* e) {
        char szText[520];
        e->GetErrorMessage(szText, sizeof(szText));
        MessageBoxA(NULL, szText, "Verify Failed", MB_ICONHAND);
        e->Delete();
        bResult = FALSE;
    }
    m_bThrow = FALSE;
    Close();
    return bResult;
}

BOOL CRecFile::Dump(LPCSTR /*pszPath*/, LPCSTR /*pszDumpPath*/)
{
    return FALSE;
}
