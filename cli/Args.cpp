#include "cli/Args.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace mrv::cli {
namespace {

Error UsageError(std::string message)
{
    return Error{ErrorCode::InvalidArgument, std::move(message), -1, {}};
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string ChoiceList(const ArgSpec& spec)
{
    std::string out;
    for (auto c : spec.choices) out += (out.empty() ? "" : "|") + std::string(c);
    return out;
}

// Checks a value against its spec and gives it its canonical spelling.
Result<std::string> CheckValue(const ArgSpec& spec, std::string value)
{
    switch (spec.type) {
    case ValueType::Integer:
        if (!ParseInteger(value, spec.min, spec.max)) {
            return UsageError(std::string(spec.name) + ": " + std::to_string(spec.min) + "~" + std::to_string(spec.max) +
                              " 사이의 정수여야 하는데 '" + value + "'입니다.");
        }
        return value;
    case ValueType::Choice:
        for (auto c : spec.choices) {
            if (EqualNoCase(c, value)) return std::string(c);
        }
        return UsageError(std::string(spec.name) + ": " + ChoiceList(spec) + " 중 하나여야 하는데 '" + value + "'입니다.");
    case ValueType::Flag:
    case ValueType::Text:
        break;
    }
    return value;
}

std::string ValueName(const ArgSpec& spec)
{
    switch (spec.type) {
    case ValueType::Integer: return "N";
    case ValueType::Choice: return ChoiceList(spec);
    case ValueType::Text: return "T";
    case ValueType::Flag: break;
    }
    return "";
}

} // namespace

std::string Args::Text(std::string_view option, std::string_view fallback) const
{
    auto it = values.find(option);
    return it == values.end() ? std::string(fallback) : it->second;
}

std::int64_t Args::Integer(std::string_view option, std::int64_t fallback) const
{
    auto it = values.find(option);
    if (it == values.end()) return fallback;
    return ParseInteger(it->second, INT64_MIN, INT64_MAX).value_or(fallback);
}

std::int64_t Args::PositionalInteger(std::size_t index) const
{
    return ParseInteger(positionals.at(index), INT64_MIN, INT64_MAX).value_or(0);
}

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (v < min || v > max) return std::nullopt;
    return v;
}

Result<Args> ParseArgs(const CommandSpec& spec, std::span<const std::string> argv)
{
    Args args;
    for (const auto& a : argv) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            args.help = true;
            return args;
        }
    }

    bool optionsEnded = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            if (args.positionals.size() == spec.positionals.size()) {
                return UsageError("인자가 너무 많습니다: '" + a + "'");
            }
            const ArgSpec& p = spec.positionals[args.positionals.size()];
            auto value = CheckValue(p, a);
            if (!value) return value.error();
            args.positionals.push_back(std::move(*value));
            continue;
        }

        const auto eq = a.find('=');
        const std::string name = a.substr(0, eq);
        const auto opt = std::find_if(spec.options.begin(), spec.options.end(),
                                      [&](const ArgSpec& o) { return name == o.name; });
        if (opt == spec.options.end()) return UsageError("알 수 없는 옵션입니다: '" + name + "'");
        if (args.Has(name)) return UsageError(name + " 옵션이 두 번 주어졌습니다.");

        std::string value;
        if (opt->type == ValueType::Flag) {
            if (eq != std::string::npos) return UsageError(name + " 옵션은 값을 받지 않습니다.");
        } else if (eq != std::string::npos) {
            value = a.substr(eq + 1);
        } else if (i + 1 < argv.size()) {
            value = argv[++i];
        } else {
            return UsageError(name + " 옵션에 값이 없습니다.");
        }
        auto checked = CheckValue(*opt, std::move(value));
        if (!checked) return checked.error();
        args.values.emplace(name, std::move(*checked));
    }

    if (args.positionals.size() < spec.positionals.size()) {
        return UsageError(std::string(spec.positionals[args.positionals.size()].name) + " 인자가 없습니다.");
    }
    return args;
}

std::string Usage(const CommandSpec& spec)
{
    std::string out = std::string("mrvtool ") + spec.name;
    for (const auto& p : spec.positionals) out += std::string(" ") + p.name;
    for (const auto& o : spec.options) {
        out += std::string(" [") + o.name;
        if (o.type != ValueType::Flag) out += " " + ValueName(o);
        out += "]";
    }
    return out;
}

std::string Help(const CommandSpec& spec)
{
    std::string out = "사용법: " + Usage(spec) + "\n\n" + spec.summary + "\n";
    const auto describe = [&out](const ArgSpec& a) {
        std::string head = "  " + std::string(a.name);
        if (a.type != ValueType::Flag && a.name[0] == '-') head += " " + ValueName(a);
        if (head.size() < 24) head.resize(24, ' ');
        else head += "  ";
        out += head + a.help + "\n";
    };
    if (!spec.positionals.empty()) out += "\n";
    for (const auto& p : spec.positionals) describe(p);
    out += "\n";
    for (const auto& o : spec.options) describe(o);
    describe(ArgSpec{"--help", ValueType::Flag, "이 도움말을 보입니다."});
    return out;
}

} // namespace mrv::cli
