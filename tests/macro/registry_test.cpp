// The registry statements against a fake hive: the operand forms and their
// errors, the slot of the variable, the DWORD and binary conversions, and
// whole reads and writes with their error texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "macro/macro_registry.h"
#include "macro/macro_state.h"
#include "run_fixture.h"
#include "test_host.h"

namespace {

TEST(RegistryOperand, TheThreeFormsRootCodesAndTypeLetters) {
  struct Case {
    const char* operand;
    bool ok;
    const char* root;
    std::uint32_t type;
    const char* key;
    const char* name;
  } const cases[] = {
      {"CUn:Software\\T:count", true, "CU", 4, "Software\\T", "count"},
      {"CU:Software\\T:text", true, "CU", 1, "Software\\T", "text"},
      {"LMs:Software\\T:v", true, "LM", 1, "Software\\T", "v"},
      {"RTb:Software\\T:bin", true, "RT", 3, "Software\\T", "bin"},
      {"KUe:Software\\T:x", true, "KU", 2, "Software\\T", "x"},
      {"CFm:Software\\T:x", true, "CF", 7, "Software\\T", "x"},
      {"CU9:Software\\T:x", true, "CU", 9, "Software\\T", "x"},
      {"CU:Software\\T:", true, "CU", 1, "Software\\T", ""},
      // A key path of 13 characters before the first ':': root "CU", a string.
      {"Software\\Tabr:name", true, "CU", 1, "Software\\Tabr", "name"},
      {"Softw:v", true, "CU", 1, "Softw", "v"},
      {"XXs:Software\\T:x", false, "", 0, "", ""},
      {"CU0:Software\\T:x", false, "", 0, "", ""},
      {"CUz:Software\\T:x", false, "", 0, "", ""},
      {"CU:ab", false, "", 0, "", ""},           // five characters
      {"CUn:Software", false, "", 0, "", ""},    // no ':' closes the key path
      {":Software:x", false, "", 0, "", ""},
      {"Software", false, "", 0, "", ""},
      {"", false, "", 0, "", ""},
  };
  for (const Case& c : cases) {
    const macro::RegistryOperand r = macro::MacroParseRegistryOperand(CString(c.operand));
    EXPECT_EQ(r.ok, c.ok) << c.operand;
    if (!c.ok || !r.ok) continue;
    EXPECT_EQ(std::string(r.root), c.root) << c.operand;
    EXPECT_EQ(r.type, c.type) << c.operand;
    EXPECT_EQ(std::string(r.keyPath), c.key) << c.operand;
    EXPECT_EQ(std::string(r.valueName), c.name) << c.operand;
  }
}

TEST(RegistryOperand, SlotAfterTheColonOfTheCommand) {
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:181")), 181);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry_w:5181")), 5181);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:-3")), -3);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:99999999999999")), 2147483647);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry")), -1);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:x")), -1);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:&D181")), 181);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry_w:&Da")), 142);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:&DT3")), 103);
  EXPECT_EQ(macro::MacroRegistrySlot(CString("registry:&D")), -1);
}

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

TEST(RegistryConversions, DwordAndBinaryBothWays) {
  using macro::MacroRegistryDataToText;
  using macro::MacroRegistryTextToData;
  EXPECT_EQ(std::string(MacroRegistryDataToText(3, Bytes({0x0A, 0xFF}))), "0aff");
  EXPECT_EQ(std::string(MacroRegistryDataToText(4, Bytes({0xF4, 0xFF, 0xFF, 0xFF}))), "-12");
  EXPECT_EQ(std::string(MacroRegistryDataToText(4, Bytes({0x2A}))), "42");
  EXPECT_EQ(std::string(MacroRegistryDataToText(1, std::string("ab\0cd", 5))), "ab");
  EXPECT_EQ(std::string(MacroRegistryDataToText(7, std::string("one\0two\0\0", 9))), "one");
  EXPECT_EQ(std::string(MacroRegistryDataToText(11, "raw")), "raw");
  // At most 9,000 hexadecimal digits.
  EXPECT_EQ(MacroRegistryDataToText(3, std::string(5000, '\x01')).GetLength(), 9000);

  EXPECT_EQ(MacroRegistryTextToData(3, CString("0a ff")), Bytes({0x0A, 0xFF}));
  EXPECT_EQ(MacroRegistryTextToData(3, CString("0 aF F")), Bytes({0x0A, 0xFF}));
  EXPECT_EQ(MacroRegistryTextToData(3, CString("a")), "");
  EXPECT_EQ(MacroRegistryTextToData(3, CString("abc")), Bytes({0xAB}));
  EXPECT_EQ(MacroRegistryTextToData(4, CString("-12")), Bytes({0xF4, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(MacroRegistryTextToData(4, CString("300x9")), Bytes({0x2C, 0x01, 0, 0}));
  EXPECT_EQ(MacroRegistryTextToData(4, CString("abc")), Bytes({0, 0, 0, 0}));
  // Too many digits saturate at the 32-bit ends instead of wrapping.
  EXPECT_EQ(MacroRegistryTextToData(4, CString("99999999999")), Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(MacroRegistryTextToData(4, CString("-2147483648")), Bytes({0, 0, 0, 0x80}));
  EXPECT_EQ(MacroRegistryTextToData(4, CString("-99999999999")), Bytes({0, 0, 0, 0x80}));
  EXPECT_EQ(MacroRegistryTextToData(1, CString("ab")), std::string("ab\0", 3));
  EXPECT_EQ(MacroRegistryTextToData(2, CString("")), std::string("\0", 1));
}

struct RegRig {
  macro::MacroState st;
  macrotest::TestHost host;
  RegRig() { host.registry["Software\\T"]; }
  void Run(const char* command, const char* operand) {
    st.m_strStmtCommand = command;
    st.m_strStmtOperand = operand;
    st.m_strLastResult() = "before";
    EXPECT_EQ(macro::MacroRunRegistry(st, host), macro::Outcome::kNext);
  }
  std::string Var(int slot) const { return st.m_strMacroVars[slot].GetString(); }
};

TEST(RegistryStatement, WriteMinusTwelveAsDwordAndReadItBack) {
  RegRig rig;
  rig.st.m_strMacroVars[181] = "-12";
  rig.Run("registry_w:181", "CUn:Software\\T:count");
  EXPECT_EQ(rig.Var(146), "");
  const auto& v = rig.host.registry["Software\\T"]["count"];
  EXPECT_EQ(v.type, 4u);
  EXPECT_EQ(v.data, Bytes({0xF4, 0xFF, 0xFF, 0xFF}));
  rig.Run("registry:182", "CUn:Software\\T:count");
  EXPECT_EQ(rig.Var(182), "-12");
  EXPECT_EQ(rig.Var(146), "");
  // "LM" reaches the same (the user's) hive.
  rig.Run("registry:183", "LM:Software\\T:count");
  EXPECT_EQ(rig.Var(183), "-12");
  // A string keeps its NUL; a binary value reads as hexadecimal.
  rig.st.m_strMacroVars[184] = "hello";
  rig.Run("registry_w:184", "Software\\T:greeting");
  EXPECT_EQ(rig.host.registry["Software\\T"]["greeting"].data, std::string("hello\0", 6));
  rig.host.registry["Software\\T"]["bin"] = {3, Bytes({0x0A, 0xFF})};
  rig.Run("registry:185", "CU:Software\\T:bin");
  EXPECT_EQ(rig.Var(185), "0aff");
}

TEST(RegistryStatement, ErrorsGoToTheVariableAndEInEveryCase) {
  RegRig rig;
  rig.Run("registry:181", "CU:Software\\T:missing");
  EXPECT_EQ(rig.Var(181), "data eror");
  EXPECT_EQ(rig.Var(146), "EROR");
  rig.Run("registry:181", "CU:Software\\None:x");
  EXPECT_EQ(rig.Var(181), "open eror");
  EXPECT_EQ(rig.Var(146), "EROR");
  rig.Run("registry:181", "XXs:Software\\T:x");
  EXPECT_EQ(rig.Var(181), "keyname eror");
  EXPECT_EQ(rig.Var(146), "EROR");
  rig.Run("registry:181", "CU:ab");
  EXPECT_EQ(rig.Var(181), "keyname eror");
  // Slot 5181 is no variable: nothing is stored anywhere but "EROR".
  rig.st.m_strMacroVars[5181] = "kept";
  rig.Run("registry:5181", "CU:Software\\T:x");
  EXPECT_EQ(rig.Var(5181), "kept");
  EXPECT_EQ(rig.Var(146), "EROR");
  // A write stores nothing in its variable.
  rig.st.m_strMacroVars[186] = "7";
  rig.Run("registry_w:186", "CUn:Software\\None:x");
  EXPECT_EQ(rig.Var(186), "7");
  EXPECT_EQ(rig.Var(146), "EROR");
  rig.host.registryWriteFails = true;
  rig.Run("registry_w:186", "CUn:Software\\T:x");
  EXPECT_EQ(rig.Var(186), "7");
  EXPECT_EQ(rig.Var(146), "EROR");
  // Values of 9,000 bytes or more, and empty ones, read as the empty text.
  rig.host.registry["Software\\T"]["big"] = {1, std::string(9000, 'a')};
  rig.host.registry["Software\\T"]["empty"] = {1, std::string()};
  rig.Run("registry:187", "CU:Software\\T:big");
  EXPECT_EQ(rig.Var(187), "");
  EXPECT_EQ(rig.Var(146), "");
  rig.Run("registry:187", "CU:Software\\T:empty");
  EXPECT_EQ(rig.Var(187), "");
}

}  // namespace

namespace {

// Whole runs: the variable reference of the command reaches the statement
// as its slot.
class HiveRunHost : public macrotest::FakeRunHost {
 public:
  std::map<std::string, std::string> values;  // value name -> bytes of key "Software\T"
  std::map<std::string, std::uint32_t> types;
  int ReadRegistryValue(const CString& key, const CString& name, std::uint32_t, std::uint32_t* type,
                        std::string* data) override {
    if (key.Str() != "Software\\T") return macro::kRegistryNoKey;
    const auto v = values.find(name.Str());
    if (v == values.end()) return macro::kRegistryNoValue;
    *type = types[name.Str()];
    *data = v->second;
    return macro::kRegistryOk;
  }
  int WriteRegistryValue(const CString& key, const CString& name, std::uint32_t type,
                         const std::string& data) override {
    if (key.Str() != "Software\\T") return macro::kRegistryNoKey;
    values[name.Str()] = data;
    types[name.Str()] = type;
    return macro::kRegistryOk;
  }
};

using RegistryRun = macrotest::RunFixture<HiveRunHost>;

TEST_F(RegistryRun, DeclaredVariablesWriteAndReadBack) {
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\tn=-12\r\n\tdefine\tr=0\r\n"
                                          "\tregistry_w:&D180\tCUn:Software\\T:count\r\n"
                                          "\tregistry:&D181\tCUn:Software\\T:count\r\n"));
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(host.values["count"], std::string("\xF4\xFF\xFF\xFF", 4));
  EXPECT_EQ(host.types["count"], 4u);
  EXPECT_EQ(Var(181), "-12");
  EXPECT_EQ(Var(146), "");
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\tn=5\r\n\tdefine\tr=0\r\n"
                                          "\tregistry_w:[n]\tCUn:Software\\T:five\r\n"
                                          "\tregistry:[r]\tCUn:Software\\T:five\r\n"));
  EXPECT_EQ(Var(181), "5");
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\tr=0\r\n\tregistry:&D180\tCU:Software\\T:none\r\n"));
  EXPECT_EQ(Var(180), "data eror");
  EXPECT_EQ(Var(146), "EROR");
}

}  // namespace
