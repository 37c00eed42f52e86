// Document/view: a document holds the data and a list of views that show it;
// a view is a child window of a frame (or of a splitter pane). The document
// template creates the one document, frame and view of the program.
#pragma once

#include <windows.h>

#include <vector>

#include "fw/creator.h"
#include "fw/frame.h"
#include "fw/wnd.h"

class CDC;
class CDocTemplate;
class CView;

class CDocument : public CCmdTarget {
  FW_DECLARE_MESSAGE_MAP()

  CDocument();
  ~CDocument() override;

  // Default: DeleteContents, not modified, no path. FALSE stops the "new".
  virtual BOOL OnNewDocument();
  // Default: DeleteContents and not modified; documents with data read the
  // file themselves. FALSE means the file was not opened.
  virtual BOOL OnOpenDocument(const char* path);
  // Default: not modified. FALSE means nothing was saved.
  virtual BOOL OnSaveDocument(const char* path);
  virtual void OnCloseDocument();
  virtual void DeleteContents();
  // Asks whether to save a modified document (through the message-box hook):
  // Yes saves (an untitled document asks for a name first), No discards.
  // FALSE when the user cancels or the save fails: the caller's action stops.
  virtual BOOL SaveModified();
  // Saves under `path`; nullptr or "" asks for a name (PromptSaveName). With
  // `replace` the document takes the new path, only after a written file.
  virtual BOOL DoSave(const char* path, BOOL replace = TRUE);
  // Save: to the document's own path, or Save As when it has none.
  virtual BOOL DoFileSave();
  // Asks for the name to save under, `path` holding the proposal; FALSE when
  // cancelled. The default is the application's save dialog.
  virtual BOOL PromptSaveName(CString& path);

  // The File menu's save commands (routed here through the active view).
  void OnFileSave();
  void OnFileSaveAs();
  // Save is enabled while there is something to save: modified or untitled
  // (a derived document may know more).
  virtual void OnUpdateFileSave(CCmdUI* ui);

  // Calls OnUpdate of every view except `sender`.
  void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

  virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }
  virtual BOOL IsModified() { return m_bModified; }

  const CString& GetPathName() const { return m_strPathName; }
  // Sets the path and, from its file name, the title.
  virtual void SetPathName(const char* path, BOOL addToMRU = TRUE);
  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(const char* title);

  void AddView(CView* view);
  void RemoveView(CView* view);
  const std::vector<CView*>& Views() const { return m_views; }
  int GetViewCount() const { return static_cast<int>(m_views.size()); }
  CView* GetView(int i) const;
  virtual void OnChangedViewList();

  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  CDocTemplate* m_pDocTemplate = nullptr;
  BOOL m_bAutoDelete = TRUE;

  // Own table, then the template's (none here).
  BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;

 protected:
  CString m_strPathName;
  CString m_strTitle;
  BOOL m_bModified = FALSE;
  std::vector<CView*> m_views;
};

class CView : public CWnd {
  FW_DECLARE_MESSAGE_MAP()

  CView();
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  virtual void OnInitialUpdate();  // default: OnUpdate(nullptr, 0, nullptr)
  virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);  // default: Invalidate
  virtual void OnDraw(CDC* dc) {}
  // Called on the view losing and the view gaining activation.
  virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);
  virtual void OnActivateFrame(UINT state, CFrameWnd* frame) {}

  // Own table, then the document's.
  BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;
  void PostNcDestroy() override;  // deletes the view when m_bAutoDelete
  bool m_bAutoDelete = true;

  // Handlers.
  int OnCreate(LPCREATESTRUCTA cs);
  void OnDestroy();
  void OnPaint();
  LRESULT OnMouseActivate(WPARAM wp, LPARAM lp);
  // Gives the keyboard focus to the view when its frame is the active window.
  void TakeFocus();
  void OnSetFocus(CWnd* old);

 protected:
  friend class CDocument;
  CDocument* m_pDocument = nullptr;
};

// A view that is a standard control (RichEdit, list view): the view window is
// the control itself.
class CCtrlView : public CView {
 public:
  CCtrlView(const char* className, DWORD style) : m_className(className), m_dwDefaultStyle(style) {}
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  // Controls paint themselves.
  void OnDraw(CDC*) override {}
  FW_DECLARE_MESSAGE_MAP()
  void OnPaint() { Default(); }

 protected:
  const char* m_className;
  DWORD m_dwDefaultStyle;
};

// Default style of views and splitter panes.
constexpr DWORD AFX_WS_DEFAULT_VIEW = WS_CHILD | WS_VISIBLE | WS_BORDER;

class CDocTemplate : public CCmdTarget {
 public:
  CDocTemplate(UINT resId, const fw::DocClass* doc, const fw::FrameClass* frame,
               const fw::ViewClass* view);
  ~CDocTemplate() override;

  // Opens `path` (nullptr: a new document) in the template's document.
  virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) = 0;
  virtual CDocument* CreateNewDocument();
  virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
  virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
  virtual void SetDefaultTitle(CDocument* doc);
  virtual void AddDocument(CDocument* doc);
  virtual void RemoveDocument(CDocument* doc);

  UINT GetResourceId() const { return m_nIDResource; }
  const fw::ViewClass* GetViewClass() const { return m_pViewClass; }

  // Substrings of the template's string resource ("title\ndocName\n...").
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt };
  BOOL GetDocString(CString& out, DocStringIndex index) const;

 protected:
  UINT m_nIDResource;
  const fw::DocClass* m_pDocClass;
  const fw::FrameClass* m_pFrameClass;
  const fw::ViewClass* m_pViewClass;
  CString m_strDocStrings;
};

class CSingleDocTemplate : public CDocTemplate {
 public:
  using CDocTemplate::CDocTemplate;
  ~CSingleDocTemplate() override;

  CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) override;
  void AddDocument(CDocument* doc) override;
  void RemoveDocument(CDocument* doc) override;
  CDocument* GetDocument() const { return m_pOnlyDoc; }

 protected:
  CDocument* m_pOnlyDoc = nullptr;
};
