#include "app/ftpnet_entry_dlg.h"

#include "fw/msgbox.h"
#include "res/resource.h"

namespace {

const int kFtpAddress[3] = {IDC_FNE_FTP_ADDRESS1, IDC_FNE_FTP_ADDRESS2, IDC_FNE_FTP_ADDRESS3};
const int kFtpUser[3] = {IDC_FNE_FTP_USER1, IDC_FNE_FTP_USER2, IDC_FNE_FTP_USER3};
const int kFtpPassword[3] = {IDC_FNE_FTP_PASSWORD1, IDC_FNE_FTP_PASSWORD2, IDC_FNE_FTP_PASSWORD3};
const int kFtpDrive[3] = {IDC_FNE_FTP_DRIVE1, IDC_FNE_FTP_DRIVE2, IDC_FNE_FTP_DRIVE3};
const int kFtpPassive[3] = {IDC_FNE_FTP_PASSIVE1, IDC_FNE_FTP_PASSIVE2, IDC_FNE_FTP_PASSIVE3};
const int kFtpLocalTime[3] = {IDC_FNE_FTP_LOCALTIME1, IDC_FNE_FTP_LOCALTIME2, IDC_FNE_FTP_LOCALTIME3};
const int kFtpNote[3] = {IDC_FNE_FTP_NOTE1, IDC_FNE_FTP_NOTE2, IDC_FNE_FTP_NOTE3};
const int kFtpFolder[3] = {IDC_FNE_FTP_FOLDER1, IDC_FNE_FTP_FOLDER2, IDC_FNE_FTP_FOLDER3};
const int kNetAddress[12] = {IDC_FNE_NET_ADDRESS1, IDC_FNE_NET_ADDRESS2, IDC_FNE_NET_ADDRESS3, IDC_FNE_NET_ADDRESS4,
                             IDC_FNE_NET_ADDRESS5, IDC_FNE_NET_ADDRESS6, IDC_FNE_NET_ADDRESS7, IDC_FNE_NET_ADDRESS8,
                             IDC_FNE_NET_ADDRESS9, IDC_FNE_NET_ADDRESS10, IDC_FNE_NET_ADDRESS11, IDC_FNE_NET_ADDRESS12};
const int kNetDrive[12] = {IDC_FNE_NET_DRIVE1, IDC_FNE_NET_DRIVE2, IDC_FNE_NET_DRIVE3,  IDC_FNE_NET_DRIVE4,
                           IDC_FNE_NET_DRIVE5, IDC_FNE_NET_DRIVE6, IDC_FNE_NET_DRIVE7,  IDC_FNE_NET_DRIVE8,
                           IDC_FNE_NET_DRIVE9, IDC_FNE_NET_DRIVE10, IDC_FNE_NET_DRIVE11, IDC_FNE_NET_DRIVE12};
const int kNetUser[12] = {IDC_FNE_NET_USER1, IDC_FNE_NET_USER2, IDC_FNE_NET_USER3,  IDC_FNE_NET_USER4,
                          IDC_FNE_NET_USER5, IDC_FNE_NET_USER6, IDC_FNE_NET_USER7,  IDC_FNE_NET_USER8,
                          IDC_FNE_NET_USER9, IDC_FNE_NET_USER10, IDC_FNE_NET_USER11, IDC_FNE_NET_USER12};
const int kNetPassword[12] = {IDC_FNE_NET_PASSWORD1, IDC_FNE_NET_PASSWORD2, IDC_FNE_NET_PASSWORD3,
                              IDC_FNE_NET_PASSWORD4, IDC_FNE_NET_PASSWORD5, IDC_FNE_NET_PASSWORD6,
                              IDC_FNE_NET_PASSWORD7, IDC_FNE_NET_PASSWORD8, IDC_FNE_NET_PASSWORD9,
                              IDC_FNE_NET_PASSWORD10, IDC_FNE_NET_PASSWORD11, IDC_FNE_NET_PASSWORD12};
const int kNetNote[12] = {IDC_FNE_NET_NOTE1, IDC_FNE_NET_NOTE2, IDC_FNE_NET_NOTE3,  IDC_FNE_NET_NOTE4,
                          IDC_FNE_NET_NOTE5, IDC_FNE_NET_NOTE6, IDC_FNE_NET_NOTE7,  IDC_FNE_NET_NOTE8,
                          IDC_FNE_NET_NOTE9, IDC_FNE_NET_NOTE10, IDC_FNE_NET_NOTE11, IDC_FNE_NET_NOTE12};

}  // namespace

CFtpNetEntryDlg::CFtpNetEntryDlg(CWnd* parent) : CDialog(IDD_FTP_NET_ENTRY, parent) {
  for (int i = 0; i < 3; ++i) m_bFtpPassive[i] = m_bFtpLocalTime[i] = 1;
}

void CFtpNetEntryDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  for (int i = 0; i < 3; ++i) {
    DDX_Text(dx, kFtpAddress[i], m_strFtpAddress[i]);
    DDX_Text(dx, kFtpUser[i], m_strFtpUser[i]);
    DDX_Text(dx, kFtpPassword[i], m_strFtpPassword[i]);
    DDX_Text(dx, kFtpDrive[i], m_strFtpDrive[i]);
    DDX_Check(dx, kFtpPassive[i], m_bFtpPassive[i]);
    DDX_Check(dx, kFtpLocalTime[i], m_bFtpLocalTime[i]);
    DDX_Text(dx, kFtpNote[i], m_strFtpNote[i]);
    DDX_Text(dx, kFtpFolder[i], m_strFtpFolder[i]);
  }
  DDX_Text(dx, IDC_FNE_KEYCODE, m_strKeyCode);
  for (int i = 0; i < 12; ++i) {
    DDX_Text(dx, kNetAddress[i], m_strNetAddress[i]);
    DDX_Text(dx, kNetDrive[i], m_strNetDrive[i]);
    DDX_Text(dx, kNetUser[i], m_strNetUser[i]);
    DDX_Text(dx, kNetPassword[i], m_strNetPassword[i]);
    DDX_Text(dx, kNetNote[i], m_strNetNote[i]);
  }
}

BOOL CFtpNetEntryDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  return TRUE;
}

void CFtpNetEntryDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  docsvc::FtpEntryRow ftp[3];
  docsvc::NetEntryRow net[12];
  for (int i = 0; i < 3; ++i) ftp[i] = FtpRow(i);
  for (int i = 0; i < 12; ++i) net[i] = NetRow(i);
  const docsvc::RowFault fault = docsvc::CheckEntryRows(ftp, net);
  if (fault.problem != docsvc::RowProblem::kNone) {
    // Nothing is stored: the row is named and its field takes the focus.
    AfxMessageBox(docsvc::RowFaultText(fault), MB_OK | MB_ICONEXCLAMATION);
    if (CWnd* field = GetDlgItem(FieldControl(fault))) GotoDlgCtrl(field);
    return;
  }
  EndDialog(IDOK);
}

int CFtpNetEntryDlg::FieldControl(const docsvc::RowFault& f) {
  const int r = f.row;
  using docsvc::RowField;
  if (f.ftp) {
    if (r < 0 || r >= 3) return IDC_FNE_FTP_DRIVE1;
    switch (f.field) {
      case RowField::kDrive: return kFtpDrive[r];
      case RowField::kNote: return kFtpNote[r];
      case RowField::kAddress: return kFtpAddress[r];
      case RowField::kFolder: return kFtpFolder[r];
      case RowField::kUser: return kFtpUser[r];
      case RowField::kPassword: return kFtpPassword[r];
    }
    return kFtpDrive[r];
  }
  if (r < 0 || r >= 12) return IDC_FNE_NET_DRIVE1;
  switch (f.field) {
    case RowField::kDrive: return kNetDrive[r];
    case RowField::kNote: return kNetNote[r];
    case RowField::kAddress: return kNetAddress[r];
    case RowField::kFolder: return kNetAddress[r];
    case RowField::kUser: return kNetUser[r];
    case RowField::kPassword: return kNetPassword[r];
  }
  return kNetDrive[r];
}

docsvc::FtpEntryRow CFtpNetEntryDlg::FtpRow(int i) const {
  docsvc::FtpEntryRow row;
  row.drive = m_strFtpDrive[i];
  row.note = m_strFtpNote[i];
  row.address = m_strFtpAddress[i];
  row.folder = m_strFtpFolder[i];
  row.user = m_strFtpUser[i];
  row.password = m_strFtpPassword[i];
  row.passive = m_bFtpPassive[i] ? 1 : 0;
  row.localTime = m_bFtpLocalTime[i] ? 1 : 0;
  return row;
}

docsvc::NetEntryRow CFtpNetEntryDlg::NetRow(int i) const {
  docsvc::NetEntryRow row;
  row.drive = m_strNetDrive[i];
  row.note = m_strNetNote[i];
  row.address = m_strNetAddress[i];
  row.user = m_strNetUser[i];
  row.password = m_strNetPassword[i];
  return row;
}

void CFtpNetEntryDlg::SetFtpRow(int i, const docsvc::FtpEntryRow& row) {
  m_strFtpDrive[i] = row.drive;
  m_strFtpNote[i] = row.note;
  m_strFtpAddress[i] = row.address;
  m_strFtpFolder[i] = row.folder;
  m_strFtpUser[i] = row.user;
  m_strFtpPassword[i] = row.password;
  m_bFtpPassive[i] = row.passive;
  m_bFtpLocalTime[i] = row.localTime;
}

void CFtpNetEntryDlg::SetNetRow(int i, const docsvc::NetEntryRow& row) {
  m_strNetDrive[i] = row.drive;
  m_strNetNote[i] = row.note;
  m_strNetAddress[i] = row.address;
  m_strNetUser[i] = row.user;
  m_strNetPassword[i] = row.password;
}
