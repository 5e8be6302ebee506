// The real services: Qt prompts, each modal to its owner's window only, and
// the operating system's clock, user, folders and program launcher.
#include "platform/Services.h"

#include "text/Cp949.h"
#include "platform/qt/FolderBrowserDialog.h"
#include "platform/qt/ServicesPrompts.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>

#include <chrono>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace mrv::platform {
namespace fs = std::filesystem;

namespace {

// The program that opens a file or a folder with the desktop's choice of program.
constexpr const char* kDesktopOpener = "xdg-open";

QString FromCp949(const std::string& cp949) { return QString::fromStdString(text::Cp949ToUtf8Lossy(cp949)); }
QString ToQString(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }
fs::path FromQString(const QString& text) { return fs::path(QFile::encodeName(text).toStdString()); }

fs::path WithTrailingSeparator(fs::path folder)
{
    if (folder.has_filename()) folder /= "";
    return folder;
}

QMessageBox::Icon IconOf(unsigned type)
{
    switch (type & MsgBox::IconMask) {
    case MsgBox::IconError: return QMessageBox::Critical;
    case MsgBox::IconQuestion: return QMessageBox::Question;
    case MsgBox::IconExclamation: return QMessageBox::Warning;
    default: return QMessageBox::NoIcon;
    }
}

bool StartDesktopOpener(const fs::path& target)
{
    // One argument, blanks and all: no shell sees it.
    return QProcess::startDetached(QString::fromUtf8(kDesktopOpener), {ToQString(target)});
}

class QtServices : public Services {
public:
    int MessageBoxCp949(CWnd* owner, const std::string& text, const std::string& caption, unsigned type) override
    {
        const bool yesNo = (type & MsgBox::TypeMask) == MsgBox::YesNo;
        const int closedWithoutChoice = yesNo ? CommandId::No : CommandId::Ok;
        // On the heap: if the owner goes away meanwhile, it takes the box with it.
        QPointer<QMessageBox> box = new QMessageBox(IconOf(type), FromCp949(caption), FromCp949(text),
                                                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                                                    qt::PromptParent(owner));
        box->setTextFormat(Qt::PlainText);
        box->setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
        qt::RunPrompt(*box);
        if (!box) return closedWithoutChoice;
        const QMessageBox::StandardButton clicked = box->standardButton(box->clickedButton());
        delete box;
        switch (clicked) {
        case QMessageBox::Ok: return CommandId::Ok;
        case QMessageBox::Yes: return CommandId::Yes;
        case QMessageBox::No: return CommandId::No;
        default: return closedWithoutChoice;
        }
    }

    std::optional<fs::path> GetOpenFilePath(CWnd* owner, const OpenFileRequest& request) override
    {
        QPointer<QFileDialog> dialog = new QFileDialog(qt::PromptParent(owner), FromCp949(request.title),
                                                       ToQString(request.initialFolder));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setOption(QFileDialog::HideNameFilterDetails);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::AnyFile);   // a typed name of a missing file is taken
        const QStringList filters = qt::NameFiltersFromBarNotation(request.filter);
        if (!filters.isEmpty()) dialog->setNameFilters(filters);
        // Qt would add the extension to every name without one, an existing
        // file's too: the shared rule decides instead. The tests read it here.
        dialog->setProperty(qt::kDefaultExtensionProperty, FromCp949(request.defaultExtension));
        const int result = qt::RunPrompt(*dialog);
        if (!dialog) return std::nullopt;
        const QStringList files = dialog->selectedFiles();
        delete dialog;
        if (result != QDialog::Accepted || files.isEmpty()) return std::nullopt;
        return WithDefaultExtension(FromQString(files.first()), request.defaultExtension);
    }

    BrowseResult BrowseForFolder(CWnd* owner, const BrowseRequest& request) override
    {
        QPointer<qt::FolderBrowserDialog> dialog = new qt::FolderBrowserDialog(qt::PromptParent(owner), request);
        const int result = qt::RunPrompt(*dialog);
        if (!dialog) return std::nullopt;
        BrowseResult chosen = result == QDialog::Accepted ? dialog->CurrentFolder() : std::nullopt;
        delete dialog;
        return chosen;
    }

    bool OpenWithAssociatedProgram(const fs::path& file) override { return StartDesktopOpener(file); }
    bool OpenFolder(const fs::path& folder) override { return StartDesktopOpener(folder); }

    LocalTime GetLocalTime() override { return mrv::LocalNow(); }

    std::string GetUserNameCp949() override
    {
        std::string name;
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name) name = entry->pw_name;
        if (name.empty())
            if (const char* user = std::getenv("USER")) name = user;
        return text::Utf8ToCp949Lossy(name);
    }

    fs::path GetProgramFolder() override
    {
        std::error_code ec;
        const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
        if (!ec && !executable.empty()) return WithTrailingSeparator(executable.parent_path());
        return WithTrailingSeparator(fs::current_path(ec));
    }

    fs::path GetTempFolder() override
    {
        std::error_code ec;
        fs::path folder = fs::temp_directory_path(ec);   // TMPDIR, else /tmp
        if (ec) folder = "/tmp";
        return WithTrailingSeparator(folder);
    }

    fs::path GetHomeFolder() override
    {
        if (const char* home = std::getenv("HOME"); home && *home) return WithTrailingSeparator(home);
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) return WithTrailingSeparator(entry->pw_dir);
        return "/";
    }
};

} // namespace

Services& RealServices()
{
    static QtServices services;
    return services;
}


} // namespace mrv::platform
