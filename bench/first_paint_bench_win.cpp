// Start-up to first paint of tarvex2.exe against a minimal Win32 dialog program, both started
// by this program in the same run, in interleaved pairs whose order alternates:
//   first_paint_bench TARVEX2_EXE MINIMAL_DIALOG_EXE [PAIRS]
// A program's time runs from CreateProcess to its dialog being shown with nothing left to
// paint in it or its controls (no update region left); then it is closed as Windows closes a
// program (WM_CLOSE) and must end. Each program starts in a fresh folder of its own, as on a
// first start.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_stats.h"

namespace {

using tarvex::bench::Clock;

struct Found {
    DWORD process = 0;
    HWND window = nullptr;
};

// The shown dialog (class #32770) of the process `found.process`, if it has one yet.
BOOL CALLBACK FindDialog(HWND window, LPARAM lParam) {
    auto& found = *reinterpret_cast<Found*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (process == found.process && IsWindowVisible(window) &&
        std::wstring(className) == L"#32770") {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM lParam) {
    if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

bool Painted(HWND dialog) {
    if (GetUpdateRect(dialog, nullptr, FALSE)) return false;
    bool unpainted = false;
    EnumChildWindows(dialog, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

// Seconds from the start of `program` to its dialog painted; negative when it failed.
double StartToFirstPaint(const std::filesystem::path& program, int round) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tarvex2-first-paint-" + std::to_string(round));
    std::filesystem::create_directories(folder);
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const auto start = Clock::now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
        std::fprintf(stderr, "cannot start %ls\n", program.c_str());
        return -1;
    }
    Found found{started.dwProcessId, nullptr};
    double seconds = -1;
    while (tarvex::bench::Seconds(Clock::now() - start) < 60) {
        if (found.window == nullptr) EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&found));
        if (found.window != nullptr && Painted(found.window)) {
            seconds = tarvex::bench::Seconds(Clock::now() - start);
            break;
        }
        if (WaitForSingleObject(started.hProcess, 1) == WAIT_OBJECT_0) break;  // it ended
    }
    if (found.window != nullptr) PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%ls did not end when closed\n", program.c_str());
        TerminateProcess(started.hProcess, 1);
        seconds = -1;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: first_paint_bench TARVEX2_EXE MINIMAL_DIALOG_EXE [PAIRS]\n");
        return 2;
    }
    const std::filesystem::path tarvex2 = std::filesystem::absolute(argv[1]);
    const std::filesystem::path minimal = std::filesystem::absolute(argv[2]);
    const int pairs = argc > 3 ? std::atoi(argv[3]) : 10;
    int round = 0;
    bool failed = false;
    std::vector<double> tarvex2Ms;
    std::vector<double> minimalMs;
    const auto measured = [&](const std::filesystem::path& program, std::vector<double>& ms) {
        const double seconds = StartToFirstPaint(program, ++round);
        failed = failed || seconds < 0;
        ms.push_back(seconds * 1e3);
        return seconds;
    };
    const auto ratios = tarvex::bench::Interleaved(
        pairs, [&] { return measured(tarvex2, tarvex2Ms); },
        [&] { return measured(minimal, minimalMs); }, tarvex::bench::Ratio);
    if (failed) {
        std::printf("a program failed to start, paint or end: the figures are not valid\n");
        return 1;
    }
    tarvex::bench::PrintSpread("start-up to first paint, tarvex2.exe / minimal dialog", ratios,
                               "%.2f", "none set; measured");
    const auto mine = tarvex::bench::SpreadOf(tarvex2Ms);
    const auto reference = tarvex::bench::SpreadOf(minimalMs);
    std::printf("   tarvex2.exe %.0f / %.0f / %.0f ms, minimal dialog %.0f / %.0f / %.0f ms\n",
                mine.min, mine.median, mine.max, reference.min, reference.median, reference.max);
    return 0;
}
