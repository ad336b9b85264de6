// Runs the real engine from a temporary directory holding a copy of it and a data directory the test writes, under
// the test's virtual display; captures what a user sees.
#pragma once

#include "support/files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct EngineRun {
    int exitCode = -1;  // the process's exit status, or 128 + signal
    bool timedOut = false;
    std::string out;  // standard output
    std::string err;  // standard error

    bool Has(const std::string& text) const { return out.find(text) != std::string::npos; }
    // Exited by itself with `code`, before the sandbox gave up on it.
    ::testing::AssertionResult Ended(int code) const;
};

// Something done to the running engine once its standard output contains `output`; triggers fire in order.
struct EngineTrigger {
    std::string output;
    std::function<void(pid_t engine, const std::string& display, const std::string& outputFile)> action;
};

EngineTrigger SendSignal(const std::string& afterOutput, int signal);
// Real X input: runs one xdotool step after focusing the engine's window, e.g. "key k" or "mousemove_relative 60 0",
// and sends it again (a few times at most) while `expect` has not been printed. Tests of what the engine does with
// input use EngineRunOptions::input, which cannot be lost.
EngineTrigger UseKeyboard(const std::string& afterOutput, const std::string& step, const std::string& expect);

struct EngineRunOptions {
    std::vector<EngineTrigger> triggers;
    std::vector<std::string> environment = {};  // "NAME=value", added to the engine's
    // Input queued at chosen frames (support/scripted_input.h); when given, the test build that reads it runs.
    std::string input = {};
    // Bytes of address space the engine may map (setrlimit), 0 for no limit.
    size_t addressSpaceLimit = 0;
};

// The data directory starts with the generated console font and a main script with an empty "update".
class EngineSandbox {
public:
    EngineSandbox();
    ~EngineSandbox();
    EngineSandbox(const EngineSandbox&) = delete;
    EngineSandbox& operator=(const EngineSandbox&) = delete;

    // Files below the sandbox's data directory.
    std::string DataPath(const std::string& name = "") const { return root + "/data/" + name; }
    void WriteData(const std::string& name, const std::string& content) { WriteFile(DataPath(name), content); }
    std::string ReadData(const std::string& name) const { return ReadFile(DataPath(name)); }
    // The game's main script: `setup` runs once, then each step's Lua in the "update" of its frame (the first is 1).
    void WriteMainScript(const std::string& setup, const std::map<int, std::string>& steps);
    // An 8 x 8 uncompressed TGA of one colour.
    void WriteTexture(const std::string& name, uint8_t r, uint8_t g, uint8_t b);
    // The repository's game in place of the idle one, with the textures, sounds and models the build generates.
    void InstallBundledGame();
    // The lighting vertex programs the repository ships, alone.
    void InstallVertexPrograms();

    // Gives up after a minute.
    EngineRun Run(const std::vector<std::string>& arguments, const EngineRunOptions& options = {});

private:
    std::string root;
};

// Steps of main scripts.
inline const std::string kScreenshot = "Console_Command('Screenshot')";
inline const std::string kQuit = "Console_Command('Quit')";

// How often `part` stands in `text`, overlaps counted.
size_t Occurrences(const std::string& text, const std::string& part);

// True when `expected` appear in this order as whole lines of `out`.
::testing::AssertionResult LinesInOrder(const std::string& out, const std::vector<std::string>& expected);
// True when each of `parts` stands somewhere in `text`.
::testing::AssertionResult Contains(const std::string& text, const std::vector<std::string>& parts);
