// The text view: a rich-edit view in one of the four text panes. This holds
// what the frame and the document need of it now; the text view's own fields
// and operations come with the text view.
#pragma once

#include <windows.h>

#include <cstdint>

#include "fw/richedit.h"

class CDvkDoc;

class CDvkView : public CRichEditView {
  FW_DECLARE_MESSAGE_MAP()

  CDvkView();
  ~CDvkView() override;

  CDvkDoc* GetDocument() const;

  void OnInitialUpdate() override;
  void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;

  std::uint32_t m_nPaneIndex = 0;   // text pane 1-4 (static pane of the 2x2); 0 outside the frame
  std::uint32_t m_nFileKind = 0;    // the view's copy of the file kind
  std::uint32_t m_nSourceView = 0;  // display form: 0 normal, binary and source forms
  std::uint32_t m_nEditMode = 0;    // 3 = ruled-table mode
  std::uint32_t m_nSplitKind = 0;   // 0 while the pane's own splitter is not split

  int OnCreate(LPCREATESTRUCTA cs);

 private:
  // The pane number from the place of this view: a dynamic splitter that is
  // pane (row, col) of the static 2x2 text splitter.
  std::uint32_t FindPaneIndex() const;
};
