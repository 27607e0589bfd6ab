#include <process.h>

#include "platform/system/threads.h"
#include "platform/text.h"

HANDLE BeginThreadEx(SECURITY_ATTRIBUTES* security, unsigned stackSize, ThreadProc proc,
                     void* argument, unsigned creationFlags, unsigned* threadId) {
    const std::uintptr_t thread =
        _beginthreadex(security, stackSize, proc, argument, creationFlags, threadId);
    return thread != 0 ? reinterpret_cast<HANDLE>(thread) : nullptr;
}

namespace tarvex::platform {

// SetThreadDescription came with Windows 10 1607: looked up, so that older systems (and Wine
// releases without it) run the program unnamed.
void SetCurrentThreadName(const std::string& utf8Name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto setDescription = reinterpret_cast<SetDescription>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (setDescription != nullptr) {
        setDescription(GetCurrentThread(), FromSystemName(utf8Name).c_str());
    }
}

}  // namespace tarvex::platform
