// The ZIP listing over any bytes, against the archive reader's own header
// walk (arc::ZipHeader) over the same bytes:
//  - the listing is well formed: title first, the totals last, and the totals
//    are the sums of its lines (files = lines with a compressed size);
//  - while the archive is regular (each local header complete, its sizes in
//    the header, its data within the file and the next local header or the
//    central directory right after it), the listing's lines are the reader's
//    members: the same sizes, name and date, in the same order, and it lists
//    no fewer unless it stopped at "outdata", and no more where the reader's
//    walk ends for certain;
//  - the text stops near its limit.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/zip_header.h"
#include "convert/archive_listing.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

struct Member {
  std::int64_t compressed, original;
  std::string name, date;
};

// The size column: digits in groups of three above 1000 (strictly), in three
// groups above 1,000,000.
std::int64_t ParseSize(const std::string& f) {
  std::int64_t v = 0;
  int commas = 0;
  for (char c : f) {
    if (c == ',') {
      ++commas;
    } else if (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
    } else if (c != ' ') {
      Fail();
    }
  }
  if (commas != (v > 1000000 ? 2 : v > 1000 ? 1 : 0)) Fail();
  return v;
}

std::string RightTrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string DateOf(const arc::ArcDateTime& t) {
  char text[32];
  if (t.year > 2037) return "01/01'70 09:00";
  std::snprintf(text, sizeof text, "%02d/%02d'%02d %02d:%02d", t.month, t.day, t.year % 100, t.hour, t.minute);
  return text;
}

bool PlainDate(const arc::ArcDateTime& t) {
  return t.year > 2037 || (t.month >= 1 && t.month <= 12 && t.day >= 1 && t.hour <= 23 && t.minute <= 59);
}

// The reader's walk while the archive is regular; `exact` when the walk ended
// where the listing's must end too.
std::vector<Member> ReaderWalk(const std::uint8_t* data, std::size_t size, bool& exact) {
  std::vector<Member> members;
  exact = false;
  if (size < 4 || size > 0x7FFFFFFF) return members;
  arc::ArcState st;
  st.m_nArcInSize = static_cast<std::int32_t>(size);
  arc::ZipBitReader r(st, data);
  const std::int64_t length = static_cast<std::int64_t>(size);
  std::int64_t pos = data[2] == 3 ? 0 : 4;  // a spanned archive's marker comes first
  for (std::int64_t i = 0; i < pos; ++i) r.GetByte();
  for (;;) {
    arc::ZipHeader h;
    try {
      h.Read(r);
    } catch (...) {
      return members;
    }
    if (h.signature != arc::kZipLocalSig) {
      exact = true;  // no local header here: the listing ends too
      return members;
    }
    if (!h.complete) {
      exact = h.raw.size() < 30;  // a fixed part cut off by the end is no member
      return members;
    }
    const std::int64_t c = h.compressedSize, o = h.uncompressedSize;
    if (c >= 0x80000000LL || o >= 0x80000000LL) {
      exact = true;  // the listing ends at a size with its top bit set
      return members;
    }
    const std::int64_t extra = h.raw[28] | h.raw[29] << 8;
    const std::int64_t end = r.Tell() + c;
    if (end > length) return members;
    // No sizes: regular only when the next header follows the name at once,
    // within the 3000 bytes the listing reads at the header.
    if (c == 0 && o == 0 &&
        (extra != 0 || end + 2 > length || end + 2 > pos + 3000 || data[end] != 'P' || data[end + 1] != 'K'))
      return members;
    if (!PlainDate(h.time)) return members;
    Member m;
    m.compressed = c;
    m.original = o;
    m.name = h.name.substr(0, 999);
    for (char& ch : m.name)
      if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    m.name = RightTrim(m.name);
    m.date = DateOf(h.time);
    members.push_back(m);
    pos = end;
    if (pos >= length - 20) {
      exact = true;
      return members;
    }
    if (pos + 4 <= length && std::memcmp(data + pos, "PK\x01\x02", 4) == 0) {
      exact = true;
      return members;
    }
    if (pos + 4 > length || std::memcmp(data + pos, "PK\x03\x04", 4) != 0) return members;
    for (std::int64_t skip = r.Tell(); skip < pos; ++skip) r.GetByte();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int64_t outdata = 200 + data[0] * 40;
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  convert::MemorySource file(bytes.data(), bytes.size());
  convert::LoadBuffer out;
  convert::ListZipArchive(file, outdata, out);
  const std::string text(out.Data(), out.Size());
  if (out.Size() > out.Capacity() || std::strlen(out.Data()) > out.Size()) Fail();

  static const std::string kHead =
      "ZIP File\r\n      compressed     original  ratio     date   time    file name\r\n"
      "     --------------------------------------------------------------------\r\n";
  static const std::string kRule = "\r\n     --------------------------------------------------------------------\r\n";
  if (text.compare(0, kHead.size(), kHead) != 0) Fail();
  std::size_t rule = text.rfind(kRule.substr(2));
  if (rule == std::string::npos || rule < kHead.size()) Fail();
  const std::string body = text.substr(kHead.size(), rule - kHead.size());
  const std::string totals = text.substr(rule + kRule.size() - 2);

  // The member lines.
  std::vector<Member> lines;
  std::int64_t sumC = 0, sumO = 0, files = 0;
  for (std::size_t at = 0; at < body.size();) {
    std::size_t end = body.find("\r\n", at);
    if (end == std::string::npos) Fail();
    const std::string line = body.substr(at, end - at);
    at = end + 2;
    if (line.size() < 56 || line.compare(0, 3, "   ") != 0 || line[35] != '%') Fail();
    Member m;
    m.compressed = ParseSize(line.substr(3, 13));
    m.original = ParseSize(line.substr(16, 13));
    if (std::stoll(line.substr(31, 4)) != (convert::ListingRatio(m.compressed, m.original) & 0xFF)) Fail();
    m.date = line.substr(39, 14);
    m.name = RightTrim(line.substr(56));
    sumC += m.compressed;
    sumO += m.original;
    if (m.compressed > 0) ++files;
    lines.push_back(m);
  }
  // The totals: the sums, their ratio, the files with data.
  if (totals.size() < 56 || totals.compare(0, 3, "   ") != 0) Fail();
  if (sumC < 100000000000LL && sumO < 100000000000LL) {
    if (ParseSize(totals.substr(3, 13)) != sumC || ParseSize(totals.substr(16, 13)) != sumO) Fail();
    const std::size_t percent = totals.find('%', 29);
    if (percent == std::string::npos || std::stoll(totals.substr(29, percent - 29)) != convert::ListingRatio(sumC, sumO))
      Fail();
    if (totals.substr(percent + 1) != std::string(20, ' ') + std::to_string(files) + " files Total") Fail();
  }
  // Against the reader's walk.
  bool exact = false;
  const std::vector<Member> model = ReaderWalk(bytes.data(), bytes.size(), exact);
  const bool stopped = static_cast<std::int64_t>(kHead.size() + body.size()) >= outdata;
  for (std::size_t i = 0; i < lines.size() && i < model.size(); ++i) {
    const Member &a = lines[i], &b = model[i];
    if (a.compressed != b.compressed || a.original != b.original || a.name != b.name || a.date != b.date) Fail();
  }
  if (lines.size() < model.size() && !stopped) Fail();
  if (exact && lines.size() > model.size()) Fail();
  // A member line is bounded by its 999-byte name.
  if (static_cast<std::int64_t>(out.Size()) > outdata + 1200 + 400) Fail();
  return 0;
}
