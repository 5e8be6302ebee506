// The real services on Windows: the system's own prompts, each modal to its
// owner's top-level window only, and the system's clock, user, folders and
// program starts. Texts arrive as CP949 and go to the wide-character calls
// through the code page; paths stay wide all the way.
#include "platform/Services.h"

#include "platform/win32/ServicesPrompts.h"
#include "platform/win32/Window.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <string_view>
#include <system_error>
#include <utility>

namespace mrv::platform {
namespace fs = std::filesystem;
using win32::PromptKind;
using win32::RunningPrompt;
using win32::WideFromCp949;

namespace {

// Room for any path the system hands back, long paths included.
constexpr DWORD kLongPathChars = 32768;

fs::path WithTrailingSeparator(fs::path folder)
{
    if (!folder.empty() && folder.has_filename()) folder += fs::path::preferred_separator;
    return folder;
}

// "C:\music\" as "C:\music"; a root keeps its separator.
fs::path WithoutTrailingSeparator(fs::path folder)
{
    while (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
    return folder;
}

// Paths that name the same file as far as their text tells: Windows file
// names ignore case.
bool IsSamePath(const fs::path& a, const fs::path& b)
{
    const std::wstring& x = a.native();
    const std::wstring& y = b.native();
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsDirectory(const fs::path& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

// COM on this thread, apartment-threaded as the shell's dialogs and verbs
// need it, for the length of one call; a thread that has COM keeps its own.
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

// An item list the shell allocated, freed with the shell's allocator.
struct ItemList {
    PIDLIST_ABSOLUTE items = nullptr;
    ItemList() = default;
    explicit ItemList(PIDLIST_ABSOLUTE list) : items(list) {}
    ~ItemList() { CoTaskMemFree(items); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
};

std::wstring CurrentDirectory()
{
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
        if (n == 0) return {};
        if (n < folder.size()) {
            folder.resize(n);
            return folder;
        }
        folder.resize(n);   // n counts the terminating zero when the buffer was short
    }
}

std::optional<fs::path> KnownFolder(int csidl)
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)) || folder[0] == L'\0')
        return std::nullopt;
    return fs::path(folder);
}

std::optional<fs::path> EnvironmentFolder(const wchar_t* name)
{
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n <= 1) return std::nullopt;
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, value.data(), n);
    if (got == 0 || got >= n) return std::nullopt;
    value.resize(got);
    return fs::path(value);
}

// ---- Message boxes ------------------------------------------------------------------------

// MessageBoxW makes its window and runs it before it returns; a hook on this
// thread's window creation notes which window is the box, so the box can be
// told apart from the program's own dialogs of the same class.
thread_local RunningPrompt* t_boxWithoutWindow = nullptr;

bool IsDialogClass(HWND hwnd)
{
    wchar_t name[16] = L"";
    return GetClassNameW(hwnd, name, 16) > 0 && std::wstring_view(name) == L"#32770";
}

LRESULT CALLBACK NoteMessageBoxWindow(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_boxWithoutWindow) {
        const auto hwnd = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (!(create->lpcs->style & WS_CHILD) && IsDialogClass(hwnd)) {
            t_boxWithoutWindow->hwnd = hwnd;
            t_boxWithoutWindow = nullptr;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class MessageBoxWindowNote {
public:
    explicit MessageBoxWindowNote(RunningPrompt& box)
        : m_outer(std::exchange(t_boxWithoutWindow, &box)),
          m_hook(SetWindowsHookExW(WH_CBT, NoteMessageBoxWindow, nullptr, GetCurrentThreadId()))
    {
    }
    ~MessageBoxWindowNote()
    {
        if (m_hook) UnhookWindowsHookEx(m_hook);
        t_boxWithoutWindow = m_outer;
    }
    MessageBoxWindowNote(const MessageBoxWindowNote&) = delete;
    MessageBoxWindowNote& operator=(const MessageBoxWindowNote&) = delete;

private:
    RunningPrompt* m_outer;
    HHOOK m_hook;
};

// ---- The file-open dialog -------------------------------------------------------------------

// The bar notation "Name|pattern|Name|pattern||" as the dialog's list of
// zero-terminated pairs, ended by an empty string; a pair without a pattern
// is left out, an empty name ends the list. CP949 never uses '|' as the
// second byte of a character, so splitting after the conversion is the same.
struct FileFilter {
    std::wstring pairs;
    std::vector<std::wstring> patterns;
};

FileFilter FilterFromBarNotation(const std::string& cp949)
{
    const std::wstring text = WideFromCp949(cp949);
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t bar; (bar = text.find(L'|', start)) != std::wstring::npos; start = bar + 1)
        parts.push_back(text.substr(start, bar - start));
    parts.push_back(text.substr(start));

    FileFilter filter;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        if (parts[i + 1].empty()) continue;
        filter.pairs += parts[i] + L'\0' + parts[i + 1] + L'\0';
        filter.patterns.push_back(parts[i + 1]);
    }
    if (!filter.pairs.empty()) filter.pairs += L'\0';
    return filter;
}

// The hook makes the dialog the classic Explorer-style one on every version
// of Windows, whose parts answer the CDM_ messages, and tells which window
// it is.
UINT_PTR CALLBACK NoteFileDialogWindow(HWND hook, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const auto* request = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        reinterpret_cast<RunningPrompt*>(request->lCustData)->hwnd = GetParent(hook);
    }
    return 0;
}

// ---- The folder browser -------------------------------------------------------------------

struct BrowseSession {
    const BrowseRequest& request;
    RunningPrompt prompt{PromptKind::BrowseFolder};
};

// The browser window as the request's callback sees it.
class BrowserWindow final : public FolderBrowser {
public:
    BrowserWindow(HWND hwnd, RunningPrompt& prompt) : m_hwnd(hwnd), m_prompt(prompt) {}

    void SetSelection(const fs::path& folder) override { win32::SelectInBrowser(m_prompt, folder); }

    void SetStatusText(const std::string& cp949) override
    {
        m_prompt.status = WideFromCp949(cp949);
        SendMessageW(m_hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(m_prompt.status.c_str()));
    }

private:
    HWND m_hwnd;
    RunningPrompt& m_prompt;
};

// The file-system path of an item; nullopt for an item without one (the
// computer, the network, a printer folder ...).
std::optional<fs::path> PathOfItem(PCIDLIST_ABSOLUTE item)
{
    if (!item) return std::nullopt;
    std::wstring path(kLongPathChars, L'\0');
    if (!SHGetPathFromIDListEx(item, path.data(), kLongPathChars, GPFIDL_DEFAULT)) return std::nullopt;
    path.resize(std::wcslen(path.c_str()));
    if (path.empty()) return std::nullopt;
    return fs::path(path);
}

int CALLBACK OnBrowserEvent(HWND hwnd, UINT message, LPARAM lParam, LPARAM data)
{
    auto& session = *reinterpret_cast<BrowseSession*>(data);
    session.prompt.hwnd = hwnd;
    BrowserWindow browser(hwnd, session.prompt);
    switch (message) {
    case BFFM_INITIALIZED:
        if (session.request.callback) session.request.callback(browser, BrowseEvent::Initialized, nullptr);
        break;
    case BFFM_SELCHANGED: {
        // Kept before the callback runs: a selection it makes reports itself.
        const std::optional<fs::path> folder = PathOfItem(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        session.prompt.selection = folder;
        if (session.request.callback)
            session.request.callback(browser, BrowseEvent::SelectionChanged, folder ? &*folder : nullptr);
        break;
    }
    default:
        break;
    }
    return 0;
}

// ---- Starting programs ------------------------------------------------------------------------

// The explorer of this Windows installation, named in full: a bare
// "EXPLORER.EXE" would be looked for in the program's folder and the current
// folder first, and a file of that name in either would run instead.
std::wstring ExplorerProgram()
{
    wchar_t windows[MAX_PATH] = L"";
    const UINT n = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return (fs::path(windows) / L"explorer.exe").native();
}

// The folder as the explorer's command line names it: unchanged, blanks and
// all, since the explorer takes the rest of its command line as one path. The
// explorer also reads commas as separators between its options, so a folder
// with a comma in its name is quoted (a Windows name cannot hold a quote).
std::wstring ExplorerArgument(const fs::path& folder)
{
    if (folder.native().find(L',') == std::wstring::npos) return folder.native();
    // No separator before the closing quote, where it could read as an escape.
    return L'"' + WithoutTrailingSeparator(folder).native() + L'"';
}

// ---- The services -----------------------------------------------------------------------------

class Win32Services : public Services {
public:
    int MessageBoxCp949(CWnd* owner, const std::string& text, const std::string& caption, unsigned type) override
    {
        const bool yesNo = (type & MsgBox::TypeMask) == MsgBox::YesNo;
        RunningPrompt box(PromptKind::Message);
        win32::RunningPromptScope running(box);
        int answer = 0;
        {
            MessageBoxWindowNote note(box);
            answer = MessageBoxW(win32::PromptOwner(owner), WideFromCp949(text).c_str(),
                                 WideFromCp949(caption).c_str(), type);
        }
        switch (answer) {
        case IDOK: return CommandId::Ok;
        case IDYES: return CommandId::Yes;
        case IDNO: return CommandId::No;
        default: return yesNo ? CommandId::No : CommandId::Ok;   // closed without a choice
        }
    }

    std::optional<fs::path> GetOpenFilePath(CWnd* owner, const OpenFileRequest& request) override
    {
        const FileFilter filter = FilterFromBarNotation(request.filter);
        const std::wstring title = WideFromCp949(request.title);
        const std::wstring& folder = request.initialFolder.native();
        RunningPrompt dialog(PromptKind::OpenFile);
        dialog.filterPatterns = filter.patterns;
        dialog.defaultExtension = WideFromCp949(request.defaultExtension);
        win32::RunningPromptScope running(dialog);

        std::wstring file(kLongPathChars, L'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = win32::PromptOwner(owner);
        ofn.lpstrFilter = filter.pairs.empty() ? nullptr : filter.pairs.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = kLongPathChars;
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
        ofn.lpstrDefExt = dialog.defaultExtension.empty() ? nullptr : dialog.defaultExtension.c_str();
        // A typed name of a missing file is taken (no OFN_FILEMUSTEXIST).
        ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
        ofn.lpfnHook = NoteFileDialogWindow;
        ofn.lCustData = reinterpret_cast<LPARAM>(&dialog);

        // The dialog makes the chosen file's folder the process's current
        // folder, which would then stay in use; nothing of ours wants that.
        const std::wstring current = CurrentDirectory();
        const BOOL chosen = GetOpenFileNameW(&ofn);
        if (!current.empty()) SetCurrentDirectoryW(current.c_str());
        if (!chosen) return std::nullopt;
        file.resize(std::wcslen(file.c_str()));
        if (file.empty()) return std::nullopt;
        // The dialog adds the default extension only where the file exists
        // with it (Wine's gives a new name back bare): the shared rule decides.
        return WithDefaultExtension(fs::path(file), request.defaultExtension);
    }

    BrowseResult BrowseForFolder(CWnd* owner, const BrowseRequest& request) override
    {
        ComScope com;
        // A root the shell cannot parse leaves the whole tree, from the desktop.
        ItemList root;
        if (request.root) {
            SFGAOF attributes = 0;
            if (FAILED(SHParseDisplayName(request.root->c_str(), nullptr, &root.items, 0, &attributes)))
                root.items = nullptr;
        }

        BrowseSession session{request};
        win32::RunningPromptScope running(session.prompt);
        const std::wstring prompt = WideFromCp949(request.prompt);
        wchar_t displayName[MAX_PATH] = L"";
        BROWSEINFOW info{};
        info.hwndOwner = win32::PromptOwner(owner);
        info.pidlRoot = root.items;
        info.pszDisplayName = displayName;
        info.lpszTitle = prompt.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;   // only folders of the file system; a status line
        info.lpfn = OnBrowserEvent;
        info.lParam = reinterpret_cast<LPARAM>(&session);

        const ItemList chosen(SHBrowseForFolderW(&info));
        if (!chosen.items) return std::nullopt;
        // An item without a file-system path: chosen, but no folder to give.
        return PathOfItem(chosen.items).value_or(fs::path());
    }

    bool OpenWithAssociatedProgram(const fs::path& file) override
    {
        // The program starts in the file's own folder, as it does when the
        // file is opened from the explorer.
        ComScope com;
        const fs::path folder = file.parent_path();
        const HINSTANCE result = ShellExecuteW(nullptr, L"open", file.c_str(), nullptr,
                                               folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }

    bool OpenFolder(const fs::path& folder) override
    {
        // The explorer opens a file it is given with that file's program:
        // it gets nothing but an existing folder.
        if (!IsDirectory(folder)) return false;
        const std::wstring program = ExplorerProgram();
        if (program.empty()) return false;
        std::wstring commandLine = L"EXPLORER.EXE " + ExplorerArgument(folder);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    LocalTime GetLocalTime() override { return mrv::LocalNow(); }

    std::string GetUserNameCp949() override
    {
        std::wstring name(257, L'\0');   // a user name has at most 256 characters
        DWORD size = static_cast<DWORD>(name.size());
        if (!GetUserNameW(name.data(), &size)) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
            name.resize(size);
            if (!GetUserNameW(name.data(), &size)) return {};
        }
        name.resize(std::wcslen(name.c_str()));
        return win32::Cp949FromWide(name);
    }

    fs::path GetProgramFolder() override
    {
        // A path that fills the buffer was cut short: try again with more room.
        for (DWORD size = MAX_PATH; size <= kLongPathChars; size *= 2) {
            std::wstring path(size, L'\0');
            const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
            if (n == 0) break;
            if (n < size) {
                path.resize(n);
                return WithTrailingSeparator(fs::path(path).parent_path());
            }
        }
        return WithTrailingSeparator(CurrentDirectory());
    }

    fs::path GetTempFolder() override
    {
        // The streamed files are left in the user's own temporary folder,
        // "Local Settings\Temp" in the profile on Windows XP and
        // "AppData\Local\Temp" since; where neither exists, the system's.
        if (const auto local = KnownFolder(CSIDL_LOCAL_APPDATA); local && IsDirectory(*local / L"Temp"))
            return WithTrailingSeparator(*local / L"Temp");
        if (const auto profile = KnownFolder(CSIDL_PROFILE);
            profile && IsDirectory(*profile / L"Local Settings" / L"Temp"))
            return WithTrailingSeparator(*profile / L"Local Settings" / L"Temp");
        std::wstring temp(MAX_PATH + 1, L'\0');
        DWORD n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
        if (n > temp.size()) {   // too long for the buffer: n is the room it needs
            temp.resize(n);
            n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
        }
        if (n == 0 || n >= temp.size()) return WithTrailingSeparator(CurrentDirectory());
        temp.resize(n);
        return WithTrailingSeparator(fs::path(temp));
    }

    fs::path GetHomeFolder() override
    {
        if (auto profile = KnownFolder(CSIDL_PROFILE)) return WithTrailingSeparator(*profile);
        if (auto profile = EnvironmentFolder(L"USERPROFILE")) return WithTrailingSeparator(*profile);
        // "C:" names the current folder of drive C:, "C:\" its root.
        if (auto drive = EnvironmentFolder(L"SystemDrive")) return fs::path(drive->native() + L'\\');
        return fs::path(L"C:\\");
    }
};

} // namespace

namespace win32 {

namespace {

std::vector<RunningPrompt*>& PromptList()
{
    thread_local std::vector<RunningPrompt*> prompts;
    return prompts;
}

} // namespace

const std::vector<RunningPrompt*>& RunningPrompts() { return PromptList(); }

RunningPromptScope::RunningPromptScope(RunningPrompt& prompt) : m_prompt(prompt) { PromptList().push_back(&prompt); }

RunningPromptScope::~RunningPromptScope()
{
    auto& prompts = PromptList();
    if (const auto it = std::find(prompts.begin(), prompts.end(), &m_prompt); it != prompts.end()) prompts.erase(it);
}

bool SelectInBrowser(RunningPrompt& browser, const fs::path& folder)
{
    // The browser reports the folder as "C:\music", with no separator at the end.
    const fs::path target = WithoutTrailingSeparator(folder);
    // Wine's browser finds the path's items in its tree by their bytes, a
    // folder's last access time included; looking up a path reads the
    // folders along it, which moves that time for one just changed (a new
    // folder made in it, say). A second request then matches.
    for (int attempt = 0; attempt < 2; ++attempt) {
        SendMessageW(browser.hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(target.c_str()));
        if (browser.selection && IsSamePath(*browser.selection, target)) return true;
    }
    return false;
}

} // namespace win32

Services& RealServices()
{
    static Win32Services services;
    return services;
}

} // namespace mrv::platform
