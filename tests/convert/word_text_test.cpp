// The Word reader over documents built byte by byte: the early Word and
// 8-bit forms, Word 6/95, RTF inside, the table layout of Word 97 rows with
// and without definitions, the object list, the full grid, the inspection
// dump, an encrypted file, and damaged tables that must give a shorter text
// with the damage name, within a time bound.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "convert/word_marks.h"
#include "convert/word_text.h"
#include "word_test_util.h"

namespace {

using word_test::Put16;
using word_test::Put32;

// One paragraph: its text (ending with its mark, CR or 0x07) and its
// property codes.
struct Para {
  std::u16string text;
  std::string props;
};

const std::string kInTable("\x16\x24\x01", 3);   // the paragraph is inside a table
const std::string kRowEnd("\x17\x24\x01", 3);    // the paragraph ends a table row

// A table definition of the given boundaries in twips (no cell properties).
constexpr int kCellsOfBounds = 1000;
std::string TableDef(const std::vector<int>& twips, int cells = kCellsOfBounds) {
  std::string d("\x08\xD6", 2);
  if (cells == kCellsOfBounds) cells = static_cast<int>(twips.size()) - 1;
  std::string body(1, static_cast<char>(cells));
  for (int t : twips) {
    body += static_cast<char>(t & 0xFF);
    body += static_cast<char>((t >> 8) & 0xFF);
  }
  const std::size_t cb = body.size() + 1;
  d += static_cast<char>(cb & 0xFF);
  d += static_cast<char>(cb >> 8);
  return d + body;
}

// A Word 97 document: the main stream (FIB, the text at 0x400, one
// paragraph-property page) and the table stream (piece table, bin table).
struct Doc {
  std::string main, table;
};

Doc MakeWord97(const std::vector<Para>& paras, std::uint16_t flags = 0x0200) {
  Doc d;
  std::u16string text;
  for (const Para& p : paras) text += p.text;
  const std::uint32_t len = static_cast<std::uint32_t>(text.size());
  d.main.assign(0x400, '\0');
  d.main[0] = '\xEC';
  d.main[1] = '\xA5';
  Put16(d.main, 2, 0xC1);
  Put16(d.main, 0x0A, flags);
  Put32(d.main, 0x18, 0x400);
  Put32(d.main, 0x1C, 0x400 + 2 * len);
  for (char16_t c : text) {
    d.main += static_cast<char>(c & 0xFF);
    d.main += static_cast<char>(c >> 8);
  }
  d.main.resize((d.main.size() + 511) / 512 * 512, '\0');
  const std::uint32_t page = static_cast<std::uint32_t>(d.main.size() / 512);
  std::string fkp(512, '\0');
  const int c = static_cast<int>(paras.size());
  std::uint32_t fc = 0x400;
  Put32(fkp, 0, fc);
  std::size_t top = 511;
  for (int i = 0; i < c; ++i) {
    fc += 2 * static_cast<std::uint32_t>(paras[i].text.size());
    Put32(fkp, 4 * static_cast<std::size_t>(i + 1), fc);
    const std::string& g = paras[i].props;
    const std::size_t cb = (3 + g.size() + 1) / 2;
    std::size_t at = (top - (1 + 2 * cb - 1)) & ~static_cast<std::size_t>(1);
    fkp[at] = static_cast<char>(cb);
    // istd 0, then the codes
    fkp.replace(at + 3, g.size(), g);
    fkp[4 * static_cast<std::size_t>(c + 1) + 13 * static_cast<std::size_t>(i)] = static_cast<char>(at / 2);
    top = at;
  }
  fkp[511] = static_cast<char>(c);
  d.main += fkp.substr(0, 512);
  // The piece table: one piece of all the text at 0x400; the bin table after it.
  d.table.assign(1, '\x02');
  Put32(d.table, 1, 16);
  Put32(d.table, 5, 0);
  Put32(d.table, 9, len);
  Put16(d.table, 13, 0);
  Put32(d.table, 15, 0x400);
  Put16(d.table, 19, 0);
  Put32(d.table, 32, 0x400);
  Put32(d.table, 36, fc);
  Put32(d.table, 40, page);
  Put32(d.main, 0x1A2, 0);
  Put32(d.main, 0x1A6, 21);
  Put32(d.main, 0x102, 32);
  Put32(d.main, 0x106, 12);
  return d;
}

std::string Read(const Doc& d, const convert::WordRequest& req = convert::WordRequest(),
                const std::vector<convert::WordPicture>& pics = {}, convert::WordResult* result = nullptr) {
  word_test::Copies c;
  c.Build({d.main, "", "", d.table, ""});
  convert::LoadBuffer out;
  const convert::WordResult r = convert::WordCompoundToText(c.streams, req, out, pics);
  if (result) *result = r;
  return std::string(out.Data(), out.Size());
}

convert::WordRequest Mode(int readerMode) {
  convert::WordRequest r;
  r.readerMode = readerMode;
  return r;
}

TEST(WordText, ParagraphsFieldsAndMarks) {
  const Doc d = MakeWord97({{u"one\r", ""}, {u"Page \x13 PAGE \x14" u"1\x15 x\r", ""}, {u"a\x0B" u"b\x08\r", ""}});
  // 0x0B is a line end; a drawn object shows as 81 A0.
  EXPECT_EQ("one\r\nPage # PAGE [1] x\r\na\r\nb\x81\xA0\r\n", Read(d));
}

TEST(WordText, JapaneseUnitsGoThroughCodePage932) {
  // U+65E5 U+672C (日本), a unit with high byte 0x10 through the
  // transliteration, and a unit code page 932 lacks.
  const Doc d = MakeWord97({{u"\u65E5\u672C\u10E9\u0E01\r", ""}});
  EXPECT_EQ("\x93\xFA\x96{e?\r\n", Read(d));
}

TEST(WordText, TableRowWithDefinitionInBothReaderModes) {
  const std::string def = TableDef({0, 1440, 2880});
  const Doc d = MakeWord97({{u"first\x07", kInTable},
                            {u"second\x07", kInTable},
                            {u"\x07", kInTable + kRowEnd + def},
                            {u"after\r", ""}});
  const std::string cell1 = "first" + std::string(12, ' ');
  const std::string cell2 = "second" + std::string(11, ' ');
  EXPECT_EQ("+" + std::string(35, '-') + "+\r\n|" + cell1 + "|" + cell2 + "|\r\nafter\r\n", Read(d, Mode(1)));
  EXPECT_EQ("\r\n " + cell1 + " " + cell2 + " \r\nafter\r\n", Read(d, Mode(0)));
  // Reader mode 2: "|" closes the cells, but a blank first column and no top rule.
  EXPECT_EQ("\r\n " + cell1 + "|" + cell2 + "|\r\nafter\r\n", Read(d, Mode(2)));
}

TEST(WordText, LongCellTextWrapsWithinItsCellAndKeepsDoubleBytePairs) {
  const std::string def = TableDef({1600, 3040});  // one cell of 18 positions, indent 20
  const Doc d = MakeWord97({{u"abcdefghijklmno\u3042xyz\x07", kInTable}, {u"\x07", kInTable + kRowEnd + def}});
  // 15 letters, then a two-byte character at positions 15-16 stays whole.
  const std::string indent(20, ' ');
  EXPECT_EQ(indent + "+" + std::string(17, '-') + "+\r\n" + indent + "|abcdefghijklmno\x82\xA0|\r\n" + indent +
                "|xyz" + std::string(14, ' ') + "|\r\n",
            Read(d, Mode(1)));
}

TEST(WordText, SecondRowHasNoTopRuleAndANewTableHasOne) {
  const std::string def = TableDef({0, 800});
  const Doc d = MakeWord97({{u"a\x07", kInTable},
                            {u"\x07", kInTable + kRowEnd + def},
                            {u"b\x07", kInTable},
                            {u"\x07", kInTable + kRowEnd + def},
                            {u"text\r", ""},
                            {u"c\x07", kInTable},
                            {u"\x07", kInTable + kRowEnd + def}});
  const std::string rule = "+" + std::string(9, '-') + "+\r\n";
  EXPECT_EQ(rule + "|a        |\r\n|b        |\r\ntext\r\n" + rule + "|c        |\r\n", Read(d, Mode(1)));
}

TEST(WordText, NegativeCellCountAndRowsWithoutDefinition) {
  // A cell count of -5 counts as 0: the row keeps one 20-column cell.
  const Doc bad = MakeWord97({{u"x\x07", kInTable}, {u"\x07", kInTable + kRowEnd + TableDef({0, 1440}, -5)}});
  EXPECT_EQ("+" + std::string(19, '-') + "+\r\n|x" + std::string(18, ' ') + "|\r\n", Read(bad, Mode(1)));
  // Without paragraph properties, cell marks and a double mark make a row of
  // 50 boundaries 120 / (cells - 1) apart.
  Doc none = MakeWord97({{u"a\x07" u"b\x07\x07" u"end\r", ""}});
  none.main.resize(none.main.size() - 512);  // no property page
  const std::string got = Read(none, Mode(1));
  EXPECT_EQ(0u, got.find("+" + std::string(399, '-') + "+\r\n|a" + std::string(58, ' ') + "|b" + std::string(58, ' ') + "|"))
      << got;
  EXPECT_NE(std::string::npos, got.find("\r\nend\r\n"));
}

TEST(WordText, ObjectsTakeTheObjectListInOrder) {
  const Doc d = MakeWord97({{u"\x01 \x01 \x01 \x01 \x01\r", ""}});
  std::vector<convert::WordPicture> pics(4);
  pics[0].letter = 'R';
  pics[1].letter = 'b';
  pics[2].letter = '"';
  pics[3].letter = 0;
  // The fifth object finds no entry: a blank.
  EXPECT_EQ("[Image1]JPG [Image2]PNG [WorkSheet]    \r\n", Read(d, convert::WordRequest(), pics));
}

TEST(WordText, FullGridEndsWithString239) {
  const Doc d = MakeWord97({{u"abcdefghijklmnopqrstuvwxyz\r", ""}});
  convert::WordRequest req;
  req.nChar = 5;
  req.gridLines = 2;
  EXPECT_EQ("abcdefghij\r\n\r\n <\x88\xC8\x8C\xE3\x83\x66\x81\x5B\x83\x5E\x8F\xC8\x97\xAA>\r\n", Read(d, req));
}

TEST(WordText, InspectionDumpOfTableRows) {
  const std::string def = TableDef({0, 800});
  const Doc d = MakeWord97({{u"a\x07", kInTable}, {u"\x07", kInTable + kRowEnd + def}});
  convert::WordRequest req;
  req.openContext = 2;
  const std::string got = Read(d, req);
  EXPECT_EQ(0u, got.find(std::string("\r\n[   0:]\r\na\x07\x03<<")));
}

TEST(WordText, EncryptedFileGivesString147Only) {
  const Doc d = MakeWord97({{u"secret\r", ""}}, 0x0300);
  EXPECT_EQ("## \x88\xC3\x8D\x86\x89\xBB\x82\xB3\x82\xEA\x82\xBD\x83\x66\x81\x5B\x83\x5E\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7 ##",
            Read(d));
}

TEST(WordText, RtfMainStreamIsHandedOver) {
  Doc d;
  d.main = "{\\rtf1 hello}";
  convert::WordResult r;
  EXPECT_EQ("", Read(d, convert::WordRequest(), {}, &r));
  EXPECT_EQ(convert::WordOutcome::kRtf, r.outcome);
  EXPECT_EQ(512u, r.rtfAt);
  EXPECT_EQ(d.main.size(), r.rtfSize);
}

TEST(WordText, Word6StreamReadUpToItsEmptyPage) {
  std::string main(0x300, '\0');
  main[0] = '\xDC';
  main[1] = '\xA5';
  main[2] = 'e';
  main += "Caf\xE9 one\rtwo\r";
  Put32(main, 0x1C, static_cast<std::uint32_t>(main.size()) + 100);
  main += std::string(2, '\0') + "never";
  main.resize(2048, '\0');
  word_test::Copies c;
  c.Build({main});
  EXPECT_EQ("Cafe one\r\ntwo\r\n", word_test::Text(c.streams, convert::WordRequest()));
}

TEST(WordText, EarlyWordFileAndEightBitStream) {
  std::string early(0x180, '\0');
  early[0] = '\x94';
  early[1] = '\xA6';
  early[2] = '\x2E';
  early += "a\r\x07" "b\r\x07\r\x07" "after\r";
  Put32(early, 0x1C, static_cast<std::uint32_t>(early.size()));
  early += "trailing bytes past the end";
  convert::LoadBuffer out;
  convert::WordFileToText(reinterpret_cast<const std::uint8_t*>(early.data()), early.size(), convert::WordRequest(), out);
  EXPECT_EQ("a\tb\r\nafter\r\n", std::string(out.Data(), out.Size()));

  std::string fe("\xFE\x37\x00", 3);
  fe.resize(0x201, '\0');
  fe += "na\xEFve caf\xE9";
  convert::LoadBuffer out2;
  convert::WordFileToText(reinterpret_cast<const std::uint8_t*>(fe.data()), fe.size(), convert::WordRequest(), out2);
  EXPECT_EQ("naive cafe", std::string(out2.Data(), out2.Size()));
}

// --- damaged input ---------------------------------------------------------

TEST(WordText, PieceTableClaimingAMillionPieces) {
  Doc d = MakeWord97({{u"short text\r", ""}});
  Put32(d.table, 1, 4 + 12 * 1000000);
  convert::WordResult r;
  const std::string got = Read(d, convert::WordRequest(), {}, &r);
  EXPECT_STREQ("1Table", r.damage);
  EXPECT_EQ(0u, got.find("short text\r\n"));
}

TEST(WordText, PageNamedTwiceIsReadOnce) {
  Doc d = MakeWord97({{u"a\r", ""}, {u"b\r", ""}});
  // The bin table names the property page twice.
  Put32(d.table, 1 + 20, 0);
  d.table.resize(32);
  Put32(d.table, 32, 0x400);
  Put32(d.table, 36, 0x404);
  Put32(d.table, 40, 0x408);
  const std::uint32_t page = static_cast<std::uint32_t>(d.main.size() / 512 - 1);
  Put32(d.table, 44, page);
  Put32(d.table, 48, page);
  Put32(d.main, 0x106, 20);
  convert::WordResult r;
  EXPECT_EQ("a\r\nb\r\n", Read(d, convert::WordRequest(), {}, &r));
  EXPECT_STREQ("1Table", r.damage);
}

TEST(WordText, MarkPagesAndPropertiesPastTheirStream) {
  convert::WordMarks m;
  std::string page(512, '\0');
  page[511] = 2;
  Put32(page, 0, 0x400);
  Put32(page, 4, 0x402);
  Put32(page, 8, 0x404);
  page[12] = static_cast<char>(250);  // properties at 500, length running past the page
  page[500] = static_cast<char>(200);
  convert::WordBytes b{reinterpret_cast<const std::uint8_t*>(page.data()), page.size()};
  EXPECT_TRUE(convert::WordReadMarkPage(m, b, 0, 4, convert::WordBytes()));
  EXPECT_TRUE(m.damaged);
  EXPECT_EQ(2u, m.marks.size());
  // A page that lies past the stream.
  convert::WordMarks m2;
  EXPECT_FALSE(convert::WordReadMarkPage(m2, b, 512, 4, convert::WordBytes()));
  EXPECT_TRUE(m2.damaged);
}

TEST(WordText, CellKindsByMarkAndNextMark) {
  convert::WordMarks m;
  auto add = [&](std::uint8_t kind) {
    convert::WordMark k;
    k.pos = static_cast<std::uint32_t>(m.marks.size() + 1);
    k.kind = kind;
    m.marks.push_back(k);
  };
  for (std::uint8_t k : {9, 26, 7, 28, 0, 7, 0, 3, 5})
    add(k);
  const int want[] = {5, 6, 7, 3, 7, 7, 5, 3, 5};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(want[i], convert::WordCellKind(m, i)) << i;
  EXPECT_EQ(5, convert::WordCellKind(m, 99));
  EXPECT_EQ(2, convert::WordMarkAt(m, 0, 3));
  EXPECT_EQ(-1, convert::WordMarkAt(m, 0, 100));
  EXPECT_EQ(3, convert::WordFindMark(m, 2, 4));
  EXPECT_EQ(0, convert::WordFindMark(m, 15999, 4));
}

TEST(WordText, RandomStreamsEndWithinTimeBound) {
  std::mt19937 rng(7);
  const Doc base = MakeWord97({{u"alpha\x07", kInTable},
                               {u"\x07", kInTable + kRowEnd + TableDef({0, 1440, 2880})},
                               {u"beta \x13 x \x14 y\x15\r", ""}});
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < 300; ++round) {
    Doc d = base;
    for (int k = 0; k < 8; ++k) {
      std::string& s = (rng() & 1) ? d.main : d.table;
      if (!s.empty()) s[rng() % s.size()] = static_cast<char>(rng());
    }
    if (rng() % 4 == 0) d.main.resize(rng() % d.main.size());
    if (rng() % 4 == 0) d.table.resize(rng() % (d.table.size() + 1));
    Read(d, Mode(static_cast<int>(rng() % 3)));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
