// The rotate-XOR checksum of record data: each byte XORed in, then the 32 bits rotated left by
// one. The version report checks installed program files with the same rule. Library-internal.
#pragma once

#include "../bexdefs.h"

// Continues dwSum over cb bytes: feeding the data in pieces gives the value of the whole.
DWORD RotateXor(DWORD dwSum, const void* pData, size_t cb);
