#include "convert/convert_texts.h"

#include <string>

#include "fw/strtable.h"

namespace convert {
namespace {

struct TextRow {
  ConvertText id;
  unsigned stringId;
  const char* text;
};

const TextRow kTexts[] = {
    {ConvertText::kEncryptedData, 147, "## 暗号化されたデータがあります ##"},
    {ConvertText::kUnsupportedFormat, 210, "対応していないフォーマットです。"},
    {ConvertText::kUnsupportedOffice, 240, "\r\n 対応していないOffice形式です\r\n\r\n"},
    {ConvertText::kChartOnly, 242, "\nデータがグラフ又は図のみで、表の欄内に数値、文字はありません。\n"},
    {ConvertText::kPdfNoText, 267, "PDF : 描画形式図形、暗号データ又はアドレスが制限以上のファイルです。  "},
    {ConvertText::kTableItemsOver, 243,
     "\r\n *表項目数が設定最大値をオーバーしています。\r\n *メニューの設定で表項目数を %d(x100) 以上にしてください。\n\n"},
};

}  // namespace

CString GetConvertText(ConvertText id) {
  for (const TextRow& row : kTexts) {
    if (row.id != id) continue;
    std::string s;
    if (fw::LookupString(row.stringId, s) && !s.empty()) return CString(s.c_str());
    return CString(row.text);
  }
  return CString();
}

void DamageNote::WriteTo(LoadBuffer& out) {
  if (!m_where || m_written) return;
  m_written = true;
  out.Append("\r\n");
  out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedFormat)));
  out.Printf("(%s)", m_where);
}

}  // namespace convert
