#include "engine/commandline.h"

#include "console/console.h"
#include "engine/engine.h"


namespace {

void PrintHelp()
{
    gConsole->Print("\n^6==== Command Line Arguments ====\n");
    gConsole->Print("^15Syntax: -ARGUMENT [Parameter]\n");
    gConsole->Print("^5- ^6help: ^15Shows this screen.\n");
    gConsole->Print("^5- ^6windowed: ^15Enabled Windowed Mode.\n");
    gConsole->Print("^5- ^6fullscreen: ^15Enables Fullscreen Mode.\n");
    gConsole->Print("^5- ^6width [width]: ^15Sets screen width to [width].\n");
    gConsole->Print("^5- ^6height [height]: ^15Sets screen height to [height].\n");
    gConsole->Print("^5- ^6map [MapName]: ^15Loads map with filename [MapName]\n");
    gConsole->Print("^5- ^6nosound: ^15Disables sound\n");
}

// A size option's value; text that is not a number counts as too small.
int ReadSize(const char* text, int fallback)
{
    int value = 0;
    if (!ReadInteger(text, &value) || value < 64)
        return fallback;
    return value;
}

}  // namespace

void ParseCommandLine(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i) {
        const std::string option = LowerAscii(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (option == "-fullscreen") {
            gScreenFull = true;
        } else if (option == "-windowed") {
            gScreenFull = false;
        } else if (option == "-width") {
            if (hasValue)
                gScreenWidth = ReadSize(argv[i + 1], 640);
            ++i;
        } else if (option == "-height") {
            if (hasValue)
                gScreenHeight = ReadSize(argv[i + 1], 480);
            ++i;
        } else if (option == "-help") {
            PrintHelp();
        } else if (option == "-map") {
            if (hasValue) {
                gMapGiven = true;
                gMapName = argv[i + 1];
            }
            ++i;
        } else if (option == "-nosound") {
            gNoSoundOption = true;
        } else if (i != 0) {
            gConsole->Print("^1Error: Unknown command line argument %s.\n^15", option.c_str());
        }
    }
}
