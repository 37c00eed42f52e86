// The XLSX run's window side for the native oracle tests: no questions
// asked, every message kept, the archive written by the program's own ZIP
// writer with the quick packing the view asks for.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "archive/arc_state.h"
#include "archive/zip_writer.h"
#include "export/xlsx/xlsx_run.h"
#include "fw/path.h"

namespace xlsxtest {

class OracleHost : public xlsx::XlsxRunHost {
 public:
  std::vector<std::string> messages;

  int ReportMessage(int code, const CString& text) override {
    messages.push_back(std::to_string(code) + " " + text.Str());
    return 1;
  }
  void ShowMessage(const CString& text) override { messages.push_back(text.Str()); }
  CString CannotOpenText(const CString& path) override { return CString("cannot open ") + path; }
  int CreateArchive(const CString& folder, const std::vector<CString>& entries, const CString& archiveName) override {
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    fs::current_path(fw::ToPosixPath(folder.GetString()));
    std::vector<std::string> items;
    for (std::size_t i = 1; i < entries.size(); ++i) items.push_back(entries[i].Str());
    arc::ArcState state;
    const arc::ArcOutcome r = arc::WriteZip(state, archiveName.Str(), arc::CollectEntries(items, archiveName.Str()),
                                            nullptr, arc::kQuickZipChain);
    fs::current_path(before);
    return r.Failed() ? -1 : 0;
  }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString& target) override { messages.push_back("write-protected " + target.Str()); }
};

}  // namespace xlsxtest
