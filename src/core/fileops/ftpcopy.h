// The transfers of one file to and from the document's FTP site, over the
// FtpSite of the file primitives. Nothing is lost when a transfer breaks:
//
// - A download goes through PlacedFileWriter: a temporary beside the local
//   destination, renamed over it only when every byte the server listed has
//   arrived (a cut data connection may read as the end).
// - An upload goes to a temporary name in the destination's server folder;
//   its listed length is checked, then it is renamed over the target (where
//   the server refuses to rename onto an existing name, the old file is
//   removed just before the rename). A broken upload removes the temporary,
//   so the server's file stays as it was.
// - With fail-if-exists an upload first looks the name up and fails with
//   kErrFileExists when the server lists it, so the overwrite questions
//   follow as for a local file; the lookup's time is handed back for the
//   older-file rule.
// - From one site folder to another the file travels through a local
//   scratch file.
#pragma once

#include <cstdint>

#include "core/fileops/filecopy.h"
#include "core/fileops/fileprims.h"
#include "fw/cstring.h"

namespace fileops {

// The scratch file of a file in transit between two site folders, below the
// program folder.
constexpr const char kFtpTransitScratch[] = "\\TMP\\DorvikTmp.tmp";

// What an upload found of the target on the server.
struct FtpTargetInfo {
  bool listed = false;      // the server lists the name
  std::int64_t mtime = 0;   // its time as listed (seconds), 0 unknown
};

// The temporary name an upload of `name` uses in the same server folder.
CString FtpUploadTemporary(const CString& name);

// Server file (pseudo-drive path) -> local file. `listedTime` (may be
// null) gets the server's time of the file as listed (0 unknown).
CopyFileResult DownloadFtpFile(FtpSite& site, const CString& ftpPath, const CString& local,
                               const CopyFileOptions& options, std::int64_t* listedTime = nullptr);

// Local file -> server file (pseudo-drive path). `target` (may be null)
// gets what the lookup before a fail-if-exists upload found. A placed file
// is given `serverTime` (seconds as the server keeps them; 0 leaves the
// time of the upload) where the server can set times. The file is sent in
// kCopyPiece pieces with the progress reports and stop polls of `options`
// (its failIfExists is not read); a stop breaks the transfer off and
// removes the temporary, so the server keeps its old file.
CopyFileResult UploadFtpFile(FtpSite& site, const CString& local, const CString& ftpPath, bool failIfExists,
                             FtpTargetInfo* target, std::int64_t serverTime = 0,
                             const CopyFileOptions& options = CopyFileOptions());

// Server file -> server file through `scratch` (a local path, removed first).
CopyFileResult CopyFtpToFtp(FtpSite& site, const CString& ftpSource, const CString& ftpDestination,
                            const CString& scratch, bool failIfExists, FtpTargetInfo* target);

}  // namespace fileops
