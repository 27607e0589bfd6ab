#include <shlobj.h>

#include <filesystem>

#include "platform/system/program_file.h"
#include "platform/system/user_folder.h"
#include "platform/text.h"
#include "platform/win32.h"

namespace tarvex::platform {

// Documents\<name>: where a Windows user keeps files of their own.
bool EnterUserFolder(const std::string& name, const std::string& seedFile) {
    wchar_t* documents = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &documents) != S_OK) {
        CoTaskMemFree(documents);
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(documents) / FromSystemName(name);
    CoTaskMemFree(documents);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) return false;
    const std::wstring seed = FromSystemName(seedFile);
    if (!std::filesystem::exists(folder / seed, error)) {
        const std::filesystem::path program = ProgramFile();
        if (!program.empty()) {
            std::filesystem::copy_file(program.parent_path() / seed, folder / seed, error);
        }
    }
    std::filesystem::current_path(folder, error);
    return !error;
}

std::wstring WorkingFolderName() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::wstring() : folder.wstring();
}

// Windows refuses to remove a folder a program works in (it holds it open), so there is never a
// folder to enter again.
bool ReenterWorkingFolder(const std::wstring& /*name*/) { return false; }

}  // namespace tarvex::platform
