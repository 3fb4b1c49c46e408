// Primitives on NUL-terminated 8-bit strings: bounded copies, token compare and copy, white-space
// skipping, tab compression, fixed-width fields, file-name extensions and a re-entrant tokenizer.
// None of them allocates; all write into buffers the caller provides and sizes. White space is
// 0x20 and 0x09 to 0x0D, bytes taken as unsigned.
#pragma once

#include "../bexdefs.h"

// <shlwapi.h> maps IsCharSpace to its own IsCharSpaceA; after this header the name is ours.
#ifdef IsCharSpace
#undef IsCharSpace
#endif

// TRUE for 0x20 and 0x09 to 0x0D.
BEXFN BOOL BEXAPI IsCharSpace(char ch);
// The first character that is not white space (the NUL if none).
BEXFN LPSTR BEXAPI SkipSpace(LPCSTR lpsz);
// The first white-space character (the NUL if none).
BEXFN LPSTR BEXAPI SkipChar(LPCSTR lpsz);

// The first ch in lpsz, NULL if none; ch 0 finds the terminator.
BEXFN LPSTR BEXAPI _lstrchr(LPCSTR lpsz, char ch);
// The terminating NUL.
BEXFN LPSTR BEXAPI _lstrend(LPCSTR lpsz);
// At most nCount characters of the source, always terminated: lpszDst holds nCount + 1 bytes.
BEXFN LPSTR BEXAPI _lstrncpy(LPSTR lpszDst, LPCSTR lpszSrc, UINT nCount);
// nSize - 1 copies of ch and a NUL; nSize is the buffer's size, and a size below 1 writes nothing.
BEXFN void BEXAPI _lstrfill(LPSTR lpszDst, int nSize, char ch);

// _lstrformat alignments; any other value aligns left.
#define LSTR_ALIGN_LEFT     0
#define LSTR_ALIGN_CENTER   1
#define LSTR_ALIGN_RIGHT    2
// The source in a field of exactly nWidth - 1 characters padded with spaces, cut on the right
// when it is longer. A width below 1 writes nothing.
BEXFN void BEXAPI _lstrformat(LPSTR lpszDst, LPCSTR lpszSrc, int nWidth, int nAlign);

// Compares the first tokens of the two strings without regard to case: 0 when equal, else the
// difference of the lower-cased characters where they part.
BEXFN int BEXAPI _lstrtokcmpi(LPCSTR lpsz1, LPCSTR lpsz2);
// The source's first token (leading white space skipped, cut at " \t\r\n").
BEXFN LPSTR BEXAPI _lstrtokcpy(LPSTR lpszDst, LPCSTR lpszSrc);
// The same into a buffer of nSize bytes; a size below 1 writes nothing.
BEXFN LPSTR BEXAPI _lstrtokncpy(LPSTR lpszDst, LPCSTR lpszSrc, int nSize);
// Runs of spaces reaching a tab stop (every 8 columns) become tabs, in place; trailing white
// space goes.
BEXFN LPSTR BEXAPI _lstrtab(LPSTR lpsz);
// Re-entrant tokenizer: the first call passes the text, later calls NULL and the same ppNext.
// NULL when no token is left.
BEXFN LPSTR BEXAPI _lstrtok(LPSTR lpsz, LPCSTR lpszDelims, LPSTR* ppNext);
// The decimal value after leading white space and an optional '-'; 0 when there is none.
BEXFN long BEXAPI _latol(LPCSTR lpsz);

// Replaces the path's extension in place ("f.old" + "new" or ".new" gives "f.new"); the buffer
// must hold the result. A path of MAX_PATH characters or more is left as it is.
BEXFN LPSTR BEXAPI _lChangeExt(LPSTR lpszPath, LPCSTR lpszExt);
// Appends the extension only when the path has none; long paths as for _lChangeExt.
BEXFN LPSTR BEXAPI _lAddExt(LPSTR lpszPath, LPCSTR lpszExt);
// Splits the path at its last colon or backslash into directory and file; returns lpszFile.
// lpszDir must hold the whole path.
BEXFN LPSTR BEXAPI _SeparateFile(LPSTR lpszDir, LPSTR lpszFile, LPCSTR lpszPath);

// The integer as the key's text in an initialisation file.
BEXFN BOOL BEXAPI WritePrivateProfileInt(LPCSTR lpszSection, LPCSTR lpszKey, int nValue, LPCSTR lpszFile);
