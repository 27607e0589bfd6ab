#include <lmcons.h>

#include "platform/system/system_facts.h"
#include "platform/win32.h"

namespace tarvex::platform {
namespace {

class WindowsFacts final : public SystemFacts {
  public:
    std::optional<std::wstring> UserName() override {
        wchar_t name[UNLEN + 1] = {};
        DWORD length = UNLEN + 1;
        if (!GetUserNameW(name, &length) || length == 0) return std::nullopt;
        return std::wstring(name, length - 1);
    }

    // The volume of the working directory.
    std::optional<DiskSpace> Disk() override {
        // The volume's free bytes, not the caller's share of them under a quota.
        ULARGE_INTEGER total{};
        ULARGE_INTEGER totalFree{};
        if (!GetDiskFreeSpaceExW(nullptr, nullptr, &total, &totalFree)) return std::nullopt;
        return DiskSpace{total.QuadPart, totalFree.QuadPart};
    }

    MemoryStatus Memory() override {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!GlobalMemoryStatusEx(&status)) return {};
        return {status.ullTotalPhys, status.ullAvailPhys, status.ullTotalVirtual,
                status.ullAvailVirtual};
    }

    // GetVersionExW gives a program without a compatibility manifest the version of Windows 8
    // whatever runs it; ntdll's RtlGetVersion gives the true one, with the build and the product
    // type when handed the longer record.
    OsVersion Version() override {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = sizeof info;
        using GetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
        const auto rtlGetVersion = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
        if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) return {};
        OsVersion version;
        version.platformId = info.dwPlatformId;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.csdVersion = info.szCSDVersion;
        version.build = info.dwBuildNumber;
        version.server = info.wProductType != VER_NT_WORKSTATION;
        version.productName =
            Value(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"ProductName").value_or(L"");
        return version;
    }

    WORD ProcessorLevel() override {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return info.wProcessorLevel;
    }

    std::optional<std::vector<std::wstring>> SubKeys(const std::wstring& key) override {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::vector<std::wstring> names;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            const LONG result =
                RegEnumKeyExW(opened, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_MORE_DATA) continue;  // no key name is that long: pass it by
            if (result != ERROR_SUCCESS) break;       // the end, or a key deleted meanwhile
            names.emplace_back(name, length);
        }
        RegCloseKey(opened);
        return names;
    }

    std::optional<std::wstring> Value(const std::wstring& key, const std::wstring& name) override {
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                         nullptr, &bytes) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                         text.data(), &bytes) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        text.resize(wcsnlen(text.c_str(), text.size()));
        return text;
    }
};

}  // namespace

std::unique_ptr<SystemFacts> MakeSystemFacts() { return std::make_unique<WindowsFacts>(); }

}  // namespace tarvex::platform
