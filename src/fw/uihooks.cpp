// Test hooks for modal UI, random numbers and the screen. Portable: the
// button ids are the Win32 values, written here as plain constants; the
// system's screen queries are made only where there is a window system.
#include "fw/uihooks.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cerrno>
#include <deque>
#include <iterator>
#include <map>
#include <mutex>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

namespace fw {
namespace hooks {
namespace {

// Win32 message-box results and button groups (MB_TYPEMASK).
enum : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };
enum : unsigned {
  kMbTypeMask = 0xF,
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbAbortRetryIgnore = 2,
  kMbYesNoCancel = 3,
  kMbYesNo = 4,
  kMbRetryCancel = 5,
  kMbCancelTryContinue = 6,
};

// The answer a refused box gets: its cancelling button. Boxes without a
// Cancel button get the button that does nothing (OK, No, Abort), so code
// that only tests for IDNO never sees a value the box cannot return.
int RefusalAnswer(unsigned type) {
  switch (type & kMbTypeMask) {
    case kMbOk: return kIdOk;
    case kMbYesNo: return kIdNo;
    case kMbAbortRetryIgnore: return kIdAbort;
    default: return kIdCancel;
  }
}

struct BoxExpectation {
  std::string textPart;
  int answer;
  std::function<int()> whileUp;  // when set: called while the box is up, gives the answer
};

struct ColorAnswer {
  bool ok;
  std::uint32_t rgb;
};

struct FontAnswer {
  bool ok;
  std::string face;
  int size10;
};

// PCG32 (XSH-RR output over a 64-bit LCG).
struct Pcg32 {
  std::uint64_t state = 0;
  std::uint64_t inc = 1;
  bool seeded = false;

  void Seed(std::uint64_t seed, std::uint64_t stream) {
    state = 0;
    inc = (stream << 1) | 1u;
    Next();
    state += seed;
    Next();
    seeded = true;
  }
  std::uint32_t Next() {
    std::uint64_t old = state;
    state = old * 6364136223846793005ULL + inc;
    std::uint32_t xorshifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
    std::uint32_t rot = static_cast<std::uint32_t>(old >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
  }
};

struct State {
  std::mutex mu;
  bool testMode = false;
  std::vector<std::string> unexpected;
  std::deque<BoxExpectation> boxes;
  std::vector<std::string> boxTexts;
  std::map<int, std::deque<DialogAnswer>> dialogs;
  std::deque<std::vector<std::string>> files;
  FileDialogOffer lastFileOffer;
  std::deque<ColorAnswer> colors;
  std::deque<FontAnswer> fonts;
  FontDialogStart lastFontStart;
  std::deque<bool> prints;
  std::deque<unsigned> popups;
  std::vector<MenuItem> lastPopup;
  Pcg32 rng;
  bool secureFixed = false;
  Pcg32 secureRng;
};

State& S() {
  static State s;
  return s;
}

const std::uint64_t kRandomStream = 0x54616272ULL;
const std::uint64_t kSecureStream = 0x53616c74ULL;

// The system's cryptographic generator.
bool SystemRandom(unsigned char* out, std::size_t len) {
#ifdef _WIN32
  while (len) {
    const ULONG n = len > 0x10000000u ? 0x10000000u : static_cast<ULONG>(len);
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out, n, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
    out += n;
    len -= n;
  }
  return true;
#else
  while (len) {
    const ssize_t n = getrandom(out, len, 0);
    if (n > 0) {
      out += n;
      len -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // No getrandom: the device.
    std::FILE* f = std::fopen("/dev/urandom", "rb");
    if (!f) return false;
    const std::size_t got = std::fread(out, 1, len, f);
    std::fclose(f);
    return got == len;
  }
  return true;
#endif
}

}  // namespace

void SetTestMode(bool on) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().testMode = on;
}

bool TestMode() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().testMode;
}

void ResetDragHooks();
void ResetScreenHooks();

void Reset() {
  ResetDragHooks();
  ResetScreenHooks();
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  s.unexpected.clear();
  s.boxes.clear();
  s.boxTexts.clear();
  s.dialogs.clear();
  s.files.clear();
  s.lastFileOffer = FileDialogOffer();
  s.colors.clear();
  s.fonts.clear();
  s.lastFontStart = FontDialogStart();
  s.prints.clear();
  s.popups.clear();
  s.lastPopup.clear();
  s.secureFixed = false;
}

std::vector<std::string> Unexpected() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().unexpected;
}

std::vector<std::string> Unused() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  std::vector<std::string> out;
  for (const BoxExpectation& b : s.boxes)
    out.push_back("message box \"" + b.textPart + "\" -> " + std::to_string(b.answer));
  for (const auto& d : s.dialogs)
    for (std::size_t i = 0; i < d.second.size(); ++i) out.push_back("dialog " + std::to_string(d.first));
  for (const auto& f : s.files)
    out.push_back("file dialog" + (f.empty() ? std::string(" (cancel)") : " -> " + f.front()));
  for (std::size_t i = 0; i < s.colors.size(); ++i) out.push_back("colour dialog");
  for (const FontAnswer& f : s.fonts) out.push_back("font dialog -> " + f.face);
  for (std::size_t i = 0; i < s.prints.size(); ++i) out.push_back("print dialog");
  for (unsigned id : s.popups) out.push_back("popup menu -> " + std::to_string(id));
  return out;
}

bool RefuseModal(const std::string& what) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.testMode) return false;
  s.unexpected.push_back(what);
  return true;
}

// --- Message boxes ------------------------------------------------------------

void ExpectMessageBox(const std::string& textPart, int answer) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().boxes.push_back({textPart, answer, nullptr});
}

void ExpectMessageBox(const std::string& textPart, std::function<int()> whileUp) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().boxes.push_back({textPart, kIdCancel, std::move(whileUp)});
}

bool AnswerMessageBox(const char* text, const char* caption, unsigned type, int* answer) {
  State& s = S();
  std::unique_lock<std::mutex> lock(s.mu);
  const std::string t = text ? text : "";
  // Expectations are met in order: only the oldest one can answer.
  if (!s.boxes.empty() && t.find(s.boxes.front().textPart) != std::string::npos) {
    *answer = s.boxes.front().answer;
    std::function<int()> whileUp = std::move(s.boxes.front().whileUp);
    s.boxes.pop_front();
    s.boxTexts.push_back(t);
    if (whileUp) {
      // It may pump messages and meet other boxes: not under the lock.
      lock.unlock();
      *answer = whileUp();
    }
    return true;
  }
  if (!s.testMode) return false;
  std::string what = "message box: " + t;
  if (!s.boxes.empty()) what += " (expected one containing \"" + s.boxes.front().textPart + "\")";
  s.unexpected.push_back(what);
  s.boxTexts.push_back(t);
  *answer = RefusalAnswer(type);
  return true;
}

std::vector<std::string> MessageBoxTexts() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().boxTexts;
}

// --- Modal dialogs -------------------------------------------------------------

void ExpectDialog(int id, DialogAnswer answer) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().dialogs[id].push_back(std::move(answer));
}

bool TakeDialogAnswer(int id, DialogAnswer* answer) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  auto it = s.dialogs.find(id);
  if (it != s.dialogs.end() && !it->second.empty()) {
    *answer = std::move(it->second.front());
    it->second.pop_front();
    if (it->second.empty()) s.dialogs.erase(it);
    return true;
  }
  if (!s.testMode) return false;
  s.unexpected.push_back("dialog " + std::to_string(id));
  *answer = [](CDialog&) { return kIdCancel; };
  return true;
}

// --- Common dialogs ------------------------------------------------------------

void ExpectFileDialog(const std::vector<std::string>& paths) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().files.push_back(paths);
}

bool TakeFileDialogAnswer(std::vector<std::string>* paths) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.files.empty()) {
    *paths = std::move(s.files.front());
    s.files.pop_front();
    return true;
  }
  if (!s.testMode) return false;
  s.unexpected.push_back("file dialog");
  paths->clear();
  return true;
}

void NoteFileDialogOffer(const FileDialogOffer& offer) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().lastFileOffer = offer;
}

FileDialogOffer LastFileDialogOffer() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().lastFileOffer;
}

void ExpectColorDialog(bool ok, std::uint32_t rgb) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().colors.push_back({ok, rgb});
}

bool TakeColorDialogAnswer(bool* ok, std::uint32_t* rgb) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.colors.empty()) {
    *ok = s.colors.front().ok;
    *rgb = s.colors.front().rgb;
    s.colors.pop_front();
    return true;
  }
  if (!s.testMode) return false;
  s.unexpected.push_back("colour dialog");
  *ok = false;
  return true;
}

void ExpectFontDialog(bool ok, const std::string& faceName, int pointSize10) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().fonts.push_back({ok, faceName, pointSize10});
}

bool TakeFontDialogAnswer(bool* ok, std::string* faceName, int* pointSize10) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.fonts.empty()) {
    *ok = s.fonts.front().ok;
    *faceName = s.fonts.front().face;
    *pointSize10 = s.fonts.front().size10;
    s.fonts.pop_front();
    return true;
  }
  if (!s.testMode) return false;
  s.unexpected.push_back("font dialog");
  *ok = false;
  return true;
}

void NoteFontDialogStart(const std::string& faceName, std::uint32_t flags) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().lastFontStart = FontDialogStart{true, faceName, flags};
}

FontDialogStart LastFontDialogStart() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().lastFontStart;
}

void ExpectPrintDialog(bool ok) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().prints.push_back(ok);
}

bool TakePrintDialogAnswer(bool* ok) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.prints.empty()) {
    *ok = s.prints.front();
    s.prints.pop_front();
    return true;
  }
  if (!s.testMode) return false;
  s.unexpected.push_back("print dialog");
  *ok = false;
  return true;
}

// --- Popup menus ---------------------------------------------------------------

void ExpectPopupMenu(unsigned chooseId) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().popups.push_back(chooseId);
}

bool TakePopupMenu(const std::vector<MenuItem>& items, unsigned* chosen) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.popups.empty()) {
    *chosen = s.popups.front();
    s.popups.pop_front();
    s.lastPopup = items;
    return true;
  }
  if (!s.testMode) return false;
  std::string what = "popup menu:";
  for (const MenuItem& m : items) what += m.separator ? std::string(" |") : " " + m.text;
  s.unexpected.push_back(what);
  s.lastPopup = items;
  *chosen = 0;
  return true;
}

std::vector<MenuItem> LastPopupMenu() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().lastPopup;
}

// --- Random numbers -------------------------------------------------------------

void SeedRandom(std::uint32_t seed) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().rng.Seed(seed, kRandomStream);
}

std::uint32_t Random() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.rng.seeded) {
    auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    s.rng.Seed(static_cast<std::uint64_t>(now), kRandomStream);
  }
  return s.rng.Next();
}

std::uint32_t RandomBelow(std::uint32_t bound) {
  if (bound == 0) return 0;
  // Reject the low values that would make some results more likely.
  const std::uint32_t threshold = (0u - bound) % bound;
  for (;;) {
    std::uint32_t r = Random();
    if (r >= threshold) return r % bound;
  }
}

// --- Cryptographic random bytes -------------------------------------------------

bool SecureRandomBytes(void* out, std::size_t len) {
  unsigned char* p = static_cast<unsigned char*>(out);
  {
    State& s = S();
    std::lock_guard<std::mutex> lock(s.mu);
    if (s.secureFixed) {
      for (std::size_t i = 0; i < len; ++i) p[i] = static_cast<unsigned char>(s.secureRng.Next());
      return true;
    }
  }
  return SystemRandom(p, len);
}

void FixSecureRandom(std::uint32_t seed) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().secureRng.Seed(seed, kSecureStream);
  S().secureFixed = true;
}

void UnfixSecureRandom() {
  std::lock_guard<std::mutex> lock(S().mu);
  S().secureFixed = false;
}


// --- Drag and drop -----------------------------------------------------------------

namespace {

struct DragState {
  std::deque<unsigned> effects;
  std::vector<DragOffer> offers;
};

DragState& Drags() {
  static DragState d;
  return d;
}

}  // namespace

void ResetDragHooks() {
  std::lock_guard<std::mutex> lock(S().mu);
  Drags() = DragState();
}

void ExpectDragDrop(unsigned effect) {
  std::lock_guard<std::mutex> lock(S().mu);
  Drags().effects.push_back(effect);
}

bool TakeDragDrop(const DragOffer& offer, unsigned* effect) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  DragState& d = Drags();
  if (!d.effects.empty()) {
    *effect = d.effects.front();
    d.effects.pop_front();
    d.offers.push_back(offer);
    return true;
  }
  if (!s.testMode) return false;
  s.unexpected.push_back("drag and drop");
  d.offers.push_back(offer);
  *effect = 0;
  return true;
}

std::vector<DragOffer> DragOffers() {
  std::lock_guard<std::mutex> lock(S().mu);
  return Drags().offers;
}

// --- The screen ---------------------------------------------------------------------

namespace {

struct ScreenState {
  std::map<int, std::uintptr_t> foreground;  // first query number -> window
  int queries = 0;
  bool desktopSet = false;
  CSize desktop;
  bool windowsSet = false;
  std::vector<TopWindow> windows;
};

ScreenState& Screen() {
  static ScreenState s;
  return s;
}

}  // namespace

void ResetScreenHooks() {
  std::lock_guard<std::mutex> lock(S().mu);
  Screen() = ScreenState();
}

void ScriptForegroundWindow(int fromQuery, std::uintptr_t window) {
  std::lock_guard<std::mutex> lock(S().mu);
  Screen().foreground[fromQuery < 1 ? 1 : fromQuery] = window;
}

std::uintptr_t ForegroundWindow() {
  {
    std::lock_guard<std::mutex> lock(S().mu);
    ScreenState& s = Screen();
    if (!s.foreground.empty()) {
      if (s.queries < INT_MAX) ++s.queries;
      // The last step that has begun by this query.
      auto it = s.foreground.upper_bound(s.queries);
      return it == s.foreground.begin() ? 0 : std::prev(it)->second;
    }
  }
#ifdef _WIN32
  return reinterpret_cast<std::uintptr_t>(::GetForegroundWindow());
#else
  return 0;
#endif
}

int ForegroundQueries() {
  std::lock_guard<std::mutex> lock(S().mu);
  return Screen().queries;
}

void SetDesktopSize(int width, int height) {
  std::lock_guard<std::mutex> lock(S().mu);
  Screen().desktopSet = true;
  Screen().desktop = CSize(width, height);
}

CRect DesktopWindowRect() {
  {
    std::lock_guard<std::mutex> lock(S().mu);
    if (Screen().desktopSet) return CRect(0, 0, Screen().desktop.cx, Screen().desktop.cy);
  }
#ifdef _WIN32
  RECT r = {};
  if (::GetWindowRect(::GetDesktopWindow(), &r)) return CRect(r.left, r.top, r.right, r.bottom);
#endif
  return CRect();
}

CSize DesktopClientSize() {
  {
    std::lock_guard<std::mutex> lock(S().mu);
    if (Screen().desktopSet) return Screen().desktop;
  }
#ifdef _WIN32
  RECT r = {};
  if (::GetClientRect(::GetDesktopWindow(), &r)) return CSize(r.right - r.left, r.bottom - r.top);
#endif
  return CSize();
}

void ScriptTopWindows(const std::vector<TopWindow>& windows) {
  std::lock_guard<std::mutex> lock(S().mu);
  Screen().windowsSet = true;
  Screen().windows = windows;
}

bool ScriptedTopWindows(std::vector<TopWindow>* windows) {
  std::lock_guard<std::mutex> lock(S().mu);
  if (!Screen().windowsSet) return false;
  if (windows) *windows = Screen().windows;
  return true;
}

}  // namespace hooks
}  // namespace fw
