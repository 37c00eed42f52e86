// The rich-edit view: a view that is a RichEdit 2.0 control (class
// "RichEdit20A" from RICHED20.DLL), its control wrapper, its document and the
// container item class of embedded objects.
#pragma once

#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include <string>

#include "fw/docview.h"

namespace fw {
// Loads RICHED20.DLL once; false when it is missing.
bool LoadRichEdit();
constexpr const char kRichEditClass[] = "RichEdit20A";
}  // namespace fw

// Operations of a RichEdit 2.0 control on its handle.
class CRichEditCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  void SetSel(long start, long end);
  void SetSel(CHARRANGE& cr);
  void GetSel(long& start, long& end) const;
  void GetSel(CHARRANGE& cr) const;
  void ReplaceSel(const char* text, BOOL canUndo = FALSE);
  CString GetSelText() const;
  long GetTextLength() const;
  void HideSelection(BOOL hide, BOOL permanent);
  BOOL SetReadOnly(BOOL readOnly = TRUE);
  void LimitText(long chars = 0);
  long GetLimitText() const;
  DWORD SetEventMask(DWORD mask);
  DWORD GetEventMask() const;
  UINT SetOptions(WORD op, DWORD flags);
  UINT GetOptions() const;
  COLORREF SetBackgroundColor(BOOL useSystem, COLORREF color);
  BOOL SetTargetDevice(HDC dc, long lineWidth);

  // Streams with the caller's EDITSTREAM; return the characters read or written.
  long StreamIn(int format, EDITSTREAM& es);
  long StreamOut(int format, EDITSTREAM& es);
  // Convenience forms over byte strings.
  long StreamInFrom(const std::string& data, int format);
  std::string StreamOutTo(int format) const;

  BOOL SetDefaultCharFormat(CHARFORMATA& cf);
  BOOL SetDefaultCharFormat(CHARFORMAT2A& cf);
  DWORD GetDefaultCharFormat(CHARFORMATA& cf) const;
  DWORD GetDefaultCharFormat(CHARFORMAT2A& cf) const;
  BOOL SetSelectionCharFormat(CHARFORMATA& cf);
  BOOL SetSelectionCharFormat(CHARFORMAT2A& cf);
  DWORD GetSelectionCharFormat(CHARFORMATA& cf) const;
  DWORD GetSelectionCharFormat(CHARFORMAT2A& cf) const;
  BOOL SetParaFormat(PARAFORMAT& pf);
  BOOL SetParaFormat(PARAFORMAT2& pf);
  DWORD GetParaFormat(PARAFORMAT& pf) const;
  DWORD GetParaFormat(PARAFORMAT2& pf) const;

  int LineIndex(int line = -1) const;
  int LineFromChar(long index) const;
  int LineLength(int index = -1) const;
  int GetLineCount() const;
  int GetLine(int line, char* buffer, int max) const;
  int GetFirstVisibleLine() const;
  void LineScroll(int lines, int chars = 0);
  CPoint PosFromChar(long index) const;
  int CharFromPos(CPoint pt) const;
  long FindText(DWORD flags, FINDTEXTEXA* ft) const;
  long FormatRange(FORMATRANGE* fr, BOOL display = TRUE);
  void GetRect(CRect* r) const;
  void SetRect(const CRect& r);

  BOOL CanUndo() const;
  BOOL Undo();
  void EmptyUndoBuffer();
  void Cut();
  void Copy() const;
  void Paste();
  void Clear();
  BOOL GetModify() const;
  void SetModify(BOOL modified = TRUE);
};

class CRichEditView;
class CRichEditCntrItem;

class CRichEditDoc : public CDocument {
 public:
  // The rich-edit view showing this document (the first one).
  CRichEditView* GetView() const;
  // Embedded objects: the document makes its item objects here.
  virtual CRichEditCntrItem* CreateClientItem(REOBJECT* reo = nullptr);

  // Reads the file into the view: RTF when m_bRTF, else text.
  BOOL OnOpenDocument(const char* path) override;
  BOOL OnSaveDocument(const char* path) override;
  void DeleteContents() override;

  BOOL m_bRTF = FALSE;
};

// An object embedded in the rich-edit text (its OLE side is not used here).
class CRichEditCntrItem : public CObject {
 public:
  explicit CRichEditCntrItem(REOBJECT* reo = nullptr, CRichEditDoc* container = nullptr);
  CRichEditDoc* GetDocument() const { return m_pDocument; }
  REOBJECT m_reo = {};

 protected:
  CRichEditDoc* m_pDocument;
};

class CRichEditView : public CCtrlView {
  FW_DECLARE_MESSAGE_MAP()

  CRichEditView();
  ~CRichEditView() override;

  CRichEditCtrl& GetRichEditCtrl() { return m_ctrl; }
  const CRichEditCtrl& GetRichEditCtrl() const { return m_ctrl; }
  CRichEditDoc* GetDocument() const { return static_cast<CRichEditDoc*>(m_pDocument); }

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  void OnInitialUpdate() override;

  enum WordWrapType { WrapNone, WrapToWindow, WrapToTargetDevice };
  int m_nWordWrap = WrapToWindow;
  virtual void WrapChanged();

  // Puts a new, empty control in the view's place and lets the old one go
  // with its text: same class, styles, identifier, rectangle, place among its
  // siblings and focus; the options, event mask, text limit, zoom, default
  // character format and wrap are carried over. Emptying a control of many
  // lines in place can take minutes (under Wine each deleted run walks the
  // whole text); this takes as long as making a window. Timers armed on the
  // old window and messages posted to it are gone. FALSE (nothing changed)
  // when no window can be made.
  BOOL RenewControl();

  // Streams the whole text in or out (SF_TEXT or SF_RTF, with SFF_SELECTION etc.).
  long StreamIn(const std::string& data, int format) { return m_ctrl.StreamInFrom(data, format); }
  std::string StreamOut(int format) const { return m_ctrl.StreamOutTo(format); }
  // File forms for the document: FALSE when the file cannot be read or written.
  BOOL StreamInFile(const char* path, int format);
  BOOL StreamOutFile(const char* path, int format);

  // Lays out (output FALSE) or prints (TRUE) characters from `start` to `stop`
  // (-1: the end) into `rectTwips` of `dc`; returns the first character that
  // did not fit.
  long PrintInsideRect(HDC dc, const RECT& rectTwips, long start, long stop, BOOL output);
  // Same on a whole page of `dc` less `marginTwips` on each side.
  long PrintPage(HDC dc, long start, long stop, int marginTwips = 1440);

  int OnCreate(LPCREATESTRUCTA cs);
  void OnDestroy();

  // The Edit menu over the control; menu, keys, toolbar and context menu all
  // come here. The clipboard gets Shift-JIS text tagged with its locale
  // (with RTF beside it in a rich-text view).
  void OnEditUndo();
  void OnEditRedo();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditClear();
  void OnEditSelectAll();
  void OnUpdateEditUndo(CCmdUI* ui);
  void OnUpdateEditRedo(CCmdUI* ui);
  void OnUpdateEditCutClear(CCmdUI* ui);  // a selection in a writable text
  void OnUpdateEditCopy(CCmdUI* ui);      // a selection
  void OnUpdateEditPaste(CCmdUI* ui);     // text on the clipboard, writable
  void OnUpdateEditSelectAll(CCmdUI* ui); // some text
  // Whether this view's text is rich text: pastes keep the clipboard's RTF
  // and copies put RTF beside the text. Plain-text views say no.
  virtual BOOL IsRichTextView() const { return TRUE; }
  BOOL IsReadOnly() const;
  BOOL HasSelection() const;

 protected:
  CRichEditCtrl m_ctrl;  // the view's own handle, not in the handle map
};
