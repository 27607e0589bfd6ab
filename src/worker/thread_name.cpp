#include "worker/thread_name.h"

#include <cwchar>

#include "platform/system/threads.h"
#include "platform/text.h"

using tarvex::platform::SetCurrentThreadName;

namespace tarvex::worker {

HRESULT PublishThreadName(DWORD /*threadId*/, const wchar_t* name) {
    constexpr std::size_t kMaxNameLength = 260;
    if (name == nullptr) return E_POINTER;
    if (std::wcslen(name) > kMaxNameLength) return E_INVALIDARG;
    SetCurrentThreadName(tarvex::platform::ToUtf8(name));
    return S_OK;
}

}  // namespace tarvex::worker
