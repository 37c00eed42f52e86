// The file-to-text converters: one table that says which converter takes a
// file, by its content (a sniff of the first bytes) or by its kind, and the
// one entry that runs it.
//
// A converter gets everything it needs as arguments - the path, the kind,
// the markup flag and its limits - and owns whatever scratch it uses; it
// never reads or edits the document's settings. Its result is the text (in
// Shift-JIS) or the message that says why there is none.
//
// Adding a converter is one row in convert_registry.cpp: its name, the kinds
// it takes, an optional content sniff, its function and, where its format
// reads more than the default, its limit rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace convert {

// How much a converter may read and write ("indata", "outdata", "n_tbl").
struct Limits {
  std::int64_t indata = 0;     // source bytes read at most
  std::int64_t outdata = 0;    // text bytes written at most
  std::int32_t tableRows = 0;  // table rows kept at most
};

enum class Status {
  kOk,        // text holds the result
  kNotBuilt,  // this kind has no converter in this build: message says so
  kFailed,    // the file could not be converted: message says why
};

struct Request {
  CString path;         // the file on disk
  int kind = 0;         // its kind (GetFileKind)
  int markupFlag = 0;   // 1: a page converted to text (macro load)
  Limits limits;        // the converter's own limits (LimitsFor)
};

struct Result {
  Status status = Status::kFailed;
  std::string text;     // at most limits.outdata bytes (when outdata > 0)
  CString message;
};

struct Converter;
// A converter: `row` is its own row of the table (its name and limits).
using ConvertFn = Result (*)(const Converter& row, const Request& request);
using SniffFn = bool (*)(const std::uint8_t* head, std::size_t length);

// Limits of a format that reads more than the settings' default: when
// "indata" is still `whenIndata`, `indata` and `tableRows` are used instead.
struct LimitRule {
  std::int64_t whenIndata;
  std::int64_t indata;
  std::int32_t tableRows;
};

struct Converter {
  const char* name;        // format name in messages; nullptr: the kind's name
  int firstKind;           // kinds taken, inclusive (0, 0: by sniff only)
  int lastKind;
  SniffFn sniff;           // content taken whatever the kind (nullptr: none)
  ConvertFn convert;
  const LimitRule* limits; // nullptr: the settings' limits as they are
};

// Bytes of a file's start the sniffs see.
constexpr std::size_t kSniffBytes = 16;

// The converter of a file: the first row whose sniff accepts `head`, else
// the first row that takes `kind`, else the last row (any other kind).
const Converter& ConverterFor(int kind, const std::uint8_t* head, std::size_t length);

// The limits `converter` works within, from the settings' values.
Limits LimitsFor(const Converter& converter, const Limits& settings);

// Reads the start of request.path, picks the converter, applies its limits
// to request.limits (the settings' values) and runs it. A text longer than
// the output limit is cut there.
Result ConvertFile(Request request);

// The rows of the table, for tests.
const Converter* Converters(int* count);

}  // namespace convert
