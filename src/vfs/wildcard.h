// Wildcard patterns of file searches: "?" is one character, "*" any run of
// characters, "/" included. The character right after a "*" is always taken
// as such ("**" is a star and a literal star), and matching is
// case-sensitive over the whole string.
#pragma once

#include <vector>

class WildcardPattern {
public:
    explicit WildcardPattern(const char* pattern);
    bool Matches(const char* text) const;

private:
    std::vector<int> tokens;  // a byte value, kAny or kStar
};
