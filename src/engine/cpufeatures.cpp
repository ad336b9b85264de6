#include "engine/cpufeatures.h"

#ifdef MORVATHEN_X86
#include <cpuid.h>
#endif

CpuFeatures ReadCpuFeatures()
{
    CpuFeatures features;
#ifdef MORVATHEN_X86
    unsigned int eax, ebx, ecx, edx;
    // __get_cpuid checks the maximum leaf first and fails without touching the outputs.
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        features.standardEdx = edx;
    features.extendedMaxLeaf = __get_cpuid_max(0x80000000u, nullptr);
    if (__get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx))
        features.extendedEdx = edx;
#endif
    return features;
}
