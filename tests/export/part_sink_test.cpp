// Parts on their way to disk: XML declared Shift-JIS is stored as UTF-8 with
// its declaration changed; the first part that cannot be stored is kept.
#include <gtest/gtest.h>

#include <string>

#include "export/byte_writer.h"
#include "export/colors.h"
#include "export/part_sink.h"
#include "fw/alloc.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/path.h"
#include "support/scratch.h"

namespace {

using namespace exportcore;

const char kSjisPart[] =
    "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n"
    "<t>\x83\x5C\x95\x5C\x87\x40 a\\b \x80</t>";

TEST(PartSink, ShiftJisXmlBecomesUtf8WithItsDeclarationChanged) {
  std::string out = PartBytesOnDisk("xl/worksheets/sheet1.xml", kSjisPart, sizeof kSjisPart - 1);
  // ソ 表 ① stay whole, the backslash stays a backslash, 0x80 becomes "・".
  EXPECT_EQ(out,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<t>\xE3\x82\xBD\xE8\xA1\xA8\xE2\x91\xA0 a\\b \xE3\x83\xBB</t>");
  // A part declared UTF-8 and a picture pass unchanged.
  const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\xE3\x82\xBD</r>";
  EXPECT_EQ(PartBytesOnDisk("_rels/.rels", utf8.data(), utf8.size()), utf8);
  const std::string png = "\x89PNG\x83\x5C";
  EXPECT_EQ(PartBytesOnDisk("xl/media/image1.png", png.data(), png.size()), png);
}

// The part is converted in place around its declaration: whatever the bytes
// next to the encoding's name (double-byte characters, a lead byte before
// the quote, single quotes, no declaration, a cut one), the result is what
// renaming first and converting the whole text gives.
TEST(PartSink, ConversionInPiecesEqualsRenamingThenConvertingTheWhole) {
  const std::string cases[] = {
      "<?xml version=\"1.0\" encoding=\"Shift-JIS\"?><t>\x83\x5C</t>",
      "<?xml \x83encoding='sjis' x=\"\x81\"?>\x81\x40\xFC",
      "<?xml version=\"1.0\" encoding=\"\x83\x5C\x81\"?>\x81",
      "<?xml version=\"1.0\" encoding=\"\"?>\x87\x40",
      "<?xml encoding=\"Shift-JIS?>\x87\x40",
      "<t>\x95\x5C encoding=\"Shift-JIS\"</t>",
      "",
  };
  for (const std::string& part : cases) {
    std::string reference = part;
    const std::size_t enc = part.find("encoding=");
    const std::size_t end = part.find("?>");
    if (part.compare(0, 5, "<?xml") == 0 && enc != std::string::npos && end != std::string::npos && enc + 10 < end) {
      const std::size_t nameEnd = part.find(part[enc + 9], enc + 10);
      if ((part[enc + 9] == '"' || part[enc + 9] == '\'') && nameEnd < end)
        reference.replace(enc + 10, nameEnd - enc - 10, "UTF-8");
    }
    EXPECT_EQ(PartBytesOnDisk("xl/styles.xml", part.data(), part.size()), fw::Cp932ToUtf8(reference)) << part;
  }
}

TEST(PartSink, MemorySinkKeepsTheFirstPartThatFailed) {
  MemoryPartSink sink;
  sink.refuse = "xl/styles.xml";
  EXPECT_TRUE(sink.WritePart("xl/workbook.xml", "<w/>", 4));
  EXPECT_FALSE(sink.WritePart("xl/styles.xml", "<s/>", 4));
  sink.refuse = "xl/worksheets/sheet1.xml";
  EXPECT_FALSE(sink.WritePart("xl/worksheets/sheet1.xml", "<x/>", 4));
  EXPECT_TRUE(sink.AnyFailed());
  EXPECT_EQ(sink.FirstFailure(), "xl/styles.xml");
  EXPECT_FALSE(sink.MemoryShort());
  EXPECT_EQ(sink.parts.count("xl/workbook.xml"), 1u);

  // A part whose buffer ran out of memory is refused, never stored cut short.
  MemoryPartSink other;
  ByteWriter w;
  w.Append("<a>");
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  w.Append(std::string(100000, 'x').c_str());
  fw::alloctest::Reset();
  EXPECT_FALSE(other.WritePart("xl/a.xml", w));
  EXPECT_TRUE(other.MemoryShort());
  EXPECT_TRUE(other.parts.empty());
}

TEST(PartSink, FolderSinkWritesBelowItsRootAndRemovesAFailedPart) {
  testsupport::Scratch dir;
  ASSERT_TRUE(fw::MakeDir(dir.Path("xl")));
  FolderPartSink sink(dir.Dir());
  ASSERT_TRUE(sink.WritePart("xl/workbook.xml", kSjisPart, sizeof kSjisPart - 1));
  std::string got = testsupport::ReadBytes(dir.Path("xl\\workbook.xml"));
  EXPECT_NE(got.find("encoding=\"UTF-8\""), std::string::npos);
  // A missing folder and a failing write both fail; nothing half-written stays.
  EXPECT_FALSE(sink.WritePart("docProps/app.xml", "<a/>", 4));
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kWrite, 1);
  EXPECT_FALSE(sink.WritePart("xl/styles.xml", "<s/>", 4));
  fw::filetest::Reset();
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(dir.Path("xl\\styles.xml"), st));
  EXPECT_EQ(sink.FirstFailure(), "docProps/app.xml");
}

TEST(ExportColors, LettersGiveTheirHexAndIndex) {
  EXPECT_STREQ(XlsxShapeColorHex('R'), "FF0000");
  EXPECT_STREQ(XlsxShapeColorHex('r'), "FFC0C0");
  EXPECT_STREQ(XlsxShapeColorHex('w'), "FFFFFF");
  EXPECT_STREQ(XlsxShapeColorHex('C'), "000000");  // no hex entry
  EXPECT_STREQ(XlsxShapeColorHex('\x83'), "000000");
  EXPECT_EQ(XlsxShapeColorIndex('R'), 12);
  EXPECT_EQ(XlsxShapeColorIndex('r'), 12);
  EXPECT_EQ(XlsxShapeColorIndex('c'), 14);
  EXPECT_EQ(XlsxShapeColorIndex('W'), 13);
  EXPECT_EQ(XlsxShapeColorIndex('x'), 0);
  EXPECT_EQ(XlsxShapeColorIndex('1'), 0);
}

}  // namespace
