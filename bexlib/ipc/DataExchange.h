// Data exchange between the suite's applications: a block of bytes goes to another application's
// window and a block comes back, both through named shared memory whose names travel as global
// atoms.
//
// The requester posts "MsgDataExchange" to hWndTarget with wParam hWndOwn and lParam the atom of
// pszMapName, a 10240-byte mapping holding the request bytes followed by zeros. The responder
// opens that mapping, creates a named mapping with its reply, adds that name as a global atom and
// posts "MsgDataReady" to the window in wParam, with wParam the reply's byte count and lParam the
// atom. It keeps the reply mapping open until the requester has copied it. Each side deletes the
// atom it was given: the responder the request's, the requester the reply's. (The requester takes
// its request atom back only when no answer came.)
#pragma once

#include "../bexdefs.h"

// The size of the request mapping, and so the largest request.
#define BEX_EXCHANGE_MAX    10240

struct ExchangeDataBlock
{
    HWND hWndTarget;        // the responder's window
    HWND hWndOwn;           // the requester's window: the reply comes here; it owns the error boxes
    LPCSTR pszMapName;      // the request mapping's name, also passed as a global atom
    DWORD cbSend;           // request bytes, at most BEX_EXCHANGE_MAX
    const void* pSend;
    DWORD cbReceived;       // out: reply bytes
    BYTE* pReceived;        // out: cbReceived + 1 bytes, the last one 0; the caller frees them
                            // with HeapFree(GetProcessHeap(), 0, pReceived)
};

// Sends the request and waits for the reply, keeping the caller's windows quiet meanwhile (as
// PostMessageAndWaitAck does). TRUE when a reply was received; on any failure the system's text
// for the error is shown in a box owned by hWndOwn, the outputs are left as they were and the
// result is FALSE. A target that goes away without answering fails with ERROR_INVALID_WINDOW_HANDLE,
// a quit message with ERROR_CANCELLED (the quit is posted again once the box is closed), a
// reply count larger than the reply mapping with ERROR_INVALID_DATA.
BEXFN BOOL BEXAPI ExchangeData(ExchangeDataBlock* pBlock);

// The block as the suite's applications fill it.
static_assert(sizeof(ExchangeDataBlock) == BEX_WIDTH(28, 56) && offsetof(ExchangeDataBlock, pszMapName) == BEX_WIDTH(8, 16) &&
              offsetof(ExchangeDataBlock, cbSend) == BEX_WIDTH(12, 24) && offsetof(ExchangeDataBlock, pSend) == BEX_WIDTH(16, 32) &&
              offsetof(ExchangeDataBlock, cbReceived) == BEX_WIDTH(20, 40) &&
              offsetof(ExchangeDataBlock, pReceived) == BEX_WIDTH(24, 48), "exchange block");
