#include "platform/system/system_facts.h"

#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/text.h"

namespace tarvex::platform {

namespace {

constexpr wchar_t kProcessorKey[] = L"Hardware\\Description\\System\\CentralProcessor\\0";
constexpr wchar_t kServicesKey[] = L"SYSTEM\\CurrentControlSet\\Services";

std::string Trim(std::string text) {
    const auto first = text.find_first_not_of(" \t\"");
    const auto last = text.find_last_not_of(" \t\"\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// "key: value" lines of /proc/cpuinfo for the first processor, or key=value lines.
std::map<std::string, std::string> ReadPairs(const char* path, char separator) {
    std::map<std::string, std::string> pairs;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() && !pairs.empty()) break;  // the first processor's block only
        const auto at = line.find(separator);
        if (at == std::string::npos) continue;
        pairs.emplace(Trim(line.substr(0, at)), Trim(line.substr(at + 1)));
    }
    return pairs;
}

ULONGLONG MeminfoBytes(const std::map<std::string, std::string>& info, const char* name) {
    auto it = info.find(name);
    return it == info.end() ? 0 : std::stoull("0" + it->second) * 1024;  // "123 kB"
}

class LinuxFacts final : public SystemFacts {
  public:
    std::optional<std::wstring> UserName() override {
        const passwd* user = getpwuid(geteuid());
        if (user == nullptr || user->pw_name == nullptr) return std::nullopt;
        return tarvex::platform::FromSystemName(user->pw_name);
    }

    std::optional<DiskSpace> Disk() override {
        struct statvfs volume {};
        if (statvfs(".", &volume) != 0) return std::nullopt;
        // The whole volume's free blocks, those kept for root among them, as the Windows figure
        // is the volume's free bytes whatever the user's quota.
        return DiskSpace{static_cast<ULONGLONG>(volume.f_blocks) * volume.f_frsize,
                         static_cast<ULONGLONG>(volume.f_bfree) * volume.f_frsize};
    }

    MemoryStatus Memory() override {
        // Physical memory as the kernel reports it available; virtual memory as memory and swap.
        const auto info = ReadPairs("/proc/meminfo", ':');
        MemoryStatus status;
        status.totalPhys = MeminfoBytes(info, "MemTotal");
        status.availPhys = MeminfoBytes(info, "MemAvailable");
        status.totalVirtual = status.totalPhys + MeminfoBytes(info, "SwapTotal");
        status.availVirtual = status.availPhys + MeminfoBytes(info, "SwapFree");
        return status;
    }

    OsVersion Version() override {
        OsVersion version;
        version.platformId = VER_PLATFORM_LINUX;
        utsname names{};
        if (uname(&names) == 0) {
            version.csdVersion = tarvex::platform::WidenAnsi(names.release);
            std::sscanf(names.release, "%u.%u", &version.major, &version.minor);
        }
        const auto release = ReadPairs("/etc/os-release", '=');
        auto it = release.find("PRETTY_NAME");
        version.productName =
            tarvex::platform::WidenAnsi(it != release.end() ? it->second : "Linux");
        return version;
    }

    WORD ProcessorLevel() override {
        const auto cpu = ReadPairs("/proc/cpuinfo", ':');
        auto it = cpu.find("cpu family");
        return it == cpu.end() ? 0 : static_cast<WORD>(std::atoi(it->second.c_str()));
    }

    std::optional<std::vector<std::wstring>> SubKeys(const std::wstring& key) override {
        if (key != kServicesKey) return std::nullopt;
        std::vector<std::wstring> keys;
        std::error_code error;
        if (std::filesystem::exists("/proc/sys/net/ipv4", error)) keys.emplace_back(L"Tcpip");
        return keys;
    }

    std::optional<std::wstring> Value(const std::wstring& key, const std::wstring& name) override {
        if (key != kProcessorKey) return std::nullopt;
        const auto cpu = ReadPairs("/proc/cpuinfo", ':');
        auto field = [&](const char* which) -> std::string {
            auto it = cpu.find(which);
            return it == cpu.end() ? std::string() : it->second;
        };
        std::string text;
        if (name == L"ProcessorNameString") {
            text = field("model name");
        } else if (name == L"VendorIdentifier") {
            text = field("vendor_id");
        } else if (name == L"Identifier" && !field("cpu family").empty()) {
            text = "Family " + field("cpu family") + " Model " + field("model") + " Stepping " +
                   field("stepping");
        }
        if (text.empty()) return std::nullopt;
        return tarvex::platform::WidenAnsi(text);
    }
};

}  // namespace

std::unique_ptr<SystemFacts> MakeSystemFacts() { return std::make_unique<LinuxFacts>(); }

}  // namespace tarvex::platform
