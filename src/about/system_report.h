// The System Information report, made from what the computer reports (platform::SystemFacts), so
// that every row of its tables can be tried with made-up facts.
#pragma once

#include <optional>
#include <string>

#include "platform/system/system_facts.h"

namespace tarvex::about {

// "Win2000", "WinXP", …, the distribution's name on Linux, or empty for a version the table
// does not know.
std::wstring OperatingSystemName(const platform::OsVersion& version);

// A share (0 to 1) rounded to two decimals as a whole percentage of at least two digits:
// 0.07 -> "07", 0.999 -> "100".
std::wstring PercentText(double share);

// The disk space of the working directory's drive, in whole megabytes; no final line break.
std::wstring DiskSection(const std::optional<platform::DiskSpace>& disk);

// Physical and virtual memory in whole megabytes; ends with a line break.
std::wstring MemorySection(const platform::MemoryStatus& memory);

// "\r\nProtocols Installed:\r\n" and a line for each known protocol the registry lists.
std::wstring ProtocolsSection(platform::SystemFacts& facts, const std::wstring& osName);

// The processor's description followed by "\r\n", or empty.
std::wstring ProcessorText(platform::SystemFacts& facts, const std::wstring& osName);

// "User: <name>".
std::wstring UserLine(const std::optional<std::wstring>& userName);

// The first box: user, processor, operating system, service pack and protocols.
std::wstring OverviewText(platform::SystemFacts& facts);

}  // namespace tarvex::about
