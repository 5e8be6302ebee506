// The system prompts of the services read and answered from a test, through
// their own controls as a user would see and use them. A prompt counts while
// it is an enabled top-level window of this thread (one that has a prompt of
// its own up is waiting for that one) and has not been answered. It need not
// be visible yet: the dialog manager shows a dialog only once its loop is
// first idle, and a timer that came due while the dialog was being set up
// (the folder browser can take a while to fill its tree) runs before that.
#include "platform/ServicesTesting.h"

#include "core/windows/Wide.h"
#include "platform/Types.h"
#include "platform/win32/ServicesPrompts.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cwchar>

namespace mrv::platform::testing {
namespace fs = std::filesystem;
using win32::PromptKind;
using win32::RunningPrompt;

namespace {

// Controls of the system's prompts, by the identifiers the system gives them.
constexpr int kMessageTextId = 0xFFFF;        // the message box's text
constexpr int kFileTypeListId = 0x470;        // cmb1: the file dialog's list of file types
constexpr int kFileNameComboId = 0x47C;       // cmb13: its file name box, where there is a combo box
constexpr int kFileNameEditId = 0x480;        // edt1: its file name box, where there is an edit
constexpr int kBrowserPromptId = 0x3742;      // the folder browser's prompt above the tree
constexpr int kBrowserStatusId = 0x3743;      // its status line
constexpr int kBrowserTreeId = 0x3741;        // its tree of folders
constexpr DWORD kLongPathChars = 32768;

std::string Utf8(const std::wstring& wide) { return os::Utf8FromWide(wide); }

std::wstring TextOf(HWND hwnd)
{
    if (!hwnd) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsUp(const RunningPrompt& prompt)
{
    const HWND hwnd = prompt.hwnd;
    DWORD process = 0;
    return hwnd && !prompt.ended && IsWindow(hwnd) &&
           GetWindowThreadProcessId(hwnd, &process) == GetCurrentThreadId() &&
           !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) && IsWindowEnabled(hwnd);
}

// The innermost prompt of the services, of the kind asked for (any kind when
// none is given), that a user could act on now.
RunningPrompt* FindPrompt(std::optional<PromptKind> kind = std::nullopt)
{
    const auto& prompts = win32::RunningPrompts();
    for (auto it = prompts.rbegin(); it != prompts.rend(); ++it)
        if ((!kind || (*it)->kind == *kind) && IsUp(**it)) return *it;
    return nullptr;
}

// Whether a control is shown in its dialog, shown or not the dialog itself.
bool IsShownControl(HWND control) { return GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE; }

HWND EnabledButton(HWND dialog, int id)
{
    const HWND button = GetDlgItem(dialog, id);
    return button && IsShownControl(button) && IsWindowEnabled(button) ? button : nullptr;
}

// Sends the prompt the command of one of its buttons (button: nullptr when
// it has none, as for Escape in a box without Cancel) and notes whether that
// ended it: the dialog manager hides a dialog as soon as it is ended.
bool Command(RunningPrompt& prompt, int id, HWND button)
{
    const HWND hwnd = prompt.hwnd;
    const bool wasShown = IsWindowVisible(hwnd);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    // A prompt not shown yet cannot tell; its OK and Cancel always end it.
    if (!wasShown || !IsWindow(hwnd) || !IsWindowVisible(hwnd)) prompt.ended = true;
    return prompt.ended;
}

// ---- Message boxes ----------------------------------------------------------------------------

bool IsPushButton(HWND hwnd)
{
    wchar_t name[16] = L"";
    if (!GetClassNameW(hwnd, name, 16) || CompareStringOrdinal(name, -1, L"Button", -1, TRUE) != CSTR_EQUAL)
        return false;
    const LONG kind = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

std::vector<HWND> PushButtonsOf(HWND box)
{
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsPushButton(child) && IsShownControl(child)) buttons.push_back(child);
    return buttons;
}

// The icon the box shows, told by its handle: the box shows the system's
// shared icons. The icon's control has a different identifier on Windows
// (20) and in Wine, so it is found by its style.
unsigned IconTypeOf(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        if (!icon) continue;
        if (icon == LoadIconW(nullptr, IDI_HAND)) return MsgBox::IconError;
        if (icon == LoadIconW(nullptr, IDI_QUESTION)) return MsgBox::IconQuestion;
        if (icon == LoadIconW(nullptr, IDI_EXCLAMATION)) return MsgBox::IconExclamation;
    }
    return 0;
}

int ButtonIdOf(int result)
{
    switch (result) {
    case CommandId::Ok: return IDOK;
    case CommandId::Yes: return IDYES;
    case CommandId::No: return IDNO;
    default: return 0;
    }
}

// ---- The file-open dialog ---------------------------------------------------------------------

// One entry of the type list in the form "Name (patterns)", the form the
// view has on every system; the patterns as the dialog applies them (without
// regard to case, "*.*" every name), separated by blanks.
std::wstring NameFilter(const std::wstring& name, const std::wstring& patterns)
{
    std::wstring joined;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = patterns.find(L';', start);
        std::wstring pattern = patterns.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        const std::size_t first = pattern.find_first_not_of(L' ');
        const std::size_t last = pattern.find_last_not_of(L' ');
        if (first != std::wstring::npos) {
            if (!joined.empty()) joined += L' ';
            joined += pattern.substr(first, last - first + 1);
        }
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return joined.empty() ? name : name + L" (" + joined + L')';
}

std::wstring ComboItemText(HWND combo, int index)
{
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

// ---- The folder browser ----------------------------------------------------------------------

std::wstring TreeItemText(HWND tree, HTREEITEM item)
{
    wchar_t text[MAX_PATH] = L"";
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    return TreeView_GetItem(tree, &data) ? std::wstring(text) : std::wstring();
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool SelectFolder(RunningPrompt& browser, const fs::path& folder);

// The folder's item clicked in the tree: found as the child of its parent's
// item that bears its name. This is for a folder that the browser's own
// lookup misses: Wine's compares items with their last access time, and the
// tree's own look into a folder made moments before moves that time after
// the folder's item was made, so the lookup never matches it again.
bool ClickFolderItem(RunningPrompt& browser, const fs::path& folder)
{
    fs::path target = folder;
    while (!target.has_filename() && target.has_relative_path()) target = target.parent_path();
    if (!target.has_relative_path() || !SelectFolder(browser, target.parent_path())) return false;
    const HWND tree = GetDlgItem(browser.hwnd, kBrowserTreeId);
    const HTREEITEM parent = tree ? TreeView_GetSelection(tree) : nullptr;
    if (!parent) return false;
    TreeView_Expand(tree, parent, TVE_EXPAND);
    for (HTREEITEM child = TreeView_GetChild(tree, parent); child; child = TreeView_GetNextSibling(tree, child)) {
        if (SameName(TreeItemText(tree, child), target.filename().native())) {
            TreeView_SelectItem(tree, child);
            return browser.selection && SameName(browser.selection->native(), target.native());
        }
    }
    return false;
}

bool SelectFolder(RunningPrompt& browser, const fs::path& folder)
{
    return win32::SelectInBrowser(browser, folder) || ClickFolderItem(browser, folder);
}

} // namespace

std::optional<MessageBoxView> ActiveMessageBox()
{
    const RunningPrompt* box = FindPrompt(PromptKind::Message);
    if (!box) return std::nullopt;
    MessageBoxView view;
    view.title = Utf8(TextOf(box->hwnd));
    view.text = Utf8(TextOf(GetDlgItem(box->hwnd, kMessageTextId)));
    const bool yesNo = GetDlgItem(box->hwnd, IDYES) && GetDlgItem(box->hwnd, IDNO);
    view.type = (yesNo ? MsgBox::YesNo : MsgBox::Ok) | IconTypeOf(box->hwnd);
    return view;
}

bool AnswerMessageBox(int result)
{
    RunningPrompt* box = FindPrompt(PromptKind::Message);
    const int id = ButtonIdOf(result);
    if (!box || id == 0) return false;
    HWND button = EnabledButton(box->hwnd, id);
    if (!button && result == CommandId::Ok) {
        // A box with one button: that is its OK, whatever identifier it has.
        const std::vector<HWND> buttons = PushButtonsOf(box->hwnd);
        if (buttons.size() == 1 && IsWindowEnabled(buttons.front())) button = buttons.front();
    }
    if (!button) return false;
    Command(*box, GetDlgCtrlID(button), button);
    return true;
}

std::optional<FileDialogView> ActiveFileDialog()
{
    const RunningPrompt* dialog = FindPrompt(PromptKind::OpenFile);
    if (!dialog) return std::nullopt;
    FileDialogView view;
    view.title = Utf8(TextOf(dialog->hwnd));
    // The list shows the names; the patterns are those handed over for each.
    if (const HWND types = GetDlgItem(dialog->hwnd, kFileTypeListId)) {
        const LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            const std::size_t index = static_cast<std::size_t>(i);
            const std::wstring name = ComboItemText(types, i);
            const std::wstring patterns = index < dialog->filterPatterns.size() ? dialog->filterPatterns[index] : L"";
            view.nameFilters.push_back(Utf8(NameFilter(name, patterns)));
        }
        const LRESULT selected = SendMessageW(types, CB_GETCURSEL, 0, 0);
        if (selected != CB_ERR) view.selectedNameFilter = Utf8(ComboItemText(types, static_cast<int>(selected)));
    }
    std::wstring folder(kLongPathChars, L'\0');
    const LRESULT length =
        SendMessageW(dialog->hwnd, CDM_GETFOLDERPATH, kLongPathChars, reinterpret_cast<LPARAM>(folder.data()));
    if (length > 0) {
        folder.resize(std::wcslen(folder.c_str()));
        view.folder = fs::path(folder);
    }
    view.defaultExtension = Utf8(dialog->defaultExtension);
    return view;
}

bool AcceptFileDialog(std::string_view nameUtf8)
{
    const RunningPrompt* dialog = FindPrompt(PromptKind::OpenFile);
    if (!dialog) return false;
    const int nameBox = GetDlgItem(dialog->hwnd, kFileNameComboId) ? kFileNameComboId : kFileNameEditId;
    const HWND open = EnabledButton(dialog->hwnd, IDOK);
    if (!GetDlgItem(dialog->hwnd, nameBox) || !open) return false;
    const std::wstring name = os::WideFromUtf8(nameUtf8);
    SendMessageW(dialog->hwnd, CDM_SETCONTROLTEXT, static_cast<WPARAM>(nameBox),
                 reinterpret_cast<LPARAM>(name.c_str()));
    // Posted, as a click arrives: the dialog may answer the name with a
    // message box of its own, and the test's callback must not wait in it.
    PostMessageW(dialog->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(open));
    return true;
}

std::optional<FolderBrowserView> ActiveFolderBrowser()
{
    const RunningPrompt* browser = FindPrompt(PromptKind::BrowseFolder);
    if (!browser) return std::nullopt;
    FolderBrowserView view;
    view.prompt = Utf8(TextOf(GetDlgItem(browser->hwnd, kBrowserPromptId)));
    const HWND status = GetDlgItem(browser->hwnd, kBrowserStatusId);
    view.status = Utf8(status ? TextOf(status) : browser->status);
    view.selection = browser->selection;
    view.canAccept = EnabledButton(browser->hwnd, IDOK) != nullptr;
    return view;
}

bool SelectInFolderBrowser(const fs::path& folder)
{
    RunningPrompt* browser = FindPrompt(PromptKind::BrowseFolder);
    if (!browser) return false;
    SelectFolder(*browser, folder);
    return true;
}

bool AcceptFolderBrowser()
{
    RunningPrompt* browser = FindPrompt(PromptKind::BrowseFolder);
    const HWND ok = browser ? EnabledButton(browser->hwnd, IDOK) : nullptr;
    if (!ok) return false;
    Command(*browser, IDOK, ok);
    return true;
}

bool CancelActivePrompt()
{
    RunningPrompt* prompt = FindPrompt();
    if (!prompt) return false;
    // What Escape does: the Cancel command, from the Cancel button if there is
    // one. A message box without Cancel decides for itself what that means.
    const HWND cancel = GetDlgItem(prompt->hwnd, IDCANCEL);
    if (cancel && !IsWindowEnabled(cancel)) return false;
    return Command(*prompt, IDCANCEL, cancel);
}

} // namespace mrv::platform::testing
