#include "macro/macro_splice.h"

namespace macro {

std::string MacroSpliceMacroText(const char* oldText, std::size_t oldLen, const SpliceRequest& req,
                                 const std::string& inserted, std::size_t* endMark) {
  if (oldText == nullptr) oldLen = 0;
  const std::size_t next = req.nextStmt < oldLen ? req.nextStmt : oldLen;
  const std::size_t line = req.lineStart < next ? req.lineStart : next;
  std::size_t head = next;
  bool labelOnly = false;
  if (req.replaceRest) {
    for (std::size_t i = line; i < next; ++i) {
      if (oldText[i] == '\t') {
        head = i;
        labelOnly = true;
        break;
      }
    }
  }
  std::string out;
  out.reserve(oldLen + inserted.size() + req.headerName.size() + 16);
  for (std::size_t i = 0; i < head; ++i) out += oldText[i] == '\0' ? ' ' : oldText[i];
  // The label keeps a line of its own.
  if (labelOnly && head > line) out += "\r\n";
  if (!req.headerName.empty()) {
    out += "\n\n";
    out += req.headerName;
    out += "\t\n";
  }
  for (char c : inserted) out += c == '\0' ? ' ' : c;
  if (inserted.size() < 2 || inserted.compare(inserted.size() - 2, 2, "\r\n") != 0) out += "\r\n";
  std::size_t mark = 0;
  if (req.replaceRest) {
    out += "\tEy\r\n";
    mark = out.size();
  }
  for (std::size_t i = next; i < oldLen; ++i) out += oldText[i] == '\0' ? ' ' : oldText[i];
  if (endMark != nullptr) *endMark = mark;
  return out;
}

}  // namespace macro
