// Acknowledged messages between the suite's applications.
#pragma once

#include "../bexdefs.h"

// The identifier of the registered message "MsgBexAck".
BEXFN UINT BEXAPI RegisterBexAckMessage();
