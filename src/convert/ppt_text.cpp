#include "convert/ppt_text.h"

#include <cstring>

#include "convert/cfb_reader.h"
#include "convert/convert_texts.h"
#include "convert/ppt_events.h"
#include "convert/render_frame.h"
#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace convert {
namespace {

constexpr std::int32_t kBoundary = 512;
constexpr std::int32_t kRecordHeader = 8;
constexpr std::int32_t kSignatureSearch = 100;
constexpr int kSelfExtractNo = 100;

bool DocumentHeaderAt(const std::uint8_t* p) { return p[0] == 0x0F && p[1] == 0x00 && p[2] == 0xE8 && p[3] == 0x03; }

// The first picture of the table, copied from the "Pictures" copy: from its
// position past the record header (a JPEG or PNG from its signature, found
// within 100 bytes) to the end of its record, never past the bytes of the
// stream held. A position beyond them copies nothing. False when the copy
// buffer is not had.
bool SaveFirstPicture(const PptStreams& s, const OfficePicture& pic, PictureSaveContext& save) {
  if (s.picturesAt <= 0 || s.picturesSize <= 0 || pic.size <= 0) return true;
  std::int64_t heldEnd = static_cast<std::int64_t>(s.picturesAt) + s.picturesSize;
  if (heldEnd > static_cast<std::int64_t>(s.size)) heldEnd = static_cast<std::int64_t>(s.size);
  std::int64_t at = static_cast<std::int64_t>(s.picturesAt) + pic.position + kRecordHeader;
  std::int64_t stop = at + pic.size;
  if (stop > heldEnd) stop = heldEnd;
  if (at >= stop) return true;
  if (pic.type == 0x52 || pic.type == 0x62) {
    const std::int64_t searchEnd = at + kSignatureSearch < stop ? at + kSignatureSearch : stop;
    std::int64_t found = -1, firstFF = -1;
    for (std::int64_t k = at; k < searchEnd && found < 0; ++k) {
      const std::uint8_t* p = s.data + k;
      if (firstFF < 0 && p[0] == 0xFF) firstFF = k;
      if (pic.type == 0x52 && k + 3 <= stop && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) found = k;
      if (pic.type == 0x62 && k + 4 <= stop && std::memcmp(p, "\x89PNG", 4) == 0) found = k;
    }
    if (found >= 0) at = found;
    else if (firstFF >= 0) at = firstFF;
  }
  const std::size_t n = static_cast<std::size_t>(stop - at);
  auto* copy = static_cast<std::uint8_t*>(fw::Alloc(n));
  if (!copy) return false;
  std::memcpy(copy, s.data + at, n);
  PdfSaveEmbeddedImage(save, copy, n, 0, 0, 0, 0);
  fw::Free(copy);
  return true;
}

}  // namespace

PptResult PptToText(const PptStreams& s, const PptRequest& req, LoadBuffer& out, OfficePictureTable& pictures,
                    PictureSaveContext* save) {
  PptResult r;
  std::int64_t end = static_cast<std::int64_t>(s.mainAt) + (s.mainSize > 0 ? s.mainSize : 0);
  if (end > static_cast<std::int64_t>(s.size)) end = static_cast<std::int64_t>(s.size);
  const std::int32_t from = s.mainAt;
  if (!s.data || from < 0 || end - from < 4) {
    out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedOffice)));
    return r;
  }
  // The document container at a 512-byte boundary of the stream.
  std::int64_t found = -1;
  for (std::int64_t at = from; at + kRecordHeader <= end; at += kBoundary) {
    if (DocumentHeaderAt(s.data + at)) {
      found = at;
      break;
    }
  }
  if (found < 0) {
    const std::uint8_t* p = s.data + from;
    if (p[0] == 0x03 && p[1] == 0 && p[2] == 0 && p[3] == 0)
      CopyOlderPptForm(s.data, from, static_cast<std::int32_t>(end), out);
    else
      out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedOffice)));
    return r;
  }

  PptEvents ev;
  ev.capacity = req.tblMax > 0 ? static_cast<std::size_t>(req.tblMax) : 5000;
  ev.nChar = req.nChar > 0 ? req.nChar : 157;
  WalkPptRecords(s.data, static_cast<std::int32_t>(found + kRecordHeader), static_cast<std::int32_t>(end), req, s.cut,
                 ev, pictures, out, r);
  if (req.extractNo == kSelfExtractNo && pictures.Count() > 0 && save) {
    if (!SaveFirstPicture(s, pictures.At(0), *save)) {
      out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
      out.Append(" 008");
      r.noMemory = true;
      return r;
    }
  }
  OrderPptPages(ev);
  if (req.openContext == 2) ListPptEvents(ev, out);
  LayOutPptPages(ev, out);
  return r;
}

std::int64_t ReadPowerPoint(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table) {
  PptStreams s;
  s.data = job.Head();
  s.size = table.end > 0 ? static_cast<std::size_t>(table.end) : 0;
  if (job.headCapacity && s.size > job.headCapacity) s.size = job.headCapacity;
  const auto held = [&](int slot) {
    std::int64_t n = table.length[slot];
    if (table.streamSize[slot] > 0 && table.streamSize[slot] < n) n = table.streamSize[slot];
    return static_cast<std::int32_t>(n);
  };
  s.mainAt = table.slot[kSlotMain];
  s.mainSize = s.mainAt > 0 ? held(kSlotMain) : 0;
  s.picturesAt = table.slot[kSlotPictures];
  s.picturesSize = s.picturesAt > 0 ? held(kSlotPictures) : 0;
  s.cut = reader.Truncated() || job.inputCut;

  PptRequest req;
  req.nChar = job.nChar;
  req.tblMax = job.tblMax;
  req.convStyle = job.m_nConvStyle;
  req.openContext = job.openContext;
  req.extractNo = job.m_nExtractNo;

  PictureSaveContext save;
  save.programDir = job.m_strProgramDir;
  save.host = job.host;
  job.pictures.Clear();
  const PptResult r = PptToText(s, req, job.out, job.pictures, &save);
  if (save.m_nFileKind) {
    // The picture is the document's now; the frame's extraction, which looks
    // for a picture of this number, has none to copy again.
    job.m_nFileKind = save.m_nFileKind;
    job.m_strConvImage = save.m_strConvImage;
  }
  if (r.damage) reader.Damage().Mark(r.damage);
  return static_cast<std::int64_t>(job.out.Size());
}

}  // namespace convert
