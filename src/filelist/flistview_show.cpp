// Showing the cursor entry in the text pane of the pane's side: a file is
// loaded into the document, a folder (or a row of the drive list) empties
// the text. A modified document is never replaced without the save question.
#include <cstdio>
#include <string>

#include "core/docsvc/filekind.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "fw/bars.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "host/frame_host.h"

namespace {

const int kKindFolder = 9;  // file kind of an emptied text (a folder shown)

}  // namespace

void CFlistView::EmptyDocumentText(int mode) {
  app::DocHost* doc = GetDocument();
  app::DocTextFields& text = doc->TextFields();
  if (text.m_pText) text.m_pText[0] = 0;
  text.m_nTextLen = 0;
  app::DocUpdateFields& up = doc->UpdateFields();
  up.m_nUpdateCode = app::UpdateCode::kContent;
  up.m_nFileKind = kKindFolder;
  if (mode != 2 && doc->AsDocument()) doc->AsDocument()->UpdateAllViews(nullptr);
}

CString CFlistView::EntryPath(int index) const {
  CString path = m_strCurDir;
  if (path.IsEmpty() || path[path.GetLength() - 1] != '\\') path += "\\";
  if (m_nListFlag) {
    const std::string sub = flist::GetNameRecord(m_table.m_pTextRecs2, index);
    if (!sub.empty()) path += CString(sub.c_str()) + "\\";
  }
  return path + flist::GetNameRecord(m_table.m_pNameRecs, index).c_str();
}

void CFlistView::ShowEntry(int index, int mode, int noRepaint) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  // Every way of reaching an entry ends here: the edits of the shown text
  // are asked about before the text is replaced or emptied. Cancel (or a
  // failed save) keeps the document, its text and the side's path.
  if (!ConfirmReplaceDocument()) return;
  app::DocPathFields& paths = doc->PathFields();
  app::DocUpdateFields& up = doc->UpdateFields();
  CString& sidePath = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
  const bool inTable = m_table.m_pNameRecs && index >= 0 && index < m_table.m_nCapacity;
  const std::string name = inTable ? flist::GetNameRecord(m_table.m_pNameRecs, index) : std::string();
  const std::int32_t value = inTable ? static_cast<std::int32_t>(m_table.m_pEntryVal1[index]) : flist::kSizeNone;
  // A file of 0xFFFFFFFF bytes carries the file bit in its high word.
  const bool fileBit = inTable && (m_table.m_pSizeHigh[index] & flist::kSizeHighFile) != 0;
  // 1.
  const bool noFile = !inTable || (value == flist::kSizeNone && !fileBit) || name == ".." || name.empty() ||
                      m_nListSource == 1;
  const bool folder = !noFile && value == flist::kSizeFolder && !fileBit;
  CString shown;
  if (!noFile) {
    // 2.
    m_strCursorName = name.c_str();
    m_strStartPath = EntryPath(index);
    const int len = m_strStartPath.GetLength();
    if ((len >= 4 && m_strStartPath.Right(4).CompareNoCase("rtzx") == 0) ||
        (len >= 4 && m_strStartPath.Right(4).CompareNoCase(".rtf") == 0)) {
      const int dot = m_strStartPath.ReverseFind('.');
      const int slash = fw::LastPathSeparator(m_strStartPath.GetString(), len);
      m_strRtzxName = (dot > slash ? m_strStartPath.Left(dot) : m_strStartPath) + ".rtzx";
    }
    if (!folder) m_strPrevDir = m_strCurDir;
    sidePath = doc->TranslateEncryptedFileName(m_strStartPath, 0);
    if (folder || name[0] == '<') {
      // 3.
      EmptyDocumentText(mode);
    } else {
      // 4.
      docopen::OpenMode openMode = docopen::OpenMode::kPlain;
      if (m_table.m_pEntryVal3[index] == 0) {
        fw::ShowMessageBox(m_hWnd, "File Time Eror", "File Open", MB_OK);
        openMode = docopen::OpenMode::kListEntry;
      }
      doc->OpenFile(sidePath, openMode);
      if (m_nBuildCount >= 1 && up.m_nLoadState != 99 && app::g_pFrameHost)
        app::g_pFrameHost->UpdateMenuTexts(GetFileKind(sidePath, doc->SettingsFields().m_strPictExt), up.m_nOpenContext, 1);
    }
    shown = m_strStartPath;
    if (folder && m_strCurDir.IsEmpty()) shown.Empty();
  } else {
    // 5.
    sidePath.Empty();
    shown = m_nListSource == 1 ? (name.empty() ? m_strCurDir : CString(name.c_str())) : m_strCurDir;
    EmptyDocumentText(2);
    up.m_nLoadState = 1;
    if (mode != 2 && doc->AsDocument()) doc->AsDocument()->UpdateAllViews(nullptr);
  }
  // 6.
  if (m_nBuildCount >= 2) SetFrameTitle(shown);
  m_strTitle = shown;
  char pos[48];
  std::snprintf(pos, sizeof pos, "%2d/%3d  list", index, m_table.m_nEntryCount - 2);
  if (g_pStatusBar && g_pStatusBar->m_hWnd) {
    g_pStatusBar->SetPaneText(5, pos, FALSE);
    if (!noRepaint) g_pStatusBar->Invalidate();
  }
}
