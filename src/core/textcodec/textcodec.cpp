// Entry points of the text decoders and encoders, and their texts.
#include "core/textcodec/textcodec.h"

#include "core/textcodec/codec_internal.h"

namespace textcodec {

namespace {

using detail::ByteWriter;

// Names by TextEncoding value.
const char* const kEncodingNames[kTextEncodingCount] = {
    "自動判定", "Shift-JIS", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE",
    "EUC-JP",   "JIS (ISO-2022-JP)", "Base64", "BinHex 4.0",
};

// The one error-text table of the text decoders.
const struct {
  TextCodecError error;
  const char* text;
} kErrorTexts[] = {
    {TextCodecError::kNone, ""},
    {TextCodecError::kBase64BadCharacter, "Base64 にない文字を読み飛ばしました"},
    {TextCodecError::kBase64Truncated, "Base64 のデータが途中で切れています"},
    {TextCodecError::kBinHexNoData, "BinHex のデータ (':' で始まる部分) がありません"},
    {TextCodecError::kBinHexBadCharacter, "BinHex のデータに使えない文字があります (ファイルが壊れています)"},
    {TextCodecError::kBinHexTruncated, "BinHex のデータが途中で切れています"},
    {TextCodecError::kBinHexHeaderDamaged, "BinHex のヘッダーが壊れています (CRC 不一致)"},
    {TextCodecError::kBinHexDataDamaged, "BinHex のデータが壊れています (CRC 不一致)"},
    {TextCodecError::kBinHexTooLarge, "BinHex のデータが大きすぎます"},
    {TextCodecError::kCannotWriteBinHex, "BinHex 形式では保存できません"},
    {TextCodecError::kBadEncoding, "この文字コードには変換できません"},
};

bool IsContainer(TextEncoding e) { return e == TextEncoding::kBase64 || e == TextEncoding::kBinHex; }

bool StartsWith(const std::uint8_t* p, std::size_t n, const char* mark, std::size_t k) {
  return n >= k && std::memcmp(p, mark, k) == 0;
}

}  // namespace

const char* TextEncodingName(TextEncoding e) {
  int i = static_cast<int>(e);
  return i < kTextEncodingCount ? kEncodingNames[i] : "?";
}

const char* TextCodecErrorText(TextCodecError e) {
  for (const auto& t : kErrorTexts)
    if (t.error == e) return t.text;
  return "?";
}

std::size_t DecodeToSjis(TextEncoding e, const void* bytes, std::size_t len, std::string& out) {
  const std::uint8_t* p = static_cast<const std::uint8_t*>(bytes);
  if (p == nullptr) len = 0;
  ByteWriter w(out, len + len / 8);
  switch (e) {
    case TextEncoding::kShiftJis:
      return detail::DecodeSjis(p, len, w);
    case TextEncoding::kUtf8:
    case TextEncoding::kUtf8Bom:
      if (StartsWith(p, len, "\xEF\xBB\xBF", 3)) p += 3, len -= 3;
      return detail::DecodeUtf8(p, len, w);
    case TextEncoding::kUtf16Le:
      if (StartsWith(p, len, "\xFF\xFE", 2)) p += 2, len -= 2;
      return detail::DecodeUtf16(p, len, false, w);
    case TextEncoding::kUtf16Be:
      if (StartsWith(p, len, "\xFE\xFF", 2)) p += 2, len -= 2;
      return detail::DecodeUtf16(p, len, true, w);
    case TextEncoding::kEucJp:
      return detail::DecodeEuc(p, len, w);
    case TextEncoding::kIso2022Jp:
      return detail::DecodeIso2022(p, len, w);
    default:
      return 0;
  }
}

bool DecodeTextToSjis(const void* bytes, std::size_t len, TextEncoding hint, DecodeResult* out) {
  const std::uint8_t* p = static_cast<const std::uint8_t*>(bytes);
  if (p == nullptr) len = 0;
  *out = DecodeResult();
  if (static_cast<int>(hint) >= kTextEncodingCount) {
    out->error = TextCodecError::kBadEncoding;
    return false;
  }
  TextEncoding e = hint == TextEncoding::kAuto ? DetectTextEncoding(p, len) : hint;
  if (e == TextEncoding::kUtf8 && StartsWith(p, len, "\xEF\xBB\xBF", 3)) e = TextEncoding::kUtf8Bom;
  out->encoding = e;
  out->inner = e;
  if (!IsContainer(e)) {
    out->replaced = DecodeToSjis(e, p, len, out->text);
    return true;
  }
  std::string raw;
  if (e == TextEncoding::kBase64) {
    out->error = detail::DecodeBase64(p, len, raw);
  } else {
    detail::BinHexResult r = detail::DecodeBinHex(p, len, raw);
    out->error = r.error;
    out->binHexName = std::move(r.name);
  }
  const auto* q = reinterpret_cast<const std::uint8_t*>(raw.data());
  out->inner = detail::DetectPlain(q, raw.size());
  out->replaced = DecodeToSjis(out->inner, q, raw.size(), out->text);
  return out->error == TextCodecError::kNone;
}

bool EncodeSjis(const char* sjis, std::size_t len, TextEncoding e, std::string* out,
                std::size_t* replaced, TextCodecError* error) {
  std::size_t dummyCount = 0;
  TextCodecError dummyError;
  if (replaced == nullptr) replaced = &dummyCount;
  if (error == nullptr) error = &dummyError;
  *replaced = 0;
  *error = TextCodecError::kNone;
  const std::uint8_t* p = reinterpret_cast<const std::uint8_t*>(sjis);
  if (p == nullptr) len = 0;
  if (e == TextEncoding::kBinHex) {
    *error = TextCodecError::kCannotWriteBinHex;
    return false;
  }
  if (e == TextEncoding::kAuto || static_cast<int>(e) >= kTextEncodingCount) {
    *error = TextCodecError::kBadEncoding;
    return false;
  }
  ByteWriter w(*out, len + len / 2);
  switch (e) {
    case TextEncoding::kShiftJis:
      w.PutBytes(p, len);
      break;
    case TextEncoding::kUtf8Bom:
      w.PutBytes("\xEF\xBB\xBF", 3);
      *replaced = detail::EncodeUtf8(p, len, w);
      break;
    case TextEncoding::kUtf8:
      *replaced = detail::EncodeUtf8(p, len, w);
      break;
    case TextEncoding::kUtf16Le:
      w.Put2(0xFF, 0xFE);
      *replaced = detail::EncodeUtf16(p, len, false, w);
      break;
    case TextEncoding::kUtf16Be:
      w.Put2(0xFE, 0xFF);
      *replaced = detail::EncodeUtf16(p, len, true, w);
      break;
    case TextEncoding::kEucJp:
      *replaced = detail::EncodeEuc(p, len, w);
      break;
    case TextEncoding::kIso2022Jp:
      *replaced = detail::EncodeIso2022(p, len, w);
      break;
    case TextEncoding::kBase64:
      detail::EncodeBase64(p, len, w);
      break;
    default:
      break;
  }
  return true;
}

bool EncodeSjisLike(const char* sjis, std::size_t len, const DecodeResult& origin, std::string* out,
                    std::size_t* replaced, TextCodecError* error) {
  if (origin.encoding != TextEncoding::kBase64)
    return EncodeSjis(sjis, len, origin.encoding, out, replaced, error);
  std::string inner;
  if (IsContainer(origin.inner) ||
      !EncodeSjis(sjis, len, origin.inner, &inner, replaced, error))
    return EncodeSjis(sjis, len, TextEncoding::kShiftJis, &inner, replaced, error) &&
           EncodeSjis(inner.data(), inner.size(), TextEncoding::kBase64, out, nullptr, error);
  return EncodeSjis(inner.data(), inner.size(), TextEncoding::kBase64, out, nullptr, error);
}

}  // namespace textcodec
