// Text files in foreign encodings to and from Shift-JIS (code page 932), the
// program's internal text form.
//
// DecodeTextToSjis reads a whole file's bytes: it detects the encoding (or
// takes the one forced by a hint), converts to Shift-JIS and says what it
// found, so the document can write the text back in the file's own encoding
// with EncodeSjisLike. Characters that have no Shift-JIS form and invalid byte
// sequences become the replacement character "〓" (0x81 0xAC), always a whole
// double-byte character; nothing is ever read past the input's end.
//
// Per-character conversions for callers that convert a character or a field
// at a time (macro functions, markup renderers) are in core/textcodec/sjis_map.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace textcodec {

struct KeptBytes;

// Encodings of text files. The numbers are kept by documents; never reorder.
enum class TextEncoding : std::uint8_t {
  kAuto = 0,        // as a hint: detect
  kShiftJis = 1,
  kUtf8 = 2,        // without byte order mark
  kUtf8Bom = 3,
  kUtf16Le = 4,     // with byte order mark (written with one)
  kUtf16Be = 5,
  kEucJp = 6,
  kIso2022Jp = 7,
  kBase64 = 8,      // a container: its decoded bytes are text in `inner`
  kBinHex = 9,      // BinHex 4.0 container: the data fork is text in `inner`
};
constexpr int kTextEncodingCount = 10;

// Short name of an encoding for menus and status texts ("UTF-8", ...).
const char* TextEncodingName(TextEncoding e);

// Why a decode or encode could not be done completely. One text each in
// TextCodecErrorText.
enum class TextCodecError : std::uint8_t {
  kNone = 0,
  kBase64BadCharacter,   // characters outside the Base64 alphabet were skipped
  kBase64Truncated,      // the last group of four is incomplete
  kBinHexNoData,         // no ':'-delimited data after the BinHex line
  kBinHexBadCharacter,   // a character outside the BinHex alphabet
  kBinHexTruncated,      // the data ends before the lengths in its header
  kBinHexHeaderDamaged,  // header CRC mismatch or impossible header
  kBinHexDataDamaged,    // data fork CRC mismatch (the data is still returned)
  kBinHexTooLarge,       // data fork larger than this program reads
  kCannotWriteBinHex,    // no writing back in BinHex
  kBadEncoding,          // not a value of TextEncoding
};
const char* TextCodecErrorText(TextCodecError e);

struct DecodeResult {
  TextEncoding encoding = TextEncoding::kShiftJis;  // how the bytes were read
  TextEncoding inner = TextEncoding::kShiftJis;     // the content's encoding inside Base64/BinHex
  std::string text;                                 // Shift-JIS
  std::size_t replaced = 0;                         // characters that became "〓"
  TextCodecError error = TextCodecError::kNone;
  std::string binHexName;                           // file name in the BinHex header
  // What a save needs to write the file's bytes again where an encode of the
  // text would not (keepbytes.h); nullptr when the encode gives them back.
  std::shared_ptr<const KeptBytes> kept;
};

// The encoding `bytes` look like (never kAuto). Rules, first match wins:
// byte order mark; UTF-16 without one (zero high bytes of ASCII text); the
// BinHex line; a JIS escape sequence; ASCII that is Base64 of text; UTF-8
// whose valid multi-byte sequences far outnumber the invalid ones; EUC-JP by
// pair statistics; otherwise Shift-JIS.
TextEncoding DetectTextEncoding(const void* bytes, std::size_t len);

// The same for bytes without an ESC (0x1B) byte, which the caller makes sure
// of in a pass of its own: the whole-file search for JIS escape sequences is
// left out.
TextEncoding DetectTextEncodingWithoutEscapes(const void* bytes, std::size_t len);

// Every number the detection decides by, in one place (docs/textcodec.md
// explains each).
struct DetectThresholds {
  std::size_t utf16Sample;          // bytes looked at for UTF-16 without a mark
  unsigned utf16ZeroShare;          // 1 unit in this many has a zero high byte ...
  unsigned utf16OtherZeroShare;     // ... and at most 1 in this many a zero low byte
  unsigned binHexMarkerLines;       // the BinHex line starts within this many lines
  std::size_t binHexMarkerSearch;   // ... and within this many bytes
  std::size_t base64MinChars;       // Base64 characters at least (several lines)
  std::size_t base64MinSingleLine;  // Base64 characters at least on a single line
  std::size_t base64Sample;         // bytes decoded to judge the content
  unsigned base64TextPercent;       // the decoded bytes: at least this share reads as text
  unsigned utf8ValidPerInvalid;     // valid multi-byte sequences per invalid one, at least
  unsigned eucKanaShare;            // EUC-JP when 1 pair in this many is kana/punctuation
};
const DetectThresholds& DetectionThresholds();

// Decodes `bytes` into out->text. `hint` kAuto detects; any other value forces
// that decoder (for Base64 and BinHex the content inside is still detected).
// Returns false when out->error is set (a damaged or truncated container);
// out->text then holds what could be decoded.
bool DecodeTextToSjis(const void* bytes, std::size_t len, TextEncoding hint, DecodeResult* out);

// One decoder, no detection, no container: appends Shift-JIS to `out` and
// returns the number of replaced characters. `e` must not be a container or
// kAuto (those append nothing and return 0).
std::size_t DecodeToSjis(TextEncoding e, const void* bytes, std::size_t len, std::string& out);

// Encodes Shift-JIS text. UTF-16 is written with its byte order mark, kUtf8Bom
// with the UTF-8 one; ISO-2022-JP returns to ASCII before each line end and at
// the end; Base64 encodes the Shift-JIS bytes in lines of 76 characters ended
// by CR LF. *replaced counts characters that had no form in the target.
// Returns false (and appends nothing) for kAuto, kBinHex and unknown values.
bool EncodeSjis(const char* sjis, std::size_t len, TextEncoding e, std::string* out,
                std::size_t* replaced = nullptr, TextCodecError* error = nullptr);

// Writes text back the way `origin` was read: the inner encoding first, then
// the container (Base64). BinHex cannot be written back.
bool EncodeSjisLike(const char* sjis, std::size_t len, const DecodeResult& origin, std::string* out,
                    std::size_t* replaced = nullptr, TextCodecError* error = nullptr);

}  // namespace textcodec
