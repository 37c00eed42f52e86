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
    {0, "plain open (File/Open, list, command line)", true, false, true, false, 0, 0},
    {1, "macro load / \"loadnet\" page (markup converted)", true, false, true, false, 1, 0},
    {2, "show again (source after an error, new listing, file just written)", true, false, true, false, 0, 0},
    {9, "search in files: contents with the file name", false, false, false, true, 0, 0},
    {10, "search in files: names", false, false, false, true, 0, 0},
    {11, "search in files: contents", false, false, false, true, 0, 0},
    {12, "text form only: m_pText / m_nTextLen, nothing shown", false, true, false, false, 0, 0},
    {13, "list entry without a time", true, false, false, false, 0, 0},
    {36, "Office load as a workbook (XLSX)", true, false, true, false, 0, docsvc::kKindXlsx},
    {37, "Office load as a document (DOCX)", true, false, true, false, 0, docsvc::kKindDocx},
    {38, "Office load as a presentation (PPTX)", true, false, true, false, 0, docsvc::kKindPptx},
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

const KindRoute* KindRoutes(int* count) {
  *count = static_cast<int>(sizeof kKindRoutes / sizeof kKindRoutes[0]);
  return kKindRoutes;
}

const OpenModeEntry& OpenModeFor(int mode) {
  for (const OpenModeEntry& e : kOpenModes)
    if (e.mode == mode) return e;
  return kOpenModes[0];
}

const OpenModeEntry* OpenModes(int* count) {
  *count = static_cast<int>(sizeof kOpenModes / sizeof kOpenModes[0]);
  return kOpenModes;
}

}  // namespace docopen
