// Minimal ".pptx" parts written by the tests: slides of shapes, pictures
// and tables with the elements a presentation writer puts around them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pptxtest {

inline std::string Slide(const std::string& shapes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<p:sld xmlns:a=\"a\" xmlns:p=\"p\" xmlns:r=\"r\"><p:cSld><p:spTree><p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/>"
         "<p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>" +
         shapes + "</p:spTree></p:cSld></p:sld>";
}

inline std::string Xfrm(std::int64_t x, std::int64_t y, std::int64_t cx, std::int64_t cy) {
  return "<a:xfrm><a:off x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><a:ext cx=\"" +
         std::to_string(cx) + "\" cy=\"" + std::to_string(cy) + "\"/></a:xfrm>";
}

// Paragraphs: each string one paragraph.
inline std::string Body(const std::vector<std::string>& paragraphs, const std::string& align = "") {
  std::string s = "<p:txBody><a:bodyPr/><a:lstStyle/>";
  for (const std::string& p : paragraphs) {
    s += "<a:p>";
    if (!align.empty()) s += "<a:pPr algn=\"" + align + "\"/>";
    s += "<a:r><a:rPr lang=\"en-US\" dirty=\"0\"/><a:t>" + p + "</a:t></a:r></a:p>";
  }
  return s + "</p:txBody>";
}

// A shape; `ph` a placeholder element or "", `xfrm` a transform or "".
inline std::string Shape(const std::string& name, const std::string& ph, const std::string& xfrm,
                         const std::string& body) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"" + name + "\"/><p:cNvSpPr/><p:nvPr>" + ph +
         "</p:nvPr></p:nvSpPr><p:spPr>" + xfrm + "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr>" + body +
         "</p:sp>";
}

inline std::string Box(std::int64_t x, std::int64_t y, std::int64_t cx, std::int64_t cy,
                       const std::vector<std::string>& paragraphs, const std::string& align = "") {
  return Shape("TextBox 1", "", Xfrm(x, y, cx, cy), Body(paragraphs, align));
}

inline std::string Picture(int rid, const std::string& xfrm) {
  return "<p:pic><p:nvPicPr><p:cNvPr id=\"4\" name=\"Picture 3\"/><p:cNvPicPr><a:picLocks noChangeAspect=\"1\"/>"
         "</p:cNvPicPr><p:nvPr/></p:nvPicPr><p:blipFill><a:blip r:embed=\"rId" +
         std::to_string(rid) + "\"/><a:stretch><a:fillRect/></a:stretch></p:blipFill><p:spPr>" + xfrm +
         "</p:spPr></p:pic>";
}

// A table frame at (x, y) EMU, `cx` wide, grid columns of `widths` EMU;
// rows of cells (a cell's text parted by '\n' into paragraphs).
inline std::string Table(std::int64_t x, std::int64_t y, std::int64_t cx, const std::vector<std::int64_t>& widths,
                         const std::vector<std::vector<std::string>>& rows) {
  std::string s = "<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id=\"5\" name=\"Table 4\"/><p:cNvGraphicFramePr>"
                  "<a:graphicFrameLocks noGrp=\"1\"/></p:cNvGraphicFramePr><p:nvPr/></p:nvGraphicFramePr>"
                  "<p:xfrm><a:off x=\"" +
                  std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><a:ext cx=\"" + std::to_string(cx) +
                  "\" cy=\"741680\"/></p:xfrm><a:graphic><a:graphicData uri=\"t\"><a:tbl><a:tblPr firstRow=\"1\"/>"
                  "<a:tblGrid>";
  for (std::int64_t w : widths) s += "<a:gridCol w=\"" + std::to_string(w) + "\"/>";
  s += "</a:tblGrid>";
  for (const auto& row : rows) {
    s += "<a:tr h=\"370840\">";
    for (const std::string& cell : row) {
      s += "<a:tc><a:txBody><a:bodyPr/><a:lstStyle/>";
      std::size_t from = 0;
      for (;;) {
        const std::size_t lf = cell.find('\n', from);
        const std::string p = cell.substr(from, lf == std::string::npos ? std::string::npos : lf - from);
        s += p.empty() ? "<a:p><a:endParaRPr lang=\"en-US\"/></a:p>" : "<a:p><a:r><a:rPr lang=\"en-US\"/><a:t>" + p + "</a:t></a:r></a:p>";
        if (lf == std::string::npos) break;
        from = lf + 1;
      }
      s += "</a:txBody><a:tcPr/></a:tc>";
    }
    s += "</a:tr>";
  }
  return s + "</a:tbl></a:graphicData></a:graphic></p:graphicFrame>";
}

inline std::string Rels(const std::vector<std::pair<int, std::string>>& media) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"r\">"
                  "<Relationship Id=\"rId1\" Type=\"layout\" Target=\"../slideLayouts/slideLayout1.xml\"/>";
  for (const auto& m : media)
    s += "<Relationship Id=\"rId" + std::to_string(m.first) + "\" Type=\"image\" Target=\"../media/" + m.second +
         "\"/>";
  return s + "</Relationships>";
}

}  // namespace pptxtest
