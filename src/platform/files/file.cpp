#include "platform/files/file.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

BOOL CStdioFile::ReadString(std::wstring& line, std::size_t most) {
    line.clear();
    std::string bytes;
    while (bytes.size() < most) {
        if (at_ == buffer_.size()) {
            if (ended_) break;
            buffer_.resize(4096);
            buffer_.resize(Read(buffer_.data(), static_cast<UINT>(buffer_.size())));
            at_ = 0;
            if (buffer_.empty()) {
                ended_ = true;
                break;
            }
        }
        const char next = buffer_[at_++];
        if (next == '\n') {
            if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
            line = tarvex::platform::WidenCp1252(bytes);
            return TRUE;
        }
        bytes.push_back(next);
    }
    if (bytes.size() < most && !bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    line = tarvex::platform::WidenCp1252(bytes);
    return bytes.empty() ? FALSE : TRUE;
}

BOOL CMemFile::Open(const wchar_t* /*fileName*/, UINT openFlags, CFileException* /*error*/) {
    if (openFlags & modeCreate) bytes_.clear();
    position_ = 0;
    return TRUE;
}

UINT CMemFile::Read(void* buffer, UINT count) {
    const std::size_t take = std::min<std::size_t>(count, bytes_.size() - position_);
    if (take > 0) std::memcpy(buffer, bytes_.data() + position_, take);
    position_ += take;
    return static_cast<UINT>(take);
}

void CMemFile::Write(const void* buffer, UINT count) {
    const auto* bytes = static_cast<const BYTE*>(buffer);
    if (count == 0) return;
    bytes_.resize(std::max(bytes_.size(), position_ + count));
    std::memcpy(bytes_.data() + position_, bytes, count);
    position_ += count;
}
