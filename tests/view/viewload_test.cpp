// Loading the text view, the portable half: the CSV working form and its
// shown text, the shown part of long texts, the RTF line-spacing scan.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_index.h"
#include "view/viewload/csvshow.h"
#include "view/viewload/rtfspacing.h"
#include "core/docsvc/filekind.h"
#include "csv/csv_fileform.h"
#include "view/viewload/updateplan.h"

namespace {

std::string ToWorking(const std::string& s) {
  std::string out(s.size(), '\0');
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(),
                                    reinterpret_cast<std::uint8_t*>(&out[0]));
  return out;
}

std::string Shown(const std::string& work, bool hide, std::uint32_t first = 0, std::uint32_t max = 0,
                  viewload::CsvShowStats* st = nullptr) {
  viewload::CsvShowOptions o;
  o.hideQuotes = hide;
  o.firstRow = first;
  o.maxRows = max;
  std::string out;
  viewload::AppendCsvShown(reinterpret_cast<const std::uint8_t*>(work.data()), work.size(), o, out, st);
  return out;
}

TEST(CsvShow, CommasOutsideQuotesSeparateFields) {
  EXPECT_EQ("a\x06" "b\x06\"c,d\"\x06" "e", ToWorking("a,b,\"c,d\",e"));
  // A stray quote ends at the line end: the next line's commas separate.
  EXPECT_EQ("5\" disk,x\r\ny\x06z", ToWorking("5\" disk,x\r\ny,z"));
  // Shift-JIS trail bytes are never commas or quotes; the text is kept.
  EXPECT_EQ("表\x06ソ", ToWorking("表,ソ"));
  // In place.
  std::string s = "a,\"b,c\",d";
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(),
                                    reinterpret_cast<std::uint8_t*>(&s[0]));
  EXPECT_EQ("a\x06\"b,c\"\x06" "d", s);
}

TEST(CsvShow, FieldsAreShownTabSeparatedAndQuotesHiddenOnlyInTheShownText) {
  const std::string work = ToWorking("名前,\"住所,市\",\"a \"\"b\"\"\"\r\n~ comment,x\r\n1,2,3");
  EXPECT_EQ("名前\t\"住所,市\"\t\"a \"\"b\"\"\"\r\n~ comment\tx\r\n1\t2\t3", Shown(work, false));
  EXPECT_EQ("名前\t住所,市\ta \"b\"\r\n~ comment\tx\r\n1\t2\t3", Shown(work, true));
}

TEST(CsvShow, RowEndsAreCrLfWhateverTheBufferHas) {
  viewload::CsvShowStats st;
  EXPECT_EQ("a\r\nb\r\nc\r\n\r\nd", Shown("a\nb\rc\r\n\nd", false, 0, 0, &st));
  EXPECT_EQ(5u, st.rowsTotal);
  // The text ends at a NUL.
  EXPECT_EQ("a\tb\r\n", Shown(std::string("a\x06" "b\r\n\0zz", 7), false));
}

TEST(CsvShow, APagedTableShowsItsWindowOfRows) {
  viewload::CsvShowStats st;
  EXPECT_EQ("r2\r\nr3\r\n", Shown("r0\r\nr1\r\nr2\r\nr3\r\nr4\r\n", false, 2, 2, &st));
  EXPECT_EQ(2u, st.rowsShown);
  EXPECT_EQ(5u, st.rowsTotal);
  EXPECT_TRUE(st.paged);
}

TEST(CsvShow, TheWorkingFormIndexesLikeTheFile) {
  // A "~" comment and a "!#" second block, as a CSV file has them.
  std::string file =
      "\"名前\",\"住所\",\"電話\",\"メモ\"\r\n\"山田\",\"東京都,港区\",\"03\",\"x\"\r\n~ comment\r\n"
      "!#\r\nA,B,C,D\r\n1,2,3,4\r\n5,6,7,8\r\n";
  std::string work = ToWorking(file);
  std::vector<std::uint8_t> buf(work.begin(), work.end());
  buf.push_back(0);
  csv::TableFields v;
  v.m_pTextBuf = buf.data();
  v.m_nWorkSize = static_cast<std::uint32_t>(buf.size());
  v.m_nTextLen = static_cast<std::uint32_t>(work.size());
  std::uint32_t len = 0, cols = 0;
  int last = csv::BuildCsvIndex(v, buf.data(), v.m_nTextLen, &len, &cols, csv::kCsvScanOnly, -1);
  EXPECT_EQ(6, last);
  EXPECT_EQ(2u, v.BlockCount());
  EXPECT_EQ(4u, cols);
  EXPECT_EQ(4u, v.m_aSecRow[2]);
  EXPECT_EQ(static_cast<std::uint32_t>(file.find("!#")), v.m_aSecScanPos[2]);
}

TEST(ShownText, LongTextsAreCutAtALineEndOrAWholeCharacter) {
  bool cut = true;
  EXPECT_EQ(5u, viewload::ShownTextLength("ab\ncd", 5, 0, &cut));
  EXPECT_FALSE(cut);
  EXPECT_EQ(5u, viewload::ShownTextLength("ab\ncd", 5, 5, &cut));
  EXPECT_FALSE(cut);
  EXPECT_EQ(3u, viewload::ShownTextLength("ab\ncdef", 7, 5, &cut));
  EXPECT_TRUE(cut);
  // One long line of double-byte characters: never half a character.
  const std::string kanji = "漢字漢字";
  EXPECT_EQ(4u, viewload::ShownTextLength(kanji.data(), kanji.size(), 5, &cut));
}

std::vector<viewload::ParaSpacing> Scan(const std::string& rtf, std::size_t piece, std::uint32_t* paras) {
  viewload::RtfSpacingScan s;
  for (std::size_t i = 0; i < rtf.size(); i += piece) s.Feed(rtf.data() + i, std::min(piece, rtf.size() - i));
  s.Finish();
  if (paras) *paras = s.Paragraphs();
  return s.Spacings();
}

TEST(RtfSpacing, ExactAndAtLeastSpacingOfEachParagraphInAnyPieces) {
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 MS;}}{\\colortbl;\\red0\\green0\\blue0;}\n"
      "\\pard\\sl-20\\slmult0 rule\\par\n"
      "\\pard text\\par\n"
      "\\pard\\sl300\\slmult0 at least\\par\n"
      "\\pard\\sl-240\\slmult1 multiple\\par\n"
      "{\\*\\generator x\\par}\\pard\\sl-20 last rule}";
  for (std::size_t piece : {std::size_t(1), std::size_t(3), rtf.size()}) {
    std::uint32_t paras = 0;
    auto sp = Scan(rtf, piece, &paras);
    EXPECT_EQ(5u, paras) << piece;
    ASSERT_EQ(3u, sp.size()) << piece;
    EXPECT_EQ(0u, sp[0].paragraph);
    EXPECT_EQ(viewload::kSpacingExactly, sp[0].rule);
    EXPECT_EQ(20, sp[0].twips);
    EXPECT_EQ(2u, sp[1].paragraph);
    EXPECT_EQ(viewload::kSpacingAtLeast, sp[1].rule);
    EXPECT_EQ(300, sp[1].twips);
    EXPECT_EQ(4u, sp[2].paragraph);  // the last paragraph has no \par
    EXPECT_EQ(viewload::kSpacingExactly, sp[2].rule);
  }
}

TEST(RtfSpacing, GroupsRestorePropertiesAndDataIsSkipped) {
  std::uint32_t paras = 0;
  // Spacing set inside a group ends with it; \bin data holding "\par" is
  // no paragraph; a backslash before a line end is one; \'xx is a character.
  auto sp = Scan("{\\rtf1{\\sl-30 a\\par}b\\par{\\bin5 \\par}\\'5c\\\nc}", 4, &paras);
  EXPECT_EQ(4u, paras);
  ASSERT_EQ(1u, sp.size());
  EXPECT_EQ(0u, sp[0].paragraph);
  EXPECT_EQ(30, sp[0].twips);
  // Pictures and field instructions hold no paragraphs.
  Scan("{\\rtf1{\\pict\\par 0a0b}{\\field{\\*\\fldinst x\\par}{\\fldrslt y}}\\par z}", 2, &paras);
  EXPECT_EQ(2u, paras);
  // Broken input ends cleanly.
  Scan("{\\rtf1\\sl-", 1, &paras);
  Scan("}}}{\\", 1, &paras);
  Scan(std::string("\\bin99999999999999999999"), 1, &paras);
  // A parameter past 32 bits is held at the limit, never wrapped negative.
  auto big = Scan("{\\rtf1\\sl-99999999999999 a}", 3, &paras);
  ASSERT_EQ(1u, big.size());
  EXPECT_EQ(2147483647, big[0].twips);
}

TEST(RtfSpacing, DeepNestingIsBoundedAndStillRestoresProperties) {
  // A million open groups keep the tracked stack at its bound.
  viewload::RtfSpacingScan deep;
  const std::string open(1 << 20, '{');
  const std::string head = "{\\rtf1\\pard\\sl-40 ";
  deep.Feed(head.data(), head.size());
  deep.Feed(open.data(), open.size());
  EXPECT_EQ(viewload::kMaxRtfGroupDepth, deep.TrackedDepth());
  deep.Finish();
  EXPECT_EQ(1u, deep.Paragraphs());

  // Properties set inside groups beyond the bound end with those groups.
  const std::size_t depth = viewload::kMaxRtfGroupDepth + 50;
  std::string rtf = "{\\rtf1\\pard\\sl-40 a\\par ";
  rtf += std::string(depth, '{') + "\\sl300 deep\\par " + std::string(depth, '}');
  rtf += "b\\par}";
  std::uint32_t paras = 0;
  auto sp = Scan(rtf, 7, &paras);
  EXPECT_EQ(4u, paras);
  ASSERT_EQ(4u, sp.size());  // the empty paragraph after the last \\par too
  EXPECT_EQ(40, sp[0].twips);
  EXPECT_EQ(300, sp[1].twips);  // inside the deep groups
  EXPECT_EQ(viewload::kSpacingExactly, sp[2].rule);  // after them, as before
  EXPECT_EQ(40, sp[2].twips);
}

}  // namespace

// --- what a text view does on an update of all views -----------------------------

namespace {

using app::UpdateCode;
using viewload::PlanUpdate;
using viewload::UpdateState;
using viewload::UpdateStep;

UpdateState Active(UpdateCode code) {
  UpdateState s;
  s.code = code;
  s.loadState = 1;
  s.takesContent = true;
  s.paneIndex = 1;
  return s;
}

}  // namespace

TEST(UpdatePlan, PrintRequestsGoToTheViewThatTakesTheContent) {
  UpdateState s = Active(UpdateCode::kContent);
  s.printRequest = 2;
  auto p = PlanUpdate(s);
  EXPECT_EQ(p.step, UpdateStep::kPrintPreview);
  EXPECT_TRUE(p.consumePrintRequest);
  s.printRequest = 3;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kPrintMargins);
  s.printRequest = 9;  // no such request: cleared, nothing else
  p = PlanUpdate(s);
  EXPECT_EQ(p.step, UpdateStep::kNothing);
  EXPECT_TRUE(p.consumePrintRequest);
  // Another pane leaves the request to the active one and does its update.
  s.printRequest = 1;
  s.takesContent = false;
  p = PlanUpdate(s);
  EXPECT_FALSE(p.consumePrintRequest);
  EXPECT_EQ(p.step, UpdateStep::kNothing);
}

TEST(UpdatePlan, LoadState99RedrawsFromTheViewsOwnBuffer) {
  UpdateState s = Active(UpdateCode::kContent);
  s.loadState = 99;
  s.viewShowsTable = true;
  s.viewHasBuffer = true;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kRescanTable);
  s.viewHasBuffer = false;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kRedrawTable);
  s.viewHasBuffer = true;
  s.code = UpdateCode::kRedrawAll;  // no table change: no rescan
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kRedrawTable);
  s.viewShowsTable = false;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kRedrawOwnText);
  s.takesContent = false;  // every view redraws itself, not only the active one
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kRedrawOwnText);
}

TEST(UpdatePlan, AMacroDebugRequestIsTakenByTheActiveViewOnly) {
  struct Case {
    UpdateCode code;
    std::int32_t debugMode;
    bool active, showsMacro;
    std::int32_t loadState;
    UpdateStep step;
    std::int32_t left;
  } cases[] = {
      {UpdateCode::kFolderChanged, 1001, true, false, 1, UpdateStep::kMacroDebugRun, 1},
      {UpdateCode::kFolderChanged, 1002, true, false, 1, UpdateStep::kMacroDebugRun, 2},
      // A stopped run left load state 99: the request still goes through.
      {UpdateCode::kFolderChanged, 1002, true, false, 99, UpdateStep::kMacroDebugRun, 2},
      {UpdateCode::kFolderChanged, 1001, false, true, 1, UpdateStep::kNothing, 0},
      // Debug mode itself is no request.
      {UpdateCode::kFolderChanged, 1, true, false, 1, UpdateStep::kNothing, 0},
      {UpdateCode::kFolderChanged, 1000, true, false, 1, UpdateStep::kNothing, 0},
      {UpdateCode::kContent, 1001, true, false, 1, UpdateStep::kTakeContent, 0},
      // Code 7 in debug mode shows the appended "Graph" text in the macro's view.
      {UpdateCode::kAfterMouse, 1, false, true, 1, UpdateStep::kMacroGraphText, 0},
      {UpdateCode::kAfterMouse, 1, true, false, 1, UpdateStep::kInvalidate, 0},
      {UpdateCode::kAfterMouse, 0, false, true, 1, UpdateStep::kInvalidate, 0},
  };
  for (const Case& c : cases) {
    UpdateState s = Active(c.code);
    s.macroDebugMode = c.debugMode;
    s.activeView = c.active;
    s.viewShowsMacro = c.showsMacro;
    s.loadState = c.loadState;
    const auto p = PlanUpdate(s);
    EXPECT_EQ(c.step, p.step) << static_cast<int>(c.code) << " " << c.debugMode;
    EXPECT_EQ(c.left, p.macroDebugMode) << static_cast<int>(c.code) << " " << c.debugMode;
  }
}

TEST(UpdatePlan, CodesOfTheTextViews) {
  EXPECT_EQ(PlanUpdate(Active(UpdateCode::kContent)).step, UpdateStep::kTakeContent);
  UpdateState other = Active(UpdateCode::kContent);
  other.takesContent = false;
  EXPECT_EQ(PlanUpdate(other).step, UpdateStep::kNothing);
  // A pane on screen beside the active one shows the new document too, but
  // leaves print requests to the active pane.
  other.shownBeside = true;
  EXPECT_EQ(PlanUpdate(other).step, UpdateStep::kTakeContent);
  other.printRequest = 1;
  EXPECT_FALSE(PlanUpdate(other).consumePrintRequest);
  other.printRequest = 0;
  // 16 n + 1: only pane n, active or not
  UpdateState s = Active(app::HandOverCode(3));
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kNothing);
  s.paneIndex = 3;
  s.takesContent = false;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kHandOver);
  // The macro's hand-over sets load state 99 for it: pane n still takes the
  // text, a table in another pane keeps what it shows.
  for (UpdateCode c : {UpdateCode::kHandOverPane1, UpdateCode::kHandOverPane2, UpdateCode::kHandOverPane3,
                       UpdateCode::kHandOverPane4}) {
    UpdateState h = Active(c);
    h.loadState = 99;
    h.viewShowsTable = true;
    h.viewHasBuffer = true;
    h.paneIndex = app::PaneOfHandOverCode(c);
    EXPECT_EQ(PlanUpdate(h).step, UpdateStep::kHandOver) << static_cast<int>(c);
    h.paneIndex = h.paneIndex % 4 + 1;
    EXPECT_EQ(PlanUpdate(h).step, UpdateStep::kNothing) << static_cast<int>(c);
  }
  EXPECT_EQ(UpdateCode::kHandOverPane3, app::HandOverCode(3));
  EXPECT_EQ(PlanUpdate(Active(UpdateCode::kClearCheckList)).step, UpdateStep::kClearCheckList);
  for (UpdateCode c : {UpdateCode::kMoved, UpdateCode::kRedrawAll, UpdateCode::kAfterMouse})
    EXPECT_EQ(PlanUpdate(Active(c)).step, UpdateStep::kInvalidate) << static_cast<int>(c);
  for (UpdateCode c : {UpdateCode::kNone, UpdateCode::kSearchStopped, UpdateCode::kFolderChanged,
                       UpdateCode::kSideMacro, static_cast<UpdateCode>(81), static_cast<UpdateCode>(18)})
    EXPECT_EQ(PlanUpdate(Active(c)).step, UpdateStep::kNothing) << static_cast<int>(c);
}

TEST(UpdatePlan, ShownFormsAndRedrawStates) {
  using viewload::ShownForm;
  using viewload::ShownFormOf;
  EXPECT_EQ(ShownFormOf(docsvc::kKindCsv), ShownForm::kTable);
  EXPECT_EQ(ShownFormOf(docsvc::kKindCommaTable), ShownForm::kTable);
  EXPECT_EQ(ShownFormOf(docsvc::kKindRichText), ShownForm::kRichText);
  EXPECT_EQ(ShownFormOf(docsvc::kKindBmp), ShownForm::kPicture);
  EXPECT_EQ(ShownFormOf(docsvc::kKindEmf), ShownForm::kPicture);
  EXPECT_EQ(ShownFormOf(docsvc::kKindEmf + 1), ShownForm::kText);
  EXPECT_EQ(ShownFormOf(docsvc::kKindPdf), ShownForm::kText);
  EXPECT_EQ(ShownFormOf(docsvc::kKindMacro), ShownForm::kText);
  for (int r : {40, 38, 37, 999}) EXPECT_TRUE(viewload::RedrawStateArmsRedraw(r)) << r;
  for (int r : {0, 39, 41, 998}) EXPECT_FALSE(viewload::RedrawStateArmsRedraw(r)) << r;
}

TEST(UpdatePlan, AWaitingPictureIsTakenByThePaneThatTakesTheContent) {
  for (UpdateCode c : {UpdateCode::kRedrawAll, UpdateCode::kNone, UpdateCode::kMoved}) {
    UpdateState s = Active(c);
    s.pictureWaiting = true;
    EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kTakePicture) << static_cast<int>(c);
    s.takesContent = false;
    s.shownBeside = true;
    EXPECT_NE(PlanUpdate(s).step, UpdateStep::kTakePicture) << static_cast<int>(c);
  }
  // With the content update the picture goes with the content.
  UpdateState s = Active(UpdateCode::kContent);
  s.pictureWaiting = true;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kTakeContent);
  // A view redrawing its own buffer (load state 99) does not take it.
  s = Active(UpdateCode::kRedrawAll);
  s.pictureWaiting = true;
  s.loadState = 99;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kRedrawOwnText);
}

TEST(UpdatePlan, APendingCaptureIsTakenOnceByThePaneThatTakesTheContent) {
  for (int mode : {1, 2, 40, 41}) {
    UpdateState s = Active(UpdateCode::kRedrawAll);
    s.pendingViewCmd = mode;
    s.pictureWaiting = true;
    EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kCapture) << mode;
    s.takesContent = false;
    s.shownBeside = true;
    EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kNothing) << mode;
  }
  // 99 while a capture runs, 33 a metafile, the write requests: no capture.
  for (int other : {0, 3, 33, 99}) {
    UpdateState s = Active(UpdateCode::kContent);
    s.pendingViewCmd = other;
    EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kTakeContent) << other;
  }
  // A print request still goes first.
  UpdateState s = Active(UpdateCode::kRedrawAll);
  s.pendingViewCmd = 1;
  s.printRequest = 1;
  EXPECT_EQ(PlanUpdate(s).step, UpdateStep::kPrint);
}

TEST(UpdatePlan, MarkedPicturesComeWithPackedTextsAndPlusLines) {
  using viewload::ShowsMarkedPictures;
  EXPECT_TRUE(ShowsMarkedPictures("C:\\a\\b.rtzx", "x", 1, false));
  EXPECT_TRUE(ShowsMarkedPictures("C:\\a\\b.RTZX", nullptr, 0, true));
  EXPECT_TRUE(ShowsMarkedPictures("C:\\a\\b.rtf", "+  title", 8, false));
  EXPECT_FALSE(ShowsMarkedPictures("C:\\a\\b.rtf", "+  title", 8, true));
  EXPECT_FALSE(ShowsMarkedPictures("C:\\a\\b.rtf", "+ title", 7, false));
  EXPECT_FALSE(ShowsMarkedPictures("C:\\a\\b.rtf", "+  ", 2, false));
  EXPECT_FALSE(ShowsMarkedPictures("tzx", "", 0, false));
  EXPECT_FALSE(ShowsMarkedPictures(nullptr, nullptr, 0, false));
}
