#include "convert/biff_string.h"

#include <cstring>

#include "fw/codepage.h"

namespace convert {

bool BiffCursor::MarkerAt(std::int32_t at) const {
  return at >= 0 && at <= end - 4 && data[at] == 0x3C && data[at + 1] == 0 && data[at + 2] == 0x20 &&
         data[at + 3] == 0x20;
}

void BiffSkipChars(BiffCursor& cur, std::int64_t n) {
  while (n > 0 && cur.pos < cur.end) {
    if (cur.MarkerAt(cur.pos)) {
      cur.pos += 4;
      continue;
    }
    ++cur.pos;
    --n;
  }
  if (cur.pos > cur.end) cur.pos = cur.end;
}

void BiffCleanText(std::string& text, std::int32_t language) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char& c = text[i];
    if (c == '\t' || c == '\v') {
      c = ' ';
    } else if (c == '\n') {
      c = '\v';
    } else if (c == '\x02') {
      for (std::size_t k = i; k < text.size(); ++k) text[k] = ' ';
      break;
    }
  }
  if (text.size() == 1 && static_cast<std::uint8_t>(text[0]) == 0xD7 && language == 0) text = "\x81\x7E";
}

namespace {

std::uint16_t U16(const BiffCursor& c, std::int32_t at) {
  return static_cast<std::uint16_t>(c.data[at] | (c.data[at + 1] << 8));
}

// The head of a string: count and flags (and run count, extension size).
struct StringHead {
  std::int32_t count = 0;
  std::uint8_t flags = 0;
  std::int32_t runs = 0;
  std::int64_t extension = 0;
};

bool ReadHead(BiffCursor& cur, StringHead& h) {
  if (!cur.Has(3)) return false;
  h.count = U16(cur, cur.pos);
  h.flags = cur.data[cur.pos + 2];
  return true;
}

}  // namespace

int BiffReadString(BiffCursor& cur, BiffString& out) {
  out.text.clear();
  out.width = 0;
  out.kind = 0;
  // A string that begins a continuation record starts behind its marker.
  while (cur.MarkerAt(cur.pos)) cur.pos += 4;
  const std::int32_t start = cur.pos;
  StringHead h;
  if (!ReadHead(cur, h)) return -2;
  if (h.count > kBiffStringMaxCount) {
    // A damaged position: back up and try once more.
    const std::int32_t back = cur.contState ? 9 : 3;
    cur.pos = start - back >= 0 ? start - back : 0;
    if (!ReadHead(cur, h) || h.count > kBiffStringMaxCount) {
      cur.pos = start;
      return -1;
    }
  }
  const std::int32_t headAt = cur.pos;
  cur.pos += 3;
  if (h.count == 0 && h.flags == 0) {
    out.kind = 1000;
    cur.contState = false;
    return cur.pos > start ? 1 : -2;
  }
  if (h.flags & 0x08) {
    if (!cur.Has(2)) return -2;
    h.runs = U16(cur, cur.pos);
    cur.pos += 2;
  }
  if (h.flags & 0x04) {
    if (!cur.Has(4)) return -2;
    h.extension = static_cast<std::int64_t>(static_cast<std::uint32_t>(
        cur.data[cur.pos] | (cur.data[cur.pos + 1] << 8) | (cur.data[cur.pos + 2] << 16) |
        (static_cast<std::uint32_t>(cur.data[cur.pos + 3]) << 24)));
    cur.pos += 4;
  }
  // The characters: 8-bit parts copied, UTF-16 parts converted, a marker
  // switching the form for the rest.
  bool wide = (h.flags & 0x01) != 0;
  bool metMarker = false;
  char16_t first = 0;
  std::string text;
  std::u16string part;
  auto flushWide = [&] {
    if (part.empty()) return;
    // ASCII is the same in the code page: no conversion needed.
    bool ascii = true;
    for (char16_t u : part) ascii = ascii && u < 0x80;
    if (ascii) {
      for (char16_t u : part) text.push_back(static_cast<char>(u));
    } else {
      text += fw::Utf16ToCp932(part);
    }
    part.clear();
  };
  for (std::int32_t i = 0; i < h.count;) {
    if (cur.MarkerAt(cur.pos)) {
      cur.pos += 4;
      if (!cur.Has(1)) return -2;
      flushWide();
      wide = (cur.data[cur.pos] & 0x01) != 0;
      ++cur.pos;
      metMarker = true;
      continue;
    }
    // Both forms are UTF-16 code units; the 8-bit form holds U+0000-U+00FF.
    char16_t unit;
    if (wide) {
      if (!cur.Has(2)) return -2;
      unit = static_cast<char16_t>(U16(cur, cur.pos));
      cur.pos += 2;
    } else {
      if (!cur.Has(1)) return -2;
      unit = cur.data[cur.pos];
      ++cur.pos;
    }
    // The yen sign is the code page's 0x5C, as the system shows it.
    if (unit == 0x00A5) unit = u'\\';
    if (i == 0) first = unit;
    if (text.size() + part.size() * 2 < kBiffStringBytes) part.push_back(unit);
    ++i;
  }
  flushWide();
  if (text.size() > kBiffStringBytes) text.resize(kBiffStringBytes);
  // Rich-text runs and the extension block.
  BiffSkipChars(cur, static_cast<std::int64_t>(h.runs) * 4);
  BiffSkipChars(cur, h.extension);
  cur.contState = metMarker;
  // A read that does not move past where it started would be read again
  // forever: it counts as damage.
  if (cur.pos <= start || cur.pos <= headAt) return -2;
  BiffCleanText(text, cur.language);
  // A lone multiplication sign stays the byte 0xD7 where the language
  // setting asks for it.
  if (h.count == 1 && first == 0x00D7 && cur.language != 0) text = "\xD7";
  out.text = text;
  out.width = static_cast<std::int32_t>(text.size());
  out.kind = 1000 + out.width;
  return 1;
}

}  // namespace convert
