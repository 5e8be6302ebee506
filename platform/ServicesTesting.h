// The real prompts of the services seen and answered from a test, as a user
// would: call these from RunAfter while the prompt's own loop runs. Each
// returns false (or nullopt) when no such prompt is up.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mrv::platform::testing {

struct MessageBoxView {
    std::string title;    // UTF-8
    std::string text;     // UTF-8
    unsigned type = 0;    // MsgBox button and icon flags of what is shown
};
std::optional<MessageBoxView> ActiveMessageBox();
// Clicks the button that gives result: CommandId::Ok, Yes or No.
bool AnswerMessageBox(int result);

struct FileDialogView {
    std::string title;                     // UTF-8
    std::vector<std::string> nameFilters;  // UTF-8, "Name (patterns)" as the dialog holds them
    std::string selectedNameFilter;
    std::filesystem::path folder;          // the folder it shows
    std::string defaultExtension;
};
std::optional<FileDialogView> ActiveFileDialog();
// Types a name (or a path) into the file-name box and clicks Open.
bool AcceptFileDialog(std::string_view nameUtf8);

struct FolderBrowserView {
    std::string prompt;   // UTF-8
    std::string status;   // UTF-8
    std::optional<std::filesystem::path> selection;
    bool canAccept = false;   // OK is enabled
};
std::optional<FolderBrowserView> ActiveFolderBrowser();
// Selects a folder in the browser's tree as a click on it would.
bool SelectInFolderBrowser(const std::filesystem::path& folder);
// Clicks OK; false when OK is disabled.
bool AcceptFolderBrowser();

// Cancel on the prompt that is up (Escape for a message box).
bool CancelActivePrompt();

} // namespace mrv::platform::testing
