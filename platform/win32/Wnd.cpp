// CWnd and CButton over the dialog manager's windows.
#include "platform/Wnd.h"

#include "platform/HandleRules.h"
#include "platform/Backend.h"
#include "platform/win32/Controls.h"

#include <algorithm>
#include <utility>

using mrv::platform::win32::Cp949FromWide;
using mrv::platform::win32::WideFromCp949;
using mrv::platform::win32::WindowTextOf;

namespace {

HWND Hwnd(const WindowHandle* handle) { return handle ? handle->hwnd : nullptr; }

bool IsEdit(const WindowHandle* handle) { return handle && handle->control && handle->control->kind == ControlKind::Edit; }

bool IsPicture(const WindowHandle* handle)
{
    return handle && handle->control && (handle->control->kind == ControlKind::Bitmap || handle->control->kind == ControlKind::Icon);
}

// Controls whose text the user never sees (lists, pictures) keep it here.
constexpr const wchar_t* kTextProperty = L"mrvWindowText";

std::wstring* HiddenText(HWND hwnd) { return static_cast<std::wstring*>(GetPropW(hwnd, kTextProperty)); }

} // namespace

CWnd::~CWnd() { mrv::platform::backend::ForgetObject(m_hWnd, this); }

std::string CWnd::GetWindowTextCp949() const
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return {};
    if (IsPicture(m_hWnd) || (m_hWnd->control && m_hWnd->control->kind == ControlKind::ListView)) {
        const std::wstring* text = HiddenText(hwnd);
        return text ? Cp949FromWide(*text) : std::string();
    }
    return Cp949FromWide(WindowTextOf(hwnd));
}

void CWnd::SetWindowTextCp949(const std::string& cp949)
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return;
    const std::wstring text = WideFromCp949(cp949);
    if (IsPicture(m_hWnd) || (m_hWnd->control && m_hWnd->control->kind == ControlKind::ListView)) {
        // A picture's window text names its image; the text is kept aside.
        std::wstring* kept = HiddenText(hwnd);
        if (!kept) {
            kept = new std::wstring;
            SetPropW(hwnd, kTextProperty, kept);
            m_hWnd->window->hiddenTexts.emplace_back(kept);
        }
        *kept = text;
        return;
    }
    // The same text again would still notify a change.
    if (WindowTextOf(hwnd) != text) SetWindowTextW(hwnd, text.c_str());
}

void CWnd::EnableWindow(bool enable)
{
    if (HWND hwnd = Hwnd(m_hWnd)) ::EnableWindow(hwnd, enable ? TRUE : FALSE);
}

bool CWnd::IsWindowEnabled() const
{
    HWND hwnd = Hwnd(m_hWnd);
    // A dialog that a modal run disables is still enabled in the program's own sense.
    if (!hwnd) return false;
    if (!m_hWnd->control && mrv::platform::win32::IsDisabledByModal(hwnd)) return true;
    return ::IsWindowEnabled(hwnd) != FALSE;
}

void CWnd::ShowWindow(int nCmdShow)
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return;
    if (nCmdShow == ShowCmd::Hide) {
        ::ShowWindow(hwnd, SW_HIDE);
        return;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    if (!m_hWnd->control) SetForegroundWindow(hwnd);
}

bool CWnd::IsWindowVisible() const
{
    HWND hwnd = Hwnd(m_hWnd);
    return hwnd && ::IsWindowVisible(hwnd);
}

void CWnd::SetFocus()
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return;
    // In a dialog, the dialog manager moves the focus (and selects an edit's text).
    HWND dialog = m_hWnd->control ? m_hWnd->window->self.hwnd : nullptr;
    if (dialog && GetActiveWindow() == dialog)
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd), TRUE);
    else
        ::SetFocus(hwnd);
}

// The control that has the focus in its window (the window need not be active).
bool CWnd::HasFocus() const
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return false;
    HWND focus = GetFocus();
    if (focus == hwnd) return true;
    // The focus inside a list (its header) or another part of the control.
    return focus && m_hWnd->control && GetParent(focus) == hwnd;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd && m_hWnd->control ? m_hWnd->control->id : 0; }

std::uint32_t CWnd::GetStyle() const
{
    if (!m_hWnd || !m_hWnd->control) return ControlStyle::None;
    // The template's flags, with the state the control is in now.
    std::uint32_t style = m_hWnd->control->style & ~(ControlStyle::Disabled | ControlStyle::Hidden);
    const LONG_PTR native = GetWindowLongPtrW(m_hWnd->hwnd, GWL_STYLE);
    if (native & WS_DISABLED) style |= ControlStyle::Disabled;
    if (!(native & WS_VISIBLE)) style |= ControlStyle::Hidden;
    return style;
}

CWnd* CWnd::GetNextControl() const { return mrv::platform::backend::NextControlObject(m_hWnd); }

CDialog* CWnd::GetParentDialog() const { return mrv::platform::backend::DialogOf(m_hWnd); }

CRect CWnd::GetWindowRect() const
{
    RECT rect{};
    if (HWND hwnd = Hwnd(m_hWnd)) ::GetWindowRect(hwnd, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

CPoint CWnd::ClientToScreen(CPoint client) const
{
    POINT p{client.x, client.y};
    if (HWND hwnd = Hwnd(m_hWnd)) ::ClientToScreen(hwnd, &p);
    return {p.x, p.y};
}

CPoint CWnd::ScreenToClient(CPoint screen) const
{
    POINT p{screen.x, screen.y};
    if (HWND hwnd = Hwnd(m_hWnd)) ::ScreenToClient(hwnd, &p);
    return {p.x, p.y};
}

void CWnd::MoveTo(CPoint screenTopLeft)
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return;
    POINT to{screenTopLeft.x, screenTopLeft.y};
    if (m_hWnd->control) ::ScreenToClient(GetParent(hwnd), &to);
    SetWindowPos(hwnd, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::SetTopMost()
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return;
    SetWindowPos(GetAncestor(hwnd, GA_ROOT), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CWnd::SetSel(int start, int end)
{
    if (!IsEdit(m_hWnd)) return;
    // -1 as start removes the selection; -1 as end selects to the end.
    SendMessageW(m_hWnd->hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start < 0 ? start : end));
}

void CWnd::LimitText(int maxBytes)
{
    if (IsEdit(m_hWnd)) m_hWnd->limitBytes = std::max(0, maxBytes);
}

int CWnd::GetLimitText() const { return IsEdit(m_hWnd) ? m_hWnd->limitBytes : 0; }

int CButton::GetCheck() const
{
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return 0;
    switch (SendMessageW(hwnd, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return 1;
    case BST_INDETERMINATE: return 2;
    default: return 0;
    }
}

void CButton::SetCheck(int state)
{
    // Sets this button alone: the other radio buttons of its group keep their state.
    HWND hwnd = Hwnd(m_hWnd);
    if (!hwnd) return;
    if (state == 2 && m_hWnd->control && m_hWnd->control->kind == ControlKind::CheckBox) {
        // An automatic check box shows the third state once it is a three-state one.
        const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_AUTO3STATE);
    }
    const WPARAM check = state == 1 ? BST_CHECKED : state == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
        // Some systems clear the rest of an automatic group on this message;
        // as a plain radio button for the moment, the button is set alone.
        SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_RADIOBUTTON);
        SendMessageW(hwnd, BM_SETCHECK, check, 0);
        SetWindowLongPtrW(hwnd, GWL_STYLE, (GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_AUTORADIOBUTTON);
        return;
    }
    SendMessageW(hwnd, BM_SETCHECK, check, 0);
}
