#include "update/reply_text.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

void ReplyText::Append(const std::uint8_t* bytes, std::size_t count) {
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(bytes, 0, count));
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - bytes) : count;
    text_ += tarvex::platform::WidenCp1252(
        std::string_view(reinterpret_cast<const char*>(bytes), length));
}

std::optional<std::size_t> ReplyText::TakeMarker(std::span<const std::wstring_view> markers) {
    for (std::size_t i = 0; i < markers.size(); ++i) {
        if (const auto at = text_.find(markers[i]); at != std::wstring::npos) {
            text_.erase(0, at + markers[i].size());
            return i;
        }
    }
    // No marker is whole in the text: a later one must end in new text, so it can begin at
    // most (longest marker - 1) characters before the end.
    std::size_t longest = 0;
    for (std::wstring_view marker : markers) longest = std::max(longest, marker.size());
    const std::size_t keep = longest > 0 ? longest - 1 : 0;
    if (text_.size() > keep) text_.erase(0, text_.size() - keep);
    return std::nullopt;
}
