// The list's new file: the preset name, and a file that is created only when
// new, or emptied only after the overwrite question with a dated copy of
// what it held (and, when that copy fails, only after Yes to going on).
#include "filelist/flistcore/newentry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "tests/core/fileops/fileprims_support.h"
#include "tests/support/scratch.h"

namespace flist {
namespace {

TEST(NewEntryPreset, DotsGiveAnEmptyTextOtherNamesThemselves) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"..", ""}, {".", ""}, {"a.txt", "a.txt"}, {"...", "..."}, {"\x95\x5C \x83\x5C.txt", "\x95\x5C \x83\x5C.txt"}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(c.second, NewEntryPreset(c.first)) << c.first;
}

struct NewFileCase {
  const char* what;
  const char* existing;  // bytes already there; nullptr: no file; "/": a folder of that name
  bool confirm;          // the overwrite question's answer
  bool backupFails;
  int noBackupAnswer;    // answer to going on without a backup (0: not asked)
  NewFileResult result;
  const char* after;     // the file's bytes afterwards (nullptr: none, "/": still the folder)
  int asked;             // overwrite questions
  std::vector<std::string> copies;  // backup copies' bytes
};

const std::vector<NewFileCase> kNewFileCases = {
        NewFileCase{"a new name: an empty file, no question", nullptr, true, false, 0, NewFileResult::kCreated, "", 0, {}},
        NewFileCase{"an existing file, Cancel: byte-identical", "keep me\r\n", false, false, 0, NewFileResult::kKept,
                    "keep me\r\n", 1, {}},
        NewFileCase{"an existing file, OK: emptied after its copy", "old text", true, false, 0, NewFileResult::kEmptied,
                    "", 1, {"old text"}},
        NewFileCase{"the copy fails, No: kept", "precious", true, true, fileops::kAnswerNo, NewFileResult::kKept,
                    "precious", 1, {}},
        NewFileCase{"the copy fails, Yes: emptied without a copy", "precious", true, true, fileops::kAnswerYes,
                    NewFileResult::kEmptied, "", 1, {}},
        NewFileCase{"a folder of that name: nothing, no question", "/", true, false, 0, NewFileResult::kFailed, "/", 0,
                    {}}};

TEST(MakeNewFile, NeverEmptiesAFileWithoutTheQuestionAndItsCopy) {
  testsupport::Scratch s;
  fileops::FixedMay5 day;
  int n = 0;
  for (const NewFileCase& c : kNewFileCases) {
    SCOPED_TRACE(c.what);
    fw::filetest::Reset();
    const CString dir = s.Path(std::to_string(++n).c_str());
    const CString prog = dir + "\\prog", work = dir + "\\work";
    ASSERT_TRUE(fw::MakeDir(dir));
    ASSERT_TRUE(fw::MakeDir(prog));
    ASSERT_TRUE(fw::MakeDir(work));
    ASSERT_TRUE(docsvc::EnsureScratchFolders(prog));
    fileops::TestOpsHost host(prog);
    if (c.noBackupAnswer) host.answers.push_back(c.noBackupAnswer);
    // "表 ソ.txt": trail bytes 0x5C and a blank.
    const CString path = work + "\\\x95\x5C \x83\x5C.txt";
    if (c.existing && std::string(c.existing) == "/") {
      ASSERT_TRUE(fw::MakeDir(path));
    } else if (c.existing) {
      testsupport::WriteBytes(path, c.existing);
    }
    if (c.backupFails) fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);
    int asked = 0;
    const NewFileResult r = MakeNewFile(host, path, [&] {
      ++asked;
      return c.confirm;
    });
    fw::filetest::Reset();
    EXPECT_EQ(c.result, r);
    EXPECT_EQ(c.asked, asked);
    const std::uint32_t a = fileops::EntryAttributes(path);
    if (!c.after) {
      EXPECT_EQ(0xFFFFFFFFu, a);
    } else if (std::string(c.after) == "/") {
      EXPECT_TRUE(a != 0xFFFFFFFFu && (a & fileops::kAttrFolder));
    } else {
      EXPECT_EQ(std::string(c.after), testsupport::ReadBytes(path));
    }
    std::vector<std::string> copies;
    for (const std::string& name : testsupport::FolderNames(docsvc::BackupDir(prog)))
      copies.push_back(testsupport::ReadBytes(docsvc::BackupDir(prog) + "\\" + name.c_str()));
    EXPECT_EQ(c.copies, copies);
    ASSERT_EQ(c.noBackupAnswer ? 1u : 0u, host.asked.size());
    if (!host.asked.empty()) {
      EXPECT_EQ(fileops::Text::kDeleteWithoutBackup, host.asked[0].first);
    }
  }
}

}  // namespace
}  // namespace flist
