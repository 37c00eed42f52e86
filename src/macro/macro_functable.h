// The built-in function names and their numbers, as data.
#pragma once

namespace macro {

enum class FuncMatch : unsigned char {
  kFour,     // the first four bytes of the text (maths, bits, encoders)
  kName,     // the two- or three-byte name read from the text
  kFamily,   // the first two bytes of the text, whatever follows
};

struct FuncName {
  const char* name;
  int number;
  FuncMatch match;
};

// In lookup order: four-byte names, then the exact names (tried before the
// families so that SLA, SLN and SLD keep their own numbers), then families.
extern const FuncName kFuncNames[];
extern const int kFuncNameCount;

constexpr int kDefinedFuncBase = 500;  // 500 + k: the k-th defined function

}  // namespace macro
