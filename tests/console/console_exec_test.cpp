// Splitting lines into arguments, executing typed and code lines, console
// variables and configuration files.
#include "console_fixture.h"

#include <cstring>
#include <ostream>
#include <vector>

namespace {

// --- Tokenize ------------------------------------------------------------

struct TokenizeCase {
    const char* line;
    std::vector<std::string> args;
};

void PrintTo(const TokenizeCase& c, std::ostream* out)
{
    *out << '[';
    for (const char* p = c.line; *p; ++p)
        *out << (*p == '\t' ? std::string("\\t") : std::string(1, *p));
    *out << ']';
}

class TokenizeTest : public ::testing::TestWithParam<TokenizeCase> {};

TEST_P(TokenizeTest, SplitsIntoArguments)
{
    Console console;
    console.Tokenize("stale previous arguments");
    console.Tokenize(GetParam().line);
    std::vector<std::string> args;
    for (int i = 0; i < console.GetArgCount(); ++i)
        args.emplace_back(console.GetArg(i));
    EXPECT_EQ(args, GetParam().args) << "line: " << GetParam().line;
    EXPECT_STREQ(console.GetArg(console.GetArgCount()), "");
    EXPECT_STREQ(console.GetArg(-1), "");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TokenizeTest,
    ::testing::Values(
        TokenizeCase{"", {}},
        TokenizeCase{"    ", {}},
        TokenizeCase{"a b c", {"a", "b", "c"}},
        TokenizeCase{"  lead   inner  trail  ", {"lead", "inner", "trail"}},
        TokenizeCase{"tab\tis text", {"tab\tis", "text"}},
        TokenizeCase{"Echo \"hello  world\" x", {"Echo", "hello  world", "x"}},
        TokenizeCase{"set \"\"", {"set", ""}},
        TokenizeCase{"set \"\" \"\" last", {"set", "", "", "last"}},
        TokenizeCase{"bind k \"say \\\"hi there\\\"\"", {"bind", "k", "say \"hi there\""}},
        TokenizeCase{"\"c:\\dir\\file\"", {"c:\\dir\\file"}},
        TokenizeCase{"pre\"fix part\" next", {"prefix part", "next"}},
        TokenizeCase{"\"ab\"cd", {"ab", "cd"}},
        TokenizeCase{"open \"never closed", {"open", "never closed"}}));

// --- Execution -----------------------------------------------------------

struct Calls {
    int echo = 0;
    std::vector<int> button;
    std::vector<std::string> changed;
};
Calls calls;

void CountingEcho()
{
    ++calls.echo;
    Console_EchoCommand();
}
void Attack(int pressed) { calls.button.push_back(pressed); }
void Changed(const char* name, void*) { calls.changed.emplace_back(name); }

class ConsoleExecTest : public ConsoleUnitTest {
protected:
    void SetUp() override
    {
        ConsoleUnitTest::SetUp();
        calls = Calls();
        gConsole->AddCommand("Echo", CountingEcho);
        gConsole->AddButtonCommand("+attack", Attack);
        gConsole->AddCommand("Execute", Console_ExecuteCommand);
        gConsole->AddCommand("Toggle", Console_ToggleCommand);
        gConsole->AddVariable("r_gamma", &gamma, CVarInt, 1, false, false, 0, 100, Changed);
        gConsole->AddVariable("g_flag", &flag, CVarBool, 1, false, false, kNoRangeMin,
                              kNoRangeMax, Changed);
        gConsole->AddVariable("f_scale", &scale, 'F', -1, false, false, kNoRangeMin,
                              kNoRangeMax, Changed);
        memset(name, '#', sizeof(name));
        strcpy(name, "none");
        gConsole->AddVariable("s_name", name, CVarString, 8, false, false, kNoRangeMin,
                              kNoRangeMax, Changed);
        gConsole->AddVariable("r_hasThing", &readOnly, CVarBool, 1, true, false, kNoRangeMin,
                              kNoRangeMax, Changed);
        gConsole->AddVariable("r_screenWidth", &width, CVarInt, 1, false, true, 640, 1600,
                              Changed);
    }

    // Runs a typed line and returns what it printed.
    std::string Typed(const char* line)
    {
        const size_t mark = Text().size();
        gConsole->ExecuteTyped(line);
        return Since(mark);
    }
    std::string FromCode(const char* line, bool showErrors = false)
    {
        const size_t mark = Text().size();
        gConsole->Execute(line, showErrors);
        return Since(mark);
    }

    static std::string Echoed(const std::string& line) { return "^6>^15" + line + "\n"; }
    static constexpr const char* kInvalid = "^1*Invalid Command or Variable.\n^15";

    int gamma = 30;
    bool flag = false;
    float scale = 1.0f;
    char name[16];
    bool readOnly = true;
    int width = 640;
};

TEST_F(ConsoleExecTest, TypedLineWithoutSlashIsOnlyEchoedAndRemembered)
{
    EXPECT_EQ(Typed("r_gamma 50"), Echoed("r_gamma 50"));
    EXPECT_EQ(gamma, 30);
    EXPECT_TRUE(calls.changed.empty());
    ASSERT_EQ(gConsole->History().size(), 1u);
    EXPECT_EQ(gConsole->History().front(), "r_gamma 50");
}

TEST_F(ConsoleExecTest, TypedNamesAreCaseInsensitive)
{
    EXPECT_EQ(Typed("/R_GAMMA 50"), Echoed("/R_GAMMA 50") + "^15r_gamma = \"50\"\n");
    EXPECT_EQ(gamma, 50);
    EXPECT_EQ(calls.changed, std::vector<std::string>{"r_gamma"});
    Typed("\\r_Gamma 51");
    EXPECT_EQ(gamma, 51);
}

TEST_F(ConsoleExecTest, VariableWithoutValueIsShown)
{
    EXPECT_EQ(Typed("/r_gamma"), Echoed("/r_gamma") + "^15r_gamma = \"30\"\n");
    EXPECT_TRUE(calls.changed.empty());
}

TEST_F(ConsoleExecTest, CodeLinesAreQuietAndSlashIsOptional)
{
    EXPECT_EQ(FromCode("r_gamma 20"), "");
    EXPECT_EQ(gamma, 20);
    EXPECT_EQ(FromCode("/r_gamma 21"), "");
    EXPECT_EQ(gamma, 21);
    EXPECT_EQ(calls.changed.size(), 2u);  // quiet, but the handler still runs
    EXPECT_TRUE(gConsole->History().empty());
}

TEST_F(ConsoleExecTest, ButtonCommandTakesPressAndRelease)
{
    Typed("/+attack");
    EXPECT_TRUE(gConsole->FindCommand("+attack")->pressed);
    Typed("/-ATTACK");
    EXPECT_FALSE(gConsole->FindCommand("+attack")->pressed);
    FromCode("+attack");
    EXPECT_EQ(calls.button, (std::vector<int>{1, 0, 1}));
}

TEST_F(ConsoleExecTest, ButtonCommandWithoutPrefixIsInvalid)
{
    EXPECT_EQ(Typed("/attack"), Echoed("/attack") + Echoed("/attack") + kInvalid);
    EXPECT_EQ(FromCode("attack", false), "");
    EXPECT_EQ(FromCode("attack", true), Echoed("attack") + kInvalid);
    EXPECT_TRUE(calls.button.empty());
}

TEST_F(ConsoleExecTest, PlainCommandWithPrefixIsAlwaysReported)
{
    EXPECT_EQ(FromCode("+Echo hi", false), Echoed("+Echo hi") + kInvalid);
    EXPECT_EQ(Typed("/-echo hi"), Echoed("/-echo hi") + Echoed("/-echo hi") + kInvalid);
    EXPECT_EQ(calls.echo, 0);
}

TEST_F(ConsoleExecTest, UnknownNameIsReportedWhenErrorsAreShown)
{
    EXPECT_EQ(Typed("/nothing here"), Echoed("/nothing here") + kInvalid);
    EXPECT_EQ(FromCode("nothing", false), "");
    EXPECT_EQ(FromCode("nothing", true), Echoed("nothing") + kInvalid);
}

TEST_F(ConsoleExecTest, CommandReadsItsArguments)
{
    EXPECT_EQ(Typed("/echo \"two words\""), Echoed("/echo \"two words\"") + "two words\n");
    EXPECT_EQ(FromCode("Echo two words"), "^15Usage: ^6Echo ^5[text]^15\n");
    EXPECT_EQ(calls.echo, 2);
}

TEST_F(ConsoleExecTest, EmptyLinesDoNothing)
{
    EXPECT_EQ(Typed(""), "");
    EXPECT_EQ(FromCode("", true), "");
    EXPECT_TRUE(gConsole->History().empty());
}

TEST_F(ConsoleExecTest, ListingsFollowRegistrationOrder)
{
    EXPECT_EQ(Typed("/CmdList"), Echoed("/CmdList") +
                                     "\n^6==== Available Commands ====^15\n"
                                     "^15cmdlist\n^15listcmds\n^15cvarlist\n^15listcvars\n"
                                     "^15Echo\n^15+attack\n^15Execute\n^15Toggle\n");
    EXPECT_EQ(FromCode("listcvars"), "\n^6==== Available Variables ====^15\n"
                                     "^15r_gamma\n^15g_flag\n^15f_scale\n^15s_name\n"
                                     "^15r_hasThing\n^15r_screenWidth\n");
    EXPECT_EQ(FromCode("cvarlist"), FromCode("listcvars"));
    EXPECT_EQ(FromCode("listcmds"), FromCode("cmdlist"));
}

TEST_F(ConsoleExecTest, RegistryLookupAndRemoval)
{
    gConsole->AddCommand("ECHO", Console_EchoCommand);  // duplicate: ignored
    int other = 0;
    gConsole->AddVariable("R_GAMMA", &other, CVarInt, 1, false, false, 0, 1, nullptr);
    EXPECT_EQ(gConsole->Commands().size(), 4u);
    EXPECT_EQ(gConsole->Variables().size(), 6u);
    EXPECT_EQ(gConsole->FindVariable("\\R_Gamma")->value, &gamma);
    EXPECT_EQ(gConsole->FindCommand("/-Attack")->name, "+attack");

    gConsole->RemoveCommand("+attack");
    gConsole->RemoveVariable("/r_gamma");
    EXPECT_EQ(gConsole->FindCommand("attack"), nullptr);
    EXPECT_EQ(gConsole->FindVariable("r_gamma"), nullptr);
    EXPECT_EQ(FromCode("+attack", true), Echoed("+attack") + kInvalid);
    FromCode("r_gamma 5");
    EXPECT_EQ(gamma, 30);
}

// --- Variables -----------------------------------------------------------

TEST_F(ConsoleExecTest, BoolAcceptsOnlyZeroAndOne)
{
    EXPECT_EQ(Typed("/g_flag 1"), Echoed("/g_flag 1") + "^15g_flag = \"1\"\n");
    EXPECT_TRUE(flag);
    // 2^32 + 1 must not wrap around to 1.
    for (const char* bad : {"/g_flag 2", "/g_flag -1", "/g_flag yes", "/g_flag 4294967297"}) {
        EXPECT_EQ(Typed(bad), Echoed(bad) + "^1*Invalid value for g_flag, Must be 0 or 1.^15\n");
        EXPECT_TRUE(flag) << bad;
    }
    EXPECT_EQ(calls.changed.size(), 1u) << "handler ran for a refused value";
    FromCode("g_flag 0");
    EXPECT_FALSE(flag);
}

TEST_F(ConsoleExecTest, IntOutsideRangeKeepsValueButCallsHandler)
{
    EXPECT_EQ(Typed("/r_gamma 500"), Echoed("/r_gamma 500") +
                                         "^1*Error: r_gamma can only be 0 to 100.\n^15"
                                         "^15r_gamma = \"30\"\n");
    EXPECT_EQ(gamma, 30);
    EXPECT_EQ(calls.changed.size(), 1u);

    const struct {
        const char* value;
        int stored;
    } cases[] = {{"0", 0},     {"-1", 0},     {"100", 100},       {"101", 100},
                 {"abc", 100}, {"0x20", 32}, {"4294967346", 32}};  // 2^32 + 50: no wrap-around
    for (const auto& c : cases) {
        FromCode(("r_gamma " + std::string(c.value)).c_str());
        EXPECT_EQ(gamma, c.stored) << c.value;
    }
}

TEST_F(ConsoleExecTest, FloatIsStoredWithoutRange)
{
    EXPECT_EQ(Typed("/f_scale 2.5"), Echoed("/f_scale 2.5") + "^15f_scale = \"2.500000\"\n");
    EXPECT_FLOAT_EQ(scale, 2.5f);
    FromCode("f_scale -1e6");
    EXPECT_FLOAT_EQ(scale, -1e6f);
}

TEST_F(ConsoleExecTest, StringIsCutToMaximumLengthAndTerminated)
{
    FromCode("s_name abcdefghijkl");
    EXPECT_STREQ(name, "abcdefgh");
    EXPECT_EQ(name[9], '#') << "wrote past maximum length + 1";
    EXPECT_EQ(Typed("/s_name \"hi there\""),
              Echoed("/s_name \"hi there\"") + "^15s_name = \"hi there^15\"\n");
    EXPECT_STREQ(name, "hi there");
    FromCode("s_name x");
    EXPECT_STREQ(name, "x");
}

TEST_F(ConsoleExecTest, ReadOnlyVariableRefusesChange)
{
    EXPECT_EQ(Typed("/r_hasThing 0"),
              Echoed("/r_hasThing 0") + "^1*Error: r_hasThing is read only.\n^15");
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(calls.changed.empty());
    EXPECT_EQ(FromCode("r_hasthing"), "^15r_hasThing = \"1\"\n");
}

TEST_F(ConsoleExecTest, LoadTimeVariableOnlyChangesWhileUnlocked)
{
    FromCode("r_screenWidth 800");
    EXPECT_EQ(width, 800);

    gConsole->SetLoadTimeLocked(true);
    EXPECT_EQ(Typed("/r_screenwidth 1024"),
              Echoed("/r_screenwidth 1024") +
                  "^1*Error: r_screenWidth can only be changed at load time.\n^15");
    EXPECT_EQ(FromCode("r_screenWidth 1024"),
              "^1*Error: r_screenWidth can only be changed at load time.\n^15");
    EXPECT_EQ(width, 800);
    EXPECT_EQ(calls.changed.size(), 1u);
}

TEST_F(ConsoleExecTest, ToggleFlipsBoolQuietly)
{
    EXPECT_EQ(FromCode("Toggle g_flag"), "");
    EXPECT_TRUE(flag);
    FromCode("toggle G_FLAG");
    EXPECT_FALSE(flag);
    EXPECT_TRUE(calls.changed.empty());

    EXPECT_EQ(FromCode("Toggle r_gamma"), "^15Variable 'r_gamma' is not of type boolean\n");
    EXPECT_EQ(FromCode("Toggle nope"), "^15Unknown variable 'nope'\n");
    EXPECT_EQ(FromCode("Toggle"), "^15Usage: ^6Toggle ^5[console_variable]^15\n");
    EXPECT_EQ(FromCode("Toggle g_flag extra"), "^15Usage: ^6Toggle ^5[console_variable]^15\n");
    EXPECT_FALSE(flag);
}

// --- Configuration files -------------------------------------------------

std::string Executed(const std::string& file)
{
    return " ^5- ^15Executed file ^13" + file + "^15.\n";
}

TEST_F(ConsoleExecTest, ConfigLinesRunQuietlyWithoutErrors)
{
    WriteData("a.cfg", "r_gamma 10\nno_such_thing 1\n/g_flag 1\n+Echo x\n");
    const size_t mark = Text().size();
    gConsole->ExecuteFile("a.cfg");
    // Unknown names stay silent in files; a prefixed plain command never does.
    EXPECT_EQ(Since(mark), Echoed("+Echo x") + kInvalid + Executed("a.cfg"));
    EXPECT_EQ(gamma, 10);
    EXPECT_TRUE(flag);
}

TEST_F(ConsoleExecTest, ConfigCommentsEndTheLine)
{
    WriteData("c.cfg", "# header\nr_gamma 11 # trailing\n#r_gamma 99\n  # indented\n"
                       "Echo \"a#b\"\n");
    const size_t mark = Text().size();
    gConsole->ExecuteFile("c.cfg");
    EXPECT_EQ(gamma, 11);
    // Comments do not know about quotes: the argument is cut to "a".
    EXPECT_EQ(Since(mark), "a\n" + Executed("c.cfg"));
}

TEST_F(ConsoleExecTest, ConfigDropsLeadingWhitespaceAndKeepsInner)
{
    WriteData("w.cfg", "\t \tr_gamma 12\n   Echo \"in\tside \"\n");
    const size_t mark = Text().size();
    gConsole->ExecuteFile("w.cfg");
    EXPECT_EQ(gamma, 12);
    EXPECT_EQ(Since(mark), "in\tside \n" + Executed("w.cfg"));
}

TEST_F(ConsoleExecTest, ConfigAcceptsAnyLineEnding)
{
    WriteData("crlf.cfg", "r_gamma 13\r\ng_flag 1\r\n");
    WriteData("cr.cfg", "s_name mac\rf_scale 3\r");
    WriteData("noend.cfg", "r_gamma 14");
    gConsole->ExecuteFile("crlf.cfg");
    EXPECT_EQ(gamma, 13);
    EXPECT_TRUE(flag);
    gConsole->ExecuteFile("cr.cfg");
    EXPECT_STREQ(name, "mac");
    EXPECT_FLOAT_EQ(scale, 3.0f);
    gConsole->ExecuteFile("noend.cfg");
    EXPECT_EQ(gamma, 14);
}

TEST_F(ConsoleExecTest, ConfigDropsControlAndHighBytesWithoutEndingFile)
{
    static const char raw[] = "r_ga\xffmma 15\n\x00\x1a\xff\x7f~\x01\ng_f\x80lag 1\n";
    WriteData("bin.cfg", std::string(raw, sizeof(raw) - 1));
    const size_t mark = Text().size();
    gConsole->ExecuteFile("bin.cfg");
    EXPECT_EQ(gamma, 15);
    EXPECT_TRUE(flag) << "a byte in the middle of the file ended it";
    EXPECT_EQ(Since(mark), Executed("bin.cfg"));
}

TEST_F(ConsoleExecTest, MissingConfigPrintsOnlyWarning)
{
    const size_t mark = Text().size();
    gConsole->ExecuteFile("missing.cfg");
    EXPECT_EQ(Since(mark), "^14Warning: Could not execute file ^13missing.cfg^15\n");
}

TEST_F(ConsoleExecTest, ExecuteCommandRunsNestedFiles)
{
    WriteData("outer.cfg", "Execute inner.cfg\nr_gamma 17\n");
    WriteData("inner.cfg", "r_gamma 16\ng_flag 1\n");
    const size_t mark = Text().size();
    FromCode("execute outer.cfg");
    EXPECT_EQ(gamma, 17);
    EXPECT_TRUE(flag);
    EXPECT_EQ(Since(mark), Executed("inner.cfg") + Executed("outer.cfg"));
    EXPECT_EQ(FromCode("Execute"), "^15Usage: ^6Execute ^5[file_name]^15\n");
}

TEST_F(ConsoleExecTest, SelfExecutingFileStopsAtNestingLimit)
{
    WriteData("loop.cfg", "Execute loop.cfg\nr_gamma 33\n");
    gConsole->ExecuteFile("loop.cfg");
    const size_t runs = Count(Text(), Executed("loop.cfg"));
    EXPECT_GE(runs, 2u);
    EXPECT_LE(runs, 64u);
    EXPECT_EQ(gamma, 33);

    // The depth is given back: nesting works again afterwards.
    WriteData("outer.cfg", "Execute inner.cfg\n");
    WriteData("inner.cfg", "g_flag 1\n");
    gConsole->ExecuteFile("outer.cfg");
    EXPECT_TRUE(flag);
}

}  // namespace
