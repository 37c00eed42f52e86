// The display, status, system-parameter and save-text statements: their
// keyword readers as tables, and whole runs through a window side that
// records what the statements asked of it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "macro/macro_display_words.h"
#include "macro/macro_exec_savetext.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

using macro::DisplayWords;

// A window side that writes down the display members it was asked for.
class DisplayHost : public macrotest::FakeRunHost {
 public:
  std::vector<std::string> calls;
  std::uint32_t* hideQuotes = nullptr;  // the document's m_bHideQuotes
  app::DvkDocData* doc = nullptr;
  std::vector<unsigned> handOverCodes;  // the update code when a pane took the text
  std::string written;                  // the document's text when it was written
  int writeResult = 0;

  void UndoViewSplit() override { calls.push_back("unsplit"); }
  void ApplyTextLayoutWord(int code) override { calls.push_back("layout " + std::to_string(code)); }
  void ToggleHideQuotes() override {
    calls.push_back("quotes");
    if (hideQuotes) *hideQuotes = *hideQuotes ? 0 : 1;
  }
  void SetColumnSizeDigit(int d) override { calls.push_back("csize " + std::to_string(d)); }
  void SetToolbarWord(int w) override { calls.push_back("tbar word " + std::to_string(w)); }
  void RemoveMainMenu() override { calls.push_back("no menu"); }
  void ApplyBackgroundColor() override { calls.push_back("background"); }
  void ActivateTextPane(int pane) override { calls.push_back("pane " + std::to_string(pane)); }
  void UpdateMenuTexts(int a, int b, int c) override {
    calls.push_back("menu " + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c));
  }
  void ApplyListLayout() override { calls.push_back("list " + std::to_string(doc ? doc->m_nLayoutMode : -1)); }
  void ShowTextInPane(int pane) override {
    calls.push_back("hand over " + std::to_string(pane));
    if (doc) handOverCodes.push_back(static_cast<unsigned>(doc->m_nUpdateCode));
  }
  void ArmMacroResume(int ms) override { calls.push_back("timer " + std::to_string(ms)); }
  int WriteDocumentText(const CString& path) override {
    calls.push_back(std::string("write ") + path.GetString());
    if (doc) written.assign(doc->m_pText, doc->m_nTextLen);
    return writeResult;
  }
  void ConvertPageMarksFile(const CString& path) override { calls.push_back(std::string("marks ") + path.GetString()); }

  bool Called(const std::string& what) const {
    for (const std::string& c : calls)
      if (c == what) return true;
    return false;
  }
};

class DisplayRun : public macrotest::RunFixture<DisplayHost> {
 protected:
  void SetUp() override {
    host.hideQuotes = &doc->m_bHideQuotes;
    host.doc = doc.get();
  }
  void LoadTable(const std::string& csv) {
    ASSERT_TRUE(table.LoadFileText(csv.data(), csv.size(), 1000));
    fileKind = 33;
  }
  std::string TableText() const {
    return std::string(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  }
};

// A statement of a class not built here looks at the run halfway ("registry").
struct Probe {
  explicit Probe(macro::StatementExecutor fn) { macro::SetTestExecutor(2, std::move(fn)); }
  ~Probe() { macro::SetTestExecutor(2, nullptr); }
};

// ---- keyword readers ------------------------------------------------------

TEST(DisplayWords, SplitTextAndTableKeywords) {
  struct Case {
    const char* operand;
    char letter;
    int layout, pane;  // pane 0: no hand-over
    bool ruled, plain;
    int csize;
  };
  const Case cases[] = {
      {"split2V", 0, 2, 0, false, false, -1},
      {"split2Q", 0, 3, 0, false, false, -1},
      {"split2", 0, 1, 0, false, false, -1},
      {"split2 ", 0, 1, 0, false, false, -1},
      {"split4", 0, 9, 0, false, false, -1},
      {"split3", 0, 11, 0, false, false, -1},
      {"split", 0, 0, 0, false, false, -1},    // at the very end: nothing
      {"text3", 0, 0, 1, false, false, -1},    // 1 and 3 swapped
      {"text1", 0, 0, 3, false, false, -1},
      {"text2 text4", 0, 0, 2, false, false, -1},
      {"textx", 0, 0, 1, false, false, -1},    // no pane digit: the first pane
      {"text", 0, 0, 0, false, false, -1},
      {"disptxt quoteoff", 0, 0, 0, false, true, -1},
      {"disprtf", 0, 0, 0, true, false, -1},
      {"", 'r', 0, 0, true, false, -1},
      {"", 't', 0, 0, false, true, -1},
      {"csize:7", 0, 0, 0, false, false, 7},
      {"csize7", 0, 0, 0, false, false, -1},  // the digit is the second byte after it
      {"csize:x", 0, 0, 0, false, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operand);
    const DisplayWords w = macro::MacroReadDisplayWords(c.operand, c.letter);
    EXPECT_EQ(c.layout, w.layoutCode);
    EXPECT_EQ(c.pane != 0, w.handOver);
    if (c.pane) EXPECT_EQ(c.pane, w.handOverPane);
    EXPECT_EQ(c.ruled, w.ruled);
    EXPECT_EQ(c.plain, w.plain);
    EXPECT_EQ(c.csize, w.columnSizeDigit);
  }
  const DisplayWords all = macro::MacroReadDisplayWords("full tbar file list no list no menu sel tbar title", 0);
  EXPECT_TRUE(all.fullToolbar && all.fileList && !all.fullList && all.noList && all.noMenu && all.selToolbar);
  EXPECT_TRUE(all.title && !all.noToolbar);
  // Case-sensitive.
  EXPECT_FALSE(macro::MacroReadDisplayWords("DISPTXT Title", 0).plain);
  EXPECT_FALSE(macro::MacroReadDisplayWords("DISPTXT Title", 0).title);
}

TEST(DisplayWords, TheLaterStatusKeywordWins) {
  struct Case {
    const char* operand;
    int mode;
    bool set;
  };
  const Case cases[] = {{"status off", 2, false},           {"status line", 1, false},
                        {"status on", 0, false},            {"status set", 3, true},
                        {"status set status on", 3, true},  {"status on status off", 0, false},
                        {"nothing", -1, false},             {"status  on", -1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operand);
    const macro::StatusWords w = macro::MacroReadStatusWords(c.operand);
    EXPECT_EQ(c.mode, w.statusMode);
    EXPECT_EQ(c.set, w.showSet);
  }
}

TEST(DisplayWords, BackslashesOfAFileName) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"C:\\\\data\\\\out.txt", "C:\\data\\out.txt"},
      {"C:\\data\\out.txt", "C:\\data\\out.txt"},
      {"\\\\\\\\server\\\\share\\\\out.txt", "\\\\server\\share\\out.txt"},
      {"\\\\server\\share\\out.txt", "\\\\server\\share\\out.txt"},  // a network name keeps both
      {"a\\\\\\b", "a\\\\b"},                                         // three: a pair and one
      {"", ""},
      {"\\", "\\"},
      // "表" is 0x95 0x5C: its second byte and the separator after it are
      // two bytes, not a pair.
      {"C:\\\x95\\\\x.txt", "C:\\\x95\\\\x.txt"},
      {"C:\\\x95\\\\\\x.txt", "C:\\\x95\\\\x.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(c.out, std::string(macro::MacroNormaliseBackslashes(CString(c.in.c_str())).GetString()));
  }
}

TEST(DisplayWords, SystemParameterNamesAndValues) {
  struct Case {
    const char* operand;
    int name;
    std::int32_t value;
  };
  const Case cases[] = {
      {"filevol20", macro::kFilevol, 20971520},
      {"filevol4096", macro::kFilevol, INT_MAX},
      {"filevol2047", macro::kFilevol, 2047 * 1048576},
      {"filevol2048", macro::kFilevol, INT_MAX},  // 2^31 would wrap in 32 bits
      {"textvol99999999999", macro::kTextvol, INT_MAX},
      {"textvol1", macro::kTextvol, 1048576},
      {"csvline500", macro::kCsvline, 500},
      {"texttab 8", macro::kTexttab, 8},
      {"zerodiv-1", macro::kZerodiv, -1},
      {"zerodiv 5", macro::kZerodiv, 5},
      {"-5 zerodiv5", macro::kZerodiv, 5},  // the '-' before the name does not count
      {"bkcolor", macro::kBkcolor, 0},
      {"rtfdisp1", macro::kRtfdisp, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operand);
    const macro::SysParaReading r = macro::MacroReadSysPara(c.operand);
    EXPECT_TRUE(r.found[c.name]);
    EXPECT_EQ(c.value, r.value[c.name]);
    for (int k = 0; k < macro::kSysParaNames; ++k)
      if (k != c.name) EXPECT_FALSE(r.found[k]) << macro::MacroSysParaName(k);
  }
  // Any order, any separators; each reads the first number from its name on.
  const macro::SysParaReading both = macro::MacroReadSysPara("csvclmn30,filevol2;xlsitem");
  EXPECT_EQ(2 * 1048576, both.value[macro::kFilevol]);
  EXPECT_EQ(30, both.value[macro::kCsvclmn]);
  EXPECT_TRUE(both.found[macro::kXlsitem]);
  EXPECT_EQ(0, both.value[macro::kXlsitem]);
}

TEST(DisplayWords, TheSavedTextHasTabsAndAmpersands) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"a\x06" "b\r\n", "a\tb\r\n"},
      {"x\\&y", "x&y"},
      {"\\\\&", "\\&"},
      {"\\&\\&", "&&"},
      {"a&b", "a&b"},
      {"\x95\\&", "\x95\\&"},  // "表&": the 0x5C is the character's second byte
      {std::string("ab\0cd", 5), "ab"},
      {"\x95\x06z", "\x95\tz"},  // a broken character before a separator keeps the TAB
  };
  for (const Case& c : cases) {
    std::vector<char> out(c.in.size() + 1, 'X');
    const std::uint32_t n = macro::MacroSaveTextCopy(reinterpret_cast<const std::uint8_t*>(c.in.data()),
                                                     static_cast<std::uint32_t>(c.in.size()), out.data());
    EXPECT_EQ(c.out, std::string(out.data(), n));
    EXPECT_EQ('\0', out[n]);
  }
}

// ---- system parameters in a run --------------------------------------------

TEST_F(DisplayRun, SystemParametersHoldForTheRunAndTheTenSizesGoBack) {
  doc->m_nIndata = 111;
  doc->m_nOutdata = 222;
  doc->m_nTab = 4;
  doc->m_nFhold = 9;
  doc->m_nBackColorIndex = 1;
  app::DocSettingsFields during;
  std::int32_t savedMark = 0;
  Probe probe([&](macro::MacroRunContext& r) {
    during.m_nIndata = r.docSettings.m_nIndata;
    during.m_nOutdata = r.docSettings.m_nOutdata;
    during.m_nTab = r.docSettings.m_nTab;
    during.m_nFhold = r.docSettings.m_nFhold;
    savedMark = r.state.m_nSysParaSaved;
    return macro::Outcome::kNext;
  });
  EXPECT_EQ(macro::kRunEnded,
            RunDocument("\tsys_para\tfilevol20 textvol4096 texttab8 fldrmax77 bkcolor3 qnodisp1 rtfdisp1 "
                        "zerodiv-1\r\n\tregistry\r\n"));
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(20971520, during.m_nIndata);
  EXPECT_EQ(INT_MAX, during.m_nOutdata);
  EXPECT_EQ(8, during.m_nTab);
  EXPECT_EQ(77, during.m_nFhold);
  EXPECT_EQ(2, savedMark);
  // The ten are back; the colour, the quotes, the edit mode and the value of
  // a division by zero stay.
  EXPECT_EQ(111, doc->m_nIndata);
  EXPECT_EQ(222, doc->m_nOutdata);
  EXPECT_EQ(4, doc->m_nTab);
  EXPECT_EQ(9, doc->m_nFhold);
  EXPECT_EQ(0, st->m_nSysParaSaved);
  EXPECT_EQ(3, doc->m_nBackColorIndex);
  EXPECT_TRUE(host.Called("background"));
  EXPECT_EQ(1u, doc->m_bHideQuotes);
  EXPECT_EQ(3u, editMode);
  EXPECT_EQ(-1, st->m_nZeroDivValue);
}

TEST_F(DisplayRun, ADivisionByZeroGivesTheValueSet) {
  RunDocument(
      "\tdefine\ta,b\r\n\tfor:[a]=#(5/0);[a]==never;[a]=#([a]+1)\r\n\tloop\r\n\tsys_para\tzerodiv-1\r\n"
      "\tfor:[b]=#(5/0);[b]==never;[b]=#([b]+1)\r\n\tloop\r\n");
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("99999999", Var(180));
  EXPECT_EQ("-1", Var(181));
}

TEST_F(DisplayRun, BkcolorNineAndNoNameChangeNothingButTheMark) {
  doc->m_nBackColorIndex = 2;
  doc->m_nIndata = 5;
  std::int32_t savedMark = 0;
  Probe probe([&](macro::MacroRunContext& r) {
    savedMark = r.state.m_nSysParaSaved;
    return macro::Outcome::kNext;
  });
  for (const char* operand : {"bkcolor9", "nothing here", ""}) {
    SCOPED_TRACE(operand);
    host.calls.clear();
    savedMark = 0;
    RunDocument(std::string("\tsys_para\t") + operand + "\r\n\tregistry\r\n");
    EXPECT_EQ(2, savedMark);
    EXPECT_EQ(2, doc->m_nBackColorIndex);
    EXPECT_EQ(5, doc->m_nIndata);
    EXPECT_EQ(99999999, st->m_nZeroDivValue);
    EXPECT_FALSE(host.Called("background"));
  }
}

// ---- display and status in a run -------------------------------------------

TEST_F(DisplayRun, PlainTextWithoutQuotesOnATable) {
  LoadTable("a,b\r\n1,2\r\n");
  editMode = 3;
  RunDocument("\tdispall\tdisptxt quoteoff\r\n");
  EXPECT_EQ(1u, editMode);
  EXPECT_EQ(0u, doc->m_bTableEditMode);
  EXPECT_EQ(1u, doc->m_bHideQuotes);
  const std::vector<std::string> want = {"unsplit", "quotes", "pane 1", "menu 199,0,0"};
  EXPECT_EQ(want, std::vector<std::string>(host.calls.begin(), host.calls.begin() + 4));
  EXPECT_GE(host.redisplays, 1);
  // "quoteon" shows them again; "quoteoff" while hidden does nothing.
  host.calls.clear();
  RunDocument("\tdispall\tquoteoff\r\n");
  EXPECT_FALSE(host.Called("quotes"));
  RunDocument("\tdispall\tquoteon\r\n");
  EXPECT_TRUE(host.Called("quotes"));
  EXPECT_EQ(0u, doc->m_bHideQuotes);
}

TEST_F(DisplayRun, RuledDisplayOnATableAndOnAText) {
  LoadTable("a,b\r\n");
  Probe probe([&](macro::MacroRunContext& r) {
    EXPECT_EQ(3u, *r.view.editMode);
    return macro::Outcome::kNext;
  });
  RunDocument("\tdispall\tdisprtf\r\n\tregistry\r\n");
  EXPECT_EQ(1u, doc->m_bTableEditMode);
  // A view without a table takes kind 4 and activates no pane.
  fileKind = 9;
  host.calls.clear();
  RunDocument("\tdispall\tdisprtf\r\n");
  EXPECT_EQ(4u, fileKind);
  EXPECT_FALSE(host.Called("pane 1"));
}

TEST_F(DisplayRun, LayoutListsMenuToolbarAndTitle) {
  st->m_strMacroVars[161] = "stale";
  RunDocument("\tdefine\tx\r\n\tdefine\t161:ttl=My title\r\n\tdispall\tsplit2V full tbar full list no list no menu title\r\n");
  EXPECT_TRUE(host.Called("layout 2"));
  EXPECT_TRUE(host.Called("tbar word 0"));
  EXPECT_TRUE(host.Called("menu 33,0,9"));
  EXPECT_TRUE(host.Called("list 1"));
  EXPECT_TRUE(host.Called("list 2"));
  EXPECT_TRUE(host.Called("no menu"));
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ("My title", host.titles.back());
  EXPECT_EQ(2, doc->m_nLayoutMode);
}

TEST_F(DisplayRun, ToolbarSetsOnlyOutsideDebugMode) {
  RunDocument("\tdispall\tno tbar\r\n");
  EXPECT_TRUE(host.Called("menu 0,0,99"));
  host.calls.clear();
  RunDocument("\tdispall\tsel tbar\r\n");
  EXPECT_TRUE(host.Called("menu 33,0,98"));
  for (const char* operand : {"no tbar", "sel tbar", ""}) {
    host.calls.clear();
    doc->m_nMacroDebugMode = 5;
    RunDocument(std::string("\tdispall\t") + operand + "\r\n");
    doc->m_nMacroDebugMode = 0;
    for (const std::string& c : host.calls) EXPECT_NE(0u, c.find("menu 0,0,99")) << c;
    for (const std::string& c : host.calls) EXPECT_NE(0u, c.find("menu 33,0,98")) << c;
    for (const std::string& c : host.calls) EXPECT_NE(0u, c.find("menu 199,0,0")) << c;
  }
}

TEST_F(DisplayRun, StatusSetShowsSlot161AndTheTraceStaysAway) {
  RunDocument("\tdefine\tx\r\n\tdefine\t161:ttl=working\r\n\tdisptitle\tstatus on status set\r\n\t[x]=1\r\n\t[x]=2\r\n");
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ(3, st->m_nMacroStatusMode);
  // After "working" only the end of the run writes pane 0.
  std::size_t at = host.status.size();
  for (std::size_t k = 0; k < host.status.size(); ++k)
    if (host.status[k] == "working") at = k;
  ASSERT_LT(at, host.status.size());
  for (std::size_t k = at + 1; k < host.status.size(); ++k) EXPECT_EQ(0u, host.status[k].find("macro end")) << k;
  // "status off" and "title".
  RunDocument("\tdisptitle\tstatus off title\r\n");
  EXPECT_EQ(2, st->m_nMacroStatusMode);
  EXPECT_FALSE(host.titles.empty());
}

TEST_F(DisplayRun, TextToAPaneHandsOverAndTheRunGoesOnAtTheNextStatement) {
  LoadTable("a,b\r\n1,2\r\n");
  const std::string text = "\tdefine\tn,m\r\n\t[n]++\r\n\tdispall\ttext3\r\n\t[m]++\r\n";
  EXPECT_EQ(macro::kRunEnded, RunDocument(text));
  EXPECT_TRUE(host.Called("hand over 1"));
  EXPECT_TRUE(host.Called("timer 100"));
  ASSERT_EQ(1u, host.handOverCodes.size());
  EXPECT_EQ(17u, host.handOverCodes[0]);  // 16 x 1 + 1: "text3" is pane 1
  EXPECT_EQ(TableText(), std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_EQ('\0', doc->m_pText[doc->m_nTextLen + 1]);
  EXPECT_GE(doc->m_nTextCapacity, table.m_nTextLen + 1000);
  EXPECT_GT(st->m_nMacroResumePos, 0);
  EXPECT_EQ("", Var(181));
  EXPECT_EQ(0, doc->m_nLoadState);
  // What timer 25 does: the run again from its resume position.
  host.calls.clear();
  EXPECT_EQ(macro::kRunEnded, RunDocument(text));
  EXPECT_EQ("1", Var(181));
  EXPECT_FALSE(host.Called("hand over 1"));
  EXPECT_EQ(0, st->m_nMacroResumePos);
  // "text1" goes to pane 3 (code 49), "text4" to pane 4 (code 65).
  host.handOverCodes.clear();
  RunDocument("\tdispall\ttext1\r\n");
  st->m_nMacroResumePos = 0;
  RunDocument("\tdispall\ttext4\r\n");
  EXPECT_EQ((std::vector<unsigned>{49u, 65u}), host.handOverCodes);
}

TEST_F(DisplayRun, ADocumentBufferThatCannotGrowTakesNoCopy) {
  LoadTable("a,b\r\n1,2\r\n");
  const std::string text = "\tdefine\tm\r\n\tdispall\ttext2\r\n\t[m]++\r\n";
  bool seen = false;
  for (long n = 1; n < 200 && !seen; ++n) {
    SetDocumentText(text);
    const std::string before(doc->m_pText, doc->m_nTextLen);
    host.boxes.clear();
    host.calls.clear();
    st->m_nMacroResumePos = 0;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m");
    const bool reached = fw::alloctest::Failed() > 0;
    fw::alloctest::Reset();
    if (!reached) break;
    if (host.boxes.empty() || host.boxes[0] != "memory eror (&Ma) 034") continue;
    seen = true;
    EXPECT_EQ(macro::kRunEnded, r);
    EXPECT_EQ(before, std::string(doc->m_pText, doc->m_nTextLen));  // nothing copied
    EXPECT_FALSE(host.Called("hand over 2"));
    EXPECT_FALSE(host.Called("timer 100"));
    EXPECT_EQ("1", Var(180));  // the statement ended, the run went on
    EXPECT_EQ(0, st->m_nMacroResumePos);
  }
  EXPECT_TRUE(seen);
}

// ---- save text ------------------------------------------------------------

TEST_F(DisplayRun, SavetabWritesTabsAndKeepsTheTable) {
  LoadTable("name,note\r\nab,x\\&y\r\n");
  const std::string before = TableText();
  RunDocument("\tsavetab\tC:\\\\out\\\\t.txt\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_TRUE(host.Called("write C:\\out\\t.txt"));
  EXPECT_TRUE(host.Called("marks C:\\out\\t.txt"));
  EXPECT_EQ("name\tnote\r\nab\tx&y\r\n", host.written);
  EXPECT_EQ(33u, fileKind);
  EXPECT_EQ(33, doc->m_nFileKind);
  EXPECT_EQ(before, TableText());
}

TEST_F(DisplayRun, SavetextWritesBlankAlignedTextAndTheViewStaysAText) {
  LoadTable("id,name,qty\r\n1,apple,10\r\n22,kiwi,5\r\n333,fig,1000\r\n");
  sortFlags = 0xF;
  doc->m_nActiveTextPane = 2;
  RunDocument("\tsavetext\t\\\\\\\\srv\\\\share\\\\out.txt\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_TRUE(host.Called("write \\\\srv\\share\\out.txt"));
  EXPECT_EQ(9u, fileKind);
  EXPECT_EQ(0xBu, sortFlags);  // the active pane's bit
  // Every field of a column starts at the same position on every line.
  std::vector<std::string> lines;
  std::size_t p = 0;
  while (p < host.written.size()) {
    std::size_t e = host.written.find("\r\n", p);
    if (e == std::string::npos) e = host.written.size();
    lines.push_back(host.written.substr(p, e - p));
    p = e + 2;
  }
  ASSERT_EQ(4u, lines.size()) << host.written;
  const std::size_t nameAt = lines[0].find("name"), qtyAt = lines[0].find("qty");
  ASSERT_NE(std::string::npos, nameAt);
  EXPECT_EQ(nameAt, lines[1].find("apple"));
  EXPECT_EQ(nameAt, lines[2].find("kiwi"));
  EXPECT_EQ(nameAt, lines[3].find("fig"));
  EXPECT_EQ(qtyAt, lines[3].find("1000"));
  EXPECT_EQ(std::string::npos, host.written.find('\t'));
}

TEST_F(DisplayRun, SavetextOfATextTakesTheDocumentsText) {
  fileKind = 9;
  RunDocument("\tsavetext\tC:\\o.txt\r\n");
  EXPECT_TRUE(host.Called("write C:\\o.txt"));
  EXPECT_EQ(9u, fileKind);
  // The document's text (the macro itself here) went through the buffer.
  EXPECT_EQ("\tsavetext\tC:\\o.txt\r\n", host.written);
  // A text is never shown again from the buffer: it may hold nothing of
  // the text (savetab takes the buffer as it is).
  const int redisplays = host.redisplays;
  RunDocument("\tsavetab\tC:\\o.txt\r\n");
  EXPECT_EQ(redisplays, host.redisplays);
  EXPECT_EQ(9u, fileKind);
}

TEST_F(DisplayRun, SaveTextMemoryFailuresEndTheRunWithTheirCodes) {
  LoadTable("a,b\r\n1,2\r\n");
  bool saw116 = false;
  for (long n = 1; n < 200; ++n) {
    SetDocumentText("\tsavetab\tC:\\o.txt\r\n");
    host.reports.clear();
    host.calls.clear();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m");
    const bool reached = fw::alloctest::Failed() > 0;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(r == macro::kRunEnded || r == macro::kRunStopped);
    if (!host.reports.empty() && host.reports[0] == "116:") {
      saw116 = true;
      EXPECT_FALSE(host.Called("write C:\\o.txt"));
    }
  }
  EXPECT_TRUE(saw116);
}

}  // namespace
