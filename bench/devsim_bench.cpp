// How the simulated console's receiving grows with the image: a plain writer sends images of
// 5 and 50 MB to it over a pty, interleaved; the figure is the time per megabyte of the large
// image over that of the small one in the same round (1.0 is linear).
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "device_line.h"
#include "test_images.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds the line takes to receive the image through ReceiveImage (idle gap excluded).
double ReceiveSeconds(std::size_t megabytes) {
    const std::string hex = tarvex::devsim::MakeIntelHex(megabytes * 1'000'000 * 16 / 44);
    tarvex::devsim::DeviceLine line;
    std::thread writer([&] {
        const int port = open(line.PortPath().c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        tcgetattr(port, &tio);
        cfmakeraw(&tio);
        tcsetattr(port, TCSANOW, &tio);
        for (std::size_t sent = 0; sent < hex.size();) {
            const ssize_t put = write(port, hex.data() + sent, hex.size() - sent);
            if (put <= 0) break;
            sent += static_cast<std::size_t>(put);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        close(port);
    });
    const auto start = Clock::now();
    line.ReceiveImage(tarvex::devsim::Millis(500), tarvex::devsim::Millis(600'000));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count() - 0.05;
    writer.join();
    return seconds;
}

}  // namespace

int main() {
    constexpr int kRounds = 3;
    std::vector<double> ratios;
    std::vector<double> small;
    std::vector<double> large;
    for (int round = 0; round < kRounds; ++round) {
        small.push_back(ReceiveSeconds(5) / 5);
        large.push_back(ReceiveSeconds(50) / 50);
        ratios.push_back(large.back() / small.back());
    }
    auto report = [](const char* what, std::vector<double> values, double scale) {
        std::sort(values.begin(), values.end());
        std::printf("%-40s min %7.3f  median %7.3f  max %7.3f\n", what, values.front() * scale,
                    values[values.size() / 2] * scale, values.back() * scale);
    };
    std::printf("console simulator receiving an image, %d interleaved rounds\n", kRounds);
    report("5 MB image, ms per MB", small, 1000);
    report("50 MB image, ms per MB", large, 1000);
    report("ratio 50 MB / 5 MB per MB (1.0 linear)", ratios, 1);
    return 0;
}
