// Plain files: search paths, handles, writing, directories and the name rules.
#include "vfs_fixture.h"

namespace {

TEST_F(VfsTest, AFifthValidSearchPathIsIgnoredAndInvalidOnesTakeNoPlace)
{
    for (const char* name : {"p1", "p2", "p3", "p4", "p5"})
        Write(std::string(name) + "/only_" + name + ".txt", name);
    Write("p1/shared.txt", "first");
    Write("p2/shared.txt", "second");
    Write("not_a_directory", "");
    const std::string out = Start({"p1", "missing", "not_a_directory", "p2", "p3", "p4", "p5"}, false);
    // Four valid paths are taken, in order; the invalid ones are named and skipped.
    EXPECT_NE(out.find("Invalid search path: " + Dir("missing") + "\nInvalid search path: " + Dir("not_a_directory") +
                       "\nSearch path: " + Dir("p2")),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadAll("only_p4.txt") + ReadAll("only_p5.txt") + ReadAll("shared.txt"), "p4<no file>first");
}

TEST_F(VfsTest, ThirtyTwoHandlesAtMostAndBadHandlesAreReported)
{
    Write("data/f.txt", "f");
    WriteArchive("data/a.pk3", ZipWriter().Add("m.txt", "m").Finish());
    Start({"data"});
    Results handles, expected;
    for (int i = 0; i < 34; ++i) {
        handles.push_back(vfs_fopen(i % 2 ? "f.txt" : "m.txt", "rb"));
        expected.push_back(i < 32 ? i + 1 : 0);
    }
    EXPECT_EQ(handles, expected);
    EXPECT_EQ(Output(), "vfs_open_file: out of file handles\nvfs_open_file: out of file handles\n");

    // A closed handle is the next one given; a handle closed twice is a bad one.
    EXPECT_EQ((Results{vfs_fclose(7), vfs_fopen("m.txt", "rb"), vfs_fclose(20)}), (Results{0, 7, 0}));
    char byte;
    for (int bad : {0, 33, -1, 20})
        EXPECT_EQ((Results{vfs_fclose(bad), vfs_fread(bad, &byte, 1), vfs_fwrite(bad, &byte, 1), vfs_feof(bad),
                           vfs_fgetc(bad)}),
                  Results(5, -1))
            << bad;
    EXPECT_EQ(Output().rfind("vfs_fclose: bad file handle\nvfs_fread: bad file handle\n", 0), 0u);
    vfs_shutdown();  // closes what is still open
    EXPECT_EQ(vfs_fclose(1), -1);
}

TEST_F(VfsTest, WritesGoToTheFirstSearchPathThatTakesThem)
{
    WriteArchive("two/a.pk3", ZipWriter().Add("new.txt", "archived").Finish());
    Start({"one", "two"});
    int handle = vfs_fopen("new.txt", "wb");  // a plain file even where a member has the name
    EXPECT_EQ((Results{vfs_fwrite(handle, "hello", 5), vfs_fclose(handle)}), (Results{5, 0}));
    handle = vfs_fopen("new.txt", "ab");
    EXPECT_EQ((Results{vfs_fwrite(handle, "!", 1), vfs_fclose(handle)}), (Results{1, 0}));
    EXPECT_EQ(ReadAll("new.txt"), "hello!");
    EXPECT_TRUE(std::filesystem::exists(Dir("one/new.txt")));
    // A missing directory, and modes without access.
    EXPECT_EQ((Results{vfs_fopen("missing/dir.txt", "wb"), vfs_fopen("new.txt", "b"), vfs_fopen("new.txt", "")}),
              Results(3, 0));
}

TEST_F(VfsTest, ReplacingAFileKeepsTheOldContentWhenTheWriteFails)
{
    Write("data/Settings.cfg", "old");
    Start({"data"});
    EXPECT_EQ(vfs_replace_file("settings.cfg", "new", 3), 0);
    EXPECT_EQ(ReadAll("settings.cfg"), "new");
    EXPECT_FALSE(std::filesystem::exists(Dir("data/Settings.cfg.tmp")));

    // Nothing can be written where the temporary file would go.
    std::filesystem::create_directories(Dir("data/Settings.cfg.tmp"));
    EXPECT_EQ((Results{vfs_replace_file("settings.cfg", "lost", 4), vfs_replace_file("../escape.cfg", "x", 1)}),
              Results(2, -1));
    EXPECT_EQ(ReadAll("settings.cfg"), "new");
}

TEST_F(VfsTest, MkdirMakesEveryLevelAndRemoveTakesTheFileFromEverySearchPath)
{
    Write("one/file.txt", "");
    Write("one/both.txt", "1");
    Write("two/both.txt", "2");
    Write("two/second_only.txt", "2");
    Start({"one", "two"});
    // Every level is made; what exists and paths through a file are refused.
    EXPECT_EQ((Results{vfs_mkdir("a/b/c"), vfs_mkdir("a/b/c"), vfs_mkdir("a"), vfs_mkdir("a/b/d/"),
                       vfs_mkdir("file.txt/sub")}),
              (Results{0, -1, -1, 0, -1}));
    EXPECT_TRUE(std::filesystem::is_directory(Dir("one/a/b/c")));
    EXPECT_TRUE(std::filesystem::is_directory(Dir("one/a/b/d")));
    EXPECT_FALSE(std::filesystem::exists(Dir("two/a")));
    EXPECT_EQ((Results{vfs_fopen("a", "rb"), vfs_file_exists("a")}), Results(2, 0)) << "directories are no files";
    EXPECT_EQ(Output(), "");
    EXPECT_EQ(vfs_mkdir(std::string(257, 'd').c_str()), -1);
    EXPECT_EQ(Output(), "vfs_mkdir: path length exceeds VFS_MAX_PATH\n");

    // Remove stops at the first search path without the file.
    EXPECT_EQ((Results{vfs_remove("both.txt"), vfs_file_exists("both.txt"), vfs_remove("both.txt"),
                       vfs_remove("second_only.txt")}),
              (Results{0, 0, -1, -1}));
    EXPECT_TRUE(std::filesystem::exists(Dir("two/second_only.txt")));
}

TEST_F(VfsTest, PlainFilesAreFoundWhateverTheCaseOfTheirPath)
{
    Write("data/Textures/Walls/Stone.TGA", "stone");
    Write("data/exact.txt", "exact");
    Write("data/EXACT.TXT", "upper");
    WriteArchive("data/a.pk3", ZipWriter().Add("textures/walls/stone.tga", "member").Finish());
    Start({"data"});
    EXPECT_EQ(ReadAll("textures/walls/stone.tga"), "stone") << "the plain file still hides the member";
    EXPECT_EQ(ReadAll("TEXTURES/walls/STONE.tga"), "stone");
    EXPECT_EQ((Results{long(vfs_file_size("textures/walls/stone.tga")), vfs_file_exists("textures/WALLS/stone.tga")}),
              (Results{5, 1}));
    EXPECT_EQ(ReadAll("exact.txt") + ReadAll("EXACT.TXT"), "exactupper") << "an exact spelling comes first";

    // Listings are cached; a file made after the first lookup is still found.
    Write("data/Textures/Walls/Brick.TGA", "brick");
    EXPECT_EQ(ReadAll("textures/walls/brick.tga"), "brick");

    // Writing goes into the directory as spelt on disk.
    EXPECT_EQ(vfs_fclose(vfs_fopen("textures/walls/new.tga", "wb")), 0);
    EXPECT_TRUE(std::filesystem::exists(Dir("data/Textures/Walls/new.tga")));
    EXPECT_EQ((Results{vfs_mkdir("textures/walls"), vfs_mkdir("textures/walls/sub")}), (Results{-1, 0}))
        << "it exists under another case";
    EXPECT_TRUE(std::filesystem::is_directory(Dir("data/Textures/Walls/sub")));

    EXPECT_EQ(vfs_remove("textures/walls/stone.tga"), 0);
    EXPECT_FALSE(std::filesystem::exists(Dir("data/Textures/Walls/Stone.TGA")));
    EXPECT_EQ(ReadAll("textures/walls/stone.tga"), "member");
}

TEST_F(VfsTest, NamesReachingOutsideTheSearchPathsAreRefusedEverywhere)
{
    Write("secret.txt", "outside");
    Write("data/inside/file.txt", "inside");
    Start({"data"});
    for (const std::string& name : std::vector<std::string>{"../secret.txt", "inside/../../secret.txt", "..",
                                                            Dir("secret.txt"), "\\..\\secret.txt", "inside/..",
                                                            std::string(300, 'x'), ""}) {
        const char* n = name.c_str();
        EXPECT_EQ((Results{vfs_fopen(n, "rb"), vfs_fopen(n, "wb"), long(vfs_file_size(n)), vfs_file_exists(n),
                           vfs_remove(n), long(FindAll(n).size())}),
                  (Results{0, 0, 0, 0, -1, 0}))
            << name;
    }
    for (const char* path : {"../escape", "inside/../../escape", "/tmp/escape"})
        EXPECT_EQ(vfs_mkdir(path), -1);
    EXPECT_EQ(ReadAll("inside/file.txt"), "inside");
    EXPECT_TRUE(std::filesystem::exists(Dir("secret.txt")));
    EXPECT_FALSE(std::filesystem::exists(Dir("escape")));
    EXPECT_FALSE(std::filesystem::exists("/tmp/escape"));
    EXPECT_EQ(ReadAll("..name/ok..txt"), "<no file>") << "dots inside a component are fine";
    Write("data/..name/ok..txt", "dots");
    EXPECT_EQ(ReadAll("..name/ok..txt"), "dots");
}

}  // namespace
