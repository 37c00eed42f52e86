// The document services of CDvkDoc: thin entries into core/docsvc (settings
// files, names, kinds, backups, schedules) and core/crypto (file-name cipher),
// plus what only the window side can do (messages, sounds, the clock).
#include <windows.h>

#include <memory>
#include <mmsystem.h>

#include <string>

#include "core/crypto/encname.h"
#include "core/crypto/namecipher.h"
#include "core/docdata/settings_table.h"
#include "core/docsvc/backup.h"
#include "core/docsvc/docnames.h"
#include "core/docsvc/filekind.h"
#include "core/docsvc/pathpart.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "app/schedmsg_dlg.h"
#include "app/ftpnet_entry_dlg.h"
#include "app/settings_dlg.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "fw/uihooks.h"
#include "macroui/inputdlg.h"
#include "res/resource.h"

namespace {

// SetLocalTime with the system-time privilege switched on first where the
// account holds it (an administrator's token has it, disabled).
BOOL SetLocalClock(const SYSTEMTIME* st) {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES tp = {};
    if (LookupPrivilegeValueA(nullptr, "SeSystemtimePrivilege", &tp.Privileges[0].Luid)) {
      tp.PrivilegeCount = 1;
      tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
  return SetLocalTime(st);
}

CString ClockText(const docsvc::LocalTime& t) {
  CString s;
  s.Format("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return s;
}

bool FileExists(const CString& path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CDvkDoc::ClockSetter CDvkDoc::s_pfnSetClock = SetLocalClock;

// --- settings files ---------------------------------------------------------------

void CDvkDoc::LoadSettingsFiles() {
  // A damaged file loads what it can over the defaults; reading never writes.
  app::ApplySettingsDefaults(*this);
  app::LoadInfFile(docsvc::ProgramFilePath(m_strProgramDir, docsvc::kInfFileName), *this, m_infRest);
  app::LoadSysFile(docsvc::ProgramFilePath(m_strProgramDir, docsvc::kSysFileName), *this, m_sysRest);
  m_aSettingsIssues = m_infRest.issues;
  m_aSettingsIssues.insert(m_aSettingsIssues.end(), m_sysRest.issues.begin(), m_sysRest.issues.end());
  // Only a missing file is written (with its defaults); a failure to write
  // one does not stop the program: the defaults are in the fields already.
  CString error;
  if (!app::WriteMissingSettingsFiles(m_strProgramDir, &error)) {
    docsvc::LineIssue issue;
    issue.reason = error;
    m_aSettingsIssues.push_back(issue);
  }
}

CString CDvkDoc::InfDefault(const char* key) const {
  const app::SettingKey* k = app::FindSettingKey(app::InfKeyTable(), key);
  return k ? CString(k->def) : CString();
}

bool CDvkDoc::SaveInfSettings() {
  CString error;
  if (app::SaveInfFile(docsvc::ProgramFilePath(m_strProgramDir, docsvc::kInfFileName), *this, m_infRest, &error)) {
    return true;
  }
  CString text;
  text.Format(IDS_SETTINGS_SAVE_FAILED, error.GetString());
  AfxMessageBox(text);
  return false;
}

bool CDvkDoc::WriteExitPlaces(const CString* dirX, const CString* dirY, const int posi[4]) {
  // Only these values change: the rest is written as the file holds it, so
  // what the start-up adjusted for this run (the layout, the start-up
  // orders marked as used) never goes back into the file.
  const CString path = docsvc::ProgramFilePath(m_strProgramDir, docsvc::kSysFileName);
  auto fresh = std::make_unique<app::DvkDocData>();
  app::SettingsRest rest;
  app::LoadSysFile(path, *fresh, rest);
  if (dirX) fresh->m_strSysValue[21] = m_strSysValue[21] = *dirX;
  if (dirY) fresh->m_strSysValue[22] = m_strSysValue[22] = *dirY;
  for (int i = 0; i < 4; ++i) fresh->m_nPosi[1 + i] = m_nPosi[1 + i] = posi[i];
  CString error;
  if (app::SaveSysFile(path, *fresh, rest, &error)) return true;
  CString text;
  text.Format(IDS_SETTINGS_SAVE_FAILED, error.GetString());
  AfxMessageBox(text);
  return false;
}

bool CDvkDoc::WriteSysFile() {
  CString error;
  if (app::SaveSysFile(docsvc::ProgramFilePath(m_strProgramDir, docsvc::kSysFileName), *this, m_sysRest, &error)) {
    return true;
  }
  CString text;
  text.Format(IDS_SETTINGS_SAVE_FAILED, error.GetString());
  AfxMessageBox(text);
  return false;
}

void CDvkDoc::OnSettings() {
  CSettingsDlg dlg(this, g_pMainFrame);
  if (dlg.DoModal() == IDOK) SaveInfSettings();
}

void CDvkDoc::OnNetworkSettings() {
  for (int i = 8; i < docsvc::kNetDriveCount; ++i) {
    CString& e = m_strSysValue[docsvc::NetDriveSlot(i)];
    e = docsvc::NetDriveEntryDefault(e, i);
  }
  CFtpNetEntryDlg dlg(g_pMainFrame);
  for (int i = 0; i < docsvc::kFtpEntryCount; ++i) dlg.SetFtpRow(i, docsvc::FtpRowOfEntry(FtpEntry(i), i));
  for (int i = 0; i < docsvc::kNetDriveCount; ++i)
    dlg.SetNetRow(i, docsvc::NetRowOfEntry(m_strSysValue[docsvc::NetDriveSlot(i)], i));
  dlg.m_strKeyCode = m_strEncryptKeyCode;
  if (dlg.DoModal() != IDOK) return;
  // The dialog let OK through only with rows that read back.
  for (int i = 0; i < docsvc::kFtpEntryCount; ++i) FtpEntry(i) = docsvc::EntryOfFtpRow(dlg.FtpRow(i));
  for (int i = 0; i < docsvc::kNetDriveCount; ++i)
    m_strSysValue[docsvc::NetDriveSlot(i)] = docsvc::EntryOfNetRow(dlg.NetRow(i));
  m_strEncryptKeyCode = dlg.m_strKeyCode;
  WriteSysFile();
}

// --- kinds, names, paths ---------------------------------------------------------

int CDvkDoc::GetFileKind(const CString& path) const { return ::GetFileKind(path, m_strPictExt); }

int CDvkDoc::ConfirmOverwrite(const CString& path) {
  if (path.IsEmpty()) return 0;
  // Ask whenever the file exists: an existing file that cannot be read (in use,
  // no access) would be overwritten just the same.
  const DWORD a = GetFileAttributesA(path);
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return 1;
  CString text;
  text.Format(IDS_OVERWRITE_QUERY, path.GetString());
  return AfxMessageBox(text, MB_OKCANCEL) == IDOK ? 1 : 0;
}

bool CDvkDoc::ChangeDir(const CString& path, int mode) {
  const DWORD a = GetFileAttributesA(path);
  const bool isFile = a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  const CString dir = ChangeDirTarget(path, mode, isFile);
  return !dir.IsEmpty() && SetCurrentDirectoryA(dir) != 0;
}

CString CDvkDoc::ParseFtpEntry(const CString& entry, int part) { return ::ParseFtpEntry(entry, part); }

int CDvkDoc::SplitFileIntoParts(const CString& path, long long partBytes) {
  const docsvc::SplitResult r = docsvc::SplitFileIntoParts(path, partBytes);
  if (r.ok) return r.parts;
  CString text;
  text.Format(IDS_SPLIT_FAILED, r.error.GetString());
  AfxMessageBox(text);
  return -1;
}

CString CDvkDoc::GetSizeCode() const {
  docsvc::SizeCode code;
  code.index = m_nFileKind == docsvc::kKindCsv ? m_nTblsiz : m_nTxtsiz;
  code.high = m_bSizeHigh != 0;
  code.lower = m_bSizeLower != 0;
  return CString(docsvc::GetSizeCode(code));
}

bool CDvkDoc::SetSizeCode(char letter) {
  docsvc::SizeCode code;
  if (!docsvc::SetSizeCode(letter, code)) return false;
  (m_nFileKind == docsvc::kKindCsv ? m_nTblsiz : m_nTxtsiz) = code.index;
  m_bSizeHigh = code.high ? 1 : 0;
  m_bSizeLower = code.lower ? 1 : 0;
  return true;
}

CString CDvkDoc::MakeTextFileName(const CString& name) const {
  return docsvc::MakeTextFileName(name, GetSizeCode()[0], m_nOpenContext);
}

void CDvkDoc::AddToHistory(const CString& entry) { docsvc::AddToHistory(m_strHistory, m_nHistoryCount, entry); }

void CDvkDoc::SetDefaultAssociations() { app::RestoreDefaultAssociations(*this); }

// --- the file-name cipher --------------------------------------------------------

CString CDvkDoc::TranslateEncryptedFileName(const CString& path, int mode) {
  crypto::NameCipherStatus status = crypto::NameCipherStatus::kOk;
  const std::string out = crypto::TranslateEncryptedName(path.Str(), mode, m_strEncryptKeyCode.Str(), &status);
  if (mode == 0 && status == crypto::NameCipherStatus::kInvalidKey) AfxMessageBox(IDS_NO_KEY_CODE);
  if (mode == 0 && status == crypto::NameCipherStatus::kNameTooLong) AfxMessageBox(IDS_NAME_TOO_LONG);
  return CString(out);
}

CString CDvkDoc::CipherFileName(const CString& text, int mode) {
  const crypto::NameCipherResult r = crypto::CipherName(text.Str(), mode, m_strEncryptKeyCode.Str());
  if (r.ok()) return CString(r.text);
  if (mode != 0) return text;  // shown in its stored form
  if (r.status == crypto::NameCipherStatus::kInvalidKey) AfxMessageBox(IDS_NO_KEY_CODE);
  if (r.status == crypto::NameCipherStatus::kNameTooLong) AfxMessageBox(IDS_NAME_TOO_LONG);
  return CString();
}

bool CDvkDoc::InputText(const CString& prompt, CString* text, const CString& title) {
  CInputDlg dlg(app::g_pFrameHost ? app::g_pFrameHost->FrameWnd() : nullptr);
  dlg.m_strPrompt = prompt;
  dlg.m_strInput = *text;
  dlg.m_strTitle = title;
  if (dlg.DoModal() != IDOK) return false;
  *text = dlg.m_strInput;
  return true;
}

// --- scratch folders and backups ---------------------------------------------------

CString CDvkDoc::ScratchFolder(int which) {
  docsvc::EnsureScratchFolders(m_strProgramDir);
  const CString dir = which == 1   ? docsvc::BackupDir(m_strProgramDir)
                      : which == 2 ? docsvc::XlsxScratchDir(m_strProgramDir)
                                   : docsvc::ScratchDir(m_strProgramDir);
  return dir + "\\";
}

int CDvkDoc::MakeBackupCopy(const CString& path) {
  const docsvc::LocalTime today = docsvc::CurrentLocalTime();
  const docsvc::BackupResult r = docsvc::MakeBackup(path, m_strProgramDir, today.month, today.day);
  if (r.skipped) return 0;
  if (r.ok) {
    m_strLastBackup = r.backupPath;
    return 1;
  }
  CString text;
  text.Format(IDS_BACKUP_FAILED, r.error.GetString());
  AfxMessageBox(text);
  return -1;
}

// --- schedules and timers ----------------------------------------------------------

void CDvkDoc::LoadScheduleOnce(int) {
  if (!m_pScheduleRunner) {
    m_pScheduleRunner = std::make_unique<docsvc::ScheduleRunner>();
    m_pScheduleRunner->Load(m_strProgramDir);
  }
  // The frame starts timer 1 when it is created; setting it again only
  // restarts its period.
  if (g_pMainFrame && g_pMainFrame->m_hWnd) {
    g_pMainFrame->SetTimer(CMainFrame::kTimerSchedule, CMainFrame::kScheduleMs);
  }
}

void CDvkDoc::ShowAddressHint(int) {
  CString text;
  text.LoadString(IDS_ADDRESS_HINT);
  const CString path = ScratchFolder(0) + "Dorvikhint.txt";
  try {
    CFile f(path, CFile::modeCreate | CFile::modeWrite);
    f.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
  } catch (const CFileException&) {
    // The hint is a convenience: no message at start-up.
  }
}

void CDvkDoc::OnScheduleTick(std::int64_t) {
  if (!m_pScheduleRunner) return;
  for (const docsvc::DueEvent& ev : m_pScheduleRunner->Tick()) {
    switch (ev.action) {
      case 'S':
        PlayScheduleSound(ev.text);
        break;
      case 'C': {
        const auto& entries = m_pScheduleRunner->Schedules().entries;
        if (ev.index >= 0 && ev.index < static_cast<int>(entries.size())) SetScheduleClock(entries[ev.index]);
        break;
      }
      default:
        ShowModelessMessage(ev.text);
        break;
    }
  }
}

void CDvkDoc::OnScheduleReload(std::int64_t) {
  if (m_pScheduleRunner) m_pScheduleRunner->ReloadIfChanged();
}

void CDvkDoc::ShowModelessMessage(const CString& text) {
  CString title;
  title.LoadString(IDS_SCHEDULE_TITLE);
  // Tests see the text through the message-box hook; no window then.
  int answer = 0;
  if (fw::hooks::AnswerMessageBox(text, title, MB_OK | MB_ICONINFORMATION, &answer)) return;
  CScheduleMessageDlg::Show(text, g_pMainFrame);
}

void CDvkDoc::PlayScheduleSound(const CString& path) {
  CString text;
  if (!FileExists(path)) {
    text.Format(IDS_SOUND_MISSING, path.GetString());
    ShowStatusText(text);
    return;
  }
  if (!PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT)) {
    text.Format(IDS_SOUND_FAILED, path.GetString());
    ShowStatusText(text);
  }
}

void CDvkDoc::SetScheduleClock(const docsvc::ScheduleEntry& entry) {
  docsvc::LocalTime t = entry.clock;
  if (!entry.clockHasDate) {
    const docsvc::LocalTime today = docsvc::CurrentLocalTime();
    t.year = today.year;
    t.month = today.month;
    t.day = today.day;
  }
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  CString text;
  if (s_pfnSetClock && s_pfnSetClock(&st)) {
    text.Format(IDS_CLOCK_SET, ClockText(t).GetString());
    ShowStatusText(text);
    return;
  }
  text.Format(IDS_CLOCK_FAILED, ClockText(t).GetString());
  ShowModelessMessage(text);
}

void CDvkDoc::ShowStatusText(const CString& text) {
  if (g_pMainFrame && g_pMainFrame->m_hWnd) g_pMainFrame->SetMessageText(text);
}
