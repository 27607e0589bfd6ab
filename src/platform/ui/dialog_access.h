// Private to the window layer: the door through which a window backend reaches a dialog's
// protected handlers, and the routing of a control's notification.
#pragma once

#include "platform/ui/dialog.h"

namespace tarvex::platform {

class DialogAccess {
  public:
    static BOOL Command(CDialog& dialog, UINT id) { return dialog.OnCmdMsg(id); }
    static void Close(CDialog& dialog) { dialog.OnClose(); }
    static void Timer(CDialog& dialog, UINT_PTR id) { dialog.OnTimer(id); }
    static void SysCommand(CDialog& dialog, UINT id) { dialog.OnSysCommand(id, 0); }
    static bool Paint(CDialog& dialog, CDC& dc) { return dialog.OnPaint(dc); }
    static HICON QueryDragIcon(CDialog& dialog) { return dialog.OnQueryDragIcon(); }
    static void EndSession(CDialog& dialog, BOOL ending) { dialog.OnEndSession(ending); }
    static HBRUSH CtlColor(CDialog& dialog, CDC* dc, CWnd* control, UINT type) {
        return dialog.OnCtlColor(dc, control, type);
    }
    static void InitMenuPopup(CDialog& dialog, CMenu& popup, UINT index, BOOL systemMenu) {
        dialog.OnInitMenuPopup(popup, index, systemMenu);
    }
    // The object a colour request of control `id` goes to: its DDX_Control object, or else a
    // plain window object of the dialog's.
    static CWnd* ControlObject(const CDialog& dialog, int id) {
        CWnd* bound = dialog.Subclassed(id);
        return bound != nullptr ? bound : dialog.GetDlgItem(id);
    }
    // Control `id` was clicked (STN_CLICKED, BN_CLICKED: code 0): its object may take the
    // notification; otherwise it is the dialog's command `id`.
    static void Notify(CDialog& dialog, int id, UINT code);

    static CDialog::Impl& Backend(CDialog& dialog) { return *dialog.impl_; }
    // The backend enters each control of the dialog's window as it makes the window.
    static void AddControl(CDialog& dialog, int id, std::shared_ptr<WindowRef> window) {
        dialog.controls_[id] = std::move(window);
    }
    static const std::map<int, std::shared_ptr<WindowRef>>& Controls(const CDialog& dialog) {
        return dialog.controls_;
    }
    static std::shared_ptr<WindowRef> ControlWindow(const CDialog& dialog, int id) {
        return dialog.ControlWindow(id);
    }
};

}  // namespace tarvex::platform
