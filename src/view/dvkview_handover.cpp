// The spreadsheet hand-over and pattern mode of ExportToExcel: thin members
// over export/handover. The hand-over text is built from a copy of the
// table, so the view's buffer is never changed; it goes to the clipboard
// and/or "\TMP\DorvikTmpXls.txt", the template goes to a free scratch name,
// and the program registered for "xls" is started on that copy.
#include <windows.h>

#include <new>
#include <string>

#include "export/handover/handover_files.h"
#include "export/handover/handover_text.h"
#include "export/handover/xls_pattern.h"
#include "fw/clipboard.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "host/doc_host.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

bool CanOpen(const CString& path) {
  CFile f;
  return f.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary) != 0;
}

bool Exists(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) != 0;
}

// The hand-over text file; a failing write is not reported.
void WriteTextFile(const CString& path, const std::string& text) {
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return;
  try {
    std::size_t done = 0;
    while (done < text.size()) {
      const std::size_t part = text.size() - done > 0x40000000u ? 0x40000000u : text.size() - done;
      f.Write(text.data() + done, static_cast<UINT>(part));
      done += part;
    }
    f.Close();
  } catch (const CFileException&) {
  }
}

// The template copied over the scratch name, its attributes normal.
bool CopyTemplate(const CString& from, const CString& to) {
  const std::u16string src = fw::ToWidePath(from), dst = fw::ToWidePath(to);
  const wchar_t* s = reinterpret_cast<const wchar_t*>(src.c_str());
  const wchar_t* d = reinterpret_cast<const wchar_t*>(dst.c_str());
  if (!CopyFileW(s, d, FALSE)) return false;
  SetFileAttributesW(d, FILE_ATTRIBUTE_NORMAL);
  return true;
}

// The program registered for "xls" in the system settings.
CString XlsProgram(const app::DocSystemFields& sys) {
  for (int i = 0; i < app::kSysSlots; ++i)
    if (sys.m_strSysKey[i].CompareNoCase("xls") == 0) return sys.m_strSysValue[i];
  return sys.m_strSysValue[3];
}

}  // namespace

int CDvkView::ExportByHandover(const CString& templateArg, int mode, int show, int sheet, const CString& operand) {
  app::DocHost* doc = GetDocument();
  if (!doc) return -1;
  const app::DocPathFields& paths = doc->PathFields();
  const CString folder = paths.m_nActiveSide == 1 ? paths.m_strListDir1 : paths.m_strListDir2;
  const CString programDir = paths.m_strProgramDir;
  const handover::TemplateChoice choice =
      handover::ChooseTemplate(templateArg, mode, operand, folder, programDir, CanOpen);
  if (!choice.found) {
    AfxMessageBox(handover::TemplateNotOpenText(choice));
    return -1;
  }
  if (mode == 1) return ExportPatternMode(choice.path);

  std::string text;
  try {
    const std::string source = handover::HandoverSource(m_table.m_pTextBuf, m_table.UsedLength(), sheet,
                                                        m_strStmtOperand);
    text = handover::ConvertHandover(source);
  } catch (const std::bad_alloc&) {
    ReportMessage(155, CString());
    return -1;
  }
  // The clipboard (not in mode 2); when it cannot be opened the text goes
  // to the file only.
  bool toFile = mode != 3;
  if (mode != 2 && !fw::SetClipboardText(GetSafeHwnd(), text)) toFile = true;
  if (toFile) WriteTextFile(handover::HandoverTextPath(programDir), text);

  CString tooMany;
  const CString scratch =
      handover::ScratchCopyName(programDir, choice.macroBook, Exists, &tooMany);
  if (scratch.IsEmpty()) {
    AfxMessageBox(tooMany);
    return -1;
  }
  const CString quoted = scratch.Left(1) == CString("\"") ? scratch : "\"" + scratch + "\"";
  const CString program = XlsProgram(doc->SystemFields());
  bool started = false;
  if (CopyTemplate(choice.path, scratch) && !program.IsEmpty()) {
    const int runas = doc->SettingsFields().m_nFshell == 1 ? 1 : 0;
    started = doc->ShellOpen(program, quoted, CString(), runas, show) > 32;
  }
  if (!started) {
    CString m;
    m.Format(IDS_LAUNCH_FAILED, program.GetString(), quoted.GetString());
    AfxMessageBox(m);
    return -1;
  }
  return 0;
}

int CDvkView::ExportPatternMode(const CString& templatePath) {
  std::string book;
  switch (handover::LoadPatternTemplate(templatePath, &book)) {
    case handover::PatternLoad::kCannotOpen: {
      CString s;
      s.LoadString(IDS_CANNOT_OPEN_FILE);
      ReportMessage(3, s + "\nfile = " + templatePath);
      return -1;
    }
    case handover::PatternLoad::kTooShort:
      return 1;
    case handover::PatternLoad::kNoMemory:
      ReportMessage(156, CString());
      return -1;
    case handover::PatternLoad::kOk:
      break;
  }
  const long long rows = static_cast<long long>(m_table.m_nLastRow) + 1;
  try {
    handover::PatchPatternTemplate(&book, m_table.m_pTextBuf, m_table.UsedLength(), rows, m_table.m_nFieldCount);
  } catch (const std::bad_alloc&) {
    ReportMessage(156, CString());
    return -1;
  }
  return DeliverPatternBook(book);
}
