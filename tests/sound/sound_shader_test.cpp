// "*.sound" files read into sound shaders: every key, and each fault's
// message with its line, the line skipped and the rest read.
#include "sound_fixture.h"

namespace {

class SoundShaderTest : public SoundTest {
protected:
    void Load(const std::string& text)
    {
        WriteData("test.sound", text);
        sound->LoadShaders();
    }
    bool PrintedAt(const char* message, int line) const
    {
        return Printed(std::string("^1Error: ") + message + " ^13(test.sound, line: " + std::to_string(line) + ").\n");
    }
};

TEST_F(SoundShaderTest, ReadsEveryKey)
{
    WriteData("empty.sound", "# nothing\n");  // a file without shaders says nothing
    Load("# sounds\nDoor/Open\n{\n\tsound sounds/A.wav  # first\n\tsound sounds/b.wav\n\tvolume 0.5\n"
         "\tmaxdistance 40\n\tlooping\n\tglobal\n}\nquiet\n{\nsound q.wav\n}\n");
    EXPECT_TRUE(Printed("\n^6==== Loading Sound Shaders ====\n"));
    EXPECT_TRUE(Printed(" ^5- ^15Sounds: ^13test.sound^15, 2 sound shader(s) parsed.^15\n"));
    const SoundShader* door = sound->FindShader("DOOR/open");
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(door->files, (std::vector<std::string>{"sounds/a.wav", "sounds/b.wav"}));
    EXPECT_TRUE(door->volume == 0.5f && door->maxDistance == 40.0f && door->looping && door->global);
    const SoundShader* quiet = sound->FindShader("quiet");
    ASSERT_NE(quiet, nullptr);
    EXPECT_TRUE(quiet->volume == 0.0f && !quiet->looping && !quiet->global);
    EXPECT_FALSE(Printed("^1Error"));
    EXPECT_FALSE(Printed("empty.sound"));
}

TEST_F(SoundShaderTest, EachFaultNamesItsLine)
{
    Load("{\n"                      // 1: before any name
         "two words\n"               // 2
         "good\n"                    // 3
         "{\n"                       // 4
         "{\n"                       // 5: nested
         "volume loud\n"             // 6
         "maxdistance 1 2\n"         // 7
         "sound\n"                   // 8
         "looping please\n"          // 9
         "echo 3\n"                  // 10
         "x\n"                       // 11
         "// not a comment here\n"   // 12
         "volume 0.25\n"             // 13
         "volume 999999999999999999999999999999999999999999\n"  // 14: past a float
         "}\n"                       // 15
         "}\n");                     // 16
    const std::pair<const char*, int> expected[] = {
        {"Shader bracket before shader name", 1}, {"Invalid parameter", 2},  {"Incorrect bracket placement", 5},
        {"Incorrect datatype for parameter", 6},  {"Invalid parameter", 7},  {"Invalid parameter", 8},
        {"Invalid parameter", 9},                 {"Unknown Command", 10},   {"Unknown Command", 11},
        {"Unknown Command", 12},                  {"Incorrect datatype for parameter", 14},
        {"Incorrect bracket placement", 16}};
    for (const auto& [message, line] : expected)
        EXPECT_TRUE(PrintedAt(message, line)) << message << " at line " << line << "\n" << Text();
    const SoundShader* good = sound->FindShader("good");
    ASSERT_NE(good, nullptr);
    EXPECT_TRUE(good->volume == 0.25f && good->maxDistance == 0.0f && !good->looping);
    EXPECT_TRUE(Printed("1 sound shader(s) parsed"));
}

}  // namespace
