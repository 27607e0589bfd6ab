// The label of the built-in field-update choice: its radio button's own text (the label base),
// stamped with the drawing number and version from the file's header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarvex::update {

// The header bytes the label is made from.
inline constexpr std::size_t kFieldUpdateHeaderSize = 27;

// The text up to its first ":", so that stamping a stamped label replaces the old stamp.
std::wstring LabelBase(const std::wstring& text);

// "<base>: ED-<drawing number> ver <version>": the drawing number is the 6 characters from
// offset 1 and the version the 4 from offset 8, each without its leading "0"s. The header is
// text up to its first zero byte (Windows-1252); fields beyond it are shorter or empty.
std::wstring VersionLabel(const std::wstring& base, std::span<const std::uint8_t> header);

// "<base>: [error opening file]", for a file that exists but cannot be opened.
std::wstring ErrorOpeningLabel(const std::wstring& base);

}  // namespace tarvex::update
