// Command 33044: the row and column order dialog over the view's table.
#include "core/docsvc/filekind.h"
#include "csv/csv_rowcolorder.h"
#include "csv/csv_rowcolsel.h"
#include "host/doc_host.h"
#include "view/csv_rowcol_select_dlg.h"
#include "view/dvkview.h"

namespace {

// The table operations' messages go through the view's ReportMessage.
class RowColOpHost final : public csv::OpHost {
 public:
  explicit RowColOpHost(CDvkView& view) : view_(view) {}
  int ReportMessage(int code, const CString& text) override { return view_.ReportMessage(code, text); }

 private:
  CDvkView& view_;
};

bool IsDefaultOrder(const CString& text) { return text.IsEmpty() || text == "1-"; }

}  // namespace

void CDvkView::OnCsvRowColumnSelect() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd || !ShowsCsvTable()) return;
  if (m_nPendingLoad) FinishLoad();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // Edits in the control go into the table first, or the redisplay below
  // would drop them.
  if (ctrl.GetModify()) {
    if (RebuildCsvBuffer(docsvc::kKindCsv, 2) != 0) return;
    doc->AsDocument()->SetModifiedFlag(TRUE);
  }

  // The title text of the title row.
  int start = 0;
  LineToOffset(m_table.m_pTextBuf, &start, 2, 0);
  CCsvRowColSelectDlg dlg(this);
  dlg.m_strColumnOrder = "1-";
  dlg.m_strRowOrder = "1-";
  dlg.m_strTitles = csv::RowColTitleText(m_table.m_pTextBuf, m_table.UsedLength(), static_cast<std::size_t>(start),
                                         !m_table.m_bCellCodesAreData)
                        .c_str();
  if (dlg.DoModal() != IDOK) return;

  RowColOpHost host(*this);
  csv::ApplyRowColOrders(m_table, dlg.m_strColumnOrder.Str(), dlg.m_strRowOrder.Str(), &host);
  OnPageLeft();
  if (m_nSplitKind != 0) SyncPanes(1);
  if (!IsDefaultOrder(dlg.m_strColumnOrder) || !IsDefaultOrder(dlg.m_strRowOrder)) ctrl.SetModify(TRUE);
}
