// The worksheet rewrite of the merge: one walk over the template's bytes.
#include "export/merge/merge_sheet.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "export/merge/merge_scan.h"
#include "fw/codepage.h"

namespace merge {

namespace {

constexpr char kFieldSep = '\x06';

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(const char* a, std::size_t n, const char* b) {
  if (std::strlen(b) != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// An attribute's value inside a tag: [begin, end) between its quotes, and
// where the attribute's name (with the blank before it) begins.
struct AttrSpan {
  bool found = false;
  std::size_t nameStart = 0;  // the blank before the name
  std::size_t begin = 0;
  std::size_t end = 0;
};

// Finds attribute `name` in tag bytes t[from, to): a blank, the name, '=',
// and a quoted value. Values of other attributes are skipped whole, so a
// name inside a value is never taken.
AttrSpan FindAttr(const char* t, std::size_t from, std::size_t to, const char* name) {
  AttrSpan a;
  const std::size_t nameLen = std::strlen(name);
  std::size_t i = from;
  while (i < to) {
    const char c = t[i];
    if (c == '"' || c == '\'') {
      const char* close = static_cast<const char*>(std::memchr(t + i + 1, c, to - i - 1));
      if (close == nullptr) return a;
      i = static_cast<std::size_t>(close - t) + 1;
      continue;
    }
    if (IsSpace(c) && to - (i + 1) > nameLen + 1 && std::memcmp(t + i + 1, name, nameLen) == 0 &&
        t[i + 1 + nameLen] == '=' && (t[i + 2 + nameLen] == '"' || t[i + 2 + nameLen] == '\'')) {
      const char q = t[i + 2 + nameLen];
      const std::size_t b = i + 3 + nameLen;
      const char* close = static_cast<const char*>(std::memchr(t + b, q, to - b));
      if (close == nullptr) return a;
      a.found = true;
      a.nameStart = i;
      a.begin = b;
      a.end = static_cast<std::size_t>(close - t);
      return a;
    }
    ++i;
  }
  return a;
}

enum class CellValue { Blank, Plain, Inline, Formula };

class SheetWalk {
 public:
  SheetWalk(const char* part, std::size_t partLen, const char* text, std::size_t textLen, std::size_t textPos,
            exportcore::ByteWriter* out, bool sjis)
      : t_(part), tn_(partLen), x_(text), xn_(textLen), xp_(textPos), out_(out), sjis_(sjis) {}

  bool Run();
  std::size_t TextPos() const { return xp_; }
  long long Rows() const { return rows_; }

 private:
  char X(std::size_t i) const { return i < xn_ ? x_[i] : '\0'; }
  bool TextLeft() const { return xp_ < xn_ && x_[xp_] != '\0'; }
  bool Taking() const { return !lineEnded_ && !blockEnd_ && TextLeft(); }
  bool AtBlockHead() const { return X(xp_) == '!' && (X(xp_ + 1) == '*' || X(xp_ + 1) == '#'); }
  bool StartsAt(std::size_t at, const char* s) const {
    const std::size_t n = std::strlen(s);
    return at <= tn_ && tn_ - at >= n && std::memcmp(t_ + at, s, n) == 0;
  }
  std::size_t FindInPart(std::size_t from, const char* s) const;
  bool IsRowTag(std::size_t nameAt) const;
  std::size_t NextRowTag(std::size_t from) const;

  void Head();
  void RowStart();
  void CellStart();
  void MoveBehindLineEnd();
  bool FieldIsKeepMark() const;
  void FixDimension();

  const char* t_;
  std::size_t tn_;
  const char* x_;
  std::size_t xn_;
  std::size_t xp_;
  exportcore::ByteWriter* out_;
  bool sjis_;

  std::size_t in_ = 0;
  long long rows_ = 0;
  std::size_t savedRow_ = 0;  // part position of a row's name (behind its '<'); 0 = none
  bool lineEnded_ = false;
  bool blockEnd_ = false;
  bool tookField_ = false;  // the current line gave a field
  bool haveDim_ = false;
  std::size_t dimPos_ = 0;  // output position behind the dimension's ':'
};

std::size_t SheetWalk::FindInPart(std::size_t from, const char* s) const {
  const std::size_t n = std::strlen(s);
  for (std::size_t i = from; i < tn_ && tn_ - i >= n; ++i)
    if (t_[i] == s[0] && std::memcmp(t_ + i, s, n) == 0) return i;
  return tn_;
}

// Whether the name at `nameAt` (behind a '<') is exactly "row".
bool SheetWalk::IsRowTag(std::size_t nameAt) const {
  if (!StartsAt(nameAt, "row") || nameAt + 3 >= tn_) return false;
  const char c = t_[nameAt + 3];
  return IsSpace(c) || c == '>' || c == '/';
}

// The name position of the next row tag from `from` within the sheet data,
// or tn_ when the sheet data ends first.
std::size_t SheetWalk::NextRowTag(std::size_t from) const {
  const std::size_t dataEnd = FindInPart(from, "</sheetData>");
  for (std::size_t f = FindInPart(from, "<row"); f < dataEnd; f = FindInPart(f + 4, "<row"))
    if (IsRowTag(f + 1)) return f + 1;
  return tn_;
}

void SheetWalk::Head() {
  constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
  // Up to the dimension or the sheet views; a part with neither is walked
  // from its start.
  const std::size_t in0 = in_;
  const std::size_t out0 = out_->Size();
  const int r = ScanCopyToPattern(t_, &in_, tn_, out_, kNoLimit, "<dimension ref=\"", "<dimension ref=\"",
                                  "<sheetViews>");
  if (r == kScanNone) {
    out_->Truncate(out0);
    in_ = in0;
    return;
  }
  if (r == kScanFirst) {
    // The reference up to the tag's end: the row part behind ':' is
    // rewritten after the walk; a quote directly before "/>" gets a blank.
    while (in_ < tn_ && t_[in_] != '>') {
      const char c = t_[in_++];
      out_->AppendByte(c);
      if (c == ':' && !haveDim_) {
        haveDim_ = true;
        dimPos_ = out_->Size();
      } else if (c == '"' && StartsAt(in_, "/>")) {
        out_->AppendByte(' ');
      }
    }
  }
  // The selected tab of the template is no longer selected.
  const std::size_t in1 = in_;
  const std::size_t out1 = out_->Size();
  if (ScanCopyToPattern(t_, &in_, tn_, out_, kNoLimit, "tabSelected=\"1\"", "tabSelected=\"0\"",
                        "</sheetViews>") == kScanNone) {
    out_->Truncate(out1);
    in_ = in1;
  }
}

void SheetWalk::MoveBehindLineEnd() {
  while (xp_ < xn_ && x_[xp_] != '\0' && x_[xp_] != '\n') ++xp_;
  if (X(xp_) == '\n') ++xp_;
}

bool SheetWalk::FieldIsKeepMark() const {
  if (X(xp_) != '@' || X(xp_ + 1) != '@') return false;
  const char after = X(xp_ + 2);
  return after == kFieldSep || after == '\r' || after == '\n' || after == '\0';
}

// At '<' + "row": the row counter, the marks of the line, the renumbered tag.
void SheetWalk::RowStart() {
  ++rows_;
  if (!blockEnd_) {
    // The line of this row starts behind the previous row's line; fields
    // that row had no cell for are passed over. A block head there (also
    // at the first row: an empty block) ends the block.
    if (rows_ > 1 && !lineEnded_ && TextLeft()) MoveBehindLineEnd();
    if (AtBlockHead()) blockEnd_ = true;
  }
  // Marks are taken at rows of the sheet data only: another element whose
  // name begins with "row" (the page breaks) counts but never repeats or
  // drops rows, which would copy or pass over the markup between them.
  bool used = true;
  if (!blockEnd_ && TextLeft() && IsRowTag(in_)) {
    if (X(xp_) == '@' && X(xp_ + 1) == '+' && savedRow_ != 0) {
      // A row built like the last plainly used one; this row comes later.
      xp_ += 2;
      in_ = savedRow_;
      used = false;
    } else if (X(xp_) == '@' && X(xp_ + 1) == '-') {
      std::size_t q = xp_ + 2;
      int n = 0;
      int digits = 0;
      while (digits < 2 && IsDigit(X(q))) {
        n = n * 10 + (X(q) - '0');
        ++q;
        ++digits;
      }
      if (digits == 0) n = 1;
      if (X(q) == ':') ++q;
      xp_ = q;
      // The n rows after this one: the last of them takes the line.
      std::size_t at = in_ + 3;
      std::size_t found = 0;
      int got = 0;
      while (got < n) {
        const std::size_t f = NextRowTag(at);
        if (f >= tn_) break;
        found = f;
        at = f + 3;
        ++got;
      }
      if (got == n && n > 0) in_ = found;
    }
  }
  if (used && IsRowTag(in_)) savedRow_ = in_;
  // The name, then the tag with its r attribute renumbered.
  out_->Append(t_ + in_, 3);
  in_ += 3;
  lineEnded_ = false;
  tookField_ = false;
  std::size_t end = in_;
  while (end < tn_ && t_[end] != '>') ++end;
  const AttrSpan r = FindAttr(t_, in_, end, "r");
  if (r.found && r.begin < r.end && IsDigit(t_[r.begin])) {
    out_->Append(t_ + in_, r.begin - in_);
    out_->AppendDecimal(rows_);
    in_ = r.end;
  }
}

void SheetWalk::CellStart() {
  // "c" and the blank after it.
  out_->Append(t_ + in_, 2);
  in_ += 2;
  if (!lineEnded_ && !blockEnd_ && (X(xp_) == '\r' || X(xp_) == '\n')) {
    // An empty line: this row takes no fields.
    ++xp_;
    if (X(xp_) == '\n') ++xp_;
    lineEnded_ = true;
  }
  const bool taking = Taking();
  const bool keep = taking && FieldIsKeepMark();

  std::size_t end = in_;
  while (end < tn_ && t_[end] != '>') ++end;
  if (end >= tn_) return;  // a cut tag: the rest is copied as it stands
  const bool selfClosed = end > in_ && t_[end - 1] == '/';
  const std::size_t attrEnd = selfClosed ? end - 1 : end;
  // From the blank behind "c", so the first attribute is found too.
  const AttrSpan ref = FindAttr(t_, in_ - 1, attrEnd, "r");
  const AttrSpan type = FindAttr(t_, in_ - 1, attrEnd, "t");

  // The field of this cell, control bytes left out.
  std::string field;
  std::size_t fieldEnd = xp_;
  if (taking && !keep) {
    while (fieldEnd < xn_ && x_[fieldEnd] != '\0' && x_[fieldEnd] != kFieldSep && x_[fieldEnd] != '\n') {
      if (static_cast<unsigned char>(x_[fieldEnd]) >= 0x20) field.push_back(x_[fieldEnd]);
      ++fieldEnd;
    }
  }

  CellValue kind = CellValue::Blank;
  const char* newType = nullptr;  // nullptr: the attribute goes (or stays absent)
  bool keepType = false;
  const char* tv = type.found ? t_ + type.begin : "";
  const std::size_t tvLen = type.found ? type.end - type.begin : 0;
  if (keep) {
    keepType = true;
  } else if (field.empty()) {
    kind = CellValue::Blank;
  } else if (field[0] == '=') {
    kind = CellValue::Formula;
  } else if (EqualsNoCase(tv, tvLen, "s") || EqualsNoCase(tv, tvLen, "inlineStr")) {
    kind = CellValue::Inline;
    newType = "inlineStr";
  } else if (EqualsNoCase(tv, tvLen, "str") || IsCellNumber(field.data(), field.size())) {
    kind = CellValue::Plain;
    keepType = true;
  } else {
    // Text into a number, boolean, error or untyped cell: an inline string.
    kind = CellValue::Inline;
    newType = "inlineStr";
  }

  // The tag: its reference's row part and its type.
  std::size_t i = in_;
  auto copyTo = [&](std::size_t to) {
    if (to > i) {
      out_->Append(t_ + i, to - i);
      i = to;
    }
  };
  auto writeType = [&]() {
    out_->Append(" t=\"");
    out_->Append(newType);
    out_->AppendByte('"');
  };
  const bool refFirst = !type.found || (ref.found && ref.begin < type.begin);
  for (int pass = 0; pass < 2; ++pass) {
    const bool doRef = (pass == 0) == refFirst;
    if (doRef) {
      if (!ref.found) continue;
      std::size_t letters = 0;
      while (letters < 3 && ref.begin + letters < ref.end && IsUpper(t_[ref.begin + letters])) ++letters;
      if (letters == 0) continue;
      copyTo(ref.begin + letters);
      out_->AppendDecimal(rows_);
      i = ref.end;
    } else {
      if (!type.found || keepType) continue;
      copyTo(type.nameStart);
      if (newType != nullptr) writeType();
      i = type.end + 1;  // behind the closing quote
    }
  }
  copyTo(attrEnd);
  if (!type.found && newType != nullptr) writeType();

  if (keep) {
    // The template cell as it stands, through its end.
    copyTo(end + 1);
    if (!selfClosed) {
      const std::size_t close = FindInPart(in_, "</c>");
      i = close < tn_ ? close + 4 : tn_;
      out_->Append(t_ + end + 1, i - end - 1);
    }
    in_ = i;
    xp_ += 2;
    if (X(xp_) == kFieldSep) ++xp_;
    tookField_ = true;
    return;
  }
  out_->AppendByte('>');
  if (kind != CellValue::Blank) {
    const char* open = kind == CellValue::Inline ? "<is><t>" : kind == CellValue::Formula ? "<f>" : "<v>";
    const char* close = kind == CellValue::Inline ? "</t></is>" : kind == CellValue::Formula ? "</f>" : "</v>";
    std::string escaped;
    escaped.reserve(field.size());
    for (char c : field) {
      switch (c) {
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped.push_back(c);
      }
    }
    out_->Append(open);
    if (sjis_) {
      out_->Append(escaped.data(), escaped.size());
    } else {
      const std::string utf8 = fw::Cp932ToUtf8(escaped);
      out_->Append(utf8.data(), utf8.size());
    }
    out_->Append(close);
  }
  if (taking) {
    // Past the field and its end; a line break behind a trailing separator
    // ends the line too.
    xp_ = fieldEnd;
    tookField_ = true;
    if (X(xp_) == '\n') {
      ++xp_;
      lineEnded_ = true;
    } else if (X(xp_) == kFieldSep) {
      ++xp_;
      if (X(xp_) == '\r' || X(xp_) == '\n') {
        if (X(xp_) == '\r') ++xp_;
        if (X(xp_) == '\n') ++xp_;
        lineEnded_ = true;
      }
    }
  }
  // The old content is passed over.
  if (selfClosed) {
    in_ = end + 1;
  } else {
    const std::size_t closeAt = FindInPart(end + 1, "</c>");
    in_ = closeAt < tn_ ? closeAt + 4 : tn_;
  }
  out_->Append("</c>");
}

void SheetWalk::FixDimension() {
  if (!haveDim_ || rows_ <= 0 || out_->Failed()) return;
  const char* d = out_->Data();
  const std::size_t n = out_->Size();
  std::size_t j = dimPos_;
  for (int k = 0; k < 10 && j < n && !IsDigit(d[j]) && d[j] != '"' && d[j] != '>'; ++k) ++j;
  std::size_t e = j;
  while (e < n && IsDigit(d[e])) ++e;
  if (e == j) return;
  exportcore::ByteWriter fixed;
  if (!fixed.Reserve(static_cast<std::uint64_t>(n) + 32)) {
    out_->Truncate(0);
    out_->Append("", 0);
    return;
  }
  fixed.Append(d, j);
  fixed.AppendDecimal(rows_);
  fixed.Append(d + e, n - e);
  *out_ = std::move(fixed);
}

bool SheetWalk::Run() {
  Head();
  while (in_ < tn_) {
    if (out_->Failed() || out_->Size() > kMaxSheetPartBytes) return false;
    const char c = t_[in_++];
    out_->AppendByte(c);
    if (c != '<') continue;
    if (StartsAt(in_, "row")) {
      RowStart();
    } else if (in_ + 1 < tn_ && t_[in_] == 'c' && (t_[in_ + 1] == ' ' || t_[in_ + 1] == '\t' ||
                                                    t_[in_ + 1] == '\r' || t_[in_ + 1] == '\n')) {
      CellStart();
    }
  }
  // Fields of the last row that no cell took are passed over, so the
  // reading goes on at a line start.
  if (tookField_ && !blockEnd_ && !lineEnded_ && TextLeft()) MoveBehindLineEnd();
  FixDimension();
  return !out_->Failed() && out_->Size() <= kMaxSheetPartBytes;
}

}  // namespace

PartEncoding DetectPartEncoding(const char* data, std::size_t len) {
  if (len >= 2) {
    const auto b0 = static_cast<unsigned char>(data[0]);
    const auto b1 = static_cast<unsigned char>(data[1]);
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) return PartEncoding::Utf16;
    if ((b0 == '<' && b1 == 0) || (b0 == 0 && b1 == '<')) return PartEncoding::Utf16;
  }
  std::size_t p = 0;
  if (len >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) p = 3;
  if (len - p < 5 || std::memcmp(data + p, "<?xml", 5) != 0) return PartEncoding::Utf8;
  std::size_t declEnd = p;
  while (declEnd + 1 < len && !(data[declEnd] == '?' && data[declEnd + 1] == '>')) ++declEnd;
  const AttrSpan enc = FindAttr(data, p + 5, declEnd, "encoding");
  if (!enc.found) return PartEncoding::Utf8;
  const char* v = data + enc.begin;
  const std::size_t n = enc.end - enc.begin;
  for (const char* name : {"Shift-JIS", "Shift_JIS", "SJIS", "x-sjis", "Windows-31J", "CP932", "MS932"})
    if (EqualsNoCase(v, n, name)) return PartEncoding::ShiftJis;
  if (n >= 6 && EqualsNoCase(v, 6, "UTF-16")) return PartEncoding::Utf16;
  return PartEncoding::Utf8;
}

bool IsCellNumber(const char* f, std::size_t n) {
  std::size_t i = 0;
  if (i < n && (f[i] == '+' || f[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && IsDigit(f[i])) ++i, ++digits;
  if (i < n && f[i] == '.') {
    ++i;
    while (i < n && IsDigit(f[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (f[i] == 'e' || f[i] == 'E')) {
    ++i;
    if (i < n && (f[i] == '+' || f[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < n && IsDigit(f[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == n;
}

SheetRewriteResult RewriteTemplateSheet(const char* part, std::size_t partLen, const char* text, std::size_t textLen,
                                        std::size_t textPos, exportcore::ByteWriter* out) {
  SheetRewriteResult result;
  result.textPos = textPos;
  out->Clear();
  const PartEncoding enc = DetectPartEncoding(part, partLen);
  if (enc == PartEncoding::Utf16) {
    result.unsupported = true;
    return result;
  }
  if (textPos > textLen) textPos = textLen;
  // First room: the template, twice the text and some slack (it grows).
  const std::uint64_t first = static_cast<std::uint64_t>(partLen) + 2 * static_cast<std::uint64_t>(textLen) + 10000;
  if (!out->TryReserve(first < kMaxSheetPartBytes ? first : kMaxSheetPartBytes)) {
    if (!out->TryReserve(static_cast<std::uint64_t>(partLen) + 10000)) return result;
  }
  SheetWalk walk(part, partLen, text, textLen, textPos, out, enc == PartEncoding::ShiftJis);
  result.ok = walk.Run();
  result.textPos = walk.TextPos();
  result.rows = walk.Rows();
  return result;
}

}  // namespace merge
