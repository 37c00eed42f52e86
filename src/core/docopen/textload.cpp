#include "core/docopen/textload.h"

#include <cstring>
#include <string>

#include "core/textcodec/keepbytes.h"
#include "core/textcodec/sjis_map.h"
#include "core/textcodec/sjis_scan.h"
#include "fw/alloc.h"

namespace docopen {
namespace {

using textcodec::TextEncoding;

constexpr std::uint64_t kMaxText = 0xFFFFFFFFull;

// A growing fw::Alloc block with checked sizes.
struct Sink {
  char* p = nullptr;
  std::uint64_t len = 0;
  std::uint64_t cap = 0;
  std::uint32_t margin = 0;
  bool oom = false;
  bool tooLarge = false;

  bool Reserve(std::uint64_t need) {
    // Room for the text, its NUL and the caller's margin.
    std::uint64_t total = need + 1 + margin;
    if (total > kMaxText) {
      tooLarge = true;
      return false;
    }
    if (total <= cap) return true;
    std::uint64_t grown = cap + cap / 4;
    if (grown < total) grown = total;
    if (grown > kMaxText) grown = kMaxText;
    void* q = fw::Realloc(p, static_cast<std::size_t>(grown));
    if (!q) {
      oom = true;
      return false;
    }
    p = static_cast<char*>(q);
    cap = grown;
    return true;
  }
  bool Append(const char* s, std::size_t n) {
    if (!Reserve(len + n)) return false;
    if (n) std::memcpy(p + len, s, n);
    len += n;
    return true;
  }
};

// End of the piece that starts at `pos`: after the first LF at or past
// pos + piece, and not before a byte 0xEF (a piece must not start with what
// a decoder would take for a UTF-8 byte order mark).
std::size_t PieceEnd(const std::uint8_t* b, std::size_t len, std::size_t pos, std::size_t piece) {
  std::size_t at = (len - pos > piece) ? pos + piece : len;
  while (at < len) {
    const void* lf = std::memchr(b + at, '\n', len - at);
    if (!lf) return len;
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(lf) - b) + 1;
    if (at >= len || b[at] != 0xEF) return at;
  }
  return len;
}

// The checked Shift-JIS decode (textcodec::DecodeToSjis) of p[0..n) appended
// to the sink; false when it cannot grow.
bool AppendCheckedSjis(const std::uint8_t* p, std::size_t n, Sink* sink, std::size_t* replaced) {
  static const char kReplacement[2] = {static_cast<char>(textcodec::kSjisReplacement >> 8),
                                       static_cast<char>(textcodec::kSjisReplacement & 0xFF)};
  std::size_t i = 0;
  while (i < n) {
    const std::size_t at = i + textcodec::FindBrokenSjisLead(p + i, n - i);
    if (!sink->Append(reinterpret_cast<const char*>(p + i), at - i)) return false;
    if (at >= n) break;
    if (!sink->Append(kReplacement, 2)) return false;
    ++*replaced;
    i = at + 1;
  }
  return true;
}

}  // namespace

bool DecodesInPieces(TextEncoding e) {
  return e == TextEncoding::kShiftJis || e == TextEncoding::kUtf8 || e == TextEncoding::kUtf8Bom ||
         e == TextEncoding::kEucJp;
}

bool LoadTextToSjis(const std::uint8_t* bytes, std::size_t len, TextEncoding hint, std::uint32_t margin,
                    TextLoad* out, std::size_t piece, const LoadProgress* progress,
                    textcodec::ReadBack readBack) {
  *out = TextLoad();
  if (!bytes) len = 0;
  if (piece == 0) piece = kDecodePiece;
  Sink sink;
  sink.margin = margin;

  TextEncoding e = hint == TextEncoding::kAuto ? textcodec::DetectTextEncoding(bytes, len) : hint;
  if (DecodesInPieces(e)) {
    out->info.encoding = e;
    out->info.inner = e;
    // The first guess: the same size as the file.
    if (!sink.Reserve(len)) {
      fw::Free(sink.p);
      out->outOfMemory = sink.oom;
      out->tooLarge = sink.tooLarge;
      return false;
    }
    std::string part;
    std::size_t pos = 0;
    while (pos < len) {
      std::size_t end = PieceEnd(bytes, len, pos, piece);
      if (e == TextEncoding::kShiftJis) {
        // Checked Shift-JIS straight into the buffer: clean stretches copied
        // whole, a lead without its trail byte replaced.
        if (!AppendCheckedSjis(bytes + pos, end - pos, &sink, &out->info.replaced)) break;
      } else {
        part.clear();
        out->info.replaced += textcodec::DecodeToSjis(e, bytes + pos, end - pos, part);
        if (!sink.Append(part.data(), part.size())) break;
      }
      pos = end;
      if (progress && progress->poll && pos < len && progress->poll(progress->context, pos, len)) {
        fw::Free(sink.p);
        out->info = textcodec::DecodeResult();
        out->stopped = true;
        return false;
      }
    }
    if (sink.oom || sink.tooLarge) {
      fw::Free(sink.p);
      out->outOfMemory = sink.oom;
      out->tooLarge = sink.tooLarge;
      out->info = textcodec::DecodeResult();
      return false;
    }
  } else {
    textcodec::DecodeTextToSjis(bytes, len, e, &out->info);
    std::string text;
    text.swap(out->info.text);
    if (!sink.Append(text.data(), text.size())) {
      fw::Free(sink.p);
      out->outOfMemory = sink.oom;
      out->tooLarge = sink.tooLarge;
      return false;
    }
  }
  sink.p[sink.len] = '\0';
  // What a save needs to write these bytes again where an encode would not.
  out->info.kept =
      textcodec::KeepOriginalBytes(bytes, len, out->info, sink.p, static_cast<std::size_t>(sink.len), readBack);
  out->text = sink.p;
  out->length = static_cast<std::uint32_t>(sink.len);
  out->capacity = static_cast<std::uint32_t>(sink.cap);
  return true;
}

}  // namespace docopen
