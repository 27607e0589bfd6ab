// Where the minimised main window draws its icon: centred in the client area, each half rounded
// toward zero as signed integer division does (a client area narrower than the icon puts it at
// a negative offset of half the difference, not one pixel further out).
#pragma once

namespace tarvex::app {

struct IconOrigin {
    int x = 0;
    int y = 0;
};

constexpr IconOrigin MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth,
                                         int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

}  // namespace tarvex::app
