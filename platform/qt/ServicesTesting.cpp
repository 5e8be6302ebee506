#include "platform/ServicesTesting.h"

#include "platform/Types.h"
#include "platform/qt/FolderBrowserDialog.h"
#include "platform/qt/ServicesPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace mrv::platform::testing {
namespace fs = std::filesystem;
using qt::FolderBrowserDialog;

namespace {

// The visible prompt of type T: the active modal one first, then any other
// (a prompt without owner is not modal).
template <class T>
T* FindPrompt()
{
    if (auto* active = dynamic_cast<T*>(QApplication::activeModalWidget()); active && active->isVisible())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* prompt = dynamic_cast<T*>(widget); prompt && prompt->isVisible()) return prompt;
    return nullptr;
}

unsigned TypeOf(const QMessageBox& box)
{
    unsigned type = box.button(QMessageBox::Yes) ? MsgBox::YesNo : MsgBox::Ok;
    switch (box.icon()) {
    case QMessageBox::Critical: type |= MsgBox::IconError; break;
    case QMessageBox::Question: type |= MsgBox::IconQuestion; break;
    case QMessageBox::Warning: type |= MsgBox::IconExclamation; break;
    default: break;
    }
    return type;
}

bool ClickIfEnabled(QAbstractButton* button)
{
    if (!button || !button->isEnabled()) return false;
    button->click();
    return true;
}

QDialogButtonBox* ButtonsOf(QFileDialog& dialog) { return dialog.findChild<QDialogButtonBox*>("buttonBox"); }

} // namespace

std::optional<MessageBoxView> ActiveMessageBox()
{
    QMessageBox* box = FindPrompt<QMessageBox>();
    if (!box) return std::nullopt;
    return MessageBoxView{box->windowTitle().toStdString(), box->text().toStdString(), TypeOf(*box)};
}

bool AnswerMessageBox(int result)
{
    QMessageBox* box = FindPrompt<QMessageBox>();
    if (!box) return false;
    switch (result) {
    case CommandId::Ok: return ClickIfEnabled(box->button(QMessageBox::Ok));
    case CommandId::Yes: return ClickIfEnabled(box->button(QMessageBox::Yes));
    case CommandId::No: return ClickIfEnabled(box->button(QMessageBox::No));
    default: return false;
    }
}

std::optional<FileDialogView> ActiveFileDialog()
{
    QFileDialog* dialog = FindPrompt<QFileDialog>();
    if (!dialog) return std::nullopt;
    FileDialogView view;
    view.title = dialog->windowTitle().toStdString();
    for (const QString& filter : dialog->nameFilters()) view.nameFilters.push_back(filter.toStdString());
    view.selectedNameFilter = dialog->selectedNameFilter().toStdString();
    view.folder = fs::path(QFile::encodeName(dialog->directory().absolutePath()).toStdString());
    view.defaultExtension = dialog->property(qt::kDefaultExtensionProperty).toString().toStdString();
    return view;
}

bool AcceptFileDialog(std::string_view nameUtf8)
{
    QFileDialog* dialog = FindPrompt<QFileDialog>();
    if (!dialog) return false;
    auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
    QDialogButtonBox* buttons = ButtonsOf(*dialog);
    if (!nameEdit || !buttons) return false;
    nameEdit->setFocus();
    nameEdit->selectAll();
    nameEdit->insert(QString::fromUtf8(nameUtf8.data(), static_cast<qsizetype>(nameUtf8.size())));
    return ClickIfEnabled(buttons->button(QDialogButtonBox::Open));
}

std::optional<FolderBrowserView> ActiveFolderBrowser()
{
    FolderBrowserDialog* browser = FindPrompt<FolderBrowserDialog>();
    if (!browser) return std::nullopt;
    return FolderBrowserView{browser->PromptText().toStdString(), browser->StatusText().toStdString(),
                             browser->CurrentFolder(), browser->CanAccept()};
}

bool SelectInFolderBrowser(const fs::path& folder)
{
    FolderBrowserDialog* browser = FindPrompt<FolderBrowserDialog>();
    if (!browser) return false;
    browser->SetSelection(folder);
    return true;
}

bool AcceptFolderBrowser()
{
    FolderBrowserDialog* browser = FindPrompt<FolderBrowserDialog>();
    return browser && ClickIfEnabled(browser->OkButton());
}

bool CancelActivePrompt()
{
    if (FolderBrowserDialog* browser = FindPrompt<FolderBrowserDialog>())
        return ClickIfEnabled(browser->CancelButton());
    if (QFileDialog* dialog = FindPrompt<QFileDialog>()) {
        QDialogButtonBox* buttons = ButtonsOf(*dialog);
        return buttons && ClickIfEnabled(buttons->button(QDialogButtonBox::Cancel));
    }
    if (QMessageBox* box = FindPrompt<QMessageBox>()) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &escape);
        return true;
    }
    return false;
}

} // namespace mrv::platform::testing
