#include "platform/Cp949.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>

namespace mrv::text {
namespace {

// One iconv conversion of a whole string. Returns nullopt and fills error at the
// first character that cannot be converted.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in,
                                   ConversionError* error, const char* what)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (error) *error = {0, std::string("문자 변환기를 열 수 없습니다: ") + from + " → " + to};
        return std::nullopt;
    }
    std::string out(in.size() * 2 + 8, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t done = 0;
    std::optional<std::string> result;
    for (;;) {
        char* outPtr = out.data() + done;
        std::size_t outLeft = out.size() - done;
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        done = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            // Flush any shift state (none for these encodings, but iconv wants it).
            outPtr = out.data() + done;
            outLeft = out.size() - done;
            iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
            done = out.size() - outLeft;
            out.resize(done);
            result = std::move(out);
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (error) {
            error->position = static_cast<std::size_t>(inPtr - in.data());
            error->message = std::string(what) + " (" + std::to_string(error->position) + "번째 바이트)";
        }
        break;
    }
    iconv_close(cd);
    return result;
}

} // namespace

std::optional<std::string> Utf8ToCp949(std::string_view utf8, ConversionError* error)
{
    return Convert("CP949", "UTF-8", utf8, error, "한글 코드(CP949)로 나타낼 수 없는 문자가 있습니다");
}

std::optional<std::string> Cp949ToUtf8(std::string_view cp949, ConversionError* error)
{
    return Convert("UTF-8", "CP949", cp949, error, "한글 코드(CP949)로 읽을 수 없는 바이트가 있습니다");
}

std::string Cp949ToUtf8Lossy(std::string_view cp949)
{
    std::string out;
    std::size_t i = 0;
    while (i < cp949.size()) {
        // Convert the longest clean run at once, then replace one bad character.
        ConversionError err;
        auto part = Cp949ToUtf8(cp949.substr(i), &err);
        if (part) {
            out += *part;
            break;
        }
        if (err.position > 0) out += *Cp949ToUtf8(cp949.substr(i, err.position));
        out += "\xEF\xBF\xBD";
        i += err.position;
        const unsigned char c = static_cast<unsigned char>(cp949[i]);
        i += (IsCp949LeadByte(c) && i + 1 < cp949.size()) ? 2 : 1;
    }
    return out;
}

std::string Utf8ToCp949Lossy(std::string_view utf8)
{
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        ConversionError err;
        auto part = Utf8ToCp949(utf8.substr(i), &err);
        if (part) {
            out += *part;
            break;
        }
        if (err.position > 0) out += *Utf8ToCp949(utf8.substr(i, err.position));
        out += '?';
        i += err.position;
        // Skip the whole UTF-8 sequence of the character that failed.
        do {
            ++i;
        } while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80);
    }
    return out;
}

std::optional<std::size_t> Cp949Length(std::string_view utf8)
{
    auto converted = Utf8ToCp949(utf8);
    if (!converted) return std::nullopt;
    return converted->size();
}

std::string_view Cp949Prefix(std::string_view cp949, std::size_t maxBytes)
{
    std::size_t i = 0;
    while (i < cp949.size()) {
        const unsigned char c = static_cast<unsigned char>(cp949[i]);
        const std::size_t width = (IsCp949LeadByte(c) && i + 1 < cp949.size()) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return cp949.substr(0, i);
}

std::string K(std::string_view utf8Literal)
{
    ConversionError err;
    auto converted = Utf8ToCp949(utf8Literal, &err);
    if (!converted) {
        std::fprintf(stderr, "internal text not representable in CP949: %s\n", err.message.c_str());
        std::abort();
    }
    return std::move(*converted);
}

} // namespace mrv::text
