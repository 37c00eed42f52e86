// Execute (the cursor file to its registered program, or a macro file run)
// and the pane's timers, one table by timer id.
#include <string>

#include "filelist/flistcore/viewforms.h"
#include "filelist/flistview.h"
#include "host/frame_host.h"

namespace {

std::string Str(const CString& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

// Timer 1: the follow-up launch of Execute.
constexpr UINT_PTR kTimerFollowUpLaunch = 1;
// Timer 10: the redraw after a copy handed to the system's tree copier.
constexpr UINT_PTR kTimerTreeCopy = 10;

struct TimerRow {
  UINT_PTR id;
  void (CFlistView::*handler)();
};

// The pane's timers. Ids without a row do nothing.
const TimerRow kTimers[] = {
    {kTimerFollowUpLaunch, &CFlistView::OnFollowUpLaunch},
    {kTimerTreeCopy, &CFlistView::OnTreeCopyTimer},
};

}  // namespace

void CFlistView::OnTimer(UINT_PTR id) {
  for (const TimerRow& row : kTimers) {
    if (row.id == id) {
      (this->*row.handler)();
      return;
    }
  }
}

void CFlistView::OnFollowUpLaunch() {
  KillTimer(kTimerFollowUpLaunch);
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocListFields& lf = doc->ListFields();
  if (lf.m_nLaunchFollowUp >= 0) {
    lf.m_nLaunchFollowUp = 2;
    doc->LaunchFile(m_strStartPath);
  }
  lf.m_nLaunchFollowUp = 1;
}

void CFlistView::OnTreeCopyTimer() {
  KillTimer(kTimerTreeCopy);
  if (app::g_pFrameHost) app::g_pFrameHost->ActivateListPane(0, 0);
  if (app::DocHost* doc = GetDocument()) doc->RedrawAllViews();
}

void CFlistView::OnExecute() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const app::DocPathFields& paths = doc->PathFields();
  const CString path =
      doc->TranslateEncryptedFileName(paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2, 0);
  if (path.IsEmpty()) return;
  // A file of an FTP site is launched from its local copy.
  if (doc->SystemFields().m_bFtpConnected == 1 && m_bFtpList == 1 && doc->GetFtpDriveNo(path) != 0) {
    doc->LaunchFile(flist::FtpLaunchCopy(Str(paths.m_strProgramDir), Str(path)).c_str());
    return;
  }
  app::DocUpdateFields& up = doc->UpdateFields();
  switch (flist::PlanExecute(Str(path))) {
    case flist::ExecuteAction::kRunMacro:
      up.m_nUpdateCode = app::UpdateCode::kSideMacro;
      doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
      return;
    case flist::ExecuteAction::kPlayList:
      // The list-macro player plays it; without the player nothing runs.
      return;
    case flist::ExecuteAction::kLaunch:
      break;
  }
  app::DocListFields& lf = doc->ListFields();
  if (lf.m_nLaunchFollowUp == 1) {
    SetTimer(kTimerFollowUpLaunch, static_cast<UINT>(flist::FollowUpDelayMs(up.m_nFileKind)));
    m_strStartPath = path;
    lf.m_nLaunchFollowUp = 0;
  }
  doc->LaunchFile(path);
}
