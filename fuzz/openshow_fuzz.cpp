// Opening and showing: the piecewise text loader must equal the whole
// decoder, the CSV working form and its shown text must stay in bounds and
// keep the rows, and the RTF spacing scan must take any bytes in any pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/docopen/textload.h"
#include "fw/alloc.h"
#include "view/viewload/csvshow.h"
#include "view/viewload/rtfspacing.h"
#include "csv/csv_fileform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t sel = data[0];
  const std::size_t piece = 1 + data[1] % 17;
  data += 2;
  size -= 2;

  // Text loader vs the whole decoder.
  auto hint = static_cast<textcodec::TextEncoding>(sel % textcodec::kTextEncodingCount);
  textcodec::DecodeResult whole;
  textcodec::DecodeTextToSjis(data, size, hint, &whole);
  docopen::TextLoad t;
  if (docopen::LoadTextToSjis(data, size, hint, sel, &t, piece)) {
    if (whole.text.size() != t.length || std::memcmp(whole.text.data(), t.text, t.length) != 0) std::abort();
    if (whole.replaced != t.info.replaced || t.text[t.length] != 0) std::abort();
    fw::Free(t.text);
  }

  // CSV: same length in place, rows kept in the shown text.
  std::string work(reinterpret_cast<const char*>(data), size);
  csv::CommasToFieldSeparators(data, size, reinterpret_cast<std::uint8_t*>(&work[0]));
  viewload::CsvShowOptions o;
  o.hideQuotes = (sel & 1) != 0;
  o.firstRow = sel >> 5;
  o.maxRows = (sel >> 1) & 3;
  std::string shown;
  viewload::CsvShowStats st;
  viewload::AppendCsvShown(reinterpret_cast<const std::uint8_t*>(work.data()), work.size(), o, shown, &st);
  if (shown.size() > 2 * work.size() + 2) std::abort();
  if (o.maxRows && st.rowsShown > o.maxRows) std::abort();
  bool cut = false;
  std::size_t n = viewload::ShownTextLength(reinterpret_cast<const char*>(data), size, sel, &cut);
  if (n > size) std::abort();

  // RTF spacing scan in pieces.
  viewload::RtfSpacingScan scan;
  for (std::size_t i = 0; i < size; i += piece)
    scan.Feed(reinterpret_cast<const char*>(data) + i, size - i < piece ? size - i : piece);
  scan.Finish();
  for (const viewload::ParaSpacing& p : scan.Spacings())
    if (p.paragraph >= scan.Paragraphs() || p.twips < 0) std::abort();
  return 0;
}
