// The FTP site, network-drive and key code entries dialog (resource 154):
// three FTP rows, twelve network rows and the key code. The document fills
// the rows from its entries and stores them after OK (CDvkDoc::
// OnNetworkSettings). OK is refused while a row would not read back as typed
// (docsvc::CheckEntryRows): a message names the row and the field, which
// takes the focus, and the dialog stays open.
#pragma once

#include "core/docsvc/ftppath.h"
#include "core/docsvc/netentries.h"
#include "fw/dialog.h"

class CFtpNetEntryDlg : public CDialog {
 public:
  explicit CFtpNetEntryDlg(CWnd* parent = nullptr);

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  // The rows as the members hold them.
  docsvc::FtpEntryRow FtpRow(int i) const;
  docsvc::NetEntryRow NetRow(int i) const;
  void SetFtpRow(int i, const docsvc::FtpEntryRow& row);
  void SetNetRow(int i, const docsvc::NetEntryRow& row);

  CString m_strFtpAddress[3];
  CString m_strFtpUser[3];
  CString m_strFtpPassword[3];
  CString m_strFtpDrive[3];
  int m_bFtpPassive[3];
  int m_bFtpLocalTime[3];
  CString m_strKeyCode;
  CString m_strNetAddress[12];
  CString m_strNetDrive[12];
  CString m_strNetUser[12];
  CString m_strNetPassword[12];
  CString m_strFtpNote[3];
  CString m_strNetNote[12];
  CString m_strFtpFolder[3];

  // The control of a row's field (for the focus after a refusal).
  static int FieldControl(const docsvc::RowFault& fault);
};
