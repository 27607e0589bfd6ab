#include "update/version_label.h"

#include <algorithm>
#include <string_view>

#include "platform/text.h"

namespace tarvex::update {

namespace {

std::wstring Field(const std::wstring& text, std::size_t offset, std::size_t length) {
    if (offset >= text.size()) return {};
    std::wstring field = text.substr(offset, length);
    field.erase(0, std::min(field.find_first_not_of(L'0'), field.size()));
    return field;
}

}  // namespace

std::wstring LabelBase(const std::wstring& text) { return text.substr(0, text.find(L':')); }

std::wstring VersionLabel(const std::wstring& base, std::span<const std::uint8_t> header) {
    header = header.first(std::min(header.size(), kFieldUpdateHeaderSize));
    const auto end = std::find(header.begin(), header.end(), std::uint8_t{0});
    const std::wstring text = tarvex::platform::WidenCp1252(
        std::string_view(reinterpret_cast<const char*>(header.data()),
                         static_cast<std::size_t>(end - header.begin())));
    return base + L": ED-" + Field(text, 1, 6) + L" ver " + Field(text, 8, 4);
}

std::wstring ErrorOpeningLabel(const std::wstring& base) {
    return base + L": [error opening file]";
}

}  // namespace tarvex::update
