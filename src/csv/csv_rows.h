// Row deletion and row order over the list grammar (csv_lists.h).
//
// Rows are the lines of the working buffer as the scanner counts them: a row
// ends at CR LF, a lone CR or a lone LF; a last line without a row end is a
// row when it holds a byte; a NUL ends the text. Every operation builds its
// result in a new buffer and swaps it in only on success: a failure leaves
// the buffer, its index and the counts exactly as they were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_opreport.h"
#include "csv/csv_out.h"
#include "csv/csv_table.h"

namespace csv {

struct RowSpan {
  std::uint32_t start;  // first byte
  std::uint32_t end;    // the row end (or the text end)
  std::uint32_t next;   // start of the next row
};

// The rows of `text` (`n` bytes, up to the first NUL). False when memory is
// short.
bool SplitRows(const std::uint8_t* text, std::uint32_t n, std::vector<RowSpan>* rows);

// Deletion marks, one bit per row beside the text (the text itself is never
// marked, so no data byte is taken for a mark).
class RowMarks {
 public:
  explicit RowMarks(std::uint32_t rows) : m_bits(rows, false) {}
  bool Marked(std::uint32_t row) const { return row >= 1 && row <= m_bits.size() && m_bits[row - 1]; }
  std::uint32_t Rows() const { return static_cast<std::uint32_t>(m_bits.size()); }
  void Mark(std::uint32_t row) {
    if (row >= 1 && row <= m_bits.size()) m_bits[row - 1] = true;
  }

 private:
  std::vector<bool> m_bits;
};

// Marks rows first..last (1-based, inclusive; cut to the rows there are).
void CsvMarkRows(RowMarks& marks, std::uint32_t first, std::uint32_t last);

// Copies rows first..last (1-based) of `text` to `out`, whole with their row
// ends; with `number` above 0 the first field of each row gets the prefix
// "%02d_" of number (after its opening double quote when it has one). The
// copy ends with one row end: CR LF is added only when the last copied row
// had none. Without `out` nothing is written. Returns the bytes (written or
// to write); a copy that `out` refused returns what it wrote so far and
// leaves `out` failed.
std::uint64_t CsvCopyRowRange(const std::uint8_t* text, const std::vector<RowSpan>& rows, std::uint32_t first,
                              std::uint32_t last, OutWriter* out, int number);

// Deletes the rows `spec` lists (reader kDelete), then rebuilds the index
// by a scan of the new text. Returns 0, or the failure code (reported,
// table unchanged).
int CsvDeleteListedRows(Table& table, const std::string& spec, OpHost* host);

// One entry of a row order: a row (1-based) and its copy number (0: none).
struct OrderEntry {
  std::uint32_t row;
  std::uint32_t number;
};

// Explicit items of an order list stop adding at this many entries.
constexpr std::uint32_t kOrderListMax = 9000;

// Reads an order list (reader kOrder) over `rows` rows. '*' adds every row
// not listed yet; a list that ends in a bare 'x'/'n' prefix gets an implied
// '*' under it. `flag` as for ListScanner.
bool BuildOrderList(const std::string& spec, std::uint32_t rows, int flag, std::vector<OrderEntry>* order);

// Rebuilds the buffer in the order `spec` gives ("1-": unchanged; "rev":
// the rows up to the title row first, the data rows of block 1 reversed,
// the rest after). The result is indexed by a copying scan. Returns 0 (also
// when nothing was done), or kRowOrderFailed (reported, table unchanged).
int CsvReorderRows(Table& table, const std::string& spec, int flag, OpHost* host);

// Swaps `text` (`len` bytes, not the table's own buffer) into the table
// through a copying scan (BuildCsvIndex mode 0) into a target sized for
// everything the copy writes, then indexes the copy by a scan of its own
// (the copying scan may leave out a short last line after counting it).
// False when memory is short (table unchanged).
bool InstallByScanCopy(Table& table, const std::uint8_t* text, std::uint32_t len, std::uint32_t margin);

// Installs the result in `out` as InstallByScanCopy would. A result in
// which that copy can change nothing (no double quote, no comma, no NUL, and
// no short last line that the copy would leave out) is taken over as it is
// and indexed by a scan, without the copy. False when memory is short or
// `out` failed (table unchanged).
bool InstallResult(Table& table, OutWriter& out, std::uint32_t margin);

// The 1-based rows of block 1's data: first..last (both 0 when the table
// has no data rows). The title row is firstData - 1.
void DataRows(const Table& table, std::uint32_t rowCount, std::uint32_t* firstData, std::uint32_t* lastData);

}  // namespace csv
