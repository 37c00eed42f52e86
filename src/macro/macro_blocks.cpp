#include "macro/macro_blocks.h"

namespace macro {

bool MacroBlockLandmark(const char* p, BlockLandmark* mark) {
  struct Pair {
    char a, b;
    BlockLandmark mark;
  };
  static const Pair kPairs[] = {
      {'t', 't', BlockLandmark::kTitle},    {'b', 't', BlockLandmark::kAfterTitle},
      {'b', 'e', BlockLandmark::kDataEnd},  {'r', 'e', BlockLandmark::kFields},
      {'g', 't', BlockLandmark::kFirstRow}, {'g', 'e', BlockLandmark::kLastRow},
  };
  for (const Pair& q : kPairs)
    if (p[0] == q.a && p[0] != '\0' && p[1] == q.b) {
      *mark = q.mark;
      return true;
    }
  return false;
}

int MacroBlockCount(const csv::TableFields& table) {
  const unsigned count = table.m_aSecRow[0];
  return count < static_cast<unsigned>(csv::MAX_CSV_BLOCKS) ? static_cast<int>(count) : csv::MAX_CSV_BLOCKS - 1;
}

bool MacroBlockValue(const csv::TableFields& table, BlockLandmark mark, long long block, long long* value) {
  const int count = MacroBlockCount(table);
  if (block < 1 || block > count) return false;
  const int n = static_cast<int>(block);
  switch (mark) {
    case BlockLandmark::kTitle: *value = table.m_aSecLine[n]; break;
    case BlockLandmark::kAfterTitle: *value = static_cast<long long>(table.m_aSecLine[n]) + 1; break;
    case BlockLandmark::kDataEnd: *value = table.m_aSecInfoA[n]; break;
    case BlockLandmark::kFields: *value = table.m_aSecFields[n]; break;
    case BlockLandmark::kFirstRow: *value = table.m_aSecRow[n]; break;
    case BlockLandmark::kLastRow: {
      const long long next = n + 1 <= count ? static_cast<long long>(table.m_aSecRow[n + 1]) - 1 : -1;
      *value = next >= 0 ? next : static_cast<long long>(table.m_nLastRow) + 1;
      break;
    }
  }
  return true;
}

}  // namespace macro
