// The common entry of the load, save and join statements: the join
// operand's key text, the dialog filters and the instance file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fw/file.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_state.h"
#include "support/temp_folder.h"
#include "test_host.h"

namespace {

TEST(FileEntry, JoinOperandSplitsAtTheFirstBarOutsideBrackets) {
  struct Case {
    const char* in;
    int want;
  } const cases[] = {
      {"b.csv|2,3", 5},
      {"b.csv", -1},
      {"[a|b].csv|1", 9},
      {"f(x|y)|k|z", 6},
      {"|k", 0},
      {"[open|never", -1},
      {"\x95\x7C.csv|1", 6},  // 0x7C as a trail byte is no bar
  };
  for (const Case& c : cases) {
    EXPECT_EQ(macro::MacroFindJoinBar(CString(c.in)), c.want) << c.in;
  }
}

TEST(FileEntry, DialogFilterFollowsTheLetterAndTheDialogIsAskedForEmptyOrWildcard) {
  EXPECT_STREQ(macro::MacroFileDialogFilter('x'), "xls, xlsx file|*.xls; *.xlsx; |ALL|*.*|| ");
  EXPECT_STREQ(macro::MacroFileDialogFilter('t'), "txt file|*.txt; *.tab; |ALL|*.*|| ");
  EXPECT_STREQ(macro::MacroFileDialogFilter('b'), "txt file|*.txt; *.tab; |ALL|*.*|| ");
  EXPECT_STREQ(macro::MacroFileDialogFilter('a'), "csv file|*.csv|ALL|*.*|| ");
  EXPECT_STREQ(macro::MacroFileDialogFilter('\0'), "csv file|*.csv|ALL|*.*|| ");
  EXPECT_TRUE(macro::MacroWantsFileDialog(CString(""), false));
  EXPECT_FALSE(macro::MacroWantsFileDialog(CString(""), true));
  EXPECT_TRUE(macro::MacroWantsFileDialog(CString("C:\\d\\*.csv"), false));
  EXPECT_FALSE(macro::MacroWantsFileDialog(CString("out.csv"), false));
}

std::vector<std::uint8_t> Image() { return std::vector<std::uint8_t>(macro::kInstanceFileSize, 0); }

TEST(FileEntry, InstanceMarksCountUpAndFillBothListsAndTheBlock) {
  std::vector<std::uint8_t> img = Image();
  EXPECT_EQ(macro::MacroRegisterInstance(img.data(), img.size(), CString("doc\\a1.rmc")), 1);
  EXPECT_EQ(macro::MacroRegisterInstance(img.data(), img.size(), CString("doc\\a2.rmc")), 2);
  EXPECT_EQ(img[0], 1);
  EXPECT_EQ(img[1], 2);
  EXPECT_EQ(img[128], 1);
  EXPECT_EQ(img[129], 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[256])), "doc\\a1.rmc");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[512])), "doc\\a2.rmc");
}

TEST(FileEntry, InstanceMarkRulesAndTheEndsOfTheFile) {
  // A list that an older copy left with a mark above 99: the smallest less one.
  std::vector<std::uint8_t> img = Image();
  img[0] = 100;
  img[1] = 40;
  EXPECT_EQ(macro::MacroRegisterInstance(img.data(), img.size(), CString("p")), 39);
  EXPECT_EQ(img[2], 39);

  // The largest is 99: the next would be 100, whose block lies past the file.
  img = Image();
  img[0] = 99;
  std::vector<std::uint8_t> before = img;
  EXPECT_EQ(macro::MacroRegisterInstance(img.data(), img.size(), CString("p")), 0);
  EXPECT_EQ(img, before);

  // Every position of the list taken.
  img = Image();
  for (int i = 0; i < 100; ++i) img[static_cast<std::size_t>(i)] = 1;
  before = img;
  EXPECT_EQ(macro::MacroRegisterInstance(img.data(), img.size(), CString("p")), 0);
  EXPECT_EQ(img, before);

  // A short image is refused; a long path is cut at 255 bytes, block zero-ended.
  std::vector<std::uint8_t> small(1000, 0);
  EXPECT_EQ(macro::MacroRegisterInstance(small.data(), small.size(), CString("p")), 0);
  img = Image();
  std::fill(img.begin() + 256, img.begin() + 512, 'z');  // stale bytes of an older block
  EXPECT_EQ(macro::MacroRegisterInstance(img.data(), img.size(), CString(std::string(400, 'q').c_str())), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[256])), std::string(255, 'q'));
  EXPECT_EQ(img[511], 0);
}

TEST(FileEntry, FileNamePart) {
  EXPECT_EQ(std::string(macro::MacroFileNamePart(CString("C:\\m\\out1.rmc"))), "out1.rmc");
  EXPECT_EQ(std::string(macro::MacroFileNamePart(CString("c:x.rmc"))), "x.rmc");
  EXPECT_EQ(std::string(macro::MacroFileNamePart(CString("x.rmc"))), "x.rmc");
  EXPECT_EQ(std::string(macro::MacroFileNamePart(CString("\x95\x5Cx.rmc"))), "\x95\x5Cx.rmc");
}

}  // namespace

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct EntryRig {
  testsupport::TempProgramFolder dir;
  macro::MacroState st;
  macrotest::TestHost host;
  EntryRig() { st.m_strMacroDir() = CString(dir.Path().c_str()); }
  macro::FileEntryResult Run(const std::string& operand, char code, char letter, CString* path,
                             CString* key = nullptr, const std::string& text = std::string()) {
    st.m_strStmtOperand = CString(operand.c_str());
    macro::FileEntryRequest req;
    req.code = code;
    req.letter = letter;
    req.text = reinterpret_cast<const std::uint8_t*>(text.data());
    req.textLen = static_cast<std::uint32_t>(text.size());
    CString k;
    return macro::MacroFileEntry(st, host, req, path, key != nullptr ? key : &k);
  }
};

TEST(FileEntryRun, EmptyOrWildcardOperandAsksAndCancelLeavesCancelInF) {
  struct Case {
    const char* operand;
    char letter;
    const char* filter;
    const char* initial;
  } const cases[] = {
      {"", '\0', "csv file|*.csv|ALL|*.*|| ", "C:\\doc\\open.csv"},
      {"*.txt", 't', "txt file|*.txt; *.tab; |ALL|*.*|| ", "*.txt"},
      {"", 'x', "xls, xlsx file|*.xls; *.xlsx; |ALL|*.*|| ", "C:\\doc\\open.csv"},
  };
  for (const Case& c : cases) {
    EntryRig rig;
    rig.st.m_strMacroVars[macro::kSlotDocPath] = "C:\\doc\\open.csv";
    CString path("untouched");
    EXPECT_EQ(rig.Run(c.operand, 'S', c.letter, &path), macro::FileEntryResult::kCancelled);
    ASSERT_EQ(rig.host.fileAsks.size(), 1u);
    EXPECT_EQ(rig.host.fileAsks[0].filter, c.filter);
    EXPECT_EQ(rig.host.fileAsks[0].initialName, c.initial);
    EXPECT_EQ(std::string(rig.st.m_strMacroVars[macro::kSlotDocPath]), "@CANCEL");
    EXPECT_EQ(std::string(path), "untouched");
    EXPECT_EQ(rig.st.m_tMacroRefTime, 0);
  }
  // OK: the chosen file is the operand; no dialog for a named file.
  EntryRig rig;
  rig.host.fileAnswer = "C:\\d\\pick.csv";
  CString path;
  EXPECT_EQ(rig.Run("", 'L', '\0', &path), macro::FileEntryResult::kGo);
  EXPECT_EQ(std::string(path), "C:\\d\\pick.csv");
  EXPECT_EQ(rig.Run("named.csv", 'L', '\0', &path), macro::FileEntryResult::kGo);
  EXPECT_EQ(rig.host.fileAsks.size(), 1u);
}

TEST(FileEntryRun, ReferenceTimeForSavesAndJoinsNotForLoads) {
  EntryRig rig;
  const std::string file = rig.dir.File("ref.csv");
  WriteBytes(file, "a,b\r\n");
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus(file.c_str(), status));
  const std::int64_t mtime = status.m_mtime.GetTime();
  ASSERT_NE(mtime, 0);
  CString path;
  rig.Run("ref.csv", 'L', '\0', &path);
  EXPECT_EQ(rig.st.m_tMacroRefTime, 0);
  rig.Run("ref.csv", 'J', 'a', &path);
  EXPECT_EQ(rig.st.m_tMacroRefTime, mtime);
  rig.st.m_tMacroRefTime = 0;
  rig.Run("ref.csv", 'S', 'a', &path);
  EXPECT_EQ(rig.st.m_tMacroRefTime, mtime);
  rig.st.m_tMacroRefTime = 7;
  rig.Run("missing.csv", 'S', '\0', &path);  // no file: the time stays
  EXPECT_EQ(rig.st.m_tMacroRefTime, 7);
}

TEST(FileEntryRun, JoinOperandGivesTheFileAndTheKeyText) {
  EntryRig rig;
  CString path, key;
  EXPECT_EQ(rig.Run("b.csv|2,3", 'J', 'p', &path, &key), macro::FileEntryResult::kGo);
  EXPECT_EQ(std::string(path), rig.dir.Path() + "\\b.csv");
  EXPECT_EQ(std::string(key), "2,3");
  // Only a join splits: a load keeps the bar in its name.
  EXPECT_EQ(rig.Run("b.csv|2", 'L', '\0', &path, &key), macro::FileEntryResult::kGo);
  EXPECT_EQ(std::string(key), "");
}

TEST(FileEntryRun, RegisteringSaveWritesTheInstanceFileAndCutsAnOlderMacroFile) {
  EntryRig rig;
  rig.st.m_strMacroVars[macro::kSlotDocName] = "C:\\doc";
  // An older, longer instance macro file under the name the first mark gives.
  WriteBytes(rig.dir.File("run@@1.rmc"), std::string(500, 'X'));
  CString path;
  EXPECT_EQ(rig.Run("run@@", 'S', '\0', &path, nullptr, "msg \"a\"\r\n"), macro::FileEntryResult::kRegistered);
  EXPECT_EQ(rig.st.m_nMacroInstanceMark, 1);
  EXPECT_EQ(std::string(rig.st.m_strMacroVars[macro::kSlotInstanceMark]), "1");
  EXPECT_EQ(std::string(path), rig.dir.Path() + "\\run@@1.rmc");
  EXPECT_EQ(ReadBytes(rig.dir.File("run@@1.rmc")), "msg \"a\"\r\n");
  const std::string image = ReadBytes(rig.dir.File("tabrymacro.tmp"));
  ASSERT_EQ(image.size(), macro::kInstanceFileSize);
  EXPECT_EQ(image[0], 1);
  EXPECT_EQ(image[128], 1);
  EXPECT_EQ(std::string(image.c_str() + 256), "C:\\doc\\run@@1.rmc");

  // A second copy takes mark 2; a full list still writes the file, unregistered.
  EXPECT_EQ(rig.Run("run@@", 'S', '\0', &path, nullptr, "x"), macro::FileEntryResult::kRegistered);
  EXPECT_EQ(rig.st.m_nMacroInstanceMark, 2);
  std::string full(macro::kInstanceFileSize, '\0');
  full[0] = 99;
  WriteBytes(rig.dir.File("tabrymacro.tmp"), full);
  EXPECT_EQ(rig.Run("run@@", 'S', '\0', &path, nullptr, "y"), macro::FileEntryResult::kRegistered);
  EXPECT_EQ(rig.st.m_nMacroInstanceMark, 2);
  EXPECT_EQ(ReadBytes(rig.dir.File("tabrymacro.tmp")), full);
  EXPECT_EQ(ReadBytes(rig.dir.File("run@@")), "y");
}

}  // namespace
