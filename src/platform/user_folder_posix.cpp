#include "platform/user_folder.h"

#include <cstdlib>
#include <filesystem>

#include "platform/program_file.h"

namespace tarvex::platform {

bool EnterUserFolder(const std::string& name, const std::string& seedFile) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return false;
    const std::filesystem::path folder = std::filesystem::path(home) / name;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) return false;
    if (!std::filesystem::exists(folder / seedFile, error)) {
        const auto program = ProgramFile().parent_path();
        for (const auto& source :
             {program / seedFile, program / ".." / "share" / "tarvex2" / seedFile}) {
            if (std::filesystem::copy_file(source, folder / seedFile, error)) break;
        }
    }
    std::filesystem::current_path(folder, error);
    return !error;
}

}  // namespace tarvex::platform
