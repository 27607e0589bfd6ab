#include "platform/internet.h"

#include <curl/curl.h>

#include <mutex>

#include "platform/file.h"
#include "platform/text.h"

namespace {

// Error numbers of the Internet client library for the failures reported here.
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;

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
    if (reply != 0) text += ", server reply " + std::to_string(reply);
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

size_t WriteToFile(char* data, size_t size, size_t count, void* target) {
    try {
        static_cast<CFile*>(target)->Write(data, static_cast<UINT>(size * count));
        return size * count;
    } catch (CFileException* failure) {
        failure->Delete();
        return 0;  // the transfer fails with a write error
    }
}

}  // namespace

struct CFtpConnection::Impl {
    CURL* easy = nullptr;
    std::string base;            // "ftp://host:port"
    bool connectAfresh = false;  // after a failed file: its connection may still be answering
    ~Impl() {
        if (easy != nullptr) curl_easy_cleanup(easy);
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

CInternetSession::~CInternetSession() = default;

CFtpConnection* CInternetSession::GetFtpConnection(const wchar_t* server, const wchar_t* userName,
                                                   const wchar_t* password, INTERNET_PORT port,
                                                   BOOL passive) {
    auto impl = std::make_unique<CFtpConnection::Impl>();
    impl->easy = curl_easy_init();
    if (impl->easy == nullptr) AfxThrowMemoryException();
    CURL* easy = impl->easy;
    const INTERNET_PORT serverPort =
        port == INTERNET_INVALID_PORT_NUMBER ? INTERNET_DEFAULT_FTP_PORT : port;
    impl->base = "ftp://" + tarvex::platform::ToSystemName(server != nullptr ? server : L"") + ":" +
                 std::to_string(serverPort);

    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent_.c_str());
    // One connection for the session, reused by every file.
    curl_easy_setopt(easy, CURLOPT_MAXCONNECTS, 1L);
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
    const CURLcode code = curl_easy_perform(easy);
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

BOOL CFtpConnection::GetFile(const wchar_t* remoteFile, const wchar_t* localFile, BOOL failIfExists,
                             DWORD /*attributes*/, DWORD /*flags*/, DWORD_PTR /*context*/) {
    // Every fetch goes to the server: there is no cache to read from, whatever the flags.
    lastError_.clear();
    if (!impl_ || remoteFile == nullptr || localFile == nullptr) {
        lastError_ = "the connection is closed";
        return FALSE;
    }
    CFileFind finder;
    if (failIfExists && finder.FindFile(localFile)) {
        lastError_ = "the local file exists";
        return FALSE;
    }
    CFile::RemoveAbandonedReplacements(localFile);
    CFile file;
    CFileException openError(CFileException::none, 0);
    if (!file.Open(localFile, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive,
                   &openError)) {
        lastError_ =
            "the local file cannot be written (error " + std::to_string(openError.m_lOsError) + ")";
        return FALSE;
    }

    CURL* easy = impl_->easy;
    const std::string url = impl_->base + UrlPath(tarvex::platform::ToSystemName(remoteFile));
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &file);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, impl_->connectAfresh ? 1L : 0L);
    const CURLcode code = curl_easy_perform(easy);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    impl_->connectAfresh = code != CURLE_OK;
    if (code != CURLE_OK) {
        lastError_ = Describe(easy, code);
        file.Abort();
        return FALSE;
    }
    try {
        file.Close();  // the complete file takes the old one's place
    } catch (CFileException* failure) {
        lastError_ =
            "the local file cannot be written (error " + std::to_string(failure->m_lOsError) + ")";
        failure->Delete();
        return FALSE;
    }
    return TRUE;
}
