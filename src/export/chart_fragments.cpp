#include "export/chart_fragments.h"

namespace exportcore {

void AppendXmlEscaped(std::string&, const char*, std::size_t) {}
void AppendXmlEscaped(std::string& out, const std::string& text) { AppendXmlEscaped(out, text.data(), text.size()); }
void AppendXmlEscaped(ByteWriter&, const char*, std::size_t) {}
void AppendXmlEscaped(ByteWriter& out, const std::string& text) { AppendXmlEscaped(out, text.data(), text.size()); }
std::string XlsxMarkerXml(const std::string&) { return {}; }
std::string XlsxTextBodyXml(const std::string&, const std::string&, int) { return {}; }
std::string XlsxDataLabelsXml(const std::string&, int) { return {}; }
std::string XlsxLineXml(const std::string&) { return {}; }
std::string XlsxPatternName(int) { return "pct5"; }
std::string XlsxLightColorHex(const std::string&) { return "FFFFFF"; }
std::string XlsxColorHex(const std::string&) { return "000000"; }

}  // namespace exportcore
