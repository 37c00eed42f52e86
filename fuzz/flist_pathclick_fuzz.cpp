// The path-line click and the drag block over any folder text, click
// position and list of paths: the folder a click lists is always a prefix of
// the current folder ending before a separator at a character boundary (a
// trail byte 0x5C never cuts a name), the drive list only for the lead-in,
// and the drop block is 2,500 bytes whose names are the leading paths given
// (each without NUL), within the block.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "filelist/flistcore/dragplan.h"
#include "filelist/flistcore/mouseplan.h"
#include "filelist/flistcore/paint.h"
#include "fw/sjis.h"

namespace {

// True when offset `at` of `s` starts a character.
bool AtBoundary(const std::string& s, std::size_t at) {
  std::size_t i = 0;
  while (i < at) i += static_cast<std::size_t>(fw::SjisCharLength(s.data(), static_cast<int>(s.size()), static_cast<int>(i)));
  return i == at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int x = data[0] * 4 + (data[1] & 3);
  const int h = 8 + (data[1] >> 2);
  std::string parts[2];
  int k = 0;
  for (size_t i = 2; i < size && i < 3000; ++i) {
    if (data[i] == 0 && k == 0) {
      k = 1;
      continue;
    }
    parts[k] += static_cast<char>(data[i]);
  }
  const std::string& dir = parts[0];
  std::int32_t bars[flist::kPathBarSegments] = {};
  const std::vector<flist::PathSegment> segs = flist::PathBarSegments(dir, h);
  for (std::size_t i = 0; i < segs.size() && i < 20; ++i) bars[i] = segs[i].right;
  const flist::PathClick p = flist::PlanPathClick(dir, bars, x);
  const int count = flist::PathBarCount(bars, x);
  if ((p.kind == flist::PathClick::kDriveList) != (count == 0)) __builtin_trap();
  if (p.kind == flist::PathClick::kEnter) {
    const std::string whole = dir + "\\";
    if (p.folder.empty() || whole.compare(0, p.folder.size(), p.folder) != 0) __builtin_trap();
    const std::size_t next = p.folder.size();
    // The cut ends just before a separator (or ate a trailing one of "X:\").
    const bool beforeSep = next < whole.size() && whole[next] == '\\' && AtBoundary(whole, next);
    const bool afterSep = next >= 1 && whole[next - 1] == '\\' && AtBoundary(whole, next - 1);
    if (!beforeSep && !afterSep) __builtin_trap();
  }
  if (p.kind == flist::PathClick::kParentTimes && p.times < 0) __builtin_trap();
  // The drop block from the second part split at "|".
  std::vector<std::string> paths;
  std::string cur;
  for (char c : parts[1]) {
    if (c == '|') {
      paths.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  paths.push_back(cur);
  std::size_t taken = 0;
  const std::vector<std::uint8_t> b = flist::BuildDropBlock(paths, &taken);
  if (b.size() != flist::kDropBlockBytes) __builtin_trap();
  const std::vector<std::string> back = flist::ReadDropBlock(b);
  if (back.size() != taken) __builtin_trap();
  std::size_t j = 0;
  for (const std::string& s : paths) {
    const std::string want = s.substr(0, s.find('\0'));
    if (want.empty()) continue;
    if (j == back.size()) break;
    if (back[j++] != want) __builtin_trap();
  }
  return 0;
}
