#include "csv/csv_fileform.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "csv/csv_table.h"

namespace {

using csv::CommaFormKind;

std::string Comma(const std::string& work, csv::CommaFormStats* st = nullptr) {
  return csv::ToCommaForm(reinterpret_cast<const std::uint8_t*>(work.data()), work.size(), CommaFormKind::kComma,
                          st);
}
std::string Tabs(const std::string& work) {
  return csv::ToCommaForm(reinterpret_cast<const std::uint8_t*>(work.data()), work.size(), CommaFormKind::kTab);
}
std::string Load(const std::string& file) {
  std::string w(file.size(), '\0');
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(),
                               reinterpret_cast<std::uint8_t*>(&w[0]));
  return w;
}
// Through the table the view holds: load, index, file text.
std::string RoundTrip(const std::string& file) {
  csv::Table t;
  if (!t.LoadFileText(file.data(), file.size(), 0)) return "<no memory>";
  return t.FileText(CommaFormKind::kComma);
}

TEST(CsvFileForm, LoadTurnsCommasOutsideQuotesIntoSeparators) {
  EXPECT_EQ(Load("a,\"b,c\",d\r\n"), "a\x06\"b,c\"\x06" "d\r\n");
  // A line break inside a quoted field is an in-cell code; a quote that
  // never closes leaves its line end a row end, and the next line starts
  // outside quotes.
  EXPECT_EQ(Load("\"a\nb\",c\n1,2"), "\"a\x0E" "b\"\x06" "c\n1\x06" "2");
  EXPECT_EQ(Load("\"a\nb,c\n1,2"), "\"a\nb\x06" "c\n1\x06" "2");
  // Loading in place gives the same bytes.
  std::string s = "x,\"y,z\"\r\n";
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(),
                               reinterpret_cast<std::uint8_t*>(&s[0]));
  EXPECT_EQ(s, Load("x,\"y,z\"\r\n"));
}

// Files that an unedited save must write back byte for byte.
TEST(CsvFileForm, UneditedTablesSaveTheBytesTheyWereReadFrom) {
  const char* const files[] = {
      "\"a\nb\",c\n1,2\n",                       // quoted line break
      "\"a\r\nb\",c\r\n1,2\r\n",                 // the same with CR LF
      "a,b\n1,2\n\n",                            // trailing empty line
      "a,b\r\n1,2\r\n\r\n\r\n",                  // two of them
      "a\tb,c\n",                                // TAB in an unquoted field
      "\"a\tb\"\tc\r\n",                         // TABs inside and outside quotes
      "\"x,y\",\"plain\",\"say \"\"hi\"\"\",z\r\n",  // quoted comma, doubled quotes
      "5\" disk,x\r\n",                          // unpaired quote in the last field
      "a,b\r\nc,d",                              // no final line end
      "a,b\rc,d\r",                              // CR rows
      "\xe8\xa1\xa8,\x83\x5c,\"\x95\x5c,\x8e\xa6\"\r\n",  // Shift-JIS with 5C trail bytes
      ",,\r\n,\r\n",                             // empty fields
      "\r\n\r\n",                                // empty rows only
      "a,b\r\n\x01\x02",                         // control bytes after the last row end
  };
  for (const char* f : files) EXPECT_EQ(RoundTrip(f), f) << f;
  const std::string withNul("a,\0b\r\nc\0,d\r\n", 12);
  EXPECT_EQ(RoundTrip(withNul), withNul);
  csv::CommaFormStats st;
  Comma(Load("\"a\nb\",c\n5\" disk,x\n"), &st);
  EXPECT_EQ(st.rewrittenRows, 0u);
  EXPECT_EQ(st.closedQuotes, 0u);
  EXPECT_EQ(st.rows, 2u);  // the quoted break is inside the first row
}

TEST(CsvFileForm, EditedRowsAreQuotedWhereTheCommaFormNeedsIt) {
  csv::CommaFormStats st;
  // A comma typed into a field: that field is quoted, its quotes doubled.
  EXPECT_EQ(Comma("1,000\x06" "b\r\n", &st), "\"1,000\",b\r\n");
  EXPECT_EQ(st.quotedFields, 1u);
  EXPECT_EQ(st.rewrittenRows, 1u);
  EXPECT_EQ(Comma("\"a\"b,c\x06" "d\r\n"), "\"\"\"a\"\"b,c\",d\r\n");
  EXPECT_EQ(Comma("\xe8\xa1\xa8,\x83\x5c\x06x"), "\"\xe8\xa1\xa8,\x83\x5c\",x");
  // A quote typed without its pair before a separator is closed at its
  // field's end, so the next field stays a field.
  EXPECT_EQ(Comma("5\" disk\x06" "x\r\n", &st), "5\" disk\",x\r\n");
  EXPECT_EQ(st.closedQuotes, 1u);
  // Only the edited row changes; the rows around it keep their bytes.
  EXPECT_EQ(Comma("\"a\x0E" "b\"\x06" "c\n1,0\x06" "2\nx\x06y\n"), "\"a\nb\",c\n\"1,0\",2\nx,y\n");
  // A row left with a quote open that a later quote would close gets its
  // quote closed, or the load would join the rows; one that nothing closes
  // stays as it is.
  EXPECT_EQ(Comma("\"a\nb\",c\n"), "\"a\"\nb\",c\n");
  EXPECT_EQ(Comma("\"a\nb\x06" "c\n"), "\"a\nb,c\n");
}

// A row holding a multi-line cell and a cell edited to hold a comma (the
// thousands commas): the quoted fields stay as the load left them, the comma
// field is quoted, and the load gives the row's cells back (the comma cell
// with the quotes it now has in the file).
TEST(CsvFileForm, AnEditedRowWithAMultiLineCellKeepsItsQuotedFields) {
  const std::string work = "35\x06\"\x8f\xa4\"\x06 1,200\x06\"a\x0E" "b\"\x06\"q\"\"x\"\r\n";
  const std::string file = Comma(work);
  EXPECT_EQ("35,\"\x8f\xa4\",\" 1,200\",\"a\nb\",\"q\"\"x\"\r\n", file);
  csv::Table t;
  ASSERT_TRUE(t.LoadFileText(file.data(), file.size(), 0));
  EXPECT_EQ("35\x06\"\x8f\xa4\"\x06\" 1,200\"\x06\"a\x0E" "b\"\x06\"q\"\"x\"\r\n",
            std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen));
}

TEST(CsvFileForm, EveryLoadedTableReadsBackTheSameFields) {
  // The comma form of any working form loads again into the same fields:
  // separators stay separators, and nothing else becomes one.
  std::mt19937 rng(7);
  const char alphabet[] = {'a', ',', '"', '\t', '\x06', '\r', '\n', '\x83', '\x5c'};
  for (int n = 0; n < 3000; ++n) {
    std::string w;
    const int len = static_cast<int>(rng() % 24);
    for (int i = 0; i < len; ++i) w += alphabet[rng() % sizeof alphabet];
    const std::string file = Comma(w);
    const std::string again = Load(file);
    auto fields = [](const std::string& s) {
      std::string shape;
      for (char c : s)
        if (c == '\x06' || c == '\r' || c == '\n') shape += c;
      return shape;
    };
    EXPECT_EQ(fields(again), fields(w)) << testing::PrintToString(w);
    EXPECT_EQ(Comma(again), file) << testing::PrintToString(w);
  }
}

// Generated CSV files: quoted commas, doubled quotes, TABs in fields, quoted
// line breaks, Shift-JIS text, empty fields and rows, every line end, with
// and without a final line end and with empty trailing lines.
std::string GenerateCsv(std::mt19937& rng) {
  const char* const ends[] = {"\r\n", "\n", "\r"};
  const std::string end = ends[rng() % 3];
  const char* const plain[] = {"abc", "", "12", "\x95\x5c", "\x83\x5c\x83\x67", "a b", "a\tb", "x\"y"};
  const char* const quoted[] = {"\"a,b\"", "\"\"", "\"say \"\"hi\"\"\"", "\"t\tu\"", "\"\x95\x5c,\x8e\xa6\""};
  std::string out;
  const int rows = static_cast<int>(rng() % 6);
  for (int r = 0; r < rows; ++r) {
    const int cols = 1 + static_cast<int>(rng() % 4);
    for (int c = 0; c < cols; ++c) {
      if (c) out += ',';
      switch (rng() % 3) {
        case 0: out += plain[rng() % 8]; break;
        case 1: out += quoted[rng() % 5]; break;
        default: out += "\"line" + end + "break\""; break;
      }
    }
    if (r + 1 < rows || rng() % 2) out += end;
  }
  const int trailing = static_cast<int>(rng() % 3);
  for (int t = 0; t < trailing; ++t) out += end;
  return out;
}

TEST(CsvFileForm, GeneratedFilesAndRandomBytesRoundTrip) {
  std::mt19937 rng(2024);
  for (int n = 0; n < 5000; ++n) {
    const std::string file = GenerateCsv(rng);
    ASSERT_EQ(RoundTrip(file), file) << testing::PrintToString(file);
  }
  // Any bytes but 0x06, which a file cannot hold apart from a separator.
  for (int n = 0; n < 5000; ++n) {
    std::string file(rng() % 40, '\0');
    for (char& c : file) {
      c = static_cast<char>(rng() % 256);
      if (c == '\x06') c = ',';
    }
    ASSERT_EQ(RoundTrip(file), file) << testing::PrintToString(file);
  }
}

TEST(CsvFileForm, SeparatorBytesOfTheFileAreCountedAndComeBackAsCommas) {
  const std::string file = "a\x06" "b,c,\"d\x06" "e\"\r\n";
  EXPECT_EQ(csv::CountFieldSeparatorBytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()), 2u);
  // Outside quotes it separates, inside them it is a comma of the field.
  EXPECT_EQ(Load(file), "a\x06" "b\x06" "c\x06\"d,e\"\r\n");
  EXPECT_EQ(RoundTrip(file), "a,b,c,\"d,e\"\r\n");
}

TEST(CsvFileForm, TabFormForKindNine) {
  EXPECT_EQ(csv::CommaFormKindFor(33), CommaFormKind::kComma);
  EXPECT_EQ(csv::CommaFormKindFor(35), CommaFormKind::kComma);
  EXPECT_EQ(csv::CommaFormKindFor(9), CommaFormKind::kTab);
  EXPECT_EQ(Tabs("a,1\x06\"b\"\x06" "c\r\nd\x06" "e\r\n\r"), "a,1\t\"b\"\tc\r\nd\te\r\n\r");
}

}  // namespace
