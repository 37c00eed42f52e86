#include "fw/shellexec.h"

#include <shellapi.h>

namespace fw {

namespace {
ShellRequest g_lastRequest;
}  // namespace

HINSTANCE ShellStart(const ShellRequest& request, DWORD* lastError) {
  g_lastRequest = request;
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  // No error dialogs of the shell (the caller reports), and the start is
  // complete when the call returns.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = request.verb.IsEmpty() ? nullptr : request.verb.GetString();
  info.lpFile = request.file.GetString();
  info.lpParameters = request.parameters.IsEmpty() ? nullptr : request.parameters.GetString();
  info.lpDirectory = request.folder.IsEmpty() ? nullptr : request.folder.GetString();
  info.nShow = request.showCommand;
  SetLastError(0);
  const BOOL ok = ShellExecuteExA(&info);
  const DWORD error = ok ? 0 : GetLastError();
  if (lastError) *lastError = error;
  // hInstApp holds the old-style result; keep it on the right side of 32.
  const INT_PTR instance = reinterpret_cast<INT_PTR>(info.hInstApp);
  if (!ok && instance > 32) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(0));
  if (ok && instance <= 32) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
  return info.hInstApp;
}

ShellRequest LastShellRequest() { return g_lastRequest; }

}  // namespace fw
