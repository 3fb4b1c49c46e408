// The vector instructions of this processor that the checksums may use, asked of it once. The
// 32-bit library must still run on a processor that has none of them; every 64-bit x86
// processor has SSE2. Library-internal.
#pragma once

struct SIMDSUPPORT {
    bool bSse2;
    bool bSsse3;     // byte shuffles
    bool bPclmul;    // carry-less multiplication
};

const SIMDSUPPORT& GetSimdSupport();
