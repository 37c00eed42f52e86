// The text view: a rich-edit view in one of the four text panes. Its fields
// are plain groups (view/view_fields.h) plus the CSV working buffer and block
// index (csv::CsvViewFields); the members are thin entries into portable code
// where the work needs no window.
//
//   dvkview.cpp         construction, pane number, activation, messages,
//                       the CSV index entries, hide-quotes command
//   dvkview_load.cpp    OnUpdate (loading by file type) and the timers
//   dvkview_stream.cpp  the rich-edit streams and the line-spacing fix
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "csv/csv_buffer.h"
#include "fw/richedit.h"
#include "view/view_fields.h"

class CDvkDoc;
class CFindDlg;

namespace viewload {
class RtfSpacingScan;
}
namespace viewfind {
struct FindRule;
}

class CDvkView : public CRichEditView, public csv::CsvViewFields, public view::ViewFields {
  FW_DECLARE_MESSAGE_MAP()

  CDvkView();
  ~CDvkView() override;
  CDvkView(const CDvkView&) = delete;
  CDvkView& operator=(const CDvkView&) = delete;

  CDvkDoc* GetDocument() const;

  void OnInitialUpdate() override;
  // Loading by file type and the update codes (docs/design.md "Text view").
  void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;

  // --- messages ----------------------------------------------------------
  // Code 1 memory, 2 text, 3 OK/Cancel, 4 Yes/No, > 100 memory at a place
  // (viewcore/report.h); honours "nodisp" and the external-run mode.
  int ReportMessage(int code, const CString& text);

  // --- CSV working buffer and index (csv/csv_index.h) ----------------------
  int BuildCsvIndex(const BYTE* text, UINT length, UINT* outLength, UINT* outMaxColumns, int mode,
                    int padColumns);
  // `text` is m_pTextBuf (length m_nTextLen) or a NUL-terminated text.
  int LineToOffset(const BYTE* text, int* offset, int mode, int startRow);
  int LineToOffset(const BYTE* text, UINT length, int* offset, int mode, int startRow);

  // --- rich-edit streams (document buffer <-> control) ---------------------
  // EM_STREAMOUT SF_RTF (mode 1: the selection) into the document's m_pText
  // from m_nReadPos, advancing it; never at or past m_nReadEnd; the buffer
  // grows (m_nTextCapacity, m_nReadEnd) rather than cutting the text. 0 = ok,
  // -1 = no memory (what fitted is kept and reported).
  int StreamOutRtf(HWND hwnd, int mode);
  // EM_STREAMIN SF_RTF of m_pText[m_nReadPos, m_nReadEnd) (m_nStreamLen
  // bytes, 0 = to m_nReadEnd), ending at a NUL; mode != 0 replaces the
  // selection, 2 reads the second text buffer. m_nStreamLen is 0 afterwards.
  // Exact and at-least line spacing is re-applied from the streamed RTF.
  int StreamInRtf(HWND hwnd, int mode);
  // Puts the prepared display (the document's text, the CSV table as TAB
  // text, RTF for kind 4) into the control in one piece.
  void StreamOutText();
  // The same with a percentage in pane 0 and Esc to cancel (long texts).
  void OutputWithProgress();

  // --- display -----------------------------------------------------------
  // Redisplays the view's content (update code 1, load state 99).
  void OnPageLeft();
  // 33035: toggles the document's m_bHideQuotes and redisplays.
  void OnCsvHideQuotes();
  void OnUpdateCsvHideQuotes(CCmdUI* ui);
  // The view's timer dispatcher (view::ViewTimer).
  void OnTimer(UINT_PTR id);

  int OnCreate(LPCREATESTRUCTA cs);

  // Tests: true while a loaded text waits for timer 20.
  bool LoadPending() const { return m_nPendingLoad != 0; }

 private:
  // The pane number from the place of this view: a dynamic splitter that is
  // pane (row, col) of the static 2x2 text splitter.
  std::uint32_t FindPaneIndex() const;
  bool TakesDocumentContent() const;
  // U4: the document's content into the view's buffers (no control work).
  void TakeDocumentContent();
  // U2: the CSV display text from the working buffer.
  void PrepareCsvDisplay();
  void ShowPreparedNow();
  void FinishLoad();  // timer 20
  void ApplyJump();
  void ClearShow();
  long StreamInBytes(const char* data, std::size_t len, const std::string& tail, int format,
                     viewload::RtfSpacingScan* scan, bool progress);
  void ApplyRtfSpacing(viewload::RtfSpacingScan& scan, long base);

  // What the next stream puts into the control: m_nShowLen bytes of the
  // document's text or of m_strShowOwned (m_pShowData), then m_strShowTail.
  const char* m_pShowData = nullptr;
  bool m_bShowFromDocument = false;  // the bytes are the document's m_pText (looked up when streamed)
  std::size_t m_nShowLen = 0;
  std::string m_strShowOwned;
  std::string m_strShowTail;
  int m_nShowFormat = SF_TEXT;

  // ===== find and replace (dvkview_find.cpp; docs/patterns.md section 2) =====
 public:
  // Opens (or brings back) the modeless find dialog 166: mode 1 the find
  // form, 0 find and replace. A column in m_nSearchFlags from bit 3 up
  // limits the search to that column of a CSV table.
  void OpenFindDialog(int mode);
  // One request of the find dialog (CFindDlg::Request: 0/1 find, 2 replace,
  // 3 replace all) with the option bits (1 case, 2 whole words, 4 down) on
  // m_strSearchText / m_strReplaceText. Returns what SearchAll returns, or
  // the replacement count.
  int DoFindReplace(int mode, int flags);
  // mode 1: the next match from the selection in the direction of flag 4
  // (line count in pane 0, Esc to stop); selects it and returns 1, or shows
  // string 368/369 and returns 0 (the selection stays); -1 stopped.
  // mode 2: every match of the stored texts replaced in the control's text;
  // mode 3: the same with the current statement (m_strStmtCommand,
  // m_strStmtOperand, '&' runs), flags from bit 20 up added to the pattern's.
  // Modes 2 and 3 return the count (pane 0 shows it), -1 stopped.
  int SearchAll(int mode, int flags);
  // Case-sensitive plain find in [from, to) (to -1: the end): the character
  // position of the first hit, or -1.
  long FindTextMatchCase(long from, long to, const CString& text);
  // F3: repeats the last search, or opens the find dialog when there is none.
  void RepeatSearch();
  // Stores the option bits and texts and searches (mode as DoFindReplace);
  // "&CK" in a CSV table jumps to the next / previous checked line.
  int SetSearchState(int mode, unsigned flags, const CString& text, const CString& replacement);
  // Command 33106 from the find dialog: takes its texts and options over and
  // searches. Returns 1.
  int OnFindDialogCommand();
  CFindDlg* FindDialog() const;

  BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;
  void OnFindCommand();         // 33052 "検索\tF3" (repeat or open)
  void OnFindNextCommand();     // 33105, F3
  void OnFindReplaceCommand();  // 32966, Shift+F3
  void OnEditFindCommand();     // the Edit menu's find item and toolbar button
  void OnFindDialogMessage();   // 33106

 private:
  struct FindDlgCloser {
    void operator()(CFindDlg* dlg) const;
  };
  bool IsCsvTable() const;  // a CSV table in its normal form (the 0x06 buffer is shown)
  bool JumpToCheckedLine(bool down);
  int ReplaceInCsvBuffer(const viewfind::FindRule& rule, int column);
  void ShowFindStatus(const CString& text);
  std::unique_ptr<CFindDlg, FindDlgCloser> m_findDlgOwner;
};
