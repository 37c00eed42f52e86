#include "export/chart_fragments.h"

#include <gtest/gtest.h>

#include <string>

using exportcore::XlsxColorHex;
using exportcore::XlsxDataLabelsXml;
using exportcore::XlsxLightColorHex;
using exportcore::XlsxLineXml;
using exportcore::XlsxMarkerXml;
using exportcore::XlsxPatternName;
using exportcore::XlsxTextBodyXml;

namespace {

TEST(ChartMarkers, GoldenTexts) {
  EXPECT_EQ(XlsxMarkerXml(""), "<c:marker><c:symbol val=\"none\"/></c:marker>");
  EXPECT_EQ(XlsxMarkerXml("21R"),
            "<c:marker><c:symbol val=\"square\"/><c:size val=\"6\"/><c:spPr><a:solidFill><a:srgbClr "
            "val=\"FF0000\"/></a:solidFill></c:spPr></c:marker>");
  // Hollow and black: no outline of its own.
  EXPECT_EQ(XlsxMarkerXml("8p11Bk"),
            "<c:marker><c:symbol val=\"square\"/><c:size val=\"8\"/><c:spPr><a:noFill/></c:spPr></c:marker>");
  // "p" first: the default size, the symbol read from "p1".
  EXPECT_EQ(XlsxMarkerXml("p11R"),
            "<c:marker><c:symbol val=\"none\"/><c:size val=\"6\"/><c:spPr><a:solidFill><a:srgbClr "
            "val=\"000000\"/></a:solidFill></c:spPr></c:marker>");
  EXPECT_EQ(XlsxMarkerXml("20R"),
            "<c:marker><c:symbol val=\"none\"/><c:size val=\"6\"/><c:spPr><a:solidFill><a:srgbClr "
            "val=\"FF0000\"/></a:solidFill></c:spPr></c:marker>");
}

TEST(ChartMarkers, HollowOutlineAndSymbols) {
  EXPECT_EQ(XlsxMarkerXml("18G"),
            "<c:marker><c:symbol val=\"circle\"/><c:size val=\"6\"/><c:spPr><a:noFill/><a:ln><a:solidFill><a:srgbClr "
            "val=\"00F000\"/></a:solidFill><a:prstDash val=\"solid\"/></a:ln></c:spPr></c:marker>");
  EXPECT_NE(XlsxMarkerXml("29R").find("val=\"plus\""), std::string::npos);
  EXPECT_NE(XlsxMarkerXml("12").find("val=\"diamond\""), std::string::npos);
}

TEST(ChartMarkers, SizeFromTheTableNeverBreaksTheAttribute) {
  // A size that is no marker size (2-72) is left out rather than written.
  std::string m = XlsxMarkerXml("a\"<p21R");
  EXPECT_EQ(m.find("c:size"), std::string::npos);
  EXPECT_EQ(m.find("\"<"), std::string::npos);
  EXPECT_EQ(XlsxMarkerXml("99p21R").find("c:size"), std::string::npos);
}

TEST(ChartLines, GoldenTexts) {
  EXPECT_EQ(XlsxLineXml("14R"),
            "<a:ln w=\"6350\" cmpd=\"dbl\"><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:prstDash "
            "val=\"solid\"/></a:ln>");
  EXPECT_EQ(XlsxLineXml("0"), "<a:ln w=\"12700\"><a:noFill/><a:prstDash val=\"solid\"/></a:ln>");
  EXPECT_EQ(XlsxLineXml("R"),
            "<a:ln w=\"6350\"><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:prstDash "
            "val=\"solid\"/></a:ln>");
  EXPECT_EQ(XlsxLineXml("22Br"),
            "<a:ln w=\"19050\"><a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill><a:prstDash "
            "val=\"lgDash\"/></a:ln>");
}

TEST(ChartLines, WidthsAndDashes) {
  const char* widths[] = {"25400", "38100", "50800", "63500", "76200", "88900"};
  for (int d = 3; d <= 8; ++d) {
    std::string code = std::to_string(d) + "1R";
    EXPECT_NE(XlsxLineXml(code).find(std::string("w=\"") + widths[d - 3] + "\""), std::string::npos) << code;
  }
  EXPECT_NE(XlsxLineXml("9R").find("w=\"6350\""), std::string::npos);
  const char* dashes[] = {"solid", "solid", "lgDash", "sysDash", "solid", "lgDashDot", "lgDashDotDot", "sysDot", "dash", "dashDot"};
  for (int d = 0; d <= 9; ++d) {
    std::string code = "3" + std::to_string(d) + "R";
    EXPECT_NE(XlsxLineXml(code).find(std::string("prstDash val=\"") + dashes[d] + "\""), std::string::npos) << code;
  }
  // Z is no colour start: the third character is read.
  EXPECT_NE(XlsxLineXml("ZZR").find("FF0000"), std::string::npos);
}

TEST(ChartTextBodies, GoldenTexts) {
  EXPECT_EQ(XlsxTextBodyXml("12D", "Sales", 0),
            "<c:tx><c:rich><a:bodyPr rot=\"5400000\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr><a:defRPr "
            "sz=\"1200\"/></a:pPr><a:r><a:rPr lang=\"ja-JP\" altLang=\"en-US\"/><a:t>Sales</a:t></a:r></a:p>"
            "</c:rich></c:tx>");
  EXPECT_EQ(XlsxTextBodyXml("12D", "", 0),
            "<c:txPr><a:bodyPr rot=\"5400000\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr><a:defRPr "
            "sz=\"1200\"/></a:pPr><a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr>");
  EXPECT_EQ(XlsxTextBodyXml("9pV", "", 0),
            "<c:txPr><a:bodyPr rot=\"0\" vert=\"wordArtVertRtl\"/><a:lstStyle/><a:p><a:pPr><a:defRPr "
            "sz=\"900\"/></a:pPr><a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr>");
  // Mode 1: the whole code is the size, no letters are read.
  EXPECT_EQ(XlsxTextBodyXml("14", "T", 1),
            "<c:tx><c:rich><a:bodyPr rot=\"0\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr><a:defRPr "
            "sz=\"1400\"/></a:pPr><a:r><a:rPr lang=\"ja-JP\" altLang=\"en-US\"/><a:t>T</a:t></a:r></a:p>"
            "</c:rich></c:tx>");
}

TEST(ChartTextBodies, RotationsAndVerticalForms) {
  EXPECT_NE(XlsxTextBodyXml("10u", "", 0).find("rot=\"-5400000\" vert=\"horz\""), std::string::npos);
  EXPECT_NE(XlsxTextBodyXml("10v", "", 0).find("rot=\"0\" vert=\"eaVert\""), std::string::npos);
  EXPECT_NE(XlsxTextBodyXml("9", "", 0).find("sz=\"900\""), std::string::npos);
}

TEST(ChartTextBodies, TableTextIsEscaped) {
  std::string body = XlsxTextBodyXml("12", "A&B <\"x\">", 0);
  EXPECT_NE(body.find("<a:t>A&amp;B &lt;&quot;x&quot;&gt;</a:t>"), std::string::npos);
  // A double-byte title ("表" ends in 0x5C, "ソ" in 0x5C too) is copied whole.
  std::string title = "\x95\x5C\x83\x5C";
  EXPECT_NE(XlsxTextBodyXml("12", title, 0).find("<a:t>" + title + "</a:t>"), std::string::npos);
  // Control bytes are never valid in XML.
  EXPECT_NE(XlsxTextBodyXml("12", std::string("a\x01" "b", 3), 0).find("<a:t>ab</a:t>"), std::string::npos);
}

TEST(ChartTextBodies, SizeThatIsNoNumberIsLeftOut) {
  // No "p" and no leading digit, or an empty size before "p": no sz at all.
  EXPECT_NE(XlsxTextBodyXml("D", "", 0).find("<a:defRPr/>"), std::string::npos);
  EXPECT_NE(XlsxTextBodyXml("pV", "", 0).find("<a:defRPr/>"), std::string::npos);
  EXPECT_NE(XlsxTextBodyXml("1\"2p", "", 0).find("<a:defRPr/>"), std::string::npos);
}

TEST(ChartColors, ThreeDigitRuleInBothTables) {
  EXPECT_EQ(XlsxColorHex("909"), "FF00FF");
  EXPECT_EQ(XlsxLightColorHex("909"), "FF00FF");
  EXPECT_EQ(XlsxColorHex("000"), "000000");
  EXPECT_EQ(XlsxLightColorHex("000"), "000000");
  EXPECT_EQ(XlsxColorHex("9A0"), "000000");
  EXPECT_EQ(XlsxLightColorHex("9A0"), "FFFFFF");
  EXPECT_EQ(XlsxColorHex("900"), "FF0000");
  EXPECT_EQ(XlsxColorHex("555"), "A0A0A0");
  EXPECT_EQ(XlsxColorHex("888"), "F0F0F0");
}

TEST(ChartColors, LettersAndNames) {
  EXPECT_EQ(XlsxColorHex("Br"), "600000");
  EXPECT_EQ(XlsxColorHex("BG"), "008080");
  EXPECT_EQ(XlsxColorHex("B"), "0000FF");
  EXPECT_EQ(XlsxColorHex("Pi"), "FF00FF");
  EXPECT_EQ(XlsxColorHex("Gy"), "808080");
  EXPECT_EQ(XlsxColorHex("YG"), "808000");
  EXPECT_EQ(XlsxColorHex("DG"), "404040");
  EXPECT_EQ(XlsxColorHex("LG"), "C0C0C0");
  EXPECT_EQ(XlsxColorHex("S"), "00C0D0");
  EXPECT_EQ(XlsxColorHex("v"), "C080FF");
  EXPECT_EQ(XlsxColorHex("Q"), "000000");
  EXPECT_EQ(XlsxColorHex(""), "000000");
  // The light table folds the first letter, never the second.
  EXPECT_EQ(XlsxLightColorHex("br"), "E0C080");
  EXPECT_EQ(XlsxLightColorHex("bR"), "C0C0FF");
  EXPECT_EQ(XlsxLightColorHex("r"), "FFC0C0");
  EXPECT_EQ(XlsxLightColorHex("pi"), "FFC0FF");
  EXPECT_EQ(XlsxLightColorHex("P"), "FFFFFF");
  EXPECT_EQ(XlsxLightColorHex("dG"), "A0A0A0");
  EXPECT_EQ(XlsxLightColorHex("Q"), "FFFFFF");
  EXPECT_EQ(XlsxLightColorHex(""), "FFFFFF");
}

TEST(ChartPatterns, EveryCode) {
  const struct {
    int code;
    const char* name;
  } rows[] = {{32, "pct10"}, {33, "pct20"},    {34, "pct25"},    {35, "pct30"},  {36, "pct40"}, {37, "pct50"},
              {38, "pct60"}, {39, "pct70"},    {40, "pct75"},    {41, "pct80"},  {42, "pct90"}, {51, "ltDnDiag"},
              {52, "ltUpDiag"}, {53, "smGrid"}, {59, "ltVert"}, {60, "ltHorz"}, {71, "weave"}, {31, "pct5"},
              {43, "pct5"}, {50, "pct5"},      {0, "pct5"},      {-1, "pct5"}};
  for (const auto& r : rows) EXPECT_EQ(XlsxPatternName(r.code), r.name) << r.code;
}

const char kFlagsOnly[] =
    "<c:showLegendKey val=\"0\"/><c:showVal val=\"1\"/><c:showCatName val=\"0\"/><c:showSerName val=\"0\"/>"
    "<c:showPercent val=\"0\"/><c:showBubbleSize val=\"0\"/>";

TEST(ChartDataLabels, GoldenTexts) {
  EXPECT_EQ(XlsxDataLabelsXml("Y", 0), std::string("<c:dLbls>") + kFlagsOnly + "</c:dLbls>");
  EXPECT_EQ(XlsxDataLabelsXml("YX3", 0),
            "<c:dLbls><c:showLegendKey val=\"0\"/><c:showVal val=\"1\"/><c:showCatName val=\"1\"/><c:showSerName "
            "val=\"0\"/><c:showPercent val=\"0\"/><c:showBubbleSize val=\"0\"/><c:separator>, </c:separator>"
            "</c:dLbls>");
  // P is read by the pie kinds only.
  EXPECT_EQ(XlsxDataLabelsXml("YP", 0), std::string("<c:dLbls>") + kFlagsOnly + "</c:dLbls>");
  // Kind 1: no wrapper, always a separator.
  EXPECT_EQ(XlsxDataLabelsXml("Y", 1), std::string(kFlagsOnly) + "<c:separator>; </c:separator>");
  EXPECT_EQ(XlsxDataLabelsXml("YP4", 1),
            "<c:showLegendKey val=\"0\"/><c:showVal val=\"1\"/><c:showCatName val=\"0\"/><c:showSerName "
            "val=\"0\"/><c:showPercent val=\"1\"/><c:showBubbleSize val=\"0\"/><c:separator>  </c:separator>");
  EXPECT_NE(XlsxDataLabelsXml("YN5", 0).find("<c:separator>\r\n</c:separator>"), std::string::npos);
  EXPECT_NE(XlsxDataLabelsXml("YN2", 0).find("<c:separator>. </c:separator>"), std::string::npos);
}

TEST(ChartDataLabels, SizePositionAndLeaderLines) {
  EXPECT_EQ(XlsxDataLabelsXml("10YD", 0),
            "<c:dLbls><c:txPr><a:bodyPr rot=\"5400000\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr><a:defRPr "
            "sz=\"1000\" baseline=\"0\"/></a:pPr><a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr>" +
                std::string(kFlagsOnly) + "</c:dLbls>");
  // The position stands before the flags.
  EXPECT_NE(XlsxDataLabelsXml("YO", 2).find("<c:dLblPos val=\"outEnd\"/><c:showLegendKey"), std::string::npos);
  EXPECT_NE(XlsxDataLabelsXml("YCT", 0).find("<c:dLblPos val=\"inEnd\"/>"), std::string::npos);
  EXPECT_NE(XlsxDataLabelsXml("YB", 3).find("<c:dLblPos val=\"inBase\"/>"), std::string::npos);
  EXPECT_NE(XlsxDataLabelsXml("YL", 4).find("<c:dLblPos val=\"l\"/>"), std::string::npos);
  EXPECT_EQ(XlsxDataLabelsXml("YO", 5).find("dLblPos"), std::string::npos);
  // Q: leader lines for the pie kinds, not counted as a flag.
  std::string pie = XlsxDataLabelsXml("PQ", 2);
  EXPECT_NE(pie.find("<c:showPercent val=\"1\"/><c:showBubbleSize val=\"0\"/><c:showLeaderLines val=\"1\"/>"),
            std::string::npos);
  EXPECT_EQ(pie.find("separator"), std::string::npos);
  // Z: bubble sizes for kinds 0 and 5 only.
  EXPECT_NE(XlsxDataLabelsXml("Z", 5).find("<c:showBubbleSize val=\"1\"/>"), std::string::npos);
  EXPECT_NE(XlsxDataLabelsXml("Z", 4).find("<c:showBubbleSize val=\"0\"/>"), std::string::npos);
}

TEST(ChartXmlEscape, OrderAndWriter) {
  std::string s;
  exportcore::AppendXmlEscaped(s, std::string("&lt;\"'>"));
  EXPECT_EQ(s, "&amp;lt;&quot;'&gt;");
  exportcore::ByteWriter w;
  exportcore::AppendXmlEscaped(w, std::string("a<b\tc"));
  EXPECT_EQ(std::string(w.Data(), w.Size()), "a&lt;b\tc");
}

}  // namespace
