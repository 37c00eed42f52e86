// The code conversions of the built-in library: each function's examples
// and edge cases, the faults built soundly (no blank after a single-byte
// UTF-8 result, sequences cut by the field's end, '=' ending Base64, decoded
// bytes that would end a cell or a row), the character-width functions, the
// character codes and the character of a character id.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

struct Case {
  int code;
  const char* in;
  const char* out;
};

class FnConvert : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;

  // The function over `field`; `end` follows it (a terminator), or nothing
  // when the field runs to the end of the source. *readPos receives where
  // the call left the read position.
  std::string Call(int code, const std::string& field, const std::string& end = "\x06", int cap = 4000,
                   int* readPos = nullptr, const csv::TableFields* table = nullptr) {
    std::vector<std::uint8_t> src(field.begin(), field.end());
    src.insert(src.end(), end.begin(), end.end());
    std::vector<std::uint8_t> out(static_cast<std::size_t>(cap) + 1);
    int param = -9, pos = 0, outLen = 0;
    macro::BuiltinScope bs{*st, &host, const_cast<csv::TableFields*>(table), static_cast<std::uint32_t>(src.size())};
    macro::MacroCallBuiltinFunction(bs, code, &param, 1, 1, &pos, &outLen, nullptr, nullptr, src.data(), out.data(),
                                    "XX", "", nullptr, nullptr, nullptr, cap);
    if (readPos) *readPos = pos;
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen));
  }
};

TEST_F(FnConvert, ExamplesAndEdgeCases) {
  const Case cases[] = {
      // UTF-8: a single-byte result stands alone; cut and four-byte sequences.
      {140, "\xe3\x81\x82", "\x82\xa0"},
      {140, "\xc3\xa9", "?"},
      {140, "\xef\xbd\xb6\xef\xbe\x80\xef\xbd\xb6\xef\xbe\x85", "\xb6\xc0\xb6\xc5"},
      {140, "a\xc2\xa5z", "a\\z"},
      {140, "\xc0\x80", " "},
      {140, "\xc0\x8a", "\x0e"},
      {140, "\xc0\x8d", "\x7f"},
      {140, "a\xe3\x81", "a?\x81"},
      {140, "\xe3" "ab", "?ab"},
      {140, "\xf0\x9f\x98\x80x", "?x"},
      {140, "\xf0\x9f\x98", "?\x9f\x98"},
      {140, "\xed\xa0\x80", "?"},
      // EUC-JP.
      {141, "\xa4\xa2", "\x82\xa0"},
      {141, "\x8e\xb1", "\xb1"},
      {141, "\x8e\x9f", "\xdd"},
      {141, "\x8f\xb0\xa1", "\x81\xa5"},
      {141, "x\xa4", "x\xa4"},
      {141, "\x8e", "\x8e"},
      {141, "\xa4\xa0", "  "},
      // ISO-2022-JP.
      {142, "\x1b$B$\"\x1b(BA", "\x82\xa0" "A"},
      {142, "\x1b$B$\"\x1b(JA", "\x82\xa0" "A"},
      {142, "\x1b$B$", "$"},
      {142, "\x1b$", "\x1b$"},
      {142, "$\"", "$\""},
      // Base64: '=' ends the data; a short group writes its whole bytes.
      {143, "QUJD", "ABC"},
      {143, "QQ==", "A"},
      {143, "QUI=", "AB"},
      {143, "QUI", "AB"},
      {143, "QQ", "A"},
      {143, "Q", ""},
      {143, "QQ==QUJD", "A"},
      {143, "QU!D", "A@\x03"},
      {143, "AAAA", "   "},
      {143, "BgYG", "   "},
      {143, "DQo=", "\x7f\x0e"},
      {143, "QUJD\x01QQ", "ABC\x01" "A"},
      // Half- and full-width katakana.
      {27, "\xb6\xde\xca\xdf\xb1", "\x83\x4b\x83\x70\x83\x41"},
      {27, "\xb3\xde", "\x83\x94"},
      {27, "\xb1\xde", "\x83\x41\x81\x4a"},
      {27, "\x82\xb1", "\x82\xb1"},
      {27, "\xb0\xa1", "\x81\x5b\x81\x42"},
      {30, "\x83\x4b\x83\x70\x83\x41", "\xb6\xde\xca\xdf\xb1"},
      {30, "\x83\x94", "\xb3\xde"},
      {30, "\x81\x5b\x82\xa0", "\x81\x5b\x82\xa0"},
      {30, "\x83", "\x83"},
      // Digits and letters to full width and back.
      {28, "+12.5,-7 ab", "\x81\x7b\x82\x50\x82\x51\x81\x44\x82\x54\x81\x43\x81\x7c\x82\x56 ab"},
      {29, "aZ9", "\x82\x81\x82\x79" "9"},
      {29, "\x83\x61", "\x83\x61"},
      {31, "\x81\x7b\x82\x50\x82\x51\x81\x44\x82\x54\x81\x43\x81\x7c\x82\x56 \x82\x81", "+12.5,-7 \x82\x81"},
      {32, "\x82\x81\x82\x79\x82\x50", "aZ\x82\x50"},
      // Character codes.
      {80, "\x82\xa0", "33440"},
      {80, "A", "65"},
      {80, "\"A\"", "\"65\""},
      {80, "", "0"},
      {80, "\x82", "130"},
      {78, "\x82\xa0", "12354"},
      {78, "A", "65"},
      {78, "\xb1", "65393"},
      // The character of a character id.
      {179, "633", "\x81\x40"},
      {179, "1219", "\x89\x40"},
      {179, "0x4C3", "\x89\x40"},
      {179, "\"633\"", "\"\x81\x40\""},
      {179, "112", "fi"},
      {179, "1,219", "\x89\x40"},
      {179, "741", "\x81\xb8"},
      {179, "631", "~"},
      {179, "34.9", "A"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, Call(c.code, c.in)) << c.code << " on " << c.in;
}

TEST_F(FnConvert, Utf16PairsEndOnlyAtAFirstByte) {
  // Pairs whose second byte is 0x00 or 0x0A are characters; a first byte
  // that ends a field ends the conversion.
  int pos = 0;
  EXPECT_EQ("\x82\xa0" "A", Call(144, std::string("\x42\x30\x41\x00", 4), std::string("\x0a\x00", 2), 4000, &pos));
  EXPECT_EQ(4, pos);
  EXPECT_EQ("", Call(144, std::string("\x0a\x30", 2), "", 4000, &pos));  // 0x0A first: the field ends
  EXPECT_EQ(0, pos);
  EXPECT_EQ("?", Call(144, std::string("\x3d\xd8\x00\xde", 4)));  // a surrogate pair: one character
  EXPECT_EQ("??", Call(144, std::string("\x3d\xd8\x41\x00", 4).substr(0, 2) + "\x3d\xd8", ""));
  EXPECT_EQ("A?", Call(144, std::string("\x41\x00\x42", 3), "", 4000, &pos));
  EXPECT_EQ(3, pos);
}

TEST_F(FnConvert, FieldAtTheEndOfTheSource) {
  int pos = 0;
  EXPECT_EQ("a?", Call(140, "a\xe3", "", 4000, &pos));
  EXPECT_EQ(2, pos);
  EXPECT_EQ("?\x81", Call(140, "\xe3\x81", "", 4000, &pos));
  EXPECT_EQ("A", Call(143, "QQ", "", 4000, &pos));
  EXPECT_EQ(2, pos);
  // A cut sequence never swallows the terminator: the read position stops at it.
  EXPECT_EQ("?", Call(140, "\xc3", "\x06\xa9", 4000, &pos));
  EXPECT_EQ(1, pos);
  EXPECT_EQ("\xa4", Call(141, "\xa4", "\x06\xa2", 4000, &pos));
  EXPECT_EQ(1, pos);
  EXPECT_EQ("65", Call(80, "AB", "\x06", 4000, &pos));  // only the first byte is consumed
  EXPECT_EQ(1, pos);
}

TEST_F(FnConvert, OutputIsCutAtACharacter) {
  EXPECT_EQ("\x82\xa0", Call(140, "\xe3\x81\x82\xe3\x81\x82", "\x06", 3));
  EXPECT_EQ("AB", Call(143, "QUJD", "\x06", 2));
}

TEST_F(FnConvert, LineBreaksAreBlanksWhereTheTableHoldsTheCodesAsData) {
  csv::TableFields t;
  t.m_bCellCodesAreData = true;
  EXPECT_EQ("  ", Call(143, "DQo=", "\x06", 4000, nullptr, &t));
  t.m_bCellCodesAreData = false;
  EXPECT_EQ("\x7f\x0e", Call(143, "DQo=", "\x06", 4000, nullptr, &t));
}

TEST_F(FnConvert, KatakanaCountsOneReplacementPerChangedField) {
  st->m_nMacroReplaceTotal = 0;
  Call(27, "\xb6\xb7\xb8");
  EXPECT_EQ(1, st->m_nMacroReplaceTotal);
  Call(27, "abc");
  EXPECT_EQ(1, st->m_nMacroReplaceTotal);
}

TEST_F(FnConvert, ThroughTheEvaluatorOverCells) {
  auto table = std::make_unique<csv::Table>();
  const std::string file = "h1,h2\r\n\xe3\x81\x82\xef\xbd\xb6,QUJD\r\n\xc3\xa9,QQ==\r\n";
  ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64));
  macro::CmdFuncScope scope{*st};
  scope.host = &host;
  scope.table = table.get();
  ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 2, -1, 1, 1, CString("#UTF8")));
  ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 2, -1, 2, 2, CString("#BASE")));
  std::string text(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
  for (char& c : text) c = c == 0x06 ? ',' : c;
  EXPECT_EQ("h1,h2\r\n\x82\xa0\xb6,ABC\r\n?,A\r\n", text);
}

}  // namespace

namespace {

// "TNC" reads the field's number as the number functions do (hexadecimal
// with "0x", digit-group commas passed over, quotes kept) and writes the
// character of that id: ids 1-95 are the ASCII characters from the blank.
TEST_F(FnConvert, CharacterIdsAreReadAsTheNumberFunctionsReadThem) {
  EXPECT_EQ("A", Call(179, "34"));
  EXPECT_EQ("A", Call(179, "0x22"));
  EXPECT_EQ("A", Call(179, "3,4"));
  EXPECT_EQ("\"A\"", Call(179, "\"34\""));
  EXPECT_EQ("~", Call(179, "95"));
}

}  // namespace
