// Private to the window layer: an open-file dialog's filter, "Description|patterns|...||", as
// its entries, for each window system to write in its own form.
#pragma once

#include <string>
#include <vector>

namespace tarvex::platform {

struct FilterEntry {
    std::wstring description;  // "Hex File (*.hex)"
    std::wstring patterns;     // "*.hex", or several joined by ';'
};

// The entries of `filter`, up to the empty description that ends it.
std::vector<FilterEntry> FilterEntries(const std::wstring& filter);

}  // namespace tarvex::platform
