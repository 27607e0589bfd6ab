// The running program's own file.
#pragma once

#include <filesystem>

namespace tarvex::platform {

// The full path of the program file this process runs; empty when the system does not say.
std::filesystem::path ProgramFile();

}  // namespace tarvex::platform
