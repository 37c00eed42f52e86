// The value list of the narrowing selection dialog and the condition text
// that picking values builds.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_valuelist.h"

namespace {

// Working form: 0x06 between fields, CR LF after each row.
std::string Rows(const std::vector<std::vector<std::string>>& rows) {
  std::string out;
  for (const auto& r : rows) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      if (i) out += '\x06';
      out += r[i];
    }
    out += "\r\n";
  }
  return out;
}

csv::ValueTable Build(const std::string& text, int column, int width = 100) {
  csv::ValueTable t;
  t.Build(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), column, width);
  return t;
}

std::vector<std::string> Texts(const csv::ValueTable& t) {
  std::vector<std::string> v;
  for (int i = 0; i < t.Used(); ++i) v.push_back(t.Text(i) + "=" + std::to_string(t.Count(i)));
  return v;
}

TEST(CsvValueList, ShopTableCountsAndLines) {
  std::vector<std::vector<std::string>> rows = {{"店", "地域"}};
  for (int i = 0; i < 12; ++i) rows.push_back({"s", "東京"});
  for (int i = 0; i < 7; ++i) rows.push_back({"s", "大阪"});
  for (int i = 0; i < 3; ++i) rows.push_back({"s", ""});
  const auto t = Build(Rows(rows), 1);
  EXPECT_EQ((std::vector<std::string>{"東京=12", "大阪=7", "NULL=3"}), Texts(t));
  EXPECT_EQ("      12 \t 東京", t.Line(0));
  EXPECT_EQ("3", t.ItemCountText());
  // Width 6 groups by the first 6 bytes.
  const auto g = Build(Rows({{"t"}, {"abcdefX"}, {"abcdefY"}, {"abcdeZ"}}), 0, 6);
  EXPECT_EQ((std::vector<std::string>{"abcdef=2", "abcdeZ=1"}), Texts(g));
}

TEST(CsvValueList, FieldReading) {
  // Quotes: a quoted value without its quotes, "" as two quotes, the title
  // row never listed, an empty last cell as NULL, a short row gives nothing.
  const auto t = Build(Rows({{"a", "title"}, {"x", "\"q\""}, {"x", "\"\""}, {"x", ""}, {"x"}, {""}, {"x", "5\""}}), 1);
  EXPECT_EQ((std::vector<std::string>{"q=1", "\"\"=1", "NULL=1", "5=1"}), Texts(t));
  // Control bytes dropped; the lead byte of a cut character dropped
  // (あ = 82 A0, width 5 leaves あい and the lead of う).
  const auto k = Build(Rows({{"t"}, {"a\x01" "b"}, {"あいう"}}), 0, 5);
  EXPECT_EQ((std::vector<std::string>{"ab=1", "あい=1"}), Texts(k));
  // ASCII trail bytes: ソ (83 5C) and 表 (95 5C) survive a cut after them.
  const auto s = Build(Rows({{"t"}, {"ソ表x"}}), 0, 4);
  EXPECT_EQ((std::vector<std::string>{"ソ表=1"}), Texts(s));
  // 0x80 is a lead byte of this list.
  EXPECT_TRUE(csv::IsValueLeadByte(0x80));
  EXPECT_FALSE(csv::IsValueLeadByte(0xF0));
}

TEST(CsvValueList, CellWithBreakIsOneValue) {
  // "x<LF>y" and "x<CR><LF>z" both list as x; the cell after stays in
  // its row and column.
  const std::string text = Rows({{"a", "b"}, {"\"x\x0Ey\"", "1"}, {"\"x\x7F\x0Ez\"", "2"}, {"x", "3"}});
  const auto t = Build(text, 0);
  EXPECT_EQ((std::vector<std::string>{"x=3"}), Texts(t));
  for (const auto& line : t.Lines()) {
    for (char c : line.substr(9)) EXPECT_TRUE(c == '\t' || static_cast<unsigned char>(c) >= 0x20);
  }
  EXPECT_EQ((std::vector<std::string>{"1=1", "2=1", "3=1"}), Texts(Build(text, 1)));
  // The condition it makes is the prefix "|x", which the cell's text
  // starts with after its opening quote.
  csv::ValueTable v = t;
  bool warn = false;
  EXPECT_EQ("|x", csv::ToggleValue(v, 0, "", "", &warn));
  // When the codes are data, 0x7F is an ordinary byte and 0x0E is dropped.
  csv::ValueTable d;
  d.Build(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 0, 100, false);
  EXPECT_EQ("xy", d.Text(0));
}

TEST(CsvValueList, ThousandRecords) {
  auto make = [](int n) {
    std::string text = "t\r\n";
    for (int i = 0; i < n; ++i) text += "v" + std::to_string(i) + "\r\n";
    return Build(text, 0);
  };
  const auto a = make(999);
  EXPECT_EQ(999, a.Used());
  EXPECT_EQ("999", a.ItemCountText());
  EXPECT_EQ("v998", a.Text(998));
  const auto b = make(1000);
  EXPECT_EQ("Over", b.ItemCountText());
  EXPECT_EQ("v999", b.Text(999));
  EXPECT_EQ("       ", b.Line(999).substr(0, 8).substr(0, 7));
  EXPECT_EQ(' ', b.Line(999)[7]);
  EXPECT_FALSE(b.Overflowed());
  const auto c = make(1001);
  EXPECT_TRUE(c.Overflowed());
  EXPECT_EQ("-- Over 999 items --", c.Text(999));
  EXPECT_EQ("         \t -- Over 999 items --", c.Line(999));
}

// The value list read the plain way: lines byte by byte, values by
// ReadListValue, records found in a map; "value=count" in order.
std::vector<std::string> ModelValues(const std::string& text, int column, int width, bool codes) {
  std::vector<std::pair<std::string, int>> recs;
  std::map<std::string, std::size_t> where;
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::uint8_t* const end = p + text.size();
  for (bool title = true; p < end;) {
    const std::uint8_t *b = column == 0 ? p : nullptr, *e = nullptr, *q = p;
    int seps = 0;
    for (; q < end && *q != '\r' && *q != '\n' && *q != 0; ++q) {
      if (*q != 0x06) continue;
      if (b && !e) e = q;
      if (++seps == column) b = q + 1;
    }
    if (b && !e) e = q;
    const bool has = b && (seps > 0 || b < e);
    p = q;
    if (p < end && *p++ != 0 && p < end && (*p == '\r' || *p == '\n')) ++p;
    if (title || !has) {
      title = false;
      continue;
    }
    const std::string v = csv::ReadListValue(b, e, width, codes);
    if (v.empty()) continue;
    if (where.count(v)) {
      ++recs[where[v]].second;
      continue;
    }
    if (recs.size() >= 1000) {
      recs.back().first = csv::kValueOverText;
      break;
    }
    where[v] = recs.size();
    recs.push_back({v, 1});
  }
  std::vector<std::string> out;
  for (const auto& r : recs) out.push_back(r.first + "=" + std::to_string(r.second));
  return out;
}

// The table's lookup against the model. Fields of every length around the
// 16 bytes the table reads at once, with quotes, control bytes, break codes
// and lead bytes at their ends, up to the very end of the buffer, and more
// than 16 bytes alike in their first 16.
TEST(CsvValueList, BuildEqualsALineByLineModel) {
  static const char* kParts[] = {"a",    "bc",   "\"", "\"\"",     "\x01",           "\x0E", "\x7F",
                                 "\x81", "\x81\x40", "\xE0", "\x95\x69", "0123456789abcdef", "x",    "\x06",
                                 "\r\n", "\n",   "\r",  ""};  // the last: a NUL byte
  std::mt19937 rng(26);
  for (int round = 0; round < 1500; ++round) {
    std::string text;
    const std::size_t size = rng() % (round < 1000 ? 300 : 3000);
    while (text.size() < size) {
      const std::size_t k = rng() % (sizeof kParts / sizeof kParts[0]);
      if (k + 1 == sizeof kParts / sizeof kParts[0]) text.push_back('\0');
      else text += kParts[k];
      if (rng() % 3 == 0) text += rng() % 2 ? "\x06" : "\r\n";
    }
    const int column = static_cast<int>(rng() % 4);
    const int width = 1 + static_cast<int>(rng() % 100);
    const bool codes = rng() % 4 != 0;
    // Built from a copy that ends the buffer (no bytes after the text).
    std::vector<std::uint8_t> exact(text.begin(), text.end());
    csv::ValueTable t;
    t.Build(exact.data(), exact.size(), column, width, codes);
    ASSERT_EQ(ModelValues(text, column, width, codes), Texts(t)) << round;
  }
}

// Buffers of several megabytes are counted in pieces (on several threads
// where the machine has cores): the same records, order and counts as one
// pass, also when the pieces together hold more values than the records
// (each piece fewer, or each piece more), and with empty lines and line
// ends of every kind where the pieces are cut.
TEST(CsvValueList, LargeBuffersCountLikeOnePass) {
  const char* const ends[] = {"\r\n", "\n", "\n\r\n", "\n\n\n", "\r", "\n\r"};
  for (int kind = 0; kind < 3; ++kind) {
    std::mt19937 rng(260 + kind);
    std::string text = "id\x06value\x06n\r\n";
    const int rows = 300000;
    for (int r = 0; r < rows; ++r) {
      int value = static_cast<int>(rng() % 900);
      if (kind == 1) value = (r < rows / 2 ? 0 : 600) + static_cast<int>(rng() % 600);  // 1200 in all
      if (kind == 2) value = r;                                                         // every row new
      text += std::to_string(r) + "\x06\x95\x69" + std::to_string(value) + "\x06" + std::to_string(rng() % 7);
      text += ends[rng() % 6];
    }
    ASSERT_GT(text.size(), 4u << 20);
    csv::ValueTable t;
    t.Build(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 1, 100);
    EXPECT_EQ(kind != 0, t.Overflowed()) << kind;
    ASSERT_EQ(ModelValues(text, 1, 100, true), Texts(t)) << kind;
  }
}

TEST(CsvValueList, Sorts) {
  const std::string text = Rows({{"t"}, {"b"}, {"a"}, {"c"}, {"a"}, {"c"}, {"d"}});
  auto t = Build(text, 0);
  t.Sort(csv::kSortUp);
  EXPECT_EQ((std::vector<std::string>{"a=2", "b=1", "c=2", "d=1"}), Texts(t));
  t.Sort(csv::kSortDown);
  EXPECT_EQ((std::vector<std::string>{"d=1", "c=2", "b=1", "a=2"}), Texts(t));
  // By count: chosen first at equal counts, then value descending.
  t.SetMark(3, true);  // a
  t.SetMark(2, true);  // b
  t.Sort(csv::kSortCount);
  EXPECT_EQ((std::vector<std::string>{"a=2", "c=2", "b=1", "d=1"}), Texts(t));
  EXPECT_TRUE(t.Marked(0));
  EXPECT_TRUE(t.Marked(2));
}

TEST(CsvValueList, SortComparesOnlyTheRecordAndIsStable) {
  // A literal "-- Over 999 items --" value and the overflow record are
  // equal in all their bytes once counts agree: they keep their order.
  std::string text = "t\r\n";
  for (int i = 0; i < 999; ++i) text += "v" + std::to_string(i) + "\r\n";
  text = "t\r\n-- Over 999 items --\r\n" + text.substr(3) + "extra\r\n";
  auto t = Build(text, 0);
  ASSERT_TRUE(t.Overflowed());
  ASSERT_EQ("-- Over 999 items --", t.Text(0));
  ASSERT_EQ("-- Over 999 items --", t.Text(999));
  ASSERT_EQ(std::string(t.Record(0), 110), std::string(t.Record(999), 110));
  // The last record is compared in its own 110 bytes only (ASan would see
  // a read past the table).
  for (int mode : {csv::kSortUp, csv::kSortDown, csv::kSortCount}) {
    t.Sort(mode);
    EXPECT_EQ(1000, t.Used());
  }
  // Stability: equal records stay where they were relative to each other.
  t.Sort(csv::kSortUp);
  int first = -1, second = -1;
  for (int i = 0; i < t.Used(); ++i) {
    if (t.Text(i) == "-- Over 999 items --") (first < 0 ? first : second) = i;
  }
  EXPECT_EQ(first + 1, second);
}

TEST(CsvValueList, Width) {
  EXPECT_EQ(6, csv::StepValueWidth(100, +1));
  EXPECT_EQ(6, csv::StepValueWidth(100, -1));
  EXPECT_EQ(7, csv::StepValueWidth(6, +1));
  EXPECT_EQ(1, csv::StepValueWidth(1, -1));
  EXPECT_EQ(99, csv::StepValueWidth(99, +1));
  // Values longer than a record holds are grouped by their first 99 bytes.
  const std::string long1(120, 'a'), long2 = std::string(99, 'a') + "b";
  const auto t = Build(Rows({{"t"}, {long1}, {long2}}), 0);
  ASSERT_EQ(1, t.Used());
  EXPECT_EQ(2, t.Count(0));
  EXPECT_EQ(99u, t.Text(0).size());
}

struct CondCase {
  const char* cond;
  const char* value;
  const char* initial;
  bool add;
  const char* want;
};

TEST(CsvValueList, ConditionRules) {
  const CondCase cases[] = {
      // add
      {"", "|a", "", true, "|a"},
      {"ab", "|a", "", true, "|a"},
      {"|x ||", "|a", "", true, "|x || |a"},
      {"|x &&", "|a", "", true, "|x && |a"},
      {"|x || ", "|a", "", true, "|x || |a"},
      {"|x && ", "|a", "", true, "|x && |a"},
      {"init", "|a", "init", true, "|a"},
      {"|x", "|a", "", true, "|a"},  // shorter than 3: replaced
      {"|xy", "|a", "", true, "|xy || |a"},
      {"|xy", "NULL", "", true, "|xy || NULL"},
      // take out
      {"|a", "|a", "", false, ""},
      {"|x || |a", "|a", "", false, "|x"},
      {"|x && |a", "|a", "", false, "|x &&"},
      {"|a || |x", "|a", "", false, "|x"},
      {"|x || |a || |y", "|a", "", false, "|x || |y"},
      {"|x || |y", "|a", "", false, "|x || |y"},
  };
  for (const auto& c : cases) {
    const std::string got = c.add ? csv::AddConditionValue(c.cond, c.value, c.initial) : csv::RemoveConditionValue(c.cond, c.value);
    EXPECT_EQ(c.want, got) << c.cond << " / " << c.value;
  }
  EXPECT_EQ("|東京", csv::ConditionValueOfLine("      12 \t 東京"));
  EXPECT_EQ("NULL", csv::ConditionValueOfLine("       3 \t NULL"));
}

TEST(CsvValueList, ToggleTwiceRestores) {
  auto t = Build(Rows({{"t", "u"}, {"ab", "1"}, {"b", "1"}, {"", "1"}}), 0);
  bool warn = true;
  std::string c = csv::ToggleValue(t, 0, "first", "first", &warn);
  EXPECT_EQ("|ab", c);
  EXPECT_FALSE(warn);
  c = csv::ToggleValue(t, 2, c, "first", &warn);
  EXPECT_EQ("|ab || NULL", c);
  EXPECT_TRUE(t.Marked(2));
  EXPECT_EQ('*', t.Line(2)[8]);
  c = csv::ToggleValue(t, 2, c, "first", &warn);
  EXPECT_EQ("|ab", c);
  EXPECT_FALSE(t.Marked(2));
  t.ClearMarks();
  EXPECT_FALSE(t.Marked(0));
}

TEST(CsvValueList, FortyJoinersWarnAndKeep) {
  std::string text = "t\r\n";
  for (int i = 0; i < 45; ++i) text += "v" + std::to_string(i) + "\r\n";
  auto t = Build(text, 0);
  std::string c;
  int warned = 0;
  for (int i = 0; i < 45; ++i) {
    bool warn = false;
    c = csv::ToggleValue(t, i, c, "", &warn);
    if (warn) {
      ++warned;
      EXPECT_GE(csv::CountConditionJoiners(c), 40);
    }
  }
  // 41 values make 40 joiners: values 41-45 warn, and all stay.
  EXPECT_EQ(5, warned);
  EXPECT_EQ(44, csv::CountConditionJoiners(c));
  EXPECT_NE(std::string::npos, c.find("|v44"));
}

}  // namespace
