// The PDF reader's pages over PDFs built in memory: lines at their places,
// the page bands and separators, spacing, repeats, vertical writing, picture
// markers, the notices and bounds of the output, and hostile files that must
// end quickly with what could be read.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "convert/pdf_converter.h"
#include "convert/render_frame.h"
#include "pdf_page_util.h"

namespace {

using pdf_page::Build;
using pdf_page::Convert;
using pdf_page::Lines;
using pdf_page::NoBlanks;
using pdf_page::OnePage;
using pdf_page::Options;
using pdf_page::Stream;

std::string Text(const convert::Result& r) {
  EXPECT_EQ(convert::Status::kOk, r.status);
  return r.text;
}

// The run object over a file, run to its end, for looking at its grid.
struct PdfRun {
  std::string bytes;
  convert::LoadBuffer out;
  std::unique_ptr<convert::PdfConverter> pdf;
  explicit PdfRun(const std::string& file, convert::PdfRunWords words = convert::PdfRunWords()) : bytes(file) {
    bytes.resize(file.size() + 900000);
    words.readSize = static_cast<std::int32_t>(file.size());
    pdf.reset(new convert::PdfConverter(reinterpret_cast<std::uint8_t*>(&bytes[0]),
                                        static_cast<std::int32_t>(file.size()), bytes.size(), words, out, nullptr));
    pdf->Run();
  }
  std::string text() const { return std::string(out.Data(), out.Size()); }
  // Line l of the grid with empty cells as blanks, trailing blanks dropped.
  std::string line(std::int32_t l) const {
    std::string s;
    if (l >= pdf->m_nGridLines) return s;
    const std::uint8_t* row = &pdf->m_abGrid[static_cast<std::size_t>(l) * convert::kPdfGridColumns];
    for (int c = 0; c < convert::kPdfGridColumns; ++c) s += row[c] <= 7 ? ' ' : static_cast<char>(row[c]);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
  // The first grid line holding `word`, or -1.
  std::int32_t lineOf(const std::string& word) const {
    for (std::int32_t l = 0; l < pdf->m_nGridLines; ++l)
      if (line(l).find(word) != std::string::npos) return l;
    return -1;
  }
};

TEST(PdfPages, LinesComeInPageOrderAtTheirPlaces) {
  const std::string pdf = OnePage(
      "BT /F1 12 Tf 1 0 0 1 72 800 Tm (First line) Tj ET\n"
      "BT /F1 12 Tf 1 0 0 1 72 720 Tm (Third line) Tj ET\n"
      "BT /F1 12 Tf 1 0 0 1 72 760 Tm (Second line) Tj ET\n"
      "BT /F1 12 Tf 1 0 0 1 300 760 Tm (right) Tj ET\n");
  const std::vector<std::string> lines = Lines(Text(Convert(pdf)));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("Firstline", NoBlanks(lines[0]));
  EXPECT_EQ("Secondlineright", NoBlanks(lines[1]));
  EXPECT_EQ("Thirdline", NoBlanks(lines[2]));
  // Every written line begins with a blank (column 0) and ends one cell
  // past its last character; the words stay apart.
  for (const std::string& l : lines) {
    EXPECT_EQ(' ', l[0]);
    EXPECT_EQ(' ', l.back());
  }
  EXPECT_NE(std::string::npos, lines[1].find("line "));
  EXPECT_LT(lines[1].find("Second"), lines[1].find("right"));
}

TEST(PdfPages, PlacesFollowThePageGeometry) {
  // Text at the top of an 842-point page lands on the band's first lines,
  // the bottom about 120 lines further; one column is 4.48 points.
  PdfRun r(OnePage("BT /F1 10 Tf 1 0 0 1 44.8 835 Tm (top) Tj ET\n"
                "BT /F1 10 Tf 1 0 0 1 89.6 5 Tm (bottom) Tj ET\n"));
  const std::int32_t top = r.lineOf("top");
  const std::int32_t bottom = r.lineOf("bottom");
  ASSERT_GE(top, 0);
  EXPECT_LE(top, 2);
  EXPECT_NEAR(118, bottom - top, 3);
  EXPECT_EQ(10u, r.line(top).find("top"));
  EXPECT_EQ(20u, r.line(bottom).find("bottom"));
  // A page origin moves the columns (and lines) by its numbers.
  PdfRun moved(OnePage("BT /F1 10 Tf 1 0 0 1 89.6 835 Tm (top) Tj ET\n", "/PageOrigin [44.8 0]"));
  EXPECT_EQ(10u, moved.line(moved.lineOf("top")).find("top"));
  EXPECT_EQ(59628, r.pdf->m_nPageWidth);
  EXPECT_EQ(84289, r.pdf->m_nPageHeight);
  // A box of 2,100 points keeps the defaults.
  PdfRun wide(Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                  "<< /Type /Page /MediaBox [0 0 2100 2100] /Contents 4 0 R >>", Stream("", "")}));
  EXPECT_EQ(120000, wide.pdf->m_nPageWidth);
  EXPECT_EQ(84500, wide.pdf->m_nPageHeight);
}

TEST(PdfPages, BandsAndSeparatorsPerPage) {
  const std::string pdf =
      Build({"<< /Type /Catalog /Pages 2 0 R >>",
             "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /Resources << /Font << /F1 8 0 R >> >> >>",
             "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>", "<< /Type /Page /Parent 2 0 R /Contents 7 0 R >>",
             "<< /Type /Page /Parent 2 0 R /Contents [6 0 R 7 0 R] >>",
             Stream("", "BT /F1 12 Tf 72 800 Td (one) Tj ET"), Stream("", "BT /F1 12 Tf 72 700 Td (two) Tj ET"),
             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
  const std::vector<std::string> lines = Lines(Text(Convert(pdf)));
  std::vector<std::string> squeezed;
  for (const std::string& l : lines) squeezed.push_back(NoBlanks(l));
  // Each band is closed by a separator naming the next page; the last band
  // is not.
  ASSERT_EQ(6u, squeezed.size());
  EXPECT_EQ("one", squeezed[0]);
  EXPECT_EQ("--P02" + std::string(124, '-'), squeezed[1]);
  EXPECT_EQ("two", squeezed[2]);
  EXPECT_EQ(0u, squeezed[3].find("--P03"));
  EXPECT_EQ("one", squeezed[4]);
  EXPECT_EQ("two", squeezed[5]);
  EXPECT_EQ(' ', lines[1][0]);
  EXPECT_EQ(131u, lines[1].size());  // columns 0-129 and one past
}

TEST(PdfPages, SpacingKeepsWordsApartOnOneLine) {
  // Each case is one text line: its words must be on one grid line,
  // separated by at least one blank, in order.
  struct Case {
    const char* content;
    std::vector<std::string> words;
  } cases[] = {
      {"BT /F1 12 Tf 72 700 Td (Hello world again) Tj ET", {"Hello", "world", "again"}},
      {"BT /F1 12 Tf 2 Tc 72 700 Td (Spaced out) Tj ET", {"Spaced", "out"}},
      {"BT /F1 12 Tf 8 Tw 72 700 Td (Wide gaps) Tj ET", {"Wide", "gaps"}},
      {"BT /F1 12 Tf 72 700 Td [(Ker) 120 (ning) -600 (gap) -40 (words)] TJ ET", {"Kerning", "gapwords"}},
      {"BT /F1 12 Tf 72 700 Td [(a) -3000 (b)] TJ ET", {"a", "b"}},
      {"BT /F1 8 Tf 72 700 Td (small) Tj 40 0 Td (next) Tj 30 0 Td (third) Tj ET", {"small", "next", "third"}},
      {"BT /F1 12 Tf 72 700 Td <48656C6C6F20776F726C64> Tj ET", {"Hello", "world"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = Lines(Text(Convert(OnePage(c.content))));
    ASSERT_EQ(1u, lines.size()) << c.content;
    std::string expectWords;
    std::size_t at = 0;
    for (const std::string& w : c.words) {
      const std::size_t found = lines[0].find(w, at);
      ASSERT_NE(std::string::npos, found) << c.content << " | " << lines[0];
      if (at > 0) EXPECT_GT(found, at) << c.content << ": no blank before " << w;
      at = found + w.size();
    }
  }
}

TEST(PdfPages, WidthAdjustSpreadsTheColumns) {
  // Wider spacing (a smaller width adjust) puts the same text further right.
  const std::string pdf = OnePage("BT /F1 10 Tf 72 800 Td (a) Tj 100 0 Td (b) Tj ET");
  std::size_t gap[5] = {};
  for (int w = 1; w <= 5; ++w) {
    Options o;
    o.widthAdjust = w;
    const std::vector<std::string> lines = Lines(Text(Convert(pdf, o)));
    ASSERT_EQ(1u, lines.size());
    gap[w - 1] = lines[0].find('b') - lines[0].find('a');
  }
  for (int w = 1; w < 5; ++w) EXPECT_GT(gap[w - 1], gap[w]) << w;
}

TEST(PdfPages, RepeatsAtOnePlaceAppearOnce) {
  const std::string twice = OnePage(
      "BT /F1 12 Tf 72 700 Td (Bold) Tj ET BT /F1 12 Tf 72 700 Td (Bold) Tj ET\n"
      "BT /F1 12 Tf 72 650 Td (Shadow) Tj 0.5 0.5 Td (Shadow) Tj ET");
  const std::vector<std::string> lines = Lines(Text(Convert(twice)));
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("Bold", NoBlanks(lines[0]));
  EXPECT_EQ("Shadow", NoBlanks(lines[1]));
}

TEST(PdfPages, OperatorListingWritesTheBytesBeforeEachLineStep) {
  Options o;
  o.editMode = 2;
  const std::vector<std::string> lines =
      Lines(Text(Convert(OnePage("BT /F1 12 Tf 14 TL 72 700 Td (abc) Tj T* (def) Tj T* ET"), o)));
  ASSERT_GE(lines.size(), 2u);
  // The strings one after another; each "T*" starts a line with the 20
  // bytes before it and ':'.
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(" abc ", lines[0]);
  EXPECT_EQ("  72 700 Td (abc) Tj :def ", lines[1]);
  EXPECT_EQ(" abc) Tj T* (def) Tj : ", lines[2]);
}

TEST(PdfPages, PictureMarkersNameTheObjectTurnAndFilter) {
  auto picture = [](const std::string& matrix, const std::string& filter) {
    return Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                  "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /XObject << /Im1 5 0 R >> >> "
                  "/Contents 4 0 R >>",
                  Stream("", "q " + matrix + " cm /Im1 Do Q"),
                  Stream("/Type /XObject /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 8 "
                         "/ColorSpace /DeviceGray " + filter,
                         std::string(40, '\xFF'))});
  };
  struct Case {
    std::string matrix, filter, marker;
  } cases[] = {
      {"100 0 0 100 72 600", "/Filter /DCTDecode", "[Image5]JPG"},
      {"100 0 0 -100 72 600", "/Filter /DCTDecode", "[Img5]JPG"},
      {"0 -100 100 0 72 600", "/Filter /JPXDecode", "[Imb5]JPX"},
      {"100 0 0 100 72 600", "", "[Image5]"},
  };
  for (const Case& c : cases) {
    const std::string text = Text(Convert(picture(c.matrix, c.filter)));
    EXPECT_NE(std::string::npos, text.find(c.marker)) << c.matrix << " " << c.filter << ": " << text;
  }
}

TEST(PdfPages, PicturesTooLargeForTheWorkBufferSaySoAndTheWalkGoesOn) {
  // 2,000 x 2,000 samples of 16 bits (8 MB), and a width of 2^31: each is
  // refused before inflating, on a line of its own; the text after them is
  // still read.
  for (const char* width : {"2000", "2147483648"}) {
    const std::string pdf =
        Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /XObject << /Im1 5 0 R >> "
               "/Font << /F1 6 0 R >> >> /Contents 4 0 R >>",
               Stream("", "q 100 0 0 100 72 600 cm /Im1 Do Q BT /F1 12 Tf 72 300 Td (after) Tj ET"),
               Stream(std::string("/Type /XObject /Subtype /Image /Width ") + width +
                          " /Height 2000 /BitsPerComponent 16 /ColorSpace /DeviceGray /Filter /FlateDecode",
                      std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8)),
               "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
    const std::vector<std::string> lines = Lines(Text(Convert(pdf)));
    bool failureLine = false;
    for (const std::string& l : lines)
      if (l.find(" [") == 0 && l.find("MB] <") != std::string::npos && l.find(" 012") != std::string::npos)
        failureLine = true;
    EXPECT_TRUE(failureLine) << width;
    EXPECT_EQ("after", NoBlanks(lines.back())) << width;
  }
}

TEST(PdfPages, VerticalFontsWriteDownAColumn) {
  // A UniJIS vertical CMap: two-byte Unicode codes, one character per line,
  // the long-vowel mark as its vertical form 82 8C.
  const std::string pdf =
      Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /Font << /F2 5 0 R >> >> /Contents 4 0 R >>",
             Stream("", "BT /F2 12 Tf 1 0 0 1 300 800 Tm <30C730FC30BF> Tj ET"),
             "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding /UniJIS-UCS2-V "
             "/DescendantFonts [<< /Type /Font /Subtype /CIDFontType0 >>] >>"});
  const std::vector<std::string> lines = Lines(Text(Convert(pdf)));
  ASSERT_EQ(3u, lines.size());
  const std::size_t col = lines[0].find("\x83\x66");
  ASSERT_NE(std::string::npos, col);
  EXPECT_EQ(col, lines[1].find("\x82\x8C"));
  EXPECT_EQ(col, lines[2].find("\x83\x5E"));
}

TEST(PdfPages, UniJisSymbolsComeOutAsShiftJis) {
  const std::string pdf =
      Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /Font << /F2 5 0 R >> >> /Contents 4 0 R >>",
             Stream("", "BT /F2 12 Tf 1 0 0 1 72 800 Tm <2208228222" "6A221A2F4720142126> Tj ET"),
             "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding /UniJIS-UCS2-H >>"});
  const std::string text = NoBlanks(Text(Convert(pdf)));
  // in, subset, much-less, root; a Kangxi radical as its ideograph; the
  // dash and Omega through the symbol table.
  EXPECT_EQ(std::string("\x81\xB8\x81\xBC\x81\xE1\x81\xE3\x93\xFA\x81\x5C\x83\xB6"), text);
}

TEST(PdfPages, SingleByteFontsAndLatin1) {
  const std::string pdf = OnePage("BT /F1 12 Tf 72 700 Td (Caf\\351 \\226 x\\247) Tj ET");
  const std::string plain = NoBlanks(Text(Convert(pdf)));
  EXPECT_EQ(std::string("Caf\xB7-x\x81\x98"), plain);
  Options o;
  o.latin1 = 1;
  EXPECT_EQ("Cafe-xS", NoBlanks(Text(Convert(pdf, o))));
}

TEST(PdfPages, NoticesOfTheOutput) {
  const std::string s267 = "PDF : ";
  // Vector drawing only: string 267.
  EXPECT_EQ(0u, Text(Convert(OnePage("q 1 0 0 1 0 0 cm 10 10 m 100 100 l S 0 0 50 50 re f Q"))).find(s267));
  // No catalog at all.
  EXPECT_EQ(0u, Text(Convert("%PDF-1.4\n1 0 obj << >> endobj\n")).find(s267));
  // Open context 2 gives the structure dump instead of the page text.
  Options o;
  o.openContext = 2;
  EXPECT_EQ(0u, Text(Convert(OnePage("BT (x) Tj ET"), o)).find("%P%PDF-1.4"));
}

TEST(PdfPages, GridAndOutputBounds) {
  // More pages than "n_tbl" lines hold: the text of the pages that fit and
  // string 243 with the setting's advice.
  std::vector<std::string> bodies = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
  std::string kids;
  for (int p = 0; p < 6; ++p) {
    kids += std::to_string(3 + 2 * p) + " 0 R ";
    bodies.push_back("<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 99 0 R >> >> /Contents " +
                     std::to_string(4 + 2 * p) + " 0 R >>");
    bodies.push_back(Stream("", "BT 72 800 Td (page" + std::to_string(p + 1) + ") Tj ET"));
  }
  bodies[1] = "<< /Type /Pages /Kids [" + kids + "] /Count 6 >>";
  const std::string pdf = Build(bodies);
  Options o;
  o.indata = 512000;   // not the default: the settings' rows hold
  o.tableRows = 1000;  // three bands and part of a fourth
  const std::string text = Text(Convert(pdf, o));
  EXPECT_NE(std::string::npos, text.find("page3"));
  EXPECT_EQ(std::string::npos, text.find("page5"));
  EXPECT_NE(std::string::npos, text.find("(x100)")) << text;
  EXPECT_NE(std::string::npos, text.find(" 210(x100)"));  // 1000 / 100 + 200

  // A text longer than "outdata" allows: cut before it, string 150 after.
  std::string many;
  for (int i = 0; i < 100; ++i) many += "BT 72 " + std::to_string(830 - 8 * i) + " Td (" + std::string(80, 'w') + ") Tj ET\n";
  o = Options();
  o.outdata = 5000;
  const std::string cut = Text(Convert(OnePage(many), o));
  EXPECT_LE(cut.size(), 5000u);
  EXPECT_NE(std::string::npos, cut.find("\r\n\r\n <"));
}

TEST(PdfPages, InlineImagesAreSkippedUpTo19999Bytes) {
  auto withImage = [](std::size_t before, std::size_t after) {
    std::string data(before, 'A');
    data += " (Y) Tj ";
    data += std::string(after, 'A');
    return OnePage("BT /F1 12 Tf 72 700 Td BI /W 10 /H 10 /BPC 8 /CS /G ID " + data + " EI (Z) Tj ET");
  };
  // Inside the skipped bytes the text is not read; past 19,999 bytes the
  // skip has ended and the walk reads on.
  EXPECT_EQ("Z", NoBlanks(Text(Convert(withImage(100, 100)))));
  EXPECT_EQ("YZ", NoBlanks(Text(Convert(withImage(20000, 100)))));
}

// Hostile files: each ends within a second with what could be read.
TEST(PdfPages, HostileFilesEndWithWhatCouldBeRead) {
  const std::string page = "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>";
  const std::string text = Stream("", "BT /F1 12 Tf 72 700 Td (kept) Tj ET");
  const std::string font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
  std::string nestedQ;
  for (int i = 0; i < 10000; ++i) nestedQ += "q ";
  struct Case {
    const char* name;
    std::string pdf;
    bool keepsText;
  } cases[] = {
      {"kids name their parent",
       Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 2 0 R 1 0 R] /Count 1 >>", page, text,
              font}),
       true},
      {"a page names itself",
       Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] >>",
              "<< /Type /Page /Kids [3 0 R 3 0 R] /Resources << /Font << /F1 5 0 R >> >> /Contents [4 0 R 4 0 R] >>",
              text, font}),
       true},
      {"40-digit numbers",
       OnePage("q BT /F1 1234567890123456789012345678901234567890 Tf "
               "1234567890123456789012345678901234567890 0 0 -1234567890123456789012345678901234567890 "
               "1234567890123456789012345678901234567890 5 cm "
               "9999999999999999999999999999999999999999 1 1 1 1 1 Tm "
               "-1234567890123456789012345678901234567890 1234567890123456789012345678901234567890 Td "
               "[(a) -1234567890123456789012345678901234567890 (b) 1234567890123456789012345678901234567890 (c)] TJ "
               "ET Q BT 72 700 Td (kept) Tj ET"),
       true},
      {"10,000 nested q", OnePage(nestedQ + "BT /F1 12 Tf 72 700 Td (kept) Tj ET"), true},
      {"unterminated string", OnePage("BT /F1 12 Tf 72 700 Td (kept) Tj (never closed"), true},
      {"unterminated dictionary", "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R\n2 0 obj << /Kids [3 0 R", false},
      {"a picture named but missing", OnePage("q 100 0 0 100 0 0 cm /Im1 Do Q"), false},
      {"a font map range past the table",
       Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
              "<< /Type /Page /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
              Stream("", "BT /F1 12 Tf 72 700 Td <0001FFFF> Tj ET"),
              "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /ToUnicode 6 0 R >>",
              Stream("", "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                         "1 beginbfchar <0001> <0041> endbfchar\n"
                         "2 beginbfrange <7FF0> <FFFF> <0042> <0000> <0005> <0043> endbfrange\n")}),
       false},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const convert::Result r = Convert(c.pdf);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(convert::Status::kOk, r.status) << c.name;
    EXPECT_LT(seconds, 1.0) << c.name;
    if (c.keepsText) EXPECT_NE(std::string::npos, r.text.find("kept")) << c.name << ": " << r.text;
  }
}

TEST(PdfPages, AWalkBeyondItsBudgetEndsWithTheDamageLine) {
  // One content of 200 KB named 2,000 times by each of three pages: far
  // more walking than the data held warrants.
  std::string refs;
  for (int i = 0; i < 2000; ++i) refs += "6 0 R ";
  std::string big = "BT /F1 12 Tf 72 700 Td (kept) Tj ET\n";
  while (big.size() < 200000) big += "0 0 m 10 10 l S\n";
  const std::string pdf =
      Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>",
             "<< /Type /Page /Resources << /Font << /F1 7 0 R >> >> /Contents [" + refs + "] >>",
             "<< /Type /Page /Resources << /Font << /F1 7 0 R >> >> /Contents [" + refs + "] >>",
             "<< /Type /Page /Resources << /Font << /F1 7 0 R >> >> /Contents [" + refs + "] >>", Stream("", big),
             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
  const auto start = std::chrono::steady_clock::now();
  const std::string text = Text(Convert(pdf));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
  EXPECT_NE(std::string::npos, text.find("kept"));
  const std::size_t damage = text.rfind("\r\n");
  ASSERT_NE(std::string::npos, damage);
  EXPECT_EQ("(Contents)", text.substr(text.size() - 10)) << text.substr(damage);
}

TEST(PdfPages, EveryCellWrittenStaysInsideItsBand) {
  // Text far outside the page, vertical text running past the band's end,
  // long lines past column 510 and collisions at the right edge.
  std::string content = "BT /F1 12 Tf 1 0 0 1 -500 -900 Tm (under) Tj 1 0 0 1 5000 5000 Tm (over) Tj ET\n";
  content += "BT /F1 12 Tf 1 0 0 1 560 400 Tm (" + std::string(200, 'x') + ") Tj ET\n";
  for (int i = 0; i < 12; ++i) content += "BT /F1 12 Tf 1 0 0 1 570 300 Tm (yy) Tj ET\n";
  content += "BT /F2 12 Tf 1 0 0 1 300 20 Tm <" + std::string(400, 'A') + "> Tj ET\n";
  const std::string pdf =
      Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 1 >>",
             "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> "
             "/Contents 4 0 R >>",
             Stream("", content), "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
             "<< /Type /Font /Subtype /Type0 /Encoding /UniJIS-UCS2-V >>"});
  PdfRun r(pdf);
  ASSERT_GT(r.pdf->m_nGridLines, 301);
  for (std::int32_t l = 0; l < r.pdf->m_nGridLines; ++l) {
    const std::uint8_t* row = &r.pdf->m_abGrid[static_cast<std::size_t>(l) * convert::kPdfGridColumns];
    EXPECT_EQ(0, row[0]) << l;
    EXPECT_EQ(convert::kPdfEmptyCell, row[510]) << l;
    EXPECT_EQ(convert::kPdfEmptyCell, row[511]) << l;
    if (l > 301) EXPECT_EQ("", r.line(l)) << l;
  }
  EXPECT_NE(std::string::npos, r.text().find("under"));
  EXPECT_NE(std::string::npos, r.text().find("yy"));
}

// A window side that records the status texts and answers Esc after a
// number of polls.
class RecordingHost : public convert::ConvertHost {
 public:
  explicit RecordingHost(int escAfter) : m_escAfter(escAfter) {}
  int LoadPicture(const CString&, int) override { return 0; }
  void StatusText(const CString& text) override { texts.push_back(std::string(text.GetString())); }
  int CheckEscapeAbort() override { return ++polls > m_escAfter ? 1 : 0; }
  std::vector<std::string> texts;
  int polls = 0;

 private:
  int m_escAfter;
};

TEST(PdfPages, ProgressPerPageAndEscStopsTheWalk) {
  std::vector<std::string> bodies = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
  std::string kids;
  for (int p = 0; p < 4; ++p) {
    kids += std::to_string(3 + 2 * p) + " 0 R ";
    bodies.push_back("<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(4 + 2 * p) + " 0 R >>");
    bodies.push_back(Stream("", "BT 72 800 Td (page" + std::to_string(p + 1) + ") Tj ET"));
  }
  bodies[1] = "<< /Type /Pages /Kids [" + kids + "] /Count 4 >>";
  const std::string pdf = Build(bodies);
  auto run = [&](RecordingHost& host) {
    convert::Request q;
    q.path = "t.pdf";
    q.kind = 11;
    q.limits.indata = 204800;
    q.limits.outdata = 2000000;
    q.limits.tableRows = 5000;
    q.host = &host;
    q.open = [pdf](const CString&) { return std::unique_ptr<convert::SourceFile>(new pdf_page::OwnedSource(pdf)); };
    return convert::ConvertFile(q).text;
  };
  RecordingHost quiet(1000000);
  const std::string all = run(quiet);
  EXPECT_NE(std::string::npos, all.find("page4"));
  ASSERT_EQ(3u, quiet.texts.size());
  EXPECT_EQ("    2 page    (Push ESC to stop)", quiet.texts[0]);
  EXPECT_EQ("    4 page    (Push ESC to stop)", quiet.texts[2]);
  // Esc confirmed during the walk: the pages laid out so far are written.
  RecordingHost esc(quiet.polls / 2);
  const std::string part = run(esc);
  EXPECT_NE(std::string::npos, part.find("page1"));
  EXPECT_EQ(std::string::npos, part.find("page4"));
}

TEST(PdfPages, TruncatedCopiesEndCleanly) {
  const std::string pdf = OnePage(
      "BT /F1 12 Tf 72 800 Td (First line) Tj 0 -20 Td [(Kern) -300 (ed)] TJ ET q 10 0 0 10 0 0 cm Q");
  for (std::size_t n = 0; n < pdf.size(); n += 7) {
    const convert::Result r = Convert(pdf.substr(0, n));
    EXPECT_NE(convert::Status::kNotBuilt, r.status) << n;
  }
}

// The objects of `bodies` under `numbers` ("@k" in a body stands for the
// k-th number, from 1), with a trailer naming the first as the catalog.
std::string Numbered(const std::vector<std::string>& bodies, const std::vector<int>& numbers) {
  std::string pdf = "%PDF-1.4\n";
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    std::string body = bodies[i];
    for (std::size_t k = numbers.size(); k >= 1; --k) {
      const std::string mark = "@" + std::to_string(k);
      for (std::size_t at; (at = body.find(mark)) != std::string::npos;)
        body.replace(at, mark.size(), std::to_string(numbers[k - 1]));
    }
    pdf += std::to_string(numbers[i]) + " 0 obj\n" + body + "\nendobj\n";
  }
  return pdf + "trailer\n<< /Root " + std::to_string(numbers[0]) + " 0 R >>\n%%EOF\n";
}

TEST(PdfPages, HighObjectNumbersReadAsLowOnes) {
  // Two pages, a simple font and a composite one with a Unicode map: the
  // same text whatever numbers the objects carry, up to the tables' last.
  const std::vector<std::string> bodies = {
      "<< /Type /Catalog /Pages @2 0 R >>",
      "<< /Type /Pages /Kids [@3 0 R @4 0 R] /Count 2 >>",
      "<< /Type /Page /Parent @2 0 R /Resources << /Font << /F1 @6 0 R /F2 @7 0 R >> >> /Contents @5 0 R >>",
      "<< /Type /Page /Parent @2 0 R /Resources << /Font << /F1 @6 0 R >> >> /Contents @9 0 R >>",
      Stream("", "BT /F1 12 Tf 72 700 Td (first) Tj ET BT /F2 12 Tf 72 650 Td <00010002> Tj ET"),
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
      "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /ToUnicode @8 0 R >>",
      Stream("", "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                 "2 beginbfchar <0001> <3042> <0002> <0041> endbfchar\n"),
      Stream("", "BT /F1 12 Tf 72 700 Td (second) Tj ET"),
  };
  const std::string low = Text(Convert(Numbered(bodies, {1, 2, 3, 4, 5, 6, 7, 8, 9})));
  EXPECT_NE(std::string::npos, low.find("first")) << low;
  EXPECT_NE(std::string::npos, low.find("\x82\xA0")) << low;
  EXPECT_NE(std::string::npos, low.find("second")) << low;
  const std::vector<std::vector<int>> renumbered = {
      {49151, 49150, 49149, 49148, 49147, 49146, 49145, 49144, 49143},
      {49151, 3, 40000, 1025, 1024, 1023, 49150, 2048, 12},
      {7, 49151, 2, 30000, 44444, 9, 8, 49150, 1},
  };
  for (const std::vector<int>& numbers : renumbered)
    EXPECT_EQ(low, Text(Convert(Numbered(bodies, numbers)))) << numbers[0] << " " << numbers[1];
  // One past the tables: the catalog is not indexed, as if it were missing.
  const std::string beyond = Text(Convert(Numbered(bodies, {49152, 2, 3, 4, 5, 6, 7, 8, 9})));
  EXPECT_EQ(std::string::npos, beyond.find("first")) << beyond;
}

TEST(PdfPages, LazyTablesReadZeroUntilWritten) {
  convert::PdfLazyTable<std::int32_t, 3000> t;
  EXPECT_EQ(3000u, t.size());
  EXPECT_EQ(0, t[0]);
  EXPECT_EQ(0, t[2999]);
  t.Slot(5) = 7;
  t.Slot(2999) = -1;
  EXPECT_EQ(7, t[5]);
  EXPECT_EQ(-1, t[2999]);
  for (std::size_t i = 0; i < 3000; ++i)
    if (i != 5 && i != 2999) ASSERT_EQ(0, t[i]) << i;
  t.Slot(5) += 1;
  EXPECT_EQ(8, t[5]);
  t.Clear();
  EXPECT_EQ(0, t[5]);
  EXPECT_EQ(0, t[2999]);
}

}  // namespace
