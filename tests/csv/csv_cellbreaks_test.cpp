// Line breaks inside quoted cells: the load's codes, the comma form's way
// back, texts that already hold the code bytes, and the one-pass load
// leaving such files to the careful path.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "csv/csv_cellbreaks.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_fileform.h"
#include "csv/csv_loadscan.h"
#include "csv/csv_table.h"

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::string Working(const std::string& file, csv::CellBreakLoad* load = nullptr) {
  std::string out(file.size(), '\0');
  const csv::CellBreakLoad l =
      csv::CommasToFieldSeparators(U(file), file.size(), reinterpret_cast<std::uint8_t*>(&out[0]));
  if (load) *load = l;
  return out;
}

std::string Comma(const std::string& work, bool codesAreData = false) {
  return csv::ToCommaForm(U(work), work.size(), csv::CommaFormKind::kComma, nullptr, codesAreData);
}

TEST(CellBreaks, BreaksInsideQuotedFieldsBecomeCodesAndComeBack) {
  struct Case {
    const char* file;
    const char* work;
  } cases[] = {
      {"a,\"x\r\ny\",b\r\n", "a\x06\"x\x7F\x0Ey\"\x06" "b\r\n"},
      {"a,\"x\ny, \"\"z\"\"\"\n", "a\x06\"x\x0Ey, \"\"z\"\"\"\n"},           // doubled quotes, a comma inside
      {"\"a\"\"\r\nb\",c\r\n", "\"a\"\"\x7F\x0E" "b\"\x06" "c\r\n"},          // a doubled quote before the break
      {"\"\r\n\"\r\n", "\"\x7F\x0E\"\r\n"},                                    // a cell that is only a break
      {"a,5\",b\r\nc,d\r\n", "a\x06" "5\",b\r\nc\x06" "d\r\n"},              // 5" is text: no break to code
      {"a,\"open\r\nb,c\r\n", "a\x06\"open\r\nb\x06" "c\r\n"},               // never closed: rows stay rows
      {"x\"y,\"p\nq\"\n", "x\"y,\"p\nq\"\n"},              // a quote after text opens nothing; the break
                                                              // of "p is left a row end: the commas' quote is off
      {"\"p\nq\",\"r\r\ns\"\n", "\"p\x0Eq\"\x06\"r\x7F\x0Es\"\n"},
  };
  for (const Case& c : cases) {
    csv::CellBreakLoad load;
    const std::string work = Working(c.file, &load);
    EXPECT_EQ(std::string(c.work), work) << c.file;
    EXPECT_FALSE(load.codesAreData);
    EXPECT_EQ(std::string(c.file), Comma(work)) << c.file;
  }
}

// Where no quoted field spans lines, the load is the plain working form.
TEST(CellBreaks, WithoutQuotedBreaksTheLoadIsThePlainWorkingForm) {
  std::mt19937 rng(7);
  static const char* kParts[] = {"\"", ",", "\r", "\n", "\r\n", "a", "\"\"", "\x06", "\x83\x5c", "5\""};
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    const int n = 1 + static_cast<int>(rng() % 40);
    for (int k = 0; k < n; ++k) s += kParts[rng() % (sizeof kParts / sizeof kParts[0])];
    std::string plain(s.size(), '\0'), coded(s.size(), '\0');
    csv::CommasToSeparatorsBytewise(U(s), s.size(), reinterpret_cast<std::uint8_t*>(&plain[0]));
    const std::size_t codes =
        csv::CommasToSeparatorsWithCellBreaks(U(s), s.size(), reinterpret_cast<std::uint8_t*>(&coded[0]));
    if (codes == 0) {
      EXPECT_EQ(plain, coded) << s;
    }
    // Either way a row end is a row end of the file, one byte for one.
    ASSERT_EQ(s.size(), coded.size());
    std::size_t lineEnds = 0, codeBytes = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      lineEnds += s[i] == '\r' || s[i] == '\n';
      codeBytes += csv::IsCellBreakCode(static_cast<std::uint8_t>(coded[i]));
    }
    EXPECT_EQ(codes, codeBytes);
    EXPECT_LE(codes, lineEnds);
  }
}

TEST(CellBreaks, ATextThatHoldsTheCodeBytesKeepsThemAsData) {
  const std::string file = "a,\"x\r\ny\",b\x0E\r\nc\x7F,d\r\n";
  auto t = std::make_unique<csv::Table>();
  csv::CellBreakLoad load;
  ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 16, &load));
  EXPECT_TRUE(load.codesAreData);
  EXPECT_TRUE(load.breaksLeft);
  EXPECT_EQ(0u, load.codes);
  EXPECT_TRUE(t->m_bCellCodesAreData);
  EXPECT_EQ(2, t->m_nLastRow);  // the quoted break stays a row end
  EXPECT_EQ(file, t->FileText(csv::CommaFormKind::kComma));
  // A table of breaks (the usual case) writes its codes as line ends.
  auto u = std::make_unique<csv::Table>();
  const std::string plain = "a,\"x\r\ny\",b\r\n";
  ASSERT_TRUE(u->LoadFileText(plain.data(), plain.size(), 16, &load));
  EXPECT_EQ(2u, load.codes);
  EXPECT_FALSE(u->m_bCellCodesAreData);
  EXPECT_EQ(0, u->m_nLastRow);
  EXPECT_EQ(plain, u->FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ("a\t\"x\r\ny\"\tb\r\n", u->FileText(csv::CommaFormKind::kTab));
}

TEST(CellBreaks, AnEditedCellWithABreakIsWrittenInQuotes) {
  // Rows a table command or an edit built: a break outside quotes gets them,
  // so that the record reads back as one.
  EXPECT_EQ("a,\"x\r\ny\",b\r\n", Comma(std::string("a\x06x\x7F\x0Ey\x06" "b\r\n")));
  EXPECT_EQ("a,\"x\ny\",\"b,c\"\r\n", Comma(std::string("a\x06x\x0Ey\x06" "b,c\r\n")));
  EXPECT_EQ("\"say \"\"hi\"\"\nthere\"\r\n", Comma(std::string("\"say \"\"hi\"\"\x0Ethere\"\r\n")));
  // The code bytes of a table whose codes are data stay as they are.
  EXPECT_EQ("a,x\x0Ey\r\n", Comma(std::string("a\x06x\x0Ey\r\n"), true));
}

TEST(CellBreaks, TheOnePassLoadLeavesQuotedBreaksToTheCarefulPath) {
  const std::string multi = "a,\"x\r\ny\",b\r\n";
  std::string dst(multi.size(), '\0');
  auto* d = reinterpret_cast<std::uint8_t*>(&dst[0]);
  EXPECT_FALSE(csv::SjisPieceToWorkingForm(U(multi), multi.size(), d));
  EXPECT_FALSE(csv::SjisPieceToWorkingFormBytewise(U(multi), multi.size(), d));
  // A row end right after the block's first byte, and one 64 bytes in.
  std::string late(70, 'a');
  late[63] = '"';
  late[64] = '\n';
  EXPECT_FALSE(csv::SjisPieceToWorkingForm(U(late), late.size(), d = reinterpret_cast<std::uint8_t*>(&(dst = late)[0])));
  const std::string code = "a,b\x0E\r\n";
  EXPECT_FALSE(csv::SjisPieceToWorkingForm(U(code), code.size(), d));
  const std::string clean = "a,\"x,y\",b\r\n\"\"\r\n";
  dst.assign(clean.size(), '\0');
  d = reinterpret_cast<std::uint8_t*>(&dst[0]);
  EXPECT_TRUE(csv::SjisPieceToWorkingForm(U(clean), clean.size(), d));
  // The careful path codes the break; the table goes back byte for byte.
  auto t = std::make_unique<csv::Table>();
  EXPECT_FALSE(t->LoadSjisFileBytes(multi.data(), multi.size(), 16));
  ASSERT_TRUE(t->LoadFileText(multi.data(), multi.size(), 16));
  EXPECT_EQ(multi, t->FileText(csv::CommaFormKind::kComma));
}

TEST(CellBreaks, OnlyARowEndWithAQuoteOpenCallsForTheSlowerLoad) {
  EXPECT_FALSE(csv::QuoteOpenAtRowEnd(U(std::string("a,b\r\n")), 5));
  EXPECT_FALSE(csv::QuoteOpenAtRowEnd(U(std::string("\"a\",\"\"\r\n")), 8));
  EXPECT_TRUE(csv::QuoteOpenAtRowEnd(U(std::string("\"a\r\n\"")), 5));
  EXPECT_TRUE(csv::QuoteOpenAtRowEnd(U(std::string("5\"\n")), 3));
  EXPECT_FALSE(csv::QuoteOpenAtRowEnd(U(std::string("\"a")), 2));  // open at the end, no row end
}

}  // namespace
