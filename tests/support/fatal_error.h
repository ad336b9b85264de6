// What FatalError said while an action ran, for tests of the fatal paths.
#pragma once

#include "engine/fatalerror.h"

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
