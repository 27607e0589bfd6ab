// Modal dialogs in the manner of the class library. A CDialog is built from a DialogTemplate;
// DoModal makes its window and controls, runs OnInitDialog and returns when EndDialog is
// called. Commands (buttons, menu items) reach OnCmdMsg, which runs the handler mapped to
// the id; WM_CLOSE, WM_TIMER and WM_SYSCOMMAND reach OnClose, OnTimer and OnSysCommand.
//
// Enter ends the dialog through OnOK, unless a push button has the focus (it is then
// clicked); Esc ends it through OnCancel. Alt+Space opens the system menu (on Linux also a
// right click on the window where no control takes it).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/dialog_template.h"
#include "platform/ui/menu.h"
#include "platform/ui/win_app.h"
#include "platform/ui/wnd.h"

class CDialog;
class CDC;
namespace tarvex::platform {
class DialogAccess;
}  // namespace tarvex::platform

class CDataExchange {
  public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    // Public, as in the class library: every DDX_ function reads them.
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CDialog* m_pDlgWnd;
};

// The radio group that starts at `firstId`: the radio buttons from it up to the next control
// that starts a group; `value` is the index of the checked one, -1 when none is.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
void DDX_Text(CDataExchange* pDX, int id, std::wstring& value);
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
  public:
    CDialog(const tarvex::platform::DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog and returns the value given to EndDialog (-1 when it cannot be made).
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    // Routes a command to its handler; TRUE when one took it.
    virtual BOOL OnCmdMsg(UINT id);
    void EndDialog(int result);

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    CWnd* GetDlgItem(int id) const;
    // Sets the check state of button `id` (BST_CHECKED or BST_UNCHECKED); clearing the checked
    // radio button of a group leaves the group with none checked.
    BOOL CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    CMenu GetMenu() const;
    // The menu of the window's title bar (opened with Alt+Space); it holds "&Close".
    CMenu GetSystemMenu(BOOL revert) const;
    BOOL HasSystemMenu() const;

    // Timers arrive as OnTimer on the window thread. Returns `id`, or 0 on failure.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* timerProc);
    BOOL KillTimer(UINT_PTR id);

    // Queues WM_CLOSE, WM_COMMAND (wParam = id) or WM_SYSCOMMAND (wParam = id) for the window.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The icon of the window's title bar and task bar entry.
    void SetIcon(HICON icon, BOOL bigIcon);
    HICON GetIcon(BOOL bigIcon) const;
    BOOL IsIconic() const;

    const tarvex::platform::DialogTemplate& Template() const { return template_; }
    // The window of control `id` while the dialog is shown; null otherwise. For the exchange
    // functions above.
    std::shared_ptr<tarvex::platform::WindowRef> ControlWindow(int id) const;

    // Marks `control` as the object of control `id` (DDX_Control does this): it gets the
    // control's reflected notifications and colour requests. PreSubclassWindow runs first.
    void SubclassControl(int id, CWnd& control);

  protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Paints the client area into `dc` after the dialog's own background; true when it drew.
    virtual bool OnPaint(CDC& dc);
    // The colours of a control (CTLCOLOR_STATIC for static texts and read-only edit boxes) or
    // of the dialog itself (CTLCOLOR_DLG, `control` null), asked once the dialog is set up and
    // again when a control is invalidated. The handler sets the text and background colours,
    // background mode and font in `dc` and returns the brush of the background; the null stock
    // brush leaves the background unpainted. The default asks the control itself (CtlColor) and
    // otherwise returns null: the control keeps the system's look.
    virtual HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor);
    // The icon the system shows while the user drags the minimised window (WM_QUERYDRAGICON);
    // null for the system's default.
    virtual HICON OnQueryDragIcon();
    // The user's session ends (WM_ENDSESSION, after every program agreed to
    // WM_QUERYENDSESSION): the system may end the process as soon as this returns. The default
    // runs the close handler when `ending`.
    virtual void OnEndSession(BOOL ending);
    // A popup of the menu bar is about to open (WM_INITMENUPOPUP): `index` is its position.
    virtual void OnInitMenuPopup(CMenu& popup, UINT index, BOOL systemMenu);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnClose();
    virtual void OnTimer(UINT_PTR id);
    virtual void OnSysCommand(UINT id, LPARAM lParam);

    // The message map: `handler` runs for command `id`.
    void MapCommand(UINT id, std::function<void()> handler);

  private:
    friend class tarvex::platform::DialogAccess;
    // The window system's own handling of a system command the dialog leaves alone.
    void PassToSystem(UINT id);
    // The object bound to control `id` by DDX_Control, or null.
    CWnd* Subclassed(int id) const;

    struct Impl;  // the window backend's side of the dialog

    const tarvex::platform::DialogTemplate& template_;
    CWnd* m_pParentWnd;
    std::unique_ptr<Impl> impl_;
    std::map<UINT, std::function<void()>> commands_;
    std::map<int, CWnd*> subclassed_;  // the objects DDX_Control bound, by control id
    // The controls of the dialog's window by id, and the objects GetDlgItem hands out for them.
    std::map<int, std::shared_ptr<tarvex::platform::WindowRef>> controls_;
    mutable std::map<int, std::unique_ptr<CWnd>> items_;
};
