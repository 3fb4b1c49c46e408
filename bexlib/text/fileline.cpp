#include "fileline.h"

bool BEXAPI ReadFileLine(HFILE hFile, LPSTR lpszBuf, UINT nSize)
{
    // Without room for one byte and its NUL no line can be read.
    if (nSize < 2)
        return false;
    UINT cbRead = _lread(hFile, lpszBuf, nSize - 1);
    if (cbRead == (UINT)HFILE_ERROR || cbRead == 0)
        return false;
    lpszBuf[cbRead] = '\0';

    // The next call starts after this line's LF or NUL; a line that did not fit goes on there.
    UINT cbLine = 0;
    while (cbLine < cbRead && lpszBuf[cbLine] != '\n' && lpszBuf[cbLine] != '\0')
        ++cbLine;
    if (cbLine < cbRead) {
        lpszBuf[cbLine] = '\0';
        _llseek(hFile, -(LONG)(cbRead - cbLine - 1), FILE_CURRENT);
    }

    LPSTR pWrite = lpszBuf;
    for (LPCSTR p = lpszBuf; *p != '\0'; ++p) {
        if (*p != '\r')
            *pWrite++ = *p;
    }
    *pWrite = '\0';
    return true;
}
