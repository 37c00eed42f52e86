// The join, shared-memory and opener statements in the running program:
// a table built by "loadadd", "joinall" and "joinpart" against the cells
// Python's csv module builds from the same files (macro_join_reference.py
// wrote them into macro_join_data.h), a table moved to a second copy of the
// program through shared memory, the limits of the shared-memory statements,
// and "filereg" against types registered under HKEY_CLASSES_ROOT.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "fw/shared_block.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_sharedmem.h"
#include "macro/macro_state.h"
#include "macro_join_data.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

// Rows of the table's working buffer, each its cells (0x1F between them)
// with the quotes of the file form taken off ("" inside is one quote).
std::vector<std::string> TableRows(const CDvkView* v) {
  const std::string text(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  std::vector<std::string> rows;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    std::string row;
    std::size_t c = 0;
    for (;;) {
      std::size_t e = line.find('\x06', c);
      std::string cell = line.substr(c, e == std::string::npos ? std::string::npos : e - c);
      if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') {
        cell = cell.substr(1, cell.size() - 2);
        for (std::size_t q = cell.find("\"\""); q != std::string::npos; q = cell.find("\"\"", q + 1)) cell.erase(q, 1);
      }
      row += cell;
      if (e == std::string::npos) break;
      row += '\x1f';
      c = e + 1;
    }
    rows.push_back(row);
    at = end + 2;
  }
  return rows;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t e = text.find(sep, at);
    out.push_back(text.substr(at, e == std::string::npos ? std::string::npos : e - at));
    if (e == std::string::npos) return out;
    at = e + 1;
  }
}

// The records of a comma-separated file, each as its cells joined by 0x1F
// (as the expected table holds them): quoted fields may hold commas, line
// breaks and doubled quotes; records end with CR LF.
std::vector<std::string> CsvRecords(const std::string& text) {
  std::vector<std::string> out;
  std::string rec, cell;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    any = true;
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rec += cell + '\x1f';
      cell.clear();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.push_back(rec + cell);
      rec.clear();
      cell.clear();
      any = false;
    } else {
      cell += c;
    }
  }
  if (any) out.push_back(rec + cell);
  return out;
}

class MacroJoinRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  std::string Block(const char* tag) const {
    return std::string("TabryeJoinTest_") + tag + "_" + std::to_string(GetCurrentProcessId());
  }
};

TEST_F(MacroJoinRunTest, LoadAddJoinAllJoinPartGiveTheTablePythonBuilds) {
  CDvkView* v = OpenTable(std::string(kJoinA, sizeof kJoinA - 1), "a.csv");
  ASSERT_NE(nullptr, v);
  testsupport::WriteFileBytes(File("b.csv"), std::string(kJoinB, sizeof kJoinB - 1));
  testsupport::WriteFileBytes(File("c.csv"), std::string(kJoinC, sizeof kJoinC - 1));
  testsupport::WriteFileBytes(File("d.csv"), std::string(kJoinD, sizeof kJoinD - 1));
  EXPECT_EQ(1, RunFile(v, "\tloadadd\t" + File("b.csv") + "\r\n\tjoinall\t" + File("c.csv") +
                              "\r\n\tjoinpart1,9\t" + File("d.csv") + "\r\n\tsave\t" + File("out.csv") +
                              "\r\n"));
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
  const std::vector<std::string> want = Split(std::string(kJoinExpected, sizeof kJoinExpected - 1), '\n');
  const std::vector<std::string> got = TableRows(v);
  ASSERT_EQ(want.size(), got.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(want[k], got[k]) << "row " << k;
  EXPECT_EQ(static_cast<std::int32_t>(want.size()) - 1, v->m_table.m_nLastRow);
  EXPECT_EQ(8u, v->m_table.m_nFieldCount);
  // The saved file, read as a comma-separated file (quotes doubled inside
  // quoted fields, CR LF between records), holds the same cells.
  const std::vector<std::string> saved = CsvRecords(testsupport::ReadFileBytes(File("out.csv")));
  ASSERT_EQ(want.size(), saved.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(want[k], saved[k]) << "saved row " << k;
}

// The second copy is this test program started again for the case below
// (its own in-process program, a process of its own): it takes the block
// and writes it again under a second name, which this test then reads.
constexpr char kChildEnv[] = "TABRYE_JOIN_CHILD_BLOCKS";

TEST_F(MacroJoinRunTest, SaveMFileInOneCopyLoadMFileInAnother) {
  CDvkView* v = OpenTable(std::string(kJoinA, sizeof kJoinA - 1), "a.csv");
  ASSERT_NE(nullptr, v);
  const std::string first = Block("first"), second = Block("second");
  EXPECT_EQ(1, RunFile(v, "\tsavemfile\t" + first + "\r\n"));
  const std::string table(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());

  char exe[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, exe, sizeof exe), 0u);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=MacroJoinRunTest.SecondCopyTakesTheBlock";
  SetEnvironmentVariableA(kChildEnv, (first + "|" + second).c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessA(exe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kChildEnv, nullptr);
  ASSERT_TRUE(started);
  int len = 0;
  for (int waited = 0; waited < 60000 && len <= 0; waited += 100) {
    len = macro::TransferSharedMemory(second.c_str(), nullptr, 0, 0, 0, 3, 0);
    if (len <= 0) Sleep(100);
  }
  std::string got(static_cast<std::size_t>(len > 0 ? len : 0) + 1, '\0');
  const int read = len > 0 ? macro::TransferSharedMemory(second.c_str(), reinterpret_cast<std::uint8_t*>(&got[0]),
                                                         got.size(), 0, 0, 2, 0)
                           : -1;
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(static_cast<int>(table.size()), read);
  got.resize(static_cast<std::size_t>(read));
  EXPECT_EQ(table, got);
}

// Runs only as the second copy of the case above.
TEST_F(MacroJoinRunTest, SecondCopyTakesTheBlock) {
  char names[512] = {};
  if (GetEnvironmentVariableA(kChildEnv, names, sizeof names) == 0) GTEST_SKIP() << "runs as a second copy only";
  const std::string both = names;
  const std::size_t bar = both.find('|');
  ASSERT_NE(std::string::npos, bar);
  CDvkView* v = OpenTable("x\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tloadmfile\t" + both.substr(0, bar) + "\r\n\tsavemfile\t" + both.substr(bar + 1) + "\r\n"));
  Sleep(60000);  // the block lives while this copy does; the first copy ends it
}

TEST_F(MacroJoinRunTest, SharedMemoryLimitsSizeAndDelete) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  // A block another program filled without a NUL is read within its size.
  const std::string raw = Block("raw");
  fw::SharedBlock block;
  ASSERT_TRUE(block.OpenOrCreate(raw.c_str(), 4096));
  ASSERT_TRUE(block.Map(0, true));
  const std::size_t size = block.MappedSize();
  std::memset(block.Data(), 'z', size);
  std::memcpy(block.Data(), "x,y\r\n", 5);
  block.Unmap();
  EXPECT_EQ(1, RunFile(v, "\tloadmfilev7\t" + raw + "\r\n\tloadmfile\t" + raw + "\r\n"));
  EXPECT_EQ(std::to_string(size), std::string(v->Macro().m_strMacroVars[7].GetString()));
  ASSERT_EQ(size, v->m_table.m_nTextLen);
  EXPECT_EQ(0, v->m_table.m_pTextBuf[size]);
  block.Close();

  // Over 10 MB: refused with the length in megabytes.
  std::string big;
  big.reserve(11000000);
  while (big.size() < 11000000) big += std::string(48, 'q') + "," + std::string(49, 'r') + "\r\n";
  big.resize(11000000);
  ASSERT_TRUE(v->m_table.Assign(big.data(), big.size(), 100));
  fw::hooks::ExpectMessageBox("mmapfile vol over \n  11 > 10 MB MAX", IDOK);
  const std::string over = Block("over");
  RunFile(v, "\tsavemfile\t" + over + "\r\n");
  EXPECT_EQ(fw::SharedBlock::OpenResult::kMissing, fw::SharedBlock().Open(over.c_str(), false));

  // Written, then let go with 'c': nothing else holds it, so it is gone.
  ASSERT_TRUE(v->m_table.Assign("k\r\n", 3, 100));
  const std::string gone = Block("gone");
  EXPECT_EQ(1, RunFile(v, "\tsavemfile\t" + gone + "\r\n"));
  EXPECT_EQ(3, macro::TransferSharedMemory(gone.c_str(), nullptr, 0, 0, 0, 3, 0));
  EXPECT_EQ(1, RunFile(v, "\tsavemfilec\t" + gone + "\r\n"));
  EXPECT_EQ(fw::SharedBlock::OpenResult::kMissing, fw::SharedBlock().Open(gone.c_str(), false));
}

bool SetDefault(const std::string& key, const std::string& value) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

TEST_F(MacroJoinRunTest, FileRegReadsTheProgramOfARegisteredType) {
  CDvkView* v = OpenTable("a\r\n");
  ASSERT_NE(nullptr, v);
  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string quoted = ".tjq" + tag, plain = ".tjp" + tag;
  ASSERT_TRUE(SetDefault(quoted, "TabryeJoinQ" + tag));
  ASSERT_TRUE(SetDefault("TabryeJoinQ" + tag + "\\shell\\open\\command", "\"C:\\Tools\\My View\\view.exe\" \"%1\""));
  ASSERT_TRUE(SetDefault(plain, "TabryeJoinP" + tag));
  ASSERT_TRUE(SetDefault("TabryeJoinP" + tag + "\\shell\\open\\command", "prog.exe %1"));
  // A type that is not registered stores nothing: 181 keeps its program.
  EXPECT_EQ(1, RunFile(v, "\tfilereg181\t" + quoted + "\r\n\tfilereg182\t" + plain + "\r\n\tfilereg181\t.tjnone" +
                              tag + "\r\n"));
  RegDeleteTreeA(HKEY_CLASSES_ROOT, quoted.c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, plain.c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ("TabryeJoinQ" + tag).c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ("TabryeJoinP" + tag).c_str());
  EXPECT_EQ("C:\\Tools\\My View\\view.exe", std::string(v->Macro().m_strMacroVars[181].GetString()));
  EXPECT_EQ("prog.exe", std::string(v->Macro().m_strMacroVars[182].GetString()));
}

}  // namespace
