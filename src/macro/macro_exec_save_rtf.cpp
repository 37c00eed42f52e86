#include "macro/macro_exec_save_rtf.h"

#include <cstring>
#include <new>
#include <vector>

#include "core/docsvc/filekind.h"
#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "fw/alloc.h"
#include "fw/sjis.h"
#include "macro/macro_exportopts.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace macro {

namespace {

constexpr std::uint8_t kSep = 0x06;
constexpr std::int32_t kOwnUpdate = 99, kLoaded = 1;
constexpr std::uint64_t kSpare = 1000;
constexpr int kDefaultRuledFontSize = 105;

bool IsLineEnd(std::uint8_t b) { return b == '\r' || b == '\n'; }

// A second byte of a double-byte character.
bool IsTrailByte(std::uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

bool EndsWithRtf(const CString& path) {
  return path.GetLength() >= 4 && path.Right(4).CompareNoCase(".rtf") == 0;
}

// The column start-position table the blank-aligned text follows: the
// view's, or measured over the whole table (title rows included) when the
// view describes no column.
std::vector<std::uint32_t> ColumnPositions(MacroRunContext& rc) {
  if (rc.columnPos != nullptr && rc.columnPosSlots > 2 && rc.columnPos[0] > 0)
    return std::vector<std::uint32_t>(rc.columnPos, rc.columnPos + rc.columnPosSlots);
  std::vector<std::uint32_t> pos(csv::kColumnPositionSlots, 0);
  csv::ComputeColumnWidths(rc.table, 1, pos.data(), csv::kColumnPositionSlots, 1, -1, 1, 1, csv::kWidthFromTitle);
  return pos;
}

// "f": the blank-aligned text into the document, shown as a text.
Outcome BarTextIntoDocument(MacroRunContext& rc, const CString& path) {
  csv::Table& t = rc.table;
  std::string text;
  try {
    const std::vector<std::uint32_t> pos = ColumnPositions(rc);
    text = MacroBarAlignedText(t.m_pTextBuf, t.m_pTextBuf != nullptr ? t.UsedLength() : 0, pos.data(),
                               static_cast<int>(pos.size()), t.m_nFieldCount);
  } catch (const std::bad_alloc&) {
    return MacroRaiseRunError(&rc.host, RunError::kMemory123AtOnce);
  }
  app::DocTextFields& d = rc.docText;
  const std::uint64_t want = static_cast<std::uint64_t>(text.size()) + kSpare;
  if (d.m_pText == nullptr || d.m_nTextCapacity < want) {
    char* grown = want <= UINT32_MAX ? static_cast<char*>(fw::Realloc(d.m_pText, want)) : nullptr;
    if (grown == nullptr) return MacroRaiseRunError(&rc.host, RunError::kMemory124AtOnce);
    d.m_pText = grown;
    d.m_nTextCapacity = static_cast<std::uint32_t>(want);
  }
  std::memcpy(d.m_pText, text.data(), text.size());
  d.m_pText[text.size()] = '\0';
  d.m_nTextLen = static_cast<std::uint32_t>(text.size());
  d.m_nReadPos = 0;
  d.m_nReadEnd = d.m_nTextLen;
  *rc.view.fileKind = docsvc::kKindText;
  rc.host.SetViewPath(path);
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
  rc.docUpdate.m_nLoadState = kOwnUpdate;
  rc.host.RedisplayView();
  rc.docUpdate.m_nLoadState = kLoaded;
  return Outcome::kNext;
}

}  // namespace

std::string MacroBarAlignedText(const std::uint8_t* buf, std::uint32_t len, const std::uint32_t* positions,
                                int slots, std::uint32_t fieldCount) {
  std::string out;
  if (buf == nullptr) return out;
  out.reserve(static_cast<std::size_t>(len) + len / 2 + 16);
  const std::uint32_t cols =
      positions != nullptr && slots > 2 ? std::min<std::uint32_t>(positions[0], static_cast<std::uint32_t>(slots - 2))
                                        : 0;
  const bool bars = fieldCount > 1;
  std::size_t lineStart = 0;  // offset in `out` of the line being written
  std::uint32_t field = 1;
  bool atLineStart = true, atFieldStart = true, comment = false;
  for (std::uint32_t i = 0; i < len && buf[i] != 0; ++i) {
    const std::uint8_t b = buf[i];
    if (IsLineEnd(b)) {
      out += static_cast<char>(b);
      lineStart = out.size();
      field = 1;
      atLineStart = atFieldStart = true;
      comment = false;
      continue;
    }
    if (atLineStart) {
      atLineStart = false;
      comment = b == '~';
      if (comment) {
        out += ' ';
        atFieldStart = false;
        continue;
      }
    }
    if (b == kSep) {
      if (comment) {
        out += ' ';
        continue;
      }
      // Pad to the next column's place; a longer field has passed it.
      const std::uint32_t next = field + 1;
      if (next <= cols + 1) {
        const std::size_t target = lineStart + positions[next];
        if (out.size() < target) out.append(target - out.size(), ' ');
      }
      if (bars) out += '|';
      ++field;
      atFieldStart = true;
      continue;
    }
    if (fw::IsSjisLeadByte(b) && i + 1 < len && IsTrailByte(buf[i + 1])) {
      out += static_cast<char>(b);
      out += static_cast<char>(buf[++i]);
      atFieldStart = false;
      continue;
    }
    const bool closing = i + 1 >= len || buf[i + 1] == kSep || buf[i + 1] == 0 || IsLineEnd(buf[i + 1]);
    out += (b == '"' && (atFieldStart || closing)) ? ' ' : static_cast<char>(b);
    atFieldStart = false;
  }
  return out;
}

std::uint32_t MacroRemoveQuotes(std::uint8_t* buf, std::uint32_t len) {
  if (buf == nullptr) return 0;
  std::uint32_t w = 0;
  for (std::uint32_t r = 0; r < len; ++r) {
    const std::uint8_t b = buf[r];
    if (fw::IsSjisLeadByte(b) && r + 1 < len && IsTrailByte(buf[r + 1])) {
      buf[w++] = b;
      buf[w++] = buf[++r];
      continue;
    }
    if (b != '"') buf[w++] = b;
  }
  if (w < len) buf[w] = 0;
  return w;
}

char MacroRichSaveForm(char letter, int kind, std::uint32_t fieldCount) {
  if (kind == docsvc::kKindRichText && letter != 'f' && letter != 'a') return 'g';
  if (kind == docsvc::kKindCsv && fieldCount == 1 && letter != 'a') return letter == 'g' ? 'g' : 'f';
  return letter;
}

int MacroRuledTableFontSize(const CString& command) {
  if (command.GetLength() > 4 && command[4] >= '0' && command[4] <= '9') return (command[4] - 45) * 15;
  return kDefaultRuledFontSize;
}

Outcome RunRuledTableSave(MacroRunContext& rc, int fontSize) {
  // The engine reads the page size setting as the row count + 100 for the
  // length of the call; the setting is put back after it.
  std::int32_t& pageSetting = rc.docSettings.m_nBmpfile;
  const std::int32_t kept = pageSetting;
  const std::int64_t rows = static_cast<std::int64_t>(rc.table.m_nLastRow) + 1 + 100;
  pageSetting = static_cast<std::int32_t>(rows > INT32_MAX ? INT32_MAX : rows);
  rc.host.RunTableCommand(100, fontSize);
  pageSetting = kept;
  return Outcome::kNext;
}

Outcome MacroExecRichSave(MacroRunContext& rc) {
  MacroState& st = rc.state;
  csv::Table& t = rc.table;
  const CString cmd = st.m_strStmtCommand;
  const bool ownWord = cmd.GetLength() >= 3 && cmd.Left(3) == CString("&Sr");
  FileEntryRequest req;
  req.code = 'S';
  req.letter = cmd.GetLength() > 2 ? cmd[2] : '\0';
  req.emptyAllowed = true;
  CString path, key;
  if (MacroFileEntry(st, rc.host, req, &path, &key) != FileEntryResult::kGo) return Outcome::kNext;

  const char form = MacroRichSaveForm(ownWord && cmd.GetLength() > 3 ? cmd[3] : '\0',
                                      static_cast<int>(*rc.view.fileKind), t.m_nFieldCount);
  bool written = false;
  if (form == 'g') {
    rc.host.SetViewPath(path);
    *rc.view.fileKind = docsvc::kKindText;
  } else if (form == 'f') {
    const Outcome o = BarTextIntoDocument(rc, path);
    if (o != Outcome::kNext) return o;
  } else {
    if (t.m_pTextBuf != nullptr) {
      t.m_nTextLen = MacroRemoveQuotes(t.m_pTextBuf, t.UsedLength());
      t.Rescan();
    }
    rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
    rc.docUpdate.m_nLoadState = kOwnUpdate;
    const std::int32_t size = st.m_anStmtNumbers[0];
    if (size > 0) {
      rc.host.SetTableSizeIndex(size);
      rc.docSettings.m_nTblsiz = size;
    }
    rc.host.RedisplayView();
    rc.docUpdate.m_nLoadState = kLoaded;
    if (form == 'c') {
      const Outcome o = RunRuledTableSave(rc, MacroRuledTableFontSize(cmd));
      if (o != Outcome::kNext) return o;
    } else {
      // The rich text goes under the name the statement gives.
      if (!path.IsEmpty()) rc.host.SetViewPath(path);
      if (rc.host.SaveViewAsRtf() < 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);
      written = EndsWithRtf(path);
      *rc.view.editMode = 1;
      rc.docUpdate.m_nDisplayFlag = 1;
    }
  }
  if (form == '\0') return Outcome::kNext;
  if (!path.IsEmpty() && !written && rc.host.WriteViewDocument(path, 3) < 0)
    return MacroRaiseRunError(&rc.host, RunError::kSilent);
  rc.host.SetViewDisplayFlag(1);
  rc.docUpdate.m_nDisplayFlag = 1;
  *rc.view.fileKind = docsvc::kKindRichText;
  return Outcome::kNext;
}

namespace {

// The page and HTML saves: the operand read, then the engine missing.
Outcome ReadOperandThenNotAvailable(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const CString& cmd = st.m_strStmtCommand;
  FileEntryRequest req;
  req.code = 'S';
  req.letter = cmd.GetLength() > 2 ? cmd[2] : '\0';
  CString path, key;
  if (MacroFileEntry(st, rc.host, req, &path, &key) != FileEntryResult::kGo) return Outcome::kNext;
  return MacroRaiseRunError(&rc.host, RunError::kNotAvailableYet);
}

// The export saves' common file entry: the statement's operand becomes the
// path it settles on. False when the entry ends the statement.
bool ExportEntry(MacroRunContext& rc, char defaultLetter, CString* path) {
  MacroState& st = rc.state;
  FileEntryRequest req;
  req.code = 'S';
  req.letter = st.m_strStmtCommand.GetLength() > 2 ? st.m_strStmtCommand[2] : defaultLetter;
  CString key;
  if (MacroFileEntry(st, rc.host, req, path, &key) != FileEntryResult::kGo) return false;
  st.m_strStmtOperand = *path;
  return true;
}

// After a written export: the document's open context closed and all views
// redrawn.
Outcome AfterExport(MacroRunContext& rc) {
  rc.docUpdate.m_nOpenContext = 0;
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kRedrawAll;
  rc.host.UpdateAllViews();
  return Outcome::kNext;
}

}  // namespace

Outcome MacroExecPageSave(MacroRunContext& rc) { return ReadOperandThenNotAvailable(rc); }

Outcome MacroExecSpreadsheetSave(MacroRunContext& rc) {
  MacroState& st = rc.state;
  CString path;
  if (!ExportEntry(rc, 'x', &path)) return Outcome::kNext;
  ExportOptions options = MacroReadExportOptions(st.m_strStmtCommand, path);
  if (options.titleRow) {
    // The title goes in front of the table as a new first row.
    csv::Table& t = rc.table;
    const std::string row = MacroExportTitleRow(options.title, t.m_nFieldCount);
    std::string text(reinterpret_cast<const char*>(t.m_pTextBuf ? t.m_pTextBuf : reinterpret_cast<const std::uint8_t*>("")),
                     t.UsedLength());
    text.insert(0, row);
    if (!t.Assign(text.data(), text.size(), 1000)) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  }
  options.text = MacroSubstituteVariables(st, &rc.table, options.text, kSubstPlain);
  if (rc.host.ExportToExcel(options.text, options.mode, options.flag) < 0)
    return MacroRaiseRunError(&rc.host, RunError::kSilent);
  return AfterExport(rc);
}

Outcome MacroExecHtmlSave(MacroRunContext& rc) {
  CString path;
  if (!ExportEntry(rc, 'h', &path)) return Outcome::kNext;
  if (rc.host.WriteHtmlTable() < 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  return AfterExport(rc);
}

}  // namespace macro
