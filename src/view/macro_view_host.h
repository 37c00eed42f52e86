// The text view's side of macro::MacroRunHost: thin calls into the view,
// its document, the frame and the status bar.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "macro/macro_run_host.h"
#include "macroui/macro_dialogs.h"

class CDvkView;
class CWnd;

namespace macroui {
class MacroDialogs;
}

namespace view {

class MacroViewHost final : public macro::MacroRunHost, public macroui::DialogOwner {
 public:
  explicit MacroViewHost(CDvkView& view);
  ~MacroViewHost() override;

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

  // The replace statement on text that is not a table.
  int ReplaceAllInText(const CString& command, const CString& operand, int flags) override;
  // The display, status, system-parameter and save-text statements.
  void UndoViewSplit() override;
  void ToggleHideQuotes() override;
  void SetColumnSizeDigit(int digit) override;
  void SetToolbarWord(int word) override;
  void RemoveMainMenu() override;
  void ApplyBackgroundColor() override;
  void ShowTextInPane(int pane) override;
  int RebuildCsvBuffer(int kind) override;
  int WriteDocumentText(const CString& path) override;
  void ConvertPageMarksFile(const CString& path) override;
  int RestoreSourceForm(const CString& path, CString* plain) override;
  // Input statements, user dialogs and dialog results (macro/macro_input.h).
  void ArmMacroResume(int ms) override;
  int SwitchIme(bool open) override;
  int RunInputBox(macro::InputBoxRequest& r) override;
  bool OpenHoldInput(const macro::InputBoxRequest& r) override;
  bool HoldInputOpen() override;
  CString HoldInputText() override;
  void SetHoldInputText(const CString& text) override;
  void CloseHoldInput() override;
  int RunMacroInput(macro::MacroInputRequest& r) override;
  int RunChoice(macro::ChoiceRequest& r) override;
  bool OpenChoice(const macro::ChoiceRequest& r) override;
  bool SetClipboardText(const CString& text) override;
  // The dialogs the view keeps open beside it, and the answer of one of them
  // (MacroDialogSetResult with its kind).
  macroui::MacroDialogs& Dialogs();
  void DialogAnswered(int kind);
  // Message statements, the processing dialog, the window statement.
  int MessageBoxAnswer(const CString& text, int style) override;
  csv::CheckList* ViewCheckList() override;
  bool DesktopRect(macro::MacroRect* r) override;
  bool ViewRect(macro::MacroRect* r) override;
  bool ProgressRecreate(const CString& okText, const CString& cancelText) override;
  bool ProgressHasWindow() override;
  int ProgressTakeAnswer() override;
  void ProgressClose() override;
  bool ProgressSize(int* width, int* height) override;
  void ProgressMove(int x, int y, int width, int height) override;
  void ProgressHoldLayout(const CString& text) override;
  void ProgressUpdate(const ProgressTexts& texts) override;
  void ProgressShow() override;
  void PlaceFrame(const macro::FramePlacement& placement) override;
  void ApplyTextLayoutWord(int word) override;
  // The owner of the view's modeless macro dialogs.
  CWnd* OwnerWnd() override;
  void MacroDialogSetResult(int kind) override;
  // Row and line statements, sort, new rows and print.
  void ClearPadTarget() override;
  void SetTitleLineFlag(bool on) override;
  std::int64_t SortTableLines(csv::Table& table, const csv::LineSortRequest& request) override;
  void SetPageMargins(const std::int32_t margins[4]) override;
  void InitPrintMargins() override;
  void SetViewSizeIndexes(int table, int text) override;
  // waits, keys, registry (macro_view_host_waits.cpp)
  int TakeKeyDown() override;
  int ReadRegistryValue(const CString& key, const CString& name, std::uint32_t maxBytes, std::uint32_t* type,
                        std::string* data) override;
  int WriteRegistryValue(const CString& key, const CString& name, std::uint32_t type, const std::string& data) override;
  // Load, save and join statements (macro_view_host_files.cpp).
  bool AskFileToOpen(const CString& filter, const CString& initialName, CString* path) override;
  // Clipboard, web page, opener and export saves (macro_view_host_clip.cpp).
  int ReadClipboardText(CString* text) override;
  // Save statements (macro_view_host_save.cpp).
  bool TextModified() override;
  int WriteViewDocument(const CString& path, int mode) override;
  int SaveViewAsRtf() override;
  int ExportToExcel(const CString& options, int mode, int flag) override;
  int WriteHtmlTable() override;
  int RunTableCommand(int cmd, int row) override;
  void SetViewPath(const CString& path) override;
  void SetTableSizeIndex(int index) override;
  void SetViewDisplayFlag(int value) override;

  // --- Load statements (macro_view_host_load.cpp) ---
  void ShowSplicedMacroText(const CString& text) override;
  CString PlainArchivePath(const CString& path) override;
  int UnpackZip(const CString& archive, const CString& target, int mode) override;
  int UnpackLzh(const CString& archive, const CString& target) override;
  int CountIndentedParagraphs(int indent) override;
  // Joins, shared memory, web page and opener (macro_view_host_join.cpp).
  int FetchAddress(const CString& address, CString* page) override;
  CString DefaultOpener(const CString& ext) override;
  void SetDefaultAssociations() override;
  // file statements (macro_view_host_filestmt.cpp).
  int LaunchFile(const CString& path) override;
  AppWindow FindExternalAppWindow(const CString& name, const CString& extra, int mode) override;
  AppWindow FindWindowByTitle(const CString& title) override;
  void CloseAppWindow(AppWindow window, bool post) override;
  void SendAltF4(AppWindow window) override;
  bool AskFileToSave(const CString& filter, const CString& initialName, CString* path) override;
  int ProbeNetResource(int scope, const NetResource* resource) override;
  int ConnectNetResource(const NetResource& resource, const CString* password, const CString* user,
                         int flags) override;
  int SaveEncryptedSource(int mode, const CString& path, const CString& extra) override;
  int CreateArchive(int kind, const std::vector<CString>& items, const CString& archiveName) override;
  fileops::FileOpsHost* TreeSizeHost() override;

 private:
  void PlaceBesideView(CWnd& dialog);

  CDvkView& view_;
  std::uint64_t lastTracePaint_ = 0;  // tick of the trace's last forced repaint
};

}  // namespace view
