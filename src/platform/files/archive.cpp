#include "platform/files/archive.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/text.h"

namespace {

constexpr BYTE kByteLengthEscape = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kWordLengthEscape = 0xFFFF;
constexpr std::uint32_t kDwordLengthEscape = 0xFFFFFFFF;
constexpr std::uint64_t kLargestLength = 0x7FFFFFFF;

}  // namespace

CArchive::CArchive(CFile* file, UINT mode, UINT bufferSize)
    : file_(file), loading_((mode & load) != 0), buffer_(bufferSize > 0 ? bufferSize : 1) {}

void CArchive::ReadExactly(void* bytes, std::size_t count) {
    auto* out = static_cast<BYTE*>(bytes);
    while (count > 0) {
        if (at_ == end_) {
            end_ = file_->Read(buffer_.data(), static_cast<UINT>(buffer_.size()));
            at_ = 0;
            if (end_ == 0) AfxThrowArchiveException(CArchiveException::endOfFile);
        }
        const std::size_t take = std::min(count, end_ - at_);
        std::memcpy(out, buffer_.data() + at_, take);
        at_ += take;
        out += take;
        count -= take;
    }
}

void CArchive::WriteBytes(const void* bytes, std::size_t count) {
    const auto* in = static_cast<const BYTE*>(bytes);
    while (count > 0) {
        if (end_ == buffer_.size()) Flush();
        const std::size_t take = std::min(count, buffer_.size() - end_);
        std::memcpy(buffer_.data() + end_, in, take);
        end_ += take;
        in += take;
        count -= take;
    }
}

template <typename Unsigned>
Unsigned CArchive::ReadLittleEndian() {
    BYTE bytes[sizeof(Unsigned)];
    ReadExactly(bytes, sizeof bytes);
    Unsigned value = 0;
    for (std::size_t i = sizeof bytes; i-- > 0;)
        value = static_cast<Unsigned>(value << 8) | bytes[i];
    return value;
}

template <typename Unsigned>
void CArchive::WriteLittleEndian(Unsigned value) {
    BYTE bytes[sizeof(Unsigned)];
    for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<BYTE>(value >> (8 * i));
    WriteBytes(bytes, sizeof bytes);
}

ULONGLONG CArchive::BytesLeft() const {
    const ULONGLONG length = file_->GetLength();
    const ULONGLONG position = file_->GetPosition();
    return (end_ - at_) + (length > position ? length - position : 0);
}

CArchive& CArchive::operator<<(std::int32_t value) {
    WriteLittleEndian(static_cast<std::uint32_t>(value));
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value) {
    value = static_cast<std::int32_t>(ReadLittleEndian<std::uint32_t>());
    return *this;
}

CArchive& CArchive::operator<<(const std::wstring& text) {
    const std::u16string units = tarvex::platform::ToUtf16(text);
    const std::size_t length = units.size();
    WriteLittleEndian(kByteLengthEscape);
    WriteLittleEndian(kWideMarker);
    if (length < kByteLengthEscape) {
        WriteLittleEndian(static_cast<BYTE>(length));
    } else {
        WriteLittleEndian(kByteLengthEscape);
        if (length < kWideMarker) {
            WriteLittleEndian(static_cast<std::uint16_t>(length));
        } else {
            WriteLittleEndian(kWordLengthEscape);
            WriteLittleEndian(static_cast<std::uint32_t>(length));
        }
    }
    for (char16_t unit : units) WriteLittleEndian(static_cast<std::uint16_t>(unit));
    return *this;
}

CArchive& CArchive::operator>>(std::wstring& text) {
    return ReadString(text, std::numeric_limits<std::uint64_t>::max());
}

CArchive& CArchive::ReadString(std::wstring& text, std::uint64_t mostUnits) {
    bool wide = false;
    std::uint64_t length = ReadLittleEndian<BYTE>();
    if (length == kByteLengthEscape) {
        std::uint16_t word = ReadLittleEndian<std::uint16_t>();
        if (word == kWideMarker) {
            wide = true;
            length = ReadLittleEndian<BYTE>();
            if (length == kByteLengthEscape) word = ReadLittleEndian<std::uint16_t>();
        }
        if (length == kByteLengthEscape) {
            length = word;
            if (word == kWordLengthEscape) {
                length = ReadLittleEndian<std::uint32_t>();
                if (length == kDwordLengthEscape) {
                    length = ReadLittleEndian<std::uint64_t>();
                    if (length > kLargestLength)
                        AfxThrowArchiveException(CArchiveException::genericException);
                }
            }
        }
    }
    // A length the rest of the file cannot hold is the end of the file, found before anything
    // is allocated for it; one the file holds but the caller cannot take is a damaged file.
    const std::uint64_t bytes = length * (wide ? 2 : 1);
    if (bytes > BytesLeft()) AfxThrowArchiveException(CArchiveException::endOfFile);
    if (length > mostUnits) AfxThrowArchiveException(CArchiveException::genericException);
    try {
        if (wide) {
            std::u16string units(static_cast<std::size_t>(length), u'\0');
            for (char16_t& unit : units) unit = ReadLittleEndian<std::uint16_t>();
            units.erase(std::find(units.begin(), units.end(), u'\0'), units.end());
            text = tarvex::platform::FromUtf16(units);
        } else {
            std::string narrow(static_cast<std::size_t>(length), '\0');
            ReadExactly(narrow.data(), narrow.size());
            narrow.erase(std::find(narrow.begin(), narrow.end(), '\0'), narrow.end());
            text = tarvex::platform::WidenCp1252(narrow);
        }
    } catch (const std::bad_alloc&) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    return *this;
}

void CArchive::Flush() {
    if (loading_ || end_ == 0) return;
    file_->Write(buffer_.data(), static_cast<UINT>(end_));
    end_ = 0;
}

void CArchive::Close() { Flush(); }
