// What the System Information report asks of the computer: the user, the disk of the working
// directory, memory, the operating system's version, the processor level, and registry-like
// keys and values (subkeys of a key, text values of a key).
//
// The Windows backend answers from the calls and registry keys of their names; the Linux backend
// answers in the same shapes: the version with platform VER_PLATFORM_LINUX, the PRETTY_NAME of
// /etc/os-release as its product name and the kernel release as its service-pack text; the
// processor's key "Hardware\Description\System\CentralProcessor\0" with "ProcessorNameString" (the
// model name of /proc/cpuinfo), "Identifier" and "VendorIdentifier"; and the services key
// "SYSTEM\CurrentControlSet\Services" with the subkey "Tcpip" when the kernel has IPv4.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

inline constexpr DWORD VER_PLATFORM_LINUX = 0x100;  // not a Windows value: this backend's own

namespace tarvex::platform {

struct DiskSpace {
    ULONGLONG totalBytes = 0;
    ULONGLONG freeBytes = 0;  // the whole volume's free bytes, those kept for root among them
};

struct MemoryStatus {
    ULONGLONG totalPhys = 0;
    ULONGLONG availPhys = 0;
    ULONGLONG totalVirtual = 0;
    ULONGLONG availVirtual = 0;
};

struct OsVersion {
    DWORD platformId = 0;
    DWORD major = 0;
    DWORD minor = 0;
    std::wstring csdVersion;   // the service pack; on Linux the kernel release
    std::wstring productName;  // Linux only: the distribution's name
    DWORD build = 0;           // Windows: the build number
    bool server = false;       // Windows: a server edition (domain controllers among them)
};

class SystemFacts {
  public:
    virtual ~SystemFacts() = default;
    virtual std::optional<std::wstring> UserName() = 0;
    virtual std::optional<DiskSpace> Disk() = 0;
    virtual MemoryStatus Memory() = 0;
    virtual OsVersion Version() = 0;
    virtual WORD ProcessorLevel() = 0;
    // The subkeys of `key` under HKEY_LOCAL_MACHINE in enumeration order; none when it cannot be
    // opened.
    virtual std::optional<std::vector<std::wstring>> SubKeys(const std::wstring& key) = 0;
    // A text value of `key`; none when the key or the value cannot be read.
    virtual std::optional<std::wstring> Value(const std::wstring& key,
                                              const std::wstring& name) = 0;
};

// The facts of this computer.
std::unique_ptr<SystemFacts> MakeSystemFacts();

}  // namespace tarvex::platform
