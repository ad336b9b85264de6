// vfs_find_first / vfs_find_next and the wildcard rules.
#include "vfs_fixture.h"
#include "vfs/wildcard.h"

#include <algorithm>

namespace {

TEST_F(VfsTest, SearchWalksEachSearchPathInTurnThenTheArchiveMembers)
{
    // folder.pk3 is a directory with the archive extension.
    for (const char* name : {"one/b.lua", "one/scripts/game/main.lua", "one/scripts/readme.txt",
                             "one/folder.pk3/inside.lua", "two/a.lua", "two/shared.lua"})
        Write(name, "");
    WriteArchive("two/pack.PK3", ZipWriter().Add("Zeta.lua", "").Add("alpha.lua", "").Add("shared.lua", "").Finish());
    Start({"one", "two"});
    // Plain files by name within each directory, depth first, whatever the host's order; then members in archive order,
    // lower-cased, and a name in both places twice.
    EXPECT_EQ(FindAll("*"), (std::vector<std::string>{"b.lua", "scripts/game/main.lua", "scripts/readme.txt", "a.lua",
                                                      "shared.lua", "zeta.lua", "alpha.lua", "shared.lua"}));

    EXPECT_EQ(FindAll("*.lua"), (std::vector<std::string>{"b.lua", "scripts/game/main.lua", "a.lua", "shared.lua",
                                                          "zeta.lua", "alpha.lua", "shared.lua"}));
    EXPECT_EQ(FindAll("scripts/*/*.lua"), std::vector<std::string>{"scripts/game/main.lua"});
    EXPECT_EQ(FindAll("Zeta.lua"), std::vector<std::string>{}) << "matching is case-sensitive";
    EXPECT_EQ(FindAll("*.none"), std::vector<std::string>{});
    vfs_find_close(nullptr);
}

TEST_F(VfsTest, SearchGoesThirtyOneLevelsDeepAndPassesOverNamesTooLongToReport)
{
    std::string deep;
    for (int level = 1; level <= 32; ++level) {
        deep += "d/";
        Write("data/" + deep + "f" + std::to_string(level), "");
    }
    const std::string directory(200, 'l');
    Write("data/" + directory + "/" + std::string(55, 'f'), "");  // 256 characters
    Write("data/" + directory + "/" + std::string(56, 'g'), "");  // 257
    Start({"data"});
    const std::vector<std::string> found = FindAll("*");
    EXPECT_EQ(found.size(), 32u);
    EXPECT_NE(std::find(found.begin(), found.end(), deep.substr(0, 62) + "f31"), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), directory + "/" + std::string(55, 'f')), found.end());
}

TEST(Wildcard, MatchesByTheEngineRulesAndManyStarsStayFast)
{
    const struct {
        const char *pattern, *text;
        bool matches;
    } cases[] = {
        {"", "", true}, {"", "a", false}, {"*", "", true}, {"*", "dir/any/thing", true}, {"?", "", false},
        {"?", "a", true}, {"?", "ab", false}, {"a*?", "a", false}, {"a*?", "ab", true}, {"*?", "", false},
        {"*.lua", "a.lua", true}, {"*.lua", "dir/b.lua", true}, {"*.lua", "a.luac", false},
        {"*.lua", "a.lua.lua", true}, {"*a*b*c", "xaybzc", true}, {"*a*b*c", "xaybz", false},
        {"**", "a*", true},  // the character after a star is always literal
        {"**", "ab", false}, {"a**", "a*xyz", false}, {"a***", "a*xyz", true}, {"*?x", "ax", true}, {"*?x", "x", false},
        {"A.txt", "a.txt", false}, {"shaders/*.shader", "shaders/base.shader", true},
        {"shaders/*.shader", "other/base.shader", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardPattern(c.pattern).Matches(c.text), c.matches) << c.pattern << " vs " << c.text;

    // Many stars must not make matching exponential.
    const std::string text(256, 'a');
    std::string pattern;
    for (int i = 0; i < 100; ++i)
        pattern += "*a";
    EXPECT_FALSE(WildcardPattern((pattern + "b").c_str()).Matches(text.c_str()));
    EXPECT_TRUE(WildcardPattern(pattern.c_str()).Matches(text.c_str()));
}

}  // namespace
