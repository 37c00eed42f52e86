// The common dialogs: file open/save, colour, font, print and page setup.
// Each DoModal asks the test hooks first and returns IDOK or IDCANCEL.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "fw/cstring.h"

class CWnd;
HWND FwGetSafeHwnd(const CWnd* wnd);

// File open (openDialog true) or save dialog. `filter` is in the form
// "テキスト (*.txt)|*.txt|すべて (*.*)|*.*||"; `defExt` is without the dot.
// m_ofn may be adjusted before DoModal (title, initial folder, flags).
class CFileDialog {
 public:
  explicit CFileDialog(bool openDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                       CWnd* parent = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  int DoModal();

  void SetTitle(const char* title);
  void SetInitialFolder(const char* folder);

  // The chosen file (the first one of a multi-selection).
  CString GetPathName() const;
  CString GetFileName() const;   // name with extension
  CString GetFileExt() const;    // extension without the dot
  CString GetFileTitle() const;  // name without extension
  // Every chosen file, full paths, in the order given (OFN_ALLOWMULTISELECT).
  std::vector<CString> GetPathNames() const;

  OPENFILENAMEA m_ofn;

 private:
  void ParseResult();
  void TakeAnswer(const std::vector<std::string>& paths);

  bool open_;
  CWnd* parent_;
  std::string filter_;  // NUL-separated, ends in two NULs
  std::string defExt_;
  std::string title_;
  std::string folder_;
  std::vector<char> file_;
  std::vector<std::string> paths_;
};

// Colour dialog. The 16 custom colours are shared by every colour dialog of
// the program and kept between calls.
class CColorDialog {
 public:
  explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
  int DoModal();
  COLORREF GetColor() const { return m_cc.rgbResult; }
  static COLORREF* GetSavedCustomColors();

  CHOOSECOLORA m_cc;

 private:
  CWnd* parent_;
};

// Font dialog over a LOGFONT.
class CFontDialog {
 public:
  explicit CFontDialog(const LOGFONTA* initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS,
                       HDC printer = nullptr, CWnd* parent = nullptr);
  int DoModal();
  CString GetFaceName() const { return CString(m_lf.lfFaceName); }
  int GetSize() const { return m_cf.iPointSize; }  // tenths of a point
  int GetWeight() const { return m_lf.lfWeight; }
  bool IsBold() const { return m_lf.lfWeight >= FW_SEMIBOLD; }
  bool IsItalic() const { return m_lf.lfItalic != 0; }
  COLORREF GetColor() const { return m_cf.rgbColors; }
  void GetCurrentFont(LOGFONTA* lf) const { *lf = m_lf; }

  CHOOSEFONTA m_cf;
  LOGFONTA m_lf;

 private:
  CWnd* parent_;
};

// Print dialog (or print setup). After DoModal or GetDefaults the dialog owns
// m_pd.hDevMode and m_pd.hDevNames and frees them when it goes, unless they
// were taken with DetachDevMode/DetachDevNames.
class CPrintDialog {
 public:
  explicit CPrintDialog(bool printSetupOnly,
                        DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                      PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                        CWnd* parent = nullptr);
  ~CPrintDialog();
  CPrintDialog(const CPrintDialog&) = delete;
  CPrintDialog& operator=(const CPrintDialog&) = delete;

  int DoModal();
  // The default printer without a dialog; false when there is none.
  bool GetDefaults();
  // A DC for the chosen printer, owned by the caller (DeleteDC); null when
  // no printer was chosen.
  HDC CreatePrinterDC();

  CString GetDeviceName() const;
  CString GetDriverName() const;
  CString GetPortName() const;
  int GetCopies() const;
  bool PrintAll() const { return (m_pd.Flags & (PD_PAGENUMS | PD_SELECTION)) == 0; }
  bool PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
  bool PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
  int GetFromPage() const { return PrintRange() ? m_pd.nFromPage : -1; }
  int GetToPage() const { return PrintRange() ? m_pd.nToPage : -1; }

  // Hands the device handles to the caller (GlobalFree is theirs).
  HGLOBAL DetachDevMode();
  HGLOBAL DetachDevNames();
  // Gives the dialog device handles to start from; it owns them from now on.
  void SetDevHandles(HGLOBAL devMode, HGLOBAL devNames);

  PRINTDLGA m_pd;

 private:
  std::string DevName(int which) const;
  void FreeDevHandles();

  CWnd* parent_;
};

// Page setup dialog: paper size and margins (thousandths of an inch or
// hundredths of a millimetre, as the system reports in m_psd.Flags).
class CPageSetupDialog {
 public:
  explicit CPageSetupDialog(DWORD flags = PSD_MARGINS | PSD_INWININIINTLMEASURE, CWnd* parent = nullptr);
  ~CPageSetupDialog();
  CPageSetupDialog(const CPageSetupDialog&) = delete;
  CPageSetupDialog& operator=(const CPageSetupDialog&) = delete;

  int DoModal();
  SIZE GetPaperSize() const { return SIZE{m_psd.ptPaperSize.x, m_psd.ptPaperSize.y}; }
  void GetMargins(RECT* margins, RECT* minMargins) const;

  PAGESETUPDLGA m_psd;

 private:
  CWnd* parent_;
};
