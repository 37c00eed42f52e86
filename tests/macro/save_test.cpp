// The save statements in whole runs: "save" and "saveadd" write the table's
// file bytes (comma form, TAB form), the read-only question and its answers,
// the instance registration, the state the view keeps after a save; the
// rich-text forms and the blank-aligned text; "savepdf" and "savehtm".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fw/file.h"
#include "macro/macro_exec_save.h"
#include "macro/macro_exec_save_rtf.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_state.h"
#include "run_fixture.h"
#include "support/temp_folder.h"

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

void SetReadOnly(const std::string& path, bool on) {
  CFileStatus s;
  s.m_attribute = on ? CFile::readOnly : CFile::normal;
  CFile::SetStatus(path.c_str(), s);
}

// A window side that answers the save's questions in turn and records the
// view's writers.
class SaveHost : public macrotest::FakeRunHost {
 public:
  std::vector<int> answers;  // ReportMessage results in turn (then 1)
  std::size_t answered = 0;
  bool modified = false;
  std::string viewPath;
  std::vector<std::string> writes;  // "mode:path" of WriteViewDocument, "text:path", "rtf:path"
  int tableSize = 0, viewDisplayFlag = 0, updates = 0;
  std::uint32_t* sourceViewSeen = nullptr;
  std::uint32_t sourceAtWrite = 99;

  int ReportMessage(int code, const CString& text) override {
    reports.push_back(std::to_string(code) + ":" + text.GetString());
    return answered < answers.size() ? answers[answered++] : 1;
  }
  CString ResourceString(int id) override {
    if (id == 329) return "%s is read-only?";
    if (id == 179) return "%s cannot be written";
    return "";
  }
  bool TextModified() override { return modified; }
  int WriteViewDocument(const CString& path, int mode) override {
    writes.push_back(std::to_string(mode) + ":" + path.GetString());
    if (sourceViewSeen) sourceAtWrite = *sourceViewSeen;
    return 0;
  }
  int WriteDocumentText(const CString& path) override {
    writes.push_back(std::string("text:") + path.GetString());
    return 0;
  }
  int SaveViewAsRtf() override {
    writes.push_back("rtf:" + viewPath);
    return 0;
  }
  void SetViewPath(const CString& path) override { viewPath = path.GetString(); }
  void SetTableSizeIndex(int index) override { tableSize = index; }
  void SetViewDisplayFlag(int value) override { viewDisplayFlag = value; }
  void UpdateAllViews() override { ++updates; }
  // The table engine's calls: "cmd,row,page setting during the call".
  std::vector<std::string> tableCalls;
  std::int32_t* pageSetting = nullptr;
  int RunTableCommand(int cmd, int row) override {
    tableCalls.push_back(std::to_string(cmd) + "," + std::to_string(row) + "," +
                         std::to_string(pageSetting ? *pageSetting : -1));
    return 0;
  }
};

class SaveRun : public macrotest::RunFixture<SaveHost> {
 protected:
  SaveRun() : RunFixture(33) {}
  testsupport::TempProgramFolder dir;

  std::string Text() const { return std::string(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen); }
  // The table as the program's CSV load makes it of `csv`.
  void LoadCsv(const std::string& csv) { ASSERT_TRUE(table.LoadFileText(csv.data(), csv.size(), 100)); }
  void SetTable(const std::string& text) { ASSERT_TRUE(table.Assign(text.data(), text.size(), 100)); }
  // The statements run as a macro document of the test folder.
  int Run(const std::string& text) {
    SetDocumentText(text);
    return macro::RunMacro(rc, macro::kRunDocument, CString((dir.Path() + "\\a.rmc").c_str()), "",
                           CString(dir.Path().c_str()));
  }
  std::string In(const std::string& name) const { return dir.Path() + "\\" + name; }
  std::string File(const std::string& name) const { return ReadBytes(dir.File(name)); }
  bool NotAvailable() const {
    for (const std::string& r : host.reports)
      if (r.find("not available yet") != std::string::npos) return true;
    return false;
  }
};

// A file loaded and saved unedited comes back byte for byte, whatever its
// fields hold: commas, quotes, Shift-JIS with a 0x5C second byte, quoted
// line breaks, an empty last field, no line end after the last row.
TEST_F(SaveRun, UneditedTableComesBackByteForByte) {
  const std::string cases[] = {
      "name,note\r\n\"Tanaka, Ichiro\",\"say \"\"hi\"\"\"\r\n",
      "\x95\x5c,\x83\x5c\x83\x74\x83\x67\r\n\"a\r\nb\",c\r\nlast,\r\n",
      "x,\"multi\nline\"\ny,z",
      "t1,t2\r\n,\r\n\r\n",
  };
  for (const std::string& csv : cases) {
    LoadCsv(csv);
    fileKind = 33;
    Run("\tsave\tout.csv\r\n");
    EXPECT_TRUE(host.reports.empty()) << host.reports[0];
    EXPECT_EQ(csv, File("out.csv"));
  }
}

// An edited row (a comma in a field that the table holds unquoted) is
// quoted where the comma form needs it; a table saved under a text name is
// written with TABs.
TEST_F(SaveRun, EditedFieldsAreQuotedAndTextNamesGetTabs) {
  SetTable("a,b\x06" "c\r\n\"q\"\x06" "d\r\n");
  Run("\tsave\tout.csv\r\n");
  EXPECT_EQ("\"a,b\",c\r\n\"q\",d\r\n", File("out.csv"));
  fileKind = 33;
  Run("\tsave\tout.txt\r\n");
  EXPECT_EQ("a,b\tc\r\n\"q\"\td\r\n", File("out.txt"));
  EXPECT_EQ(9u, fileKind);  // the view takes the kind of the name
  // A name of no known kind gets the TAB form too, never the separator bytes.
  fileKind = 33;
  Run("\tsave\tout.dat\r\n");
  EXPECT_EQ("a,b\tc\r\n\"q\"\td\r\n", File("out.dat"));
}

TEST_F(SaveRun, SaveAddSkipsTheTitleOfAFileWithDataAndStartsALineOnlyWhereNeeded) {
  struct Case {
    const char* before;  // nullptr: no file
    const char* command;
    const char* after;
  } const cases[] = {
      {nullptr, "saveadd", "id,v\r\n1,a\r\n2,b\r\n"},                     // a new file: the title too
      {"", "saveadd", "id,v\r\n1,a\r\n2,b\r\n"},                          // an empty file likewise
      {"id,v\r\n0,z\r\n", "saveadd", "id,v\r\n0,z\r\n1,a\r\n2,b\r\n"},    // no empty row
      {"id,v\n0,z\n", "saveadd", "id,v\n0,z\n1,a\r\n2,b\r\n"},            // an LF file too
      {"id,v\r\n0,z", "saveadd", "id,v\r\n0,z\r\n1,a\r\n2,b\r\n"},        // a line started first
      {"id,v\r\n", "saveadd2", "id,v\r\n2,b\r\n"},                        // N title rows
      {"id,v\r\n", "saveadd0", "id,v\r\nid,v\r\n1,a\r\n2,b\r\n"},         // written as 0: none
  };
  for (const Case& c : cases) {
    const std::string path = dir.File("log.csv");
    std::remove(path.c_str());
    if (c.before) WriteBytes(path, c.before);
    LoadCsv("id,v\r\n1,a\r\n2,b\r\n");
    fileKind = 33;
    Run(std::string("\t") + c.command + "\tlog.csv\r\n");
    EXPECT_TRUE(host.reports.empty()) << c.command << " " << host.reports[0];
    EXPECT_EQ(c.after, File("log.csv")) << (c.before ? c.before : "(none)") << " " << c.command;
  }
  // Twice into one log: the rows once each, the title once.
  std::remove(dir.File("twice.csv").c_str());
  LoadCsv("id,v\r\n1,a\r\n");
  Run("\tsaveadd\ttwice.csv\r\n\tsaveadd\ttwice.csv\r\n");
  EXPECT_EQ("id,v\r\n1,a\r\n1,a\r\n", File("twice.csv"));
}

TEST_F(SaveRun, EmptyTableIsNoData) {
  SetTable("");
  Run("\tsave\tout.csv\r\n\tmsg\tafter\r\n");
  ASSERT_EQ(1u, host.boxes.size());
  EXPECT_EQ("No Data Eror", host.boxes[0]);
  EXPECT_FALSE(Exists(dir.File("out.csv")));
}

TEST_F(SaveRun, ReadOnlyTargetYesClearsAndWrites) {
  const std::string path = dir.File("ro.csv");
  WriteBytes(path, "old\r\n");
  SetReadOnly(path, true);
  LoadCsv("a,b\r\n");
  host.answers = {6};
  Run("\tsave\tro.csv\r\n");
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ("4:" + In("ro.csv") + " is read-only?", host.reports[0]);
  EXPECT_EQ("a,b\r\n", File("ro.csv"));
  CFileStatus s;
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), s));
  EXPECT_EQ(0, s.m_attribute & CFile::readOnly);
}

TEST_F(SaveRun, ReadOnlyTargetNoEndsTheRunAndNodispGoesOnWithoutWriting) {
  const std::string path = dir.File("ro.csv");
  WriteBytes(path, "old\r\n");
  SetReadOnly(path, true);
  LoadCsv("a,b\r\n");
  host.answers = {7};
  host.viewPath = "kept";
  Run("\tsave\tro.csv\r\n\tsave\tnext.csv\r\n");
  EXPECT_EQ("old\r\n", File("ro.csv"));
  EXPECT_FALSE(Exists(dir.File("next.csv")));  // the run ended
  EXPECT_EQ("kept", host.viewPath);

  // "nodisp": the report answers 9; the next statement runs, the view keeps
  // its path and its modified flag.
  host.reports.clear();
  host.answers = {9};
  host.answered = 0;
  host.viewPath = "kept";
  Run("\tsave\tro.csv\r\n\tsave\tnext.csv\r\n");
  EXPECT_EQ("old\r\n", File("ro.csv"));
  EXPECT_EQ("a,b\r\n", File("next.csv"));
  EXPECT_EQ(In("next.csv"), host.viewPath);
  SetReadOnly(path, false);
  // Nothing saved: the view keeps its kind too.
  const std::string text = dir.File("ro.txt");
  WriteBytes(text, "old\r\n");
  SetReadOnly(text, true);
  host.answers = {9};
  host.answered = 0;
  fileKind = 33;
  Run("\tsave\tro.txt\r\n");
  EXPECT_EQ(33u, fileKind);
  EXPECT_EQ("old\r\n", File("ro.txt"));
  SetReadOnly(text, false);
}

TEST_F(SaveRun, TargetThatCannotBeOpenedAfterYesReports179) {
  std::filesystem::create_directory(dir.File("adir.csv"));
  LoadCsv("a,b\r\n");
  host.answers = {6};
  Run("\tsave\tadir.csv\r\n\tsave\tnext.csv\r\n");
  ASSERT_EQ(2u, host.reports.size());
  EXPECT_EQ("2:" + In("adir.csv") + " cannot be written", host.reports[1]);
  EXPECT_FALSE(Exists(dir.File("next.csv")));
}

// The executor alone: the end of a run sets the update code and updates the
// views itself.
TEST_F(SaveRun, ClosingStateTakesTheSavedFile) {
  LoadCsv("a,b\r\n");
  st->m_strMacroDir() = CString(dir.Path().c_str());
  doc->m_nActiveSide = 2;
  doc->m_nActiveTextPane = 2;
  sortFlags = 0x3;
  doc->m_nOpenContext = 2;
  auto save = [&] {
    st->m_strStmtCommand = "&S";
    st->m_strStmtOperand = "done.csv";
    st->m_anStmtNumbers[0] = -1;
    return macro::MacroExecSave(rc);
  };
  EXPECT_EQ(macro::Outcome::kNext, save());
  EXPECT_EQ("a,b\r\n", File("done.csv"));
  EXPECT_EQ(In("done.csv"), host.viewPath);
  EXPECT_EQ(In("done.csv"), std::string(doc->m_strPath2));
  EXPECT_EQ("", std::string(doc->m_strPath1));
  EXPECT_EQ(33, doc->m_nFileKind);
  EXPECT_EQ(0, doc->m_nOpenContext);
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(0x1u, sortFlags);
  EXPECT_EQ(1, host.cleared);
  EXPECT_EQ(1, host.updates);
  // Layout state 2: the views are not updated.
  doc->m_nLayoutMode = 2;
  EXPECT_EQ(macro::Outcome::kNext, save());
  EXPECT_EQ(1, host.updates);
  EXPECT_EQ(2, host.cleared);
}

TEST_F(SaveRun, EmptyOperandAsksAndCancelWritesNothing) {
  LoadCsv("a,b\r\n");
  Run("\tsave\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ("@CANCEL", Var(macro::kSlotDocPath));
  EXPECT_EQ("", host.viewPath);
}

TEST_F(SaveRun, MarkedSourceFormsAndEditedTextsGoThroughTheView) {
  host.sourceViewSeen = &sourceView;
  SetTable("plain text\r\n");
  fileKind = 9;
  sourceView = 1;
  Run("\tsave\tsecret.+txt\r\n");
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("1:" + In("secret.+txt"), host.writes[0]);
  EXPECT_EQ(0u, host.sourceAtWrite);  // written from the normal form
  EXPECT_EQ(1u, sourceView);
  // An edited text is the document's to write.
  host.writes.clear();
  sourceView = 0;
  host.modified = true;
  Run("\tsave\tnote.txt\r\n");
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("text:" + In("note.txt"), host.writes[0]);
  EXPECT_FALSE(Exists(dir.File("note.txt")));
  // An unedited text is the buffer's bytes.
  host.modified = false;
  Run("\tsave\tnote.txt\r\n");
  EXPECT_EQ("plain text\r\n", File("note.txt"));
}

// A rich-text view saved under a text name: the document's text (the
// control's text copied back) is what the file gets.
TEST_F(SaveRun, RichTextViewSavedAsTextWritesTheDocumentsText) {
  SetTable("{\\rtf1 old}");
  fileKind = 4;
  st->m_strMacroDir() = CString(dir.Path().c_str());
  SetDocumentText("first line\r\nsecond\r\n");
  st->m_strStmtCommand = "&S";
  st->m_strStmtOperand = "plain.txt";
  EXPECT_EQ(macro::Outcome::kNext, macro::MacroExecSave(rc));
  EXPECT_EQ("first line\r\nsecond\r\n", File("plain.txt"));
  EXPECT_EQ("first line\r\nsecond\r\n", Text());
  EXPECT_EQ(9u, fileKind);
}

// "save" of a name ending in "@@" registers this copy and writes its macro
// file; an older, longer file of that name is cut to the new text.
TEST_F(SaveRun, RegisteringSaveTakesTheNextMarkAndCutsAnOlderFile) {
  std::string image(macro::kInstanceFileSize, '\0');
  image[0] = 1;
  image[1] = 2;
  image[128] = 1;
  image[129] = 2;
  WriteBytes(dir.File("tabrymacro.tmp"), image);
  WriteBytes(dir.File("job@@3.rmc"), std::string(300, 'X'));
  doc->m_strDocBaseName = "C:\\d\\doc";  // slot 126 of the run
  SetTable("\tmsg\tok\r\n");
  fileKind = 9;
  Run("\tsave\tjob@@\r\n");
  EXPECT_EQ("3", Var(macro::kSlotInstanceMark));
  EXPECT_EQ(3, st->m_nMacroInstanceMark);
  const std::string after = File("tabrymacro.tmp");
  ASSERT_EQ(macro::kInstanceFileSize, after.size());
  EXPECT_EQ(3, after[2]);
  EXPECT_EQ(3, after[130]);
  EXPECT_EQ("C:\\d\\doc\\job@@3.rmc", std::string(after.c_str() + 3 * 256));
  EXPECT_EQ("\tmsg\tok\r\n", File("job@@3.rmc"));
  EXPECT_EQ("", host.viewPath);  // the statement ends there

  // 99 in use: no mark is left (100 would lie past the file); the file is
  // written unregistered under the operand.
  std::string full(macro::kInstanceFileSize, '\0');
  full[0] = 99;
  full[128] = 99;
  WriteBytes(dir.File("tabrymacro.tmp"), full);
  st->m_nMacroInstanceMark = 0;
  Run("\tsave\tjob@@\r\n");
  EXPECT_EQ(0, st->m_nMacroInstanceMark);
  EXPECT_EQ(full, File("tabrymacro.tmp"));
  EXPECT_EQ("\tmsg\tok\r\n", File("job@@"));
}

// --- The rich-text forms ----------------------------------------------------

TEST(SaveForms, FormLetterByViewKindAndFields) {
  struct Case {
    char letter;
    int kind;
    std::uint32_t fields;
    char form;
  } const cases[] = {
      {'\0', 4, 3, 'g'}, {'c', 4, 3, 'g'}, {'f', 4, 3, 'f'}, {'a', 4, 3, 'a'},
      {'\0', 33, 1, 'f'}, {'c', 33, 1, 'f'}, {'g', 33, 1, 'g'}, {'a', 33, 1, 'a'},
      {'\0', 33, 2, '\0'}, {'c', 33, 2, 'c'}, {'x', 9, 1, 'x'},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.form, macro::MacroRichSaveForm(c.letter, c.kind, c.fields)) << c.letter << " " << c.kind;
  EXPECT_EQ(105, macro::MacroRuledTableFontSize("&Src"));
  EXPECT_EQ(45, macro::MacroRuledTableFontSize("&Src0"));
  EXPECT_EQ(180, macro::MacroRuledTableFontSize("&Src9"));
}

TEST(SaveForms, QuotesRemovedButDoubleByteCharactersKept) {
  std::string t = "\"a\"\x06\x81\x22x\"\r\n";  // 0x81 0x22 is no quote... nor a character
  std::string u = "\"\x83\x5c\"\x06\"b\"";
  std::uint32_t n = macro::MacroRemoveQuotes(reinterpret_cast<std::uint8_t*>(u.data()), u.size());
  EXPECT_EQ("\x83\x5c\x06" "b", u.substr(0, n));
  n = macro::MacroRemoveQuotes(reinterpret_cast<std::uint8_t*>(t.data()), t.size());
  EXPECT_EQ("a\x06\x81x\r\n", t.substr(0, n));
}

// Column positions: [0] the count, [c] the start of column c, [N + 1] the end.
std::vector<std::uint32_t> Positions(std::initializer_list<std::uint32_t> starts) {
  std::vector<std::uint32_t> p(starts.size() + 1, 0);
  p[0] = static_cast<std::uint32_t>(starts.size() - 1);
  std::size_t k = 1;
  for (std::uint32_t s : starts) p[k++] = s;
  return p;
}

std::string Bar(const std::string& text, const std::vector<std::uint32_t>& pos, std::uint32_t fields) {
  return macro::MacroBarAlignedText(reinterpret_cast<const std::uint8_t*>(text.data()),
                                    static_cast<std::uint32_t>(text.size()), pos.data(),
                                    static_cast<int>(pos.size()), fields);
}

TEST(SaveForms, BarAlignedTextTable) {
  const auto pos = Positions({0, 4, 8, 12});
  struct Case {
    const char* table;
    const char* text;
  } const cases[] = {
      {"ab\x06" "cd\x06" "e\r\n", "ab  |cd |e\r\n"},  // every bar at its column's place
      {"abcdefg\x06" "x\x06" "y\r\n", "abcdefg|x|y\r\n"},              // longer than its column: pushed, not cut
      {"\"q\"\x06\"r,s\"\x06" "t\r\n", " q  | r,s |t\r\n"},              // quotes at the ends become blanks
      {"~note\x06" "here\r\nab\x06" "c\x06" "d\n", " note here\r\nab  |c  |d\n"},  // a comment line
      {"\x95\x5c\x06" "x\x06" "y", "\x95\x5c  |x  |y"},                // a 0x5C second byte is copied
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, Bar(c.table, pos, 3)) << c.table;
  // One field: no bars.
  EXPECT_EQ("ab\r\ncd\r\n", Bar("ab\r\ncd\r\n", Positions({0, 6}), 1));
  // More fields than positions: the rest follow their bars.
  EXPECT_EQ("a   |b|c|d\r\n", Bar("a\x06" "b\x06" "c\x06" "d\r\n", Positions({0, 4}), 4));
}

// Every field starts at its column's place (past its bar) or right after the
// bar that follows a longer field; the text holds every field whole.
TEST(SaveForms, BarAlignedFieldsStartAtTheirColumnsOrAfterALongerField) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 300; ++round) {
    const int cols = 2 + static_cast<int>(rng() % 5), rows = 1 + static_cast<int>(rng() % 6);
    std::vector<std::uint32_t> pos(static_cast<std::size_t>(cols) + 2, 0);
    pos[0] = static_cast<std::uint32_t>(cols);
    for (int c = 2; c <= cols + 1; ++c) pos[c] = pos[c - 1] + 2 + rng() % 8;
    std::string table;
    std::vector<std::vector<std::string>> cells(rows);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        std::string f(rng() % 14, 'a' + static_cast<char>(rng() % 26));
        cells[r].push_back(f);
        table += f;
        if (c + 1 < cols) table += '\x06';
      }
      table += "\r\n";
    }
    const std::string text = Bar(table, pos, static_cast<std::uint32_t>(cols));
    std::size_t at = 0;
    for (int r = 0; r < rows; ++r) {
      const std::size_t lineStart = at;
      for (int c = 0; c < cols; ++c) {
        const std::string& f = cells[r][c];
        std::size_t want = lineStart;
        if (c > 0) {
          // Blanks up to the column's place (none past it), then the bar.
          const std::size_t place = lineStart + pos[c + 1];
          std::size_t pad = at;
          while (pad < place && text[pad] == ' ') ++pad;
          ASSERT_EQ(std::max(at, place), pad) << "round " << round;
          ASSERT_EQ('|', text[pad]) << "round " << round;
          want = pad + 1;
        }
        ASSERT_EQ(f, text.substr(want, f.size())) << "round " << round << " row " << r << " col " << c;
        at = want + f.size();
      }
      ASSERT_EQ("\r\n", text.substr(at, 2));
      at += 2;
    }
    ASSERT_EQ(text.size(), at);
  }
}

TEST_F(SaveRun, RichSaveFormFPutsTheBarTextIntoTheDocument) {
  SetTable("id\x06name\r\n1\x06\"Sato\"\r\n");
  std::vector<std::uint32_t> pos = Positions({0, 4, 10});
  rc.columnPos = pos.data();
  rc.columnPosSlots = static_cast<int>(pos.size());
  Run("\tsavertff\tout.txt\r\n");
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  const std::string want = "id  |name\r\n1   | Sato \r\n";
  EXPECT_EQ(want, std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_EQ(In("out.txt"), host.viewPath);
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("3:" + In("out.txt"), host.writes[0]);
  EXPECT_EQ(4u, fileKind);
  EXPECT_EQ(1, host.viewDisplayFlag);
  EXPECT_EQ(1, doc->m_nDisplayFlag);
}

TEST_F(SaveRun, RichSaveFormsGAndA) {
  SetTable("\"a\"\x06" "b\r\n");
  Run("\tsavertfg\tout.rtf\r\n");
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("3:" + In("out.rtf"), host.writes[0]);
  EXPECT_EQ(In("out.rtf"), host.viewPath);
  EXPECT_EQ("\"a\"\x06" "b\r\n", Text());
  // "a": quotes removed, the rich text saved under the operand (once).
  host.writes.clear();
  fileKind = 33;
  st->m_anStmtNumbers[0] = -1;
  Run("\tsavertfa7\tout2.rtf\r\n");
  EXPECT_EQ("a\x06" "b\r\n", Text());
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("rtf:" + In("out2.rtf"), host.writes[0]);
  EXPECT_EQ(7, host.tableSize);
  EXPECT_EQ(7, doc->m_nTblsiz);
  EXPECT_EQ(1u, editMode);
  EXPECT_EQ(4u, fileKind);
}

TEST_F(SaveRun, PlainSaveOfARichTextNameWritesThatName) {
  host.viewPath = "C:\\data\\sales.csv";
  SetTable("a\x06" "b\r\n");
  Run("\tsave\treport.rtf\r\n");
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("rtf:" + In("report.rtf"), host.writes[0]);  // never sales.rtf
}

// "c": the quotes go as for "a", the engine is called with code 100 at the
// fifth byte's font size while the page-size setting holds the rows + 100,
// the setting comes back, and the view is written under the operand.
TEST_F(SaveRun, RuledTableSaveCallsTheEngineWithTheRaisedPageSetting) {
  host.pageSetting = &doc->m_nBmpfile;
  doc->m_nBmpfile = 40;
  SetTable("\"a\"\x06" "b\r\nc\x06" "d\r\ne\x06" "f\r\n");
  fileKind = 33;
  Run("\tsavertfc5\tout.rtf\r\n");
  EXPECT_FALSE(NotAvailable());
  ASSERT_EQ(1u, host.tableCalls.size());
  EXPECT_EQ("100,120,103", host.tableCalls[0]);  // ('5' - 45) x 15; 3 rows + 100
  EXPECT_EQ(40, doc->m_nBmpfile);
  EXPECT_EQ("a\x06" "b\r\nc\x06" "d\r\ne\x06" "f\r\n", Text());
  ASSERT_EQ(1u, host.writes.size());
  EXPECT_EQ("3:" + In("out.rtf"), host.writes[0]);
  // Without a digit the font size is 105 (the view shows the table again:
  // on a rich-text view every letter but "f" and "a" is "g").
  host.tableCalls.clear();
  fileKind = 33;
  Run("\tsavertfc\tout.rtf\r\n");
  ASSERT_EQ(1u, host.tableCalls.size());
  EXPECT_EQ("100,105,103", host.tableCalls[0]);
}

TEST_F(SaveRun, ThePageSaveIsNotAvailableAndLeavesTheTable) {
  host.reports.clear();
  SetTable("\"a\"\x06" "b\r\n");
  fileKind = 33;
  Run("\tsavepdf\tout.pdf\r\n");
  EXPECT_TRUE(NotAvailable());
  EXPECT_EQ("\"a\"\x06" "b\r\n", Text());
  EXPECT_TRUE(host.writes.empty());
  // Their file dialog: Cancel leaves "@CANCEL" in F and says nothing more.
  host.reports.clear();
  Run("\tsavepdf\r\n");
  EXPECT_EQ("@CANCEL", Var(macro::kSlotDocPath));
  EXPECT_FALSE(NotAvailable());
}

// "savehtm" hands its operand to the view's HTML page and leaves the
// document as the spreadsheet save does; a failed page takes the error exit.
TEST_F(SaveRun, TheHtmlSaveWritesTheOperandAndClosesTheOpenContext) {
  host.operandForHtml = [this] { return std::string(st->m_strStmtOperand); };
  LoadCsv("a,b\r\n");
  st->m_strMacroDir() = CString(dir.Path().c_str());
  auto save = [&] {
    st->m_strStmtCommand = "&Sh";
    st->m_strStmtOperand = "out.html";
    st->m_anStmtNumbers[0] = -1;
    return macro::MacroExecHtmlSave(rc);
  };
  doc->m_nOpenContext = 2;
  EXPECT_EQ(macro::Outcome::kNext, save());
  ASSERT_EQ(1u, host.htmlTargets.size());
  EXPECT_EQ(In("out.html"), host.htmlTargets[0]);
  EXPECT_EQ(0, doc->m_nOpenContext);
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(1, host.updates);
  // A page that failed: the error exit, the document left as it was.
  host.htmlResult = -1;
  doc->m_nOpenContext = 2;
  EXPECT_NE(macro::Outcome::kNext, save());
  EXPECT_EQ(2u, host.htmlTargets.size());
  EXPECT_EQ(2, doc->m_nOpenContext);
  EXPECT_EQ(1, host.updates);
}

TEST(SaveBytes, SkipRowsAndTheLineStartedFirst) {
  const std::string t = "h\x06" "1\r\nr\x06" "2\nlast";
  const auto* b = reinterpret_cast<const std::uint8_t*>(t.data());
  const auto n = static_cast<std::uint32_t>(t.size());
  EXPECT_EQ(0u, macro::MacroSkipRows(b, n, 0));
  EXPECT_EQ(5u, macro::MacroSkipRows(b, n, 1));
  EXPECT_EQ(9u, macro::MacroSkipRows(b, n, 2));
  EXPECT_EQ(n, macro::MacroSkipRows(b, n, 5));
  EXPECT_EQ("\r\nr,2\nlast", macro::MacroSaveBytes(b, n, 33, 1, true, false));
  EXPECT_EQ("h\t1\r\nr\t2\nlast", macro::MacroSaveBytes(b, n, 9, 0, false, false));
  EXPECT_TRUE(macro::MacroIsMarkedSourcePath("C:\\a\\b.+csv"));
  EXPECT_TRUE(macro::MacroIsMarkedSourcePath("b.=txt"));
  EXPECT_FALSE(macro::MacroIsMarkedSourcePath("C:\\a.-b\\file"));
  EXPECT_FALSE(macro::MacroIsMarkedSourcePath("b.csv"));
}

}  // namespace
