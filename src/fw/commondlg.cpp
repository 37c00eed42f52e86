#include "fw/commondlg.h"

#include <algorithm>
#include <cstring>

#include "fw/sjis.h"
#include "fw/uihooks.h"

namespace {

HWND OwnerOf(const CWnd* parent) {
  HWND h = parent ? FwGetSafeHwnd(parent) : nullptr;
  return h ? h : GetActiveWindow();
}

// Position of the last '\' or '/' of a Shift-JIS path (a '\' that is the
// trail byte of a character does not count), or npos.
size_t LastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  const int len = static_cast<int>(path.size());
  for (int i = 0; i < len;) {
    const char c = path[static_cast<size_t>(i)];
    if (c == '\\' || c == '/') last = static_cast<size_t>(i);
    i += fw::SjisCharLength(path.data(), len, i);
  }
  return last;
}

std::string FileNameOf(const std::string& path) {
  size_t sep = LastSeparator(path);
  std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  if (sep == std::string::npos && name.size() >= 2 && name[1] == ':') name.erase(0, 2);
  return name;
}

void CopyTo(std::vector<char>* buf, const std::string& s) {
  const size_t n = std::min(s.size(), buf->size() - 2);
  std::memcpy(buf->data(), s.data(), n);
  (*buf)[n] = '\0';
  (*buf)[n + 1] = '\0';
}

// Size of the file-name buffer: room for a long multi-selection.
const size_t kFileBuffer = 64 * 1024;

}  // namespace

// --- CFileDialog -----------------------------------------------------------------

CFileDialog::CFileDialog(bool openDialog, const char* defExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : open_(openDialog), parent_(parent), file_(kFileBuffer, '\0') {
  std::memset(&m_ofn, 0, sizeof m_ofn);
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hInstance = GetModuleHandleA(nullptr);
  m_ofn.Flags = flags | OFN_EXPLORER;
  if (filter && *filter) {
    filter_ = filter;
    std::replace(filter_.begin(), filter_.end(), '|', '\0');
    filter_.append(2, '\0');  // a filter without the closing "||" still ends well
    m_ofn.lpstrFilter = filter_.c_str();
  }
  if (defExt && *defExt) {
    defExt_ = defExt;
    m_ofn.lpstrDefExt = defExt_.c_str();
  }
  if (fileName) CopyTo(&file_, fileName);
  m_ofn.lpstrFile = file_.data();
  m_ofn.nMaxFile = static_cast<DWORD>(file_.size() - 1);
}

void CFileDialog::SetTitle(const char* title) {
  title_ = title ? title : "";
  m_ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
}

void CFileDialog::SetInitialFolder(const char* folder) {
  folder_ = folder ? folder : "";
  m_ofn.lpstrInitialDir = folder_.empty() ? nullptr : folder_.c_str();
}

void CFileDialog::TakeAnswer(const std::vector<std::string>& paths) {
  paths_ = paths;
  if (paths_.size() == 1 && !defExt_.empty() && FileNameOf(paths_[0]).find('.') == std::string::npos)
    paths_[0] += "." + defExt_;  // as the real dialog does for a name typed without one
  // Leave the buffer as the real dialog would for one file.
  std::vector<char> buf(m_ofn.nMaxFile + 2, '\0');
  CopyTo(&buf, paths_[0]);
  if (m_ofn.lpstrFile && m_ofn.nMaxFile > 0) {
    std::memcpy(m_ofn.lpstrFile, buf.data(), m_ofn.nMaxFile);
    m_ofn.lpstrFile[m_ofn.nMaxFile - 1] = '\0';
    const size_t sep = LastSeparator(paths_[0]);
    const size_t nameAt = sep == std::string::npos ? 0 : sep + 1;
    const size_t dot = paths_[0].rfind('.');
    m_ofn.nFileOffset = static_cast<WORD>(std::min<size_t>(nameAt, 0xFFFF));
    m_ofn.nFileExtension =
        static_cast<WORD>(dot != std::string::npos && dot >= nameAt ? std::min<size_t>(dot + 1, 0xFFFF) : 0);
  }
}

int CFileDialog::DoModal() {
  paths_.clear();
  fw::hooks::NoteFileDialogOffer({file_.data(), folder_});
  std::vector<std::string> answer;
  if (fw::hooks::TakeFileDialogAnswer(&answer)) {
    if (answer.empty()) return IDCANCEL;
    TakeAnswer(answer);
    return IDOK;
  }
  m_ofn.hwndOwner = OwnerOf(parent_);
  const BOOL ok = open_ ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
  if (!ok) return IDCANCEL;
  ParseResult();
  return paths_.empty() ? IDCANCEL : IDOK;
}

void CFileDialog::ParseResult() {
  const char* buf = m_ofn.lpstrFile;
  const size_t cap = m_ofn.nMaxFile;
  if (!buf || cap == 0) return;
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < cap && buf[i] != '\0') {
    const size_t start = i;
    while (i < cap && buf[i] != '\0') ++i;
    parts.emplace_back(buf + start, i - start);
    ++i;  // past the NUL
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT)) break;
  }
  if (parts.size() <= 1) {
    paths_ = parts;
    return;
  }
  // Multi-selection: the folder, then the names in it.
  std::string folder = parts[0];
  const size_t sep = LastSeparator(folder);
  if (sep == std::string::npos || sep + 1 != folder.size()) folder += '\\';
  for (size_t k = 1; k < parts.size(); ++k) paths_.push_back(folder + parts[k]);
}

CString CFileDialog::GetPathName() const {
  return paths_.empty() ? CString() : CString(paths_[0]);
}

CString CFileDialog::GetFileName() const {
  return CString(FileNameOf(GetPathName().Str()));
}

CString CFileDialog::GetFileExt() const {
  const std::string name = FileNameOf(GetPathName().Str());
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? CString() : CString(name.substr(dot + 1));
}

CString CFileDialog::GetFileTitle() const {
  const std::string name = FileNameOf(GetPathName().Str());
  return CString(name.substr(0, name.rfind('.')));
}

std::vector<CString> CFileDialog::GetPathNames() const {
  std::vector<CString> out;
  for (const std::string& p : paths_) out.emplace_back(p);
  return out;
}

// --- CColorDialog --------------------------------------------------------------------

COLORREF* CColorDialog::GetSavedCustomColors() {
  static COLORREF colors[16] = {
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
  return colors;
}

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : parent_(parent) {
  std::memset(&m_cc, 0, sizeof m_cc);
  m_cc.lStructSize = sizeof m_cc;
  m_cc.lpCustColors = GetSavedCustomColors();
  m_cc.Flags = flags | (initial != 0 ? CC_RGBINIT : 0);
  m_cc.rgbResult = initial;
}

int CColorDialog::DoModal() {
  bool ok = false;
  std::uint32_t rgb = 0;
  if (fw::hooks::TakeColorDialogAnswer(&ok, &rgb)) {
    if (!ok) return IDCANCEL;
    m_cc.rgbResult = rgb & 0xFFFFFF;
    return IDOK;
  }
  m_cc.hwndOwner = OwnerOf(parent_);
  return ChooseColorA(&m_cc) ? IDOK : IDCANCEL;
}

// --- CFontDialog -----------------------------------------------------------------------

CFontDialog::CFontDialog(const LOGFONTA* initial, DWORD flags, HDC printer, CWnd* parent) : parent_(parent) {
  std::memset(&m_cf, 0, sizeof m_cf);
  std::memset(&m_lf, 0, sizeof m_lf);
  if (initial) m_lf = *initial;
  m_cf.lStructSize = sizeof m_cf;
  m_cf.lpLogFont = &m_lf;
  m_cf.Flags = flags | (initial ? CF_INITTOLOGFONTSTRUCT : 0);
  if (printer) {
    m_cf.hDC = printer;
    m_cf.Flags |= CF_PRINTERFONTS;
  }
}

int CFontDialog::DoModal() {
  bool ok = false;
  std::string face;
  int size10 = 0;
  fw::hooks::NoteFontDialogStart(m_lf.lfFaceName, m_cf.Flags);
  if (fw::hooks::TakeFontDialogAnswer(&ok, &face, &size10)) {
    if (!ok) return IDCANCEL;
    std::memset(m_lf.lfFaceName, 0, sizeof m_lf.lfFaceName);
    std::memcpy(m_lf.lfFaceName, face.data(), std::min(face.size(), sizeof m_lf.lfFaceName - 1));
    HDC screen = GetDC(nullptr);
    m_lf.lfHeight = -MulDiv(size10, GetDeviceCaps(screen, LOGPIXELSY), 720);
    ReleaseDC(nullptr, screen);
    if (m_lf.lfCharSet == ANSI_CHARSET) m_lf.lfCharSet = DEFAULT_CHARSET;
    m_cf.iPointSize = size10;
    return IDOK;
  }
  m_cf.hwndOwner = OwnerOf(parent_);
  return ChooseFontA(&m_cf) ? IDOK : IDCANCEL;
}

// --- CPrintDialog -------------------------------------------------------------------------

CPrintDialog::CPrintDialog(bool printSetupOnly, DWORD flags, CWnd* parent) : parent_(parent) {
  std::memset(&m_pd, 0, sizeof m_pd);
  m_pd.lStructSize = sizeof m_pd;
  m_pd.Flags = flags | (printSetupOnly ? PD_PRINTSETUP : 0);
  m_pd.nFromPage = 1;
  m_pd.nToPage = 1;
  m_pd.nMinPage = 1;
  m_pd.nMaxPage = 0xFFFF;
  m_pd.nCopies = 1;
}

CPrintDialog::~CPrintDialog() {
  FreeDevHandles();
  if (m_pd.hDC) DeleteDC(m_pd.hDC);
}

void CPrintDialog::FreeDevHandles() {
  if (m_pd.hDevMode) GlobalFree(m_pd.hDevMode);
  if (m_pd.hDevNames) GlobalFree(m_pd.hDevNames);
  m_pd.hDevMode = nullptr;
  m_pd.hDevNames = nullptr;
}

int CPrintDialog::DoModal() {
  bool ok = false;
  if (fw::hooks::TakePrintDialogAnswer(&ok)) {
    if (!ok) return IDCANCEL;
    if (!m_pd.hDevNames) GetDefaults();  // the default printer, if there is one
    return IDOK;
  }
  m_pd.hwndOwner = OwnerOf(parent_);
  return PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}

bool CPrintDialog::GetDefaults() {
  FreeDevHandles();
  const DWORD flags = m_pd.Flags;
  m_pd.Flags = (flags & ~(PD_RETURNDC | PD_RETURNIC)) | PD_RETURNDEFAULT;
  m_pd.hwndOwner = nullptr;
  const BOOL ok = PrintDlgA(&m_pd);
  m_pd.Flags = flags;
  return ok != FALSE;
}

std::string CPrintDialog::DevName(int which) const {
  if (!m_pd.hDevNames) return std::string();
  const size_t size = GlobalSize(m_pd.hDevNames);
  const auto* names = static_cast<const DEVNAMES*>(GlobalLock(m_pd.hDevNames));
  if (!names) return std::string();
  std::string out;
  if (size >= sizeof(DEVNAMES)) {
    const WORD offset = which == 0 ? names->wDeviceOffset : which == 1 ? names->wDriverOffset : names->wOutputOffset;
    const char* base = reinterpret_cast<const char*>(names);
    if (offset < size) out.assign(base + offset, strnlen(base + offset, size - offset));
  }
  GlobalUnlock(m_pd.hDevNames);
  return out;
}

CString CPrintDialog::GetDeviceName() const { return CString(DevName(0)); }
CString CPrintDialog::GetDriverName() const { return CString(DevName(1)); }
CString CPrintDialog::GetPortName() const { return CString(DevName(2)); }

int CPrintDialog::GetCopies() const {
  if ((m_pd.Flags & PD_USEDEVMODECOPIES) && m_pd.hDevMode) {
    const auto* mode = static_cast<const DEVMODEA*>(GlobalLock(m_pd.hDevMode));
    int copies = mode ? mode->dmCopies : 1;
    GlobalUnlock(m_pd.hDevMode);
    return copies;
  }
  return m_pd.nCopies;
}

HDC CPrintDialog::CreatePrinterDC() {
  const std::string device = DevName(0);
  if (device.empty()) return nullptr;
  const std::string driver = DevName(1);
  const DEVMODEA* mode = m_pd.hDevMode ? static_cast<const DEVMODEA*>(GlobalLock(m_pd.hDevMode)) : nullptr;
  HDC dc = CreateDCA(driver.empty() ? nullptr : driver.c_str(), device.c_str(), nullptr, mode);
  if (mode) GlobalUnlock(m_pd.hDevMode);
  return dc;
}

HGLOBAL CPrintDialog::DetachDevMode() {
  HGLOBAL h = m_pd.hDevMode;
  m_pd.hDevMode = nullptr;
  return h;
}

HGLOBAL CPrintDialog::DetachDevNames() {
  HGLOBAL h = m_pd.hDevNames;
  m_pd.hDevNames = nullptr;
  return h;
}

void CPrintDialog::SetDevHandles(HGLOBAL devMode, HGLOBAL devNames) {
  FreeDevHandles();
  m_pd.hDevMode = devMode;
  m_pd.hDevNames = devNames;
}

// --- CPageSetupDialog ----------------------------------------------------------------------

CPageSetupDialog::CPageSetupDialog(DWORD flags, CWnd* parent) : parent_(parent) {
  std::memset(&m_psd, 0, sizeof m_psd);
  m_psd.lStructSize = sizeof m_psd;
  m_psd.Flags = flags;
}

CPageSetupDialog::~CPageSetupDialog() {
  if (m_psd.hDevMode) GlobalFree(m_psd.hDevMode);
  if (m_psd.hDevNames) GlobalFree(m_psd.hDevNames);
}

int CPageSetupDialog::DoModal() {
  bool ok = false;
  if (fw::hooks::TakePrintDialogAnswer(&ok)) return ok ? IDOK : IDCANCEL;
  m_psd.hwndOwner = OwnerOf(parent_);
  return PageSetupDlgA(&m_psd) ? IDOK : IDCANCEL;
}

void CPageSetupDialog::GetMargins(RECT* margins, RECT* minMargins) const {
  if (margins) *margins = m_psd.rtMargin;
  if (minMargins) *minMargins = m_psd.rtMinMargin;
}
