// The folder browser of the services: a prompt above a tree of folders, a
// status line the caller's callback writes, OK and Cancel. The tree shows the
// whole file system from "/" (or only the request's root); a button jumps to
// the home folder.
#pragma once

#include "platform/Services.h"

#include <QDialog>

#include <filesystem>
#include <optional>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace mrv::platform::qt {

class FolderBrowserDialog : public QDialog, public FolderBrowser {
public:
    // Object name of the dialog, so tests can find it among the top-level windows.
    static constexpr const char* kObjectName = "mrvFolderBrowser";

    FolderBrowserDialog(QWidget* parent, const BrowseRequest& request);

    // FolderBrowser: what the request's callback may do.
    void SetSelection(const std::filesystem::path& folder) override;
    void SetStatusText(const std::string& cp949) override;

    // The folder of the current item, nullopt when there is none.
    std::optional<std::filesystem::path> CurrentFolder() const;
    QString PromptText() const;
    QString StatusText() const;
    bool CanAccept() const;
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSelectionChanged();

    const BrowseRequest& m_request;
    QFileSystemModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_prompt = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    std::filesystem::path m_root;
    bool m_initialized = false;
    // The selection the callback was last told of (the outer optional: told at all).
    std::optional<std::optional<std::filesystem::path>> m_reported;
};

} // namespace mrv::platform::qt
