// CRC-16 (polynomial 0x1021, most significant bit first) over memory: the ways CrcCalc takes,
// each giving the same value. Library-internal.
#pragma once

#include "../bexdefs.h"

// Builds the tables that both ways read; it must have run before either is called.
void Crc16BuildTables();

// Eight bytes a step through eight tables; runs on any processor.
WORD Crc16Slice8(WORD wCrc, const void* pData, size_t cb);

// Sixteen bytes a step by carry-less multiplication; only where Crc16CanFold says so.
WORD Crc16Fold(WORD wCrc, const void* pData, size_t cb);
bool Crc16CanFold();
