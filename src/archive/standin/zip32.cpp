// "ZIP32.DLL" of this program: ZpInit keeps the callbacks, ZpSetOptions the
// options, and ZpArchive writes the archive with the program's own writer
// (the pattern expanded, folders walked when fRecurse is set, hidden and
// system files only with fSystem). With fVerbose the print callback gets one
// line of the options received, then one line per stored file. Nothing but
// an integer leaves it.
#include <string>

#include "archive/zip32_api.h"
#include "archive/zip_writer.h"

namespace {
ZIPUSERFUNCTIONS g_fn{};
ZPOPT g_opt{};
bool g_haveOptions = false;

void Print(const std::string& s) {
  if (g_fn.print) g_fn.print(s.c_str(), static_cast<unsigned long>(s.size()));
}
}  // namespace

extern "C" int ZpInit(ZIPUSERFUNCTIONS* functions) {
  if (!functions) return 0;
  g_fn = *functions;
  return 1;
}

extern "C" int ZpSetOptions(ZPOPT* options) {
  if (!options) return 0;
  g_opt = *options;
  g_haveOptions = true;
  return 1;
}

extern "C" int ZpArchive(ZCL command) {
  try {
    if (!command.lpszZipFN || command.argc < 1 || !command.FNV) return 1;
    std::vector<std::string> items;
    for (int i = 0; i < command.argc; ++i)
      if (command.FNV[i]) items.push_back(command.FNV[i]);
    bool recurse = g_haveOptions ? g_opt.fRecurse != 0 : true;
    bool verbose = g_haveOptions && g_opt.fVerbose != 0;
    if (verbose) {
      Print(std::string("options level=") + (g_opt.fLevel ? g_opt.fLevel : '?') +
            " system=" + std::to_string(g_opt.fSystem) + " verbose=" + std::to_string(g_opt.fVerbose) +
            " recurse=" + std::to_string(g_opt.fRecurse) + " encrypt=" + std::to_string(g_opt.fEncrypt) +
            " move=" + std::to_string(g_opt.fMove) + " date=\"" + (g_opt.Date ? g_opt.Date : "") +
            "\" root=\"" + (g_opt.szRootDir ? g_opt.szRootDir : "") + "\" temp=\"" +
            (g_opt.szTempDir ? g_opt.szTempDir : "") + "\"\n");
    }
    std::vector<arc::WalkEntry> entries = arc::CollectEntries(items, command.lpszZipFN, recurse);
    if (!(g_haveOptions && g_opt.fSystem)) {
      std::vector<arc::WalkEntry> kept;
      for (const arc::WalkEntry& e : entries)
        if ((e.stat.attr & 0x06) == 0) kept.push_back(e);
      entries.swap(kept);
    }
    if (entries.empty()) return 1;
    arc::ArcState st;
    arc::ArcOutcome r = arc::WriteZip(st, command.lpszZipFN, entries, [verbose](const arc::WalkEntry& e) {
      if (verbose) Print("  adding: " + e.name + "\n");
    });
    return r.result == 0 ? 0 : 2;
  } catch (...) {
    return 3;
  }
}
