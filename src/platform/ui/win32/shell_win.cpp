#include "platform/ui/shell.h"

// The wait cursor shows until it is taken away or the pointer moves over a window that sets a
// cursor of its own; the thread is busy meanwhile and takes no input.
CWaitCursor::CWaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

CWaitCursor::~CWaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }
