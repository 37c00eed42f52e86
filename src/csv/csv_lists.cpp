// The list grammar of the table commands.
#include "csv/csv_lists.h"

#include <algorithm>
#include <vector>

#include "core/docsvc/sjis_state.h"

namespace csv {
namespace {

// Largest repeat count of an 'x'/'n' prefix (an order list holds no more).
constexpr std::uint32_t kRepeatCap = 9000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

ListScanner::ListScanner(const std::string& spec, ListReader reader, std::uint32_t lastValue, int flag)
    : m_s(spec), m_reader(reader), m_last(std::min(lastValue, kListNumberCap)), m_flag(flag),
      m_trail(spec.size(), 0) {
  int state = 0;
  for (std::size_t i = 0; i < m_s.size(); ++i) {
    m_trail[i] = state ? 1 : 0;
    IsSjisLeadByteState80(static_cast<unsigned char>(m_s[i]), &state);
  }
}

bool ListScanner::Trail(std::size_t i) const { return i < m_trail.size() && m_trail[i]; }

std::uint32_t ListScanner::ReadNumber() {
  std::uint64_t v = 0;
  while (m_pos < m_s.size() && !Trail(m_pos) && IsDigit(m_s[m_pos])) {
    v = v * 10 + static_cast<unsigned>(m_s[m_pos] - '0');
    if (v > kListNumberCap) v = kListNumberCap;
    ++m_pos;
  }
  return static_cast<std::uint32_t>(v);
}

// "(x+y)" or "(x-y)" from the '(': the sum or difference, 0 when below 1.
// Reading stops at ')' or at the item's end.
std::uint32_t ListScanner::ReadParen() {
  ++m_pos;
  std::int64_t x = 0, y = 0;
  int op = 0;
  bool haveX = false;
  while (m_pos < m_s.size() && (Trail(m_pos) || (m_s[m_pos] != ')' && m_s[m_pos] != ','))) {
    const char c = m_s[m_pos];
    if (!Trail(m_pos) && IsDigit(c)) {
      const std::uint32_t v = ReadNumber();
      if (!haveX && op == 0) {
        x = v;
        haveX = true;
      } else if (op != 0) {
        y = v;
      }
      continue;
    }
    if (!Trail(m_pos) && op == 0 && (c == '+' || c == '-')) op = c;
    ++m_pos;
  }
  if (m_pos < m_s.size() && m_s[m_pos] == ')') ++m_pos;
  std::int64_t v = op == '-' ? x - y : x + y;
  if (v < 1) return 0;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(v, kListNumberCap));
}

void ListScanner::ReadPrefix() {
  const bool numbered = m_s[m_pos] == 'n';
  ++m_pos;
  std::uint32_t k = 1;
  if (m_pos < m_s.size() && IsDigit(m_s[m_pos])) k = std::max<std::uint32_t>(1, ReadNumber());
  m_repeat = std::min(k, kRepeatCap);
  m_numbered = numbered;
  m_group = 1;
  if (m_pos < m_s.size() && (m_s[m_pos] == ':' || m_s[m_pos] == 'A')) {
    m_group = kWholeGroup;
    ++m_pos;
  } else if (m_pos + 1 < m_s.size() && m_s[m_pos] == '/' && IsDigit(m_s[m_pos + 1])) {
    const std::size_t back = m_pos;
    ++m_pos;
    const std::uint32_t g = ReadNumber();
    if (m_pos < m_s.size() && m_s[m_pos] == ':') {
      m_group = g == 0 ? 1 : g;
      ++m_pos;
    } else {
      m_pos = back + 1;  // not a group size: the '/' is skipped
    }
  }
  m_prefixPending = true;
}

bool ListScanner::Next(ListItem* item) {
  if (m_pos >= m_s.size()) return false;
  *item = ListItem();
  std::uint32_t a = 0, b = 0;
  bool hasA = false, hasB = false, dash = false, star = false, bracket = false;
  while (m_pos < m_s.size() && (Trail(m_pos) || m_s[m_pos] != ',')) {
    if (Trail(m_pos)) {
      ++m_pos;
      continue;
    }
    const char c = m_s[m_pos];
    if (IsDigit(c) || c == '(') {
      const std::uint32_t v = c == '(' ? ReadParen() : ReadNumber();
      if (!dash) {
        a = v;
        hasA = true;
      } else {
        b = v;
        hasB = true;
      }
      continue;
    }
    if (c == '-' || c == '_') {
      dash = true;
    } else if (c == '*' && m_reader != ListReader::kDelete) {
      star = true;
    } else if (c == '[' && (m_reader == ListReader::kIndex || m_reader == ListReader::kColumns) && !dash) {
      bracket = true;
      while (m_pos < m_s.size() && (Trail(m_pos) || m_s[m_pos] != ',')) ++m_pos;
      continue;
    } else if (c == '[' && m_reader == ListReader::kOrder) {
      while (m_pos < m_s.size() && (Trail(m_pos) || (m_s[m_pos] != ']' && m_s[m_pos] != ','))) ++m_pos;
      if (m_pos < m_s.size() && m_s[m_pos] == ']') ++m_pos;
      if (m_flag != 1) {
        dash = false;
        hasB = false;
      }
      continue;
    } else if (c == ']' && m_reader == ListReader::kDelete) {
      a = m_last >= kListNumberCap ? kListNumberCap : m_last + 1;
      hasA = true;
    } else if ((c == 'x' || c == 'n') && (m_reader == ListReader::kOrder || m_reader == ListReader::kColumns)) {
      ReadPrefix();
      continue;
    }
    ++m_pos;
  }
  if (m_pos < m_s.size()) ++m_pos;  // the ','

  item->repeat = m_repeat;
  item->group = m_group;
  item->numbered = m_numbered;
  if (bracket) {
    item->noColumn = true;
    return true;
  }
  if (star) {
    item->star = true;
    m_prefixPending = false;
    return true;
  }
  if (!dash) {
    if (hasA && a > 0) item->first = item->last = a;
  } else if (!hasA && m_reader == ListReader::kDelete) {
    if (hasB && b > 0) item->first = item->last = b;
  } else {
    std::uint32_t start = hasA ? a : 1;
    const std::uint32_t end = hasB ? b : m_last;
    if (hasA && a == 0) start = 1;  // a start below 1 is cut to the first number
    if (end >= start && end > 0) {
      item->first = start;
      item->last = end;
      if (m_reader != ListReader::kIndex) item->last = std::min(end, m_last);
    }
  }
  if (!item->Empty()) m_prefixPending = false;
  return true;
}

int CsvParseIndexList(const std::string& spec, std::uint32_t maxValue, std::uint32_t capacity,
                      std::uint32_t* out) {
  std::uint32_t count = 0;
  out[0] = 0;
  if (capacity == 0) return 0;
  // Numbers already listed, for '*' (only 1..maxValue can be added by it).
  const std::uint32_t starTop = std::min(maxValue, capacity > 0x1000000 ? 0x1000000u : capacity * 4 + 16);
  std::vector<bool> listed;
  auto add = [&](std::uint32_t v) {
    if (count >= capacity) return;
    out[count++] = v;
    if (v <= starTop) {
      if (listed.size() <= v) listed.resize(static_cast<std::size_t>(starTop) + 1, false);
      listed[v] = true;
    }
  };
  ListScanner scan(spec, ListReader::kIndex, maxValue);
  ListItem item;
  while (count < capacity && scan.Next(&item)) {
    if (item.noColumn) {
      add(kNoColumn);
    } else if (item.star) {
      for (std::uint32_t v = 1; v <= maxValue && count < capacity; ++v) {
        if (v > starTop || listed.size() <= v || !listed[v]) add(v);
      }
    } else if (!item.Empty()) {
      const std::uint32_t last = item.first == item.last ? item.last : std::min(item.last, capacity);
      for (std::uint32_t v = item.first; v <= last && count < capacity; ++v) add(v);
    }
  }
  out[count] = 0;
  return static_cast<int>(count);
}

std::string CsvTrimListText(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

}  // namespace csv
