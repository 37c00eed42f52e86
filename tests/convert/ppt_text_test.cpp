// The PowerPoint reader over record streams built byte by byte: pages of
// the slide list and of the slides' own containers, the anchors and their
// centring, the wrap rules, notes, the row rules of a page, the ends of the
// walk, the older and oldest forms, and the copy of the first picture.
#include "convert/ppt_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/convert_texts.h"
#include "fw/alloc.h"

namespace {

std::string Le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Le32(std::uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

std::string Rec(unsigned verInst, unsigned type, const std::string& body) {
  return Le16(verInst) + Le16(type) + Le32(static_cast<std::uint32_t>(body.size())) + body;
}
std::string Box(unsigned type, const std::string& children, unsigned instance = 0) {
  return Rec(0x0F | instance << 4, type, children);
}
std::string Utf16(const std::u16string& s) {
  std::string b;
  for (char16_t u : s) b += Le16(u);
  return b;
}
std::string Chars(const std::u16string& s) { return Rec(0, 0x0FA0, Utf16(s)); }
std::string Bytes(const std::string& s) { return Rec(0, 0x0FA8, s); }
std::string Persist(unsigned number) { return Rec(0, 0x03F3, std::string(12, '\0') + Le32(number) + Le32(0)); }
std::string EndDoc() { return Rec(0, 0x03EA, ""); }
// A drawing record: drawing `id`, last shape id `id` * 1024 + 3.
std::string Drawing(unsigned id) { return Rec(id << 4, 0xF008, Le32(3) + Le32(id * 1024 + 3)); }
std::string Shape(unsigned type) { return Rec(0x02 | type << 4, 0xF00A, Le32(1025) + Le32(0xA00)); }
// A client anchor in the file's units (top, left, right, bottom).
std::string Anchor(int top, int left, int right, int bottom) {
  return Rec(0, 0xF010, Le16(static_cast<unsigned>(top)) + Le16(static_cast<unsigned>(left)) +
                            Le16(static_cast<unsigned>(right)) + Le16(static_cast<unsigned>(bottom)));
}
// Anchors in grid cells (60 units a column, 250 a row).
std::string CellAnchor(int top, int left, int right, int bottom) {
  return Anchor(top * 250, left * 60, right * 60, bottom * 250);
}
std::string Slide(unsigned drawing, const std::string& shapes) {
  return Box(0x03EE, Rec(0x02, 0x03EF, std::string(24, '\0')) + Box(0x040C, Box(0xF002, Drawing(drawing) + shapes)));
}
std::string Master() { return Box(0x03F8, Rec(0x02, 0x03EF, std::string(24, '\0')) + Chars(u"master prompt")); }
// The document container with a master list and a slide list of `slides` slides.
std::string Document(int slides, const std::string& slideListTexts = "") {
  std::string list;
  for (int i = 0; i < slides; ++i) list += Persist(256 + static_cast<unsigned>(i));
  return Box(0x03E8, Box(0x0FF0, Persist(0), 1) + Box(0x0FF0, list + slideListTexts, 0)) + EndDoc();
}

struct PptRun {
  std::string buffer;
  std::string text;
  convert::PptResult result;
  convert::OfficePictureTable pictures;
  std::vector<std::string> saved;
};

PptRun Convert(const std::string& main, convert::PptRequest req = convert::PptRequest(), const std::string& pictures = "",
            bool cut = false) {
  PptRun r;
  r.buffer.assign(512, '\0');
  convert::PptStreams s;
  s.mainAt = 512;
  s.mainSize = static_cast<std::int32_t>(main.size());
  r.buffer += main;
  r.buffer.append((512 - main.size() % 512) % 512, '\0');
  if (!pictures.empty()) {
    s.picturesAt = static_cast<std::int32_t>(r.buffer.size());
    s.picturesSize = static_cast<std::int32_t>(pictures.size());
    r.buffer += pictures;
  }
  s.data = reinterpret_cast<const std::uint8_t*>(r.buffer.data());
  s.size = r.buffer.size();
  s.cut = cut;
  convert::PictureSaveContext save;
  save.write = [&r](const CString&, const std::uint8_t* b, std::size_t n) {
    r.saved.emplace_back(reinterpret_cast<const char*>(b), n);
    return true;
  };
  convert::LoadBuffer out;
  r.result = convert::PptToText(s, req, out, r.pictures, &save);
  r.text.assign(out.Data(), out.Size());
  return r;
}

std::string Heading(int page) {
  char h[160];
  std::snprintf(h, sizeof h,
                "=================================================page%3d==============================================="
                "\r\n",
                page);
  return h;
}

std::vector<std::string> PageLines(const std::string& text, int page) {
  std::vector<std::string> lines;
  std::size_t at = text.find(Heading(page));
  if (at == std::string::npos) return lines;
  at += Heading(page).size();
  while (at < text.size() && text.compare(at, 10, "==========") != 0) {
    const std::size_t e = text.find("\r\n", at);
    if (e == std::string::npos) break;
    lines.push_back(text.substr(at, e - at));
    at = e + 2;
  }
  return lines;
}

// Row and column where `word` starts on a page; (-1, -1) when it is not there.
std::pair<int, int> Where(const std::string& text, int page, const std::string& word) {
  const std::vector<std::string> lines = PageLines(text, page);
  for (std::size_t r = 0; r < lines.size(); ++r) {
    const std::size_t c = lines[r].find(word);
    if (c != std::string::npos) return {static_cast<int>(r), static_cast<int>(c)};
  }
  return {-1, -1};
}

TEST(PptText, SlideListTextsStandOneBelowTheOtherOnTheirPages) {
  const std::string list = Persist(256) + Chars(u"Title A") + Chars(u"Body of A") + Persist(257) + Bytes("Second");
  const std::string doc = Box(0x03E8, Box(0x0FF0, Persist(0), 1) + Box(0x0FF0, list, 0)) + EndDoc();
  const PptRun r = Convert(doc);
  EXPECT_EQ(std::make_pair(6, 5), Where(r.text, 1, "Title A")) << r.text;
  EXPECT_EQ(std::make_pair(7, 5), Where(r.text, 1, "Body of A")) << r.text;
  EXPECT_EQ(std::make_pair(6, 5), Where(r.text, 2, "Second")) << r.text;
  EXPECT_EQ(std::string::npos, r.text.find(Heading(3)));
  // The last line is the closing rule.
  const std::string rule(103, '=');
  EXPECT_EQ(r.text.size() - rule.size() - 2, r.text.rfind(rule + "\r\n"));
}

TEST(PptText, AnchorsPlaceAndCentreTheTexts) {
  struct Case {
    const char* name;
    unsigned shapeType;
    int top, left, right, bottom;  // cells
    std::u16string text;
    int row, col;
  } cases[] = {
      {"low frame: centred", 202, 2, 9, 69, 7, u"TitleWord0", 2, 34},
      {"high frame: at its left", 202, 2, 9, 69, 14, u"TitleWord0", 2, 9},
      {"narrow frame, rectangle: centred by its kind", 1, 2, 10, 22, 5, u"TitleWord0", 2, 11},
      {"narrow frame, ellipse: centred by its kind", 3, 2, 10, 22, 5, u"TitleWord0", 2, 11},
      {"narrow frame, text box: not centred", 202, 2, 10, 22, 5, u"TitleWord0", 2, 10},
      {"too narrow for a long line: 50 wide", 202, 3, 10, 12, 20, u"abcdefghijklmnopqrstuvwxyz0123", 3, 10},
      {"too narrow, low: 50 wide and centred", 202, 3, 10, 12, 5, u"abcdefghijklmnopqrstuvwxyz0123", 3, 20},
      {"top 0 on a slide is row 1", 202, 0, 9, 69, 20, u"TopWord", 1, 9},
      {"right past 134 from a left past 40: 135", 202, 2, 50, 149, 4, u"Edge", 2, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string slide =
        Slide(3, Box(0xF004, Shape(c.shapeType) + CellAnchor(c.top, c.left, c.right, c.bottom) +
                                 Box(0xF00D, Rec(0, 0x0F9F, Le32(4)) + Chars(c.text))));
    const PptRun r = Convert(Document(1) + Master() + slide);
    const std::string word(c.text.begin(), c.text.begin() + 4);  // ASCII
    EXPECT_EQ(std::make_pair(c.row, c.col), Where(r.text, 1, word)) << r.text;
    // The master's texts are no page's.
    EXPECT_EQ(std::string::npos, r.text.find("master prompt"));
  }
}

TEST(PptText, WrapRulesOfAFrame) {
  struct Case {
    const char* name;
    int left, right;
    std::u16string text;
    std::vector<std::string> rows;  // the rows from the anchor's top, from its left
  } cases[] = {
      {"past the right bound", 0, 9, u"abcdefghijklmnop", {"abcdefghij", "klmnop"}},
      {"a blank past right - 10 in a wide frame", 0, 40,
       u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa bbb", {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "bbb"}},
      {"a blank in a narrow frame stays", 0, 20, u"aaaaaaaaaaaaaaa bbbb", {"aaaaaaaaaaaaaaa bbbb"}},
      {"the second byte past right - 4", 0, 12, u"あいうえおかきくけこ", {"あいうえお", "かきくけこ"}},
      {"line breaks start at the left", 0, 80, u"one\vtwo\rthree", {"one", "two", "three"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A high frame: nothing is centred.
    const std::string slide = Slide(3, Box(0xF004, Shape(202) + CellAnchor(2, c.left, c.right, 30) +
                                                       Box(0xF00D, Chars(c.text))));
    const PptRun r = Convert(Document(1) + Master() + slide);
    const std::vector<std::string> lines = PageLines(r.text, 1);
    ASSERT_GE(lines.size(), 2 + c.rows.size()) << r.text;
    for (std::size_t i = 0; i < c.rows.size(); ++i) EXPECT_EQ(c.rows[i], lines[2 + i]) << i;
    if (lines.size() > 2 + c.rows.size()) EXPECT_EQ("", lines[2 + c.rows.size()]);
  }
}

TEST(PptText, LaterTextsOverwriteEarlierOnesWithoutBreakingPairs) {
  // Two frames at the same place: the later one wins; a double-byte
  // character half covered becomes a blank.
  const std::string shapes = Box(0xF004, Shape(202) + CellAnchor(2, 0, 80, 30) + Box(0xF00D, Chars(u"あいう"))) +
                             Box(0xF004, Shape(202) + CellAnchor(2, 1, 80, 30) + Box(0xF00D, Chars(u"X")));
  const PptRun r = Convert(Document(1) + Master() + Slide(3, shapes));
  const std::vector<std::string> lines = PageLines(r.text, 1);
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(" X" + std::string("いう"), lines[2]);
}

TEST(PptText, NoteGoesUnderItsSlideAfterTheSlidesText) {
  const std::string note = Box(0x03F0, Rec(0x01, 0x03F1, Le32(257) + Le32(0)) +
                                           Box(0x040C, Box(0xF002, Drawing(9) + Box(0xF004, Shape(202) +
                                               CellAnchor(10, 10, 80, 15) + Box(0xF00D, Chars(u"spoken words"))))));
  const std::string slides =
      Slide(3, Box(0xF004, Shape(202) + CellAnchor(1, 9, 69, 20) + Box(0xF00D, Chars(u"first")))) +
      Slide(4, Box(0xF004, Shape(202) + CellAnchor(4, 9, 69, 20) + Box(0xF00D, Chars(u"second\rline"))));
  const PptRun r = Convert(Document(2) + Master() + slides + note);
  EXPECT_EQ(std::make_pair(-1, -1), Where(r.text, 1, "spoken"));
  // Below the slide's lowest row (5), "#" at column 0, the text from column 2.
  EXPECT_EQ(std::make_pair(6, 2), Where(r.text, 2, "spoken words")) << r.text;
  EXPECT_EQ(std::make_pair(6, 0), Where(r.text, 2, "#"));
  // The inspection listing names it.
  convert::PptRequest req;
  req.openContext = 2;
  EXPECT_NE(std::string::npos, Convert(Document(2) + Master() + slides + note, req).text.find("[Note]------"));
}

TEST(PptText, RowsWrittenAndTheTwentyFiveRowRule) {
  struct Case {
    int top;
    std::size_t lines;
  } cases[] = {
      {3, 5 + 22},   // rows 0-4, then 22 empty lines
      {24, 26 + 1},  // rows 0-25, then 1
      {40, 41},      // rows 0-41 cut after the last row holding a character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.top);
    const std::string slide =
        Slide(3, Box(0xF004, Shape(202) + CellAnchor(c.top, 9, 69, 49) + Box(0xF00D, Chars(u"Row text"))));
    const PptRun r = Convert(Document(1) + Master() + slide);
    EXPECT_EQ(c.lines, PageLines(r.text, 1).size()) << r.text;
  }
}

TEST(PptText, TheWalkEndsOnItsLimitsAndDamage) {
  const std::string slide = Slide(3, Box(0xF004, Shape(202) + CellAnchor(2, 9, 69, 20) + Box(0xF00D, Chars(u"kept"))));
  const std::string later =
      Slide(4, Box(0xF004, Shape(202) + CellAnchor(2, 9, 69, 20) + Box(0xF00D, Chars(u"after"))));
  std::string zeroLengths;
  for (int i = 0; i < 45000; ++i) zeroLengths += Rec(0, 0x1234, "");
  std::string revisions;
  for (int i = 0; i < 48; ++i) revisions += Rec(0, 0x0FF5, std::string(28, '\0'));
  struct Case {
    const char* name;
    std::string tail;
    bool cut;
    bool after;           // "after" is read
    const char* damage;
  } cases[] = {
      {"a zero header", std::string(8, '\0') + later, false, false, nullptr},
      {"a damaged length", Le16(0) + Le16(0x0FA0) + Le32(0x8000000) + later, false, false, "PowerPoint Document"},
      {"an atom past the data", Rec(0, 0x1234, "").substr(0, 4) + Le32(5000) + "xx", false, false,
       "PowerPoint Document"},
      {"an atom past the data of a cut copy", Rec(0, 0x1234, "").substr(0, 4) + Le32(5000) + "xx", true, false,
       nullptr},
      {"40,000 records", zeroLengths + later, false, false, nullptr},
      {"48 revisions", revisions + later, false, false, nullptr},
      {"47 revisions", revisions.substr(36) + later, false, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    const PptRun r = Convert(Document(2) + Master() + slide + c.tail, convert::PptRequest(), "", c.cut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_NE(std::string::npos, r.text.find("kept"));
    EXPECT_EQ(c.after, r.text.find("after") != std::string::npos);
    if (c.damage) EXPECT_STREQ(c.damage, r.result.damage);
    else EXPECT_EQ(nullptr, r.result.damage);
  }
}

TEST(PptText, OlderAndOldestForms) {
  const std::string older = Rec(0x0003, 0x0000, "") + Rec(0, 0x03F4, "") +
                            Rec(0, 0x0FBA, std::string("\0\0" "0\0" "Q\x91" "1\x0Bx\ry", 11)) +
                            Rec(0, 0x07EE, std::string("..5\0" "\xFFz", 6)) + Rec(0, 0x0FBA, "..1\0no") +
                            Le16(0) + Le16(0x33FF) + Le32(0) + Rec(0, 0x03F4, "");
  const PptRun r = Convert(older);
  EXPECT_EQ("==============================================================\r\n"
            "0Q'1\r\n\tx\r\ny\r\n"
            "..5z\r\n",
            r.text);
  const std::string unsupported = static_cast<const char*>(convert::GetConvertText(convert::ConvertText::kUnsupportedOffice));
  EXPECT_EQ(unsupported, Convert(std::string("\0d", 2) + std::string(600, 'x')).text);
  EXPECT_EQ(unsupported, Convert("").text);
  // The document container only at a 512-byte boundary of the stream.
  EXPECT_EQ(unsupported, Convert(std::string(100, 'x') + Document(1)).text);
  EXPECT_NE(std::string::npos, Convert(std::string(512, 'x') + Document(1)).text.find(Heading(1)));
}

// A drawing group with picture entries: type, size of the picture record,
// its position in the "Pictures" stream.
std::string PictureEntry(unsigned type, std::uint32_t size, std::uint32_t position) {
  std::string body(36, '\0');
  body[0] = body[1] = 5;
  const std::string sz = Le32(size), pos = Le32(position);
  body.replace(20, 4, sz);
  body.replace(28, 4, pos);
  return Rec(0x02 | type << 4, 0xF007, body);
}
std::string Group(const std::string& entries) {
  return Box(0x040B, Box(0xF000, Box(0xF001, entries)));
}
std::string DocumentWithPictures(const std::string& entries) {
  std::string list = Persist(256);
  return Box(0x03E8, Group(entries) + Box(0x0FF0, Persist(0), 1) + Box(0x0FF0, list, 0)) + EndDoc();
}

TEST(PptText, PictureMarkersAndTheFirstPictureCopied) {
  const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "jpeg body" + std::string("\xFF\xD9", 2);
  // A blip record: 8-byte header, 16-byte id, the tag byte 0xFF, the picture.
  const std::string blip = Rec(0x46A0, 0xF01D, std::string(16, '\x11') + "\xFF" + jpeg);
  const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + "png body";
  const std::string blip2 = Rec(0x6E00, 0xF01E, std::string(16, '\xFF') + "\xFF" + png);
  const std::string pictures = blip + blip2;
  const std::uint32_t size1 = static_cast<std::uint32_t>(blip.size());
  const std::uint32_t size2 = static_cast<std::uint32_t>(blip2.size());
  const std::string frame = Box(0xF004, Rec(0x04B2, 0xF00A, Le32(1026) + Le32(0xA00)) +
                                            Rec(0x33, 0xF00B, Le16(0x4104) + Le32(2) + Le16(0x7F) + Le32(0)) +
                                            CellAnchor(4, 10, 41, 20));
  struct Case {
    const char* name;
    std::string entries;
    int extractNo;
    std::string saved;  // empty: nothing saved
  } cases[] = {
      {"JPEG from its signature", PictureEntry(5, size1, 0) + PictureEntry(6, size2, size1), 100, jpeg},
      {"another number: not the reader's", PictureEntry(5, size1, 0) + PictureEntry(6, size2, size1), 1, ""},
      {"a size of 2 GB: what the stream holds",
       PictureEntry(6, 0x7FFFFFF0u, size1) + PictureEntry(5, size1, 0), 100, png},
      {"a position beyond the stream", PictureEntry(5, size1, 0x7FFFFF00u) + PictureEntry(6, size2, size1), 100, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    convert::PptRequest req;
    req.extractNo = c.extractNo;
    const PptRun r = Convert(DocumentWithPictures(c.entries) + Master() + Slide(3, frame), req, pictures);
    ASSERT_EQ(2, r.pictures.Count());
    if (c.saved.empty()) {
      EXPECT_TRUE(r.saved.empty());
    } else {
      ASSERT_EQ(1u, r.saved.size());
      EXPECT_EQ(c.saved, r.saved[0]);
    }
    // Picture 2 stands in the middle of its frame.
    const std::string marker =
        static_cast<const char*>(convert::PictureMarker(r.pictures.At(1).type, 2));
    EXPECT_EQ(std::make_pair(10, 20), Where(r.text, 1, marker)) << r.text;
  }
  // 10,000 entries: the table holds 400.
  std::string many;
  for (int i = 0; i < 10000; ++i) many += PictureEntry(5, size1, 0);
  EXPECT_EQ(400, Convert(DocumentWithPictures(many), convert::PptRequest(), pictures).pictures.Count());
}

TEST(PptText, NoMemoryForThePictureCopyEndsWithCode008) {
  const std::string blip = Rec(0x46A0, 0xF01D, std::string(17, '\xFF') + "\xFF\xD8\xFFpicture");
  convert::PptRequest req;
  req.extractNo = 100;
  std::string buffer(512, '\0');
  const std::string main = DocumentWithPictures(PictureEntry(5, static_cast<std::uint32_t>(blip.size()), 0));
  buffer += main;
  convert::PptStreams s;
  s.mainAt = 512;
  s.mainSize = static_cast<std::int32_t>(main.size());
  s.picturesAt = static_cast<std::int32_t>(buffer.size());
  s.picturesSize = static_cast<std::int32_t>(blip.size());
  buffer += blip;
  s.data = reinterpret_cast<const std::uint8_t*>(buffer.data());
  s.size = buffer.size();
  convert::LoadBuffer out;
  ASSERT_TRUE(out.Reserve(1 << 16));
  convert::OfficePictureTable pictures;
  convert::PictureSaveContext save;
  bool written = false;
  save.write = [&](const CString&, const std::uint8_t*, std::size_t) { return written = true; };
  fw::alloctest::Reset();
  fw::alloctest::FailAt(1);
  const convert::PptResult r = convert::PptToText(s, req, out, pictures, &save);
  fw::alloctest::Reset();
  EXPECT_TRUE(r.noMemory);
  EXPECT_FALSE(written);
  const std::string text(out.Data(), out.Size());
  EXPECT_EQ(" 008", text.substr(text.size() - 4));
  EXPECT_EQ(std::string::npos, text.find("page"));
}

TEST(PptText, InspectionListingOfEventsAndLongLines) {
  convert::PptRequest req;
  req.openContext = 2;
  req.nChar = 10;
  const std::string slide =
      Slide(3, Box(0xF004, Shape(202) + CellAnchor(2, 9, 69, 20) + Box(0xF00D, Chars(u"abcdefghijklmno"))));
  const PptRun r = Convert(Document(1) + Master() + slide + Rec(0, 0x0FF5, std::string(28, '\0')), req);
  const std::string listing = r.text.substr(0, r.text.find(Heading(1)));
  EXPECT_NE(std::string::npos, listing.find("\r\n===256==================page  1========================\r\n"));
  EXPECT_NE(std::string::npos, listing.find("\r\n---  3--------------page  1---------------------\r\n"));
  EXPECT_NE(std::string::npos, listing.find("\\090269201\r\n"));
  EXPECT_NE(std::string::npos, listing.find("abcdefghij\r\n##\r\nklmno\r\n"));
  EXPECT_NE(std::string::npos, listing.find("\r\n===Rev ====="));
  EXPECT_NE(std::string::npos, listing.find("\r\n===End Rev===="));
}

}  // namespace

namespace {

TEST(PptText, PictureNumberPastTheTableShowsAnObject) {
  for (std::uint32_t number : {3u, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(number);
    const std::string frame = Box(0xF004, Rec(0x04B2, 0xF00A, Le32(1026) + Le32(0xA00)) +
                                              Rec(0x33, 0xF00B, Le16(0x4104) + Le32(number) + Le32(0)) +
                                              CellAnchor(4, 10, 20, 6));
    const PptRun r = Convert(DocumentWithPictures(PictureEntry(5, 100, 0)) + Master() + Slide(3, frame));
    EXPECT_NE(std::string::npos, r.text.find("[Object]")) << r.text;
    EXPECT_EQ(std::string::npos, r.text.find("[Image"));
  }
}

}  // namespace
