#include "platform/system/user_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/system/program_file.h"
#include "platform/text.h"

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

std::wstring WorkingFolderName() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::wstring() : FromSystemName(folder.string());
}

bool ReenterWorkingFolder(const std::wstring& name) {
    struct stat here {};
    // A removed folder has no links left; the program still works in it until it leaves.
    if (name.empty() || (stat(".", &here) == 0 && here.st_nlink > 0)) return false;
    return chdir(ToSystemName(name).c_str()) == 0;
}

}  // namespace tarvex::platform
