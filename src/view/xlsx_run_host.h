// The host the spreadsheet export and the merge run get from the view:
// messages through ReportMessage and the message box, the document's archive
// writer in the scratch tree and its unpacking (the current folder put back
// on every path), the delivery's questions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "export/merge/merge_run.h"
#include "export/xlsx/xlsx_conditions.h"
#include "fw/cstring.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "host/doc_host.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace view {

// The current folder, put back when the scope ends.
class KeepCurrentFolder {
 public:
  KeepCurrentFolder() {
    wchar_t buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, buf);
    if (n > 0 && n < MAX_PATH * 4) dir_.assign(buf, n);
  }
  ~KeepCurrentFolder() {
    if (!dir_.empty()) SetCurrentDirectoryW(dir_.c_str());
  }
  KeepCurrentFolder(const KeepCurrentFolder&) = delete;
  KeepCurrentFolder& operator=(const KeepCurrentFolder&) = delete;

 private:
  std::wstring dir_;
};

class ViewRunHost : public merge::MergeRunHost {
 public:
  ViewRunHost(CDvkView& view, app::DocHost* doc) : view_(view), doc_(doc), selector_(view) {}

  int ReportMessage(int code, const CString& text) override { return view_.ReportMessage(code, text); }
  void ShowMessage(const CString& text) override { AfxMessageBox(text); }
  CString CannotOpenText(const CString& path) override {
    CString s;
    s.LoadString(IDS_CANNOT_OPEN_FILE);
    return s + "\nfile = " + path;
  }
  int CreateArchive(const CString& folder, const std::vector<CString>& entries, const CString& name) override {
    if (!doc_) return -1;
    KeepCurrentFolder keep;
    const std::u16string w = fw::ToWidePath(folder);
    if (!SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(w.c_str()))) return -1;
    std::vector<const char*> argv;
    for (const CString& e : entries) argv.push_back(e.GetString());
    return doc_->CreateArchive(1, static_cast<int>(argv.size()), argv.data(), name, 0,
                               app::DocHost::ArchivePacking::kQuick);
  }
  // The document's unpacking: the outside library for a large workbook
  // when it is bound (the document falls back to its own codec otherwise).
  int UnzipArchive(const CString& zipPath, const CString& folder) override {
    if (!doc_) return -1;
    CFileStatus st;
    const int mode = CFile::GetStatus(zipPath, st) && st.m_size > kLibraryUnzipFrom ? 1 : 0;
    KeepCurrentFolder keep;
    return doc_->UnzipArchive(mode, zipPath, folder, 1, 0, nullptr);
  }
  bool AskMakeWritable(const CString& target) override {
    CString q;
    q.Format(IDS_READONLY_MAKE_WRITABLE, target.GetString());
    return view_.ReportMessage(4, q) == IDYES;
  }
  // The condition objects of a format section run the view's CSV selection
  // on the export's own table of the sheet.
  xlsx::XlsxConditionSelector* ConditionSelector() override { return &selector_; }
  void ShowWriteProtected(const CString& target) override {
    CString m;
    m.Format(IDS_WRITE_PROTECTED, target.GetString());
    AfxMessageBox(m);
  }

 private:
  class Selector : public xlsx::XlsxConditionSelector {
   public:
    explicit Selector(CDvkView& view) : view_(view) {}
    int Select(csv::Table& table, const CString& condition, const CString& command) override {
      return view_.MacroCsvSelectOnTable(table, condition, command, 1);
    }

   private:
    CDvkView& view_;
  };

  static constexpr ULONGLONG kLibraryUnzipFrom = 200000;  // bytes
  CDvkView& view_;
  app::DocHost* doc_;
  Selector selector_;
};

}  // namespace view
