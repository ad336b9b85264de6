#include "engine/fatalerror.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

// Room for the way out (the message, the console's log file) when the
// process has run out of memory; given back first thing on that way.
constexpr size_t kMemoryReserve = 4u << 20;
void* memoryReserve = malloc(kMemoryReserve);

}  // namespace

void ReleaseMemoryReserve()
{
    free(memoryReserve);
    memoryReserve = nullptr;
}

void FatalError(int code, const char* format, ...)
{
    ReleaseMemoryReserve();
    char message[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    throw FatalErrorException(code, message);
}

__attribute__((weak)) void* EngineMalloc(size_t size)
{
    return malloc(size);
}

void* EngineAlloc(size_t size)
{
    void* memory = EngineMalloc(size);
    if (!memory && size != 0)
        FatalError(1, "Failed to allocate %zu byte(s) of memory.\n", size);
    return memory;
}
