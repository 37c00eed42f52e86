// The address rewriter: symbolic "&" column and "@" row references of a
// statement become numbers or variable references before it runs.
#include "macro/macro_address.h"

#include <climits>
#include <cstdio>
#include <string>
#include <utility>

#include "core/docsvc/sjis_state.h"
#include "csv/csv_buffer.h"
#include "macro/macro_blocks.h"
#include "macro/macro_host.h"
#include "macro/macro_names.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr char kRunMark = 0x05;
constexpr char kRefEnd = 0x01;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsPunct(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x21 && u <= 0x2F) || (u >= 0x3A && u <= 0x40) || (u >= 0x5B && u <= 0x60) || (u >= 0x7B && u <= 0x7F);
}
bool OneOf(char c, const char* set) {
  for (; *set; ++set)
    if (c == *set) return true;
  return false;
}

class Rewriter {
 public:
  Rewriter(const AddressScope& sc, const std::string& in, int mode) : sc_(sc), in_(in), mode_(mode) {
    n_ = in.size() < static_cast<size_t>(kAddressMaxInput) ? in.size() : static_cast<size_t>(kAddressMaxInput);
    for (size_t k = 0; k < n_; ++k)
      if (in[k] == '\0') {
        n_ = k;
        break;
      }
    inText_ = CString(in.substr(0, n_));
  }

  // The rewritten text; false when the scan ended with "Eror" or stopped at
  // a page code (then *out is the whole input).
  std::string Run() {
    CommandWordAtStart();
    while (i_ < n_ && !stop_) {
      if (out_.size() > static_cast<size_t>(kAddressMaxOutput) - 1) break;
      Step();
    }
    if (page_) return in_;
    if (cancelled_) return "Eror";
    if (out_.size() > static_cast<size_t>(kAddressMaxOutput)) out_.resize(kAddressMaxOutput);
    return out_;
  }

 private:
  char At(size_t k) const { return k < n_ ? in_[k] : '\0'; }
  void Copy(size_t count) {
    for (size_t k = 0; k < count && i_ < n_; ++k) out_ += in_[i_++];
  }
  void SetContext(char sigil) {
    sigil_ = sigil;
    kind_ = sigil == '&' ? kRefColumn : sigil == '@' ? kRefRow : kRefPlain;
  }
  void ClearContext() {
    sigil_ = 0;
    kind_ = kRefPlain;
  }
  bool RangeFollows(size_t k) const { return OneOf(At(k), "-_:") && (At(k + 1) == '[' || At(k + 1) == '('); }

  void CommandWordAtStart() {
    static const char* const kWords[] = {"join", "sum", "coun", "newv"};
    bool column = false, word = false;
    for (const char* w : kWords)
      if (in_.compare(0, std::char_traits<char>::length(w), w) == 0 && n_ >= std::char_traits<char>::length(w))
        word = column = true;
    if (!word && n_ > 6 && in_.compare(0, 4, "sort") == 0 && in_[6] == ':') word = true;
    if (!word) return;
    while (i_ < n_ && static_cast<unsigned char>(in_[i_]) >= 0x20 && in_[i_] != ':') out_ += in_[i_++];
    if (i_ < n_ && in_[i_] == ':') out_ += in_[i_++];
    if (column) SetContext('&');
  }

  void Step() {
    const char c = in_[i_];
    const unsigned char u = static_cast<unsigned char>(c);
    if (lead_) {  // the second byte of a double-byte character
      lead_ = 0;
      Copy(1);
      return;
    }
    IsSjisLeadByteState(u, &lead_);
    if (lead_) {
      Copy(1);
      return;
    }
    const char nx = At(i_ + 1);
    const char pv = i_ > 0 ? in_[i_ - 1] : '\0';
    if (c == '=' || (c == '|' && nx == '|')) ClearContext();
    if (c == '\\' && IsPunct(nx)) return Copy(2);
    if (c == '#') return CommandCode();
    if (c == '&' && AmpersandCode()) return;
    if ((c == '&' || c == '@') && Counter()) return;
    if (c == '(') {
      if (sigil_ || depth_ > 0 || (mode_ != 0 && (!(mode_ == 3 || mode_ == 5) || sigil_))) ++depth_;
      return Copy(1);
    }
    if (c == ')') {
      Copy(1);
      if (depth_ > 0 && --depth_ == 0 && mode_ == 0 && !RangeFollows(i_)) ClearContext();
      return;
    }
    if ((c == '&' || (c == '@' && i_ > 0 && pv != '=')) && (nx == '[' || nx == '(' || nx == '#' || IsDigit(nx))) {
      SetContext(c);
      return Copy(1);
    }
    if (c == '[') {
      ++i_;
      return Reference(true);
    }
    if (((c == '&' && nx == 'r') || (c == '@' && nx == 'b')) && At(i_ + 2) == 'e' && !IsAsciiLetter(At(i_ + 3))) {
      SetContext(c);
      Copy(1);
      return Reference(false);
    }
    Copy(1);
  }

  void CommandCode() {
    static const char* const kCodes[] = {"#SUM", "#MAX", "#MIN", "#AVE", "#NUM", "#NDT"};
    for (const char* code : kCodes)
      if (in_.compare(i_, 4, code) == 0) {
        SetContext('&');
        return Copy(4);
      }
    if (At(i_ + 1) == 'L' && At(i_ + 2) != '\0' && At(i_ + 3) == 'D') {
      SetContext('&');
      return Copy(3);
    }
    Copy(1);
  }

  bool AmpersandCode() {
    const char a = At(i_ + 1), b = At(i_ + 2), d = At(i_ + 3);
    size_t len = 0;
    if (a == 'J') len = OneOf(b, "abspe") && b ? 3 : 2;
    else if (a == 'C' && (b == 's' || b == 'n')) len = d == 'd' ? 4 : 3;
    else if (a == 'S' && (b == 'u' || b == 'd')) len = d && OneOf(d, "nsp") ? 4 : 3;
    else if ((a == 'M' && (b == 'L' || b == 'R')) || (a == 'N' && b == 'v')) len = 3;
    if (len == 0) return false;
    SetContext('&');
    Copy(len);
    return true;
  }

  bool Counter() {
    for (const char* cn : {"ii", "jj", "kk"}) {
      if (At(i_ + 1) == '[' && At(i_ + 2) == cn[0] && At(i_ + 3) == cn[1] && At(i_ + 4) == ']') {
        Copy(5);
        return true;
      }
      if (At(i_ + 1) == cn[0] && At(i_ + 2) == cn[1]) {
        out_ += in_[i_];
        out_ += '[';
        out_ += cn;
        out_ += ']';
        i_ += 3;
        return true;
      }
    }
    return false;
  }

  // A landmark at i_: "[tt]", "[ptt2]", "[be]", ... (bracketed: up to its
  // ']'). Returns false when the text is no landmark; a page code stops the
  // whole scan.
  bool Landmark(bool bracketed, long long* value, bool* resolved, std::string* text) {
    size_t p = i_;
    const bool pForm = At(p) == 'p';
    if (pForm) ++p;
    BlockLandmark mark;
    const char pair[3] = {At(p), At(p + 1), '\0'};
    if (!MacroBlockLandmark(pair, &mark)) return false;
    p += 2;
    if (At(p) == 'n') {
      page_ = stop_ = true;
      return true;
    }
    long long number = -1;
    if (IsDigit(At(p))) {
      number = 0;
      for (; IsDigit(At(p)); ++p) {
        number = number * 10 + (At(p) - '0');
        if (number > INT_MAX) number = INT_MAX;
      }
    }
    if (bracketed && At(p) != ']') return false;
    if (!bracketed && (At(p) == '-' || IsAsciiLetter(At(p)))) return false;
    *text = in_.substr(i_, p - i_);
    i_ = bracketed ? p + 1 : p;
    if (pForm && number < 0) number = 1;  // a "p" form always takes the numbered reading
    if (number == 0) number = 1;
    const csv::TableFields* t = sc_.table;
    *resolved = false;
    if (!t) return true;
    long long v = 0;
    switch (mark) {
      case BlockLandmark::kTitle:
      case BlockLandmark::kAfterTitle:
        if (number == 1) v = t->m_nCurLine, *resolved = true;
        else *resolved = MacroBlockValue(*t, BlockLandmark::kTitle, number < 0 ? 1 : number, &v);
        if (mark == BlockLandmark::kAfterTitle) ++v;
        break;
      case BlockLandmark::kDataEnd:
        if (number < 0) v = static_cast<long long>(t->m_nLastRow) + 1, *resolved = true;
        else *resolved = MacroBlockValue(*t, mark, number, &v);
        break;
      default:
        *resolved = MacroBlockValue(*t, mark, number < 0 ? 1 : number, &v);
        break;
    }
    *value = v;
    return true;
  }

  void Reference(bool bracketed) {
    const char sigil = sigil_;
    long long v = 0;
    bool resolved = false;
    std::string contents;
    int index1 = 0, index2 = -1;
    const size_t start = i_;
    const bool landmark = Landmark(bracketed, &v, &resolved, &contents);
    if (stop_) return;
    if (!landmark) {
      i_ = start;
      contents = Collect(bracketed, &index1, &index2);
    } else if (!resolved) {
      v = 0;  // a block the table does not have
    }
    const std::string original = contents;
    bool percent = false;
    int kind = kind_;
    switch (mode_) {
      case 2: kind = kRefRow; break;
      case 4: case 6: kind = kRefColumn; break;
      case 3: kind = kRefValue; break;
      case 5: kind = kRefSlot; break;
      default: break;
    }
    if ((mode_ == 0 || mode_ == 3) && At(i_) == '%') {
      ++i_;
      percent = true;
      if (mode_ == 3) {
        kind = kRefSlot;
      } else {
        kind = sigil == '&' ? kRefColumnValue : sigil == '@' ? kRefRowValue : kRefSlot;
        if (sigil && !out_.empty() && out_.back() == sigil) out_.pop_back();
      }
    }
    if (!landmark) v = MacroEvalAddressToken(sc_, &contents, kind, index1, index2);
    Write(v, std::move(contents), original, sigil, kind, index1, percent);
    if (cancelled_) return;
    if (mode_ == 0 && !RangeFollows(i_)) ClearContext();
  }

  std::string Collect(bool bracketed, int* index1, int* index2) {
    std::string s;
    if (!bracketed) {  // "re-2", "be3" written without brackets
      s = in_.substr(i_, 2);
      i_ += 2;
      if (At(i_) == '-') s += in_[i_++];
      while (IsDigit(At(i_))) s += in_[i_++];
      return s;
    }
    int level = 0, lead = 0;
    bool index = false;
    while (i_ < n_ && s.size() < static_cast<size_t>(kAddressMaxContents)) {
      const char c = in_[i_];
      if (lead) {
        lead = 0;
        s += c;
        ++i_;
        continue;
      }
      IsSjisLeadByteState(static_cast<unsigned char>(c), &lead);
      if (lead) {
        s += c;
        ++i_;
        continue;
      }
      if (level == 0 && c == ']') {
        ++i_;
        break;
      }
      if (level == 0 && c == '<') {
        ++i_;
        index = true;
        break;
      }
      if (c == '[') ++level;
      if (c == ']') --level;
      s += c;
      ++i_;
    }
    if (index) {
      int pos = static_cast<int>(i_);
      const int r = MacroParseIndexRef(sc_.state, inText_, &pos);
      if (r < 0) {
        *index1 = -1 - r;
        const int r2 = MacroParseIndexRef(sc_.state, inText_, &pos);
        *index2 = r2 < 0 ? -1 - r2 : r2;
      } else {
        *index1 = r;
      }
      i_ = pos < 0 ? n_ : static_cast<size_t>(pos);
    }
    if (At(i_) == '!' && (At(i_ + 1) == '\0' || OneOf(At(i_ + 1), ",-_+UD)#"))) {
      ++i_;
      s += kRunMark;
    }
    return s;
  }

  // Written-out text: its nested "[...]" are valued again as plain values.
  std::string ValueNested(std::string s) {
    for (size_t k = s.find('['); k != std::string::npos; k = s.find('[', k)) {
      const size_t close = s.find(']', k + 1);
      if (close == std::string::npos) break;
      std::string inner = s.substr(k + 1, close - k - 1);
      MacroEvalAddressToken(sc_, &inner, kRefValue, 0, -1);
      s.replace(k, close + 1 - k, inner);
      k += inner.size();
    }
    return s;
  }

  void Write(long long v, std::string contents, const std::string& original, char sigil, int kind, int index1,
             bool percent) {
    if (index1 == 0 && (sigil == '@' || percent) && v == 0) {
      v = percent ? -1 : kAddressRowNotFound;
      kind = kRefIndex;
    }
    if (v == kAddressRewritten || (sigil == '@' && v == 0)) {
      contents = ValueNested(contents);
      if (contents.compare(0, 2, "&D") == 0 && !out_.empty() && out_.back() == '&') {
        out_ += "(" + contents + ")";
      } else {
        out_ += contents;
        if (contents.compare(0, 2, "&D") == 0 && IsDigit(At(i_))) out_ += kRefEnd;
      }
      return;
    }
    if (v < 1 && v != -1) {
      const bool errorsOff = sc_.state.m_bMacroErrorsOff != 0;
      if (kind == kRefIndex || errorsOff || mode_ == 2 || mode_ == 6) {
        std::string shown = original;
        if (!shown.empty() && shown.back() == kRunMark) shown.pop_back();
        out_ += "[" + (errorsOff ? std::string("0") : shown) + "]";
        return;
      }
      Ask(original);
      return;
    }
    // A relative step: "L"/"R", and "U"/"D" outside a column context.
    const char letter = At(i_);
    if (v > 0 && (letter == 'L' || letter == 'R' || ((letter == 'U' || letter == 'D') && sigil != '&')) &&
        !OneOf(At(i_ + 1), "+UD")) {
      ++i_;
      long long step = 0;
      int digits = 0;
      for (; digits < 20 && IsDigit(At(i_)); ++digits, ++i_) {
        step = step * 10 + (At(i_) - '0');
        if (step > INT_MAX) step = INT_MAX;
      }
      if (digits == 0) step = 1;
      v = letter == 'L' || letter == 'U' ? v - step : v + step;
      if (v < 1) v = 1;
      if (v > INT_MAX) v = INT_MAX;
    }
    out_ += std::to_string(v);
  }

  void Ask(const std::string& contents) {
    std::string shown = contents;
    if (!shown.empty() && shown.back() == kRunMark) shown.pop_back();
    std::string text = "Row data eror ! : " + shown + "\ncmnd : " + in_.substr(0, n_);
    if (sc_.state.m_nCmdLineNo > 0) {
      char order[32];
      std::snprintf(order, sizeof order, "\n order = %d", sc_.state.m_nCmdLineNo + 1);
      text += order;
    }
    const int answer = sc_.host ? sc_.host->ReportMessage(3, CString(text)) : 0;
    if (answer == 1 || answer == 9) return;  // OK: the reference is dropped
    cancelled_ = stop_ = true;
  }

  const AddressScope& sc_;
  const std::string& in_;
  const int mode_;
  size_t n_ = 0;
  CString inText_;
  std::string out_;
  size_t i_ = 0;
  char sigil_ = 0;
  int kind_ = kRefPlain;
  int depth_ = 0;
  int lead_ = 0;
  bool stop_ = false, cancelled_ = false, page_ = false;
};

}  // namespace

CString MacroParseRowData(const AddressScope& scope, const CString& text, int mode) {
  if (text.GetLength() > kAddressMaxInput) return text;
  if (text.IsEmpty()) return CString();
  Rewriter r(scope, text.Str(), mode);
  return CString(r.Run());
}

}  // namespace macro
