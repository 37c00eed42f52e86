// The merge run's host in tests: the program's own ZIP writer and reader
// in place of the document's archive entries, messages and questions
// recorded.
#pragma once

#include <string>
#include <vector>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "export/merge/merge_run.h"
#include "fw/cstring.h"
#include "fw/path.h"
#include "support/in_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace mergetest {

// ZIPs the items of `folder` into `zip`; 0 or -1.
inline int ZipFolder(const CString& folder, const std::vector<std::string>& items, const std::string& zip) {
  testsupport::InFolder in(folder);
  if (!in.ok) return -1;
  std::vector<arc::WalkEntry> found = arc::CollectEntries(items, zip);
  if (found.empty()) return -1;
  arc::ArcState st;
  return arc::WriteZip(st, zip, found, nullptr, arc::kQuickZipChain).Failed() ? -1 : 0;
}

inline int Unzip(const CString& zip, const CString& folder) {
  fw::MakeDir(folder);
  arc::ArcState st;
  arc::DiskTarget disk(fw::FullPath(folder.Str()));
  const arc::ArcOutcome r = arc::UnzipOwn(st, zip.Str(), 1, 0, nullptr, false, disk);
  return r.Failed() || r.result < 0 ? -1 : 0;
}

struct Host : merge::MergeRunHost {
  std::vector<std::string> reports, messages, asked;
  bool answerYes = false;
  int ReportMessage(int code, const CString& text) override {
    reports.push_back(std::to_string(code) + ":" + text.GetString());
    return 1;
  }
  void ShowMessage(const CString& text) override { messages.push_back(text.GetString()); }
  CString CannotOpenText(const CString& path) override { return "cannot open " + path; }
  int CreateArchive(const CString& folder, const std::vector<CString>& entries, const CString& name) override {
    std::vector<std::string> items;
    for (std::size_t i = 1; i < entries.size(); ++i) items.push_back(entries[i].GetString());
    archived = items;
    // The document's archive entry reports its own failure.
    if (ZipFolder(folder, items, name.GetString()) < 0) {
      messages.push_back("archive");
      return -1;
    }
    return 0;
  }
  bool AskMakeWritable(const CString& target) override {
    asked.push_back(target.GetString());
    return answerYes;
  }
  void ShowWriteProtected(const CString& target) override { messages.push_back("protected " + target.Str()); }
  int UnzipArchive(const CString& zipPath, const CString& folder) override { return Unzip(zipPath, folder); }

  std::vector<std::string> archived;
  std::size_t Said() const { return reports.size() + messages.size() + asked.size(); }
};

}  // namespace mergetest
