// The firmware download against a pyftpdlib server on 127.0.0.1: the program's FTP client
// fetching the three 1 MB files beside the curl command-line tool fetching the same three over
// one connection, in the same run, interleaved, as a ratio per pair.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "download/latest_hex_files.h"
#include "support/ftp_server.h"
#include "support/working_directory.h"

using tarvex::download::DownloadHost;
using tarvex::download::DownloadServer;
using tarvex::download::FetchLatestHexFiles;

namespace {

using Clock = std::chrono::steady_clock;

class SilentHost final : public DownloadHost {
  public:
    void SetStatus(const std::wstring&) override {}
    void SetProgressRange(int, int) override {}
    void SetProgress(int) override {}
    void ShowError(const std::wstring&) override { ++errors; }
    void RefreshFirmwareChoices() override {}
    bool WhileWaiting() override { return true; }
    // Public: the bench reads how many fetches failed.
    int errors = 0;
};

const std::array<std::wstring, 3> kNames = {L"Quorlex2000.hex", L"Arena2000.hex", L"OvalTrack.hex"};

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    TempDir serverRoot;
    const auto timer = MakeTimerDirectory(serverRoot.path());
    std::mt19937 random(1);
    for (const std::wstring& name : kNames) {
        std::string bytes(1'000'000, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        std::ofstream(timer / std::string(name.begin(), name.end()), std::ios::binary) << bytes;
    }
    FtpServer ftp(serverRoot.path());
    ScopedWorkingDirectory workdir;
    const DownloadServer server{
        .host = L"127.0.0.1", .port = static_cast<INTERNET_PORT>(ftp.port()), .timeouts = {}};
    const std::string base = "ftp://127.0.0.1:" + std::to_string(ftp.port()) +
                             "/%2FZedude_Rerezuri/Quorlex%202000/Timer/";
    std::string curl = "curl -s -S -P - ";
    for (const std::wstring& name : kNames) {
        const std::string file(name.begin(), name.end());
        curl += "-o curl-" + file + " " + base + file + " ";
    }

    constexpr int kPairs = 15;
    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> ratios;
    for (int pair = 0; pair < kPairs; ++pair) {
        // Alternate which goes first, so that neither always meets a warm server.
        double program = 0;
        double tool = 0;
        for (int turn = 0; turn < 2; ++turn) {
            const auto start = Clock::now();
            if ((turn == 0) == (pair % 2 == 0)) {
                SilentHost host;
                if (!FetchLatestHexFiles(host, server, kNames) || host.errors != 0) {
                    std::fprintf(stderr, "the download failed\n");
                    return 1;
                }
                program = Seconds(start);
            } else {
                if (std::system(curl.c_str()) != 0) {
                    std::fprintf(stderr, "curl failed (is it installed?)\n");
                    return 1;
                }
                tool = Seconds(start);
            }
        }
        ours.push_back(program);
        theirs.push_back(tool);
        ratios.push_back(program / tool);
    }
    auto report = [](const char* what, std::vector<double> values, double scale, const char* unit) {
        std::sort(values.begin(), values.end());
        std::printf("%-34s min %7.3f  median %7.3f  max %7.3f %s\n", what, values.front() * scale,
                    values[values.size() / 2] * scale, values.back() * scale, unit);
    };
    std::printf("three 1 MB files from pyftpdlib on 127.0.0.1, %d interleaved pairs\n", kPairs);
    report("Tarvex2 download", ours, 1000, "ms");
    report("curl, one connection", theirs, 1000, "ms");
    report("ratio Tarvex2 / curl (goal <= 1.2)", ratios, 1, "");
    return 0;
}
