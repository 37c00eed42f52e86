// The keys of "Dorvik.inf" and "Dorvik.sys", one table row each: where the
// key is written, its type, its default (as text in the file's own form), the
// range numbers are clamped to, and the document field it reads into and is
// written from. The defaults live only here: a new document starts with them
// (DvkDocData's constructor), and a missing file is written from them.
//
// Adding a setting is one row: name the field with one of the field
// references below (Number, Text, Font, ...) and the reader, the writer, the
// defaults and the round-trip test over every key take it from there.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "core/docsvc/kvtext.h"
#include "core/docdata/doc_fields.h"
#include "fw/cstring.h"

namespace app {

using SettingsDoc = DvkDocData;

enum class KeyType {
  kInt,      // one decimal number, clamped to [min, max]
  kText,     // the rest of the line
  kFace,     // a font face for horizontal text: an empty or vertical face is refused
  kColor,    // "R,G,B", 0-255 each; the field holds 0x00BBGGRR
  kFont,     // "face,size": the size follows the last comma; size clamped
  kIntList,  // `count` comma-separated numbers, all or none taken
  kSlot,     // a "Dorvik.sys" slot: value in m_strSysValue[index], key in m_strSysKey[index]
  kKeyCode,  // the key code, enciphered in the file, plain in the field
};

// How a row reaches its field. Numbers go through 64-bit values so fields of
// any integer type fit; element `i` (index + i) picks an array element or the
// i-th of several fields. The functions come from the templates below, each
// made from member pointers, so a row names its field and nothing else.
struct FieldRef {
  std::int64_t (*getNumber)(const SettingsDoc&, int i) = nullptr;
  void (*setNumber)(SettingsDoc&, int i, std::int64_t v) = nullptr;
  CString* (*text)(SettingsDoc&, int i) = nullptr;
};

namespace fieldref {
template <class T>
using Plain = std::remove_cv_t<std::remove_reference_t<T>>;

// A field's number as its row reads it. An unsigned 32-bit field keeps a
// row's negative values in two's complement and reads them back signed (no
// row's maximum passes INT_MAX, so no value of a row is taken for another).
template <class T>
constexpr std::int64_t RowNumber(T v) {
  if constexpr (std::is_unsigned_v<T> && sizeof(T) == 4) return static_cast<std::int32_t>(v);
  return static_cast<std::int64_t>(v);
}

// One number field.
template <auto M>
constexpr FieldRef Number() {
  FieldRef r;
  r.getNumber = [](const SettingsDoc& d, int) -> std::int64_t { return RowNumber(d.*M); };
  r.setNumber = [](SettingsDoc& d, int, std::int64_t v) { d.*M = static_cast<Plain<decltype(d.*M)>>(v); };
  return r;
}
// Element i of a number array.
template <auto M>
constexpr FieldRef NumberArray() {
  FieldRef r;
  r.getNumber = [](const SettingsDoc& d, int i) -> std::int64_t { return RowNumber((d.*M)[i]); };
  r.setNumber = [](SettingsDoc& d, int i, std::int64_t v) { (d.*M)[i] = static_cast<Plain<decltype((d.*M)[i])>>(v); };
  return r;
}
// The i-th of several int32 fields (a list written on one line).
template <auto... M>
constexpr FieldRef Numbers() {
  FieldRef r;
  r.getNumber = [](const SettingsDoc& d, int i) -> std::int64_t {
    const std::int32_t* p[] = {&(d.*M)...};
    return *p[i];
  };
  r.setNumber = [](SettingsDoc& d, int i, std::int64_t v) {
    std::int32_t* p[] = {&(d.*M)...};
    *p[i] = static_cast<std::int32_t>(v);
  };
  return r;
}
template <auto M>
constexpr FieldRef Text() {
  FieldRef r;
  r.text = [](SettingsDoc& d, int) { return &(d.*M); };
  return r;
}
template <auto M>
constexpr FieldRef TextArray() {
  FieldRef r;
  r.text = [](SettingsDoc& d, int i) { return &(d.*M)[i]; };
  return r;
}
// A font: its face and its size in points.
template <auto Face, auto Size>
constexpr FieldRef Font() {
  FieldRef r = Number<Size>();
  r.text = [](SettingsDoc& d, int) { return &(d.*Face); };
  return r;
}
}  // namespace fieldref

struct SettingKey {
  const char* section;  // "Dorvik.inf" section; "" in "Dorvik.sys"
  const char* key;
  const char* field;    // the field's name, for tests and messages
  KeyType type;
  const char* def;      // the default as the file writes it
  int min = 0, max = 0; // kInt, kFont size: the range
  int index = 0;        // array element (kSlot: the slot)
  int count = 1;        // kIntList: how many numbers
  FieldRef ref;
};

// A vertical font ("@" before the face name) lays every character on its
// side; the text view, the tables and the lists use horizontal fonts only.
inline bool IsVerticalFace(const char* face) { return face && face[0] == '@'; }

const std::vector<SettingKey>& InfKeyTable();
const std::vector<SettingKey>& SysKeyTable();

// The row of `key` in `table`, or nullptr.
const SettingKey* FindSettingKey(const std::vector<SettingKey>& table, const CString& key);

// Every field of both tables at its default (slot keys too).
void ApplySettingsDefaults(SettingsDoc& d);

// The slot of a "Dorvik.sys" key, or -1.
int SysSlotOfKey(const CString& key);

// The built-in programs per file type (slots 0-9) back in m_strSysValue.
void RestoreDefaultAssociations(SettingsDoc& d);

// What a file held beyond the fields: keys the table does not know (kept
// for the next rewrite, in their sections) and the lines that were skipped
// or corrected (kept for display, never shown at start).
struct SettingsRest {
  std::vector<docsvc::KvLine> unknown;
  std::vector<docsvc::LineIssue> issues;
};

// Reads settings text into the fields: known keys (matched by key in any
// section; the last one wins) set their field; a value that does not parse
// leaves the field and is reported; a number out of range is clamped and
// reported; unknown keys go to rest->unknown. Never fails.
void ReadInfText(const std::string& bytes, SettingsDoc& d, SettingsRest* rest);
void ReadSysText(const std::string& bytes, SettingsDoc& d, SettingsRest* rest);

// "Dorvik.inf": each section of the table in order with its keys, the
// unknown keys read in that section after them, "#end/"; then the sections
// only unknown keys named. "Dorvik.sys": the slots in slot order, the
// unknown keys, the other lines, "#end/". Lines end in CR LF.
std::string WriteInfText(const SettingsDoc& d, const std::vector<docsvc::KvLine>& unknown);
std::string WriteSysText(const SettingsDoc& d, const std::vector<docsvc::KvLine>& unknown);

// The text of one key's value as the file writes it.
CString SettingValueText(const SettingsDoc& d, const SettingKey& k);

// Sets one key's field from its text, as reading the file does. False with
// the reason in *reason (when given) when the text was not taken; a clamped
// number is taken and also gives a reason.
bool SetSettingValue(SettingsDoc& d, const SettingKey& k, const CString& text, CString* reason);

}  // namespace app
