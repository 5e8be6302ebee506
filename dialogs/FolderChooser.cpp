#include "dialogs/FolderChooser.h"

#include "core/FileSystem.h"
#include "text/Cp949.h"

#include <string>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;
using mrv::platform::BrowseEvent;
using mrv::platform::FolderBrowser;

fs::path g_strInitialFolder;

namespace {

// The browser's callback data word: whether g_strInitialFolder is to be selected.
constexpr std::intptr_t kNoPreselection = 0;
constexpr std::intptr_t kPreselectInitial = 1;

std::string Utf8(const fs::path& path)
{
    return mrv::os::PathText(path);
}

bool IsSeparator(fs::path::value_type c)
{
    return c == '/' || c == fs::path::preferred_separator;
}

// A root the browser cannot show is dropped, so the tree opens at the top as
// if none had been given.
std::optional<fs::path> UsableRoot(const std::optional<fs::path>& root)
{
    if (!root) return std::nullopt;
    std::error_code ec;
    if (!fs::is_directory(*root, ec)) return std::nullopt;
    return root;
}

} // namespace

int BrowseCallbackProc(FolderBrowser& browser, BrowseEvent event, const fs::path* selection, std::intptr_t data)
{
    switch (event) {
    case BrowseEvent::Initialized:
        // Whether the browser could select it is not asked: a folder that is
        // gone simply leaves the tree at its top.
        if (data != kNoPreselection) browser.SetSelection(g_strInitialFolder);
        break;
    case BrowseEvent::SelectionChanged:
        // An item without a file-system path keeps the previous status text.
        if (selection != nullptr && !selection->empty()) {
            browser.SetStatusText(mrv::text::Utf8ToCp949Lossy(Utf8(*selection)));
        }
        break;
    }
    return 0;
}

bool BrowseForFolderWithInitial(fs::path& result, const std::string& promptCp949, CWnd* owner,
                                const std::optional<fs::path>& root, const std::optional<fs::path>& initial)
{
    std::intptr_t data = kNoPreselection;
    if (initial) {
        g_strInitialFolder = *initial;
        data = kPreselectInitial;
    }

    mrv::platform::BrowseRequest request;
    request.prompt = promptCp949;
    request.root = UsableRoot(root);
    request.callback = [data](FolderBrowser& browser, BrowseEvent event, const fs::path* selection) {
        BrowseCallbackProc(browser, event, selection, data);
    };

    const mrv::platform::BrowseResult chosen = mrv::platform::GetServices().BrowseForFolder(owner, request);
    if (!chosen) {
        result.clear();
        return false;
    }
    if (chosen->empty()) return false;   // an item without a file-system path
    result = *chosen;
    return true;
}

fs::path WithTrailingSeparator(const fs::path& folder)
{
    fs::path::string_type text = folder.native();
    if (text.empty()) return folder;
    while (!text.empty() && IsSeparator(text.back())) text.pop_back();
    text += fs::path::preferred_separator;
    return fs::path(std::move(text));
}

const std::string& FolderChangeCancelledText()
{
    static const std::string text = mrv::text::K("폴더변경 취소");
    return text;
}
