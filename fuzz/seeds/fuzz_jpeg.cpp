// Seed JPEG files for fuzz_jpeg: grey, colour and CMYK, baseline,
// progressive and arithmetic coded, subsampled or not, with restart markers.
#include "seed_directory.h"
#include "support/image_files.h"

#include <string>

int main(int argc, char** argv)
{
    const SeedDirectory out(argc, argv);
    struct Variant {
        const char* name;
        JpegOptions options;
    };
    const Variant variants[] = {
        {"baseline", {}},
        {"low_quality", {10}},
        {"progressive", {90, true}},
        {"arithmetic", {90, false, true}},
        {"progressive_arithmetic", {75, true, true}},
        {"full_chroma", {90, false, false, true}},
        {"restarts", {90, false, false, false, 1}},
    };
    // Not a multiple of the block size, so the edge blocks are partial.
    const int width = 19, height = 13;
    for (int components : {1, 3, 4}) {
        const std::string kind = components == 1 ? "grey" : components == 3 ? "rgb" : "cmyk";
        const std::vector<uint8_t> rows = SeedPattern(size_t(width * height * components));
        for (const Variant& variant : variants)
            out.Write(kind + "_" + variant.name + ".jpg", MakeJPEG(width, height, components, rows, variant.options));
    }
    return 0;
}
