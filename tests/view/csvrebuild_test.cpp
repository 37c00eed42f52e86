// The CSV working buffer rebuilt from the shown table: edits come back in
// the 0x06 form, everything unchanged keeps its bytes (quotes, row ends,
// other pages), and the comma form of the result reads back the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "csv/csv_fileform.h"
#include "view/viewload/csvrebuild.h"
#include "view/viewload/csvshow.h"

namespace {

std::string Working(const std::string& csv) {
  std::string w(csv.size(), '\0');
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size(),
                                    reinterpret_cast<std::uint8_t*>(&w[0]));
  return w;
}

viewload::CsvShowOptions Opts(bool hide, std::uint32_t first = 0, std::uint32_t max = 0) {
  viewload::CsvShowOptions o;
  o.hideQuotes = hide;
  o.firstRow = first;
  o.maxRows = max;
  return o;
}

std::string Shown(const std::string& w, const viewload::CsvShowOptions& o) {
  std::string s;
  viewload::AppendCsvShown(reinterpret_cast<const std::uint8_t*>(w.data()), w.size(), o, s);
  return s;
}

std::string Rebuild(const std::string& w, const viewload::CsvShowOptions& o, const std::string& shown,
                    viewload::CsvRebuildStats* st = nullptr) {
  std::string out;
  viewload::RebuildWorkingForm(reinterpret_cast<const std::uint8_t*>(w.data()), w.size(), o, shown.data(),
                               shown.size(), out, st);
  return out;
}

std::string Comma(const std::string& w) {
  return csv::ToCommaForm(reinterpret_cast<const std::uint8_t*>(w.data()), w.size(),
                               csv::CommaFormKind::kComma);
}

void ReplaceOnce(std::string& s, const std::string& from, const std::string& to) {
  std::size_t at = s.find(from);
  ASSERT_NE(std::string::npos, at) << from;
  s.replace(at, from.size(), to);
}

const char kCsv[] =
    "\"名前\",\"住所\",\"メモ\"\r\n"
    "\"山田\",\"東京都,港区\",a\r\n"
    "佐藤,大阪,\"b\"\"c\"\r\n";

TEST(CsvRebuild, AnUnchangedTableIsTheSameBufferInBothDisplayForms) {
  const std::string w = Working(kCsv);
  for (bool hide : {false, true}) {
    viewload::CsvRebuildStats st;
    EXPECT_EQ(w, Rebuild(w, Opts(hide), Shown(w, Opts(hide)), &st)) << hide;
    EXPECT_EQ(3u, st.rowsKept);
    EXPECT_EQ(0u, st.rowsRebuilt);
    // The control's text may end in one more paragraph mark.
    EXPECT_EQ(w, Rebuild(w, Opts(hide), Shown(w, Opts(hide)) + "\r\n")) << hide;
  }
}

TEST(CsvRebuild, AnEditedCellComesBackAndTheCommaFormKeepsTheOtherQuotes) {
  const std::string w = Working(kCsv);
  std::string shown = Shown(w, Opts(false));
  ReplaceOnce(shown, "大阪", "京都");
  const std::string r = Rebuild(w, Opts(false), shown);
  EXPECT_EQ("佐藤\x06京都\x06\"b\"\"c\"\r\n", r.substr(r.find("佐藤")));
  std::string expect = kCsv;
  ReplaceOnce(expect, "大阪", "京都");
  EXPECT_EQ(expect, Comma(r));
}

TEST(CsvRebuild, HiddenQuotesComeBackForUnchangedFieldsAndChangedOnesAreQuotedWhenNeeded) {
  const std::string w = Working(kCsv);
  std::string shown = Shown(w, Opts(true));
  ASSERT_NE(std::string::npos, shown.find("東京都,港区\ta"));
  ReplaceOnce(shown, "\ta\r\n", "\tx,y\r\n");
  const std::string r = Rebuild(w, Opts(true), shown);
  std::string expect = kCsv;
  ReplaceOnce(expect, ",a\r\n", ",\"x,y\"\r\n");
  EXPECT_EQ(expect, Comma(r));
}

TEST(CsvRebuild, InsertedAndDeletedRowsMoveNothingElse) {
  const std::string w = Working(kCsv);
  std::string shown = Shown(w, Opts(true));
  // Insert a row after the title; the rows below keep their quotes.
  ReplaceOnce(shown, "メモ\r\n", "メモ\r\n新\t行\t1\r\n");
  viewload::CsvRebuildStats st;
  std::string r = Rebuild(w, Opts(true), shown, &st);
  EXPECT_EQ(3u, st.rowsKept);
  EXPECT_EQ(1u, st.rowsRebuilt);
  std::string expect = kCsv;
  ReplaceOnce(expect, "メモ\"\r\n", "メモ\"\r\n新,行,1\r\n");
  EXPECT_EQ(expect, Comma(r));
  // Delete the middle row.
  shown = Shown(w, Opts(true));
  ReplaceOnce(shown, "山田\t東京都,港区\ta\r\n", "");
  r = Rebuild(w, Opts(true), shown);
  expect = kCsv;
  ReplaceOnce(expect, "\"山田\",\"東京都,港区\",a\r\n", "");
  EXPECT_EQ(expect, Comma(r));
}

TEST(CsvRebuild, APagedTableKeepsTheRowsOutsideThePage) {
  std::string csv;
  for (int i = 0; i < 10; ++i) csv += "r" + std::to_string(i) + ",\"v," + std::to_string(i) + "\"\r\n";
  const std::string w = Working(csv);
  const auto o = Opts(false, 4, 3);  // rows 4-6
  std::string shown = Shown(w, o);
  ASSERT_EQ(0u, shown.find("r4\t"));
  ReplaceOnce(shown, "r5", "R5");
  viewload::CsvRebuildStats st;
  const std::string r = Rebuild(w, o, shown, &st);
  EXPECT_EQ(7u, st.rowsOutside);
  std::string expect = csv;
  ReplaceOnce(expect, "r5", "R5");
  EXPECT_EQ(expect, Comma(r));
}

TEST(CsvRebuild, ALastRowWithoutARowEndStaysWithoutOne) {
  const std::string w = Working("a,b\r\nc,d");
  std::string shown = Shown(w, Opts(false));
  ReplaceOnce(shown, "d", "e");
  EXPECT_EQ("a\x06" "b\r\nc\x06" "e", Rebuild(w, Opts(false), shown));
  // A TAB inside quotes is data, not a separator.
  EXPECT_EQ("\"x\ty\"\x06z\r\n", Rebuild("", Opts(false), "\"x\ty\"\tz\r\n"));
}

TEST(CsvRebuild, AnEditedTableSavesItsUneditedRowsByteForByte) {
  // LF rows, a quoted line break, a TAB in a field, a trailing empty line:
  // one cell changes, every other byte of the file stays.
  const std::string csv = "\"a\nb\",c\nx\ty,2\n1,2\n\n";
  for (bool hide : {false, true}) {
    const std::string w = Working(csv);
    std::string shown = Shown(w, Opts(hide));
    ReplaceOnce(shown, "1\t2", "1\t3");
    const std::string r = Rebuild(w, Opts(hide), shown);
    EXPECT_EQ("\"a\nb\",c\nx\ty,2\n1,3\n\n", Comma(r)) << hide;
  }
  // A row added at the end takes the table's row end.
  const std::string w = Working("a,b\n");
  EXPECT_EQ("a,b\nc,d\n", Comma(Rebuild(w, Opts(false), "a\tb\r\nc\td\r\n")));
}

TEST(CsvRebuild, BytesFromANulOnAreKept) {
  // The control shows the table up to a NUL; what follows is not lost.
  const std::string w("a\x06" "b\r\nc\0tail\r\n", 13);
  std::string shown = Shown(w, Opts(false));
  ReplaceOnce(shown, "a", "z");
  const std::string r = Rebuild(w, Opts(false), shown);
  EXPECT_EQ(std::string("z\x06" "b\r\nc\0tail\r\n", 13), r);
}

}  // namespace

namespace {

// A record with line breaks inside quoted cells shows on one line (each
// break its code); an edit of the same row, in either display form, keeps
// the multi-line cell whole in the saved file.
TEST(CsvRebuild, CellsWithLineBreaksStayWholeThroughAnEdit) {
  const std::string file = "k,v\r\n1,\"one\r\ntwo\",a\r\n2,\"x\ny\",b\r\n";
  const std::string w = Working(file);
  for (bool hide : {false, true}) {
    std::string shown = Shown(w, Opts(hide));
    EXPECT_EQ(3u, static_cast<std::size_t>(std::count(shown.begin(), shown.end(), '\n'))) << hide;
    ReplaceOnce(shown, "\ta\r\n", "\tchanged\r\n");
    ReplaceOnce(shown, "\tb\r\n", "\tz\r\n");
    const std::string r = Rebuild(w, Opts(hide), shown);
    EXPECT_EQ("k,v\r\n1,\"one\r\ntwo\",changed\r\n2,\"x\ny\",z\r\n", Comma(r)) << hide;
  }
}

}  // namespace
