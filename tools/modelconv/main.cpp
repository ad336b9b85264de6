// modelconv [--shader NAME] [--loop ANIM]... SOURCE OUT.krm: writes OUT.krm
// and, beside it, OUT.kra; both or neither.
#include "modelconverter.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

int Usage()
{
    fprintf(stderr, "usage: modelconv [--shader NAME] [--loop ANIM]... SOURCE OUT.krm\n");
    return 2;
}

bool Write(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    file.close();
    return bool(file);
}

}  // namespace

int main(int argc, char** argv)
{
    ConversionOptions options;
    std::string paths[2];
    int given = 0;
    for (int i = 1; i < argc; ++i) {
        const bool takesValue = !strcmp(argv[i], "--shader") || !strcmp(argv[i], "--loop");
        if (takesValue && i + 1 >= argc)
            return Usage();
        if (!strcmp(argv[i], "--shader"))
            options.shader = argv[++i];
        else if (!strcmp(argv[i], "--loop"))
            options.loops.push_back(argv[++i]);
        else if (given < 2)
            paths[given++] = argv[i];
        else
            return Usage();
    }
    if (given != 2 || paths[1].size() < 3)
        return Usage();
    const std::string& out = paths[1];
    const std::string definitions = out.substr(0, out.size() - 3) + "kra";

    ConvertedModel model;
    std::string error;
    if (!ConvertModel(paths[0], options, model, error)) {
        fprintf(stderr, "modelconv: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& warning : model.warnings)
        fprintf(stderr, "modelconv: warning: %s\n", warning.c_str());
    if (!Write(out, model.krm) || !Write(definitions, model.kra)) {
        std::remove(out.c_str());
        std::remove(definitions.c_str());
        fprintf(stderr, "modelconv: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
