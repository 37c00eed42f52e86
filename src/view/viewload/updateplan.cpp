#include "view/viewload/updateplan.h"

#include <cctype>
#include <cstring>

#include "core/docsvc/filekind.h"

namespace viewload {

UpdatePlan PlanUpdate(const UpdateState& s) {
  using app::UpdateCode;
  UpdatePlan p;
  // A print request goes to the view that takes the document's content.
  if (s.printRequest != 0 && s.takesContent) {
    p.consumePrintRequest = true;
    switch (s.printRequest) {
      case 1: p.step = UpdateStep::kPrint; break;
      case 2: p.step = UpdateStep::kPrintPreview; break;
      case 3: p.step = UpdateStep::kPrintMargins; break;
      default: p.step = UpdateStep::kNothing; break;
    }
    return p;
  }
  // A capture asked through the document is taken once, by the pane that
  // takes the document's content.
  if (IsCapturePending(s.pendingViewCmd)) {
    if (s.takesContent) p.step = UpdateStep::kCapture;
    return p;
  }
  // A macro debug request is taken once, by the active view (the pane the
  // debug command activated), which runs the shown macro on its own table;
  // a stopped run left load state 99, which must not swallow the request.
  if (s.code == UpdateCode::kFolderChanged && s.macroDebugMode > kMacroDebugRequest) {
    if (s.activeView) {
      p.step = UpdateStep::kMacroDebugRun;
      p.macroDebugMode = s.macroDebugMode % kMacroDebugRequest;
    }
    return p;
  }
  if (s.code == UpdateCode::kAfterMouse && s.macroDebugMode > 0 && s.viewShowsMacro) {
    p.step = UpdateStep::kMacroGraphText;
    return p;
  }
  // The hand-over of a macro's "text n" goes to pane n also under load
  // state 99 (the statement sets it for the update); the other panes keep
  // what they show.
  if (const int pane = app::PaneOfHandOverCode(s.code)) {
    p.step = pane == s.paneIndex ? UpdateStep::kHandOver : UpdateStep::kNothing;
    return p;
  }
  // Load state 99: the view redraws from its own buffer, whatever the code.
  if (s.loadState == 99) {
    if (!s.viewShowsTable) p.step = UpdateStep::kRedrawOwnText;
    else if (s.code == UpdateCode::kContent && s.viewHasBuffer) p.step = UpdateStep::kRescanTable;
    else p.step = UpdateStep::kRedrawTable;
    return p;
  }
  // A loaded picture not yet taken goes to the pane that takes the content,
  // whatever the update (the take-over releases it, so it is taken once).
  if (s.pictureWaiting && s.takesContent && s.code != UpdateCode::kContent) {
    p.step = UpdateStep::kTakePicture;
    return p;
  }
  if (s.code == UpdateCode::kContent) {
    // Every pane on screen shows the new document: one left with the old
    // text would write that text over the new file when edited and saved.
    p.step = s.takesContent || s.shownBeside ? UpdateStep::kTakeContent : UpdateStep::kNothing;
    return p;
  }
  switch (s.code) {
    case UpdateCode::kClearCheckList: p.step = UpdateStep::kClearCheckList; break;
    case UpdateCode::kMoved:
    case UpdateCode::kRedrawAll:
    case UpdateCode::kAfterMouse: p.step = UpdateStep::kInvalidate; break;
    default: p.step = UpdateStep::kNothing; break;  // 2 keeps what is shown; others are later duties'
  }
  return p;
}

ShownForm ShownFormOf(int kind) {
  if (kind == docsvc::kKindCsv || kind == docsvc::kKindCommaTable) return ShownForm::kTable;
  if (kind == docsvc::kKindRichText) return ShownForm::kRichText;
  if (kind >= docsvc::kKindBmp && kind <= docsvc::kKindEmf) return ShownForm::kPicture;
  return ShownForm::kText;
}

bool RedrawStateArmsRedraw(std::int32_t redrawState) {
  return redrawState == 40 || redrawState == 38 || redrawState == 37 || redrawState == 999;
}

}  // namespace viewload

namespace viewload {

bool IsCapturePending(std::int32_t v) { return v == 1 || v == 2 || v == 40 || v == 41; }

bool ShowsMarkedPictures(const char* shownFile, const char* text, std::size_t len, bool pictureSwitch) {
  if (shownFile) {
    const std::size_t n = std::strlen(shownFile);
    if (n >= 4) {
      char tail[5] = {};
      for (int i = 0; i < 4; ++i) tail[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(shownFile[n - 4 + i])));
      if (std::strcmp(tail, "rtzx") == 0) return true;
    }
  }
  return text && len >= 3 && std::memcmp(text, "+  ", 3) == 0 && !pictureSwitch;
}

}  // namespace viewload
