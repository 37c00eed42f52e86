// The one document: a rich-edit document that holds every field of
// app::DvkDocData (grouped by subsystem in app/shell/doc_fields.h), the
// window-update lock and the entry points of the frame's timers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/shell/doc_fields.h"
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

  // Opens a file into the document by its kind. The loaders by kind come with
  // the document services; this records the path as the current file.
  int OpenFile(CString path, int mode);

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
