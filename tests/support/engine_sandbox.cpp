#include "support/engine_sandbox.h"

#include "support/files.h"
#include "support/virtual_display.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

extern char** environ;

EngineSandbox::EngineSandbox()
{
    char pattern[] = "/tmp/morvathen-test-XXXXXX";
    root = mkdtemp(pattern);
    // A copy (or hard link) rather than a symbolic link: the engine finds
    // its data beside the resolved executable path.
    std::error_code error;
    fs::create_hard_link(MORVATHEN_EXECUTABLE, root + "/morvathen", error);
    if (error)
        fs::copy_file(MORVATHEN_EXECUTABLE, root + "/morvathen");
    // Only the generated font: the build's data directory may also hold a
    // game and settings that run.sh and earlier runs left there.
    WriteData("textures/console_font.tga", ReadFile(MORVATHEN_BUILD_DATA "/textures/console_font.tga"));
    WriteData("scripts/game/main.lua", "function update()\nend\n");
}

EngineSandbox::~EngineSandbox()
{
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void EngineSandbox::InstallBundledGame()
{
    fs::copy(MORVATHEN_SOURCE_DATA, DataPath(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

namespace {

std::vector<char*> NullTerminated(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

EngineRun EngineSandbox::Run(const std::vector<std::string>& arguments, const EngineRunOptions& options)
{
    EngineRun run;
    const std::string display = VirtualDisplay();
    std::vector<std::string> argv{root + "/morvathen"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    // Ours first: of two equal names, the first is the one the engine reads.
    std::vector<std::string> environment = options.environment;
    environment.insert(environment.end(), {"DISPLAY=" + display, "LIBGL_ALWAYS_SOFTWARE=1",
                                           "ALSOFT_DRIVERS=null", "SDL_AUDIODRIVER=dummy"});
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    const std::vector<char*> argp = NullTerminated(argv), envp = NullTerminated(environment);
    // Close-on-exec, so no other child of the test process keeps them open.
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        return run;

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (chdir(root.c_str()) == 0)
            execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    size_t nextTrigger = 0;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, int(left)) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents)
                continue;
            char buffer[65536];
            const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
            if (got > 0)
                (i == 0 ? run.out : run.err).append(buffer, size_t(got));
            else
                close(std::exchange(fds[i].fd, -1));
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
                const std::string focus = xdotool + "search --sync --name '^Morvathen$' windowfocus --sync";
                for (size_t i = 0; i < steps.size(); ++i) {
                    const std::string line = focus + " >/dev/null 2>&1 && " + xdotool + steps[i] + " >/dev/null 2>&1";
                    // The last step may quit the engine, whose window can then
                    // vanish before xdotool is done with it.
                    if (system(line.c_str()) != 0 && i + 1 < steps.size())
                        ADD_FAILURE() << "xdotool failed: " << line;
                }
            }};
}

::testing::AssertionResult LinesInOrder(const std::string& out, const std::vector<std::string>& expected)
{
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
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
