// CRecFile: writing, reading, navigation and verification of record files.
//
// Everything read from a file is distrusted: offsets and lengths are compared with the file's
// size in 64 bits before they are used, so a damaged length can neither wrap around, point
// backwards into a loop, nor make a read larger than the caller's buffer.
//
// Records pass through a buffer each way, so that small records cost no system call of their
// own: a writer's record header is finished in the buffer while it is still there, and a reader
// reads ahead and moves within what it has read without asking the system.
#include "RecFile.h"
#include "RotXor.h"
#include "../frame/kelmdbg.h"

#include <atomic>
#include <memory>
#include <new>
#include <stdio.h>
#include <string.h>

const char CRecFile::m_szFileID[43] = "Kelm-Ostrand Engineering, Record Archive\n\x1a";
// Constant-initialised, so it holds its value before any dynamic initialiser of the library
// runs, whatever their order.
const DWORD CRecFile::m_dwRecHdrID = 0x2A2A2A2A;
static_assert(CRecFile::m_dwRecHdrID == 0x2A2A2A2A, "the marker must be a compile-time constant");

namespace {

enum { modeClosed, modeRead, modeWrite };
enum { seekNone, seekBetween, seekHeader, seekData, seekDataAll };

const int cchMaxDesc = 1024;
// A writer's records go to the file through a buffer of this size.
const DWORD cbWriteBuffer = 0x10000;
// A reader asks the system for the least at first and for twice as much each time it goes on
// in order, up to the most: reading in order costs few system calls, a jump elsewhere little
// reading in vain.
const DWORD cbMinReadAhead = 0x10000;
const DWORD cbMaxReadAhead = 0x100000;
// Pieces of data this large go between the file and the caller's memory directly: copying
// them would cost more than the system call it saves.
const DWORD cbDirect = 0x10000;
static_assert(cbMinReadAhead <= cbWriteBuffer && cbMinReadAhead <= cbMaxReadAhead,
              "a writer opened for appending reads the file's head through its own buffer");

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

// ---------------------------------------------------------------------------------------------
// The buffer

// The buffer of the last reader closed, for the next one opened. Memory fresh from the system
// costs a page fault per page when first touched, which costs more than reading the page; the
// heap gives blocks this large back to the system when they are freed.
std::atomic<BYTE*> s_pSpareReadBuffer(nullptr);
struct CSpareReadBufferRelease {
    ~CSpareReadBufferRelease() { delete[] s_pSpareReadBuffer.exchange(nullptr); }
} s_spareReadBufferRelease;

// Copies, and continues the checksum over the bytes when there is one. With no destination the
// bytes are only checksummed.
void CopyData(BYTE* pDst, const BYTE* pSrc, DWORD cb, DWORD* pdwSum)
{
    if (pDst == NULL)
        *pdwSum = RotateXor(*pdwSum, pSrc, cb);
    else if (pdwSum)
        *pdwSum = RotateXorCopy(*pdwSum, pDst, pSrc, cb);
    else if (cb > 0)
        memcpy(pDst, pSrc, cb);
}

}  // namespace

// Writing: pab holds the cbData bytes that belong in the file at ullStart, where the file
// pointer stands. Reading: pab holds the cbData bytes read ahead from ullStart, the file pointer
// stands behind them, and pab[nNext] is the next byte to hand out.
struct CRecFile::CFileBuffer {
    ULONGLONG ullStart;
    DWORD cbData;
    DWORD nNext;
    DWORD cbAhead;      // reading: how much the next read ahead asks for
    // Writing: where the record being written begins. What comes before it goes to the file
    // first, so that its header stays where it can be finished without a system call.
    ULONGLONG ullRecord;
    const DWORD cbSize;
    BYTE* const pab;

    // NULL when memory is short.
    static CFileBuffer* New(BOOL bReading)
    {
        BYTE* pab = bReading ? s_pSpareReadBuffer.exchange(nullptr) : NULL;
        if (pab == NULL)
            pab = new (std::nothrow) BYTE[bReading ? cbMaxReadAhead : cbWriteBuffer];
        CFileBuffer* p = pab ? new (std::nothrow) CFileBuffer(bReading ? cbMaxReadAhead : cbWriteBuffer, pab) : NULL;
        if (p == NULL)
            delete[] pab;
        return p;
    }
    ~CFileBuffer()
    {
        if (cbSize == cbMaxReadAhead)
            delete[] s_pSpareReadBuffer.exchange(pab);
        else
            delete[] pab;
    }
    ULONGLONG WritePos() const { return ullStart + cbData; }
    ULONGLONG ReadPos() const { return ullStart + nNext; }

    // These return 0 or the error code to raise. pdwSum, when given, is the checksum to continue
    // over the bytes that pass.
    DWORD Flush(HANDLE hFile);
    DWORD Put(HANDLE hFile, const void* pData, DWORD cb, DWORD* pdwSum);
    // *pcbDone short of cb without an error: the file ended. With no pData the bytes are only
    // checksummed.
    DWORD Get(HANDLE hFile, void* pData, DWORD cb, DWORD* pcbDone, DWORD* pdwSum);
    DWORD GetExact(HANDLE hFile, void* pData, DWORD cb, DWORD dwShortCode, DWORD* pdwSum = NULL);
    DWORD Seek(HANDLE hFile, DWORD dwOffset, DWORD dwMethod, BOOL bWriting);

private:
    CFileBuffer(DWORD cb, BYTE* pabBytes)
        : ullStart(0), cbData(0), nNext(0), cbAhead(cbMinReadAhead), ullRecord(0), cbSize(cb), pab(pabBytes)
    {
    }
    DWORD WriteOut(HANDLE hFile, DWORD cb);
    CFileBuffer(const CFileBuffer&) = delete;
    CFileBuffer& operator=(const CFileBuffer&) = delete;
};

// Writes the first cb bytes and keeps the rest. After a failure nothing is kept: the file
// pointer is then wherever the system left it, and writing the bytes again there would garble
// the file.
DWORD CRecFile::CFileBuffer::WriteOut(HANDLE hFile, DWORD cb)
{
    if (cb == 0)
        return 0;
    DWORD dwErr = WriteExact(hFile, pab, cb);
    if (dwErr) {
        cbData = 0;
        return dwErr;
    }
    memmove(pab, pab + cb, cbData - cb);
    cbData -= cb;
    ullStart += cb;
    return 0;
}

DWORD CRecFile::CFileBuffer::Flush(HANDLE hFile)
{
    return WriteOut(hFile, cbData);
}

DWORD CRecFile::CFileBuffer::Put(HANDLE hFile, const void* pData, DWORD cb, DWORD* pdwSum)
{
    const BYTE* pb = static_cast<const BYTE*>(pData);
    if (cb > cbSize - cbData && ullRecord > ullStart) {
        DWORD dwErr = WriteOut(hFile, (DWORD)(ullRecord - ullStart));
        if (dwErr)
            return dwErr;
    }
    DWORD cbFree = cbSize - cbData;
    if (cb > cbFree) {
        // Filled up first, so that the file gets whole buffers.
        CopyData(pab + cbData, pb, cbFree, pdwSum);
        cbData = cbSize;
        pb += cbFree;
        cb -= cbFree;
        DWORD dwErr = Flush(hFile);
        if (dwErr)
            return dwErr;
        if (cb >= cbDirect) {
            dwErr = WriteExact(hFile, pb, cb);
            if (dwErr)
                return dwErr;
            ullStart += cb;
            if (pdwSum)
                *pdwSum = RotateXor(*pdwSum, pb, cb);
            return 0;
        }
    }
    CopyData(pab + cbData, pb, cb, pdwSum);
    cbData += cb;
    return 0;
}

DWORD CRecFile::CFileBuffer::Get(HANDLE hFile, void* pData, DWORD cb, DWORD* pcbDone, DWORD* pdwSum)
{
    BYTE* pb = static_cast<BYTE*>(pData);
    DWORD cbDone = 0, dwErr = 0;
    for (;;) {
        DWORD cbHere = cb - cbDone < cbData - nNext ? cb - cbDone : cbData - nNext;
        CopyData(pb ? pb + cbDone : NULL, pab + nNext, cbHere, pdwSum);
        nNext += cbHere;
        cbDone += cbHere;
        if (cbDone == cb)
            break;
        ullStart += cbData;
        cbData = nNext = 0;
        DWORD cbRead = 0;
        if (pb && cb - cbDone >= cbDirect) {
            if (!ReadFile(hFile, pb + cbDone, cb - cbDone, &cbRead, NULL))
                dwErr = GetLastError();
            if (pdwSum)
                *pdwSum = RotateXor(*pdwSum, pb + cbDone, cbRead);
            ullStart += cbRead;
            cbDone += cbRead;
            // A record header most likely follows a piece this large, and then a jump or
            // another large piece: little is worth reading ahead.
            cbAhead = cbMinReadAhead;
            break;
        }
        if (!ReadFile(hFile, pab, cbAhead, &cbRead, NULL))
            dwErr = GetLastError();
        cbData = cbRead;
        cbAhead = cbAhead < cbSize / 2 ? 2 * cbAhead : cbSize;
        if (dwErr || cbRead == 0)
            break;
    }
    *pcbDone = cbDone;
    return dwErr;
}

DWORD CRecFile::CFileBuffer::GetExact(HANDLE hFile, void* pData, DWORD cb, DWORD dwShortCode, DWORD* pdwSum)
{
    DWORD cbDone = 0;
    DWORD dwErr = Get(hFile, pData, cb, &cbDone, pdwSum);
    return dwErr ? dwErr : cbDone == cb ? 0 : dwShortCode;
}

DWORD CRecFile::CFileBuffer::Seek(HANDLE hFile, DWORD dwOffset, DWORD dwMethod, BOOL bWriting)
{
    LARGE_INTEGER liMove, liNew;
    liMove.QuadPart = dwMethod == FILE_BEGIN ? (LONGLONG)dwOffset : (LONGLONG)(LONG)dwOffset;
    if (bWriting) {
        DWORD dwErr = Flush(hFile);
        if (dwErr)
            return dwErr;
    } else if (dwMethod != FILE_END) {
        // The file pointer stands behind what was read ahead, not where the reader is.
        if (dwMethod == FILE_CURRENT) {
            liMove.QuadPart += (LONGLONG)ReadPos();
            dwMethod = FILE_BEGIN;
        }
        if (liMove.QuadPart >= (LONGLONG)ullStart && liMove.QuadPart <= (LONGLONG)(ullStart + cbData)) {
            nNext = (DWORD)(liMove.QuadPart - (LONGLONG)ullStart);
            return 0;
        }
    }
    cbData = nNext = 0;
    cbAhead = cbMinReadAhead;
    if (!SetFilePointerEx(hFile, liMove, &liNew, dwMethod))
        return GetLastError();
    ullStart = (ULONGLONG)liNew.QuadPart;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Construction and state

CRecFile::CRecFile(int bThrow) : m_bThrow(bThrow), m_pBuffer(NULL)
{
    clearData();
}

CRecFile::~CRecFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        // What is still buffered would have been in the file without the buffer; a failure to
        // write it can no longer be reported.
        if (m_nMode == modeWrite)
            m_pBuffer->Flush(m_hFile);
        CloseHandle(m_hFile);
    }
    delete m_pBuffer;
}

void CRecFile::clearData()
{
    m_hFile = INVALID_HANDLE_VALUE;
    delete m_pBuffer;
    m_pBuffer = NULL;
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
        // Records finished before the failure stay in the file, as they would unbuffered.
        if (m_nMode == modeWrite)
            m_pBuffer->Flush(m_hFile);
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    delete m_pBuffer;
    m_pBuffer = NULL;
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
    DWORD dwErr = m_pBuffer ? m_pBuffer->Seek(m_hFile, dwOffset, dwMethod, m_nMode == modeWrite) : ERROR_INVALID_HANDLE;
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
    DWORD dwErr = m_nMode == modeWrite ? m_pBuffer->Flush(m_hFile) : 0;
    if (dwErr)
        return abandon(dwErr);
    if (!CloseHandle(m_hFile)) {
        dwErr = GetLastError();
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
    // Before the file exists: a failure here must not leave one behind.
    m_pBuffer = CFileBuffer::New(FALSE);
    if (m_pBuffer == NULL)
        return error(ERROR_NOT_ENOUGH_MEMORY);

    m_hFile = CreateFileA(m_strPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return error(GetLastError());
    m_nMode = modeWrite;

    DWORD dwErr;
    {
        // The writes below must not throw past the clean-up: a failed Create leaves no file.
        CTempFlag noThrow(m_bThrow, FALSE);
        dwErr = m_pBuffer->Put(m_hFile, m_szFileID, sizeof(m_szFileID), NULL);
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
        // A Create that succeeds has put its file's head on the disk.
        if (dwErr == 0)
            dwErr = m_pBuffer->Flush(m_hFile);
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
    // Record offsets are 32 bits in this format: a record beyond them could not be found again.
    ULONGLONG ullStart = m_pBuffer->WritePos();
    if (ullStart > 0xFFFFFFFF)
        return error(ERROR_FILE_TOO_LARGE);
    m_dwRecStart = (DWORD)ullStart;
    m_pBuffer->ullRecord = ullStart;
    m_RecHdr.dwRecID = m_dwRecHdrID;
    m_RecHdr.dwRecType = dwRecType;
    m_RecHdr.dwRecVersion = dwRecVersion;
    m_RecHdr.dwDataLength = 0;
    m_RecHdr.dwChecksum = 0;
    DWORD dwErr = m_pBuffer->Put(m_hFile, &m_RecHdr, sizeof(m_RecHdr), NULL);
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
    DWORD dwErr = m_pBuffer->Put(m_hFile, pData, dwLength, &m_dwChecksum);
    if (dwErr)
        return error(dwErr);
    m_dwDataCount += dwLength;
    return TRUE;
}

BOOL CRecFile::WriteRecEnd()
{
    if (!isWriting())
        return FALSE;
    if (m_nSeekState != seekHeader)
        return error(ERROR_INVALID_FUNCTION);

    m_RecHdr.dwDataLength = m_dwDataCount;
    m_RecHdr.dwChecksum = m_dwChecksum;
    // The header's first 12 bytes are checked where they are, and its last 8, length and
    // checksum, written there.
    const size_t cbCheck = 3 * sizeof(DWORD);
    DWORD adwStart[3];
    CFileBuffer& buf = *m_pBuffer;
    if (m_dwRecStart >= buf.ullStart) {
        BYTE* pbHdr = buf.pab + (m_dwRecStart - buf.ullStart);
        memcpy(adwStart, pbHdr, cbCheck);
        if (adwStart[0] != m_dwRecHdrID || adwStart[1] != m_RecHdr.dwRecType || adwStart[2] != m_RecHdr.dwRecVersion)
            return error(ERROR_SEEK);
        memcpy(pbHdr + cbCheck, &m_RecHdr.dwDataLength, 2 * sizeof(DWORD));
    } else {
        DWORD dwErr = buf.Flush(m_hFile);
        if (dwErr == 0)
            dwErr = MoveTo(m_hFile, m_dwRecStart, FILE_BEGIN);
        if (dwErr == 0)
            dwErr = ReadExact(m_hFile, adwStart, cbCheck, ERROR_HANDLE_EOF);
        if (dwErr)
            return error(dwErr);
        if (adwStart[0] != m_dwRecHdrID || adwStart[1] != m_RecHdr.dwRecType || adwStart[2] != m_RecHdr.dwRecVersion)
            return error(ERROR_SEEK);
        dwErr = WriteExact(m_hFile, &m_RecHdr.dwDataLength, 2 * sizeof(DWORD));
        if (dwErr == 0)
            dwErr = MoveTo(m_hFile, 0, FILE_END);
        if (dwErr)
            return error(dwErr);
    }
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
    ULONGLONG ullPos = m_pBuffer->WritePos();
    if (ullPos > 0xFFFFFFFF) {
        error(ERROR_FILE_TOO_LARGE);
        return 0xFFFFFFFF;
    }
    return (DWORD)ullPos;
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
    // Writing mode waits until what was read ahead has been dropped: buffered bytes of a writer
    // are bytes for the file.
    m_nMode = modeRead;
    m_pBuffer = CFileBuffer::New(!bWrite);
    if (m_pBuffer == NULL)
        return abandon(ERROR_NOT_ENOUGH_MEMORY);

    // A file too short for its own header is not a record file: that is a format error, not
    // an I/O error, and the system has no code of its own for it.
    char szID[sizeof(m_szFileID)] = {};
    DWORD dwErr = m_pBuffer->GetExact(m_hFile, szID, sizeof(szID), ERROR_BAD_FORMAT);
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
    dwErr = m_pBuffer->GetExact(m_hFile, &hdr, sizeof(hdr), ERROR_BAD_FORMAT);
    if (dwErr)
        return abandon(dwErr);
    // The length comes from the file: it must fit in the file before anything is allocated for it.
    if ((ULONGLONG)m_dwFirstRec + sizeof(hdr) + hdr.dwDataLength > m_dwFileSize)
        return abandon(ERROR_BAD_FORMAT);
    std::unique_ptr<char[]> pszText(new (std::nothrow) char[(size_t)hdr.dwDataLength + 1]);
    if (!pszText)
        return abandon(ERROR_NOT_ENOUGH_MEMORY);
    dwErr = m_pBuffer->GetExact(m_hFile, pszText.get(), hdr.dwDataLength, ERROR_BAD_FORMAT);
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
        dwErr = m_pBuffer->Seek(m_hFile, 0, FILE_END, FALSE);
        if (dwErr)
            return abandon(dwErr);
        m_nMode = modeWrite;
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
        // Only a derived class's own seek can have gone beyond the offsets of this format.
        ULONGLONG ullHeaderPos = m_pBuffer->ReadPos();
        if (ullHeaderPos > 0xFFFFFFFF)
            return error(ERROR_FILE_TOO_LARGE);
        DWORD dwRead = 0;
        DWORD dwErr = m_pBuffer->Get(m_hFile, &m_RecHdr, sizeof(m_RecHdr), &dwRead, NULL);
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
        ULONGLONG ullNext = ullHeaderPos + sizeof(m_RecHdr) + m_RecHdr.dwDataLength;
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
    return readRecData(pData, dwLength);
}

BOOL CRecFile::readRecData(void* pData, DWORD dwLength)
{
    DWORD dwErr = m_pBuffer->GetExact(m_hFile, pData, dwLength, ERROR_HANDLE_EOF, &m_dwChecksum);
    if (dwErr)
        return error(dwErr);
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

BOOL CRecFile::Verify(LPCSTR pszPath, DWORD dwFileType)
{
    CTempFlag throwAll(m_bThrow, TRUE);
    BOOL bResult = TRUE;
    try {
        KELM_VERIFY(Open(pszPath, dwFileType, FALSE));
        DWORD dwWalked = m_dwNextRec;
        tagRECHDR hdr = {};
        while (FindNextRec(0xFFFFFFFF)) {
            KELM_VERIFY(GetRecHdr() != NULL);
            dwWalked = m_dwNextRec;
            // Checked where it was read ahead, never copied: the data itself is not wanted.
            KELM_VERIFY(ReadRecBegin(&hdr) && readRecData(NULL, hdr.dwDataLength) && ReadRecEnd());
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
