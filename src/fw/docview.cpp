#include "fw/docview.h"

#include <algorithm>

#include "fw/app.h"
#include "fw/cmdui.h"
#include "fw/fwtext.h"
#include "fw/gdi.h"
#include "fw/sjis.h"
#include "fw/fwres.h"

// --- CDocument -----------------------------------------------------------------------

// Save and Save As are wired by the command set of the derived class
// (fw/cmdset.h).
const fw::MsgEntry CDocument::kMsgEntries[] = {
    fw::MsgEntry{},
};
const fw::MsgMap CDocument::kMsgMap = {&CCmdTarget::kMsgMap, CDocument::kMsgEntries};

CDocument::CDocument() = default;

CDocument::~CDocument() {
  // Views outliving the document must not point at it.
  for (CView* v : m_views) v->m_pDocument = nullptr;
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*) {
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const char*) {
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  // Destroying the frames destroys the views, which remove themselves.
  std::vector<CView*> views = m_views;
  for (CView* v : views) {
    if (CFrameWnd* f = v->GetTopLevelFrame()) {
      if (f->m_hWnd) f->DestroyWindow();
    }
  }
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

void CDocument::DeleteContents() {}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
  if (name.IsEmpty()) name = fw::LoadText(IDS_FW_UNTITLED);
  CString text = fw::FormatText(IDS_FW_ASK_TO_SAVE, name);
  CWnd* main = AfxGetMainWnd();
  CWnd none;
  int answer = (main ? main : &none)->MessageBox(text, nullptr, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
  if (answer == IDCANCEL) return FALSE;
  if (answer == IDYES) return DoFileSave();
  return TRUE;
}

BOOL CDocument::DoSave(const char* path, BOOL replace) {
  CString target(path);
  if (target.IsEmpty()) {
    CString proposal = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    target = proposal;
    if (!PromptSaveName(target) || target.IsEmpty()) return FALSE;
  }
  if (!OnSaveDocument(target)) return FALSE;
  if (replace) SetPathName(target);
  return TRUE;
}

BOOL CDocument::DoFileSave() { return DoSave(m_strPathName.IsEmpty() ? nullptr : m_strPathName.GetString()); }

BOOL CDocument::PromptSaveName(CString& path) {
  CWinApp* app = AfxGetApp();
  return app ? app->DoPromptFileName(path, FALSE, this) : FALSE;
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileSaveAs() { DoSave(nullptr); }

void CDocument::OnUpdateFileSave(CCmdUI* ui) { ui->Enable(IsModified() || m_strPathName.IsEmpty()); }

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
  std::vector<CView*> views = m_views;
  for (CView* v : views) {
    if (v != sender) v->OnUpdate(sender, hint, hintObject);
  }
}

void CDocument::SetPathName(const char* path, BOOL addToMRU) {
  m_strPathName = path ? path : "";
  // The title is the file name: the part after the last separator, taken by
  // whole characters so a 0x5C trail byte is no separator.
  const char* p = m_strPathName;
  int n = m_strPathName.GetLength(), start = 0;
  for (int i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < n) {
      i += 2;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
    ++i;
  }
  SetTitle(m_strPathName.Mid(start));
  if (addToMRU && !m_strPathName.IsEmpty()) {
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
  }
}

void CDocument::SetTitle(const char* title) {
  m_strTitle = title ? title : "";
  for (CView* v : m_views) {
    if (CFrameWnd* f = v->GetTopLevelFrame()) f->OnUpdateFrameTitle(TRUE);
  }
}

void CDocument::AddView(CView* view) {
  if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end()) return;
  if (view->m_pDocument && view->m_pDocument != this) view->m_pDocument->RemoveView(view);
  m_views.push_back(view);
  view->m_pDocument = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView* view) {
  auto it = std::find(m_views.begin(), m_views.end(), view);
  if (it == m_views.end()) return;
  m_views.erase(it);
  view->m_pDocument = nullptr;
  OnChangedViewList();
}

CView* CDocument::GetView(int i) const {
  return i >= 0 && i < GetViewCount() ? m_views[static_cast<size_t>(i)] : nullptr;
}

void CDocument::OnChangedViewList() {}

BOOL CDocument::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
  if (CCmdTarget::OnCmdMsg(id, code, extra, info)) return TRUE;
  return m_pDocTemplate ? m_pDocTemplate->OnCmdMsg(id, code, extra, info) : FALSE;
}

// --- CView ------------------------------------------------------------------------------

FW_BEGIN_MESSAGE_MAP(CView, CWnd)
  fw::OnWmCreate<&CView::OnCreate>(),
  fw::OnMessageVoid<&CView::OnDestroy>(WM_DESTROY),
  fw::OnMessageVoid<&CView::OnPaint>(WM_PAINT),
  fw::OnMessage<&CView::OnMouseActivate>(WM_MOUSEACTIVATE),
  fw::OnWmFocus<&CView::OnSetFocus>(WM_SETFOCUS),
FW_END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) cs.lpszClass = fw::ViewClassName();
  return TRUE;
}

int CView::OnCreate(LPCREATESTRUCTA cs) {
  if (Default() == -1) return -1;
  CCreateContext* context = static_cast<CCreateContext*>(cs->lpCreateParams);
  if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnDestroy() {
  if (CFrameWnd* f = GetParentFrame()) {
    if (f->GetActiveView() == this) f->SetActiveView(nullptr, FALSE);
  }
  Default();
}

void CView::OnPaint() {
  CPaintDC dc(this);
  OnDraw(&dc);
}

LRESULT CView::OnMouseActivate(WPARAM wp, LPARAM lp) {
  LRESULT r = Default();
  if (r == MA_NOACTIVATE || r == MA_NOACTIVATEANDEAT) return r;
  if (CFrameWnd* f = GetParentFrame()) {
    if (f->GetActiveView() != this) f->SetActiveView(this);
  }
  return r;
}

void CView::TakeFocus() {
  if (!m_hWnd || ::GetFocus() == m_hWnd) return;
  // Keyboard focus follows activation only within an active top-level window.
  HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
  if (top && top == ::GetActiveWindow()) SetFocus();
}

void CView::OnSetFocus(CWnd* old) {
  Default();
  if (CFrameWnd* f = GetParentFrame()) {
    if (f->GetActiveView() != this) f->SetActiveView(this, TRUE);
  }
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL activate, CView* activateView, CView*) {
  if (activate && activateView == this) TakeFocus();
}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
  if (CWnd::OnCmdMsg(id, code, extra, info)) return TRUE;
  return m_pDocument ? m_pDocument->OnCmdMsg(id, code, extra, info) : FALSE;
}

void CView::PostNcDestroy() {
  if (m_bAutoDelete) delete this;
}

// --- CCtrlView ---------------------------------------------------------------------------

FW_BEGIN_MESSAGE_MAP(CCtrlView, CView)
  fw::OnMessageVoid<&CCtrlView::OnPaint>(WM_PAINT),
FW_END_MESSAGE_MAP()

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.lpszClass = m_className;
  cs.style |= m_dwDefaultStyle;
  return TRUE;
}

// --- document templates -------------------------------------------------------------------

CDocTemplate::CDocTemplate(UINT resId, const fw::DocClass* doc, const fw::FrameClass* frame,
                           const fw::ViewClass* view)
    : m_nIDResource(resId), m_pDocClass(doc), m_pFrameClass(frame), m_pViewClass(view) {
  m_strDocStrings.LoadString(resId);
}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& out, DocStringIndex index) const {
  out.Empty();
  int pos = 0, field = 0;
  const CString& s = m_strDocStrings;
  while (field < index) {
    int nl = s.Find('\n', pos);
    if (nl < 0) return FALSE;
    pos = nl + 1;
    ++field;
  }
  int end = s.Find('\n', pos);
  out = end < 0 ? s.Mid(pos) : s.Mid(pos, end - pos);
  return !out.IsEmpty();
}

CDocument* CDocTemplate::CreateNewDocument() {
  if (!m_pDocClass) return nullptr;
  CDocument* doc = m_pDocClass->create();
  if (doc) AddDocument(doc);
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd* other) {
  if (!m_pFrameClass) return nullptr;
  CCreateContext context;
  context.m_pCurrentFrame = other;
  context.m_pCurrentDoc = doc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  CFrameWnd* frame = m_pFrameClass->create();
  if (!frame) return nullptr;
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
    if (!frame->m_hWnd && frame->m_bAutoDelete) {
      // A frame that failed before its window existed never ran PostNcDestroy.
    }
    return nullptr;
  }
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible) {
  frame->InitialUpdateFrame(doc, makeVisible);
}

void CDocTemplate::SetDefaultTitle(CDocument* doc) {
  CString title;
  if (!GetDocString(title, docName)) title = fw::LoadText(IDS_FW_UNTITLED);
  doc->SetTitle(title);
}

void CDocTemplate::AddDocument(CDocument* doc) { doc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* doc) {
  if (doc->m_pDocTemplate == this) doc->m_pDocTemplate = nullptr;
}

CSingleDocTemplate::~CSingleDocTemplate() {
  if (m_pOnlyDoc) {
    CDocument* d = m_pOnlyDoc;
    m_pOnlyDoc = nullptr;
    d->m_pDocTemplate = nullptr;
    if (d->m_bAutoDelete && d->GetViewCount() == 0) delete d;
  }
}

void CSingleDocTemplate::AddDocument(CDocument* doc) {
  CDocTemplate::AddDocument(doc);
  m_pOnlyDoc = doc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* doc) {
  CDocTemplate::RemoveDocument(doc);
  if (m_pOnlyDoc == doc) m_pOnlyDoc = nullptr;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible) {
  CDocument* doc = m_pOnlyDoc;
  CFrameWnd* frame = nullptr;
  bool created = false;
  if (doc) {
    if (!doc->SaveModified()) return nullptr;
    if (!doc->Views().empty()) frame = doc->Views().front()->GetTopLevelFrame();
  } else {
    doc = CreateNewDocument();
    if (!doc) return nullptr;
    created = true;
  }
  if (!frame) {
    frame = CreateNewFrame(doc, nullptr);
    if (!frame) {
      if (created) {
        RemoveDocument(doc);
        delete doc;
      }
      return nullptr;
    }
    CWinApp* app = AfxGetApp();
    if (app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  }
  if (!path) {
    SetDefaultTitle(doc);
    if (!doc->OnNewDocument()) {
      if (created) frame->DestroyWindow();
      return nullptr;
    }
  } else {
    if (!doc->OnOpenDocument(path)) {
      // The document stays as it was. A frame made for this open keeps an
      // empty document rather than vanishing under the user's message.
      if (created) {
        SetDefaultTitle(doc);
        doc->OnNewDocument();
        InitialUpdateFrame(frame, doc, makeVisible);
      }
      return nullptr;
    }
    doc->SetPathName(path);
  }
  InitialUpdateFrame(frame, doc, makeVisible);
  return doc;
}
