// The load statements: the conversions of a loaded text, the data of a
// label, the unpack folder, the letter variables, and whole runs of "load",
// "loadtext", 'b', "loadmacro", "loadsub", "loaddata" and "loadzip" over
// files in a test folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "fw/file.h"
#include "fw/path.h"
#include "macro/macro_exec_load.h"
#include "macro/macro_lookup.h"
#include "macro/macro_state.h"
#include "macro/macro_template.h"
#include "run_fixture.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

std::string Sep(std::string s) {
  for (char& c : s)
    if (c == '|') c = '\x06';
  return s;
}

std::string TableText(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
}

// --- Raw loads ----------------------------------------------------------

TEST(LoadRaw, CsvFileGivesTheTableTheProgramsOwnLoadGives) {
  const std::string cases[] = {
      "a,\"b,c\",d\r\n1,2,3\r\n",
      "name,memo\r\nx,\"line1\r\nline2\"\r\ny,\"z\"\r\n",   // a quoted line break
      "\x95\\\x8E\x9A,\"\x83|,x\"\r\n1,2\r\n",                // Shift-JIS with 0x5C and 0x7C trail bytes
      "a,b\r\n\"open,c\r\nd,e\r\n",                            // a quote never closed
      "",
  };
  for (const std::string& text : cases) {
    csv::Table byMacro, byMenu;
    std::string bytes = text;
    bool converted = false;
    ASSERT_TRUE(macro::MacroLoadRawIntoTable(byMacro, reinterpret_cast<std::uint8_t*>(&bytes[0]), bytes.size(), true,
                                             false, &converted));
    ASSERT_TRUE(byMenu.LoadFileText(text.data(), text.size(), 1000));
    EXPECT_TRUE(converted);
    EXPECT_EQ(TableText(byMacro), TableText(byMenu)) << text;
    EXPECT_EQ(byMacro.m_nLastRow, byMenu.m_nLastRow);
    // Saved again, the file comes back byte for byte.
    EXPECT_EQ(byMacro.FileText(csv::CommaFormKind::kComma), text);
  }
}

TEST(LoadRaw, QuotedLineBreakStaysInItsCell) {
  csv::Table t;
  std::string bytes = "k,v\r\n1,\"a\r\nb\"\r\n";
  ASSERT_TRUE(macro::MacroLoadRawIntoTable(t, reinterpret_cast<std::uint8_t*>(&bytes[0]), bytes.size(), true, false,
                                           nullptr));
  EXPECT_EQ(TableText(t), Sep("k|v\r\n1|\"a\x7F\x0E" "b\"\r\n"));
  EXPECT_EQ(t.m_nLastRow, 1);
}

TEST(LoadRaw, DetectionDecidesForOtherTextsAndLeadBytesBeforeLowBytesBlank) {
  struct Case {
    const char* text;
    bool csvKind, keepText, converted;
    const char* table;
  } const cases[] = {
      {"a,b\r\nc,d\r\n", false, false, true, "a|b\r\nc|d\r\n"},
      {"a\tb\tc\r\nd\te\r\n", false, false, false, "a\tb\tc\r\nd\te\r\n"},       // TABs: no table
      {"a;b;c;d;e;f\r\nx,y\r\n", false, false, true, "a;b;c;d;e;f\r\nx|y\r\n"},  // a comma, no bars
      {"a,b\r\n", false, true, false, "a,b\r\n"},                               // 't' keeps the text
      {"x\x81\x31,y\r\n", true, false, true, "x 1|y\r\n"},                      // lead byte before '1'
      {"a,\"q\r\nr\"\r\n", false, false, true, "a|\"q\r\nr\"\r\n"},             // not a CSV: breaks stay rows
      {"\"q\r\nr\",s\r\n", false, false, false, "\"q\r\nr\",s\r\n"},           // its comma is quoted
      {"plain\r\n", true, false, true, "plain\r\n"},                            // a CSV kind counts one comma
  };
  for (const Case& c : cases) {
    csv::Table t;
    std::string bytes = c.text;
    bool converted = !c.converted;
    ASSERT_TRUE(macro::MacroLoadRawIntoTable(t, reinterpret_cast<std::uint8_t*>(&bytes[0]), bytes.size(), c.csvKind,
                                             c.keepText, &converted));
    EXPECT_EQ(converted, c.converted) << c.text;
    EXPECT_EQ(TableText(t), Sep(c.table)) << c.text;
  }
  // Five bars outweigh one comma: the text stays as it is.
  csv::Table t;
  std::string bars = "a|b|c|d|e|f\r\nx,y\r\n";
  bool converted = true;
  ASSERT_TRUE(macro::MacroLoadRawIntoTable(t, reinterpret_cast<std::uint8_t*>(&bars[0]), bars.size(), false, false,
                                           &converted));
  EXPECT_FALSE(converted);
  EXPECT_EQ(TableText(t), "a|b|c|d|e|f\r\nx,y\r\n");
}

// --- TAB text, converted kinds, rich text --------------------------------

TEST(LoadConvert, TabTextQuotesFieldsWithCommas) {
  struct Case {
    const char* in;
    const char* out;
  } const cases[] = {
      {"a\tb,c\td\r\n", "a|\"b,c\"|d\r\n"},
      {"\"x,y\"\tz\r\n", "\"x,y\"|z\r\n"},  // already quoted
      {"1,2\r\n3\t\r\n", "\"1,2\"\r\n3|\r\n"},
      {"a\t", "a|"},
      {"", ""},
      {"\x95\\,\tk", "\"\x95\\,\"|k"},
  };
  for (const Case& c : cases) {
    const std::string in = c.in;
    EXPECT_EQ(macro::MacroTabTextToTable(reinterpret_cast<const std::uint8_t*>(in.data()), in.size()), Sep(c.out))
        << c.in;
  }
}

TEST(LoadConvert, ConvertedKindsSkipTheHeadingAndABarTableLosesItsLastLine) {
  struct Case {
    const char* in;
    bool bars;
    const char* out;
  } const cases[] = {
      {"heading\r\na|b\r\nc|d\r\n----\r\n", true, "a\x06" "b\r\nc\x06" "d\r\n"},
      {"heading\r\na\tb\r\nc\td\r\n", false, "a\x06" "b\r\nc\x06" "d\r\n"},
      {"h\r\n\x83|x|y\r\nend", true, "\x83|x\x06y\r\n"},  // 0x7C as a trail byte stays
      {"only one line", false, ""},
      {"", true, ""},
  };
  for (const Case& c : cases) {
    const std::string in = c.in;
    EXPECT_EQ(macro::MacroConvertedToTable(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), c.bars),
              std::string(c.out))
        << c.in;
  }
  // A heading longer than 200 bytes is cut at 200.
  const std::string longHead = std::string(250, 'h') + "\r\nx\ty\r\n";
  EXPECT_EQ(macro::MacroConvertedToTable(reinterpret_cast<const std::uint8_t*>(longHead.data()), longHead.size(), false),
            std::string(50, 'h') + "\r\nx\x06y\r\n");
  EXPECT_TRUE(macro::MacroConvertedKindUsesBars(3));
  EXPECT_TRUE(macro::MacroConvertedKindUsesBars(37));
  EXPECT_FALSE(macro::MacroConvertedKindUsesBars(11));
}

TEST(LoadConvert, RichTextAsTabText) {
  std::string s = "a\x06" "b. c .d..e";
  macro::MacroRichTextAsTabText(reinterpret_cast<std::uint8_t*>(&s[0]), s.size());
  EXPECT_EQ(s, "a\tb  c  d  e");
}

// --- Data after a label ---------------------------------------------------

TEST(LoadData, LabelDataEndAtADollarLine) {
  struct Case {
    const char* text;
    const char* label;
    bool found;
    const char* data;
  } const cases[] = {
      {"\tloaddata\t:tbl\r\n\tE\r\n:tbl\r\n\tab,1\r\ncd,2\r\n$\r\n", ":tbl", true, "ab,1\r\ncd,2\r\n"},
      {":tbl\r\nold\r\n$\r\n:tbl\tx\r\nnew\r\n$end\r\n", ":tbl", true, "new\r\n"},   // the last label
      {":tbl2\r\nno\r\n$\r\n", ":tbl", false, ""},                                   // another name
      {":tbl\r\nno end\r\n", ":tbl", false, ""},                                     // no '$' line
      {":tbl\r\n$$head\r\n\tAB1\r\nAC2\r\n$\r\n", ":tbl", true, "$$head\r\nAB1\r\nAC2\r\n"},
      {":tbl\n$\n", ":tbl", true, ""},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    std::string data = "x";
    EXPECT_EQ(macro::MacroDataAfterLabel(text.data(), text.size(), c.label, &data), c.found) << c.text;
    EXPECT_EQ(data, c.found ? c.data : "") << c.text;
  }
}

// --- The unpack folder and the letter variables ---------------------------

TEST(LoadZip, TargetFolder) {
  struct Case {
    const char* command;
    const char* archive;
    bool arcTmp;
    const char* target;
    bool below;
  } const cases[] = {
      {"&Lz", "C:\\d\\a.zip", false, "C:\\d\\", false},
      {"&Lzout\\sub", "C:\\d\\a.zip", false, "C:\\m\\out\\sub\\", true},
      {"&LzD:\\x", "C:\\d\\a.zip", false, "D:\\x\\", false},
      {"&Lz\\\\srv\\s", "C:\\d\\a.zip", false, "\\\\srv\\s\\", false},
      {"&Lzout", "C:\\d\\a.zip", true, "C:\\ARCHTMP\\", false},
      {"&Lz", "a.zip", false, "C:\\m\\", true},
  };
  for (const Case& c : cases) {
    bool below = !c.below;
    EXPECT_EQ(macro::MacroZipTarget(CString(c.command), CString(c.archive), CString("C:\\m"), c.arcTmp, &below).Str(),
              std::string(c.target))
        << c.command;
    EXPECT_EQ(below, c.below) << c.command;
  }
  EXPECT_TRUE(macro::MacroIsLzhPath(CString("a.LZH")));
  EXPECT_FALSE(macro::MacroIsLzhPath(CString("a.lzh.zip")));
  EXPECT_FALSE(macro::MacroIsLzhPath(CString("lzh")));
}

TEST(LoadLetters, PathParts) {
  struct Case {
    const char* path;
    const char *F, *f, *P, *G, *g;
  } const cases[] = {
      {"C:\\d\\sales.csv", "C:\\d\\sales.csv", "C:\\d\\sales", "C:\\d", "sales.csv", "sales"},
      {"C:\\a.b\\noext", "C:\\a.b\\noext", "C:\\a.b\\noext", "C:\\a.b", "noext", "noext"},
      {"plain.txt", "plain.txt", "plain", "plain.txt", "plain.txt", "plain"},
      {"C:\\\x95\\\\t.x.csv", "C:\\\x95\\\\t.x.csv", "C:\\\x95\\\\t.x", "C:\\\x95\\", "t.x.csv", "t.x"},
  };
  for (const Case& c : cases) {
    auto st = std::make_unique<macro::MacroState>();
    macro::MacroSetFileLetters(*st, CString(c.path));
    EXPECT_EQ(st->m_strMacroVars['F' + 45].Str(), c.F);
    EXPECT_EQ(st->m_strMacroVars['f' + 45].Str(), c.f);
    EXPECT_EQ(st->m_strMacroVars['P' + 45].Str(), c.P);
    EXPECT_EQ(st->m_strMacroVars['G' + 45].Str(), c.G);
    EXPECT_EQ(st->m_strMacroVars['g' + 45].Str(), c.g);
  }
}

// --- Whole runs ------------------------------------------------------------

// A window side with a recorded clipboard (every write kept), a document
// whose open fills its text from `docTexts` (by path) or the file, the file
// dialog, the layout dialog and the archive readers.
class LoadHost : public macrotest::FakeRunHost {
 public:
  app::DocTextFields* doc = nullptr;
  std::vector<std::string> clips;
  std::string programDir;
  int reportAnswer = 1;
  bool dialogOk = false;
  std::string dialogPath;
  std::vector<std::string> filters;
  bool layoutOk = false;
  std::string layoutAnswer;
  std::string layoutOffered;
  std::vector<std::string> unpacked;
  std::vector<std::string> spliced;
  int openResult = 0;

  bool SetClipboardText(const CString& text) override {
    clips.push_back(text.Str());
    return true;
  }
  CString ProgramDir() override { return CString(programDir); }
  int ReportMessage(int code, const CString& text) override {
    reports.push_back(std::to_string(code) + ":" + text.GetString());
    return reportAnswer;
  }
  bool AskFileToOpen(const CString& filter, const CString&, CString* path) override {
    filters.push_back(filter.Str());
    if (dialogOk) *path = CString(dialogPath);
    return dialogOk;
  }
  int OpenFile(const CString& path, int mode) override {
    opened.push_back(std::string(path.GetString()) + "#" + std::to_string(mode));
    if (openResult < 0) return openResult;
    std::string bytes;
    CFile f;
    if (f.Open(path, CFile::modeRead)) {
      bytes.assign(static_cast<std::size_t>(f.GetLength()), '\0');
      if (!bytes.empty()) f.Read(&bytes[0], static_cast<UINT>(bytes.size()));
      f.Close();
    }
    macrotest::SetDocumentText(*static_cast<app::DvkDocData*>(doc), bytes);
    return 0;
  }
  int RunMacroInput(macro::MacroInputRequest& r) override {
    layoutOffered = r.text.Str();
    if (!layoutOk) return macro::kDialogCancel;
    if (!layoutAnswer.empty()) r.text = CString(layoutAnswer);
    return macro::kDialogOk;
  }
  int UnpackZip(const CString& a, const CString& t, int mode) override {
    unpacked.push_back("zip " + a.Str() + " " + t.Str() + " " + std::to_string(mode));
    return 0;
  }
  int UnpackLzh(const CString& a, const CString& t) override {
    unpacked.push_back("lzh " + a.Str() + " " + t.Str());
    return 0;
  }
  void ShowSplicedMacroText(const CString& text) override { spliced.push_back(text.Str()); }
};

class LoadRun : public macrotest::RunFixture<LoadHost> {
 protected:
  testsupport::TempProgramFolder dir;
  void SetUp() override {
    host.doc = doc.get();
    fw::MakeDir(dir.File("prog").c_str());
    host.programDir = ProgramPath(dir.File("prog"));
  }
  // A program path ("Z:\\..." is the root natively) of a file written in the test folder.
  static std::string ProgramPath(const std::string& native) {
    std::string p = native;
    for (char& c : p)
      if (c == '/') c = '\\';
    return p.size() >= 2 && p[1] == ':' ? p : "Z:" + p;
  }
  std::string Dir() const { return ProgramPath(dir.Path()); }
  std::string Put(const std::string& name, const std::string& bytes) {
    testsupport::WriteFileBytes(dir.File(name), bytes);
    return ProgramPath(dir.File(name));
  }
  int Run(const std::string& text) {
    SetDocumentText(text);
    return macro::RunMacro(rc, macro::kRunDocument, CString(Dir() + "\\a.rmc"), "", CString(Dir()));
  }
  std::string Comma() const { return table.FileText(csv::CommaFormKind::kComma); }
};

TEST_F(LoadRun, LoadCsvMakesTheTableAndTheLetterVariables) {
  const std::string csvText = "name,memo\r\n\"a,b\",\"x\r\ny\"\r\n\x95\\,2\r\n";
  const std::string path = Put("sales.csv", csvText);
  EXPECT_EQ(macro::kRunEnded, Run("\tload\t" + path + "\r\n"));
  EXPECT_EQ(fileKind, 33u);
  EXPECT_EQ(doc->m_nFileKind, 33);
  EXPECT_EQ(table.m_nLastRow, 2);
  EXPECT_EQ(Comma(), csvText);
  EXPECT_EQ(Var('F' + 45), path);
  EXPECT_EQ(Var('G' + 45), "sales.csv");
  EXPECT_EQ(Var('g' + 45), "sales");
  EXPECT_EQ(Var('P' + 45), Dir());
  EXPECT_EQ(Var('f' + 45), path.substr(0, path.size() - 4));
  EXPECT_EQ(doc->m_strCurFile.Str(), path);
  // A load sets no reference time.
  EXPECT_EQ(st->m_tMacroRefTime, 0);
}

TEST_F(LoadRun, FileIsLookedForInTheProgramFolderThenTheMacroFolder) {
  testsupport::WriteFileBytes(dir.File("prog") + "/p.csv", "from,program\r\n");
  Put("m.csv", "from,macro\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\tload\tC:\\nowhere\\p.csv\r\n"));
  EXPECT_EQ(Comma(), "from,program\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\tload\tC:\\nowhere\\m.csv\r\n"));
  EXPECT_EQ(Comma(), "from,macro\r\n");
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(LoadRun, MissingFileAsksAndOkGoesOnCancelEnds) {
  Run("\tload\tC:\\nowhere\\none.csv\r\n\tsaveclip\tafter\r\n");
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.reports[0].substr(0, 2), "3:");
  EXPECT_NE(host.reports[0].find("\nfile = C:\\nowhere\\none.csv\n  cmnd = 0"), std::string::npos) << host.reports[0];
  EXPECT_EQ(host.clips, std::vector<std::string>{"after"});
  host.reportAnswer = 2;
  host.clips.clear();
  Run("\tload\tC:\\nowhere\\none.csv\r\n\tsaveclip\tafter\r\n");
  EXPECT_TRUE(host.clips.empty());
}

TEST_F(LoadRun, CancelledDialogLeavesCancelInF) {
  Run("\tload\r\n");
  ASSERT_EQ(host.filters.size(), 1u);
  EXPECT_EQ(host.filters[0], "csv file|*.csv|ALL|*.*|| ");
  EXPECT_EQ(Var(115), "@CANCEL");
  Run("\tloadtext\r\n");
  EXPECT_EQ(host.filters.back(), "txt file|*.txt; *.tab; |ALL|*.*|| ");
  host.dialogOk = true;
  host.dialogPath = Put("picked.csv", "p,q\r\n");
  Run("\tload\r\n");
  EXPECT_EQ(Comma(), "p,q\r\n");
}

TEST_F(LoadRun, TextFileWithTKeepsItsTextAndCsvWithTShowsTabs) {
  Run("\tloadtext\t" + Put("t.txt", "a,b\r\nc\r\n") + "\r\n");
  EXPECT_EQ(fileKind, 33u);
  EXPECT_EQ(TableText(table), "a,b\r\nc\r\n");
  Run("\tloadtext\t" + Put("c.csv", "a,\"b,c\"\r\n") + "\r\n");
  EXPECT_EQ(fileKind, 9u);
  EXPECT_EQ(TableText(table), "a\t\"b,c\"\r\n");
}

TEST_F(LoadRun, TabTextWithBIsQuotedAndPadded) {
  const std::string path = Put("t.tab", "h1\th2\th3\r\na,b\tc\r\nx\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\t&Lb\t" + path + "\r\n"));
  ASSERT_EQ(host.opened.size(), 1u);
  EXPECT_EQ(host.opened[0], path + "#1");
  EXPECT_EQ(fileKind, 33u);
  EXPECT_EQ(Comma(), "h1,h2,h3\r\n\"a,b\",c,\r\nx,,\r\n");
}

TEST_F(LoadRun, ConvertedKindBarTableAndItsSettingsRestored) {
  // A document converter's output for a ".doc" file (kind 2): heading, '|' rows, closing rule.
  const std::string path = Put("w.doc", "[doc]\r\n\x83|a|b\r\nc|d\r\n+--+\r\n");
  doc->m_nIndata = 5;
  EXPECT_EQ(macro::kRunEnded, Run("\tload\t" + path + "\r\n"));
  EXPECT_EQ(fileKind, 33u);
  EXPECT_EQ(TableText(table), "\x83|a\x06" "b\r\nc\x06" "d\r\n");
  EXPECT_EQ(doc->m_nIndata, 5);
  host.openResult = -1;
  EXPECT_EQ(macro::kRunEnded, Run("\tload\t" + path + "\r\n\tsaveclip\tnot reached\r\n"));
  EXPECT_TRUE(host.clips.empty());
}

TEST_F(LoadRun, LetterPCutsByTheLayoutOrKeepsTheConversion) {
  // The converter's heading, then blank-aligned columns.
  const std::string path =
      Put("r.pdf", "[page 1]\r\nName  Qty  Price\r\napple 3    12000\r\npear  123  80\r\n");
  host.layoutOk = true;  // OK on the layout as offered
  EXPECT_EQ(macro::kRunEnded, Run("\tloadpdf\t" + path + "\r\n"));
  EXPECT_FALSE(host.layoutOffered.empty());
  EXPECT_EQ(fileKind, 33u);
  EXPECT_EQ(host.layoutOffered, "5,1s,3,2s,5");
  EXPECT_EQ(Comma(), "Name,Qty,Price\r\napple,3,12000\r\npear,123,80\r\n");
  // A layout of the user's: the first column 5 bytes wide, the rest of the
  // line one field (its blanks dropped).
  host.layoutAnswer = "5,p";
  EXPECT_EQ(macro::kRunEnded, Run("\tloadpdf\t" + path + "\r\n"));
  EXPECT_EQ(Comma(), "Name,QtyPrice\r\napple,312000\r\npear,12380\r\n");
  // Cancel: the plain conversion of the kind.
  host.layoutOk = false;
  EXPECT_EQ(macro::kRunEnded, Run("\tloadpdf\t" + path + "\r\n"));
  EXPECT_EQ(TableText(table), "Name  Qty  Price\r\napple 3    12000\r\npear  123  80\r\n");
}

TEST_F(LoadRun, LoadSubRunsTheFileThenGoesOn) {
  const std::string sub = Put("sub.rmc", "\tsaveclip\tB\r\n\tsaveclip\tB2");
  EXPECT_EQ(macro::kRunEnded, Run("\tsaveclip\tA\r\n\tloadsub\t" + sub + "\r\n\tsaveclip\tC\r\n"));
  EXPECT_EQ(host.clips, (std::vector<std::string>{"A", "B", "B2", "C"}));
}

TEST_F(LoadRun, LoadMacroReplacesTheRestAndKeepsTheTextAfterTheCode) {
  const std::string m2 = Put("m2.rmc", "\tsaveclip\tB\r\n");
  EXPECT_EQ(macro::kRunEnded,
            Run("\tsaveclip\tA\r\n:go\tloadmacro\t" + m2 + "\r\n\tsaveclip\tC\r\n"));
  EXPECT_EQ(host.clips, (std::vector<std::string>{"A", "B"}));
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(Var(100), "");
  host.clips.clear();
  EXPECT_EQ(macro::kRunEnded, Run("\t&Lrtail\t" + m2 + "\r\n\tsaveclip\tC\r\n"));
  EXPECT_EQ(host.clips, (std::vector<std::string>{"B"}));
  EXPECT_EQ(Var(100), "tail");
  EXPECT_GT(st->m_nInsertedMacroEnd, 0);
}

TEST_F(LoadRun, LoadSubGraphInsertsTheTemplateWithItsHeader) {
  // The executor on a statement as the loop leaves it: the position at the
  // line break that ends it.
  std::string text = "\tloadsub\t:Graph\r\n\tE\r\n";
  st->m_strStmtCommand = "&Ls";
  st->m_strStmtOperand = ":Graph";
  st->m_anStmtCommandAt = {1, 2, 3};
  st->m_nMacroPos = 16;
  doc->m_nMacroDebugMode = 1;
  EXPECT_EQ(macro::MacroExecLoad(rc, &text), macro::Outcome::kNext);
  std::string tpl = macro::BuildMacroTemplate();
  if (tpl.size() < 2 || tpl.compare(tpl.size() - 2, 2, "\r\n") != 0) tpl += "\r\n";
  EXPECT_EQ(text, "\tloadsub\t:Graph\r\n\n\n:Graph\t\n" + tpl + "\tE\r\n");
  EXPECT_EQ(st->m_nMacroPos, 16u);  // the run goes on into the inserted text
  EXPECT_EQ(host.spliced, std::vector<std::string>{text});  // shown in debug mode
  EXPECT_EQ(st->m_nInsertedMacroEnd, 0);
}

TEST_F(LoadRun, LoadDataFromAFileAndFromALabelGiveTheSameIndex) {
  const std::string lines = "$$keys\r\nAB,1\r\nAC,2\r\nBA,3\r\n";
  const std::string file = Put("d.txt", lines);
  EXPECT_EQ(macro::kRunEnded, Run("\tloaddata\t" + file + "\r\n"));
  ASSERT_EQ(st->m_nMacroLookupLen, lines.size());
  std::vector<std::uint32_t> fromFile(st->m_aMacroLookupIndex, st->m_aMacroLookupIndex + macro::kLookupIndex);
  std::vector<std::uint32_t> expected(macro::kLookupIndex);
  macro::MacroIndexLookupData(lines.data(), static_cast<std::uint32_t>(lines.size()), expected.data());
  EXPECT_EQ(fromFile, expected);
  EXPECT_NE(fromFile[macro::MacroLookupKey('A', 'B')], 0u);

  EXPECT_EQ(macro::kRunEnded, Run("\tloaddata\t:tbl\r\n\tE\r\n:tbl\r\n\t$$keys\r\n\tAB,1\r\n\tAC,2\r\nBA,3\r\n$\r\n"));
  EXPECT_EQ(std::string(st->m_pMacroLookup, st->m_nMacroLookupLen), lines);
  EXPECT_EQ(std::vector<std::uint32_t>(st->m_aMacroLookupIndex, st->m_aMacroLookupIndex + macro::kLookupIndex),
            expected);
}

TEST_F(LoadRun, LoadZipUnpacksBelowTheMacroFolder) {
  const std::string zip = Put("a.zip", "PK");
  const std::string lzh = Put("b.LZH", "-lh5-");
  Run("\tloadzip\t" + zip + "\r\n\tloadzipout\\x\t" + lzh + "\r\n");
  ASSERT_EQ(host.unpacked.size(), 2u);
  EXPECT_EQ(host.unpacked[0], "zip " + zip + " " + Dir() + "\\ 3");
  EXPECT_EQ(host.unpacked[1], "lzh " + lzh + " " + Dir() + "\\out\\x\\");
  CFileStatus status;
  EXPECT_TRUE(CFile::GetStatus((Dir() + "\\out\\x").c_str(), status));
}

}  // namespace
