// Entry of Tabrye.exe: everything else lives in the app library, which the
// tests drive in-process.
#include <windows.h>

#include "app/dvkapp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return app::RunApplication(instance, show);
}
