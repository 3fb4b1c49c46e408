#include "lstr.h"

#include <string.h>

// Where _lstrtokcpy and _lstrtokncpy end a token: narrower than IsCharSpace, which they use to
// skip the white space before it.
static bool IsTokenCut(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

static bool IsTokenEnd(char ch)
{
    return ch == '\0' || IsCharSpace(ch);
}

// CharLowerA takes a character in the low word of its pointer argument; a sign-extended byte
// of 0x80 or above would reach it as a wild pointer.
static int LowerChar(char ch)
{
    return (BYTE)(UINT_PTR)CharLowerA((LPSTR)(UINT_PTR)(BYTE)ch);
}

static bool IsDelim(char ch, LPCSTR lpszDelims)
{
    return ch != '\0' && _lstrchr(lpszDelims, ch) != NULL;
}

// The token at the start of lpszSrc, at most cchMax characters of it, and a NUL.
static LPSTR CopyToken(LPSTR lpszDst, LPCSTR lpszSrc, size_t cchMax)
{
    lpszSrc = SkipSpace(lpszSrc);
    size_t i = 0;
    for (; i < cchMax && lpszSrc[i] != '\0' && !IsTokenCut(lpszSrc[i]); ++i)
        lpszDst[i] = lpszSrc[i];
    lpszDst[i] = '\0';
    return lpszDst;
}

// Where the extension of the path's file part begins (its last '.'), else the terminator.
static LPSTR FindExt(LPSTR lpszPath)
{
    LPSTR pExt = NULL;
    LPSTR p = lpszPath;
    for (; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/')
            pExt = NULL;
        else if (*p == '.')
            pExt = p;
    }
    return pExt ? pExt : p;
}

// No file API takes a name that long, so it cannot be a path the caller means to rename.
static bool IsOverlongPath(LPCSTR lpszPath)
{
    return strlen(lpszPath) >= MAX_PATH;
}

BOOL BEXAPI IsCharSpace(char ch)
{
    BYTE b = (BYTE)ch;
    return b == ' ' || (b >= 0x09 && b <= 0x0D);
}

LPSTR BEXAPI SkipSpace(LPCSTR lpsz)
{
    while (*lpsz != '\0' && IsCharSpace(*lpsz))
        ++lpsz;
    return (LPSTR)lpsz;
}

LPSTR BEXAPI SkipChar(LPCSTR lpsz)
{
    while (*lpsz != '\0' && !IsCharSpace(*lpsz))
        ++lpsz;
    return (LPSTR)lpsz;
}

LPSTR BEXAPI _lstrchr(LPCSTR lpsz, char ch)
{
    for (;; ++lpsz) {
        if (*lpsz == ch)
            return (LPSTR)lpsz;
        if (*lpsz == '\0')
            return NULL;
    }
}

LPSTR BEXAPI _lstrend(LPCSTR lpsz)
{
    return (LPSTR)lpsz + strlen(lpsz);
}

LPSTR BEXAPI _lstrncpy(LPSTR lpszDst, LPCSTR lpszSrc, UINT nCount)
{
    UINT i = 0;
    for (; i < nCount; ++i) {
        if ((lpszDst[i] = lpszSrc[i]) == '\0')
            return lpszDst;
    }
    lpszDst[i] = '\0';
    return lpszDst;
}

void BEXAPI _lstrfill(LPSTR lpszDst, int nSize, char ch)
{
    if (nSize < 1)
        return;
    memset(lpszDst, ch, nSize - 1);
    lpszDst[nSize - 1] = '\0';
}

void BEXAPI _lstrformat(LPSTR lpszDst, LPCSTR lpszSrc, int nWidth, int nAlign)
{
    if (nWidth < 1)
        return;
    _lstrfill(lpszDst, nWidth, ' ');
    int nField = nWidth - 1;
    int nText = 0;
    while (nText < nField && lpszSrc[nText] != '\0')
        ++nText;
    int nStart = 0;
    if (nAlign == LSTR_ALIGN_CENTER)
        nStart = (nField - nText) / 2;
    else if (nAlign == LSTR_ALIGN_RIGHT)
        nStart = nField - nText;
    memcpy(lpszDst + nStart, lpszSrc, nText);
}

int BEXAPI _lstrtokcmpi(LPCSTR lpsz1, LPCSTR lpsz2)
{
    lpsz1 = SkipSpace(lpsz1);
    lpsz2 = SkipSpace(lpsz2);
    while (!IsTokenEnd(*lpsz1) && !IsTokenEnd(*lpsz2) && LowerChar(*lpsz1) == LowerChar(*lpsz2)) {
        ++lpsz1;
        ++lpsz2;
    }
    // What follows two equal tokens does not count.
    if (IsTokenEnd(*lpsz1) && IsTokenEnd(*lpsz2))
        return 0;
    return LowerChar(*lpsz1) - LowerChar(*lpsz2);
}

LPSTR BEXAPI _lstrtokcpy(LPSTR lpszDst, LPCSTR lpszSrc)
{
    return CopyToken(lpszDst, lpszSrc, (size_t)-1);
}

LPSTR BEXAPI _lstrtokncpy(LPSTR lpszDst, LPCSTR lpszSrc, int nSize)
{
    if (nSize < 1)
        return lpszDst;
    return CopyToken(lpszDst, lpszSrc, (size_t)(nSize - 1));
}

LPSTR BEXAPI _lstrtab(LPSTR lpsz)
{
    LPSTR pWrite = lpsz;
    // Where a tab goes: after the last character written that is not a space, or the last tab.
    LPSTR pMark = lpsz;
    for (int nCol = 1; lpsz[nCol - 1] != '\0'; ++nCol) {
        char ch = lpsz[nCol - 1];
        if (ch == ' ' && nCol % 8 == 0) {
            *pMark++ = '\t';
            pWrite = pMark;
        } else {
            *pWrite++ = ch;
            if (ch != ' ')
                pMark = pWrite;
        }
    }
    while (pWrite > lpsz && IsCharSpace(pWrite[-1]))
        --pWrite;
    *pWrite = '\0';
    return lpsz;
}

LPSTR BEXAPI _lstrtok(LPSTR lpsz, LPCSTR lpszDelims, LPSTR* ppNext)
{
    LPSTR p = lpsz ? lpsz : *ppNext;
    if (p == NULL)
        return NULL;
    while (IsDelim(*p, lpszDelims))
        ++p;
    LPSTR pToken = p;
    while (*p != '\0' && !IsDelim(*p, lpszDelims))
        ++p;
    if (*p != '\0') {
        *p = '\0';
        *ppNext = p + 1;
    } else {
        *ppNext = NULL;
    }
    return *pToken != '\0' ? pToken : NULL;
}

long BEXAPI _latol(LPCSTR lpsz)
{
    lpsz = SkipSpace(lpsz);
    bool bNegative = *lpsz == '-';
    if (bNegative)
        ++lpsz;
    // Unsigned, so that an overflow wraps as the 32-bit register would, without undefined behaviour.
    unsigned long nValue = 0;
    for (; *lpsz >= '0' && *lpsz <= '9'; ++lpsz)
        nValue = nValue * 10 + (unsigned long)(*lpsz - '0');
    return (long)(bNegative ? 0 - nValue : nValue);
}

LPSTR BEXAPI _lChangeExt(LPSTR lpszPath, LPCSTR lpszExt)
{
    if (IsOverlongPath(lpszPath))
        return lpszPath;
    if (*lpszExt == '.')
        ++lpszExt;
    LPSTR pExt = FindExt(lpszPath);
    *pExt++ = '.';
    strcpy(pExt, lpszExt);
    return lpszPath;
}

LPSTR BEXAPI _lAddExt(LPSTR lpszPath, LPCSTR lpszExt)
{
    if (IsOverlongPath(lpszPath))
        return lpszPath;
    LPSTR pExt = FindExt(lpszPath);
    if (*pExt != '\0')
        return lpszPath;
    if (*lpszExt != '.')
        *pExt++ = '.';
    strcpy(pExt, lpszExt);
    return lpszPath;
}

LPSTR BEXAPI _SeparateFile(LPSTR lpszDir, LPSTR lpszFile, LPCSTR lpszPath)
{
    strcpy(lpszDir, lpszPath);
    for (LPSTR p = _lstrend(lpszDir); p > lpszDir;) {
        --p;
        if (*p == ':' || *p == '\\') {
            strcpy(lpszFile, p + 1);
            *p = '\0';
            return lpszFile;
        }
    }
    strcpy(lpszFile, lpszDir);
    *lpszDir = '\0';
    return lpszFile;
}

BOOL BEXAPI WritePrivateProfileInt(LPCSTR lpszSection, LPCSTR lpszKey, int nValue, LPCSTR lpszFile)
{
    char szValue[16];
    wsprintfA(szValue, "%d", nValue);
    return WritePrivateProfileStringA(lpszSection, lpszKey, szValue, lpszFile);
}
