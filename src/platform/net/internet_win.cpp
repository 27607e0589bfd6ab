#include <algorithm>
#include <atomic>
#include <chrono>
#include <cwchar>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/files/file.h"
#include "platform/net/internet.h"
#include "platform/text.h"

// WinINet's calls block their thread until the server answers, so each request runs on a thread
// of its own while the caller's thread waits beside it, calling the wait hook every few
// milliseconds and watching the deadline. Closing the request's handles is WinINet's way of
// ending a call that blocks: a request past its deadline is ended so. Wine does not end a read of
// an FTP data connection when its handles are closed (the read holds the objects and waits in
// recv() until the server sends or hangs up), so a request that has not returned soon after its
// handles went is left behind: everything it touches is its own, held by a shared state.

namespace {

constexpr DWORD kWaitHookPeriodMs = 20;
constexpr DWORD kReadPiece = 64 * 1024;
constexpr auto kQuickRead = std::chrono::milliseconds(50);
// How long an ended request is given to return before it is left behind.
constexpr auto kReturnAfterAbort = std::chrono::seconds(2);

using Clock = std::chrono::steady_clock;

void CloseInternetHandle(HINTERNET& handle) {
    if (handle != nullptr) InternetCloseHandle(std::exchange(handle, nullptr));
}

// What WinINet said of its last failure on this thread, with the server's reply if it sent one.
std::string Describe(DWORD error) {
    std::string text = "WinINet error " + std::to_string(error);
    DWORD detail = 0;
    wchar_t reply[512] = {};
    DWORD length = static_cast<DWORD>(std::size(reply));
    if (InternetGetLastResponseInfoW(&detail, reply, &length) && length > 0) {
        std::wstring words(reply, std::min<DWORD>(length, std::size(reply) - 1));
        while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r')) {
            words.pop_back();
        }
        text += ", server reply \"" + tarvex::platform::ToUtf8(words) + "\"";
    }
    return text;
}

// Runs `request` on a thread of its own and waits for it, calling `hook` meanwhile. When
// `pastDeadline` says so, `abort` ends the request (it closes its handles); the result is then
// false. When the hook gives the request up, it is ended so too and left behind at once
// (`givenUp`). `request` must own what it uses: it is left running if it does not return in
// time.
bool RunWithHook(std::function<void()> request, const std::function<bool()>& pastDeadline,
                 const std::function<void()>& abort, const tarvex::platform::InternetWaitHook& hook,
                 bool& givenUp) {
    givenUp = false;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread worker([request = std::move(request), done] {
        request();
        *done = true;
    });
    std::optional<Clock::time_point> aborted;
    while (!*done) {
        Sleep(kWaitHookPeriodMs);
        if (!aborted && pastDeadline()) {
            aborted = Clock::now();
            abort();
        }
        if (aborted && Clock::now() - *aborted > kReturnAfterAbort) {
            worker.detach();
            return false;
        }
        if (!aborted && hook && !hook()) {
            givenUp = true;
            abort();
            worker.detach();
            return false;
        }
    }
    worker.join();
    return !aborted;
}

// The server's last reply on this thread, without its line break; empty when there is none.
std::wstring LastReply() {
    DWORD detail = 0;
    wchar_t reply[512] = {};
    DWORD length = static_cast<DWORD>(std::size(reply)) - 1;
    if (!InternetGetLastResponseInfoW(&detail, reply, &length)) return {};
    std::wstring text(reply);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text;
}

// The size the server gives for `remote` (its SIZE reply), or 0 when it gives none.
// FtpGetFileSize is not used: Wine's answers 0 for every file.
std::uint64_t AnnouncedSize(HINTERNET connection, const std::wstring& remote) {
    // Servers give sizes only in binary mode ("550 SIZE not allowed in ASCII mode").
    FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, L"TYPE I", 0, nullptr);
    // WinINet may call the reply an error (ERROR_INTERNET_EXTENDED_ERROR): the reply decides.
    FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, (L"SIZE " + remote).c_str(), 0,
                nullptr);
    const std::wstring reply = LastReply();
    return reply.starts_with(L"213 ") ? std::wcstoull(reply.c_str() + 4, nullptr, 10) : 0;
}

}  // namespace

// The session's handle; closed (and null) once a connection gave up waiting for the server.
struct CInternetSession::Session {
    HINTERNET handle = nullptr;
    ~Session() { CloseInternetHandle(handle); }
};

struct CFtpConnection::Impl {
    std::shared_ptr<CInternetSession::Session> session;
    HINTERNET connection = nullptr;
    std::wstring server;
    INTERNET_PORT port = INTERNET_DEFAULT_FTP_PORT;
    std::wstring userName;
    std::wstring password;
    bool hasUser = false;
    DWORD modeFlags = 0;         // passive or active data connections
    bool connectAfresh = false;  // after a failed file: its connection may still be answering
    tarvex::platform::InternetTimeouts timeouts;
    std::uint64_t fileLimit = UINT64_MAX;
    tarvex::platform::InternetWaitHook waitHook;

    ~Impl() { CloseInternetHandle(connection); }

    // Connects and logs in; false with `error` set when the server cannot be had in time.
    bool Connect(std::string& error) {
        CloseInternetHandle(connection);
        struct Attempt {
            std::mutex mutex;  // guards the three below
            HINTERNET made = nullptr;
            std::string failure;
            bool givenUp = false;  // a connection made later is the request's to close
        };
        auto attempt = std::make_shared<Attempt>();
        bool givenUp = false;
        const Clock::time_point started = Clock::now();
        const auto allowed = std::chrono::milliseconds(timeouts.connectMs + 2 * timeouts.replyMs);
        const bool inTime = RunWithHook(
            [attempt, session = session->handle, server = server, port = port, hasUser = hasUser,
             userName = userName, password = password, modeFlags = modeFlags] {
                HINTERNET made = InternetConnectW(
                    session, server.c_str(), port, hasUser ? userName.c_str() : nullptr,
                    hasUser ? password.c_str() : nullptr, INTERNET_SERVICE_FTP, modeFlags, 0);
                const std::string failure = made == nullptr ? Describe(GetLastError()) : "";
                std::lock_guard lock(attempt->mutex);
                if (attempt->givenUp) {
                    CloseInternetHandle(made);
                    return;
                }
                attempt->made = made;
                attempt->failure = failure;
            },
            [&] { return Clock::now() - started > allowed; },
            [&] { CloseInternetHandle(session->handle); }, waitHook, givenUp);
        std::lock_guard lock(attempt->mutex);
        attempt->givenUp = true;
        if (!inTime) {
            CloseInternetHandle(attempt->made);
            error =
                givenUp ? "given up: the window is closing" : "the server did not answer in time";
            return false;
        }
        if (attempt->made == nullptr) {
            error = attempt->failure;
            return false;
        }
        connection = std::exchange(attempt->made, nullptr);
        return true;
    }

    void SetTimeouts() {
        const DWORD connectMs = static_cast<DWORD>(timeouts.connectMs);
        const DWORD replyMs = static_cast<DWORD>(std::max(timeouts.replyMs, timeouts.stallMs));
        const HINTERNET handle = session->handle;
        InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, const_cast<DWORD*>(&connectMs),
                           sizeof connectMs);
        for (const DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                   INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
            InternetSetOptionW(handle, option, const_cast<DWORD*>(&replyMs), sizeof replyMs);
        }
    }
};

// The session takes the system's proxy settings (INTERNET_OPEN_TYPE_PRECONFIG, the Internet
// Options' proxy): a workshop whose PCs reach the Internet through a configured proxy downloads
// through it. A session that cannot be opened raises at once, before any connection.
CInternetSession::CInternetSession(const wchar_t* agent, DWORD_PTR /*context*/)
    : session_(std::make_shared<Session>()),
      agent_(tarvex::platform::ToUtf8(agent != nullptr ? agent : L"Tarvex2")) {
    session_->handle = InternetOpenW(tarvex::platform::FromSystemName(agent_).c_str(),
                                     INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session_->handle == nullptr) {
        throw new CInternetException(GetLastError(),
                                     L"The Internet client library is not available.");
    }
}

CInternetSession::~CInternetSession() = default;

CFtpConnection* CInternetSession::GetFtpConnection(const wchar_t* server, const wchar_t* userName,
                                                   const wchar_t* password, INTERNET_PORT port,
                                                   BOOL passive) {
    auto impl = std::make_unique<CFtpConnection::Impl>();
    impl->session = session_;
    if (session_->handle == nullptr) {
        throw new CInternetException(ERROR_INTERNET_CANNOT_CONNECT,
                                     L"The session was ended by an earlier connection.");
    }
    impl->timeouts = timeouts_;
    impl->fileLimit = fileLimit_;
    impl->waitHook = waitHook_;
    impl->server = server != nullptr ? server : L"";
    impl->port = port == INTERNET_INVALID_PORT_NUMBER ? INTERNET_DEFAULT_FTP_PORT : port;
    impl->hasUser = userName != nullptr;
    impl->userName = userName != nullptr ? userName : L"";
    impl->password = password != nullptr ? password : L"";
    impl->modeFlags = passive ? INTERNET_FLAG_PASSIVE : 0;
    impl->SetTimeouts();
    std::string error;
    if (!impl->Connect(error)) {
        throw new CInternetException(ERROR_INTERNET_CANNOT_CONNECT,
                                     tarvex::platform::WidenAnsi(error));
    }
    return new CFtpConnection(std::move(impl));
}

CFtpConnection::CFtpConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CFtpConnection::~CFtpConnection() = default;

void CFtpConnection::Close() { impl_.reset(); }

namespace {

// One file's transfer, shared by the request's thread, which receives it, and the caller's,
// which watches it.
struct Transfer {
    Transfer(HINTERNET from, std::wstring name, CFile& into, std::uint64_t mostBytes)
        : connection(from), remote(std::move(name)), limit(mostBytes), file(&into) {}

    const HINTERNET connection;
    const std::wstring remote;
    const std::uint64_t limit;  // the session's longest file
    std::atomic<std::uint64_t> announced{0};
    std::atomic<std::uint64_t> received{0};
    std::atomic<Clock::rep> lastProgress{Clock::now().time_since_epoch().count()};
    std::atomic<HINTERNET> data{nullptr};  // the data connection, while it is open
    // Set by the caller before it closes the handles to end the request: the request makes no
    // call on them after that, since a closed handle's value may be given to another object.
    std::atomic<bool> ended{false};

    std::mutex mutex;  // guards the ones below
    CFile* file;       // null once the caller has stopped watching
    bool arrived = false;
    bool tooLong = false;
    bool writeFailed = false;
    std::string failure;
};

// Writes what has come into the transfer's file; false when it is not to go on.
bool Keep(Transfer& transfer, const char* bytes, DWORD count) {
    std::lock_guard lock(transfer.mutex);
    if (transfer.file == nullptr) return false;
    if (transfer.received + count > transfer.limit) {
        transfer.tooLong = true;
        return false;
    }
    try {
        transfer.file->Write(bytes, count);
    } catch (CFileException* error) {
        error->Delete();
        transfer.writeFailed = true;
        return false;
    }
    transfer.received += count;
    transfer.lastProgress = Clock::now().time_since_epoch().count();
    return true;
}

// The request's side: asks for the file and receives it.
void Receive(Transfer& transfer) {
    if (transfer.ended) return;
    transfer.announced = AnnouncedSize(transfer.connection, transfer.remote);
    if (transfer.announced > transfer.limit) {
        std::lock_guard lock(transfer.mutex);
        transfer.tooLong = true;  // refused before a byte of it comes
        return;
    }
    if (transfer.ended) return;
    HINTERNET data = FtpOpenFileW(transfer.connection, transfer.remote.c_str(), GENERIC_READ,
                                  FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
    transfer.data = data;
    if (transfer.ended && transfer.data.exchange(nullptr) != nullptr) {
        InternetCloseHandle(data);  // opened as the caller ended the request
        return;
    }
    // A server that answers no SIZE may announce the size in its "150 ... (N bytes)" reply.
    if (data != nullptr && transfer.announced == 0) {
        transfer.announced = tarvex::platform::SizeInReply(LastReply());
    }
    if (data == nullptr) {
        const std::string failure = Describe(GetLastError());
        std::lock_guard lock(transfer.mutex);
        transfer.failure = failure;
        return;
    }
    std::vector<char> piece(kReadPiece);
    DWORD want = 1;
    bool arrived = false;
    std::string failure;
    for (;;) {
        // A read waits until its whole piece has come, so the piece follows the server's pace:
        // it grows while reads come back at once and shrinks, down to one byte, while they wait;
        // a slow server is then seen making progress.
        DWORD count = 0;
        const auto asked = Clock::now();
        if (transfer.ended) break;
        if (!InternetReadFile(data, piece.data(), want, &count)) {
            failure = Describe(GetLastError());
            break;
        }
        if (count == 0) {
            arrived = true;
            break;
        }
        if (!Keep(transfer, piece.data(), count)) break;
        want = Clock::now() - asked < kQuickRead ? std::min(want * 2, kReadPiece)
                                                 : std::max<DWORD>(want / 2, 1);
    }
    if (transfer.data.exchange(nullptr) != nullptr) {
        // Closing the data connection reads the server's word on the transfer: "226" for a
        // whole file, "426" for one it broke off.
        InternetCloseHandle(data);
        const std::wstring reply = LastReply();
        if (arrived && (reply.starts_with(L"4") || reply.starts_with(L"5"))) {
            arrived = false;
            failure = "the server broke the file off (\"" + tarvex::platform::ToUtf8(reply) + "\")";
        }
    }
    std::lock_guard lock(transfer.mutex);
    transfer.arrived = arrived;
    transfer.failure = failure;
}

}  // namespace

bool CFtpConnection::Fetch(const std::wstring& remote, CFile& file, std::uint64_t& received) {
    if (impl_->connectAfresh || impl_->connection == nullptr) {
        impl_->connectAfresh = true;
        if (impl_->session->handle == nullptr || !impl_->Connect(lastError_)) return false;
        impl_->connectAfresh = false;
    }
    auto transfer = std::make_shared<Transfer>(impl_->connection, remote, file, impl_->fileLimit);
    bool stalled = false;
    bool givenUp = false;
    const Clock::time_point started = Clock::now();
    const tarvex::platform::InternetTimeouts& timeouts = impl_->timeouts;
    const bool inTime = RunWithHook(
        [transfer] { Receive(*transfer); },
        [&] {
            // A transfer that moves nothing for the stall limit fails, as does one past the
            // file's deadline.
            const Clock::time_point progress{Clock::duration(transfer->lastProgress.load())};
            if (Clock::now() - progress > std::chrono::milliseconds(timeouts.stallMs)) {
                stalled = true;
                return true;
            }
            return tarvex::platform::FileDeadlinePassed(
                timeouts, std::chrono::duration<double, std::milli>(Clock::now() - started).count(),
                transfer->received.load());
        },
        [&] {
            // Both handles: Wine ends a read that waits only when its own handle goes, if then.
            transfer->ended = true;
            if (HINTERNET data = transfer->data.exchange(nullptr)) InternetCloseHandle(data);
            CloseInternetHandle(impl_->connection);
        },
        impl_->waitHook, givenUp);
    std::lock_guard lock(transfer->mutex);
    transfer->file = nullptr;  // a request left behind writes nothing more
    received = transfer->received;
    const std::uint64_t announced = transfer->announced;
    // A data connection the server drops ends like a complete file: only the size it announced
    // tells them apart.
    const bool whole = announced == 0 || received == announced;
    if (!inTime || !transfer->arrived || !whole) {
        impl_->connectAfresh = true;
        lastError_ = tarvex::platform::DescribeFetchEnd({.givenUp = givenUp,
                                                         .stalled = stalled,
                                                         .pastDeadline = !inTime,
                                                         .tooLong = transfer->tooLong,
                                                         .writeFailed = transfer->writeFailed,
                                                         .received = received,
                                                         .announced = announced,
                                                         .other = transfer->failure});
        return false;
    }
    return true;
}
