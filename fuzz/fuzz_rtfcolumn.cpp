// The column pass of a ruled table's RTF and its cell scanner over any
// block and arguments. The first bytes pick the command, the column, the
// range, the facts and the output limit; then either the rest is the RTF
// as it stands, or a ruled table (up to 40 columns, both writer forms, with
// or without rule rows) is built from it, so that the 31st boundary is
// reached from any input. Checked: the output stays within its limit, a
// refused pass and an unchanged pass give their input back, the groups
// still balance, and the scanner's offsets and counts stay inside the text
// and its limits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_reader.h"
#include "table/rtfpass/column_pass.h"

namespace {

void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "rtfcolumn: check failed at line %d\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

// '{' less '}', a backslash taking the byte after it.
long long Depth(std::string_view s) {
  long long d = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\') ++i;
    else if (s[i] == '{') ++d;
    else if (s[i] == '}') --d;
  }
  return d;
}

struct Reader : fuzz::ByteReader {
  // Mostly small values near the interesting ones, sometimes any.
  int Small(int mod) {
    const std::uint8_t b = Byte();
    if (b >= 0xFC) return static_cast<int>(Word());
    return b % mod;
  }
};

// A ruled table from the input's bytes: stops, cells in TAB and dotted form.
std::string BuildTable(Reader& in) {
  const bool wine = in.Byte() & 1;
  const bool rules = in.Byte() & 1;
  const int columns = in.Byte() % 41;
  const int rows = 1 + in.Byte() % 4;
  const int width = 1 + in.Byte() % 12;
  std::string s = wine ? "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\\deflang1041{\\fonttbl{\\f0\\fswiss\\fcharset128 x;}}"
                         "{\\colortbl;}{\\*\\generator Wine riched20 2.0;}\r\n"
                       : "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset128 x;}}\n";
  std::string stops = "\\tx0\\tx200";
  long long x = 200;
  for (int j = 0; j < columns && j < 31; ++j) {
    x += 100 + (in.Byte() % 16) * 100;
    stops += "\\tx" + std::to_string(x);
  }
  static const char kHex[] = "0123456789abcdef";
  for (int r = 0; r < rows; ++r) {
    if (rules) {
      s += "\\pard\\sl-20\\slmult0" + stops;
      for (int j = 0; j <= columns && j <= 30; ++j) s += wine ? "\\tab \\highlight1\\fs2  " : "\\tab\\highlight1\\fs2  ";
      s += "\\highlight0\\par\n";
    }
    if (!wine || r == 0 || rules) s += "\\pard\\sl-240\\slmult1" + stops + "\\lang1041\\f0\\fs21 ";
    for (int j = 0; j < columns; ++j) {
      if (j == 0) s += wine ? "\\tab " : "\\tab";
      const std::uint8_t rule = in.Byte();
      if (j >= 30) s += "\\highlight1\\fs2 _\\highlight0\\fs2 _\\fs21 ";
      else if (rule & 1) s += "\\highlight1\\fs2 .\\lang1041\\f0\\highlight0\\fs21 ";
      else s += "\\highlight0\\fs2 __\\fs21 ";
      const int len = in.Byte() % 8;
      for (int k = 0; k < len; ++k) {
        const std::uint8_t b = in.Byte();
        if (b >= 0x80) {
          s += "\\'";
          s += kHex[b >> 4];
          s += kHex[b & 15];
        } else if (b == '\\' || b == '{' || b == '}' || b < 0x20) {
          s += 'a';
        } else {
          s += static_cast<char>(b);
        }
      }
      if (j >= 30) s += std::string(static_cast<std::size_t>(width), ' ') + " ";
      else s += wine ? "\\tab " : "\\tab";
    }
    s += "\\highlight0\\par\n";
  }
  s += "\\pard\\sl-240\\fs21 \\par\n}";
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in{{data, size}};
  static const int kCommands[] = {'E', 'R', 'I', 'i', 'U', 'D', 37, 0};
  table::rtfpass::PassArgs args;
  args.command = kCommands[in.Byte() % 8];
  args.column = in.Small(40);
  args.firstPara = in.Small(4);
  args.endPara = in.Small(5);
  args.count = in.Small(3);
  args.noShift = in.Byte() & 1;
  table::rtfpass::PassFacts facts;
  facts.textSize = in.Small(30);
  facts.atrSplit = in.Small(20) - 1;
  facts.caretOffset = in.Small(16);
  const std::uint8_t limitMode = in.Byte();
  const int scanStart = in.Small(64);
  const int scanLimit = in.Byte() % 12;
  const bool build = in.Byte() & 1;

  std::string built;
  std::string_view rtf;
  if (build) {
    built = BuildTable(in);
    rtf = built;
  } else {
    rtf = std::string_view(reinterpret_cast<const char*>(in.p), in.n);
  }
  std::size_t limit = rtf.size() * 4 + 100000;
  if (limitMode % 4 == 1) limit = rtf.size() + limitMode;
  if (limitMode % 4 == 2) limit = limitMode;

  const table::rtfpass::PassResult r = table::rtfpass::RewriteColumns(rtf, args, facts, limit);
  if (r.error == table::rtfpass::PassError::kNoRoom) {
    Check(!r.changed && r.rtf == rtf);
  } else {
    Check(r.rtf.size() <= limit);
    Check(r.changed == (r.rtf != rtf));
    Check(Depth(r.rtf) == Depth(rtf));
  }

  // The scanner at every "\tab" of the text, and once at any offset.
  auto scan = [&](std::size_t start, int lim) {
    const table::rtfpass::CellScan c = table::rtfpass::RtfScanCellText(rtf, start, lim);
    const std::size_t from = start < rtf.size() ? start : rtf.size();
    Check(c.textStart <= rtf.size());
    Check(from + c.position <= rtf.size());
    Check(c.position <= 3000 + 8 + 4);
    Check(c.count >= 0 && c.count <= 901);
    Check(lim < 1 ? c.count == 0 : c.count <= lim);
  };
  static const int kLimits[] = {0, 1, 2, 3, 4, 9, 9999, -5, 901, 100, 1000, 2};
  scan(static_cast<std::size_t>(scanStart), kLimits[scanLimit % 12]);
  int tabs = 0;
  for (std::size_t at = rtf.find("\\tab"); at != std::string_view::npos && tabs < 12; at = rtf.find("\\tab", at + 1), ++tabs)
    scan(at + 1, kLimits[(scanLimit + tabs) % 12]);
  return 0;
}
