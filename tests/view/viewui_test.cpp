// Rules of the text view's menus, keys, panes, print settings and colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/docdata/update_code.h"
#include "view/viewui/backcolor.h"
#include "view/viewui/ctxmenu.h"
#include "view/viewui/displayfont.h"
#include "view/viewui/panes.h"
#include "view/viewui/printsetup.h"

namespace {

std::vector<unsigned> Ids(const std::vector<viewui::MenuRow>& rows) {
  std::vector<unsigned> ids;
  for (const auto& r : rows) ids.push_back(r.separator ? 0u : r.id);
  return ids;
}

const viewui::MenuRow* Find(const std::vector<viewui::MenuRow>& rows, unsigned id) {
  for (const auto& r : rows)
    if (!r.separator && r.id == id) return &r;
  return nullptr;
}

TEST(ContextMenu, TheMenuFollowsKindDisplayAndTableFlag) {
  viewui::ContextMenuState s;
  s.fileKind = 14;
  EXPECT_EQ(viewui::ContextMenuKind::kImage, viewui::ChooseContextMenu(s));
  s.sourceForm = 1;
  EXPECT_EQ(viewui::ContextMenuKind::kGeneral, viewui::ChooseContextMenu(s));
  s = {};
  s.fileKind = 9;
  s.displayKind = 4;
  EXPECT_EQ(viewui::ContextMenuKind::kImage, viewui::ChooseContextMenu(s));
  s.displayKind = 0;
  s.tableEditMode = true;
  EXPECT_EQ(viewui::ContextMenuKind::kRuledTable, viewui::ChooseContextMenu(s));
  s.fileKind = 33;
  EXPECT_EQ(viewui::ContextMenuKind::kGeneral, viewui::ChooseContextMenu(s));
}

TEST(ContextMenu, TheCsvMenuHasItsSectionInOrderAndThePrintOriginLast) {
  viewui::ContextMenuState s;
  s.fileKind = 33;
  s.curLine = 2;
  s.originX = 15;
  s.originY = 7;
  auto rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s);
  const std::vector<unsigned> want = {
      391, 390, 392, 0, 393, 32886, 32973, 32974, 32990, 0, 33052, 32966,
      33104, 0, 33097, 33103, 33152, 33099, 0, 33107, 33108, 33120, 0, 33119, 33148, 33149, 33232, 0,
      33111, 33110, 33109, 0, 33195, 33196, 33197, 33113, 33207, 0, 33122};
  EXPECT_EQ(want, Ids(rows));
  EXPECT_EQ("ﾀｲﾄﾙ行固定\t2", std::string(Find(rows, 33207)->text));
  EXPECT_EQ("印刷開始点(x,y)\t15,0", std::string(rows.back().text));
  EXPECT_FALSE(Find(rows, 393)->checked);

  s.titleRowFixed = true;
  s.selectUndoCount = 3;
  s.editMode = 3;
  s.insertWord = 0;
  s.blockMode = 1;
  rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s);
  EXPECT_EQ(nullptr, Find(rows, 33207));
  EXPECT_EQ("ﾀｲﾄﾙ行自動\t2", std::string(Find(rows, 33208)->text));
  EXPECT_EQ("元に戻す\t3", std::string(Find(rows, 33099)->text));
  EXPECT_TRUE(Find(rows, 33111)->grayed);
  EXPECT_TRUE(Find(rows, 33110)->grayed);
  EXPECT_FALSE(Find(rows, 33109)->grayed);
  EXPECT_TRUE(Find(rows, 393)->checked);
  EXPECT_TRUE(Find(rows, 32886)->checked);
  EXPECT_NE(nullptr, Find(rows, 33199));
  EXPECT_EQ(nullptr, Find(rows, 32973));
}

TEST(ContextMenu, OtherMenusEndInThePrintOrigin) {
  viewui::ContextMenuState s;
  s.fileKind = 9;
  auto rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s);
  EXPECT_EQ(nullptr, Find(rows, 33104));  // no CSV section
  EXPECT_EQ(33122u, rows.back().id);
  s.fileKind = 98;
  s.macroStopped = true;
  rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s);
  EXPECT_NE(nullptr, Find(rows, 33155));
  rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kRuledTable, s);
  EXPECT_EQ(33178u, rows.front().id);
  EXPECT_EQ(33122u, rows.back().id);
  // The image menu puts its figure tools' submenu after the print origin.
  rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kImage, s);
  EXPECT_EQ(32973u, rows.front().id);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(33122u, rows[rows.size() - 2].id);
  EXPECT_FALSE(rows.back().submenu.empty());
  int x = 0, y = 0;
  viewui::PrintOrigin(100, 0, 5, 9, false, &x, &y);
  EXPECT_EQ(105, x);
  EXPECT_EQ(0, y);
  viewui::PrintOrigin(0, 0, 5, 9, true, &x, &y);
  EXPECT_EQ(9, y);
}

TEST(Panes, HandOverCodesAndCells) {
  using app::UpdateCode;
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(n, app::PaneOfHandOverCode(app::HandOverCode(n)));
  EXPECT_EQ(33u, static_cast<unsigned>(app::HandOverCode(2)));
  EXPECT_EQ(0, app::PaneOfHandOverCode(UpdateCode::kContent));
  EXPECT_EQ(0, app::PaneOfHandOverCode(static_cast<UpdateCode>(81)));
  EXPECT_EQ(0, app::PaneOfHandOverCode(static_cast<UpdateCode>(18)));
  EXPECT_EQ(UpdateCode::kNone, app::HandOverCode(5));
  auto c = viewui::ActivationCellOfPane(3);
  EXPECT_EQ(0, c.row);
  EXPECT_EQ(1, c.col);
  c = viewui::ActivationCellOfPane(7);
  EXPECT_EQ(0, c.row + c.col);
  c = viewui::ActiveTextPaneCell(1, 1, 0);
  EXPECT_EQ(0, c.row);
  EXPECT_EQ(0, c.col);
  c = viewui::ActiveTextPaneCell(2, 1, 0);
  EXPECT_EQ(1, c.row);
  EXPECT_EQ(1, c.col);
  c = viewui::ActiveTextPaneCell(5, 0, 1);
  EXPECT_EQ(1, c.row);
  EXPECT_EQ(1, c.col);
  EXPECT_EQ(viewui::PaneAction::kClearCheckList, viewui::PaneActionOf(51));
  EXPECT_EQ(viewui::PaneAction::kScrollTo, viewui::PaneActionOf(7));
}

TEST(PrintSetup, MarginsFromTheSettingsAndThePrintsetOperand) {
  const std::int32_t prsp[3] = {202, 1503, 1234};
  std::int32_t m[4];
  viewui::MarginsFromPrspace(prsp, m);
  EXPECT_EQ((20 + 1) * 100, m[viewui::kMarginTop]);
  EXPECT_EQ((20 + 2) * 100, m[viewui::kMarginBottom]);
  EXPECT_EQ((150 + 3) * 100, m[viewui::kMarginLeft]);
  EXPECT_EQ((30 + 4) * 100, m[viewui::kMarginRight]);

  std::int32_t mm[4] = {-99, 500, -99, -99};
  EXPECT_EQ(3, viewui::FillUnsetMargins(mm, prsp));
  EXPECT_EQ(500, mm[1]);
  EXPECT_EQ(2100, mm[0]);

  std::int32_t p[4] = {-99, -99, -99, -99};
  EXPECT_FALSE(viewui::ParsePrintset("", p));
  EXPECT_TRUE(viewui::ParsePrintset("10,20x30;40", p));
  EXPECT_EQ(1000, p[viewui::kMarginLeft]);
  EXPECT_EQ(2000, p[viewui::kMarginTop]);
  EXPECT_EQ(3000, p[viewui::kMarginRight]);
  EXPECT_EQ(4000, p[viewui::kMarginBottom]);

  EXPECT_EQ(1134, viewui::HundredthsMmToTwips(2000));  // 20 mm
  const std::int32_t a4m[4] = {2000, 2000, 2000, 2000};
  auto r = viewui::PageDrawRect(viewui::kA4WidthTwips, viewui::kA4HeightTwips, a4m);
  EXPECT_EQ(1134, r.left);
  EXPECT_EQ(viewui::kA4WidthTwips - 1134, r.right);
  const std::int32_t huge[4] = {900000, 900000, 900000, 900000};
  r = viewui::PageDrawRect(1000, 1000, huge);
  EXPECT_EQ(r.left, r.right);
  EXPECT_EQ(r.top, r.bottom);
}

TEST(BackColor, SevenColoursWrapping) {
  EXPECT_EQ(0xFFFFFFu, viewui::BackColorOf(0));
  EXPECT_EQ(viewui::BackColorOf(1), viewui::BackColorOf(8));
  EXPECT_EQ(viewui::BackColorOf(6), viewui::BackColorOf(-1));
  EXPECT_EQ(0, viewui::StepBackColor(6, 1));
  EXPECT_EQ(6, viewui::StepBackColor(0, -1));
  EXPECT_EQ(3, viewui::StepBackColor(3, 0));
}

TEST(DisplayFont, AStoredVerticalOrEmptyFaceShowsTheDefault) {
  EXPECT_EQ("ＭＳ 明朝", viewui::DisplayFace("ＭＳ 明朝", "ＭＳ ゴシック"));
  EXPECT_EQ("ＭＳ ゴシック", viewui::DisplayFace("@FixedSys", "ＭＳ ゴシック"));
  EXPECT_EQ("ＭＳ ゴシック", viewui::DisplayFace("", "ＭＳ ゴシック"));
}

TEST(DisplayFont, TheDialogPreselectsThePaneFaceOrWhatDrawsIt) {
  // An installed face is preselected as it is.
  viewui::FontDialogPlan p = viewui::PlanFontDialog("IPA明朝", true, "IPA明朝");
  EXPECT_EQ("IPA明朝", p.face);
  EXPECT_FALSE(p.substituted);
  EXPECT_FALSE(p.verticalFaces);
  // A face only mapped to another font: the dialog would not find it and
  // would take its first entry (a vertical face); the face drawn instead is
  // preselected.
  p = viewui::PlanFontDialog("ＭＳ ゴシック", false, "IPAゴシック");
  EXPECT_EQ("IPAゴシック", p.face);
  EXPECT_TRUE(p.substituted);
  EXPECT_FALSE(p.verticalFaces);
  // Never a vertical face, whatever the pane or the system says.
  EXPECT_EQ("ＭＳ ゴシック", viewui::PlanFontDialog("ＭＳ ゴシック", false, "@IPAゴシック").face);
  EXPECT_EQ("IPAゴシック", viewui::PlanFontDialog("@FixedSys", true, "IPAゴシック").face);
  EXPECT_EQ("", viewui::PlanFontDialog("@FixedSys", true, "@FixedSys").face);
}

TEST(DisplayFont, TheAnswerKeepsTheSettingUnlessAnotherFaceWasChosen) {
  const viewui::FontDialogPlan sub = viewui::PlanFontDialog("ＭＳ ゴシック", false, "IPAゴシック");
  // OK on the preselected stand-in (perhaps a new size): the setting stays.
  EXPECT_EQ("ＭＳ ゴシック", viewui::FaceToStore(sub, "ＭＳ ゴシック", "IPAゴシック"));
  EXPECT_EQ("IPA明朝", viewui::FaceToStore(sub, "ＭＳ ゴシック", "IPA明朝"));
  EXPECT_EQ("", viewui::FaceToStore(sub, "ＭＳ ゴシック", "@IPA明朝"));
  EXPECT_EQ("", viewui::FaceToStore(sub, "ＭＳ ゴシック", ""));
  const viewui::FontDialogPlan own = viewui::PlanFontDialog("IPA明朝", true, "IPA明朝");
  EXPECT_EQ("IPA明朝", viewui::FaceToStore(own, "IPA明朝", "IPA明朝"));
}

}  // namespace
