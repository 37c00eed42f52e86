// A file-operations host for tests: real folders (or an in-memory tree),
// scripted answers to the questions, a record of every question and title,
// the counters in the host, and an Esc that comes at a chosen poll.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/fileops/fileprims.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"
#include "tests/support/scratch.h"

namespace fileops {

class TestOpsHost : public FileOpsHost {
 public:
  explicit TestOpsHost(const CString& programDir) : m_programDir(programDir) {}

  FolderHost& Folders() override {
    if (memory) return *memory;
    return local;
  }
  std::int32_t& TreeDepth() override { return depth; }
  std::int32_t& TreeFiles() override { return files; }
  std::uint64_t& TreeBytes() override { return bytes; }
  bool EscapeConfirmed() override { return escAt > 0 && ++escPolls >= escAt; }
  void SetTitle(Text text) override { titles.push_back(text); }
  int Ask(Text text, const CString& path, Buttons buttons) override {
    asked.emplace_back(text, path.Str());
    if (buttons == Buttons::kOk) return kAnswerOk;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question " << static_cast<unsigned>(text) << " " << path.GetString();
      return kAnswerCancel;
    }
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  CString KeyCode() override { return key; }
  CString ProgramDir() override { return m_programDir; }

  // The ids of the questions asked, in order.
  std::vector<unsigned> AskedIds() const {
    std::vector<unsigned> out;
    for (const auto& a : asked) out.push_back(static_cast<unsigned>(a.first));
    return out;
  }

  LocalFolderHost local;
  MemoryFolderHost* memory = nullptr;
  std::int32_t depth = 0, files = 0;
  std::uint64_t bytes = 0;
  int escAt = 0, escPolls = 0;
  std::vector<Text> titles;
  std::deque<int> answers;
  std::vector<std::pair<Text, std::string>> asked;
  CString key;

 private:
  CString m_programDir;
};

// The build tree's root as a program path: the walks leave the process's
// current directory where they stopped, and a folder that is the current
// directory cannot be removed on Windows, so tests step out before their
// scratch folder goes.
inline CString BinRoot() {
  std::string root = TABRYE_BIN_ROOT;
  for (char& c : root)
    if (c == '/') c = '\\';
  return CString(root.c_str());
}

// Whether a file or folder is there (a link counts, whatever it points to).
inline bool Exists(const CString& path) { return EntryAttributes(path) != 0xFFFFFFFFu; }

// Every path below `dir` (relative, "/"-joined; folders end in "/") with
// each file's bytes, for before-and-after comparisons.
inline void ListTree(const CString& dir, const std::string& prefix, std::set<std::string>* out) {
  for (const std::string& n : testsupport::FolderNames(dir)) {
    const CString full = dir + "\\" + n.c_str();
    const std::uint32_t a = EntryAttributes(full);
    if ((a & kAttrFolder) && !(a & kAttrReparse)) {
      out->insert(prefix + n + "/");
      ListTree(full, prefix + n + "/", out);
    } else {
      out->insert(prefix + n + "=" + ((a & kAttrReparse) ? std::string("link") : testsupport::ReadBytes(full)));
    }
  }
}

inline std::set<std::string> TreeListing(const CString& dir) {
  std::set<std::string> s;
  ListTree(dir, "", &s);
  return s;
}

// The clock on 5 May 2026 at noon (UTC; the same local date in every zone
// the tests run in) while the object lives.
struct FixedMay5 {
  FixedMay5() { fw::clocktest::Fix(1777982400); }  // 2026-05-05 12:00:00 UTC
  ~FixedMay5() { fw::clocktest::Release(); }
};

}  // namespace fileops
