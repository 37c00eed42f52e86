#include "core/docsvc/docnames.h"

#include <algorithm>
#include <vector>

#include "core/docsvc/pathpart.h"
#include "fw/file.h"

namespace docsvc {

char GetSizeCode(const SizeCode& code) {
  int index = (code.index >= 0 && code.index < 12) ? code.index : 0;
  char c = static_cast<char>('A' + index + (code.high ? 12 : 0));
  if (code.lower) c = static_cast<char>(c + ('a' - 'A'));
  return c;
}

bool SetSizeCode(char letter, SizeCode& code) {
  bool lower = false;
  int n;
  if (letter >= 'A' && letter <= 'X') {
    n = letter - 'A';
  } else if (letter >= 'a' && letter <= 'x') {
    n = letter - 'a';
    lower = true;
  } else {
    return false;
  }
  code.index = n % 12;
  code.high = n >= 12;
  code.lower = lower;
  return true;
}

CString MakeTextFileName(const CString& name, char sizeLetter, int openContext) {
  const int len = name.GetLength();
  const int nameStart = LastBackslash(name) + 1;
  int dot = name.ReverseFind('.');
  CString base = name;
  if (dot >= nameStart && dot >= len - 8) base = name.Left(dot);
  if (openContext == 1) return base + ".txb";
  return base + "#" + sizeLetter + ".txt";
}

void AddToHistory(CString (&history)[kHistoryMax], int& count, const CString& entry) {
  count = std::clamp(count, 0, kHistoryMax - 1);
  history[count] = entry;
  ++count;
  if (count >= kHistoryMax) {
    for (int i = 0; i + 1 < kHistoryMax; ++i) history[i] = history[i + 1];
    history[kHistoryMax - 1].Empty();
    count = kHistoryMax - 1;
  }
}

CString SplitPartName(const CString& path, int part) {
  CString ext = GetPathPart(path, 5);
  CString num;
  num.Format("_part%d", part);
  CString out = GetPathPart(path, 6) + num;
  if (!ext.IsEmpty()) out += "." + ext;
  return out;
}

namespace {

// The split's messages, one table.
enum SplitError { kSplitBadSize, kSplitOpen, kSplitRead, kSplitWrite };
const char* const kSplitErrorText[] = {
    "分割サイズが正しくありません",
    "%s を開けません",
    "%s を読み込めません",
    "%s に書き込めません",
};

void SetError(SplitResult& r, SplitError e, const CString& path) {
  r.ok = false;
  r.error.Format(kSplitErrorText[e], path.GetString());
}

}  // namespace

SplitResult SplitFileIntoParts(const CString& path, long long partBytes) {
  SplitResult r;
  if (partBytes < 1) {
    SetError(r, kSplitBadSize, path);
    return r;
  }
  CFile src;
  if (!src.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
    SetError(r, kSplitOpen, path);
    return r;
  }
  const UINT kChunk = 1u << 20;
  std::vector<char> buf(kChunk);
  auto read = [&](long long left, UINT* got) {
    try {
      *got = src.Read(buf.data(), static_cast<UINT>(std::min<long long>(left, kChunk)));
      return true;
    } catch (const CFileException&) {
      SetError(r, kSplitRead, path);
      return false;
    }
  };
  for (;;) {
    // The first chunk of a part is read before the part is created, so the
    // end of the file never leaves an empty extra part.
    long long left = partBytes;
    UINT got = 0;
    if (!read(left, &got)) break;
    if (got == 0) {
      r.ok = true;
      break;
    }
    const CString partPath = SplitPartName(path, r.parts + 1);
    CFile out;
    if (!out.Open(partPath, CFile::modeCreate | CFile::modeWrite)) {
      SetError(r, kSplitWrite, partPath);
      break;
    }
    bool failed = false;
    try {
      while (got > 0) {
        out.Write(buf.data(), got);
        left -= got;
        if (left <= 0) break;
        if (!read(left, &got)) {
          failed = true;
          break;
        }
      }
      if (!failed) out.Close();
    } catch (const CFileException&) {
      SetError(r, kSplitWrite, partPath);
      failed = true;
    }
    if (failed) {
      out.Abort();
      break;
    }
    ++r.parts;
  }
  src.Abort();
  return r;
}

}  // namespace docsvc
