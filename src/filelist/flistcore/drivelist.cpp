#include "filelist/flistcore/drivelist.h"

namespace flist {

// "デスクトップ", "ワンドライブ", "ドキュメント", "ミュージック", "ピクチャ",
// "ビデオ", "ダウンロード" in Shift-JIS.
const char* const kSpecialFolders[7] = {
    "\x83\x66\x83\x58\x83\x4E\x83\x67\x83\x62\x83\x76",
    "\x83\x8F\x83\x93\x83\x68\x83\x89\x83\x43\x83\x75",
    "\x83\x68\x83\x4C\x83\x85\x83\x81\x83\x93\x83\x67",
    "\x83\x7E\x83\x85\x81\x5B\x83\x57\x83\x62\x83\x4E",
    "\x83\x73\x83\x4E\x83\x60\x83\x83",
    "\x83\x72\x83\x66\x83\x49",
    "\x83\x5F\x83\x45\x83\x93\x83\x8D\x81\x5B\x83\x68",
};

std::string DriveKindText(int type, const std::string& fs) {
  const char* k = type == 4 ? "Net" : type == 5 ? "CD " : type == 6 ? "RAM" : type == 2 ? "Rmv" : type == 3 ? "HD " : "";
  return std::string(k) + " [" + fs + "]";
}

int PseudoDriveEntry(const std::string* v, char letter) {
  for (int i = 26; i <= 43; ++i) {
    if (i == 29 || i == 30 || i == 39) continue;
    if (!v[i].empty() && v[i][0] == letter) return i;
  }
  return -1;
}

int SecondTilde(const std::string& e) {
  const std::size_t first = e.find('~');
  if (first == std::string::npos) return -1;
  const std::size_t from = first == 2 ? 3 : first + 1;
  const std::size_t second = e.find('~', from);
  return second == std::string::npos ? -1 : static_cast<int>(second);
}

}  // namespace flist
