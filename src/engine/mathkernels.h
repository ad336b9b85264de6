// The four hot math operations, called through a table of function pointers
// that a static initialiser fills from the processor's features before main
// runs. Until then (and on processors without SSE) the table holds the scalar
// kernels, so code running in other static initialisers may call it too.
#pragma once

#include "engine/cpufeatures.h"
#include "engine/matrix.h"
#include "engine/vertex.h"

#include <cstdint>

typedef float (*SqrtKernel)(float x);
// out = b * a for column-major matrices, i.e. over the stored arrays
// out[i * 4 + j] = sum over k of a[i * 4 + k] * b[k * 4 + j]. No alignment is
// required, and out may be a or b (every kernel reads an input before
// overwriting it); other overlaps are not allowed.
typedef void (*MatrixMultiplyKernel)(float* out, const float* a, const float* b);
// For each of count vertices: position' = M * position (all four lanes, so a w
// of 0 ignores the translation); tangent, binormal and normal' = the 3x3 part
// times their x, y, z (the w lane is whatever that sum gives); the last 32
// bytes are copied. out, in and matrix must be 16-byte aligned (Vertex and
// Matrix are); out may equal in, other overlaps are not allowed. The SSE
// kernel streams out past the caches and fences before it returns.
typedef void (*TransformVerticesKernel)(Vertex* out, const Vertex* in, uint32_t count,
                                        const Matrix* matrix);

// The table. Only the start-up dispatch writes it.
// About 12 bits on SSE (rcpss of rsqrtss, unrefined); exact otherwise.
extern SqrtKernel Sqrt;
// About 12 bits on SSE (rsqrtss, unrefined); exact otherwise.
extern SqrtKernel RSqrt;
extern MatrixMultiplyKernel MatrixMultiply;
extern TransformVerticesKernel TransformVertices;

// One family of kernels, filling the table's four slots.
struct MathKernels {
    SqrtKernel sqrt;
    SqrtKernel rsqrt;
    MatrixMultiplyKernel matrixMultiply;
    TransformVerticesKernel transformVertices;
};

extern const MathKernels kScalarKernels;
#ifdef MORVATHEN_X86
extern const MathKernels kSseKernels;
#endif

enum class KernelFamily : uint8_t { Scalar, Sse };

// The family each slot of the table takes.
struct KernelChoice {
    KernelFamily sqrt, rsqrt, matrixMultiply, transformVertices;
};

// The dispatch rule, a pure function of the feature words. A processor that
// reports 3DNow! takes the 3DNow! rule even when it has SSE too. No 3DNow!
// kernels exist any more (no current processor has the instructions), so
// that rule fills each slot with the kernel keeping the 3DNow! kernel's
// contract: full-precision Sqrt and RSqrt from the scalar family; SSE
// MatrixMultiply where SSE exists; the streaming SSE transform where SSE and
// the AMD MMX extensions (which the 3DNow! streaming kernel needed) exist,
// else the scalar transform with its ordinary stores. Extended EDX counts
// only when the maximum extended leaf is at least 0x80000002.
KernelChoice ChooseKernels(const CpuFeatures& features);
