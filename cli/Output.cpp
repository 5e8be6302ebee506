#include "cli/Output.h"

#include "cli/Cli.h"
#include "core/FileSystem.h"
#include "text/Cp949.h"

#include <cstdio>
#include <ostream>

namespace mrv::cli {

Result<std::string> ToCp949(std::string_view utf8, std::string_view what)
{
    text::ConversionError conv;
    auto converted = text::Utf8ToCp949(utf8, &conv);
    if (!converted) return Error{ErrorCode::InvalidArgument, std::string(what) + ": " + conv.message, -1, {}};
    return std::move(*converted);
}

std::string ToUtf8(std::string_view cp949)
{
    return text::Cp949ToUtf8Lossy(cp949);
}

void AppendJsonString(std::string& out, std::string_view utf8)
{
    out += '"';
    char buf[8];
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (u < 0x20 || u == 0x7F) {
                std::snprintf(buf, sizeof buf, "\\u%04X", u);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

std::string JsonString(std::string_view utf8)
{
    std::string out;
    AppendJsonString(out, utf8);
    return out;
}

void AppendTsvField(std::string& out, std::string_view utf8)
{
    char buf[8];
    const auto plain = [](unsigned char u) { return u >= 0x20 && u != 0x7F && u != '\\'; };
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Most text needs no escape: copy its runs whole.
        std::size_t run = i;
        while (run < utf8.size() && plain(static_cast<unsigned char>(utf8[run]))) ++run;
        out.append(utf8.data() + i, run - i);
        if (run == utf8.size()) break;
        const char c = utf8[run];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
            out += buf;
        }
        i = run + 1;
    }
}

std::string TsvField(std::string_view utf8)
{
    std::string out;
    AppendTsvField(out, utf8);
    return out;
}

void PrintError(std::ostream& err, std::string_view command, const Error& e)
{
    err << "mrvtool " << command << ": ";
    const std::string file = os::PathText(e.file);
    if (!file.empty() && e.message.find(file) == std::string::npos) err << file << ": ";
    err << e.message << "\n";
}

int Failed(Console& console, std::string_view command, const Error& e)
{
    PrintError(console.err, command, e);
    if (e.code == ErrorCode::NotConfirmed) {
        console.changedFile = true;
        return kExitNotConfirmed;
    }
    return kExitFailed;
}

int PrintUsageError(std::ostream& err, const CommandSpec& spec, std::string_view message)
{
    err << "mrvtool " << spec.name << ": " << message << "\n"
        << "사용법: " << Usage(spec) << "\n"
        << "자세한 것은 'mrvtool " << spec.name << " --help' 를 보세요.\n";
    return kExitUsage;
}

} // namespace mrv::cli
