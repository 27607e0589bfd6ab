// Entry of the test programs that show windows: the real window system, drawn where nobody sees
// it, and an application object so that message boxes get the program's caption.
#include <gtest/gtest.h>

#include "platform/ui/win_app.h"
#include "platform/ui/window_system.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

int main(int argc, char** argv) {
    UseOffscreenWindows();
    // The job log goes to a state folder of the run's own, never the user's.
    TempDir state;
    KeepUserStateIn(state.path());
    ::testing::InitGoogleTest(&argc, argv);
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    return RUN_ALL_TESTS();
}
