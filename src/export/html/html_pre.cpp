#include "export/html/html_pre.h"

namespace htmlexport {

void AppendPreLines(const char* text, std::uint32_t from, std::uint32_t to, exportcore::ByteWriter& out) {
  if (from >= to) return;
  enum class Hidden { kNone, kToCaret, kToColon };
  out.Append("<pre>");
  Hidden hidden = Hidden::kNone;
  bool lineStart = true;
  std::uint32_t i = from;
  while (i < to && text[i] != '\0') {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      i += (c == '\r' && i + 1 < to && text[i + 1] == '\n') ? 2 : 1;
      out.Append("<br>");
      hidden = Hidden::kNone;
      lineStart = true;
      continue;
    }
    if (lineStart) {
      lineStart = false;
      if (c == '~') {
        ++i;
        continue;
      }
      if (c == '!' && i + 1 < to && (text[i + 1] == '#' || text[i + 1] == '*' || text[i + 1] == '^')) {
        ++i;
        continue;
      }
    }
    const std::size_t k = exportcore::SjisPairLength(text, i, to);
    if (hidden == Hidden::kToCaret) {
      if (k == 1 && c == '^') hidden = Hidden::kNone;
    } else if (hidden == Hidden::kToColon) {
      if (k == 1 && c == ':') hidden = Hidden::kNone;
    } else if (k == 2) {
      out.Append(text + i, 2);
    } else if (c == '^') {
      hidden = Hidden::kToCaret;
    } else if (c == 'X' && i + 1 < to && text[i + 1] == 'L') {
      hidden = Hidden::kToColon;
      ++i;
    } else if (c == '\x06' || c == '\t') {
      out.AppendByte('\t');
    } else {
      out.AppendByte(c);
    }
    i += static_cast<std::uint32_t>(k);
  }
  out.Append("</pre>\r\n");
}

}  // namespace htmlexport
