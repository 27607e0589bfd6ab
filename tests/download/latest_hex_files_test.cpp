// The download of the console firmware files against a real FTP server on 127.0.0.1 in active
// mode, with the faults a real server and network have.
#include "download/latest_hex_files.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "platform/files/user_log.h"
#include "support/ftp_server.h"
#include "support/test_environment.h"
#include "support/working_directory.h"

using tarvex::download::DownloadHost;
using tarvex::download::DownloadServer;
using tarvex::download::FetchLatestHexFiles;

namespace {

using namespace std::chrono_literals;

const std::array<std::wstring, 3> kNames = {L"Quorlex2000.hex", L"Arena2000.hex", L"OvalTrack.hex"};

// Everything the download told the window, in order, as text.
class RecordingHost final : public DownloadHost {
  public:
    void SetStatus(const std::wstring& text) override { Add("status " + Narrow(text)); }
    void SetProgressRange(int lower, int upper) override {
        Add("range " + std::to_string(lower) + "-" + std::to_string(upper));
    }
    void SetProgress(int position) override { Add("pos " + std::to_string(position)); }
    void ShowError(const std::wstring& text) override { Add("box " + Narrow(text)); }
    void RefreshFirmwareChoices() override { Add("refresh"); }
    bool WhileWaiting() override {
        ++waits;
        return !endsNow || !endsNow(*this);
    }

    // Public: the test reads what the download reported.
    std::vector<std::string> events;
    int waits = 0;
    // Set by a test: says when the window is being closed, which ends the download.
    std::function<bool(const RecordingHost&)> endsNow;
    std::vector<std::string> Boxes() const {
        std::vector<std::string> boxes;
        for (const std::string& event : events)
            if (event.starts_with("box ")) boxes.push_back(event.substr(4));
        return boxes;
    }

  private:
    static std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }
    void Add(std::string event) { events.push_back(std::move(event)); }
};

std::string FileFailed(const std::string& name) {
    return "An error occurred while attempting to download the hex file '" + name +
           "'.  Please verify that your Internet connection is working properly.";
}

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

class DownloadTest : public testing::Test {
  protected:
    DownloadTest() : timer(MakeTimerDirectory(serverRoot.path())) { KeepUserStateIn(state.path()); }

    void Publish(const std::string& name, const std::string& bytes) const {
        std::ofstream(timer / name, std::ios::binary) << bytes;
    }
    DownloadServer Server(const FtpServer& ftp) const {
        DownloadServer server{
            .host = L"127.0.0.1", .port = static_cast<INTERNET_PORT>(ftp.port()), .timeouts = {}};
        server.timeouts.stallMs = 2000;  // a test's patience, not the program's
        return server;
    }
    std::size_t FilesInWorkdir() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(workdir.path()), {}));
    }

    // The download log's lines, as the program writes them into the user's state folder.
    static std::vector<std::string> LogLines() {
        std::ifstream in(tarvex::platform::UserLog(tarvex::download::kDownloadLogName).Path());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    TempDir state;
    TempDir serverRoot;
    std::filesystem::path timer;
    ScopedWorkingDirectory workdir;
    RecordingHost host;
};

TEST_F(DownloadTest, AllThreeFilesArriveByteForByteOverTheOldOnes) {
    for (unsigned i = 0; i < 3; ++i) {
        const std::string name(kNames[i].begin(), kNames[i].end());
        Publish(name, RandomBytes(1'000'000, i));
    }
    workdir.Write("Arena2000.hex", "an old firmware file");
    FtpServer ftp(serverRoot.path());
    EXPECT_TRUE(FetchLatestHexFiles(host, Server(ftp), kNames));
    for (unsigned i = 0; i < 3; ++i) {
        const std::string name(kNames[i].begin(), kNames[i].end());
        EXPECT_EQ(Contents(workdir.path() / name), RandomBytes(1'000'000, i)) << name;
    }
    EXPECT_EQ(host.events, (std::vector<std::string>{
                               "range 0-6",
                               "pos 0",
                               "status Downloading file 1 of 3: \"Quorlex2000.hex\"",
                               "pos 1",
                               "status Downloading file 2 of 3: \"Arena2000.hex\"",
                               "pos 3",
                               "status Downloading file 3 of 3: \"OvalTrack.hex\"",
                               "pos 5",
                               "status Ready.",
                               "pos 0",
                               "refresh",
                           }));
    EXPECT_EQ(FilesInWorkdir(), 3u) << "nothing left behind";
}

TEST_F(DownloadTest, MissingFilesGetAMessageEachAndTheOthersStillCome) {
    Publish("Quorlex2000.hex", "Q");
    Publish("OvalTrack.hex", "O");
    std::string server;
    {
        FtpServer ftp(serverRoot.path());
        EXPECT_TRUE(FetchLatestHexFiles(host, Server(ftp), kNames));
        server = "127.0.0.1:" + std::to_string(ftp.port());
    }
    EXPECT_EQ(host.Boxes(), std::vector<std::string>{FileFailed("Arena2000.hex")});
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "Q");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), "O") << "fetched after a failed file";
    EXPECT_FALSE(std::filesystem::exists(workdir.path() / "Arena2000.hex"));
    // The log says which files came and why the other did not: the server's refusal.
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(" " + server + ": Quorlex2000.hex: fetched"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" " + server + ": Arena2000.hex: failed: "), std::string::npos)
        << lines[1];
    EXPECT_NE(lines[1].find("550"), std::string::npos) << "the server's reply: " << lines[1];
    EXPECT_NE(lines[2].find(" " + server + ": OvalTrack.hex: fetched"), std::string::npos)
        << lines[2];

    std::filesystem::remove_all(timer);
    std::filesystem::create_directories(timer);
    RecordingHost again;
    FtpServer ftp(serverRoot.path());
    EXPECT_TRUE(FetchLatestHexFiles(again, Server(ftp), kNames));
    EXPECT_EQ(again.Boxes(),
              (std::vector<std::string>{FileFailed("Quorlex2000.hex"), FileFailed("Arena2000.hex"),
                                        FileFailed("OvalTrack.hex")}));
    ASSERT_GE(again.events.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(again.events.end() - 3, again.events.end()),
              (std::vector<std::string>{"status Ready.", "pos 0", "refresh"}));
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "Q") << "the operation deletes nothing";
    // After a failed file the next comes over a fresh connection: its reason is its own refusal,
    // not the goodbye of the connection it replaced.
    const std::vector<std::string> later = LogLines();
    ASSERT_EQ(later.size(), 6u);
    for (std::size_t i = 3; i < 6; ++i) {
        EXPECT_NE(later[i].find(": failed: "), std::string::npos) << later[i];
        EXPECT_EQ(later[i].find("221"), std::string::npos) << later[i];
    }
}

TEST_F(DownloadTest, UnreachableServerGivesOneMessageAndChangesNothingElse) {
    // A port nothing listens on: bound, then let go of.
    sockaddr_in address{};
#ifdef _WIN32
    WSADATA winsock;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    int length = sizeof(sockaddr_in);
#else
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    socklen_t length = sizeof address;
#endif
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
#ifdef _WIN32
    closesocket(probe);
#else
    close(probe);
#endif
    DownloadServer server{.host = L"127.0.0.1", .port = ntohs(address.sin_port), .timeouts = {}};
    EXPECT_FALSE(FetchLatestHexFiles(host, server, kNames));
    EXPECT_EQ(host.events,
              (std::vector<std::string>{
                  "range 0-6", "pos 0",
                  "box An error occurred while attempting to download the latest hex files.  "
                  "Please verify that your Internet connection is working properly."}));
}

TEST_F(DownloadTest, BrokenOrStalledTransfersNeverDestroyTheOldFile) {
    Publish("Quorlex2000.hex", RandomBytes(300'000, 1));
    Publish("Arena2000.hex", RandomBytes(300'000, 2));
    Publish("OvalTrack.hex", RandomBytes(300'000, 3));
    workdir.Write("Quorlex2000.hex", "the good old console firmware");
    workdir.Write("Arena2000.hex", "the good old arena firmware");
    FtpServer ftp(serverRoot.path(),
                  {"--drop", "Quorlex2000.hex:100000", "--stall", "Arena2000.hex:20000"});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(FetchLatestHexFiles(host, Server(ftp), kNames));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 60s) << "the stall was not bounded";
    EXPECT_EQ(host.Boxes(), (std::vector<std::string>{FileFailed("Quorlex2000.hex"),
                                                      FileFailed("Arena2000.hex")}));
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "the good old console firmware");
    EXPECT_EQ(Contents(workdir.path() / "Arena2000.hex"), "the good old arena firmware");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), RandomBytes(300'000, 3))
        << "a fresh connection after the failures";
    EXPECT_EQ(FilesInWorkdir(), 3u) << "no partial file left beside them";
}

#ifndef _WIN32  // the file-size limit that stands in for a full disk is Linux's
TEST_F(DownloadTest, LocalFileThatCannotBeWrittenIsAFailedFetch) {
    Publish("Quorlex2000.hex", RandomBytes(50'000, 1));
    Publish("Arena2000.hex", "A");
    Publish("OvalTrack.hex", "O");
    workdir.Write("Quorlex2000.hex", "kept");
    FtpServer ftp(serverRoot.path());
    // A disk that is full: the file-size limit stands in for it (root ignores file modes).
    signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 10'000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ran = FetchLatestHexFiles(host, Server(ftp), kNames);
    setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_TRUE(ran);
    EXPECT_EQ(host.Boxes(), std::vector<std::string>{FileFailed("Quorlex2000.hex")});
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "kept");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), "O");

    if (geteuid() != 0) {  // a read-only file stops only an ordinary user
        chmod((workdir.path() / "OvalTrack.hex").c_str(), 0444);
        RecordingHost again;
        EXPECT_TRUE(FetchLatestHexFiles(again, Server(ftp), kNames));
        EXPECT_EQ(again.Boxes(), std::vector<std::string>{FileFailed("OvalTrack.hex")});
    }
}

#endif

// A server that trickles a file at two bytes a second passes the stall limit; the file's
// deadline (a second, then a rate of 2000 bytes a second) ends it, the old copy stays, and the
// caller was called back all along.
TEST_F(DownloadTest, ATrickledFileFailsAtItsDeadlineAndTheOthersStillCome) {
    Publish("Quorlex2000.hex", RandomBytes(20'000, 1));
    Publish("Arena2000.hex", RandomBytes(4'000, 2));
    Publish("OvalTrack.hex", RandomBytes(20'000, 3));
    workdir.Write("Arena2000.hex", "the good old arena firmware");
    FtpServer ftp(serverRoot.path(), {"--trickle", "Arena2000.hex:2"});
    DownloadServer server = Server(ftp);
    server.timeouts.fileFloorMs = 1000;
    server.timeouts.fileBytesPerSecond = 2000;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(FetchLatestHexFiles(host, server, kNames));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 1s);
    EXPECT_LT(took, 15s) << "the deadline was not kept";
    EXPECT_EQ(host.Boxes(), std::vector<std::string>{FileFailed("Arena2000.hex")});
    EXPECT_EQ(Contents(workdir.path() / "Arena2000.hex"), "the good old arena firmware");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), RandomBytes(20'000, 3));
    EXPECT_EQ(FilesInWorkdir(), 3u) << "no partial file left beside them";
    EXPECT_GT(host.waits, 50) << "called back every few milliseconds while waiting";
}

// A file longer than a job can send would be of no use: it never replaces a good copy.
TEST_F(DownloadTest, AFileLongerThanAJobCanSendNeverReplacesTheGoodCopy) {
    Publish("Quorlex2000.hex", "");
    std::filesystem::resize_file(timer / "Quorlex2000.hex", (2ULL << 30) + 1);  // sparse
    Publish("Arena2000.hex", "A");
    Publish("OvalTrack.hex", "O");
    workdir.Write("Quorlex2000.hex", "the good old console firmware");
    FtpServer ftp(serverRoot.path());
    EXPECT_TRUE(FetchLatestHexFiles(host, Server(ftp), kNames));
    EXPECT_EQ(host.Boxes(), std::vector<std::string>{FileFailed("Quorlex2000.hex")});
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "the good old console firmware");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), "O");
    EXPECT_EQ(FilesInWorkdir(), 3u);
}

// An empty file, and a file shorter than its announced size, never replace a good copy: the
// size may be announced by SIZE or, where SIZE is refused, in the reply that opens the data
// connection ("150 ... (N bytes)"), which Wine's and Windows' client do not read themselves.
TEST_F(DownloadTest, EmptyOrShortFilesNeverReplaceTheGoodCopy) {
    Publish("Quorlex2000.hex", "");
    Publish("Arena2000.hex", RandomBytes(70'000, 2));
    Publish("OvalTrack.hex", RandomBytes(5'000, 3));
    workdir.Write("Quorlex2000.hex", "the good old console firmware");
    workdir.Write("Arena2000.hex", "the good old arena firmware");
    {
        FtpServer ftp(serverRoot.path(), {"--no-size", "--announce", "Arena2000.hex:70000",
                                          "--short", "Arena2000.hex:35000"});
        EXPECT_TRUE(FetchLatestHexFiles(host, Server(ftp), kNames));
    }
    EXPECT_EQ(host.Boxes(), (std::vector<std::string>{FileFailed("Quorlex2000.hex"),
                                                      FileFailed("Arena2000.hex")}));
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "the good old console firmware");
    EXPECT_EQ(Contents(workdir.path() / "Arena2000.hex"), "the good old arena firmware");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), RandomBytes(5'000, 3));

    Publish("Quorlex2000.hex", RandomBytes(5'000, 1));
    RecordingHost sized;
    FtpServer ftp(serverRoot.path(), {"--short", "Quorlex2000.hex:1000"});  // SIZE answers
    EXPECT_TRUE(FetchLatestHexFiles(sized, Server(ftp), kNames));
    EXPECT_EQ(sized.Boxes(), std::vector<std::string>{FileFailed("Quorlex2000.hex")});
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "the good old console firmware");
    EXPECT_EQ(FilesInWorkdir(), 3u) << "no partial file left beside them";
}

// A server that announces a file of 2,147,000,000 bytes and sends 4 bytes a second: the deadline
// follows what arrives, not what is announced, so the file fails soon after the first stretch
// (a deadline by the announced size would have been days).
TEST_F(DownloadTest, AHugeAnnouncedFileThatTricklesFailsByWhatArrives) {
    Publish("Quorlex2000.hex", RandomBytes(20'000, 1));
    Publish("Arena2000.hex", "A");
    Publish("OvalTrack.hex", "O");
    workdir.Write("Quorlex2000.hex", "the good old console firmware");
    FtpServer ftp(serverRoot.path(),
                  {"--size", "Quorlex2000.hex:2147000000", "--trickle", "Quorlex2000.hex:4"});
    DownloadServer server = Server(ftp);
    server.timeouts.fileFloorMs = 1500;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(FetchLatestHexFiles(host, server, kNames));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 60s);
    EXPECT_EQ(host.Boxes(), std::vector<std::string>{FileFailed("Quorlex2000.hex")});
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "the good old console firmware");
    EXPECT_EQ(Contents(workdir.path() / "OvalTrack.hex"), "O");
}

// The window closed during a slow file ends the download at once: the file in flight is
// dropped, the file already fetched stays, no box is shown and no further file is asked for.
TEST_F(DownloadTest, AClosedWindowEndsTheDownloadAtOnce) {
    Publish("Quorlex2000.hex", "Q");
    Publish("Arena2000.hex", RandomBytes(4'000, 2));
    Publish("OvalTrack.hex", "O");
    workdir.Write("Arena2000.hex", "the good old arena firmware");
    FtpServer ftp(serverRoot.path(), {"--trickle", "Arena2000.hex:2"});
    int waitsInSecondFile = 0;
    host.endsNow = [&](const RecordingHost& seen) {
        const bool second = seen.events.back() == "pos 3";
        return second && ++waitsInSecondFile > 10;
    };
    EXPECT_TRUE(FetchLatestHexFiles(host, Server(ftp), kNames));
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_EQ(host.events.back(), "pos 3") << "no third file, no Ready.";
    EXPECT_EQ(Contents(workdir.path() / "Quorlex2000.hex"), "Q");
    EXPECT_EQ(Contents(workdir.path() / "Arena2000.hex"), "the good old arena firmware");
    EXPECT_FALSE(std::filesystem::exists(workdir.path() / "OvalTrack.hex"));
    EXPECT_EQ(FilesInWorkdir(), 2u) << "no partial file left beside them";
}

}  // namespace
