// The numbered texts the binary Office readers write, and the one line that
// says a reader stopped early on damaged input.
#pragma once

#include "convert/load_buffer.h"
#include "fw/cstring.h"

namespace convert {

enum class ConvertText {
  kEncryptedData,      // string 147: "## 暗号化されたデータがあります ##"
  kUnsupportedFormat,  // string 210: "対応していないフォーマットです。"
  kUnsupportedOffice,  // string 240: "\r\n 対応していないOffice形式です\r\n\r\n"
  kChartOnly,          // string 242: a workbook with no cell value
  kTableItemsOver,     // string 243: "%d" = the "n_tbl" (x100) a workbook needs
  kPdfNoText,          // string 267: a PDF without text the reader could lay out
};

// From the string table when it has the text, else the built-in one.
CString GetConvertText(ConvertText id);

// A reader that stops early because its input is damaged marks it here with
// the name of the stream or record; WriteTo then ends the text with "\r\n",
// string 210 and the name in parentheses, once, however often it was marked.
class DamageNote {
 public:
  void Mark(const char* where) {
    if (!m_where) m_where = where;
  }
  bool Marked() const { return m_where != nullptr; }
  const char* Where() const { return m_where; }
  // Writes the line once (nothing when unmarked or already written).
  void WriteTo(LoadBuffer& out);

 private:
  const char* m_where = nullptr;
  bool m_written = false;
};

}  // namespace convert
