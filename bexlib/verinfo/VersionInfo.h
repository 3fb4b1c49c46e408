// CVersionInfo: the version resource of one program file, read through the version API.
//
// Usage: Init, then any number of StringFileInfo, GetFixedFileInfo and Language calls. Every
// answer comes from the first translation of the resource. The status is that of the last
// question: once one fails (an entry the string table lacks), every later question answers
// empty until Init runs again; reports that ask in a fixed order rely on that.
#pragma once

#include "../bexdefs.h"

class BEX_API CVersionInfo
{
public:
    CVersionInfo();
    ~CVersionInfo();
    // Owns the version data that the answers point into.
    CVersionInfo(const CVersionInfo&) = delete;
    CVersionInfo& operator=(const CVersionInfo&) = delete;

    // Reads the resource of strFile (a bare name is found by the version API's own search); an
    // empty name means the file of the framework's current instance. Nonzero when the resource
    // and its translation table were read.
    int Init(const CString& strFile);
    int IsOk();
    // The root block; the member stays NULL until a query has found it.
    const VS_FIXEDFILEINFO*& GetFixedFileInfo();
    // The entry lpszKey of the first translation's string table, or "".
    CString StringFileInfo(const char* lpszKey);
    // The name of the first translation's language, or "".
    CString Language();

private:
    void Release();

    LPBYTE m_pVersionData;                   // as GetFileVersionInfoA filled it
    DWORD m_dwHandle;                        // from GetFileVersionInfoSizeA
    DWORD m_dwLangCharset;                   // language << 16 | code page: names the string table
    DWORD m_dwTranslation;                   // the first translation entry as stored
    BOOL m_bOk;
    const VS_FIXEDFILEINFO* m_pFixedFileInfo;   // points into m_pVersionData
};
