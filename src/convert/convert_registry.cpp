#include "convert/convert_registry.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "convert/archive_listing.h"
#include "convert/load_buffer.h"
#include "convert/media_info.h"
#include "convert/source_file.h"
#include "core/docopen/openplan.h"
#include "core/docopen/opentexts.h"
#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"
#include "fw/mapped_file.h"

namespace convert {
namespace {

bool SniffPdf(const std::uint8_t* head, std::size_t n) { return n >= 5 && std::memcmp(head, "%PDF-", 5) == 0; }

// The OLE compound file of the older Office formats (and of encrypted newer ones).
bool SniffCompoundFile(const std::uint8_t* head, std::size_t n) {
  static const std::uint8_t kMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  return n >= 8 && std::memcmp(head, kMagic, 8) == 0;
}

// The name a message gives the file's format: the row's, else the kind's; a
// marked source, a packed rich text and an unknown kind are named by their
// extension.
CString FormatName(const Converter& c, const Request& r) {
  if (docopen::HasSourceMarker(r.path) || r.kind == docsvc::kKindRichText || r.kind == docsvc::kKindUnknown)
    return GetPathPart(r.path, 5);
  if (c.name) return CString(c.name);
  return docopen::KindName(r.kind);
}

// The converters not in this build yet: they say so, naming the format.
Result NotBuilt(const Converter& c, const Request& r) {
  Result out;
  out.status = Status::kNotBuilt;
  out.message.Format(docopen::GetOpenText(docopen::OpenText::kKindNotYet),
                     static_cast<const char*>(FormatName(c, r)));
  out.message += "\nfile = " + r.path;
  return out;
}

// A reader's text as the result, or the memory message when the text could
// not grow.
Result TextResult(const LoadBuffer& text) {
  Result out;
  if (text.Failed()) {
    out.message = docopen::GetOpenText(docopen::OpenText::kOutOfMemory);
    return out;
  }
  out.status = Status::kOk;
  out.text.assign(text.Data(), text.Size());
  return out;
}

Result CannotOpen() {
  Result out;
  out.message = docopen::GetOpenText(docopen::OpenText::kCannotOpen);
  return out;
}

// An archive (kind 5) shows as the listing of its members: a ZIP by its
// first header (or the spanned-archive marker before it), an LZH by its
// method text at byte 2 and its extension. Anything else under an archive
// name waits for the plain copy of the renderer.
Result ListArchive(const Converter& c, const Request& r) {
  std::unique_ptr<SourceFile> file = OpenSourceFile(r.path);
  if (!file) return CannotOpen();
  std::uint8_t head[6] = {};
  std::size_t n = file->ReadAt(0, head, sizeof head);
  const bool zip = n >= 4 && (std::memcmp(head, "PK\x03\x04", 4) == 0 || (n >= 6 && std::memcmp(head, "PK00PK", 6) == 0));
  const bool lzh = !zip && LooksLikeLzh(head, n) && GetPathPart(r.path, 5).CompareNoCase("lzh") == 0;
  if (!zip && !lzh) return NotBuilt(c, r);
  LoadBuffer text;
  const std::int64_t outdata = r.limits.outdata > 0 ? r.limits.outdata : INT64_MAX;
  if (zip) {
    ListZipArchive(*file, outdata, text);
  } else {
    ListLzhArchive(*file, outdata, text);
  }
  return TextResult(text);
}

// Sound and video files (kinds 51-58) show their media information, read
// from the file's head ("indata" bytes at most) and, for MP3, its tail.
Result ShowMediaInfo(const Converter&, const Request& r) {
  std::unique_ptr<SourceFile> file = OpenSourceFile(r.path);
  if (!file) return CannotOpen();
  constexpr std::int64_t kDefaultHead = 204800;
  std::int64_t want = r.limits.indata > 0 ? r.limits.indata : kDefaultHead;
  if (want > file->Length()) want = file->Length();
  std::vector<std::uint8_t> head;
  ReadWindow(*file, 0, static_cast<std::size_t>(want), head);
  MediaFile media;
  media.kind = r.kind;
  media.extension = r.path.GetLength() >= 3 ? std::string(r.path.Right(3)) : std::string(r.path);
  media.head = head.data();
  media.headSize = head.size();
  media.file = file.get();
  LoadBuffer text;
  WriteMediaInfo(media, text);
  return TextResult(text);
}

// PDF reads more of the file at the default "indata" (its streams are large).
const LimitRule kPdfLimits = {204800, 512000, 19000};

// The first matching sniff wins, then the first row that takes the kind;
// the last row takes every other kind.
const Converter kConverters[] = {
    // name, kinds (first, last), sniff, function, limits
    {"PDF", 0, 0, SniffPdf, NotBuilt, &kPdfLimits},
    {nullptr, 0, 0, SniffCompoundFile, NotBuilt, nullptr},                       // Office 97-2003
    {"PDF", docsvc::kKindPdf, docsvc::kKindPdf, nullptr, NotBuilt, &kPdfLimits},
    {nullptr, docsvc::kKindPresentation, docsvc::kKindExcel, nullptr, NotBuilt, nullptr},
    {nullptr, docsvc::kKindXlsx, docsvc::kKindPptx, nullptr, NotBuilt, nullptr},  // Office XML
    {nullptr, docsvc::kKindArchive, docsvc::kKindArchive, nullptr, ListArchive, nullptr},
    {nullptr, docsvc::kKindMidi, docsvc::kKindMidi + 7, nullptr, ShowMediaInfo, nullptr},  // media 51-58
    {nullptr, 0, 0x7FFFFFFF, nullptr, NotBuilt, nullptr},                        // any other kind
};
constexpr int kConverterCount = static_cast<int>(sizeof kConverters / sizeof kConverters[0]);

}  // namespace

const Converter& ConverterFor(int kind, const std::uint8_t* head, std::size_t length) {
  if (head && length) {
    for (const Converter& c : kConverters)
      if (c.sniff && c.sniff(head, length)) return c;
  }
  for (const Converter& c : kConverters)
    if (!c.sniff && kind >= c.firstKind && kind <= c.lastKind) return c;
  return kConverters[kConverterCount - 1];
}

Limits LimitsFor(const Converter& converter, const Limits& settings) {
  Limits out = settings;
  if (converter.limits && settings.indata == converter.limits->whenIndata) {
    out.indata = converter.limits->indata;
    out.tableRows = converter.limits->tableRows;
  }
  return out;
}

Result ConvertFile(Request request) {
  std::uint8_t head[kSniffBytes] = {};
  std::size_t n = 0;
  fw::MappedFile file;
  if (file.Open(request.path)) {
    n = file.Size() < kSniffBytes ? static_cast<std::size_t>(file.Size()) : kSniffBytes;
    if (n) std::memcpy(head, file.Data(), n);
  }
  const Converter& c = ConverterFor(request.kind, head, n);
  request.limits = LimitsFor(c, request.limits);
  Result r = c.convert(c, request);
  if (r.status == Status::kOk && request.limits.outdata > 0 &&
      r.text.size() > static_cast<std::uint64_t>(request.limits.outdata))
    r.text.resize(static_cast<std::size_t>(request.limits.outdata));
  return r;
}

const Converter* Converters(int* count) {
  if (count) *count = kConverterCount;
  return kConverters;
}

}  // namespace convert
