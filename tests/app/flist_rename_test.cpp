// The list's rename command in the running program, dialog 133 answered
// through the dialog hook: the single rename and its refusals, batch
// patterns, the cipher forms and their key check, attributes and times
// (attributes read back by the system's own "attrib"), and the volume label
// of a drive in the drive list.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/crypto/namecipher.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "filelist/rename_dlg.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"

namespace {

// "表", "ソ" (second bytes 0x5C) and blanks in the names.
const std::string kHyo = "\x95\x5C";
const std::string kSo = "\x83\x5C";

using shelltest::WriteBytes;

using shelltest::ReadBytes;

bool Exists(const std::string& path) {
  CFileStatus st;
  return CFile::GetStatus(path.c_str(), st) != FALSE;
}

CFileStatus Status(const std::string& path) {
  CFileStatus st;
  EXPECT_TRUE(CFile::GetStatus(path.c_str(), st)) << path;
  return st;
}

void SetStatus(const std::string& path, std::int64_t mtime, BYTE attributes) {
  CFileStatus st;
  st.m_mtime = CTime(mtime);
  st.m_attribute = attributes;
  CFile::SetStatus(path.c_str(), st);
}

// The attribute letters "attrib" prints for a file ("R", "HS", ...).
std::string Attrib(const std::string& path) {
  std::string out;
  FILE* p = _popen(("cmd /c attrib \"" + path + "\"").c_str(), "r");
  if (!p) return out;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) out += buf;
  _pclose(p);
  // The letters stand before the path. Wine reports the archive bit for
  // every file, so it is left out.
  const std::size_t at = out.find(path.substr(0, 2));
  std::string letters;
  for (char c : out.substr(0, at == std::string::npos ? 0 : at))
    if (c != ' ' && c != '\r' && c != '\n' && c != 'A') letters += c;
  return letters;
}

std::string Item(CDialog& d, int id) {
  char buf[512] = {};
  ::GetDlgItemTextA(d.m_hWnd, id, buf, sizeof buf);
  return buf;
}

// What the dialog opened with.
struct Shown {
  std::string name;
  std::vector<int> boxes;   // read-only, hidden, system, archive, keep
  std::vector<std::string> date;  // year, month, day, hour, minute, second
};

Shown Read(CDialog& d) {
  Shown s;
  s.name = Item(d, IDC_RENAME_NAME);
  for (int id : {IDC_RENAME_READONLY, IDC_RENAME_HIDDEN, IDC_RENAME_SYSTEM, IDC_RENAME_ARCHIVE, IDC_RENAME_KEEP})
    s.boxes.push_back(static_cast<int>(::IsDlgButtonChecked(d.m_hWnd, id)));
  for (int id : {IDC_RENAME_YEAR, IDC_RENAME_MONTH, IDC_RENAME_DAY, IDC_RENAME_HOUR, IDC_RENAME_MINUTE, IDC_RENAME_SECOND})
    s.date.push_back(Item(d, id));
  return s;
}

void SetDate(CDialog& d, int y, int mo, int day, int h, int mi, int s) {
  const int ids[] = {IDC_RENAME_YEAR, IDC_RENAME_MONTH, IDC_RENAME_DAY, IDC_RENAME_HOUR, IDC_RENAME_MINUTE, IDC_RENAME_SECOND};
  const int v[] = {y, mo, day, h, mi, s};
  for (int i = 0; i < 6; ++i) ::SetDlgItemTextA(d.m_hWnd, ids[i], std::to_string(v[i]).c_str());
}

class FlistRenameTest : public shelltest::ShellFileTest {
 protected:
  CFlistView* Pane() { return frame->GetListPane(0, 0); }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  int Index(CFlistView* v, const std::string& name) {
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i)
      if (Name(v, i) == name) return i;
    return -1;
  }
  std::string Dir() { return File("") + "ren"; }
  std::string At(const std::string& name) { return Dir() + "\\" + name; }
  // The folder with its files listed in pane 1.
  CFlistView* Listed(const std::vector<std::string>& files) {
    fw::MakeDir(Dir().c_str());
    for (const std::string& f : files) WriteBytes(At(f), "data of " + f);
    if (!StartIn("")) return nullptr;
    frame->ShowFolderInList(Dir().c_str());
    return Pane();
  }
  // Marks `names`; the cursor stands on the first.
  void Mark(CFlistView* v, const std::vector<std::string>& names) {
    v->ClearMarks(0);
    for (const std::string& n : names) {
      const int i = Index(v, n);
      ASSERT_GT(i, 0) << n;
      v->m_table.m_pMarks[i] = 1;
    }
    v->m_state.m_nCurEntry = Index(v, names.front());
  }
  // Runs the command with the dialog answered by `answer`; what it opened with.
  Shown Rename(const std::function<int(CDialog&)>& answer) {
    Shown seen;
    bool ran = false;
    fw::hooks::ExpectDialog(IDD_RENAME, [&](CDialog& d) -> int {
      ran = true;
      seen = Read(d);
      return answer(d);
    });
    frame->ActivateListPane(0, 0);
    frame->SendMessage(WM_COMMAND, ID_LIST_RENAME, 0);
    EXPECT_TRUE(ran);
    return seen;
  }
  Shown RenameTo(const std::string& typed) {
    return Rename([typed](CDialog& d) {
      ::SetDlgItemTextA(d.m_hWnd, IDC_RENAME_NAME, typed.c_str());
      return IDOK;
    });
  }
  std::string SidePath() { return doc->m_nActiveSide == 1 ? doc->m_strPath1.Str() : doc->m_strPath2.Str(); }
};

TEST_F(FlistRenameTest, SingleRenameAndTheNamesItRefuses) {
  const std::string memo = "memo " + kHyo + ".txt";
  CFlistView* v = Listed({memo, "other.txt"});
  ASSERT_NE(nullptr, v);
  Mark(v, {memo});
  SetStatus(At(memo), 1796778672, CFile::archive);  // 2026-12-09 10:11:12 in Tokyo
  v->ReloadList();
  Mark(v, {memo});
  const std::string renamed = kSo + " new.txt";
  const Shown s = RenameTo(renamed);
  EXPECT_EQ(memo, s.name);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 1, 0}), s.boxes);
  EXPECT_EQ((std::vector<std::string>{"2026", "12", "9", "10", "11", "12"}), s.date);
  EXPECT_FALSE(Exists(At(memo)));
  EXPECT_EQ("data of " + memo, ReadBytes(At(renamed)));
  EXPECT_EQ(1796778672, Status(At(renamed)).m_mtime.GetTime());
  EXPECT_GT(Index(v, renamed), 0);
  EXPECT_EQ(At(renamed), SidePath());

  // An existing name and a name with "?": string 157 under "Rename", nothing changes.
  for (const std::string& bad : {std::string("other.txt"), std::string("a?b.txt")}) {
    Mark(v, {renamed});
    const std::string before = SidePath();
    fw::hooks::ExpectMessageBox("ファイル名は変更出来ません", IDOK);
    RenameTo(bad);
    EXPECT_TRUE(Exists(At(renamed))) << bad;
    EXPECT_EQ("data of other.txt", ReadBytes(At("other.txt")));
    EXPECT_EQ(before, SidePath());
  }
  EXPECT_TRUE(fw::hooks::Unused().empty());
  // Leaving the name as shown changes only the status, with no message.
  Mark(v, {renamed});
  Rename([](CDialog& d) {
    ::CheckDlgButton(d.m_hWnd, IDC_RENAME_HIDDEN, BST_CHECKED);
    return IDOK;
  });
  EXPECT_TRUE(Exists(At(renamed)));
  EXPECT_EQ("H", Attrib(At(renamed)));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(FlistRenameTest, PatternsRenameEveryMarkedFileAndKeepTheirTimesAndAttributes) {
  CFlistView* v = Listed({"a.txt", "b " + kHyo + ".txt", "c.csv"});
  ASSERT_NE(nullptr, v);
  SetStatus(At("a.txt"), 1600000000, CFile::readOnly | CFile::archive);
  SetStatus(At("b " + kHyo + ".txt"), 1600000100, CFile::hidden);
  v->ReloadList();
  Mark(v, {"a.txt", "b " + kHyo + ".txt"});
  const Shown s = RenameTo(":txt:bak");
  // Several marks: the name "******", nothing entered, attributes kept.
  EXPECT_EQ("******", s.name);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 1}), s.boxes);
  EXPECT_EQ((std::vector<std::string>{"0", "0", "0", "0", "0", "0"}), s.date);
  EXPECT_EQ(1600000000, Status(At("a.bak")).m_mtime.GetTime());
  EXPECT_EQ(1600000100, Status(At("b " + kHyo + ".bak")).m_mtime.GetTime());
  EXPECT_EQ("R", Attrib(At("a.bak")));
  EXPECT_EQ("H", Attrib(At("b " + kHyo + ".bak")));
  EXPECT_EQ(At("b " + kHyo + ".bak"), SidePath());  // the second file under its new name
  EXPECT_TRUE(Exists(At("c.csv")));
  // The slash form, back again.
  Mark(v, {"a.bak", "b " + kHyo + ".bak"});
  RenameTo("/bak/txt");
  EXPECT_TRUE(Exists(At("a.txt")));
  EXPECT_TRUE(Exists(At("b " + kHyo + ".txt")));
  EXPECT_EQ(1600000000, Status(At("a.txt")).m_mtime.GetTime());
  // "|" holds the search to the start of the name: "a.txt" matches, "c.csv" not.
  Mark(v, {"a.txt", "c.csv"});
  RenameTo(":|a:z");
  EXPECT_TRUE(Exists(At("z.txt")));
  EXPECT_TRUE(Exists(At("c.csv")));
}

TEST_F(FlistRenameTest, CipherFormsWithTheKeyCodeAndTheirCheck) {
  CFlistView* v = Listed({"memo.txt"});
  ASSERT_NE(nullptr, v);
  // A key of three characters and one of four blanks: 216, nothing renamed.
  for (const char* key : {"123", "    "}) {
    doc->m_strEncryptKeyCode = key;
    Mark(v, {"memo.txt"});
    fw::hooks::ExpectMessageBox("暗号化キーコードが未登録です。", IDOK);
    RenameTo("@Enc");
    EXPECT_TRUE(Exists(At("memo.txt"))) << key;
  }
  EXPECT_TRUE(fw::hooks::Unused().empty());
  doc->m_strEncryptKeyCode = "1234";
  Mark(v, {"memo.txt"});
  RenameTo("@Enc");
  const std::string stored = "#~$_" + crypto::CipherName("memo", 0, "1234").text + ".txt";
  EXPECT_EQ("data of memo.txt", ReadBytes(At(stored)));
  EXPECT_FALSE(Exists(At("memo.txt")));
  ASSERT_GT(Index(v, "memo@Enc.txt"), 0);  // listed in its shown form
  // Enciphering again changes nothing; "@Dec" gives the name back.
  Mark(v, {"memo@Enc.txt"});
  RenameTo("@Enc");
  EXPECT_TRUE(Exists(At(stored)));
  Mark(v, {"memo@Enc.txt"});
  RenameTo("@Dec");
  EXPECT_EQ("data of memo.txt", ReadBytes(At("memo.txt")));
  EXPECT_FALSE(Exists(At(stored)));
}

TEST_F(FlistRenameTest, DatesAndTheKeepAttributesBox) {
  CFlistView* v = Listed({"r.txt", "w.txt"});
  ASSERT_NE(nullptr, v);
  SetStatus(At("r.txt"), 1600000000, CFile::readOnly | CFile::archive);
  v->ReloadList();
  // Ticked: the read-only file takes the new time and stays read-only.
  Mark(v, {"r.txt"});
  const Shown s = Rename([](CDialog& d) {
    SetDate(d, 2025, 3, 4, 5, 6, 7);
    ::CheckDlgButton(d.m_hWnd, IDC_RENAME_READONLY, BST_UNCHECKED);
    ::CheckDlgButton(d.m_hWnd, IDC_RENAME_KEEP, BST_CHECKED);
    return IDOK;
  });
  EXPECT_EQ((std::vector<int>{1, 0, 0, 1, 0}), s.boxes);
  EXPECT_EQ(CTime(2025, 3, 4, 5, 6, 7).GetTime(), Status(At("r.txt")).m_mtime.GetTime());
  EXPECT_EQ("R", Attrib(At("r.txt")));
  // Unticked, the boxes decide.
  Mark(v, {"r.txt"});
  Rename([](CDialog& d) {
    ::CheckDlgButton(d.m_hWnd, IDC_RENAME_READONLY, BST_UNCHECKED);
    ::CheckDlgButton(d.m_hWnd, IDC_RENAME_ARCHIVE, BST_UNCHECKED);
    ::CheckDlgButton(d.m_hWnd, IDC_RENAME_SYSTEM, BST_CHECKED);
    return IDOK;
  });
  EXPECT_EQ("S", Attrib(At("r.txt")));
  // A year of 2040 gives 1970-01-01 09:00:00.
  Mark(v, {"w.txt"});
  Rename([](CDialog& d) {
    SetDate(d, 2040, 1, 2, 3, 4, 5);
    return IDOK;
  });
  EXPECT_EQ(CTime(1970, 1, 1, 9, 0, 0).GetTime(), Status(At("w.txt")).m_mtime.GetTime());
  // A value beyond its range keeps the dialog open; Cancel then changes nothing.
  Mark(v, {"w.txt"});
  fw::hooks::ExpectMessageBox("0 から 12 までの整数", IDOK);
  int calls = 0;
  Rename([&calls](CDialog& d) {
    SetDate(d, 2025, 13, 1, 0, 0, 0);
    return ++calls == 1 ? IDOK : IDCANCEL;
  });
  EXPECT_EQ(2, calls);
  EXPECT_EQ(CTime(1970, 1, 1, 9, 0, 0).GetTime(), Status(At("w.txt")).m_mtime.GetTime());
}

TEST_F(FlistRenameTest, TheWayUpIsNoEntryAndARefusedStatusWriteStopsTheCommand) {
  CFlistView* v = Listed({"a.txt"});
  ASSERT_NE(nullptr, v);
  // ".." alone marked: no dialog, nothing renamed or dated.
  v->ClearMarks(0);
  v->m_table.m_pMarks[0] = 1;
  v->m_state.m_nCurEntry = 0;
  frame->ActivateListPane(0, 0);
  frame->SendMessage(WM_COMMAND, ID_LIST_RENAME, 0);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  // The status write refused: its reason is shown and the name stays.
  Mark(v, {"a.txt"});
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kSetStatus, 1);
  fw::hooks::ExpectMessageBox("a.txt", IDOK);
  RenameTo("b.txt");
  fw::filetest::Reset();
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(Exists(At("a.txt")));
  EXPECT_FALSE(Exists(At("b.txt")));
  // A refused rename is string 157.
  Mark(v, {"a.txt"});
  fw::filetest::FailAt(fw::filetest::Op::kRename, 1);
  fw::hooks::ExpectMessageBox("ファイル名は変更出来ません", IDOK);
  RenameTo("b.txt");
  fw::filetest::Reset();
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(Exists(At("a.txt")));
}

TEST_F(FlistRenameTest, DriveListRowTakesANewLabel) {
  CFlistView* v = Listed({"x.txt"});
  ASSERT_NE(nullptr, v);
  // Drive Q: of the test prefix, mapped to a folder of the build tree by
  // the fixture script flist_rename_drive.sh.
  const std::string drive = "Q:";
  if (::GetFileAttributesA("Q:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "drive Q: is not mapped";
  v->ShowDriveList();
  const int row = [&] {
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i)
      if (Name(v, i).compare(0, 2, drive) == 0) return i;
    return -1;
  }();
  ASSERT_GT(row, 0);
  // The row as the list shows a drive labelled DATA (Wine cannot read the
  // volume information of a drive on the build machine's file system, so
  // the row is given its label here).
  flist::StoreNameRecord(v->m_table.m_pNameRecs, row, drive + " DATA");
  v->ClearMarks(0);
  v->m_table.m_pMarks[row] = 1;
  v->m_state.m_nCurEntry = row;
  EXPECT_EQ("DATA", RenameTo("WORK").name);
  // Wine keeps a drive's label in ".windows-label" at its root.
  std::string stored = ReadBytes("Q:\\.windows-label");
  while (!stored.empty() && (stored.back() == '\n' || stored.back() == '\r')) stored.pop_back();
  EXPECT_EQ("WORK", stored);
  char label[64] = {};
  if (::GetVolumeInformationA("Q:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
    EXPECT_EQ("WORK", std::string(label));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

}  // namespace
