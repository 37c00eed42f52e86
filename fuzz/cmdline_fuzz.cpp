// The start-up command line: splitting and parsing any text never fails and
// keeps its promises (no quotes left in arguments, a title always).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/shell/args.h"
#include "app/startup/cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string full = text.c_str();  // as the system hands it: up to the first NUL
  CString args = app::CommandLineArguments(full.c_str());
  if (args.GetLength() > static_cast<int>(full.size())) std::abort();
  for (const std::string& a : app::SplitArguments(CString(text.c_str()))) {
    if (a.find('"') != std::string::npos) std::abort();
  }
  app::StartupCommand c = app::ParseCommandLine(args, [](const CString& p) {
    return p.GetLength() > 4 && p.Right(4) == ".rmc" ? 98 : 0;
  });
  if (c.title.IsEmpty()) std::abort();
  if (c.pseudoName && !c.filePath.IsEmpty()) std::abort();
  return 0;
}
