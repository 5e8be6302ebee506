// The toolkit-neutral part of the dialog framework: message tables and their
// dispatch, data exchange passes, the default OK/Cancel/close handling, control
// objects by id, and the application object. Window creation, modal loops,
// timers and the controls themselves live in the backend (platform/qt/).
#include "platform/Dialog.h"

#include "core/FileSystem.h"
#include "text/Cp949.h"
#include "platform/DataExchange.h"
#include "platform/Services.h"
#include "platform/Backend.h"

#include <exception>
#include <filesystem>
#include <new>
#include <utility>

namespace {

CWinApp* g_app = nullptr;
std::string g_programName;

template <class Handler>
const Handler* HandlerOf(const MessageMapEntry* entry)
{
    return entry ? std::get_if<Handler>(&entry->handler) : nullptr;
}

std::unique_ptr<CWnd> MakeWrapper(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return std::make_unique<CButton>();
    case ControlKind::ListView: return std::make_unique<CListCtrl>();
    default: return std::make_unique<CWnd>();
    }
}

// Runs a handler. Nothing it throws may reach the toolkit's event loop, which
// would end the program with the user's work: the user is told instead, and
// the window goes on. (Files are written whole or not at all, so an
// interrupted handler leaves nothing half-written.)
template <class Fn>
void Guarded(CDialog& dialog, Fn&& fn)
{
    const char* problem = nullptr;
    std::string detail;
    try {
        fn();
        return;
    } catch (const std::bad_alloc&) {
        problem = "메모리가 모자라서 이 일을 마치지 못했습니다.";
    } catch (const std::exception& e) {
        problem = "뜻밖의 오류로 이 일을 마치지 못했습니다: ";
        detail = e.what();
    }
    try {
        std::string text = mrv::text::K(problem) + mrv::text::Utf8ToCp949Lossy(detail);
        dialog.MessageBoxCp949(text, mrv::platform::backend::ProgramName(), MsgBox::Ok | MsgBox::IconError);
    } catch (...) {
        // Not even the message could be shown; the window goes on all the same.
    }
}

} // namespace

// ---- Message tables -------------------------------------------------------------

const MessageMap* CDialog::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CDialog::GetThisMessageMap()
{
    static const MessageMap map{nullptr, {}};
    return &map;
}

const MessageMapEntry* CDialog::FindEntry(Msg msg, int code, int id) const
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base)
        for (const MessageMapEntry& entry : map->entries)
            if (entry.msg == msg && entry.code == code && entry.id == id) return &entry;
    return nullptr;
}

bool CDialog::DispatchCommand(int code, int id)
{
    // A write into a control must not start that control's change handler.
    if (code == NotifyCode::EditChange && IsExchangeRunning()) return false;
    if (const auto* handler = HandlerOf<CommandHandler>(FindEntry(Msg::Command, code, id))) {
        Guarded(*this, [&] { (this->*(*handler))(); });
        return true;
    }
    if (code != NotifyCode::ButtonClicked) return false;
    if (id == CommandId::Ok) {
        Guarded(*this, [&] { OnOK(); });
        return true;
    }
    if (id == CommandId::Cancel) {
        Guarded(*this, [&] { OnCancel(); });
        return true;
    }
    return false;
}

bool CDialog::DispatchNotify(NotifyHeader* pNMHDR, MessageResult* pResult)
{
    const auto* handler = HandlerOf<NotifyHandler>(FindEntry(Msg::Notify, pNMHDR->code, pNMHDR->idFrom));
    if (!handler) return false;
    Guarded(*this, [&] { (this->*(*handler))(pNMHDR, pResult); });
    return true;
}

void CDialog::DispatchMouse(Msg msg, unsigned flags, CPoint point)
{
    if (const auto* handler = HandlerOf<MouseHandler>(FindEntry(msg, 0, 0)))
        Guarded(*this, [&] { (this->*(*handler))(flags, point); });
}

void CDialog::DispatchTimer(unsigned id)
{
    if (const auto* handler = HandlerOf<TimerHandler>(FindEntry(Msg::Timer, 0, 0)))
        Guarded(*this, [&] { (this->*(*handler))(id); });
}

void CDialog::DispatchSysCommand(unsigned nID, std::intptr_t lParam)
{
    if (const auto* handler = HandlerOf<SysCommandHandler>(FindEntry(Msg::SysCommand, 0, 0))) {
        Guarded(*this, [&] { (this->*(*handler))(nID, lParam); });
        return;
    }
    Guarded(*this, [&] { OnSysCommand(nID, lParam); });
}

void CDialog::DispatchClose()
{
    if (const auto* handler = HandlerOf<CommandHandler>(FindEntry(Msg::Close, 0, 0))) {
        Guarded(*this, [&] { (this->*(*handler))(); });
        return;
    }
    Guarded(*this, [&] { OnClose(); });
}

void CDialog::DispatchDestroy()
{
    if (const auto* handler = HandlerOf<CommandHandler>(FindEntry(Msg::Destroy, 0, 0)))
        Guarded(*this, [&] { (this->*(*handler))(); });
}

// ---- Default handling ---------------------------------------------------------------

CDialog::CDialog(int templateId, CWnd* pParentWnd) : m_templateId(templateId), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() { DestroyWindow(); }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    ++m_exchangeDepth;
    DoDataExchange(&dx);
    --m_exchangeDepth;
    return !dx.Failed();
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::OnOK()
{
    if (!UpdateData(true)) return;
    EndDialog(CommandId::Ok);
}

void CDialog::OnCancel() { EndDialog(CommandId::Cancel); }

void CDialog::OnClose() { DispatchCommand(NotifyCode::ButtonClicked, CommandId::Cancel); }

void CDialog::OnSysCommand(unsigned nID, std::intptr_t lParam)
{
    if ((nID & 0xFFF0) == SysCommand::Close)
        DispatchClose();
    else
        mrv::platform::backend::DefaultSysCommand(m_hWnd, nID, lParam);
}

void CDialog::OnLButtonDown(unsigned, CPoint) {}

void CDialog::OnLButtonDblClk(unsigned, CPoint) {}

CPoint CDialog::FixedPixels(CPoint gulimPixels) const
{
    // 굴림 9 point, the font the fixed measures were made for.
    constexpr CPoint kGulimBaseUnits{7, 12};
    const CPoint units = mrv::platform::backend::DialogBaseUnits(m_hWnd);
    if (units.x <= 0 || units.y <= 0) return gulimPixels;
    const auto scale = [](int v, int to, int from) { return (v * to + (v >= 0 ? from / 2 : -from / 2)) / from; };
    return {scale(gulimPixels.x, units.x, kGulimBaseUnits.x), scale(gulimPixels.y, units.y, kGulimBaseUnits.y)};
}

int CDialog::MessageBoxCp949(const std::string& text, const std::string& caption, unsigned type)
{
    return mrv::platform::GetServices().MessageBoxCp949(this, text, caption, type);
}

// ---- Controls by id -------------------------------------------------------------------

CWnd* CDialog::GetDlgItem(int id) const
{
    if (auto it = m_attached.find(id); it != m_attached.end()) return it->second;
    WindowHandle* control = mrv::platform::backend::FindControl(m_hWnd, id);
    if (!control) return nullptr;
    std::unique_ptr<CWnd>& wrapper = m_wrappers[id];
    if (!wrapper || wrapper->GetSafeHwnd() != control) {
        wrapper = MakeWrapper(mrv::platform::backend::KindOf(control));
        wrapper->Attach(control);
    }
    return wrapper.get();
}

void CDialog::RegisterControlObject(int id, CWnd* object)
{
    if (object)
        m_attached[id] = object;
    else
        m_attached.erase(id);
}

CWnd* CDialog::ControlObject(int id) const
{
    auto it = m_attached.find(id);
    return it == m_attached.end() ? nullptr : it->second;
}

void CDialog::ReleaseControlObjects()
{
    for (auto& [id, object] : m_attached) object->Detach();
    m_attached.clear();
    for (auto& [id, wrapper] : m_wrappers) wrapper->Detach();
    m_wrappers.clear();
}

// ---- List defaults ----------------------------------------------------------------------

bool CListCtrl::OnChildNotify(unsigned, std::uintptr_t, std::intptr_t, MessageResult*) { return false; }

void CListCtrl::DrawItem(DrawItemStruct*) {}

// ---- Application ----------------------------------------------------------------------

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

bool CWinApp::InitInstance() { return true; }

CWinApp* AfxGetApp() { return g_app; }

int AfxMessageBox(const std::string& text, unsigned type)
{
    CWinApp* app = AfxGetApp();
    const std::string& caption =
        app && !app->m_pszAppName.empty() ? app->m_pszAppName : mrv::platform::backend::ProgramName();
    // Owned by the window the user works in, so that only it is blocked.
    CWnd* owner = mrv::platform::backend::ActiveDialog();
    if (!owner && app && app->m_pMainWnd && app->m_pMainWnd->IsAttached()) owner = app->m_pMainWnd;
    return mrv::platform::GetServices().MessageBoxCp949(owner, text, caption, type);
}

bool CDialog::Create(int templateId, CWnd* pParentWnd)
{
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    if (!tmpl || IsAttached()) return false;
    m_templateId = templateId;
    m_pParentWnd = pParentWnd;
    return mrv::platform::backend::CreateModeless(*this, *tmpl, pParentWnd ? pParentWnd->GetParentDialog() : nullptr);
}

ControlKind CWnd::GetControlKind() const { return mrv::platform::backend::KindOf(m_hWnd); }

void CWnd::Attach(WindowHandle* hWnd) { m_hWnd = hWnd; }

WindowHandle* CWnd::Detach() { return std::exchange(m_hWnd, nullptr); }

namespace mrv::platform::backend {

CDialog* ModalOwner(const CDialog& dialog)
{
    const auto usable = [&](CWnd* window) -> CDialog* {
        CDialog* owner = window ? window->GetParentDialog() : nullptr;
        return owner && owner != &dialog && owner->IsAttached() && owner->IsWindowVisible() ? owner : nullptr;
    };
    if (CWnd* parent = dialog.GetOwner()) return usable(parent);
    if (CDialog* owner = usable(ActiveDialog())) return owner;
    CWinApp* app = AfxGetApp();
    return usable(app ? app->m_pMainWnd : nullptr);
}

void SetProgramName(std::string_view argv0)
{
    // The file name without its last extension, as the framework's title.
    const std::filesystem::path path = os::PathFromUtf8(argv0);
    g_programName = text::Utf8ToCp949Lossy(os::PathText(path.stem()));
}

const std::string& ProgramName() { return g_programName; }

} // namespace mrv::platform::backend
