// The end of a chart's XML, and the drawing part's text: its head, one
// anchor with a graphic frame per chart, its end.
#include "export/byte_writer.h"
#include "export/chart/chart_fields.h"
#include "export/chart/chart_steps.h"
#include "export/chart_fragments.h"

namespace chart {
namespace {

// A two-cell anchor when the chart was placed by a cell range (x and y
// still cells), else an absolute one.
bool TwoCell(const ChartCall& c) { return c.graphList[2] < 0 && c.graphList[3] < 0; }

// A "%" offset inside the cell, in units of 10000 EMU.
long long CellOffset(std::int32_t v) { return static_cast<long long>(v) * 10000; }

}  // namespace

void WriteChartEnd(ChartCall& c) {
  c.xml.Append("<c:plotVisOnly val=\"1\"/><c:dispBlanksAs val=\"gap\"/><c:showDLblsOverMax val=\"0\"/></c:chart>");
  const std::string background = ChartFieldText(c.table, c.kw.graph, 1, -99);
  const std::string fill = background.empty() ? std::string("FFFFFF") : exportcore::XlsxLightColorHex(background);
  c.xml.Append("<c:spPr><a:solidFill><a:srgbClr val=\"");
  exportcore::AppendXmlEscaped(c.xml, fill);
  c.xml.Append("\"/></a:solidFill></c:spPr>");
  c.xml.Append(
      "<c:printSettings><c:headerFooter/><c:pageMargins b=\"0.75\" l=\"0.7\" r=\"0.7\" t=\"0.75\" header=\"0.3\" "
      "footer=\"0.3\"/><c:pageSetup/></c:printSettings></c:chartSpace>");
}

void AppendDrawingHead(exportcore::ByteWriter& d) {
  d.Append("<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n");
  d.Append(
      "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">");
}

void AppendChartAnchor(const ChartCall& c, exportcore::ByteWriter& d) {
  const bool twoCell = TwoCell(c);
  if (twoCell) {
    d.Append("<xdr:twoCellAnchor editAs=\"absolute\">");
    d.AppendFormat("<xdr:from><xdr:col>%lld</xdr:col><xdr:colOff>%lld</xdr:colOff>", static_cast<long long>(c.anchorX),
                   CellOffset(c.graphList[10]));
    d.AppendFormat("<xdr:row>%lld</xdr:row><xdr:rowOff>%lld</xdr:rowOff></xdr:from>", static_cast<long long>(c.anchorY),
                   CellOffset(c.graphList[11]));
    d.AppendFormat("<xdr:to><xdr:col>%lld</xdr:col><xdr:colOff>%lld</xdr:colOff>", static_cast<long long>(c.anchorW),
                   CellOffset(c.graphList[12]));
    d.AppendFormat("<xdr:row>%lld</xdr:row><xdr:rowOff>%lld</xdr:rowOff></xdr:to>", static_cast<long long>(c.anchorH),
                   CellOffset(c.graphList[13]));
  } else {
    d.Append("<xdr:absoluteAnchor>");
    d.AppendFormat("<xdr:pos x=\"%lld\" y=\"%lld\"/>", static_cast<long long>(c.anchorX),
                   static_cast<long long>(c.anchorY));
    d.AppendFormat("<xdr:ext cx=\"%lld\" cy=\"%lld\"/>", static_cast<long long>(c.anchorW),
                   static_cast<long long>(c.anchorH));
  }
  d.AppendFormat("<xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"%d\" name=\"", c.chartIndex + 1);
  // The frame is named by the title as written (empty without a title line).
  const std::string name = ChartFieldText(c.table, c.kw.title, 1, -99);
  exportcore::AppendXmlEscaped(d, name);
  d.Append(
      "\"/><xdr:cNvGraphicFramePr><a:graphicFrameLocks/></xdr:cNvGraphicFramePr></xdr:nvGraphicFramePr>"
      "<xdr:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/></xdr:xfrm>"
      "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
      "<c:chart xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" ");
  d.AppendFormat(
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" r:id=\"rId%d\"/>",
      c.chartIndex);
  d.Append("</a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/>");
  d.Append(twoCell ? "</xdr:twoCellAnchor>" : "</xdr:absoluteAnchor>");
}

void AppendDrawingEnd(exportcore::ByteWriter& d) { d.Append("</xdr:wsDr>"); }

}  // namespace chart
