// OpenAddress: the address table of core/docsvc/address.h carried out with
// the document's downloads, FTP connection, open and side paths.
#include <windows.h>

#include "core/docsvc/address.h"
#include "core/docsvc/ftppath.h"
#include "app/dvkdoc.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "res/resource.h"

namespace {

bool IsFolder(const CString& path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const CString& path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// An FTP path names a file when its last component holds a "." (the rule of
// MapFtpDrivePath's other modes); a folder otherwise.
bool FtpPathIsFile(const CString& path) {
  const std::string server = docsvc::FtpServerPath(CString(), path).Str();
  return server.find('.', server.rfind('/') + 1) != std::string::npos;
}

}  // namespace

void CDvkDoc::SetSidePath(int side, const CString& path) {
  if (side == 1 || side == 2) m_nActiveSide = static_cast<std::uint32_t>(side);
  ActivePath() = path;
  m_nUpdateCode = app::UpdateCode::kFolderChanged;
  UpdateAllViews(nullptr);
}

int CDvkDoc::OpenAddress(const CString& address) {
  const bool fetchOnly = m_nAddressMode == 1;
  // A caller that reads the page itself must never find an earlier one.
  if (fetchOnly) RemovePage();
  const docsvc::AddressPlan plan = docsvc::ClassifyAddress(address, &FtpEntry(0));
  CString opened;  // the file to open once fetched
  bool failed = false;
  switch (plan.kind) {
    case docsvc::AddressKind::kHttp:
    case docsvc::AddressKind::kHttps:
      if (FetchPage(plan.kind == docsvc::AddressKind::kHttps, plan.host, plan.path) != 0) {
        failed = true;
      } else {
        opened = ScratchFolder(0) + "Dorviktmp.htm";
      }
      break;
    case docsvc::AddressKind::kFtpUrl:
      opened = FetchFtpFile(plan.host, plan.port, plan.user, plan.password, plan.path);
      failed = opened.IsEmpty();
      break;
    case docsvc::AddressKind::kFtpDrive:
      if (GetFtpDriveNo2(plan.path) != 0) {
        failed = true;
      } else if (FtpPathIsFile(plan.path)) {
        opened = WriteTempFile(plan.path);
        failed = opened.IsEmpty();
      } else {
        MapFtpDrivePath(plan.path, 1);
        if (m_bFtpCwdRefused) {
          failed = true;
        } else {
          SetSidePath(0, plan.path);
          return 0;
        }
      }
      break;
    case docsvc::AddressKind::kSide:
      SetSidePath(plan.side, plan.path);
      if (IsFile(plan.path) && !fetchOnly) return OpenFile(plan.path, docopen::OpenMode::kPlain);
      return 0;
    case docsvc::AddressKind::kLocal:
      if (IsFile(plan.path)) {
        if (fetchOnly) return 0;
        return OpenFile(plan.path, docopen::OpenMode::kPlain);
      }
      if (IsFolder(plan.path)) {
        SetSidePath(0, plan.path);
        return 0;
      }
      failed = true;
      break;
    case docsvc::AddressKind::kInvalid:
      failed = true;
      break;
  }
  if (failed) {
    if (!fetchOnly) AfxMessageBox(fw::LoadText(IDS_CANNOT_OPEN_FILE) + address);
    return -1;
  }
  if (fetchOnly) return 0;
  return OpenFile(opened, docopen::OpenMode::kPlain);
}

int CDvkDoc::FetchAddress(const CString& address) {
  const std::int32_t mode = m_nAddressMode;
  m_nAddressMode = 1;
  const int result = OpenAddress(address);
  m_nAddressMode = mode;
  return result;
}
