// The text view's side of macro::MacroRunHost: thin calls into the view,
// its document, the frame and the status bar.
#pragma once

#include <cstdint>

#include "macro/macro_run_host.h"

class CDvkView;

namespace view {

class MacroViewHost final : public macro::MacroRunHost {
 public:
  explicit MacroViewHost(CDvkView& view) : view_(view) {}

  CString GetText() override;
  void GetSelection(long* start, long* end) override;
  void SetSelection(long start, long end) override;
  void ReplaceSelection(const CString& text) override;
  int OpenFile(const CString& path, int mode) override;
  int SaveFile(const CString& path, int mode) override;
  int ReportMessage(int code, const CString& text) override;
  void ShowMessageBox(const CString& text) override;
  void SetStatusText(int pane, const CString& text) override;
  bool CheckEscapeAbort() override;
  void ActivateTextPane(int pane) override;
  CString ProgramDir() override;
  CString ListDir(int side) override;
  int ActiveSide() override;
  CString ParamPath() override;
  int FormatCells(const macro::CellFormat& format, int firstRow, int lastRow, int firstCol, int lastCol) override;
  bool RunSelectCondDialog(bool extended, csv::CondDialogValues& values) override;

  // A run's window side (macro/macro_run_host.h).
  void ShowStatus(const CString& text) override;
  bool TakeEscapeKeyDown() override;
  bool AskYesNo(const CString& text) override;
  CString ResourceString(int id) override;
  void RedisplayView() override;
  void UpdateMenuTexts(int kind, int form, int state) override;
  void ApplyListLayout() override;
  void UpdateAllViews() override;
  void SetMainTitle(const CString& title) override;
  void ClearModified() override;
  CString UserName() override;
  void ShowVariableView(int line, const CString& dump) override;
  int ShowStopDialog(const CString& lineText, const CString& dump, const CString& options, int height,
                     int width) override;

  // Row and line statements, sort, new rows and print.
  void ClearPadTarget() override;
  void SetTitleLineFlag(bool on) override;
  std::int64_t SortTableLines(csv::Table& table, const csv::LineSortRequest& request) override;
  void SetPageMargins(const std::int32_t margins[4]) override;
  void InitPrintMargins() override;
  void SetViewSizeIndexes(int table, int text) override;

 private:
  CDvkView& view_;
  std::uint64_t lastTracePaint_ = 0;  // tick of the trace's last forced repaint
};

}  // namespace view
