#include "archive/lzh_writer.h"

#include <algorithm>
#include <ctime>

#include "archive/arc_crc.h"
#include "archive/arc_error.h"
#include "archive/arc_huffman.h"
#include "archive/arc_path.h"
#include "archive/arc_time.h"
#include "fw/file.h"

namespace arc {
namespace {

void Put(std::vector<uint8_t>& b, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A member name without drive and leading separators, '/' separated.
std::string RelativeName(const std::string& name) {
  std::string s = SlashForm(name);
  if (s.size() >= 2 && s[1] == ':') s.erase(0, 2);
  while (!s.empty() && s[0] == '/') s.erase(0, 1);
  return s;
}

std::vector<uint8_t> Level2Header(const std::string& method, uint32_t packed, uint32_t orig, std::time_t when,
                                  uint16_t crc, const std::string& folder, const std::string& file) {
  std::vector<uint8_t> h;
  Put(h, 0, 2);  // total size, below
  h.insert(h.end(), method.begin(), method.end());
  Put(h, packed, 4);
  Put(h, orig, 4);
  Put(h, static_cast<uint64_t>(when < 0 ? 0 : when), 4);
  h.push_back(0x20);
  h.push_back(2);
  Put(h, crc, 2);
  h.push_back('M');
  // Extended headers: header CRC, file name, folder name (0xFF separated).
  size_t crcAt;
  Put(h, 5, 2);
  h.push_back(0x00);
  crcAt = h.size();
  Put(h, 0, 2);
  Put(h, 3 + file.size(), 2);
  h.push_back(0x01);
  h.insert(h.end(), file.begin(), file.end());
  if (!folder.empty()) {
    std::vector<char> mask = LeadByteMask(folder);
    Put(h, 3 + folder.size(), 2);
    h.push_back(0x02);
    for (size_t i = 0; i < folder.size(); ++i)
      h.push_back(folder[i] == '/' && !mask[i] ? 0xFF : static_cast<uint8_t>(folder[i]));
  }
  Put(h, 0, 2);
  // A header whose size ends in a 0 byte would read as the archive's end.
  if ((h.size() & 0xFF) == 0) h.push_back(0);
  h[0] = static_cast<uint8_t>(h.size());
  h[1] = static_cast<uint8_t>(h.size() >> 8);
  uint16_t hc = Crc16Update(0, h.data(), h.size());
  h[crcAt] = static_cast<uint8_t>(hc);
  h[crcAt + 1] = static_cast<uint8_t>(hc >> 8);
  return h;
}

void Refuse(ArcOutcome& out, const char* code) {
  out.result = -1;
  out.code = code;
}

}  // namespace

ArcOutcome WriteLzh(const std::string& archive, const std::vector<WalkEntry>& entries) {
  ArcOutcome out;
  try {
    uint64_t total = 1;
    for (const WalkEntry& e : entries) {
      uint64_t n = e.folder ? 0 : static_cast<uint64_t>(e.stat.size);
      if (n >= 0xFFFFFFFFull) Fail("053");
      total += 600 + n + n / 8;
      if (total >= 0xFFFFFFFFull) Fail("055");
    }
    CFile f;
    if (!f.Open(archive.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) Fail("025");
    try {
      for (const WalkEntry& e : entries) {
        std::string rel = RelativeName(e.name);
        std::string folder, file;
        if (e.folder) {
          folder = rel;
          if (!folder.empty() && folder.back() != '/') folder += '/';
        } else {
          std::string fp = FolderPart(rel);
          folder = fp.empty() ? fp : fp + "/";
          file = rel.substr(fp.empty() ? 0 : fp.size() + 1);
        }
        std::time_t when = ToTimeT(e.stat.time);
        std::vector<uint8_t> h;
        if (e.folder) {
          h = Level2Header("-lhd-", 0, 0, when, 0, folder, "");
          f.Write(h.data(), static_cast<UINT>(h.size()));
          continue;
        }
        std::vector<uint8_t> data;
        CFile in;
        if (!in.Open(e.path.c_str(), CFile::modeRead | CFile::typeBinary)) Fail("026");
        ULONGLONG len = in.GetLength();
        if (len >= 0xFFFFFFFFull) Fail("053");
        data.resize(static_cast<size_t>(len));
        size_t got = 0;
        while (got < data.size()) {
          UINT n = in.Read(data.data() + got, static_cast<UINT>(std::min<size_t>(data.size() - got, 1u << 24)));
          if (n == 0) break;
          got += n;
        }
        data.resize(got);
        in.Abort();
        uint16_t crc = Crc16Update(0, data.data(), data.size());
        std::vector<uint8_t> packed = EncodeLh5(data.data(), data.size());
        bool stored = packed.size() >= data.size();
        const std::vector<uint8_t>& body = stored ? data : packed;
        h = Level2Header(stored ? "-lh0-" : "-lh5-", static_cast<uint32_t>(body.size()),
                         static_cast<uint32_t>(data.size()), when, crc, folder, file);
        f.Write(h.data(), static_cast<UINT>(h.size()));
        if (!body.empty()) f.Write(body.data(), static_cast<UINT>(body.size()));
      }
      uint8_t end = 0;
      f.Write(&end, 1);
      f.Close();
    } catch (const CFileException&) {
      f.Abort();
      Fail("026");
    }
  } catch (const ArchiveError& e) {
    Refuse(out, e.Code());
  }
  return out;
}

}  // namespace arc
