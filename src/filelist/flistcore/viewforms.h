// The list's forms of the view commands (zoom, display style, binary or
// source view) and the Execute dispatch: which action a command takes from
// the document's words. Portable; the pane acts on the result.
#pragma once

#include <cstdint>
#include <string>

namespace flist {

// Zoom in (+1) or out (-1) reaches the document's handler unless a picture
// is shown in its text form at the end of the zoom range (in above 7, out
// at 1).
bool ZoomReachesDocument(int step, int fileKind, int openContext, int imageZoom);

// The display-style words before and after the command.
struct StyleWords {
  std::int32_t tableStyle = 0;
  std::int32_t tableStyleFlag = 0;
  std::int32_t columnWidthMode = 0;
  std::uint32_t shiftHeld = 0;
};
struct StylePlan {
  StyleWords words;
  // Which text of the three column-width texts the status bar shows after
  // the style was applied (0 first, 1 middle, 2 last), -1 none.
  int statusText = -1;
};
StylePlan PlanDisplayStyle(int fileKind, StyleWords words, bool ctrlDown);

// The display form after the binary or source command: text 0, binary 1,
// source 2, back to text; kinds without a source form skip it.
std::uint32_t NextOpenContext(std::uint32_t openContext, int fileKind);

// Execute of the cursor file.
enum class ExecuteAction {
  kRunMacro,     // ".rmc", "rmcx", "rmcz": the text view runs it
  kPlayList,     // ".mcr": the list-macro player
  kLaunch,       // any other file: its registered program
};
// The endings are compared case-sensitively.
ExecuteAction PlanExecute(const std::string& path);
// The delay of the follow-up launch: longer while the document shows a PDF.
int FollowUpDelayMs(int fileKind);
// The local copy an FTP file is launched from: "<program>\TMP\Dorvik_" and
// the file name after the last "\" or "/".
std::string FtpLaunchCopy(const std::string& programDir, const std::string& path);

}  // namespace flist
