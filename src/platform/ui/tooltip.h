// Tooltips in the manner of the common control: tools over windows, each with its text, the
// tips wrapped at a maximum width.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/wnd.h"

class CToolTipCtrl {
  public:
    CToolTipCtrl();
    ~CToolTipCtrl();
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;

    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL Activate(BOOL active);
    // A tool over the whole of `window`; its tip is `text`.
    BOOL AddTool(CWnd* window, const std::wstring& text, UINT_PTR toolId = 0);
    void UpdateTipText(const std::wstring& text, CWnd* window, UINT_PTR toolId = 0);
    int SetMaxTipWidth(int width);
    // The tips follow the window's own mouse events (on Windows the tool subclasses it):
    // nothing needs relaying.

  private:
    struct Impl;  // the window backend's tooltip
    std::unique_ptr<Impl> impl_;
};
