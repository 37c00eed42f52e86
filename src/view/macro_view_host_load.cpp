// The host side of the load statements: the archive readers of the
// document, the archive's enciphered name, and the debug display of a
// spliced macro text.
#include <cstring>

#include "fw/alloc.h"
#include "host/doc_host.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace view {

namespace {
constexpr std::uint32_t kMacroStoppedKind = 98;
constexpr std::uint32_t kTextMargin = 1000;
}  // namespace

void MacroViewHost::ShowSplicedMacroText(const CString& text) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return;
  // The new text goes into the document and shows for one update in the
  // macro-stopped form; the view's own form comes back after it.
  const std::uint64_t want = static_cast<std::uint64_t>(text.GetLength()) + 1 + kTextMargin;
  if (want > 0xFFFFFFFFull) return;
  char* p = static_cast<char*>(fw::Alloc(static_cast<std::size_t>(want)));
  if (!p) return;
  std::memcpy(p, text.GetString(), static_cast<std::size_t>(text.GetLength()));
  p[text.GetLength()] = 0;
  app::DocTextFields& t = doc->TextFields();
  fw::Free(t.m_pText);
  t.m_pText = p;
  t.m_nTextCapacity = static_cast<std::uint32_t>(want);
  t.m_nTextLen = static_cast<std::uint32_t>(text.GetLength());
  t.m_nReadPos = 0;
  t.m_nReadEnd = t.m_nTextLen;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
  const std::uint32_t kind = view_.m_nFileKind;
  view_.m_nFileKind = kMacroStoppedKind;
  doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  view_.m_nFileKind = kind;
}

CString MacroViewHost::PlainArchivePath(const CString& path) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->TranslateEncryptedFileName(path, 0) : path;
}

int MacroViewHost::UnpackZip(const CString& archive, const CString& target, int mode) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->UnzipArchive(mode, archive, target, 0, 0, nullptr) : -1;
}

int MacroViewHost::UnpackLzh(const CString& archive, const CString& target) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->ArchiveLzh(archive, target, 0) : -1;
}

int MacroViewHost::CountIndentedParagraphs(int indent) {
  CRichEditCtrl& re = view_.GetRichEditCtrl();
  if (!re.m_hWnd) return 0;
  long selStart = 0, selEnd = 0;
  re.GetSel(selStart, selEnd);
  // Every line of the shown text whose paragraph starts further in than
  // `indent` counts; the selection is put back afterwards.
  int count = 0;
  const int lines = re.GetLineCount();
  for (int l = 0; l < lines; ++l) {
    const int at = re.LineIndex(l);
    if (at < 0) break;
    re.SetSel(at, at);
    PARAFORMAT pf{};
    pf.cbSize = sizeof pf;
    pf.dwMask = PFM_STARTINDENT;
    re.GetParaFormat(pf);
    if (pf.dxStartIndent > indent) ++count;
  }
  re.SetSel(selStart, selEnd);
  return count;
}

}  // namespace view
