#include "convert/csv_preconvert.h"

namespace convert {
namespace {

bool IsLead(std::uint8_t b) { return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC); }

}  // namespace

void PreconvertCsv(const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
  bool quoted = false;
  int commas = 0;  // commas of the current quoted stretch
  bool trail = false;
  for (std::size_t i = 0; i < length; ++i) {
    std::uint8_t b = in[i];
    if (trail) {
      trail = false;
      if (b >= 0x40) {
        out[i] = b;
        continue;
      }
      out[i - 1] = ' ';  // a broken pair: the lead byte goes, this byte is read as itself
    } else if (IsLead(b)) {
      trail = true;
      out[i] = b;
      continue;
    }
    switch (b) {
      case '"':
        quoted = !quoted;
        out[i] = b;
        break;
      case '\t':
        out[i] = '~';
        break;
      case ',':
        if (!quoted) {
          commas = 0;
          out[i] = 0x06;
        } else if (++commas >= kCsvQuotedCommaBreak) {
          if (i > 0) out[i - 1] = '\r';
          out[i] = '\n';
          quoted = false;
          commas = 0;
        } else {
          out[i] = i > 0 && in[i - 1] == '"' ? 0x06 : ',';
        }
        break;
      case '\r':
      case '\n':
        out[i] = quoted ? ':' : b;
        break;
      default:
        out[i] = b;
    }
  }
}

}  // namespace convert
