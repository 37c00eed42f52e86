#include "archive/zip_writer.h"

#include <istream>
#include <memory>
#include <streambuf>

#include "archive/arc_error.h"
#include "archive/arc_path.h"
#include "archive/deflater.h"
#include "archive/zip_header.h"
#include "fw/file.h"
#include "fw/path.h"

namespace arc {
namespace {

bool IsSep(const std::string& s) {
  if (s.empty()) return false;
  char c = s.back();
  if (c != '/' && c != '\\') return false;
  return !LeadByteMask(s).back();
}

void WriteAll(CFile& f, const std::vector<uint8_t>& b) {
  if (!b.empty()) f.Write(b.data(), static_cast<UINT>(b.size()));
}

// Input of one member read from its file in 64 KiB chunks; before each chunk
// the compressed bytes made so far move from the encoder's vector to the
// archive, so neither side is held whole.
class MemberInput : public std::streambuf {
 public:
  MemberInput(CFile& in, CFile& out, std::vector<uint8_t>& packed)
      : in_(in), out_(out), packed_(packed), buf_(new char[kChunk]) {}
  void Drain() {
    if (packed_.empty()) return;
    out_.Write(packed_.data(), static_cast<UINT>(packed_.size()));
    written_ += packed_.size();
    packed_.clear();
  }
  uint64_t Written() const { return written_; }
  bool ReadFailed() const { return failed_; }

 protected:
  int_type underflow() override {
    Drain();
    UINT n = 0;
    try {
      n = in_.Read(buf_.get(), kChunk);
    } catch (const CFileException&) {
      failed_ = true;
    }
    if (n == 0) return traits_type::eof();
    setg(buf_.get(), buf_.get(), buf_.get() + n);
    return traits_type::to_int_type(buf_[0]);
  }

 private:
  static constexpr UINT kChunk = 1 << 16;
  CFile& in_;
  CFile& out_;
  std::vector<uint8_t>& packed_;
  std::unique_ptr<char[]> buf_;
  uint64_t written_ = 0;
  bool failed_ = false;
};

void Refuse(ArcOutcome& out, const char* code, const std::string& detail) {
  out.result = -1;
  out.code = code;
  out.detail = detail;
}

}  // namespace

std::string ArchiveNameFor(int kind, int argc, const std::vector<std::string>& argv,
                           const std::string& archiveName, bool arcTmpRoot, std::vector<std::string>* items) {
  std::string name;
  int count = argc;
  auto arg = [&argv](size_t i) { return i < argv.size() ? argv[i] : std::string(); };
  if (archiveName.empty() || kind == 2) {
    if (argc == 0) {
      name = arg(0);
      count = 2;
    } else {
      name = kind == 2 ? archiveName : arg(1);
      if (arcTmpRoot) {
        std::string base = name;
        bool absolute = (base.size() >= 2 && base[1] == ':') || (!base.empty() && (base[0] == '\\' || base[0] == '/'));
        if (absolute) {
          std::string t = base;
          while (IsSep(t)) t.pop_back();
          int cut = fw::LastPathSeparator(t.c_str(), static_cast<int>(t.size()));
          base = base.substr(static_cast<size_t>(cut + 1));
        }
        name = "C:\\ARCHTMP\\" + base;
      }
      if (IsSep(name)) name.back() = '_';
      if (argc > 2 && kind != 2) name += "##";
      if (kind == 1) name += ".zip";
      if (kind == 0) name += ".lzh";
    }
  } else {
    name = archiveName;
  }
  if (items) {
    items->clear();
    for (int i = 1; i < count; ++i) items->push_back(arg(static_cast<size_t>(i)));
  }
  return name;
}

std::vector<WalkEntry> CollectEntries(const std::vector<std::string>& items, const std::string& exclude,
                                      bool recurse) {
  std::vector<WalkEntry> out;
  WalkOptions opt;
  opt.exclude = exclude.empty() ? std::string() : fw::FullPath(exclude);
  opt.recurse = recurse;
  for (std::string item : items) {
    if (IsSep(item)) item.pop_back();
    if (item.empty()) continue;
    WalkItem(item, opt, out);
  }
  return out;
}

ArcOutcome WriteZip(ArcState& st, const std::string& zipName, const std::vector<WalkEntry>& entries,
                    const std::function<void(const WalkEntry&)>& stored, int maxChain) {
  ArcOutcome out;
  try {
    std::vector<uint64_t> sizes;
    std::vector<size_t> names;
    for (const WalkEntry& e : entries) {
      sizes.push_back(e.folder ? 0 : static_cast<uint64_t>(e.stat.size));
      names.push_back(e.name.size());
    }
    CheckZipPlan(sizes, names);
    CFile f;
    if (!f.Open(zipName.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) Fail("025");
    std::vector<uint8_t> central, bytes;
    uint64_t offset = 0;
    std::unique_ptr<DeflateWindow> window;
    try {
      for (const WalkEntry& e : entries) {
        ZipHeader h;
        h.signature = kZipLocalSig;
        h.name = e.name;  // stored as given (backslashes stay)
        h.time = e.stat.time;
        if (e.folder) {
          h.versionNeeded = 10;
          h.method = 0;
          h.compressedSize = h.uncompressedSize = 0;
          st.m_nArcAttr = 0;
        } else {
          FileStatRecord now = FillFileStat(e.path);
          h.time = now.time;
          st.m_nArcAttr = now.attr & 0xFF;
          h.versionNeeded = 20;
          h.method = 8;
          h.compressedSize = h.uncompressedSize = 0;
        }
        h.BuildLocal(bytes);
        uint64_t localAt = offset;
        WriteAll(f, bytes);
        offset += bytes.size();
        if (!e.folder) {
          CFile in;
          if (!in.Open(e.path.c_str(), CFile::modeRead | CFile::typeBinary)) Fail("026");
          if (!window) window = std::make_unique<DeflateWindow>(maxChain);
          std::vector<uint8_t> packed;
          ArcBitWriter w(packed);
          Deflater d(w, 32768);
          MemberInput src(in, f, packed);
          std::istream is(&src);
          window->Compress(is, d);
          d.WriteLastBlock();
          w.Flush();
          src.Drain();
          in.Abort();
          if (src.ReadFailed()) Fail("026");
          h.crc = window->Crc();
          h.uncompressedSize = static_cast<int64_t>(window->BytesRead());
          h.compressedSize = static_cast<int64_t>(src.Written());
          offset += src.Written();
          // The local header again, now with CRC and sizes.
          h.BuildLocal(bytes);
          f.Seek(static_cast<LONGLONG>(localAt), CFile::begin);
          WriteAll(f, bytes);
          f.Seek(0, CFile::end);
        }
        ZipHeader c = h;
        c.signature = kZipCentralSig;
        c.BuildCentral(localAt, st.m_nArcAttr, bytes);
        central.insert(central.end(), bytes.begin(), bytes.end());
        st.m_nArcAttr = 0;
        if (stored) stored(e);
      }
      BuildZipEnd(entries.size(), central.size(), offset, bytes);
      WriteAll(f, central);
      WriteAll(f, bytes);
      f.Close();
    } catch (const CFileException&) {
      f.Abort();
      Fail("026");
    } catch (...) {
      f.Abort();
      throw;
    }
  } catch (const ArchiveError& e) {
    Refuse(out, e.Code(), "");
  }
  return out;
}

}  // namespace arc
