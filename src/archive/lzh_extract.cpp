#include "archive/lzh_extract.h"

#include <algorithm>
#include <istream>
#include <new>
#include <streambuf>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/arc_error.h"
#include "archive/arc_names.h"
#include "archive/arc_path.h"
#include "archive/arc_readall.h"
#include "archive/lzh_header.h"
#include "fw/file.h"

namespace arc {
namespace {

// A read-only stream over a block of memory.
class BlockBuf : public std::streambuf {
 public:
  BlockBuf(const uint8_t* p, size_t n) {
    char* b = const_cast<char*>(reinterpret_cast<const char*>(p));
    setg(b, b, b + n);
  }
};

std::string FolderOf(const std::string& path) {
  std::vector<char> mask = LeadByteMask(path);
  for (size_t i = path.size(); i-- > 0;)
    if (path[i] == '\\' && !mask[i]) return path.substr(0, i);
  return std::string();
}

void Refuse(ArcOutcome& out, const char* code, const std::string& detail) {
  out.result = -1;
  out.code = code;
  out.detail = detail;
}

}  // namespace

ArcOutcome LzhExtractBlock(const uint8_t* data, size_t size, ExtractTarget& t, bool wideWindows,
                           std::string* lastFolder) {
  ArcOutcome out;
  BlockBuf sb(data, size);
  std::istream in(&sb);
  ArcBitReader r(in);
  try {
    for (;;) {
      LzhHeader h;
      if (!h.Read(r)) break;
      std::string name = MemberNameToSjis(h.OutputPath(), false, false);
      if (h.method != "-lh0-" && h.method != "-lh5-" && h.method != "-lhd-" &&
          !(wideWindows && (h.method == "-lh6-" || h.method == "-lh7-"))) {
        Refuse(out, "083", h.method + " " + name);
        return out;
      }
      std::string path;
      bool folder = false;
      NameCheck nc = SafeMemberPath(name, &path, &folder);
      if (nc == NameCheck::kParent) {
        Refuse(out, kCodeParent, "path " + name);
        return out;
      }
      if (h.method == "-lhd-" || folder || nc == NameCheck::kEmpty) {
        if (nc == NameCheck::kOk && !t.MakeFolders(path)) Fail("026");
        r.SkipTo(h.dataStart + h.dataSize);
        continue;
      }
      std::string parent = FolderOf(path);
      if (!parent.empty() && !t.MakeFolders(parent)) Fail("026");
      std::ostream* os = t.OpenFile(path);
      if (!os) Fail("026");
      LzhCrc16 sink(*os, h.origSize);
      try {
        LzhExtractMember(r, h, sink, wideWindows);
      } catch (...) {
        t.CloseFile();
        throw;
      }
      if (!t.CloseFile()) Fail("026");
      t.SetTime(path, h.time);
      if (lastFolder) *lastFolder = parent;
      if (sink.Count() != static_cast<int64_t>(h.origSize)) {
        Refuse(out, kCodeSize, "size " + name);
        return out;
      }
      if (sink.Crc() != h.dataCrc) {
        Refuse(out, kCodeCrc16, "CRC " + name);
        return out;
      }
    }
  } catch (const ArchiveError& e) {
    t.CloseFile();
    Refuse(out, e.Code(), "");
  }
  return out;
}

ArcOutcome LzhExtractFile(const std::string& archive, ExtractTarget& t, bool wideWindows, std::string* lastFolder) {
  ArcOutcome out;
  std::vector<uint8_t> block;
  size_t got = 0;
  switch (ReadWholeArchive(archive, 1000, &block, &got)) {
    case WholeRead::kOk:
      break;
    case WholeRead::kCannotOpen:
      out.result = -1;
      return out;
    case WholeRead::kTooLarge:
      Refuse(out, kCodeTooLarge, "2 GiB");
      return out;
    case WholeRead::kNoMemory:
      out.result = -9;
      out.memoryText = " 028";
      return out;
    case WholeRead::kReadFailed:
      Refuse(out, "082", "");
      return out;
  }
  return LzhExtractBlock(block.data(), got, t, wideWindows, lastFolder);
}

}  // namespace arc
