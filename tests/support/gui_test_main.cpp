// Entry of the test programs that show windows: the real window system on the offscreen
// platform, and an application object so that message boxes get the program's caption.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "platform/ui/win_app.h"
#include "platform/ui/window_system.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // The job log goes to a state folder of the run's own, never the user's.
    TempDir state;
    setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    tarvex::platform::WindowSystem windowSystem(argc, argv);
    CWinApp application(L"Tarvex2");
    return RUN_ALL_TESTS();
}
