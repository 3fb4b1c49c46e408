// The rotate-XOR checksum of record data: each byte XORed in, then the 32 bits rotated left by
// one. The version report checks installed program files with the same rule. Library-internal.
#pragma once

#include "../bexdefs.h"

// Continues dwSum over cb bytes: feeding the data in pieces gives the value of the whole.
DWORD RotateXor(DWORD dwSum, const void* pData, size_t cb);
// Copies cb bytes (the two blocks must not overlap) and continues dwSum over them in the same
// pass, which costs little more than the copy alone.
DWORD RotateXorCopy(DWORD dwSum, void* pDst, const void* pSrc, size_t cb);

// The ways RotateXor takes, each giving its value: the rule byte by byte, and runs of 32-byte
// chunks folded in eight DWORDs or in two SSE2 registers. It takes the fastest this processor
// has.
DWORD RotateXorBytes(DWORD dwSum, const void* pData, size_t cb);
DWORD RotateXorDwords(DWORD dwSum, const void* pData, size_t cb);
DWORD RotateXorSse2(DWORD dwSum, const void* pData, size_t cb);
DWORD RotateXorCopySse2(DWORD dwSum, void* pDst, const void* pSrc, size_t cb);
