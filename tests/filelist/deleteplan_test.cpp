// The list's delete walk: the question sequences for one and several marked
// entries with every answer, folders that are empty, full or stuck, files
// that cannot go, and the records written; then the same walk over real
// folders through the file-system primitives (backups, read-only files in a
// folder, Shift-JIS names with blanks).
#include "filelist/flistcore/deleteplan.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "core/fileops/fileprims.h"
#include "tests/core/fileops/fileprims_support.h"
#include "tests/support/scratch.h"

namespace flist {
namespace {

constexpr int Y = kDeleteAnswerYes, N = kDeleteAnswerNo, C = kDeleteAnswerCancel, O = kDeleteAnswerOk;

// A pane's entry: a name, a folder or a file, marked or not.
struct Entry {
  std::string name;
  bool folder;
  bool marked;
};

// Scripted primitives: every call goes into `log`; folders listed in `full`
// fail the first removal, in `stuck` their tree deletion reports -1; files in
// `locked` cannot be removed.
class FakeSteps : public DeleteSteps {
 public:
  int Ask(DeleteText text, DeleteText caption, DeleteButtons buttons, const std::string& name, int count) override {
    std::string line = "ask " + std::to_string(static_cast<unsigned>(text)) + "/" +
                       std::to_string(static_cast<unsigned>(caption));
    if (text == DeleteText::kDeleteMarked) line += " " + std::to_string(count);
    else if (text != DeleteText::kSomeNotDeleted) line += " " + name;
    log.push_back(line);
    if (buttons == DeleteButtons::kOk) return O;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << line;
      return C;
    }
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string EntryPath(int index) override { return "W\\" + names.at(index); }
  int RemoveFolder(const std::string& path) override {
    log.push_back("rmdir " + path);
    return full.count(path) && !emptied.count(path) ? -1 : 0;
  }
  int RemoveFile(const std::string& path, int mode) override {
    log.push_back("rm " + path + " " + std::to_string(mode));
    return locked.count(path) ? -1 : 0;
  }
  int DeleteTree(const std::string& path, int mode, int confirm, int quiet, int limit) override {
    log.push_back("tree " + path + " " + std::to_string(mode) + std::to_string(confirm) + std::to_string(quiet) + " " +
                  std::to_string(limit));
    if (stuck.count(path)) return -1;
    emptied.insert(path);
    return 0;
  }

  std::vector<std::string> names;
  std::deque<int> answers;
  std::vector<std::string> log;
  std::set<std::string> full, stuck, locked, emptied;
};

// Fills a 16-slot table: entry 0 "..", then the entries.
void Fill(EntryTable& t, FakeSteps& steps, const std::vector<Entry>& entries) {
  ASSERT_TRUE(t.AllocateEntryBuffers(16));
  steps.names = {".."};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int slot = static_cast<int>(i) + 1;
    StoreNameRecord(t.m_pNameRecs, slot, entries[i].name);
    t.SetSize(slot, entries[i].folder ? kSizeFolder : 10, !entries[i].folder);
    t.m_pMarks[slot] = entries[i].marked ? 1 : 0;
    steps.names.push_back(entries[i].name);
  }
  t.m_nEntryCount = static_cast<int>(entries.size()) + 2;
}

struct WalkCase {
  const char* what;
  std::vector<Entry> entries;
  std::set<std::string> full, stuck, locked;
  std::deque<int> answers;
  std::vector<std::string> log;
  std::vector<std::string> records;  // the entries' records afterwards
  bool ended;
};

void CheckWalk(const WalkCase& c) {
  SCOPED_TRACE(c.what);
  EntryTable t;
  FakeSteps steps;
  Fill(t, steps, c.entries);
  steps.full = c.full;
  steps.stuck = c.stuck;
  steps.locked = c.locked;
  steps.answers = c.answers;
  DeleteFlags flags;
  flags.m_bAskNone = 1;  // left from an earlier command: cleared by the walk
  const DeleteOutcome out = RunDelete(t, flags, steps);
  EXPECT_EQ(c.log, steps.log);
  std::vector<std::string> records;
  for (std::size_t i = 0; i < c.entries.size(); ++i)
    records.push_back(GetNameRecord(t.m_pNameRecs, static_cast<int>(i) + 1));
  EXPECT_EQ(c.records, records);
  EXPECT_EQ(c.ended, out.ended);
  EXPECT_TRUE(steps.answers.empty()) << "answers left over";
  // The marks stay whatever happened.
  for (std::size_t i = 0; i < c.entries.size(); ++i)
    EXPECT_EQ(c.entries[i].marked ? 1 : 0, t.m_pMarks[i + 1]) << i;
}

const Entry fa{"a.txt", false, true}, fb{"b.txt", false, true}, fc{"c.txt", false, true};
const Entry dd{"d", true, true}, unmarked{"u.txt", false, false};

TEST(DeleteWalk, AsksRemovesAndRecords) {
  const std::vector<WalkCase> cases = {
        WalkCase{"one file, OK: one question, then its record",
                 {unmarked, fa}, {}, {}, {}, {O},
                 {"ask 166/165 a.txt", "rm W\\a.txt 0"},
                 {"u.txt", "<Deleted> : a.txt"}, false},
        WalkCase{"one file, Cancel: nothing",
                 {fa}, {}, {}, {}, {C}, {"ask 166/165 a.txt"}, {"a.txt"}, false},
        WalkCase{"one empty folder: the one question, no folder question",
                 {dd}, {}, {}, {}, {O}, {"ask 166/165 d", "rmdir W\\d"}, {"[Deleted] : d"}, false},
        WalkCase{"three entries, Yes to 164: no file questions, 167 for the full folder, Yes forces",
                 {fa, dd, fb}, {"W\\d"}, {}, {}, {Y, Y},
                 {"ask 164/165 3", "rm W\\a.txt 0", "rmdir W\\d", "ask 167/168 d", "tree W\\d 110 16", "rmdir W\\d",
                  "rm W\\b.txt 1"},
                 {"<Deleted> : a.txt", "[Deleted] : d", "<Deleted> : b.txt"}, false},
        WalkCase{"No to 167 still deletes the tree, with questions inside",
                 {fa, dd}, {"W\\d"}, {}, {}, {Y, N},
                 {"ask 164/165 2", "rm W\\a.txt 0", "rmdir W\\d", "ask 167/168 d", "tree W\\d 010 16", "rmdir W\\d"},
                 {"<Deleted> : a.txt", "[Deleted] : d"}, false},
        WalkCase{"Cancel to 167 skips the folder only",
                 {dd, fa}, {"W\\d"}, {}, {}, {Y, C},
                 {"ask 164/165 2", "rmdir W\\d", "ask 167/168 d", "rm W\\a.txt 0"},
                 {"d", "<Deleted> : a.txt"}, false},
        WalkCase{"a tree that keeps files: 169, the folder line keeps its name",
                 {dd, fa}, {"W\\d"}, {"W\\d"}, {}, {Y, Y},
                 {"ask 164/165 2", "rmdir W\\d", "ask 167/168 d", "tree W\\d 110 16", "ask 169/168",
                  "rm W\\a.txt 1"},
                 {"d", "<Deleted> : a.txt"}, false},
        WalkCase{"No to 164: each file asked; No skips one",
                 {fa, fb, fc}, {}, {}, {}, {N, Y, N, Y},
                 {"ask 164/165 3", "ask 166/165 a.txt", "rm W\\a.txt 0", "ask 166/165 b.txt", "ask 166/165 c.txt",
                  "rm W\\c.txt 0"},
                 {"<Deleted> : a.txt", "b.txt", "<Deleted> : c.txt"}, false},
        WalkCase{"Cancel to a per-file question leaves the rest untouched",
                 {fa, fb, fc}, {}, {}, {}, {N, Y, C},
                 {"ask 164/165 3", "ask 166/165 a.txt", "rm W\\a.txt 0", "ask 166/165 b.txt"},
                 {"<Deleted> : a.txt", "b.txt", "c.txt"}, true},
        WalkCase{"Cancel to 164: nothing at all",
                 {fa, fb}, {}, {}, {}, {C}, {"ask 164/165 2"}, {"a.txt", "b.txt"}, true},
        WalkCase{"a file that cannot go: 170 OK goes on",
                 {fa, fb}, {}, {}, {"W\\a.txt"}, {Y, O},
                 {"ask 164/165 2", "rm W\\a.txt 0", "ask 170/165 W\\a.txt", "rm W\\b.txt 0"},
                 {"a.txt", "<Deleted> : b.txt"}, false},
        WalkCase{"a file that cannot go: 170 Cancel ends the walk",
                 {fa, fb}, {}, {}, {"W\\a.txt"}, {Y, C},
                 {"ask 164/165 2", "rm W\\a.txt 0", "ask 170/165 W\\a.txt"}, {"a.txt", "b.txt"}, true},
        WalkCase{"lines deleted before are passed over",
                 {{"<Deleted> : a.txt", false, true}, {"[Deleted] : d", true, true}, fb}, {}, {}, {}, {Y},
                 {"ask 164/165 3", "rm W\\b.txt 0"},
                 {"<Deleted> : a.txt", "[Deleted] : d", "<Deleted> : b.txt"}, false}};
  for (const WalkCase& c : cases) CheckWalk(c);
}

TEST(DeleteWalkRecords, ALongNameKeepsItsRecordWithinTheRecordSize) {
  EntryTable t;
  FakeSteps steps;
  Fill(t, steps, {{std::string(250, 'x'), false, true}, {"next", false, false}});
  steps.answers = {O};
  DeleteFlags flags;
  RunDelete(t, flags, steps);
  EXPECT_EQ(std::string("<Deleted> : ") + std::string(243, 'x'), GetNameRecord(t.m_pNameRecs, 1));
  EXPECT_EQ("next", GetNameRecord(t.m_pNameRecs, 2));
}

// The walk over real folders through the primitives, as the pane runs it.
class PrimSteps : public DeleteSteps {
 public:
  PrimSteps(fileops::TestOpsHost& host, const CString& dir, const std::vector<std::string>& names)
      : m_host(host), m_dir(dir), m_names(names) {}
  int Ask(DeleteText text, DeleteText, DeleteButtons buttons, const std::string&, int) override {
    asked.push_back(static_cast<unsigned>(text));
    if (buttons == DeleteButtons::kOk) return O;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string EntryPath(int index) override { return (m_dir + "\\" + m_names.at(index).c_str()).Str(); }
  int RemoveFolder(const std::string& path) override { return fileops::RemoveFolder(m_host, path.c_str(), 0); }
  int RemoveFile(const std::string& path, int mode) override {
    return fileops::RemoveFile(m_host, path.c_str(), mode, 0, 0);
  }
  int DeleteTree(const std::string& path, int mode, int confirm, int quiet, int limit) override {
    return fileops::DeleteDirectoryTree(m_host, path.c_str(), mode, confirm, quiet, 0, limit);
  }
  std::deque<int> answers;
  std::vector<unsigned> asked;

 private:
  fileops::TestOpsHost& m_host;
  CString m_dir;
  std::vector<std::string> m_names;
};

// "表 ソ.txt" and "ソ 表": trail bytes 0x5C and blanks.
const std::string kFileJ = "\x95\x5C \x83\x5C.txt";
const std::string kFolderJ = "\x83\x5C \x95\x5C";

TEST(DeleteWalkOnDisk, MarkedFilesAndAFullFolderGoWithOneBackupEach) {
  testsupport::Scratch s;
  fileops::FixedMay5 day;
  const CString prog = s.Path("prog"), work = s.Path("work");
  ASSERT_TRUE(fw::MakeDir(prog));
  ASSERT_TRUE(fw::MakeDir(work));
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog));
  fileops::TestOpsHost host(prog);
  const std::vector<std::string> names = {"..", "a.txt", kFileJ, "keep.txt", kFolderJ};
  testsupport::WriteBytes(work + "\\a.txt", "alpha");
  testsupport::WriteBytes(work + "\\" + kFileJ.c_str(), "japanese\r\n");
  testsupport::WriteBytes(work + "\\keep.txt", "kept");
  const CString folder = work + "\\" + kFolderJ.c_str();
  ASSERT_TRUE(fw::MakeDir(folder));
  testsupport::WriteBytes(folder + "\\ro.txt", "read-only");
  CFileStatus st;
  st.m_attribute = CFile::readOnly;
  CFile::SetStatus(folder + "\\ro.txt", st);

  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(16));
  for (int i = 1; i < 5; ++i) {
    StoreNameRecord(t.m_pNameRecs, i, names[i]);
    t.SetSize(i, i == 4 ? kSizeFolder : 5, i != 4);
  }
  t.m_pMarks[1] = t.m_pMarks[2] = t.m_pMarks[4] = 1;
  PrimSteps steps(host, work, names);
  steps.answers = {Y, Y};  // 164, then 167
  DeleteFlags flags;
  const DeleteOutcome out = RunDelete(t, flags, steps);
  host.local.SetCurrentDir(fileops::BinRoot().Str());

  EXPECT_EQ((std::vector<unsigned>{164, 167}), steps.asked);
  EXPECT_EQ(3, out.removed);
  EXPECT_EQ("<Deleted> : a.txt", GetNameRecord(t.m_pNameRecs, 1));
  EXPECT_EQ("<Deleted> : " + kFileJ, GetNameRecord(t.m_pNameRecs, 2));
  EXPECT_EQ("keep.txt", GetNameRecord(t.m_pNameRecs, 3));
  EXPECT_EQ("[Deleted] : " + kFolderJ, GetNameRecord(t.m_pNameRecs, 4));
  EXPECT_EQ((std::vector<std::string>{"keep.txt"}), testsupport::FolderNames(work));
  // One dated copy per removed file, byte for byte.
  std::multiset<std::string> copies;
  for (const std::string& n : testsupport::FolderNames(docsvc::BackupDir(prog)))
    copies.insert(testsupport::ReadBytes(docsvc::BackupDir(prog) + "\\" + n.c_str()));
  EXPECT_EQ((std::multiset<std::string>{"alpha", "japanese\r\n", "read-only"}), copies);
}

}  // namespace
}  // namespace flist
