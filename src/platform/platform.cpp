#include "platform/platform.h"

#include <GL/glx.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

std::string Platform_ExecutableDirectory()
{
    char path[1024];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    std::string dir(path);
    size_t slash = dir.rfind('/');
    return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

static std::atomic<bool>* closeFlag = nullptr;

static void OnCloseSignal(int)
{
    if (closeFlag)
        closeFlag->store(true);
}

void Platform_InstallCloseHandler(std::atomic<bool>* quitFlag)
{
    closeFlag = quitFlag;
    struct sigaction action = {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void Platform_AdviseLargePages(void* start, size_t bytes)
{
    // Only whole large pages inside the block: advice covering memory
    // beyond it would reach other allocations.
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t first = (uintptr_t(start) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (uintptr_t(start) + bytes) & ~(kLargePage - 1);
    if (start && end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void* Platform_AllocateZeroedPages(size_t bytes)
{
    void* start = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return start == MAP_FAILED ? nullptr : start;
}

void Platform_FreePages(void* start, size_t bytes)
{
    if (start)
        munmap(start, bytes);
}

uint64_t Platform_PerformanceCounter()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
}

uint64_t Platform_PerformanceFrequency()
{
    return 1000000000ull;
}

void* Platform_GetGLProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

std::string Platform_WindowSystemExtensions()
{
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return "";
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    return extensions ? extensions : "";
}

bool Platform_MovePointerBy(int dx, int dy, int& x, int& y)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    info.info.x11.lock_func();
    // No source or destination window: a move relative to the pointer's
    // position when the server gets to it, not a jump to a fixed point.
    XWarpPointer(display, None, None, 0, 0, 0, 0, dx, dy);
    // A round trip, so the server has made the move, and the motion events
    // it caused are queued for the next poll, when this returns.
    Window root, child;
    int rootX, rootY;
    unsigned int buttons;
    const bool found = XQueryPointer(display, info.info.x11.window, &root, &child, &rootX, &rootY, &x, &y, &buttons);
    info.info.x11.unlock_func();
    return found;
}

// Asks the owner of the CLIPBOARD selection (or, failing that, PRIMARY) for
// its text through a private connection, so SDL's event queue is untouched.
static bool WaitForSelection(Display* display, Window window, XEvent* event)
{
    const int timeoutMs = 500;
    uint64_t start = Platform_PerformanceCounter();
    while (Platform_PerformanceCounter() - start < uint64_t(timeoutMs) * 1000000ull) {
        while (XPending(display)) {
            XNextEvent(display, event);
            if (event->type == SelectionNotify && event->xselection.requestor == window)
                return true;
        }
        pollfd fd = {ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 20);
    }
    return false;
}

static std::string RequestSelection(Display* display, Window window, Atom selection)
{
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom property = XInternAtom(display, "MORVATHEN_PASTE", False);
    XConvertSelection(display, selection, utf8, property, window, CurrentTime);
    XFlush(display);

    XEvent event;
    if (!WaitForSelection(display, window, &event) || event.xselection.property == None)
        return "";

    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, property, 0, 65536, True, AnyPropertyType, &type, &format,
                           &count, &remaining, &data) == Success && data) {
        if (format == 8)
            text.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return text;
}

std::string Platform_ClipboardText()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return "";
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    std::string text;
    Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    if (XGetSelectionOwner(display, clipboard) != None)
        text = RequestSelection(display, window, clipboard);
    else if (XGetSelectionOwner(display, XA_PRIMARY) != None)
        text = RequestSelection(display, window, XA_PRIMARY);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return text;
}

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <dirent.h>
#include <sys/stat.h>

bool Platform_ListDirectory(const char* path, std::vector<PlatformDirEntry>& entries)
{
    entries.clear();
    DIR* dir = opendir(path);
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, ".."))
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            const std::string full = std::string(path) + "/" + entry->d_name;
            struct stat st;
            isDirectory = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({entry->d_name, isDirectory});
    }
    closedir(dir);
    // Directory order is whatever the host file system keeps; name order
    // (ignoring case, as the data's original file system listed it) makes
    // searches, archive loading and shader order the same on every machine.
    std::sort(entries.begin(), entries.end(), [](const PlatformDirEntry& a, const PlatformDirEntry& b) {
        const int order = strcasecmp(a.name.c_str(), b.name.c_str());
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return true;
}
