#include "fw/codepage.h"

#include <cstdint>
#include <cstring>

#include "fw/sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace fw {
namespace {

// Characters CP932 has only under another code point, as Japanese text from
// JIS-based sources writes them. Mapped before encoding, so that both
// platforms give the same bytes.
const struct {
  char16_t from, to;
} kEncodeAlternatives[] = {
    {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00A5, 0x005C}, {0x00AC, 0xFFE2},
    {0x2014, 0x2015}, {0x2016, 0x2225}, {0x203E, 0x007E}, {0x2212, 0xFF0D},
    {0x301C, 0xFF5E},
};

bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Kind and length of the CP932 unit at p[0..n): length 1 or 2; `valid` false
// for bytes that start no character.
int UnitAt(const unsigned char* p, std::size_t n, bool& valid) {
  unsigned char c = p[0];
  if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) {
    valid = true;
    return 1;
  }
  if (IsSjisLeadByte(c) && n >= 2 && IsTrailByte(p[1])) {
    valid = true;
    return 2;
  }
  valid = false;
  return 1;
}

#ifdef _WIN32

// Converts all of p[0..n) or nothing; returns the bytes consumed.
std::size_t DecodePlatform(const char* p, std::size_t n, std::u16string& out) {
  if (n == 0) return 0;
  int len = static_cast<int>(n);
  int need = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, p, len, nullptr, 0);
  if (need <= 0) return 0;
  std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(need));
  int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, p, len,
                                reinterpret_cast<wchar_t*>(&out[at]), need);
  if (got != need) {
    out.resize(at);
    return 0;
  }
  return n;
}

// Encodes p[0..n) (no surrogate halves); characters without a code become '?'.
void EncodePlatform(const char16_t* p, std::size_t n, std::string& out) {
  if (n == 0) return;
  int len = static_cast<int>(n);
  const wchar_t* w = reinterpret_cast<const wchar_t*>(p);
  int need = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w, len, nullptr, 0, "?", nullptr);
  if (need <= 0) {
    out.append(n, '?');
    return;
  }
  std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(need));
  int got = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w, len, &out[at], need, "?", nullptr);
  if (got != need) out.resize(at + static_cast<std::size_t>(got > 0 ? got : 0));
}

#else

// One iconv descriptor per direction and thread.
struct Iconv {
  iconv_t cd;
  Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  bool Ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

Iconv& Decoder() {
  thread_local Iconv cd("UTF-16LE", "CP932");
  return cd;
}

Iconv& Encoder() {
  thread_local Iconv cd("CP932", "UTF-16LE");
  return cd;
}

// Converts p[0..n) up to the first character iconv rejects; returns the bytes
// consumed (always a whole number of units). The caller comes back after
// every rejected unit, so one call must cost what it converts, not what is
// left: input goes to iconv in blocks (a checked build inspects all the
// input it is handed) and output comes back through a fixed block.
std::size_t DecodePlatform(const char* p, std::size_t n, std::u16string& out) {
  constexpr std::size_t kBlock = 2048;
  Iconv& cd = Decoder();
  if (!cd.Ok() || n == 0) return 0;
  iconv(cd.cd, nullptr, nullptr, nullptr, nullptr);
  char buf[2 * kBlock + 16];  // a CP932 unit never gives more than 2 bytes per byte
  std::size_t done = 0;
  while (done < n) {
    const std::size_t block = n - done < kBlock ? n - done : kBlock;
    char* in = const_cast<char*>(p + done);
    std::size_t inLeft = block;
    char* o = buf;
    std::size_t oLeft = sizeof buf;
    std::size_t r = iconv(cd.cd, &in, &inLeft, &o, &oLeft);
    const int err = r == static_cast<std::size_t>(-1) ? errno : 0;
    std::size_t bytes = sizeof buf - oLeft;
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
      out += static_cast<char16_t>(static_cast<unsigned char>(buf[i]) |
                                   (static_cast<unsigned char>(buf[i + 1]) << 8));
    }
    const std::size_t used = block - inLeft;
    done += used;
    if (err == 0 || err == E2BIG) continue;
    // A unit cut by the end of the block goes into the next block.
    if (err == EINVAL && done + inLeft < n && used > 0) continue;
    break;  // a rejected unit, or one cut by the end of the input
  }
  return done;
}

// Encodes p[0..n) (no surrogate halves); characters without a code become '?'.
void EncodePlatform(const char16_t* p, std::size_t n, std::string& out) {
  Iconv& cd = Encoder();
  std::string in;
  in.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    in += static_cast<char>(p[i] & 0xFF);
    in += static_cast<char>(p[i] >> 8);
  }
  if (!cd.Ok()) {
    out.append(n, '?');
    return;
  }
  iconv(cd.cd, nullptr, nullptr, nullptr, nullptr);
  char* ip = &in[0];
  std::size_t inLeft = in.size();
  std::string buf(n * 2 + 2, '\0');  // at most 2 bytes per UTF-16 unit
  while (inLeft > 0) {
    char* o = &buf[0];
    std::size_t oLeft = buf.size();
    std::size_t r = iconv(cd.cd, &ip, &inLeft, &o, &oLeft);
    out.append(buf.data(), buf.size() - oLeft);
    if (r == static_cast<std::size_t>(-1) && inLeft > 0) {
      // Rejected character: one '?', skip its unit(s).
      unsigned hi = static_cast<unsigned char>(ip[1]);
      std::size_t skip = (hi >= 0xD8 && hi <= 0xDB && inLeft >= 4) ? 4 : 2;
      out += '?';
      ip += skip;
      inLeft -= skip;
    }
  }
}

#endif

// Decodes a run of valid-looking units; a unit the tables lack becomes the
// default character.
void DecodeRun(const char* p, std::size_t n, std::u16string& out) {
  const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
  bool unitwise = false;
  while (n > 0) {
    if (!unitwise) {
      std::size_t done = DecodePlatform(p, n, out);
      p += done;
      u += done;
      n -= done;
      if (n == 0) break;
#ifdef _WIN32
      unitwise = true;  // all or nothing there: find the bad unit one by one
#endif
    }
    bool valid = false;
    std::size_t len = static_cast<std::size_t>(UnitAt(u, n, valid));
    if (DecodePlatform(p, len, out) != len) out += kCp932Default;
    p += len;
    u += len;
    n -= len;
  }
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// Next code point of UTF-16 text; an unpaired surrogate gives -1.
long NextUtf16(const char16_t* p, std::size_t n, std::size_t& i) {
  char16_t c = p[i++];
  if (c >= 0xD800 && c <= 0xDBFF) {
    if (i < n && p[i] >= 0xDC00 && p[i] <= 0xDFFF) {
      char16_t lo = p[i++];
      return 0x10000 + ((static_cast<long>(c) - 0xD800) << 10) + (lo - 0xDC00);
    }
    return -1;
  }
  if (c >= 0xDC00 && c <= 0xDFFF) return -1;
  return c;
}

// Next code point of UTF-8 text; a bad sequence gives -1 and skips its bytes
// (at least one, never past n). Overlong forms and surrogates are bad.
long NextUtf8(const unsigned char* p, std::size_t n, std::size_t& i) {
  unsigned char c = p[i++];
  if (c < 0x80) return c;
  int more;
  long cp;
  long min;
  if (c >= 0xC2 && c <= 0xDF) {
    more = 1; cp = c & 0x1F; min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    more = 2; cp = c & 0x0F; min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    more = 3; cp = c & 0x07; min = 0x10000;
  } else {
    return -1;
  }
  for (int k = 0; k < more; ++k) {
    if (i >= n || (p[i] & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (p[i++] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  return cp;
}

}  // namespace

std::u16string Cp932ToUtf16(const char* text, std::size_t len) {
  std::u16string out;
  if (text == nullptr) return out;
  out.reserve(len);
  const unsigned char* u = reinterpret_cast<const unsigned char*>(text);
  std::size_t runStart = 0;
  std::size_t i = 0;
  while (i < len) {
    bool valid = false;
    int n = UnitAt(u + i, len - i, valid);
    if (!valid) {
      DecodeRun(text + runStart, i - runStart, out);
      out += kCp932Default;
      runStart = i + static_cast<std::size_t>(n);
    }
    i += static_cast<std::size_t>(n);
  }
  DecodeRun(text + runStart, len - runStart, out);
  return out;
}

std::string Utf16ToCp932(const char16_t* text, std::size_t len) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(len * 2);
  std::u16string run;
  std::size_t i = 0;
  while (i < len) {
    long c = NextUtf16(text, len, i);
    if (c < 0 || c > 0xFFFF) {
      // No CP932 character lies outside the BMP.
      EncodePlatform(run.data(), run.size(), out);
      run.clear();
      out += '?';
      continue;
    }
    char16_t ch = static_cast<char16_t>(c);
    for (const auto& alt : kEncodeAlternatives) {
      if (alt.from == ch) ch = alt.to;
    }
    run += ch;
  }
  EncodePlatform(run.data(), run.size(), out);
  return out;
}

std::string Utf16ToUtf8(const char16_t* text, std::size_t len) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(len * 3);
  std::size_t i = 0;
  while (i < len) {
    long c = NextUtf16(text, len, i);
    AppendUtf8(c < 0 ? kReplacement : static_cast<char32_t>(c), out);
  }
  return out;
}

std::u16string Utf8ToUtf16(const char* text, std::size_t len) {
  std::u16string out;
  if (text == nullptr) return out;
  out.reserve(len);
  const unsigned char* u = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  while (i < len) {
    long c = NextUtf8(u, len, i);
    AppendUtf16(c < 0 ? kReplacement : static_cast<char32_t>(c), out);
  }
  return out;
}

namespace {

// The UTF-8 form of every CP932 unit, asked once from the conversion above
// (so both platforms keep their own tables), for the export of long texts:
// one look-up per unit instead of a platform call per run. A unit whose
// entry is empty (a length of 0) goes the long way.
struct Utf8Units {
  struct Entry {
    char bytes[3];
    unsigned char len;
  };
  Entry single[256];
  Entry pair[60][192];  // lead 0x81-0x9F, 0xE0-0xFC; trail 0x40-0xFF
  bool asciiSame = true;  // 0x00-0x7F map to themselves

  static int Row(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

  static Entry Of(const char* unit, std::size_t n) {
    Entry e{{0, 0, 0}, 0};
    std::string u = Utf16ToUtf8(Cp932ToUtf16(unit, n));
    if (u.size() >= 1 && u.size() <= 3) {
      for (std::size_t i = 0; i < u.size(); ++i) e.bytes[i] = u[i];
      e.len = static_cast<unsigned char>(u.size());
    }
    return e;
  }

  Utf8Units() {
    for (int c = 0; c < 256; ++c) {
      const char b = static_cast<char>(c);
      single[c] = Of(&b, 1);
      if (c < 0x80 && (single[c].len != 1 || single[c].bytes[0] != b)) asciiSame = false;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFF; ++trail) {
        Entry& e = pair[Row(static_cast<unsigned char>(lead))][trail - 0x40];
        e = Entry{{0, 0, 0}, 0};
        if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
        const char unit[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        e = Of(unit, 2);
      }
    }
  }
};

const Utf8Units& Units() {
  static const Utf8Units units;
  return units;
}

}  // namespace

std::string Cp932ToUtf8(const char* text, std::size_t len) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(len + len / 4 + 16);
  AppendCp932AsUtf8(text, len, out);
  return out;
}

void AppendCp932AsUtf8(const char* text, std::size_t len, std::string& out) {
  if (text == nullptr) return;
  const Utf8Units& t = Units();
  if (!t.asciiSame) {
    out += Utf16ToUtf8(Cp932ToUtf16(text, len));
    return;
  }
  const unsigned char* u = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  while (i < len) {
    // A run of ASCII bytes in one copy.
    std::size_t j = i;
    for (std::uint64_t w; j + 8 <= len; j += 8) {
      std::memcpy(&w, u + j, 8);
      if (w & 0x8080808080808080ull) break;
    }
    while (j < len && u[j] < 0x80) ++j;
    if (j > i) {
      out.append(text + i, j - i);
      i = j;
      if (i == len) break;
    }
    // One unit: a pair, a single byte, or a byte that starts nothing.
    const unsigned char c = u[i];
    const Utf8Units::Entry* e;
    std::size_t n = 1;
    if (IsSjisLeadByte(c) && i + 1 < len && IsTrailByte(u[i + 1])) {
      e = &t.pair[Utf8Units::Row(c)][u[i + 1] - 0x40];
      n = 2;
    } else {
      e = &t.single[c];
    }
    if (e->len != 0) {
      out.append(e->bytes, e->len);
    } else {
      out += Utf16ToUtf8(Cp932ToUtf16(text + i, n));
    }
    i += n;
  }
}

std::string Utf8ToCp932(const char* text, std::size_t len) {
  return Utf16ToCp932(Utf8ToUtf16(text, len));
}

}  // namespace fw
