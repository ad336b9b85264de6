// Runs the real engine executable from a temporary directory that holds a
// copy of it and a data directory written by the test, under the test
// process's virtual display, and captures what a user would see.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

struct EngineRun {
    int exitCode = -1;  // the process's exit status, or 128 + signal
    bool timedOut = false;
    std::string out;  // standard output
    std::string err;  // standard error

    // Index of `text` in the output at or after `from`, or npos.
    size_t Find(const std::string& text, size_t from = 0) const { return out.find(text, from); }
    bool Has(const std::string& text) const { return out.find(text) != std::string::npos; }
};

// Something done to the running engine once its standard output contains
// `output`; triggers fire one after another, in order.
struct EngineTrigger {
    std::string output;
    std::function<void(pid_t engine, const std::string& display)> action;
};

EngineTrigger SendSignal(const std::string& afterOutput, int signal);
// Runs xdotool once per step after focusing the engine's window, e.g.
// {"key grave", "type /Quit", "key Return"}; type takes the rest of its step
// as text. Waits for every step to finish.
EngineTrigger UseKeyboard(const std::string& afterOutput, const std::vector<std::string>& steps);

struct EngineRunOptions {
    int timeoutMs = 60000;
    std::vector<std::pair<std::string, std::string>> environment;  // added to the engine's
    std::vector<EngineTrigger> triggers;
};

// The smallest game the engine runs: a main script with an empty "update".
constexpr const char* kIdleGame = "function update()\nend\n";

// The sandbox's data directory starts with what the build generates (the
// console font) and the idle game as "scripts/game/main.lua"; tests add the rest.
class EngineSandbox {
public:
    EngineSandbox();
    ~EngineSandbox();
    EngineSandbox(const EngineSandbox&) = delete;
    EngineSandbox& operator=(const EngineSandbox&) = delete;

    // Files below the sandbox's data directory.
    void WriteData(const std::string& name, const std::string& content);
    std::string ReadData(const std::string& name) const;
    void RemoveData(const std::string& name);
    // The game in the repository's data directory, in place of the idle one.
    void InstallBundledGame();
    bool DataExists(const std::string& name) const;
    std::string DataPath(const std::string& name = "") const;
    const std::string& Root() const { return root; }

    EngineRun Run(const std::vector<std::string>& arguments, const EngineRunOptions& options = {});

private:
    std::string root;
};

// Splits captured output into its lines.
std::vector<std::string> OutputLines(const std::string& text);
// True when `expected` appear in this order as whole lines of `out`.
::testing::AssertionResult LinesInOrder(const std::string& out, const std::vector<std::string>& expected);
