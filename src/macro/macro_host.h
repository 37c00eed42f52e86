// What the macro interpreter needs of the editor. The interpreter is portable
// and never touches a window; the text view implements this interface with
// thin calls into itself, its document and the frame (view/macro_view_host).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_checklist.h"
#include "csv/csv_linesort.h"
#include "csv/csv_selectcond.h"
#include "fw/cstring.h"
#include "macro/macro_cellformat.h"
#include "macro/macro_input_host.h"
#include "macro/macro_msgplace.h"
#include "macro/macro_sharedmem.h"

namespace fileops {
class FileOpsHost;
}

namespace macro {

// The answer of the modal stop dialog that lets a run go on (IDOK).
constexpr int kStopDialogOk = 1;

// Results of the registry calls.
constexpr int kRegistryOk = 0, kRegistryNoKey = -1, kRegistryNoValue = -2, kRegistryWriteFailed = -3;

class MacroHost {
 public:
  virtual ~MacroHost() = default;

  // The text of the view (Shift-JIS, CR LF lines) and its selection.
  virtual CString GetText() = 0;
  virtual void GetSelection(long* start, long* end) = 0;
  virtual void SetSelection(long start, long end) = 0;
  virtual void ReplaceSelection(const CString& text) = 0;

  // Opening and saving through the document's one path; 0 or more on success.
  virtual int OpenFile(const CString& path, int mode) = 0;
  virtual int SaveFile(const CString& path, int mode) = 0;

  // Messages (the view's ReportMessage codes; the answer comes back) and status.
  virtual int ReportMessage(int code, const CString& text) = 0;
  // A plain message box with OK, shown even when messages are silenced.
  virtual void ShowMessageBox(const CString& text) = 0;
  virtual void SetStatusText(int pane, const CString& text) = 0;
  // Polls for Esc; true when the user chose to stop.
  virtual bool CheckEscapeAbort() = 0;

  // Panes and the document's folders.
  virtual void ActivateTextPane(int pane) = 0;
  virtual CString ProgramDir() = 0;
  virtual CString ListDir(int side) = 0;
  virtual int ActiveSide() = 0;
  virtual CString ParamPath() = 0;

  // The ATR function: applies `format` to rows firstRow..lastRow and
  // columns firstCol..lastCol of the displayed table (999: to the line's
  // end). 0 when applied; -1 where there is no display (the default).
  virtual int FormatCells(const CellFormat& format, int firstRow, int lastRow, int firstCol, int lastCol) {
    (void)format, (void)firstRow, (void)lastRow, (void)firstCol, (void)lastCol;
    return -1;
  }

  // The selection-condition dialog 187 (`extended` false) or 188, filled
  // from `values` and, on OK, read back into its fields (field order of
  // csv::SelectCondTable / SelectCondExTable). False on Cancel, and where
  // there is no window (the default).
  virtual bool RunSelectCondDialog(bool extended, csv::CondDialogValues& values) {
    (void)extended, (void)values;
    return false;
  }

  // A run stopped in debug mode: the variable display shows the stopped line
  // and the dump. Nothing where there is no window (the default).
  virtual void ShowVariableView(int line, const CString& dump) { (void)line, (void)dump; }

  // The modal stop dialog (the macro input dialog with `options`, `height`
  // and `width`): the "cmnd line" text and the dump. kStopDialogOk lets the
  // run go on, anything else ends it. Where there is no window the run goes
  // on (the default).
  virtual int ShowStopDialog(const CString& lineText, const CString& dump, const CString& options, int height,
                             int width) {
    (void)lineText, (void)dump, (void)options, (void)height, (void)width;
    return kStopDialogOk;
  }

  // Named shared memory between running copies (macro_sharedmem.h): the
  // statements that load and save through shared memory reach it here. The
  // one implementation works on the framework's named blocks.
  virtual int TransferSharedMemory(const char* name, std::uint8_t* buffer, std::size_t bufferSize, int offset,
                                   int size, int mode, int mapSize) {
    return macro::TransferSharedMemory(name, buffer, bufferSize, offset, size, mode, mapSize);
  }

  // The replace statement on a text that is not a CSV table: the view's
  // replace over all lines (its search in mode 3) with `command` and
  // `operand` as the current statement and `flags` added. Returns what that
  // search returns (the count, -1 stopped); nothing where there is no view
  // (the default).
  virtual int ReplaceAllInText(const CString& command, const CString& operand, int flags) {
    (void)command, (void)operand, (void)flags;
    return 0;
  }

  // --- Input statements, user dialogs and dialog results ---
  // The view's timer 25 (resume a paused run) armed after `ms` (the answer
  // of an open dialog, the hand-over of "text n").
  virtual void ArmMacroResume(int ms) { (void)ms; }
  // The IME of the view's window: the state it had (1 open, 0 closed), then
  // opened or closed; -1 without an IME context (nothing is changed).
  virtual int SwitchIme(bool open) {
    (void)open;
    return -1;
  }
  // Modal one-line input box; kDialogOk with r.text the text typed.
  virtual int RunInputBox(InputBoxRequest& r) {
    (void)r;
    return kDialogCancel;
  }
  // The view's own input box, open beside the view; false when it cannot be shown.
  virtual bool OpenHoldInput(const InputBoxRequest& r) {
    (void)r;
    return false;
  }
  virtual bool HoldInputOpen() { return false; }
  virtual CString HoldInputText() { return CString(); }
  virtual void SetHoldInputText(const CString& text) { (void)text; }
  virtual void CloseHoldInput() {}
  // Modal macro input box (180); kDialogOk with r.text the text typed.
  virtual int RunMacroInput(MacroInputRequest& r) {
    (void)r;
    return kDialogCancel;
  }
  // Modal choice dialog; kDialogOk with r.answer the button's digit.
  virtual int RunChoice(ChoiceRequest& r) {
    (void)r;
    return kDialogCancel;
  }
  // The view's own choice dialog, open beside the view (an open one closed first).
  virtual bool OpenChoice(const ChoiceRequest& r) {
    (void)r;
    return false;
  }
  // Plain text onto the clipboard; false when it cannot be opened.
  virtual bool SetClipboardText(const CString& text) {
    (void)text;
    return false;
  }
  // --- Message statements, the processing dialog, the window statement ------
  // A message box of `style` (0 OK, 1 OK/Cancel, 4 Yes/No) through the
  // framework's box, shown even when messages are silenced; the answer
  // (1 OK, 2 Cancel, 6 Yes, 7 No). By default a plain box answered OK / Yes.
  virtual int MessageBoxAnswer(const CString& text, int style) {
    ShowMessageBox(text);
    return style == 4 ? 6 : 1;
  }
  // The view's check list (the mark table); null where there is none.
  virtual csv::CheckList* ViewCheckList() { return nullptr; }
  // The desktop window's rectangle and the view's on the screen; false
  // where there is no window.
  virtual bool DesktopRect(MacroRect* r) { return (void)r, false; }
  virtual bool ViewRect(MacroRect* r) { return (void)r, false; }
  // The processing dialog: closed if open, created again modeless with the
  // view as owner, the button texts stored and both flags cleared; true when
  // it has a window.
  virtual bool ProgressRecreate(const CString& okText, const CString& cancelText) {
    return (void)okText, (void)cancelText, false;
  }
  virtual bool ProgressHasWindow() { return false; }
  // The user's answer (kProgressOk, kProgressCancelled, 0 none); both flags
  // are cleared when one was set.
  virtual int ProgressTakeAnswer() { return 0; }
  // The cancelled flag cleared and the window closed.
  virtual void ProgressClose() {}
  // The window's size, and its move to x, y with a size.
  virtual bool ProgressSize(int* width, int* height) { return (void)width, (void)height, false; }
  virtual void ProgressMove(int x, int y, int width, int height) { (void)x, (void)y, (void)width, (void)height; }
  // msghold's question layout with `text` as the main text.
  virtual void ProgressHoldLayout(const CString& text) { (void)text; }
  // msgopen's and msgwrite's texts (the stored "-" button hidden).
  struct ProgressTexts {
    bool setCaption = false, setSecond = false, setMain = false;
    CString caption, second, main;
    CString varText;         // empty: the variable text hidden
    bool showBar = false;    // false: the progress bar hidden
    int barPos = 0;
  };
  virtual void ProgressUpdate(const ProgressTexts& texts) { (void)texts; }
  virtual void ProgressShow() {}
  // The main window shown, placed or hidden as the window statement says.
  virtual void PlaceFrame(const FramePlacement& placement) { (void)placement; }
  // The frame's text-layout word set to `word` and applied
  // (CycleTextLayout(0, 0)): the window and display statements.
  virtual void ApplyTextLayoutWord(int word) { (void)word; }
  // Row and line statements, sort, new rows and print.
  // The fill statement starts from no pad target of the view's own.
  virtual void ClearPadTarget() {}
  // The view's title-line flag (the title-line statement).
  virtual void SetTitleLineFlag(bool on) { (void)on; }
  // The line sort of the view's table (the view's check list follows the
  // rows); without a view, the table's own sort with no check list.
  virtual std::int64_t SortTableLines(csv::Table& table, const csv::LineSortRequest& request) {
    return csv::SortLines(table, request, nullptr);
  }
  // The view's four print margins (top, bottom, left, right, hundredths),
  // and the unset ones filled from the page settings.
  virtual void SetPageMargins(const std::int32_t margins[4]) { (void)margins; }
  virtual void InitPrintMargins() {}
  // The view's table and text size indexes (1-11).
  virtual void SetViewSizeIndexes(int table, int text) { (void)table, (void)text; }

  // waits, keys, registry
  // The first key-down waiting in the thread's queue, taken out together
  // with the other key messages before it: its key code (1-255); -1 when no
  // key-down waits (the default).
  virtual int TakeKeyDown() { return -1; }
  // A value below HKEY_CURRENT_USER\`key`: kRegistryOk with its type and,
  // when its size is 1 to `maxBytes` - 1, its bytes (empty otherwise, or
  // when the bytes cannot be read); kRegistryNoKey when the key cannot be
  // opened for reading, kRegistryNoValue when the value's type and size
  // cannot be had.
  virtual int ReadRegistryValue(const CString& key, const CString& name, std::uint32_t maxBytes, std::uint32_t* type,
                                std::string* data) {
    (void)key, (void)name, (void)maxBytes, (void)type, (void)data;
    return kRegistryNoKey;
  }
  // `data` written as value `name` of type `type` into the existing key
  // HKEY_CURRENT_USER\`key`: kRegistryOk, kRegistryNoKey when the key
  // cannot be opened for writing, kRegistryWriteFailed.
  virtual int WriteRegistryValue(const CString& key, const CString& name, std::uint32_t type, const std::string& data) {
    (void)key, (void)name, (void)type, (void)data;
    return kRegistryNoKey;
  }

  // --- Load, save and join statements ---------------------------------------
  // The open-file dialog of the file statements: `filter` in the framework's
  // '|' form, `initialName` in the name box, the read-only box hidden. True
  // with *path the chosen file; false on Cancel.
  virtual bool AskFileToOpen(const CString& filter, const CString& initialName, CString* path) {
    (void)filter, (void)initialName, (void)path;
    return false;
  }

  // --- Clipboard, web page, opener and export saves ------------------------
  // The clipboard's text (up to its NUL; empty when it holds none): 0, or
  // -1 when the clipboard cannot be opened (the default).
  virtual int ReadClipboardText(CString* text) {
    (void)text;
    return -1;
  }

  // --- Load statements: "load", "loadmacro", "loadsub", "loaddata", "loadzip"
  // The debug display of the running macro text after a splice: the text
  // shown in the view's macro-stopped form for one update. Nothing where
  // there is no window (the default).
  virtual void ShowSplicedMacroText(const CString& text) { (void)text; }
  // An archive path with an enciphered file name turned into the name the
  // file has on disk (the document's key code); unchanged by default.
  virtual CString PlainArchivePath(const CString& path) { return path; }
  // The archive unpacked into `target` (ending in '') by the ZIP reader
  // (`mode` as the document's UnzipArchive takes it) or the LZH reader;
  // their results, -1 where there is none (the default).
  virtual int UnpackZip(const CString& archive, const CString& target, int mode) {
    (void)archive, (void)target, (void)mode;
    return -1;
  }
  virtual int UnpackLzh(const CString& archive, const CString& target) {
    (void)archive, (void)target;
    return -1;
  }
  // The paragraphs of the rich text shown whose indent exceeds `indent`
  // (the rows of a rich-text load); 0 where there is none (the default).
  virtual int CountIndentedParagraphs(int indent) {
    (void)indent;
    return 0;
  }
  // --- Save statements ("save", "saveadd", "savertf") ------------------------
  // The ruled-table engine's entry (the view's TableCommand) with `cmd` and
  // the row argument `row`; its result, 1 where there is no view (the default).
  virtual int RunTableCommand(int cmd, int row) {
    (void)cmd, (void)row;
    return 1;
  }
  // The rich edit's modified flag.
  virtual bool TextModified() { return false; }
  // The view's content written to `path` by the view's writer (WriteDocument
  // with `mode`: 1 by the view's kind, 3 rich text for an ".rtf" name, else
  // the document's text). 0 written, -1 not (reported by the writer).
  virtual int WriteViewDocument(const CString& path, int mode) {
    (void)path, (void)mode;
    return -1;
  }
  // The view's rich text saved under the view's path (SaveAsRtf with 1).
  // 0 written, -1 not.
  virtual int SaveViewAsRtf() { return -1; }
  // The file the view shows and last saved.
  virtual void SetViewPath(const CString& path) { (void)path; }
  // The view's table size index (1-11).
  virtual void SetTableSizeIndex(int index) { (void)index; }
  // The view's display flag beside the document's.
  virtual void SetViewDisplayFlag(int value) { (void)value; }
  // The view's spreadsheet export ("&Sx", and a "save" of a ".xlsx" path):
  // `options` the option text, `mode` and `flag` as MacroReadExportOptions
  // gives them; the target is the statement's operand. Negative on failure
  // (reported by the export); -1 where there is no view (the default).
  virtual int ExportToExcel(const CString& options, int mode, int flag) {
    (void)options, (void)mode, (void)flag;
    return -1;
  }
  // The view's table as one HTML page ("&Sh"), written to the statement's
  // operand. Negative on failure (reported by the export); -1 where there is
  // no view (the default).
  virtual int WriteHtmlTable() { return -1; }
  // --- Joins, shared memory, web page and opener ----------------------------
  // The page at `address` fetched into the scratch page file while the
  // document only fetches (it opens nothing itself): 0 fetched, -1 not;
  // *page the scratch page file's path either way ("" where there is no
  // document, the default).
  virtual int FetchAddress(const CString& address, CString* page) {
    (void)address;
    *page = CString();
    return -1;
  }
  // The command the system opens files of type `ext` (".txt") with; "" when
  // the type or its command is not registered (the default).
  virtual CString DefaultOpener(const CString& ext) {
    (void)ext;
    return CString();
  }
  // The document's programs per file type back to their built-in defaults.
  virtual void SetDefaultAssociations() {}

  // file statements
  // The network resource record "&Fu" probes and connects (the fields of the
  // system's record, passed as they are).
  struct NetResource {
    int scope = 2;  // the global network
    int type = 0;   // any
    int displayType = 7;
    int usage = 2;  // a container
    CString localName;
    CString remoteName;
    CString comment = "\\";
    CString provider;
  };
  // A top-level window of another program, as the system names it (0: none).
  using AppWindow = std::uintptr_t;
  // The file started with the program registered for it (the document's
  // LaunchFile): 0 started, -1 not (the default).
  virtual int LaunchFile(const CString& path) {
    (void)path;
    return -1;
  }
  // The top-level window whose title matches `name` (the frame's
  // FindExternalAppWindow), and the window titled exactly `title`; 0 none.
  virtual AppWindow FindExternalAppWindow(const CString& name, const CString& extra, int mode) {
    (void)name, (void)extra, (void)mode;
    return 0;
  }
  virtual AppWindow FindWindowByTitle(const CString& title) {
    (void)title;
    return 0;
  }
  // WM_CLOSE sent (and waited for) or posted to a window; Alt+F4 sent to it.
  virtual void CloseAppWindow(AppWindow window, bool post) { (void)window, (void)post; }
  virtual void SendAltF4(AppWindow window) { (void)window; }
  // The save-file dialog of "&Fis" (as AskFileToOpen).
  virtual bool AskFileToSave(const CString& filter, const CString& initialName, CString* path) {
    (void)filter, (void)initialName, (void)path;
    return false;
  }
  // An enumeration of the network opened and closed again: of the scope
  // `scope` alone (resource null), or of `resource`. The system's result
  // (0 opened); by default "no network" (1222).
  virtual int ProbeNetResource(int scope, const NetResource* resource) {
    (void)scope, (void)resource;
    return 1222;
  }
  // A connection to the resource (null user and password: without them);
  // the system's result (0 connected).
  virtual int ConnectNetResource(const NetResource& resource, const CString* password, const CString* user,
                                 int flags) {
    (void)resource, (void)password, (void)user, (void)flags;
    return 1222;
  }
  // The document's source forms (its SaveEncryptedSource): below 0 failed.
  virtual int SaveEncryptedSource(int mode, const CString& path, const CString& extra) {
    (void)mode, (void)path, (void)extra;
    return -2;
  }
  // An archive of `items` (paths as the current folder sees them) written by
  // the document's archive entry: `kind` 2 a ZIP named `archiveName`. 0
  // written, -1 not (also after an error the entry caught).
  virtual int CreateArchive(int kind, const std::vector<CString>& items, const CString& archiveName) {
    (void)kind, (void)items, (void)archiveName;
    return -1;
  }
  // The document's host of the shared file operations (its tree counters and
  // Esc poll) for the folder size of "&Fa"; null where there is none.
  virtual fileops::FileOpsHost* TreeSizeHost() { return nullptr; }
};

constexpr int kProgressOk = 1, kProgressCancelled = 2;

}  // namespace macro
