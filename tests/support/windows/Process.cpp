// Processes on Windows for the tests, where there is no fork: CreateProcessW
// with the three streams on files.
#include "tests/support/Process.h"

#include "core/windows/Wide.h"

#include <windows.h>

#include <fstream>
#include <utility>

namespace mrv::test {
namespace {

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring q = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        q.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        q += c;
    }
    q.append(slashes * 2, L'\\');
    return q + L"\"";
}

// A file for one of the streams; opened for reading only, a stream that
// should be written refuses every write.
HANDLE Inheritable(const fs::path& file, bool write)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return ::CreateFileW(file.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &sa, write ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

Started::Started(const Command& command) : m_files(NewStreamFolder())
{
    std::ofstream(m_files / "in", std::ios::binary) << command.input;
    std::wstring line = Quoted(command.program.native());
    for (const std::string& a : command.args) line += L" " + Quoted(os::WideFromUtf8(a));

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = Inheritable(m_files / "in", false);
    si.hStdOutput = Inheritable(m_files / "out", !command.outputFails);
    si.hStdError = Inheritable(m_files / "err", true);
    PROCESS_INFORMATION pi{};
    // Under Wine a start fails now and then while the system is busy with
    // the previous child; a few tries make the tests independent of that.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0) ::Sleep(50);
        started = ::CreateProcessW(command.program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   command.workDir.empty() ? nullptr : command.workDir.c_str(), &si, &pi);
    }
    // The child has its own copies now; without ours, a second child
    // started later does not inherit these.
    for (HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError}) ::CloseHandle(h);
    if (!started) return;
    ::CloseHandle(pi.hThread);
    m_id = reinterpret_cast<long long>(pi.hProcess);
}

Finished Started::Wait()
{
    Finished f;
    if (m_files.empty()) return f;
    if (m_id != -1) {
        const HANDLE process = reinterpret_cast<HANDLE>(m_id);
        DWORD code = 0;
        if (::WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeProcess(process, &code))
            f.status = static_cast<int>(code);
        ::CloseHandle(process);
        m_id = -1;
    }
    TakeStreams(f);
    return f;
}

fs::path TestProgram()
{
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path;
}

} // namespace mrv::test
