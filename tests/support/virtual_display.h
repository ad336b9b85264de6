// One Xvfb server per test process, started on first use with a 24-bit screen; Mesa renders in software there.
#pragma once

#include <string>

// The DISPLAY value of the server (":N"), or "" when Xvfb could not start.
const std::string& VirtualDisplay();
