// The background and text colours of the About and System Information dialogs, and the brush
// that paints their background, renewed at each colour request.
#pragma once

#include "platform/ui/gdi.h"

namespace tarvex::about {

class DialogColours {
  public:
    DialogColours(COLORREF background, COLORREF text) : background_(background), text_(text) {}
    ~DialogColours();
    DialogColours(const DialogColours&) = delete;
    DialogColours& operator=(const DialogColours&) = delete;

    // Sets the colours into `dc` and returns a new brush of the background (the previous one
    // goes).
    HBRUSH Paint(CDC* dc);

    void Set(COLORREF background, COLORREF text) {
        background_ = background;
        text_ = text;
    }
    COLORREF Background() const { return background_; }
    COLORREF Text() const { return text_; }

  private:
    COLORREF background_;
    COLORREF text_;
    HBRUSH brush_ = nullptr;
};

}  // namespace tarvex::about
