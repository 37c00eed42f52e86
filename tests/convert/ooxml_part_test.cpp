// The part loader's conversion to Shift-JIS, its limits and messages, and the
// package access over memory and over an unpacked folder.
#include <gtest/gtest.h>

#include <cstring>
#ifndef _WIN32
#include <filesystem>
#endif
#include <memory>
#include <string>

#include "convert/ooxml_package.h"
#include "convert/ooxml_part.h"
#include "convert/ooxml_tag.h"
#include "convert/ooxml_test_util.h"
#include "fw/alloc.h"
#include "fw/path.h"
#include "support/alloc_walk.h"
#include "support/scratch.h"

namespace {

using namespace convert;

std::string Convert(const std::string& in) {
  std::string out(in.size(), '\0');
  out.resize(ConvertPartToSjis(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), &out[0]));
  return out;
}

TEST(OoxmlPart, ConversionToShiftJis) {
  const std::string sjisDecl = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>";
  const struct {
    std::string in;
    std::string want;
    const char* what;
  } cases[] = {
      {"<a>text</a>", "<a>text</a>", "ASCII is copied"},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\x93\xFA\x96\x7B\x8C\xEA", "three-byte sequences"},
      {"\xC3\xA9", "?", "a character code page 932 lacks"},
      {"\xC2\xA5", "\\", "the yen sign is the code page's backslash"},
      {"\xE2\x82\xAC", "?", "no euro sign in the code page"},
      {"\xEF\xBD\xB1", "\xB1", "a half-width katakana is one byte"},
      {"\xC0\x80", " ", "U+0000 gives a blank"},
      {"\xED\xA0\x80", "?", "a lone surrogate"},
      {std::string("a\0b", 3), "a?b", "NUL"},
      {"\xF0\x9F\x98\x80x", "?x", "a four-byte character is one ?"},
      {"\xF0\x9F", "?", "a four-byte character cut by the end"},
      {"a\xE6\x97", "a?", "a sequence cut by the end"},
      {"a\xC3", "a?", "a two-byte sequence cut by the end"},
      {"\x80\xBF", "\x80\xBF", "continuation bytes without a lead are copied"},
      {sjisDecl + "\x95\x5C\xC0\xE0\x40", sjisDecl + "\x95\x5C\xC0\xE0\x40", "a Shift-JIS part is copied"},
      {sjisDecl + std::string("\0", 1), sjisDecl + "?", "NUL in a Shift-JIS part"},
      {"<?xml encoding=\"UTF-8\"?><!-- JIS -->\xC3\xA9", "<?xml encoding=\"UTF-8\"?><!-- JIS -->\xC3\xA9",
       "the later mark wins: JIS"},
      {"<!-- JIS --><?xml encoding=\"UTF-8\"?>\xC3\xA9", "<!-- JIS --><?xml encoding=\"UTF-8\"?>?",
       "the later mark wins: UTF"},
      {std::string(79, ' ') + "JIS\xC3\xA9", std::string(79, ' ') + "JIS?", "marks count in the first 80 bytes"},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(c.in), c.want) << c.what;
}

TEST(OoxmlPart, CutSequenceReadsNothingPastTheEnd) {
  // Exactly sized heap copies: the sanitizer sees any read past them.
  for (const char* tail : {"\xE6", "\xE6\x97", "\xC3", "\xF0", "\xF0\x9F\x98"}) {
    const std::string s = std::string("ab") + tail;
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[s.size()]);
    std::memcpy(exact.get(), s.data(), s.size());
    char out[8] = {};
    EXPECT_EQ(ConvertPartToSjis(exact.get(), s.size(), out), 3u) << s;
    EXPECT_STREQ(out, "ab?");
  }
}

// --- LoadPartAsSjis ------------------------------------------------------------

CString Message(const char* code) { return PartMemoryText(code); }

TEST(OoxmlPart, LoadResultsAndMessages) {
  MemoryPackage pkg;
  pkg.Add("xl/workbook.xml", "<workbook/>");
  pkg.AddDeclared("xl/worksheets/sheet1.xml", "<worksheet/>", 3ull << 30);
  const std::uint64_t limit = 41943040;
  const CString longPath = CString("xl\\") + std::string(509, 'a').c_str();
  const struct {
    CString path;
    std::uint64_t limit;
    int want;         // > 0: the text's size
    CString message;  // written to the load buffer
  } cases[] = {
      {"xl\\workbook.xml", limit, 11, ""},
      {"xl\\workbook.xml", 11, 11, ""},
      {"xl\\workbook.xml", 10, -Message(" 018").GetLength(), Message(" 018")},
      {"xl\\workbook.xml", 0, 11, ""},  // no limit set
      {"xl\\missing.xml", limit, -PartCannotOpenText().GetLength(), PartCannotOpenText()},
      {"xl\\worksheets\\sheet1.xml", limit, -Message(" 018").GetLength(), Message(" 018")},  // declares 3 GB
      {"xl\\worksheets\\sheet1.xml", 0, -Message(" 018").GetLength(), Message(" 018")},
      {longPath + "x", limit, 0, ""},  // 513 characters
      {longPath, limit, -PartCannotOpenText().GetLength(), PartCannotOpenText()},  // 512 still tried
  };
  for (const auto& c : cases) {
    PartText text;
    LoadBuffer out;
    // an earlier part in the buffer never survives a failed load
    LoadPartAsSjis(pkg, "xl\\workbook.xml", 0, text, out);
    out.Clear();
    EXPECT_EQ(LoadPartAsSjis(pkg, c.path, c.limit, text, out), c.want) << c.path.GetString();
    EXPECT_EQ(CString(out.Data()), c.message) << c.path.GetString();
    EXPECT_EQ(text.Size(), c.want > 0 ? c.want : 0);
    if (c.want <= 0) EXPECT_EQ(text.Data()[0], 0);
  }
  EXPECT_TRUE(Message(" 018").Find("メモリーが足りません") >= 0);
}

TEST(OoxmlPart, AllocationFailuresGiveTheirCodes) {
  MemoryPackage pkg;
  pkg.Add("a.xml", "<a>x</a>");
  int codes = 0;
  const int last = testsupport::WalkAllocationFailures(
      [] {
        auto out = std::make_unique<LoadBuffer>();
        out->Reserve(200);  // the message's room is had before the walk
        return out;
      },
      [&](std::unique_ptr<LoadBuffer>& out) {
        PartText text;
        const int r = LoadPartAsSjis(pkg, "a.xml", 0, text, *out);
        codes = 0;
        if (CString(out->Data()) == Message(" 018")) codes = 18;
        if (CString(out->Data()) == Message(" 019")) codes = 19;
        return r;
      },
      [&](long n, int r, std::unique_ptr<LoadBuffer>&) {
        EXPECT_LT(r, 0) << n;
        EXPECT_EQ(codes, n == 1 ? 18 : 19) << n;
      });
  EXPECT_EQ(last, 8);
}

TEST(OoxmlPart, SpareAreaHoldsNoEarlierBytes) {
  MemoryPackage pkg;
  pkg.Add("long.xml", "<a " + std::string(30000, 'x') + " y=\"7\"/>");
  pkg.Add("short.xml", "<a ");
  PartText text;
  LoadBuffer out;
  ASSERT_GT(LoadPartAsSjis(pkg, "long.xml", 0, text, out), 30000);
  ASSERT_EQ(LoadPartAsSjis(pkg, "short.xml", 0, text, out), 3);
  ASSERT_GE(text.Readable(), 3 + PartText::kSpare);
  for (std::size_t i = 3; i < text.Readable(); ++i) ASSERT_EQ(text.Data()[i], 0) << i;
  int pos = 1;
  EXPECT_EQ(FindInTag("xx", text, &pos, kTagUnbounded + kTagFound), 0);
}

#ifndef _WIN32
// An unpacked sheet of 3 GB (a sparse file) is refused by its size before
// anything is allocated or read.
TEST(OoxmlPart, ThreeGigabytePartOnDiskIsRefused) {
  testsupport::Scratch dir;
  fw::MakeDir(dir.Path("xl"));
  fw::MakeDir(dir.Path("xl\\worksheets"));
  const CString sheet = dir.Path("xl\\worksheets\\sheet1.xml");
  testsupport::WriteBytes(sheet, "<worksheet/>");
  std::filesystem::resize_file(fw::ToPosixPath(sheet.GetString()), 3ull << 30);
  FolderPackage pkg(dir.Dir());
  PartText text;
  LoadBuffer out;
  fw::alloctest::Reset();
  EXPECT_EQ(LoadPartAsSjis(pkg, "xl\\worksheets\\sheet1.xml", 41943040, text, out), -Message(" 018").GetLength());
  EXPECT_LT(fw::alloctest::Largest(), std::size_t{1} << 20);
  EXPECT_EQ(CString(out.Data()), Message(" 018"));
  EXPECT_EQ(text.Size(), 0);
}
#endif

// --- The two packages answer alike ----------------------------------------------

const ooxmltest::Members kMembers = {
    {"[Content_Types].xml", "<Types/>"},
    {"xl/workbook.xml", "<workbook>\xE8\xA1\xA8</workbook>"},
    {"xl/worksheets/sheet1.xml", "<worksheet/>"},
    {"ppt/slideLayouts/slideLayout1.xml", "<sldLayout/>"},
    {"docProps/", ""},
};

TEST(OoxmlPackage, FolderAndMemoryAnswerAlike) {
  testsupport::Scratch dir;
  testsupport::WriteBytes(dir.Path("p.zip"), ooxmltest::StoredZip(kMembers));
  ASSERT_GE(UnzipPackageOwn(dir.Path("p.zip"), dir.Path("unpacked")), 0);
  FolderPackage folder(dir.Path("unpacked"));
  MemoryPackage memory;
  for (const auto& m : kMembers) memory.Add(m.first, m.second);

  const struct {
    const char* path;
    bool file;
    bool folder;
  } cases[] = {
      {"xl\\workbook.xml", true, false},
      {"XL/Workbook.XML", true, false},
      {"\\xl\\workbook.xml", true, false},
      {"xl\\\\workbook.xml", true, false},
      {"ppt\\SlideLayouts\\SlideLayout1.xml", true, false},
      {"ppt\\SlideLayouts", false, true},
      {"ppt/slidelayouts/", false, true},
      {"xl", false, true},
      {"xl\\worksheets\\_rels", false, false},
      {"xl\\worksheets\\sheet2.xml", false, false},
      {"docProps", false, true},
      {"xl\\..\\xl\\workbook.xml", false, false},  // never above a folder
      {"[content_types].xml", true, false},
  };
  for (OoxmlPackage* pkg : {static_cast<OoxmlPackage*>(&folder), static_cast<OoxmlPackage*>(&memory)}) {
    const char* which = pkg == &folder ? "folder" : "memory";
    for (const auto& c : cases) {
      EXPECT_EQ(pkg->FileExists(c.path), c.file) << which << " " << c.path;
      EXPECT_EQ(pkg->FolderExists(c.path), c.folder) << which << " " << c.path;
      EXPECT_EQ(pkg->Open(c.path) != nullptr, c.file) << which << " " << c.path;
    }
    PartText text;
    LoadBuffer out;
    ASSERT_EQ(LoadPartAsSjis(*pkg, "XL\\WORKBOOK.XML", 0, text, out), 23) << which;
    EXPECT_STREQ(text.Data(), "<workbook>\x95\x5C</workbook>") << which;
  }
}

}  // namespace
