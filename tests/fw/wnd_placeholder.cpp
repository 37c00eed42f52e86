// Until the window classes are linked in, the framework's CWnd* -> HWND
// lookup is this stand-in (every CWnd* given by these tests is null). It sits
// in a library of its own, linked last, so the linker takes it only when no
// real one was found (PE has no dependable weak symbols).
#include <windows.h>

class CWnd;

HWND FwGetSafeHwnd(const CWnd*) {
  return nullptr;
}
