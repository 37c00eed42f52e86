#include "archive/zip_extract.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "archive/arc_error.h"
#include "archive/arc_names.h"
#include "archive/arc_path.h"
#include "archive/arc_readall.h"
#include "archive/zip_header.h"
#include "fw/file.h"

namespace arc {
namespace {

uint32_t Le(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

// A name as ZipHeader::Read gives it (a last control byte dropped).
std::string RecordName(const uint8_t* p, size_t n) {
  std::string s(reinterpret_cast<const char*>(p), n);
  if (!s.empty() && static_cast<unsigned char>(s.back()) < 0x20) s.pop_back();
  return s;
}

// A local header whose sizes are 0xFFFFFFFF takes them from its ZIP64 field
// (original size, then compressed size). False when there is none or a
// value does not fit 32 bits: the member needs ZIP64.
bool LocalZip64Sizes(ZipHeader& h) {
  if (h.compressedSize != 0xFFFFFFFFll && h.uncompressedSize != 0xFFFFFFFFll) return true;
  size_t n = h.raw.size() >= 30 ? Le(h.raw.data() + 26, 2) : 0, e = h.raw.size() >= 30 ? Le(h.raw.data() + 28, 2) : 0;
  if (30 + n + e > h.raw.size()) return false;
  const uint8_t* x = h.raw.data() + 30 + n;
  for (size_t i = 0; i + 4 <= e;) {
    uint32_t id = Le(x + i, 2), len = Le(x + i + 2, 2);
    if (i + 4 + len > e) return false;
    if (id == 0x0001) {
      const uint8_t* v = x + i + 4;
      size_t at = 0;
      uint64_t vals[2] = {0, 0};
      for (int k = 0; k < 2; ++k) {
        if (at + 8 > len) return false;
        vals[k] = static_cast<uint64_t>(Le(v + at, 4)) | static_cast<uint64_t>(Le(v + at + 4, 4)) << 32;
        at += 8;
      }
      if (vals[0] >= 0xFFFFFFFFull || vals[1] >= 0xFFFFFFFFull) return false;
      h.uncompressedSize = static_cast<int64_t>(vals[0]);
      h.compressedSize = static_cast<int64_t>(vals[1]);
      return true;
    }
    i += 4 + len;
  }
  return false;
}

struct CentralRecord {
  int flags = 0, method = 0;
  uint32_t crc = 0;
  int64_t csize = 0, usize = 0;
  std::string name;
  int32_t attr = 0;
  int64_t localPos = 0, dataStart = 0, dataEnd = 0;
};

struct Directory {
  bool ok = false;
  std::vector<CentralRecord> recs;
};

void Refuse(ArcOutcome& out, const char* code, const std::string& detail) {
  out.result = -1;
  out.code = code;
  out.detail = detail;
}

// Reads the end record and the central directory. Refusals that must come
// before anything is written (ZIP64, overlapping data) are set in `out`; a
// directory that is missing or does not fit the data leaves dir.ok false.
void ReadDirectory(const uint8_t* d, size_t n, Directory& dir, ArcOutcome& out) {
  if (n < 22) return;
  size_t endPos = SIZE_MAX;
  size_t lowest = n - 22 > 0xFFFF ? n - 22 - 0xFFFF : 0;
  for (size_t p = n - 22 + 1; p-- > lowest;) {
    if (Le(d + p, 4) == static_cast<uint32_t>(kZipEndSig) && p + 22 + Le(d + p + 20, 2) <= n) {
      endPos = p;
      break;
    }
  }
  if (endPos == SIZE_MAX) return;
  const uint8_t* e = d + endPos;
  uint32_t disk = Le(e + 4, 2), cdDisk = Le(e + 6, 2), here = Le(e + 8, 2), total = Le(e + 10, 2);
  uint32_t cdSize = Le(e + 12, 4), cdOffset = Le(e + 16, 4);
  if (total == 0xFFFF || cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu) return Refuse(out, kCodeZip64, "ZIP64");
  // A ZIP64 end record and its locator may stand between the directory and
  // the end record (zip writes them for streamed input even when every value
  // fits 32 bits).
  size_t cdEnd = endPos;
  if (endPos >= 20 && Le(d + endPos - 20, 4) == 0x07064B50u) {
    if (endPos < 20 + 56 || Le(d + endPos - 76, 4) != 0x06064B50u || Le(d + endPos - 72, 4) != 44 ||
        Le(d + endPos - 68, 4) != 0)
      return;
    cdEnd = endPos - 76;
  }
  if (disk != 0 || cdDisk != 0 || here != total || cdSize > cdEnd) return;
  size_t cdStart = cdEnd - cdSize;
  if (cdOffset > cdStart) return;
  size_t shift = cdStart - cdOffset;  // a marker or stub in front of the archive
  size_t p = cdStart;
  std::vector<CentralRecord> recs;
  for (uint32_t i = 0; i < total; ++i) {
    if (p + 46 > cdEnd || Le(d + p, 4) != static_cast<uint32_t>(kZipCentralSig)) return;
    size_t nl = Le(d + p + 28, 2), el = Le(d + p + 30, 2), cl = Le(d + p + 32, 2);
    if (p + 46 + nl + el + cl > cdEnd) return;
    CentralRecord c;
    c.flags = static_cast<int>(Le(d + p + 8, 2));
    c.method = static_cast<int>(Le(d + p + 10, 2));
    c.crc = Le(d + p + 16, 4);
    uint32_t cs = Le(d + p + 20, 4), us = Le(d + p + 24, 4), off = Le(d + p + 42, 4);
    if (cs == 0xFFFFFFFFu || us == 0xFFFFFFFFu || off == 0xFFFFFFFFu) return Refuse(out, kCodeZip64, "ZIP64");
    c.csize = cs;
    c.usize = us;
    c.attr = static_cast<int32_t>(Le(d + p + 38, 4));
    c.name = RecordName(d + p + 46, nl);
    c.localPos = static_cast<int64_t>(off) + static_cast<int64_t>(shift);
    recs.push_back(std::move(c));
    p += 46 + nl + el + cl;
  }
  // Each local header and its data must lie before the directory.
  for (CentralRecord& c : recs) {
    size_t lp = static_cast<size_t>(c.localPos);
    if (lp + 30 > cdStart || Le(d + lp, 4) != static_cast<uint32_t>(kZipLocalSig)) return;
    c.dataStart = c.localPos + 30 + Le(d + lp + 26, 2) + Le(d + lp + 28, 2);
    c.dataEnd = c.dataStart + c.csize;
    if (c.dataEnd > static_cast<int64_t>(cdStart)) return;
  }
  // Members whose ranges overlap (several records sharing data: the shape of
  // non-recursive decompression bombs) are refused.
  std::vector<std::pair<int64_t, int64_t>> ranges;
  for (const CentralRecord& c : recs) ranges.emplace_back(c.localPos, c.dataEnd);
  std::sort(ranges.begin(), ranges.end());
  for (size_t i = 1; i < ranges.size(); ++i)
    if (ranges[i].first < ranges[i - 1].second) return Refuse(out, kCodeOverlap, "overlap");
  dir.ok = true;
  dir.recs = std::move(recs);
}

class Extractor {
 public:
  Extractor(ArcState& st, const uint8_t* d, size_t n, const ZipExtractOptions& opt, ExtractTarget& t)
      : st_(st), d_(d), n_(n), opt_(opt), t_(t), mem_(st.m_nArcOutMax > 0) {}

  ArcOutcome Run();

 private:
  // Writes one member whose local header was read and whose data the reader
  // stands on (at offset `base` of the reader). Returns false (out_ set) to stop.
  bool Member(ZipBitReader& r, ZipHeader h, bool checked, int64_t base);
  bool CheckMethod(const ZipHeader& h);
  void Attribute(const std::string& raw, int flags, int32_t attr);
  void RunDirectory(const Directory& dir);
  void RunSequential();

  ArcState& st_;
  const uint8_t* d_;
  size_t n_;
  ZipExtractOptions opt_;
  ExtractTarget& t_;
  bool mem_;
  int members_ = 0;
  ArcOutcome out_;
};

bool Extractor::CheckMethod(const ZipHeader& h) {
  std::string name = MemberNameToSjis(h.name, (h.flags & 0x800) != 0, opt_.utf8Names);
  if (h.flags & 1) {
    Refuse(out_, kCodeEncrypted, "encrypted " + name);
    return false;
  }
  if (h.method != 0 && h.method != 8) {
    Refuse(out_, kCodeMethod, "method " + std::to_string(h.method) + " " + name);
    return false;
  }
  return true;
}

bool Extractor::Member(ZipBitReader& r, ZipHeader h, bool checked, int64_t base) {
  if (!CheckMethod(h)) return false;
  std::string name = MemberNameToSjis(h.name, (h.flags & 0x800) != 0, opt_.utf8Names);
  std::string path;
  bool folder = false;
  NameCheck nc = SafeMemberPath(name, &path, &folder);
  if (nc == NameCheck::kParent) {
    Refuse(out_, kCodeParent, "path " + name);
    return false;
  }
  // A folder entry, or a name with nothing left (the destination itself).
  if (folder || nc == NameCheck::kEmpty) {
    if (!mem_ && nc == NameCheck::kOk && !t_.MakeFolders(path)) Fail("026");
    return true;
  }
  std::ostream* os = nullptr;
  if (!mem_) {
    // The folder part, cut at a separator that is no trail byte.
    std::vector<char> mask = LeadByteMask(path);
    size_t cut = 0;
    for (size_t i = path.size(); i-- > 0;)
      if (path[i] == '\\' && !mask[i]) {
        cut = i;
        break;
      }
    std::string parent = path.substr(0, cut);
    if (!parent.empty() && !t_.MakeFolders(parent)) Fail("026");
    os = t_.OpenFile(path);
    if (!os) Fail("026");
  }
  if (checked && h.method == 0 && h.compressedSize != h.uncompressedSize) {
    t_.CloseFile();
    Refuse(out_, kCodeSize, "size " + name);
    return false;
  }
  ZipCrc32 sink(st_, os, h.uncompressedSize);
  try {
    ZipExtractMember(r, h, sink);
  } catch (...) {
    t_.CloseFile();
    throw;
  }
  if (mem_ && h.method == 0 && sink.Count() > 0) {
    int64_t v = static_cast<int64_t>(st_.m_nArcOutLen) + sink.Count() - 1;
    st_.m_nArcOutLen = v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
  }
  bool written = t_.CloseFile();
  if (!mem_) {
    if (!written) Fail("026");
    t_.SetTime(path, h.time);
  }
  ++members_;
  if (checked) {
    int64_t used = r.Tell() - base;
    if (sink.Count() != h.uncompressedSize) {
      Refuse(out_, kCodeSize, "size " + name);
      return false;
    }
    if (used != h.compressedSize) {
      Refuse(out_, kCodePacked, "packed size " + name);
      return false;
    }
    if (sink.Crc() != h.crc) {
      Refuse(out_, kCodeCrc32, "CRC " + name);
      return false;
    }
  }
  return true;
}

void Extractor::Attribute(const std::string& raw, int flags, int32_t attr) {
  if (mem_ || (attr & 0xFF) == 0) return;
  std::string path;
  if (SafeMemberPath(MemberNameToSjis(raw, (flags & 0x800) != 0, opt_.utf8Names), &path) != NameCheck::kOk) return;
  t_.SetAttribute(path, attr & 0xFF);
}

void Extractor::RunDirectory(const Directory& dir) {
  for (const CentralRecord& c : dir.recs) {
    // The local header.
    st_.m_nArcProgress = 0;
    st_.m_nArcInSize = static_cast<int32_t>(static_cast<int64_t>(n_) - c.localPos);
    ZipBitReader hr(st_, d_ + c.localPos);
    ZipHeader h;
    h.Read(hr);
    if (h.signature != kZipLocalSig || !h.complete) {
      Refuse(out_, kCodeDirectory, "local header");
      return;
    }
    bool bit3 = (h.flags & 8) != 0;
    if (!bit3 && !LocalZip64Sizes(h)) {
      Refuse(out_, kCodeZip64, "ZIP64");
      return;
    }
    uint32_t crc = bit3 ? c.crc : h.crc;
    bool checked = opt_.checked && crc != 0;
    if (checked) {
      if (h.name != c.name || h.method != c.method ||
          (!bit3 && (h.crc != c.crc || h.compressedSize != c.csize || h.uncompressedSize != c.usize))) {
        Refuse(out_, kCodeMismatch, "header " + MemberNameToSjis(h.name, (h.flags & 0x800) != 0, opt_.utf8Names));
        return;
      }
    }
    if (bit3 && (checked || (h.compressedSize == 0 && h.uncompressedSize == 0))) {
      h.crc = c.crc;
      h.compressedSize = c.csize;
      h.uncompressedSize = c.usize;
    }
    // The data, read through a reader that ends with the member's packed size.
    int64_t packed = std::min<int64_t>(h.compressedSize, static_cast<int64_t>(n_) - c.dataStart);
    st_.m_nArcProgress = 0;
    st_.m_nArcInSize = static_cast<int32_t>(packed < 0 ? 0 : packed);
    ZipBitReader r(st_, d_ + c.dataStart);
    if (!Member(r, h, checked, 0)) return;
  }
  if (members_ > 1 && !dir.recs.empty() && dir.recs[0].usize > 0)
    Attribute(dir.recs[0].name, dir.recs[0].flags, dir.recs[0].attr);
  if (members_ - 1 > 15) {
    for (size_t i = 1; i < dir.recs.size() && i <= static_cast<size_t>(members_ - 1); ++i) {
      std::string path;
      const CentralRecord& c = dir.recs[i];
      if (SafeMemberPath(MemberNameToSjis(c.name, (c.flags & 0x800) != 0, opt_.utf8Names), &path) ==
              NameCheck::kOk &&
          t_.Exists(path))
        Attribute(c.name, c.flags, c.attr);
    }
  }
}

void Extractor::RunSequential() {
  st_.m_nArcProgress = 0;
  st_.m_nArcInSize = static_cast<int32_t>(n_);
  ZipBitReader r(st_, d_);
  for (;;) {
    ZipHeader h;
    h.Read(r);
    if (h.signature == kZipLocalSig && h.complete) {
      if (opt_.checked && (h.flags & 8)) {
        // Sizes only in the directory, which is missing.
        if (!CheckMethod(h)) return;
        Refuse(out_, kCodeDirectory, "no directory");
        return;
      }
      if (!(h.flags & 8) && !LocalZip64Sizes(h)) {
        Refuse(out_, kCodeZip64, "ZIP64");
        return;
      }
      bool checked = opt_.checked && h.crc != 0;
      int64_t start = r.Tell();
      if (!Member(r, h, checked, start)) return;
      continue;
    }
    if (h.signature == kZipCentralSig && h.complete) {
      int32_t attr = st_.m_nArcAttr;
      if (members_ > 1 && h.uncompressedSize > 0) Attribute(h.name, h.flags, attr);
      st_.m_nArcAttr = 0;
      if (members_ - 1 > 15) {
        for (int i = 0; i < members_ - 1; ++i) {
          ZipHeader c;
          c.Read(r);
          if (c.signature != kZipCentralSig || !c.complete) break;
          std::string path;
          if (SafeMemberPath(MemberNameToSjis(c.name, (c.flags & 0x800) != 0, opt_.utf8Names), &path) ==
                  NameCheck::kOk &&
              t_.Exists(path))
            Attribute(c.name, c.flags, st_.m_nArcAttr);
          st_.m_nArcAttr = 0;
        }
      }
    }
    return;
  }
}

ArcOutcome Extractor::Run() {
  st_.m_nArcProgress = 0;
  st_.m_nArcAttr = 0;
  st_.m_nArcOutLen = 0;
  int32_t inSize = st_.m_nArcInSize;
  Directory dir;
  try {
    if (opt_.checked) {
      ReadDirectory(d_, n_, dir, out_);
      if (out_.Failed()) return out_;
      if (dir.ok && !mem_) {
        uint64_t sum = 0;
        for (const CentralRecord& c : dir.recs) sum += static_cast<uint64_t>(c.usize);
        int64_t room = t_.FreeSpace();
        if (sum > static_cast<uint64_t>(room)) {
          Refuse(out_, kCodeNoSpace, "disk space");
          return out_;
        }
      }
    }
    if (dir.ok)
      RunDirectory(dir);
    else
      RunSequential();
    if (!out_.Failed() && opt_.checked && !dir.ok) Refuse(out_, kCodeDirectory, "no directory");
  } catch (const ArchiveError& e) {
    t_.CloseFile();
    Refuse(out_, e.Code(), "");
  }
  st_.m_nArcInSize = inSize;
  return out_;
}

}  // namespace

ArcOutcome ZipExtractBlock(ArcState& st, const uint8_t* data, size_t size, const ZipExtractOptions& opt,
                           ExtractTarget& target) {
  Extractor x(st, data, size, opt, target);
  return x.Run();
}

ArcOutcome UnzipOwn(ArcState& st, const std::string& zipName, int32_t count, int32_t outMax, uint8_t* buffer,
                    bool utf8Names, ExtractTarget& target) {
  ArcOutcome out;
  st.m_nArcInSize = count;
  st.m_nArcOutMax = outMax;
  st.m_nArcOutLen = 0;
  std::vector<uint8_t> block;
  const uint8_t* data = buffer;
  size_t size = count > 1 && buffer ? static_cast<size_t>(count) : 0;
  bool fromFile = count < 2;
  if (fromFile) {
    size_t got = 0;
    switch (ReadWholeArchive(zipName, 1000, &block, &got)) {
      case WholeRead::kOk:
        break;
      case WholeRead::kCannotOpen:
      case WholeRead::kReadFailed:
        out.result = -1;
        return out;
      case WholeRead::kTooLarge:
        Refuse(out, kCodeTooLarge, "2 GiB");
        st.m_nArcOutMax = 0;
        st.m_nArcOutLen = -1;
        return out;
      case WholeRead::kNoMemory:
        out.result = -9;
        out.memoryText = " 029";
        return out;
    }
    size_t skip = got >= 4 && block[2] == '0' && block[3] == '0' ? 4 : 0;
    data = block.data() + skip;
    size = got - skip;
    st.m_nArcInSize = static_cast<int32_t>(size);
    st.m_nArcOutMax = 0;
  }
  std::vector<uint8_t> outBuf;
  try {
    outBuf.assign(static_cast<size_t>(st.m_nArcOutMax) + 2000, 0);
  } catch (const std::bad_alloc&) {
    out.result = -9;
    out.memoryText = " 030  zipoutmax = " + std::to_string(st.m_nArcOutMax);
    return out;
  }
  st.m_pArcOutBuf = outBuf.data();
  ZipExtractOptions opt;
  opt.checked = fromFile;
  opt.utf8Names = utf8Names;
  out = ZipExtractBlock(st, data, size, opt, target);
  st.m_pArcOutBuf = nullptr;
  if (out.Failed()) {
    st.m_nArcOutMax = 0;
    st.m_nArcOutLen = -1;
    out.result = -1;
    return out;
  }
  if (st.m_nArcOutLen > st.m_nArcOutMax) st.m_nArcOutLen = st.m_nArcOutMax;
  if (st.m_nArcOutMax > 0 && buffer)
    std::copy(outBuf.begin(), outBuf.begin() + st.m_nArcOutLen + 1, buffer);
  out.result = st.m_nArcOutLen;
  return out;
}

}  // namespace arc
