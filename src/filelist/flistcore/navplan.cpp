#include "filelist/flistcore/navplan.h"

#include "fw/sjis.h"

namespace flist {

int LastBackslash(const std::string& text) {
  const int len = static_cast<int>(text.size());
  int last = -1;
  for (int i = 0; i < len; i += fw::SjisCharLength(text.data(), len, i)) {
    if (text[static_cast<std::size_t>(i)] == '\\') last = i;
  }
  return last;
}

FolderStep LocalFolderStep(const std::string& curDir, const std::string& path, int mode) {
  FolderStep step;
  step.dir = curDir;
  if (mode == 1) {
    step.dir = path;
    step.result = 2;
    return step;
  }
  if (mode != 0) {
    step.result = 0;
    return step;
  }
  const int first = LastBackslash(curDir);
  step.result = first;
  if (first > 1) {
    step.dir = curDir.substr(0, static_cast<std::size_t>(first));
    // A folder text that ended with "\" names the folder before it: one
    // more cut. (Only a final "\" counts: "C:\t\x" goes up to "C:\t".)
    if (first == static_cast<int>(curDir.size()) - 1 && first > 3) {
      const int second = LastBackslash(step.dir);
      if (second > 1) step.dir.resize(static_cast<std::size_t>(second));
    }
  }
  return step;
}

SortStep NextSortMode(SortCommand command, std::uint32_t current) {
  switch (command) {
    case SortCommand::kSize:
      return {current == 1 ? 2u : 1u, 1};
    case SortCommand::kDate:
      return {current == 3 ? 4u : 3u, 1};
    case SortCommand::kName:
      return {current == 0 ? 5u : current == 5 ? 6u : 0u, 0};
    case SortCommand::kExt:
      return {current == 7 ? 8u : 7u, 1};
  }
  return {current, 1};
}

bool DriveCommandEnabled(char letter, std::uint32_t driveMask, bool hasRoot) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return false;
  return ((driveMask >> (letter - 'A')) & 1u) != 0 && hasRoot;
}

}  // namespace flist
