// The group summary of the cross tabulation: consecutive rows with equal
// leading key fields are summed column by column (or their filled cells
// counted) into one line per group, with subtotal lines for the outer key
// fields and a grand-total line at the end.
//
// Key: the first 1-3 fields (`keyFields`), each at most 200 bytes, joined
// by 0x06. Values: up to 510 fields after them (all of them in the summary
// of a pivot, whose columns all come from its key list). With two key fields, a
// change of the outer field writes (outer, "--total--"); with three, a
// change of the middle field writes (outer, middle, "--sum--") and a change
// of the outer field (outer, "--total--", "--------"). Levels close
// innermost first, each closed level's sums added into the next level out,
// so the grand sums are the sums of all rows, each counted once. The drop
// flag takes back a "--sum--" line whose middle group had one group line,
// and a "--total--" line whose outer group had one group line and at most
// one "--sum--" line. With `fourthArg` not 0 a group line's label is the key
// up to and including its last 0x06, then "--sum---". The grand-total line
// is labelled "Total", ("Total", "*") or ("Total", "*", "*").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_out.h"
#include "csv/csv_rows.h"
#include "csv/csv_scaled.h"

namespace csv {

constexpr std::uint32_t kSummaryValues = 510;

// Appends one summary line to `out`: the label (its own 0x06 bytes divide it
// into fields), then each of the `count` sums as its own field, then, when
// `flag` is 0, one more field with the sum of the sums; CR LF. False when
// `out` failed.
bool CsvWriteSumLine(OutWriter& out, const std::string& label, const ScaledSum* sums, std::size_t count, int flag);

struct GroupSummaryArgs {
  int keyFields = 1;       // 1-3
  bool drop = false;       // take back lines that repeat a single group line
  bool count = false;      // count filled cells instead of reading numbers
  int fourthArg = 0;       // not 0: group labels end in "--sum---"
  int flag = 0;            // CsvWriteSumLine's flag (the key-level count)
  bool titleTotal = false; // the title row gains 0x06 "Total"
  bool allValues = false;  // every value field, not only the first 510 (a pivot's columns)
};

// Writes the summary of rows[first, end) of `t` (the title is rows[first];
// a data row is any row after it) into `out`; no line end after the
// grand-total line. False when `out` failed.
bool WriteGroupSummary(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::size_t first, std::size_t end,
                       const GroupSummaryArgs& args, OutWriter& out);

}  // namespace csv
