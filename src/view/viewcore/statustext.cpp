#include "view/viewcore/statustext.h"

#include <cstdarg>

namespace viewcore {
namespace {

constexpr StatusTextEntry kStatusTexts[] = {
    {StatusText::kProgressPercent, StatusPane::kPane0, "%d%%"},
    {StatusText::kLinesProgress, StatusPane::kPane0, "%8d line  (Push ESC key to stop)"},
    {StatusText::kMacroEnd, StatusPane::kPane0, "macro end   total replace = %d"},
    {StatusText::kRecording, StatusPane::kPane0, " Recording     %d min %d sec"},
    {StatusText::kWidth, StatusPane::kIndicator104, "width = %d"},
    {StatusText::kLineSpace, StatusPane::kIndicator104, "line space = %d.%d"},
    {StatusText::kLineSpaceSingle, StatusPane::kIndicator104, "line space = 1.0L"},
    {StatusText::kLineSpaceOneHalf, StatusPane::kIndicator104, "line space = 1.5L"},
    {StatusText::kLineSpaceDouble, StatusPane::kIndicator104, "line space = 2.0L"},
    {StatusText::kCharOffset, StatusPane::kIndicator104, "char offset= %2d"},
    {StatusText::kRawNumberOver, StatusPane::kIndicator104, " raw number over %d "},
    {StatusText::kMacroMemoryStart, StatusPane::kIndicator104, "macro memory start"},
    {StatusText::kMacroMemoryEnd, StatusPane::kIndicator104, "macro memo end /exe=F9"},
    {StatusText::kHitCount, StatusPane::kIndicator104, " hit : %d "},
    {StatusText::kLineCount, StatusPane::kPane5, "%d line"},
    {StatusText::kCaretPosition, StatusPane::kIndicator102, "%d行 %d桁"},
    {StatusText::kRange, StatusPane::kPane0, "%d行 %d-%d桁"},
};
static_assert(sizeof(kStatusTexts) / sizeof(kStatusTexts[0]) == static_cast<int>(StatusText::kCount),
              "one row per StatusText");

}  // namespace

const StatusTextEntry& StatusTextFor(StatusText id) {
  int i = static_cast<int>(id);
  if (i < 0 || i >= static_cast<int>(StatusText::kCount)) i = 0;
  return kStatusTexts[i];
}

CString FormatStatus(StatusText id, ...) {
  va_list args;
  va_start(args, id);
  CString s;
  s.FormatV(StatusTextFor(id).format, args);
  va_end(args);
  return s;
}

CString FormatLineSpace(int twips) {
  int fraction = (twips * 5) % 100;
  if (fraction == 50) fraction = 5;
  return FormatStatus(StatusText::kLineSpace, twips / 20, fraction);
}

}  // namespace viewcore
