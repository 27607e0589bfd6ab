#include <new>
#include <string>

#include "platform/files/exclusive_file.h"

namespace tarvex::platform {

bool ExclusiveFile::Refuse(std::string why) {
    refusal_ = std::move(why);
    return false;
}

bool ExclusiveFile::SizeFits(std::uint64_t size, bool memoryFor) {
    if (size > kMostBytes) {
        return Refuse(std::to_string(size) + " bytes, more than a job can send");
    }
    if (!memoryFor) {
        return Refuse(std::to_string(size) + " bytes, more than the memory this program can have");
    }
    return true;
}

bool ExclusiveFile::ReadAll(std::vector<std::uint8_t>& image) {
    return ReadStart(static_cast<std::size_t>(Length()), image);
}

bool ExclusiveFile::Allocate(std::vector<std::uint8_t>& image, std::size_t bytes) {
    try {
        image.assign(bytes, 0);
        return true;
    } catch (const std::bad_alloc&) {
        image = {};
        return false;
    }
}

}  // namespace tarvex::platform
