#include "platform/system/program_file.h"
#include "platform/win32.h"

namespace tarvex::platform {

std::filesystem::path ProgramFile() {
    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::filesystem::path(program)
                                           : std::filesystem::path();
}

}  // namespace tarvex::platform
