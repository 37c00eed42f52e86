// The pattern scanner and the value reader of the merge.
#include "export/merge/merge_scan.h"

#include <cstdint>
#include <cstring>

#include "core/textcodec/charconv.h"

namespace merge {

namespace {

// Whether `pattern` (non-empty) stands wholly at text[p], inside [p, limit).
bool MatchesAt(const char* text, std::size_t p, std::size_t limit, const char* pattern, std::size_t len) {
  if (len == 0 || len > limit - p) return false;
  return std::memcmp(text + p, pattern, len) == 0;
}

}  // namespace

int ScanCopyToPattern(const char* text, std::size_t* pos, std::size_t textLimit, exportcore::ByteWriter* out,
                      std::size_t outLimit, const char* first, const char* replacement, const char* second) {
  const char* firstPat = first ? first : "";
  const char* secondPat = second ? second : "";
  const std::size_t firstLen = std::strlen(firstPat);
  const std::size_t secondLen = std::strlen(secondPat);
  std::size_t replLen = replacement ? std::strlen(replacement) : 0;
  if (replLen > kMaxReplacementBytes) replLen = kMaxReplacementBytes;
  const bool copy = out != nullptr && replLen > 0;
  std::size_t p = *pos;

  if (firstLen == 0) {
    if (copy) out->Append(replacement, replLen);
    return kScanFirst;
  }
  while (p < textLimit) {
    if (out != nullptr && (out->Failed() || out->Size() >= outLimit)) break;
    if (MatchesAt(text, p, textLimit, firstPat, firstLen)) {
      if (copy) out->Append(replacement, replLen);
      *pos = p + firstLen;
      return kScanFirst;
    }
    if (MatchesAt(text, p, textLimit, secondPat, secondLen)) {
      if (copy)
        out->Append(text + p, secondLen);
      else if (out != nullptr)
        out->Append(text + p + 1, secondLen - 1);
      *pos = p + secondLen;
      return kScanSecond;
    }
    if (copy) out->AppendByte(text[p]);
    ++p;
  }
  *pos = p;
  return kScanNone;
}

std::size_t ReadAttrValueSjis(int mode, const char* text, std::size_t textLen, std::size_t pos, std::string* value,
                              bool noCharConv) {
  value->clear();
  auto put = [&](char c) {
    if (value->size() < kMaxValueBytes) value->push_back(c);
  };
  bool inPair = false;  // the next byte is the second byte of a two-byte character
  std::size_t p = pos;
  while (p < textLen) {
    const auto b = static_cast<std::uint8_t>(text[p]);
    if (mode == 1 && !inPair && b >= 0xE0 && textLen - p >= 3 && static_cast<std::uint8_t>(text[p + 1]) >= 0x80 &&
        static_cast<std::uint8_t>(text[p + 2]) >= 0x80) {
      std::uint8_t sjis[textcodec::kSjisCharBytes] = {};
      const int used = textcodec::ConvertCharToSjis(b, static_cast<std::uint8_t>(text[p + 1]),
                                                    static_cast<std::uint8_t>(text[p + 2]), 1, 0, noCharConv, sjis);
      if (used == 0) {
        // Nothing converted: the three bytes stay as they are.
        put(text[p]);
        put(text[p + 1]);
        put(text[p + 2]);
        p += 3;
        continue;
      }
      p += 3;
      if (sjis[0] == '"' || sjis[0] == '<') return p;
      put(static_cast<char>(sjis[0]));
      if (sjis[1] != 0) put(static_cast<char>(sjis[1]));
      continue;
    }
    ++p;
    if (b == '"' || b == '<') return p;
    put(static_cast<char>(b));
    inPair = !inPair && b >= 0x80;
  }
  return p;
}

}  // namespace merge
