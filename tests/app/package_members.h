// The members of a package (an .xlsx) as the program's own ZIP reader
// extracts them, by their names with '/' between folders; empty when the
// package cannot be read.
#pragma once

#include <map>
#include <string>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"

namespace shelltest {

inline std::map<std::string, std::string> PackageMembers(const std::string& path) {
  arc::ArcState st;
  arc::MemoryTarget target(std::size_t{1} << 24);
  const arc::ArcOutcome r = arc::UnzipOwn(st, path, 0, 0, nullptr, false, target);
  std::map<std::string, std::string> out;
  if (r.result != 0 || r.Failed()) return out;
  for (const auto& f : target.files) {
    std::string name = f.first;
    for (char& c : name)
      if (c == '\\') c = '/';
    out[name] = f.second.head;
  }
  return out;
}

}  // namespace shelltest
