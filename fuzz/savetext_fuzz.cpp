// Any bytes opened as a text and saved unchanged come back byte for byte,
// whatever the encoding chosen (first byte) and the decode piece size (second
// byte). Then one line edit, chosen by the first byte's high part and the
// second byte: lines added around the text, a line deleted, a line doubled,
// or two lines swapped. The edited save never crashes; an edited BinHex text
// is refused with its error, never written half; and where the file was kept
// line by line in an encoding without shift states, a save that asks nothing
// reads back as the edited text, line by line (or as a line's own encoding
// reads): no kept line's bytes went to a line that reads otherwise.
// One bit of the first byte opens the bytes as a CSV table instead: loaded
// with ReadBack::kCommaForSix, put into a csv::Table, whose comma form must be
// the text with each 0x06 as ','; that form is what is saved and edited, and
// a line read back from a save takes its 0x06 bytes as commas.
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// The edit `op` at line `at`; lines without a line end (the last) are not
// moved or doubled, which would join them with the next.
std::string Edit(const std::string& text, unsigned op, std::size_t at) {
  std::vector<std::string> lines = Lines(text);
  const std::size_t n = lines.size();
  if (n > 0) at %= n;
  if (op == 1 && n > 0 && EndsLine(lines[at])) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
  } else if (op == 2 && n > 0 && EndsLine(lines[at])) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), lines[at]);
  } else if (op == 3 && at + 1 < n && EndsLine(lines[at + 1])) {
    std::swap(lines[at], lines[at + 1]);
  } else {
    return "edit\r\n" + text + "\r\nend";
  }
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

  const std::string edited = Edit(text, op, at);
  std::string out;
  const bool ok = textcodec::EncodeForSave(edited.data(), edited.size(), t.info, &out, &lost, &error);
  if (!ok && (t.info.encoding != TextEncoding::kBinHex || error != textcodec::TextCodecError::kCannotWriteBinHex ||
              !out.empty()))
    __builtin_trap();
  const textcodec::KeptBytes* k = t.info.kept.get();
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
