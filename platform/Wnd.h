// Windows and controls addressed by id. CWnd wraps a backend window handle;
// texts crossing this boundary are CP949 bytes, as the dialog members hold them.
// Calls whose classic names are Windows macros say what they carry instead
// (GetWindowTextCp949, GetNextControl; see platform/Types.h).
#pragma once

#include "platform/Template.h"
#include "platform/Types.h"

#include <string>

class CDialog;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    WindowHandle* GetSafeHwnd() const { return m_hWnd; }
    bool IsAttached() const { return m_hWnd != nullptr; }

    // Text of the window or control in CP949. A control that shows a
    // character CP949 cannot hold (only possible for program-set path texts)
    // gives '?' for it.
    std::string GetWindowTextCp949() const;
    // Sets the text; does nothing when it already shows exactly this text.
    void SetWindowTextCp949(const std::string& cp949);

    void EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    void ShowWindow(int nCmdShow);   // ShowCmd::Hide or Show
    bool IsWindowVisible() const;
    void SetFocus();
    bool HasFocus() const;

    int GetDlgCtrlID() const;
    ControlKind GetControlKind() const;
    std::uint32_t GetStyle() const;  // ControlStyle flags of its template
    // The next control in template order, or nullptr after the last one.
    CWnd* GetNextControl() const;
    // The dialog that holds this control (or the dialog itself).
    CDialog* GetParentDialog() const;

    // Screen rectangle of the window, frame included.
    CRect GetWindowRect() const;
    // A point of the window's client area (for a list, the area whose
    // coordinates GetSubItemRect gives) on the screen, and back.
    CPoint ClientToScreen(CPoint client) const;
    CPoint ScreenToClient(CPoint screen) const;
    // Moves the window's top-left corner to a screen point; keeps its size.
    void MoveTo(CPoint screenTopLeft);
    void SetTopMost();

    // Edit controls: select characters [start, end) (end -1 = to the end) and
    // limit input to maxBytes CP949 bytes (0 = no limit beyond the toolkit's).
    void SetSel(int start, int end);
    void LimitText(int maxBytes);
    int GetLimitText() const;

    // Backend use: bind this object to a handle, or let it go.
    void Attach(WindowHandle* hWnd);
    WindowHandle* Detach();

protected:
    WindowHandle* m_hWnd = nullptr;
};

class CButton : public CWnd {
public:
    int GetCheck() const;    // 0 clear, 1 checked, 2 indeterminate
    void SetCheck(int state);
};
