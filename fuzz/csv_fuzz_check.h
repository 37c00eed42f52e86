// What the CSV operation fuzz targets share: a host that answers every
// message quietly, and the check that a table's NUL lies inside its buffer
// and its index is what a fresh scan of its text gives.
#pragma once

#include <cstdint>
#include <memory>

#include "csv/csv_index.h"
#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace fuzzsupport {

struct QuietOpHost : csv::OpHost {
  int ReportMessage(int, const CString&) override { return 1; }
};

// `columnsToo`: the column count must agree as well.
inline void CheckTableIndex(const csv::Table& t, bool columnsToo) {
  if (t.m_nTextLen >= t.m_nWorkSize) __builtin_trap();
  if (t.m_pTextBuf[t.m_nTextLen] != 0) __builtin_trap();
  auto f = std::make_unique<csv::TableFields>();
  *f = t;
  std::uint32_t len = 0, cols = 0;
  const std::int32_t last = csv::BuildCsvIndex(*f, t.m_pTextBuf, t.m_nTextLen, &len, &cols, csv::kCsvScanOnly, -1);
  if (last != t.m_nLastRow) __builtin_trap();
  if (columnsToo && cols != t.m_nFieldCount) __builtin_trap();
}

}  // namespace fuzzsupport
