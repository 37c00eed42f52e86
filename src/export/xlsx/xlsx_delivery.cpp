#include "export/xlsx/xlsx_delivery.h"

#include <string>

#include "core/safewrite/safewrite.h"
#include "export/xlsx/xlsx_export.h"
#include "fw/file.h"

namespace xlsx {
namespace {

bool ReadWhole(const CString& path, std::string* out) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return false;
  try {
    const ULONGLONG n = f.GetLength();
    if (n > 0x7FFFFFFFULL) return false;
    out->resize(static_cast<std::size_t>(n));
    std::size_t done = 0;
    while (done < out->size()) {
      UINT got = f.Read(&(*out)[done], static_cast<UINT>(out->size() - done));
      if (got == 0) break;
      done += got;
    }
    out->resize(done);
    f.Close();
  } catch (const CFileException&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool Write(const CString& target, const std::string& bytes) {
  viewcore::SafeWriteOptions options;  // no backup, the time of the write
  return viewcore::SafeWriteFile(target, bytes.data(), bytes.size(), options).ok;
}

}  // namespace

XlsxDelivery XlsxDeliverPackage(const CString& package, const CString& target, XlsxRunHost& host) {
  std::string bytes;
  if (!ReadWhole(package, &bytes) || bytes.empty()) return XlsxDelivery::kNoPackage;
  return XlsxDeliverBytes(bytes, target, host);
}

XlsxDelivery XlsxDeliverBytes(const std::string& bytes, const CString& target, XlsxRunHost& host) {
  if (Write(target, bytes)) return XlsxDelivery::kDone;
  if (!host.AskMakeWritable(target)) return XlsxDelivery::kDeclined;
  CFileStatus st;
  if (CFile::GetStatus(target, st)) {
    st.m_attribute = CFile::normal;
    st.m_ctime = st.m_mtime = st.m_atime = CTime();
    st.m_timesGiven = 0;
    try {
      CFile::SetStatus(target, st);
    } catch (const CFileException&) {
    }
  }
  if (Write(target, bytes)) return XlsxDelivery::kDone;
  host.ShowWriteProtected(target);
  return XlsxDelivery::kFailed;
}

}  // namespace xlsx
