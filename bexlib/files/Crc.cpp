// CRC-16 (CCITT polynomial) over memory and over the head of a file.
#include "Crc.h"
#include "Crc16.h"
#include "../frame/bexlib32.h"

#include <atomic>
#include <string.h>

namespace {

const UINT cbFileHead = 1024;

// Published only once every table is in place: a thread that sees it set reads full tables.
// Two threads building at once store the same values, so no lock is needed.
std::atomic<bool> s_bCrcInit(false);

}  // namespace

void BEXAPI CrcInit()
{
    Crc16BuildTables();
    s_bCrcInit.store(true, std::memory_order_release);
}

WORD BEXAPI CrcCalc(WORD wCrc, const void* pData, UINT nLength)
{
    if (!s_bCrcInit.load(std::memory_order_acquire))
        CrcInit();
    return Crc16CanFold() ? Crc16Fold(wCrc, pData, nLength) : Crc16Slice8(wCrc, pData, nLength);
}

WORD BEXAPI CrcFileCalc(HWND hWnd, LPCSTR lpszFile)
{
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cbFileHead);
    BYTE* pBlock = hBlock ? static_cast<BYTE*>(GlobalLock(hBlock)) : NULL;
    if (pBlock == NULL) {
        if (hBlock)
            GlobalFree(hBlock);
        SystemError(hWnd, IDS_BEX_OUTOFMEMORY, 0, 0);
        return 0;
    }

    WORD wCrc = 0;
    HFILE hFile = _lopen(lpszFile, OF_READ | OF_SHARE_DENY_WRITE);
    if (hFile == HFILE_ERROR) {
        SystemError(hWnd, IDS_BEX_CANNOTOPEN, (DWORD_PTR)lpszFile, 0);
    } else {
        UINT nRead = _lread(hFile, pBlock, cbFileHead);
        if (nRead == (UINT)HFILE_ERROR) {
            SystemError(hWnd, IDS_BEX_CANNOTREAD, (DWORD_PTR)lpszFile, 0);
        } else {
            // Only the bytes read count: a head without a NUL ends at the end of the read.
            const BYTE* pNul = static_cast<const BYTE*>(memchr(pBlock, 0, nRead));
            wCrc = CrcCalc(0, pBlock, pNul ? (UINT)(pNul - pBlock) : nRead);
        }
        _lclose(hFile);
    }
    GlobalUnlock(hBlock);
    GlobalFree(hBlock);
    return wCrc;
}
