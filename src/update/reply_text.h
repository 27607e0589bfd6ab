// What a device has said so far, searched for its markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class ReplyText {
  public:
    // Appends a received chunk: the bytes up to its first zero byte, as Windows-1252 text.
    void Append(const std::uint8_t* bytes, std::size_t count);

    // Takes the first of `markers` (in their priority order) that occurs anywhere in the text,
    // removing everything up to and including its first occurrence; returns its index.
    // When none occurs, only the text that could still begin a marker is kept, so a device that
    // never stops talking cannot make the text grow without bound.
    std::optional<std::size_t> TakeMarker(std::span<const std::wstring_view> markers);

    const std::wstring& Text() const { return text_; }

  private:
    std::wstring text_;
};
