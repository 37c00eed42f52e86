// The operand readers of the file statements ("&F"): the ':'-separated list
// of paths, the line range of "&Fpn", the resource, user and password of
// "&Fu", the numbers of "&Fp" and "&Fw" read in 64 bits with saturation, the
// attribute sum of "&Fs" and "&Fw", and the parts of a chosen path that
// "&Fi" stores. All pure: no file is touched except through the reader that
// MacroFindLineRange is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace macro {

constexpr int kFileOperandParts = 100;       // parts of one ':'-separated operand
constexpr std::size_t kNetResourceBytes = 200;  // longest resource name of "&Fu"
constexpr std::uint32_t kFileLineBlock = 4096;  // block of the line count and of the copy
constexpr std::int64_t kDefaultLineSpan = 10000;  // "&Fpn" with last line 0: first + this

// Splits the operand at ':' into at most kFileOperandParts parts (the last
// one keeps any further ':'). A ':' right after a one-letter drive at the
// start of a part belongs to the path, so "C:\a.txt:D:\b.txt" is two parts.
// Empty parts are kept (they mean "not given" to "&Fw"); an empty operand
// gives no part.
std::vector<std::string> MacroSplitFileOperand(std::string_view operand, int maxParts = kFileOperandParts);

// True when the file name of `path` (after its last separator) holds '*' or '?'.
bool MacroHasWildcard(std::string_view path);
// Whether `name` matches the wildcard `pattern` ('*' any run, '?' one
// character, a double-byte character counting as one; ASCII letters
// compared without case, as the system's names are).
bool MacroWildcardMatch(std::string_view pattern, std::string_view name);

// Reads up to `n` bytes at `offset` into `buffer`; returns how many (fewer
// only at the end of the file).
using FileBlockReader = std::function<std::size_t(std::uint64_t offset, char* buffer, std::size_t n)>;

// Byte range [start, end) of lines `first` to `last` (1-based) of a file of
// `fileLength` bytes, found by counting line feeds in blocks of
// kFileLineBlock bytes. A last line of 0 means first + kDefaultLineSpan; a
// first line below 1 counts as 1. A first line past the end of the file
// gives an empty range at the end (start = end = fileLength); a last line
// past it ends the range at the end of the file.
struct LineRange {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
};
LineRange MacroFindLineRange(const FileBlockReader& read, std::uint64_t fileLength, std::int64_t first,
                             std::int64_t last);

// Up to `count` numbers of a statement's command from byte `from` on, as the
// statement numbers are read (digits with an optional '-' before them, one
// after each ',', a ':' ends them), in 64 bits and saturated. Missing
// numbers are left as they are in `out`. Returns how many were read.
int MacroReadWideNumbers(std::string_view command, std::size_t from, std::int64_t* out, int count);

// Decimal digits (an optional '-' first) read with saturation at the int64
// range; false for an empty text or any other byte.
bool MacroReadSaturatedDigits(std::string_view text, std::int64_t* value);

// "&Fu": "resource;USER=name;PWRD=secret" (the keys in either order, each
// value running to the other key or to the end). The resource is the text
// before the first key, cut to kNetResourceBytes bytes (whole characters).
struct NetUserOperand {
  std::string resource, user, password;
  bool hasUser = false, hasPassword = false;
};
NetUserOperand MacroReadNetUserOperand(std::string_view operand);

// The attribute sum of "&Fs" (8 read-only, 2 hidden, 4 system, 16 folder,
// 1 archive) from the file's attribute bits (CFile::Attribute), and back:
// the bits a sum of "&Fw" sets (16 is no settable bit and is left out).
int MacroAttributeSum(unsigned attributeBits);
unsigned MacroAttributeBits(std::int64_t sum);

// The date "YYYYMMDD" and time "HHMMSS" of "&Fw": false when the text is
// not such a value (digits read with saturation, then range-checked).
bool MacroReadFileDate(std::string_view text, int* year, int* month, int* day);
bool MacroReadFileTime(std::string_view text, int* hour, int* minute, int* second);

// The variables "&Fi" sets from a chosen path: f the path without the
// extension of its file name, P the folder, G the file name (only when the
// path has a separator), g the file name without its extension (the whole
// path when there is no separator).
struct ChosenPathParts {
  std::string withoutExt, folder, name, nameWithoutExt;
  bool hasName = false;
};
ChosenPathParts MacroChosenPathParts(std::string_view path);

}  // namespace macro
