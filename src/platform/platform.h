// The thin layer between the engine and the host operating system.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// Directory holding the running executable, without a trailing separator.
std::string Platform_ExecutableDirectory();

// Console close: SIGHUP, SIGTERM and SIGINT store true into the flag so the
// main loop finishes its frame and runs the normal shutdown.
void Platform_InstallCloseHandler(std::atomic<bool>* quitFlag);

// A hint that the memory about to be filled be backed by large pages where
// the host offers them: filling a block of tens of megabytes then costs one
// fault per 2 MiB instead of one per 4 KiB page. Nothing changes otherwise.
void Platform_AdviseLargePages(void* start, size_t bytes);
// A block of whole pages straight from the kernel: zero, and costing nothing
// until a page is touched. Null when none can be had.
void* Platform_AllocateZeroedPages(size_t bytes);
void Platform_FreePages(void* start, size_t bytes);

uint64_t Platform_PerformanceCounter();
uint64_t Platform_PerformanceFrequency();

// OpenGL entry point lookup; null when the driver lacks the function.
void* Platform_GetGLProcAddress(const char* name);

// The window-system (GLX) extension string of the current display, or "".
std::string Platform_WindowSystemExtensions();

// Moves the window's pointer by (dx, dy) from wherever it is at this moment,
// so travel the program has not read yet stays on it, and stores where it
// then is relative to the window. False where the window system offers no
// such move (SDL's dummy driver).
bool Platform_MovePointerBy(int dx, int dy, int& x, int& y);

// Text of the clipboard selection, or "" when there is none.
std::string Platform_ClipboardText();

#include <vector>

struct PlatformDirEntry {
    std::string name;
    bool isDirectory;  // symbolic links count as what they point to
};

// The entries of a directory by name, ignoring case, without "." and "..";
// false when it cannot be read.
bool Platform_ListDirectory(const char* path, std::vector<PlatformDirEntry>& entries);
