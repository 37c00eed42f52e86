// The ".docx" converter: the package's media names and document part, the
// canvas sized from the part, the walk, and the used rows copied out.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "convert/docx_text.h"
#include "convert/docx_walk.h"
#include "convert/ooxml_job.h"
#include "convert/ooxml_part.h"
#include "convert/xlsx_reader.h"

namespace convert {
namespace {

constexpr std::int64_t kCanvasLeast = 100000;

std::int64_t MemoryFailure(const char* code, LoadBuffer& out) {
  out.Clear();
  const CString msg = PartMemoryText(code);
  out.Append(msg.GetString(), static_cast<std::size_t>(msg.GetLength()));
  return -static_cast<std::int64_t>(msg.GetLength());
}

// Loads a part quietly (its messages would be overwritten by the page
// text); false, the text empty, when it is missing or does not load.
bool LoadQuietly(OoxmlPackage& package, const char* path, std::uint64_t limit, PartText& text) {
  LoadBuffer message;
  if (!package.FileExists(CString(path)) || LoadPartAsSjis(package, CString(path), limit, text, message) < 0) {
    text.Clear();
    return false;
  }
  return true;
}

// A part cut inside an element: its last "<" has no ">" after it.
bool EndsInsideElement(const PartText& text) {
  const char* t = text.Data();
  for (int i = text.Size(); i-- > 0;) {
    if (t[i] == '>') return false;
    if (t[i] == '<') return true;
  }
  return false;
}

}  // namespace

std::int64_t ConvertDocxPackage(OoxmlPackage& package, const DocxWords& words, LoadBuffer& out) {
  PartText text;
  std::string names[kDocxMediaNames];
  if (package.FolderExists(CString("word\\media")) &&
      LoadQuietly(package, "word\\_rels\\document.xml.rels", words.memoryLimit, text))
    ReadDocxMediaNames(text, names);

  const bool loaded = LoadQuietly(package, "word\\document.xml", words.memoryLimit, text);
  const DocxGeometry geometry = ReadDocxGeometry(text);
  // S = max(3 x the part's length, 100,000), in 64 bits.
  std::int64_t size = 3 * static_cast<std::int64_t>(text.Size());
  if (size < kCanvasLeast) size = kCanvasLeast;
  // A document longer than S's rows (one without rendered page breaks)
  // grows the canvas up to the memory setting rather than losing its end.
  DocxCanvas canvas;
  const std::int64_t limit = static_cast<std::int64_t>(std::min<std::uint64_t>(words.memoryLimit, INT64_MAX / 4));
  if (!canvas.Allocate(size, limit)) return MemoryFailure(" 021", out);

  DocxWalker walker(text, canvas, geometry, words.tableLayout);
  for (int k = 0; k < kDocxMediaNames; ++k) walker.media[k] = names[k];
  if (loaded) walker.Run();

  out.Clear();
  if (!canvas.CopyRows(walker.LastRow(), walker.UsedWidth(), out)) return MemoryFailure(" 022", out);
  if (loaded && EndsInsideElement(text)) WriteXlsxDamage("word\\document.xml", out);
  return static_cast<std::int64_t>(out.Size());
}

std::int64_t ConvertDocxToText(RenderJob& job) {
  job.m_file.reset();
  // No program folder, no scratch folder to unpack into: no text.
  if (job.m_strProgramDir.IsEmpty()) return 0;
  PackageStart start = OpenJobPackage(job, OoxmlKind::kDocx);
  if (!start.package) return 0;
  DocxWords words;
  words.tableLayout = job.m_bTableLayout != 0;
  words.memoryLimit = job.m_nTextBufSize;
  return ConvertDocxPackage(*start.package, words, job.out);
}

}  // namespace convert
