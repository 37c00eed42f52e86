// The text of another macro file spliced into the running macro's command
// text ("loadmacro", its 'r' form, and "loadsub").
#pragma once

#include <cstddef>
#include <string>

namespace macro {

struct SpliceRequest {
  // "loadmacro" and 'r': the statement's line keeps only its label (the
  // bytes before its first TAB), and an end statement ("\tEy\r\n") follows
  // the inserted text.
  bool replaceRest = false;
  // "loadsub" of a template (':' and a name): a header line of two LFs, the
  // name, TAB and LF comes before the text. Empty: none.
  std::string headerName;
  std::size_t lineStart = 0;  // where the statement's line begins
  std::size_t nextStmt = 0;   // where the next statement begins
};

// The new command text: the old text up to the next statement (NUL bytes
// as blanks; with replaceRest the statement's line cut to its label and a
// line end), the header, `inserted` ending in CR LF, the end statement, and
// the rest of the old text. *endMark (when given) is the offset just after
// the end statement (0 without one). Offsets past `oldLen` count as
// `oldLen`; a lineStart past nextStmt counts as nextStmt.
std::string MacroSpliceMacroText(const char* oldText, std::size_t oldLen, const SpliceRequest& req,
                                 const std::string& inserted, std::size_t* endMark);

}  // namespace macro
