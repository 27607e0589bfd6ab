// The System Information report from made-up facts: every row of its tables and the exact
// layout of each section.
#include "about/system_report.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fixed_system_facts.h"
#include "support/scoped_locale.h"

using tarvex::about::DiskSection;
using tarvex::about::MemorySection;
using tarvex::about::OperatingSystemName;
using tarvex::about::OverviewText;
using tarvex::about::PercentText;
using tarvex::about::ProcessorText;
using tarvex::about::ProtocolsSection;
using tarvex::platform::DiskSpace;
using tarvex::platform::MemoryStatus;
using tarvex::platform::OsVersion;
using tarvex::platform::SystemFacts;

namespace {

using FakeFacts = FixedSystemFacts;
constexpr const wchar_t* kCpuKey = FixedSystemFacts::kCpuKey;

constexpr ULONGLONG kMb = 1ULL << 20;

TEST(SystemReport, OperatingSystemNamesByPlatformAndVersion) {
    struct Row {
        DWORD platform, major, minor;
        const wchar_t* name;
    };
    const Row rows[] = {
        {2, 5, 0, L"Win2000"},  {2, 5, 1, L"WinXP"},      {2, 5, 2, L"Win2003 Server"},
        {2, 4, 0, L"WinNT4.0"}, {2, 3, 51, L"WinNT3.51"}, {1, 4, 0, L"Win95"},
        {1, 4, 10, L"Win98"},   {1, 4, 90, L"WinME"},     {2, 6, 4, L""},
        {1, 5, 0, L""},         {3, 5, 1, L""},           {2, 4, 10, L""},
        {2, 11, 0, L""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(OperatingSystemName({row.platform, row.major, row.minor, L"", L""}), row.name)
            << row.platform << " " << row.major << "." << row.minor;
    }
    // The later systems, by build and edition; the earlier rows name servers and desktops alike.
    struct Later {
        DWORD major, minor, build;
        bool server;
        const wchar_t* name;
    };
    const Later later[] = {
        {6, 0, 6002, false, L"WinVista"},
        {6, 0, 6003, true, L"Win2008 Server"},
        {6, 1, 7601, false, L"Win7"},
        {6, 1, 7601, true, L"Win2008 R2 Server"},
        {6, 2, 9200, false, L"Win8"},
        {6, 2, 9200, true, L"Win2012 Server"},
        {6, 3, 9600, false, L"Win8.1"},
        {6, 3, 9600, true, L"Win2012 R2 Server"},
        {10, 0, 19045, false, L"Win10"},
        {10, 0, 21999, false, L"Win10"},
        {10, 0, 22000, false, L"Win11"},
        {10, 0, 26100, false, L"Win11"},
        {10, 0, 14393, true, L"Win2016 Server"},
        {10, 0, 17763, true, L"Win2019 Server"},
        {10, 0, 20348, true, L"Win2022 Server"},
        {10, 0, 26100, true, L"Win2025 Server"},
        {5, 1, 2600, true, L"WinXP"},
        {5, 2, 3790, false, L"Win2003 Server"},
    };
    for (const Later& row : later) {
        OsVersion version{VER_PLATFORM_WIN32_NT, row.major, row.minor, L"", L""};
        version.build = row.build;
        version.server = row.server;
        EXPECT_EQ(OperatingSystemName(version), row.name)
            << row.major << "." << row.minor << " build " << row.build << " server " << row.server;
    }
    EXPECT_EQ(OperatingSystemName({VER_PLATFORM_LINUX, 6, 1, L"6.1.0", L"Debian GNU/Linux 12"}),
              L"Debian GNU/Linux 12");
    EXPECT_EQ(OperatingSystemName({VER_PLATFORM_LINUX, 6, 1, L"6.1.0", L""}), L"Linux");
}

TEST(SystemReport, DiskSectionInWholeMegabytes) {
    EXPECT_EQ(DiskSection(DiskSpace{1000 * kMb, 450 * kMb}),
              L"\tDisk Space:\r\n\r\n"
              L"Disk Space Available: \t450 MB\r\n"
              L"Total Disk Size: \t\t1000 MB\r\n"
              L"Percent Used: \t\t55%\r\n"
              L"Disk Space Used: \t\t550 MB");
    EXPECT_NE(DiskSection(DiskSpace{100 * kMb, 93 * kMb}).find(L"Percent Used: \t\t07%"),
              std::wstring::npos);
    EXPECT_NE(DiskSection(DiskSpace{100000 * kMb, 1 * kMb}).find(L"Percent Used: \t\t100%"),
              std::wstring::npos)
        << "a share that rounds to 1.00";
    const std::wstring truncated = DiskSection(DiskSpace{3 * kMb - 1, 1048575});
    EXPECT_NE(truncated.find(L"Disk Space Available: \t0 MB"), std::wstring::npos);
    EXPECT_NE(truncated.find(L"Total Disk Size: \t\t2 MB"), std::wstring::npos);
    EXPECT_NE(truncated.find(L"Disk Space Used: \t\t2 MB"), std::wstring::npos);
    // A drive below 1 MB has no share, and a failed query no figures: no garbage either way.
    EXPECT_NE(DiskSection(DiskSpace{1048575, 1000}).find(L"Percent Used: \t\tunknown\r\n"),
              std::wstring::npos);
    EXPECT_EQ(DiskSection(std::nullopt), L"\tDisk Space:\r\n\r\nThe disk space could not be read.");
    EXPECT_EQ(PercentText(0.05), L"05");
    EXPECT_EQ(PercentText(0.454), L"45");
    EXPECT_EQ(PercentText(0.996), L"100");
    EXPECT_EQ(PercentText(0.0), L"00");
}

TEST(SystemReport, MemorySectionEndsWithALineBreak) {
    MemoryStatus memory{4096 * kMb, 1024 * kMb + 5, 8191 * kMb, 2047 * kMb};
    EXPECT_EQ(MemorySection(memory),
              L"\tRAM Status:\r\n\r\n"
              L"Total Physical RAM: \t4096\r\n"
              L"Total Available RAM: \t1024\r\n"
              L"Percent Used: \t\t75%\r\n"
              L"Total Virtual RAM: \t\t8191\r\n"
              L"Available Virtual RAM: \t2047\r\n");
    EXPECT_NE(MemorySection({}).find(L"Percent Used: \t\tunknown\r\n"), std::wstring::npos);
}

TEST(SystemReport, ProtocolsFromTheRegistryInItsOrder) {
    FakeFacts facts;
    facts.subkeys[L"SYSTEM\\CurrentControlSet\\Services"] = {L"Dhcp", L"tcpip",  L"NwsIpx32",
                                                             L"NBF",  L"Tcpip6", L"DecDnp"};
    EXPECT_EQ(ProtocolsSection(facts, L"WinXP"),
              L"\r\nProtocols Installed:\r\nTCP\\IP\r\nIPX\\SPX\r\nNetBEUI\r\nDECNet\r\n");
    EXPECT_EQ(ProtocolsSection(facts, L""), ProtocolsSection(facts, L"WinXP"))
        << "an unknown system uses the services key";
    EXPECT_EQ(ProtocolsSection(facts, L"Win98"), L"\r\nProtocols Installed:\r\n")
        << "Windows 9x lists them under Enum\\Network, which cannot be opened here";
    facts.subkeys[L"Enum\\Network"] = {L"MSTCP", L"NBF"};
    EXPECT_EQ(ProtocolsSection(facts, L"WinME"), L"\r\nProtocols Installed:\r\nNetBEUI\r\n");
}

TEST(SystemReport, ProcessorTextByOperatingSystem) {
    FakeFacts facts;
    facts.cpu = {{L"Identifier", L"x86 Family 6 Model 8 Stepping 3"},
                 {L"VendorIdentifier", L"GenuineIntel"},
                 {L"ProcessorNameString", L"   Intel(R) Pentium(R) III   "}};
    EXPECT_EQ(ProcessorText(facts, L"Win98"), L"x86 Family 6 Model 8 Stepping 3\r\n");
    EXPECT_EQ(ProcessorText(facts, L"WinXP"), L"Intel(R) Pentium(R) III\r\n")
        << "ProcessorNameString without its blanks when ProcessorName is missing";
    facts.cpu[L"ProcessorName"] = L" Pentium ";
    EXPECT_EQ(ProcessorText(facts, L"Win2000"), L" Pentium \r\n") << "ProcessorName as it is";
    for (const wchar_t* later : {L"WinVista", L"Win7", L"Win10", L"Win11", L"Win2022 Server"}) {
        EXPECT_EQ(ProcessorText(facts, later), L" Pentium \r\n") << later;
    }
    EXPECT_EQ(ProcessorText(facts, L"WinNT3.51"), L"");
    EXPECT_EQ(ProcessorText(facts, L""), L"");
    facts.cpu.erase(L"Identifier");
    EXPECT_EQ(ProcessorText(facts, L"WinME"), L"GenuineIntel\r\n");
    facts.cpu[L"VendorIdentifier"] = std::wstring(130, L'x');  // does not fit 260 bytes
    EXPECT_EQ(ProcessorText(facts, L"Win95"), L"");
    facts.cpuKeyOpens = false;
    EXPECT_EQ(ProcessorText(facts, L"Win2003 Server"), L"");

    const std::vector<std::pair<WORD, std::wstring>> levels = {
        {3, L"386 Processor\r\n"},
        {4, L"486 Processor\r\n"},
        {5, L"Pentium 1 Processor\r\n"},
        {15, L"Pentium 4 Processor\r\n"},
        {2, L"Unknown processor\r\n"},
        {7, L"Unknown processor\r\n"},
        {14, L"Unknown processor\r\n"},
        {16, L"Unknown processor\r\n"},
        {6, L""},  // the key cannot be opened
    };
    for (const auto& [level, text] : levels) {
        facts.level = level;
        EXPECT_EQ(ProcessorText(facts, L"WinNT4.0"), text) << level;
    }
    facts.cpuKeyOpens = true;
    facts.level = 6;
    facts.cpu = {{L"Identifier", L"x86 Family 6 Model 5 Stepping 8"}};
    EXPECT_EQ(ProcessorText(facts, L"WinNT4.0"), L"Pentium Pro or Pentium 2 CPU\r\n")
        << "the 5 wins over the 8";
    facts.cpu = {{L"VendorIdentifier", L"x86 Family 6 Model 8"}};
    EXPECT_EQ(ProcessorText(facts, L"WinNT4.0"), L"Pentium 3 Processor\r\n");
    facts.cpu = {{L"Identifier", L"Family 6 Model 7 Stepping 1"}};  // "x86" would hold an 8
    EXPECT_EQ(ProcessorText(facts, L"WinNT4.0"), L"");

    facts.version = {VER_PLATFORM_LINUX, 6, 1, L"6.1.0-18-amd64", L"Debian GNU/Linux 12"};
    facts.cpu = {{L"ProcessorNameString", L"AMD EPYC 7B13 "}};
    EXPECT_EQ(ProcessorText(facts, L"Debian GNU/Linux 12"), L"AMD EPYC 7B13\r\n");
}

TEST(SystemReport, OverviewLayout) {
    FakeFacts facts;
    facts.subkeys[L"SYSTEM\\CurrentControlSet\\Services"] = {L"Tcpip"};
    facts.cpu = {{L"ProcessorNameString", L"Pentium 4"}};
    EXPECT_EQ(OverviewText(facts),
              L"User: technician\r\nPentium 4\r\n\r\nWinXP\r\nService Pack 2\r\n"
              L"\r\nProtocols Installed:\r\nTCP\\IP\r\n");
    facts.user.reset();
    facts.version = {VER_PLATFORM_WIN32_NT, 6, 4, L"", L""};
    facts.subkeys.clear();
    EXPECT_EQ(OverviewText(facts), L"User: unknown\r\n\r\n\r\n\r\n\r\nProtocols Installed:\r\n")
        << "an unknown system: empty name and processor; a failed user query: a placeholder";
}

// The report reads the same under every locale: a decimal comma (German) must not turn the
// shares into "00%", nor Turkish case rules ('i' to 'İ') hide the TCP\IP line.
TEST(SystemReport, TheSameTextUnderEveryLocale) {
    const auto facts = TypicalFacts();
    const auto report = [&facts] {
        return OverviewText(*facts) + DiskSection(facts->Disk()) + MemorySection(facts->Memory());
    };
    const std::wstring inC = report();
    ASSERT_NE(inC.find(L"TCP\\IP"), std::wstring::npos);
    ASSERT_NE(inC.find(L"Percent Used: \t\t41%"), std::wstring::npos);
    ASSERT_NE(inC.find(L"Percent Used: \t\t39%"), std::wstring::npos);
    for (const char* language : {"de_DE", "tr_TR"}) {
        ScopedLocale locale(language);
        if (!locale.Active()) GTEST_SKIP() << "this system cannot run under " << language;
        EXPECT_EQ(report(), inC) << language;
    }
}

}  // namespace
