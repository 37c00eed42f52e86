#include "view/dvkview.h"

#include "app/dvkdoc.h"
#include "app/shell/pane_layout.h"
#include "fw/splitter.h"

FW_BEGIN_MESSAGE_MAP(CDvkView, CRichEditView)
  fw::OnWmCreate<&CDvkView::OnCreate>(),
FW_END_MESSAGE_MAP()

CDvkView::CDvkView() = default;
CDvkView::~CDvkView() = default;

CDvkDoc* CDvkView::GetDocument() const { return dynamic_cast<CDvkDoc*>(m_pDocument); }

int CDvkView::OnCreate(LPCREATESTRUCTA cs) {
  int r = CRichEditView::OnCreate(cs);
  if (r == -1) return -1;
  m_nPaneIndex = FindPaneIndex();
  return r;
}

std::uint32_t CDvkView::FindPaneIndex() const {
  CSplitterWnd* dyn = dynamic_cast<CSplitterWnd*>(GetParent());
  if (!dyn || !dyn->IsDynamic()) return 0;
  CSplitterWnd* quad = dynamic_cast<CSplitterWnd*>(dyn->GetParent());
  if (!quad || quad->IsDynamic()) return 0;
  int id = dyn->GetDlgCtrlID() - static_cast<int>(AFX_IDW_PANE_FIRST);
  if (id < 0) return 0;
  return static_cast<std::uint32_t>(app::PaneIndexOf(id / 16, id % 16));
}

void CDvkView::OnInitialUpdate() {
  CRichEditView::OnInitialUpdate();
  if (m_nPaneIndex == 0) m_nPaneIndex = FindPaneIndex();
}

void CDvkView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) {
  // Loading the document into the control by file type comes with the text view.
  CRichEditView::OnUpdate(sender, hint, hintObject);
}

void CDvkView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) {
  if (activate && activateView == this) {
    if (CDvkDoc* doc = GetDocument()) {
      if (m_nPaneIndex >= 1 && m_nPaneIndex <= 4) doc->m_nActiveTextPane = static_cast<int>(m_nPaneIndex);
    }
  }
  CRichEditView::OnActivateView(activate, activateView, deactiveView);
}
