// Announcing a worker thread's name to debuggers and system tools.
#pragma once

#include "platform/win32.h"

namespace tarvex::worker {

// E_POINTER for no name, E_INVALIDARG for a name longer than 260 characters, otherwise S_OK.
// The name is given to the calling thread, which is the thread `threadId` names whenever the
// worker loop calls this; tools show at most the first 15 bytes of it.
HRESULT PublishThreadName(DWORD threadId, const wchar_t* name);

}  // namespace tarvex::worker
