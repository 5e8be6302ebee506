// Dialog windows over Qt: creation, modal runs that block their owner alone,
// ending, destruction, timers, icons; and the program's entry.
//
// The owner relation is kept here, not by Qt parenthood: a modeless dialog is a
// top-level window without Qt parent, so a modal prompt of another window never
// blocks it; an owned one is a utility window that its owner's window
// minimises, restores and raises with itself. A modal dialog with an owner is Qt::WindowModal with the owner's
// widget as its Qt parent; one without owner shows and runs a nested event loop
// that blocks nothing. Timers are QTimers, so they fire in every nested loop.
#include "platform/Dialog.h"

#include "platform/HandleRules.h"
#include "platform/Backend.h"
#include "platform/qt/Controls.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QEventLoop>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include <algorithm>

namespace {

using mrv::platform::qt::DialogWindow;
using mrv::platform::qt::WindowOf;

void Own(CDialog* owner, CDialog& owned) { mrv::platform::backend::Own(owner ? WindowOf(owner->GetSafeHwnd()) : nullptr, owned); }

void Disown(CDialog* owner, CDialog& owned)
{
    mrv::platform::backend::Disown(owner ? WindowOf(owner->GetSafeHwnd()) : nullptr, owned);
}

// Runs OnInitDialog; when it returns true, the focus goes to the first tab stop.
void Initialize(CDialog& dialog, const std::shared_ptr<DialogWindow>& window)
{
    if (dialog.OnInitDialog() && window->dialog) mrv::platform::qt::FocusFirstTabStop(*window);
}

// A timer may be killed from its own tick: it goes once that tick is over.
void StopTimer(QTimer* timer)
{
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
}

std::shared_ptr<DialogWindow> SharedOf(DialogWindow* window)
{
    return static_cast<mrv::platform::qt::DialogWidget*>(window->widget)->Window();
}

} // namespace

std::intptr_t CDialog::DoModal()
{
    const DialogTemplate* tmpl = FindDialogTemplate(m_templateId);
    if (!tmpl || IsAttached()) return -1;
    CDialog* owner = mrv::platform::backend::ModalOwner(*this);
    const auto window = mrv::platform::qt::BuildDialogWindow(*this, *tmpl, owner ? owner->GetSafeHwnd()->widget : nullptr);
    window->owner = owner;
    Own(owner, *this);  // should the owner go first, it takes this run with it
    Attach(&window->self);
    // Modal before anything can show it: an initialisation that shows the
    // dialog itself must find it blocking its owner already (the toolkit
    // ignores a modality set on a window already visible).
    window->widget->setWindowModality(owner ? Qt::WindowModal : Qt::NonModal);
    Initialize(*this, window);
    if (window->dialog && !window->ended) {
        mrv::platform::qt::ShowAndActivate(window->widget);
        QEventLoop loop;
        window->modalLoop = &loop;
        loop.exec();
        window->modalLoop = nullptr;
    }
    const int result = window->result;
    DestroyWindow();
    return result;
}

bool mrv::platform::backend::CreateModeless(CDialog& dialog, const DialogTemplate& tmpl, CDialog* owner)
{
    const auto window = mrv::platform::qt::BuildDialogWindow(dialog, tmpl, nullptr);
    window->owner = owner;
    // An owned window stands beside its owner as the application's utility
    // window, without a taskbar entry of its own; its owner minimises,
    // restores and raises it (see DialogWidget). It is not the owner's Qt
    // child: Qt would block it together with its owner under the owner's prompts.
    if (owner) window->widget->setWindowFlags((window->widget->windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);
    ::Own(owner, dialog);
    dialog.Attach(&window->self);
    Initialize(dialog, window);
    if (window->dialog && (tmpl.style & DialogStyle::Visible)) mrv::platform::qt::ShowAndActivate(window->widget);
    return window->dialog != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return;
    window->result = nResult;
    window->ended = true;
    window->widget->hide();
    if (window->modalLoop) window->modalLoop->exit();
}

void CDialog::DestroyWindow()
{
    DialogWindow* raw = WindowOf(m_hWnd);
    if (!raw || raw->destroying) return;
    const std::shared_ptr<DialogWindow> window = SharedOf(raw);
    window->destroying = true;

    // Owned windows go first, then this one hears of its end while it still exists.
    for (CDialog* owned : std::vector<CDialog*>(window->owned)) owned->DestroyWindow();
    DispatchDestroy();

    for (auto& [id, timer] : window->timers) StopTimer(timer);
    window->timers.clear();
    if (window->modalLoop) window->modalLoop->exit();
    Disown(window->owner, *this);
    ReleaseControlObjects();
    for (auto& control : window->controls)
        if (control->wrapper) control->wrapper->Detach();
    window->dialog = nullptr;
    mrv::platform::qt::UnregisterLive(window.get());
    Detach();

    QWidget* widget = window->widget;
    widget->hide();
    // From inside one of its own event handlers the widget must outlive the handler.
    if (window->dispatching > 0)
        widget->deleteLater();
    else
        delete widget;
}

unsigned CDialog::SetTimer(unsigned nIDEvent, unsigned elapseMs)
{
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return 0;
    QTimer*& timer = window->timers[nIDEvent];
    if (!timer) {
        timer = new QTimer(window->widget);
        std::shared_ptr<DialogWindow> shared = SharedOf(window);
        QObject::connect(timer, &QTimer::timeout, timer, [shared, nIDEvent] {
            if (!shared->dialog) return;
            mrv::platform::qt::DispatchScope scope(shared);
            scope.Dialog()->DispatchTimer(nIDEvent);
        });
    }
    timer->start(static_cast<int>(elapseMs));
    return nIDEvent;
}

bool CDialog::KillTimer(unsigned nIDEvent)
{
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return false;
    auto it = window->timers.find(nIDEvent);
    if (it == window->timers.end()) return false;
    StopTimer(it->second);
    window->timers.erase(it);
    return true;
}

void CDialog::SetIcon(int iconResourceId, bool /*big*/)
{
    // One icon with every size of the resource: the toolkit picks the size it needs.
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return;
    QIcon icon;
    for (const ImageResource& image : FindImageResource(iconResourceId)) {
        QPixmap pixmap;
        if (pixmap.loadFromData(image.png.data(), static_cast<uint>(image.png.size()), "PNG")) icon.addPixmap(pixmap);
    }
    if (!icon.isNull()) window->widget->setWindowIcon(icon);
}

int AfxWinMain(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The toolkit's own texts (the file dialog, Yes and No) in Korean, like the
    // program's; without the translations installed they stay in English.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkitTexts);
    // Windows come and go with the dialogs; the program ends when InitInstance returns.
    QApplication::setQuitOnLastWindowClosed(false);
    mrv::platform::backend::SetProgramName(argc > 0 ? argv[0] : "");
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    if (app->m_pszAppName.empty()) app->m_pszAppName = mrv::platform::backend::ProgramName();
    app->InitInstance();
    for (CDialog* dialog : mrv::platform::qt::LiveDialogs()) dialog->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
