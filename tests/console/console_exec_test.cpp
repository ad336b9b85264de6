// Splitting lines into arguments, executing lines, console variables and cfg files.
#include "console_fixture.h"

#include <cstring>
#include <deque>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(ConsoleTokenize, SplitsIntoArguments)
{
    const std::pair<const char*, Strings> cases[] = {
        {"", {}}, {"    ", {}},
        {"a b c", {"a", "b", "c"}}, {"  lead   inner  trail  ", {"lead", "inner", "trail"}},
        {"tab\tis text", {"tab\tis", "text"}}, {"Echo \"hello  world\" x", {"Echo", "hello  world", "x"}},
        {"set \"\" \"\" last", {"set", "", "", "last"}},
        {"bind k \"say \\\"hi there\\\"\"", {"bind", "k", "say \"hi there\""}},
        {"\"c:\\dir\\file\"", {"c:\\dir\\file"}}, {"pre\"fix part\" next", {"prefix part", "next"}},
        {"\"ab\"cd", {"ab", "cd"}}, {"open \"never closed", {"open", "never closed"}},
        {"open \"", {"open"}}, {"\"\"x \"a\\\" b\"", {"", "x", "a\" b"}},
    };
    CommandArgs split;
    for (const auto& [line, expected] : cases) {
        split.Split("stale previous arguments");
        split.Split(line);
        Strings args;
        for (int i = 0; i < split.Count(); ++i)
            args.emplace_back(split[i]);
        EXPECT_EQ(args, expected) << '[' << line << ']';
        EXPECT_STREQ(split[split.Count()], "");
        EXPECT_STREQ(split[-1], "");
    }
}

struct Calls {
    std::vector<int> button;
    Strings changed;
};
Calls calls;

void Attack(bool pressed) { calls.button.push_back(pressed); }
void Changed(const ConsoleVariable& variable) { calls.changed.push_back(variable.Name()); }

class ConsoleExecTest : public ConsoleUnitTest {
protected:
    void SetUp() override
    {
        ConsoleUnitTest::SetUp();
        calls = Calls();
        gConsole->AddCommand("Echo", Console_EchoCommand);
        gConsole->AddButtonCommand("+attack", Attack);
        gConsole->AddCommand("Execute", Console_ExecuteCommand);
        gConsole->AddCommand("Toggle", Console_ToggleCommand);
        gConsole->AddVariable("r_gamma", &gamma, CVarInt, 1, false, false, 0, 100, Changed);
        gConsole->AddVariable("g_flag", &flag, CVarBool, 1, false, false, kNoRangeMin, kNoRangeMax, Changed);
        gConsole->AddVariable("f_scale", &scale, 'F', -1, false, false, kNoRangeMin, kNoRangeMax, Changed);
        memset(name, '#', sizeof(name));
        strcpy(name, "none");
        gConsole->AddVariable("s_name", name, CVarString, 8, false, false, kNoRangeMin, kNoRangeMax, Changed);
        gConsole->AddVariable("r_hasThing", &readOnly, CVarBool, 1, true, false, kNoRangeMin, kNoRangeMax, Changed);
        gConsole->AddVariable("r_screenWidth", &width, CVarInt, 1, false, true, 640, 1600, Changed);
        gConsole->AddVariable("r_screenFull", &full, CVarBool, 1, false, true, kNoRangeMin, kNoRangeMax, Changed);
    }

    // Runs a line typed or from code and returns what it printed.
    std::string Typed(const char* line) { return PrintedBy([&] { gConsole->ExecuteTyped(line); }); }
    std::string FromCode(const char* line, bool showErrors = false)
    {
        return PrintedBy([&] { gConsole->Execute(line, showErrors); });
    }

    static std::string Echoed(const std::string& line) { return "^6>^15" + line + "\n"; }
    static constexpr const char* kInvalid = "^1*Invalid Command or Variable.\n^15";

    int gamma = 30;
    bool flag = false;
    float scale = 1.0f;
    char name[16];
    bool readOnly = true;
    int width = 640;
    bool full = false;
};

TEST_F(ConsoleExecTest, TypedLinesNeedASlashAndCodeLinesAreQuiet)
{
    const struct {
        bool typed;
        const char* line;
        std::string reply;  // after the echo of a typed line
        int gamma;
    } steps[] = {
        {true, "r_gamma 50", "", 30},  // only echoed and remembered
        {true, "/r_gamma", "^15r_gamma = \"30\"\n", 30}, {true, "/R_GAMMA 50", "^15r_gamma = \"50\"\n", 50},
        {true, "\\r_Gamma 51", "^15r_gamma = \"51\"\n", 51}, {true, "/echo \"two words\"", "two words\n", 51},
        {true, "", "", 51},
        {false, "r_gamma 20", "", 20},  // quiet, but the handler still runs
        {false, "/r_gamma 21", "", 21}, {false, "Echo two words", "^15Usage: ^6Echo ^5[text]^15\n", 21},
        {false, "", "", 21},
    };
    for (const auto& step : steps) {
        const std::string echo = step.typed && *step.line ? Echoed(step.line) : "";
        EXPECT_EQ(step.typed ? Typed(step.line) : FromCode(step.line, true), echo + step.reply) << step.line;
        EXPECT_EQ(gamma, step.gamma) << step.line;
    }
    EXPECT_EQ(gConsole->History(), (std::deque<std::string>{"/echo \"two words\"", "\\r_Gamma 51", "/R_GAMMA 50",
                                                            "/r_gamma", "r_gamma 50"}));
    EXPECT_EQ(calls.changed, (Strings{"r_gamma", "r_gamma", "r_gamma", "r_gamma"}));
}

TEST_F(ConsoleExecTest, ButtonPrefixesAndUnknownNames)
{
    Typed("/+attack");
    EXPECT_TRUE(gConsole->FindCommand("+attack")->pressed);
    Typed("/-ATTACK");
    EXPECT_FALSE(gConsole->FindCommand("+attack")->pressed);
    FromCode("+attack");
    // A button command without its prefix is unknown; a plain one with a
    // prefix is always reported; unknown code lines only when asked.
    const std::pair<const char*, std::string> typed[] = {
        {"/attack", Echoed("/attack") + Echoed("/attack") + kInvalid},
        {"/-echo hi", Echoed("/-echo hi") + Echoed("/-echo hi") + kInvalid},
        {"/nothing here", Echoed("/nothing here") + kInvalid},
    };
    for (const auto& [line, printed] : typed)
        EXPECT_EQ(Typed(line), printed);
    for (const char* line : {"attack", "nothing"}) {
        EXPECT_EQ(FromCode(line, false), "");
        EXPECT_EQ(FromCode(line, true), Echoed(line) + kInvalid);
    }
    EXPECT_EQ(FromCode("+Echo hi", false), Echoed("+Echo hi") + kInvalid);
    EXPECT_EQ(calls.button, (std::vector<int>{1, 0, 1}));
}

TEST_F(ConsoleExecTest, RegistryLookupAndRemoval)
{
    // Duplicates under any spelling, and names a configuration file could not
    // hold, are refused; a leading slash is not part of a name.
    EXPECT_EQ(gConsole->AddCommand("ECHO", Console_EchoCommand), nullptr);
    int other = 0;
    for (const char* name : {"R_GAMMA", "/r_gamma", "", "/", "two words", "quo\"te", "hash#", "line\nbreak"})
        EXPECT_EQ(gConsole->AddVariable(name, &other, CVarInt, 1, false, false, 0, 1), nullptr) << name;
    // The listings end with the registered names, in the order added.
    const std::string commands = FromCode("CmdList"), variables = FromCode("cvarlist");
    EXPECT_EQ(commands.substr(commands.find("^15Echo")), "^15Echo\n^15+attack\n^15Execute\n^15Toggle\n");
    EXPECT_EQ(variables.substr(variables.find("^15r_gamma")),
              "^15r_gamma\n^15g_flag\n^15f_scale\n^15s_name\n^15r_hasThing\n^15r_screenWidth\n^15r_screenFull\n");
    EXPECT_EQ(gConsole->FindVariable("\\R_Gamma")->Value(), &gamma);
    EXPECT_EQ(gConsole->FindCommand("/-Attack")->name, "+attack");
    ASSERT_NE(gConsole->AddVariable("/slashed", &other, CVarInt, 1, false, false, 0, 1), nullptr);
    EXPECT_EQ(gConsole->AddVariable("slashed", &other, CVarInt, 1, false, false, 0, 1), nullptr);
    gConsole->RemoveVariable("\\slashed");
    EXPECT_EQ(gConsole->Variables().size(), 7u);

    gConsole->RemoveCommand("+attack");
    gConsole->RemoveVariable("/r_gamma");
    EXPECT_TRUE(!gConsole->FindCommand("attack") && !gConsole->FindVariable("r_gamma"));
}

// A typed value is checked by type: a refused one changes nothing and tells no handler; an integer out of range is
// refused naming the range and shown as it stays. Values from code are read as C reads them, clamped to the range and
// never wrapped around; strings are cut to their length.
TEST_F(ConsoleExecTest, TypedValuesAreCheckedByTypeAndValuesFromCodeClampedAndCut)
{
    const std::string notBool = "^1*Invalid value for g_flag, Must be 0 or 1.^15\n";
    const std::pair<const char*, std::string> steps[] = {
        {"/g_flag 1", "^15g_flag = \"1\"\n"}, {"/g_flag 2", notBool}, {"/g_flag -1", notBool}, {"/g_flag yes", notBool},
        {"/g_flag 4294967297", notBool},  // 2^32 + 1 must not wrap around to 1
        {"/r_gamma 500", "^1*Error: r_gamma can only be 0 to 100.\n^15^15r_gamma = \"30\"\n"},
        {"/f_scale 2.5", "^15f_scale = \"2.500000\"\n"},
        {"/f_scale big", "^1*Invalid value for f_scale, Must be a number.^15\n"},
        {"/s_name \"hi there\"", "^15s_name = \"hi there^15\"\n"},
        {"/r_hasThing 0", "^1*Error: r_hasThing is read only.\n^15"},
    };
    for (const auto& [line, reply] : steps)
        EXPECT_EQ(Typed(line), Echoed(line) + reply);
    EXPECT_TRUE(flag && gamma == 30 && scale == 2.5f && readOnly);
    EXPECT_STREQ(name, "hi there");
    EXPECT_EQ(calls.changed, (Strings{"g_flag", "f_scale", "s_name"}));

    const std::pair<const char*, int> stored[] = {{"0", 0},     {"-1", 0},    {"100", 100}, {"101", 100},
                                                  {"abc", 100}, {"0x20", 32}, {"4294967346", 32}};  // 2^32 + 50
    for (const auto& [value, expected] : stored) {
        FromCode(("r_gamma " + std::string(value)).c_str());
        EXPECT_EQ(gamma, expected) << value;
    }
    FromCode("f_scale -1e6");  // no range
    EXPECT_FLOAT_EQ(scale, -1e6f);
    FromCode("s_name abcdefghijkl");
    EXPECT_STREQ(name, "abcdefgh");
    EXPECT_EQ(name[9], '#') << "wrote past maximum length + 1";
    FromCode("s_name x");
    EXPECT_STREQ(name, "x");
}

// Toggle flips a bool quietly; the read-only flag and the load-time lock refuse it as they refuse values.
TEST_F(ConsoleExecTest, ToggleFlipsBoolQuietlyAndTheLocksRefuseEveryChange)
{
    EXPECT_EQ(FromCode("Toggle g_flag"), "");
    EXPECT_TRUE(flag);
    FromCode("toggle G_FLAG");
    FromCode("Toggle r_screenFull");
    FromCode("r_screenWidth 800");  // load-time variables change until the lock

    const std::string usage = "^15Usage: ^6Toggle ^5[console_variable]^15\n";
    gConsole->SetLoadTimeLocked(true);
    const std::pair<const char*, std::string> refusals[] = {
        {"Toggle r_gamma", "^15Variable 'r_gamma' is not of type boolean\n"},
        {"Toggle nope", "^15Unknown variable 'nope'\n"},
        {"Toggle", usage}, {"Toggle g_flag extra", usage},
        {"Toggle r_hasThing", "^1*Error: r_hasThing is read only.\n^15"},
        {"Toggle r_screenFull", "^1*Error: r_screenFull can only be changed at load time.\n^15"},
        {"r_screenWidth 1024", "^1*Error: r_screenWidth can only be changed at load time.\n^15"},
    };
    for (const auto& [line, printed] : refusals)
        EXPECT_EQ(FromCode(line), printed);
    EXPECT_TRUE(!flag && readOnly && full && width == 800);
    EXPECT_EQ(calls.changed, Strings{"r_screenWidth"});
}

std::string Executed(const std::string& file) { return " ^5- ^15Executed file ^13" + file + "^15.\n"; }

TEST_F(ConsoleExecTest, ConfigFilesRunQuietlyLineByLine)
{
    static const char binary[] = "r_ga\xffmma 15\n\x00\x1a\xff\x7f~\x01\ng_f\x80lag 1\n";
    const struct {
        const char* what;
        std::string content, printed;
        int gamma;
        bool flag;
    } cases[] = {
        // Unknown names stay silent in files; a prefixed plain command never does.
        {"errors", "r_gamma 10\nno_such_thing 1\n/g_flag 1\n+Echo x\n", Echoed("+Echo x") + kInvalid, 10, true},
        // Comments know nothing of quotes: the argument is cut to "a".
        {"comments", "# header\nr_gamma 11 # trailing\n#r_gamma 99\n  # indented\nEcho \"a#b\"\n", "a\n", 11, false},
        {"whitespace", "\t \tr_gamma 12\n   Echo \"in\tside \"\n", "in\tside \n", 12, false},
        {"crlf", "r_gamma 13\r\ng_flag 1\r\n", "", 13, true},
        {"cr", "g_flag 1\rr_gamma 14\r", "", 14, true},
        {"no final newline", "r_gamma 15", "", 15, false},
        // Control and high bytes are dropped without ending the file.
        {"binary", std::string(binary, sizeof(binary) - 1), "", 15, true},
    };
    for (const auto& c : cases) {
        gamma = 0;
        flag = false;
        WriteData("a.cfg", c.content);
        EXPECT_EQ(PrintedBy([] { gConsole->ExecuteFile("a.cfg"); }), c.printed + Executed("a.cfg")) << c.what;
        EXPECT_EQ(std::make_pair(gamma, flag), std::make_pair(c.gamma, c.flag)) << c.what;
    }
    EXPECT_EQ(FromCode("Execute missing.cfg"), "^14Warning: Could not execute file ^13missing.cfg^15\n");
}

TEST_F(ConsoleExecTest, ExecuteRunsNestedFilesUpToALimit)
{
    // Files in a chain deeper than 16 are refused, and the depth is given back for the next file.
    for (int i = 0; i < 20; ++i)
        WriteData("chain" + std::to_string(i) + ".cfg", "Execute chain" + std::to_string(i + 1) + ".cfg\n");
    const std::string chain = FromCode("Execute chain0.cfg");
    EXPECT_NE(chain.find("^1Error: Configuration files nested too deeply at ^13chain16.cfg^15\n"), std::string::npos);

    WriteData("outer.cfg", "Execute inner.cfg\nr_gamma 17\n");
    WriteData("inner.cfg", "r_gamma 16\ng_flag 1\n");
    EXPECT_EQ(FromCode("execute outer.cfg"), Executed("inner.cfg") + Executed("outer.cfg"));
    EXPECT_TRUE(gamma == 17 && flag);
    EXPECT_EQ(FromCode("Execute"), "^15Usage: ^6Execute ^5[file_name]^15\n");
}

}  // namespace
