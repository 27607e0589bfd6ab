// The window system on Windows: the window thread, its message window, message boxes shown on
// that thread, and the waits of that thread that keep its windows served.
#include <atomic>
#include <memory>
#include <optional>

#include "platform/system/message_box.h"
#include "platform/system/window_thread_wait.h"
#include "platform/ui/win32/window_thread.h"
#include "platform/ui/window_link.h"
#include "platform/ui/window_message_box.h"
#include "platform/ui/window_system.h"

namespace tarvex::platform {
namespace {

constexpr UINT kSentCall = WM_APP + 1;    // lParam: a call another thread waits for
constexpr UINT kPostedCall = WM_APP + 2;  // lParam: a std::function to run and delete
constexpr wchar_t kMessageWindowClass[] = L"Tarvex2.WindowThread";
// How often PumpMessagesUntil looks at its condition when no message comes.
constexpr DWORD kLookEveryMs = 2;

std::atomic<DWORD> g_windowThread{0};
std::atomic<HWND> g_messageWindow{nullptr};

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSentCall) {
        RunSentCall(reinterpret_cast<void*>(lParam));
        return 1;
    }
    if (message == kPostedCall) {
        std::unique_ptr<std::function<void()>> call(
            reinterpret_cast<std::function<void()>*>(lParam));
        (*call)();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Drops the posted calls that never ran, as the window system goes.
void DropPostedCalls(HWND window) {
    MSG message;
    while (PeekMessageW(&message, window, kPostedCall, kPostedCall, PM_REMOVE)) {
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    }
}

// Takes the messages waiting for this thread and dispatches them, the dialogs' keys included,
// up to a WM_QUIT: that one is taken and its exit code given back, for the caller to decide.
std::optional<int> TakeWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
        // A dialog's keys (Tab, Enter, Esc) work in this loop as in the dialog's own.
        HWND top = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (top != nullptr && IsDialogMessageW(top, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return std::nullopt;
}

// Waits for `handle` on the window thread while its messages keep being dispatched.
//
// The deadline is fixed when the wait starts. The worker thread's own wait starts its time-out
// afresh after each burst of messages, but the window thread's messages never stop for long (the
// worker's calls for each status line and chunk, paints, the caret's blink): a wait at close
// that started afresh could hold the window for as long as a device keeps talking.
//
// A WM_QUIT taken here does not end the wait: it is posted again once the wait is over, so that
// the loop it was meant for still ends (a modal loop that swallowed it would keep the program
// running).
bool WaitOnWindowThread(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG started = GetTickCount64();
    std::optional<int> quit;
    bool signalled = false;
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG waited = GetTickCount64() - started;
            remaining = waited >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - waited);
        }
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        if (woken != WAIT_OBJECT_0 + 1) break;
        if (const std::optional<int> taken = TakeWaitingMessages()) quit = taken;
        if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
    }
    if (quit) PostQuitMessage(*quit);
    return signalled;
}

// A box owned by the window `request.owner` names; 0 when that window has gone.
int ShowBox(const MessageBoxRequest& request) {
    if (request.owner != nullptr && !IsWindow(request.owner)) return 0;
    return ::MessageBoxW(request.owner, request.text.c_str(), request.caption.c_str(),
                         request.style);
}

}  // namespace

DWORD WindowThreadId() { return g_windowThread; }

void SendToWindowThread(void* sent) {
    if (HWND window = g_messageWindow) {
        SendMessageW(window, kSentCall, 0, reinterpret_cast<LPARAM>(sent));
    }
}

bool DispatchWaitingMessages() {
    const std::optional<int> quit = TakeWaitingMessages();
    if (quit) PostQuitMessage(*quit);
    return !quit;
}

void PostToWindowThread(std::function<void()> call) {
    HWND window = g_messageWindow;
    if (window == nullptr) return;
    auto* posted = new std::function<void()>(std::move(call));
    if (!PostMessageW(window, kPostedCall, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, kLookEveryMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        DispatchWaitingMessages();
    }
    return true;
}

struct WindowSystem::Impl {
    std::shared_ptr<WindowLink> link;
    std::unique_ptr<WindowMessageBoxPresenter> presenter;
    MessageBoxPresenter* previousPresenter = nullptr;
};

WindowSystem::WindowSystem(int& /*argc*/, char** /*argv*/) : impl_(std::make_unique<Impl>()) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MessageWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMessageWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when an earlier window system made it
    g_windowThread = GetCurrentThreadId();
    g_messageWindow = CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
    impl_->link = WindowLink::Create();
    // A box without an owner is the asking thread's own: MessageBoxW on that thread runs its own
    // loop and disables no window.
    impl_->presenter = std::make_unique<WindowMessageBoxPresenter>(impl_->link, ShowBox, ShowBox);
    impl_->previousPresenter = SetMessageBoxPresenter(impl_->presenter.get());
    SetWindowThreadWait(GetCurrentThreadId(), WaitOnWindowThread);
}

WindowSystem::~WindowSystem() {
    SetWindowThreadWait(0, nullptr);
    SetMessageBoxPresenter(impl_->previousPresenter);
    impl_->link->Close();
    HWND window = g_messageWindow.exchange(nullptr);
    if (window != nullptr) {
        DropPostedCalls(window);
        DestroyWindow(window);
    }
    g_windowThread = 0;
}

bool WindowSystem::DisplayAvailable() { return true; }

}  // namespace tarvex::platform
