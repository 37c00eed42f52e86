// The one document: a rich-edit document that holds every field of
// app::DvkDocData (grouped by subsystem in app/shell/doc_fields.h), the
// window-update lock and the entry points of the frame's timers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/shell/doc_fields.h"
#include "app/textcodec/textcodec.h"
#include "app/varview_dlg.h"
#include "fw/richedit.h"

class CDvkDoc;

// The document, reached everywhere through this pointer (null before the
// first new/open and after exit).
extern CDvkDoc* g_pDvkDoc;

// The rich-edit container item of the document; no behaviour of its own.
class CDvkCntrItem : public CRichEditCntrItem {
 public:
  explicit CDvkCntrItem(REOBJECT* reo = nullptr, CDvkDoc* container = nullptr);
};

class CDvkDoc : public CRichEditDoc, public app::DvkDocData {
  FW_DECLARE_MESSAGE_MAP()

  CDvkDoc();
  ~CDvkDoc() override;

  BOOL OnNewDocument() override;
  // Pseudo names open nothing; anything else goes to OpenFile.
  BOOL OnOpenDocument(const char* path) override;
  CRichEditCntrItem* CreateClientItem(REOBJECT* reo = nullptr) override;

  // "$$", "##", "#L", "#R": command-line names that open no file.
  static bool IsPseudoName(const CString& name);

  // --- opening and saving (app/dvkdoc_open.cpp; modes and kinds in
  // docs/design.md "Opening files") ---------------------------------------
  // Opens `path` by its kind into m_pText / m_nTextLen and shows it (modes
  // and kinds: app/docopen/openplan.h). 0 = opened; -1 = not opened: the
  // message was shown (or, in the modes that show nothing, left in
  // m_strOpenMessage) and the previous document is as it was.
  int OpenFile(CString path, int mode);
  // Writes the document to `path` by its kind, after a backup copy of the
  // existing file; mode 99 makes only the backup. 0 = written; -1 = not
  // written (reported; the file and the document unchanged).
  int SaveFile(CString path, int mode = 0);
  // The one entry of the file-to-text renderers: writes the text of `path`
  // into m_pLoadBuf and returns its length, or -1 with the reason in
  // m_strOpenMessage when this kind has no reader yet.
  int RenderFileAsText(CString path, int markupFlag, int option);
  // The one entry of the image loaders: 0 = loaded into the load record
  // (m_nLoadReady 1); -1, -2, -3 = failure, reason in m_strOpenMessage.
  int LoadImageFile(CString path, int mode);
  // Reopens the current file with a forced decoder (kAuto: detect again).
  int ReopenWithEncoding(textcodec::TextEncoding encoding);
  // The "encoding choice" command: a small menu of the encodings, then
  // ReopenWithEncoding with the one picked.
  void OnEncodingChoice();

  textcodec::TextEncoding m_nEncodingChoice = textcodec::TextEncoding::kAuto;  // decoder of the next open
  textcodec::DecodeResult m_openEncoding;  // how the open file was read (its text not kept)
  CString m_strOpenMessage;                // the last open's message (also when not shown)
  std::uint32_t m_nOpenReplaced = 0;       // characters that became the replacement character

  // Update code 6 and an update of all views.
  void RedrawAllViews();

  // Window-update lock with nesting: the first lock locks `active`, the last
  // unlock releases it (m_nUpdateLockCount counts).
  void BeginUpdateLock(CWnd* active);
  void EndUpdateLock();

  // Entry points of the frame's timers (now = seconds since 1970, fw clock):
  // timer 1 every second (timers and schedules), timer 2 about every ten
  // seconds (re-read the timer and schedule files), timer 3 once after start.
  void OnScheduleTick(std::int64_t now);
  void OnScheduleReload(std::int64_t now);
  void OnStartupTick(std::int64_t now);

  CVariableViewDlg m_dlgVariableView;  // modeless, no parent
};
