#include "core/docsvc/filekind.h"

#include <vector>

#include "fw/sjis.h"

namespace docsvc {
namespace {

// No suffix ends another (a test keeps it so), so the order of the rows
// does not change any result.
const FileKindEntry kTable[] = {
    {".ppt", 1},  {".obd", 1},  {".pot", 1},
    {".doc", 2},
    {".xls", 3},
    {".rtf", 4},  {".rtz", 4},  {"rtzx", 4},
    {".lzh", 5},  {".zip", 5},
    {".htm", 6},  {"html", 6},
    {".exe", 8},  {".dll", 8},
    {".txt", 9},  {".ini", 9},  {".inf", 9},  {".tmr", 9},  {".sch", 9},
    {".cpp", 9},  {".mcr", 9},  {".c", 9},
    {".txf", 10},
    {".pdf", 11},
    {".bmp", 12},
    {".jpg", 13}, {"jpeg", 13},
    {".png", 14},
    {".gif", 15},
    {".tif", 16}, {"tiff", 16},
    {".bmz", 22},
    {".wmf", 27},
    {".emf", 28},
    {".msg", 32}, {".oft", 32},
    {".csv", 33},
    {".xml", 34},
    {"xlsx", 36}, {"xlsm", 36},
    {"docx", 37},
    {"pptx", 38}, {"potx", 38}, {"pptm", 38},
    {".mid", 51}, {"midi", 51}, {".rmi", 51},
    {".wav", 52}, {".snd", 52},
    {".avi", 53}, {".wmv", 53}, {".mov", 53},
    {".mpg", 54}, {"mpeg", 54},
    {".mp4", 55},
    {".mp3", 56}, {".wma", 56},
    {".rmc", 98}, {"rmcx", 98}, {"rmcz", 98}, {".h", 98},
    {".m3u", 99}, {".asx", 99}, {"m3u8", 99},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// True when `path` ends in `suffix` (ASCII case ignored) and the suffix starts
// on a character boundary. `boundary[i]` says whether byte i starts a character.
bool EndsWith(const CString& path, const std::vector<bool>& boundary, const char* suffix, int slen) {
  const int len = path.GetLength();
  if (slen == 0 || slen > len || !boundary[len - slen]) return false;
  const char* p = path.GetString() + (len - slen);
  for (int i = 0; i < slen; ++i)
    if (Lower(p[i]) != Lower(suffix[i])) return false;
  return true;
}

}  // namespace

const FileKindEntry* FileKindTable(int* count) {
  *count = static_cast<int>(sizeof kTable / sizeof kTable[0]);
  return kTable;
}

}  // namespace docsvc

int GetFileKind(const CString& path, const CString* pictExt) {
  using namespace docsvc;
  const int len = path.GetLength();
  const char* p = path.GetString();
  std::vector<bool> boundary(len + 1, false);
  for (int i = 0; i < len;) {
    boundary[i] = true;
    i += fw::SjisCharLength(p, len, i);
  }
  boundary[len] = true;
  for (const FileKindEntry& e : kTable) {
    int slen = 0;
    while (e.suffix[slen]) ++slen;
    if (EndsWith(path, boundary, e.suffix, slen)) return e.kind;
  }
  if (pictExt) {
    for (int i = 0; i < 5; ++i) {
      if (pictExt[i].IsEmpty()) continue;
      CString ext = pictExt[i].GetAt(0) == '.' ? pictExt[i] : "." + pictExt[i];
      if (ext.GetLength() > 1 && EndsWith(path, boundary, ext.GetString(), ext.GetLength()))
        return kKindPictExt0 + i;
    }
  }
  return kKindUnknown;
}
