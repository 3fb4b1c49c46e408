// CRecFile: the suite's record file. An identification text, a header record (file type,
// version, creation time, description) and then typed records, each with its own length and
// checksum, so that a reader can skip what it does not know and detect what is damaged.
#pragma once

#include "../bexdefs.h"

// Usage: a writer calls Create, then WriteRec (or WriteRecBegin, WriteRecData..., WriteRecEnd)
// per record, then Close. A reader calls Open, then FindNextRec and ReadRec per record, then
// Close. Every failure closes the file and sets the thread's last error; with the throw flag
// (the default) it also throws a CFileException*, which the catcher releases with Delete().
// After a failure only Close makes the object usable again, except after a failed Create or
// Open, which leave it closed and ready.
//
// Writing goes through a 64 KiB buffer, so a write that the system refuses (a full disk) is
// reported not by the call whose bytes it was but by the next call that passes the buffer on to
// the file: a WriteRecBegin or WriteRecData that finds no room left in it, the WriteRecEnd of a
// record too long to stay in it, or Close, whose result must therefore be checked. Create writes
// the identification and the header record before it returns, so a failed Create still leaves
// no file. The destructor writes what is left but cannot report a failure. Any other failure
// first writes what was buffered, so records finished before it stay in the file.
class BEX_API CRecFile
{
public:
    // The 20 bytes in front of every record's data, as stored (little-endian).
    struct tagRECHDR {
        DWORD dwRecID;          // m_dwRecHdrID
        DWORD dwRecType;        // the writer's record type; 0 is the header record
        DWORD dwRecVersion;     // the writer's record version; 1 for the header record
        DWORD dwDataLength;     // data bytes behind this header
        DWORD dwChecksum;       // rotate-XOR checksum of those bytes
    };

    // The 43 bytes every record file begins with (40 characters, LF, Ctrl-Z, NUL).
    static const char m_szFileID[43];
    // The record header marker, "****" read as a little-endian DWORD.
    static const DWORD m_dwRecHdrID;

    explicit CRecFile(int bThrow = 1);
    ~CRecFile();

    // Writing
    BOOL Create(LPCSTR pszPath, DWORD dwFileType, DWORD dwVersion, LPCSTR pszDesc);
    BOOL WriteRec(DWORD dwRecType, DWORD dwRecVersion, DWORD dwDataLength, const void* pData);
    BOOL WriteRecBegin(DWORD dwRecType, DWORD dwRecVersion);
    BOOL WriteRecData(const void* pData, DWORD dwLength);
    BOOL WriteRecEnd();
    // Where the next record's header will be written (for SeekToRecord), or 0xFFFFFFFF.
    DWORD GetRecFilePointer();

    // Opening; dwFileType 0xFFFFFFFF accepts any type. bWrite opens for appending records.
    BOOL Open(LPCSTR pszPath, DWORD dwFileType, BOOL bWrite = FALSE);
    BOOL Close();

    // The header record's values
    BOOL GetFileType(DWORD& dwType);
    BOOL GetVersion(DWORD& dwVer);
    BOOL GetCreationTime(SYSTEMTIME* pTime);
    BOOL GetCreationTime(CString& strTime);
    LPCSTR GetDesc();

    // Navigation; dwRecType 0xFFFFFFFF finds a record of any type. At the end of the file
    // FindNextRec returns FALSE with last error ERROR_HANDLE_EOF, the file still open.
    BOOL FindNextRec(DWORD dwRecType = 0xFFFFFFFF);
    BOOL Rewind();
    BOOL SeekToRecord(DWORD dwOffset);
    tagRECHDR* GetRecHdr();
    DWORD GetRecType();

    // Reading the current record, whole or in parts; ReadRecEnd checks the checksum.
    BOOL ReadRecBegin(tagRECHDR* pRecHdr);
    BOOL ReadRecData(void* pData, DWORD dwLength);
    BOOL ReadRecEnd();
    BOOL ReadRec(void* pData, DWORD dwLength);

    // Reads the whole file once; damage is shown in a "Verify Failed" box and gives FALSE.
    BOOL Verify(LPCSTR pszPath, DWORD dwFileType);
    // Kept for the interface; does nothing.
    BOOL Dump(LPCSTR pszPath, LPCSTR pszDumpPath);

protected:
    void clearData();
    void resetSeek();
    // Sets the last error (0xFFFFFFFF: the system's), closes the file, throws when asked to.
    // Returns FALSE for the caller to pass on.
    BOOL error(DWORD dwCode);
    BOOL isOpen();
    BOOL isReading();
    BOOL isWriting();
    static DWORD checksum(DWORD dwStart, const void* pData, int nLength);
    static CString getFullPath(LPCSTR pszPath);
    BOOL seek(DWORD dwOffset, DWORD dwMethod);

private:
    CRecFile(const CRecFile&) = delete;
    CRecFile& operator=(const CRecFile&) = delete;

    // Gives the file up after a failed Create, Open or Close: handle closed, the file deleted
    // when asked, every field reset but the path (the exception names it), then error().
    BOOL abandon(DWORD dwCode, BOOL bDelete = FALSE);
    // ReadRecData once its arguments have been checked; no pData only checksums the data.
    BOOL readRecData(void* pData, DWORD dwLength);

    int m_bThrow;
    HANDLE m_hFile;
    CString m_strPath;
    int m_nMode;                // 0 closed, 1 reading, 2 writing
    int m_nSeekState;           // 0 none, 1 between records, 2 header current, 3/4 data part/all read
    DWORD m_dwFirstRec;
    DWORD m_dwNextRec;
    DWORD m_dwFileSize;
    tagRECHDR m_RecHdr;
    DWORD m_dwFileType;
    DWORD m_dwVersion;
    SYSTEMTIME m_CreationTime;
    CString m_strDesc;
    DWORD m_dwChecksum;
    DWORD m_dwDataCount;
    DWORD m_dwRecStart;
    // The bytes on their way to or from the file while one is open, so that a record costs no
    // system call of its own.
    struct CFileBuffer;
    CFileBuffer* m_pBuffer;
};

// Stored as laid out, the same on both widths; the length and the checksum are written together.
static_assert(sizeof(CRecFile::tagRECHDR) == 20 && offsetof(CRecFile::tagRECHDR, dwRecType) == 4 &&
              offsetof(CRecFile::tagRECHDR, dwRecVersion) == 8 && offsetof(CRecFile::tagRECHDR, dwDataLength) == 12 &&
              offsetof(CRecFile::tagRECHDR, dwChecksum) == 16, "record header");
static_assert(sizeof(CRecFile::m_szFileID) == 43, "identification text");
