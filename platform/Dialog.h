// Dialogs built from templates in res/, with a data-exchange table and a
// static message table per class.
#pragma once

#include "platform/ListCtrl.h"
#include "platform/Wnd.h"

#include <map>
#include <memory>
#include <span>
#include <string>
#include <variant>

class CDataExchange;
class CDialog;

// ---- Message tables ---------------------------------------------------------
// Each dialog class lists (message, notification code, control id) → member
// handler. The helpers below take member pointers of the dialog's own class, so
// a handler of the wrong shape or class does not compile.

enum class Msg {
    Command,        // a control's notification: a click or a change (NotifyCode, id)
    Notify,         // a list's notification: clicks on it (NotifyCode, id)
    LButtonDown,    // mouse presses on the dialog itself, client coordinates
    LButtonDblClk,
    SysCommand,
    Timer,
    Paint,
    Close,          // the close box
    Destroy,
};

using CommandHandler = void (CDialog::*)();
using NotifyHandler = void (CDialog::*)(NotifyHeader* pNMHDR, MessageResult* pResult);
using MouseHandler = void (CDialog::*)(unsigned nFlags, CPoint point);
using SysCommandHandler = void (CDialog::*)(unsigned nID, std::intptr_t lParam);
using TimerHandler = void (CDialog::*)(unsigned nIDEvent);

struct MessageMapEntry {
    Msg msg;
    int code;
    int id;
    std::variant<CommandHandler, NotifyHandler, MouseHandler, SysCommandHandler, TimerHandler> handler;
};

struct MessageMap {
    const MessageMap* base;                    // the base class's table, or nullptr
    std::span<const MessageMapEntry> entries;  // table order: the first match wins
};

template <class D>
MessageMapEntry OnBnClicked(int id, void (D::*fn)())
{
    return {Msg::Command, NotifyCode::ButtonClicked, id, static_cast<CommandHandler>(fn)};
}
template <class D>
MessageMapEntry OnEnChange(int id, void (D::*fn)())
{
    return {Msg::Command, NotifyCode::EditChange, id, static_cast<CommandHandler>(fn)};
}
template <class D>
MessageMapEntry OnNotify(int code, int id, void (D::*fn)(NotifyHeader*, MessageResult*))
{
    return {Msg::Notify, code, id, static_cast<NotifyHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmLButtonDown(void (D::*fn)(unsigned, CPoint))
{
    return {Msg::LButtonDown, 0, 0, static_cast<MouseHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmLButtonDblClk(void (D::*fn)(unsigned, CPoint))
{
    return {Msg::LButtonDblClk, 0, 0, static_cast<MouseHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmSysCommand(void (D::*fn)(unsigned, std::intptr_t))
{
    return {Msg::SysCommand, 0, 0, static_cast<SysCommandHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmTimer(void (D::*fn)(unsigned))
{
    return {Msg::Timer, 0, 0, static_cast<TimerHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmPaint(void (D::*fn)())
{
    return {Msg::Paint, 0, 0, static_cast<CommandHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmClose(void (D::*fn)())
{
    return {Msg::Close, 0, 0, static_cast<CommandHandler>(fn)};
}
template <class D>
MessageMapEntry OnWmDestroy(void (D::*fn)())
{
    return {Msg::Destroy, 0, 0, static_cast<CommandHandler>(fn)};
}

// System commands that the framework handles itself (compared with the low
// four bits cleared, as the platform keeps them for its own use).
namespace SysCommand {
inline constexpr unsigned Close = 0xF060;
} // namespace SysCommand

// ---- CDialog ------------------------------------------------------------------

class CDialog : public CWnd {
public:
    // A dialog on template templateId. The owner is the window that a modal run
    // disables (nullptr: the application's main window while it runs, or none).
    explicit CDialog(int templateId = 0, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: creates it from its template, runs OnInitDialog,
    // and returns the value given to EndDialog (or -1 when it could not be created).
    // Only the owner is disabled meanwhile; other windows and timers go on.
    virtual std::intptr_t DoModal();
    // Creates the dialog modelessly, hidden unless its template says visible.
    bool Create(int templateId, CWnd* pParentWnd = nullptr);
    void DestroyWindow();

    virtual bool OnInitDialog();  // default: UpdateData(false); returns true
    virtual void OnOK();          // default: UpdateData(true), EndDialog(CommandId::Ok) on success
    virtual void OnCancel();      // default: EndDialog(CommandId::Cancel)
    // Ends a modal run with a result, or hides a modeless dialog.
    void EndDialog(int nResult);

    // Runs DoDataExchange in one direction: true = controls → members (read),
    // false = members → controls (write). Returns false when a step failed.
    bool UpdateData(bool bSaveAndValidate = true);
    virtual void DoDataExchange(CDataExchange* pDX);
    // True while UpdateData runs: change notifications of own controls are ignored.
    bool IsExchangeRunning() const { return m_exchangeDepth > 0; }

    // The control with this id, or nullptr. Controls attached to member objects
    // by DDX_Control are returned as those objects.
    CWnd* GetDlgItem(int id) const;
    CWnd* GetOwner() const { return m_pParentWnd; }
    int GetTemplateId() const { return m_templateId; }

    // Timers deliver Msg::Timer entries of the message table with this id.
    unsigned SetTimer(unsigned nIDEvent, unsigned elapseMs);
    bool KillTimer(unsigned nIDEvent);

    // A measure in pixels that the program fixes for the dialog font 굴림 9
    // point, whose base units are 7 × 12 (column widths, popup offsets, points
    // of the client area), in this dialog's pixels: scaled by the ratio of
    // the base units where another font stands in for 굴림, as dialog units
    // are.
    CPoint FixedPixels(CPoint gulimPixels) const;

    // A message box owned by this dialog (through the services, so tests can
    // answer it); text and caption are CP949.
    int MessageBoxCp949(const std::string& text, const std::string& caption, unsigned type = MsgBox::Ok);

    // Sets the window's large (big = true) or small icon from an icon resource.
    void SetIcon(int iconResourceId, bool big);

    // Default handling of the close box: the cancel command.
    void OnClose();

    // The window's system menu. Items are appended after what the menu holds;
    // choosing one sends the table's SysCommand entry its id. The Linux window
    // managers' menus cannot be extended, so there the appended items make up
    // a menu of the dialog's own: a right click on the dialog where no control
    // takes it, or the keyboard's menu key or Shift+F10, opens it.
    bool HasSystemMenu() const;  // the template asks for one
    void AppendSystemMenuSeparator();
    // The text is CP949; '&' marks the mnemonic, "&&" shows one '&'.
    void AppendSystemMenuItem(unsigned id, const std::string& textCp949);
    // Default handling of a system command: SysCommand::Close is the close box;
    // the rest (moving, sizing, minimising) is the system's own handling, which
    // on Linux the window manager does without the program.
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    // Default handling of presses on the dialog itself: nothing.
    void OnLButtonDown(unsigned nFlags, CPoint point);
    void OnLButtonDblClk(unsigned nFlags, CPoint point);

    // The class's message table. A derived class defines both: its table's
    // base is its base class's GetThisMessageMap().
    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap* GetThisMessageMap();

    // ---- Backend use --------------------------------------------------------
    // Finds the handler for a message, or nullptr.
    const MessageMapEntry* FindEntry(Msg msg, int code, int id) const;
    // Dispatches a control notification; returns true when a handler ran.
    // Change notifications are dropped while UpdateData runs.
    bool DispatchCommand(int code, int id);
    bool DispatchNotify(NotifyHeader* pNMHDR, MessageResult* pResult);
    void DispatchMouse(Msg msg, unsigned flags, CPoint point);
    void DispatchTimer(unsigned id);
    // A system command: the table's entry, else OnSysCommand.
    void DispatchSysCommand(unsigned nID, std::intptr_t lParam);
    void DispatchClose();
    // Runs the table's Destroy entry while the window and its controls still exist.
    void DispatchDestroy();
    // Binds a member object to its control (nullptr: lets it go).
    void RegisterControlObject(int id, CWnd* object);
    CWnd* ControlObject(int id) const;

protected:
    int m_templateId = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    friend class CDataExchange;
    // Detaches the member objects and wrappers from a window being destroyed.
    void ReleaseControlObjects();

    int m_exchangeDepth = 0;
    std::map<int, CWnd*> m_attached;                   // member objects by control id
    mutable std::map<int, std::unique_ptr<CWnd>> m_wrappers;  // other controls
};

// ---- Application ------------------------------------------------------------

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    virtual bool InitInstance();

    CWnd* m_pMainWnd = nullptr;
    // The executable's file name without extension: caption of the framework's messages.
    std::string m_pszAppName;
};

// The one application object (the one constructed last), or nullptr.
CWinApp* AfxGetApp();

// The program's entry: starts the toolkit, runs the application object's
// InitInstance, ends the toolkit. Returns the process exit status.
int AfxWinMain(int argc, char** argv);

// The framework's message box: caption = the application's title.
int AfxMessageBox(const std::string& text, unsigned type = MsgBox::Ok);
