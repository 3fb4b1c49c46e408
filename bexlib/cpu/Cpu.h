// Controller CPU knowledge: the type, subtype and firmware features of a CPU, decoded from the
// identification text the controller reports. The text holds the model code in characters 0 to 4,
// the firmware version in 5 to 7 and the version digit '0' to '6' in character 8.
#pragma once

#include "../bexdefs.h"

// The version digit (0 when it is not '0' to '6'), the type and the subtype; type and subtype are
// -1 for a model code that is not known. Outputs passed as NULL are skipped.
BEXFN void BEXAPI VekGetCpuTypeSubType(LPCSTR pszCpuID, int* pnVersion, int* pnType, int* pnSubType);
// The firmware features of the CPU, bits 0 to 7 (BEX_FWF_...), or 0xFFFFFFFF for an unknown model.
BEXFN DWORD BEXAPI VekGetFwFeaturesEx(LPCSTR pszCpuID);

#define BEX_FWF_UNKNOWN     0xFFFFFFFF
