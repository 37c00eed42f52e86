#include "support/pump.h"

#include <windows.h>

namespace testsupport {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return done && done();
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
      if (done && done()) return true;
    }
    if (done && done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    const ULONGLONG left = end - now;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 50 ? left : 50), QS_ALLINPUT);
  }
}

void PumpFor(int ms) {
  PumpUntil(nullptr, ms);
}

}  // namespace testsupport
