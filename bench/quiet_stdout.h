// Standard output sent to /dev/null for a while, for benchmarks of code
// that echoes to it.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

// Sends standard output to /dev/null while alive, so the echo of every
// print costs its write but floods nothing; the report comes out after.
class QuietStdout {
public:
    QuietStdout()
    {
        fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout()
    {
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved;
};
