#include "filelist/flistview.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "core/docsvc/filekind.h"
#include "core/docsvc/ftppath.h"
#include "core/fileops/fileprims.h"
#include "core/fileops/scratchclean.h"
#include "filelist/flistcore/filters.h"
#include "filelist/flistcore/ftprecord.h"
#include "filelist/flistcore/listbuild.h"
#include "filelist/flistcore/paint.h"
#include "filelist/flistcore/walk.h"
#include "fw/alloc.h"
#include "fw/bars.h"
#include "fw/clock.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "host/frame_host.h"
#include "host/pane_layout.h"
#include "res/resource.h"

FW_BEGIN_MESSAGE_MAP(CFlistView, CView)
  fw::OnWmKey<&CFlistView::OnKeyUp>(WM_KEYUP),
  fw::OnMessage<&CFlistView::OnVScrollMessage>(WM_VSCROLL),
  fw::OnNotifyReflect<&CFlistView::OnReturnNotify>(NM_RETURN),
  fw::OnWmMouse<&CFlistView::OnLButtonDblClk>(WM_LBUTTONDBLCLK),
  fw::OnWmKey<&CFlistView::OnKeyDown>(WM_KEYDOWN),
  fw::OnWmMouse<&CFlistView::OnLButtonDown>(WM_LBUTTONDOWN),
  fw::OnWmMouse<&CFlistView::OnMouseMove>(WM_MOUSEMOVE),
  fw::OnWmMouse<&CFlistView::OnLButtonUp>(WM_LBUTTONUP),
  fw::OnWmTimer<&CFlistView::OnTimer>(),
  fw::OnMessage<&CFlistView::OnMouseWheelMessage>(WM_MOUSEWHEEL),
FW_END_MESSAGE_MAP()

namespace {

const int kStartScrollMax = 500;
const char kMacroFileName[] = "Dorvik.mcr";

std::string Str(const CString& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

bool StartsWith(const CString& s, const char* p) { return std::strncmp(s.GetString(), p, std::strlen(p)) == 0; }

// The framework's case-insensitive comparison of names: the system's on
// Windows (for every character it folds), ASCII natively.
bool NamesEqual(const std::string& a, const std::string& b) {
  const std::u16string wa = fw::Cp932ToUtf16(a), wb = fw::Cp932ToUtf16(b);
  return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, reinterpret_cast<const wchar_t*>(wa.c_str()),
                          static_cast<int>(wa.size()), reinterpret_cast<const wchar_t*>(wb.c_str()),
                          static_cast<int>(wb.size())) == CSTR_EQUAL;
}

}  // namespace

CFlistView::CFlistView() : m_pFolders(std::make_unique<fileops::LocalFolderHost>()) {
  m_table.AllocateEntryBuffers(flist::kStartCapacity);
}

CFlistView::~CFlistView() {
  // Each pane clears the scratch folders as it goes (the second finds little
  // left); the document's current file stays while a view rebuilds itself.
  app::DocHost* doc = GetDocument();
  if (doc && fileops::g_pDocFileOps && m_table.m_nCapacity > 0)
    fileops::CleanScratchAtExit(*fileops::g_pDocFileOps, doc->PathFields().m_strProgramDir, m_table.m_nCapacity,
                                doc->PathFields().m_strCurFile, doc->UpdateFields().m_nLoadState);
}

app::DocHost* CFlistView::GetDocument() const { return dynamic_cast<app::DocHost*>(m_pDocument); }

void CFlistView::ReadKeyMacro() {
  // The view meets its document only once it is attached, so the key-macro
  // file and the first pane's hand-over (the document's 9001 -> 9000, with
  // the scratch clean-up it signs for: once per run) are done at the first
  // update.
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  if (doc->SettingsFields().m_nFlist != flist::kStartCapacity) {
    doc->SettingsFields().m_nFlist = flist::kStartCapacity;
    if (fileops::g_pDocFileOps)
      fileops::CleanScratchAtStart(*fileops::g_pDocFileOps, doc->PathFields().m_strProgramDir, m_table.m_nCapacity);
  }
  const CString path = doc->PathFields().m_strProgramDir + "\\" + kMacroFileName;
  std::string bytes;
  bool exists = false;
  try {
    CFile f(path, CFile::modeRead | CFile::shareDenyNone);
    exists = true;
    char buf[flist::kKeyMacroBytes + 2];
    const UINT n = f.Read(buf, sizeof buf);
    bytes.assign(buf, n);
  } catch (const CFileException&) {
  }
  const flist::KeyMacroFile k = flist::ReadKeyMacroFile(bytes, exists);
  for (std::size_t i = 0; i < k.lines.size() && i < static_cast<std::size_t>(flist::kListMacroSlots); ++i)
    m_aListMacroLines[i] = k.lines[i].c_str();
  m_nListMacroPc = k.pc;
}

BOOL CFlistView::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style |= WS_VSCROLL;
  return CView::PreCreateWindow(cs);
}

LRESULT CFlistView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The frame may ask the lists to swallow some paints (while it rearranges).
  if (msg == WM_PAINT && app::g_pFrameHost && app::g_pFrameHost->TakeSkippedPaint()) {
    ::ValidateRect(m_hWnd, nullptr);
  }
  return CView::WindowProc(msg, wp, lp);
}

void CFlistView::StartFolder() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocSystemFields& sys = doc->SystemFields();
  CString dir = m_nSide == 1 ? sys.m_strSysValue[23] : sys.m_strSysValue[24];
  if (dir.IsEmpty()) dir = m_nSide == 1 ? sys.m_strSysValue[21] : sys.m_strSysValue[22];
  m_strCurDir = dir;
  m_strPrevDir = m_strCurDir;
  m_strStartPath = m_strCurDir;
  m_strCursorName = m_strPrevDir;
}

void CFlistView::FirstStart(bool firstCopy) {
  app::DocHost* doc = GetDocument();
  app::FrameHost* frame = app::g_pFrameHost;
  app::DocWindowFields& win = doc->WindowFields();
  // 1. A side display or window mode 8 restores the saved window first.
  if (win.m_nSideDisplay != 0 || win.m_nWindowMode == 8) {
    if (win.m_nWindowMode == 8) win.m_nWindowMode = 0;
    win.m_rcNormalWindow = CRect(win.m_nPosi[1], win.m_nPosi[2], win.m_nPosi[1] + win.m_nPosi[3],
                                 win.m_nPosi[2] + win.m_nPosi[4]);
    int s = win.m_nSideDisplay;
    win.m_nSideDisplay = s == 1 ? 9 : s == 0 ? 2 : (s == 4 || s == 5) ? s : 1;
    if (frame) frame->OnSideDisplay();
  }
  // 2. Start folder.
  StartFolder();
  doc->PathFields().m_bStartFile = 0;
  // 3. The command line (quotes already stripped) names the start path.
  CString line = frame ? frame->StartCommandLine() : CString();
  // A folder named there is listed itself, with the list shown as at a plain
  // start: there is no file to show beside it.
  CFileStatus named;
  const bool namesFolder = !line.IsEmpty() && CFile::GetStatus(line.GetString(), named) &&
                           (named.m_attribute & CFile::directory) != 0;
  if (namesFolder) {
    m_strStartPath = line;
    m_strCurDir = line;
    m_strPrevDir = line;
  }
  if (!line.IsEmpty() && !namesFolder) {
    m_strStartPath = line;
    const int slash = fw::LastPathSeparator(line.GetString(), line.GetLength());
    if (slash > 1) m_strCurDir = line.Left(slash);
    if (win.m_nWindowMode != 2 && win.m_nWindowMode != 3) {
      win.m_nLayoutMode = win.m_nLayoutMode >= 9 ? 13 : 3;
      doc->PathFields().m_bStartFile = 1;
    }
    if (win.m_nWindowMode == 2 && win.m_nLayoutMode == 13) win.m_nLayoutMode = 11;
  } else {
    if (win.m_nLayoutMode == 3) win.m_nLayoutMode = 1;
    if (win.m_nLayoutMode == 13) win.m_nLayoutMode = 11;
  }
  // 4. The address hint at the very first start.
  if (firstCopy) doc->ShowAddressHint(0);
  // 5. Place the main window ("##" starts without the saved placement).
  if (frame && frame->FrameWnd()->m_hWnd && frame->RestoreLayoutAtStart()) {
    RECT desk = {};
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    int posi[5] = {win.m_nPosi[0], win.m_nPosi[1], win.m_nPosi[2], win.m_nPosi[3], win.m_nPosi[4]};
    app::WindowPlacement p = app::PlaceMainWindow(posi, doc->PathFields().m_nInstanceNo, win.m_nSideDisplay,
                                                  desk.right, desk.bottom, win.m_nCompactStart);
    ::SetWindowPos(frame->FrameWnd()->m_hWnd, HWND_TOP, p.x, p.y, p.width, p.height, SWP_NOACTIVATE);
  }
  // 6. The list layout.
  win.m_nLayoutMode = app::StartLayoutMode(win.m_nLayoutMode);
  if (frame) frame->OnListDisplay();
}

void CFlistView::OnInitialUpdate() {
  ::DragAcceptFiles(m_hWnd, TRUE);
  ReadKeyMacro();
  app::DocHost* doc = GetDocument();
  if (doc) {
    int state = doc->UpdateFields().m_nScheduleState;
    if (state == 1) {
      doc->UpdateFields().m_nScheduleState = 2;
      StartFolder();
    } else if (state == 0 || state == 9) {
      doc->LoadScheduleOnce(0);
      doc->UpdateFields().m_nScheduleState = 1;
      FirstStart(state == 0);
    }
  }
  SetScrollRange(m_hWnd, SB_VERT, 0, kStartScrollMax, FALSE);
  m_bRelist2 = 0;
  if (m_strCurDir == "C:\\") m_strCurDir = "C:";
  if (doc) {
    doc->ScratchFolder(0);  // makes "\TMP" and "\TMP\BACKUP"
    doc->UpdateFields().m_nListInit = 2;
    ClearMarks(1);
    app::DocUpdateFields& up = doc->UpdateFields();
    if (!(up.m_nUpdateCode == app::UpdateCode::kSideMacro && up.m_nFileKind == docsvc::kKindMacro))
      up.m_nUpdateCode = app::UpdateCode::kAfterMouse;
  }
  // Timer 3 (the start-up macro) is armed by the issue that builds its handler.
  OnUpdate(nullptr, 0, nullptr);
}

// --- side, marks, reload ----------------------------------------------------------

void CFlistView::SetSide(int activate) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  if (m_nSide != 1 && m_nSide != 2) {
    // A pane the frame did not number has no side.
    m_nSide = 0;
    return;
  }
  app::DocPathFields& paths = doc->PathFields();
  if (m_bActivePane || activate) paths.m_nActiveListSide = m_nSide;
  (m_nSide == 1 ? paths.m_strListDir1 : paths.m_strListDir2) = m_strCurDir;
  if (activate == 1) paths.m_nActiveSide = static_cast<std::uint32_t>(m_nSide);
}

void CFlistView::ClearMarks(int withCompare) {
  flist::ClearMarkBytes(m_table, m_state);
  if (withCompare != 1) return;
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocListFields& lf = doc->ListFields();
  lf.FreeCompareNames();
  lf.m_nCompareCount = 0;
  if (lf.m_aCompareMine) std::memset(lf.m_aCompareMine, 0, sizeof(std::uint32_t) * app::kCompareSlots);
  if (lf.m_aCompareOther) std::memset(lf.m_aCompareOther, 0, sizeof(std::uint32_t) * app::kCompareSlots);
}

void CFlistView::ReloadList() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocWindowFields& win = doc->WindowFields();
  // 1. This pane's display mode goes into the "posi<" digits.
  win.m_nDirSort = flist::PackDirSort(win.m_nDirSort, m_nSide, m_state.m_nDisplayMode);
  // 2. (An FTP connection is closed by the FTP sources when they come.)
  // 3. The active side follows the pane's path.
  app::DocPathFields& paths = doc->PathFields();
  if (!m_bNetworkList) (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = m_strStartPath;
  // 4. The drive list is rebuilt as a drive list.
  if (m_nListSource == 1) {
    ShowDriveList();
    return;
  }
  // 5. Rebuild with the update hold lifted for this update.
  app::DocUpdateFields& up = doc->UpdateFields();
  up.m_nUpdateCode = static_cast<app::UpdateCode>(static_cast<std::uint32_t>(up.m_nUpdateCode) | 6u);
  app::DocListFields& lf = doc->ListFields();
  const int hold = lf.m_nListHold;
  lf.m_nListHold = 0;
  doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  lf.m_nListHold = hold;
  // 6. A comparison shown ends here; the file compare itself runs again once
  // its command exists.
  if (lf.m_nCompareCount > 0) {
    if (lf.m_nCompareCount > 1) lf.FreeCompareNames();
    lf.m_nCompareCount = 0;
  }
}

void CFlistView::SelectAll() {
  flist::SelectAllEntries(m_table, m_state);
  DrawEntryLines(m_bActivePane);
  DrawPathBar(m_bActivePane);
}

void CFlistView::OnUpdateSelectAll(CCmdUI* ui) { ui->Enable(m_nListSource == 0); }

CString CFlistView::Utf8PathToSjis(const CString& text) const {
  return CString(flist::Utf8PathToSjis(Str(text)).c_str());
}

// --- activation ---------------------------------------------------------------------

void CFlistView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) {
  app::DocHost* doc = GetDocument();
  if (activate && activateView == this) {
    m_bActivePane = 1;
    DrawEntryLines(1);
    DrawPathBar(1);
    if (doc) {
      if (doc->ListFields().m_nListReloadRequest == 2) ReloadList();
      doc->ListFields().m_nListReloadRequest = 0;
    }
    SetSide(1);
    if (m_nBuildCount >= 2) SetFrameTitle(m_strTitle);
    if (doc && app::g_pFrameHost && m_nBuildCount >= 1) {
      const app::DocPathFields& paths = doc->PathFields();
      const CString& path = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
      app::g_pFrameHost->UpdateMenuTexts(GetFileKind(path, doc->SettingsFields().m_strPictExt),
                                         doc->UpdateFields().m_nOpenContext, 1);
    }
  } else if (!activate && deactiveView == this) {
    m_bActivePane = 0;
    DrawEntryLines(0);
    DrawPathBar(0);
    SetSide(0);
  }
  CView::OnActivateView(activate, activateView, deactiveView);
}

void CFlistView::OnKeyUp(UINT ch, UINT, UINT) {
  app::DocHost* doc = GetDocument();
  if (ch == VK_SHIFT && doc) doc->KeyImageFields().m_bShiftHeld = 0;
  if (ch == VK_CONTROL) {
    m_bCtrlDown = 0;
    if (doc) doc->KeyImageFields().m_bCtrlHeld = 0;
  }
  Default();
}

void CFlistView::OnReturnNotify(NMHDR*, LRESULT* result) { *result = 0; }

// --- helpers ---------------------------------------------------------------------------

CString CFlistView::DisplayForm(const CString& path) {
  app::DocHost* doc = GetDocument();
  return doc ? doc->TranslateEncryptedFileName(path, 1) : path;
}

void CFlistView::ShowStatus(const CString& text) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, text);
}

void CFlistView::SetFrameTitle(const CString& title) {
  if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd() && app::g_pFrameHost->FrameWnd()->m_hWnd)
    app::g_pFrameHost->FrameWnd()->SetWindowText(title);
}

bool CFlistView::IsActiveForBuild() const {
  app::DocHost* doc = GetDocument();
  // Before the first activation a pane counts as active when its side is the
  // document's active side.
  if (m_nBuildCount <= 1) return doc && static_cast<std::uint32_t>(m_nSide) == doc->PathFields().m_nActiveSide;
  return doc && m_nSide == doc->PathFields().m_nActiveListSide && m_bActivePane > 0;
}

void CFlistView::PublishCompareList() {
  app::DocListFields& lf = GetDocument()->ListFields();
  lf.m_nCompareCount = flist::PublishNames(m_table, &lf.m_pCompareNames, &lf.m_aCompareSize, &lf.m_aCompareTime);
}

// --- the listing builder -------------------------------------------------------------

void CFlistView::OnUpdate(CView*, LPARAM, CObject*) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocUpdateFields& up = doc->UpdateFields();
  app::DocListFields& lf = doc->ListFields();
  app::DocPathFields& paths = doc->PathFields();
  app::DocWindowFields& win = doc->WindowFields();
  // 1. A wheel turn handed over from the other pane is all this update does.
  if (TakeForwardedWheel()) return;
  // 2. The drive list stays unless asked.
  if (m_nListSource == 1 && lf.m_nListHold == 0 && lf.m_nListRequest == 0) return;
  // 3. Network panes that are not active and hold entries stay.
  if ((StartsWith(m_strCurDir, "NW") || StartsWith(m_strStartPath, "NW")) && !IsActiveForBuild() &&
      m_table.m_nEntryCount > 0)
    return;
  // 4-5.
  SetSide(0);
  const std::uint32_t code = static_cast<std::uint32_t>(up.m_nUpdateCode);
  if (code == 0 || code == 1) return;
  // 6. The other pane asked for this pane's names.
  if (lf.m_nCompareCount == 1 && m_nSide != lf.m_nCompareSide) {
    lf.m_nCompareCount = 0;
    m_state.m_nSortMode = 5;
    ClearMarks(0);
    up.m_nUpdateCode = app::UpdateCode::kRedrawAll;
    OnUpdate(nullptr, 0, nullptr);
    PublishCompareList();
    return;
  }
  // 8. Keys and a click handed over through the document.
  if (!TakeForwardedInput()) return;
  // 9. First build.
  if (m_nBuildCount == 0) {
    m_bRelist2 = 1;
    m_nBuildCount = 1;
  }
  // 10.
  if (up.m_nLoadState == 0 && app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(99, 9, 1);
  // 11. Start-up orders, once.
  // The display mode is taken from the "posi<" digits at the first build
  // (the reload packs it back there).
  std::int32_t& startSort = m_nSide == 1 ? win.m_nStartSort1 : win.m_nStartSort2;
  if (startSort < 9) {
    m_state.m_nSortMode = static_cast<std::uint32_t>(startSort < 0 ? 0 : startSort);
    startSort += 10;
  }
  if (m_nBuildCount <= 1) m_state.m_nDisplayMode = flist::DisplayModeFromDirSort(win.m_nDirSort, m_nSide);
  // 12. Headings.
  flist::HeaderText h[5];
  flist::HeaderTexts(m_state.m_nSortMode, h);
  for (int i = 0; i < 5; ++i) m_strHeader[i] = h[i].id ? LoadText(static_cast<unsigned>(h[i].id)) + h[i].suffix : CString(h[i].literal);
  // 13. The path to follow and the cursor name.
  const bool active = IsActiveForBuild();
  CString& activePath = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
  if (m_nBuildCount <= 1) {
    m_strStartPath = DisplayForm(m_nSide == 1 ? paths.m_strPath1 : paths.m_strPath2);
    if (m_strStartPath.IsEmpty()) m_strStartPath = m_strCurDir;  // nothing opened: the start folder
    else m_strCursorName = flist::LastComponent(Str(m_strStartPath)).c_str();
  } else if (active) {
    if ((code & 2u) && lf.m_nListRequest <= 0) {
      m_strStartPath = DisplayForm(activePath);
      m_strCursorName = flist::LastComponent(Str(m_strStartPath)).c_str();
    }
  } else {
    if (lf.m_nListRequest == 2) {
      m_nListSource = 1;
      lf.m_nListRequest = 0;
      ShowDriveList();
      return;
    }
    if (lf.m_nListRequest == 1) {
      lf.m_nListRequest = 0;
      m_nListSource = 0;
      m_strStartPath = DisplayForm(paths.m_nActiveSide == 1 ? paths.m_strPath2 : paths.m_strPath1);
      m_strCurDir = m_strStartPath;
      ClearMarks(1);
      m_state.m_nCurEntry = 0;
    } else {
      if (!(code & 4u) && m_table.m_nEntryCount > 0) return;
      m_strCursorName = flist::GetNameRecord(m_table.m_pNameRecs, m_state.m_nCurEntry).c_str();
      if (m_table.m_pMarks && m_state.m_nCurEntry >= 0) m_table.m_pMarks[m_state.m_nCurEntry] = 0;
    }
  }
  if (active && m_nBuildCount > 1 && !activePath.IsEmpty()) m_strStartPath = DisplayForm(activePath);
  // 14.
  if (lf.m_nListHold > 0 && (up.m_nScheduleState == 0 || up.m_nScheduleState == 9)) return;
  // 15. The folder from the path.
  const flist::FolderChoice fc =
      flist::FolderFromPath(Str(m_strCurDir), Str(m_strStartPath), Str(m_strPrevDir), Str(m_strCursorName), m_bRelist,
                            m_bRelist2, m_nBuildCount, lf.m_nListHold);
  m_strCurDir = fc.curDir.c_str();
  if (fc.cursorChanged) m_strCursorName = fc.cursorName.c_str();
  // 17.
  if (m_nBuildCount >= 1) ++m_nBuildCount;
  // 18. Growth of the tables with the "flist" setting.
  const int capacity = doc->SettingsFields().m_nListCapacity > 0 ? doc->SettingsFields().m_nListCapacity : flist::kStartCapacity;
  if (m_table.m_nCapacity != capacity) m_table.Resize(capacity);
  if (!m_table.m_pNameRecs) return;
  // 16. An FTP site: the folder's first two characters are those of an
  // entry of at least 24 characters.
  const CString ftpEntries[3] = {doc->SystemFields().FtpEntry(0), doc->SystemFields().FtpEntry(1),
                                 doc->SystemFields().FtpEntry(2)};
  const int ftpEntry = m_strCurDir.IsEmpty() ? 0 : docsvc::FtpEntryOfPath(ftpEntries, m_strCurDir);
  // 19-28.
  m_bTitleSaid = false;
  if (ftpEntry > 0 && !m_bNetworkList) {
    if (!BuildFtpListing(ftpEntry)) return;
  } else if (!(m_bNetworkList ? BuildNetworkListing() : BuildLocalListing())) {
    return;
  }
  // 29. Title.
  CString t = flist::ListTitle(Str(m_strCurDir), Str(m_strPrevDir), Str(activePath)).c_str();
  if (t.IsEmpty()) t = m_strCurDir;  // nothing opened on the side: the folder itself
  if (active && m_nBuildCount >= 2 && code != 15 && !m_bTitleSaid) SetFrameTitle(t);
  m_strTitle = t;
  // 30.
  m_bRelist2 = 0;
  m_bRelist = 0;
  m_state.m_nScrollMax = flist::ScrollMaxFor(m_table.m_nEntryCount, m_table.m_nCapacity);
  if (m_hWnd) {
    ::SetScrollRange(m_hWnd, SB_VERT, 0, m_state.m_nScrollMax, TRUE);
    Invalidate(FALSE);
  }
  // The side's folder in the document follows the folder now listed.
  SetSide(0);
}

bool CFlistView::BuildLocalListing() {
  app::DocHost* doc = GetDocument();
  app::DocSettingsFields& set = doc->SettingsFields();
  fileops::FolderHost& host = *m_pFolders;
  const bool active = IsActiveForBuild();
  // Local folder steps 1-2: enter the folder (a drive with "\" appended).
  if (m_strCurDir.GetLength() < 3) {
    if (fileops::ChangeDirectory(host, Str(m_strCurDir), static_cast<int>(m_bFtpList), m_nListSource) < 0) {
      if (TakesNetworkFallBack()) return NetworkFallBack(true);
      m_strCurDir.Empty();
      ShowDriveList();
      if (active) SetFrameTitle(LoadText(IDS_DRIVE_OPEN_FAILED));
      return false;
    }
  } else if (fileops::ChangeDirectory(host, Str(m_strCurDir), static_cast<int>(m_bFtpList), m_nListSource) < 0) {
    // Its parent is tried (a UNC share is never cut to its server); then a
    // network folder goes back into the network, any other keeps the list
    // and the title says the folder cannot be opened.
    const int slash = flist::FolderRetryCut(Str(m_strCurDir));
    if (slash > 0) m_strCurDir = m_strCurDir.Left(slash);
    if (slash < 0 || fileops::ChangeDirectory(host, Str(m_strCurDir), static_cast<int>(m_bFtpList), m_nListSource) < 0) {
      if (TakesNetworkFallBack()) return NetworkFallBack(false);
      SetFrameTitle(LoadText(IDS_FOLDER_OPEN_FAILED));
      return false;
    }
  }
  // 3. Leaving an FTP site closes its connection.
  if (m_bFtpList) {
    if (fileops::FtpSite* site = fileops::g_pDocFileOps ? fileops::g_pDocFileOps->Ftp() : nullptr)
      if (site->Connected()) site->Close();
    m_bFtpList = 0;
  }
  // A folder that is no UNC folder ends the network walk.
  if (m_nNetDepth > 0 && !StartsWith(m_strCurDir, "\\\\")) LeaveNetwork();
  // 4. Filters, then the walk from work position 2.
  const CString raw[3] = {m_strFilter1, m_strFilter2, m_strFilter3};
  flist::ListFilter f[3];
  bool filtersSet = false;
  for (int i = 0; i < 3; ++i) {
    f[i] = flist::ParseListFilter(Str(raw[i]));
    filtersSet = filtersSet || f[i].set;
  }
  flist::WalkState walk;
  flist::WalkRequest r = walk.Request(&host);
  r.walkSubfolders = m_nListFlag;
  r.conditions = flist::ConditionsFromFilters(f);
  r.showProgress = active ? 1 : 0;
  r.listFolder = Str(m_strCurDir);
  r.displayMode = m_state.m_nDisplayMode;
  r.ftpList = static_cast<int>(m_bFtpList);
  r.listSource = m_nListSource;
  r.fhold = set.m_nFhold > 0 ? set.m_nFhold : 19000;
  r.encryptKeyCode = Str(doc->SystemFields().m_strEncryptKeyCode);
  r.progressText = [this](const std::string& t) { ShowStatus(CString(t.c_str())); };
  r.checkEscape = [] { return app::g_pFrameHost ? app::g_pFrameHost->CheckEscapeAbort() : 0; };
  r.folderUnreadable = [this] { SetFrameTitle(LoadText(IDS_FOLDER_OPEN_FAILED)); };
  HCURSOR old = m_nListFlag ? ::SetCursor(::LoadCursor(nullptr, IDC_WAIT)) : nullptr;
  flist::WalkFolder(r);
  const bool shown = PlaceAndShow(walk, r.fhold);
  if (old) ::SetCursor(old);
  return shown;
}

bool CFlistView::PlaceAndShow(flist::WalkState& walk, int fhold) {
  app::DocHost* doc = GetDocument();
  const bool active = IsActiveForBuild();
  const CString raw[3] = {m_strFilter1, m_strFilter2, m_strFilter3};
  bool filtersSet = false;
  for (int i = 0; i < 3; ++i) filtersSet = filtersSet || flist::ParseListFilter(Str(raw[i])).set;

  // 21. The active pane starts without marks.
  if (active) ClearMarks(0);
  flist::PlaceRequest pr;
  pr.order.sortMode = m_state.m_nSortMode;
  if (m_state.m_nSortMode < 7) m_state.m_nBuildWork = static_cast<std::int32_t>(m_state.m_nSortMode);
  pr.order.buildWork = m_state.m_nBuildWork;
  pr.order.displayMode = m_state.m_nDisplayMode;
  pr.order.networkList = m_bNetworkList != 0;
  pr.fhold = fhold;
  pr.filtersSet = filtersSet;
  pr.filterDescription = flist::DescribeFilters(Str(m_strFilter1), Str(m_strFilter2), Str(m_strFilter3));
  pr.sourceFiles = walk.files;
  pr.sourceBytes = walk.bytes;
  const flist::PlaceResult res = flist::PlaceListing(walk.work, static_cast<std::size_t>(walk.count), pr, &m_table);
  // 26. Status text, from the pane the user works in: the rebuilds of the
  // other updates would overwrite the document's own status line.
  const app::DocListFields& lf = doc->ListFields();
  if (active)
    ShowStatus(lf.m_nCompareCount > 1 ? LoadText(IDS_COMPARE_LEGEND) : CString((res.countText + " files").c_str()));
  // 28. Cursor by name.
  m_state.m_nCurEntry = flist::CursorByName(m_table, Str(m_strCursorName), NamesEqual);
  m_state.m_nPrevEntry = m_state.m_nCurEntry;
  ScrollToCursor();
  return true;
}

bool CFlistView::BuildFtpListing(int entry) {
  app::DocHost* doc = GetDocument();
  app::DocSettingsFields& set = doc->SettingsFields();
  fileops::FtpSite* site = fileops::g_pDocFileOps ? fileops::g_pDocFileOps->Ftp() : nullptr;
  // 1. Connect; a site that cannot be reached keeps the old list.
  if (!site || (!site->Connected() && site->Connect(m_strCurDir) != 0)) {
    m_nListSource = 1;
    ShowEntry(m_state.m_nCurEntry, 0, 0);
    SetFrameTitle(LoadText(IDS_DRIVE_OPEN_FAILED));
    return false;
  }
  // 2. The folder becomes the connection's current folder.
  m_bFtpList = 1;
  bool refused = false;
  site->Map(m_strCurDir, 1, &refused);
  HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  ShowStatus(LoadText(IDS_READING_INFO));
  // 3-4. The entries. A refused folder lists ".." only: "/" is current then,
  // and its files are not the folder's.
  const std::int64_t now = fw::CurrentTime();
  const bool odd = ((doc->SystemFields().FtpEntry(entry - 1).GetAt(3) - '0') & 1) != 0;
  const int fhold = set.m_nFhold > 0 ? set.m_nFhold : 19000;
  flist::WalkState walk;
  bool found = false;
  if (!refused) {
    found = site->List([&](const fileops::FolderEntry& e) {
      if (walk.count >= fhold) return false;
      flist::WorkEntry w;
      if (!flist::FtpWorkEntry(e, odd, now, &w)) return true;
      if (!w.IsFolderLike()) {
        ++walk.files;
        walk.bytes += w.WholeSize();
      }
      walk.work.push_back(std::move(w));
      ++walk.count;
      return true;
    });
  }
  // A folder that lists nothing says so in the title. When the server
  // refused it, the end of the build keeps that title: the list is not the
  // folder's. A folder it entered and found empty gets its own title then.
  if (!found) {
    SetFrameTitle(LoadText(IDS_FOLDER_OPEN_FAILED));
    m_bTitleSaid = refused;
  }
  // 5.
  ShowStatus(CString());
  const bool shown = PlaceAndShow(walk, fhold);
  ::SetCursor(old);
  return shown;
}
