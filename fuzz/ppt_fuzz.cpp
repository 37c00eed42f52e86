// The PowerPoint reader with its page layout over any bytes, in two ways
// chosen by the first byte (mod 4: 3 the whole file, others the stream
// copies; the rest of the byte is the options):
//  - stream copies: the rest split into a "PowerPoint Document" stream and a
//    "Pictures" stream (a 16-bit length first), laid out as the compound
//    reader lays them out, with the anchor units, the inspection listing,
//    the picture copy (extraction number 100), the line width and the size
//    of the event list from the first byte;
//  - a whole file through the compound reader and then the PowerPoint
//    reader (kind 1).
// Checks: the reading ends; a damage name is the record stream's; the
// picture table holds at most 400 entries; a saved picture is bytes of the
// "Pictures" copy; the text is bounded by the pages (200 of 50 rows) and the
// listing of what the stream holds; the buffers are exact-size copies, so a
// read past the bytes held is found.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "convert/cfb_reader.h"
#include "convert/ppt_text.h"
#include "convert/render_frame.h"
#include "convert/source_file.h"
#include "fw/alloc.h"

namespace {

[[noreturn]] void FailAt(int line) { std::fprintf(stderr, "check failed at line %d\n", line); __builtin_trap(); }
#define Fail() FailAt(__LINE__)

using OwnedSource = convert::OwnedMemorySource;

void Copies(const std::uint8_t* data, std::size_t size, std::uint8_t how) {
  if (size < 2) return;
  std::size_t picturesLen = data[0] | (data[1] << 8);
  data += 2;
  size -= 2;
  if (picturesLen > size) picturesLen = size;
  const std::size_t mainLen = size - picturesLen;
  // 512 bytes before the copies, then the record stream and the pictures,
  // nothing after.
  std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[512 + size]);
  std::memset(buf.get(), 0, 512);
  std::memcpy(buf.get() + 512, data, size);
  convert::PptStreams s;
  s.data = buf.get();
  s.size = 512 + size;
  s.mainAt = 512;
  s.mainSize = static_cast<std::int32_t>(mainLen);
  s.picturesAt = picturesLen ? static_cast<std::int32_t>(512 + mainLen) : 0;
  s.picturesSize = static_cast<std::int32_t>(picturesLen);
  s.cut = (how & 1) != 0;
  convert::PptRequest req;
  req.convStyle = (how >> 1) & 1;
  req.openContext = (how & 4) ? 2 : 0;
  req.extractNo = (how & 8) ? 100 : 1;
  req.nChar = (how & 16) ? 157 : 5;
  req.tblMax = (how & 32) ? 5000 : 7;
  std::vector<std::string> saved;
  convert::PictureSaveContext save;
  save.write = [&saved](const CString&, const std::uint8_t* b, std::size_t n) {
    saved.emplace_back(reinterpret_cast<const char*>(b), n);
    return true;
  };
  convert::LoadBuffer out;
  convert::OfficePictureTable pictures;
  const convert::PptResult r = convert::PptToText(s, req, out, pictures, &save);
  if (r.damage && std::strcmp(r.damage, "PowerPoint Document") != 0) Fail();
  if (pictures.Count() > convert::OfficePictureTable::kMax) Fail();
  if (saved.size() > 1 || (!saved.empty() && req.extractNo != 100)) Fail();
  if (!saved.empty()) {
    // Only bytes of the "Pictures" copy (the saver puts FF D8 in front of a
    // JPEG that lacks it).
    const std::string pics(reinterpret_cast<const char*>(data + mainLen), picturesLen);
    std::string bytes = saved[0];
    if (pics.find(bytes) == std::string::npos && bytes.compare(0, 2, "\xFF\xD8", 2) == 0) bytes.erase(0, 2);
    if (bytes.size() > picturesLen || pics.find(bytes) == std::string::npos) Fail();
  }
  // 200 pages of 50 rows of 180 cells with their line ends, the rule and
  // heading lines, and a listing of at most 3 bytes per byte of the stream
  // plus the event lines.
  const std::size_t bound = 200 * (50 * 182 + 26 * 2 + 110) + 110 + 4 * size + 200 * mainLen + 1000;
  if (out.Size() > bound) Fail();
}

// The compound reader over the whole file (its head as the frame leaves it,
// grown by the reader as it needs), then the PowerPoint reader over its
// copies.
void WholeFile(const std::uint8_t* data, std::size_t size, std::uint8_t how) {
  convert::RenderJob job;
  job.path = "f.ppt";
  job.kind = 1;
  job.m_nKind = 1;
  job.tblMax = 3000;
  job.openContext = (how & 1) ? 2 : 0;
  job.m_nConvStyle = (how >> 1) & 1;  // no extraction: the saver would write to the disk
  job.m_file.reset(new OwnedSource(std::vector<std::uint8_t>(data, data + size)));
  job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(size + 1));
  if (!job.m_pConvData) return;
  if (size) std::memcpy(job.m_pConvData, data, size);
  job.headCapacity = size + 1;
  job.readSize = static_cast<std::int32_t>(size);
  job.m_nConvSize = static_cast<std::int32_t>(size);
  convert::CfbReader reader(job);
  convert::CompoundStreamTable table;
  if (reader.LoadCompoundStreams(table) == convert::CompoundLoad::kLoaded && reader.Kind() == 1) {
    job.pictures.picturesStart = table.slot[convert::kSlotPictures] ? table.slot[convert::kSlotPictures] : 512;
    convert::ReadPowerPoint(job, reader, table);
    if (job.pictures.Count() > convert::OfficePictureTable::kMax) Fail();
  }
  convert::EndRender(job);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 300000) return 0;
  const std::uint8_t how = data[0];
  ++data;
  --size;
  // The whole-file way is one in four (the compound reader's table of 81,920
  // entries makes each run slow).
  if (how % 4 == 3) WholeFile(data, size, static_cast<std::uint8_t>(how / 4));
  else Copies(data, size, how);
  return 0;
}
