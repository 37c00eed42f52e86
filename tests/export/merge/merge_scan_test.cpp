// The merge's pattern scanner and value reader on the texts the merge meets:
// tags copied through, declarations, patterns sharing a first byte, misses,
// Japanese names and values longer than the reader keeps.
#include <gtest/gtest.h>

#include <string>

#include "export/byte_writer.h"
#include "export/merge/merge_scan.h"

namespace {

using exportcore::ByteWriter;
using merge::ReadAttrValueSjis;
using merge::ScanCopyToPattern;

std::string Text(const ByteWriter& w) { return std::string(w.Data(), w.Size()); }

constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

TEST(MergeScan, CopyModeCopiesThroughTheTagOrReplacesTheDeclaration) {
  const std::string wb = "<?xml version=\"1.0\"?><workbook><sheets><sheet name=\"a\"/></sheets>";
  std::size_t pos = 0;
  ByteWriter out;
  EXPECT_EQ(ScanCopyToPattern(wb.data(), &pos, wb.size(), &out, kNoLimit, "<sheets>", "<sheets>", ""), 1);
  EXPECT_EQ(Text(out), wb.substr(0, wb.find("<sheets>") + 8));
  EXPECT_EQ(pos, wb.find("<sheets>") + 8);

  // The encoding becomes another one; a declaration without it comes through
  // "?>" unchanged and says so.
  const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><a/>";
  pos = 0;
  out.Clear();
  EXPECT_EQ(ScanCopyToPattern(utf8.data(), &pos, utf8.size(), &out, kNoLimit, "\"UTF-8", "\"Shift-JIS", "?>"), 1);
  EXPECT_EQ(ScanCopyToPattern(utf8.data(), &pos, utf8.size(), &out, kNoLimit, "?>", "?>", ""), 1);
  EXPECT_EQ(Text(out), "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>");
  const std::string plain = "<?xml version=\"1.0\"?><a encoding=\"UTF-8\"/>";
  pos = 0;
  out.Clear();
  EXPECT_EQ(ScanCopyToPattern(plain.data(), &pos, plain.size(), &out, kNoLimit, "\"UTF-8", "\"Shift-JIS", "?>"), 2);
  EXPECT_EQ(Text(out), "<?xml version=\"1.0\"?>");
  EXPECT_EQ(pos, plain.find("?>") + 2);
}

TEST(MergeScan, PatternsWithOneFirstByteMissesAndLimits) {
  const std::string rels =
      "<Relationships><Relationship Id=\"rId1\" Target=\"a\"/></Relationships>";
  std::size_t pos = 0;
  EXPECT_EQ(ScanCopyToPattern(rels.data(), &pos, rels.size(), nullptr, 256, "<Relationship Id=\"", "",
                              "</Relationships>"),
            1);
  EXPECT_EQ(rels.compare(pos, 4, "rId1"), 0);
  // Outside copy mode the rest of a found second pattern still reaches the
  // output, its first byte not.
  ByteWriter scratch;
  EXPECT_EQ(ScanCopyToPattern(rels.data(), &pos, rels.size(), &scratch, 256, "<Relationship Id=\"", "",
                              "</Relationships>"),
            2);
  EXPECT_EQ(Text(scratch), "/Relationships>");
  EXPECT_EQ(pos, rels.size());

  // A pattern that is not there: 0 with the position at the text limit;
  // nothing reads past the limit even when the pattern would run across it.
  pos = 3;
  EXPECT_EQ(ScanCopyToPattern(rels.data(), &pos, rels.size(), nullptr, 256, "<sheet ", "", "</sheets>"), 0);
  EXPECT_EQ(pos, rels.size());
  pos = 0;
  const std::size_t cut = rels.find("Relationships>", 10) + 3;  // "</Rel" within, the rest not
  EXPECT_EQ(ScanCopyToPattern(rels.data(), &pos, cut, nullptr, 256, "</Relationships>", "", ""), 0);
  EXPECT_EQ(pos, cut);

  // The output limit stops a copy; an empty first pattern is found at once.
  pos = 0;
  ByteWriter out;
  EXPECT_EQ(ScanCopyToPattern(rels.data(), &pos, rels.size(), &out, 10, "</Relationships>", "x", ""), 0);
  EXPECT_EQ(Text(out), rels.substr(0, 10));
  EXPECT_EQ(pos, 10u);
  out.Clear();
  EXPECT_EQ(ScanCopyToPattern(rels.data(), &pos, rels.size(), &out, kNoLimit, "", "R", "<"), 1);
  EXPECT_EQ(Text(out), "R");
  EXPECT_EQ(pos, 10u);
  // At most 256 bytes of a replacement are written.
  const std::string longRepl(400, 'r');
  pos = 0;
  out.Clear();
  const std::string tiny = "ab";
  EXPECT_EQ(ScanCopyToPattern(tiny.data(), &pos, tiny.size(), &out, kNoLimit, "b", longRepl.c_str(), ""), 1);
  EXPECT_EQ(out.Size(), 1u + merge::kMaxReplacementBytes);
}

TEST(MergeScan, ReaderConvertsJapaneseNamesAndCutsLongValues) {
  // "売上" in UTF-8, then the closing quote and more text.
  const std::string name = "\xE5\xA3\xB2\xE4\xB8\x8A\" sheetId=\"1\"";
  std::string v;
  std::size_t next = ReadAttrValueSjis(1, name.data(), name.size(), 0, &v);
  EXPECT_EQ(v, "\x94\x84\x8F\xE3");  // "売上" in Shift-JIS
  EXPECT_EQ(next, 7u);
  // Mode 0 and the switch that turns conversion off copy the bytes.
  next = ReadAttrValueSjis(0, name.data(), name.size(), 0, &v);
  EXPECT_EQ(v, name.substr(0, 6));
  next = ReadAttrValueSjis(1, name.data(), name.size(), 0, &v, true);
  EXPECT_EQ(v, name.substr(0, 6));
  EXPECT_EQ(next, 7u);
  // Two-byte UTF-8 ("é") stays as it is; a '<' ends element text.
  const std::string two = "caf\xC3\xA9</t>";
  next = ReadAttrValueSjis(1, two.data(), two.size(), 0, &v);
  EXPECT_EQ(v, "caf\xC3\xA9");
  EXPECT_EQ(next, 6u);

  // 400 bytes: 255 kept, the position after the closing quote.
  const std::string big = std::string(400, 'n') + "\"/>";
  next = ReadAttrValueSjis(1, big.data(), big.size(), 0, &v);
  EXPECT_EQ(v.size(), merge::kMaxValueBytes);
  EXPECT_EQ(next, 401u);
  // No terminator: the value ends with the text; a three-byte character cut
  // by the end is copied as bytes.
  const std::string open = "ab\xE5\xA3";
  next = ReadAttrValueSjis(1, open.data(), open.size(), 0, &v);
  EXPECT_EQ(v, open);
  EXPECT_EQ(next, open.size());
}

}  // namespace
