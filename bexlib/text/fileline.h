// Line-by-line reading of text files opened with _lopen.
#pragma once

#include "../bexdefs.h"

// The next line, without its LF and with every CR removed, into a buffer of nSize bytes. A line
// longer than nSize - 1 bytes comes in pieces, the rest in the following calls; a NUL byte ends
// a line as an LF does. False at end of file, on a read error, and when nSize is below 2.
BEXFN bool BEXAPI ReadFileLine(HFILE hFile, LPSTR lpszBuf, UINT nSize);
