// What a text view does when the document updates all views: one decision
// over the document's update code and load state and the view's own state.
// CDvkView::OnUpdate asks it and carries the step out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/docdata/update_code.h"

namespace viewload {

enum class UpdateStep {
  kNothing,         // a code for other views or later duties: what is shown stays
  kPrint,           // print requests forwarded by the file list (1)
  kPrintPreview,    // (2)
  kPrintMargins,    // (3)
  kRedrawTable,     // load state 99 and a table: redisplay from the view's own buffer
  kRescanTable,     // the same after a table change (update code 1): rescan first
  kRedrawOwnText,   // load state 99 otherwise: show what a report wrote into the view's buffer
  kTakeContent,     // update code 1 in the pane that takes it: load, fill on timer 20
  kTakePicture,     // the document's picture waits for this pane (any other code): take it now
  kHandOver,        // code 16 n + 1 for this pane: take the text now and become active
  kClearCheckList,  // code 51
  kInvalidate,      // codes 4, 6, 7: redraw only
  kMacroDebugRun,   // code 3 with a macro debug request, in the active view: run the shown macro
  kMacroGraphText,  // code 7 in macro debug mode, in the macro's view: show the text with "Graph" appended
  kCapture,         // a pending capture (1, 2, 40, 41), in the pane that takes content: run it
};

struct UpdateState {
  std::int32_t printRequest = 0;  // the document's m_nPrintRequest
  std::int32_t loadState = 0;     // the document's m_nLoadState
  app::UpdateCode code = app::UpdateCode::kNone;
  bool viewShowsTable = false;    // the view's kind is a CSV table (33, 35)
  bool viewHasBuffer = false;     // the view has its working buffer
  bool takesContent = false;      // the active text pane, or a view outside the frame
  bool shownBeside = false;       // another text pane the frame shows beside the active one
  int paneIndex = 0;              // the view's text pane number
  std::int32_t macroDebugMode = 0;  // the document's m_nMacroDebugMode
  bool activeView = false;        // the frame's active view
  bool viewShowsMacro = false;    // the view shows the macro being debugged (kind 98)
  bool pictureWaiting = false;    // the document holds a loaded picture (ready 1, pixels held)
  std::int32_t pendingViewCmd = 0;  // the document's m_nPendingViewCmd
};

struct UpdatePlan {
  UpdateStep step = UpdateStep::kNothing;
  bool consumePrintRequest = false;  // the request is cleared (it is this view's)
  // kMacroDebugRun: the debug mode left on the document (the request taken:
  // 1 runs from the top, 2 from the stop position).
  std::int32_t macroDebugMode = 0;
};

constexpr std::int32_t kMacroDebugRequest = 1000;  // debug modes above it are requests

UpdatePlan PlanUpdate(const UpdateState& s);

// Kinds a text view shows in its own way after taking the content.
enum class ShownForm { kTable, kRichText, kPicture, kText };
ShownForm ShownFormOf(int kind);

// A pending view command that asks for a screen capture (1 desktop,
// 2 numbered quick capture, 40 a clicked window, 41 a series).
bool IsCapturePending(std::int32_t pendingViewCmd);

// The shown text places pictures at its markers: a file whose name ends in
// "rtzx", or a text whose first line begins "+" and two blanks while the
// picture switch is off.
bool ShowsMarkedPictures(const char* shownFile, const char* text, std::size_t len, bool pictureSwitch);

// Redraw states of the document after which a loaded view arms its redraw timer.
bool RedrawStateArmsRedraw(std::int32_t redrawState);

}  // namespace viewload
