#include "engine/mathkernels.h"

#include <cmath>
#include <cstring>

#ifdef MORVATHEN_X86
#include <xmmintrin.h>
#endif

namespace {

float ScalarSqrt(float x)
{
    return std::sqrt(x);
}

float ScalarRSqrt(float x)
{
    return 1.0f / std::sqrt(x);
}

void ScalarMatrixMultiply(float* out, const float* a, const float* b)
{
    // Built aside and copied, so out may be a or b.
    float result[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            result[i * 4 + j] = a[i * 4] * b[j] + a[i * 4 + 1] * b[4 + j] +
                                a[i * 4 + 2] * b[8 + j] + a[i * 4 + 3] * b[12 + j];
    std::memcpy(out, result, sizeof(result));
}

void TransformDirection(const float* m, const float* in, float* out)
{
    for (int row = 0; row < 4; ++row)
        out[row] = in[0] * m[row] + in[1] * m[4 + row] + in[2] * m[8 + row];
}

void ScalarTransformVertices(Vertex* out, const Vertex* in, uint32_t count, const Matrix* matrix)
{
    const float* m = matrix->m;
    for (uint32_t i = 0; i < count; ++i) {
        // The copy carries the last 32 bytes and lets out be in.
        Vertex v = in[i];
        const float* p = in[i].position;
        for (int row = 0; row < 4; ++row)
            v.position[row] = p[0] * m[row] + p[1] * m[4 + row] + p[2] * m[8 + row] + p[3] * m[12 + row];
        TransformDirection(m, in[i].tangent, v.tangent);
        TransformDirection(m, in[i].binormal, v.binormal);
        TransformDirection(m, in[i].normal, v.normal);
        out[i] = v;
    }
}

#ifdef MORVATHEN_X86
// Lets the kernels build for 32-bit targets without SSE enabled; the dispatch
// calls them only where the processor has it.
#define SSE_KERNEL __attribute__((target("sse")))

SSE_KERNEL float SseSqrt(float x)
{
    return _mm_cvtss_f32(_mm_rcp_ss(_mm_rsqrt_ss(_mm_set_ss(x))));
}

SSE_KERNEL float SseRSqrt(float x)
{
    return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(x)));
}

SSE_KERNEL void SseMatrixMultiply(float* out, const float* a, const float* b)
{
    // b is held in registers and each row of a is loaded before the same row
    // of out is stored, so out may be a or b.
    const __m128 b0 = _mm_loadu_ps(b), b1 = _mm_loadu_ps(b + 4);
    const __m128 b2 = _mm_loadu_ps(b + 8), b3 = _mm_loadu_ps(b + 12);
    for (int i = 0; i < 4; ++i) {
        const __m128 row = _mm_loadu_ps(a + i * 4);
        __m128 sum = _mm_mul_ps(_mm_shuffle_ps(row, row, 0x00), b0);
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(row, row, 0x55), b1));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(row, row, 0xAA), b2));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(row, row, 0xFF), b3));
        _mm_storeu_ps(out + i * 4, sum);
    }
}

SSE_KERNEL inline __m128 SseDirection(__m128 v, __m128 c0, __m128 c1, __m128 c2)
{
    __m128 sum = _mm_mul_ps(_mm_shuffle_ps(v, v, 0x00), c0);
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(v, v, 0x55), c1));
    return _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(v, v, 0xAA), c2));
}

SSE_KERNEL void SseTransformVertices(Vertex* out, const Vertex* in, uint32_t count,
                                     const Matrix* matrix)
{
    constexpr uintptr_t kPrefetchBytes = 256;
    const __m128 c0 = _mm_load_ps(matrix->m), c1 = _mm_load_ps(matrix->m + 4);
    const __m128 c2 = _mm_load_ps(matrix->m + 8), c3 = _mm_load_ps(matrix->m + 12);
    for (uint32_t i = 0; i < count; ++i) {
        const Vertex& source = in[i];
        // Computed as an integer: the address may lie past the array's end,
        // which a prefetch tolerates but pointer arithmetic does not.
        _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(&source) + kPrefetchBytes),
                     _MM_HINT_NTA);
        // Everything is loaded before anything is stored, so out may be in.
        const __m128 position = _mm_load_ps(source.position);
        const __m128 tangent = _mm_load_ps(source.tangent);
        const __m128 binormal = _mm_load_ps(source.binormal);
        const __m128 normal = _mm_load_ps(source.normal);
        // The copied 32 bytes as two aligned halves, at offsets 64 and 80.
        const __m128 copied0 = _mm_load_ps(source.texCoord);
        const __m128 copied1 = _mm_load_ps(source.colour + 2);

        const __m128 w = _mm_shuffle_ps(position, position, 0xFF);
        Vertex& target = out[i];
        _mm_stream_ps(target.position,
                      _mm_add_ps(SseDirection(position, c0, c1, c2), _mm_mul_ps(w, c3)));
        _mm_stream_ps(target.tangent, SseDirection(tangent, c0, c1, c2));
        _mm_stream_ps(target.binormal, SseDirection(binormal, c0, c1, c2));
        _mm_stream_ps(target.normal, SseDirection(normal, c0, c1, c2));
        _mm_stream_ps(target.texCoord, copied0);
        _mm_stream_ps(target.colour + 2, copied1);
    }
    // Streaming stores are weakly ordered: make them visible before returning.
    _mm_sfence();
}
#endif

const MathKernels& KernelsOf(KernelFamily family)
{
#ifdef MORVATHEN_X86
    if (family == KernelFamily::Sse)
        return kSseKernels;
#endif
    return kScalarKernels;
}

// Runs before main, after the constant initialisation of the table below.
struct KernelDispatch {
    KernelDispatch()
    {
        const KernelChoice choice = ChooseKernels(ReadCpuFeatures());
        Sqrt = KernelsOf(choice.sqrt).sqrt;
        RSqrt = KernelsOf(choice.rsqrt).rsqrt;
        MatrixMultiply = KernelsOf(choice.matrixMultiply).matrixMultiply;
        TransformVertices = KernelsOf(choice.transformVertices).transformVertices;
    }
} gKernelDispatch;

}  // namespace

const MathKernels kScalarKernels = {ScalarSqrt, ScalarRSqrt, ScalarMatrixMultiply,
                                    ScalarTransformVertices};
#ifdef MORVATHEN_X86
const MathKernels kSseKernels = {SseSqrt, SseRSqrt, SseMatrixMultiply, SseTransformVertices};
#endif

// Constant-initialised, so valid before any dynamic initialiser runs.
SqrtKernel Sqrt = ScalarSqrt;
SqrtKernel RSqrt = ScalarRSqrt;
MatrixMultiplyKernel MatrixMultiply = ScalarMatrixMultiply;
TransformVerticesKernel TransformVertices = ScalarTransformVertices;

KernelChoice ChooseKernels(const CpuFeatures& features)
{
    const uint32_t extended = features.extendedMaxLeaf >= 0x80000002u ? features.extendedEdx : 0;
    const bool sse = (features.standardEdx & kCpuSse) != 0;
    const KernelFamily simd = sse ? KernelFamily::Sse : KernelFamily::Scalar;
    if (extended & kCpu3DNow) {
        const bool streaming = sse && (extended & kCpuMmxExtensions) != 0;
        return {KernelFamily::Scalar, KernelFamily::Scalar, simd,
                streaming ? KernelFamily::Sse : KernelFamily::Scalar};
    }
    return {simd, simd, simd, simd};
}
