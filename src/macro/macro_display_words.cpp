#include "macro/macro_display_words.h"

#include <climits>
#include <string>

#include "fw/sjis.h"
#include "macro/macro_number.h"

namespace macro {

namespace {

constexpr std::size_t kNone = std::string::npos;

bool Has(const std::string& s, const char* word) { return s.find(word) != kNone; }

// The byte right after the first `word` of `s`, or -1 when `word` is absent
// or ends the text.
int ByteAfter(const std::string& s, const char* word, std::size_t skip = 0) {
  const std::size_t at = s.find(word);
  if (at == kNone) return -1;
  const std::size_t next = at + std::char_traits<char>::length(word) + skip;
  return next < s.size() ? static_cast<unsigned char>(s[next]) : -1;
}

// "split" and its bytes: '2' gives 1 (and a further 'V' 2, 'Q' 3), '4' 9,
// any other byte 11.
int LayoutCodeOf(const std::string& s) {
  const int first = ByteAfter(s, "split");
  if (first < 0) return kLayoutNone;
  if (first == '4') return 9;
  if (first != '2') return 11;
  const int second = ByteAfter(s, "split", 1);
  if (second == 'V') return 2;
  if (second == 'Q') return 3;
  return 1;
}

const char* const kSysParaNameText[kSysParaNames] = {
    "filevol", "textvol", "csvline", "csvclmn", "xlsitem", "xlsline", "xlschar",
    "texttab", "listmax", "fldrmax", "bkcolor", "zerodiv", "qnodisp", "rtfdisp",
};

constexpr std::int64_t kMegabyte = 1048576;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

int MacroHandOverPane(char byte) {
  switch (byte) {
    case '1': return 3;
    case '3': return 1;
    case '2': return 2;
    case '4': return 4;
    default: return 1;
  }
}

DisplayWords MacroReadDisplayWords(const CString& operand, char letter) {
  const std::string& s = operand.Str();
  DisplayWords w;
  w.layoutCode = LayoutCodeOf(s);
  const int paneByte = ByteAfter(s, "text");
  w.handOver = paneByte >= 0;
  if (w.handOver) w.handOverPane = MacroHandOverPane(static_cast<char>(paneByte));
  w.title = Has(s, "title");
  w.ruled = Has(s, "disprtf") || letter == 'r';
  w.plain = Has(s, "disptxt") || letter == 't';
  const int digit = ByteAfter(s, "csize", 1);
  if (digit >= '0' && digit <= '9') w.columnSizeDigit = digit - '0';
  w.quoteOff = Has(s, "quoteoff");
  w.quoteOn = Has(s, "quoteon");
  w.fullToolbar = Has(s, "full tbar");
  w.fileList = Has(s, "file list");
  w.fullList = Has(s, "full list");
  w.noList = Has(s, "no list");
  w.noMenu = Has(s, "no menu");
  w.noToolbar = Has(s, "no tbar");
  w.selToolbar = Has(s, "sel tbar");
  return w;
}

StatusWords MacroReadStatusWords(const CString& operand) {
  const std::string& s = operand.Str();
  StatusWords w;
  // The later keyword of this order wins.
  if (Has(s, "status off")) w.statusMode = 2;
  if (Has(s, "status line")) w.statusMode = 1;
  if (Has(s, "status on")) w.statusMode = 0;
  if (Has(s, "status set")) {
    w.statusMode = 3;
    w.showSet = true;
  }
  w.title = Has(s, "title");
  return w;
}

const char* MacroSysParaName(int k) { return k >= 0 && k < kSysParaNames ? kSysParaNameText[k] : ""; }

SysParaReading MacroReadSysPara(const CString& operand) {
  const std::string& s = operand.Str();
  SysParaReading r;
  for (int k = 0; k < kSysParaNames; ++k) {
    const std::size_t at = s.find(kSysParaNameText[k]);
    if (at == kNone) continue;
    r.found[k] = true;
    const std::string t = s.substr(at);
    std::int64_t v = MacroReadNumber(CString(t.data(), static_cast<int>(t.size())), 0);
    if (k == kFilevol || k == kTextvol) {
      // Megabytes in bytes: computed in 64 bits, held at INT_MAX (4,096 MB
      // and more would wrap in 32 bits).
      v *= kMegabyte;
      if (v > INT_MAX) v = INT_MAX;
    } else if (k == kZerodiv) {
      const std::size_t minus = t.find('-');
      if (minus != kNone && minus > 6) v = -v;
    }
    r.value[k] = static_cast<std::int32_t>(v);
  }
  return r;
}

CString MacroNormaliseBackslashes(const CString& operand) {
  const std::string& s = operand.Str();
  // A network name keeps exactly its two leading backslashes, whether it
  // was written with two or with doubled ones.
  std::size_t i = 0;
  const bool network = s.size() >= 2 && s[0] == '\\' && s[1] == '\\';
  std::string out;
  out.reserve(s.size() + 1);
  if (network) {
    out = "\\\\";
    while (i < s.size() && s[i] == '\\') ++i;
  }
  for (; i < s.size(); ++i) {
    out += s[i];
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
        IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
      // A double-byte character whose second byte is 0x5C ("表", "ソ") is
      // no backslash: copied whole, so the separator after it stays.
      out += s[++i];
      continue;
    }
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') ++i;  // the pair becomes one
  }
  return CString(out.c_str(), static_cast<int>(out.size()));
}

}  // namespace macro
