// Definition files: any bytes read as each of the four formats, with the
// bracket rules and parameter checks applied to every line.
#include "console/console.h"
#include "vfs/definitionreader.h"
#include "fuzz_data_directory.h"
#include "vfs/vfs.h"


#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("def");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

void CheckTokens(const DefinitionReader& reader, DefinitionFormat format)
{
    for (const std::string& token : reader.tokens) {
        if (token.empty())
            abort();
        // Only quoted GUI words may hold blanks; no token holds a line end or comment.
        const char* forbidden = format == DefinitionFormat::GuiFile ? "\n#\"" : " \t\r\n#";
        if (strpbrk(token.c_str(), forbidden))
            abort();
        bool value;
        DefinitionReader::IsNumeric(token);
        DefinitionReader::ParseBoolean(token, &value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("input.def", data, size);

    // A small console, emptied for each input, so that long error runs wrap it.
    gConsole->Create(1024, 64, 8, 32, 4);
    for (DefinitionFormat format : {DefinitionFormat::ShaderScript, DefinitionFormat::SoundShader,
                                    DefinitionFormat::EffectFile, DefinitionFormat::GuiFile}) {
        DefinitionReader reader(format);
        bool named = false;
        int lastLine = 0;
        reader.Parse("input.def", [&] {
            if (reader.tokens.empty() || reader.lineNumber <= lastLine)
                abort();
            lastLine = reader.lineNumber;
            CheckTokens(reader, format);
            if (reader.TrackBracket(named))
                return;
            if (const char bracket = reader.Bracket())
                reader.inStage = bracket == '{';
            else if (reader.tokens.size() > 4)
                reader.Error(kDefinitionParameterCount);
            named = true;
        });
    }
    return 0;
}
