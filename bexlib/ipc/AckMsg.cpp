#include "AckMsg.h"

UINT BEXAPI RegisterBexAckMessage()
{
    return RegisterWindowMessageA("MsgBexAck");
}
