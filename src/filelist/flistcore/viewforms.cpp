#include "filelist/flistcore/viewforms.h"

#include "core/docsvc/filekind.h"
#include "fw/sjis.h"

namespace flist {

namespace {

bool IsTableKind(int kind) { return kind == docsvc::kKindExcel || kind == docsvc::kKindXlsx; }

bool EndsWith(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

}  // namespace

bool ZoomReachesDocument(int step, int fileKind, int openContext, int imageZoom) {
  if (!docsvc::IsPictureKind(fileKind) || openContext != 0) return true;
  return step > 0 ? imageZoom <= 7 : imageZoom != 1;
}

StylePlan PlanDisplayStyle(int fileKind, StyleWords w, bool ctrlDown) {
  StylePlan plan;
  if (fileKind == docsvc::kKindCsv) {
    if (w.tableStyle < 2) {
      w.tableStyle = 2;
      w.tableStyleFlag = 1;
    } else {
      w.tableStyle = 1;
      w.tableStyleFlag = 0;
    }
    w.shiftHeld = 0;
  }
  const bool table = IsTableKind(fileKind);
  if (w.shiftHeld == 1 && table) {
    if (w.columnWidthMode == 0) w.tableStyleFlag = 1 - w.tableStyleFlag;
    w.columnWidthMode += 2;
  }
  if (ctrlDown && table) {
    if (w.columnWidthMode < 10) {
      w.columnWidthMode = 11;
      w.tableStyleFlag = 1;
    } else {
      w.columnWidthMode = 4;
    }
  } else if (w.columnWidthMode >= 10) {
    w.columnWidthMode = 4;
  }
  if (w.shiftHeld == 1 && table) plan.statusText = w.columnWidthMode == 1 ? 1 : w.columnWidthMode == 2 ? 0 : 2;
  plan.words = w;
  return plan;
}

std::uint32_t NextOpenContext(std::uint32_t openContext, int fileKind) {
  std::uint32_t next = openContext + 1;
  if (next >= 3) next = 0;
  if (next == 2 && (fileKind == docsvc::kKindText || fileKind == docsvc::kKindMacro ||
                    docsvc::IsPictureKind(fileKind)))
    next = 0;
  return next;
}

ExecuteAction PlanExecute(const std::string& path) {
  if (EndsWith(path, ".rmc") || EndsWith(path, "rmcx") || EndsWith(path, "rmcz")) return ExecuteAction::kRunMacro;
  if (EndsWith(path, ".mcr")) return ExecuteAction::kPlayList;
  return ExecuteAction::kLaunch;
}

int FollowUpDelayMs(int fileKind) { return fileKind == docsvc::kKindPdf ? 5000 : 1000; }

std::string FtpLaunchCopy(const std::string& programDir, const std::string& path) {
  const int len = static_cast<int>(path.size());
  int cut = -1;
  for (int i = 0; i < len; i += fw::SjisCharLength(path.data(), len, i))
    if (path[static_cast<std::size_t>(i)] == '\\' || path[static_cast<std::size_t>(i)] == '/') cut = i;
  return programDir + "\\TMP\\Dorvik_" + path.substr(static_cast<std::size_t>(cut + 1));
}

}  // namespace flist
