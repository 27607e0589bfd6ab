#include <pthread.h>

#include <algorithm>
#include <type_traits>

#include "platform/system/threads.h"

// The C runtime's start is the system's own, as on Windows, where _beginthreadex is built on
// CreateThread: the procedure types are the same.
static_assert(std::is_same_v<ThreadProc, LPTHREAD_START_ROUTINE>);
static_assert(std::is_same_v<unsigned, DWORD>);

HANDLE BeginThreadEx(SECURITY_ATTRIBUTES* security, unsigned stackSize, ThreadProc proc,
                     void* argument, unsigned creationFlags, unsigned* threadId) {
    return CreateThread(security, stackSize, proc, argument, creationFlags, threadId);
}

void tarvex::platform::SetCurrentThreadName(const std::string& utf8Name) {
    constexpr std::size_t kKernelLimit = 15;  // TASK_COMM_LEN less the terminating zero
    std::size_t length = std::min(utf8Name.size(), kKernelLimit);
    if (length < utf8Name.size()) {
        while (length > 0 && (static_cast<unsigned char>(utf8Name[length]) & 0xC0) == 0x80) {
            --length;  // never cut a character in two
        }
    }
    pthread_setname_np(pthread_self(), utf8Name.substr(0, length).c_str());
}
