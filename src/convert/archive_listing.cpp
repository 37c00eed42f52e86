#include "convert/archive_listing.h"

#include <cinttypes>
#include <string>
#include <vector>

namespace convert {
namespace {

using Window = std::vector<std::uint8_t>;

// How the walks read and lay out (bytes).
constexpr std::size_t kZipWindow = 3000;      // read at each ZIP header
constexpr std::size_t kZipNextSearch = 200;   // where the next header is looked for
constexpr std::int64_t kZipWindowStep = 2000; // descriptor search moves on by this
constexpr std::int64_t kZipTail = 20;         // a header this near the end is not read
constexpr std::size_t kZipNameMax = 999;
constexpr std::int64_t kZipDescriptorSlack = 80;
constexpr std::size_t kZipLocalHeader = 30;
constexpr std::size_t kZipDescriptor = 16;
constexpr std::size_t kLzhWindow = 512;       // read at each LZH header
constexpr std::size_t kLzhMethodFirst = 2;    // the method text is looked for here...
constexpr std::size_t kLzhMethodLast = 51;    // ...to here
constexpr std::size_t kLzhNameColumn = 22;    // a name part is padded to this

constexpr char kZipTitle[] =
    "ZIP File\r\n      compressed     original  ratio     date   time    file name\r\n";
constexpr char kZipRule[] = "     --------------------------------------------------------------------\r\n";
constexpr char kLzhTitle[] = "LZH File\r\n\t compressed\t   original\tratio\t\t   file name  / dir\r\n";
constexpr char kLzhRule[] = "\t----------------------------------------------------------------------\r\n";

bool Has(const Window& w, std::size_t at, std::size_t n) { return at <= w.size() && n <= w.size() - at; }

std::uint32_t Le16(const Window& w, std::size_t at) { return w[at] | static_cast<std::uint32_t>(w[at + 1]) << 8; }

std::int32_t LeS32(const Window& w, std::size_t at) {
  std::uint32_t v = Le16(w, at) | Le16(w, at + 2) << 16;
  return static_cast<std::int32_t>(v);
}

bool IsSig(const Window& w, std::size_t at, char a, char b, int c, int d) {
  return Has(w, at, 4) && w[at] == static_cast<std::uint8_t>(a) && w[at + 1] == static_cast<std::uint8_t>(b) &&
         w[at + 2] == c && w[at + 3] == d;
}

bool IsPkOrSd(const Window& w, std::size_t at) {
  return Has(w, at, 2) && ((w[at] == 'P' && w[at + 1] == 'K') || (w[at] == 'S' && w[at + 1] == 'D'));
}

// A size column: three groups above a million, two above a thousand (both
// strictly), else a plain number; always 13 characters wide.
void PutSize(LoadBuffer& out, std::int64_t v, const char* lead) {
  if (v > 1000000) {
    out.Printf("%s%5" PRId64 ",%03" PRId64 ",%03" PRId64, lead, v / 1000000, v / 1000 % 1000, v % 1000);
  } else if (v > 1000) {
    out.Printf("%s%9" PRId64 ",%03" PRId64, lead, v / 1000, v % 1000);
  } else {
    out.Printf("%s%13" PRId64, lead, v);
  }
}

struct ZipStamp {
  int year, month, day, hour, minute;
};

// DOS date and time; a year past 2037 (or not past 1970) shows as the start
// of 1970 at 09:00, other fields out of range as their first value.
ZipStamp StampOf(std::uint32_t date, std::uint32_t time) {
  ZipStamp s{1980 + static_cast<int>(date >> 9), static_cast<int>(date >> 5 & 15), static_cast<int>(date & 31),
             static_cast<int>(time >> 11), static_cast<int>(time >> 5 & 63)};
  if (s.year > 2037 || s.year <= 1970) return ZipStamp{1970, 1, 1, 9, 0};
  if (s.month < 1 || s.month > 12) s.month = 1;
  if (s.day < 1 || s.day > 31) s.day = 1;
  if (s.hour > 24) s.hour = 0;
  if (s.minute > 60) s.minute = 0;
  return s;
}

// Looks for the data descriptor of a member whose local header gives no
// sizes: "PK 07 08" (or "SD 07 08") with the next "PK" 16 bytes on, no
// further from the data start than its compressed size allows. `w` holds the
// window at `windowStart`; the search starts at `from` in it.
bool FindDescriptor(SourceFile& file, Window& w, std::int64_t windowStart, std::size_t from,
                    std::int64_t dataStart, std::int32_t& compressed, std::int32_t& original) {
  const std::int64_t length = file.Length();
  for (;;) {
    for (std::size_t k = from; Has(w, k, kZipDescriptor + 2); ++k) {
      if (!IsPkOrSd(w, k) || w[k + 2] != 7 || w[k + 3] != 8) continue;
      if (w[k + kZipDescriptor] != 'P' || w[k + kZipDescriptor + 1] != 'K') continue;
      std::int32_t c = LeS32(w, k + 8);
      if (c > 0 && windowStart + static_cast<std::int64_t>(k) - dataStart <= c + kZipDescriptorSlack) {
        compressed = c;
        original = LeS32(w, k + 12);
        return true;
      }
    }
    windowStart += kZipWindowStep;
    if (windowStart >= length - kZipTail) return false;
    ReadWindow(file, windowStart, kZipWindow, w);
    from = 0;
  }
}

void PutName(LoadBuffer& out, const Window& w, std::size_t at, std::size_t n) {
  std::string name(w.begin() + static_cast<std::ptrdiff_t>(at), w.begin() + static_cast<std::ptrdiff_t>(at + n));
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  out.Append(name.data(), name.size());
}

// An LZH name part, with 0xFF (the format's folder separator) shown as "\".
void PutLzhPart(LoadBuffer& out, const Window& w, std::size_t at, std::size_t n) {
  std::string part(w.begin() + static_cast<std::ptrdiff_t>(at), w.begin() + static_cast<std::ptrdiff_t>(at + n));
  for (char& c : part) {
    if (static_cast<unsigned char>(c) == 0xFF) c = '\\';
  }
  out.Append(part.data(), part.size());
}

// Writes a name part padded to its column, " / " and the folder part.
void PutLzhFolder(LoadBuffer& out, std::size_t partLength, const Window& w, std::size_t at, std::size_t n) {
  if (partLength < kLzhNameColumn) out.Fill(' ', kLzhNameColumn - partLength);
  out.Append(" / ");
  PutLzhPart(out, w, at, n);
}

// Level 2: the extended headers hold the file name (type 1) and the folder
// (type 2) wherever they stand in the chain; the first one is usually the
// header's own CRC (type 0). Each gives its size in 16 bits, its type, its
// data; a size of 0 ends the chain.
void PutLzhLevel2Name(LoadBuffer& out, const Window& w, std::size_t m) {
  std::size_t nameAt = 0, nameLength = 0, folderAt = 0, folderLength = 0;
  bool haveName = false, haveFolder = false;
  for (std::size_t at = m + 22; Has(w, at, 2);) {
    std::size_t size = Le16(w, at);
    if (size < 3 || !Has(w, at + 2, size)) break;
    int type = w[at + 2];
    if (type == 1 && !haveName) {
      haveName = true;
      nameAt = at + 3;
      nameLength = size - 3;
    } else if (type == 2 && !haveFolder) {
      haveFolder = true;
      folderAt = at + 3;
      folderLength = size - 3;
    }
    at += size;
  }
  if (haveName) PutLzhPart(out, w, nameAt, nameLength);
  if (haveFolder) PutLzhFolder(out, haveName ? nameLength : 0, w, folderAt, folderLength);
}

// The bytes of a level-1 member's extended headers, which its packed size
// counts as well as the data: the chain starts with the 16-bit size that ends
// the base header and goes on into the data, each header ending with the
// next one's size; a size of 0 ends it. Only what the window holds is counted.
std::int64_t LzhLevel1Extensions(const Window& w, std::size_t headerEnd, std::int64_t packed) {
  if (headerEnd < 2 || !Has(w, headerEnd - 2, 2)) return 0;
  std::int64_t total = 0;
  std::size_t size = Le16(w, headerEnd - 2);
  std::size_t at = headerEnd;  // where the header of `size` bytes starts
  while (size != 0) {
    if (size < 3 || total + static_cast<std::int64_t>(size) > packed || !Has(w, at, size)) break;
    total += static_cast<std::int64_t>(size);
    at += size;
    size = Le16(w, at - 2);
  }
  return total;
}

// The name of a level 0 or 1 member whose method text starts at `m`: the
// name after its length byte. The three bytes after it are read as an
// extended header's size and type; a type other than 0x41 or 0 pads the name
// to its column and writes " / ", and a type below 9 writes that header's
// data as a folder part. A length byte of 128 or more, or a name running
// past the window, shows no name.
void PutLzhName(LoadBuffer& out, const Window& w, std::size_t m, int level, std::size_t headerEnd) {
  if (level == 2) return PutLzhLevel2Name(out, w, m);
  if (!Has(w, m + 19, 1)) return;
  int size = static_cast<std::int8_t>(w[m + 19]);
  if (size < 0 || !Has(w, m + 20, static_cast<std::size_t>(size))) return;
  const std::size_t at = m + 20, n = static_cast<std::size_t>(size);
  PutLzhPart(out, w, at, n);
  // The three bytes are read only where the header still holds them.
  const std::size_t after = at + n;
  if (!Has(w, after, 3) || after + 3 > headerEnd) return;
  int nextSize = static_cast<std::int8_t>(w[after]);
  int nextType = w[after + 2];
  if (nextType == 0x41 || nextType == 0) return;
  bool folder = nextType < 9 && nextSize >= 3 && Has(w, after + 3, static_cast<std::size_t>(nextSize - 3));
  PutLzhFolder(out, n, w, after + 3, folder ? static_cast<std::size_t>(nextSize - 3) : 0);
}

}  // namespace

std::int64_t ListingRatio(std::int64_t compressed, std::int64_t original) {
  if (original <= 0) return 0;
  if (compressed < 10000000) return compressed * 100 / original;
  if (original > 99) return compressed / (original / 100);
  return 0;
}

bool LooksLikeLzh(const std::uint8_t* head, std::size_t length) {
  return length >= 5 && head[2] == '-' && head[3] == 'l' && head[4] == 'h';
}

void ListZipArchive(SourceFile& file, std::int64_t outdata, LoadBuffer& out) {
  out.Append(kZipTitle);
  out.Append(kZipRule);
  const std::int64_t length = file.Length();
  Window w;
  ReadWindow(file, 0, 4, w);
  // A spanned archive starts "PK00" before its first local header.
  std::int64_t pos = Has(w, 2, 1) && w[2] == 3 ? 0 : 4;
  std::int64_t sumCompressed = 0, sumOriginal = 0, members = 0;
  for (;;) {
    ReadWindow(file, pos, kZipWindow, w);
    if (!Has(w, 0, kZipLocalHeader) || !IsSig(w, 0, 'P', 'K', 3, 4)) break;
    ZipStamp stamp = StampOf(Le16(w, 12), Le16(w, 10));
    std::int32_t compressed = LeS32(w, 18);
    std::int32_t original = LeS32(w, 22);
    const std::size_t nameLength = Le16(w, 26);
    std::int64_t extraLength = Le16(w, 28);
    const std::size_t nameEnd = kZipLocalHeader + nameLength;
    Window header;  // the name's window; a descriptor search moves `w` on
    std::size_t shown = nameLength < kZipNameMax ? nameLength : kZipNameMax;
    if (!Has(w, kZipLocalHeader, shown)) shown = w.size() - kZipLocalHeader;
    header.assign(w.begin() + kZipLocalHeader, w.begin() + static_cast<std::ptrdiff_t>(kZipLocalHeader + shown));
    if (compressed == 0 && original == 0 && !IsPkOrSd(w, nameEnd)) {
      std::int64_t dataStart = pos + static_cast<std::int64_t>(nameEnd) + extraLength;
      if (!FindDescriptor(file, w, pos, nameEnd, dataStart, compressed, original)) break;
      extraLength += static_cast<std::int64_t>(kZipDescriptor);
    }
    if (compressed < 0 || original < 0) break;
    if (pos + static_cast<std::int64_t>(nameEnd) + compressed <= length) {
      PutSize(out, compressed, "   ");
      PutSize(out, original, "");
      out.Printf("  %4d%%   ", static_cast<int>(static_cast<std::uint8_t>(ListingRatio(compressed, original))));
      out.Printf("%02d/%02d'%02d %02d:%02d   ", stamp.month, stamp.day,
                 stamp.year < 2000 ? stamp.year - 1900 : stamp.year - 2000, stamp.hour, stamp.minute);
      PutName(out, header, 0, header.size());
      out.Append("\r\n");
      sumCompressed += compressed;
      sumOriginal += original;
      if (compressed > 0) ++members;
    }
    pos += static_cast<std::int64_t>(nameEnd) + extraLength + compressed;
    if (pos >= length - kZipTail || static_cast<std::int64_t>(out.Size()) >= outdata) break;
    // The next local header follows the data, perhaps after a descriptor;
    // the central directory ends the members.
    ReadWindow(file, pos, kZipWindow, w);
    std::size_t next = kZipNextSearch;
    bool central = false;
    for (std::size_t k = 0; k < kZipNextSearch && Has(w, k, 4); ++k) {
      if (IsSig(w, k, 'P', 'K', 3, 4)) {
        next = k;
        break;
      }
      if (IsSig(w, k, 'P', 'K', 1, 2)) {
        central = true;
        break;
      }
    }
    if (central) break;
    pos += static_cast<std::int64_t>(next);
    if (pos >= length - kZipTail) break;
  }
  out.Append(kZipRule);
  PutSize(out, sumCompressed, "   ");
  PutSize(out, sumOriginal, "");
  out.Printf("  %4" PRId64 "%%                    %" PRId64 " files Total", ListingRatio(sumCompressed, sumOriginal),
             members);
}

void ListLzhArchive(SourceFile& file, std::int64_t outdata, LoadBuffer& out) {
  out.Append(kLzhTitle);
  out.Append(kLzhRule);
  const std::int64_t length = file.Length();
  std::int64_t sumCompressed = 0, sumOriginal = 0, members = 0;
  std::int64_t pos = 0;
  Window w;
  do {
    ReadWindow(file, pos, kLzhWindow, w);
    std::size_t m = 0;
    for (std::size_t k = kLzhMethodFirst; k <= kLzhMethodLast && Has(w, k, 2); ++k) {
      if (w[k] == '-' && w[k + 1] == 'l') {
        m = k;
        break;
      }
    }
    if (m == 0) {
      m = kLzhMethodLast;
      if (Has(w, 52, 5) && w[56] == '-' && w[52] == '-' && w[53] == 'l' && w[54] == 'h') m = 52;
    }
    if (!Has(w, m, 19)) break;
    const std::int32_t compressed = LeS32(w, m + 5);
    const std::int32_t original = LeS32(w, m + 9);
    const int level = w[m + 18];
    if (compressed < 0 || original < 0) break;
    // The header starts two bytes before its method text; its length is the
    // size byte + 2, or at level 2 the 16-bit size.
    const std::int64_t start = pos + static_cast<std::int64_t>(m) - 2;
    const std::int64_t headerLength = level == 2 ? Le16(w, m - 2) : w[m - 2] + 2;
    const std::int64_t dataEnd = start + headerLength + compressed;
    if (dataEnd <= length) {
      // A level-1 packed size counts the extended headers too; the listing
      // shows the data alone.
      const std::size_t headerEnd = m - 2 + static_cast<std::size_t>(headerLength);
      const std::int64_t shown = level == 1 ? compressed - LzhLevel1Extensions(w, headerEnd, compressed) : compressed;
      out.Printf("\t%11" PRId64 "\t%11d\t%4d%%\t\t", shown, original,
                 static_cast<int>(static_cast<std::uint8_t>(ListingRatio(shown, original))));
      PutLzhName(out, w, m, level, headerEnd);
      out.Append("\r\n");
      sumCompressed += shown;
      sumOriginal += original;
      if (shown > 0) ++members;
    }
    if (dataEnd <= pos) break;  // a header that does not move the walk on
    pos = dataEnd;
  } while (pos > 0 && pos < length && static_cast<std::int64_t>(out.Size()) < outdata);
  out.Append(kLzhRule);
  out.Printf("\t%11" PRId64 "\t%11" PRId64 "\t%4" PRId64 "%%\t\t%" PRId64 " files Total", sumCompressed, sumOriginal,
             ListingRatio(sumCompressed, sumOriginal), members);
}

}  // namespace convert
