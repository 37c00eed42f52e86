// The LZH listing over any bytes, against the archive reader's own header
// walk (arc::LzhHeader) over the same bytes:
//  - the listing is well formed: title first, the totals last, and (where
//    every line reads back) the totals are the sums of its lines;
//  - while the archive is regular (each header read by the reader without a
//    fault, its method text at byte 2, a level-1 header's extended headers
//    within the listing's 512-byte window, the data within the file), the
//    listing's lines show the reader's members: the data size (for level 1
//    without the extended headers) and the original size, in the same order,
//    and the reader's file name (its last part, folders and separators aside:
//    '\', '/' and 0xFF count as one) stands in the line's name column
//    wherever the listing shows the name the reader keeps (see NameShown);
//    it lists no fewer unless it stopped at "outdata", and no more where the
//    reader's walk ends for certain (the end of the file, a size with its top
//    bit set);
//  - the text stops near its limit.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/lzh_header.h"
#include "convert/archive_listing.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

struct Member {
  std::int64_t shown, original;
  std::string name;       // the line's name column; for the reader: its file name
  bool nameShown = true;  // the reader's: the listing shows the name it keeps
};

// Folder separators as one byte, so that the listing's form (0xFF shown as
// '\') and the reader's ('\' and 0xFF as '/') compare.
std::string Canon(std::string s) {
  for (char& c : s)
    if (c == '\\' || c == '/' || static_cast<unsigned char>(c) == 0xFF) c = '/';
  return s;
}

// How many extended headers of `type` the header holds: the chain starts at
// the 16-bit size at byte 24 (level 2) or at the end of the base header
// (level 1); each header holds its type, its data and the next one's size.
// The reader has walked this chain already, so every size lies within raw.
int ExtendedCount(const arc::LzhHeader& h, int type) {
  if (h.level == 0) return 0;
  const std::vector<std::uint8_t>& raw = h.raw;
  std::size_t sizeAt = h.level == 2 ? 24 : raw[0];
  int count = 0;
  for (;;) {
    if (sizeAt + 2 > raw.size()) return count;
    const std::size_t size = raw[sizeAt] | raw[sizeAt + 1] << 8, at = sizeAt + 2;
    if (size < 3 || at + size > raw.size()) return count;
    if (raw[at] == type) ++count;
    sizeAt = at + size - 2;
  }
}

// Whether the listing shows the file name the reader keeps. Levels 0 and 1:
// the name of the base header when its length byte is below 128 (the listing
// reads it as a signed byte), unless a level-1 extended header gives the
// reader another one (the listing shows only the first extended header, as a
// folder part). Level 2: the one name header, with the whole header inside
// the listing's 512-byte window; the listing keeps the first of several, the
// reader the last.
bool NameShown(const arc::LzhHeader& h) {
  if (h.level == 0 || h.level == 1) return h.raw[21] < 128 && ExtendedCount(h, 1) == 0;
  return h.raw.size() <= 512 && ExtendedCount(h, 1) == 1;
}

std::vector<Member> ReaderWalk(const std::vector<std::uint8_t>& bytes, bool& exact) {
  std::vector<Member> members;
  exact = false;
  const std::int64_t length = static_cast<std::int64_t>(bytes.size());
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  arc::ArcBitReader r(in);
  std::int64_t pos = 0;
  for (;;) {
    if (pos >= length) {
      exact = true;
      return members;
    }
    if (pos + 4 > length || bytes[static_cast<std::size_t>(pos) + 2] != '-' ||
        bytes[static_cast<std::size_t>(pos) + 3] != 'l')
      return members;
    arc::LzhHeader h;
    try {
      if (!h.Read(r)) return members;
    } catch (...) {
      return members;
    }
    // Names with line ends would make the lines ambiguous to read back.
    for (std::uint8_t b : h.raw)
      if (b == '\r' || b == '\n') return members;
    if (h.packedSize >= 0x80000000u || h.origSize >= 0x80000000u) {
      exact = true;  // the listing ends there
      return members;
    }
    const std::int64_t start = pos;
    const std::int64_t end = static_cast<std::int64_t>(h.dataStart + h.dataSize);
    if (h.level == 1 && static_cast<std::int64_t>(h.dataStart) - start > 512) return members;
    if (end > length || end <= start) return members;
    members.push_back(Member{static_cast<std::int64_t>(h.dataSize), static_cast<std::int64_t>(h.origSize),
                             Canon(h.fileName), NameShown(h)});
    pos = end;
    if (pos < length && !r.SkipTo(static_cast<std::uint64_t>(pos))) return members;
  }
}

bool ReadNumber(const std::string& f, std::int64_t& v) {
  v = 0;
  bool digits = false;
  for (char c : f) {
    if (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
      digits = true;
    } else if (c != ' ') {
      return false;
    }
  }
  return digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int64_t outdata = 200 + data[0] * 40;
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  convert::MemorySource file(bytes.data(), bytes.size());
  convert::LoadBuffer out;
  convert::ListLzhArchive(file, outdata, out);
  const std::string text(out.Data(), out.Size());
  if (out.Size() > out.Capacity()) Fail();

  static const std::string kRule =
      "\t----------------------------------------------------------------------\r\n";
  static const std::string kHead =
      "LZH File\r\n\t compressed\t   original\tratio\t\t   file name  / dir\r\n" + kRule;
  if (text.compare(0, kHead.size(), kHead) != 0) Fail();
  const std::size_t rule = text.rfind(kRule);
  if (rule == std::string::npos || rule < kHead.size()) Fail();
  const std::string body = text.substr(kHead.size(), rule - kHead.size());
  const std::string totals = text.substr(rule + kRule.size());

  // The totals line: "\tC\tO\tR%\t\tN files Total".
  std::vector<std::string> f;
  for (std::size_t at = 0;;) {
    std::size_t tab = totals.find('\t', at);
    f.push_back(totals.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
    if (tab == std::string::npos) break;
    at = tab + 1;
  }
  std::int64_t totalC = 0, totalO = 0, totalR = 0, totalN = 0;
  if (f.size() != 6 || !f[0].empty() || !ReadNumber(f[1], totalC) || !ReadNumber(f[2], totalO) ||
      f[3].empty() || f[3].back() != '%' || !ReadNumber(f[3].substr(0, f[3].size() - 1), totalR) || !f[4].empty())
    Fail();
  const std::string filesText = " files Total";
  if (f[5].size() <= filesText.size() || f[5].compare(f[5].size() - filesText.size(), std::string::npos, filesText) != 0 ||
      !ReadNumber(f[5].substr(0, f[5].size() - filesText.size()), totalN))
    Fail();
  if (totalR != convert::ListingRatio(totalC, totalO)) Fail();

  // The member lines, read back as far as they can be.
  std::vector<Member> lines;
  bool allRead = true;
  std::int64_t sumC = 0, sumO = 0, files = 0;
  for (std::size_t at = 0; at < body.size();) {
    std::size_t end = body.find("\r\n", at);
    if (end == std::string::npos) Fail();
    const std::string line = body.substr(at, end - at);
    at = end + 2;
    Member m;
    std::int64_t ratio = 0;
    if (line.size() < 32 || line[0] != '\t' || line[12] != '\t' || line[24] != '\t' || line[29] != '%' ||
        line.compare(30, 2, "\t\t") != 0 || !ReadNumber(line.substr(1, 11), m.shown) ||
        !ReadNumber(line.substr(13, 11), m.original) || !ReadNumber(line.substr(25, 4), ratio)) {
      allRead = false;  // a name with a line end of its own
      break;
    }
    if (ratio != (convert::ListingRatio(m.shown, m.original) & 0xFF)) Fail();
    m.name = Canon(line.substr(32));
    sumC += m.shown;
    sumO += m.original;
    if (m.shown > 0) ++files;
    lines.push_back(m);
  }
  if (allRead && (sumC != totalC || sumO != totalO || files != totalN)) Fail();

  bool exact = false;
  const std::vector<Member> model = ReaderWalk(bytes, exact);
  const bool stopped = static_cast<std::int64_t>(kHead.size() + body.size()) >= outdata;
  const std::size_t common = lines.size() < model.size() ? lines.size() : model.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (lines[i].shown != model[i].shown || lines[i].original != model[i].original) Fail();
    if (model[i].nameShown && lines[i].name.find(model[i].name) == std::string::npos) Fail();
  }
  if (allRead && lines.size() < model.size() && !stopped) Fail();
  if (allRead && exact && lines.size() > model.size()) Fail();
  // A member line holds at most two parts of a 512-byte window.
  if (static_cast<std::int64_t>(out.Size()) > outdata + 1200 + 400) Fail();
  return 0;
}
