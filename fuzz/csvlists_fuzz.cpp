// The list grammar on random texts: the index list, the deletion and order
// readers and the column plan. Nothing is written outside the caller's
// array (guard entries after it), every entry is in range, the index list
// ends with its 0 entry, and a list of plain numbers and commas reads as a
// small model says.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_columns.h"
#include "csv/csv_lists.h"
#include "csv/csv_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > 4096) return 0;
  const std::uint32_t maxValue = data[0];
  const std::uint32_t capacity = data[1] % 64;
  const int flag = data[2] & 1;
  const std::string spec(reinterpret_cast<const char*>(data + 3), size - 3);

  // Index list, with guard entries after the capacity + 1 the caller gives.
  std::vector<std::uint32_t> out(capacity + 1 + 8, 0xA5A5A5A5u);
  const int n = csv::CsvParseIndexList(spec, maxValue, capacity, out.data());
  if (n < 0 || static_cast<std::uint32_t>(n) > capacity) __builtin_trap();
  if (out[static_cast<std::size_t>(n)] != 0) __builtin_trap();
  for (std::size_t i = capacity + 1; i < out.size(); ++i) {
    if (out[i] != 0xA5A5A5A5u) __builtin_trap();
  }
  for (int i = 0; i < n; ++i) {
    if (out[static_cast<std::size_t>(i)] == 0 || out[static_cast<std::size_t>(i)] > csv::kListNumberCap) __builtin_trap();
  }
  // Model: digits and commas only.
  bool plain = true;
  for (char c : spec) plain = plain && ((c >= '0' && c <= '9') || c == ',');
  if (plain) {
    std::vector<std::uint32_t> model;
    std::size_t at = 0;
    while (at <= spec.size()) {
      std::size_t comma = spec.find(',', at);
      if (comma == std::string::npos) comma = spec.size();
      if (comma > at) {
        std::uint64_t v = 0;
        for (std::size_t i = at; i < comma; ++i) {
          v = v * 10 + static_cast<unsigned>(spec[i] - '0');
          if (v > csv::kListNumberCap) v = csv::kListNumberCap;
        }
        if (v >= 1 && model.size() < capacity) model.push_back(static_cast<std::uint32_t>(v));
      }
      at = comma + 1;
    }
    if (model.size() != static_cast<std::size_t>(n)) __builtin_trap();
    for (std::size_t i = 0; i < model.size(); ++i) {
      if (model[i] != out[i]) __builtin_trap();
    }
  }

  // Deletion reader: items inside the rows, or one past them, or empty.
  csv::ListScanner del(spec, csv::ListReader::kDelete, maxValue);
  csv::ListItem item;
  int items = 0;
  while (del.Next(&item)) {
    if (++items > 5000) __builtin_trap();
    if (!item.Empty() && item.first > item.last) __builtin_trap();
  }

  // Order list: rows in range, the size within its limits.
  std::vector<csv::OrderEntry> order;
  if (!csv::BuildOrderList(spec, maxValue, flag, &order)) __builtin_trap();
  if (order.size() > csv::kOrderListMax + maxValue) __builtin_trap();
  for (const auto& e : order) {
    if (e.row < 1 || e.row > maxValue || e.number > 9000) __builtin_trap();
  }

  // Column plan: at most the list's limit plus the columns.
  std::vector<csv::ColumnEntry> plan;
  bool unchanged = false;
  if (!csv::BuildColumnPlan(spec, maxValue, flag != 0, 200, &plan, &unchanged)) __builtin_trap();
  if (plan.size() > 200 + maxValue) __builtin_trap();
  for (const auto& e : plan) {
    if (e.column == 0) __builtin_trap();
    if (flag && e.column > maxValue) __builtin_trap();
  }
  return 0;
}
