#include "macro/macro_exec_syspara.h"

#include "macro/macro_display_words.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace macro {

namespace {
constexpr int kBackColours = 7;  // indexes 0-6
constexpr std::uint32_t kPlainTableEdit = 1, kRuledTableEdit = 3;
}  // namespace

Outcome MacroExecSysPara(MacroRunContext& rc) {
  const SysParaReading r = MacroReadSysPara(rc.state.m_strStmtOperand);
  app::DocSettingsFields& s = rc.docSettings;
  std::int32_t* const sizes[] = {&s.m_nIndata, &s.m_nOutdata, &s.m_nBmpfile, &s.m_nBmpdata, &s.m_nTblMax,
                                 &s.m_nRtbl,   &s.m_nChar,    &s.m_nTab,     &s.m_nFlist,   &s.m_nFhold};
  for (int k = kFilevol; k <= kFldrmax; ++k)
    if (r.found[k]) *sizes[k] = r.value[k];
  if (r.found[kBkcolor] && r.value[kBkcolor] >= 0 && r.value[kBkcolor] < kBackColours) {
    s.m_nBackColorIndex = r.value[kBkcolor];
    rc.host.ApplyBackgroundColor();
  }
  if (r.found[kZerodiv]) rc.state.m_nZeroDivValue = r.value[kZerodiv];
  if (r.found[kQnodisp]) s.m_bHideQuotes = static_cast<std::uint32_t>(r.value[kQnodisp]);
  if (r.found[kRtfdisp]) *rc.view.editMode = r.value[kRtfdisp] == 1 ? kRuledTableEdit : kPlainTableEdit;
  rc.state.m_nSysParaSaved = 2;
  return Outcome::kNext;
}

}  // namespace macro
