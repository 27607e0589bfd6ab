// The main window's Browse button on Windows: the system's open-file dialog, answered from
// another thread as a user types a file of another folder into its name box.
#include <windows.h>

#include <atomic>
#include <thread>

#include "app/startup_and_close_fixture.h"
#include "support/temp_dir.h"

namespace startup_test {

using drive::Choose;
using drive::Click;
using drive::RunModal;
using drive::WaitUntil;

// The open-file dialog of this process, once it shows.
HWND OpenFileDialog() {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                std::wstring(className) == L"#32770" &&
                (GetDlgItem(window, cmb13) != nullptr || GetDlgItem(window, edt1) != nullptr)) {
                reinterpret_cast<Search*>(found)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Types `path` into the dialog's name box and presses Open, as soon as the dialog shows.
std::thread AnswerFileDialog(const std::wstring& path, std::atomic<bool>& answered) {
    return std::thread([path, &answered] {
        for (int attempt = 0; attempt < 500 && !answered; ++attempt) {
            if (HWND dialog = OpenFileDialog(); dialog != nullptr) {
                const int box = GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1;
                SetDlgItemTextW(dialog, box, path.c_str());
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                answered = true;
                return;
            }
            Sleep(20);
        }
    });
}

// A file chosen in another folder leaves the working folder where the program started: the
// settings are saved there, and nothing lands in the folder browsed to.
TEST_F(StartUpAndCloseTest, BrowsingToAnotherFolderLeavesTheWorkingFolderWhereItWas) {
    TempDir elsewhere;
    const auto chosen = elsewhere.path() / "Poolside v2.hex";
    std::ofstream(chosen) << ":00000001FF\n";
    const auto started = std::filesystem::current_path();
    Window window;
    RunModal(window, [&] {
        Click(window, IDC_RADIO_OTHER_QX2000);
        // The dialog opens in the folder of the custom file named, which it enters.
        window.GetDlgItem(IDC_CUSTOM_FILE)->SetWindowText((elsewhere.path() / "x.hex").wstring());
        std::atomic<bool> answered{false};
        std::thread answer = AnswerFileDialog(chosen.wstring(), answered);
        Click(window, IDC_BROWSE);
        answer.join();
        EXPECT_TRUE(answered);
        EXPECT_EQ(drive::Text(window, IDC_CUSTOM_FILE), chosen.wstring());
        EXPECT_EQ(std::filesystem::current_path(), started);
        Choose(window, ID_FILE_EXIT);
        WaitUntil([&] { return !window.IsWindowVisible(); });
    });
    EXPECT_EQ(Saved(), SettingsBytes({tarvex::app::kCustomConsoleType, chosen.wstring(), 0}));
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "Tarvex2.cfg"));
}

}  // namespace startup_test
