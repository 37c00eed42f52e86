// The markup engine on crafted pages: marks, entities, links and their list,
// tables and spans, the character modes, and hostile pages.
#include "convert/markup_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace {

using convert::LoadBuffer;
using convert::MarkupResult;
using convert::MarkupWords;

struct Out {
  std::string text;
  MarkupResult r;
};

Out Render(const std::string& page, const std::function<void(MarkupWords&)>& tweak = nullptr, bool xml = false) {
  MarkupWords w;
  if (tweak) tweak(w);
  LoadBuffer out;
  const auto* p = reinterpret_cast<const std::uint8_t*>(page.data());
  Out o;
  o.r = xml ? convert::RenderXmlAsText(p, page.size(), w, out) : convert::RenderHtmlAsText(p, page.size(), w, out);
  o.text.assign(out.Data(), out.Size());
  EXPECT_EQ(static_cast<std::int64_t>(out.Size()), o.r.size);
  return o;
}

// The text before the address list.
std::string Body(const std::string& text) {
  const std::size_t at = text.find("\n\n--address");
  return at == std::string::npos ? text : text.substr(0, at);
}

std::string Omitted() { return static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDataOmitted)); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      lines.push_back(text.substr(from, i - from));
      from = i + 1;
    }
  }
  return lines;
}

TEST(MarkupEngine, MarksOfHeadingsBoldListsAndRules) {
  const Out o = Render("<html><h1>Top</h1><h2>Mid</h2><h3>Low</h3><p>a <b>bold</b> <u>under</u> <i>it</i></p>"
                    "<ul><li>one<li>two</ul><hr><pre>x\n  y</pre><!-- hidden <b> --><style>p{}</style>end");
  const std::string b = Body(o.text);
  EXPECT_EQ(0u, b.find("\n$:Top\n#:Mid\n>:Low\n")) << b;
  EXPECT_NE(std::string::npos, b.find(" [bold] ")) << b;
  EXPECT_NE(std::string::npos, b.find("<<under>>")) << b;
  EXPECT_NE(std::string::npos, b.find(" <it> ")) << b;
  EXPECT_NE(std::string::npos, b.find("\n   \x81\x45one\n   \x81\x45two")) << b;
  EXPECT_NE(std::string::npos, b.find("\n" + std::string(78, '-') + "\n")) << b;
  EXPECT_NE(std::string::npos, b.find("x\n  y")) << b;
  EXPECT_EQ(std::string::npos, b.find("hidden"));
  EXPECT_EQ(std::string::npos, b.find("p{}"));
  EXPECT_NE(std::string::npos, b.find("end"));
  // No marks with the text-only switch.
  EXPECT_EQ(std::string::npos, Render("<b>x</b>", [](MarkupWords& w) { w.m_nTextOnly = 1; }).text.find(" [x"));
}

TEST(MarkupEngine, EntitiesInBothFormsAndUnknownOnesAsRead) {
  struct Case {
    const char* entity;
    const char* wide;
    const char* ascii;
  } cases[] = {
      {"&quot;", "'", "'"},         {"&reg;", "[R]", "[R]"},        {"&gt;", ">", ">"},
      {"&lt;", "<", "<"},           {"&copy;", "[C]", "[C]"},       {"&amp;", "&", "&"},
      {"&rarr;", "\x81\xA8", "->"}, {"&larr;", "\x81\xA9", "<-"},   {"&uarr;", "\x81\xAA", "^ "},
      {"&darr;", "\x81\xAB", "v "}, {"&nbsp;", " ", " "},           {"&emsp;", " ", " "},
      {"&ensp;", " ", " "},         {"&hellip;", "\x81\x64", "**"}, {"&#9;", "\t", "\t"},
      {"&#149;", "\x81\x45", "* "}, {"&#148;", "\x81\x68", " \""},  {"&#147;", "\x81\x67", "\" "},
      {"&#146;", "\x81\x66", " '"}, {"&#145;", "\x81\x65", "' "},   {"&#14;", "\x81\x45", "* "},
      {"&#18;", "\x81\x45", "* "},  {"&#16;", "\x81\x45", "* "},    {"&NBSP;", " ", " "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string("\n[") + c.wide + "]", Body(Render(std::string("[") + c.entity + "]").text)) << c.entity;
    EXPECT_EQ(std::string("\n[") + c.ascii + "]",
              Body(Render(std::string("[") + c.entity + "]", [](MarkupWords& w) { w.m_bAsciiSymbols = 1; }).text))
        << c.entity;
  }
  EXPECT_EQ("\n[&eacute;]", Body(Render("[&eacute;]").text));
  EXPECT_EQ("\n[& b]", Body(Render("[& b]").text));
  EXPECT_EQ("\n[&#65;]", Body(Render("[&#65;]").text));
  // "ensp" is a blank only in HTML.
  EXPECT_EQ("\n[&ensp;]", Body(Render("[&ensp;]", nullptr, true).text));
}

TEST(MarkupEngine, LinksAreNumberedAndListed) {
  std::string page = "<html>";
  for (int k = 1; k <= 360; ++k) page += "<a href=\"u" + std::to_string(k) + ".htm\">L" + std::to_string(k) + "</a> ";
  const Out o = Render(page);
  EXPECT_EQ(360, o.r.links);
  EXPECT_NE(std::string::npos, o.text.find(" @01:L1")) << o.text.substr(0, 80);
  EXPECT_NE(std::string::npos, o.text.find(" @A0:L100 "));
  EXPECT_NE(std::string::npos, o.text.find(" @a0:L360"));
  const std::size_t list = o.text.find("\n\n--address----------------------------------\n\n");
  ASSERT_NE(std::string::npos, list);
  EXPECT_NE(std::string::npos, o.text.find("@01 u1.htm\n", list));
  EXPECT_NE(std::string::npos, o.text.find("@A0 u100.htm\n", list));
  EXPECT_NE(std::string::npos, o.text.find("@a0 u360.htm\n", list));
  // 10,000 links: 640 listed, the rest plain text.
  std::string flood;
  for (int k = 1; k <= 10000; ++k) flood += "<a href=\"f" + std::to_string(k) + "\">t</a>";
  const Out f = Render(flood);
  EXPECT_EQ(640, f.r.links);
  EXPECT_FALSE(f.r.cut);
  // 700 links give 640 entries; label 640 uses the bytes after 'z'.
  std::string many;
  for (int k = 1; k <= 700; ++k) many += "<a href=x" + std::to_string(k) + ">.</a>";
  const Out m = Render(many);
  EXPECT_EQ(640, m.r.links);
  EXPECT_NE(std::string::npos, m.text.find("@}0 x640\n"));
  EXPECT_EQ(std::string::npos, m.text.find("x641"));
  // alt and name texts; without the link list "a" is not searched.
  const Out t = Render("<img src=p.png alt=\"Photo\"><a name=\"top\">T</a><a href='q'>Q</a>");
  EXPECT_NE(std::string::npos, t.text.find("<image><<Photo>>")) << t.text;
  EXPECT_NE(std::string::npos, t.text.find(" <top> T")) << t.text;
  EXPECT_NE(std::string::npos, t.text.find("@01 q\n")) << t.text;  // an img src is no target
  const Out off = Render("<a href=\"q\">Q</a><img alt=\"P\">", [](MarkupWords& w) { w.m_bLinkList = 0; });
  EXPECT_EQ(std::string::npos, off.text.find("@01"));
  EXPECT_NE(std::string::npos, off.text.find("<<P>>"));
  // The text-only-lines form writes the target on its own line.
  const Out lines = Render("<a href=\"q.htm\">Q</a>", [](MarkupWords& w) { w.m_nTextOnly = w.m_nTextOnlyLines = 1; });
  EXPECT_NE(std::string::npos, lines.text.find(" @01:\nq.htm\nQ")) << lines.text;
  char x, y;
  convert::LinkLabel(360, &x, &y);
  EXPECT_EQ('a', x);
  EXPECT_EQ('0', y);
}

TEST(MarkupEngine, TablesLineUpWithSeparators) {
  const std::string page =
      "<table><tr><td>a</td><td>bbbb</td><td>c</td></tr>"
      "<tr><td>dddddd</td><td>e</td><td>ff</td></tr></table>after";
  const std::vector<std::string> lines = Lines(Body(Render(page).text));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("a      bbbb c  ", lines[2]);
  EXPECT_EQ("dddddd e    ff ", lines[3]);
  const std::vector<std::string> bar = Lines(Body(Render(page, [](MarkupWords& w) { w.mode = 1; }).text));
  EXPECT_EQ("a     |bbbb|c |", bar[2]);
  const std::vector<std::string> bs = Lines(Body(Render(page, [](MarkupWords& w) { w.mode = 2; }).text));
  EXPECT_EQ("a     \x08" "bbbb\x08" "c \x08", bs[2]);
  // Cells flow as lines in the text-only-lines form.
  const std::string flow = Body(Render(page, [](MarkupWords& w) { w.m_nTextOnly = w.m_nTextOnlyLines = 1; }).text);
  EXPECT_NE(std::string::npos, flow.find("\na\nbbbb\nc\n")) << flow;
}

TEST(MarkupEngine, SpansKeepTheGrid) {
  // A row span covers the column below; a column span lets the text run over.
  const std::string page =
      "<table><tr><td rowspan=2>R</td><td>x1</td><td>y1</td></tr>"
      "<tr><td>x2</td><td>y2</td></tr>"
      "<tr><td colspan=\"2\">wide text</td><td>z</td></tr></table>";
  const std::vector<std::string> lines = Lines(Body(Render(page).text));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ("R x1 y1 ", lines[2]);
  EXPECT_EQ("  x2 y2 ", lines[3]);
  EXPECT_EQ("wide text z  ", lines[4]);
  // A span of 60 stops at column 48; cells after it join column 48.
  std::string wide = "<table><tr><td colspan=60>W</td><td>after</td></tr><tr>";
  for (int c = 1; c <= 50; ++c) wide += "<td>" + std::to_string(c % 10) + "</td>";
  wide += "</tr></table>";
  const Out o = Render(wide);
  const std::vector<std::string> w = Lines(Body(o.text));
  ASSERT_GE(w.size(), 4u);
  EXPECT_EQ(0u, w[2].find("W"));
  EXPECT_NE(std::string::npos, w[2].find("after"));
  // Spans of 99 in every cell of deep rows: shorter text, no crash.
  std::string hostile = "<table>";
  for (int r = 0; r < 200; ++r) {
    hostile += "<tr>";
    for (int c = 0; c < 60; ++c) hostile += "<td colspan=99 rowspan=99>v</td>";
  }
  EXPECT_GT(Render(hostile).r.size, 0);
}

TEST(MarkupEngine, AFullGridIsWrittenOutAndRenderingGoesOn) {
  std::string page = "<table>";
  for (int r = 0; r < 400; ++r) page += "<tr><td>r" + std::to_string(r) + "</td><td>v</td></tr>";
  page += "</table>tail";
  const Out o = Render(page, [](MarkupWords& w) { w.tblMax = 960; });
  const std::string b = Body(o.text);
  for (int r : {0, 150, 399}) EXPECT_NE(std::string::npos, b.find("r" + std::to_string(r) + " ")) << r;
  EXPECT_NE(std::string::npos, b.find("tail"));
  // The last grid line holds a cell of column 1 only: the columns after it
  // lie past the grid and are empty.
  std::string edge = "<table><tr>";
  for (int c = 1; c <= 48; ++c) edge += "<td>c</td>";
  edge += "<td>x<br>y<br>z</td></tr></table>";
  std::string one = "<table><tr><td>a<br>b<br>d</td>";
  for (int c = 2; c <= 48; ++c) one += "<td>c</td>";
  one += "</tr></table>";
  EXPECT_NE(std::string::npos, Render(one, [](MarkupWords& w) { w.tblMax = 100; }).text.find("d"));
  EXPECT_GT(Render(edge, [](MarkupWords& w) { w.tblMax = 100; }).r.size, 0);
  // Nested and unclosed tables end too.
  std::string deep;
  for (int k = 0; k < 3000; ++k) deep += "<table><tr><td>d";
  EXPECT_NE(std::string::npos, Render(deep).text.find("d"));
}

TEST(MarkupEngine, JisPairsThatDoNotConvertAreSkipped) {
  // "日本" in JIS, then pairs outside 0x21-0x7E.
  const std::string page = std::string("a\x1B$BF|K\\\x1B(Bb\x1B$B") + "\x80\x80\x21\x7F\xA0\xA1" + "\x1B(Bc";
  const std::string b = Body(Render(page).text);
  EXPECT_EQ(std::string::npos, b.find('\0'));
  EXPECT_EQ("\na\x93\xFA\x96{bc", b);
}

TEST(MarkupEngine, FourByteUtf8IsOneQuestionMark) {
  // "日😀本" declared UTF-8, and a guessed page.
  const std::string page = "<meta charset=utf-8>\xE6\x97\xA5\xF0\x9F\x98\x80\xE6\x9C\xACx";
  const std::string b = Body(Render(page).text);
  EXPECT_EQ("\n\x93\xFA?\x96{x", b);
  const std::string g = Body(Render("\xE6\x97\xA5\xE6\x97\xA5\xF0\x9F\x98\x80\xE6\x9C\xAC<b>x").text);
  EXPECT_EQ("\n\x93\xFA\x93\xFA?\x96{", g.substr(0, 8));
}

TEST(MarkupEngine, CharacterModesAndMarks) {
  // A byte-order mark is skipped; "shift_jis" stops all conversion.
  EXPECT_EQ("\n\x93\xFA", Body(Render("\xEF\xBB\xBF\xE6\x97\xA5<p>").text).substr(0, 3));
  const std::string sjis = "<meta charset=shift_jis>\x93\xFA\x96{";
  EXPECT_EQ("\n\x93\xFA\x96{", Body(Render(sjis).text));
  // EUC guessed.
  EXPECT_EQ("\n\x93\xFA\x96{", Body(Render("\xC6\xFC\xCB\xDC").text));
  // nocconv leaves the bytes.
  EXPECT_EQ("\n\xC6\xFC\xCB\xDC", Body(Render("\xC6\xFC\xCB\xDC", [](MarkupWords& w) { w.m_bNoCharConv = 1; }).text));
  // Byte 0xFF ends the loop (no cut notice).
  const Out ff = Render("ab\xFF" "cd");
  EXPECT_EQ("\nab", Body(ff.text));
  EXPECT_FALSE(ff.r.cut);
  // Folding line ends with keeplay 0.
  EXPECT_EQ("\nab", Body(Render("a\r\n\t  b", [](MarkupWords& w) { w.m_bKeepLayout = 0; }).text));
}

TEST(MarkupEngine, LongPagesEndWithTheCutNotice) {
  // 3 MB: the step limit ends the loop.
  std::string big;
  while (big.size() < 3000000) big += "word word word word word word word word word word\n";
  const Out o = Render(big, [](MarkupWords& w) { w.outdata = 0; });
  EXPECT_TRUE(o.r.cut);
  EXPECT_EQ(Omitted(), o.text.substr(o.text.size() - Omitted().size()));
  // The output bound: every byte before the notice within it.
  const Out s = Render(big, [](MarkupWords& w) { w.outdata = 5000; });
  EXPECT_TRUE(s.r.cut);
  EXPECT_EQ(5000u + Omitted().size(), s.text.size());
  // A page that ends in time has no notice; an unterminated comment neither.
  EXPECT_FALSE(Render("short").r.cut);
  const Out c = Render("a<!-- never closed" + std::string(20000, 'x'));
  EXPECT_NE(std::string::npos, c.text.find("\na"));
  EXPECT_LT(c.text.size(), 12000u);
}

TEST(MarkupEngine, XmlSheetRowsAreTableRows) {
  const std::string sheet =
      "<?xml version=\"1.0\"?><worksheet><cols><col min=\"1\"/></cols><sheetData>"
      "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Name</t></is></c><c r=\"B1\"><v>42</v></c></row>"
      "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>Longer name</t></is></c><c r=\"B2\"><v>7</v></c></row>"
      "</sheetData></worksheet>";
  const std::vector<std::string> lines = Lines(Body(Render(sheet, nullptr, true).text));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("Name        42 ", lines[2]);
  EXPECT_EQ("Longer name 7  ", lines[3]);
}

TEST(MarkupEngine, SourceViewCopiesAndIndents) {
  const std::string page = "<table>\n<tr>\n<td>\xE6\x97\xA5</td>\n</tr>\n</table>\nend";
  EXPECT_EQ(page, Render(page, [](MarkupWords& w) { w.openContext = 2; w.m_bKeepLayout = 0; }).text);
  const std::string kept = Render(page, [](MarkupWords& w) { w.openContext = 2; }).text;
  EXPECT_EQ("<table>\n\t<tr>\n\t<td>\x93\xFA</td>\n\t</tr>\n\t</table>\nend", kept);
}

TEST(MarkupEngine, NoGridGivesTheMemoryMessage) {
  for (long n = 1; n <= 2; ++n) {
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const Out o = Render("<p>x", nullptr, n == 2);
    fw::alloctest::Reset();
    EXPECT_TRUE(o.r.noMemory);
    const std::string want =
        std::string(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory))) +
        (n == 2 ? " 014" : " 015");
    EXPECT_EQ(want, o.text);
  }
}

}  // namespace
