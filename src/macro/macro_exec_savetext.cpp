#include "macro/macro_exec_savetext.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "csv/csv_fixedwidth.h"
#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "fw/alloc.h"
#include "fw/sjis.h"
#include "macro/macro_display_words.h"
#include "macro/macro_paths.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvKind = 33, kStoppedMacroKind = 98, kTextKind = 9;
constexpr std::int32_t kOwnUpdate = 99, kLoaded = 1;
constexpr std::uint64_t kSpare = 1000;

// A second byte of a double-byte character (a broken lead byte before a
// separator or a line end leaves that byte alone).
bool IsTrailByte(std::uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The table operations' messages go to the run's host.
class OpReports final : public csv::OpHost {
 public:
  explicit OpReports(MacroHost& host) : host_(host) {}
  int ReportMessage(int code, const CString& text) override { return host_.ReportMessage(code, text); }

 private:
  MacroHost& host_;
};

// The column starts of the saved text: each column as wide as the view
// shows it, and at least as wide as its widest field, title rows included,
// so that every line of the file, the title line too, starts a column's
// fields at the same place. (The view's table measures data rows only, and
// a statement may have changed the table since it was measured.) The view's
// own table is left as it is.
std::vector<std::uint32_t> AlignedTextPositions(const csv::Table& t, const std::uint32_t* view, int viewSlots,
                                                std::uint32_t titleLine) {
  const int slots = csv::kColumnPositionSlots;
  std::vector<std::uint32_t> measured(slots, 0), out(slots, 0);
  csv::ComputeColumnWidths(t, titleLine, measured.data(), slots, 1, -1, 1, 1, csv::kWidthFromTitle);
  const int viewCols = view != nullptr && viewSlots > 2 ? static_cast<int>(std::min<std::uint32_t>(view[0], viewSlots - 2)) : 0;
  const int cols = std::min(std::max(viewCols, static_cast<int>(measured[0])), csv::kMaxPositionColumns);
  std::uint64_t start = 0;
  for (int c = 1; c <= cols; ++c) {
    out[c] = static_cast<std::uint32_t>(std::min<std::uint64_t>(start, UINT32_MAX));
    std::uint32_t w = csv::ColumnWidthAt(measured.data(), slots, c);
    if (c <= viewCols) w = std::max(w, csv::ColumnWidthAt(view, viewSlots, c));
    start += w + csv::kColumnGap;
  }
  out[0] = static_cast<std::uint32_t>(cols);
  out[cols + 1] = static_cast<std::uint32_t>(std::min<std::uint64_t>(start, UINT32_MAX));
  return out;
}

// Step 2 for a CSV table: the view shown again from its buffer, then the
// table rewritten as blank-aligned text. False when that failed (reported).
bool TableAsAlignedText(MacroRunContext& rc) {
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
  rc.docUpdate.m_nLoadState = kOwnUpdate;
  rc.host.RedisplayView();
  rc.docUpdate.m_nLoadState = kLoaded;
  csv::Table& t = rc.table;
  const std::uint32_t titleLine = t.m_aSecLine[1] > 0 ? t.m_aSecLine[1] : 1;
  OpReports reports(rc.host);
  std::vector<std::uint32_t> positions = AlignedTextPositions(t, rc.columnPos, rc.columnPosSlots, titleLine);
  return csv::CsvToFixedWidthText(t, positions.data(), static_cast<int>(positions.size()), titleLine, &reports) ==
         csv::kOpOk;
}

// Step 2 for any other kind: the document's text from the view, then into
// the view's buffer.
Outcome TextIntoBuffer(MacroRunContext& rc) {
  if (rc.host.RebuildCsvBuffer(static_cast<int>(*rc.view.fileKind)) != 0)
    return MacroRaiseRunError(&rc.host, RunError::kSilent);
  const app::DocTextFields& d = rc.docText;
  std::uint32_t n = 0;
  const std::uint32_t most = d.m_pText != nullptr ? d.m_nTextLen : 0;
  while (n < most && (d.m_nTextCapacity == 0 || n < d.m_nTextCapacity) && d.m_pText[n] != '\0') ++n;
  csv::Table& t = rc.table;
  if (!t.Reserve(static_cast<std::uint64_t>(d.m_nTextLen) + kSpare))
    return MacroRaiseRunError(&rc.host, RunError::kMemory123);
  if (n > 0) std::memcpy(t.m_pTextBuf, d.m_pText, n);
  t.m_pTextBuf[n] = 0;
  t.m_nTextLen = n;
  t.Rescan();
  return Outcome::kNext;
}

}  // namespace

std::uint32_t MacroSaveTextCopy(const std::uint8_t* text, std::uint32_t n, char* out) {
  std::uint32_t w = 0;
  bool backslash = false;  // the byte written last is a backslash of its own
  for (std::uint32_t r = 0; r < n && text[r] != 0; ++r) {
    const std::uint8_t b = text[r];
    if (b == 0x06) {
      out[w++] = '\t';
    } else if (b == '&' && backslash) {
      out[w - 1] = '&';  // "\&" is written "&"
    } else if (fw::IsSjisLeadByte(b) && r + 1 < n && IsTrailByte(text[r + 1])) {
      // A double-byte character is copied whole: a second byte 0x5C
      // ("表", "ソ") is no backslash.
      out[w++] = static_cast<char>(b);
      out[w++] = static_cast<char>(text[++r]);
      backslash = false;
      continue;
    } else {
      out[w++] = static_cast<char>(b);
    }
    backslash = b == '\\';
  }
  out[w] = '\0';
  return w;
}

Outcome MacroExecSaveText(MacroRunContext& rc, bool tab) {
  MacroState& st = rc.state;
  const CString name = MacroNormaliseBackslashes(st.m_strStmtOperand);
  const std::uint32_t kindBefore = *rc.view.fileKind;
  if (!tab && kindBefore != kStoppedMacroKind) {
    if (kindBefore == kCsvKind) {
      if (!TableAsAlignedText(rc)) return MacroRaiseRunError(&rc.host, RunError::kSilent);
    } else {
      const Outcome o = TextIntoBuffer(rc);
      if (o != Outcome::kNext) return o;
    }
  }
  const CString path = MacroExpandParameters(st, rc.host, name);

  // The document's text: the view's buffer with TAB for 0x06 and "&" for "\&".
  const csv::Table& t = rc.table;
  const std::uint32_t used = t.m_pTextBuf != nullptr ? t.UsedLength() : 0;
  app::DocTextFields& d = rc.docText;
  const std::uint64_t want = static_cast<std::uint64_t>(used) + kSpare;
  if (d.m_pText == nullptr || d.m_nTextCapacity < want) {
    char* grown = want <= UINT32_MAX ? static_cast<char*>(fw::Realloc(d.m_pText, want)) : nullptr;
    if (grown == nullptr) return MacroRaiseRunError(&rc.host, RunError::kMemory116);
    d.m_pText = grown;
    d.m_nTextCapacity = static_cast<std::uint32_t>(want);
  }
  // The length is what was written: "\&" makes the text shorter than the
  // view's, and the bytes after the NUL must not be saved.
  d.m_nTextLen = MacroSaveTextCopy(t.m_pTextBuf, used, d.m_pText);

  // Written as text (kind 9). A CSV table made blank-aligned text stays a
  // text; any other view gets its kind back, so a table stays a table.
  const bool tableMadeText = !tab && kindBefore == kCsvKind;
  const std::uint32_t kindAfter = tableMadeText ? kTextKind : kindBefore;
  *rc.view.fileKind = kTextKind;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kTextKind);
  if (tableMadeText) {
    // The view shows the text its buffer now holds; any other view keeps
    // what it shows (a text's buffer may hold nothing of it).
    rc.docUpdate.m_nLoadState = kOwnUpdate;
    rc.host.RedisplayView();
    rc.docUpdate.m_nLoadState = 0;
  }
  rc.host.WriteDocumentText(path);
  rc.host.ConvertPageMarksFile(path);

  *rc.view.fileKind = kindAfter;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kindAfter);
  rc.docUpdate.m_nOpenContext = 0;
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kRedrawAll;
  const std::int32_t pane = rc.docPaths.m_nActiveTextPane;
  if (pane >= 0 && pane < 32) *rc.view.sortFlags &= ~(1u << pane);
  rc.host.ClearModified();
  rc.host.UpdateAllViews();
  return Outcome::kNext;
}

}  // namespace macro
