// The folder chooser: the services' folder browser with a prompt, an optional
// root, a preselected folder and a status line that shows the path of the
// current selection. Used for the main dialog's save folder and the search
// window's save location.
#pragma once

#include "platform/Services.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class CWnd;

// The folder the next browser preselects. The chooser sets it when it is
// given an initial folder; the callback reads it when its data word says so.
// It keeps the last initial folder until the next call that gives one.
extern std::filesystem::path g_strInitialFolder;

// Asks the user for a folder, modal to owner. On a choice: result = the
// folder's path as the browser gives it (no trailing separator except for
// "/"), true. On cancel: result emptied, false. When the browser answers with
// an item that has no file-system path: result unchanged, false.
// root: where the tree starts (nullopt, or a folder that does not exist: the
// whole file system and the home folder). initial: the folder to select when
// the browser comes up (nullopt: no preselection; a folder that does not
// exist is passed on and the browser ignores it).
bool BrowseForFolderWithInitial(std::filesystem::path& result, const std::string& promptCp949, CWnd* owner,
                                const std::optional<std::filesystem::path>& root,
                                const std::optional<std::filesystem::path>& initial);

// The browser's callback. On Initialized with data != 0 it asks the browser to
// select g_strInitialFolder; on SelectionChanged it shows the new selection's
// path as the status text, and leaves the status alone for an item without a
// path. Always returns 0.
int BrowseCallbackProc(mrv::platform::FolderBrowser& browser, mrv::platform::BrowseEvent event,
                       const std::filesystem::path* selection, std::intptr_t data);

// "폴더변경 취소" (folder change cancelled), in CP949: what every caller of the
// chooser tells the user when no folder was chosen.
const std::string& FolderChangeCancelledText();

// A chosen folder as a save folder: exactly one trailing separator ("/music"
// and "/music//" become "/music/", "/" stays "/"). Empty stays empty.
std::filesystem::path WithTrailingSeparator(const std::filesystem::path& folder);
