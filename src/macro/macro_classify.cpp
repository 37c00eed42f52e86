#include "macro/macro_classify.h"

#include <cstring>
#include <string_view>

#include "core/docsvc/filekind.h"

namespace macro {
namespace {

// How a row tests the statement.
enum class Test : unsigned char {
  kHashLetter,    // L '#', L2 a lower-case letter or ':', c0 not 'D'
  kWord,          // the word is one of `words`
  kFirstThree,    // the first three bytes are one of `words`
  kWordOrC1Sign,  // the word is one of `words`, or c1 is one of `bytes`
  kAmpLetter,     // c0 '&' and L is one of `bytes`; the class by L2 (`choices`)
  kC0,            // c0 is one of `bytes`
  kC0InCall,      // c0 is one of `bytes` while the call depth is above 0
  kC0C1,          // c0 is bytes[0] and c1 is bytes[1]
  kEnd,           // c0 'E': `cls` below frame count 2, else `alt`
  kAny,           // everything
};

// A class chosen by L2.
struct Choice {
  char letter2;
  int cls;
};

constexpr int kByFileKind = -1;  // "&S" with another L2: by the operand's file kind
constexpr int kMaxWords = 6;
constexpr int kMaxChoices = 10;

struct ClassRow {
  Test test;
  const char* words[kMaxWords];
  const char* bytes;
  int cls;  // the class; for kAmpLetter the class when no choice matches
  Choice choices[kMaxChoices];
  int alt;  // kEnd: the class from frame count 2 on
};

// The tests in order; the first row that matches decides.
const ClassRow kRows[] = {
    /*  1 */ {Test::kHashLetter, {}, "#", 1, {}, 0},
    /*  2 */ {Test::kWord, {"registry", "registry_w"}, "", 2, {}, 0},
    /*  3 */ {Test::kWord, {"system_para", "sys_para"}, "", 3, {}, 0},
    /*  4 */ {Test::kWord, {"replreg"}, "", 4, {}, 0},
    /*  5 */ {Test::kWord, {"eror_on", "eror_off"}, "", 9, {}, 0},
    /*  6 */ {Test::kWord, {"do", "Do", "outloop"}, "", 5, {}, 0},
    /*  7 */ {Test::kWord, {"while", "until", "loop", "endif"}, "", 6, {}, 0},
    /*  8 */ {Test::kFirstThree, {"inc", "dec"}, "", 7, {}, 0},
    /*  9 */ {Test::kWordOrC1Sign, {"if", "else", "else if", "do while", "do until", "for"}, "=<>!~", 8, {}, 0},
    /* 10 */ {Test::kWord, {"exe"}, "", 40, {}, 0},
    /* 11 */ {Test::kAmpLetter, {}, "R&Y", 10, {}, 0},
    // "&W" followed by 'd', 't' or 'f' matches here and stays class 0: it
    // has no executor and the loop goes on.
    /* 12 */ {Test::kAmpLetter, {}, "W", 11, {{'d', 0}, {'t', 0}, {'f', 0}}, 0},
    /* 13 */ {Test::kAmpLetter, {}, "I", 12, {}, 0},
    /* 14 */ {Test::kAmpLetter, {}, "M", 15, {{'a', 13}, {'t', 14}}, 0},
    /* 15 */
    {Test::kAmpLetter,
     {},
     "S",
     kByFileKind,
     {{'u', 16}, {'d', 16}, {'t', 20}, {'b', 20}, {'c', 24}, {'x', 53}, {'r', 54}, {'p', 59}, {'h', 60}, {'f', 58}},
     0},
    /* 16 */ {Test::kAmpLetter, {}, "C", 17, {}, 0},
    /* 17 */ {Test::kAmpLetter, {}, "P", 18, {}, 0},
    /* 18 */ {Test::kAmpLetter, {}, "Nn", 19, {}, 0},
    /* 19 */ {Test::kAmpLetter, {}, "T", 21, {}, 0},
    /* 20 */ {Test::kAmpLetter, {}, "F", 52, {{'g', 22}}, 0},
    /* 21 */ {Test::kAmpLetter, {}, "L", 56, {{'c', 23}, {'n', 25}, {'a', 50}, {'j', 50}, {'h', 50}, {'f', 57}}, 0},
    /* 22 */ {Test::kAmpLetter, {}, "J", 51, {}, 0},
    /* 23 */ {Test::kAmpLetter, {}, "@:", 26, {}, 0},
    /* 24 */ {Test::kAmpLetter, {}, "0123456789[(#", 27, {}, 0},
    /* 25 */ {Test::kC0, {}, "[", 28, {}, 0},
    /* 26 */ {Test::kEnd, {}, "E", 30, {}, 34},
    /* 27 */ {Test::kC0, {}, "W", 31, {}, 0},
    /* 28 */ {Test::kC0, {}, "CJ", 32, {}, 0},
    /* 29 */ {Test::kC0InCall, {}, "P", 33, {}, 0},
    /* 30 */ {Test::kC0InCall, {}, "R", 34, {}, 0},
    /* 31 */ {Test::kC0C1, {}, "BK", 35, {}, 0},
    /* 32 */ {Test::kC0, {}, "D", 36, {}, 0},
    /* 33 */ {Test::kC0, {}, "987", 37, {}, 0},
    /* 34 */ {Test::kAny, {}, "", 99, {}, 0},
};
static_assert(sizeof kRows / sizeof kRows[0] == 34, "the classification has 34 rows");

// A byte of a row's byte set; NUL never matches.
bool InSet(unsigned char b, const char* set) { return b != 0 && std::strchr(set, static_cast<char>(b)) != nullptr; }

bool WordIn(const CString& word, const char* const* words) {
  for (int k = 0; k < kMaxWords && words[k] != nullptr; ++k)
    if (std::string_view(word.Str()) == words[k]) return true;
  return false;
}

bool FirstThreeIn(const ClassifyInput& in, const char* const* words) {
  for (int k = 0; k < kMaxWords && words[k] != nullptr; ++k) {
    const char* w = words[k];
    if (in.c0 == static_cast<unsigned char>(w[0]) && in.c1 == static_cast<unsigned char>(w[1]) &&
        in.c2 == static_cast<unsigned char>(w[2]))
      return true;
  }
  return false;
}

bool IsLowerOrColon(unsigned char b) { return (b >= 'a' && b <= 'z') || b == ':'; }

int OperandKind(const ClassifyInput& in) {
  static const CString kEmpty;
  const CString& operand = in.operand ? *in.operand : kEmpty;
  return in.operandKind ? in.operandKind(operand) : GetFileKind(operand);
}

// The class of a matching row, or -1 when the row does not match.
int MatchRow(const ClassRow& row, const ClassifyInput& in, unsigned char letter, unsigned char letter2) {
  switch (row.test) {
    case Test::kHashLetter:
      return letter == '#' && IsLowerOrColon(letter2) && in.c0 != 'D' ? row.cls : -1;
    case Test::kWord:
      return WordIn(in.word, row.words) ? row.cls : -1;
    case Test::kFirstThree:
      return FirstThreeIn(in, row.words) ? row.cls : -1;
    case Test::kWordOrC1Sign:
      return WordIn(in.word, row.words) || InSet(in.c1, row.bytes) ? row.cls : -1;
    case Test::kAmpLetter: {
      if (in.c0 != '&' || !InSet(letter, row.bytes)) return -1;
      for (const Choice& c : row.choices)
        if (c.letter2 != 0 && static_cast<unsigned char>(c.letter2) == letter2) return c.cls;
      return row.cls == kByFileKind ? MacroSaveClassByKind(OperandKind(in)) : row.cls;
    }
    case Test::kC0:
      return InSet(in.c0, row.bytes) ? row.cls : -1;
    case Test::kC0InCall:
      return InSet(in.c0, row.bytes) && in.callDepth > 0 ? row.cls : -1;
    case Test::kC0C1:
      return in.c0 == static_cast<unsigned char>(row.bytes[0]) && in.c1 == static_cast<unsigned char>(row.bytes[1])
                 ? row.cls
                 : -1;
    case Test::kEnd:
      return InSet(in.c0, row.bytes) ? (in.frameCount < 2 ? row.cls : row.alt) : -1;
    case Test::kAny:
      return row.cls;
  }
  return -1;
}

bool IsComparisonSign(char b) { return b == '=' || b == '<' || b == '>' || b == '!' || b == '~'; }

}  // namespace

ClassifyInput MacroClassifyInputFor(const CString& word, unsigned char letter, unsigned char letter2, int callDepth,
                                    int frameCount, const CString* operand) {
  ClassifyInput in;
  in.word = word;
  const int n = word.GetLength();
  in.c0 = n > 0 ? static_cast<unsigned char>(word.GetAt(0)) : kMissingByte;
  in.c1 = n > 1 ? static_cast<unsigned char>(word.GetAt(1)) : kMissingByte;
  in.c2 = n > 2 ? static_cast<unsigned char>(word.GetAt(2)) : kMissingByte;
  in.letter = letter;
  in.letter2 = letter2;
  in.callDepth = callDepth;
  in.frameCount = frameCount;
  in.operand = operand;
  return in;
}

unsigned char MacroClassLetter(unsigned char letter) {
  return letter >= 'a' && letter <= 'z' ? static_cast<unsigned char>(letter - 'a' + 'A') : letter;
}

unsigned char MacroClassLetter2(unsigned char letter2) {
  return letter2 >= 'A' && letter2 <= 'Z' ? static_cast<unsigned char>(letter2 - 'A' + 'a') : letter2;
}

ClassifyResult MacroClassifyStatement(const ClassifyInput& in) {
  const unsigned char letter = MacroClassLetter(in.letter);
  const unsigned char letter2 = MacroClassLetter2(in.letter2);
  ClassifyResult r;
  for (int k = 0; k < MacroClassRowCount(); ++k) {
    const int cls = MatchRow(kRows[k], in, letter, letter2);
    if (cls >= 0) {
      r.cls = cls;
      r.row = k + 1;
      return r;
    }
  }
  return r;  // not reached: the last row takes everything
}

int MacroClassRowCount() { return static_cast<int>(sizeof kRows / sizeof kRows[0]); }

int MacroSaveClassByKind(int fileKind) {
  switch (fileKind) {
    case docsvc::kKindXlsx:
      return 53;
    case docsvc::kKindRichText:
      return 54;
    case docsvc::kKindPdf:
      return 59;
    case docsvc::kKindHtml:
      return 60;
    default:
      return 55;
  }
}

int MacroReclassifyAfterNumbers(int cls, const CString& command) {
  if (cls != 52) return cls;
  if (command.GetLength() < 5 || std::strncmp(command.GetString(), "&Fe=", 4) != 0) return cls;
  return IsComparisonSign(command.GetAt(4)) ? 8 : cls;
}

}  // namespace macro
