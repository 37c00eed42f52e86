#include "macro/macro_keynames.h"

#include <cstdio>

namespace macro {

namespace {

struct NamedKey {
  int code;
  const char* name;
};

// The keys with a name of their own (letters, digits and F1-F13 apart).
constexpr NamedKey kNamedKeys[] = {
    {0x08, "BS"},    {0x09, "TAB"},   {0x0D, "ENTR"}, {0x10, "SHIFT"}, {0x11, "CTRL"}, {0x12, "ALT"},
    {0x13, "BRK"},   {0x1B, "ESC"},   {0x20, "SP"},   {0x21, "PGUP"},  {0x22, "PGDN"}, {0x23, "END"},
    {0x24, "HOME"},  {0x25, "LEFT"},  {0x26, "UP"},   {0x27, "RIGHT"}, {0x28, "DOWN"}, {0x2D, "INS"},
    {0x2E, "DEL"},   {0x90, "NUM"},   {0xBA, ":"},    {0xBB, ";"},     {0xBC, ","},    {0xBD, "-"},
    {0xBE, "."},     {0xBF, "/"},     {0xC0, "@"},    {0xDB, "["},     {0xDC, "\\"},   {0xDD, "]"},
    {0xDE, "^"},
};

constexpr int kFirstFunctionKey = 0x70, kLastFunctionKey = 0x7C;  // F1-F13
constexpr int kFirstDecimalCode = 10;

}  // namespace

CString MacroKeyName(int code) {
  if (code <= 0) return CString();
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return CString(static_cast<char>(code), 1);
  char text[8];
  if (code >= kFirstFunctionKey && code <= kLastFunctionKey) {
    std::snprintf(text, sizeof text, "F%d", code - kFirstFunctionKey + 1);
    return CString(text);
  }
  for (const NamedKey& k : kNamedKeys)
    if (k.code == code) return CString(k.name);
  std::snprintf(text, sizeof text, code >= kFirstDecimalCode ? "%d" : "K%d", code);
  return CString(text);
}

}  // namespace macro
