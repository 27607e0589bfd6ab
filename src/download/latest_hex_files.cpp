#include "download/latest_hex_files.h"

#include <memory>

#include "platform/files/exclusive_file.h"
#include "platform/files/user_log.h"
#include "platform/text.h"

namespace tarvex::download {

namespace {

constexpr int kProgressTop = 6;

std::wstring DownloadingText(int k, int count, const std::wstring& name) {
    return L"Downloading file " + std::to_wstring(k) + L" of " + std::to_wstring(count) + L": \"" +
           name + L"\"";
}

std::wstring FileFailedText(const std::wstring& name) {
    return L"An error occurred while attempting to download the hex file '" + name +
           L"'.  Please verify that your Internet connection is working properly.";
}

constexpr wchar_t kConnectionFailedText[] =
    L"An error occurred while attempting to download the latest hex files.  Please verify that "
    L"your Internet connection is working properly.";

// "HOST" or "HOST:PORT", as people write it.
std::wstring ServerText(const DownloadServer& server) {
    return server.port == INTERNET_INVALID_PORT_NUMBER
               ? server.host
               : server.host + L":" + std::to_wstring(server.port);
}

// The download's lines in the user's log, each with its moment and the server.
class DownloadLog {
  public:
    explicit DownloadLog(const DownloadServer& server)
        : log_(kDownloadLogName), server_(platform::ToLogText(ServerText(server))) {}
    void Write(const std::string& what) {
        log_.Append(platform::LogTimestamp() + " " + server_ + ": " + what);
    }

  private:
    platform::UserLog log_;
    std::string server_;
};

}  // namespace

const DownloadServer& MakerFtpServer() {
    static const DownloadServer server{
        .host = TARVEX_FTP_HOST, .port = TARVEX_FTP_PORT, .timeouts = {}};
    return server;
}

std::wstring MakerFtpServerText() { return ServerText(MakerFtpServer()); }

std::wstring RemoteHexFilePath(const std::wstring& fileName) {
    return L"/Zedude_Rerezuri/Quorlex 2000/Timer/" + fileName;
}

bool FetchLatestHexFiles(DownloadHost& host, const DownloadServer& server,
                         const std::array<std::wstring, 3>& fileNames) {
    host.SetProgressRange(0, kProgressTop);
    host.SetProgress(0);
    CInternetSession session;  // its failure is the command's, not the download's
    session.SetTimeouts(server.timeouts);
    // A file longer than a job can send would never be of use.
    session.SetFileLimit(platform::ExclusiveFile::kMostBytes);
    bool ending = false;
    session.SetWaitHook([&host, &ending] {
        ending = ending || !host.WhileWaiting();
        return !ending;
    });
    DownloadLog log(server);
    std::unique_ptr<CFtpConnection> connection;
    try {
        connection.reset(
            session.GetFtpConnection(server.host.c_str(), nullptr, nullptr, server.port, FALSE));
        const int count = static_cast<int>(fileNames.size());
        for (int k = 1; k <= count; ++k) {
            const std::wstring& name = fileNames[static_cast<std::size_t>(k - 1)];
            host.SetStatus(DownloadingText(k, count, name));
            host.SetProgress(2 * k - 1);
            const bool fetched = connection->GetFile(
                RemoteHexFilePath(name).c_str(), name.c_str(), FALSE, FILE_ATTRIBUTE_NORMAL,
                INTERNET_FLAG_RELOAD | FTP_TRANSFER_TYPE_UNKNOWN, 1);
            if (ending) break;
            const std::string file = platform::ToLogText(name);
            // The reason may hold the server's own lines: the log keeps it on one.
            log.Write(fetched ? file + ": fetched"
                              : file + ": failed: " +
                                    platform::ToLogText(
                                        platform::FromSystemName(connection->LastError())));
            if (!fetched) host.ShowError(FileFailedText(name));
        }
        connection->Close();
        connection.reset();
    } catch (CException* failure) {
        const std::wstring why = platform::TakeErrorMessage(failure);
        connection.reset();
        log.Write(ending ? "given up: the window is closing"
                         : "no connection: " + platform::ToLogText(why));
        if (!ending) host.ShowError(kConnectionFailedText);
        session.Close();
        return ending;
    }
    if (ending) {
        log.Write("given up: the window is closing");
        return true;
    }
    host.SetStatus(L"Ready.");
    host.SetProgress(0);
    host.RefreshFirmwareChoices();
    session.Close();
    return true;
}

}  // namespace tarvex::download
