// The definition-file reader: logical lines, tokens, brackets and messages.
#include "support/test_console.h"
#include "support/zip_writer.h"
#include "vfs/definitionreader.h"
#include "vfs/vfs.h"

#include <string>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

class DefinitionReaderTest : public ConsoleTest {
protected:
    // Every logical line of `content` as tokens, read as the given format.
    std::vector<Tokens> Lines(DefinitionFormat format, const std::string& content)
    {
        WriteData("file.def", content);
        DefinitionReader reader(format);
        std::vector<Tokens> lines;
        EXPECT_TRUE(reader.Parse("file.def", [&] { lines.push_back(reader.tokens); }));
        return lines;
    }
};

TEST_F(DefinitionReaderTest, ShaderLinesAreLowerCasedAndKnowSlashComments)
{
    const std::string content = "\n  textures/Base {\r\n"
                                "\tmap Textures/Wall.TGA // the wall\n"
                                "a//b c\n"
                                "// whole line\n"
                                "# also a comment\n"
                                "x # trailing\n"
                                "\"Quoted Words\"\n"
                                "high\x80\xff" "bytes\x01\x7f\x7e ok\n"
                                "last/";
    EXPECT_EQ(Lines(DefinitionFormat::ShaderScript, content),
              (std::vector<Tokens>{{"textures/base", "{"}, {"map", "textures/wall.tga"}, {"a"}, {"x"},
                                   {"\"quoted", "words\""}, {"highbytes", "ok"}, {"last"}}));
}

TEST_F(DefinitionReaderTest, OtherFormatsKeepSlashesAndOnlyGuiFilesQuote)
{
    for (DefinitionFormat format : {DefinitionFormat::SoundShader, DefinitionFormat::EffectFile})
        EXPECT_EQ(Lines(format, "Sound a//b \"Two Words\" \"\"\n"),
                  (std::vector<Tokens>{{"sound", "a//b", "\"two", "words\"", "\"\""}}));
    EXPECT_EQ(Lines(DefinitionFormat::GuiFile, "Caption \"Hello  World\" \"\" Name x\"y z\"w\n"),
              (std::vector<Tokens>{{"caption", "Hello  World", "Name", "xy zw"}}));
    // A line of nothing but empty quotes holds no token and reaches no parser.
    EXPECT_EQ(Lines(DefinitionFormat::GuiFile, "\"\"\nvisible true\n"), (std::vector<Tokens>{{"visible", "true"}}));
}

TEST(DefinitionReader, BracketsStandAloneAndNumbersAndBooleansAreStrict)
{
    DefinitionReader reader(DefinitionFormat::ShaderScript);
    for (const auto& [line, bracket] : std::vector<std::pair<std::string, char>>{
             {"{", '{'}, {"}", '}'}, {"name {", 0}, {"{{", 0}, {"{ }", 0}}) {
        reader.Tokenize(line);
        EXPECT_EQ(reader.Bracket(), bracket) << line;
    }
    for (const char* token : {"1", "-2.5", "1.5.2", "-", ".", "007"})
        EXPECT_TRUE(DefinitionReader::IsNumeric(token)) << token;
    for (const char* token : {"1e3", "+1", "0x10", "1,5", "one"})
        EXPECT_FALSE(DefinitionReader::IsNumeric(token)) << token;
    bool value = false;
    EXPECT_TRUE(DefinitionReader::ParseBoolean("true", &value) && value);
    EXPECT_TRUE(DefinitionReader::ParseBoolean("0", &value) && !value);
    EXPECT_FALSE(DefinitionReader::ParseBoolean("True", &value));
    EXPECT_FALSE(DefinitionReader::ParseBoolean("yes", &value));
}

// Messages name the file and the logical line. Shader blocks nest two deep and an open one is reported at the end;
// sound blocks need a name, have one level and no end check; effect and GUI files, whose parsers keep track of their
// own brackets, report an open stage only.
TEST_F(DefinitionReaderTest, ErrorsNameTheFileAndTheLogicalLine)
{
    const std::string bracket = "^1Error: Incorrect bracket placement ^13(", shut = "^1Error: Unexpected end of file";
    const struct {
        DefinitionFormat format;
        const char* name;
        std::string content, printed;
        std::vector<std::string> states;  // inBlock and inStage after each line
        bool DefinitionReader::*manual;   // set by the parser instead of TrackBracket
    } cases[] = {
        {DefinitionFormat::ShaderScript, "a.shader", "   # comment\n\n// note\nfirst\n\n// note\nbad line\n",
         "^1Error: Unknown Command ^13(a.shader, line: 2).\n", {"00", "00"}, nullptr},
        {DefinitionFormat::ShaderScript, "b.shader", "one\n{\n{\n{\n}\n}\n}\n}\ntwo\n{\nmap x\n{\nblend add",
         bracket + "b.shader, line: 4).\n" + bracket + "b.shader, line: 7).\n" + bracket + "b.shader, line: 8).\n" +
             shut + ", stage and/or shader not closed ^13(b.shader, line: 14).\n",
         {"00", "10", "11", "11", "10", "00", "00", "00", "00", "10", "10", "11", "11"}, nullptr},
        {DefinitionFormat::SoundShader, "a.sound", "{\nname\n{\n{\n}\n}\nother\n{\n",
         "^1Error: Shader bracket before shader name ^13(a.sound, line: 1).\n" + bracket + "a.sound, line: 4).\n" +
             bracket + "a.sound, line: 6).\n",
         {"00", "00", "10", "10", "00", "00", "00", "10"}, nullptr},
        {DefinitionFormat::EffectFile, "a.effect", "window\n{\n", shut + ", stage not closed ^13(a.effect, line: 3).\n",
         {"00", "01"}, &DefinitionReader::inStage},
        {DefinitionFormat::GuiFile, "a.gui", "window\n{\n", shut + ", stage not closed ^13(a.gui, line: 3).\n",
         {"00", "10"}, &DefinitionReader::inBlock},
    };
    for (const auto& c : cases) {
        WriteData(c.name, c.content);
        DefinitionReader reader(c.format);
        std::vector<std::string> states;
        bool named = false;
        const size_t mark = Text().size();
        EXPECT_TRUE(reader.Parse(c.name, [&] {
            if (c.manual)
                reader.*c.manual = reader.Bracket() == '{';
            else if (!reader.TrackBracket(named))
                named = true;
            if (reader.tokens[0] == "bad")
                reader.Error(kDefinitionUnknownCommand);
            states.push_back(std::to_string(reader.inBlock) + std::to_string(reader.inStage));
        }));
        EXPECT_EQ(Text().substr(mark), c.printed) << c.name;
        EXPECT_EQ(states, c.states) << c.name;
    }
}

TEST_F(DefinitionReaderTest, MissingFilesAreSkippedSilentlyAndMembersReadLikeFiles)
{
    DefinitionReader reader(DefinitionFormat::EffectFile);
    EXPECT_FALSE(reader.Parse("missing.effect", [] { ADD_FAILURE(); }));
    EXPECT_EQ(Text(), "");

    WriteData("effects.pk3", ZipWriter().Add("effects/fire.effect", "Emitter Flame\n{\n}\n").Finish().bytes);
    vfs_shutdown();
    vfs_startup(dataDirectory.c_str());
    std::vector<Tokens> lines;
    EXPECT_TRUE(reader.Parse("effects/fire.effect", [&] { lines.push_back(reader.tokens); }));
    EXPECT_EQ(lines, (std::vector<Tokens>{{"emitter", "flame"}, {"{"}, {"}"}}));
}

}  // namespace
