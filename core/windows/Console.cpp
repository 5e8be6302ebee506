#include "core/Console.h"

#include "core/windows/Wide.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <streambuf>
#include <string>

namespace mrv::os {
namespace {

bool IsConsole(HANDLE h)
{
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode);
}

// Length of the longest prefix of text that ends on a whole UTF-8 sequence.
std::size_t WholeSequences(const std::string& text)
{
    std::size_t end = text.size();
    // Step back over at most three continuation bytes to the lead byte.
    std::size_t lead = end;
    for (int back = 0; back < 4 && lead > 0; ++back) {
        const auto c = static_cast<unsigned char>(text[lead - 1]);
        --lead;
        if ((c & 0xC0) != 0x80) {
            const std::size_t need = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
            return end - lead >= need ? end : lead;
        }
    }
    return end;
}

// Shows UTF-8 on a console through WriteConsoleW, which is right whatever
// the console's code page and on every Windows version; the multi-byte code
// page 65001 through WriteFile is not, on older ones.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : m_console(console) {}

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        m_pending.push_back(traits_type::to_char_type(c));
        if (c == '\n') Flush();
        return c;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        m_pending.append(s, static_cast<std::size_t>(n));
        if (m_pending.find('\n') != std::string::npos) Flush();
        return n;
    }

    int sync() override { return Flush() ? 0 : -1; }

private:
    bool Flush()
    {
        const std::size_t whole = WholeSequences(m_pending);
        const std::wstring wide = WideFromUtf8(std::string_view(m_pending).substr(0, whole));
        m_pending.erase(0, whole);
        std::size_t done = 0;
        while (done < wide.size()) {
            DWORD n = 0;
            const auto piece = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
            if (!::WriteConsoleW(m_console, wide.data() + done, piece, &n, nullptr) || n == 0) return false;
            done += n;
        }
        return true;
    }

    HANDLE m_console;
    std::string m_pending;
};

UINT g_oldOutputPage = 0;

void RestoreOutputPage()
{
    if (g_oldOutputPage != 0) ::SetConsoleOutputCP(g_oldOutputPage);
}

void SetUp(std::ostream& stream, std::FILE* file, DWORD which)
{
    const HANDLE h = ::GetStdHandle(which);
    if (IsConsole(h)) {
        // Lives as long as the stream it serves.
        static ConsoleBuffer* buffers[2] = {};
        ConsoleBuffer*& buffer = buffers[which == STD_OUTPUT_HANDLE ? 0 : 1];
        if (!buffer) buffer = new ConsoleBuffer(h);
        stream.flush();
        stream.rdbuf(buffer);
    } else {
        std::fflush(file);
        _setmode(_fileno(file), _O_BINARY);
    }
}

} // namespace

bool StdinIsTerminal() { return IsConsole(::GetStdHandle(STD_INPUT_HANDLE)); }

void UseUtf8Streams()
{
    // Text that reaches the console some other way (a child, the runtime's
    // own messages) is read as UTF-8 too, until this program ends.
    if (IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE)) || IsConsole(::GetStdHandle(STD_ERROR_HANDLE))) {
        const UINT old = ::GetConsoleOutputCP();
        if (old != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
            g_oldOutputPage = old;
            std::atexit(RestoreOutputPage);
        }
    }
    SetUp(std::cout, stdout, STD_OUTPUT_HANDLE);
    SetUp(std::cerr, stderr, STD_ERROR_HANDLE);
}

} // namespace mrv::os
