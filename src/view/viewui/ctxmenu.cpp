#include "view/viewui/ctxmenu.h"

#include <string>

#include "fw/strtable.h"
#include "view/viewui/viewcmds.h"

namespace viewui {
namespace {

// One row of a menu table. `stringId` names the string-table text; `text`
// is the text itself (and the fallback when the table has no such string).
enum class When {
  kAlways,
  kBlockMode,         // while block mode is on
  kRegionKinds,       // block mode off, kinds below 12 or 30-39
  kSeparator,
};

struct Row {
  unsigned id;
  unsigned stringId;
  const char* text;
  When when;
};

constexpr unsigned kStrPrintOrigin = 364;

// General menu, up to the CSV section. The overwrite item is checked while
// the insert word is 0; block edit is checked in block mode.
const Row kGeneralRows[] = {
    {viewcmd::kCut, 361, "切取り\tctrl+X", When::kAlways},
    {viewcmd::kCopy, 362, "複写\tctrl+C", When::kAlways},
    {viewcmd::kPaste, 363, "貼付け\tctrl+V", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kOverwrite, 0, "上書\tIns", When::kAlways},
    {viewcmd::kBlockEdit, 394, "ﾌﾞﾛｯｸ編集\tctrl+B", When::kAlways},
    {viewcmd::kBlockTopLeft, 0, "ブロック左上", When::kBlockMode},
    {viewcmd::kBlockBottomRight, 0, "ブロック右下", When::kBlockMode},
    {viewcmd::kRegionTopLeft, 0, "領域 左上設定 ┌", When::kRegionKinds},
    {viewcmd::kRegionBottomRight, 0, "領域 右下設定   ┘", When::kRegionKinds},
    {viewcmd::kRegionClear, 0, "領域 枠クリア\tctrl+D", When::kRegionKinds},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kFindMenu, 365, "検索\tF3", When::kAlways},
    {viewcmd::kFindReplace, 366, "検索･置換\tshft+F3", When::kAlways},
};

// CSV section (kind 33), in its order. The undo item gets "\t<count>" and
// the title-row item is built apart (its id and text follow the state).
const Row kCsvRows[] = {
    {viewcmd::kCsvFindColumn, 0, "検索･置換[列]", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kCsvNarrowSelect, 0, "絞込み選択", When::kAlways},
    {viewcmd::kCsvNarrowDelete, 0, "絞込み削除", When::kAlways},
    {viewcmd::kCsvSelectCheck, 0, "選択 ﾁｪｯｸ ", When::kAlways},
    {viewcmd::kCsvUndoSelect, 0, "元に戻す", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kCsvColumnSum, 0, "列(範囲)合計", When::kAlways},
    {viewcmd::kCsvCrossTab, 0, "項目別集計", When::kAlways},
    {viewcmd::kCsvCheckedSum, 0, "ﾁｪｯｸ行合計", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kCsvCheckToMark, 0, "ﾁｪｯｸ→ﾏｰｸ", When::kAlways},
    {viewcmd::kCsvMarkToCheck, 0, "ﾏｰｸ→ﾁｪｯｸ", When::kAlways},
    {viewcmd::kCsvClearChecks, 0, "ﾁｪｯｸ解除", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kCsvQuoteCut, 0, "引用符ｶｯﾄ", When::kAlways},
    {viewcmd::kCsvQuoteAdd, 0, "引用符付け", When::kAlways},
    {viewcmd::kCsvThousands, 0, "ｶﾝﾏ付け", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kCsvAlignRight, 0, "右寄せ", When::kAlways},
    {viewcmd::kCsvAlignLeft, 0, "左寄せ", When::kAlways},
    {viewcmd::kCsvAlignCenter, 0, "中央揃え", When::kAlways},
    {viewcmd::kCsvTrimTrailing, 0, "後空白ｶｯﾄ", When::kAlways},
};

// Macro section (a stopped macro, kind 98).
const Row kMacroRows[] = {
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kMacroHelpEdit, 0, "命令一覧\t編集､制御", When::kAlways},
    {viewcmd::kMacroHelpFile, 0, "命令一覧\tﾌｧｲﾙ", When::kAlways},
    {viewcmd::kMacroHelpVars, 0, "変数一覧", When::kAlways},
    {viewcmd::kMacroHelpColumns, 0, "列記号一覧", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {viewcmd::kMacroInsertDialog, 0, "ﾀﾞｲｱﾛｸﾞ挿入", When::kAlways},
    {viewcmd::kMacroInsertGraph, 0, "ｸﾞﾗﾌｻﾌﾞﾙｰﾁﾝ挿入", When::kAlways},
};

// Ruled-table menu.
const Row kRuledRows[] = {
    {33178, 33055, "新規表作成\tctrl +M", When::kAlways},
    {33179, 33056, "表変換\tctrl +D", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {33180, 33057, "列追加\tctrl +E", When::kAlways},
    {33181, 33058, "列削除\tctrl +R", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {33182, 33059, "行追加\tctrl +J", When::kAlways},
    {33183, 33060, "行削除\tctrl +K", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {33170, 0, "上罫線\tctrl +2", When::kAlways},
    {33169, 0, "下罫線\tctrl +1", When::kAlways},
    {33171, 33062, "左罫線\tctrl +3", When::kAlways},
    {33067, 33063, "右罫線\tctrl +4", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {33066, 0, "欄上罫線\tctrl+shft+2", When::kAlways},
    {33174, 0, "欄下罫線\tctrl+shft+1", When::kAlways},
    {33175, 0, "欄左罫線\tctrl+shft+3", When::kAlways},
    {33176, 0, "欄右罫線\tctrl+shft+4", When::kAlways},
    {0, 0, nullptr, When::kSeparator},
    {33172, 0, "操作取消し\tctrl +Z 2回", When::kAlways},
    {33173, 0, "表ﾓｰﾄﾞ終了\tctrl +D", When::kAlways},
};

CString RowText(const Row& r) {
  std::string s;
  if (r.stringId && fw::LookupString(r.stringId, s)) return CString(s.c_str());
  return CString(r.text ? r.text : "");
}

bool Applies(const Row& r, const ContextMenuState& s) {
  switch (r.when) {
    case When::kAlways:
    case When::kSeparator:
      return true;
    case When::kBlockMode:
      return s.blockMode != 0;
    case When::kRegionKinds:
      return s.blockMode == 0 && (s.fileKind < 12 || (s.fileKind >= 30 && s.fileKind <= 39));
  }
  return false;
}

template <std::size_t N>
void AppendRows(const Row (&rows)[N], const ContextMenuState& s, std::vector<MenuRow>& out) {
  for (const Row& r : rows) {
    if (!Applies(r, s)) continue;
    MenuRow m;
    if (r.when == When::kSeparator) {
      m.separator = true;
    } else {
      m.id = r.id;
      m.text = RowText(r);
    }
    out.push_back(m);
  }
}

MenuRow Separator() {
  MenuRow m;
  m.separator = true;
  return m;
}

void AppendGeneral(const ContextMenuState& s, std::vector<MenuRow>& out) {
  AppendRows(kGeneralRows, s, out);
  for (MenuRow& m : out) {
    if (m.id == viewcmd::kOverwrite) m.checked = s.insertWord == 0;
    if (m.id == viewcmd::kBlockEdit) m.checked = s.blockMode != 0;
  }
  if (s.fileKind == 33) {
    AppendRows(kCsvRows, s, out);
    for (MenuRow& m : out) {
      if (m.id == viewcmd::kCsvUndoSelect && s.selectUndoCount > 0) {
        CString t;
        t.Format("\t%d", s.selectUndoCount);
        m.text += t;
      }
      if ((m.id == viewcmd::kCsvQuoteCut || m.id == viewcmd::kCsvQuoteAdd) && s.editMode == 3) m.grayed = true;
    }
    MenuRow title;
    title.id = s.titleRowFixed ? viewcmd::kCsvTitleAuto : viewcmd::kCsvTitleFix;
    title.text.Format("%s\t%u", s.titleRowFixed ? "ﾀｲﾄﾙ行自動" : "ﾀｲﾄﾙ行固定", s.curLine);
    out.push_back(title);
  }
  if (s.fileKind == 98 && s.macroStopped) AppendRows(kMacroRows, s, out);
}

}  // namespace

ContextMenuKind ChooseContextMenu(const ContextMenuState& s) {
  const bool pictureKind = (s.fileKind >= 12 && s.fileKind <= 28) || s.fileKind == 53 || s.fileKind == 54;
  if ((pictureKind || s.displayKind == 4) && s.sourceForm == 0) return ContextMenuKind::kImage;
  if ((s.fileKind == 4 || s.fileKind == 9) && s.tableEditMode) return ContextMenuKind::kRuledTable;
  return ContextMenuKind::kGeneral;
}

void PrintOrigin(int sx, int sy, int x, int y, bool image, int* ox, int* oy) {
  long long px = static_cast<long long>(sx) + x;
  long long py = static_cast<long long>(sy) + y;
  if (!image && py < 10) py = 0;
  auto clamp = [](long long v) {
    return static_cast<int>(v < -0x7FFFFFFFLL ? -0x7FFFFFFFLL : v > 0x7FFFFFFFLL ? 0x7FFFFFFFLL : v);
  };
  if (ox) *ox = clamp(px);
  if (oy) *oy = clamp(py);
}

CString PrintOriginText(int x, int y) {
  std::string base;
  if (!fw::LookupString(kStrPrintOrigin, base)) base = "印刷開始点";
  CString t;
  t.Format("%s(x,y)\t%d,%d", base.c_str(), x, y < 10 ? 0 : y);
  return t;
}

std::vector<MenuRow> BuildContextMenu(ContextMenuKind kind, const ContextMenuState& s) {
  std::vector<MenuRow> out;
  switch (kind) {
    case ContextMenuKind::kImage:
      break;  // the image view adds its rows in front
    case ContextMenuKind::kRuledTable:
      AppendRows(kRuledRows, s, out);
      break;
    case ContextMenuKind::kGeneral:
      AppendGeneral(s, out);
      break;
  }
  if (!out.empty()) out.push_back(Separator());
  MenuRow origin;
  origin.id = viewcmd::kPrintOrigin;
  origin.text = PrintOriginText(s.originX, s.originY);
  out.push_back(origin);
  return out;
}

}  // namespace viewui
