// Tooltips in the manner of the common control: tools over windows, each with its text, the
// tips wrapped at a maximum width.
#pragma once

#include <string>

#include "platform/ui/wnd.h"

class CToolTipCtrl {
  public:
    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL Activate(BOOL active);
    // A tool over the whole of `window`; its tip is `text`.
    BOOL AddTool(CWnd* window, const std::wstring& text, UINT_PTR toolId = 0);
    void UpdateTipText(const std::wstring& text, CWnd* window, UINT_PTR toolId = 0);
    int SetMaxTipWidth(int width);
    // Qt shows the tips from the window's own mouse events: nothing needs relaying.
    void RelayEvent(const void* /*message*/) {}

  private:
    void Show(CWnd* window);
    bool active_ = false;
    int maxWidth_ = -1;
    std::wstring text_;
};
