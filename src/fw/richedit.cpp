#include "fw/richedit.h"

#include <exception>

#include "fw/clipboard.h"
#include "fw/cmdui.h"
#include "fw/file.h"
#include "fw/fwres.h"

bool fw::LoadRichEdit() {
  static HMODULE lib = LoadLibraryA("RICHED20.DLL");
  return lib != nullptr;
}

namespace {

struct StringSource {
  const std::string* data;
  size_t pos;
};

DWORD CALLBACK ReadString(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  StringSource* s = reinterpret_cast<StringSource*>(cookie);
  size_t left = s->data->size() - s->pos;
  size_t n = left < static_cast<size_t>(cb) ? left : static_cast<size_t>(cb);
  memcpy(buf, s->data->data() + s->pos, n);
  s->pos += n;
  *done = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteString(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buf),
                                                  static_cast<size_t>(cb));
  *done = cb;
  return 0;
}

// File callbacks: an error ends the stream (non-zero result); exceptions never
// cross the control's code.
DWORD CALLBACK ReadFileCb(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  try {
    *done = static_cast<LONG>(reinterpret_cast<CFile*>(cookie)->Read(buf, static_cast<UINT>(cb)));
    return 0;
  } catch (const std::exception&) {
    *done = 0;
    return 1;
  }
}

DWORD CALLBACK WriteFileCb(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  try {
    reinterpret_cast<CFile*>(cookie)->Write(buf, static_cast<UINT>(cb));
    *done = cb;
    return 0;
  } catch (const std::exception&) {
    *done = 0;
    return 1;
  }
}

// Sends a format structure (CHARFORMAT, PARAFORMAT and their larger forms)
// with its size filled in.
template <class Format>
LRESULT SendFormat(const CWnd* w, UINT msg, WPARAM wp, Format& f) {
  f.cbSize = sizeof f;
  return w->SendMessage(msg, wp, reinterpret_cast<LPARAM>(&f));
}

}  // namespace

// --- CRichEditCtrl ----------------------------------------------------------------------------

BOOL CRichEditCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  if (!fw::LoadRichEdit()) return FALSE;
  return CreateEx(0, fw::kRichEditClass, "", style | WS_CHILD, rect, parent, id);
}

void CRichEditCtrl::SetSel(long start, long end) {
  CHARRANGE cr = {start, end};
  SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}
void CRichEditCtrl::SetSel(CHARRANGE& cr) { SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr)); }
void CRichEditCtrl::GetSel(long& start, long& end) const {
  CHARRANGE cr = {};
  SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  start = cr.cpMin;
  end = cr.cpMax;
}
void CRichEditCtrl::GetSel(CHARRANGE& cr) const { SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr)); }
void CRichEditCtrl::ReplaceSel(const char* text, BOOL canUndo) {
  SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text ? text : ""));
}
CString CRichEditCtrl::GetSelText() const {
  CHARRANGE cr = {};
  GetSel(cr);
  long n = cr.cpMax - cr.cpMin;
  if (n <= 0) return CString();
  // A character may take two bytes.
  std::string buf(static_cast<size_t>(n) * 2 + 2, '\0');
  long got = static_cast<long>(SendMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&buf[0])));
  buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return CString(std::move(buf));
}
long CRichEditCtrl::GetTextLength() const { return static_cast<long>(SendMessage(WM_GETTEXTLENGTH)); }
void CRichEditCtrl::HideSelection(BOOL hide, BOOL permanent) {
  SendMessage(EM_HIDESELECTION, hide, permanent);
}
BOOL CRichEditCtrl::SetReadOnly(BOOL readOnly) { return SendMessage(EM_SETREADONLY, readOnly) != 0; }
void CRichEditCtrl::LimitText(long chars) { SendMessage(EM_EXLIMITTEXT, 0, chars); }
long CRichEditCtrl::GetLimitText() const { return static_cast<long>(SendMessage(EM_GETLIMITTEXT)); }
DWORD CRichEditCtrl::SetEventMask(DWORD mask) {
  return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, static_cast<LPARAM>(mask)));
}
DWORD CRichEditCtrl::GetEventMask() const { return static_cast<DWORD>(SendMessage(EM_GETEVENTMASK)); }
UINT CRichEditCtrl::SetOptions(WORD op, DWORD flags) {
  return static_cast<UINT>(SendMessage(EM_SETOPTIONS, op, static_cast<LPARAM>(flags)));
}
UINT CRichEditCtrl::GetOptions() const { return static_cast<UINT>(SendMessage(EM_GETOPTIONS)); }
COLORREF CRichEditCtrl::SetBackgroundColor(BOOL useSystem, COLORREF color) {
  return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, useSystem, static_cast<LPARAM>(color)));
}
BOOL CRichEditCtrl::SetTargetDevice(HDC dc, long lineWidth) {
  return SendMessage(EM_SETTARGETDEVICE, reinterpret_cast<WPARAM>(dc), lineWidth) != 0;
}

long CRichEditCtrl::StreamIn(int format, EDITSTREAM& es) {
  return static_cast<long>(SendMessage(EM_STREAMIN, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&es)));
}
long CRichEditCtrl::StreamOut(int format, EDITSTREAM& es) {
  return static_cast<long>(SendMessage(EM_STREAMOUT, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&es)));
}
long CRichEditCtrl::StreamInFrom(const std::string& data, int format) {
  StringSource src = {&data, 0};
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
  es.pfnCallback = ReadString;
  return StreamIn(format, es);
}
std::string CRichEditCtrl::StreamOutTo(int format) const {
  std::string out;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&out);
  es.pfnCallback = WriteString;
  SendMessage(EM_STREAMOUT, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&es));
  return out;
}

BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMATA& cf) {
  return SendFormat(this, EM_SETCHARFORMAT, SCF_DEFAULT, cf) != 0;
}
BOOL CRichEditCtrl::SetDefaultCharFormat(CHARFORMAT2A& cf) {
  return SendFormat(this, EM_SETCHARFORMAT, SCF_DEFAULT, cf) != 0;
}
DWORD CRichEditCtrl::GetDefaultCharFormat(CHARFORMATA& cf) const {
  return static_cast<DWORD>(SendFormat(this, EM_GETCHARFORMAT, SCF_DEFAULT, cf));
}
DWORD CRichEditCtrl::GetDefaultCharFormat(CHARFORMAT2A& cf) const {
  return static_cast<DWORD>(SendFormat(this, EM_GETCHARFORMAT, SCF_DEFAULT, cf));
}
BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMATA& cf) {
  return SendFormat(this, EM_SETCHARFORMAT, SCF_SELECTION, cf) != 0;
}
BOOL CRichEditCtrl::SetSelectionCharFormat(CHARFORMAT2A& cf) {
  return SendFormat(this, EM_SETCHARFORMAT, SCF_SELECTION, cf) != 0;
}
DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMATA& cf) const {
  return static_cast<DWORD>(SendFormat(this, EM_GETCHARFORMAT, SCF_SELECTION, cf));
}
DWORD CRichEditCtrl::GetSelectionCharFormat(CHARFORMAT2A& cf) const {
  return static_cast<DWORD>(SendFormat(this, EM_GETCHARFORMAT, SCF_SELECTION, cf));
}
BOOL CRichEditCtrl::SetParaFormat(PARAFORMAT& pf) {
  return SendFormat(this, EM_SETPARAFORMAT, 0, pf) != 0;
}
BOOL CRichEditCtrl::SetParaFormat(PARAFORMAT2& pf) {
  return SendFormat(this, EM_SETPARAFORMAT, 0, pf) != 0;
}
DWORD CRichEditCtrl::GetParaFormat(PARAFORMAT& pf) const {
  return static_cast<DWORD>(SendFormat(this, EM_GETPARAFORMAT, 0, pf));
}
DWORD CRichEditCtrl::GetParaFormat(PARAFORMAT2& pf) const {
  return static_cast<DWORD>(SendFormat(this, EM_GETPARAFORMAT, 0, pf));
}

int CRichEditCtrl::LineIndex(int line) const { return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line))); }
int CRichEditCtrl::LineFromChar(long index) const {
  return static_cast<int>(SendMessage(EM_EXLINEFROMCHAR, 0, index));
}
int CRichEditCtrl::LineLength(int index) const {
  return static_cast<int>(SendMessage(EM_LINELENGTH, static_cast<WPARAM>(index)));
}
int CRichEditCtrl::GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
int CRichEditCtrl::GetLine(int line, char* buffer, int max) const {
  if (max < 2) return 0;
  *reinterpret_cast<WORD*>(buffer) = static_cast<WORD>(max > 0xFFFF ? 0xFFFF : max);
  return static_cast<int>(SendMessage(EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer)));
}
int CRichEditCtrl::GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
void CRichEditCtrl::LineScroll(int lines, int chars) { SendMessage(EM_LINESCROLL, static_cast<WPARAM>(chars), lines); }
CPoint CRichEditCtrl::PosFromChar(long index) const {
  POINTL p = {};
  SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), index);
  return CPoint(static_cast<int>(p.x), static_cast<int>(p.y));
}
int CRichEditCtrl::CharFromPos(CPoint pt) const {
  POINTL p = {pt.x, pt.y};
  return static_cast<int>(SendMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p)));
}
long CRichEditCtrl::FindText(DWORD flags, FINDTEXTEXA* ft) const {
  return static_cast<long>(SendMessage(EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(ft)));
}
long CRichEditCtrl::FormatRange(FORMATRANGE* fr, BOOL display) {
  return static_cast<long>(SendMessage(EM_FORMATRANGE, display, reinterpret_cast<LPARAM>(fr)));
}
void CRichEditCtrl::GetRect(CRect* r) const {
  RECT rc = {};
  SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rc));
  *r = fw::ToCRect(rc);
}
void CRichEditCtrl::SetRect(const CRect& r) {
  RECT rc = fw::ToRECT(r);
  SendMessage(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rc));
}

BOOL CRichEditCtrl::CanUndo() const { return SendMessage(EM_CANUNDO) != 0; }
BOOL CRichEditCtrl::Undo() { return SendMessage(EM_UNDO) != 0; }
void CRichEditCtrl::EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
void CRichEditCtrl::Cut() { SendMessage(WM_CUT); }
void CRichEditCtrl::Copy() const { SendMessage(WM_COPY); }
void CRichEditCtrl::Paste() { SendMessage(WM_PASTE); }
void CRichEditCtrl::Clear() { SendMessage(WM_CLEAR); }
BOOL CRichEditCtrl::GetModify() const { return SendMessage(EM_GETMODIFY) != 0; }
void CRichEditCtrl::SetModify(BOOL modified) { SendMessage(EM_SETMODIFY, modified); }

// --- CRichEditDoc and items -------------------------------------------------------------------

CRichEditView* CRichEditDoc::GetView() const {
  for (CView* v : m_views) {
    if (CRichEditView* r = dynamic_cast<CRichEditView*>(v)) return r;
  }
  return nullptr;
}

CRichEditCntrItem* CRichEditDoc::CreateClientItem(REOBJECT* reo) {
  return new CRichEditCntrItem(reo, this);
}

BOOL CRichEditDoc::OnOpenDocument(const char* path) {
  CRichEditView* view = GetView();
  if (!view) return FALSE;
  DeleteContents();
  if (!view->StreamInFile(path, m_bRTF ? SF_RTF : SF_TEXT)) return FALSE;
  view->GetRichEditCtrl().SetModify(FALSE);
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CRichEditDoc::OnSaveDocument(const char* path) {
  CRichEditView* view = GetView();
  if (!view || !view->StreamOutFile(path, m_bRTF ? SF_RTF : SF_TEXT)) return FALSE;
  view->GetRichEditCtrl().SetModify(FALSE);
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CRichEditDoc::DeleteContents() {
  if (CRichEditView* view = GetView()) {
    view->GetRichEditCtrl().SetWindowText("");
    view->GetRichEditCtrl().EmptyUndoBuffer();
  }
}

CRichEditCntrItem::CRichEditCntrItem(REOBJECT* reo, CRichEditDoc* container)
    : m_pDocument(container) {
  if (reo) m_reo = *reo;
  m_reo.cbStruct = sizeof m_reo;
}

// --- CRichEditView -------------------------------------------------------------------------------

// The Edit menu's handlers are wired by the command set of the derived class
// (fw/cmdset.h), not here.
FW_BEGIN_MESSAGE_MAP(CRichEditView, CCtrlView)
  fw::OnWmCreate<&CRichEditView::OnCreate>(),
  fw::OnMessageVoid<&CRichEditView::OnDestroy>(WM_DESTROY),
FW_END_MESSAGE_MAP()

// --- the Edit menu ----------------------------------------------------------------------

namespace {
constexpr int kSelectedSjis = SF_TEXT | SFF_SELECTION | SF_USECODEPAGE | (932 << 16);
}  // namespace

BOOL CRichEditView::IsReadOnly() const { return (m_ctrl.GetStyle() & ES_READONLY) != 0; }

BOOL CRichEditView::HasSelection() const {
  CHARRANGE cr = {0, 0};
  m_ctrl.GetSel(cr);
  return cr.cpMax > cr.cpMin;
}

// The control may leave its modify mark as the last save set it after an undo
// or a redo, though the text then differs from the saved one: set it here.
void CRichEditView::OnEditUndo() {
  if (m_ctrl.Undo()) m_ctrl.SetModify(TRUE);
}
void CRichEditView::OnEditRedo() {
  if (m_ctrl.SendMessage(EM_REDO)) m_ctrl.SetModify(TRUE);
}

void CRichEditView::OnEditCopy() {
  if (!HasSelection()) return;
  std::string text = m_ctrl.StreamOutTo(kSelectedSjis);
  // The control ends its text with a paragraph mark of its own; a selection
  // that takes it in (select all) would give the copy a line end the text
  // does not have.
  CHARRANGE cr = {0, 0};
  m_ctrl.GetSel(cr);
  GETTEXTLENGTHEX gl = {};
  gl.flags = GTL_NUMCHARS | GTL_PRECISE;
  gl.codepage = 1200;
  const long textChars = static_cast<long>(m_ctrl.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
  if (cr.cpMax > textChars) {
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
      text.resize(text.size() - 2);
    else if (!text.empty() && text.back() == '\r')
      text.pop_back();
  }
  if (IsRichTextView()) {
    fw::SetClipboardTextAndRtf(m_hWnd, text, m_ctrl.StreamOutTo(SF_RTF | SFF_SELECTION));
  } else {
    fw::SetClipboardText(m_hWnd, text);
  }
}

void CRichEditView::OnEditCut() {
  if (!HasSelection() || IsReadOnly()) return;
  OnEditCopy();
  m_ctrl.ReplaceSel("", TRUE);
}

void CRichEditView::OnEditPaste() {
  if (IsReadOnly()) return;
  if (IsRichTextView() && fw::ClipboardHasRtf()) {
    m_ctrl.Paste();
    return;
  }
  std::string text;
  if (fw::GetClipboardText(m_hWnd, &text)) m_ctrl.ReplaceSel(text.c_str(), TRUE);
}

void CRichEditView::OnEditClear() {
  if (!IsReadOnly()) m_ctrl.ReplaceSel("", TRUE);
}

void CRichEditView::OnEditSelectAll() { m_ctrl.SetSel(0, -1); }

void CRichEditView::OnUpdateEditUndo(CCmdUI* ui) { ui->Enable(!IsReadOnly() && m_ctrl.CanUndo()); }
void CRichEditView::OnUpdateEditRedo(CCmdUI* ui) {
  ui->Enable(!IsReadOnly() && m_ctrl.SendMessage(EM_CANREDO) != 0);
}
void CRichEditView::OnUpdateEditCutClear(CCmdUI* ui) { ui->Enable(HasSelection() && !IsReadOnly()); }
void CRichEditView::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(HasSelection()); }
void CRichEditView::OnUpdateEditPaste(CCmdUI* ui) {
  ui->Enable(!IsReadOnly() && (fw::ClipboardHasText() || (IsRichTextView() && fw::ClipboardHasRtf())));
}
void CRichEditView::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(m_ctrl.GetTextLength() > 0); }

CRichEditView::CRichEditView()
    : CCtrlView(fw::kRichEditClass, WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                                       ES_MULTILINE | ES_NOHIDESEL | ES_SAVESEL | ES_SELECTIONBAR) {}

CRichEditView::~CRichEditView() { m_ctrl.m_hWnd = nullptr; }

BOOL CRichEditView::PreCreateWindow(CREATESTRUCTA& cs) {
  fw::LoadRichEdit();
  return CCtrlView::PreCreateWindow(cs);
}

int CRichEditView::OnCreate(LPCREATESTRUCTA cs) {
  if (CView::OnCreate(cs) == -1) return -1;
  m_ctrl.m_hWnd = m_hWnd;  // the wrapper works on the view's own window
  m_ctrl.LimitText(0x7FFFFFFF);
  m_ctrl.SetOptions(ECOOP_OR, ECO_AUTOWORDSELECTION);
  WrapChanged();
  return 0;
}

void CRichEditView::OnDestroy() {
  CView::OnDestroy();
  m_ctrl.m_hWnd = nullptr;
}

void CRichEditView::OnInitialUpdate() {
  // The document's contents are in the control already; nothing to redraw.
}

BOOL CRichEditView::RenewControl() {
  HWND old = m_hWnd;
  if (!old) return FALSE;
  HWND parent = ::GetParent(old);
  char cls[64] = {};
  if (!::GetClassNameA(old, cls, sizeof cls)) return FALSE;
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(old, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(old, GWL_EXSTYLE));
  const int id = ::GetDlgCtrlID(old);
  RECT r = {};
  ::GetWindowRect(old, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(old, GWLP_HINSTANCE));
  // Made hidden: it shows once it is set up, in the old one's place.
  HWND fresh = ::CreateWindowExA(exStyle, cls, "", style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst,
                                 nullptr);
  if (!fresh) return FALSE;
  // In its place again: the style's selection bar is the bit that also means
  // "maximized" to a new window, which then fills its parent.
  ::SetWindowPos(fresh, old, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);

  // What the program set on the old control.
  const LRESULT options = ::SendMessageA(old, EM_GETOPTIONS, 0, 0);
  const LRESULT events = ::SendMessageA(old, EM_GETEVENTMASK, 0, 0);
  const LRESULT limit = ::SendMessageA(old, EM_GETLIMITTEXT, 0, 0);
  int zoomNum = 0, zoomDen = 0;
  ::SendMessageA(old, EM_GETZOOM, reinterpret_cast<WPARAM>(&zoomNum), reinterpret_cast<LPARAM>(&zoomDen));
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ::SendMessageA(old, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
  const bool hadFocus = ::GetFocus() == old;

  // The view lets go of the old window (which keeps its own procedure, so
  // its end reaches no member) and takes the new one.
  UnsubclassWindow();
  m_ctrl.m_hWnd = nullptr;
  SubclassWindow(fresh);
  m_ctrl.m_hWnd = fresh;
  m_ctrl.LimitText(static_cast<long>(limit));
  // Only the options that differ: a control may not report every option it
  // has (the selection bar of its style), and setting them all would drop it.
  const DWORD changed = static_cast<DWORD>(options) ^ m_ctrl.GetOptions();
  if (changed) m_ctrl.SetOptions(ECOOP_XOR, changed);
  m_ctrl.SetEventMask(static_cast<DWORD>(events));
  if (zoomNum > 0 && zoomDen > 0) m_ctrl.SendMessage(EM_SETZOOM, static_cast<WPARAM>(zoomNum), zoomDen);
  m_ctrl.SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
  WrapChanged();
  if (style & WS_VISIBLE) ::ShowWindow(fresh, SW_SHOWNA);
  if (hadFocus) ::SetFocus(fresh);
  // Hidden first, so its end exposes nothing to paint.
  ::ShowWindow(old, SW_HIDE);
  ::DestroyWindow(old);
  return TRUE;
}

void CRichEditView::WrapChanged() {
  if (!m_hWnd) return;
  if (m_nWordWrap == WrapNone) {
    m_ctrl.SetTargetDevice(nullptr, 1);
  } else {
    m_ctrl.SetTargetDevice(nullptr, 0);
  }
}

BOOL CRichEditView::StreamInFile(const char* path, int format) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) return FALSE;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&file);
  es.pfnCallback = ReadFileCb;
  m_ctrl.StreamIn(format, es);
  file.Abort();
  return es.dwError == 0;
}

BOOL CRichEditView::StreamOutFile(const char* path, int format) {
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) return FALSE;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&file);
  es.pfnCallback = WriteFileCb;
  m_ctrl.StreamOut(format, es);
  if (es.dwError != 0) {
    file.Abort();
    return FALSE;
  }
  try {
    file.Close();
  } catch (const std::exception&) {
    return FALSE;
  }
  return TRUE;
}

long CRichEditView::PrintInsideRect(HDC dc, const RECT& rectTwips, long start, long stop,
                                    BOOL output) {
  FORMATRANGE fr = {};
  fr.hdc = dc;
  fr.hdcTarget = dc;
  fr.rc = rectTwips;
  fr.rcPage = rectTwips;
  fr.chrg.cpMin = start;
  fr.chrg.cpMax = stop;
  long next = m_ctrl.FormatRange(&fr, output);
  m_ctrl.FormatRange(nullptr, FALSE);  // frees the control's cached layout
  return next;
}

long CRichEditView::PrintPage(HDC dc, long start, long stop, int marginTwips) {
  int pxW = GetDeviceCaps(dc, PHYSICALWIDTH), pxH = GetDeviceCaps(dc, PHYSICALHEIGHT);
  if (pxW <= 0 || pxH <= 0) {
    pxW = GetDeviceCaps(dc, HORZRES);
    pxH = GetDeviceCaps(dc, VERTRES);
  }
  int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpiX <= 0 || dpiY <= 0) return start;
  RECT r;
  r.left = marginTwips;
  r.top = marginTwips;
  r.right = MulDiv(pxW, 1440, dpiX) - marginTwips;
  r.bottom = MulDiv(pxH, 1440, dpiY) - marginTwips;
  if (r.right <= r.left || r.bottom <= r.top) return start;
  return PrintInsideRect(dc, r, start, stop, TRUE);
}
