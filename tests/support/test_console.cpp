#include "support/test_console.h"

#include "console/console.h"
#include "vfs/vfs.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void ConsoleTest::SetUp()
{
    char pattern[] = "/tmp/morvathen-unit-XXXXXX";
    dataDirectory = mkdtemp(pattern);
    testing::internal::CaptureStdout();  // keep the echo out of the test log
    vfs_startup(dataDirectory.c_str());
    gConsole->Release();
    gConsole->Create(65535, 255, 24, 64, 32);
}

void ConsoleTest::TearDown()
{
    gConsole->Release();
    vfs_shutdown();
    testing::internal::GetCapturedStdout();
    std::error_code ignored;
    fs::remove_all(dataDirectory, ignored);
}

void ConsoleTest::WriteData(const std::string& name, const std::string& content)
{
    fs::path path = dataDirectory + "/" + name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string ConsoleTest::ReadData(const std::string& name) const
{
    std::ifstream file(dataDirectory + "/" + name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string ConsoleTest::Text() const
{
    return gConsole->Text();
}
