// The About box, the System Information report and the Help page, read through the class library
// on both window systems.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "about/about_dialog.h"
#include "about/help_dialog.h"
#include "about/resource.h"
#include "about/system_info_dialog.h"
#include "hosted_about.h"
#include "platform/text.h"
#include "platform/ui/control_watch.h"
#include "platform/ui/user_input.h"
#include "support/fixed_system_facts.h"
#include "support/window_driver.h"
#include "support/working_directory.h"

namespace {

using drive::RunModal;
using drive::WaitUntil;

std::wstring TextOf(const CDialog& dialog, int id) {
    CWnd* item = dialog.GetDlgItem(id);
    return item != nullptr ? item->GetWindowText() : std::wstring();
}

bool Shows(const CDialog& dialog, const std::wstring& text) {
    const std::vector<std::wstring> texts = tarvex::platform::ControlTexts(dialog);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(AboutDialogs, AboutShowsTheMakerTheProductAndTheLicence) {
    ScopedWorkingDirectory workdir;
    const std::vector<std::pair<std::string, std::wstring>> licences = {
        {"one\ntwo\nthree\n", L"one\r\ntwo\r\nthree\r\n\r\n"},
        {"one\r\ntwo\r\nthree", L"one\r\ntwo\r\nthree\r\n\r\n"},
        {"", L"\r\n"},
        {"caf\xE9\n", L"caf\u00E9\r\n\r\n"},
    };
    for (const auto& [file, shown] : licences) {
        workdir.Write("OrvLicense.txt", file);
        HostedAbout about;
        RunModal(about, [&] {
            EXPECT_EQ(TextOf(about, IDC_LICENSE), shown);
            EXPECT_EQ(about.GetWindowText(), L"About Tarvex2 by Morvane");
        });
    }
    std::filesystem::remove(workdir.path() / "OrvLicense.txt");
    HostedAbout about;
    RunModal(about, [&] {
        EXPECT_EQ(TextOf(about, IDC_LICENSE), L"") << "a missing licence: empty, no message";
        EXPECT_EQ(TextOf(about, IDC_COMPANY), about.m_strCompany + L"\r\n" + about.m_strStreet +
                                                  L"\r\n" + about.m_strPostOfficeBox + L"\r\n" +
                                                  about.m_strCity);
        EXPECT_EQ(TextOf(about, IDC_PRODUCT), L"\r\nTarvex2 by Morvane\r\nVersion 2.0.0\r\n\r\n");
        EXPECT_EQ(TextOf(about, IDC_WEB_LINK), L"Web Site: " + about.m_strWebAddress);
        EXPECT_EQ(TextOf(about, IDC_EMAIL_LINK), about.m_strEmail);
        EXPECT_EQ(TextOf(about, IDC_PHONE), L"Phone: " + about.m_strPhone);
        EXPECT_EQ(TextOf(about, IDC_FAX), L"Fax: " + about.m_strFax);
        EXPECT_TRUE(Shows(about, L"Done"));
        EXPECT_TRUE(Shows(about, L"System"));
    });
}

// A huge licence text, of many lines or one line without end (a sparse file of zeros), shows its
// first 64 KB, at once and without taking all memory.
TEST(AboutDialogs, AHugeLicenceShowsItsFirst64Kilobytes) {
    constexpr std::size_t kShown = 64 * 1024;
    ScopedWorkingDirectory workdir;
    const std::string line = std::string(999, 'L') + "\n";
    std::string lines;
    while (lines.size() < (3u << 20)) lines += line;
    workdir.Write("OrvLicense.txt", lines);
    const std::wstring firstLine = tarvex::platform::WidenCp1252(line.substr(0, 999)) + L"\r\n";
    {
        HostedAbout about;
        RunModal(about, [&] {
            const std::wstring shown = TextOf(about, IDC_LICENSE);
            EXPECT_TRUE(shown.starts_with(firstLine));
            EXPECT_LE(shown.size(), kShown + kShown / 1000 + 2) << "64 KB of lines";
            EXPECT_GE(shown.size(), kShown - 1001);
        });
    }
    std::filesystem::resize_file(workdir.path() / "OrvLicense.txt", 0);
    std::filesystem::resize_file(workdir.path() / "OrvLicense.txt", 64u << 20);
    HostedAbout about;
    // Broken into lines of 4 KB, each with its line break.
    RunModal(about,
             [&] { EXPECT_LE(TextOf(about, IDC_LICENSE).size(), kShown + kShown / 4096 * 2 + 2); });
}

TEST(AboutDialogs, SystemInformationFillsItsThreeBoxesFromTheComputer) {
    ScopedWorkingDirectory workdir;
    SystemInfoDialog report(nullptr, std::make_unique<FixedSystemFacts>());
    report.SetColours(RGB(10, 20, 30), RGB(200, 210, 220));
    RunModal(report, [&] {
        EXPECT_EQ(report.GetWindowText(), L"System Information");
        const std::wstring overview = TextOf(report, IDC_OVERVIEW);
        EXPECT_TRUE(overview.starts_with(L"User: ")) << testing::PrintToString(overview);
        EXPECT_NE(overview.find(L"\r\nProtocols Installed:\r\n"), std::wstring::npos);
        EXPECT_TRUE(TextOf(report, IDC_DISK).starts_with(L"\tDisk Space:\r\n\r\n"));
        EXPECT_TRUE(TextOf(report, IDC_MEMORY).starts_with(L"\tRAM Status:\r\n\r\n"));
    });
}

TEST(AboutDialogs, HelpShowsTheFourInstructionsEachTimeAndEscapeCloses) {
    for (int showing = 0; showing < 2; ++showing) {
        HelpDialog help;
        const INT_PTR result = RunModal(help, [&] {
            EXPECT_EQ(help.GetWindowText(), L"Tarvex2 Help");
            EXPECT_TRUE(Shows(help, L"Tarvex2 Instructions"));
            for (const wchar_t* number : {L"1.", L"2.", L"3.", L"4."}) {
                EXPECT_TRUE(Shows(help, number)) << number;
            }
            EXPECT_TRUE(Shows(
                help,
                L"Select \"Update\" from the \"Console\" menu or click on the \"Update\" button on "
                L"the screen.  The Tarvex program will guide you through the programming "
                L"procedure."));
            EXPECT_EQ(tarvex::platform::ControlTexts(help).size(), 10u) << "nine texts and OK";
            tarvex::platform::PressKey(VK_ESCAPE);
            WaitUntil([&] { return !help.IsWindowVisible(); });
        });
        EXPECT_EQ(result, IDCANCEL);
    }
}

}  // namespace
