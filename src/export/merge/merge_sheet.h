// One worksheet of a merge: the template sheet's XML walked once as bytes,
// its rows renumbered and its cell values replaced by the fields of one
// table block (fields separated by 0x06, lines ended by CR LF). Everything
// else of the template (styles, widths, merged ranges, page set-up) is
// copied as it stands.
//
// Marks at the start of a block line: "@+" adds a row built like the last
// plainly used template row; "@-N" (N of one or two digits, default 1, with
// an optional ':') drops N template rows and lets the next row take the
// line. A field "@@" keeps the template cell as it is.
#pragma once

#include <cstddef>
#include <string>

#include "export/byte_writer.h"

namespace merge {

// How a package part's text is encoded, from its byte-order mark and
// declaration. A part without a declaration is UTF-8.
enum class PartEncoding { Utf8, ShiftJis, Utf16 };
PartEncoding DetectPartEncoding(const char* data, std::size_t len);

// Whether a field is a number a worksheet's value element accepts.
bool IsCellNumber(const char* field, std::size_t len);

constexpr std::size_t kMaxSheetPartBytes = std::size_t{512} << 20;  // a rewritten sheet's largest size

struct SheetRewriteResult {
  bool ok = false;              // false: a UTF-16 part, or the output could not grow
  bool unsupported = false;     // the part is UTF-16 (the byte walk cannot edit it)
  std::size_t textPos = 0;      // where the block's reading stopped
  long long rows = 0;           // row starts written (the dimension's last row)
};

// Rewrites `part` (the template worksheet, `partLen` bytes) with the block of
// `text` that starts at `textPos`, into `out` (emptied first). Text from the
// table is Shift-JIS; it is converted to UTF-8 unless the part is declared
// Shift-JIS. The part's declaration stays as it is.
SheetRewriteResult RewriteTemplateSheet(const char* part, std::size_t partLen, const char* text, std::size_t textLen,
                                        std::size_t textPos, exportcore::ByteWriter* out);

}  // namespace merge
