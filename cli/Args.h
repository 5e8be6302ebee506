// Command-line parsing for mrvtool: each command declares its positionals and
// options, and every usage error (unknown option, missing value, number out of
// range, unknown choice) is found here, before a command touches a file.
#pragma once

#include "core/Result.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mrv::cli {

enum class ValueType { Flag, Text, Integer, Choice };

struct ArgSpec {
    const char* name;            // "--title" for an option, "FILE" for a positional
    ValueType type = ValueType::Text;
    const char* help = "";
    std::int64_t min = 0, max = 0;           // Integer only, inclusive
    std::vector<std::string_view> choices = {};  // Choice only, compared without case
};

struct CommandSpec {
    const char* name;
    const char* summary;
    std::vector<ArgSpec> positionals;   // all required, in order
    std::vector<ArgSpec> options;
};

struct Args {
    bool help = false;
    std::vector<std::string> positionals;
    std::map<std::string, std::string, std::less<>> values;  // option name -> value ("" for flags)

    bool Has(std::string_view option) const { return values.find(option) != values.end(); }
    std::string Text(std::string_view option, std::string_view fallback) const;
    // Integer options and positionals have been range-checked by ParseArgs.
    std::int64_t Integer(std::string_view option, std::int64_t fallback) const;
    std::int64_t PositionalInteger(std::size_t index) const;
};

// Options may come before, between or after the positionals, as "--name value"
// or "--name=value"; "--" ends the options. "--help" or "-h" anywhere asks for
// help and wins over every other error.
Result<Args> ParseArgs(const CommandSpec& spec, std::span<const std::string> argv);

// A whole decimal number with an optional sign, within [min, max].
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max);

// "mrvtool add FILE [--title T] ..." and the option list, for --help.
std::string Usage(const CommandSpec& spec);
std::string Help(const CommandSpec& spec);

} // namespace mrv::cli
