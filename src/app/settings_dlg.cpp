#include "app/settings_dlg.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/docdata/settings_table.h"
#include "fw/commondlg.h"
#include "res/resource.h"

namespace {

// One number of the dialog: its control, the settings key (for the range),
// its field and the display unit (bytes per MB, 100 table entries, 1).
struct NumberRow {
  int id;
  const char* key;
  std::int32_t app::DocSettingsFields::*field;
  double unit;
};

const NumberRow kNumberRows[] = {
    {IDC_SET_INDATA, "indata", &app::DocSettingsFields::m_nIndata, 1048576.0},
    {IDC_SET_OUTDATA, "outdata", &app::DocSettingsFields::m_nOutdata, 1048576.0},
    {IDC_SET_NTBL, "n_tbl", &app::DocSettingsFields::m_nTblMax, 100.0},
    {IDC_SET_BMPFILE, "bmpfile", &app::DocSettingsFields::m_nBmpfile, 1.0},
    {IDC_SET_NCHAR, "n_char", &app::DocSettingsFields::m_nChar, 1.0},
    {IDC_SET_BTITLE_SIZE, "btitle", &app::DocSettingsFields::m_nBtitleSize, 1.0},
    {IDC_SET_STITLE_SIZE, "stitle", &app::DocSettingsFields::m_nStitleSize, 1.0},
};

// The colours, in the order of the combobox.
struct ColorRow {
  const char* name;
  COLORREF app::DocSettingsFields::*field;
};

const ColorRow kColorRows[] = {
    {"テキスト文字", &app::DocSettingsFields::m_clrTxchar},
    {"見出し (選択側)", &app::DocSettingsFields::m_clrOnTitle},
    {"見出し (他方)", &app::DocSettingsFields::m_clrOffTitle},
    {"行の背景 1", &app::DocSettingsFields::m_clrPass1},
    {"行の背景 2", &app::DocSettingsFields::m_clrPass2},
    {"選択行 (選択側)", &app::DocSettingsFields::m_clrOnSelect},
    {"選択行 (他方)", &app::DocSettingsFields::m_clrOffSelect},
    {"ファイル", &app::DocSettingsFields::m_clrNormal},
    {"フォルダ", &app::DocSettingsFields::m_clrFolder},
    {"隠しファイル", &app::DocSettingsFields::m_clrHidden},
    {"システムファイル", &app::DocSettingsFields::m_clrSystem},
    {"書込み禁止ファイル", &app::DocSettingsFields::m_clrReadOnly},
    {"実行ファイル", &app::DocSettingsFields::m_clrExeFile},
    {"リストの背景", &app::DocSettingsFields::m_clrListBack},
};

const app::SettingKey* KeyOf(const char* key) { return app::FindSettingKey(app::InfKeyTable(), key); }

// A number of display units without needless zeros ("0.2", "50", "1.5").
CString UnitsText(double units) {
  CString s;
  s.Format("%.2f", units);
  while (s.GetLength() > 1 && s[s.GetLength() - 1] == '0') s = s.Left(s.GetLength() - 1);
  if (s[s.GetLength() - 1] == '.') s = s.Left(s.GetLength() - 1);
  return s;
}

// A field's value in its display unit.
CString UnitText(std::int64_t value, double unit) { return UnitsText(static_cast<double>(value) / unit); }

}  // namespace

static_assert(sizeof kNumberRows / sizeof kNumberRows[0] == 7, "one text per number row");
static_assert(sizeof kColorRows / sizeof kColorRows[0] == 14, "one value per colour row");

CSettingsDlg::CSettingsDlg(app::DvkDocData* fields, CWnd* parent)
    : CDialog(IDD_SETTINGS, parent), m_pFields(fields) {
  for (const app::SettingKey& k : app::InfKeyTable()) {
    if (std::strcmp(k.section, "picture") != 0 || k.type != app::KeyType::kInt) continue;
    m_aPictRows.push_back(&k);
    m_strPict.push_back(app::SettingValueText(*fields, k));
  }
  m_strPictInit = m_strPict;
  for (int i = 0; i < kNumbers; ++i) {
    m_strNumber[i] = UnitText(fields->*kNumberRows[i].field, kNumberRows[i].unit);
    m_strNumberInit[i] = m_strNumber[i];
  }
  m_strProfnt = fields->m_strProfnt;
  m_strTblfnt = fields->m_strTblfnt;
  m_strBtitle = fields->m_strBtitleFace;
  m_strStitle = fields->m_strStitleFace;
  for (int i = 0; i < kColors; ++i) m_clr[i] = fields->*kColorRows[i].field;
}

int CSettingsDlg::ColorCount() { return kColors; }
const char* CSettingsDlg::ColorName(int row) { return row >= 0 && row < kColors ? kColorRows[row].name : ""; }

BOOL CSettingsDlg::OnInitDialog() {
  for (const ColorRow& c : kColorRows) {
    SendDlgItemMessage(IDC_SET_COLOR_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
  }
  SendDlgItemMessage(IDC_SET_COLOR_LIST, CB_SETCURSEL, 0);
  ShowColorValue();
  for (const app::SettingKey* k : m_aPictRows)
    SendDlgItemMessage(IDC_SET_PICT_KEY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k->key));
  SendDlgItemMessage(IDC_SET_PICT_KEY, CB_SETCURSEL, 0);
  m_nPictRow = 0;
  ShowPictureValue();
  return CDialog::OnInitDialog();
}

void CSettingsDlg::DoDataExchange(CDataExchange* dx) {
  for (int i = 0; i < kNumbers; ++i) {
    const NumberRow& row = kNumberRows[i];
    DDX_Text(dx, row.id, m_strNumber[i]);
    if (!dx->m_bSaveAndValidate || dx->Failed()) continue;
    CString text = m_strNumber[i];
    text.TrimLeft();
    text.TrimRight();
    if (text == m_strNumberInit[i]) continue;
    const app::SettingKey* key = KeyOf(row.key);
    const double lo = key ? key->min : 1, hi = key ? key->max : 2147483647.0;
    char* end = nullptr;
    const double x = std::strtod(text.GetString(), &end);
    const double v = std::isfinite(x) ? std::floor(x * row.unit + 0.5) : -1;
    if (text.IsEmpty() || end == nullptr || *end != '\0' || v < lo || v > hi) {
      CString msg;
      // The range in display units, rounded inwards to what can be typed.
      msg.Format(IDS_SETTINGS_RANGE, UnitsText(std::ceil(lo / row.unit * 100) / 100).GetString(),
                 UnitsText(std::floor(hi / row.unit * 100) / 100).GetString());
      dx->FailWithMessage(msg);
      continue;
    }
  }
  // The picture keys: the shown one's text first, then every changed one
  // checked against its row's range (the list shows the refused key).
  if (dx->m_bSaveAndValidate && !dx->Failed()) {
    KeepPictureValue();
    for (std::size_t i = 0; i < m_aPictRows.size() && !dx->Failed(); ++i) {
      CString text = m_strPict[i];
      text.TrimLeft();
      text.TrimRight();
      if (text == m_strPictInit[i]) continue;
      const app::SettingKey& k = *m_aPictRows[i];
      char* end = nullptr;
      const long long v = std::strtoll(text.GetString(), &end, 10);
      if (text.IsEmpty() || end == nullptr || *end != '\0' || v < k.min || v > k.max) {
        m_nPictRow = static_cast<int>(i);
        SendDlgItemMessage(IDC_SET_PICT_KEY, CB_SETCURSEL, static_cast<WPARAM>(i));
        ShowPictureValue();
        dx->PrepareEditCtrl(IDC_SET_PICT_VALUE);
        CString msg, lo, hi;
        lo.Format("%d", k.min);
        hi.Format("%d", k.max);
        msg.Format(IDS_SETTINGS_RANGE, lo.GetString(), hi.GetString());
        dx->FailWithMessage(msg);
      }
    }
  }
  DDX_Text(dx, IDC_SET_PROFNT, m_strProfnt);
  DDX_Text(dx, IDC_SET_TBLFNT, m_strTblfnt);
  DDX_Text(dx, IDC_SET_BTITLE, m_strBtitle);
  DDX_Text(dx, IDC_SET_STITLE, m_strStitle);
  if (!dx->m_bSaveAndValidate || dx->Failed()) return;
  // Everything checked: into the document's fields.
  for (int i = 0; i < kNumbers; ++i) {
    CString text = m_strNumber[i];
    text.TrimLeft();
    text.TrimRight();
    if (text == m_strNumberInit[i]) continue;
    m_pFields->*kNumberRows[i].field =
        static_cast<std::int32_t>(std::floor(std::strtod(text.GetString(), nullptr) * kNumberRows[i].unit + 0.5));
  }
  auto face = [](const CString& typed, CString& field) {
    CString t = typed;
    t.TrimLeft();
    t.TrimRight();
    // An empty face keeps the old one; so does a vertical one, which would
    // lay every character on its side.
    if (!t.IsEmpty() && !app::IsVerticalFace(t)) field = t;
  };
  face(m_strProfnt, m_pFields->m_strProfnt);
  face(m_strTblfnt, m_pFields->m_strTblfnt);
  face(m_strBtitle, m_pFields->m_strBtitleFace);
  face(m_strStitle, m_pFields->m_strStitleFace);
  for (int i = 0; i < kColors; ++i) m_pFields->*kColorRows[i].field = m_clr[i];
  for (std::size_t i = 0; i < m_aPictRows.size(); ++i) {
    CString text = m_strPict[i];
    text.TrimLeft();
    text.TrimRight();
    if (text != m_strPictInit[i]) app::SetSettingValue(*m_pFields, *m_aPictRows[i], text, nullptr);
  }
}

BOOL CSettingsDlg::OnCommand(WPARAM wp, LPARAM lp) {
  const int id = LOWORD(wp), code = HIWORD(wp);
  if (id == IDC_SET_COLOR_LIST && code == CBN_SELCHANGE) {
    ShowColorValue();
    return TRUE;
  }
  if (id == IDC_SET_COLOR_PICK && code == BN_CLICKED) {
    PickColor();
    return TRUE;
  }
  if (id == IDC_SET_PICT_KEY && code == CBN_SELCHANGE) {
    KeepPictureValue();
    const LRESULT row = SendDlgItemMessage(IDC_SET_PICT_KEY, CB_GETCURSEL);
    m_nPictRow = row >= 0 && row < static_cast<LRESULT>(m_aPictRows.size()) ? static_cast<int>(row) : 0;
    ShowPictureValue();
    return TRUE;
  }
  return CDialog::OnCommand(wp, lp);
}

void CSettingsDlg::ShowColorValue() {
  const LRESULT row = SendDlgItemMessage(IDC_SET_COLOR_LIST, CB_GETCURSEL);
  m_nColorRow = row >= 0 && row < kColors ? static_cast<int>(row) : 0;
  const COLORREF c = m_clr[m_nColorRow];
  CString s;
  s.Format("%d,%d,%d", static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
           static_cast<int>((c >> 16) & 0xFF));
  SetDlgItemText(IDC_SET_COLOR_VALUE, s);
}

void CSettingsDlg::PickColor() {
  ShowColorValue();
  CColorDialog dlg(m_clr[m_nColorRow], CC_FULLOPEN, this);
  if (dlg.DoModal() != IDOK) return;
  m_clr[m_nColorRow] = dlg.GetColor() & 0xFFFFFF;
  ShowColorValue();
}

void CSettingsDlg::ShowPictureValue() {
  if (m_aPictRows.empty()) return;
  const app::SettingKey& k = *m_aPictRows[static_cast<std::size_t>(m_nPictRow)];
  SetDlgItemText(IDC_SET_PICT_VALUE, m_strPict[static_cast<std::size_t>(m_nPictRow)]);
  CString range;
  range.Format("%d - %d", k.min, k.max);
  SetDlgItemText(IDC_SET_PICT_RANGE, range);
}

void CSettingsDlg::KeepPictureValue() {
  if (m_aPictRows.empty() || !m_hWnd) return;
  char text[64] = {};
  ::GetDlgItemTextA(m_hWnd, IDC_SET_PICT_VALUE, text, sizeof text);
  m_strPict[static_cast<std::size_t>(m_nPictRow)] = text;
}
