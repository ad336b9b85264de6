// What FatalError said while an action ran, for tests of the fatal paths.
#pragma once

#include "engine/fatalerror.h"

#include <cctype>
#include <string>

// The message of the fatal error the action raised, or "" when it returned.
template <typename Action>
std::string FatalMessage(Action action)
{
    try {
        action();
    } catch (const FatalErrorException& error) {
        return error.what();
    }
    return "";
}

// True for `prefix` followed by a line number, ")" and the line end: the
// messages that name the source file and line of a misuse.
inline bool NamesTheSource(const std::string& message, const std::string& prefix)
{
    if (message.compare(0, prefix.size(), prefix) != 0 || message.size() < prefix.size() + 3)
        return false;
    size_t at = prefix.size();
    while (at < message.size() && isdigit(static_cast<unsigned char>(message[at])))
        ++at;
    return at > prefix.size() && message.substr(at) == ")\n";
}
