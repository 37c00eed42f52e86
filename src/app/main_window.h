// The program's top-level window and message loop.
#pragma once

#include <windows.h>

namespace app {

// Registers the window class, creates the main window with the product name as
// title, and runs the message loop until the window closes. Returns the exit code.
int RunApplication(HINSTANCE instance, int show);

}  // namespace app
