#include "image/textview/picture_marker.h"

#include <cstring>

#include "core/docsvc/pathpart.h"
#include "fw/cstring.h"
#include "fw/sjis.h"

namespace image::textview {

namespace {

// Media folders of the unpacked Office packages, by file kind.
struct MediaFolder {
  int fileKind;
  const char* folder;
};
constexpr MediaFolder kMediaFolders[] = {
    {36, "\\TMP\\XLSX\\xl\\media\\"},
    {37, "\\TMP\\XLSX\\word\\media\\"},
    {38, "\\TMP\\XLSX\\ppt\\media\\"},
};

// Signatures of the media files that carry no usable extension.
struct MediaSignature {
  const char* bytes;
  std::size_t length;
  const char* ext;
};
constexpr MediaSignature kMediaSignatures[] = {
    {"\x89PNG", 4, ".png"}, {"\xFF\xD8", 2, ".jpg"}, {"\xD7\xCD", 2, ".wmf"},
    {"\x01\x00", 2, ".emf"}, {"BM", 2, ".bmp"},       {"GIF", 3, ".gif"},
};

// The pane table: for each mode group and double-clicked pane, the row and
// which of the two layout columns shows the picture (0: col0, 1: col1).
struct PaneRoute {
  bool twoRows;  // modes 2 and 10; otherwise modes 1, 9 and 20
  int paneIndex;
  int row;
  int whichColumn;
};
constexpr PaneRoute kPaneRoutes[] = {
    {true, 1, 1, 1},  {true, 3, 1, 0},  {true, 2, 0, 0},  {true, 4, 0, 1},
    {false, 1, 0, 0}, {false, 3, 0, 1}, {false, 2, 1, 1}, {false, 4, 1, 0},
};

bool IsKeptSplitMode(int mode) { return mode == 20 || mode == 2 || mode == 1 || mode == 9; }

// A bare file name: no folder separator (whole characters only, so a
// double-byte character ending in 0x5C passes), no drive colon, no "..".
bool IsBareFileName(const std::string& name) {
  if (name.find("..") != std::string::npos) return false;
  const int n = static_cast<int>(name.size());
  for (int i = 0; i < n;) {
    const char c = name[static_cast<std::size_t>(i)];
    const int len = fw::SjisCharLength(name.data(), n, i);
    if (len == 1 && (c == '\\' || c == '/' || c == ':' || c == '\0')) return false;
    i += len;
  }
  return true;
}

}  // namespace

bool IsPictureMarker(const std::string& word, char closing, int sourceView) {
  if (sourceView != 0 || closing != ']' || word.size() <= 2) return false;
  const std::string head = word.substr(0, 2);
  return head == "Im" || head == "im" || head == "fi";
}

MarkerPlan PlanPictureMarker(const std::string& word, int fileKind, const std::string& programDir,
                             const std::string& viewPath) {
  MarkerPlan plan;
  const unsigned char third = word.size() > 2 ? static_cast<unsigned char>(word[2]) : 0;
  plan.letter = third < 'b' ? 'a' : third;
  std::int64_t number = 0;
  for (std::size_t i = 2; i < word.size(); ++i) {
    if (word[i] >= '0' && word[i] <= '9') {
      number = number * 10 + (word[i] - '0');
      if (number > kMaxMarkerNumber) number = kMaxMarkerNumber;
    }
  }
  plan.number = static_cast<std::int32_t>(number);

  for (const MediaFolder& media : kMediaFolders) {
    if (media.fileKind != fileKind) continue;
    if (!IsBareFileName(word)) return plan;
    plan.source = MarkerPlan::kMediaFile;
    plan.path = programDir + media.folder + word;
    return plan;
  }
  if (plan.number == 0) return plan;
  plan.source = MarkerPlan::kShownFile;
  plan.path = viewPath;
  return plan;
}

const char* SniffMediaExtension(const std::uint8_t* head, std::size_t length) {
  if (head == nullptr) return nullptr;
  for (const MediaSignature& sig : kMediaSignatures) {
    if (length >= sig.length && std::memcmp(head, sig.bytes, sig.length) == 0) return sig.ext;
  }
  return nullptr;
}

std::string MediaCopyPath(const std::string& programDir, const std::string& mediaPath, const char* ext) {
  const CString base = GetPathPart(CString(mediaPath), 2);
  return programDir + "\\TMP\\" + base.Str() + (ext != nullptr ? ext : "");
}

MarkerLayout PlanMarkerLayout(int splitMode, int paneIndex) {
  MarkerLayout layout;
  layout.splitMode = splitMode;
  layout.layoutArg = paneIndex == 4 ? 3 : 0;
  if (!IsKeptSplitMode(splitMode)) {
    layout.changed = true;
    layout.splitMode = (paneIndex == 3 || paneIndex == 1) ? 20 : 10;
  }
  return layout;
}

PaneCell MarkerTargetPane(int splitMode, int paneIndex, int col0, int col1) {
  PaneCell cell;
  bool twoRows = false;
  if (splitMode == 2 || splitMode == 10) {
    twoRows = true;
  } else if (splitMode != 1 && splitMode != 9 && splitMode != 20) {
    return cell;
  }
  for (const PaneRoute& route : kPaneRoutes) {
    if (route.twoRows == twoRows && route.paneIndex == paneIndex) {
      cell.known = true;
      cell.row = route.row;
      cell.column = route.whichColumn == 0 ? col0 : col1;
      break;
    }
  }
  return cell;
}

std::string PaneTitlePrefix(int splitMode, int paneIndex) {
  if (splitMode < 1) return "";
  switch (paneIndex) {
    case 3:
      return "[1]  ";
    case 2:
      return "[2]  ";
    case 1:
      return "[3]  ";
    default:
      return "[4]  ";
  }
}

}  // namespace image::textview
