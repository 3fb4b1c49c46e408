// Files: CFile over a Win32 handle, and CStdioFile, a buffered text file over the same handle.
// Both report exact byte positions of the file at all times (see CStdioFile).
#pragma once

#include "fxexcept.h"

class FX_API CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        shareCompat = 0x0000, shareExclusive = 0x0010, shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030, shareDenyNone = 0x0040, modeNoInherit = 0x0080,
        modeCreate = 0x1000, modeNoTruncate = 0x2000, typeText = 0x4000, typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    CFile();
    explicit CFile(HANDLE hFile);
    CFile(LPCSTR lpszFileName, UINT nOpenFlags);  // throws CFileException* on failure
    ~CFile() override;

    // Attributes
    HANDLE m_hFile;
    static const HANDLE hFileNull;
    operator HANDLE() const { return m_hFile; }
    virtual ULONGLONG GetPosition() const;
    CString GetFileName() const;
    CString GetFilePath() const { return m_strFileName; }

    // Opens the file; on failure fills *pError (when given) and returns FALSE.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL);
    // Reading and writing throw CFileException* on a system failure.
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, CFile::end); }
    void SeekToBegin() { Seek(0, CFile::begin); }
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();          // throws on a failed close
    virtual void Abort();          // closes, never throws

    static void PASCAL Rename(LPCSTR lpszOldName, LPCSTR lpszNewName);
    static void PASCAL Remove(LPCSTR lpszFileName);

protected:
    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};

// A text file read and written through its own buffer on the Win32 handle. Positions are always
// the true byte offsets in the file, whatever its line ends (the C runtime's text streams lose
// them on files with bare line feeds). In text mode, reading turns CR LF into LF and writing
// turns LF into CR LF.
class FX_API CStdioFile : public CFile
{
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    CStdioFile(LPCSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFile() override;

    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL) override;

    // Reads at most nMax - 1 characters of one line; the line feed is kept, as fgets keeps it.
    // Returns NULL at the end of the file.
    virtual LPSTR ReadString(LPSTR lpsz, UINT nMax);
    // Reads one whole line without its line feed; FALSE at the end of the file.
    virtual BOOL ReadString(CString& rString);
    virtual void WriteString(LPCSTR lpsz);

    ULONGLONG GetPosition() const override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

private:
    int GetRawChar();              // next byte, -1 at the end; throws on a read error
    void Discard();                // forgets the read-ahead, moving the handle back to our position

    enum { bufSize = 4096 };
    BYTE* m_pBuf;
    UINT m_nBufLen;                // bytes in the read-ahead buffer
    UINT m_nBufPos;                // next byte to hand out
    BOOL m_bText;
};
