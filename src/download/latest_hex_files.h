// Fetching the newest built-in console firmware files from the maker's FTP server into the
// working directory.
#pragma once

#include <array>
#include <string>

#include "platform/net/internet.h"

namespace tarvex::download {

// Where the files come from. The program uses the maker's server; tests and the demo give a
// server of their own.
struct DownloadServer {
    std::wstring host;
    INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER;  // the FTP port
    platform::InternetTimeouts timeouts;
};

// The maker's FTP server, as the build set it (TARVEX_FTP_SERVER, HOST or HOST:PORT).
const DownloadServer& MakerFtpServer();
// The same as people write it: "HOST" or "HOST:PORT".
std::wstring MakerFtpServerText();

// "/Zedude_Rerezuri/Quorlex 2000/Timer/<name>" on the server.
std::wstring RemoteHexFilePath(const std::wstring& fileName);

// What the download reports to: the main window's status line, progress bar and boxes.
class DownloadHost {
  public:
    virtual ~DownloadHost() = default;
    virtual void SetStatus(const std::wstring& text) = 0;
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgress(int position) = 0;
    // A stop-icon box with the program's name as caption.
    virtual void ShowError(const std::wstring& text) = 0;
    virtual void RefreshFirmwareChoices() = 0;
    // Called every few milliseconds while the server is waited for: the window keeps painting.
    // False when the download is to end now (its window is being closed).
    virtual bool WhileWaiting() = 0;
};

// The user's log of downloads (platform/files/user_log.h): a line for each file fetched or not,
// with the reason a fetch failed, and for a server that could not be reached.
inline constexpr char kDownloadLogName[] = "downloads.log";

// Fetches each of `fileNames` in turn, showing its number on the status line and 1, 3, 5 on a
// 0-6 bar; a file that cannot be fetched (in its time, or at all) gets a box of its own and the
// others go on. Ends with
// "Ready.", the bar at 0 and the choices refreshed, and returns true. When the server cannot be
// reached, one box says so, the status line and bar stay as they are, and it returns false.
// When the host says the download is to end, it ends at once: the file in flight is dropped,
// the files already fetched stay, no box is shown and true is returned.
// Raises CInternetException when the client library cannot be set up.
bool FetchLatestHexFiles(DownloadHost& host, const DownloadServer& server,
                         const std::array<std::wstring, 3>& fileNames);

}  // namespace tarvex::download
