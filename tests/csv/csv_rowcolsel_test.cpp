// The row and column order dialog's text logic: the title text, the list
// entries and sorts, the edits of the column order text by picks and
// buttons, and the two title copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_rowcolsel.h"

namespace {

using csv::RowColEdit;

std::string Title(const std::string& row, bool codes = true) {
  return csv::RowColTitleText(reinterpret_cast<const std::uint8_t*>(row.data()), row.size(), 0, codes);
}

// The entries of a table of `n` titles "t1".."tn".
std::vector<std::string> Entries(int n) {
  std::string row;
  for (int i = 1; i <= n; ++i) row += (i > 1 ? "\x06" : "") + std::string("t") + std::to_string(i);
  row += "\r\n";
  return csv::RowColEntries(Title(row), csv::kRowColEntryWidth);
}

// The numbers of the marked entries.
std::vector<int> Marked(const std::vector<std::string>& entries) {
  std::vector<int> out;
  for (const auto& e : entries)
    if (e.size() > 4 && e[4] == '*') out.push_back(csv::RowColEntryNumber(e));
  return out;
}

TEST(RowColTitleText, RowsAndLimits) {
  EXPECT_EQ("   1: name\r", Title("name\r\nx\r\n"));
  EXPECT_EQ("   1: \"a\"\r\n   2: b\r\n   3: \r\n   4: d\n", Title("\"a\"\x06" "b\x06\x06" "d\nrest"));
  EXPECT_EQ("   1: a\r\n   2: b", Title("a\tb"));  // TAB separates too; the text ends without a row end
  // An in-cell line break is a blank (a byte of data when the codes are data).
  EXPECT_EQ("   1: first  line\r\n   2: x\r", Title("first\x7F\x0Eline\x06x\r\n"));
  EXPECT_EQ("   1: first  line\r", Title("first\x7F\x0Eline\r\n"));
  EXPECT_EQ(std::string("   1: a\x7F\x0E" "b\r"), Title("a\x7F\x0E" "b\r\n", false));
  // From a row's start inside the text.
  const std::string two = "skip\r\nk1\x06k2\r\n";
  EXPECT_EQ("   1: k1\r\n   2: k2\r",
            csv::RowColTitleText(reinterpret_cast<const std::uint8_t*>(two.data()), two.size(), 6, true));
}

TEST(RowColTitleText, LongRowIsCutAfterItsLastCompleteLine) {
  std::string row;
  for (int i = 0; i < 12000; ++i) row += (i ? "\x06" : "") + std::string("title");  // 13-14 bytes a line
  row += "\r\n";
  const std::string t = Title(row);
  EXPECT_LE(t.size(), csv::kRowColTitleMax);
  EXPECT_GT(t.size(), csv::kRowColTitleMax - 20);
  ASSERT_EQ('\n', t.back());
  // Every line is whole.
  const std::size_t lastLine = t.rfind('\n', t.size() - 2) + 1;
  EXPECT_EQ(": title\r\n", t.substr(lastLine + 4));
}

TEST(RowColTitleText, MoreThan9000ColumnsListTheFirst9000) {
  std::string row;
  for (int i = 0; i < 9500; ++i) row += (i ? "\x06" : "") + std::string("x");
  row += "\r\n";
  const std::string t = Title(row);
  EXPECT_EQ("9500: x\r", t.substr(t.size() - 8));
  const auto entries = csv::RowColEntries(t, csv::kRowColEntryWidth);
  ASSERT_EQ(9000u, entries.size());
  EXPECT_EQ("9000: x", entries.back());
}

TEST(RowColEntries, QuotesWidthAndDoubleByteCut) {
  const auto e = csv::RowColEntries("   1: \"quoted\"\r\n   2: b\r\n   3: c\r", 55);
  EXPECT_EQ((std::vector<std::string>{"   1: quoted", "   2: b", "   3: c"}), e);
  // A double-byte character whose lead byte is the 55th byte ends the entry
  // before it; one that ends at the 55th byte stays.
  const std::string pad48(48, 'x');
  const std::string at55 = "   1: " + pad48 + "\x82\xA0" + "tail";  // lead byte at index 54
  EXPECT_EQ("   1: " + pad48, csv::RowColEntries(at55, 55)[0]);
  const std::string pad47(47, 'x');
  const std::string ends55 = "   1: " + pad47 + "\x82\xA0" + "tail";  // bytes 53-54
  EXPECT_EQ("   1: " + pad47 + "\x82\xA0", csv::RowColEntries(ends55, 55)[0]);
  // A lead byte of the full CP932 set (0xF0) counts as one.
  const std::string f0 = "   1: " + pad48 + "\xF0\x40";
  EXPECT_EQ(54u, csv::RowColEntries(f0, 55)[0].size());
  // A quote removed before the cut lets the next character in.
  EXPECT_EQ("   1: " + pad48 + "y", csv::RowColEntries("   1: \"" + pad48 + "y", 55)[0]);
}

TEST(RowColEntries, SortsAreStable) {
  std::vector<std::string> e = {"   1: b", "   2: a", "   3: b", "  10: a", "   4* c"};
  csv::SortRowColEntries(e, 1);
  EXPECT_EQ((std::vector<std::string>{"   2: a", "  10: a", "   1: b", "   3: b", "   4* c"}), e);
  csv::SortRowColEntries(e, 2);
  EXPECT_EQ((std::vector<std::string>{"   4* c", "   1: b", "   3: b", "   2: a", "  10: a"}), e);
  csv::SortRowColEntries(e, 3);
  EXPECT_EQ((std::vector<std::string>{"   1: b", "   2: a", "   3: b", "   4* c", "  10: a"}), e);
  // Bytes compare unsigned: a Shift-JIS title sorts after ASCII.
  std::vector<std::string> j = {"   1: \x82\xA0", "   2: z"};
  csv::SortRowColEntries(j, 1);
  EXPECT_EQ("   2: z", j[0]);
}

// One step of a pick sequence: the line picked (or a button), then the text,
// caret and marks it leaves.
struct Step {
  const char* action;  // "pick N", "range", "rest", "del", "back", "caret N", "text T"
  const char* text;
  std::vector<int> marks;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
};

void RunCase(const Case& c) {
  std::vector<std::string> entries = Entries(20);
  RowColEdit edit;
  edit.text = "1-";
  edit.caret = 2;
  bool picked = false;
  for (const Step& s : c.steps) {
    const std::string a = s.action;
    if (a.rfind("pick ", 0) == 0) {
      csv::RowColPick(edit, entries, static_cast<std::size_t>(std::stoi(a.substr(5)) - 1), &picked);
    } else if (a == "range") {
      csv::RowColRange(edit);
    } else if (a == "rest") {
      csv::RowColRest(edit);
    } else if (a == "del") {
      csv::RowColDelete(edit);
    } else if (a == "back") {
      csv::RowColTakeBack(edit, entries);
    } else if (a.rfind("caret ", 0) == 0) {
      edit.caret = static_cast<std::size_t>(std::stoi(a.substr(6)));
    } else if (a.rfind("text ", 0) == 0) {
      edit.text = a.substr(5);
      edit.caret = edit.text.size();
    }
    EXPECT_EQ(s.text, edit.text) << c.name << ": " << a;
    EXPECT_LE(edit.caret, edit.text.size()) << c.name;
    EXPECT_EQ(s.marks, Marked(entries)) << c.name << ": " << a;
  }
}

TEST(RowColPick, EditCases) {
  const std::vector<Case> cases = {
      {"picks and a pick again",
       {{"pick 5", "5", {5}}, {"pick 2", "5,2", {2, 5}}, {"pick 7", "5,2,7", {2, 5, 7}}, {"pick 5", "2,7", {2, 7}}}},
      {"the first pick empties 1-", {{"pick 3", "3", {3}}}},
      {"a later 1- stays", {{"pick 3", "3", {3}}, {"text 1-", "1-", {3}}, {"pick 9", "1-9", {1, 2, 3, 4, 5, 6, 7, 8, 9}}}},
      {"range", {{"pick 5", "5", {5}}, {"range", "5-", {5}}, {"pick 9", "5-9", {5, 6, 7, 8, 9}}}},
      {"range below its start", {{"pick 5", "5", {5}}, {"range", "5-", {5}}, {"pick 3", "5-", {5}}}},
      {"range after a comma", {{"pick 1", "1", {1}}, {"pick 5", "1,5", {1, 5}}, {"range", "1,5-", {1, 5}},
                               {"pick 13", "1,5-13", {1, 5, 6, 7, 8, 9, 10, 11, 12, 13}}}},
      {"no range after a range", {{"pick 5", "5", {5}}, {"range", "5-", {5}}, {"pick 6", "5-6", {5, 6}},
                                  {"range", "5-6", {5, 6}}}},
      {"a marked number inside a range stays", {{"pick 5", "5", {5}}, {"range", "5-", {5}},
                                                {"pick 9", "5-9", {5, 6, 7, 8, 9}}, {"pick 7", "5-9", {5, 6, 7, 8, 9}}}},
      {"pick at the caret", {{"pick 5", "5", {5}}, {"pick 7", "5,7", {5, 7}}, {"caret 1", "5,7", {5, 7}},
                             {"pick 2", "5,2,7", {2, 5, 7}}, {"caret 0", "5,2,7", {2, 5, 7}},
                             {"pick 9", "9,5,2,7", {2, 5, 7, 9}}}},
      {"caret inside a number", {{"text 57", "57", {}}, {"caret 1", "57", {}}, {"pick 1", "5,1,7", {1}}}},
      {"caret after a comma", {{"pick 5", "5", {5}}, {"pick 7", "5,7", {5, 7}}, {"caret 2", "5,7", {5, 7}},
                               {"pick 2", "5,2,7", {2, 5, 7}}}},
      {"the last item removed", {{"pick 4", "4", {4}}, {"pick 4", "", {}}}},
      {"the middle item removed", {{"pick 4", "4", {4}}, {"pick 6", "4,6", {4, 6}}, {"pick 8", "4,6,8", {4, 6, 8}},
                                   {"pick 6", "4,8", {4, 8}}}},
      {"rest", {{"text 1,3", "1,3", {}}, {"rest", "1,3,*", {}}, {"text 1,3,", "1,3,", {}}, {"rest", "1,3,*", {}},
                {"rest", "1,3,*", {}}, {"text 1-", "1-", {}}, {"rest", "1-", {}}}},
      {"#del", {{"text 1,3", "1,3", {}}, {"del", "1,3#del", {}}, {"del", "1,3#del", {}}, {"text 1,*", "1,*", {}},
                {"del", "1,*", {}}, {"text 1,", "1,", {}}, {"del", "1,", {}}, {"text ", "", {}}, {"del", "", {}}}},
      {"range needs a number after a comma or alone",
       {{"text 5", "5", {}}, {"range", "5-", {}}, {"text 1,5-10", "1,5-10", {}}, {"range", "1,5-10", {}},
        {"text sortup2", "sortup2", {}}, {"range", "sortup2", {}}}},
      {"take back",
       {{"pick 1", "1", {1}}, {"pick 5", "1,5", {1, 5}}, {"range", "1,5-", {1, 5}},
        {"pick 13", "1,5-13", {1, 5, 6, 7, 8, 9, 10, 11, 12, 13}}, {"back", "1", {1}}, {"back", "", {}},
        {"back", "", {}}}},
      {"take back a sole range", {{"pick 5", "5", {5}}, {"range", "5-", {5}}, {"pick 13", "5-13", {5, 6, 7, 8, 9, 10, 11, 12, 13}},
                                  {"back", "", {}}}},
      {"take back with what follows", {{"pick 1", "1", {1}}, {"pick 3", "1,3", {1, 3}}, {"rest", "1,3,*", {1, 3}},
                                       {"back", "1", {1}}, {"del", "1#del", {1}}, {"back", "", {}}}},
      {"take back without numbers", {{"text sel:abc", "sel:abc", {}}, {"back", "", {}}}},
      {"take back after a word", {{"text sortup2", "sortup2", {}}, {"back", "sortup", {}}}},
  };
  for (const Case& c : cases) RunCase(c);
}

TEST(RowColPick, CaretCountsCharactersInTheEdit) {
  const std::string t = "sel:\x82\xA0x\xF0\x40";
  EXPECT_EQ(4u, csv::ByteOffsetOfChar(t, 4));
  EXPECT_EQ(6u, csv::ByteOffsetOfChar(t, 5));
  EXPECT_EQ(t.size(), csv::ByteOffsetOfChar(t, 99));
  EXPECT_EQ(5u, csv::CharCountBefore(t, 6));
  EXPECT_EQ(7u, csv::CharCountBefore(t, t.size()));
}

TEST(RowColPick, LimitsAndBadLines) {
  std::vector<std::string> entries = Entries(3);
  bool picked = true;
  RowColEdit edit;
  EXPECT_FALSE(csv::RowColPick(edit, entries, 3, &picked));  // no such line
  std::vector<std::string> odd = {"", "abc", "    : x"};
  for (std::size_t i = 0; i < odd.size(); ++i) EXPECT_FALSE(csv::RowColPick(edit, odd, i, &picked));
  // A pick never takes the text past the edit's limit.
  edit.text = std::string(csv::kRowColOrderMax - 1, '1');
  edit.caret = edit.text.size();
  EXPECT_FALSE(csv::RowColPick(edit, entries, 2, &picked));
  EXPECT_EQ(csv::kRowColOrderMax - 1, edit.text.size());
  EXPECT_TRUE(Marked(entries).empty());
  // A caret inside a double-byte character stands before it.
  edit.text = "sel:\x82\xA0";
  edit.caret = 5;
  ASSERT_TRUE(csv::RowColPick(edit, entries, 1, &picked));
  EXPECT_EQ("sel:,2,\x82\xA0", edit.text);
  EXPECT_EQ(6u, edit.caret);
}

TEST(RowColCopies, VerticalAndHorizontal) {
  const std::string titles = "   1: \"a\"\r\n   2: b c\r\n   3: \"q\"\"x\"\r";
  EXPECT_EQ(titles, csv::RowColVerticalCopy(titles));
  EXPECT_EQ("[a],[b c],[qx]", csv::RowColHorizontalCopy(titles, ""));
  EXPECT_EQ("[a],[b c],[qx]", csv::RowColHorizontalCopy(titles, "1-"));
  EXPECT_EQ("[q\"\"x],[a]-[b c],*#del", csv::RowColHorizontalCopy(titles, "3,1-2,*#del"));
  EXPECT_EQ("[b c],,-", csv::RowColHorizontalCopy(titles, "2,4,0-"));  // no title line: nothing
  EXPECT_EQ("sel:\x82\xA0", csv::RowColHorizontalCopy(titles, "sel:\x82\xA0"));
  EXPECT_EQ("", csv::RowColHorizontalCopy("", "1-"));
  EXPECT_EQ(",", csv::RowColHorizontalCopy("", "1,2"));  // the numbers have no titles
}

TEST(RowColCopies, BlocksAreCutAtACharacterBoundary) {
  // A title text of double-byte titles longer than the block.
  std::string titles;
  for (int i = 1; titles.size() < 60000; ++i) {
    char label[16];
    std::snprintf(label, sizeof label, "%4d: ", i);
    titles += std::string(i > 1 ? "\r\n" : "") + label + "\x82\xA0\x82\xA0\x82\xA0";
  }
  std::string many;
  for (int i = 0; i < 12000; ++i) many += i ? ",1" : "1";
  for (const std::string& s : {csv::RowColVerticalCopy(titles), csv::RowColHorizontalCopy(titles, "1-"),
                               csv::RowColHorizontalCopy(titles, many)}) {
    EXPECT_LE(s.size(), csv::kRowColClipBlock - 1);
    // The text walks by characters to its end without a lead byte left over.
    std::size_t i = 0;
    while (i < s.size()) {
      const auto c = static_cast<unsigned char>(s[i]);
      i += (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1;
    }
    EXPECT_EQ(s.size(), i);
  }
  // A number repeated many times stops at the block.
  EXPECT_GE(csv::RowColHorizontalCopy(titles, many).size(), csv::kRowColClipBlock - 3);
}

}  // namespace
