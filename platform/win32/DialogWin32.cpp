// Dialog windows on the Windows dialog manager: templates built in memory from
// the program's templates, the dialog procedure that hands messages to the
// message tables, modal runs that disable their owner alone, timers, icons,
// the system menu, and the program's entry.
//
// A modal run works as DialogBoxIndirectParamW does (the owner is disabled
// before the dialog exists, a message loop runs until EndDialog, the owner is
// enabled again before the dialog goes, so that it becomes active), with a loop
// of its own: keyboard navigation then also works in the program's other
// dialogs that the run leaves usable, such as the search window. A modeless
// dialog with an owner is the owner's owned popup: it stays above its owner,
// is minimised and restored with it and has no taskbar button of its own.
#include "platform/Dialog.h"

#include "core/windows/Wide.h"
#include "text/Cp949.h"
#include "platform/HandleRules.h"
#include "platform/Backend.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Fit.h"
#include "platform/win32/Images.h"
#include "platform/win32/Window.h"

#include <commctrl.h>
#include <objbase.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace mrv::platform::win32 {

namespace {

// The dialog windows that exist, by their window.
std::map<HWND, std::shared_ptr<DialogWindow>>& Live()
{
    static std::map<HWND, std::shared_ptr<DialogWindow>> live;
    return live;
}

// The dialog windows whose handlers run now, innermost last.
std::vector<DialogWindow*>& Dispatching()
{
    static std::vector<DialogWindow*> stack;
    return stack;
}

// Holds a window alive and marks it as the one whose handler runs.
class DispatchScope {
public:
    explicit DispatchScope(std::shared_ptr<DialogWindow> window) : m_window(std::move(window))
    {
        Dispatching().push_back(m_window.get());
    }
    ~DispatchScope() { Dispatching().pop_back(); }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    std::shared_ptr<DialogWindow> m_window;
};

std::shared_ptr<DialogWindow> SharedOf(HWND hwnd)
{
    const auto it = Live().find(hwnd);
    return it == Live().end() ? nullptr : it->second;
}

// ---- Templates in memory ---------------------------------------------------------------------

// An extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items),
// written field by field: the headers declare no structures for it.
class TemplateWriter {
public:
    void Word(WORD value) { Append(&value, sizeof value); }
    void DWord(DWORD value) { Append(&value, sizeof value); }
    void Short(short value) { Append(&value, sizeof value); }
    void Byte(BYTE value) { Append(&value, sizeof value); }
    void Text(const std::wstring& text)
    {
        Append(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    void Ordinal(WORD value)
    {
        Word(0xFFFF);
        Word(value);
    }
    void AlignDWord()
    {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
    }
    const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

private:
    void Append(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }
    std::vector<unsigned char> m_bytes;
};

std::wstring Utf16(const char* utf8) { return os::WideFromUtf8(utf8 ? utf8 : ""); }

DWORD DialogStyleOf(std::uint32_t style)
{
    DWORD result = WS_POPUP | DS_SETFONT | DS_CENTER;
    if (style & DialogStyle::NoBorder) return result;
    if (style & DialogStyle::Caption) result |= WS_CAPTION;
    if (style & DialogStyle::SysMenu) result |= WS_SYSMENU;
    if (style & DialogStyle::MinimizeBox) result |= WS_MINIMIZEBOX;
    if (style & DialogStyle::ModalFrame) result |= DS_MODALFRAME;
    return result;
}

DWORD ControlStyleOf(const ControlTemplate& control)
{
    const std::uint32_t s = control.style;
    DWORD style = WS_CHILD;
    if (!(s & ControlStyle::Hidden)) style |= WS_VISIBLE;
    if (s & ControlStyle::Disabled) style |= WS_DISABLED;
    if (s & ControlStyle::Group) style |= WS_GROUP;
    if (s & ControlStyle::TabStop) style |= WS_TABSTOP;
    if (s & ControlStyle::Border) style |= WS_BORDER;
    switch (control.kind) {
    case ControlKind::PushButton:
        style |= (s & ControlStyle::Default) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (s & ControlStyle::MultiLine) style |= BS_MULTILINE;
        break;
    case ControlKind::CheckBox:
        style |= BS_AUTOCHECKBOX;
        if (s & ControlStyle::MultiLine) style |= BS_MULTILINE;
        break;
    case ControlKind::RadioButton:
        style |= BS_AUTORADIOBUTTON;
        if (s & ControlStyle::MultiLine) style |= BS_MULTILINE;
        break;
    case ControlKind::GroupBox: style |= BS_GROUPBOX; break;
    case ControlKind::Edit:
        style |= ES_LEFT;
        if (s & ControlStyle::AutoHScroll) style |= ES_AUTOHSCROLL;
        break;
    case ControlKind::Static:
        style |= (s & ControlStyle::Center) ? SS_CENTER : (s & ControlStyle::Right) ? SS_RIGHT : SS_LEFT;
        if (s & ControlStyle::VCenter) style |= SS_CENTERIMAGE;
        if (s & ControlStyle::Sunken) style |= SS_SUNKEN;
        if (s & ControlStyle::NoPrefix) style |= SS_NOPREFIX;
        break;
    case ControlKind::ListView:
        style |= LVS_REPORT | LVS_SHOWSELALWAYS;
        if (s & ControlStyle::SingleSel) style |= LVS_SINGLESEL;
        if (s & ControlStyle::OwnerDraw) style |= LVS_OWNERDRAWFIXED;
        break;
    case ControlKind::Bitmap: style |= SS_BITMAP; break;
    case ControlKind::Icon: style |= SS_ICON; break;
    case ControlKind::Line: style |= SS_BLACKFRAME; break;
    }
    return style;
}

DWORD ControlExStyleOf(const ControlTemplate& control)
{
    if (control.kind == ControlKind::PushButton && (control.style & ControlStyle::Raised)) return WS_EX_DLGMODALFRAME;
    if (control.kind == ControlKind::Edit && (control.style & ControlStyle::Border)) return WS_EX_CLIENTEDGE;
    if (control.kind == ControlKind::ListView && (control.style & ControlStyle::Border)) return WS_EX_CLIENTEDGE;
    return 0;
}

// The dialog's template in the form the dialog manager builds windows from:
// the font 굴림 with the Korean character set, so that where 굴림 is missing
// the system's font mapper picks a Korean font of its own.
TemplateWriter BuildTemplate(const DialogTemplate& tmpl, bool visible)
{
    TemplateWriter w;
    w.Word(1);       // version
    w.Word(0xFFFF);  // extended template
    w.DWord(0);      // help id
    w.DWord((tmpl.style & DialogStyle::AppWindow) ? WS_EX_APPWINDOW : 0);
    w.DWord(DialogStyleOf(tmpl.style) | (visible ? WS_VISIBLE : 0));
    w.Word(static_cast<WORD>(tmpl.controls.size()));
    w.Short(0);
    w.Short(0);
    w.Short(static_cast<short>(tmpl.cx));
    w.Short(static_cast<short>(tmpl.cy));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(Utf16(tmpl.title));
    w.Word(static_cast<WORD>(tmpl.pointSize > 0 ? tmpl.pointSize : 9));
    w.Word(FW_NORMAL);
    w.Byte(FALSE);
    w.Byte(HANGEUL_CHARSET);
    w.Text(Utf16(tmpl.fontFace && *tmpl.fontFace ? tmpl.fontFace : "굴림"));
    for (const ControlTemplate& control : tmpl.controls) {
        w.AlignDWord();
        w.DWord(0);
        w.DWord(ControlExStyleOf(control));
        w.DWord(ControlStyleOf(control));
        w.Short(static_cast<short>(control.x));
        w.Short(static_cast<short>(control.y));
        w.Short(static_cast<short>(control.cx));
        w.Short(static_cast<short>(control.cy));
        w.DWord(static_cast<DWORD>(control.id));
        switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::GroupBox: w.Ordinal(0x0080); break;
        case ControlKind::Edit: w.Ordinal(0x0081); break;
        case ControlKind::ListView: w.Text(WC_LISTVIEWW); break;
        default: w.Ordinal(0x0082); break;
        }
        if (control.kind == ControlKind::Bitmap || control.kind == ControlKind::Icon)
            w.Ordinal(static_cast<WORD>(control.resourceId));
        else
            w.Text(Utf16(control.caption));
        w.Word(0);  // no creation data
    }
    return w;
}

// ---- Owners ------------------------------------------------------------------------------------

void Own(CDialog* owner, CDialog& owned) { mrv::platform::backend::Own(owner ? WindowOf(owner->GetSafeHwnd()) : nullptr, owned); }

void Disown(CDialog* owner, CDialog& owned)
{
    mrv::platform::backend::Disown(owner ? WindowOf(owner->GetSafeHwnd()) : nullptr, owned);
}

// ---- The dialog procedure ------------------------------------------------------------------------

// A picture control shows its image: the dialog manager has loaded it from
// the module's resources where they hold it, else it comes from the program's images.
void ShowImage(DialogWindow& window, WindowHandle& picture)
{
    if (!picture.hwnd) return;
    const bool bitmap = picture.control->kind == ControlKind::Bitmap;
    const UINT type = bitmap ? IMAGE_BITMAP : IMAGE_ICON;
    if (SendMessageW(picture.hwnd, STM_GETIMAGE, type, 0)) return;
    if (bitmap) {
        if (HBITMAP image = LoadProgramBitmap(picture.control->resourceId)) {
            window.bitmaps.push_back(image);
            SendMessageW(picture.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
        }
    } else if (HICON icon = LoadProgramIcon(picture.control->resourceId, GetSystemMetrics(SM_CXICON))) {
        window.icons.push_back(icon);
        SendMessageW(picture.hwnd, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
}

// Binds the window and its controls (in template order, which is the order
// of the dialog's children) to the framework's handles.
void Bind(DialogWindow& window, HWND hwnd)
{
    window.self.hwnd = hwnd;
    window.self.window = &window;
    HWND child = GetWindow(hwnd, GW_CHILD);
    for (std::size_t i = 0; i < window.tmpl->controls.size(); ++i) {
        auto handle = std::make_unique<WindowHandle>();
        handle->hwnd = child;
        handle->window = &window;
        handle->control = &window.tmpl->controls[i];
        handle->index = static_cast<int>(i);
        if (handle->control->kind == ControlKind::ListView) PrepareList(window, *handle);
        if (handle->control->kind == ControlKind::Edit) PrepareEdit(*handle);
        if (handle->control->kind == ControlKind::Bitmap || handle->control->kind == ControlKind::Icon) ShowImage(window, *handle);
        window.controls.push_back(std::move(handle));
        child = child ? GetWindow(child, GW_HWNDNEXT) : nullptr;
    }
}

void PaintMinimized(HWND hwnd, const DialogWindow& window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    // The icon centred in the client rectangle.
    RECT client;
    GetClientRect(hwnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    if (window.bigIcon) DrawIcon(dc, x, y, window.bigIcon);
    EndPaint(hwnd, &paint);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* raw = reinterpret_cast<DialogWindow*>(lParam);
        std::shared_ptr<DialogWindow> window = raw->keepAlive;
        raw->keepAlive.reset();
        Live()[hwnd] = window;
        Bind(*window, hwnd);
        CDialog* dialog = window->dialog;
        dialog->Attach(&window->self);
        DispatchScope scope(window);
        // True: the dialog manager gives the focus to the first tab stop.
        const BOOL focus = dialog->OnInitDialog() ? TRUE : FALSE;
        // Its lists have their columns now: room for every text in the font it got.
        if (window->dialog) FitToFont(*window);
        return focus;
    }
    const std::shared_ptr<DialogWindow> window = SharedOf(hwnd);
    if (!window) return FALSE;
    if (message == WM_NCDESTROY) {
        for (HBITMAP bitmap : window->bitmaps) DeleteObject(bitmap);
        for (HICON icon : window->icons) DestroyIcon(icon);
        Live().erase(hwnd);
        return FALSE;
    }
    if (message == WM_DESTROY) {
        // Destroyed by the system (with its owner, say): the dialog hears of
        // it as when it destroys itself.
        if (window->dialog && !window->destroying) {
            window->destroyedBySystem = true;
            window->dialog->DestroyWindow();
        }
        return FALSE;
    }
    CDialog* dialog = window->dialog;
    if (!dialog) return FALSE;
    DispatchScope scope(window);
    switch (message) {
    case WM_COMMAND: {
        const int code = HIWORD(wParam);
        if ((code == EN_UPDATE || code == EN_CHANGE) && lParam) {
            for (auto& control : window->controls) {
                if (control->hwnd != reinterpret_cast<HWND>(lParam) || control->control->kind != ControlKind::Edit) continue;
                if (code == EN_UPDATE) HoldEditRules(*control);
                else if (IsRefusedChange(*control)) return TRUE;
            }
        }
        dialog->DispatchCommand(code, LOWORD(wParam));
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        MessageResult result = 0;
        if (HandleListNotify(*window, header, &result)) {
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        WindowHandle* from = nullptr;
        for (auto& control : window->controls)
            if (control->hwnd == header->hwndFrom) from = control.get();
        if (!from) return FALSE;
        NotifyHeader notify{ObjectOf(*from), static_cast<int>(header->idFrom), static_cast<int>(header->code)};
        if (!dialog->DispatchNotify(&notify, &result)) return FALSE;
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_DRAWITEM:
        return DrawListItem(*window, reinterpret_cast<DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_TIMER:
        dialog->DispatchTimer(static_cast<unsigned>(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        dialog->DispatchSysCommand(static_cast<unsigned>(wParam), lParam);
        return TRUE;
    case WM_CLOSE:
        dialog->DispatchClose();
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        dialog->DispatchMouse(message == WM_LBUTTONDOWN ? Msg::LButtonDown : Msg::LButtonDblClk,
                              static_cast<unsigned>(wParam), CPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return TRUE;
    case WM_PAINT:
        // Minimised to an icon of its own (where the system still draws one),
        // the dialog shows its icon.
        if (IsIconic(hwnd) && window->bigIcon) {
            PaintMinimized(hwnd, *window);
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        // The icon that stands for the window while it is dragged minimised.
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(window->smallIcon ? window->smallIcon : window->bigIcon));
        return window->bigIcon || window->smallIcon ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

HWND RootOf(HWND hwnd) { return hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr; }

// Creates the dialog's window; nullptr when the dialog manager could not.
HWND CreateDialogWindow(const std::shared_ptr<DialogWindow>& window, HWND owner, bool visible)
{
    const TemplateWriter tmpl = BuildTemplate(*window->tmpl, visible);
    window->keepAlive = window;
    HWND hwnd = CreateDialogIndirectParamW(Instance(), tmpl.Data(), owner, DialogProc, reinterpret_cast<LPARAM>(window.get()));
    window->keepAlive.reset();
    return hwnd;
}

} // namespace

// ---- Shared helpers ---------------------------------------------------------------------------

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

HWND HwndOf(const CWnd* window) { return window && window->GetSafeHwnd() ? window->GetSafeHwnd()->hwnd : nullptr; }

DialogWindow* WindowOf(WindowHandle* handle) { return handle ? handle->window : nullptr; }

DialogWindow* WindowOfHwnd(HWND hwnd)
{
    const auto window = SharedOf(RootOf(hwnd));
    if (window) return window.get();
    // A dialog that is a child of no other: its own window.
    const auto own = SharedOf(hwnd);
    return own ? own.get() : nullptr;
}

WindowHandle* HandleOfHwnd(HWND hwnd)
{
    DialogWindow* window = WindowOfHwnd(hwnd);
    if (!window) return nullptr;
    if (window->self.hwnd == hwnd) return &window->self;
    for (auto& control : window->controls)
        if (control->hwnd == hwnd) return control.get();
    return nullptr;
}

std::vector<CDialog*> LiveDialogs()
{
    std::vector<CDialog*> dialogs;
    for (auto& [hwnd, window] : Live())
        if (window->dialog) dialogs.push_back(window->dialog);
    return dialogs;
}

bool IsDisabledByModal(HWND hwnd)
{
    for (auto& [dialog, window] : Live())
        if (window->disabledOwner == hwnd) return true;
    return false;
}

CDialog* InnermostModal()
{
    // Nested runs: the innermost one is the one whose owner is not disabled by another.
    CDialog* found = nullptr;
    for (auto& [hwnd, window] : Live()) {
        if (!window->dialog || !window->running || window->ended) continue;
        if (!found || !IsDisabledByModal(hwnd)) found = window->dialog;
    }
    return found;
}

CDialog* DispatchingDialog()
{
    for (auto it = Dispatching().rbegin(); it != Dispatching().rend(); ++it)
        if ((*it)->dialog) return (*it)->dialog;
    return nullptr;
}

CWnd* ObjectOf(WindowHandle& handle) { return backend::ObjectOf(handle); }

HWND PromptOwner(CWnd* owner)
{
    const auto usable = [](CWnd* window) -> HWND {
        CDialog* dialog = window ? window->GetParentDialog() : nullptr;
        return dialog && dialog->IsAttached() && dialog->IsWindowVisible() ? HwndOf(dialog) : nullptr;
    };
    // The framework has chosen the owner already (see AfxMessageBox); none means none.
    return owner ? usable(owner) : nullptr;
}

std::wstring WideFromCp949(const std::string& cp949) { return os::WideFromUtf8(text::Cp949ToUtf8Lossy(cp949)); }

std::string Cp949FromWide(const std::wstring& wide) { return text::Utf8ToCp949Lossy(os::Utf8FromWide(wide)); }

std::wstring WindowTextOf(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(std::max(0, GetWindowTextLengthW(hwnd))) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())))));
    return text;
}

void DispatchOne(MSG& msg)
{
    // Tab, Enter, Escape and mnemonics for the dialog the message is meant for.
    if (HWND root = RootOf(msg.hwnd); root && SharedOf(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

} // namespace mrv::platform::win32

// ---- CDialog -------------------------------------------------------------------------------------

using mrv::platform::win32::DialogWindow;
using mrv::platform::win32::Disown;
using mrv::platform::win32::Own;
using mrv::platform::win32::WindowOf;

std::intptr_t CDialog::DoModal()
{
    const DialogTemplate* tmpl = FindDialogTemplate(m_templateId);
    if (!tmpl || IsAttached()) return -1;
    CDialog* owner = mrv::platform::backend::ModalOwner(*this);
    HWND ownerHwnd = mrv::platform::win32::HwndOf(owner);
    auto window = std::make_shared<DialogWindow>();
    window->dialog = this;
    window->tmpl = tmpl;
    window->owner = owner;
    window->modal = true;
    Own(owner, *this);  // should the owner go first, it takes this run with it
    // The owner is disabled before the dialog exists: whatever its
    // initialisation does, the dialog never shows beside a usable owner.
    if (ownerHwnd && ::IsWindowEnabled(ownerHwnd)) {
        ::EnableWindow(ownerHwnd, FALSE);
        window->disabledOwner = ownerHwnd;
    }
    HWND hwnd = mrv::platform::win32::CreateDialogWindow(window, ownerHwnd, false);
    if (!hwnd) {
        if (window->disabledOwner) ::EnableWindow(window->disabledOwner, TRUE);
        Disown(owner, *this);
        return -1;
    }
    if (window->dialog && !window->ended) {
        ::ShowWindow(hwnd, SW_SHOW);
        window->running = true;
        mrv::platform::win32::PumpUntil([&] { return window->ended || !window->dialog; });
        window->running = false;
    }
    const int result = window->result;
    // The owner takes the activation back before this window goes.
    if (window->disabledOwner) {
        ::EnableWindow(window->disabledOwner, TRUE);
        window->disabledOwner = nullptr;
    }
    DestroyWindow();
    return result;
}

bool mrv::platform::backend::CreateModeless(CDialog& dialog, const DialogTemplate& tmpl, CDialog* owner)
{
    auto window = std::make_shared<DialogWindow>();
    window->dialog = &dialog;
    window->tmpl = &tmpl;
    window->owner = owner;
    ::Own(owner, dialog);
    HWND hwnd = mrv::platform::win32::CreateDialogWindow(window, mrv::platform::win32::HwndOf(owner),
                                                         (tmpl.style & DialogStyle::Visible) != 0);
    if (!hwnd) ::Disown(owner, dialog);
    return hwnd != nullptr && window->dialog != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return;
    window->result = nResult;
    window->ended = true;
    // A modal run's loop sees the end; its window goes once the owner is back.
    if (!window->modal) ::ShowWindow(window->self.hwnd, SW_HIDE);
}

void CDialog::DestroyWindow()
{
    DialogWindow* raw = WindowOf(m_hWnd);
    if (!raw || raw->destroying) return;
    HWND hwnd = raw->self.hwnd;
    const std::shared_ptr<DialogWindow> window = mrv::platform::win32::SharedOf(hwnd);
    if (!window) return;
    window->destroying = true;

    // Owned windows go first, then this one hears of its end while it still exists.
    for (CDialog* owned : std::vector<CDialog*>(window->owned)) owned->DestroyWindow();
    {
        mrv::platform::win32::DispatchScope scope(window);
        DispatchDestroy();
    }
    if (window->disabledOwner) {
        ::EnableWindow(window->disabledOwner, TRUE);
        window->disabledOwner = nullptr;
    }
    Disown(window->owner, *this);
    ReleaseControlObjects();
    for (auto& control : window->controls)
        if (control->wrapper) control->wrapper->Detach();
    window->dialog = nullptr;
    Detach();
    if (!window->destroyedBySystem) ::DestroyWindow(hwnd);
}

unsigned CDialog::SetTimer(unsigned nIDEvent, unsigned elapseMs)
{
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return 0;
    return ::SetTimer(window->self.hwnd, nIDEvent, elapseMs, nullptr) ? nIDEvent : 0;
}

bool CDialog::KillTimer(unsigned nIDEvent)
{
    DialogWindow* window = WindowOf(m_hWnd);
    return window && ::KillTimer(window->self.hwnd, nIDEvent);
}

void CDialog::SetIcon(int iconResourceId, bool big)
{
    DialogWindow* window = WindowOf(m_hWnd);
    if (!window) return;
    const int cx = GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
    HICON icon = mrv::platform::win32::LoadProgramIcon(iconResourceId, cx);
    if (!icon) return;
    window->icons.push_back(icon);
    (big ? window->bigIcon : window->smallIcon) = icon;
    SendMessageW(window->self.hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// ---- The system menu -----------------------------------------------------------------------------

bool CDialog::HasSystemMenu() const
{
    const DialogWindow* window = WindowOf(m_hWnd);
    return window && (window->tmpl->style & DialogStyle::SysMenu);
}

void CDialog::AppendSystemMenuSeparator()
{
    if (!HasSystemMenu()) return;
    if (HMENU menu = GetSystemMenu(m_hWnd->hwnd, FALSE)) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void CDialog::AppendSystemMenuItem(unsigned id, const std::string& textCp949)
{
    if (!HasSystemMenu()) return;
    const std::wstring text = mrv::platform::win32::WideFromCp949(textCp949);
    if (HMENU menu = GetSystemMenu(m_hWnd->hwnd, FALSE)) AppendMenuW(menu, MF_STRING, id, text.c_str());
}

// ---- The program's entry -------------------------------------------------------------------------

int AfxWinMain(int, char**)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder browser is a shell object.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (length < module.size()) {
            module.resize(length);
            break;
        }
        module.resize(module.size() * 2);
    }
    mrv::platform::backend::SetProgramName(mrv::os::Utf8FromWide(module));
    int status = 1;
    if (CWinApp* app = AfxGetApp()) {
        if (app->m_pszAppName.empty()) app->m_pszAppName = mrv::platform::backend::ProgramName();
        app->InitInstance();
        for (CDialog* dialog : mrv::platform::win32::LiveDialogs()) dialog->DestroyWindow();
        status = 0;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}

// ---- What the neutral framework asks of the backend ------------------------------------------------

namespace mrv::platform::backend {

WindowHandle* FindControl(WindowHandle* dialog, int id)
{
    win32::DialogWindow* window = win32::WindowOf(dialog);
    if (!window) return nullptr;
    for (auto& control : window->controls)
        if (control->control->id == id) return control.get();
    return nullptr;
}

ControlKind KindOf(WindowHandle* control) { return control && control->control ? control->control->kind : ControlKind::Static; }

CPoint DialogBaseUnits(WindowHandle* dialog)
{
    // The dialog manager's own conversion of the dialog font's units.
    if (!dialog || !dialog->hwnd) return {};
    RECT units{0, 0, 4, 8};
    if (!MapDialogRect(dialog->hwnd, &units)) return {};
    return {units.right, units.bottom};
}

CDialog* ActiveDialog() { return win32::DispatchingDialog(); }

void DefaultSysCommand(WindowHandle* dialog, unsigned nID, std::intptr_t lParam)
{
    // Moving, sizing, minimising, the keyboard's menu: the system's own handling.
    if (dialog && dialog->hwnd) DefWindowProcW(dialog->hwnd, WM_SYSCOMMAND, nID, lParam);
}

} // namespace mrv::platform::backend
