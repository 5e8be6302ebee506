// Text that reaches an edit other than from the keyboard.
#include "platform/Testing.h"

#include "platform/qt/WidgetOf.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>

namespace mrv::platform::testing {
namespace {

QLineEdit* LineEdit(CWnd& edit) { return qobject_cast<QLineEdit*>(qt::WidgetOf(&edit)); }

QString FromUtf8(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

} // namespace

void Paste(CWnd& edit, std::string_view utf8)
{
    QLineEdit* widget = LineEdit(edit);
    if (!widget) return;
    QApplication::clipboard()->setText(FromUtf8(utf8));
    widget->setFocus();
    widget->paste();
    ProcessEvents();
}

void CommitInputMethod(CWnd& edit, std::string_view utf8)
{
    QLineEdit* widget = LineEdit(edit);
    if (!widget) return;
    widget->setFocus();
    QInputMethodEvent event;
    event.setCommitString(FromUtf8(utf8));
    QCoreApplication::sendEvent(widget, &event);
    ProcessEvents();
}

void InsertAtSelection(CWnd& edit, std::string_view utf8)
{
    QLineEdit* widget = LineEdit(edit);
    if (!widget) return;
    widget->insert(FromUtf8(utf8));
    ProcessEvents();
}

} // namespace mrv::platform::testing
