// Acknowledged messages between the suite's applications: one application posts a message to
// another's window and waits until the receiver posts back "MsgBexAck" with a 32-bit result.
#pragma once

#include "../bexdefs.h"

// The identifier of the registered message "MsgBexAck".
BEXFN UINT BEXAPI RegisterBexAckMessage();
// Posts the message to hWnd and waits for the acknowledge, keeping the caller's windows quiet
// meanwhile. The acknowledged result, even from a receiver that closed right after answering;
// -1 when hWnd has gone without answering; 0 after a quit message (which is posted again). Call
// it on the thread that owns the caller's windows.
BEXFN LRESULT BEXAPI PostMessageAndWaitAck(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The receiver's answer: posts "MsgBexAck" with wParam 0 and lParam lResult (its 32 bits) to hWnd.
BEXFN BOOL BEXAPI PostAckMessage(HWND hWnd, LPARAM lResult);

#ifdef BEX_BUILDING_LIBRARY
// The identifier of "MsgBexAck", registered by the entry point at load.
extern UINT g_nBexAckMsg;
#endif
