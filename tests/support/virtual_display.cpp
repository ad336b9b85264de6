#include "support/virtual_display.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool CanConnect(const std::string& name)
{
    Display* connection = XOpenDisplay(name.c_str());
    if (connection)
        XCloseDisplay(connection);
    return connection != nullptr;
}

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

    // Xvfb picks a free display number and writes it to fd 3 once it
    // accepts clients. Without -noreset it would reset whenever its last
    // client left, refusing the next engine run for a moment.
    void Start()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 3);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-noreset", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] = {};
        size_t length = 0;
        pollfd fd = {fds[0], POLLIN, 0};
        while (length < sizeof(number) - 1 && poll(&fd, 1, 20000) > 0) {
            ssize_t got = read(fds[0], number + length, sizeof(number) - 1 - length);
            if (got <= 0)
                break;
            length += size_t(got);
            if (number[length - 1] == '\n')
                break;
        }
        close(fds[0]);
        const std::string candidate = ":" + std::string(number, length ? length - 1 : 0);
        if (length > 0 && number[length - 1] == '\n' && CanConnect(candidate))
            display = candidate;
        else
            Stop();
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
