// Starts the application in-process, hidden, with a command line of the
// test's choice, an instance block of this test program's own and a program
// folder (settings files, scratch folders) of the test's: a fresh empty one
// unless the test names one.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/file.h"
#include "view/dvkview.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "support/ui_test.h"

namespace shelltest {

inline std::string InstanceBlockName() {
  return "Local\\TabryeShellTest_" + std::to_string(GetCurrentProcessId());
}

// The program's registry key for in-process tests: one of this test process's
// own, so parallel tests never share the recent-file list.
inline std::string RegistryKeyName() { return "TabryeShellTest_" + std::to_string(GetCurrentProcessId()); }

class ShellTest : public testsupport::UiTest {
 protected:
  // Starts with `cmdline`; false when InitInstance refused. `programDir`
  // empty: a fresh folder that goes with the test.
  bool Start(const char* cmdline, bool registerCom = false, const std::string& programDir = std::string()) {
    block_ = InstanceBlockName();
    app::ShellOptions o;
    if (programDir.empty()) {
      programFolder_ = std::make_unique<testsupport::TempProgramFolder>();
      o.programDir = programFolder_->Path().c_str();
    } else {
      o.programDir = programDir.c_str();
    }
    o.useProcessCommandLine = false;
    o.commandLine = cmdline;
    o.instanceBlock = block_.c_str();
    registryKey_ = RegistryKeyName();
    o.registryKey = registryKey_.c_str();
    o.registerCom = registerCom;
    o.makeVisible = false;
    app_ = std::make_unique<CDvkApp>(o);
    if (!app_->InitInstance()) return false;
    frame = g_pMainFrame;
    doc = g_pDvkDoc;
    return frame != nullptr && doc != nullptr;
  }

  void TearDown() override {
    if (g_pMainFrame && g_pMainFrame->m_hWnd) g_pMainFrame->DestroyWindow();
    if (app_) {
      app_->ExitInstance();
      app_.reset();
    }
    if (!registryKey_.empty()) RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + registryKey_).c_str());
    // The main frame's end posted WM_QUIT; later pumps must not see it.
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    while (PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE)) {
    }
    programFolder_.reset();
    testsupport::UiTest::TearDown();
  }

  std::string Title() const {
    char buf[512] = {};
    GetWindowTextA(frame->m_hWnd, buf, sizeof buf);
    return buf;
  }

  std::unique_ptr<CDvkApp> app_;
  CMainFrame* frame = nullptr;
  CDvkDoc* doc = nullptr;

 private:
  std::string block_;
  std::string registryKey_;
  std::unique_ptr<testsupport::TempProgramFolder> programFolder_;
};

// A shell test with a folder of its own for the files it opens and saves,
// which also becomes the document's program folder.
// The control's text with its line ends as LF, trailing ones dropped.
inline std::string ControlText(CDvkView* v) {
  const std::string s = v->StreamOut(SF_TEXT);
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// The lines of a text (LF between them).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t p = 0;
  while (p <= text.size()) {
    std::size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    out.push_back(text.substr(p, e - p));
    p = e + 1;
  }
  return out;
}

// Field `column` (from 0) of a shown table line (TAB between the fields).
inline std::string Field(const std::string& line, int column) {
  std::size_t b = 0;
  for (int c = 0; c < column; ++c) {
    b = line.find('\t', b);
    if (b == std::string::npos) return std::string();
    ++b;
  }
  const std::size_t e = line.find('\t', b);
  return line.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

// Column `column` of the shown rows after the title.
inline std::vector<std::string> ColumnOf(CDvkView* v, int column) {
  std::vector<std::string> out;
  const std::vector<std::string> lines = Lines(ControlText(v));
  for (std::size_t i = 1; i < lines.size(); ++i) out.push_back(Field(lines[i], column));
  return out;
}

class ShellFileTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    folder_ = std::make_unique<testsupport::TempProgramFolder>();
  }
  void TearDown() override {
    ShellTest::TearDown();
    folder_.reset();
  }
  std::string File(const char* name) const { return folder_->File(name); }
  // Starts with `cmdline`; the program folder is the test's folder.
  bool StartIn(const std::string& cmdline) {
    if (!Start(cmdline.c_str())) return false;
    doc->m_strProgramDir = folder_->Path().c_str();
    return true;
  }
  // Writes `name` with `bytes`, starts with it and waits until pane 1 shows it.
  CDvkView* Open(const char* name, const std::string& bytes) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, bytes);
    if (!StartIn("\"" + path + "\"")) return nullptr;
    CDvkView* v = frame->GetTextView(0, 0);
    if (!v || !testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000)) return nullptr;
    return v;
  }
  // The same, with that pane made the active view (the table commands act
  // on the active view).
  CDvkView* OpenTable(const std::string& bytes, const char* name = "t.csv") {
    CDvkView* v = Open(name, bytes);
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
  // Caret (and anchor) on a cell, as a left click leaves them.
  static void CaretTo(CDvkView* v, int row, int column) {
    const int at = v->GetCellCharIndex(row, column);
    ASSERT_GE(at, 0);
    v->GetRichEditCtrl().SetSel(at, at);
    v->SelectCell(nullptr, 0, 0, 0);
    v->m_nSelAnchorColumn = v->m_nCurColumn;
    v->m_nSelAnchorRow = v->m_nCurRow;
  }
  // The view's working buffer (0x06 between the cells).
  static std::string TableBytes(const CDvkView* v) {
    return std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  }

  std::unique_ptr<testsupport::TempProgramFolder> folder_;
};

// Files of Shift-JIS paths written and read through the program's own file
// class (the ANSI calls), as the list reads them; a file that cannot be read
// reads as empty.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  if (!bytes.empty()) f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::string out;
  try {
    CFile f(path.c_str(), CFile::modeRead | CFile::shareDenyNone);
    char buf[4096];
    UINT n;
    while ((n = f.Read(buf, sizeof buf)) > 0) out.append(buf, n);
  } catch (const CFileException&) {
  }
  return out;
}

}  // namespace shelltest
