// The system prompts of the services while they are up: which window each one
// is, and what a reader needs that the window itself does not tell. The
// services keep this record; the test drivers read and answer from it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mrv::platform::win32 {

enum class PromptKind { Message, OpenFile, BrowseFolder };

struct RunningPrompt {
    explicit RunningPrompt(PromptKind kind) : kind(kind) {}

    PromptKind kind;
    HWND hwnd = nullptr;   // the prompt's top-level window, once it exists
    // A test driver's answer ended it: its window stays, hidden, until the
    // prompt's loop returns. (A prompt that the dialog manager has not shown
    // yet, because its loop has not been idle yet, is hidden too, but up.)
    bool ended = false;

    // The file-open dialog: the patterns of each file type, in the order of
    // its type list, and the extension added to a name typed without one.
    std::vector<std::wstring> filterPatterns;
    std::wstring defaultExtension;

    // The folder browser: the file-system path of the item the browser last
    // reported as selected (nullopt: none yet, or an item without a path) and
    // the status text last set.
    std::optional<std::filesystem::path> selection;
    std::wstring status;
};

// The prompts of the services now up on this thread, the innermost last.
const std::vector<RunningPrompt*>& RunningPrompts();

// Keeps a prompt in that list for as long as it lives.
class RunningPromptScope {
public:
    explicit RunningPromptScope(RunningPrompt& prompt);
    ~RunningPromptScope();
    RunningPromptScope(const RunningPromptScope&) = delete;
    RunningPromptScope& operator=(const RunningPromptScope&) = delete;

private:
    RunningPrompt& m_prompt;
};

// Asks a folder browser to select a folder, as its callback may. True when
// the browser then has that folder selected; a folder that is missing or
// outside the tree leaves the selection where it was.
bool SelectInBrowser(RunningPrompt& browser, const std::filesystem::path& folder);

} // namespace mrv::platform::win32
