// The Word reader over any bytes, in three ways chosen by the first byte
// (mod 8: 1, 3, 5 the forms, 2 the whole file, others the stream copies; the
// rest of the byte is the way's options):
//  - stream copies: the rest split into a main stream, a table stream and a
//    "Data" stream (two 16-bit lengths first), laid out as the compound
//    reader lays them out, with the reader mode, line width and grid size of
//    the first byte;
//  - the forms that are not compound documents (early Word, the 8-bit
//    stream), from the bytes as they are;
//  - a whole file through the compound reader and then the Word reader
//    (kind 2, or 42 for a compound file of an RTF name); the picture entries
//    it finds lie inside the copies.
// Checks: the reading ends; RTF is handed over exactly when the main stream
// begins "{\rt" and never writes text itself; a damage name is one of the
// streams; the text of the grid forms is bounded by the grid (each position
// gives at most a marker or a row line); the buffers are exact-size copies,
// so a read past the bytes held is found.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "convert/cfb_reader.h"
#include "convert/render_frame.h"
#include "convert/source_file.h"
#include "convert/word_row.h"
#include "convert/word_text.h"
#include "fw/alloc.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

using OwnedSource = convert::OwnedMemorySource;

void Copies(const std::uint8_t* data, std::size_t size, std::uint8_t how) {
  if (size < 4) return;
  std::size_t mainLen = data[0] | (data[1] << 8);
  std::size_t tableLen = data[2] | (data[3] << 8);
  data += 4;
  size -= 4;
  if (mainLen > size) mainLen = size;
  if (tableLen > size - mainLen) tableLen = size - mainLen;
  const std::size_t dataLen = size - mainLen - tableLen;
  // 512 bytes before the copies, then main, data and table, nothing after.
  std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[512 + size]);
  std::memset(buf.get(), 0, 512);
  std::memcpy(buf.get() + 512, data, size);
  convert::WordStreams s;
  s.data = buf.get();
  s.size = 512 + size;
  s.slot[0] = mainLen ? 512 : 0;
  s.slotSize[0] = static_cast<std::int32_t>(mainLen);
  s.slot[3] = tableLen ? static_cast<std::int32_t>(512 + mainLen) : 0;
  s.slotSize[3] = static_cast<std::int32_t>(tableLen);
  s.slot[1] = dataLen ? static_cast<std::int32_t>(512 + mainLen + tableLen) : 0;
  s.slotSize[1] = static_cast<std::int32_t>(dataLen);
  convert::WordRequest req;
  req.readerMode = how & 3;
  req.nChar = (how & 4) ? 157 : 7;
  req.gridLines = (how & 8) ? 5000 : 3;
  req.openContext = (how & 16) ? 2 : 0;
  std::vector<convert::WordPicture> pics((how >> 5) & 3);
  if (!pics.empty()) pics[0].letter = 'R';
  convert::LoadBuffer out;
  const convert::WordResult r = convert::WordCompoundToText(s, req, out, pics);
  const bool rtf = mainLen >= 4 && std::memcmp(data, "{\\rt", 4) == 0;
  if (rtf != (r.outcome == convert::WordOutcome::kRtf)) Fail();
  if (rtf && (out.Size() != 0 || r.rtfAt != 512 || r.rtfSize != mainLen)) Fail();
  if (r.damage && std::strcmp(r.damage, "1Table") != 0 && std::strcmp(r.damage, "0Table") != 0 &&
      std::strcmp(r.damage, "WordDocument") != 0)
    Fail();
  // Each grid position gives at most a row line (indent, first column,
  // 400 + 20 positions, CR LF) per byte placed, and a marker is 11 bytes;
  // the dump and string 239 add a little.
  const std::size_t grid = static_cast<std::size_t>(req.nChar) * static_cast<std::size_t>(req.gridLines);
  const std::size_t bound = std::min<std::size_t>(grid, mainLen) * 12000 + 200;
  if (out.Size() > bound) Fail();
}

void Forms(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[size ? size : 1]);
  if (size) std::memcpy(buf.get(), data, size);
  convert::LoadBuffer out;
  const convert::WordResult r = convert::WordFileToText(buf.get(), size, convert::WordRequest(), out);
  // Early Word gives at most two bytes per byte, the 8-bit stream one.
  if (out.Size() > 2 * size) Fail();
  if (r.outcome == convert::WordOutcome::kNoForm && out.Size() != 0) Fail();
}

// The compound reader over the whole file (its head as the frame leaves it,
// grown by the reader as it needs), then the Word reader over its copies.
void WholeFile(const std::uint8_t* data, std::size_t size, std::uint8_t how) {
  convert::RenderJob job;
  job.path = (how & 1) ? "f.rtf" : "f.doc";
  job.kind = (how & 1) ? 4 : 2;
  job.m_nKind = (how & 1) ? 42 : 2;
  job.readerMode = (how >> 1) & 1;
  job.tblMax = 3000;
  job.m_file.reset(new OwnedSource(std::vector<std::uint8_t>(data, data + size)));
  job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(size + 1));
  if (!job.m_pConvData) return;
  if (size) std::memcpy(job.m_pConvData, data, size);
  job.headCapacity = size + 1;
  job.readSize = static_cast<std::int32_t>(size);
  job.m_nConvSize = static_cast<std::int32_t>(size);
  convert::CfbReader reader(job);
  convert::CompoundStreamTable table;
  if (reader.LoadCompoundStreams(table) == convert::CompoundLoad::kLoaded &&
      (reader.Kind() == 2 || reader.Kind() == 42)) {
    const std::size_t before = job.out.Size();
    convert::ReadWordDocument(job, reader, table);
    if (job.out.Size() < before) Fail();
    for (int i = 0; i < job.pictures.Count(); ++i) {
      const convert::OfficePicture& p = job.pictures.At(i);
      // A picture lies inside the copies.
      if (p.size > 0 && (p.position < 0 || static_cast<std::size_t>(p.position) + static_cast<std::size_t>(p.size) >
                                               static_cast<std::size_t>(table.end)))
        Fail();
    }
  }
  convert::EndRender(job);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 300000) return 0;
  const std::uint8_t how = data[0];
  ++data;
  --size;
  // The whole-file way is one in eight (the compound reader has its own
  // target; its table of 81,920 entries makes each run slow).
  switch (how % 8) {
    case 1: case 3: case 5: Forms(data, size); break;
    case 2: WholeFile(data, size, static_cast<std::uint8_t>(how / 8)); break;
    default: Copies(data, size, static_cast<std::uint8_t>(how / 8)); break;
  }
  return 0;
}
