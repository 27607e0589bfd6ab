// The demo on Windows: the simulated devices are Linux programs at the far end of the line
// (make demo-windows starts them and runs this program once for each, with --port COMn), and
// every Windows session has a desktop to draw on.
#include <cstdio>

#include "demo_window.h"

namespace demo {

int RunBothDevices() {
    std::fprintf(stderr,
                 "tarvex2-demo: the simulated devices run on Linux; give --port COMn and "
                 "--workdir DIR for a job on a port (make demo-windows does).\n");
    return 2;
}

void DrawOffscreenWithoutADisplay() {}

}  // namespace demo
