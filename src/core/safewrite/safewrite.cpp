#include "core/safewrite/safewrite.h"

#include "core/docsvc/backup.h"
#include "fw/datetime.h"
#include "fw/file.h"
#include "fw/path.h"

namespace viewcore {
namespace {

// The save's messages: one table, in SaveError order.
const char* const kSaveErrorText[] = {
    "",
    "%s \nは書込み禁止です。保存できません。",
    "%s \nはフォルダです。保存できません。",
    "%s \nのバックアップを作成できません。保存を中止しました。",
    "%s \nのフォルダに書き込めません（フォルダが無いか、書込み権限がありません）。",
    "%s \nの書込み中にエラーが発生しました（ディスクの空き不足など）。元のファイルは変更されていません。",
    "%s \nを置き換えられません（他で使用中など）。元のファイルは変更されていません。",
    "%s \nの文字コードに変換できない文字があります。保存できません。",
    "%s \nを置き換えられず、元のファイルも戻せませんでした。元の内容は同じフォルダの .old ファイルに残っています。",
    "%s \nは保存しませんでした。",
};
static_assert(sizeof(kSaveErrorText) / sizeof(kSaveErrorText[0]) == static_cast<int>(SaveError::kNotConfirmed) + 1,
              "one text per SaveError");

// The question before a save that would lose characters ("%u" = how many).
const char kLossQuestion[] = "%u個の文字は保存できません。保存しますか?";

// Attribute bits carried over from the replaced file.
constexpr BYTE kKeptAttributes = CFile::hidden | CFile::system | CFile::archive;
constexpr UINT kChunk = 1u << 20;

SaveResult Fail(SaveError e, const CString& path) {
  SaveResult r;
  r.error = e;
  r.message = SaveErrorText(e, path);
  return r;
}

bool Exists(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) != FALSE;
}

void RemoveQuietly(const CString& path) {
  try {
    CFile::Remove(path);
  } catch (const CFileException&) {
  }
}

// A free name "<path>.~<n><suffix>" beside the target.
CString FreeSideName(const CString& path, const char* suffix) {
  for (int n = 0; n < 1000; ++n) {
    CString name;
    name.Format("%s.~%d%s", path.GetString(), n, suffix);
    if (!Exists(name)) return name;
  }
  return CString();
}

// Writes everything to a new file; on any error no file is left.
SaveError WriteNewFile(const CString& path, const void* data, std::size_t len) {
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) return SaveError::kCannotCreate;
  try {
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < len) {
      UINT n = static_cast<UINT>(len - done < kChunk ? len - done : kChunk);
      f.Write(p + done, n);
      done += n;
    }
    f.Close();
  } catch (const CFileException&) {
    f.Abort();
    RemoveQuietly(path);
    return SaveError::kWriteFailed;
  }
  return SaveError::kNone;
}

}  // namespace

CString LossQuestionText(std::size_t lost) {
  CString t;
  t.Format(kLossQuestion, static_cast<unsigned>(lost));
  return t;
}

CString SaveErrorText(SaveError e, const CString& path) {
  CString s;
  s.Format(kSaveErrorText[static_cast<int>(e)], path.GetString());
  return s;
}

SaveResult SafeWriteFile(const CString& path, const void* data, std::size_t len, const SafeWriteOptions& options) {
  CFileStatus before;
  const bool existed = CFile::GetStatus(path, before) != FALSE;
  if (existed) {
    if (before.m_attribute & CFile::directory) return Fail(SaveError::kIsFolder, path);
    if (before.m_attribute & CFile::readOnly) return Fail(SaveError::kReadOnly, path);
  }

  SaveResult result;
  if (existed && !options.programDir.IsEmpty()) {
    const CTime today = CTime::GetCurrentTime();
    docsvc::BackupResult b = docsvc::MakeBackup(path, options.programDir, today.GetMonth(), today.GetDay());
    if (!b.ok) {
      SaveResult r = Fail(SaveError::kBackupFailed, path);
      if (!b.error.IsEmpty()) r.message += "\n" + b.error;
      return r;
    }
    result.backupPath = b.backupPath;
  }

  // From here on a failure takes back the backup of the unchanged target.
  auto failed = [&](SaveError e) {
    if (!result.backupPath.IsEmpty()) RemoveQuietly(result.backupPath);
    return Fail(e, path);
  };
  const CString temp = FreeSideName(path, ".tmp");
  if (temp.IsEmpty()) return failed(SaveError::kCannotCreate);
  const SaveError written = WriteNewFile(temp, data, len);
  if (written != SaveError::kNone) return failed(written);

  // The original moves aside, the new file takes its name, then the
  // original goes; any failure puts the original back.
  if (existed) {
    const CString aside = FreeSideName(path, ".old");
    if (aside.IsEmpty()) {
      RemoveQuietly(temp);
      return failed(SaveError::kCannotReplace);
    }
    try {
      CFile::Rename(path, aside);
    } catch (const CFileException&) {
      RemoveQuietly(temp);
      return failed(SaveError::kCannotReplace);
    }
    try {
      CFile::Rename(temp, path);
    } catch (const CFileException&) {
      try {
        CFile::Rename(aside, path);
      } catch (const CFileException&) {
        // Neither name could be changed back: both contents stay on disk
        // (the old one beside the target, the new one as the temporary
        // file) and the message says so; the backup is kept as well.
        SaveResult r = Fail(SaveError::kRestoreFailed, path);
        r.backupPath = result.backupPath;
        return r;
      }
      RemoveQuietly(temp);
      return failed(SaveError::kCannotReplace);
    }
    RemoveQuietly(aside);
  } else {
    try {
      CFile::Rename(temp, path);
    } catch (const CFileException&) {
      RemoveQuietly(temp);
      return failed(SaveError::kCannotReplace);
    }
  }

  // The replaced file's attributes and, when asked, the kept date.
  CFileStatus now;
  const bool hasNow = CFile::GetStatus(path, now) != FALSE;
  BYTE attributes = hasNow ? now.m_attribute : 0;
  if (existed) attributes = static_cast<BYTE>((attributes & ~kKeptAttributes) | (before.m_attribute & kKeptAttributes));
  attributes &= static_cast<BYTE>(~(CFile::readOnly | CFile::directory | CFile::volume));
  if (options.keepModTime != 0 || (hasNow && attributes != (now.m_attribute & ~CFile::readOnly))) {
    CFileStatus st;
    st.m_attribute = attributes;
    st.m_mtime = CTime(options.keepModTime);
    try {
      CFile::SetStatus(path, st);
    } catch (const CFileException&) {
      result.warning = "ファイルの日付または属性を設定できませんでした: " + path;
    }
  }
  result.ok = true;
  return result;
}

}  // namespace viewcore
