#include "support/test_console.h"

#include "vfs/vfs.h"

void ConsoleTest::SetUp()
{
    char pattern[] = "/tmp/morvathen-unit-XXXXXX";
    dataDirectory = mkdtemp(pattern);
    testing::internal::CaptureStdout();  // keep the echo out of the test log
    vfs_startup(dataDirectory.c_str());
    ClearText();
}

void ConsoleTest::ClearText()
{
    gConsole->Release();
    gConsole->Create(65535, 255, 24, 64, 32);
}

void ConsoleTest::TearDown()
{
    gConsole->Release();
    vfs_shutdown();
    testing::internal::GetCapturedStdout();
    std::error_code ignored;
    std::filesystem::remove_all(dataDirectory, ignored);
}
