// A console variable: a name bound to a typed value, and the one place where
// a value is parsed, checked against its locks and range, printed and saved.
#pragma once

#include <functional>
#include <memory>
#include <string>

// Type letters of console variables (either case). Characters are signed
// 8-bit numbers; scripts make them.
enum : char { CVarBool = 'b', CVarChar = 'c', CVarInt = 'i', CVarFloat = 'f', CVarString = 's' };

// Range used by variables that have none.
constexpr int kNoRangeMin = -100000;
constexpr int kNoRangeMax = 100000;

class ConsoleVariable;
typedef std::function<void(const ConsoleVariable& variable)> VariableChangeHandler;

class ConsoleVariable {
public:
    // What became of a new value.
    enum class Outcome { Stored, ReadOnly, LoadTimeLocked, NotBoolean, OutOfRange, NotANumber };

    // `value` points at storage of the type's size (maxLength + 1 bytes for
    // strings) owned elsewhere; null makes the variable own zeroed storage.
    ConsoleVariable(const std::string& name, void* value, char type, int maxLength, bool readOnly,
                    bool loadTimeOnly, int minimum, int maximum, VariableChangeHandler changeHandler);

    // Parses and stores `text` unless a lock or the value refuses it. In a
    // string, `decodeEscapes` turns "\xHH" back into the byte it stands for
    // (how configuration files keep bytes they cannot hold).
    Outcome Assign(const char* text, bool loadTimeLocked, bool decodeEscapes = false);
    // Flips a bool unless a lock refuses it; the change handler is not run.
    Outcome Flip(bool loadTimeLocked);
    // The console's line for a refusal ("" for Stored).
    std::string RefusalMessage(Outcome outcome) const;

    // The value as the console writes it: "%i" for bool, char and int, "%f"
    // for float, the text for strings.
    std::string ValueText() const;
    // "name = "value"" with its colour codes.
    std::string ValueLine() const;
    // The "name "value"" line of a configuration file, reading back to the
    // same value; "" for variables that are not saved (read-only ones).
    std::string ConfigLine() const;

    void NotifyChanged() const;

    const std::string& Name() const { return name; }
    const std::string& LowerName() const { return lowerName; }
    char Type() const { return type; }
    // The type letter in lower case.
    char Kind() const { return char(type | 0x20); }
    void* Value() const { return value; }
    bool ReadOnly() const { return readOnly; }
    bool LoadTimeOnly() const { return loadTimeOnly; }
    bool BoolValue() const { return *static_cast<const unsigned char*>(value) != 0; }
    int IntValue() const { return *static_cast<const int*>(value); }
    int CharValue() const { return *static_cast<const signed char*>(value); }
    float FloatValue() const { return *static_cast<const float*>(value); }
    const char* StringValue() const { return static_cast<const char*>(value); }

    const void* owner = nullptr;  // who registered it, for RemoveEntriesOf

private:
    std::string name, lowerName;
    char type;
    std::unique_ptr<char[]> ownStorage;
    void* value;
    int maxLength;
    bool readOnly, loadTimeOnly;
    int minimum, maximum;
    VariableChangeHandler changeHandler;
};

// Reads a leading integer as "%i" does (decimal, 0x hex or 0 octal, text
// after it ignored); false for no number or one outside the int range.
bool ReadInteger(const char* text, int* value);
