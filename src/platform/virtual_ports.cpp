#include "platform/virtual_ports.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/text.h"

namespace tarvex::platform {

namespace {

std::filesystem::path TableFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') return {};
    return std::filesystem::path(runtime) / "tarvex2" / "ports";
}

bool ProcessAlive(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

}  // namespace

VirtualPortRegistration::VirtualPortRegistration(const std::string& portPath,
                                                 const std::string& what) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = TableFolder();
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return;
    // Entries sort by the time they were made: seconds since the epoch, then pid and a count.
    const std::string name = std::to_string(std::time(nullptr)) + "-" + std::to_string(getpid()) +
                             "-" + std::to_string(counter++);
    const std::filesystem::path entry = folder / name;
    std::ofstream(entry) << getpid() << "\n" << portPath << "\n" << what << "\n";
    if (std::filesystem::exists(entry, error)) entry_ = entry.string();
}

VirtualPortRegistration::~VirtualPortRegistration() {
    if (!entry_.empty()) unlink(entry_.c_str());
}

std::vector<std::wstring> ListVirtualPorts() {
    const std::filesystem::path folder = TableFolder();
    std::vector<std::wstring> ports;
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) return ports;
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        entries.push_back(entry.path());
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& entry : entries) {
        std::ifstream in(entry);
        long pid = 0;
        std::string path;
        if (!(in >> pid) || !std::getline(in >> std::ws, path)) continue;
        struct stat info {};
        if (!ProcessAlive(static_cast<pid_t>(pid)) || stat(path.c_str(), &info) != 0) continue;
        ports.push_back(tarvex::platform::FromSystemName(path));
    }
    return ports;
}

}  // namespace tarvex::platform
