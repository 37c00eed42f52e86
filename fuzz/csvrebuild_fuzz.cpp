// The CSV working buffer rebuilt from an edited display: any buffer and any
// shown text (split at a separator byte in the input), both display forms and
// paging. Checks: no crash or out-of-bounds access; the unedited display of
// a buffer gives the buffer back in both display forms.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "view/viewload/csvrebuild.h"
#include "view/viewload/csvshow.h"
#include "csv/csv_fileform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  viewload::CsvShowOptions o;
  o.hideQuotes = (data[0] & 1) != 0;
  o.firstRow = (data[0] >> 1) & 7;
  o.maxRows = data[1] & 7;
  data += 2;
  size -= 2;
  // The input: buffer bytes, then 0xFF, then an edited display.
  std::size_t cut = 0;
  while (cut < size && data[cut] != 0xFF) ++cut;
  std::string buf(reinterpret_cast<const char*>(data), cut);
  for (char& c : buf)
    if (c == '\t' || c == 0) c = ',';  // the working form holds no TAB and no NUL
  std::string work(buf.size(), '\0');
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(buf.data()), buf.size(),
                                    reinterpret_cast<std::uint8_t*>(&work[0]));
  const auto* w = reinterpret_cast<const std::uint8_t*>(work.data());

  std::string shown;
  viewload::AppendCsvShown(w, work.size(), o, shown);
  std::string same;
  viewload::CsvRebuildStats st;
  viewload::RebuildWorkingForm(w, work.size(), o, shown.data(), shown.size(), same, &st);
  if (same != work || st.rowsRebuilt != 0) std::abort();

  if (cut < size) {
    std::string edited(reinterpret_cast<const char*>(data) + cut + 1, size - cut - 1);
    std::string out;
    viewload::RebuildWorkingForm(w, work.size(), o, edited.data(), edited.size(), out);
  }
  return 0;
}
