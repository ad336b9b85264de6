// Runs the real engine executable from a temporary directory that holds a
// copy of it and a data directory written by the test, under the test
// process's virtual display, and captures what a user would see.
#pragma once

#include <csignal>
#include <string>
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

struct EngineRunOptions {
    int timeoutMs = 60000;
    std::vector<std::pair<std::string, std::string>> environment;  // added to the engine's
    // Sends `signal` once standard output contains `signalAfterOutput`.
    std::string signalAfterOutput;
    int signal = SIGTERM;
};

class EngineSandbox {
public:
    EngineSandbox();
    ~EngineSandbox();
    EngineSandbox(const EngineSandbox&) = delete;
    EngineSandbox& operator=(const EngineSandbox&) = delete;

    // Files below the sandbox's data directory.
    void WriteData(const std::string& name, const std::string& content);
    std::string ReadData(const std::string& name) const;
    bool DataExists(const std::string& name) const;
    std::string DataPath(const std::string& name = "") const;
    const std::string& Root() const { return root; }

    EngineRun Run(const std::vector<std::string>& arguments, const EngineRunOptions& options = {});

private:
    std::string root;
};

// Splits captured output into its lines.
std::vector<std::string> OutputLines(const std::string& text);
