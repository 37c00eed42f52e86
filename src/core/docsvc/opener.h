// How a file is handed to the program registered for it: the split of a
// registered open command into program and arguments, the document put into
// those arguments, and the plan of one launch (what the shell is asked).
// Texts are Shift-JIS; nothing here touches the system.
#pragma once

#include <functional>

#include "fw/cstring.h"

namespace docsvc {

// A command line split into the program and the rest.
struct CommandParts {
  CString program;    // without its quotes
  CString arguments;  // as written, leading blanks dropped
};

// Splits a registered command. A quoted program runs to its closing quote (to
// the end when there is none). An unquoted one runs to the first blank after
// the first ".exe", ".com", ".bat" or ".cmd" that ends at a blank or the end
// of the text (so "C:\Program Files\a\b.exe %1" keeps its blank), else to the
// first blank.
CommandParts SplitCommand(const CString& command);

// `text` in double quotes, unless it already begins with one.
CString QuoteArgument(const CString& text);

// The arguments of a registered command with the document put in:
//   "%1", "%L", "%V", "%D" (either case)  the document; quoted when the
//                                          placeholder stands outside quotes
//   "%*", "%0", "%2".."%9", "%I", "%S", "%H", "%W", "%U", "%~"  dropped
//   "%%"                                   one "%"
// A letter counts only when no letter, digit or "_" follows it, so "%Data%"
// stays; any other "%" stays too (an environment reference). Without any
// document placeholder the quoted document is added at the end, after one
// blank.
CString PutDocumentIntoArguments(const CString& arguments, const CString& document);

// A file that starts itself (".exe", ".com", ".bat", ".cmd", any case).
bool IsProgramFile(const CString& path);

// The shell's verb: "runas" when `fshell` is 1, else "open".
const char* LaunchVerb(unsigned fshell);

// Why a launch did not start anything.
enum class LaunchFailure {
  kNone,
  kNoFile,         // empty path, or nothing at the path
  kNoAssociation,  // no program registered for the file's type
  kPathNotFound,
  kAccessDenied,
  kBadFormat,      // not a program the system can start
  kNoResources,
  kCancelled,      // the user refused the elevation
  kOther,
};

// The failure a shell result stands for: `instance` is the shell's result
// (above 32 = started), `lastError` the system error after the call.
LaunchFailure ShellFailure(long long instance, unsigned long lastError);

// One launch, as the shell is to be asked.
struct LaunchPlan {
  LaunchFailure failure = LaunchFailure::kNone;  // kNone: ask the shell
  CString file;
  CString parameters;
  CString folder;  // the document's folder ("" without one)
  int runas = 0;
};

// What the file system says of the path.
enum class PathKind { kMissing, kFile, kFolder };

// Plans the launch of `path` (surrounding blanks and quotes dropped):
//   - nothing at the path                      kNoFile
//   - a folder                                 the shell "open"s it
//   - fshell not 1                             the shell "open"s the file
//   - fshell 1, a program                      the shell "runas" it
//   - fshell 1, a document                     the shell "runas" the program of
//     opener(extension) with the document in its arguments; kNoAssociation
//     when the opener is ""
// `opener` is asked only in the last case, with the extension without its dot.
LaunchPlan PlanLaunch(const CString& path, unsigned fshell, PathKind kind,
                      const std::function<CString(const CString& extension)>& opener);

// The path as PlanLaunch takes it: blanks around it and one pair of
// surrounding double quotes dropped.
CString CleanLaunchPath(const CString& path);

}  // namespace docsvc
