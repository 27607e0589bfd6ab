#include "about/system_report.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

using tarvex::platform::DiskSpace;
using tarvex::platform::SystemFacts;

namespace tarvex::about {

namespace {

constexpr wchar_t kProcessorKey[] = L"Hardware\\Description\\System\\CentralProcessor\\0";
constexpr std::size_t kValueBufferBytes = 260;  // given for every value query
constexpr wchar_t kUnknown[] = L"unknown";      // what a failed query shows

bool IsWin9x(const std::wstring& name) {
    return name == L"Win95" || name == L"Win98" || name == L"WinME";
}

// The operating-system names, by platform, version, edition and build. Which editions a row
// names: Windows Vista and later share their version numbers between
// the desktop and the server of the same years, and Windows 11 and the servers after 2016
// share 10.0, told apart by the build.
enum Edition { kAny, kDesktop, kServer };
struct OsName {
    DWORD platformId, major, minor;
    Edition edition;
    DWORD fromBuild;
    const wchar_t* name;
};
constexpr OsName kOsNames[] = {
    {VER_PLATFORM_WIN32_NT, 5, 0, kAny, 0, L"Win2000"},
    {VER_PLATFORM_WIN32_NT, 5, 1, kAny, 0, L"WinXP"},
    {VER_PLATFORM_WIN32_NT, 5, 2, kAny, 0, L"Win2003 Server"},
    {VER_PLATFORM_WIN32_NT, 4, 0, kAny, 0, L"WinNT4.0"},
    {VER_PLATFORM_WIN32_NT, 3, 51, kAny, 0, L"WinNT3.51"},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 0, kAny, 0, L"Win95"},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, kAny, 0, L"Win98"},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 90, kAny, 0, L"WinME"},
    {VER_PLATFORM_WIN32_NT, 6, 0, kDesktop, 0, L"WinVista"},
    {VER_PLATFORM_WIN32_NT, 6, 0, kServer, 0, L"Win2008 Server"},
    {VER_PLATFORM_WIN32_NT, 6, 1, kDesktop, 0, L"Win7"},
    {VER_PLATFORM_WIN32_NT, 6, 1, kServer, 0, L"Win2008 R2 Server"},
    {VER_PLATFORM_WIN32_NT, 6, 2, kDesktop, 0, L"Win8"},
    {VER_PLATFORM_WIN32_NT, 6, 2, kServer, 0, L"Win2012 Server"},
    {VER_PLATFORM_WIN32_NT, 6, 3, kDesktop, 0, L"Win8.1"},
    {VER_PLATFORM_WIN32_NT, 6, 3, kServer, 0, L"Win2012 R2 Server"},
    // Within 10.0 the later builds come first: the first row the build reaches names it.
    {VER_PLATFORM_WIN32_NT, 10, 0, kDesktop, 22000, L"Win11"},
    {VER_PLATFORM_WIN32_NT, 10, 0, kDesktop, 0, L"Win10"},
    {VER_PLATFORM_WIN32_NT, 10, 0, kServer, 26100, L"Win2025 Server"},
    {VER_PLATFORM_WIN32_NT, 10, 0, kServer, 20348, L"Win2022 Server"},
    {VER_PLATFORM_WIN32_NT, 10, 0, kServer, 17763, L"Win2019 Server"},
    {VER_PLATFORM_WIN32_NT, 10, 0, kServer, 0, L"Win2016 Server"},
};

// The systems that name their processor in the registry: Windows 2000 and every later one.
bool NamesItsProcessor(const std::wstring& name) {
    return std::any_of(std::begin(kOsNames), std::end(kOsNames), [&name](const OsName& row) {
        return row.platformId == VER_PLATFORM_WIN32_NT && row.major >= 5 && name == row.name;
    });
}

std::wstring Megabytes(ULONGLONG bytes) {
    return std::to_wstring(static_cast<std::uint32_t>(bytes >> 20));
}

std::wstring SignedMegabytes(ULONGLONG bytes) {
    return std::to_wstring(static_cast<std::int32_t>(bytes >> 20));
}

// A registry value as the report reads it: a value that does not fit the buffer (with its
// terminating zero, in 16-bit characters) cannot be read.
std::optional<std::wstring> ReadValue(platform::SystemFacts& facts, const wchar_t* name) {
    auto value = facts.Value(kProcessorKey, name);
    if (value && (value->size() + 1) * 2 > kValueBufferBytes) return std::nullopt;
    return value;
}

std::optional<std::wstring> IdentifierOrVendor(platform::SystemFacts& facts) {
    if (auto identifier = ReadValue(facts, L"Identifier")) return identifier;
    return ReadValue(facts, L"VendorIdentifier");
}

std::wstring TrimmedBlanks(const std::wstring& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), iswspace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), iswspace).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

std::wstring LevelText(platform::SystemFacts& facts, WORD level) {
    switch (level) {
        case 3:
            return L"386 Processor\r\n";
        case 4:
            return L"486 Processor\r\n";
        case 5:
            return L"Pentium 1 Processor\r\n";
        case 6: {
            const auto identifier = IdentifierOrVendor(facts);
            if (!identifier) return {};
            if (identifier->find(L'5') != std::wstring::npos)
                return L"Pentium Pro or Pentium 2 CPU\r\n";
            if (identifier->find(L'8') != std::wstring::npos) return L"Pentium 3 Processor\r\n";
            return {};
        }
        case 15:
            return L"Pentium 4 Processor\r\n";
        default:
            return L"Unknown processor\r\n";
    }
}

}  // namespace

std::wstring OperatingSystemName(const platform::OsVersion& version) {
    if (version.platformId == VER_PLATFORM_LINUX) {
        return version.productName.empty() ? L"Linux" : version.productName;
    }
    const Edition edition = version.server ? kServer : kDesktop;
    for (const OsName& row : kOsNames) {
        if (row.platformId == version.platformId && row.major == version.major &&
            row.minor == version.minor && (row.edition == kAny || row.edition == edition) &&
            version.build >= row.fromBuild) {
            return row.name;
        }
    }
    return {};
}

// The share rounded to two places as "%.2f" rounds it, read in hundredths. Locale-free: under a
// locale with a decimal comma the C library's "%.2f" would write "0,45".
std::wstring PercentText(double share) {
    char rounded[64];
    const auto [end, failed] =
        std::to_chars(rounded, rounded + sizeof rounded, share, std::chars_format::fixed, 2);
    if (failed != std::errc()) return std::wstring(kUnknown);
    const std::string_view text(rounded, static_cast<std::size_t>(end - rounded));
    int hundredths = 0;
    for (char digit : text) {
        if (digit >= '0' && digit <= '9') hundredths = hundredths * 10 + (digit - '0');
    }
    std::wstring percent = std::to_wstring(hundredths);
    return percent.size() < 2 ? L"0" + percent : percent;
}

std::wstring DiskSection(const std::optional<platform::DiskSpace>& disk) {
    std::wstring text = L"\tDisk Space:\r\n\r\n";
    if (!disk) return text + L"The disk space could not be read.";
    const ULONGLONG totalMb = disk->totalBytes >> 20;
    const ULONGLONG freeMb = disk->freeBytes >> 20;
    const ULONGLONG usedMb = totalMb - std::min(freeMb, totalMb);
    // A drive below 1 MB has no share to show (0 divided by 0).
    const std::wstring percent =
        totalMb == 0
            ? std::wstring(kUnknown)
            : PercentText(static_cast<double>(usedMb) / static_cast<double>(totalMb)) + L"%";
    text += L"Disk Space Available: \t" + Megabytes(disk->freeBytes) + L" MB";
    text += L"\r\nTotal Disk Size: \t\t" + Megabytes(disk->totalBytes) + L" MB";
    text += L"\r\nPercent Used: \t\t" + percent;
    text +=
        L"\r\nDisk Space Used: \t\t" + std::to_wstring(static_cast<std::uint32_t>(usedMb)) + L" MB";
    return text;
}

std::wstring MemorySection(const platform::MemoryStatus& memory) {
    const std::wstring percent =
        memory.totalPhys == 0
            ? std::wstring(kUnknown)
            : PercentText(static_cast<double>(memory.totalPhys - memory.availPhys) /
                          static_cast<double>(memory.totalPhys)) +
                  L"%";
    return L"\tRAM Status:\r\n\r\n"
           L"Total Physical RAM: \t" +
           SignedMegabytes(memory.totalPhys) + L"\r\nTotal Available RAM: \t" +
           SignedMegabytes(memory.availPhys) + L"\r\nPercent Used: \t\t" + percent +
           L"\r\nTotal Virtual RAM: \t\t" + SignedMegabytes(memory.totalVirtual) +
           L"\r\nAvailable Virtual RAM: \t" + SignedMegabytes(memory.availVirtual) + L"\r\n";
}

// Key names compare without case, as the registry compares them, and without the user's
// locale: under Turkish rules "tcpip" would become "TCPİP".
bool SameKeyName(std::wstring_view name, std::wstring_view asciiName) {
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return std::equal(name.begin(), name.end(), asciiName.begin(), asciiName.end(),
                      [&](wchar_t a, wchar_t b) { return upper(a) == upper(b); });
}

std::wstring ProtocolsSection(platform::SystemFacts& facts, const std::wstring& osName) {
    struct Row {
        const wchar_t* subkey;
        const wchar_t* line;
    };
    static constexpr Row kProtocols[] = {{L"NBF", L"NetBEUI"},
                                         {L"TCPIP", L"TCP\\IP"},
                                         {L"DECDNP", L"DECNet"},
                                         {L"NWSIPX32", L"IPX\\SPX"}};
    std::wstring text = L"\r\nProtocols Installed:\r\n";
    const auto subkeys =
        facts.SubKeys(IsWin9x(osName) ? L"Enum\\Network" : L"SYSTEM\\CurrentControlSet\\Services");
    if (!subkeys) return text;
    for (const std::wstring& subkey : *subkeys) {
        for (const Row& row : kProtocols) {
            if (SameKeyName(subkey, row.subkey)) text += std::wstring(row.line) + L"\r\n";
        }
    }
    return text;
}

std::wstring ProcessorText(platform::SystemFacts& facts, const std::wstring& osName) {
    const WORD level = facts.ProcessorLevel();  // GetSystemInfo, asked in every case
    // Linux reports its processor's name as Windows 2000 and later do.
    const bool linux = facts.Version().platformId == VER_PLATFORM_LINUX;
    if (!linux && IsWin9x(osName)) {
        const auto identifier = IdentifierOrVendor(facts);
        return identifier ? *identifier + L"\r\n" : std::wstring();
    }
    if (linux || NamesItsProcessor(osName)) {
        if (auto name = ReadValue(facts, L"ProcessorName")) return *name + L"\r\n";
        if (auto name = ReadValue(facts, L"ProcessorNameString")) {
            return TrimmedBlanks(*name) + L"\r\n";
        }
        return {};
    }
    if (osName == L"WinNT4.0") return LevelText(facts, level);
    return {};
}

std::wstring UserLine(const std::optional<std::wstring>& userName) {
    return L"User: " + (userName ? userName->substr(0, 259) : std::wstring(kUnknown));
}

std::wstring OverviewText(platform::SystemFacts& facts) {
    const platform::OsVersion version = facts.Version();
    const std::wstring servicePack = version.csdVersion;
    const std::wstring osName = OperatingSystemName(version);
    const std::wstring protocols = ProtocolsSection(facts, osName);
    const std::wstring processor = ProcessorText(facts, osName);
    const std::wstring user = UserLine(facts.UserName());
    return user + L"\r\n" + processor + L"\r\n" + osName + L"\r\n" + servicePack + L"\r\n" +
           protocols;
}

}  // namespace tarvex::about
