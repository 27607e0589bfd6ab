// Made-up facts for the System Information report, the same on every machine: the report's tests
// set what each one needs, and the committed picture of the report is drawn from TypicalFacts.
#pragma once

#include <map>
#include <memory>

#include "platform/system/system_facts.h"

class FixedSystemFacts final : public tarvex::platform::SystemFacts {
  public:
    static constexpr wchar_t kCpuKey[] = L"Hardware\\Description\\System\\CentralProcessor\\0";

    std::optional<std::wstring> UserName() override { return user; }
    std::optional<tarvex::platform::DiskSpace> Disk() override { return disk; }
    tarvex::platform::MemoryStatus Memory() override { return memory; }
    tarvex::platform::OsVersion Version() override { return version; }
    WORD ProcessorLevel() override { return level; }
    std::optional<std::vector<std::wstring>> SubKeys(const std::wstring& key) override {
        auto it = subkeys.find(key);
        if (it == subkeys.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::wstring> Value(const std::wstring& key, const std::wstring& name) override {
        if (key != kCpuKey || !cpuKeyOpens) return std::nullopt;
        auto it = cpu.find(name);
        if (it == cpu.end()) return std::nullopt;
        return it->second;
    }

    // Public: each test sets the facts the report is made from.
    std::optional<std::wstring> user = L"technician";
    std::optional<tarvex::platform::DiskSpace> disk;
    tarvex::platform::MemoryStatus memory;
    tarvex::platform::OsVersion version{VER_PLATFORM_WIN32_NT, 5, 1, L"Service Pack 2", L""};
    WORD level = 6;
    std::map<std::wstring, std::vector<std::wstring>> subkeys;
    std::map<std::wstring, std::wstring> cpu;
    bool cpuKeyOpens = true;
};

// A technician's Linux laptop.
inline std::unique_ptr<FixedSystemFacts> TypicalFacts() {
    constexpr ULONGLONG kMb = 1ULL << 20;
    auto facts = std::make_unique<FixedSystemFacts>();
    facts->disk = tarvex::platform::DiskSpace{238'000 * kMb, 141'250 * kMb};
    facts->memory = {16'000 * kMb, 9'750 * kMb, 18'000 * kMb, 11'750 * kMb};
    facts->version = {VER_PLATFORM_LINUX, 6, 1, L"6.1.0-28-amd64",
                      L"Debian GNU/Linux 12 (bookworm)"};
    facts->cpu = {{L"ProcessorNameString", L"Intel(R) Core(TM) i5-8365U CPU @ 1.60GHz"},
                  {L"Identifier", L"x86 Family 6 Model 142 Stepping 12"},
                  {L"VendorIdentifier", L"GenuineIntel"}};
    facts->subkeys = {{L"SYSTEM\\CurrentControlSet\\Services", {L"Tcpip"}}};
    return facts;
}
