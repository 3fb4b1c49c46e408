// CString: an 8-bit string value type. Every copy owns its own buffer, so a CString behaves as
// an int does: assign it, return it, keep it in an array; nothing is shared behind the caller's back.
#pragma once

#include "fxdefs.h"
#include <stdarg.h>

class FX_API CString
{
public:
    // Construction
    CString();
    CString(const CString& str);
    CString(CString&& str) noexcept;
    CString(LPCSTR lpsz);                       // NULL gives the empty string
    CString(LPCSTR lpch, int nLength);           // exactly nLength characters
    CString(char ch, int nRepeat = 1);
    ~CString();

    // Attributes
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    void Empty();
    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    char operator[](int nIndex) const { return GetAt(nIndex); }
    operator LPCSTR() const { return m_pszData; }

    // Assignment and concatenation
    CString& operator=(const CString& str);
    CString& operator=(CString&& str) noexcept;
    CString& operator=(LPCSTR lpsz);
    CString& operator=(char ch);
    CString& operator+=(const CString& str) { return Append(str.m_pszData, str.m_nLength); }
    CString& operator+=(LPCSTR lpsz);
    CString& operator+=(char ch) { return Append(&ch, 1); }
    friend FX_API CString operator+(const CString& s1, const CString& s2);
    friend FX_API CString operator+(const CString& s1, LPCSTR lpsz2);
    friend FX_API CString operator+(LPCSTR lpsz1, const CString& s2);
    friend FX_API CString operator+(const CString& s1, char ch);
    friend FX_API CString operator+(char ch, const CString& s2);

    // Comparison
    int Compare(LPCSTR lpsz) const;            // byte order, as strcmp
    int CompareNoCase(LPCSTR lpsz) const;      // as _stricmp
    int Collate(LPCSTR lpsz) const;            // lstrcmpA: the user locale's order

    // Extraction
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR lpszCharSet) const;
    CString SpanExcluding(LPCSTR lpszCharSet) const;

    // Conversion and editing
    void MakeUpper();                          // CharUpperBuffA
    void MakeLower();                          // CharLowerBuffA
    void MakeReverse();
    int Replace(char chOld, char chNew);
    int Replace(LPCSTR lpszOld, LPCSTR lpszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCSTR lpsz);
    int Delete(int nIndex, int nCount = 1);
    void TrimLeft();                           // white space as isspace() in the C locale
    void TrimLeft(char chTarget);
    void TrimLeft(LPCSTR lpszTargets);
    void TrimRight();
    void TrimRight(char chTarget);
    void TrimRight(LPCSTR lpszTargets);
    void Trim() { TrimRight(); TrimLeft(); }

    // Searching: indexes are 0-based, -1 when not found
    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR lpszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR lpszCharSet) const;

    // Formatting, with the C runtime's printf conventions
    void Format(LPCSTR lpszFormat, ...);
    void Format(UINT nFormatID, ...);
    void FormatV(LPCSTR lpszFormat, va_list argList);

    // Loads string resource nID, searching the application and then each extension library.
    BOOL LoadString(UINT nID);

    // Raw buffer access: GetBuffer gives room for nMinBufLength characters plus a NUL;
    // ReleaseBuffer(-1) takes the length from the NUL.
    LPSTR GetBuffer(int nMinBufLength);
    LPSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void FreeExtra();

private:
    CString& Append(LPCSTR lpch, int nLength);
    void Reserve(int nCapacity);
    void Assign(LPCSTR lpch, int nLength);

    LPSTR m_pszData;        // never NULL; points at s_chNil while nothing is allocated
    int m_nLength;
    int m_nAlloc;           // characters the buffer holds besides its NUL; 0 for s_chNil
    static char s_chNil;
};

inline bool operator==(const CString& s1, const CString& s2) { return s1.Compare(s2) == 0; }
inline bool operator==(const CString& s1, LPCSTR s2) { return s1.Compare(s2) == 0; }
inline bool operator==(LPCSTR s1, const CString& s2) { return s2.Compare(s1) == 0; }
inline bool operator!=(const CString& s1, const CString& s2) { return s1.Compare(s2) != 0; }
inline bool operator!=(const CString& s1, LPCSTR s2) { return s1.Compare(s2) != 0; }
inline bool operator!=(LPCSTR s1, const CString& s2) { return s2.Compare(s1) != 0; }
inline bool operator<(const CString& s1, const CString& s2) { return s1.Compare(s2) < 0; }
inline bool operator<(const CString& s1, LPCSTR s2) { return s1.Compare(s2) < 0; }
inline bool operator>(const CString& s1, const CString& s2) { return s1.Compare(s2) > 0; }
inline bool operator>(const CString& s1, LPCSTR s2) { return s1.Compare(s2) > 0; }
inline bool operator<=(const CString& s1, const CString& s2) { return s1.Compare(s2) <= 0; }
inline bool operator>=(const CString& s1, const CString& s2) { return s1.Compare(s2) >= 0; }
