// The test driver that finds the dialog of a modal run, kept apart from the
// other drivers: it only reads the bookkeeping of DoModal.
#include "platform/Testing.h"

#include "platform/qt/Window.h"

#include <QApplication>

namespace mrv::platform::testing {

CDialog* ActiveModalDialog()
{
    CDialog* found = nullptr;
    for (CDialog* dialog : qt::LiveDialogs()) {
        const qt::DialogWindow* window = qt::WindowOf(dialog->GetSafeHwnd());
        if (!window || !window->modalLoop || window->ended) continue;
        // Of nested runs, the innermost is the one on top of Qt's modal stack.
        if (!found || window->widget == QApplication::activeModalWidget()) found = dialog;
    }
    return found;
}

} // namespace mrv::platform::testing
