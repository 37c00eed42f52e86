#include "convert/office_pictures.h"

#include <cstring>

#include "convert/picture_save.h"
#include "convert/render_frame.h"
#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace convert {
namespace {

constexpr std::int32_t kRecordHeader = 8;
constexpr std::int32_t kEntryFixed = 36;     // the fixed part of a picture entry
constexpr std::int32_t kSignatureSearch = 100;
constexpr std::int32_t kPptSearchStarts = 500;
constexpr std::int32_t kCopySlack = 1000;
constexpr std::int32_t kExtractWrap = 199;   // a number above this counts as 1

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool IsPictureStart(const std::uint8_t* head, std::int32_t at, std::int32_t end) {
  if (at + 3 <= end && head[at] == 0xFF && head[at + 1] == 0xD8 && head[at + 2] == 0xFF) return true;
  return at + 4 <= end && std::memcmp(head + at, "\x89PNG", 4) == 0;
}

// The picture of a blip record at `blip` (bounded by `end`): its data from
// the signature to the record's end.
OfficePicture PictureOfBlip(const std::uint8_t* head, std::int32_t blip, std::int32_t end, std::uint8_t type) {
  OfficePicture p;
  p.type = type;
  if (blip < 0 || blip + kRecordHeader > end) return p;
  std::int64_t recordEnd = static_cast<std::int64_t>(blip) + kRecordHeader + U32(head + blip + 4);
  if (recordEnd > end) recordEnd = end;
  const std::int32_t searchEnd = blip + kSignatureSearch < end ? blip + kSignatureSearch : end;
  for (std::int32_t at = blip; at < searchEnd; ++at) {
    if (IsPictureStart(head, at, end)) {
      p.position = at;
      p.size = static_cast<std::int32_t>(recordEnd - at);
      if (p.size < 0) p.size = 0;
      break;
    }
  }
  return p;
}

}  // namespace

bool OfficePictureTable::Add(const OfficePicture& p) {
  if (Count() >= kMax) return false;
  m_entries.push_back(p);
  return true;
}

CString PictureMarker(std::uint8_t type, int number) {
  CString s;
  switch (type) {
    case 0x52: s.Format("[Image%d]JPG", number); break;
    case 0x62: s.Format("[Image%d]PNG", number); break;
    case 0x22: s = "[Graph]"; break;
    case 0x32: s = "[WorkSheet]"; break;
    default: s = "[Object]"; break;
  }
  return s;
}

int FillPicturesFromDrawing(const std::uint8_t* head, std::int32_t from, std::int32_t to, std::int32_t delayFrom,
                            std::int32_t delayTo, OfficePictureTable& table) {
  if (!head || from < 0 || to <= from) return 0;
  int added = 0;
  std::int32_t at = from;
  while (at + kRecordHeader + kEntryFixed <= to) {
    if (head[at + 2] != 0x07 || head[at + 3] != 0xF0 || (head[at] & 0x0F) != 2) {
      ++at;
      continue;
    }
    const std::uint32_t length = U32(head + at + 4);
    if (length < static_cast<std::uint32_t>(kEntryFixed)) {
      ++at;
      continue;
    }
    const std::uint8_t type = head[at];
    const std::int32_t body = at + kRecordHeader;
    const std::uint32_t delay = U32(head + body + 28);
    const std::int32_t nameBytes = head[body + 33];
    std::int64_t recordEnd = static_cast<std::int64_t>(body) + length;
    if (recordEnd > to) recordEnd = to;
    OfficePicture p;
    p.type = type;
    if (length > static_cast<std::uint32_t>(kEntryFixed + nameBytes)) {
      // The picture follows the entry inside it.
      p = PictureOfBlip(head, body + kEntryFixed + nameBytes, static_cast<std::int32_t>(recordEnd), type);
    } else if (delayTo > delayFrom && delay != 0xFFFFFFFFu &&
               delay < static_cast<std::uint32_t>(delayTo - delayFrom)) {
      p = PictureOfBlip(head, delayFrom + static_cast<std::int32_t>(delay), delayTo, type);
    }
    if (!table.Add(p)) break;
    ++added;
    // Past the entry (and the picture it holds).
    at = recordEnd > at + kRecordHeader ? static_cast<std::int32_t>(recordEnd) : at + kRecordHeader;
  }
  return added;
}

int ExtractOfficePicture(RenderJob& job) {
  const int kind = job.m_nFileKind;
  if (kind < 1 || kind > 3 || job.m_nExtractNo <= 0) return 0;
  const int number = job.m_nExtractNo > kExtractWrap ? 1 : job.m_nExtractNo;
  const OfficePictureTable& table = job.pictures;
  if (number > table.Count()) return 0;
  const OfficePicture& pic = table.At(number - 1);
  const std::uint8_t* head = job.Head();
  std::int64_t end = table.dataEnd > 0 ? table.dataEnd : job.readSize;
  if (job.headCapacity && end > static_cast<std::int64_t>(job.headCapacity)) end = static_cast<std::int64_t>(job.headCapacity);
  std::int64_t size = pic.size;
  if (!head || size <= 0) return 0;

  std::int64_t at = pic.position;
  if (kind == 1) {
    at = static_cast<std::int64_t>(table.picturesStart) + pic.position + kRecordHeader;
    if (pic.type == 0x52 || pic.type == 0x62) {
      bool found = false;
      for (std::int32_t k = 0; k < kPptSearchStarts && !found; ++k) {
        const std::int64_t s = at + k;
        if (s < 0 || s >= end) break;
        const std::uint8_t* p = head + s;
        const std::int64_t left = end - s;
        if (pic.type == 0x52 ? (left >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
                             : (left >= 3 && p[0] == 0x89 && p[1] == 0x50 && p[2] == 0x4E)) {
          at = s;
          size -= k;
          found = true;
        }
      }
      if (!found) {
        at += kPptSearchStarts - 1;
        size -= kPptSearchStarts - 1;
      }
    }
  }
  if (size <= 0 || at < 0 || at >= end) return 0;

  auto* copy = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(size) + kCopySlack));
  if (!copy) {
    job.out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
    job.out.Append(" 013");
    return -1;
  }
  std::int64_t copied = 0;
  if (kind == 3) {
    // Continued records of the drawing group: their 4-byte headers are left
    // out, and the copy reads on until it holds the recorded size.
    std::int64_t p = at;
    while (copied < size && p < end) {
      if (p + 4 <= end && (head[p] == 0x3C || head[p] == 0xEB) && head[p + 1] == 0x00 && head[p + 2] == 0x20 &&
          head[p + 3] == 0x20) {
        p += 4;
        continue;
      }
      copy[copied++] = head[p++];
    }
  } else {
    copied = end - at < size ? end - at : size;
    std::memcpy(copy, head + at, static_cast<std::size_t>(copied));
  }
  PictureSaveContext ctx;
  ctx.programDir = job.m_strProgramDir;
  ctx.host = job.host;
  // Only the bytes the copy holds are handed on (never bytes that were not read).
  const int result = PdfSaveEmbeddedImage(ctx, copy, static_cast<std::size_t>(copied), 0, 0, 0, 0);
  fw::Free(copy);
  if (ctx.m_nFileKind) {
    job.m_nFileKind = ctx.m_nFileKind;
    job.m_strConvImage = ctx.m_strConvImage;
  }
  return result;
}

}  // namespace convert
