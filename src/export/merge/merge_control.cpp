// Block heads and the sheet-list line of a merge.
#include "export/merge/merge_control.h"

namespace merge {

namespace {

struct Cursor {
  const char* t;
  std::size_t n;
  std::size_t p;
  unsigned char At(std::size_t i) const { return i < n ? static_cast<unsigned char>(t[i]) : 0; }
  unsigned char Here() const { return At(p); }
  bool Digit() const { return Here() >= '0' && Here() <= '9'; }
  // A decimal number, saturating far above any sheet number.
  int Number() {
    long long v = 0;
    while (Digit()) {
      if (v < 1000000) v = v * 10 + (Here() - '0');
      ++p;
    }
    return static_cast<int>(v);
  }
};

}  // namespace

BlockHead ReadBlockHead(const char* text, std::size_t len, std::size_t pos) {
  BlockHead h;
  Cursor c{text, len, pos};
  if (c.Here() == '@' && c.At(c.p + 1) == '+') {
    h.mark = BlockHead::kRepeat;
    c.p += 2;
  } else if (c.Here() == '@' && c.At(c.p + 1) == '-') {
    h.mark = BlockHead::kSkip;
    c.p += 2;
    int digits = 0;
    while (digits < 2 && c.Digit()) {
      h.skip = h.skip * 10 + (c.Here() - '0');
      ++c.p;
      ++digits;
    }
    if (digits == 0) h.skip = 1;
    if (c.Here() == ':') ++c.p;
  }
  if (c.Here() == '!' && c.At(c.p + 1) == '*') {
    c.p += 2;
    h.hasTitle = true;
    while (c.p < len && c.Here() >= 0x20) {
      if (h.title.size() < kMaxNameBytes) h.title.push_back(static_cast<char>(c.Here()));
      ++c.p;
    }
    // The byte that ended the title and one more control byte (CR LF).
    if (c.p < len && c.Here() != 0) {
      ++c.p;
      if (c.p < len && c.Here() != 0 && c.Here() < 0x20) ++c.p;
    }
    if (c.Here() == '!' && c.At(c.p + 1) == '#') c.p += 2;
  } else if (c.Here() == '!' && c.At(c.p + 1) == '#') {
    c.p += 2;
  }
  h.end = c.p;
  return h;
}

SheetList ReadSheetList(const char* text, std::size_t len, std::size_t pos) {
  SheetList list;
  Cursor c{text, len, pos + 2};
  if (c.Digit()) {
    const int a = c.Number();
    if (a > 0) list.active = a;
  }
  if (c.p < len && c.Here() != 0 && c.Here() != '!') ++c.p;  // the byte after the number
  auto append = [&](int v) {
    if (static_cast<int>(list.order.size()) >= kMaxListedSheets) return false;
    list.order.push_back(v);
    return true;
  };
  auto itemEnd = [](unsigned char b) {
    return b == ':' || b == ';' || b == '.' || b == ',' || b < 0x20;
  };
  while (c.p < len && c.Here() != 0 && c.Here() != '!') {
    if (!c.Digit()) {
      ++c.p;  // control bytes, quotes and anything else between items
      continue;
    }
    const int m = c.Number();
    const unsigned char sep = c.Here();
    if (sep == '=') {
      ++c.p;
      std::string name;
      while (c.p < len && !itemEnd(c.Here()) && c.Here() != '!') {
        if (c.Here() != '"' && name.size() < kMaxNameBytes) name.push_back(static_cast<char>(c.Here()));
        ++c.p;
      }
      if (append(m) && static_cast<int>(list.names.size()) < kMaxListNames)
        list.names.push_back({static_cast<int>(list.order.size()), name});
    } else if (sep == '-' || sep == '_') {
      ++c.p;
      const int m2 = c.Number();
      for (int v = m; v <= m2; ++v)
        if (!append(v)) break;
    } else {
      append(m);
    }
    if (c.p < len && c.Here() != 0 && c.Here() != '!' && itemEnd(c.Here())) ++c.p;
  }
  list.end = c.p;
  return list;
}

}  // namespace merge
