// The chart definition block: its keyword lines, its data lines, where it
// ends; then the chart kind, its flags and the bar and line series counts.
#include <cstring>

#include "export/chart/chart_fields.h"
#include "export/chart/chart_steps.h"

namespace chart {
namespace {

// What a keyword line stores; kData appends a data line.
enum class Slot { kNone, kData, kGraph, kTitle, kView3d, kPlotarea, kZname, kZcolr, kTrend, kZlabel, kZline,
                  kZkind, kMarker, kXname, kXpara, kXtitle, kYpara2, kYpara, kYtitle2, kYtitle, kUnit2, kUnit,
                  kSampl, kTa };

// The keyword table: the first two bytes, then an optional test of the
// third byte or of the keyword's last byte. Rows are tried in order; the
// first whose test holds decides.
enum class Test { kAny, kThirdIs, kThirdIsNot, kLastIs, kLastIsNot };
struct KeywordRow {
  char a, b;
  Test test;
  char byte;
  Slot slot;
};
constexpr KeywordRow kKeywords[] = {
    {'g', 'r', Test::kAny, 0, Slot::kGraph},      {'t', 'i', Test::kAny, 0, Slot::kTitle},
    {'3', 'D', Test::kAny, 0, Slot::kView3d},     {'p', 'l', Test::kAny, 0, Slot::kPlotarea},
    {'z', 'n', Test::kAny, 0, Slot::kZname},      {'z', 'c', Test::kThirdIsNot, 'u', Slot::kZcolr},
    {'z', 'c', Test::kThirdIs, 'u', Slot::kTrend}, {'z', 't', Test::kAny, 0, Slot::kTrend},
    {'z', 'l', Test::kThirdIs, 'a', Slot::kZlabel}, {'z', 'l', Test::kThirdIsNot, 'a', Slot::kZline},
    {'z', 'k', Test::kAny, 0, Slot::kZkind},      {'z', 'm', Test::kAny, 0, Slot::kMarker},
    {'x', 'n', Test::kAny, 0, Slot::kXname},      {'x', 'p', Test::kAny, 0, Slot::kXpara},
    {'x', 't', Test::kAny, 0, Slot::kXtitle},     {'y', 'p', Test::kLastIs, '2', Slot::kYpara2},
    {'y', 'p', Test::kLastIsNot, '2', Slot::kYpara}, {'y', 't', Test::kLastIs, '2', Slot::kYtitle2},
    {'y', 't', Test::kLastIsNot, '2', Slot::kYtitle}, {'u', 'n', Test::kLastIs, '2', Slot::kUnit2},
    {'u', 'n', Test::kLastIsNot, '2', Slot::kUnit}, {'s', 'a', Test::kAny, 0, Slot::kSampl},
    {'t', 'a', Test::kAny, 0, Slot::kTa},         {'d', 'a', Test::kAny, 0, Slot::kData},
};

std::uint32_t* SlotField(ChartKeywords& k, Slot s) {
  switch (s) {
    case Slot::kGraph: return &k.graph;
    case Slot::kTitle: return &k.title;
    case Slot::kView3d: return &k.view3d;
    case Slot::kPlotarea: return &k.plotarea;
    case Slot::kZname: return &k.zname;
    case Slot::kZcolr: return &k.zcolr;
    case Slot::kTrend: return &k.trend;
    case Slot::kZlabel: return &k.zlabel;
    case Slot::kZline: return &k.zline;
    case Slot::kZkind: return &k.zkind;
    case Slot::kMarker: return &k.marker;
    case Slot::kXname: return &k.xname;
    case Slot::kXpara: return &k.xpara;
    case Slot::kXtitle: return &k.xtitle;
    case Slot::kYpara2: return &k.ypara2;
    case Slot::kYpara: return &k.ypara;
    case Slot::kYtitle2: return &k.ytitle2;
    case Slot::kYtitle: return &k.ytitle;
    case Slot::kUnit2: return &k.unit2;
    case Slot::kUnit: return &k.unit;
    case Slot::kSampl: return &k.sampl;
    case Slot::kTa: return &k.ta;
    default: return nullptr;
  }
}

// The byte at i, or 0 past the text.
unsigned char At(const ChartCall& c, std::uint32_t i) {
  return i < c.table.len ? static_cast<unsigned char>(c.table.text[i]) : 0;
}

// The kind words: the bytes of graph item 0 with three blanks appended.
bool Has(const std::string& kind, const char* word) { return kind.find(word) != std::string::npos; }
bool Begins(const std::string& kind, const char* word) { return kind.compare(0, std::strlen(word), word) == 0; }

}  // namespace

void ChartCall::ResetForNextBlock() {
  const ChartKeywords kept = kw;
  kw = ChartKeywords();
  kw.plotarea = kept.plotarea;
  kw.xpara = kept.xpara;
  kw.xname = kept.xname;
  kw.ypara = kept.ypara;
  kw.unit = kept.unit;
  kw.zname = kept.zname;
  kw.zline = kept.zline;
  kw.zcolr = kept.zcolr;
  data.fill(0);
  ndata = 0;
  kind = ChartKind::kNone;
  nb = nl = grouping = radarStyle = surface = xySeries = 0;
  horizontal = standard = pie = bubble = threeD = false;
  graphList.fill(0);
  widthPx = heightPx = anchorX = anchorY = anchorW = anchorH = 0;
  titleLength = 0;
  namesFromCells = false;
  nameCells = CellOffsetList{};
  zcolrAuto = zlineAuto = false;
  gapWidth = 150;
  xml.Clear();
}

std::uint32_t ChartSheetDataStart(const char* text, std::uint32_t len, int n) {
  auto after_line = [&](std::uint32_t i) {
    while (i < len && text[i] != '\0' && text[i] != '\n') ++i;
    return i < len && text[i] == '\n' ? i + 1 : i;
  };
  if (n <= 1) return len >= 2 && text[0] == '!' && text[1] == '*' ? after_line(0) : 0;
  int counter = 1;
  for (std::uint32_t i = 0; i < len && text[i] != '\0'; ++i) {
    if (text[i] != '!' || i + 1 >= len || (text[i + 1] != '#' && text[i + 1] != '*')) continue;
    if (++counter < n) continue;
    return text[i + 1] == '*' ? after_line(i + 1) : i + 1;
  }
  return 0;
}

void ReadChartBlock(ChartCall& c) {
  std::uint32_t q = c.blockStart;
  c.terminator = 0;
  for (;;) {
    while (q < c.table.len && c.table.text[q] != '\0' && c.table.text[q] != '\n') ++q;
    if (q >= c.table.len || c.table.text[q] == '\0') break;
    ++q;  // the byte after the line feed starts the next line
    if (q >= c.table.len || c.table.text[q] == '\0') break;
    const unsigned char b0 = At(c, q), b1 = At(c, q + 1);
    if (b0 == '!' && (b1 == '*' || b1 == '#' || b1 == '%' || b1 == '$')) {
      c.terminator = static_cast<char>(b1);
      break;
    }
    // The keyword runs to the first control byte after its first two bytes.
    std::uint32_t k = q + 2;
    while (k < c.table.len && At(c, k) > 0x1F) ++k;
    const unsigned char third = At(c, q + 2), last = At(c, k - 1);
    const std::uint32_t value = k < c.table.len ? k + 1 : k;
    for (const KeywordRow& row : kKeywords) {
      if (b0 != static_cast<unsigned char>(row.a) || b1 != static_cast<unsigned char>(row.b)) continue;
      const unsigned char want = static_cast<unsigned char>(row.byte);
      bool hit = true;
      switch (row.test) {
        case Test::kAny: break;
        case Test::kThirdIs: hit = third == want; break;
        case Test::kThirdIsNot: hit = third != want; break;
        case Test::kLastIs: hit = last == want; break;
        case Test::kLastIsNot: hit = last != want; break;
      }
      if (!hit) continue;
      if (row.slot == Slot::kData) {
        if (c.ndata < kMaxDataLines) c.data[c.ndata++] = value;
      } else {
        *SlotField(c.kw, row.slot) = value;
      }
      break;
    }
  }
  c.blockEnd = q < c.table.len ? q : c.table.len;
}

void ClassifyChart(ChartCall& c) {
  c.kind = ChartKind::kNone;
  c.grouping = c.radarStyle = c.surface = 0;
  c.horizontal = c.standard = c.pie = c.bubble = c.threeD = false;
  if (c.kw.graph == 0) return;  // no graph line: no kind
  const std::string kind = ChartFieldText(c.table, c.kw.graph, 0, -99) + "   ";
  if (Begins(kind, "Bar")) {
    c.kind = ChartKind::kBar;
    c.horizontal = Begins(kind, "BarH");
    if (Has(kind, "Stack")) c.grouping = Has(kind, "100") ? 2 : 1;
    c.standard = Has(kind, "Para") || Has(kind, "para");
  } else if (Begins(kind, "Line")) {
    c.kind = ChartKind::kLine;
    if (Has(kind, "Stack")) c.grouping = Has(kind, "100") ? 4 : 3;
  } else if (Begins(kind, "Pie")) {
    c.kind = ChartKind::kPie;
    c.pie = true;
  } else if (Begins(kind, "XY")) {
    c.kind = ChartKind::kScatter;
  } else if (Begins(kind, "Bub")) {
    c.kind = ChartKind::kBubble;
    c.bubble = true;
  } else if (Begins(kind, "Rad")) {
    c.kind = ChartKind::kRadar;
    c.radarStyle = Has(kind, "RadarA") ? 2 : 1;
  } else if (Begins(kind, "Sur")) {
    c.kind = ChartKind::kSurface;
    c.surface = Has(kind, "WF") ? 2 : 1;
  }
  c.threeD = Has(kind, "3D");
}

void ChartSeriesCounts(ChartCall& c) {
  c.nb = c.nl = c.xySeries = 0;
  switch (c.kind) {
    case ChartKind::kBar:
      if (c.kw.zkind != 0) {
        if (ChartFieldText(c.table, c.kw.zkind, 0, -99) == "Auto") {
          c.nb = c.ndata / 2;
        } else {
          // Item 0 is never looked at: the first series is always a bar.
          c.nb = c.ndata;
          for (int i = 1; i < c.ndata; ++i)
            if (ChartFieldText(c.table, c.kw.zkind, i, -99).find('L') != std::string::npos) {
              c.nb = i;
              break;
            }
        }
      } else if (c.kw.ypara2 != 0) {
        c.nb = c.ndata / 2;
      } else {
        c.nb = c.ndata;
      }
      // Never more bar series than data lines.
      if (c.nb > c.ndata) c.nb = c.ndata;
      c.nl = c.ndata - c.nb;
      break;
    case ChartKind::kLine:
    case ChartKind::kRadar:
    case ChartKind::kSurface:
      c.nl = c.ndata;
      break;
    case ChartKind::kScatter:
    case ChartKind::kBubble:
      c.xySeries = c.ndata;
      break;
    default:
      break;
  }
}

}  // namespace chart
