#include "app/shell/menu_captions.h"

namespace app {

namespace {

constexpr int kAny = -1;

// One row per case; the first row that matches wins. Kinds: 4 rich text,
// 12-28 pictures, 33 CSV table, 99 nothing loaded / not classified.
struct CaptionRow {
  int kindFrom, kindTo;  // kAny: any kind
  int form;              // m_nOpenContext: 1 binary, 2 source
  int state;             // 3 = table-edit mode
  const char* save;
  const char* tableEdit;
};

const CaptionRow kCaptionRows[] = {
    {kAny, kAny, kAny, 3, "罫線表を保存(&S)", "罫線表編集を終了(&T)"},
    {kAny, kAny, 1, kAny, "バイナリ表示を保存(&S)", "罫線表編集(&T)"},
    {kAny, kAny, 2, kAny, "ソースを保存(&S)", "罫線表編集(&T)"},
    {33, 33, kAny, kAny, "CSV保存(&S)", "罫線表編集(&T)"},
    {4, 4, kAny, kAny, "RTF保存(&S)", "罫線表編集(&T)"},
    {12, 28, kAny, kAny, "画像保存(&S)", "罫線表編集(&T)"},
    {99, 99, kAny, kAny, "上書き保存(&S)", "罫線表編集(&T)"},
    {kAny, kAny, kAny, kAny, "テキスト保存(&S)", "罫線表編集(&T)"},
};

bool Matches(const CaptionRow& r, int kind, int form, int state) {
  if (r.kindFrom != kAny && (kind < r.kindFrom || kind > r.kindTo)) return false;
  if (r.form != kAny && r.form != form) return false;
  if (r.state != kAny && r.state != state) return false;
  return true;
}

}  // namespace

MenuCaptions MenuCaptionsFor(int kind, int form, int state) {
  MenuCaptions m;
  if (state == 99) m.toolbar = ToolbarSet::Hidden;
  else if (state == 98) m.toolbar = ToolbarSet::Selection;
  else if (state == 9) m.toolbar = ToolbarSet::Full;
  else if (kind == 199) m.toolbar = ToolbarSet::Standard;
  if (m.toolbar != ToolbarSet::Keep) return m;
  for (const CaptionRow& r : kCaptionRows) {
    if (Matches(r, kind, form, state)) {
      m.save = r.save;
      m.tableEdit = r.tableEdit;
      break;
    }
  }
  return m;
}

}  // namespace app
