// The CSV load's block-wise scans against their byte loops on the same bytes:
// the working form (copied and in place) and the index of modes 1 and 3 must
// come out identical with the fast paths on and off; the Shift-JIS check 64
// bytes at a time must find the byte loop's broken lead; the one-pass open
// (on one and on several threads, in small pieces) must decline exactly what
// the careful path does more than copy, and otherwise give its text, working
// form and index.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/docopen/textload.h"
#include "core/textcodec/sjis_scan.h"
#include "csv/csv_cellbreaks.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_fileopen.h"
#include "csv/csv_index.h"
#include "csv/csv_loadscan.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"

namespace {

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) size = 1u << 20;
  std::vector<std::uint8_t> slow(size + 1), fast(size + 1), inPlace(data, data + size);
  csv::CommasToSeparatorsBytewise(data, size, slow.data());
  csv::CommasToSeparators(data, size, fast.data());
  csv::CommasToSeparators(inPlace.data(), size, inPlace.data());
  if (std::memcmp(slow.data(), fast.data(), size) != 0) __builtin_trap();
  if (size && std::memcmp(slow.data(), inPlace.data(), size) != 0) __builtin_trap();

  for (int mode : {1, 3}) {
    auto a = std::make_unique<csv::TableFields>();
    auto b = std::make_unique<csv::TableFields>();
    std::uint32_t lenA = 0, colsA = 0, lenB = 0, colsB = 0;
    const auto n = static_cast<std::uint32_t>(size);
    const std::int32_t ra = csv::BuildCsvIndex(*a, data, n, &lenA, &colsA, mode, -1);
    csv::SetFastScans(false);
    const std::int32_t rb = csv::BuildCsvIndex(*b, data, n, &lenB, &colsB, mode, -1);
    csv::SetFastScans(true);
    if (ra != rb || colsA != colsB || !csv::SameBlockIndex(*a, *b)) __builtin_trap();
  }

  // The Shift-JIS check.
  if (textcodec::FindBrokenSjisLead(data, size) != textcodec::FindBrokenSjisLeadBytewise(data, size))
    __builtin_trap();

  // The one pass in pieces of a few bytes on three threads, and whole.
  {
    std::vector<std::uint8_t> a(size + 1), b(size + 1);
    const bool whole = csv::SjisPieceToWorkingFormBytewise(data, size, a.data());
    const bool pieces = csv::SjisToWorkingForm(data, size, b.data(), 3, 1 + (size ? data[0] % 97 : 0));
    if (whole != pieces || (whole && size && std::memcmp(a.data(), b.data(), size) != 0)) __builtin_trap();
  }

  // The open: one pass against the careful open.
  docopen::TextLoad careful;
  if (!docopen::LoadTextToSjis(data, size, textcodec::TextEncoding::kAuto, 3, &careful, docopen::kDecodePiece,
                               nullptr, textcodec::ReadBack::kCommaForSix))
    return 0;
  csv::Table want, got;
  docopen::TextLoad text;
  if (!want.LoadFileText(careful.text, careful.length, 2)) __builtin_trap();
  if (csv::LoadTableInOnePass(data, size, textcodec::TextEncoding::kAuto, 2, &got, 2)) {
    if (!csv::FinishOnePassOpen(&got, 3, &text, 2)) __builtin_trap();
    if (text.length != careful.length || std::memcmp(text.text, careful.text, careful.length + 1) != 0 ||
        text.info.encoding != careful.info.encoding || careful.info.kept || careful.info.replaced ||
        got.m_nTextLen != want.m_nTextLen || std::memcmp(got.m_pTextBuf, want.m_pTextBuf, want.m_nTextLen + 1) != 0 ||
        got.m_nFieldCount != want.m_nFieldCount || !csv::SameBlockIndex(got, want))
      __builtin_trap();
    fw::Free(text.text);
  } else if (careful.info.encoding == textcodec::TextEncoding::kShiftJis && careful.info.replaced == 0 &&
             data != nullptr && !std::memchr(data, 0x06, size) && !std::memchr(data, 0x1B, size) &&
             !csv::HasCellBreakBytes(data, size) && !csv::QuoteOpenAtRowEnd(data, size)) {
    __builtin_trap();  // declined a file it must take
  }
  fw::Free(careful.text);
  return 0;
}
