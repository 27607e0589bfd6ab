#include "about/dialog_colours.h"

namespace tarvex::about {

DialogColours::~DialogColours() {
    if (brush_ != nullptr) DeleteObject(brush_);
}

HBRUSH DialogColours::Paint(CDC* dc) {
    if (brush_ != nullptr) DeleteObject(brush_);
    brush_ = CreateSolidBrush(background_);
    dc->SetBkColor(background_);
    dc->SetTextColor(text_);
    return brush_;
}

}  // namespace tarvex::about
