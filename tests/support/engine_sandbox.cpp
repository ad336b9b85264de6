#include "support/engine_sandbox.h"

#include "support/virtual_display.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

extern char** environ;

EngineSandbox::EngineSandbox()
{
    char pattern[] = "/tmp/morvathen-test-XXXXXX";
    root = mkdtemp(pattern);
    fs::create_directories(root + "/data");
    // A copy (or hard link) rather than a symbolic link: the engine finds
    // its data beside the resolved executable path.
    std::error_code error;
    fs::create_hard_link(MORVATHEN_EXECUTABLE, root + "/morvathen", error);
    if (error)
        fs::copy_file(MORVATHEN_EXECUTABLE, root + "/morvathen");
    // Only the generated font: the build's data directory may also hold a
    // game and settings that run.sh and earlier runs left there.
    fs::create_directories(DataPath("textures"));
    fs::copy_file(std::string(MORVATHEN_BUILD_DATA) + "/textures/console_font.tga",
                  DataPath("textures/console_font.tga"));
    WriteData("scripts/game/main.lua", kIdleGame);
}

EngineSandbox::~EngineSandbox()
{
    if (!getenv("MORVATHEN_KEEP_SANDBOX")) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
}

std::string EngineSandbox::DataPath(const std::string& name) const
{
    return name.empty() ? root + "/data" : root + "/data/" + name;
}

void EngineSandbox::WriteData(const std::string& name, const std::string& content)
{
    fs::path path = DataPath(name);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string EngineSandbox::ReadData(const std::string& name) const
{
    std::ifstream file(DataPath(name), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

void EngineSandbox::InstallBundledGame()
{
    fs::copy(MORVATHEN_SOURCE_DATA, DataPath(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void EngineSandbox::RemoveData(const std::string& name)
{
    fs::remove(DataPath(name));
}

bool EngineSandbox::DataExists(const std::string& name) const
{
    return fs::exists(DataPath(name));
}

EngineRun EngineSandbox::Run(const std::vector<std::string>& arguments, const EngineRunOptions& options)
{
    EngineRun run;
    const std::string display = VirtualDisplay();
    // Close-on-exec, so no other child of the test process keeps them open.
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        return run;

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    environment.push_back("DISPLAY=" + display);
    environment.push_back("LIBGL_ALWAYS_SOFTWARE=1");
    environment.push_back("ALSOFT_DRIVERS=null");
    environment.push_back("SDL_AUDIODRIVER=dummy");
    for (const auto& [name, value] : options.environment)
        environment.push_back(name + "=" + value);

    const std::string executable = root + "/morvathen";
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (chdir(root.c_str()) != 0)
            _exit(126);
        std::vector<char*> argv{const_cast<char*>(executable.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        execve(executable.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    size_t nextTrigger = 0;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                           deadline - std::chrono::steady_clock::now()).count());
        if (left <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, left) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[65536];
            ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? run.out : run.err).append(buffer, size_t(got));
        }
        while (nextTrigger < options.triggers.size() &&
               run.out.find(options.triggers[nextTrigger].output) != std::string::npos)
            options.triggers[nextTrigger++].action(pid, display);
    }
    for (pollfd& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);

    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

EngineTrigger SendSignal(const std::string& afterOutput, int signal)
{
    return {afterOutput, [signal](pid_t engine, const std::string&) { kill(engine, signal); }};
}

EngineTrigger UseKeyboard(const std::string& afterOutput, const std::vector<std::string>& steps)
{
    return {afterOutput, [steps](pid_t, const std::string& display) {
                // Focus first, then the step on its own: chained after the
                // search, xdotool sends synthetic events to the window, which
                // the engine sometimes never sees on a server that earlier
                // runs used; real (XTEST) events to the focused window arrive.
                const std::string xdotool = "DISPLAY=" + display + " xdotool ";
                for (size_t i = 0; i < steps.size(); ++i) {
                    const std::string line = xdotool + "search --sync --name '^Morvathen$' windowfocus --sync >/dev/null 2>&1 && " +
                                             xdotool + steps[i] + " >/dev/null 2>&1";
                    // The last step may quit the engine, whose window can then
                    // vanish before xdotool is done with it.
                    if (system(line.c_str()) != 0 && i + 1 < steps.size())
                        ADD_FAILURE() << "xdotool failed: " << line;
                }
            }};
}

std::vector<std::string> OutputLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

::testing::AssertionResult LinesInOrder(const std::string& out, const std::vector<std::string>& expected)
{
    std::vector<std::string> lines = OutputLines(out);
    size_t at = 0;
    for (const std::string& want : expected) {
        while (at < lines.size() && lines[at] != want)
            ++at;
        if (at == lines.size())
            return ::testing::AssertionFailure() << "missing or out of order: \"" << want << "\"\n" << out;
        ++at;
    }
    return ::testing::AssertionSuccess();
}
