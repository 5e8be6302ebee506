// The prompts and operating-system services the program calls, behind one
// replaceable interface: tests install scripted doubles that record each call.
#pragma once

#include "core/LocalClock.h"
#include "platform/Types.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class CWnd;

namespace mrv::platform {

using LocalTime = mrv::LocalTime;

// The file-open dialog. Texts are CP949; the filter is in the bar notation
// "Name|pattern|Name|pattern||". The chosen file need not exist.
struct OpenFileRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension;        // without the dot; see WithDefaultExtension
    std::filesystem::path initialFolder;
};

// The file a name chosen in the file-open dialog stands for, the same on every
// system: a name without extension that is no existing file gets the default
// extension (CP949, without the dot); an existing file is taken as it is named.
std::filesystem::path WithDefaultExtension(std::filesystem::path chosen, const std::string& extensionCp949);

// What the folder browser's callback may do while the browser is up.
class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    virtual void SetSelection(const std::filesystem::path& folder) = 0;
    virtual void SetStatusText(const std::string& cp949) = 0;
};

enum class BrowseEvent { Initialized = 1, SelectionChanged = 2 };

struct BrowseRequest {
    std::string prompt;                          // CP949, shown above the tree
    std::optional<std::filesystem::path> root;   // nullopt: the whole file system and the home folder
    // Called when the browser is up (selection: nullptr) and whenever the
    // selection changes (selection: its file-system path, nullptr for an item without one).
    std::function<void(FolderBrowser&, BrowseEvent, const std::filesystem::path* selection)> callback;
};

// nullopt: cancelled. A path: the chosen folder.
using BrowseResult = std::optional<std::filesystem::path>;

class Services {
public:
    virtual ~Services() = default;

    // Names say what they carry where the classic name is a Windows macro (see
    // platform/Types.h): the text's encoding, or a path rather than a name.

    // text and caption are CP949; type is MsgBox flags; returns CommandId::Ok,
    // Yes or No (Cancel or No when the box is closed without a choice).
    virtual int MessageBoxCp949(CWnd* owner, const std::string& text, const std::string& caption, unsigned type) = 0;
    virtual std::optional<std::filesystem::path> GetOpenFilePath(CWnd* owner, const OpenFileRequest& request) = 0;
    virtual BrowseResult BrowseForFolder(CWnd* owner, const BrowseRequest& request) = 0;

    // Opens a file with the program associated with its type; false when it could not be started.
    virtual bool OpenWithAssociatedProgram(const std::filesystem::path& file) = 0;
    // Opens a folder in the desktop's file manager; the path is passed as one argument.
    virtual bool OpenFolder(const std::filesystem::path& folder) = 0;

    virtual LocalTime GetLocalTime() = 0;
    virtual std::string GetUserNameCp949() = 0;           // empty when unknown
    virtual std::filesystem::path GetProgramFolder() = 0; // folder of the executable, with a trailing separator
    virtual std::filesystem::path GetTempFolder() = 0;    // with a trailing separator
    virtual std::filesystem::path GetHomeFolder() = 0;    // with a trailing separator
};

// The services in force: the real ones unless a test installed its own.
Services& GetServices();
// Installs replacement services (not owned); nullptr restores the real ones.
void SetServices(Services* services);

// The real services over the toolkit and the operating system.
Services& RealServices();

} // namespace mrv::platform
