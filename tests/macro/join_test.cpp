// The join, shared-memory, web-page and opener statements in whole runs:
// files in a test folder, blocks in the process's own table natively (file
// mappings under Wine), the page and the registry through a recorded host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fw/shared_block.h"
#include "macro/macro_exec_join.h"
#include "macro/macro_exec_mfile.h"
#include "macro/macro_exec_net.h"
#include "macro/macro_sharedmem.h"
#include "run_fixture.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

// The run's host with a file dialog, a page fetch, an opener table and the
// document's text as the open of a page leaves it.
class JoinHost : public macrotest::FakeRunHost {
 public:
  app::DvkDocData* doc = nullptr;
  std::string fileAnswer;  // empty: the dialog is cancelled
  int fileAsks = 0;
  bool AskFileToOpen(const CString&, const CString&, CString* path) override {
    ++fileAsks;
    if (fileAnswer.empty()) return false;
    *path = CString(fileAnswer);
    return true;
  }
  // The page: fetched into "page.htm", whose open gives `pageText`.
  std::string fetched, pageText;
  bool pageOpens = true;
  int FetchAddress(const CString& address, CString* page) override {
    fetched = address.Str();
    *page = "C:\\TMP\\Dorviktmp.htm";
    return pageOpens ? 0 : -1;
  }
  int OpenFile(const CString& path, int mode) override {
    opened.push_back(path.Str() + "|" + std::to_string(mode));
    if (!pageOpens) return -1;
    macrotest::SetDocumentText(*doc, pageText);
    return 0;
  }
  std::string opener;  // the command of ".tst"; other types have none
  int resets = 0;
  CString DefaultOpener(const CString& ext) override { return ext == ".tst" ? CString(opener) : CString(); }
  void SetDefaultAssociations() override { ++resets; }
  CString ResourceString(int id) override { return id == 237 ? "cannot open" : FakeRunHost::ResourceString(id); }
};

class JoinRun : public macrotest::RunFixture<JoinHost> {
 protected:
  JoinRun() : RunFixture(33) { host.doc = doc.get(); }
  void SetTable(const std::string& csvText) {
    ASSERT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 100));
  }
  // The table in comma form.
  std::string Csv() const { return table.FileText(csv::CommaFormKind::kComma); }
  // Writes a file of the test folder; its name is what the statements name
  // (the run's folder is the test folder).
  std::string Write(const char* name, const std::string& bytes) {
    testsupport::WriteFileBytes(folder.File(name), bytes);
    return name;
  }
  int Run(const std::string& statements) {
    SetDocumentText(statements);
    return macro::RunMacro(rc, macro::kRunDocument, CString(folder.File("a.rmc")), "", CString(folder.Path()));
  }
  testsupport::TempProgramFolder folder;
};

TEST_F(JoinRun, LoadAddSkipsTheFilesTitleAndMarkLines) {
  SetTable("name,qty\r\napple,3\r\n");
  const std::string b = Write("b.csv", "~made by hand\r\nname,qty\r\n\"pear, green\",4\r\nfig,5\r\n");
  Run("\tloadadd\t" + b + "\r\n");
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("name,qty\r\napple,3\r\n\"pear, green\",4\r\nfig,5\r\n", Csv());
  EXPECT_EQ(3, table.m_nLastRow);
  // Written as 0: nothing of the file is skipped.
  SetTable("name,qty\r\n");
  Run("\tloadadd0\t" + b + "\r\n");
  EXPECT_EQ("name,qty\r\n~made by hand\r\nname,qty\r\n\"pear, green\",4\r\nfig,5\r\n", Csv());
  // Written as 1: one line.
  SetTable("name,qty\r\n");
  Run("\tloadadd1\t" + b + "\r\n");
  EXPECT_EQ("name,qty\r\nname,qty\r\n\"pear, green\",4\r\nfig,5\r\n", Csv());
}

TEST_F(JoinRun, LoadJoinAndLoadBothMatchTheColumnsByTitle) {
  const std::string b = Write("b.csv", "qty,name,colour\r\n4,pear,green\r\n");
  SetTable("name,qty\r\napple,3\r\n");
  Run("\tloadjoin\t" + b + "\r\n");
  EXPECT_EQ("name,qty\r\napple,3\r\npear,4\r\n", Csv());
  SetTable("name,qty\r\napple,3\r\n");
  Run("\tloadboth\t" + b + "\r\n");
  EXPECT_EQ("name,qty,colour\r\napple,3,\r\npear,4,green\r\n", Csv());
}

TEST_F(JoinRun, LoadAddCancelledMissingAndNotATable) {
  SetTable("a\r\n1\r\n");
  Run("\tloadadd\r\n");  // no operand: the dialog, cancelled
  EXPECT_EQ(1, host.fileAsks);
  EXPECT_EQ("@CANCEL", Var(115));
  EXPECT_EQ("a\r\n1\r\n", Csv());
  Run("\tloadadd\t" + std::string("none.csv") + "\r\n");
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ(0u, host.reports[0].find("2:cannot open\nfile = ")) << host.reports[0];
  EXPECT_EQ("a\r\n1\r\n", Csv());
  const std::string b = Write("b.csv", "a\r\n2\r\n");
  fileKind = 9;  // a text: left as it is
  Run("\tloadadd\t" + b + "\r\n");
  EXPECT_EQ("a\r\n1\r\n", Csv());
  fileKind = 33;
  sourceView = 1;  // the table's source form: likewise
  Run("\tloadadd\t" + b + "\r\n");
  EXPECT_EQ("a\r\n1\r\n", Csv());
}

TEST_F(JoinRun, JoinAllPutsTheFilesRowsBesideTheTable) {
  SetTable("name,qty\r\napple,3\r\npear,4\r\nfig,5\r\n");
  const std::string c = Write("c.csv", "colour,size\r\nred,\"1,5\"\r\ngreen,2\r\n");
  Run("\tjoinall\t" + c + "\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ("name,qty,colour,size\r\napple,3,red,\"1,5\"\r\npear,4,green,2\r\nfig,5,,", Csv());
  EXPECT_EQ(4u, table.m_nFieldCount);
}

TEST_F(JoinRun, KeyJoinsPutTheMatchingRowBesideEachRow) {
  const std::string c = Write("c.csv", "code,colour\r\nB,green\r\nA,red\r\nC,blue\r\n");
  struct Case {
    const char* statement;
    const char* want;
  } const cases[] = {
      // The file's cells go before column num2 + 1; N is the table's key.
      {"joinsingle1,1", "name,code,colour,qty\r\nA,A,red,3\r\nB,B,green,4\r\nB,,,5\r\n"},
      {"joinpart1,2", "name,qty,code,colour\r\nA,3,A,red\r\nB,4,B,green\r\nB,5,B,green\r\n"},
      {"joinboth1,2", "name,qty,code,colour\r\nA,3,A,red\r\nB,4,B,green\r\nB,5,B,green\r\n,,C,blue\r\n"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.statement);
    SetTable("name,qty\r\nB,4\r\nA,3\r\nB,5\r\n");
    host.reports.clear();
    Run(std::string("\t") + k.statement + "\t" + c + "\r\n");
    EXPECT_TRUE(host.reports.empty()) << host.reports[0];
    EXPECT_EQ(k.want, Csv());
  }
  // The columns after the '|': only the colour, the key marked by '#'.
  SetTable("name,qty\r\nB,4\r\nA,3\r\n");
  Run("\tjoinpart1,2\t" + c + "|#1,2\r\n");
  EXPECT_EQ("name,qty,code,colour\r\nA,3,A,red\r\nB,4,B,green\r\n", Csv());
}

TEST_F(JoinRun, AJoinThatFailsEndsTheRun) {
  SetTable("name\r\nA\r\n");
  Run("\tjoinpart\t" + std::string("none.csv") + "\r\n\tloadclip\r\n");
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ(0u, host.reports[0].find("2:cannot open\nfile = ")) << host.reports[0];
  EXPECT_EQ("name\r\nA\r\n", Csv());  // the run ended before loadclip
}

TEST(JoinArgs, KeyJoinArgumentsFromTheCommand) {
  struct Case {
    const char* command;
    std::int32_t numbers[4];
    char option;
    int key, otherKey, insertBefore;
  } const cases[] = {
      {"&Jp", {-1, 0, 0, 0}, 'p', 0, 0, 1},
      {"&Js2,3,4", {2, 3, 4, 0}, 's', 2, 4, 4},
      {"&Jb2,<", {2, 0, 0, 0}, 'b', 2, 4, 1},
      {"&Je", {1, 5, 2, 0}, 'e', 1, 2, 6},
  };
  for (const Case& c : cases) {
    const csv::LinkJoinArgs a = macro::MacroKeyJoinArgs(CString(c.command), c.numbers, CString("1,2"));
    EXPECT_EQ(c.option, a.option1) << c.command;
    EXPECT_EQ(0, a.option2);
    EXPECT_EQ(c.key, a.keyColumn) << c.command;
    EXPECT_EQ(c.otherKey, a.otherKeyColumn) << c.command;
    EXPECT_EQ(c.insertBefore, a.insertBefore) << c.command;
    EXPECT_EQ("1,2", a.otherColumns);
  }
  EXPECT_EQ(9999, macro::MacroConcatSkipLines(-1, true));
  EXPECT_EQ(9999, macro::MacroConcatSkipLines(-3, true));
  EXPECT_EQ(0, macro::MacroConcatSkipLines(0, true));
  EXPECT_EQ(-1, macro::MacroConcatSkipLines(-1, false));
  EXPECT_EQ(2, macro::MacroConcatSkipLines(2, true));
}

// --- shared memory -----------------------------------------------------------

std::string BlockName(const char* tag) { return std::string("TabryeTest_mfile_") + tag; }

TEST_F(JoinRun, SaveMFileThenLoadMFileMovesTheTable) {
  const std::string n = BlockName("move");
  SetTable("name,qty\r\n\"pear, green\",4\r\n");
  const std::string saved = Csv();
  Run("\tsavemfile\t" + n + "\r\n");
  EXPECT_TRUE(host.reports.empty());
  SetTable("x\r\n");
  Run("\tloadmfile\t" + n + "\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(saved, Csv());
  EXPECT_EQ(1, table.m_nLastRow);
  // 'v' stores the size only: in N, or variable 1.
  Run("\tloadmfilev\t" + n + "\r\n\tloadmfilev180\t" + n + "\r\n");
  const std::string size = std::to_string(saved.size());
  EXPECT_EQ(size, Var(1));
  EXPECT_EQ(size, Var(180));
  EXPECT_EQ(saved, Csv());
  // 'a' puts the block's rows below the table, skipping its title.
  SetTable("name,qty\r\nfig,5\r\n");
  Run("\tloadmfilea\t" + n + "\r\n");
  EXPECT_EQ("name,qty\r\nfig,5\r\n\"pear, green\",4\r\n", Csv());
  // 'a' on savemfile adds to the block's text.
  SetTable("more\r\n");
  Run("\tsavemfilea\t" + n + "\r\n");
  Run("\tloadmfile\t" + n + "\r\n");
  EXPECT_EQ(saved + "more\r\n", Csv());
}

TEST_F(JoinRun, LoadMFileOfAMissingBlockGivesAnEmptyTableAndDeleteLetsTheBlockGo) {
  const std::string n = BlockName("gone");
  SetTable("a\r\n");
  Run("\tloadmfile\t" + n + "\r\n");
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(0u, table.m_nTextLen);
  SetTable("a\r\n");
  Run("\tsavemfile\t" + n + "\r\n");
  EXPECT_EQ(3, macro::TransferSharedMemory(n.c_str(), nullptr, 0, 0, 0, 3, 0));
  Run("\tsavemfilec\t" + n + "\r\n");
  EXPECT_TRUE(host.reports.empty());
  // Nothing else holds the block: it is gone.
  EXPECT_EQ(fw::SharedBlock::OpenResult::kMissing, fw::SharedBlock().Open(n.c_str(), false));
  Run("\tloadmfilev\t" + n + "\r\n");
  EXPECT_EQ("0", Var(1));
}

TEST_F(JoinRun, SaveMFileOfMoreThanTenMegabytesIsRefused) {
  const std::string n = BlockName("big");
  std::string big(11000000, 'x');
  big.replace(0, 2, "\r\n");
  ASSERT_TRUE(table.Assign(big.data(), big.size(), 100));
  Run("\tsavemfile\t" + n + "\r\n\tloadclip\r\n");
  ASSERT_EQ(1u, host.boxes.size());
  EXPECT_EQ("mmapfile vol over \n  11 > 10 MB MAX", host.boxes[0]);
  EXPECT_EQ(fw::SharedBlock::OpenResult::kMissing, fw::SharedBlock().Open(n.c_str(), false));
  EXPECT_EQ(11000000u, table.m_nTextLen);  // the run ended before loadclip
}

TEST_F(JoinRun, ABlockWithoutANulIsReadWithinItsSize) {
  const std::string n = BlockName("nonul");
  {
    fw::SharedBlock block;
    ASSERT_TRUE(block.OpenOrCreate(n.c_str(), 4096));
    ASSERT_TRUE(block.Map(0, true));
    const std::size_t size = block.MappedSize();
    std::memset(block.Data(), 'z', size);
    std::memcpy(block.Data(), "a,b\r\n", 5);
    block.KeepUntilExit();
  }
  Run("\tloadmfilev\t" + n + "\r\n");
  EXPECT_EQ("4096", Var(1));
  Run("\tloadmfile\t" + n + "\r\n");
  ASSERT_EQ(4096u, table.m_nTextLen);
  EXPECT_GE(table.m_nWorkSize, 4096u + 1000u);
  EXPECT_EQ(0, table.m_pTextBuf[4096]);
  EXPECT_EQ(0, std::memcmp(table.m_pTextBuf, "a,b\r\nzzz", 8));
  fw::SharedBlock::ReleaseKept(n.c_str());
}

TEST(MFile, BlockSizeByMegabytes) {
  EXPECT_EQ(1000000, macro::MacroSharedBlockSize(0));
  EXPECT_EQ(1000000, macro::MacroSharedBlockSize(999999));
  EXPECT_EQ(2000000, macro::MacroSharedBlockSize(1000000));
  EXPECT_EQ(11000000, macro::MacroSharedBlockSize(10485760));
}

// --- web page and opener -----------------------------------------------------

TEST_F(JoinRun, LoadNetShowsThePageAsAKind35Table) {
  SetTable("old\r\n");
  host.pageText = "Title\r\nsome words\r\n";
  Run("\tloadnet\thttp://127.0.0.1/page.html\r\n");
  EXPECT_EQ("http://127.0.0.1/page.html", host.fetched);
  ASSERT_EQ(1u, host.opened.size());
  EXPECT_EQ("C:\\TMP\\Dorviktmp.htm|1", host.opened[0]);
  EXPECT_EQ(std::string("Title\r\nsome words\r\n"),
            std::string(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen));
  EXPECT_EQ(35u, fileKind);
  EXPECT_EQ(35, doc->m_nFileKind);
  EXPECT_GE(host.redisplays, 1);
}

TEST_F(JoinRun, LoadNetKeepsTheTableWhenThePageIsNotThere) {
  SetTable("old\r\n");
  SetDocumentText("the document's own text");
  host.pageOpens = false;
  Run("\tloadnet\thttp://127.0.0.1/none.html\r\n");
  EXPECT_EQ("old\r\n", Csv());
  EXPECT_EQ(33u, fileKind);
}

TEST(FileReg, ProgramOfTheOpenCommand) {
  struct Case {
    const char* command;
    const char* program;
  } const cases[] = {
      {"\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"", "C:\\Program Files\\Ed\\ed.exe"},
      {"prog.exe %1", "prog.exe"},
      {"prog.exe  %1", "prog.exe "},
      {"\"C:\\a b\\x.exe", "C:\\a b\\x.exe"},
      {"C:\\w\\notepad.exe", "C:\\w\\notepad.exe"},
      {"\"\" %1", ""},
      {"%1", ""},
      {"\"C:\\p.exe \" -x", "C:\\p.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.program, macro::MacroProgramOfCommand(CString(c.command)).Str()) << c.command;
}

TEST_F(JoinRun, FileRegStoresTheProgramOrResetsTheDefaults) {
  host.opener = "\"C:\\Tools\\view.exe\" \"%1\"";
  Run("\tfilereg180\t.tst\r\n\tfilereg\t.tst\r\n\tfilereg181\t.none\r\n");
  EXPECT_EQ("C:\\Tools\\view.exe", Var(180));
  EXPECT_EQ("C:\\Tools\\view.exe", Var(99));
  EXPECT_EQ("", Var(181));
  EXPECT_EQ(0, host.resets);
  Run("\tfilereg\r\n");
  EXPECT_EQ(1, host.resets);
  EXPECT_TRUE(host.reports.empty());
}

}  // namespace
