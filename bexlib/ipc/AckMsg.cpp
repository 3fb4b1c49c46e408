#include "AckMsg.h"
#include "PartnerWait.h"

UINT BEXAPI RegisterBexAckMessage()
{
    return RegisterWindowMessageA("MsgBexAck");
}

LRESULT BEXAPI PostMessageAndWaitAck(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(hWnd, message, wParam, lParam);
    CPartnerWait wait;
    MSG msg;
    switch (wait.Wait(hWnd, g_nBexAckMsg, msg)) {
    case CPartnerWait::answered:
        // The result is 32 bits wide, as the product's lParam is, on either side of the message.
        return (LONG)msg.lParam;
    case CPartnerWait::partnerGone:
        return -1;
    default:
        return 0;
    }
}

BOOL BEXAPI PostAckMessage(HWND hWnd, LPARAM lResult)
{
    return PostMessageA(hWnd, g_nBexAckMsg, 0, (LONG)lResult);
}
