#include "support/virtual_display.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct XvfbServer {
    pid_t pid = -1;
    std::string display;

    XvfbServer()
    {
        for (int attempt = 0; attempt < 3 && display.empty(); ++attempt)
            Start();
        if (display.empty())
            fprintf(stderr, "Xvfb did not start; engine tests cannot open a window\n");
    }

    // Xvfb picks a free display number and writes it to fd 3 once it accepts clients. Without -noreset it would reset
    // whenever its last client left, refusing the next engine run for a moment.
    void Start()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 3);
            dup2(open("/dev/null", O_WRONLY), 1);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-noreset", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb either writes its number or exits, ending the line.
        FILE* numberLine = fdopen(fds[0], "r");
        char number[32] = {};
        const bool written = fgets(number, sizeof(number), numberLine) && number[0] != '\n';
        fclose(numberLine);
        const std::string candidate = ":" + std::string(number, strcspn(number, "\n"));
        Display* connection = written ? XOpenDisplay(candidate.c_str()) : nullptr;
        if (connection) {
            XCloseDisplay(connection);
            display = candidate;
        } else {
            Stop();
        }
    }

    void Stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }

    ~XvfbServer() { Stop(); }
};

}  // namespace

const std::string& VirtualDisplay()
{
    static XvfbServer server;
    return server.display;
}
