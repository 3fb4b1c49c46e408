// CRC-16 check values: polynomial 0x1021, most significant bit first, start value chosen by the
// caller (0 gives CRC-16/XMODEM, 0xFFFF gives CRC-16/CCITT-FALSE).
#pragma once

#include "../bexdefs.h"

// Builds the lookup table; CrcCalc does it on first use, so calling this is optional.
BEXFN void BEXAPI CrcInit();
// Continues wCrc over nLength bytes: feeding a stream in pieces gives the value of the whole.
BEXFN WORD BEXAPI CrcCalc(WORD wCrc, const void* pData, UINT nLength);
// The check value of a text file's head (its first 1024 bytes, up to the first NUL byte), or 0
// after an error box owned by hWnd.
BEXFN WORD BEXAPI CrcFileCalc(HWND hWnd, LPCSTR lpszFile);
