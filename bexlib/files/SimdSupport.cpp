#include "SimdSupport.h"

#include <cpuid.h>

namespace {

SIMDSUPPORT AskProcessor()
{
    SIMDSUPPORT simd = {};
    unsigned int nEax, nEbx, nEcx, nEdx;
    // Fails on a processor too old to answer, which has none of them either.
    if (__get_cpuid(1, &nEax, &nEbx, &nEcx, &nEdx)) {
        simd.bSse2 = (nEdx & bit_SSE2) != 0;
        simd.bSsse3 = (nEcx & bit_SSSE3) != 0;
        simd.bPclmul = (nEcx & bit_PCLMUL) != 0;
    }
    return simd;
}

}  // namespace

const SIMDSUPPORT& GetSimdSupport()
{
    // Asked once: under a hypervisor every CPUID is a trip out of the virtual machine.
    static const SIMDSUPPORT s_simd = AskProcessor();
    return s_simd;
}
