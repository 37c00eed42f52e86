// The fragment builders' output judged by xmllint: every builder over the
// codes of the golden tests and over hostile codes, inside a chart space with
// the chart and drawing namespaces, is one well-formed, namespace-correct
// document.
#include "export/chart_fragments.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

TEST(ChartFragmentsOracle, XmllintAcceptsEveryFragment) {
  REQUIRE_TOOLS("xmllint")
  const char* codes[] = {"",     "21R",  "8p11Bk", "p11R",  "20R",   "14R",   "0",    "R",        "22Br",
                         "12D",  "9pV",  "Y",      "YX3",   "YP",    "YP4",   "YN5",  "10YPQO5",  "A&B<\"x\">",
                         "p",    "\"p<", "&p&&",   "99p29Z", "12u&",  "909",   "9A0",  "Bk"};
  std::string doc =
      "<?xml version=\"1.0\"?>\n<c:chartSpace "
      "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">";
  for (const char* code : codes) {
    doc += "<c:f>" + exportcore::XlsxMarkerXml(code) + "</c:f>";
    doc += "<c:f>" + exportcore::XlsxLineXml(code) + "</c:f>";
    doc += "<c:f>" + exportcore::XlsxTextBodyXml(code, code, 0) + "</c:f>";
    doc += "<c:f>" + exportcore::XlsxTextBodyXml(code, "", 1) + "</c:f>";
    for (int kind = 0; kind <= 6; ++kind) doc += "<c:dLbl>" + exportcore::XlsxDataLabelsXml(code, kind) + "</c:dLbl>";
    doc += "<c:f a=\"" + exportcore::XlsxColorHex(code) + exportcore::XlsxLightColorHex(code) + "\"/>";
  }
  doc += "</c:chartSpace>\n";
  testsupport::TempProgramFolder dir;
  const std::string path = dir.File("fragments.xml");
  std::ofstream(path, std::ios::binary) << doc;
  EXPECT_EQ(testsupport::RunCapture("xmllint --noout '" + path + "' 2>&1"), "");
}

}  // namespace
