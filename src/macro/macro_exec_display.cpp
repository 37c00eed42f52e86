#include "macro/macro_exec_display.h"

#include <cstring>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_display_words.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvKind = 33, kStoppedMacroKind = 98;
constexpr std::uint32_t kRichTextKind = 4, kTextKind = 9;
constexpr std::uint32_t kPlainTableEdit = 1, kRuledTableEdit = 3;
constexpr std::int32_t kOwnUpdate = 99;
constexpr std::uint32_t kHandOverSpare = 1000;
constexpr int kFirstPane = 1;

// The view shows its table again with update code 1 and load state 99 (the
// load state is put back to 0 after it, so a later update of all views
// loads what it names).
void RedisplayOwnTable(MacroRunContext& rc) {
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
  rc.docUpdate.m_nLoadState = kOwnUpdate;
  rc.host.RedisplayView();
  rc.docUpdate.m_nLoadState = 0;
}

bool NormalForm(const MacroRunContext& rc, std::uint32_t kind) {
  return *rc.view.fileKind == kind && *rc.view.sourceView == 0;
}

// Step 4: the table display. True when a view without a table got kind 4
// or 9 (it then activates no pane).
bool ChooseTableDisplay(MacroRunContext& rc, const DisplayWords& w) {
  if (w.ruled || w.plain) {
    if (NormalForm(rc, kCsvKind)) {
      *rc.view.editMode = w.ruled ? kRuledTableEdit : kPlainTableEdit;
      rc.docWindow.m_bTableEditMode = w.ruled ? 1 : 0;
      RedisplayOwnTable(rc);
      return false;
    }
    *rc.view.fileKind = w.ruled ? kRichTextKind : kTextKind;
    return true;
  }
  if (NormalForm(rc, kCsvKind) || NormalForm(rc, kStoppedMacroKind)) {
    if (w.columnSizeDigit >= 0) rc.host.SetColumnSizeDigit(w.columnSizeDigit);
    if (static_cast<std::uint32_t>(rc.docUpdate.m_nUpdateCode) <= 16) RedisplayOwnTable(rc);
  }
  return false;
}

}  // namespace

Outcome MacroHandOverText(MacroRunContext& rc, int pane) {
  if (pane < 1 || pane > 4) pane = kFirstPane;
  rc.docUpdate.m_nLoadState = kOwnUpdate;
  rc.host.UpdateAllViews();
  const app::UpdateCode before = rc.docUpdate.m_nUpdateCode;
  rc.docUpdate.m_nUpdateCode = app::HandOverCode(pane);

  const csv::Table& t = rc.table;
  app::DocTextFields& d = rc.docText;
  const std::uint32_t used = t.m_pTextBuf != nullptr ? t.UsedLength() : 0;
  const std::uint64_t want = static_cast<std::uint64_t>(used) + kHandOverSpare;
  if (d.m_pText == nullptr || d.m_nTextCapacity < want) {
    char* grown = want <= UINT32_MAX ? static_cast<char*>(fw::Realloc(d.m_pText, want)) : nullptr;
    if (grown == nullptr) {
      // Nothing is copied into a buffer that did not grow.
      rc.docUpdate.m_nLoadState = 0;
      rc.docUpdate.m_nUpdateCode = before;
      return MacroRaiseRunError(&rc.host, RunError::kPaneTextMemory);
    }
    d.m_pText = grown;
    d.m_nTextCapacity = static_cast<std::uint32_t>(want);
  }
  // Up to the table's length or its first NUL, then two NULs.
  std::uint32_t n = 0;
  while (n < used && t.m_pTextBuf[n] != 0) ++n;
  if (n > 0) std::memcpy(d.m_pText, t.m_pTextBuf, n);
  d.m_pText[n] = '\0';
  d.m_pText[n + 1] = '\0';
  d.m_nTextLen = n;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(*rc.view.fileKind);

  rc.docUpdate.m_nLoadState = kOwnUpdate;
  rc.host.ShowTextInPane(pane);
  rc.docUpdate.m_nLoadState = 0;
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
  rc.host.ArmMacroResume(kHandOverResumeMs);
  return Outcome::kHandOver;
}

Outcome MacroExecDisplay(MacroRunContext& rc) {
  MacroState& st = rc.state;
  MacroRunHost& host = rc.host;
  const DisplayWords w = MacroReadDisplayWords(st.m_strStmtOperand, st.m_strStmtCommand.GetAt(3));

  host.UndoViewSplit();
  if (w.layoutCode != kLayoutNone) host.ApplyTextLayoutWord(w.layoutCode);
  if (w.handOver) return MacroHandOverText(rc, w.handOverPane);

  const bool kindOnly = !w.title && ChooseTableDisplay(rc, w);
  std::uint32_t& hidden = rc.docSettings.m_bHideQuotes;
  if (w.quoteOff && hidden == 0) host.ToggleHideQuotes();
  if (w.quoteOn && hidden == 1) host.ToggleHideQuotes();
  if (!kindOnly) host.ActivateTextPane(kFirstPane);
  if (w.fullToolbar) {
    host.SetToolbarWord(0);
    host.UpdateMenuTexts(33, 0, 9);
  }
  const bool lists[3] = {w.fileList, w.fullList, w.noList};
  for (int k = 0; k < 3; ++k) {
    if (!lists[k]) continue;
    rc.docWindow.m_nLayoutMode = k;
    host.ApplyListLayout();
  }
  if (w.noMenu) host.RemoveMainMenu();
  if (rc.docUpdate.m_nMacroDebugMode == 0) {
    if (w.noToolbar)
      host.UpdateMenuTexts(0, 0, 99);
    else if (w.selToolbar)
      host.UpdateMenuTexts(33, 0, 98);
    else
      host.UpdateMenuTexts(199, 0, 0);
  }
  if (w.title) host.SetMainTitle(st.m_strMacroVars[kSlotTitleText]);
  return Outcome::kNext;
}

Outcome MacroExecStatus(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const StatusWords w = MacroReadStatusWords(st.m_strStmtOperand);
  if (w.statusMode >= 0) st.m_nMacroStatusMode = w.statusMode;
  if (w.showSet) rc.host.SetStatusText(0, st.m_strMacroVars[kSlotTitleText]);
  rc.host.ActivateTextPane(kFirstPane);
  if (w.title) rc.host.SetMainTitle(st.m_strMacroVars[kSlotTitleText]);
  return Outcome::kNext;
}

}  // namespace macro
