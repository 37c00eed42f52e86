#include "core/docopen/opentexts.h"

#include <cstdio>
#include <string>

#include "fw/strtable.h"

namespace docopen {
namespace {

const OpenTextEntry kTexts[] = {
    {OpenText::kCannotOpen, 237, "ファイルをオープンできません。存在しない、暗号化ファイル、または他で使用中です。\n"},
    {OpenText::kDisplayOver, 150,
     " <表示容量をオーバーしています。設定メニューでテキスト表示容量を変更して下さい。>"},
    {OpenText::kFileOver, 238, "ファイル容量オーバーです(>%dMB)。\r\n設定メニューで最大ファイル容量を変更して下さい。"},
    {OpenText::kDataOmitted, 239, "\r\n\r\n <以後データ省略>\r\n"},
    {OpenText::kWriteProtectedAsk, 329, "%s \nは書込み禁止です。\n書込み可に変更して書換えますか？"},
    {OpenText::kWriteProtected, 179, "%s \nは書込み禁止又は他で使用中です。\n実行できません。"},
    {OpenText::kKindNotYet, 0, "この種類のファイル（%s）はまだ表示できません。"},
    {OpenText::kPictureNotYet, 0, "画像ファイル（%s）は表示できません。"},
    {OpenText::kReplacedChars, 0, "Shift-JIS にない文字 %u 個を「〓」に置き換えました。"},
    {OpenText::kDecodeError, 0, "文字コードの変換で問題がありました：%s"},
    {OpenText::kOutOfMemory, 0, "メモリが不足しているため、ファイルを読み込めません。"},
    {OpenText::kTooLarge, 0, "ファイルが大きすぎるため読み込めません（4GB 以上）。"},
    {OpenText::kMarkedNotImage, 406, "画像ファイルは暗号化・圧縮形式で保存できません。"},
    {OpenText::kEncodingMenuTitle, 0, "文字コードを指定して開き直す"},
    {OpenText::kLoadProgress, 0, "読み込み中 %d%%"},
    {OpenText::kLoadStopped, 0, "読み込みを中止しました。"},
    {OpenText::kRenderMemory, 152, "メモリーが足りません\r\n"},
    {OpenText::kShowStopped, 0, " <読み込みを中止しました。ここから後は表示していません。>"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<std::size_t>(OpenText::kCount),
              "one row per text");

struct KindNameRow {
  int kind;
  const char* name;
};
const KindNameRow kKindNames[] = {
    {1, "PowerPoint"}, {2, "Word"}, {3, "Excel"}, {4, "RTF"}, {5, "圧縮ファイル"}, {6, "HTML"},
    {8, "実行ファイル"}, {11, "PDF"}, {12, "BMP"}, {13, "JPEG"}, {14, "PNG"}, {15, "GIF"}, {16, "TIFF"},
    {22, "BMZ"}, {27, "WMF"}, {28, "EMF"}, {32, "メール"}, {34, "XML"}, {36, "XLSX"}, {37, "DOCX"},
    {38, "PPTX"}, {51, "MIDI"}, {52, "WAVE"}, {53, "動画"}, {54, "MPEG"}, {55, "MP4"}, {56, "音声"},
};

}  // namespace

const OpenTextEntry& OpenTextFor(OpenText id) {
  for (const OpenTextEntry& e : kTexts)
    if (e.id == id) return e;
  return kTexts[0];
}

CString GetOpenText(OpenText id) {
  const OpenTextEntry& e = OpenTextFor(id);
  std::string s;
  if (e.stringId && fw::LookupString(e.stringId, s) && !s.empty()) return CString(s.c_str());
  return CString(e.text);
}

CString FileOverText(std::int64_t limitBytes) {
  CString fmt = GetOpenText(OpenText::kFileOver);
  long long mb = limitBytes > 0 ? (limitBytes >> 20) : 0;
  CString text;
  text.Format(fmt, static_cast<int>(mb > 0x7FFFFFFF ? 0x7FFFFFFF : mb));
  if (mb == 0) text = text.Left(24) + "(>500KB)";
  return text;
}

CString KindName(int kind) {
  for (const KindNameRow& r : kKindNames)
    if (r.kind == kind) return CString(r.name);
  CString s;
  s.Format("kind %d", kind);
  return s;
}

}  // namespace docopen
