#include "view/viewcore/pagemarks.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "fw/file.h"
#include "fw/strtable.h"

namespace viewcore {
namespace {

constexpr unsigned kStrCannotOpenFile = 237;
constexpr std::size_t kMarkReach = 38;  // farthest backslash after the mark's blank

bool IsLetter(std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::size_t TextEnd(const std::uint8_t* buf, std::size_t len) {
  const void* nul = len ? std::memchr(buf, 0, len) : nullptr;
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - buf) : len;
}

// True when the control word at `j` (its backslash) is exactly `word`.
bool WordAt(const std::uint8_t* buf, std::size_t end, std::size_t j, const char* word) {
  const std::size_t n = std::strlen(word);
  if (j + 1 + n > end || buf[j] != '\\') return false;
  if (std::memcmp(buf + j + 1, word, n) != 0) return false;
  return j + 1 + n == end || !IsLetter(buf[j + 1 + n]);
}

enum class ParaWord { kNone, kPar, kPard, kPage };

ParaWord ParaWordAt(const std::uint8_t* buf, std::size_t end, std::size_t j) {
  if (WordAt(buf, end, j, "par")) return ParaWord::kPar;
  if (WordAt(buf, end, j, "pard")) return ParaWord::kPard;
  if (WordAt(buf, end, j, "page")) return ParaWord::kPage;
  return ParaWord::kNone;
}

// The shared file step: read whole, convert, write back over the same length.
PageMarkFileResult ConvertFile(const CString& path, int (*convert)(std::uint8_t*, std::size_t)) {
  PageMarkFileResult r;
  if (GetFileKind(path) != docsvc::kKindRichText) {
    r.ok = true;
    r.notRichText = true;
    return r;
  }
  auto fail = [&r, &path]() {
    std::string text;
    fw::LookupString(kStrCannotOpenFile, text);
    r.message = CString(std::move(text)) + "\nfile = " + path;
    return r;
  };
  CFile f;
  if (!f.Open(path, CFile::modeReadWrite | CFile::shareExclusive)) return fail();
  try {
    const ULONGLONG length = f.GetLength();
    if (length > std::numeric_limits<UINT>::max()) {
      f.Abort();
      return fail();
    }
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(length));
    const UINT got = buf.empty() ? 0 : f.Read(buf.data(), static_cast<UINT>(buf.size()));
    buf.resize(got);
    r.converted = convert(buf.data(), buf.size());
    if (r.converted > 0) {
      f.SeekToBegin();
      f.Write(buf.data(), static_cast<UINT>(buf.size()));
    }
    f.Close();
  } catch (const CFileException&) {
    f.Abort();
    return fail();
  }
  r.ok = true;
  return r;
}

}  // namespace

int RtfConvertPageMarks(std::uint8_t* buf, std::size_t len) {
  if (buf == nullptr) return 0;
  const std::size_t end = TextEnd(buf, len);
  int changed = 0;
  for (std::size_t i = 0; i + 2 < end;) {
    if (buf[i] == '~' && buf[i + 1] == '~') {
      const ParaWord w = ParaWordAt(buf, end, i + 2);
      if (w == ParaWord::kPar || w == ParaWord::kPard) {
        std::memcpy(buf + i, " \\page", 6);
        if (w == ParaWord::kPard) buf[i + 6] = ' ';
        ++changed;
        i += 6;
        continue;
      }
    }
    ++i;
  }
  return changed;
}

int ConvertRtfPageMarks(std::uint8_t* buf, std::size_t len) {
  if (buf == nullptr) return 0;
  const std::size_t end = TextEnd(buf, len);
  int changed = 0;
  for (std::size_t i = 0; i + 2 < end; ++i) {
    if (!(buf[i] == ' ' && buf[i + 1] == '~' && buf[i + 2] == '~')) continue;
    for (std::size_t j = i + 3; j <= i + kMarkReach && j < end; ++j) {
      const ParaWord w = ParaWordAt(buf, end, j);
      if (w == ParaWord::kNone) continue;
      if (w == ParaWord::kPage) {
        buf[i + 2] = '`';
      } else {
        buf[i] = '~';
        buf[i + 1] = '`';
        std::memmove(buf + i + 2, buf + i + 3, j - (i + 3));
        std::memcpy(buf + j - 1, "\\page", 5);  // "\par" one place left, 'r' -> "ge"
        if (w == ParaWord::kPard) buf[j + 4] = ' ';
      }
      ++changed;
      break;
    }
  }
  return changed;
}

PageMarkFileResult RtfConvertPageMarksFile(const CString& path) { return ConvertFile(path, RtfConvertPageMarks); }
PageMarkFileResult ConvertRtfPageMarksFile(const CString& path) { return ConvertFile(path, ConvertRtfPageMarks); }

}  // namespace viewcore
