#include "core/docopen/openplan.h"

#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"

namespace docopen {
namespace {

// Kinds by reader. Ranges are inclusive; the first matching row wins; a kind
// in no row goes to the renderer.
const KindRoute kKindRoutes[] = {
    {docsvc::kKindText, docsvc::kKindTxf, Reader::kText},         // 9, 10
    {docsvc::kKindCsv, docsvc::kKindCsv, Reader::kCsv},           // 33
    {docsvc::kKindMacro, docsvc::kKindUnknown, Reader::kText},    // 98, 99
    {docsvc::kKindRichText, docsvc::kKindRichText, Reader::kRichText},
    {docsvc::kKindBmp, docsvc::kKindEmf, Reader::kImage},         // 12-28
    {docsvc::kKindArchive, docsvc::kKindArchive, Reader::kArchive},
};

// The open modes (one table; docs/design.md "Opening files" lists it).
const OpenModeEntry kOpenModes[] = {
    // mode meaning                                         show  textOnly time  search markup kind
    {OpenMode::kPlain, "plain open (File/Open, list, command line)", true, false, true, false, 0, 0},
    {OpenMode::kMacroLoad, "macro load / \"loadnet\" page (markup converted)", true, false, true, false, 1, 0},
    {OpenMode::kShowAgain, "show again (source after an error, new listing, file just written)", true, false, true,
     false, 0, 0},
    {OpenMode::kSearchContentsAndName, "search in files: contents with the file name", false, false, false, true, 0,
     0},
    {OpenMode::kSearchNames, "search in files: names", false, false, false, true, 0, 0},
    {OpenMode::kSearchContents, "search in files: contents", false, false, false, true, 0, 0},
    {OpenMode::kTextOnly, "text form only: m_pText / m_nTextLen, nothing shown", false, true, false, false, 0, 0},
    {OpenMode::kListEntry, "list entry without a time", true, false, false, false, 0, 0},
    {OpenMode::kAsXlsx, "Office load as a workbook (XLSX)", true, false, true, false, 0, docsvc::kKindXlsx},
    {OpenMode::kAsDocx, "Office load as a document (DOCX)", true, false, true, false, 0, docsvc::kKindDocx},
    {OpenMode::kAsPptx, "Office load as a presentation (PPTX)", true, false, true, false, 0, docsvc::kKindPptx},
};

bool EndsWithNoCase(const CString& s, const char* suffix) {
  int n = 0;
  while (suffix[n]) ++n;
  if (s.GetLength() < n) return false;
  CString tail = s.Right(n);
  tail.MakeLower();
  return tail == suffix;
}

}  // namespace

bool HasSourceMarker(const CString& path) {
  CString name = GetPathPart(path, 1);
  int dot = name.ReverseFind('.');
  if (dot <= 0 || dot + 1 >= name.GetLength()) return false;
  char c = name[dot + 1];
  return c == '+' || c == '-' || c == '=';
}

Reader ReaderFor(int kind, const CString& path) {
  if (HasSourceMarker(path)) return Reader::kMarkedSource;
  if (kind == docsvc::kKindRichText && (EndsWithNoCase(path, ".rtz") || EndsWithNoCase(path, "rtzx")))
    return Reader::kRichTextPacked;
  for (const KindRoute& r : kKindRoutes)
    if (kind >= r.firstKind && kind <= r.lastKind) return r.reader;
  return Reader::kRenderer;
}

bool ReadsFileAsText(Reader reader) {
  return reader == Reader::kText || reader == Reader::kCsv || reader == Reader::kRichText;
}

const KindRoute* KindRoutes(int* count) {
  *count = static_cast<int>(sizeof kKindRoutes / sizeof kKindRoutes[0]);
  return kKindRoutes;
}

const OpenModeEntry& OpenModeFor(OpenMode mode) {
  for (const OpenModeEntry& e : kOpenModes)
    if (e.mode == mode) return e;
  return kOpenModes[0];
}

const OpenModeEntry* OpenModes(int* count) {
  *count = static_cast<int>(sizeof kOpenModes / sizeof kOpenModes[0]);
  return kOpenModes;
}

namespace {
// The renderers' output buffer: "outdata" and "indata" bound it.
constexpr std::uint64_t kLoadBufMin = 65536;
constexpr std::uint64_t kLoadBufMax = 0x7FFFFFFF;
}  // namespace

RenderPlan PlanRender(std::int32_t indata, std::int32_t outdata) {
  RenderPlan p;
  std::uint64_t want = static_cast<std::uint64_t>(outdata > 0 ? outdata : 0) +
                       static_cast<std::uint64_t>(indata > 0 ? indata : 0) + 2000;
  if (want < kLoadBufMin) want = kLoadBufMin;
  if (want > kLoadBufMax) want = kLoadBufMax;
  p.bufferSize = static_cast<std::uint32_t>(want);
  return p;
}

std::uint32_t RenderedLength(std::size_t length, std::uint32_t capacity) {
  if (capacity == 0) return 0;
  return length < capacity ? static_cast<std::uint32_t>(length) : capacity - 1;
}

TextRead PlanTextRead(Reader reader, const OpenModeEntry& how, bool shownAsTable) {
  TextRead r;
  r.bytesAsTheyAre = reader == Reader::kRichText;
  if (reader == Reader::kCsv) {
    r.tryOnePass = how.show && !how.textOnly && shownAsTable;
    r.readBack = textcodec::ReadBack::kCommaForSix;
  }
  return r;
}

AfterLoad PlanAfterLoad(const OpenModeEntry& how, bool haveStatus, bool decodeError, std::size_t replaced) {
  AfterLoad a;
  if (how.textOnly || how.searchLoad) {
    a.textOnly = true;
    return a;
  }
  a.recordTime = how.recordTime && haveStatus;
  a.show = how.show;
  // Damage is a message; replacements only a line on the status bar.
  if (decodeError) a.note = AfterLoad::Note::kDecodeError;
  else if (replaced) a.note = AfterLoad::Note::kReplaced;
  a.noteInBox = a.show && a.note == AfterLoad::Note::kDecodeError;
  a.setStatusPane = a.show;
  return a;
}

}  // namespace docopen
