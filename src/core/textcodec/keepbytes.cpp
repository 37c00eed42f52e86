#include "core/textcodec/keepbytes.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/textcodec/linealign.h"

namespace textcodec {

namespace {

bool IsContainer(TextEncoding e) { return e == TextEncoding::kBase64 || e == TextEncoding::kBinHex; }

bool IsUtf16(TextEncoding e) { return e == TextEncoding::kUtf16Le || e == TextEncoding::kUtf16Be; }

// The byte order mark an encode writes first.
std::string_view MarkOf(TextEncoding e) {
  switch (e) {
    case TextEncoding::kUtf8Bom:
      return {"\xEF\xBB\xBF", 3};
    case TextEncoding::kUtf16Le:
      return {"\xFF\xFE", 2};
    case TextEncoding::kUtf16Be:
      return {"\xFE\xFF", 2};
    default:
      return {};
  }
}

// Appends the encoding of whole lines p[0..n) without a byte order mark.
// Every encoder here ends a line in its initial state (JIS returns to ASCII
// before each line end), so runs of lines encode independently.
void EncodeLines(const char* p, std::size_t n, TextEncoding e, std::string* out, std::size_t* replaced) {
  if (n == 0) return;
  std::size_t r = 0;
  if (e == TextEncoding::kUtf8Bom) {
    EncodeSjis(p, n, TextEncoding::kUtf8, out, &r);
  } else if (IsUtf16(e)) {
    std::string s;
    EncodeSjis(p, n, e, &s, &r);
    out->append(s, 2, std::string::npos);
  } else {
    EncodeSjis(p, n, e, out, &r);
  }
  *replaced += r;
}

// The same for the file's bytes: UTF-16 by whole units.
std::size_t ByteLineEnd(const std::uint8_t* p, std::size_t n, std::size_t pos, TextEncoding e) {
  if (!IsUtf16(e)) return NextLineEnd(reinterpret_cast<const char*>(p), n, pos);
  const bool be = e == TextEncoding::kUtf16Be;
  for (std::size_t i = pos; i + 1 < n; i += 2) {
    if (p[i + (be ? 1 : 0)] == '\n' && p[i + (be ? 0 : 1)] == 0) return i + 2;
  }
  return n;
}

// The kept line for line number `index` of the text as read, or npos.
std::size_t KeptAt(const KeptBytes& k, std::size_t index) {
  auto it = std::lower_bound(k.lines.begin(), k.lines.end(), index,
                             [](const KeptBytes::Line& l, std::size_t i) { return l.index < i; });
  return it != k.lines.end() && it->index == index ? static_cast<std::size_t>(it - k.lines.begin())
                                                    : std::string::npos;
}

// Line-by-line writing with the kept lines of `k`: a kept line's bytes go on
// the line the diff pairs it with, when the pairing is certain and the line
// reads exactly as it did; everything else is encoded.
void WriteLines(const char* sjis, std::size_t len, TextEncoding e, const KeptBytes& k, std::string* out,
                std::size_t* lost) {
  // Two lines of the text as read give the same bytes when neither is kept
  // (both are their text's encoding) or both keep the same bytes.
  const SameBytes same = [&k](std::size_t i, std::size_t j) {
    const std::size_t a = KeptAt(k, i), b = KeptAt(k, j);
    if (a == std::string::npos || b == std::string::npos) return a == b;
    return k.lines[a].bytes == k.lines[b].bytes;
  };
  const LineAlignment al = AlignLines(k.lineHashes.data(), k.lineHashes.size(), sjis, len, same);
  std::vector<bool> doubt(k.lines.size(), false);
  for (std::size_t index : al.doubtful) {
    const std::size_t at = KeptAt(k, index);
    if (at != std::string::npos) doubt[at] = true;
  }
  const std::string_view mark = MarkOf(e);
  out->append(mark.data(), mark.size());
  std::size_t replaced = 0, written = 0, r = 0;
  std::size_t cursorRun = std::string::npos, cursorLine = 0, cursorByte = 0;
  for (std::size_t i = 0; i < k.lines.size(); ++i) {
    const KeptBytes::Line& line = k.lines[i];
    while (r < al.runs.size() && al.runs[r].oldBegin + al.runs[r].count <= line.index) ++r;
    bool placed = false;
    if (r < al.runs.size() && al.runs[r].oldBegin <= line.index && !doubt[i] &&
        !(line.firstOnly && al.runs[r].newBegin != 0)) {
      if (cursorRun != r) {
        cursorRun = r;
        cursorLine = al.runs[r].oldBegin;
        cursorByte = al.runs[r].byteBegin;
      }
      for (; cursorLine < line.index; ++cursorLine) cursorByte = NextLineEnd(sjis, len, cursorByte);
      const std::size_t end = NextLineEnd(sjis, len, cursorByte);
      if (end - cursorByte == line.text.size() &&
          std::memcmp(sjis + cursorByte, line.text.data(), end - cursorByte) == 0) {
        EncodeLines(sjis + written, cursorByte - written, e, out, &replaced);
        out->append(line.bytes);
        written = end;
        placed = true;
      }
    }
    if (!placed) replaced += line.lost;
  }
  EncodeLines(sjis + written, len - written, e, out, &replaced);
  *lost = replaced;
}

// Turns every 0x06 of p[0..n) into ',' (a CSV table's comma form gives a
// separator byte back as a comma); returns how many there were.
std::size_t CommaForSix(char* p, std::size_t n) {
  std::size_t count = 0;
  for (char* q = p; (q = static_cast<char*>(std::memchr(q, 0x06, n - static_cast<std::size_t>(q - p)))) != nullptr;
       ++q) {
    *q = ',';
    ++count;
  }
  return count;
}

}  // namespace

std::uint64_t TextFingerprint(const char* p, std::size_t n) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (std::size_t i = 0; i < n; ++i) {
    h ^= static_cast<unsigned char>(p[i]);
    h *= 0x100000001b3ull;
  }
  return h;
}

std::shared_ptr<const KeptBytes> KeepOriginalBytes(const void* bytes, std::size_t len, const DecodeResult& how,
                                                   const char* sjis, std::size_t sjisLen, ReadBack readBack) {
  const std::uint8_t* b = static_cast<const std::uint8_t*>(bytes);
  if (b == nullptr) len = 0;
  if (sjis == nullptr) sjisLen = 0;
  const TextEncoding e = how.encoding;
  // The text as a save will have it: a table gives each 0x06 back as ','.
  // Only a text holding one is copied; `sixes` counts them.
  std::string readBackText;
  std::size_t sixes = 0;
  if (readBack == ReadBack::kCommaForSix && sjisLen > 0 && std::memchr(sjis, 0x06, sjisLen) != nullptr) {
    readBackText.assign(sjis, sjisLen);
    sixes = CommaForSix(&readBackText[0], sjisLen);
    sjis = readBackText.data();
  }
  // Shift-JIS is kept as it is unless a broken sequence was replaced.
  if (e == TextEncoding::kShiftJis && how.replaced == 0 && sjisLen == len && sixes == 0) return nullptr;
  {
    std::string again;
    DecodeResult plain = how;
    plain.kept.reset();
    if (EncodeSjisLike(sjis, sjisLen, plain, &again) && again.size() == len &&
        (len == 0 || std::memcmp(again.data(), b, len) == 0))
      return nullptr;
  }
  auto k = std::make_shared<KeptBytes>();
  if (!IsContainer(e)) {
    // Line by line: the file's lines, each decoded on its own, must give the
    // text's lines; those an encode does not give back are kept.
    const std::string_view mark = MarkOf(e);
    std::size_t start = 0;
    if (!mark.empty() && len >= mark.size() && std::memcmp(b, mark.data(), mark.size()) == 0) start = mark.size();
    bool aligned = start > 0 || mark.empty();
    std::size_t pos = start, tpos = 0;
    std::string line, enc;
    while (aligned && pos < len) {
      const std::size_t end = ByteLineEnd(b, len, pos, e);
      line.clear();
      std::size_t replaced = DecodeToSjis(e, b + pos, end - pos, line);
      // Read back as the text is; a 0x06 the line held is lost once edited.
      if (sixes > 0) replaced += CommaForSix(&line[0], line.size());
      // Each file line must be one line of the text: LF only at its end, and
      // at its end unless it is the last.
      const void* lf = line.empty() ? nullptr : std::memchr(line.data(), '\n', line.size());
      const bool oneLine = !line.empty() && (lf ? lf == line.data() + line.size() - 1 : end == len);
      if (!oneLine || sjisLen - tpos < line.size() || std::memcmp(sjis + tpos, line.data(), line.size()) != 0) {
        aligned = false;
        break;
      }
      enc.clear();
      std::size_t ignored = 0;
      EncodeLines(line.data(), line.size(), e, &enc, &ignored);
      if (enc.size() != end - pos || std::memcmp(enc.data(), b + pos, enc.size()) != 0) {
        // A UTF-8 mark at the start of a file read as UTF-8 without one: the
        // decode skipped it, so the bytes read as the text only there.
        const bool firstOnly =
            e == TextEncoding::kUtf8 && pos == 0 && end >= 3 && std::memcmp(b, "\xEF\xBB\xBF", 3) == 0;
        k->lines.push_back({k->lineHashes.size(), line,
                            std::string(reinterpret_cast<const char*>(b + pos), end - pos), replaced, firstOnly});
      }
      k->lineHashes.push_back(LineHash(line.data(), line.size()));
      tpos += line.size();
      pos = end;
    }
    if (aligned && tpos == sjisLen) {
      // The proof: an unedited save writes exactly the file.
      std::string again;
      std::size_t lost = 0;
      WriteLines(sjis, sjisLen, e, *k, &again, &lost);
      if (again.size() == len && (len == 0 || std::memcmp(again.data(), b, len) == 0)) return k;
    }
    k->lines.clear();
    k->lines.shrink_to_fit();
    k->lineHashes.clear();
    k->lineHashes.shrink_to_fit();
  }
  k->whole = true;
  k->bytes.assign(reinterpret_cast<const char*>(b), len);
  k->textLength = sjisLen;
  k->textHash = TextFingerprint(sjis, sjisLen);
  k->wholeLost = how.replaced + sixes;
  return k;
}

bool EncodeForSave(const char* sjis, std::size_t len, const DecodeResult& origin, std::string* out,
                   std::size_t* lost, TextCodecError* error) {
  std::size_t dummyLost = 0;
  TextCodecError dummyError;
  if (lost == nullptr) lost = &dummyLost;
  if (error == nullptr) error = &dummyError;
  *lost = 0;
  *error = TextCodecError::kNone;
  if (sjis == nullptr) len = 0;
  const KeptBytes* k = origin.kept.get();
  if (k != nullptr && k->whole && len == k->textLength && TextFingerprint(sjis, len) == k->textHash) {
    out->append(k->bytes);
    return true;
  }
  if (k != nullptr && !k->whole) {
    WriteLines(sjis, len, origin.encoding, *k, out, lost);
    return true;
  }
  std::size_t replaced = 0;
  if (!EncodeSjisLike(sjis, len, origin, out, &replaced, error)) return false;
  *lost = replaced + (k != nullptr ? k->wholeLost : 0);
  return true;
}

}  // namespace textcodec
