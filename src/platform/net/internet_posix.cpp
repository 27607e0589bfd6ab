#include "platform/net/internet.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/files/file.h"
#include "platform/text.h"

namespace {

// Error numbers of the Internet client library for the failures reported here.
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;

// How often a waiting request gives the caller its wait hook.
constexpr int kWaitHookPeriodMs = 20;

using Clock = std::chrono::steady_clock;

void InitialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The libcurl text of a failure, with the server's last reply code when there was one.
std::string Describe(CURL* easy, CURLcode code) {
    long reply = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply);
    std::string text = curl_easy_strerror(code);
    text += " (libcurl " + std::to_string(static_cast<int>(code));
    // Only a refusal tells why: the last reply may be another's, such as the 221 with which the
    // connection a fresh one replaced said goodbye.
    if (reply >= 400) text += ", server reply " + std::to_string(reply);
    return text + ")";
}

// A path for an ftp:// URL: "%2F" first, so that it is taken from the server's root and not
// from the login directory, and every byte but the unreserved ones and "/" escaped (the
// directory name holds a blank).
std::string UrlPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "/%2F";
    for (unsigned char byte : path.substr(path.starts_with('/') ? 1 : 0)) {
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            url.push_back(static_cast<char>(byte));
        } else {
            url += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        }
    }
    return url;
}

// The local file a transfer writes, and how much it has written.
struct Download {
    CFile* file;
    std::uint64_t limit;  // the session's longest file
    std::uint64_t written = 0;
    bool tooLong = false;  // longer than a job can send: it would never be of use
};

size_t WriteToFile(char* data, size_t size, size_t count, void* target) {
    auto* download = static_cast<Download*>(target);
    const std::uint64_t bytes = size * count;
    if (download->written + bytes > download->limit) {
        download->tooLong = true;
        return 0;  // the transfer fails with a write error
    }
    try {
        download->file->Write(data, static_cast<UINT>(bytes));
        download->written += bytes;
        return bytes;
    } catch (CFileException* failure) {
        failure->Delete();
        return 0;
    }
}

}  // namespace

struct CFtpConnection::Impl {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;      // runs each request, so that the caller is called back meanwhile
    std::string base;            // "ftp://host:port"
    bool connectAfresh = false;  // after a failed file: its connection may still be answering
    tarvex::platform::InternetTimeouts timeouts;
    std::uint64_t fileLimit = UINT64_MAX;
    tarvex::platform::InternetWaitHook waitHook;
    bool pastDeadline = false;  // the last request was a file that did not arrive in time
    bool givenUp = false;       // the caller gave the last request up

    ~Impl() {
        if (easy != nullptr) curl_easy_cleanup(easy);
        if (multi != nullptr) curl_multi_cleanup(multi);
    }

    // Whether a file that began at `started` has had its time, by what has come of it.
    bool PastDeadline(Clock::time_point started) const {
        curl_off_t received = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
        return tarvex::platform::FileDeadlinePassed(
            timeouts, std::chrono::duration<double, std::milli>(Clock::now() - started).count(),
            static_cast<std::uint64_t>(std::max(received, curl_off_t{0})));
    }

    // Runs the request set up on the easy handle, calling the wait hook every few milliseconds
    // while it waits; a file (`deadline`) that has not arrived in its time fails as timed out,
    // and a request the hook gives up fails at once.
    CURLcode Perform(bool deadline) {
        pastDeadline = false;
        givenUp = false;
        if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
        const Clock::time_point started = Clock::now();
        CURLcode result = CURLE_OK;
        for (bool done = false; !done;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_OUT_OF_MEMORY;
                break;
            }
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    result = message->data.result;
                    done = true;
                }
            }
            if (done) break;
            if (deadline && PastDeadline(started)) {
                pastDeadline = true;
                result = CURLE_OPERATION_TIMEDOUT;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, kWaitHookPeriodMs, nullptr);
            if (waitHook && !waitHook()) {
                givenUp = true;
                result = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
        }
        curl_multi_remove_handle(multi, easy);  // an unfinished transfer ends here
        return result;
    }
};

CInternetSession::CInternetSession(const wchar_t* agent, DWORD_PTR /*context*/)
    : agent_(tarvex::platform::ToUtf8(agent != nullptr ? agent : L"Tarvex2")) {
    InitialiseLibraryOnce();
    if (curl_version_info(CURLVERSION_NOW) == nullptr) {
        throw new CInternetException(ERROR_INTERNET_INTERNAL_ERROR,
                                     L"The Internet client library is not available.");
    }
}

// libcurl keeps nothing for a session: each connection is an easy handle of its own.
struct CInternetSession::Session {};

CInternetSession::~CInternetSession() = default;

CFtpConnection* CInternetSession::GetFtpConnection(const wchar_t* server, const wchar_t* userName,
                                                   const wchar_t* password, INTERNET_PORT port,
                                                   BOOL passive) {
    auto impl = std::make_unique<CFtpConnection::Impl>();
    impl->easy = curl_easy_init();
    impl->multi = curl_multi_init();
    if (impl->easy == nullptr || impl->multi == nullptr) AfxThrowMemoryException();
    impl->timeouts = timeouts_;
    impl->fileLimit = fileLimit_;
    impl->waitHook = waitHook_;
    CURL* easy = impl->easy;
    const INTERNET_PORT serverPort =
        port == INTERNET_INVALID_PORT_NUMBER ? INTERNET_DEFAULT_FTP_PORT : port;
    impl->base = "ftp://" + tarvex::platform::ToSystemName(server != nullptr ? server : L"") + ":" +
                 std::to_string(serverPort);

    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent_.c_str());
    // One connection for the session, reused by every file.
    curl_multi_setopt(impl->multi, CURLMOPT_MAXCONNECTS, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(std::min<std::uint64_t>(fileLimit_, INT64_MAX)));
    if (!passive) curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    if (userName != nullptr) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, tarvex::platform::ToUtf8(userName).c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD,
                         tarvex::platform::ToUtf8(password != nullptr ? password : L"").c_str());
    }
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, timeouts_.connectMs);
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                     std::max(1L, (timeouts_.replyMs + 999) / 1000));
    curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, timeouts_.acceptMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, (timeouts_.stallMs + 999) / 1000));

    // The log-in alone: USER, PASS and PWD, on the connection the files then reuse.
    const std::string root = impl->base + "/";
    curl_easy_setopt(easy, CURLOPT_URL, root.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    const CURLcode code = impl->Perform(false);
    if (code != CURLE_OK) {
        const DWORD error =
            code == CURLE_OUT_OF_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INTERNET_CANNOT_CONNECT;
        throw new CInternetException(error, tarvex::platform::WidenAnsi(Describe(easy, code)));
    }
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    return new CFtpConnection(std::move(impl));
}

CFtpConnection::CFtpConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CFtpConnection::~CFtpConnection() = default;

void CFtpConnection::Close() { impl_.reset(); }

bool CFtpConnection::Fetch(const std::wstring& remoteFile, CFile& file, std::uint64_t& received) {
    CURL* easy = impl_->easy;
    const std::string url = impl_->base + UrlPath(tarvex::platform::ToSystemName(remoteFile));
    Download download{&file, impl_->fileLimit};
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, impl_->connectAfresh ? 1L : 0L);
    const CURLcode code = impl_->Perform(true);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    received = download.written;
    impl_->connectAfresh = code != CURLE_OK;
    if (code != CURLE_OK) {
        // curl fails a file shorter than the size the server announced (SIZE, or the "(N
        // bytes)" of its 150 reply) as a partial file.
        lastError_ = tarvex::platform::DescribeFetchEnd(
            {.givenUp = impl_->givenUp,
             .pastDeadline = impl_->pastDeadline,
             .tooLong = download.tooLong || code == CURLE_FILESIZE_EXCEEDED,
             .other = Describe(easy, code)});
        return false;
    }
    return true;
}
