// The capture commands of the document: the active text view takes the
// picture itself; while a list pane is the active view, the capture is handed
// to the next update of the views, and the list is read again afterwards.
#include "app/dvkdoc.h"
#include "filelist/flistview.h"
#include "host/frame_host.h"
#include "image/capture/capture_plan.h"
#include "view/dvkview.h"

void CDvkDoc::OnCaptureDesktop() { RunCaptureCommand(image::capture::kDesktop); }
void CDvkDoc::OnCaptureWindow() { RunCaptureCommand(image::capture::kClicked); }
void CDvkDoc::OnCaptureSeries() { RunCaptureCommand(image::capture::kSeries); }

void CDvkDoc::RunCaptureCommand(int mode) {
  CFrameWnd* frame = app::g_pFrameHost ? app::g_pFrameHost->FrameWnd() : nullptr;
  CFlistView* list = frame ? dynamic_cast<CFlistView*>(frame->GetActiveView()) : nullptr;
  if (!list) {
    if (CDvkView* v = GetActiveTextView()) v->CaptureScreen(mode);
    return;
  }
  m_nPendingViewCmd = mode;
  UpdateAllViews(nullptr, 0, nullptr);
  // No text view took it (none shown): the request does not linger.
  if (m_nPendingViewCmd == mode) m_nPendingViewCmd = 0;
  list->ReloadList();
}
