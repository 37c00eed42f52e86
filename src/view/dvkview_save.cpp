// Text-view services: the control's edits back into the buffers
// (RebuildCsvBuffer), and writing the view's content. There is one writing
// path: WriteDocument hands the file to CDvkDoc::SaveFile (backup, safe
// writer, write-protected question, messages), which asks the view for the
// bytes (WriteViewContent); on success WriteDocument sets the post-save
// state. A failed save leaves the file and the document as they were.
#include <cstring>
#include <string>

#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "image/view/picture_commands.h"
#include "image/view/save_plan.h"
#include "fw/alloc.h"
#include "fw/msgbox.h"
#include "fw/strtable.h"
#include "view/dvkview.h"
#include "csv/csv_fileform.h"
#include "view/viewcore/docsave.h"
#include "view/viewcore/pagemarks.h"
#include "csv/csv_index.h"
#include "view/viewload/csvrebuild.h"

namespace {

constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);
constexpr std::uint32_t kBufferMargin = 100000;  // spare bytes after a rebuilt text
constexpr unsigned kStrSaveChanged = 149;

bool IsCsvKind(int kind) { return kind == docsvc::kKindCsv || kind == docsvc::kKindCommaTable; }

bool EndsWithNoCase(const CString& s, const char* suffix) {
  int n = static_cast<int>(std::strlen(suffix));
  if (s.GetLength() < n) return false;
  return s.Right(n).CompareNoCase(suffix) == 0;
}

// Replaces the document's text with `bytes` in a new block (text, NUL,
// margin); false (document unchanged) when there is no memory.
bool ReplaceDocumentText(app::DocHost* doc, const std::string& bytes) {
  std::uint64_t want = static_cast<std::uint64_t>(bytes.size()) + 1 + kBufferMargin;
  if (want > 0xFFFFFFFFull) return false;
  char* p = static_cast<char*>(fw::Alloc(static_cast<std::size_t>(want)));
  if (!p) return false;
  std::memcpy(p, bytes.data(), bytes.size());
  p[bytes.size()] = 0;
  fw::Free(doc->TextFields().m_pText);
  doc->TextFields().m_pText = p;
  doc->TextFields().m_nTextCapacity = static_cast<std::uint32_t>(want);
  doc->TextFields().m_nTextLen = static_cast<std::uint32_t>(bytes.size());
  doc->TextFields().m_nReadPos = 0;
  doc->TextFields().m_nReadEnd = doc->TextFields().m_nTextLen;
  return true;
}

}  // namespace

int CDvkView::RebuildCsvBuffer(int kind, int how) {
  (void)how;
  app::DocHost* doc = GetDocument();
  if (!doc) return -1;
  if (IsCsvKind(kind) && ShowsRuledDisplay()) {
    // The ruled display: the changed cells of its row paragraphs, through
    // the paragraph map; a display that no longer matches is refused.
    return RebuildFromRuledDisplay();
  }
  if (IsCsvKind(kind) && IsCsvKind(static_cast<int>(m_nFileKind))) {
    // The shown table (TAB fields, CR LF rows) back into the 0x06 form; the
    // rows outside a shown page and all unchanged rows keep their bytes.
    const std::string shown = StreamOut(kTextFormat);
    std::string rebuilt;
    viewload::RebuildWorkingForm(m_table.m_pTextBuf, m_table.UsedLength(), CsvDisplayOptions(), shown.data(),
                                 shown.size(), rebuilt);
    if (!m_table.Assign(rebuilt.data(), rebuilt.size(), kBufferMargin)) {
      ReportMessage(1, CString());
      return -1;
    }
    return 0;
  }
  // Other kinds: the document's text from the control (rich text as RTF).
  std::string bytes = StreamOut(m_nFileKind == docsvc::kKindRichText ? SF_RTF : kTextFormat);
  std::size_t shownPart = 0;
  // The shown part of the document's text: [partStart, partEnd), the whole
  // text unless it is shown in parts.
  const std::size_t docLen = doc->TextFields().m_pText ? doc->TextFields().m_nTextLen : 0;
  const std::size_t partStart = m_bShownInPart && m_nShownStart <= docLen ? m_nShownStart : 0;
  const std::size_t partEnd =
      !m_bShownInPart ? docLen : (m_nShownLength <= docLen - partStart ? partStart + m_nShownLength : docLen);
  if (m_nFileKind != docsvc::kKindRichText) {
    if (m_bShownInPart) {
      // Only a part was shown: the control's text (without the
      // "display over" note) replaces that part, the text around it stays.
      std::string tail = m_strShowTail;
      while (!bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n') &&
             (bytes.size() < tail.size() || bytes.compare(bytes.size() - tail.size(), tail.size(), tail) != 0))
        bytes.pop_back();
      if (!tail.empty() && bytes.size() >= tail.size() &&
          bytes.compare(bytes.size() - tail.size(), tail.size(), tail) == 0)
        bytes.resize(bytes.size() - tail.size());
    }
    // The control gives no line end after its last line: the text keeps the
    // one it had.
    if (doc->TextFields().m_pText && partEnd > partStart) {
      const char last = doc->TextFields().m_pText[partEnd - 1];
      if ((last == '\n' || last == '\r') && (bytes.empty() || (bytes.back() != '\n' && bytes.back() != '\r')))
        bytes += "\r\n";
    }
    // A text whose line ends were LF alone keeps them; others get CR LF.
    if (viewcore::KeepsLfLineEnds(doc->TextFields().m_pText, doc->TextFields().m_nTextLen)) {
      std::string lf;
      lf.reserve(bytes.size());
      for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf += bytes[i];
      bytes.swap(lf);
    }
    if (m_bShownInPart && doc->TextFields().m_pText) {
      // The text before the shown part and after it keep their bytes.
      shownPart = bytes.size();
      bytes.insert(0, doc->TextFields().m_pText, partStart);
      bytes.append(doc->TextFields().m_pText + partEnd, docLen - partEnd);
    }
  }
  if (!ReplaceDocumentText(doc, bytes)) {
    ReportMessage(1, CString());
    return -1;
  }
  if (m_bShownInPart) m_nShownLength = static_cast<std::uint32_t>(shownPart);
  return 0;
}

bool CDvkView::WriteViewContent(const CString& path, int writeKind, const textcodec::DecodeResult* origin,
                                const viewcore::SafeWriteOptions& options, viewcore::SaveResult* result) {
  // A document still waiting for its timer is put in first: until then the
  // control holds the previous text (or whatever was typed into it), which
  // must never be taken for the new document's.
  if (m_nPendingLoad) FinishLoad();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const bool modified = ctrl.GetModify() != FALSE;
  if (IsCsvKind(static_cast<int>(m_nFileKind)) && m_table.m_pTextBuf && writeKind != docsvc::kKindRichText) {
    // The table in comma form, whatever the target's name (a table saved
    // under a text name stays the same table).
    const int rebuilt = modified ? RebuildCsvBuffer(static_cast<int>(m_nFileKind), 2) : 0;
    if (rebuilt != 0) {
      result->ok = false;
      // A refused ruled display has said why; the file is not written.
      if (rebuilt == -2)
        result->error = viewcore::SaveError::kNotConfirmed;
      else
        result->message.LoadString(152);
      return true;
    }
    *result = viewcore::SaveCsvBuffer(path, m_table.m_pTextBuf, m_table.UsedLength(), static_cast<int>(m_nFileKind),
                                      origin, options, m_table.m_bCellCodesAreData);
    return true;
  }
  if (writeKind == docsvc::kKindRichText && (modified || m_nFileKind != docsvc::kKindRichText)) {
    // Rich text from the control, then its page marks.
    const std::string rtf = StreamOut(SF_RTF);
    *result = viewcore::SafeWriteFile(path, rtf.data(), rtf.size(), options);
    if (result->ok) {
      viewcore::PageMarkFileResult pm = viewcore::ConvertRtfPageMarksFile(path);
      if (!pm.ok && result->warning.IsEmpty()) result->warning = pm.message;
    }
    return true;
  }
  // Text: the document's text, brought up to date with the edits first.
  if (modified && RebuildCsvBuffer(static_cast<int>(m_nFileKind), 0) != 0) {
    result->ok = false;
    result->message.LoadString(152);
    return true;
  }
  return false;
}

int CDvkView::WriteDocument(CString path, int mode, int flag) {
  (void)flag;
  app::DocHost* doc = GetDocument();
  if (!doc || path.IsEmpty()) return -1;
  // 画像保存: a shown picture goes into `path` (its own file for Save, the
  // chosen name for Save As), in the form the extension names; a name that
  // is no picture's keeps the old one (the save reported it).
  if (img::IsShownPictureKind(static_cast<int>(m_nFileKind)) && m_nSourceView == 0) {
    const CString shown = m_image.m_strImagePath;
    m_image.m_strImagePath = path;
    SaveImageAs(img::kSaveAnyFormat, 1);
    if (img::SaveKindAllowed(doc->GetFileKind(path))) return 0;
    m_image.m_strImagePath = shown;
    return -1;
  }
  // 4 = rich text; 3 = rich text for an ".rtf" path, else the document's
  // text as a TAB text (kind 9); other modes write by the path's kind.
  int writeKind = 0;
  const bool rtfPath = EndsWithNoCase(path, ".rtf");
  if (mode == 4 || (mode == 3 && rtfPath)) writeKind = docsvc::kKindRichText;
  else if (mode == 3) writeKind = app::DocHost::kSaveDocumentText;
  if (doc->SaveFile(path, 0, this, writeKind) != 0) return -1;

  // Post-save state.
  const bool samePath = path.CompareNoCase(doc->PathFields().m_strCurFile) == 0;
  if (IsCsvKind(static_cast<int>(m_nFileKind)) && m_table.m_pTextBuf && writeKind != docsvc::kKindRichText &&
      writeKind != app::DocHost::kSaveDocumentText) {
    // The document's text becomes the table's file text (commas again).
    const std::string text = m_table.FileText(csv::CommaFormKindFor(static_cast<int>(m_nFileKind)));
    ReplaceDocumentText(doc, text);
  }
  app::DocOpenFields& opened = doc->OpenFields();
  if (!samePath && !opened.m_bSaveInOpenEncoding) opened.m_openEncoding = textcodec::DecodeResult();
  m_strViewPath = path;
  m_strShownFile = path;
  doc->PathFields().m_strCurFile = path;
  doc->PathFields().m_strDocPath = path;
  doc->PathFields().m_strActiveViewFile = path;
  doc->UpdateFields().m_nFileKind = static_cast<std::int32_t>(m_nFileKind);
  doc->UpdateFields().m_nOpenContext = 0;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kRedrawAll;
  if (m_nPaneIndex >= 1 && m_nPaneIndex <= 32) m_nSortFlags &= ~(1u << (m_nPaneIndex - 1));
  GetRichEditCtrl().SetModify(FALSE);
  doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  return 0;
}

int CDvkView::SaveAsRtf(int mode) {
  CString path = m_strViewPath;
  if (path.IsEmpty()) return -1;
  if (!(mode == 1 && EndsWithNoCase(path, ".rtf"))) {
    int dot = path.ReverseFind('.');
    int slash = path.ReverseFind('\\');
    if (dot > slash) path = path.Left(dot);
    path += ".rtf";
  }
  return WriteDocument(path, docsvc::kKindRichText, 0);
}

int CDvkView::AskSaveModifiedPage() {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (!doc || !ctrl.GetModify()) return 0;
  std::string format;
  if (!fw::LookupString(kStrSaveChanged, format)) format = "%s";
  CString path = m_strViewPath.IsEmpty() ? doc->PathFields().m_strCurFile : m_strViewPath;
  CString q;
  q.Format(format.c_str(), static_cast<const char*>(path));
  const int answer = AfxMessageBox(q, MB_YESNOCANCEL);
  if (answer == IDCANCEL) {
    ctrl.SetModify(TRUE);
    return -1;
  }
  if (answer != IDYES) return 0;
  if (WriteDocument(path, 0, 0) == 0) {
    ctrl.SetModify(FALSE);
    doc->OpenFile(path, docopen::OpenMode::kPlain);
  }
  return 1;
}
