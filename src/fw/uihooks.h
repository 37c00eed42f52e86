// Test hooks for everything that would block or vary: message boxes, modal
// dialogs, common dialogs, popup menus, random numbers and the screen (the
// foreground window, the desktop's size). (The clock has its own hook in
// fw/clock.h.)
//
// The shipped program never arms them: while nothing is expected and test mode
// is off, every Take/Answer function returns "not handled" and the real window
// appears. A test turns test mode on (fw::hooks::SetTestMode(true)); from then
// on any modal UI that was not expected is refused, recorded as unexpected and
// answered with a cancel, so a test can never block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fw/geometry.h"

class CDialog;

namespace fw {
namespace hooks {

void SetTestMode(bool on);
bool TestMode();

// Forgets every expectation and record (tests call it between cases).
void Reset();

// Texts of modal UI that appeared in test mode without an expectation.
std::vector<std::string> Unexpected();
// Expectations that were set but not used up, one line each.
std::vector<std::string> Unused();
// For modal UI without a hook of its own (folder pickers, ...): in test mode
// records `what` as unexpected and returns true (the caller cancels);
// otherwise returns false and the real window may appear.
bool RefuseModal(const std::string& what);

// --- Message boxes (AfxMessageBox, CWnd::MessageBox, ReportMessage) ---------
// The next message box whose text contains `textPart` (empty: any text)
// is answered with `answer` (IDOK, IDYES, IDNO, IDCANCEL, ...).
void ExpectMessageBox(const std::string& textPart, int answer);
// The same, with `whileUp` called while the box is up: it may dispatch
// messages as the box's own loop does (timers tick behind a real box) and
// returns the answer.
void ExpectMessageBox(const std::string& textPart, std::function<int()> whileUp);
// Called by every message box of the program before it shows one. Returns
// true and sets *answer when the box is handled here (expected, or refused in
// test mode with IDCANCEL, or IDOK for MB_OK boxes).
bool AnswerMessageBox(const char* text, const char* caption, unsigned type, int* answer);
// Texts of all message boxes handled so far, in order.
std::vector<std::string> MessageBoxTexts();

// --- Modal dialogs (CDialog::DoModal) ---------------------------------------
// A callback for the next DoModal of dialog resource `id`. DoModal creates the
// dialog hidden and modeless, runs OnInitDialog, then calls the callback, which
// fills the controls (SetDlgItemText, CheckDlgButton, ...) and returns IDOK or
// IDCANCEL. For IDOK, DoModal runs OnOK (data exchange and validation); when
// validation keeps the dialog open, the callback is called again (at most 3
// times, then the dialog is cancelled and the case recorded as unexpected).
using DialogAnswer = std::function<int(CDialog&)>;
void ExpectDialog(int id, DialogAnswer answer);
bool TakeDialogAnswer(int id, DialogAnswer* answer);

// --- Common dialogs ----------------------------------------------------------
// File open/save: `paths` empty means Cancel; several paths answer a
// multi-select dialog.
void ExpectFileDialog(const std::vector<std::string>& paths);
bool TakeFileDialogAnswer(std::vector<std::string>* paths);
// What the last file dialog offered before the user's answer: the name in its
// name box and the folder it starts in (tests check a proposed name).
struct FileDialogOffer {
  std::string name;
  std::string folder;
};
void NoteFileDialogOffer(const FileDialogOffer& offer);
FileDialogOffer LastFileDialogOffer();
// Colour: `ok` false means Cancel.
void ExpectColorDialog(bool ok, std::uint32_t rgb);
bool TakeColorDialogAnswer(bool* ok, std::uint32_t* rgb);
// Font: `ok` false means Cancel; the face name and the size in tenths of a
// point are the user's choice.
void ExpectFontDialog(bool ok, const std::string& faceName, int pointSize10);
bool TakeFontDialogAnswer(bool* ok, std::string* faceName, int* pointSize10);
// What the last font dialog was opened with (the face it preselects and its
// CHOOSEFONT flags), answered by a hook or not; `shown` false before any.
struct FontDialogStart {
  bool shown = false;
  std::string faceName;
  std::uint32_t flags = 0;
};
void NoteFontDialogStart(const std::string& faceName, std::uint32_t flags);
FontDialogStart LastFontDialogStart();
// Print and page setup dialogs: OK or Cancel.
void ExpectPrintDialog(bool ok);
bool TakePrintDialogAnswer(bool* ok);

// --- Popup menus (CMenu::TrackPopupMenu) ------------------------------------
struct MenuItem {
  unsigned id = 0;     // 0 for separators and sub-menus
  std::string text;    // as in the menu, "&" included
  bool separator = false;
  bool grayed = false;
  bool checked = false;
  bool popup = false;  // opens a sub-menu
};
// The next popup menu returns `chooseId` (0: dismissed) instead of tracking.
void ExpectPopupMenu(unsigned chooseId);
bool TakePopupMenu(const std::vector<MenuItem>& items, unsigned* chosen);
// The items of the last popup menu handled here.
std::vector<MenuItem> LastPopupMenu();

// --- Random numbers ----------------------------------------------------------
// Every random number of the program comes from here; tests fix the seed.
// Without a seed the first call seeds from the clock.
void SeedRandom(std::uint32_t seed);
std::uint32_t Random();
// A number in [0, bound) without modulo bias; 0 for bound 0.
std::uint32_t RandomBelow(std::uint32_t bound);

// --- Cryptographic random bytes ---------------------------------------------
// Salts come from the system's cryptographic generator (BCryptGenRandom on
// Windows, getrandom or /dev/urandom elsewhere); false when it fails. A test
// fixes the bytes with FixSecureRandom: from then on they are a repeatable
// sequence of the seed, until UnfixSecureRandom (or Reset).
bool SecureRandomBytes(void* out, std::size_t len);
void FixSecureRandom(std::uint32_t seed);
void UnfixSecureRandom();


// --- Drag and drop (COleDataSource::DoDragDrop) -----------------------------
// What a drag offered: each format with its bytes (the whole global block)
// and the effects allowed.
struct DragOffer {
  struct Item {
    unsigned format = 0;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Item> items;
  unsigned allowedEffects = 0;
};
// The next DoDragDrop returns `effect` (DROPEFFECT_COPY, DROPEFFECT_NONE, ...)
// at once instead of running the drag loop, and records what it offered.
void ExpectDragDrop(unsigned effect);
// Called by DoDragDrop before the drag loop. Returns true and sets *effect
// when the drag is handled here (expected, or refused in test mode with
// DROPEFFECT_NONE and recorded as unexpected).
bool TakeDragDrop(const DragOffer& offer, unsigned* effect);
// What the drags handled here offered, in order.
std::vector<DragOffer> DragOffers();

// --- The screen: the foreground window and the desktop ----------------------
// Window handles travel as integers (an HWND's value). Without a script the
// system answers (GetForegroundWindow; GetDesktopWindow with GetWindowRect and
// GetClientRect; 0 and an empty desktop where there is no window system), so a
// test can bring "another program's window" to the front without one.
//
// From the `fromQuery`-th foreground query on (counted from 1 since Reset)
// the answer is `window`, until a later step takes over; queries before the
// first step answer 0 (no window in front). Steps may be given in any order.
void ScriptForegroundWindow(int fromQuery, std::uintptr_t window);
// The foreground window: the script's answer when there is a script, else
// the system's.
std::uintptr_t ForegroundWindow();
// How many foreground queries the script has answered since Reset.
int ForegroundQueries();
// The desktop as a test sets it: window rectangle (0, 0, width, height) and
// client size width x height (until Reset).
void SetDesktopSize(int width, int height);
CRect DesktopWindowRect();
CSize DesktopClientSize();

// --- The top-level windows (finding another program's window) --------------
// A test gives the walk over the top-level windows a list of its own: each
// window's handle value, title and rectangle, in the order the walk meets
// them. Until Reset the walk sees only these windows.
struct TopWindow {
  std::uintptr_t window = 0;
  std::string title;
  CRect rect;
};
void ScriptTopWindows(const std::vector<TopWindow>& windows);
// True and the list when a test has scripted the walk.
bool ScriptedTopWindows(std::vector<TopWindow>* windows);

}  // namespace hooks
}  // namespace fw
