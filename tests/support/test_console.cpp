#include "support/test_console.h"

#include "vfs/vfs.h"

#include <cstdio>

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
    // Failure messages went to the captured stream too: give them back,
    // with the echo around them, when there are any.
    const std::string captured = testing::internal::GetCapturedStdout();
    if (HasFailure())
        std::fputs(captured.c_str(), stdout);
    std::error_code ignored;
    std::filesystem::remove_all(dataDirectory, ignored);
}
