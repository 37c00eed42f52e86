// Pieces the chart groups and the axes share: items of the keyword lines,
// series names, fills, the category and value caches, and the "0.nn"
// fractions of the layouts. Everything taken from the table is escaped on
// its way into the chart XML.
#pragma once

#include <cstdint>
#include <string>

#include "export/chart/chart_fields.h"

namespace exportcore {
class ByteWriter;
}

namespace chart {

struct ChartCall;

namespace groups {

// Item n of the keyword value at offset p (0: no such line), empty when the
// line or the item is missing.
std::string Item(const ChartCall& c, std::uint32_t p, int n);
// The integer reading of the same item (0 when missing).
int ItemInt(const ChartCall& c, std::uint32_t p, int n);

// Appends table text with '&', '"', '<' and '>' escaped.
void AppendText(exportcore::ByteWriter& w, const std::string& text);

// True for a decimal number: an optional leading '-', digits with at most
// one '.', at least one digit.
inline bool IsNumber(const std::string& text) { return ChartIsNumberText(text); }
// True for one or more decimal digits and nothing else.
bool IsDigits(const std::string& text);

// "0.nn" of a percentage, clamped to 0-99.
std::string Fraction(long long percent);
// A layout item: pixels (its integer reading above 1) become the fraction
// of `size`; any other item stays as written.
std::string PixelFraction(const ChartCall& c, std::uint32_t p, int n, std::int64_t size);

// The automatic colour code of a series by its place counted from the last
// one (0 = last): R, B, G, Y, O, I, S, V, then A.
const char* AutoColorCode(int placeFromEnd);

// The series names of a group: the name cells when zname item 0 is "cell".
struct SeriesNames {
  CellOffsetList cells{};
  int count = 0;
};
SeriesNames ReadSeriesNames(ChartCall& c);
// The name of series i: from name cell i when the names come from cells
// ("data<i>" past the last one), else zname item i. Not escaped.
std::string SeriesName(const ChartCall& c, const SeriesNames& names, int i);

// The formula head of the data reference at `p` (the caller appends it);
// `cells` and `count` get the referenced cells.
std::string SeriesFormula(ChartCall& c, std::uint32_t p, bool starSkip, CellOffsetList& cells, int& count);

// The fill of a colour code: a pattern fill when it begins with a digit (its
// first two digits the pattern, the rest the colour), else a solid fill.
void AppendFill(exportcore::ByteWriter& w, const std::string& code);

// The category points after "<c:cat><c:strLit><c:ptCount val="51"/>":
// the texts of the xname cells, or the xname items up to the first empty one
// (at most 99, as many as cells).
void AppendCategories(ChartCall& c);

// How a value cell that is empty or not a number is written.
enum class EmptyValue { kZero, kSkip };
// The formula and number cache of the data reference at `dataLine`, with its
// points; the caller closes the cache.
void AppendValues(ChartCall& c, std::uint32_t dataLine, EmptyValue empty);

// The line-type group (line, area, surface, radar) of a chart with nl > 0.
void WriteLineTypeGroup(ChartCall& c);

}  // namespace groups
}  // namespace chart
