// Text back from a table's rich text, rewritten in place. Every token is
// read before its text is written and never gives more bytes than it has,
// so the write position stays at or behind the read position.
#include "table/table_extract.h"

#include <cstdlib>
#include <cstring>

namespace table {

namespace {

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A control word at buf[at] ("\" and letters): its letters, its number and
// where the text after it (and after its delimiting blank) starts.
struct Word {
  std::size_t nameAt = 0, nameLen = 0;
  bool hasNumber = false;
  long number = 0;
  std::size_t next = 0;
};

Word ReadWord(const char* buf, std::size_t len, std::size_t at) {
  Word w;
  std::size_t p = at + 1;
  w.nameAt = p;
  while (p < len && IsLetter(static_cast<unsigned char>(buf[p])) && p - w.nameAt < 32) ++p;
  w.nameLen = p - w.nameAt;
  bool negative = false;
  if (p < len && buf[p] == '-' && p + 1 < len && IsDigit(static_cast<unsigned char>(buf[p + 1]))) {
    negative = true;
    ++p;
  }
  std::size_t digits = 0;
  while (p < len && IsDigit(static_cast<unsigned char>(buf[p]))) {
    // Numbers past nine digits keep their first nine (no overflow).
    if (digits < 9) w.number = w.number * 10 + (buf[p] - '0');
    ++digits;
    ++p;
  }
  w.hasNumber = digits > 0;
  if (negative) w.number = -w.number;
  if (p < len && buf[p] == ' ') ++p;
  w.next = p;
  return w;
}

bool Is(const char* buf, const Word& w, const char* name) {
  const std::size_t n = std::strlen(name);
  return w.nameLen == n && std::memcmp(buf + w.nameAt, name, n) == 0;
}

// What a group is, from the word that opens it.
enum class GroupKind { kText, kPicture, kSkip };

GroupKind KindOfGroup(const char* buf, std::size_t len, std::size_t open) {
  std::size_t p = open + 1;
  if (p + 1 >= len || buf[p] != '\\') return GroupKind::kText;
  if (buf[p + 1] == '*') {
    // "{\*\shppict": the picture in its newer wrapping; any other "{\*"
    // destination is one a reader may skip.
    if (p + 3 < len && buf[p + 2] == '\\' && IsLetter(static_cast<unsigned char>(buf[p + 3]))) {
      Word w = ReadWord(buf, len, p + 2);
      if (Is(buf, w, "shppict")) return GroupKind::kPicture;
    }
    return GroupKind::kSkip;
  }
  if (!IsLetter(static_cast<unsigned char>(buf[p + 1]))) return GroupKind::kText;
  Word w = ReadWord(buf, len, p);
  if (Is(buf, w, "pict") || Is(buf, w, "object")) return GroupKind::kPicture;
  static const char* const kSkipped[] = {"fonttbl", "colortbl", "stylesheet", "info", "listtable",
                                         "listoverridetable", "nonshppict", "header", "footer", "footnote"};
  for (const char* name : kSkipped) {
    if (Is(buf, w, name)) return GroupKind::kSkip;
  }
  return GroupKind::kText;
}

// The position after the brace that closes the group opened at `open`, or
// the text's end when it is never closed. Escaped braces do not count.
std::size_t SkipGroup(const char* buf, std::size_t len, std::size_t open) {
  std::size_t depth = 0;
  for (std::size_t p = open; p < len; ++p) {
    const char c = buf[p];
    if (c == '\\') {
      ++p;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) return p + 1;
    }
  }
  return len;
}

class Rewriter {
 public:
  Rewriter(char* buf, std::size_t len, int mode) : buf_(buf), len_(len), sep_(mode == 0 ? '|' : '\t') {}

  std::size_t Run() {
    std::size_t r = 0;
    while (r < len_) {
      const unsigned char c = static_cast<unsigned char>(buf_[r]);
      if (c == '{') {
        const GroupKind kind = KindOfGroup(buf_, len_, r);
        if (kind == GroupKind::kText) {
          ++r;
          continue;
        }
        r = SkipGroup(buf_, len_, r);
        if (kind == GroupKind::kPicture) {
          // A white square stands for the picture or object.
          Put(0x81);
          Put(0xA0);
        }
        continue;
      }
      if (c == '}') {
        ++r;
        continue;
      }
      if (c == '\r' || c == '\n') {  // line ends of the rich text itself are no text
        ++r;
        continue;
      }
      if (c != '\\') {
        Put(c);
        ++r;
        continue;
      }
      if (r + 1 >= len_) break;
      const unsigned char n = static_cast<unsigned char>(buf_[r + 1]);
      if (IsLetter(n)) {
        r = ControlWord(r);
      } else if (n == '\'') {
        const int hi = r + 2 < len_ ? HexValue(static_cast<unsigned char>(buf_[r + 2])) : -1;
        const int lo = r + 3 < len_ ? HexValue(static_cast<unsigned char>(buf_[r + 3])) : -1;
        if (hi >= 0 && lo >= 0) {
          r += 4;
          Put(static_cast<unsigned char>(hi * 16 + lo));
        } else {
          r += hi >= 0 ? 3 : 2;
        }
      } else {
        r += 2;
        if (n == '\\' || n == '{' || n == '}') Put(n);
        else if (n == '~') Put(' ');
        else if (n == '_') Put('-');
      }
    }
    return w_;
  }

 private:
  bool Thin() const { return height_ <= kExtractThinHeight; }

  // Writes one byte of text; a thin ruled line gives none.
  bool Put(unsigned char b) {
    if (Thin()) return false;
    buf_[w_++] = static_cast<char>(b);
    return true;
  }

  std::size_t ControlWord(std::size_t at) {
    const Word w = ReadWord(buf_, len_, at);
    std::size_t next = w.next;
    if (Is(buf_, w, "tab")) {
      Put(static_cast<unsigned char>(sep_));
    } else if (Is(buf_, w, "cell")) {
      if (Put(static_cast<unsigned char>(sep_))) cellEnd_ = w_;
    } else if (Is(buf_, w, "row")) {
      // The last cell's separator would end the line: a row of n cells has
      // n - 1 of them.
      if (cellEnd_ != 0 && cellEnd_ == w_) --w_;
      cellEnd_ = 0;
      Put('\r');
      Put('\n');
    } else if (Is(buf_, w, "par") || Is(buf_, w, "line")) {
      Put('\r');
      Put('\n');
    } else if (Is(buf_, w, "pard")) {
      height_ = kExtractDefaultHeight;
    } else if (Is(buf_, w, "sl")) {
      height_ = !w.hasNumber || w.number == 0 ? kExtractDefaultHeight : std::labs(w.number);
    } else if (Is(buf_, w, "bin") && w.hasNumber && w.number > 0) {
      // Binary data follows the word: it is no text.
      const std::size_t skip = static_cast<std::size_t>(w.number);
      next = skip < len_ - next ? next + skip : len_;
    }
    return next;
  }

  char* buf_;
  std::size_t len_;
  char sep_;
  std::size_t w_ = 0;
  std::size_t cellEnd_ = 0;
  long height_ = kExtractDefaultHeight;
};

}  // namespace

std::size_t RewriteTableRtf(char* buf, std::size_t len, int mode) {
  if (!buf || len == 0) return 0;
  return Rewriter(buf, len, mode).Run();
}

}  // namespace table
