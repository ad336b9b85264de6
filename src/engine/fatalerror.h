// The one way out of the engine on an unrecoverable error. FatalError throws;
// `main` catches, reports the message on the console and runs the orderly
// shutdown. Script bindings catch it at the Lua boundary and raise it again
// once Lua's frames are gone.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

class FatalErrorException : public std::runtime_error {
public:
    FatalErrorException(int code, const std::string& message) : std::runtime_error(message), code(code) {}
    const int code;  // the process's exit code
};

[[noreturn]] void FatalError(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Gives back the memory held from the start for reporting a fatal error when
// the process has run out; FatalError and the out-of-memory path call it.
void ReleaseMemoryReserve();

// malloc that ends the program through FatalError instead of returning null.
void* EngineAlloc(size_t size);
// The allocator under EngineAlloc and under allocations that may fail
// softly: plain malloc. Weak, so that a test can link in one that runs out.
void* EngineMalloc(size_t size);
