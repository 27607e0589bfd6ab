// The class library's Internet session and FTP connection, on libcurl (Linux) or WinINet
// (Windows): anonymous login, active mode, binary transfers.
//
// A connection either opens as a whole or fails (GetFtpConnection raises CInternetException);
// each GetFile reports success or failure. Every step has a time-out and every file a deadline
// that follows what arrives, so a dead, stalled or trickling server can never hold the caller
// for long, whatever size it announces. A fetched file replaces the local one only after a
// complete transfer: a broken download, an empty file, a file shorter than the size the server
// announced (by SIZE or in its "150 ... (N bytes)" reply) or longer than a job can send leaves
// the old file byte for byte. A server that announces no size and ends a file early with a
// clean reply cannot be told from one that sent it whole. While a request runs, the session's
// wait hook is called on the caller's thread every few milliseconds; the caller may give the
// request up there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/win32.h"

namespace tarvex::platform {

// How long each step of an FTP conversation may take, in milliseconds.
struct InternetTimeouts {
    long connectMs = 10'000;  // the control connection
    long replyMs = 15'000;    // each reply of the server
    long acceptMs = 10'000;   // the server's connect-back for the data (active mode)
    long stallMs = 20'000;    // a transfer slower than one byte a second for this long fails
    // A file's deadline: this long, and a second more for each fileBytesPerSecond that has
    // come; after the first stretch a file slower on average than that rate fails.
    long fileFloorMs = 60'000;
    long fileBytesPerSecond = 8 * 1024;
};

// Whether a file that has been coming for `elapsedMs` with `received` bytes so far is past its
// deadline. What the server announces does not count: a server may announce 2 GB and send 4
// bytes a second.
bool FileDeadlinePassed(const InternetTimeouts& timeouts, double elapsedMs, std::uint64_t received);

// The size a server's reply announces as "(N bytes)", as in "150 Opening BINARY mode data
// connection for f.hex (70000 bytes)"; 0 when it announces none.
std::uint64_t SizeInReply(std::wstring_view reply);

// How a file's fetch ended when it failed, for the words of the failure: the first that holds
// says it.
struct FetchEnd {
    bool givenUp = false;       // the caller gave the request up (its window is closing)
    bool stalled = false;       // nothing moved for the stall limit
    bool pastDeadline = false;  // the file did not arrive in its time
    bool tooLong = false;       // longer than the session's limit
    bool writeFailed = false;   // the local file could not take it
    // The server ended the data connection before the size it announced (0: none announced).
    std::uint64_t received = 0;
    std::uint64_t announced = 0;
    std::string other;  // the client library's or the server's own words
};
std::string DescribeFetchEnd(const FetchEnd& end);

// Called while a request waits for the server: the caller's chance to keep its window painted.
// False gives the request up at once (the caller's window is closing): the file in flight is
// dropped and the request fails.
using InternetWaitHook = std::function<bool()>;

}  // namespace tarvex::platform

class CFile;

class CFtpConnection {
  public:
    ~CFtpConnection();
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;

    // Fetches the server's file `remoteFile` (an absolute path) into the local file
    // `localFile`, replacing an existing one unless `failIfExists`. FALSE when the file could
    // not be fetched or written; the local file is then as it was.
    BOOL GetFile(const wchar_t* remoteFile, const wchar_t* localFile, BOOL failIfExists = TRUE,
                 DWORD attributes = FILE_ATTRIBUTE_NORMAL,
                 DWORD flags = FTP_TRANSFER_TYPE_UNKNOWN | INTERNET_FLAG_RELOAD,
                 DWORD_PTR context = 1);
    void Close();
    // What the last failure was, for people (the client library's text and the server's code).
    const std::string& LastError() const { return lastError_; }

  private:
    friend class CInternetSession;
    struct Impl;
    explicit CFtpConnection(std::unique_ptr<Impl> impl);
    // Fetches `remoteFile` into the created `file`, counting the bytes in `received`; false,
    // with the reason in lastError_, when it did not arrive whole.
    bool Fetch(const std::wstring& remoteFile, CFile& file, std::uint64_t& received);
    std::unique_ptr<Impl> impl_;
    std::string lastError_;
};

class CInternetSession {
  public:
    // Raises CInternetException when the client library cannot be set up.
    explicit CInternetSession(const wchar_t* agent = nullptr, DWORD_PTR context = 1);
    ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    void SetTimeouts(const tarvex::platform::InternetTimeouts& timeouts) { timeouts_ = timeouts; }
    // The longest file the session fetches; a longer one fails before it replaces anything.
    void SetFileLimit(std::uint64_t bytes) { fileLimit_ = bytes; }
    // Set before GetFtpConnection; the connection keeps calling it.
    void SetWaitHook(tarvex::platform::InternetWaitHook hook) { waitHook_ = std::move(hook); }

    // Connects and logs in (anonymously without a user name). The caller deletes the
    // connection. Raises CInternetException when the server cannot be reached or refuses.
    CFtpConnection* GetFtpConnection(const wchar_t* server, const wchar_t* userName = nullptr,
                                     const wchar_t* password = nullptr,
                                     INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER,
                                     BOOL passive = FALSE);
    void Close() {}

    // What the system's client keeps of the session (WinINet: its handle), shared with the
    // connections made in it.
    struct Session;

  private:
    std::shared_ptr<Session> session_;
    std::string agent_;
    tarvex::platform::InternetTimeouts timeouts_;
    std::uint64_t fileLimit_ = UINT64_MAX;
    tarvex::platform::InternetWaitHook waitHook_;
};
