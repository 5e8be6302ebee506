// What the main window asks of the search window, and nothing more: it makes
// the window once, shows it scanning over the main window's save folder, tells
// it the name a double click gives a saved file, and destroys it with itself.
#pragma once

#include <filesystem>
#include <string>

class CDialog;

class SearchWindow {
public:
    // Makes the window, hidden, as a popup owned by the main window.
    virtual void CreateHidden(CDialog& owner) = 0;
    // Shows the window and lets its timers scan; a save folder that is not
    // empty becomes its save location (the other way round never happens).
    virtual void ShowScanning(const std::filesystem::path& saveFolder) = 0;
    // The name a double click renames the selected saved file to (CP949).
    virtual void SetAutoName(const std::string& name) = 0;
    // The temporary folder it lists streamed music from.
    virtual std::filesystem::path CacheFolder() const = 0;
    virtual void Destroy() = 0;

protected:
    ~SearchWindow() = default;
};
