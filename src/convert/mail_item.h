// Mail items (".msg", ".oft"): compound documents whose message properties
// are streams named "__substg1.0_" + four hex digits of the property + four of
// its type. The reader walks the directory in the file image, writes the
// subject, recipients, sender and plain-text body under fixed captions, lists
// the attachments with their numbers, sizes and names, and on request saves
// one attachment as a scratch file "\TMP\TMP_" + its name for the caller to
// open (two renders: the first lists, the second, with m_nExtractNo set,
// extracts; the number is then raised by 100,000).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "convert/cfb_reader.h"
#include "fw/cstring.h"

namespace convert {

// The scratch-file operations of an extraction; an empty member acts on the
// disk. Tests and the fuzz target pass their own.
struct MailFileOps {
  std::function<bool(const CString& path, const std::string& bytes)> write;  // false: not written
  std::function<void(const CString& path)> remove;                          // errors are not reported
  std::function<bool(const CString& from, const CString& to)> rename;        // false: not renamed
};

// Reads the mail item whose file image is the job's head buffer (the bytes
// read, job.readSize), after LoadCompoundStreams filled `table` (slot 0 the
// root entry's start sector, slot 1 the first directory position). Uses and
// leaves job.m_nExtractNo, job.m_strCurFile and job.m_bSizeHigh. Returns the
// bytes written.
std::int64_t ReadMailItem(RenderJob& job, CfbReader& reader, const CompoundStreamTable& table,
                          const MailFileOps& files = MailFileOps());

// An attachment's name as a file name inside the scratch folder: only its
// last component (after the last "\", "/" or ":" that is not the second byte
// of a double-byte character), characters Windows refuses in names as "_",
// "_" for an empty name, "." or "..".
std::string SafeAttachmentName(const std::string& name);

}  // namespace convert
