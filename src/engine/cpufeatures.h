// The processor feature words that choose the math kernels.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define MORVATHEN_X86 1
#endif

struct CpuFeatures {
    uint32_t standardEdx = 0;      // CPUID leaf 1
    uint32_t extendedMaxLeaf = 0;  // CPUID leaf 0x80000000, EAX
    uint32_t extendedEdx = 0;      // CPUID leaf 0x80000001, when that leaf exists
};

constexpr uint32_t kCpuSse = 1u << 25;             // standard EDX
constexpr uint32_t kCpuMmxExtensions = 1u << 22;   // extended EDX (AMD)
constexpr uint32_t kCpu3DNow = 1u << 31;           // extended EDX (AMD)

// All zero on processors without CPUID, including every non-x86 build.
CpuFeatures ReadCpuFeatures();
