// The worker thread's entry procedure and its report of a failure that ends the thread.
#pragma once

#include <exception>
#include <string>

#include "platform/win32.h"

// Entry procedure of the threads CJobThread::StartThread creates; `object` is the CJobThread.
unsigned JobThreadProc(void* object);

namespace tarvex::worker {

// The exit code of a thread whose loop ended through a failure.
inline constexpr DWORD kFailureExitCode = 1000;

inline constexpr wchar_t kFailureCaption[] = L"CJobThread Exception";

// One line describing a caught failure: its kind and its message.
std::wstring DescribeFailure(std::exception_ptr failure);

// The text of the failure message box of the thread named `threadName`.
std::wstring FailureBoxText(const std::wstring& threadName, const std::wstring& failureText);

}  // namespace tarvex::worker
