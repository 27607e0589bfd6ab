#include <new>

#include "platform/exclusive_file.h"

namespace tarvex::platform {

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
