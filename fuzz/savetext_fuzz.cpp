// Any bytes opened as a text and saved unchanged come back byte for byte,
// whatever the encoding chosen (first byte) and the decode piece size (second
// byte). Then one line edit, chosen by the first byte's high part and the
// second byte: lines added around the text, a line deleted, a line doubled,
// or two lines swapped. The edited save never crashes; an edited BinHex text
// is refused with its error, never written half; and where the file was kept
// line by line in an encoding without shift states, a save that asks nothing
// reads back as the edited text, line by line (or as a line's own encoding
// reads): no kept line's bytes went to a line that reads otherwise. For those
// files every save, asking or not, is also held to where kept bytes may go
// (CheckKeptPlaces): lines the edit wrote, doubled or swapped never take
// kept bytes, and a kept line the edit left alone, reading as no other line,
// keeps them.
// One bit of the first byte opens the bytes as a CSV table instead: loaded
// with ReadBack::kCommaForSix, put into a csv::Table, whose comma form must be
// the text with each 0x06 as ','; that form is what is saved and edited, and
// a line read back from a save takes its 0x06 bytes as commas.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/docopen/textload.h"
#include "core/textcodec/keepbytes.h"
#include "core/textcodec/linealign.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"

using textcodec::TextEncoding;

namespace {

// The lines of `text`, line ends included.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> v;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t e = textcodec::NextLineEnd(text.data(), text.size(), pos);
    v.push_back(text.substr(pos, e - pos));
    pos = e;
  }
  return v;
}

bool EndsLine(const std::string& line) { return !line.empty() && line.back() == '\n'; }

// The lines after the edit `op` at line `at`, and for each the line of the
// text it is a copy of (kTyped for a line the edit wrote). Lines without a
// line end (the last) are not moved or doubled, which would join them with
// the next.
constexpr std::size_t kTyped = SIZE_MAX;

struct Edited {
  std::vector<std::string> lines;
  std::vector<std::size_t> from;
  bool swapped = false;  // lines `at` and `at + 1` changed places
  bool doubled = false;  // line `at` written twice, at `at` and `at + 1`
  std::size_t at = 0;
};

Edited Edit(const std::string& text, unsigned op, std::size_t at) {
  const std::vector<std::string> lines = Lines(text);
  const std::size_t n = lines.size();
  if (n > 0) at %= n;
  Edited r;
  r.at = at;
  for (std::size_t i = 0; i < n; ++i) {
    r.lines.push_back(lines[i]);
    r.from.push_back(i);
  }
  if (op == 1 && n > 0 && EndsLine(lines[at])) {
    r.lines.erase(r.lines.begin() + static_cast<std::ptrdiff_t>(at));
    r.from.erase(r.from.begin() + static_cast<std::ptrdiff_t>(at));
  } else if (op == 2 && n > 0 && EndsLine(lines[at])) {
    r.lines.insert(r.lines.begin() + static_cast<std::ptrdiff_t>(at), lines[at]);
    r.from.insert(r.from.begin() + static_cast<std::ptrdiff_t>(at), at);
    r.doubled = true;
  } else if (op == 3 && at + 1 < n && EndsLine(lines[at + 1])) {
    std::swap(r.lines[at], r.lines[at + 1]);
    std::swap(r.from[at], r.from[at + 1]);
    r.swapped = true;
  } else {
    // "edit" CR LF before the text, CR LF "end" after it.
    r.lines.insert(r.lines.begin(), "edit\r\n");
    r.from.insert(r.from.begin(), kTyped);
    if (n > 0 && !EndsLine(lines[n - 1])) {
      r.lines.back() += "\r\n";
      r.from.back() = kTyped;
    } else {
      r.lines.push_back("\r\n");
      r.from.push_back(kTyped);
    }
    r.lines.push_back("end");
    r.from.push_back(kTyped);
  }
  return r;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l;
  return s;
}

// The text with each 0x06 as ',' (how a table gives it back).
std::string CommaForSix(std::string s) {
  for (char& c : s)
    if (c == '\x06') c = ',';
  return s;
}

bool Stateless(TextEncoding e) {
  return e == TextEncoding::kShiftJis || e == TextEncoding::kUtf8 || e == TextEncoding::kUtf8Bom ||
         e == TextEncoding::kUtf16Le || e == TextEncoding::kUtf16Be || e == TextEncoding::kEucJp;
}

// The file lines of a save in a line-by-line encoding without shift states:
// after the byte order mark the save writes first, up to each LF (UTF-16 by
// whole units).
std::vector<std::string> FileLines(const std::string& out, TextEncoding e) {
  const bool le = e == TextEncoding::kUtf16Le, be = e == TextEncoding::kUtf16Be;
  std::size_t pos = e == TextEncoding::kUtf8Bom ? 3 : (le || be) ? 2 : 0;
  pos = std::min(pos, out.size());
  std::vector<std::string> v;
  std::size_t start = pos;
  for (std::size_t i = pos; i < out.size(); i += (le || be) ? 2 : 1) {
    const bool lf = (le || be) ? i + 1 < out.size() && out[i + (be ? 1 : 0)] == '\n' && out[i + (be ? 0 : 1)] == 0
                               : out[i] == '\n';
    if (!lf) continue;
    const std::size_t end = i + ((le || be) ? 2 : 1);
    v.push_back(out.substr(start, end - start));
    start = end;
  }
  if (start < out.size()) v.push_back(out.substr(start));
  return v;
}

// One line as the file's encoding writes it, without a byte order mark.
std::string PlainLine(const std::string& line, TextEncoding e) {
  std::string enc;
  if (e == TextEncoding::kUtf8Bom) e = TextEncoding::kUtf8;
  textcodec::EncodeSjis(line.data(), line.size(), e, &enc);
  if (e == TextEncoding::kUtf16Le || e == TextEncoding::kUtf16Be) enc.erase(0, 2);
  return enc;
}

// Where a line-by-line save put the kept bytes, against what the edit did.
// A line may take a kept line's bytes only where every best line diff pairs
// it with a line of those bytes (then it must, if that line is the only one
// reading so). Here that is cheap to tell for:
// - every line: written as its text encodes, or with the bytes of a kept
//   line that reads the same;
// - lines the edit wrote or moved, which some best diff leaves unpaired:
//   "edit" and the line it ended before "end" (the old text is a best diff
//   by itself), "end" unless the text's last line reads "end" without a line
//   end (its only partner), both copies of a doubled line, both lines of a
//   swap when each reads as no other line: written as their text encodes;
// - a kept line the edit left alone whose text occurs once in the text and
//   once in the edited text: every best diff pairs all the lines the edit
//   left alone (a swap as above leaves out one of its two lines), so it keeps
//   its bytes, unless they start with a UTF-8 mark and it moved off the first
//   line (they read as its text only at the start of the file).
void CheckKeptPlaces(const std::string& text, const Edited& ed, const std::string& out,
                     const textcodec::KeptBytes& k, TextEncoding e) {
  const std::vector<std::string> old = Lines(text);
  const std::vector<std::string> got = FileLines(out, e);
  if (got.size() != ed.lines.size()) __builtin_trap();
  std::map<std::string, std::size_t> inOld, inNew;
  for (const auto& l : old) ++inOld[l];
  for (const auto& l : ed.lines) ++inNew[l];
  std::vector<const textcodec::KeptBytes::Line*> keptAt(old.size(), nullptr);
  std::map<std::string, std::vector<const std::string*>> keptBytesOf;  // text -> bytes kept for it
  for (const auto& l : k.lines) {
    if (l.index >= old.size() || l.text != old[l.index]) __builtin_trap();
    keptAt[l.index] = &l;
    keptBytesOf[l.text].push_back(&l.bytes);
  }
  const bool clearSwap = ed.swapped && inOld[old[ed.at]] == 1 && inOld[old[ed.at + 1]] == 1;
  for (std::size_t j = 0; j < got.size(); ++j) {
    const std::string& line = ed.lines[j];
    const bool plain = got[j] == PlainLine(line, e);
    bool keptBytes = false;
    const auto kb = keptBytesOf.find(line);
    if (!plain && kb != keptBytesOf.end())
      for (const std::string* b : kb->second) keptBytes = keptBytes || *b == got[j];
    if (!plain && !keptBytes) __builtin_trap();
    const std::size_t i = ed.from[j];
    const bool moved = ed.swapped && (j == ed.at || j == ed.at + 1);
    const bool copy = ed.doubled && (j == ed.at || j == ed.at + 1);
    bool fresh = copy || (moved && clearSwap);
    if (i == kTyped) fresh = j + 1 < got.size() || old.empty() || old.back() != "end";
    if (fresh && !plain) __builtin_trap();
    if (i == kTyped || moved || copy || (ed.swapped && !clearSwap)) continue;
    const textcodec::KeptBytes::Line* kl = keptAt[i];
    if (kl != nullptr && inOld[line] == 1 && inNew[line] == 1 && !(kl->firstOnly && j != 0) && got[j] != kl->bytes)
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const TextEncoding hint = static_cast<TextEncoding>(data[0] % textcodec::kTextEncodingCount);
  const unsigned op = (data[0] / textcodec::kTextEncodingCount) % 4;
  const bool table = (data[0] / (textcodec::kTextEncodingCount * 4)) % 2 != 0;
  const size_t piece = 1 + data[1] * 3;
  const size_t at = data[1];
  data += 2;
  size -= 2;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(bytes.get(), data, size);

  docopen::TextLoad t;
  if (!docopen::LoadTextToSjis(bytes.get(), size, hint, 0, &t, piece, nullptr,
                               table ? textcodec::ReadBack::kCommaForSix : textcodec::ReadBack::kAsRead))
    return 0;
  std::string text(t.text, t.length);
  fw::Free(t.text);
  if (table) {
    // What the table writes of it, unedited.
    csv::Table tab;
    if (!tab.LoadFileText(text.data(), text.size(), 0)) return 0;
    std::string form = tab.FileText(csv::CommaFormKind::kComma);
    if (form != CommaForSix(text)) __builtin_trap();
    text.swap(form);
  }

  std::string saved;
  size_t lost = 1;
  textcodec::TextCodecError error = textcodec::TextCodecError::kNone;
  if (!textcodec::EncodeForSave(text.data(), text.size(), t.info, &saved, &lost, &error)) __builtin_trap();
  if (lost != 0 || saved.size() != size || (size && std::memcmp(saved.data(), bytes.get(), size) != 0))
    __builtin_trap();

  const Edited ed = Edit(text, op, at);
  const std::string edited = Join(ed.lines);
  std::string out;
  const bool ok = textcodec::EncodeForSave(edited.data(), edited.size(), t.info, &out, &lost, &error);
  if (!ok && (t.info.encoding != TextEncoding::kBinHex || error != textcodec::TextCodecError::kCannotWriteBinHex ||
              !out.empty()))
    __builtin_trap();
  const textcodec::KeptBytes* k = t.info.kept.get();
  if (ok && k != nullptr && !k->whole && Stateless(t.info.encoding))
    CheckKeptPlaces(text, ed, out, *k, t.info.encoding);
  if (ok && lost == 0 && k != nullptr && !k->whole && Stateless(t.info.encoding)) {
    // Each line reads back as it is (kept bytes) or as its encoding reads
    // (some characters have a second form in the encoding, e.g. the IBM
    // extensions in EUC-JP).
    std::string back;
    textcodec::DecodeToSjis(t.info.encoding, out.data(), out.size(), back);
    if (table) back = CommaForSix(back);
    const std::vector<std::string> got = Lines(back), want = Lines(edited);
    if (got.size() != want.size()) __builtin_trap();
    for (std::size_t j = 0; j < got.size(); ++j) {
      if (got[j] == want[j]) continue;
      std::string enc, again;
      textcodec::EncodeSjis(want[j].data(), want[j].size(), t.info.encoding, &enc);
      textcodec::DecodeToSjis(t.info.encoding, enc.data(), enc.size(), again);
      if (got[j] != again) __builtin_trap();
    }
  }
  return 0;
}
