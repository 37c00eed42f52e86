// The document services of CDvkDoc in-process, with a program folder of the
// test's own: settings files at start, schedules and timer messages under the
// test clock, backups, the overwrite question, the input and settings
// dialogs, the name-cipher wrappers and the stored key code.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/docdata/settings_files.h"
#include "core/docdata/settings_table.h"
#include "core/docsvc/schedule_runner.h"
#include "macroui/inputdlg.h"
#include "app/schedmsg_dlg.h"
#include "fw/clock.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"
#include "support/temp_folder.h"

namespace {

using shelltest::ShellTest;

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool BoxShown(const std::string& part) {
  for (const std::string& t : fw::hooks::MessageBoxTexts()) {
    if (t.find(part) != std::string::npos) return true;
  }
  return false;
}

class DocServicesTest : public ShellTest {
 protected:
  // Starts (again) with the test's program folder.
  bool StartHere() { return Start("", false, folder.Path()); }
  void Restart() {
    TearDown();
    SetUp();
    ASSERT_TRUE(StartHere());
  }
  std::string StatusText() const { return g_pStatusBar ? g_pStatusBar->GetPaneText(0).Str() : std::string(); }

  testsupport::TempProgramFolder folder;
};

// --- settings files ----------------------------------------------------------------

TEST_F(DocServicesTest, MissingSettingsFilesAreWrittenWithDefaultsAndReadBack) {
  ASSERT_TRUE(StartHere());
  const std::string inf = folder.File("Dorvik.inf"), sys = folder.File("Dorvik.sys");
  ASSERT_TRUE(Exists(inf));
  ASSERT_TRUE(Exists(sys));
  EXPECT_EQ(ReadAll(inf), app::DefaultInfText());
  EXPECT_EQ(ReadAll(sys), app::DefaultSysText());
  EXPECT_EQ(1000, doc->m_nBmpfile);
  EXPECT_TRUE(doc->SettingsIssues().empty());
  const std::string infBytes = ReadAll(inf), sysBytes = ReadAll(sys);

  Restart();
  EXPECT_EQ(1000, doc->m_nBmpfile);
  EXPECT_EQ(204800, doc->m_nIndata);
  EXPECT_EQ(5000, doc->m_nTblMax);
  EXPECT_EQ(157, doc->m_nChar);
  EXPECT_STREQ("Century Gothic", doc->m_strStitleFace.GetString());
  EXPECT_EQ(10, doc->m_nStitleSize);
  EXPECT_STREQ("dirX", doc->m_strSysKey[21].GetString());
  EXPECT_STREQ("C:", doc->m_strSysValue[21].GetString());
  EXPECT_STREQ("notepad.exe", doc->m_strSysValue[0].GetString());
  EXPECT_EQ(1616, doc->m_nFlistD);
  EXPECT_EQ(infBytes, ReadAll(inf));  // a start never rewrites an existing file
  // The exit writes the window's rectangle into "posi" and leaves the rest
  // of "Dorvik.sys" as it was.
  const auto withoutPosi = [](std::string t) {
    const size_t at = t.find("posi\t");
    return at == std::string::npos ? t : t.erase(at, t.find("\r\n", at) - at);
  };
  EXPECT_EQ(withoutPosi(sysBytes), withoutPosi(ReadAll(sys)));

  // The values really come from the file.
  std::string edited = infBytes;
  const size_t at = edited.find("bmpfile\t1000");
  ASSERT_NE(std::string::npos, at);
  edited.replace(at, 12, "bmpfile\t1234");
  WriteAll(inf, edited);
  Restart();
  EXPECT_EQ(1234, doc->m_nBmpfile);
}

// The program's own first start writes the kept files of tests/data/settings
// byte for byte, and the user's save of the settings right after it keeps
// "Dorvik.inf" so (the portable writer's test, SettingsGolden.*, compares the
// same files without a window). "Dorvik.sys" also records the window's state
// (its "layout" line follows the running frame), so a save may change it.
TEST_F(DocServicesTest, FirstStartWritesTheKeptSettingsFilesAndASaveKeepsDorvikInf) {
  const std::string keptInf = ReadAll(std::string(TABRYE_TEST_ROOT) + "/tests/data/settings/Dorvik.inf");
  const std::string keptSys = ReadAll(std::string(TABRYE_TEST_ROOT) + "/tests/data/settings/Dorvik.sys");
  ASSERT_FALSE(keptInf.empty());
  ASSERT_FALSE(keptSys.empty());
  ASSERT_TRUE(StartHere());
  EXPECT_TRUE(keptInf == ReadAll(folder.File("Dorvik.inf"))) << "the start-up's \"Dorvik.inf\" is not the kept one";
  EXPECT_TRUE(keptSys == ReadAll(folder.File("Dorvik.sys"))) << "the start-up's \"Dorvik.sys\" is not the kept one";
  ASSERT_TRUE(doc->SaveInfSettings());
  EXPECT_TRUE(keptInf == ReadAll(folder.File("Dorvik.inf"))) << "a save right after the start changed \"Dorvik.inf\"";
}

TEST_F(DocServicesTest, DamagedSettingsFilesStillStartAndStayByteIdentical) {
  const std::string infText =
      "[limits]\r\n"
      "bmpfile\t777\r\n"
      "this line has no tab\r\n"
      "indata\tlots\r\n"            // malformed: default
      "\x01\x02garbage\tx\r\n"
      "#end/\r\n"
      "[fonts]\r\n"
      "stitle\tArial,9\r\n"
      "tblf";                       // truncated: no value, no "#end/"
  const std::string sysText =
      "dir1\tC:\\jump\r\n"
      "posi\t1,2\r\n"               // wrong count: defaults
      "ekey\tK2NOTHEX\r\n"
      "trailing";
  WriteAll(folder.File("Dorvik.inf"), infText);
  WriteAll(folder.File("Dorvik.sys"), sysText);
  ASSERT_TRUE(StartHere());
  EXPECT_EQ(777, doc->m_nBmpfile);
  EXPECT_EQ(204800, doc->m_nIndata);
  EXPECT_STREQ("Arial", doc->m_strStitleFace.GetString());
  EXPECT_EQ(9, doc->m_nStitleSize);
  EXPECT_STREQ("ＭＳ ゴシック", doc->m_strTblfnt.GetString());
  EXPECT_EQ(5000, doc->m_nTblMax);
  EXPECT_STREQ("C:\\jump", doc->m_strSysValue[11].GetString());
  EXPECT_STREQ("C:", doc->m_strSysValue[21].GetString());
  EXPECT_TRUE(doc->m_strEncryptKeyCode.IsEmpty());
  EXPECT_GE(doc->SettingsIssues().size(), 5u);
  EXPECT_EQ(infText, ReadAll(folder.File("Dorvik.inf")));
  EXPECT_EQ(sysText, ReadAll(folder.File("Dorvik.sys")));
}

TEST_F(DocServicesTest, KeyCodeIsStoredEncipheredAndReadBack) {
  ASSERT_TRUE(StartHere());
  doc->m_strEncryptKeyCode = "4321";
  doc->m_strSysValue[26] = "X:~site~/ftp.example.jp;USER=me;PWRD=pw";
  ASSERT_TRUE(doc->WriteSysFile());
  const std::string sys = ReadAll(folder.File("Dorvik.sys"));
  EXPECT_NE(std::string::npos, sys.find("\r\nekey\tK2"));
  EXPECT_EQ(std::string::npos, sys.find("4321"));
  EXPECT_NE(std::string::npos, sys.find("ftp1\tX:~site~/ftp.example.jp;USER=me;PWRD=pw\r\n"));
  Restart();
  EXPECT_STREQ("4321", doc->m_strEncryptKeyCode.GetString());
  EXPECT_STREQ("X:~site~/ftp.example.jp;USER=me;PWRD=pw", doc->FtpEntry(0).GetString());
}

TEST_F(DocServicesTest, DefaultAssociationsRestoreSlotsZeroToNineOnly) {
  ASSERT_TRUE(StartHere());
  doc->m_strSysValue[0] = "myeditor.exe";
  doc->m_strSysValue[7] = "";
  doc->m_strSysValue[11] = "C:\\kept";
  doc->SetDefaultAssociations();
  EXPECT_STREQ("notepad.exe", doc->m_strSysValue[0].GetString());
  EXPECT_STREQ("mspaint.exe", doc->m_strSysValue[7].GetString());
  EXPECT_STREQ("C:\\kept", doc->m_strSysValue[11].GetString());
}

// --- the settings dialog -----------------------------------------------------------

TEST_F(DocServicesTest, SettingsCommandEditsLimitsAndSavesTheFile) {
  ASSERT_TRUE(StartHere());
  int calls = 0;
  fw::hooks::ExpectDialog(IDD_SETTINGS, [&](CDialog& d) {
    if (++calls == 1) {
      char text[64] = {};
      GetDlgItemTextA(d.m_hWnd, IDC_SET_INDATA, text, sizeof text);
      EXPECT_STREQ("0.2", text);  // 204800 bytes in MB
      GetDlgItemTextA(d.m_hWnd, IDC_SET_NTBL, text, sizeof text);
      EXPECT_STREQ("50", text);   // units of 100
    }
    d.SetDlgItemText(IDC_SET_OUTDATA, "3");
    d.SetDlgItemText(IDC_SET_NTBL, "90");
    d.SetDlgItemText(IDC_SET_NCHAR, calls == 1 ? "511" : "200");  // above 510 is refused once
    d.SetDlgItemText(IDC_SET_PROFNT, "ＭＳ 明朝");
    return IDOK;
  });
  fw::hooks::ExpectMessageBox("510", IDOK);
  // The command reaches the document through the frame.
  frame->SendMessage(WM_COMMAND, ID_SETTINGS_LIMITS, 0);
  EXPECT_EQ(2, calls);
  EXPECT_EQ(204800, doc->m_nIndata);  // unchanged text: the exact value stays
  EXPECT_EQ(3 << 20, doc->m_nOutdata);
  EXPECT_EQ(9000, doc->m_nTblMax);
  EXPECT_EQ(200, doc->m_nChar);
  EXPECT_STREQ("ＭＳ 明朝", doc->m_strProfnt.GetString());
  const std::string inf = ReadAll(folder.File("Dorvik.inf"));
  EXPECT_NE(std::string::npos, inf.find("outdata\t3145728\r\n"));
  EXPECT_NE(std::string::npos, inf.find("n_tbl\t9000\r\n"));
  EXPECT_NE(std::string::npos, inf.find("indata\t204800\r\n"));
}

TEST_F(DocServicesTest, SettingsDialogColourPickerChangesTheChosenColour) {
  ASSERT_TRUE(StartHere());
  fw::hooks::ExpectColorDialog(true, RGB(10, 20, 30));
  fw::hooks::ExpectDialog(IDD_SETTINGS, [](CDialog& d) {
    d.SendDlgItemMessage(IDC_SET_COLOR_LIST, CB_SETCURSEL, 13);  // list background
    d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SET_COLOR_PICK, BN_CLICKED), 0);
    char text[32] = {};
    GetDlgItemTextA(d.m_hWnd, IDC_SET_COLOR_VALUE, text, sizeof text);
    EXPECT_STREQ("10,20,30", text);
    return IDOK;
  });
  doc->OnSettings();
  EXPECT_EQ(RGB(10, 20, 30), doc->m_clrListBack);
  EXPECT_NE(std::string::npos, ReadAll(folder.File("Dorvik.inf")).find("flback\t10,20,30\r\n"));
}

// Every number key of the "picture" section is offered, one at a time; a
// value outside its row's range is refused with the range, once.
TEST_F(DocServicesTest, SettingsDialogOffersThePictureKeys) {
  ASSERT_TRUE(StartHere());
  int rows = 0;
  for (const app::SettingKey& k : app::InfKeyTable())
    if (std::string(k.section) == "picture" && k.type == app::KeyType::kInt) ++rows;
  ASSERT_GE(rows, 25);
  int calls = 0;
  fw::hooks::ExpectDialog(IDD_SETTINGS, [&](CDialog& d) {
    ++calls;
    EXPECT_EQ(rows, static_cast<int>(d.SendDlgItemMessage(IDC_SET_PICT_KEY, CB_GETCOUNT)));
    auto choose = [&d](const char* key) {
      const LRESULT at = d.SendDlgItemMessage(IDC_SET_PICT_KEY, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(key));
      EXPECT_GE(at, 0) << key;
      d.SendDlgItemMessage(IDC_SET_PICT_KEY, CB_SETCURSEL, static_cast<WPARAM>(at));
      d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SET_PICT_KEY, CBN_SELCHANGE), 0);
    };
    char text[64] = {};
    choose("imgtone");
    if (calls == 1) {
      GetDlgItemTextA(d.m_hWnd, IDC_SET_PICT_VALUE, text, sizeof text);
      EXPECT_STREQ("0", text);
      GetDlgItemTextA(d.m_hWnd, IDC_SET_PICT_RANGE, text, sizeof text);
      EXPECT_STREQ("-5 - 15", text);
    }
    d.SetDlgItemText(IDC_SET_PICT_VALUE, calls == 1 ? "16" : "-3");  // above 15 is refused once
    choose("imgref");
    d.SetDlgItemText(IDC_SET_PICT_VALUE, "255");
    choose("imgtone");  // the typed value was kept while another key was shown
    GetDlgItemTextA(d.m_hWnd, IDC_SET_PICT_VALUE, text, sizeof text);
    EXPECT_STREQ(calls == 1 ? "16" : "-3", text);
    return IDOK;
  });
  fw::hooks::ExpectMessageBox("15", IDOK);
  doc->OnSettings();
  EXPECT_EQ(2, calls);
  EXPECT_EQ(-3, static_cast<std::int32_t>(doc->m_aImageSettings[17]));
  EXPECT_EQ(255u, doc->m_aImageSettings[1]);
  EXPECT_EQ(255u, doc->m_imageLoad.m_aImageSettings[1]);  // the picture's words themselves
  const std::string inf = ReadAll(folder.File("Dorvik.inf"));
  EXPECT_NE(std::string::npos, inf.find("imgtone\t-3\r\n"));
  EXPECT_NE(std::string::npos, inf.find("imgref\t255\r\n"));
  EXPECT_NE(std::string::npos, inf.find("imgnbhi\t0\r\n"));
}

// --- schedules and timer messages --------------------------------------------------

TEST_F(DocServicesTest, TimerMessageDueTwoSecondsAfterStartIsRaised) {
  WriteAll(folder.File("Dorvik.tmr"), "~ test\r\n00:00:02\tお茶の時間です\r\n");
  ASSERT_TRUE(StartHere());
  ASSERT_NE(nullptr, doc->Scheduler());
  ASSERT_EQ(1u, doc->Scheduler()->Timers().entries.size());
  // Timer 1 ticks (real time) while the test clock stands: nothing is due.
  testsupport::PumpFor(1300);
  EXPECT_FALSE(BoxShown("お茶の時間です"));
  fw::clocktest::Advance(1000);
  testsupport::PumpFor(1300);
  EXPECT_FALSE(BoxShown("お茶の時間です"));
  fw::hooks::ExpectMessageBox("お茶の時間です", IDOK);
  fw::clocktest::Advance(1000);
  EXPECT_TRUE(testsupport::PumpUntil([] { return BoxShown("お茶の時間です"); }, 5000));
  // Once only.
  fw::clocktest::Advance(5000);
  testsupport::PumpFor(1300);
  int shown = 0;
  for (const std::string& t : fw::hooks::MessageBoxTexts()) shown += t.find("お茶の時間です") != std::string::npos;
  EXPECT_EQ(1, shown);
}

SYSTEMTIME g_clockAsked;
int g_clockCalls = 0;
BOOL RefusingClock(const SYSTEMTIME* st) {
  g_clockAsked = *st;
  ++g_clockCalls;
  SetLastError(ERROR_PRIVILEGE_NOT_HELD);
  return FALSE;
}

TEST_F(DocServicesTest, ScheduleSoundAndClockFailuresAreReported) {
  // Every minute: a missing sound file, then setting the clock.
  const std::string missing = folder.File("nosuch.wav");
  WriteAll(folder.File("Dorvik.sch"),
           "*/*/* *:*\tS\t" + missing + "\r\n*/*/* *:*\tC\t2001/01/01 12:00:00\r\n");
  // The system would refuse anyway (no privilege under Wine); the test never
  // touches the machine's clock.
  CDvkDoc::ClockSetter saved = CDvkDoc::s_pfnSetClock;
  CDvkDoc::s_pfnSetClock = RefusingClock;
  g_clockCalls = 0;
  ASSERT_TRUE(StartHere());
  ASSERT_EQ(2u, doc->Scheduler()->Schedules().entries.size());
  fw::hooks::ExpectMessageBox("2001/01/01 12:00:00", IDOK);
  fw::clocktest::Advance(60000);
  EXPECT_TRUE(testsupport::PumpUntil([] { return g_clockCalls > 0; }, 5000));
  CDvkDoc::s_pfnSetClock = saved;
  EXPECT_EQ(2001, g_clockAsked.wYear);
  EXPECT_EQ(12, g_clockAsked.wHour);
  EXPECT_TRUE(BoxShown("設定できませんでした"));
  EXPECT_NE(std::string::npos, StatusText().find("サウンドファイルがありません")) << StatusText();
  EXPECT_NE(std::string::npos, StatusText().find("nosuch.wav"));
}

TEST_F(DocServicesTest, ScheduleMessageBoxIsModelessAndGoesWhenClosed) {
  ASSERT_TRUE(StartHere());
  CScheduleMessageDlg::Show("会議の時間です", frame);
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM lp) -> BOOL {
    char text[64] = {};
    GetDlgItemTextA(h, IDC_SCHEDULE_TEXT, text, sizeof text);
    if (std::string(text) != "会議の時間です") return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&box));
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_TRUE(IsWindowEnabled(frame->m_hWnd));  // the frame keeps working
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(box));
}

TEST_F(DocServicesTest, ChangedScheduleFileIsReadAgainByTimerTwo) {
  ASSERT_TRUE(StartHere());
  EXPECT_TRUE(doc->Scheduler()->Schedules().entries.empty());
  WriteAll(folder.File("Dorvik.sch"), "W1-7 *:*\tM\tdaily\r\n");
  doc->OnScheduleReload(0);
  EXPECT_EQ(1u, doc->Scheduler()->Schedules().entries.size());
}

// --- backups and scratch folders ---------------------------------------------------

TEST_F(DocServicesTest, BackupsOfOneDayTakeLettersAndKeepTheNewest26) {
  ASSERT_TRUE(StartHere());
  const docsvc::LocalTime today = docsvc::CurrentLocalTime();
  char day[8];
  snprintf(day, sizeof day, "%02d%02d", today.month, today.day);
  const std::string src = folder.File("memo.txt");
  const std::string backupDir = folder.File("TMP\\BACKUP");
  WriteAll(src, "copy 1");
  ASSERT_EQ(1, doc->MakeBackupCopy(src.c_str()));
  EXPECT_EQ(backupDir + "\\memo_A" + day + "~.txt", doc->LastBackupPath().Str());
  WriteAll(src, "copy 2");
  ASSERT_EQ(1, doc->MakeBackupCopy(src.c_str()));
  EXPECT_EQ(backupDir + "\\memo_B" + day + "~.txt", doc->LastBackupPath().Str());
  for (int n = 3; n <= 27; ++n) {
    WriteAll(src, "copy " + std::to_string(n));
    ASSERT_EQ(1, doc->MakeBackupCopy(src.c_str())) << n;
  }
  int count = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((backupDir + "\\memo_*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do ++count;
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  EXPECT_EQ(26, count);
  EXPECT_EQ("copy 27", ReadAll(backupDir + "\\memo_Z" + day + "~.txt"));
  EXPECT_EQ("copy 2", ReadAll(backupDir + "\\memo_A" + day + "~.txt"));  // the oldest went
  // A file in the backup folder is not backed up again.
  EXPECT_EQ(0, doc->MakeBackupCopy((backupDir + "\\memo_A" + day + "~.txt").c_str()));
}

TEST_F(DocServicesTest, ScratchFoldersAreMadeOnDemand) {
  ASSERT_TRUE(StartHere());
  EXPECT_EQ(folder.File("TMP1\\"), doc->ScratchFolder(2).Str());
  EXPECT_TRUE(Exists(folder.File("TMP1")));
  EXPECT_EQ(folder.File("TMP\\BACKUP\\"), doc->ScratchFolder(1).Str());
  EXPECT_EQ(folder.File("TMP\\"), doc->ScratchFolder(0).Str());
  // The first start wrote the address hint there.
  EXPECT_NE(std::string::npos, ReadAll(folder.File("TMP\\Dorvikhint.txt")).find("http://"));
}

TEST_F(DocServicesTest, FailedBackupIsReported) {
  ASSERT_TRUE(StartHere());
  fw::hooks::ExpectMessageBox("バックアップを作成できません", IDOK);
  EXPECT_EQ(-1, doc->MakeBackupCopy(folder.File("absent.txt").c_str()));
}

// --- overwrite question, input dialog ----------------------------------------------

TEST_F(DocServicesTest, ConfirmOverwriteAsksOnlyForAnExistingFile) {
  ASSERT_TRUE(StartHere());
  EXPECT_EQ(0, doc->ConfirmOverwrite(""));
  EXPECT_EQ(1, doc->ConfirmOverwrite(folder.File("new.txt").c_str()));
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
  const std::string file = folder.File("old.txt");
  WriteAll(file, "x");
  fw::hooks::ExpectMessageBox("old.txt", IDOK);
  EXPECT_EQ(1, doc->ConfirmOverwrite(file.c_str()));
  fw::hooks::ExpectMessageBox("上書きしますか", IDCANCEL);
  EXPECT_EQ(0, doc->ConfirmOverwrite(file.c_str()));
  EXPECT_EQ(2u, fw::hooks::MessageBoxTexts().size());
}

TEST_F(DocServicesTest, InputDialogReturnsTheTypedText) {
  ASSERT_TRUE(StartHere());
  fw::hooks::ExpectDialog(CInputDlg::IDD, [](CDialog& d) {
    char prompt[128] = {};
    GetDlgItemTextA(d.m_hWnd, IDC_INPUT_PROMPT, prompt, sizeof prompt);
    EXPECT_STREQ("新しい名前を入力してください", prompt);
    char text[128] = {};
    GetDlgItemTextA(d.m_hWnd, IDC_INPUT_TEXT, text, sizeof text);
    EXPECT_STREQ("旧名", text);
    d.SetDlgItemText(IDC_INPUT_TEXT, "表計算メモ.csv");
    return IDOK;
  });
  CInputDlg dlg;
  dlg.m_strPrompt = "新しい名前を入力してください";
  dlg.m_strInput = "旧名";
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_STREQ("表計算メモ.csv", dlg.m_strInput.GetString());

  fw::hooks::ExpectDialog(CInputDlg::IDD, [](CDialog& d) {
    d.SetDlgItemText(IDC_INPUT_TEXT, "捨てる");
    return IDCANCEL;
  });
  CInputDlg cancelled;
  cancelled.m_strInput = "元";
  EXPECT_EQ(IDCANCEL, cancelled.DoModal());
  EXPECT_STREQ("元", cancelled.m_strInput.GetString());
}

// --- kinds, names and the cipher wrappers ------------------------------------------

TEST_F(DocServicesTest, KindsAndNamesUseTheDocumentsSettings) {
  ASSERT_TRUE(StartHere());
  EXPECT_EQ(33, doc->GetFileKind("A.CSV"));
  EXPECT_EQ(99, doc->GetFileKind("x.pic"));
  doc->m_strPictExt[1] = "pic";
  EXPECT_EQ(18, doc->GetFileKind("x.PIC"));
  doc->m_nTxtsiz = 2;
  EXPECT_STREQ("C", doc->GetSizeCode().GetString());
  EXPECT_STREQ("memo#C.txt", doc->MakeTextFileName("memo.doc").GetString());
  EXPECT_TRUE(doc->SetSizeCode('n'));
  EXPECT_EQ(1, doc->m_nTxtsiz);
  EXPECT_EQ(1u, doc->m_bSizeHigh);
  EXPECT_STREQ("n", doc->GetSizeCode().GetString());
  EXPECT_FALSE(doc->SetSizeCode('?'));
  for (int i = 0; i < 31; ++i) doc->AddToHistory(CString("C:\\h") + CString(std::to_string(i)));
  EXPECT_EQ(29, doc->m_nHistoryCount);
  EXPECT_STREQ("h.ex", CDvkDoc::ParseFtpEntry("X:~site~/ftp://h.ex;USER=u", 0).GetString());
}

TEST_F(DocServicesTest, CipherWrappersRoundTripAJapaneseName) {
  ASSERT_TRUE(StartHere());
  doc->m_strEncryptKeyCode = "1234";
  const CString display = "C:\\資料\\議事録メモ@Enc.txt";
  const CString stored = doc->TranslateEncryptedFileName(display, 0);
  ASSERT_EQ(0, stored.Find("C:\\資料\\#~$_"));
  EXPECT_EQ(stored.GetLength() - 4, stored.Find(".txt"));
  EXPECT_STREQ(display.GetString(), doc->TranslateEncryptedFileName(stored, 1).GetString());

  const CString cipher = doc->CipherFileName("議事録メモ", 0);
  ASSERT_FALSE(cipher.IsEmpty());
  EXPECT_STREQ("議事録メモ", doc->CipherFileName(cipher, 1).GetString());
  EXPECT_EQ(stored, "C:\\資料\\#~$_" + cipher + ".txt");

  // Another key: the stored form is shown as it is, never garbled.
  doc->m_strEncryptKeyCode = "9999";
  EXPECT_STREQ(stored.GetString(), doc->TranslateEncryptedFileName(stored, 1).GetString());
  EXPECT_STREQ(cipher.GetString(), doc->CipherFileName(cipher, 1).GetString());
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());

  // A key code that is too short: string 216, nothing enciphered.
  doc->m_strEncryptKeyCode = "123";
  fw::hooks::ExpectMessageBox("暗号化キーコードが未登録です", IDOK);
  EXPECT_STREQ("", doc->CipherFileName("議事録メモ", 0).GetString());
  fw::hooks::ExpectMessageBox("暗号化キーコードが未登録です", IDOK);
  EXPECT_STREQ(display.GetString(), doc->TranslateEncryptedFileName(display, 0).GetString());
  // Deciphering for display asks nothing.
  EXPECT_STREQ(stored.GetString(), doc->TranslateEncryptedFileName(stored, 1).GetString());
  EXPECT_EQ(2u, fw::hooks::MessageBoxTexts().size());
}

}  // namespace
