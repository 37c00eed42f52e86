// Launching files with their registered programs and the registry reads of
// the document: thin entries over core/docsvc/opener (what to ask the shell)
// and the framework's shell and registry helpers. The program only reads the
// registry here; it writes no key.
#include <windows.h>

#include "app/dvkdoc.h"
#include "core/docsvc/opener.h"
#include "core/docsvc/pathpart.h"
#include "fw/msgbox.h"
#include "fw/registry.h"
#include "fw/shellexec.h"
#include "fw/winversion.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

const char kHttpUserChoice[] =
    "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";

docsvc::PathKind KindOfPath(const CString& path) {
  if (path.IsEmpty()) return docsvc::PathKind::kMissing;
  const DWORD a = GetFileAttributesA(path);
  if (a == INVALID_FILE_ATTRIBUTES) return docsvc::PathKind::kMissing;
  return (a & FILE_ATTRIBUTE_DIRECTORY) ? docsvc::PathKind::kFolder : docsvc::PathKind::kFile;
}

// The open command of a registered type ("" when it has none).
CString OpenCommandOfType(const CString& type) {
  if (type.IsEmpty()) return CString();
  CString command;
  fw::ReadRegistryText(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", nullptr, &command);
  return command;
}

CString ReasonText(docsvc::LaunchFailure failure, unsigned long instance, unsigned long error) {
  using F = docsvc::LaunchFailure;
  UINT id = IDS_LAUNCH_OTHER;
  switch (failure) {
    case F::kNoFile: id = IDS_LAUNCH_NO_FILE; break;
    case F::kNoAssociation: id = IDS_LAUNCH_NO_ASSOCIATION; break;
    case F::kPathNotFound: id = IDS_LAUNCH_PATH_NOT_FOUND; break;
    case F::kAccessDenied: id = IDS_LAUNCH_ACCESS_DENIED; break;
    case F::kBadFormat: id = IDS_LAUNCH_BAD_FORMAT; break;
    case F::kNoResources: id = IDS_LAUNCH_NO_RESOURCES; break;
    case F::kCancelled: id = IDS_LAUNCH_CANCELLED; break;
    default: break;
  }
  CString text;
  if (id == IDS_LAUNCH_OTHER) {
    text.Format(IDS_LAUNCH_OTHER, static_cast<int>(error ? error : instance));
  } else {
    text.LoadString(id);
  }
  return text;
}

}  // namespace

HINSTANCE CDvkDoc::ShellOpenElevated(CString file, CString parameters, CString folder, int runas, int show) {
  fw::ShellRequest request;
  request.verb = docsvc::LaunchVerb(runas == 1 ? 1u : 0u);
  request.file = file;
  request.parameters = parameters;
  request.folder = folder;
  request.showCommand = show == 1 ? SW_HIDE : show == 2 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
  DWORD error = 0;
  const HINSTANCE result = fw::ShellStart(request, &error);
  m_nLastShellError = error;
  return result;
}

int CDvkDoc::LaunchFile(CString path) {
  const CString file = docsvc::CleanLaunchPath(path);
  const docsvc::LaunchPlan plan = docsvc::PlanLaunch(
      file, m_nFshell, KindOfPath(file), [this](const CString& ext) { return GetDefaultOpener(ext); });
  docsvc::LaunchFailure failure = plan.failure;
  long long instance = 0;
  if (failure == docsvc::LaunchFailure::kNone) {
    instance = reinterpret_cast<INT_PTR>(ShellOpenElevated(plan.file, plan.parameters, plan.folder, plan.runas, 0));
    failure = docsvc::ShellFailure(instance, m_nLastShellError);
  }
  if (failure == docsvc::LaunchFailure::kNone) return 0;
  m_nLaunchFollowUp = -1;
  CString text;
  text.Format(IDS_LAUNCH_FAILED, file.GetString(),
              ReasonText(failure, static_cast<unsigned long>(instance), m_nLastShellError).GetString());
  AfxMessageBox(text);
  return -1;
}

int CDvkDoc::LaunchCurrentFile() { return LaunchFile(ActivePath()); }

void CDvkDoc::OnExitAndRun() {
  if (LaunchCurrentFile() != 0) return;
  // The frame's own exit: WM_CLOSE asks the save question and may be refused.
  if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd()) app::g_pFrameHost->FrameWnd()->PostMessage(WM_CLOSE);
}

void CDvkDoc::GetAssociatedProgram(CString& command) {
  CString progId;
  fw::ReadRegistryText(HKEY_CURRENT_USER, kHttpUserChoice, "ProgId", &progId);
  // A ProgId with a "\" would name another key than a type's own.
  if (LastBackslash(progId) >= 0) progId.Empty();
  command = OpenCommandOfType(progId);
  if (command.IsEmpty()) command = OpenCommandOfType("http");
}

CString CDvkDoc::GetDefaultOpener(CString ext) {
  ext.TrimLeft(" \t");
  ext.TrimRight(" \t");
  if (!ext.IsEmpty() && ext.GetAt(0) == '.') ext = ext.Mid(1);
  // An extension is one key name: "" or one with a "\" names no type.
  if (ext.IsEmpty() || LastBackslash(ext) >= 0) return CString();
  CString type;
  fw::ReadRegistryText(HKEY_CLASSES_ROOT, "." + ext, nullptr, &type);
  if (LastBackslash(type) >= 0) return CString();
  return OpenCommandOfType(type);
}

CDvkDoc::WindowsVersion CDvkDoc::GetWindowsVersion() {
  WindowsVersion v;
  fw::ReadSystemVersion(&v.major, &v.minor, &v.build);
  fw::ReadRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                       &v.productName);
  return v;
}
