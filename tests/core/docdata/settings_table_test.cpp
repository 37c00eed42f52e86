// One property over every key of "Dorvik.inf" and "Dorvik.sys": a file that
// gives the key a value other than its default loads that value into the
// key's field and into no other, and the file written from the fields says
// it again. A new key is covered without a change here.
#include "core/docdata/settings_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "core/docsvc/keycode_store.h"

namespace {

using namespace app;

std::unique_ptr<DvkDocData> NewDoc() { return std::make_unique<DvkDocData>(); }

// A value of the key's type that is not its default, in the file's form.
CString OtherValue(const SettingKey& k) {
  CString v;
  switch (k.type) {
    case KeyType::kInt: {
      const int def = atoi(k.def);
      v.Format("%d", def != k.min ? k.min : k.min + 1);
      break;
    }
    case KeyType::kText:
    case KeyType::kSlot:
      v.Format("C:\\値\\%s", k.key);
      break;
    case KeyType::kFace:
      v.Format("書体 %s", k.key);
      break;
    case KeyType::kColor:
      v = CString(k.def) == "1,2,3" ? "4,5,6" : "1,2,3";
      break;
    case KeyType::kFont:
      v.Format("書体 %s, B,%d", k.key, k.min + 3);
      break;
    case KeyType::kIntList:
      for (int i = 0; i < k.count; ++i) {
        CString n;
        n.Format(i ? ",%d" : "%d", -7 * i - 3);
        v += n;
      }
      break;
    case KeyType::kKeyCode:
      v = "8642";
      break;
  }
  return v;
}

// The file text that sets only this key.
std::string FileWith(const SettingKey& k, const CString& value) {
  const CString stored = k.type == KeyType::kKeyCode ? docsvc::EncipherKeyCode(value) : value;
  std::string text;
  if (*k.section) text = std::string("[") + k.section + "]\r\n";
  text += std::string(k.key) + "\t" + stored.Str() + "\r\n#end/\r\n";
  return text;
}

// The value a key's field shows, in plain form (the key code deciphered).
CString Shown(const DvkDocData& d, const SettingKey& k) {
  CString v = SettingValueText(d, k);
  if (k.type == KeyType::kKeyCode) {
    CString plain;
    EXPECT_TRUE(docsvc::DecipherKeyCode(v, &plain));
    v = plain;
  }
  return v;
}

void CheckEveryKey(const std::vector<SettingKey>& table, bool inf) {
  auto defaults = NewDoc();
  for (const SettingKey& k : table) {
    SCOPED_TRACE(k.key);
    const CString value = OtherValue(k);
    ASSERT_NE(Shown(*defaults, k), value) << "the test's value is the default";
    auto d = NewDoc();
    SettingsRest rest;
    const std::string file = FileWith(k, value);
    if (inf)
      ReadInfText(file, *d, &rest);
    else
      ReadSysText(file, *d, &rest);
    EXPECT_TRUE(rest.issues.empty()) << rest.issues[0].reason.GetString();
    EXPECT_TRUE(rest.unknown.empty());
    // The key's field holds the value; every other key's field its default.
    EXPECT_EQ(Shown(*d, k), value);
    for (const SettingKey& other : table) {
      if (&other == &k) continue;
      EXPECT_EQ(SettingValueText(*d, other), SettingValueText(*defaults, other)) << other.key;
    }
    // Written back: the key with its value, and a second read gives the same text.
    const std::string written = inf ? WriteInfText(*d, rest.unknown) : WriteSysText(*d, rest.unknown);
    const CString stored = k.type == KeyType::kKeyCode ? docsvc::EncipherKeyCode(value) : value;
    EXPECT_NE(("\n" + written).find("\n" + std::string(k.key) + "\t" + stored.Str() + "\r\n"), std::string::npos);
    auto again = NewDoc();
    if (inf)
      ReadInfText(written, *again, nullptr);
    else
      ReadSysText(written, *again, nullptr);
    EXPECT_EQ(inf ? WriteInfText(*again, {}) : WriteSysText(*again, {}), written);
  }
}

TEST(SettingsTable, EveryInfKeyLoadsIntoItsFieldAndIsWrittenBack) { CheckEveryKey(InfKeyTable(), true); }

TEST(SettingsTable, EverySysKeyLoadsIntoItsFieldAndIsWrittenBack) { CheckEveryKey(SysKeyTable(), false); }

TEST(SettingsTable, KeysAndFieldsAreUniqueAndDefaultsReadBackAsWritten) {
  auto d = NewDoc();
  for (const std::vector<SettingKey>* table : {&InfKeyTable(), &SysKeyTable()}) {
    std::set<std::string> keys, fields;
    for (const SettingKey& k : *table) {
      EXPECT_TRUE(keys.insert(k.key).second) << "key twice: " << k.key;
      EXPECT_TRUE(fields.insert(k.field).second) << "field twice: " << k.field;
      // The default is in the file's normal form (a rewrite keeps it byte for byte).
      EXPECT_EQ(SettingValueText(*d, k), k.def) << k.key;
      EXPECT_NE(FindSettingKey(*table, k.key), nullptr);
    }
  }
  // the macro's system-parameter words are no file keys
  for (const char* word : {"filevol", "textvol", "csvline", "xlschar", "bkcolor", "qnodisp"})
    EXPECT_EQ(FindSettingKey(InfKeyTable(), word), nullptr) << word;
}

// The fields the rest of the program reads, named here once: a row that
// points at the wrong field (or a lost row) fails even where the property
// above cannot tell.
TEST(SettingsTable, NamedFieldsOfAFullFile) {
  auto d = NewDoc();
  std::string inf;
  std::string section;
  for (const SettingKey& k : InfKeyTable()) {
    if (section != k.section) inf += std::string("[") + (section = k.section) + "]\r\n";
    inf += std::string(k.key) + "\t" + OtherValue(k).Str() + "\r\n";
  }
  std::string sys;
  for (const SettingKey& k : SysKeyTable()) sys += FileWith(k, OtherValue(k));
  SettingsRest rest;
  ReadInfText(inf, *d, &rest);
  ReadSysText(sys, *d, &rest);
  EXPECT_TRUE(rest.issues.empty());
  EXPECT_EQ(d->m_nTab, 1);
  EXPECT_EQ(d->m_nIndata, 1024);
  EXPECT_EQ(d->m_nTblMax, 10);
  EXPECT_EQ(d->m_nChar, 1);
  EXPECT_EQ(d->m_nListCapacity, 10);
  EXPECT_EQ(d->m_nFlist, kFlistAtConstruction);  // the first list's clean-up sign stays
  EXPECT_EQ(d->m_clrHidden, 0x030201u);
  EXPECT_EQ(d->m_aclrCustom[1], 0x030201u);
  EXPECT_EQ(d->m_bSpacingAtLeast, 1);
  EXPECT_EQ(d->m_bKeepLayout, 0u);
  EXPECT_EQ(d->m_nPrspace[2], 1);
  EXPECT_EQ(d->m_nPrspace[0], 0);
  EXPECT_EQ(d->m_strPictExt[4], "C:\\値\\pict5");
  EXPECT_EQ(d->m_strStitleFace, "書体 stitle, B");
  EXPECT_EQ(d->m_nStitleSize, 4);
  EXPECT_EQ(d->m_strSysValue[21], "C:\\値\\dirX");
  EXPECT_EQ(d->FtpEntry(2), "C:\\値\\ftp3");
  EXPECT_EQ(d->m_nPosi[9], -66);
  EXPECT_EQ(d->m_nStartSort2, -10);
  EXPECT_EQ(d->m_nWindowMode, -17);
  EXPECT_EQ(d->m_nLaunchFollowUp, -3);
  EXPECT_EQ(d->m_strEncryptKeyCode, "8642");
}

TEST(SettingsTable, OutOfRangeNumbersAreClampedAndReported) {
  auto d = NewDoc();
  const SettingKey* tab = FindSettingKey(InfKeyTable(), "tab");
  const SettingKey* font = FindSettingKey(InfKeyTable(), "btitle");
  ASSERT_TRUE(tab && font);
  CString reason;
  EXPECT_TRUE(SetSettingValue(*d, *tab, "65", &reason));
  EXPECT_EQ(d->m_nTab, 64);
  EXPECT_FALSE(reason.IsEmpty());
  EXPECT_TRUE(SetSettingValue(*d, *tab, "-3", &reason));
  EXPECT_EQ(d->m_nTab, 1);
  EXPECT_TRUE(SetSettingValue(*d, *font, "X,0", &reason));
  EXPECT_EQ(d->m_nBtitleSize, 1);
  EXPECT_FALSE(reason.IsEmpty());
  EXPECT_FALSE(SetSettingValue(*d, *tab, "8x", &reason));
  EXPECT_EQ(d->m_nTab, 1);
  EXPECT_FALSE(SetSettingValue(*d, *font, ",12", &reason));  // no face
  EXPECT_EQ(d->m_strBtitleFace, "X");
}

// The "picture" keys are the colour engine's words of the image settings,
// one key each, and nothing else of the block: the size word stays 196 and
// the display words (zoom, turn, flips, style) are no keys.
TEST(SettingsTable, PictureKeysAreTheColourEngineWords) {
  std::set<int> words;
  for (const SettingKey& k : InfKeyTable()) {
    if (std::string(k.field).rfind("m_aImageSettings[", 0) != 0) continue;
    EXPECT_STREQ(k.section, "picture") << k.key;
    EXPECT_STREQ(k.def, "0") << k.key;
    EXPECT_TRUE(words.insert(k.index).second) << k.key;
    EXPECT_EQ(std::string(k.field), "m_aImageSettings[" + std::to_string(k.index) + "]") << k.key;
  }
  const std::set<int> engine = {1,  2,  11, 14, 15, 16, 17, 20, 21, 22, 33, 34, 36,
                                37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48};
  EXPECT_EQ(words, engine);

  auto d = NewDoc();
  EXPECT_EQ(d->m_aImageSettings[0], 196u);
  SettingsRest rest;
  ReadInfText(
      "[picture]\r\nimgref\t255\r\nimgrepl\t16711680\r\nimgtone\t-5\r\nimgbal\t-128\r\nimgbrt\t-3\r\n"
      "imgsat\t150\r\nimginv\t1\r\nimgtonon\t1\r\n#end/\r\n",
      *d, &rest);
  EXPECT_TRUE(rest.issues.empty());
  EXPECT_EQ(d->m_aImageSettings[0], 196u);
  EXPECT_EQ(d->m_aImageSettings[1], 0x0000FFu);  // red
  EXPECT_EQ(d->m_aImageSettings[2], 0xFF0000u);  // blue
  EXPECT_EQ(static_cast<std::int32_t>(d->m_aImageSettings[17]), -5);
  EXPECT_EQ(static_cast<std::int32_t>(d->m_aImageSettings[21]), -128);
  EXPECT_EQ(static_cast<std::int32_t>(d->m_aImageSettings[22]), -3);
  EXPECT_EQ(d->m_aImageSettings[20], 150u);
  EXPECT_EQ(d->m_aImageSettings[46], 1u);
  EXPECT_EQ(d->m_aImageSettings[48], 1u);
  // Negative words are written back as the numbers they are.
  const std::string written = WriteInfText(*d, {});
  for (const char* line : {"imgtone\t-5\r\n", "imgbal\t-128\r\n", "imgbrt\t-3\r\n", "imgrepl\t16711680\r\n"})
    EXPECT_NE(written.find(line), std::string::npos) << line;
  // Out of range: clamped to what the engine reads, and reported.
  ReadInfText("[picture]\r\nimgtone\t99\r\nimgnbhi\t9\r\nimgbrt\t-4000\r\nimgref\t-1\r\n#end/\r\n", *d, &rest);
  EXPECT_EQ(d->m_aImageSettings[17], 15u);
  EXPECT_EQ(d->m_aImageSettings[15], 8u);
  EXPECT_EQ(static_cast<std::int32_t>(d->m_aImageSettings[22]), -128);
  EXPECT_EQ(d->m_aImageSettings[1], 0u);
  EXPECT_EQ(rest.issues.size(), 4u);
  // The display words the commands and the loaders keep are left alone.
  d->m_aImageSettings[5] = 7;
  d->m_aImageSettings[8] = 1;
  ApplySettingsDefaults(*d);
  EXPECT_EQ(d->m_aImageSettings[5], 7u);
  EXPECT_EQ(d->m_aImageSettings[8], 1u);
  EXPECT_EQ(d->m_aImageSettings[17], 0u);
}

}  // namespace
