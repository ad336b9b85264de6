#include "vfs/wildcard.h"

#include <cstddef>

namespace {

constexpr int kAny = -1;
constexpr int kStar = -2;

}  // namespace

WildcardPattern::WildcardPattern(const char* pattern)
{
    for (const char* c = pattern; *c; ++c) {
        if (*c == '*' && (tokens.empty() || tokens.back() != kStar))
            tokens.push_back(kStar);
        else
            tokens.push_back(*c == '?' ? kAny : static_cast<unsigned char>(*c));
    }
}

// Greedy scan that falls back to the last star: linear in practice and never
// exponential, whatever the pattern.
bool WildcardPattern::Matches(const char* text) const
{
    const size_t count = tokens.size();
    size_t token = 0;
    size_t star = count;  // none yet
    const char* starText = text;
    while (*text) {
        if (token < count && tokens[token] == kStar) {
            star = token++;
            starText = text;
        } else if (token < count && (tokens[token] == kAny || tokens[token] == static_cast<unsigned char>(*text))) {
            ++token;
            ++text;
        } else if (star != count) {
            token = star + 1;
            text = ++starText;
        } else {
            return false;
        }
    }
    while (token < count && tokens[token] == kStar)
        ++token;
    return token == count;
}
