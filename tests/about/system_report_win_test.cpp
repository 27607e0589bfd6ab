// The report made from this Windows computer's own facts.
#include <gtest/gtest.h>

#include "about/system_report.h"
#include "platform/system/system_facts.h"

namespace {

// The Windows a technician has today (and Wine, which passes for Windows 10) is named, and so is
// its processor: the lines a support call asks for first.
TEST(SystemReport, TodaysWindowsAndItsProcessorAreNamed) {
    const auto facts = tarvex::platform::MakeSystemFacts();
    const std::wstring name = tarvex::about::OperatingSystemName(facts->Version());
    EXPECT_FALSE(name.empty());
    const std::wstring processor = tarvex::about::ProcessorText(*facts, name);
    EXPECT_GT(processor.size(), 2u);
    EXPECT_TRUE(processor.ends_with(L"\r\n"));
}

}  // namespace
