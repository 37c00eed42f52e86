// The DrawingML and chart-markup fragments built from the short codes of a
// chart definition (colour letters, marker, line, font and label codes).
// Every builder is pure: it reads the code and returns the fragment as
// Shift-JIS text; the caller appends it to its part. Codes are copied into
// attribute values only after they were checked, and any table text that a
// builder writes (the rich text of a title) is XML-escaped here, so callers
// pass raw table text.
#pragma once

#include <cstddef>
#include <string>

#include "export/byte_writer.h"

namespace exportcore {

// Appends table text to XML: '&', '"', '<' and '>' are escaped in this
// order of replacement, control bytes other than TAB, CR and LF (never valid
// in XML) are left out. Every chart and drawing writer uses these for text
// that comes from the table.
void AppendXmlEscaped(std::string& out, const char* text, std::size_t len);
void AppendXmlEscaped(std::string& out, const std::string& text);
void AppendXmlEscaped(ByteWriter& out, const char* text, std::size_t len);
void AppendXmlEscaped(ByteWriter& out, const std::string& text);

// One c:marker element from a marker code: [size "p"] two symbol digits and a
// colour code ("21R", "8p11Bk"). An empty code gives the "none" marker.
std::string XlsxMarkerXml(const std::string& code);

// The rich text (c:tx) of `text`, or, when `text` is empty, the text
// properties (c:txPr) alone, from a font code: a size ("12", or any digits
// ended by "p") and the letters D/d, U/u (turned down / up), V, v (vertical
// forms). Mode 1 takes the whole code as the size and writes the body
// horizontal. `text` is raw table text (escaped here).
std::string XlsxTextBodyXml(const std::string& code, const std::string& text, int mode);

// The data-label fragment of a label code for chart kind number `kind`
// (0-6): wrapped in c:dLbls, except for kind 1 (the inside of one c:dLbl).
std::string XlsxDataLabelsXml(const std::string& code, int kind);

// One a:ln element from a line code: width digit, dash digit, colour letter
// ("14R", "0", "R", "22Br").
std::string XlsxLineXml(const std::string& code);

// The preset pattern name of a pattern code (32 "pct10" ... 71 "weave"; any
// other code "pct5").
std::string XlsxPatternName(int code);

// Six hex digits of a colour code for fills and backgrounds (the light
// table): a colour letter (the first letter case-folded), a two-letter name
// or three digits; "FFFFFF" for anything else.
std::string XlsxLightColorHex(const std::string& code);

// Six hex digits of a colour code for lines, markers and text: a colour
// letter (case-sensitive), a two-letter name or three digits; "000000" for
// anything else.
std::string XlsxColorHex(const std::string& code);

}  // namespace exportcore
