// Picture markers of a double-click: "[image3.png]" in the text of an
// unpacked Office package, "[Im2]" in a file that holds pictures of its
// own. Where the picture comes from, which text pane shows it, the window
// title's pane prefix, and the extension an unnamed media file's first
// bytes give it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace image::textview {

// Largest picture number a marker gives (more digits saturate here).
constexpr std::int32_t kMaxMarkerNumber = 999999999;

// True for a word that is a picture marker: shown in the normal form
// (`sourceView` 0), closed by "]", longer than 2 bytes, and starting "Im",
// "im" or "fi".
bool IsPictureMarker(const std::string& word, char closing, int sourceView);

struct MarkerPlan {
  enum Source { kNothing, kMediaFile, kShownFile };
  Source source = kNothing;
  std::int32_t letter = 0;   // the word's third byte, at least 'a'
  std::int32_t number = 0;   // the digits from the third byte on, saturated
  std::string path;          // the file to open
};

// The plan for a marker word in a view of `fileKind`. Kinds 36, 37 and 38
// (unpacked spreadsheet, word-processor and presentation packages) name a
// file of the package's media folder below `programDir`; only a bare file
// name is taken (no "\", "/", ":" or ".."): anything else gives kNothing.
// Other kinds reopen `viewPath` with the picture's number; number 0 gives
// kNothing there.
MarkerPlan PlanPictureMarker(const std::string& word, int fileKind, const std::string& programDir,
                             const std::string& viewPath);

// The extension a media file's first bytes give (".png", ".jpg", ".wmf",
// ".emf", ".bmp", ".gif"), or nullptr when none matches.
const char* SniffMediaExtension(const std::uint8_t* head, std::size_t length);

// Where an unclassified media file is copied before it is shown:
// programDir + "\TMP\" + its base name (no folder, no extension) + ext.
std::string MediaCopyPath(const std::string& programDir, const std::string& mediaPath, const char* ext);

// The text layout the marker's picture is shown in: the split mode kept
// when it is 20, 2, 1 or 9, else 20 from panes 1 and 3 and 10 from the
// others; `layoutArg` is the second argument of the layout (3 from pane
// 4, else 0); `changed` when the mode was changed.
struct MarkerLayout {
  bool changed = false;
  int splitMode = 0;
  int layoutArg = 0;
};
MarkerLayout PlanMarkerLayout(int splitMode, int paneIndex);

// The pane (row, column) that shows the picture for a split mode and the
// double-clicked pane (1-4); col0 and col1 are the layout's pane columns.
struct PaneCell {
  bool known = false;  // false for a split mode or pane the table does not list
  int row = 0;
  int column = 0;
};
PaneCell MarkerTargetPane(int splitMode, int paneIndex, int col0, int col1);

// The main window title's prefix for a picture opened from pane
// `paneIndex`: "" in a one-pane layout (split mode below 1), else "[1]  "
// for pane 3, "[2]  " for pane 2, "[3]  " for pane 1, "[4]  " otherwise.
std::string PaneTitlePrefix(int splitMode, int paneIndex);

}  // namespace image::textview
