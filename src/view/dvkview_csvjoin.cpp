// The link join's thin entry into csv/csv_linkjoin.h and its menu command.
#include <string>

#include "csv/csv_linkjoin.h"
#include "csv/csv_otherfile.h"
#include "fw/bars.h"
#include "fw/commondlg.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr std::uint32_t kCsvKind = 33;
constexpr const char* kJoinFilter = "csv file|*.csv||";

// Messages through the view, the Esc poll through the frame with the key in
// pane 0, names in a column list through the view's address rewriter.
class JoinViewHost final : public csv::LinkJoinHost {
 public:
  explicit JoinViewHost(CDvkView& view) : view_(view) {}
  int ReportMessage(int code, const CString& text) override { return view_.ReportMessage(code, text); }
  bool PollEscape(const std::string& key) override {
    if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, CString(key.c_str()));
    return app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort() != 0;
  }
  bool ResolveColumns(const std::string& list, const std::uint8_t* title, std::uint32_t titleLen,
                      std::string* resolved) override {
    const CString out = view_.MacroParseRowData(CString(list.c_str()), title, 4, titleLen);
    if (out.Str() == "Eror") return false;
    *resolved = out.Str();
    return true;
  }

 private:
  CDvkView& view_;
};

}  // namespace

int CDvkView::CsvJoinFileByKey(char option1, char option2, CString path, CString otherColumns, int keyColumn,
                               int otherKeyColumn, int insertBefore) {
  if (m_nFileKind != kCsvKind || static_cast<int>(m_nSourceView) > 0) return csv::kLinkJoinNothing;
  if (path.IsEmpty()) {
    CFileDialog dlg(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kJoinFilter, this);
    if (app::DocHost* doc = GetDocument()) {
      const app::DocPathFields& pf = doc->PathFields();
      const CString& start = pf.m_nActiveSide == 1 ? pf.m_strPath1 : pf.m_strPath2;
      if (!start.IsEmpty()) dlg.SetInitialFolder(start.Str().c_str());
    }
    if (dlg.DoModal() != IDOK) return csv::kLinkJoinNothing;
    path = dlg.GetPathName();
  }
  csv::FileSource source;
  bool unreadable = !source.Open(path.Str().c_str());
  JoinViewHost host(*this);
  int rc = csv::kLinkJoinNothing;
  if (!unreadable) {
    csv::LinkJoinArgs args;
    args.option1 = option1;
    args.option2 = option2;
    args.otherColumns = otherColumns.Str();
    args.keyColumn = keyColumn;
    args.otherKeyColumn = otherKeyColumn;
    args.insertBefore = insertBefore;
    rc = csv::CsvLinkJoin(m_table, source, args, &host, &unreadable);
  }
  if (unreadable) {
    CString text;
    text.LoadString(IDS_CANNOT_OPEN_FILE);
    ReportMessage(2, text + "\nfile = " + path);
    return csv::kLinkJoinNothing;
  }
  if (rc != csv::kLinkJoinDone) return rc;
  m_nPadTarget = 0;
  if (app::DocHost* doc = GetDocument()) doc->TextFields().m_nTextLen = m_table.m_nTextLen;
  return csv::kLinkJoinDone;
}

// A table joined from the menu is a changed document. A view without a
// table is left as it is (no dialog, no redisplay).
void CDvkView::OnCsvLinkJoin() {
  if (!ShowsCsvTable()) return;
  const int rc = CsvJoinFileByKey(0, 0, CString(""), CString(""), 0, 0, 0);
  OnPageLeft();
  if (rc == csv::kLinkJoinDone) GetRichEditCtrl().SetModify(TRUE);
  if (m_nSplitKind != 0) SyncPanes(0);
}
