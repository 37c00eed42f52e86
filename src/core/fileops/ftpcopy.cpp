#include "core/fileops/ftpcopy.h"

#include <string>

#include "core/fileops/scratchclean.h"
#include "fw/file.h"

namespace fileops {

namespace {

constexpr const char* kUploadSuffix = ".~copy";

// The name of a mapped path (mode 2 gives the name, the folder current).
bool MapToName(FtpSite& site, const CString& path, CString* name) {
  bool refused = false;
  *name = site.Map(path, 2, &refused);
  return !refused && !name->IsEmpty();
}

std::uint32_t SiteError(FtpSite& site, std::uint32_t fallback) {
  const std::uint32_t e = site.LastError();
  return e != 0 ? e : fallback;
}

CopyFileResult Failed(std::uint32_t error) {
  CopyFileResult r;
  r.error = error;
  return r;
}

}  // namespace

CString FtpUploadTemporary(const CString& name) {
  CString t(".");
  t += name;
  t += kUploadSuffix;
  return t;
}

CopyFileResult DownloadFtpFile(FtpSite& site, const CString& ftpPath, const CString& local,
                               const CopyFileOptions& options, std::int64_t* listedTime) {
  if (listedTime) *listedTime = 0;
  CString name;
  if (!MapToName(site, ftpPath, &name)) return Failed(kErrPathNotFound);
  FolderEntry entry;
  if (!site.Lookup(name, &entry)) return Failed(SiteError(site, kErrNotFound));
  if (listedTime) *listedTime = entry.mtime;
  if (entry.attributes & kAttrFolder) return Failed(kErrAccessDenied);
  PlacedFileWriter writer(local, options, entry.size);
  if (!writer.Open()) return writer.Result();
  bool writerFailed = false;
  const bool whole = site.ReadServerFile(name, [&](const char* data, std::uint32_t count) {
    if (writer.Write(data, count)) return true;
    writerFailed = true;
    return false;
  });
  if (writerFailed) return writer.Result();
  // A read error, or fewer bytes than the server listed (a cut connection
  // can read as the end): the copy is incomplete.
  if (!whole || writer.Written() < entry.size) {
    writer.Fail(kErrNetBroken);
    return writer.Result();
  }
  writer.Commit(PlacedFileWriter::kKeepWriteTime, kAttrArchive);
  return writer.Result();
}

CopyFileResult UploadFtpFile(FtpSite& site, const CString& local, const CString& ftpPath, bool failIfExists,
                             FtpTargetInfo* target, std::int64_t serverTime, const CopyFileOptions& options) {
  if (target) *target = FtpTargetInfo();
  CFileStatus status;
  if (!CFile::GetStatus(local, status)) return Failed(kErrNotFound);
  if (status.m_attribute & CFile::directory) return Failed(kErrAccessDenied);
  CFile in;
  CFileException openError;
  if (!in.Open(local, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &openError)) {
    const std::uint32_t e = SystemErrorOf(openError.m_lOsError);
    return Failed(e != kErrNone ? e : kErrNotFound);
  }
  CString name;
  if (!MapToName(site, ftpPath, &name)) return Failed(kErrPathNotFound);
  FolderEntry existing;
  const bool listed = site.Lookup(name, &existing);
  if (target && listed) {
    target->listed = true;
    target->mtime = existing.mtime;
  }
  if (listed && failIfExists) return Failed(kErrFileExists);
  if (listed && (existing.attributes & kAttrFolder)) return Failed(kErrAccessDenied);
  const CString temporary = FtpUploadTemporary(name);
  // A temporary of an interrupted earlier upload goes first.
  FolderEntry leftover;
  if (site.Lookup(temporary, &leftover)) site.RemoveServerFile(temporary);
  CopyPacer pacer(options, status.m_size);
  bool stopped = false;
  std::uint32_t readError = kErrNone;
  const bool whole = site.WriteServerFile(temporary, [&](char* buffer, std::uint32_t capacity) -> int {
    if (stopped || readError != kErrNone) return -1;
    UINT got = 0;
    try {
      got = in.Read(buffer, capacity < kCopyPiece ? capacity : kCopyPiece);
    } catch (const CFileException& e) {
      readError = SystemErrorOf(e.m_lOsError);
      if (readError == kErrNone) readError = kErrAccessDenied;
      return -1;
    }
    if (got == 0) return 0;
    if (!pacer.Count(got)) {
      stopped = true;
      return -1;
    }
    return static_cast<int>(got);
  });
  if (!whole || stopped || readError != kErrNone) {
    const std::uint32_t e = readError != kErrNone ? readError : SiteError(site, kErrNetBroken);
    site.RemoveServerFile(temporary);
    if (stopped) {
      CopyFileResult r;
      r.stopped = true;
      return r;
    }
    return Failed(e);
  }
  // The server must hold every byte before the target is touched.
  FolderEntry sent;
  if (!site.Lookup(temporary, &sent) || sent.size != status.m_size) {
    site.RemoveServerFile(temporary);
    return Failed(kErrNetBroken);
  }
  if (!site.RenameOnServer(temporary, name)) {
    // Some servers never rename onto an existing name: the old file goes
    // only now, with the complete copy beside it.
    FolderEntry still;
    if (!site.Lookup(name, &still) || (still.attributes & kAttrFolder) || !site.RemoveServerFile(name) ||
        !site.RenameOnServer(temporary, name)) {
      const std::uint32_t e = SiteError(site, kErrAccessDenied);
      site.RemoveServerFile(temporary);
      return Failed(e);
    }
  }
  // The time is a courtesy of the server: the file is in place either way.
  if (serverTime != 0) site.SetServerFileTime(name, serverTime);
  CopyFileResult r;
  r.placed = true;
  return r;
}

CopyFileResult CopyFtpToFtp(FtpSite& site, const CString& ftpSource, const CString& ftpDestination,
                            const CString& scratch, bool failIfExists, FtpTargetInfo* target) {
  if (target) *target = FtpTargetInfo();
  RemoveScratchFile(scratch);
  CopyFileOptions toScratch;
  std::int64_t listed = 0;
  const CopyFileResult got = DownloadFtpFile(site, ftpSource, scratch, toScratch, &listed);
  if (!got.placed) return got;
  const CopyFileResult put = UploadFtpFile(site, scratch, ftpDestination, failIfExists, target, listed);
  RemoveScratchFile(scratch);
  return put;
}

}  // namespace fileops
