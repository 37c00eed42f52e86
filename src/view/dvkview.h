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
#include <string>

#include "csv/csv_buffer.h"
#include "fw/richedit.h"
#include "view/view_fields.h"

class CDvkDoc;

namespace viewload {
class RtfSpacingScan;
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
};
