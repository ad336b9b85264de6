#include "console/consolevariable.h"

#include "engine/text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool ReadInteger(const char* text, int* value)
{
    errno = 0;
    char* end;
    long number = strtol(text, &end, 0);
    if (end == text || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    *value = int(number);
    return true;
}

namespace {

size_t StorageSize(char kind, int maxLength)
{
    switch (kind) {
    case CVarBool:
    case CVarChar:
        return 1;
    case CVarInt:
        return sizeof(int);
    case CVarFloat:
        return sizeof(float);
    case CVarString:
        return size_t(std::max(maxLength, 0)) + 1;
    default:
        return 1;
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string DecodeEscapes(const char* text)
{
    std::string decoded;
    for (const char* p = text; *p; ++p) {
        int high, low;
        if (p[0] == '\\' && p[1] == 'x' && (high = HexDigit(p[2])) >= 0 && (low = HexDigit(p[3])) >= 0) {
            decoded += char(high * 16 + low);
            p += 3;
        } else {
            decoded += *p;
        }
    }
    return decoded;
}

// A configuration file drops control and high bytes, cuts a line at "#" even
// inside quotes, and the console reads a backslash before a double quote as a
// literal quote: every byte that would not come back as itself is written
// as "\xHH", which the assignment from a file decodes.
std::string EncodeForConfig(const char* text)
{
    std::string encoded;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if ((c >= 33 && c <= 125 && c != '#' && c != '"' && c != '\\') || c == ' ') {
            encoded += char(c);
        } else {
            char escape[5];
            snprintf(escape, sizeof(escape), "\\x%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

}  // namespace

ConsoleVariable::ConsoleVariable(const std::string& name, void* value, char type, int maxLength,
                                 bool readOnly, bool loadTimeOnly, int minimum, int maximum,
                                 VariableChangeHandler changeHandler)
    : name(name), lowerName(LowerAscii(name)), type(type), value(value), maxLength(maxLength),
      readOnly(readOnly), loadTimeOnly(loadTimeOnly), minimum(minimum), maximum(maximum),
      changeHandler(std::move(changeHandler))
{
    if (!value) {
        ownStorage.reset(new char[StorageSize(Kind(), maxLength)]());
        this->value = ownStorage.get();
    }
}

ConsoleVariable::Outcome ConsoleVariable::Assign(const char* text, bool loadTimeLocked, bool decodeEscapes)
{
    if (readOnly)
        return Outcome::ReadOnly;
    if (loadTimeOnly && loadTimeLocked)
        return Outcome::LoadTimeLocked;

    int number = 0;
    switch (Kind()) {
    case CVarBool:
        if (!ReadInteger(text, &number) || (number != 0 && number != 1))
            return Outcome::NotBoolean;
        *static_cast<unsigned char*>(value) = static_cast<unsigned char>(number);
        break;
    case CVarInt:
        if (!ReadInteger(text, &number) || number < minimum || number > maximum)
            return Outcome::OutOfRange;
        *static_cast<int*>(value) = number;
        break;
    case CVarChar:
        if (!ReadInteger(text, &number) || number < SCHAR_MIN || number > SCHAR_MAX)
            return Outcome::OutOfRange;
        *static_cast<signed char*>(value) = static_cast<signed char>(number);
        break;
    case CVarFloat: {
        float parsed;
        if (sscanf(text, "%f", &parsed) != 1)
            return Outcome::NotANumber;
        *static_cast<float*>(value) = parsed;
        break;
    }
    case CVarString: {
        const std::string decoded = decodeEscapes ? DecodeEscapes(text) : std::string(text);
        const size_t length = std::min(strlen(decoded.c_str()), size_t(std::max(maxLength, 0)));
        char* storage = static_cast<char*>(value);
        memcpy(storage, decoded.data(), length);
        storage[length] = '\0';
        break;
    }
    default:
        break;
    }
    return Outcome::Stored;
}

ConsoleVariable::Outcome ConsoleVariable::Flip(bool loadTimeLocked)
{
    if (readOnly)
        return Outcome::ReadOnly;
    if (loadTimeOnly && loadTimeLocked)
        return Outcome::LoadTimeLocked;
    unsigned char* flag = static_cast<unsigned char*>(value);
    *flag = *flag == 0 ? 1 : 0;
    return Outcome::Stored;
}

std::string ConsoleVariable::RefusalMessage(Outcome outcome) const
{
    char message[256];
    const char* n = name.c_str();
    switch (outcome) {
    case Outcome::Stored:
        return "";
    case Outcome::ReadOnly:
        snprintf(message, sizeof(message), "^1*Error: %.200s is read only.\n^15", n);
        break;
    case Outcome::LoadTimeLocked:
        snprintf(message, sizeof(message), "^1*Error: %.200s can only be changed at load time.\n^15", n);
        break;
    case Outcome::NotBoolean:
        snprintf(message, sizeof(message), "^1*Invalid value for %.200s, Must be 0 or 1.^15\n", n);
        break;
    case Outcome::OutOfRange:
        if (Kind() == CVarChar)
            snprintf(message, sizeof(message), "^1*Error: %.200s can only be %i to %i.\n^15", n, SCHAR_MIN, SCHAR_MAX);
        else
            snprintf(message, sizeof(message), "^1*Error: %.200s can only be %i to %i.\n^15", n, minimum, maximum);
        break;
    case Outcome::NotANumber:
        snprintf(message, sizeof(message), "^1*Invalid value for %.200s, Must be a number.^15\n", n);
        break;
    }
    return message;
}

std::string ConsoleVariable::ValueText() const
{
    char text[64];
    switch (Kind()) {
    case CVarBool:
        return BoolValue() ? "1" : "0";
    case CVarInt:
        snprintf(text, sizeof(text), "%i", IntValue());
        return text;
    case CVarChar:
        snprintf(text, sizeof(text), "%i", CharValue());
        return text;
    case CVarFloat:
        // Large floats print with every digit: %f of FLT_MAX is 46 characters.
        snprintf(text, sizeof(text), "%f", double(FloatValue()));
        return text;
    case CVarString:
        return StringValue();
    default:
        return "";
    }
}

std::string ConsoleVariable::ValueLine() const
{
    const char* close = Kind() == CVarString ? "^15\"\n" : "\"\n";
    return "^15" + name + " = \"" + ValueText() + close;
}

std::string ConsoleVariable::ConfigLine() const
{
    if (readOnly || !strchr("bcifs", Kind()))
        return "";
    const std::string text = Kind() == CVarString ? EncodeForConfig(StringValue()) : ValueText();
    return name + " \"" + text + "\"\n";
}

void ConsoleVariable::NotifyChanged() const
{
    if (changeHandler)
        changeHandler(*this);
}
