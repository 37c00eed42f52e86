// The table operations on a random small table with a random operation and
// operand, a tight buffer and, at times, a refused allocation. The result
// always indexes again to the counts the table holds, keeps its NUL within
// the buffer, and a failure leaves the table byte-identical with the same
// counts. "1-" changes nothing; a deletion never adds rows.
#include <cstddef>
#include <cstdint>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_columns.h"
#include "csv/csv_fixedwidth.h"
#include "csv/csv_index.h"
#include "csv/csv_pad.h"
#include "csv/csv_regroup.h"
#include "csv/csv_rowinsert.h"
#include "csv/csv_rows.h"
#include "csv/csv_sections.h"
#include "csv/csv_select.h"
#include "csv/csv_table.h"
#include "csv/csv_titleorder.h"
#include "csv/csv_transpose.h"
#include "csv/csv_widths.h"
#include "fuzz/csv_fuzz_check.h"
#include "fw/alloc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5 || size > 3000) return 0;
  const int op = data[0] % 12;
  const int a = static_cast<int8_t>(data[1]);
  const int failAt = data[2] % 8;  // 0: no refusal
  const std::size_t opLen = data[3] % 24;
  data += 4;
  size -= 4;
  const std::size_t take = opLen < size ? opLen : size;
  std::string operand(reinterpret_cast<const char*>(data), take);
  // Repeat counts of more than two digits only make runs slow (9,000 copies
  // of every row and column); the list tests cover them.
  for (std::size_t i = 0; i + 3 < operand.size(); ++i) {
    if ((operand[i] == 'x' || operand[i] == 'n') && isdigit(static_cast<unsigned char>(operand[i + 1])) &&
        isdigit(static_cast<unsigned char>(operand[i + 2])) && isdigit(static_cast<unsigned char>(operand[i + 3])))
      operand[i + 3] = '/';
  }
  std::string file(reinterpret_cast<const char*>(data + take), size - take);

  auto t = std::make_unique<csv::Table>();
  if (!t->LoadFileText(file.data(), file.size(), 0)) return 0;
  const std::string before(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  const auto lastRow = t->m_nLastRow;
  const auto fields = t->m_nFieldCount;
  fuzzsupport::QuietOpHost host;
  fw::alloctest::Reset();
  if (failAt) fw::alloctest::FailAt(failAt);
  int rc = 0;
  std::vector<std::uint32_t> pos(64, 0);
  switch (op) {
    case 0: rc = csv::CsvDeleteListedRows(*t, operand, &host); break;
    case 1: rc = csv::CsvReorderRows(*t, operand, a & 1, &host); break;
    case 2: rc = csv::CsvRewriteColumns(1, *t, a, 60, a & 2, operand, a & 4 ? "&R:" + operand : "", &host); break;
    case 3: rc = csv::CsvTransposeTable(*t, a & 1, &host); break;
    case 4: rc = csv::CsvPadShortRows(*t, operand, a % 3 == 0 ? -1 : (a & 1 ? 9998 : a & 31), 0, &host); break;
    case 5: rc = csv::CsvRowInsertOrList(a & 15, *t, a >> 3, (a & 3) + 1, operand, a & 7,
                                         [&](int n) { return n % 3 ? operand : std::string(); }, &host) < 0; break;
    case 6:
      rc = a & 64 ? csv::CsvOpSelectColumns(*t, operand, a & 3, (a >> 2) & 3, &host)
                  : csv::CsvOpRebuild(*t, operand, a & 3, (a >> 2) & 3, &host);
      break;
    case 7:
      rc = a & 64 ? csv::CsvOpRowsByPattern(*t, operand, a & 3, (a >> 2) & 7, 0, &host)
                  : csv::CsvToFixedWidthText(*t, pos.data(), static_cast<int>(pos.size()), 1, &host);
      break;
    case 8: {
      int mode = 0, fixed = 0;
      if (csv::TitleOrderArguments(operand, &mode, &fixed)) csv::CsvOrderColumnsByTitle(*t, operand, mode, fixed);
      break;
    }
    case 9:
      if (a & 64) {
        // The install without the copy equals the copying install.
        auto u = std::make_unique<csv::Table>();
        if (!u->CopyFrom(*t)) break;
        csv::OutWriter w1, w2;
        w1.Put(t->m_pTextBuf, t->m_nTextLen);
        w2.Put(t->m_pTextBuf, t->m_nTextLen);
        if (w1.Failed() || w2.Failed()) break;  // a refused allocation: nothing to compare
        const bool ok1 = csv::InstallResult(*t, w1, 0);
        const bool ok2 = csv::InstallByScanCopy(*u, w2.Data() ? w2.Data() : reinterpret_cast<const std::uint8_t*>(""),
                                                w2.Length(), 0);
        if (ok1 && ok2 && !w2.Failed()) {
          if (t->m_nTextLen != u->m_nTextLen || std::memcmp(t->m_pTextBuf, u->m_pTextBuf, t->m_nTextLen) != 0)
            __builtin_trap();
          if (!csv::SameBlockIndex(*t, *u) || t->m_nFieldCount != u->m_nFieldCount) __builtin_trap();
        }
        fw::alloctest::Reset();
        return 0;
      }
      rc = csv::CsvReorderRows(*t, "1-", 0, &host);
      break;
    case 10: rc = csv::CsvRewriteColumns(1, *t, a, 0, 0, "1-", "", &host); break;
    default: rc = csv::CsvReorderRows(*t, "rev", 0, &host); break;
  }
  const long refused = fw::alloctest::Failed();
  fw::alloctest::Reset();
  const std::string after(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  if (rc != 0) {
    // A failure of its own (unknown mode, too large) or a refused allocation: nothing changed.
    if (after != before || t->m_nLastRow != lastRow || t->m_nFieldCount != fields) __builtin_trap();
    return 0;
  }
  if (op == 8) return 0;
  (void)refused;
  fuzzsupport::CheckTableIndex(*t, false);
  if ((op == 9 || op == 10) && after != before) __builtin_trap();
  if (op == 0 && t->m_nLastRow > lastRow) __builtin_trap();
  return 0;
}
