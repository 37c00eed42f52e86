// The column append and the vertical concatenation of another CSV file or
// a named shared-memory block (csv/csv_appendcols.h, csv/csv_concat.h), and
// the CSV menu's "ﾌｧｲﾙ縦連結" (33047).
#include <string>

#include "csv/csv_appendcols.h"
#include "csv/csv_concat.h"
#include "csv/csv_otherfile.h"
#include "fw/commondlg.h"
#include "host/doc_host.h"
#include "macro/macro_address.h"
#include "macro/macro_host.h"
#include "macro/macro_sharedmem.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr std::uint32_t kCsvKind = 33;
const char kCsvFilter[] = "csv file|*.csv||";

class ConcatHost final : public csv::OpHost {
 public:
  explicit ConcatHost(CDvkView& view) : view_(view) {}
  int ReportMessage(int code, const CString& text) override { return view_.ReportMessage(code, text); }

 private:
  CDvkView& view_;
};

}  // namespace

CString CDvkView::CsvAskOtherFile() {
  CString folder;
  if (app::DocHost* doc = GetDocument()) {
    const app::DocPathFields& f = doc->PathFields();
    folder = f.m_nActiveSide == 1 ? f.m_strPath1 : f.m_strPath2;
  }
  CFileDialog dlg(true, nullptr, nullptr, OFN_HIDEREADONLY, kCsvFilter, this);
  dlg.SetInitialFolder(folder);
  if (dlg.DoModal() != IDOK) return CString();
  return dlg.GetPathName();
}

void CDvkView::CsvReportUnopened(const CString& path) {
  CString text;
  text.LoadString(IDS_CANNOT_OPEN_FILE);
  ReportMessage(2, text + "\nfile = " + path);
}

void CDvkView::CsvAppendFileColumns(const CString& path) {
  if (!ShowsCsvTable()) return;
  csv::FileSource file;
  if (!file.Open(path)) {
    CsvReportUnopened(path);
    return;
  }
  SetStatus(viewcore::StatusPane::kPane0, path);
  ConcatHost host(*this);
  if (csv::CsvAppendColumns(m_table, file, &host) == csv::AppendResult::kUnreadable) CsvReportUnopened(path);
  if (app::DocHost* doc = GetDocument()) doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
}

int CDvkView::CsvConcatFileVertical(int skipLines, const CString& source, int sourceMode, int sharedArg) {
  if ((m_nFileKind != kCsvKind && m_nFileKind != 9 && m_nFileKind != 98) || static_cast<int>(m_nSourceView) > 0)
    return 0;
  // Texts of kinds 9 and 98 live in the document's buffer, not in a table
  // of the view; the operation takes them (csv::ConcatArgs::fileKind) once
  // the view can hand that buffer over. Until then they stay as they are.
  if (m_nFileKind != kCsvKind) return 0;
  csv::ConcatArgs args;
  args.skipLines = skipLines;
  args.sourceMode = sourceMode;
  args.fileKind = static_cast<int>(m_nFileKind);
  CString name = source;
  csv::FileSource file;
  macro::SharedMemorySource shared(source, sharedArg);
  csv::OtherSource* from = &shared;
  if (!csv::ConcatReadsSharedMemory(sourceMode)) {
    if (name.IsEmpty()) {
      name = CsvAskOtherFile();
      if (name.IsEmpty()) return 0;
    }
    if (!file.Open(name)) {
      CsvReportUnopened(name);
      return -1;
    }
    from = &file;
  }
  SetStatus(viewcore::StatusPane::kPane0, name);
  // Titles are matched as the macro's addresses are, against the first line
  // of the source.
  csv::TitleResolver resolve = [this](const std::string& titles, const std::uint8_t* text, std::uint32_t len) {
    macro::AddressScope scope{Macro()};
    scope.host = &MacroHost();
    scope.table = nullptr;
    scope.text = text;
    scope.length = len;
    return macro::MacroParseRowData(scope, CString(titles), 6).Str();
  };
  ConcatHost host(*this);
  const csv::ConcatResult r = csv::CsvConcatVertical(m_table, args, *from, resolve, &host);
  if (app::DocHost* doc = GetDocument()) doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
  switch (r) {
    case csv::ConcatResult::kDone:
    case csv::ConcatResult::kNothing: return 0;
    case csv::ConcatResult::kUnreadable: CsvReportUnopened(name); return -1;
    case csv::ConcatResult::kFailed: return -1;
  }
  return -1;
}

// A table changed from the menu is a changed document: Save writes it and
// closing asks first.
void CDvkView::OnCsvConcatVertical() {
  const std::uint32_t generation = m_table.m_nIndexGeneration;
  CsvConcatFileVertical(9999, CString(), 0, 0);
  const bool changed = m_table.m_nIndexGeneration != generation;
  RedisplayChangedTable();
  if (changed) GetRichEditCtrl().SetModify(TRUE);
}
