// The ruled-table engine's entry (CDvkView::TableCommand): the command
// table decides the path (table/table_commands.h), the rebuild runs on
// plain buffers (table/table_render.h), and this file does what needs the
// window: the lock, the selection and its replacement, the stream-in
// through StreamInRtf (which re-applies the exact line spacing), the
// write-back through StreamOutRtf, the message boxes and status texts.
#include <algorithm>
#include <cstring>
#include <string>

#include "fw/alloc.h"
#include "fw/msgbox.h"
#include "core/docsvc/pathpart.h"
#include "host/doc_host.h"
#include "table/table_bitmap.h"
#include "table/table_commands.h"
#include "table/table_render.h"
#include "table/table_ruledrows.h"
#include "view/dvkview.h"
#include "view/viewcore/statustext.h"

namespace {

constexpr unsigned kStrMemoryShort = 152;  // "メモリーが足りません\r\n"

// Picture cells name files that may be no BMP files: the document's
// loaders write them as the scratch bitmap first.
class DocPictureConverter : public table::PictureConverter {
 public:
  explicit DocPictureConverter(app::DocHost* doc) : doc_(doc) {}
  std::string ScratchBitmap() override {
    return doc_ ? std::string(doc_->ScratchFolder(0).GetString()) + "DorvikTMP01.bmp" : std::string();
  }
  int WriteAsBitmap(const std::string& path, const std::string& bmpPath) override {
    return doc_ ? doc_->LoadImageForDoc(CString(path.c_str()), CString(bmpPath.c_str())) : -1;
  }

 private:
  app::DocHost* doc_;
};

CString MemoryText() {
  CString s;
  s.LoadString(kStrMemoryShort);
  return s;
}

}  // namespace

int CDvkView::TableCommand(int cmd, int row, int cellOnly, int firstLine, int lastLine, int firstCol, int lastCol,
                           int count) {
  (void)firstCol;
  (void)lastCol;
  app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  // 'e' counts the separators of line firstLine: a line of '|' rather than
  // TABs makes it 'f'.
  if (cmd == 'e') {
    char line[table::kConvertLineBytes + 1];
    const int n = GetLineTextSjis(firstLine, line, static_cast<int>(sizeof line));
    cmd = table::ResolveConversion(cmd, table::CountSeparators(line, static_cast<std::size_t>(n)));
  }
  const table::TableCommandPlan plan =
      table::PlanTableCommand(cmd, cellOnly, firstLine, lastLine, count, m_nFileKind, m_nEditMode,
                              doc->KeyImageFields().m_bShiftHeld);
  // Entry: the active window's update is locked through the document, so
  // locks nest and only the last unlock redraws.
  CWnd* active = GetParentFrame() ? GetParentFrame()->GetActiveView() : nullptr;
  doc->BeginUpdateLock(active ? active : this);
  int result = 0;
  switch (plan.path) {
    case table::TablePath::kRebuild:
      result = RunTableRebuild(plan.cmd, row, plan.cellOnly, plan.replaceAll, plan.replaceNothing, plan.streamIn,
                               plan.firstLine, plan.lastLine);
      break;
    case table::TablePath::kConvert:
      result = RunRuledConversion(plan.cmd, plan.firstLine, plan.lastLine);
      break;
    case table::TablePath::kFinalOnly:
    case table::TablePath::kEdit:
    case table::TablePath::kPdf:
      // Paths that come with the table editing and the PDF pages: until
      // they are there, the final steps only.
      break;
  }
  // Final steps: the other panes follow, then the unlock.
  if (m_nSplitKind != 0 && !m_bRuledDrawing) SyncPanes(0);
  doc->EndUpdateLock();
  return result;
}

int CDvkView::RunTableRebuild(int cmd, int row, int cellOnly, bool replaceAll, bool replaceNothing, bool streamIn,
                              int firstLine, int lastLine) {
  app::DocHost* doc = GetDocument();
  app::DocTextFields& text = doc->TextFields();
  // The paragraph-to-row map: room for a row paragraph, two rule
  // paragraphs above and two below and a mark per row of the range.
  const std::int64_t rows = static_cast<std::int64_t>(m_table.m_nLastRow < 0 ? 0 : m_table.m_nLastRow) + 1;
  const std::int64_t span = (firstLine != 0 || lastLine != 0) && lastLine >= firstLine
                                ? std::min<std::int64_t>(rows, static_cast<std::int64_t>(lastLine) - firstLine + 1)
                                : rows;
  const std::uint64_t wantMap = static_cast<std::uint64_t>(span) * 6 + 64;
  const std::uint32_t mapSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(wantMap, 16u * 1024 * 1024));
  if (!m_pParaRowMap || m_nParaRowMapSize < mapSize) {
    void* p = fw::Realloc(m_pParaRowMap, static_cast<std::size_t>(mapSize) * sizeof(std::uint32_t));
    if (p) {
      m_pParaRowMap = static_cast<std::uint32_t*>(p);
      m_nParaRowMapSize = mapSize;
    }
  }
  if (!m_pColumnEdges) {
    m_pColumnEdges = static_cast<std::int32_t*>(fw::Alloc(table::kColumnEdgeCount * sizeof(std::int32_t)));
    if (m_pColumnEdges) std::memset(m_pColumnEdges, 0, table::kColumnEdgeCount * sizeof(std::int32_t));
  }

  table::RenderRequest req;
  req.cmd = cmd;
  req.row = row;
  req.cellOnly = cellOnly;
  req.firstLine = firstLine;
  req.lastLine = lastLine;
  req.editMode = static_cast<int>(m_nEditMode);
  req.startRow = m_nPageTopRow;
  req.outdata = doc->SettingsFields().m_nOutdata > 0 ? static_cast<std::uint32_t>(doc->SettingsFields().m_nOutdata) : 0;
  req.colourBarColumn = m_nColourBarColumn;
  req.colourBarChars = m_pColourBarChars;
  req.colourBarCodes = m_pColourBarCodes;
  req.userColour = m_clrLastText;
  req.paraRowMap = m_pParaRowMap;
  req.paraRowMapSize = m_pParaRowMap ? m_nParaRowMapSize : 0;
  req.columnEdges = m_pColumnEdges;
  req.columnEdgeSize = m_pColumnEdges ? table::kColumnEdgeCount : 0;
  // Picture cells: their files lie in the folder of the view's file.
  DocPictureConverter pictures(doc);
  if (LastBackslash(m_strViewPath) > 0) {
    req.pictureFolder = std::string(GetPathPart(m_strViewPath, 3).GetString()) + "\\";
    req.pictureConverter = &pictures;
  }

  table::OutputText out;
  out.text = text.m_pText;
  out.len = text.m_nTextLen;
  out.capacity = text.m_nTextCapacity;
  out.readEnd = text.m_nReadEnd;
  const table::RenderResult r = table::RebuildTable(m_table, out, req);
  // The buffer is the document's whatever happened: the rebuild may have
  // moved it, and leaves a valid block on every path.
  text.m_pText = out.text;
  text.m_nTextCapacity = out.capacity;
  text.m_nReadEnd = out.readEnd;
  if (!r.status.empty()) SetStatus(viewcore::StatusPane::kPane0, CString(r.status.c_str()));
  if (r.failure != table::kRenderOk) {
    const std::string msg = r.failure == table::kFailWorkBuffer ? std::string(MemoryText().GetString())
                                                                : table::FailureText(MemoryText(), r);
    fw::ShowMessageBox(m_hWnd, msg.c_str(), "", MB_OK);
    return 1;
  }
  if (r.code != 0) return 1;  // the column limit: nothing changed
  text.m_nTextLen = out.len;
  if (r.maxColumns > m_nMaxColumns) m_nMaxColumns = r.maxColumns;

  // The end of the rebuild: the range is replaced by nothing ('N' keeps
  // everything and goes in at the caret), then the rich text streams in at
  // the selection; 'T' leaves it in the document's buffer for its caller.
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const BOOL modified = ctrl.GetModify();
  if (!replaceNothing) {
    if (replaceAll) {
      ctrl.SetSel(0, -1);
    } else {
      const int count = ctrl.GetLineCount();
      const long from = ctrl.LineIndex(std::max(0, std::min(firstLine, count - 1)));
      const long to = lastLine + 1 < count ? ctrl.LineIndex(lastLine + 1) : ctrl.GetTextLength();
      ctrl.SetSel(from < 0 ? 0 : from, to < 0 ? ctrl.GetTextLength() : to);
    }
    ctrl.ReplaceSel("");
  }
  text.m_nReadPos = 0;
  text.m_nStreamLen = out.len;
  if (streamIn) {
    StreamInRtf(m_hWnd, 1);
  } else {
    text.m_nStreamLen = 0;
  }
  ctrl.SetModify(modified);
  return 0;
}

int CDvkView::TableWriteBack() {
  app::DocHost* doc = GetDocument();
  if (!doc) return 1;
  app::DocTextFields& text = doc->TextFields();
  table::OutputText out;
  out.text = text.m_pText;
  out.len = text.m_nTextLen;
  out.capacity = text.m_nTextCapacity;
  out.readEnd = text.m_nReadEnd;
  if (!table::PrepareWriteBack(out)) {
    table::RenderResult r;
    r.failure = table::kFailWriteBack;
    fw::ShowMessageBox(m_hWnd, table::FailureText(MemoryText(), r).c_str(), "", MB_OK);
    return 1;
  }
  text.m_pText = out.text;
  text.m_nTextCapacity = out.capacity;
  text.m_nReadEnd = out.readEnd;
  text.m_nReadPos = 0;
  // The stream-out grows the buffer rather than cutting the text.
  StreamOutRtf(m_hWnd, 0);
  text.m_nTextLen = text.m_nReadPos;
  return 0;
}
