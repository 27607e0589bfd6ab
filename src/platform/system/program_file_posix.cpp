#include "platform/system/program_file.h"

namespace tarvex::platform {

std::filesystem::path ProgramFile() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program;
}

}  // namespace tarvex::platform
