// CDvkView::ConvertTextToTable: the window side of the text-to-table
// conversion (macro/macro_texttotable.h). It picks the line range from the
// arguments or the selection, takes the text the control shows (or the
// document's whole text), hands it to the conversion, and shows the table
// when asked to.
#include <string>

#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"
#include "fw/file.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "macro/macro_texttotable.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);
constexpr int kKindOtherText = 99;  // a file of no known kind, shown as text
constexpr int kAnswerNo = 7;

CString Loaded(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

// The paragraph (text line, from 0) of character `pos` of the control,
// counted in the control's plain text: a double-byte character and a
// paragraph end (CR LF in the text) are one character each.
int ParagraphOfChar(const std::string& text, long pos) {
  int para = 0;
  long chars = 0;
  for (std::size_t i = 0; i < text.size() && chars < pos; ++chars) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b == '\r') {
      ++para;
      i += i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    } else if (b == '\n') {
      ++para;
      ++i;
    } else {
      i += ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < text.size() ? 2 : 1;
    }
  }
  return para;
}

// Reads the whole file; false when it cannot be read.
bool ReadWholeFile(const CString& path, std::string* out) {
  try {
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) return false;
    const ULONGLONG n = f.GetLength();
    if (n > 0x7FFFFFF0ull) return false;
    out->resize(static_cast<std::size_t>(n));
    const UINT got = out->empty() ? 0 : f.Read(&(*out)[0], static_cast<UINT>(out->size()));
    out->resize(got);
    return true;
  } catch (const CFileException&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

int CDvkView::ConvertTextToTable(int how, int firstLine, int lastLine) {
  app::DocHost* doc = GetDocument();
  if (!doc) return macro::kTextTableStopped;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const int kind = static_cast<int>(m_nFileKind);
  const std::string shown = StreamOut(kTextFormat);

  // The source text: the control's own for rich text; otherwise the
  // document's text with the control's edits taken back into it, or, for a
  // text shown in part, the whole file read again when it is unchanged.
  std::string source;
  std::size_t before = 0;  // bytes of the source ahead of the control's first line
  if (kind == docsvc::kKindRichText) {
    source = shown;
  } else {
    const app::DocTextFields& tf = doc->TextFields();
    const bool partial = m_bShownInPart != 0 && how != 2;
    const bool rereadable = !ctrl.GetModify() && (kind == docsvc::kKindText || kind == kKindOtherText);
    if (partial && rereadable) {
      if (!ReadWholeFile(m_strViewPath, &source)) {
        ReportMessage(2, Loaded(IDS_CANNOT_OPEN_FILE) + "\nfile = " + m_strViewPath);
        return macro::kTextTableStopped;
      }
    } else {
      if (partial && ReportMessage(4, Loaded(IDS_PARTIAL_TEXT_QUERY)) == kAnswerNo) return macro::kTextTableStopped;
      if (RebuildCsvBuffer(kind, 0) != 0) return macro::kTextTableNoMemory;
      if (tf.m_pText) source.assign(tf.m_pText, tf.m_nTextLen);
      if (m_bShownInPart && m_nShownStart <= source.size()) before = m_nShownStart;
    }
    if (!m_bShownInPart) before = 0;
  }
  const int linesBefore =
      before ? macro::CountTextLines(reinterpret_cast<const std::uint8_t*>(source.data()), before) : 0;

  // The range, in the control's lines first, then in the source's lines.
  macro::TextTableRequest req;
  req.how = how;
  if (firstLine == 0 && lastLine == 0) {
    long s = 0, e = 0;
    ctrl.GetSel(s, e);
    if (s >= 0 && s < e) {
      req.firstLine = ParagraphOfChar(shown, s) + linesBefore;
      const int last = ParagraphOfChar(shown, e - 1) + linesBefore;
      req.lastLine = last <= req.firstLine ? -1 : last;
    } else {
      req.firstLine = 0;
      req.lastLine = macro::DefaultTextTableEnd(reinterpret_cast<const std::uint8_t*>(source.data()), source.size());
    }
  } else {
    const int lines = ctrl.GetLineCount();
    auto para = [&](int line) {
      if (line < 0) line = 0;
      if (line >= lines) return ParagraphOfChar(shown, static_cast<long>(shown.size())) + linesBefore;
      return ParagraphOfChar(shown, ctrl.LineIndex(line)) + linesBefore;
    };
    req.firstLine = para(firstLine);
    req.lastLine = para(lastLine < firstLine ? firstLine : lastLine);
  }

  const macro::TextTableOutcome o = macro::ConvertTextLinesToTable(
      reinterpret_cast<const std::uint8_t*>(source.data()), source.size(), req, &m_table);
  if (o.result == macro::kTextTableNoMemory) {
    CString place;
    place.Format(" %03d", o.memoryPlace);
    ReportMessage(2, Loaded(IDS_OUT_OF_MEMORY) + place);
    return o.result;
  }
  m_table.m_nCurLine = static_cast<std::uint32_t>(o.titleLine);
  m_nRowCount = static_cast<std::int32_t>(o.rowCount);
  if (how >= 1) return macro::kTextTableDone;

  // Shown as a CSV table from here on.
  m_nFileKind = docsvc::kKindCsv;
  doc->UpdateFields().m_nFileKind = docsvc::kKindCsv;
  m_nFirstDataColumn = 1;
  if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(docsvc::kKindCsv, static_cast<int>(m_nSourceView), 0);
  if (!m_strViewPath.IsEmpty()) {
    m_strViewPath = GetPathPart(m_strViewPath, 6) + ".csv";
    app::DocPathFields& pf = doc->PathFields();
    (pf.m_nActiveSide == 1 ? pf.m_strPath1 : pf.m_strPath2) = m_strViewPath;
  }
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kContent;
  doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
  doc->UpdateFields().m_nLoadState = 99;
  ctrl.SetModify(FALSE);
  OnUpdate(nullptr, 0, nullptr);
  doc->UpdateFields().m_nLoadState = 1;
  return macro::kTextTableDone;
}
