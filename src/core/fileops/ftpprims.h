// The FTP branches of the file-system primitives (fileprims.h), over the
// host's FtpSite. The primitives call them when a path is an FTP path.
#pragma once

#include "core/fileops/fileprims.h"

namespace fileops {

// The site when `path` is an FTP path for the primitives: a site, its
// connection open (unless `anyConnection`), `useFtp` 1 and the path on one
// of the three entries; else null.
FtpSite* FtpSiteOf(FileOpsHost& host, const CString& path, int useFtp, bool anyConnection = false);

int FtpChangeDirectory(FtpSite& site, const CString& path);
int FtpRemoveFolder(FtpSite& site, const CString& path);
int FtpRemoveFile(FtpSite& site, const CString& storedPath);
int FtpDeleteDirectoryTree(FileOpsHost& host, FtpSite& site, const CString& folder, int mode, int confirm, int quiet,
                           int limit);
int FtpGetDirectoryTreeSize(FileOpsHost& host, FtpSite& site, const CString& folder);
int FtpMakeFolder(FtpSite& site, const CString& path);

}  // namespace fileops
