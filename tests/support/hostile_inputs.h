// Damaged and crafted files of every kind the engine reads, each with the console line that must refuse it. Every
// loader adds its own here, and one engine run feeds them all to the engine, which must name each and go on.
#pragma once

#include <string>
#include <vector>

struct HostileInput {
    std::string what;  // for the failure message
    std::string file;  // written below the data directory
    std::string bytes;
    // The console line that makes the engine read it; empty for what is read at start-up.
    std::string load;
    std::string refusal;  // a line the engine must print
};

const std::vector<HostileInput>& HostileInputs();
