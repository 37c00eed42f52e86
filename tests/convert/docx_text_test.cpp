// ".docx" pages over packages held in memory: the text width of the page
// and its columns, page lines, tables with and without rules, nested
// tables drawn after the body, pictures by their media names, entities and
// the full-width blank; frames above the page, lines at the right edge and
// pages wider than the canvas stay inside their rows; a cut document part
// ends with the damage line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/docx_text.h"
#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"

namespace {

using convert::MemoryPackage;

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";

std::string Section(int pageWidth, int columns = 0) {
  std::string s = "<w:sectPr><w:pgSz w:w=\"" + std::to_string(pageWidth) +
                  "\" w:h=\"16838\"/><w:pgMar w:top=\"1985\" w:right=\"1701\" w:bottom=\"1701\" w:left=\"1701\"/>";
  s += columns ? "<w:cols w:num=\"" + std::to_string(columns) + "\" w:space=\"425\"/>" : "<w:cols w:space=\"425\"/>";
  return s + "</w:sectPr>";
}

std::string Para(const std::string& text) { return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"; }

std::string Document(const std::string& body, const std::string& section = Section(11906)) {
  return kHead + body + section + "</w:body></w:document>";
}

struct Pages {
  MemoryPackage pkg;
  convert::LoadBuffer out;
  std::int64_t result = 0;
  std::vector<std::string> lines;

  void Run(const std::string& document, bool rules = false) {
    pkg.Add("word/document.xml", document);
    convert::DocxWords words;
    words.tableLayout = rules;
    result = convert::ConvertDocxPackage(pkg, words, out);
    const std::string text(out.Data(), out.Size());
    lines.clear();
    for (std::size_t at = 0;;) {
      const std::size_t end = text.find("\r\n", at);
      if (end == std::string::npos) {
        if (at < text.size()) lines.push_back(text.substr(at));
        break;
      }
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
  }
  std::string Text() const { return std::string(out.Data(), out.Size()); }
  // The line holding `s` (-1 when none).
  int LineOf(const std::string& s) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find(s) != std::string::npos) return static_cast<int>(i);
    return -1;
  }
};

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

TEST(DocxPages, TheTextWidthFollowsThePageAndItsColumns) {
  const std::string word(300, 'x');
  Pages one;
  one.Run(Document(Para(word)));
  ASSERT_GE(one.lines.size(), 3u);
  EXPECT_EQ(std::string(109, 'x'), Trimmed(one.lines[0]));
  EXPECT_EQ(std::string(109, 'x'), Trimmed(one.lines[1]));
  EXPECT_EQ(std::string(82, 'x'), Trimmed(one.lines[2]));
  EXPECT_EQ(114u, one.lines[0].size());  // the widest column + 5

  Pages two;
  two.Run(Document(Para(word), Section(11906, 2)));
  EXPECT_EQ(std::string(54, 'x'), Trimmed(two.lines[0]));

  // Words break after a blank once the line is near its width.
  Pages words;
  std::string text;
  for (int i = 0; i < 30; ++i) text += "word" + std::to_string(i % 10) + " ";
  words.Run(Document(Para(text)));
  EXPECT_EQ(0u, words.lines[1].find("word"));
  EXPECT_LE(Trimmed(words.lines[0]).size(), 109u);

  // No section properties: 110 columns.
  Pages none;
  none.Run(Document(Para(word), ""));
  EXPECT_EQ(std::string(110, 'x'), Trimmed(none.lines[0]));
}

TEST(DocxPages, ARenderedPageBreakGivesThePageLine) {
  std::string body;
  for (int i = 0; i < 30; ++i) body += Para("line " + std::to_string(i));
  body += "<w:p><w:r><w:lastRenderedPageBreak/><w:t>next page</w:t></w:r></w:p>";
  Pages p;
  p.Run(Document(body));
  const int mark = p.LineOf("-[page 2]");
  ASSERT_GE(mark, 0) << p.Text();
  EXPECT_EQ("-[page 2]" + std::string(80, '-'), Trimmed(p.lines[static_cast<std::size_t>(mark)]));
  EXPECT_EQ("", p.lines[static_cast<std::size_t>(mark - 1)]);
  EXPECT_EQ("", p.lines[static_cast<std::size_t>(mark - 2)]);
  EXPECT_EQ("line 29", Trimmed(p.lines[29]));
  EXPECT_EQ(mark + 5, p.LineOf("next page"));
  // A page of 20 rows or fewer gets no page line.
  Pages few;
  few.Run(Document(Para("a") + "<w:p><w:r><w:br w:type=\"page\"/><w:t>b</w:t></w:r></w:p>"));
  EXPECT_EQ(-1, few.LineOf("[page"));
  EXPECT_EQ(1, few.LineOf("b"));
}

std::string Cell(int twips, const std::string& text) {
  return "<w:tc><w:tcPr><w:tcW w:w=\"" + std::to_string(twips) + "\" w:type=\"dxa\"/></w:tcPr>" + Para(text) +
         "</w:tc>";
}

std::string Row(const std::string& a, const std::string& b) {
  return "<w:tr>" + Cell(1440, a) + Cell(2880, b) + "</w:tr>";
}

TEST(DocxPages, TableCellsStandSideBySideWithRulesUnderTheSwitch) {
  const std::string table =
      "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"1440\"/>"
      "<w:gridCol w:w=\"2880\"/></w:tblGrid>" +
      Row("a1", "b1") + Row("a2", "b2") + "</w:tbl>" + Para("after");
  Pages plain;
  plain.Run(Document(table));
  ASSERT_GE(plain.lines.size(), 2u);
  EXPECT_EQ(2u, plain.lines[0].find("a1"));
  EXPECT_EQ(18u, plain.lines[0].find("b1"));
  EXPECT_EQ(18u, plain.lines[1].find("b2"));
  EXPECT_EQ(std::string::npos, plain.Text().find('|'));

  Pages ruled;
  ruled.Run(Document(table), true);
  const std::string rule = "+" + std::string(47, '-') + "+";
  ASSERT_GE(ruled.lines.size(), 4u);
  EXPECT_EQ(rule, Trimmed(ruled.lines[0]));
  for (int r : {1, 2}) {
    const std::string& line = ruled.lines[static_cast<std::size_t>(r)];
    ASSERT_GE(line.size(), 49u);
    EXPECT_EQ('|', line[0]);
    EXPECT_EQ('|', line[17]);
    EXPECT_EQ('|', line[48]);
    EXPECT_EQ(2u, line.find(r == 1 ? "a1" : "a2"));
  }
  EXPECT_EQ(rule, Trimmed(ruled.lines[3]));
  EXPECT_EQ(5, ruled.LineOf("after"));
}

TEST(DocxPages, ALongCellWrapsWithinItsWidth) {
  const std::string table =
      "<w:tbl><w:tr>" + Cell(1440, "abcdefghijklmnopqrstuvwxyz") + Cell(2880, "right") + "</w:tr></w:tbl>";
  Pages p;
  p.Run(Document(table));
  ASSERT_GE(p.lines.size(), 2u);
  // 16 columns: 15 bytes and "|".
  EXPECT_EQ(2u, p.lines[0].find("abcdefghijklmno|"));
  EXPECT_EQ(2u, p.lines[1].find("pqrstuvwxyz"));
  EXPECT_NE(std::string::npos, p.lines[0].find("right"));
}

TEST(DocxPages, ANestedTableIsMarkedInItsCellAndDrawnAfterTheBody) {
  const std::string inner = "<w:tbl><w:tr>" + Cell(1440, "inner") + "</w:tr></w:tbl>";
  const std::string outer = "<w:tbl><w:tr><w:tc><w:tcPr><w:tcW w:w=\"2880\" w:type=\"dxa\"/></w:tcPr>" +
                            Para("outer") + inner + "<w:p/></w:tc></w:tr></w:tbl>" + Para("body end");
  Pages p;
  p.Run(Document(outer));
  const int cell = p.LineOf("outer [Table1]");
  ASSERT_GE(cell, 0) << p.Text();
  EXPECT_EQ(std::string::npos, p.lines[static_cast<std::size_t>(cell)].find("inner"));
  const int end = p.LineOf("body end");
  ASSERT_GT(end, cell);
  int drawn = -1;
  for (std::size_t i = static_cast<std::size_t>(end) + 1; i < p.lines.size(); ++i)
    if (Trimmed(p.lines[i]) == "[Table1]") drawn = static_cast<int>(i);
  ASSERT_GT(drawn, end) << p.Text();
  const int innerLine = p.LineOf("inner");
  EXPECT_GT(innerLine, drawn);
  EXPECT_EQ(2u, p.lines[static_cast<std::size_t>(innerLine)].find("inner"));
}

TEST(DocxPages, APictureShowsItsMediaName) {
  Pages p;
  p.pkg.Add("word/_rels/document.xml.rels",
            "<?xml version=\"1.0\"?><Relationships>"
            "<Relationship Id=\"rId4\" Type=\"http://x/styles\" Target=\"styles.xml\"/>"
            "<Relationship Id=\"rId5\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "image\" Target=\"media/image1.png\"/></Relationships>");
  p.pkg.Add("word/media/image1.png", "\x89PNG");
  p.Run(Document(Para("before") +
                 "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"914400\"/><a:graphic><a:graphicData>"
                 "<pic:pic><pic:blipFill><a:blip r:embed=\"rId5\"/></pic:blipFill></pic:pic></a:graphicData>"
                 "</a:graphic></wp:inline></w:drawing></w:r></w:p>" +
                 "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"914400\"/>"
                 "<a:blip r:embed=\"rId160\"/></wp:inline></w:drawing></w:r></w:p>"));
  EXPECT_GE(p.LineOf("[image1.png]"), 1) << p.Text();
  EXPECT_GE(p.LineOf("[Image]"), 1) << p.Text();
  // Without the media folder the names are not read: empty brackets.
  MemoryPackage bare;
  bare.Add("word/document.xml", Document("<w:p><w:r><w:drawing><a:blip r:embed=\"rId5\"/></w:drawing></w:r></w:p>"));
  convert::LoadBuffer out;
  convert::ConvertDocxPackage(bare, {}, out);
  EXPECT_NE(std::string::npos, std::string(out.Data()).find("[]"));
}

// An anchored text box as the current writers save it: the shape, then its
// VML fallback with the same text, which is skipped.
TEST(DocxPages, AnAnchoredTextBoxStandsAtItsOffsetOnce) {
  const std::string box =
      "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor behindDoc=\"0\">"
      "<wp:positionH relativeFrom=\"column\"><wp:posOffset>3250000</wp:posOffset></wp:positionH>"
      "<wp:positionV relativeFrom=\"paragraph\"><wp:posOffset>340000</wp:posOffset></wp:positionV>"
      "<wp:extent cx=\"1828800\" cy=\"300000\"/><a:graphic><wps:wsp><wps:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
      "<a:ext cx=\"1828800\" cy=\"300000\"/></a:xfrm></wps:spPr><wps:txbx><w:txbxContent>" +
      Para("boxed text") +
      "</w:txbxContent></wps:txbx></wps:wsp></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback>"
      "<w:pict><v:shape style=\"position:absolute;margin-left:256pt;margin-top:26pt;width:144pt;height:24pt\">"
      "<v:textbox><w:txbxContent>" +
      Para("boxed text") + "</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent>"
      "</w:r><w:r><w:t>Holder</w:t></w:r></w:p>";
  Pages p;
  p.Run(Document(Para("first") + box + Para("last")));
  // Column 3,250,000 / 65,000 = 50, row 340,000 / 170,000 = 2 below the
  // holding paragraph's row 1.
  const int line = p.LineOf("boxed text");
  ASSERT_EQ(3, line) << p.Text();
  EXPECT_EQ(50u, p.lines[3].find("boxed text"));
  EXPECT_EQ(p.Text().find("boxed text"), p.Text().rfind("boxed text"));
  EXPECT_EQ("Holder", Trimmed(p.lines[1]));
  EXPECT_GT(p.LineOf("last"), 1);
}

TEST(DocxPages, EntitiesAndTheFullWidthBlank) {
  Pages p;
  p.Run(Document(Para("a&lt;b &amp; &quot;q&quot; &gt;") + Para("ends&lt;") + Para("x\xE3\x80\x80y") +
                 Para("\xE6\x97\xA5\xE6\x9C\xAC")));
  EXPECT_EQ("a<b & \"q\" >", Trimmed(p.lines[0]));
  EXPECT_EQ("ends<", Trimmed(p.lines[1]));
  EXPECT_EQ("x  y", Trimmed(p.lines[2]));
  EXPECT_EQ("\x93\xFA\x96\x7B", Trimmed(p.lines[3]));  // Shift-JIS
}

// Faults: rows before the page, lines past the row's end, pages wider than
// the canvas rows.
TEST(DocxPages, FramesAboveThePageAndWideLinesStayInTheirRows) {
  std::string body;
  for (int page = 0; page < 2; ++page) {
    for (int i = 0; i < 25; ++i) body += Para("p" + std::to_string(page) + " line " + std::to_string(i));
    body += "<w:p><w:r><w:lastRenderedPageBreak/></w:r></w:p>";
  }
  // On page 3: a frame far above the page, a line from column 505 and a
  // VML box above the page.
  body += "<w:p><w:pPr><w:framePr w:w=\"2000\" w:y=\"-400000\" w:x=\"800\"/></w:pPr><w:r><w:t>above</w:t></w:r></w:p>";
  body += "<w:tbl><w:tr>" + Cell(1440, "t") + "</w:tr></w:tbl>";
  body += "<w:p><w:pPr><w:framePr w:x=\"41200\" w:y=\"2000\"/></w:pPr><w:r><w:t>abcdefghij</w:t></w:r></w:p>";
  body += "<w:p><w:r><w:pict><v:shape style=\"position:absolute;margin-top:-900pt;margin-left:10pt;width:100pt\">"
          "<v:textbox><w:txbxContent>" + Para("boxed") + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>";
  Pages p;
  p.Run(Document(body));
  const int page3 = p.LineOf("-[page 3]");
  ASSERT_GT(page3, 0) << p.Text();
  const int above = p.LineOf("above");
  EXPECT_GT(above, page3);
  // Every output row has its width; nothing ran over a row end.
  for (const std::string& line : p.lines) {
    if (!line.empty() && line.find("[page") == std::string::npos) {
      EXPECT_EQ(p.lines[0].size(), line.size());
    }
  }
  EXPECT_GT(p.LineOf("boxed"), page3);
  EXPECT_EQ(-1, p.LineOf("fghij"));
  EXPECT_EQ(-1, p.LineOf("ghij"));

  // A page of 60,000 twips: text 590 columns wide, clipped at the row end.
  Pages wide;
  wide.Run(Document(Para(std::string(700, 'x')), Section(60000)));
  ASSERT_GE(wide.lines.size(), 2u);
  EXPECT_EQ(std::string(110, 'x'), Trimmed(wide.lines[1]));
  EXPECT_EQ(505u, wide.lines[0].size());
  EXPECT_EQ(std::string(505, 'x'), wide.lines[0]);
}

TEST(DocxPages, ACutPartEndsWithTheDamageLineAndAMissingOneGivesFiveBlanks) {
  Pages cut;
  cut.Run(Document(Para("kept") + Para("more")).substr(0, std::string(kHead).size() + 40));
  EXPECT_EQ("kept", Trimmed(cut.lines[0]));
  EXPECT_NE(std::string::npos, cut.Text().find("(word\\document.xml)")) << cut.Text();

  Pages whole;
  whole.Run(Document(Para("kept")));
  EXPECT_EQ(std::string::npos, whole.Text().find("document.xml"));

  MemoryPackage empty;
  convert::LoadBuffer out;
  EXPECT_EQ(7, convert::ConvertDocxPackage(empty, {}, out));
  EXPECT_EQ("     \r\n", std::string(out.Data(), out.Size()));
}

}  // namespace
