// The compound reader over a memory file: the directory walk, the FAT and
// DIFAT, the copies (along chains and through the mini-FAT) and the cursor
// operations. Byte 0 picks the kind, byte 1 the read limit; the rest is the
// file. Checks: every copy lies in the head buffer, a chain copy's first
// sector is the file's sector, and the cursor walks end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "convert/cfb_reader.h"
#include "convert/render_frame.h"
#include "convert/source_file.h"
#include "fw/alloc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static const int kKinds[] = {1, 2, 3, 32, 42, 99};
  const int kind = kKinds[data[0] % 6];
  const std::int64_t limits[] = {512, 2048, 8192, 65536};
  const std::uint8_t* file = data + 2;
  const std::size_t fileSize = size - 2;
  std::int64_t readSize = data[1] & 0x80 ? limits[data[1] & 3] : static_cast<std::int64_t>(fileSize);
  if (readSize > static_cast<std::int64_t>(fileSize)) readSize = static_cast<std::int64_t>(fileSize);

  convert::RenderJob job;
  job.m_file = std::make_unique<convert::MemorySource>(file, fileSize);
  job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(2005));
  job.headCapacity = 2005;
  std::memset(job.m_pConvData, 0, 2005);
  job.m_file->ReadAt(0, job.m_pConvData, 2000);
  job.readSize = static_cast<std::int32_t>(readSize);
  job.m_nConvSize = static_cast<std::int32_t>((data[1] & 0x40) ? static_cast<std::int64_t>(fileSize) : readSize);
  job.inputCut = readSize < static_cast<std::int64_t>(fileSize);
  job.m_nKind = job.m_nFileKind = kind;

  convert::CfbReader reader(job);
  convert::CompoundStreamTable table;
  const convert::CompoundLoad status = reader.LoadCompoundStreams(table);
  if (status == convert::CompoundLoad::kLoaded && kind != 32) {
    if (table.end < 0 || static_cast<std::size_t>(table.end) > job.headCapacity) std::abort();
    for (int s = 0; s < convert::kCompoundSlots; ++s) {
      if (!table.slot[s]) continue;
      if (table.slot[s] < 512 || table.length[s] < 0 || table.slot[s] + table.length[s] > table.end) std::abort();
      // A chain copy starts with the file's sector at the slot's position.
      const std::int64_t at = table.filePos[s];
      if (!table.viaMiniStream[s] && at > 0 && at + 512 <= static_cast<std::int64_t>(fileSize) &&
          table.length[s] >= 512 && std::memcmp(job.Head() + table.slot[s], file + at, 512) != 0)
        std::abort();
    }
  }
  // The cursor operations from the directory (the mail reader's walk) and a
  // mini-stream seek, with amounts from the file's last bytes.
  if (status == convert::CompoundLoad::kLoaded) {
    std::int32_t n = 0;
    if (fileSize >= 4) std::memcpy(&n, file + fileSize - 4, 4);
    reader.SetSectorCursor(table.directoryPos);
    for (int i = 0; i < 200 && reader.m_nChainState == 0; ++i) {
      reader.CfbAdvanceByte();
      reader.IsCursorAtLineEnd();
    }
    reader.SetSectorCursor(table.directoryPos);
    reader.CfbSkipBytes(n & 0x7FFFFFFF);
    reader.IsCursorAtLineEnd();
    reader.CfbSeekMiniStream((n >> 3) & 0xFFFFF, (static_cast<std::int32_t>(table.miniStreamStart) + 1) * 512);
    reader.IsCursorAtLineEnd();
    reader.Damage().WriteTo(job.out);
  }
  convert::EndRender(job);
  return 0;
}
