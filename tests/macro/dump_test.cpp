// The dump of a stopped run: the slot lists and the text, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "macro/macro_dump.h"
#include "macro/macro_state.h"

namespace {

class StopDump : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();

  void Names(const char* table) { std::strncpy(st->m_abMacroNameTable, table, macro::kNameTableSize - 1); }
  std::string Dump(const std::vector<int>& slots, const macro::StopDumpInput& in) const {
    return macro::MacroStopDump(*st, slots, in).GetString();
  }
  // The part of a dump between "  variables" and the constants.
  std::string Variables(const std::vector<int>& slots) const {
    const std::string d = Dump(slots, {});
    const std::size_t from = d.find("  variables") + std::strlen("  variables");
    return d.substr(from, d.find("\r\n\r\n  constants") - from);
  }
};

TEST_F(StopDump, TheWholeTextOfOneStop) {
  st->m_strMacroVars[110] = "x";
  Names("#:PI=3.14;");
  macro::StopDumpInput in;
  in.prevCommand = "a";
  in.prevOperand = "b";
  in.command = "9";
  in.operand = "A";
  in.line = 4;
  in.indent = 1;
  in.blockIndent = 2;
  EXPECT_EQ(
      "  -1 : a\tb\r\n  +0 : 9\tA\r\n-----------------------------------------------  \r\n  variables"
      "\r\n     A\t\t\t=  x"
      "\r\n\r\n  constants\r\n     # PI\t\t\t= 3.14\r\n"
      "\r\n  cmnd line = 4\r\n  dwn space = 1 / 2",
      Dump({110, 0}, in));
}

TEST_F(StopDump, StepModeEndsTheText) {
  macro::StopDumpInput in;
  in.stepMode = true;
  const std::string d = Dump({0}, in);
  const std::string tail = "\r\n  : Step mode ON";
  ASSERT_GE(d.size(), tail.size());
  EXPECT_EQ(tail, d.substr(d.size() - tail.size()));
  in.stepMode = false;
  EXPECT_EQ(std::string::npos, Dump({0}, in).find("Step mode"));
}

TEST_F(StopDump, LabelsOfTheSlots) {
  struct Case {
    int slot;
    const char* label;
  } cases[] = {
      {1, "     1"},       {99, "    99"},      {100, "     0"},           {109, "     9"},
      {110, "     A"},      {169, "     |"},     {146, "     e(eror flag)"}, {115, "     F(file name)"},
      {153, "     l(line max)"}, {159, "     r(clmn max)"}, {118, "     I(clmn fit)"}, {119, "     J(line fit)"},
      {117, "     H(table stage)"}, {120, "     K(page  numbr)"}, {121, "     L(line  title)"},
      {175, "   175"},     {5180, "  5180"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.label, std::string(macro::MacroDumpSlotLabel(c.slot).GetString())) << c.slot;
}

TEST_F(StopDump, TabsFollowTheLabelsLength) {
  st->m_strMacroVars[180] = "v";
  st->m_strMacroVars[181] = "w";
  st->m_strMacroVars[182] = "u";
  st->m_strMacroVars[146] = "0";
  // 7 characters of declared name: "   180(abcdefg)" is 15 long, two TABs;
  // "   181(abcdefghijklmnop)" is 24 long, none; "     e(eror flag)" 17, one.
  Names("180:abcdefg;181:abcdefghijklmnop;182:abcdefghijklmno;");
  EXPECT_EQ("\r\n   180(abcdefg)\t\t=  v\r\n   181(abcdefghijklmnop)=  w\r\n   182(abcdefghijklmno)\t=  u"
            "\r\n     e(eror flag)\t=  0",
            Variables({180, 181, 182, 146, 0}));
}

TEST_F(StopDump, ArrayBaseAndTheEndOfTheList) {
  st->m_strMacroVars[5] = CString("\x0c" "12");
  st->m_strMacroVars[6] = "six";
  EXPECT_EQ("\r\n     5\t\t\t=  array base : 12", Variables({5, 0, 6}));
  EXPECT_EQ("\r\n     5\t\t\t=  array base : 12", Variables({5, 5182, 6}));
  EXPECT_EQ("", Variables({-3, 5}));
  // 5181 is a slot of the store.
  st->m_strMacroVars[5181] = "last";
  EXPECT_EQ("\r\n  5181\t\t\t=  last", Variables({5181, 0}));
}

TEST_F(StopDump, Constants) {
  struct Case {
    const char* table;
    const char* lines;
  } cases[] = {
      {"#:PI=3.14;", "     # PI\t\t\t= 3.14\r\n"},
      {"&:LONGNAME=1;@:X=2;", "     & LONGNAME\t\t= 1\r\n     @ X\t\t\t= 2\r\n"},
      // A second '=' measures the line up to its first TAB.
      {"#:a=b=c;", "     # a\t\t\t= b\t\t\t= c\r\n"},
      // Without ';' the entry runs to the end of the table, all of it shown.
      {"#:K=7", "     # K\t\t\t= 7\r\n"},
      {"185:total;#:K=7;", "     # K\t\t\t= 7\r\n"},
      // Not entries: a ':' missing, a lone mark at the end.
      {"#K=1;&", ""},
  };
  for (const Case& c : cases) {
    std::memset(st->m_abMacroNameTable, 0, sizeof st->m_abMacroNameTable);
    Names(c.table);
    const std::string d = Dump({0}, {});
    const std::size_t from = d.find("  constants\r\n") + std::strlen("  constants\r\n");
    EXPECT_EQ(c.lines, d.substr(from, d.find("\r\n  cmnd line") - from)) << c.table;
  }
}

TEST_F(StopDump, AConstantLineIsCutAtItsLimit) {
  std::memset(st->m_abMacroNameTable, 'x', macro::kNameTableSize - 1);
  st->m_abMacroNameTable[0] = '#';
  st->m_abMacroNameTable[1] = ':';
  const std::string d = Dump({0}, {});
  const std::size_t from = d.find("  constants\r\n") + std::strlen("  constants\r\n");
  const std::size_t to = d.find("\r\n", from);
  EXPECT_EQ(3u + macro::kDumpLineMost, to - from);
}

TEST_F(StopDump, AWatchListNamesLettersSlotsAndNumbers) {
  // "9" with the operand "A,&D5,12": exactly A (110), 5 and 12.
  EXPECT_EQ((std::vector<int>{110, 5, 12, 0}), macro::MacroStopSlots(*st, "9", "A,&D5,12", false));
  EXPECT_EQ((std::vector<int>{110, 5, 12, 0}), macro::MacroStopSlots(*st, "9 A,&D5,12", "", false));
  EXPECT_EQ((std::vector<int>{146, 0}), macro::MacroStopSlots(*st, "7 e", "", false));
  // "T" names no slot; an empty watch list holds only its end.
  EXPECT_EQ((std::vector<int>{0}), macro::MacroStopSlots(*st, "7", "", false));
  EXPECT_EQ((std::vector<int>{0}), macro::MacroStopSlots(*st, "9 T", "", false));
}

TEST_F(StopDump, EmptySlotsAreSkippedInTheFullListButWrittenInAWatchList) {
  st->m_strMacroVars[3] = "3";
  st->m_strMacroVars[110] = "A";   // listed
  st->m_strMacroVars[113] = "D";   // a run letter: left out
  st->m_strMacroVars[175] = "x";   // 170-179: never listed
  st->m_strMacroVars[200] = "y";
  const std::vector<int> full = macro::MacroStopSlots(*st, "9*", "", true);
  EXPECT_EQ((std::vector<int>{3, 110, 200, 146, 115, 159, 153, 118, 119, 0}), full);
  EXPECT_EQ("\r\n     4\t\t\t=  ", Variables(macro::MacroStopSlots(*st, "9 4", "", false)));
}

TEST_F(StopDump, AFullStoreStopsAddingTheRunSlots) {
  for (int s = 180; s <= macro::kLastVarSlot; ++s) st->m_strMacroVars[s] = "1";
  for (int s = 1; s < 100; ++s) st->m_strMacroVars[s] = "1";
  const std::vector<int> full = macro::MacroStopSlots(*st, "9", "*", true);
  // 99 + 5001 = 5100 taken, below 5176: the six run slots follow.
  EXPECT_EQ(5100u + 6u + 1u, full.size());
  for (int s = 100; s < 170; ++s) st->m_strMacroVars[s] = "1";
  const std::vector<int> more = macro::MacroStopSlots(*st, "9", "*", true);
  EXPECT_EQ(0, more.back());
  EXPECT_LE(more.size(), static_cast<std::size_t>(macro::kDumpMostSlots) + 1);
  EXPECT_EQ(5100u + 46u + 6u + 1u, more.size());
}

}  // namespace
