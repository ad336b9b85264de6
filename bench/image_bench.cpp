// Decode rates of the image readers for a 1024 x 1024 picture against the
// libraries' own decode of the same file into memory (and, for TGA, against
// copying its bytes). Rates are in pixels per second; run.sh shows ratios.
#include "render/image.h"
#include "support/image_files.h"

#include <benchmark/benchmark.h>

#include <jpeglib.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 1024;
typedef std::vector<uint8_t> Bytes;

// Smooth gradients with some noise: compresses like a real texture does.
const Bytes& Picture()
{
    static const Bytes rows = [] {
        Bytes pixels(size_t(kSide) * kSide * 3);
        uint32_t noise = 12345;
        for (size_t i = 0; i < pixels.size(); ++i) {
            noise = noise * 1664525u + 1013904223u;
            const size_t pixel = i / 3;
            pixels[i] = uint8_t((pixel % kSide + pixel / kSide * (i % 3)) / 8 + (noise >> 29));
        }
        return pixels;
    }();
    return rows;
}

void Report(benchmark::State& state)
{
    state.counters["pixels"] = benchmark::Counter(double(kSide) * kSide * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

void DecodeWithReader(benchmark::State& state, bool (*reader)(const uint8_t*, size_t, Image&, std::string&),
                      const Bytes& file)
{
    for (auto _ : state) {
        Image image;
        std::string error;
        if (!reader(file.data(), file.size(), image, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(image.pixels.data());
    }
    Report(state);
}

const Bytes& TgaFile()
{
    static const Bytes file = EncodeTGA(kSide, kSide, Picture().data());
    return file;
}
const Bytes& PngFile()
{
    static const Bytes file = MakePNG(kSide, kSide, PNG_COLOR_TYPE_RGB, 8, Picture());
    return file;
}
const Bytes& JpegFile()
{
    static const Bytes file = MakeJPEG(kSide, kSide, 3, Picture(), {90});
    return file;
}

void BM_TgaEngine(benchmark::State& state) { DecodeWithReader(state, ReadTGA, TgaFile()); }
void BM_PngEngine(benchmark::State& state) { DecodeWithReader(state, ReadPNG, PngFile()); }
void BM_JpegEngine(benchmark::State& state) { DecodeWithReader(state, ReadJPEG, JpegFile()); }

void BM_TgaMemcpy(benchmark::State& state)
{
    const Bytes& file = TgaFile();
    for (auto _ : state) {
        Bytes copy(file.size());
        memcpy(copy.data(), file.data(), file.size());
        benchmark::DoNotOptimize(copy.data());
    }
    Report(state);
}

void BM_PngLibrary(benchmark::State& state)
{
    const Bytes& file = PngFile();
    for (auto _ : state) {
        png_image image;
        memset(&image, 0, sizeof(image));
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = PNG_FORMAT_RGB;
        Bytes pixels(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    Report(state);
}

void BM_JpegLibrary(benchmark::State& state)
{
    const Bytes& file = JpegFile();
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        const size_t stride = size_t(info.output_width) * size_t(info.output_components);
        Bytes pixels(stride * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
    Report(state);
}

}  // namespace

BENCHMARK(BM_TgaEngine)->Name("decode_tga/engine")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaMemcpy)->Name("decode_tga/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEngine)->Name("decode_png/engine")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLibrary)->Name("decode_png/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegEngine)->Name("decode_jpeg/engine")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibrary)->Name("decode_jpeg/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
