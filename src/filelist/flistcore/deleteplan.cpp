#include "filelist/flistcore/deleteplan.h"

#include <cstring>

namespace flist {

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, std::strlen(prefix), prefix) == 0; }

void Record(EntryTable& t, int i, const char* prefix, const std::string& name) {
  StoreNameRecord(t.m_pNameRecs, i, std::string(prefix) + name);
}

}  // namespace

bool IsDeletedRecord(const std::string& name) {
  return StartsWith(name, kDeletedFolderPrefix) || StartsWith(name, kDeletedFilePrefix);
}

DeleteOutcome RunDelete(EntryTable& t, DeleteFlags& flags, DeleteSteps& steps) {
  DeleteOutcome out;
  flags.m_bAskNone = 0;
  flags.m_bConfirmed = 0;
  if (!t.m_pMarks || !t.m_pNameRecs || !t.m_pEntryVal1) return out;

  int marked = 0;
  for (int i = 0; i < t.m_nCapacity; ++i)
    if (t.m_pMarks[i]) ++marked;
  if (marked > 1) {
    ++out.asked;
    const int a = steps.Ask(DeleteText::kDeleteMarked, DeleteText::kCaptionFile, DeleteButtons::kYesNoCancel, "", marked);
    if (a == kDeleteAnswerCancel) {
      out.ended = true;
      return out;
    }
    if (a == kDeleteAnswerYes) flags.m_bConfirmed = 1;
  }

  for (int i = 0; i < t.m_nCapacity; ++i) {
    if (!t.m_pMarks[i]) continue;
    const std::string name = GetNameRecord(t.m_pNameRecs, i);
    // A line already deleted names nothing on disk any more (its prefix holds
    // characters no file name may have).
    if (name.empty() || IsDeletedRecord(name)) continue;
    const std::string path = steps.EntryPath(i);
    if (marked == 1) {
      ++out.asked;
      if (steps.Ask(DeleteText::kDeleteOne, DeleteText::kCaptionFile, DeleteButtons::kOkCancel, name, 0) ==
          kDeleteAnswerCancel)
        continue;
    }
    if (static_cast<std::int32_t>(t.m_pEntryVal1[i]) == kSizeFolder) {
      if (steps.RemoveFolder(path) == 0) {
        Record(t, i, kDeletedFolderPrefix, name);
        ++out.removed;
        continue;
      }
      ++out.asked;
      const int a =
          steps.Ask(DeleteText::kDeleteFolderAll, DeleteText::kCaptionFolder, DeleteButtons::kYesNoCancel, name, 0);
      if (a == kDeleteAnswerCancel) continue;
      if (a == kDeleteAnswerYes) flags.m_bAskNone = flags.m_bConfirmed = 1;
      if (steps.DeleteTree(path, static_cast<int>(flags.m_bAskNone), static_cast<int>(flags.m_bConfirmed),
                           static_cast<int>(flags.m_bStaging), t.m_nCapacity) == -1) {
        ++out.asked;
        steps.Ask(DeleteText::kSomeNotDeleted, DeleteText::kCaptionFolder, DeleteButtons::kOk, name, 0);
        continue;
      }
      if (steps.RemoveFolder(path) == 0) {
        Record(t, i, kDeletedFolderPrefix, name);
        ++out.removed;
      }
      continue;
    }
    if (marked > 1 && !flags.m_bConfirmed) {
      ++out.asked;
      const int a = steps.Ask(DeleteText::kDeleteOne, DeleteText::kCaptionFile, DeleteButtons::kYesNoCancel, name, 0);
      if (a == kDeleteAnswerNo) continue;
      if (a == kDeleteAnswerCancel) {
        out.ended = true;
        break;
      }
    }
    if (steps.RemoveFile(path, static_cast<int>(flags.m_bAskNone)) == 0) {
      Record(t, i, kDeletedFilePrefix, name);
      ++out.removed;
      continue;
    }
    ++out.asked;
    if (steps.Ask(DeleteText::kCannotDelete, DeleteText::kCaptionFile, DeleteButtons::kOkCancel, path, 0) ==
        kDeleteAnswerCancel) {
      out.ended = true;
      break;
    }
  }
  return out;
}

}  // namespace flist
