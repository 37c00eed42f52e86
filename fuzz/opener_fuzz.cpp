// Registered open commands and launch plans: any command text and path
// (Shift-JIS or not) splits, takes the document and plans without failing,
// and the plan keeps its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/docsvc/opener.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const unsigned fshell = data[0] & 1u;
  const docsvc::PathKind kind = static_cast<docsvc::PathKind>((data[0] >> 1) % 3);
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t nl = rest.find('\n');
  const CString command(rest.substr(0, nl));
  const CString path(nl == std::string::npos ? std::string() : rest.substr(nl + 1));

  const docsvc::CommandParts parts = docsvc::SplitCommand(command);
  if (parts.program.GetLength() + parts.arguments.GetLength() > command.GetLength()) std::abort();
  if (!command.IsEmpty() && command.GetAt(0) == '"' && parts.program.Find('"') >= 0) std::abort();

  const CString put = docsvc::PutDocumentIntoArguments(parts.arguments, path);
  // The document is always in the result, and each two-byte placeholder
  // grows into the quoted document at most.
  if (put.Str().find(path.Str()) == std::string::npos) std::abort();
  const std::size_t bound =
      (parts.arguments.Str().size() / 2 + 1) * (path.Str().size() + 2) + parts.arguments.Str().size() + 1;
  if (put.Str().size() > bound) std::abort();

  int asked = 0;
  const docsvc::LaunchPlan plan = docsvc::PlanLaunch(path, fshell, kind, [&](const CString&) {
    ++asked;
    return command;
  });
  const CString clean = docsvc::CleanLaunchPath(path);
  const bool noFile = clean.IsEmpty() || kind == docsvc::PathKind::kMissing;
  if ((plan.failure == docsvc::LaunchFailure::kNoFile) != noFile) std::abort();
  if (noFile) return 0;
  const bool elevatedDocument = fshell == 1 && kind == docsvc::PathKind::kFile && !docsvc::IsProgramFile(clean);
  if (asked != (elevatedDocument ? 1 : 0)) std::abort();
  if (plan.runas != ((fshell == 1 && kind == docsvc::PathKind::kFile) ? 1 : 0)) std::abort();
  if (elevatedDocument && plan.failure == docsvc::LaunchFailure::kNone && !(plan.file == parts.program)) std::abort();
  if (!elevatedDocument && !(plan.file == clean)) std::abort();
  return 0;
}
