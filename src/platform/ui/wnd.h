// Windows and controls in the manner of the class library. Every operation may be called from
// any thread: it runs on the window thread and returns when it has taken effect. An object not
// bound to a window, or bound to one that has gone, fails every operation (FALSE, 0 or empty).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/win32_ui.h"

namespace tarvex::platform {
struct WindowRef;
}
class CArchive;
class CDC;

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    BOOL SetWindowText(const std::wstring& text);
    std::wstring GetWindowText() const;
    // Returns nonzero when the window was disabled before.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    int GetDlgCtrlID() const;
    HWND GetSafeHwnd() const;
    // A modal box owned by this window; without a caption it carries the application's name.
    int MessageBox(const wchar_t* text, const wchar_t* caption = nullptr, UINT type = MB_OK) const;

    // Reads or writes the object's persistent data; nothing by default.
    virtual void Serialize(CArchive& archive);

    // Called as the object is bound to its control (DDX_Control), before anything else.
    virtual void PreSubclassWindow() {}
    // A colour request reflected from the dialog to the control (see CDialog::OnCtlColor);
    // null: the control does not handle it.
    virtual HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    // A notification of the control reflected to its object (STN_CLICKED, BN_CLICKED: code 0);
    // FALSE passes it on to the dialog as the control's command.
    virtual BOOL OnReflectedNotify(UINT code);

    DWORD GetStyle() const;
    // The client area, from (0, 0).
    void GetClientRect(RECT* rect) const;
    BOOL ModifyStyle(DWORD remove, DWORD add);
    // Redraws the control, asking its colours afresh.
    void Invalidate(BOOL erase = TRUE);
    // The font the control is drawn in.
    BOOL GetFont(LOGFONTW* font) const;
    // Sends the window a message and returns its answer, as a user's action would reach it.
    // The Linux backend knows BM_CLICK (a button clicked: a radio button checks itself first),
    // and for a dialog WM_COMMAND (a menu command), WM_CLOSE, WM_SYSCOMMAND and
    // WM_INITMENUPOPUP (the menu bar's popup at position LOWORD(lParam) opening, given no menu
    // in wParam).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Binds the object to a window; the dialog does this for itself and DDX_Control for controls.
    void Attach(std::shared_ptr<tarvex::platform::WindowRef> window);
    const std::shared_ptr<tarvex::platform::WindowRef>& Window() const { return window_; }

  private:
    std::shared_ptr<tarvex::platform::WindowRef> window_;
};

class CButton : public CWnd {
  public:
    int GetCheck() const;
    void SetCheck(int check);
};

class CEdit : public CWnd {};

class CStatic : public CWnd {};

// A progress bar with the common control's model: a range, a position kept inside it, and a
// step that wraps round to the lower bound when it passes the upper one.
class CProgressCtrl : public CWnd {
  public:
    // PBM_SETRANGE: 16-bit bounds, taken as unsigned values from 0 to 65535.
    void SetRange(short lower, short upper);
    // PBM_SETRANGE32.
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // PBM_SETPOS: returns the previous position.
    int SetPos(int position);
    // PBM_GETPOS.
    int GetPos() const;
    // PBM_SETSTEP: returns the previous step.
    int SetStep(int step);
    // PBM_STEPIT: returns the previous position.
    int StepIt();
};
