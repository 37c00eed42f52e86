// Declaration lists, array indexes, argument references and the names shown
// for slots.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "macro/macro_names.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

using macro::MacroDeclareVariables;
using macro::MacroVariableDisplayName;

class Declarations : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;

  int Declare(const char* list, int next = 180) { return MacroDeclareVariables(*st, &host, list, next); }
  std::string Table() const { return st->m_abMacroNameTable; }
  std::string Var(int slot) const { return st->m_strMacroVars[slot].GetString(); }
  std::string Name(int slot) const { return MacroVariableDisplayName(*st, slot).GetString(); }
};

TEST_F(Declarations, PlainNamesTakeConsecutiveSlots) {
  EXPECT_EQ(183, Declare("a,b,c"));
  EXPECT_EQ("180:a;181:b;182:c;", Table());
  EXPECT_EQ(185, Declare(" d ; e", 183));  // blanks and ';' separate too
  EXPECT_EQ("a", Name(180));
  EXPECT_EQ("c", Name(182));
}

TEST_F(Declarations, ArraysAndTheirElementNames) {
  EXPECT_EQ(192, Declare("x<10>,y"));
  EXPECT_EQ("180:x<10>;191:y;", Table());
  EXPECT_EQ("x", Name(180));
  EXPECT_EQ("x<4>", Name(184));
  EXPECT_EQ("x<10>", Name(190));
  EXPECT_EQ("y", Name(191));
  EXPECT_EQ("", Name(192));  // past every declaration
}

TEST_F(Declarations, TwoDimensionalArray) {
  EXPECT_EQ(188, Declare("m<2|3>"));
  EXPECT_EQ("\x0c" "3", Var(180));
  EXPECT_EQ("m<1|1>", Name(185));
  EXPECT_EQ("m<0|0>", Name(181));
  EXPECT_EQ("m<1|2>", Name(186));
}

TEST_F(Declarations, ZeroRowLengthShowsAsOneDimension) {
  EXPECT_EQ(182, Declare("m<3|0>"));
  EXPECT_EQ("\x0c" "0", Var(180));
  EXPECT_EQ("m<1>", Name(181));
}

TEST_F(Declarations, InitialValues) {
  EXPECT_EQ(185, Declare("v<3>={a|b|c},s=hello world"));
  EXPECT_EQ("a", Var(180));
  EXPECT_EQ("b", Var(181));
  EXPECT_EQ("c", Var(182));
  EXPECT_EQ("", Var(183));
  EXPECT_EQ("hello world", Var(184));
}

TEST_F(Declarations, InitialValuesStopAtTheArraysEnd) {
  st->m_strMacroVars[182] = "keep";
  EXPECT_EQ(182, Declare("v<1>={a|b|c|d}"));  // two elements: slots 180 and 181
  EXPECT_EQ("a", Var(180));
  EXPECT_EQ("b", Var(181));
  EXPECT_EQ("keep", Var(182));
  // A two-dimensional list fills from the slot after the base.
  EXPECT_EQ(188, Declare("t<2|2>={1|2|3|4|5}", 182));
  EXPECT_EQ("1", Var(183));
  EXPECT_EQ("4", Var(186));
  EXPECT_EQ("", Var(187));
}

TEST_F(Declarations, ExplicitSlots) {
  EXPECT_EQ(180, Declare("12:count"));  // slot 12; the declared area stays
  EXPECT_EQ("012:count;", Table());
  EXPECT_EQ(180, Declare("B:name"));
  EXPECT_EQ("012:count;111:name;", Table());
  // Items after a numbered one follow it.
  EXPECT_EQ(302, Declare("300:p,q"));
  EXPECT_NE(std::string::npos, Table().find("300:p;301:q;"));
}

TEST_F(Declarations, ANumberedItemAfterAPlainOneKeepsThePlainOnesSlot) {
  EXPECT_EQ(181, Declare("total=100,12:count"));
  EXPECT_EQ("180:total;012:count;", Table());
  EXPECT_EQ(182, Declare("other=7", 181));
  EXPECT_EQ("180:total;012:count;181:other;", Table());
  EXPECT_EQ("100", Var(180));
  // A numbered item below the declared area ahead of a plain one.
  EXPECT_EQ(401, Declare("400:p,12:q,r", 182));
  EXPECT_NE(std::string::npos, Table().find("400:p;012:q;013:r;"));
}

TEST_F(Declarations, TheSlotColonBelongsToTheItemItself) {
  EXPECT_EQ(181, Declare("a,B:x"));
  EXPECT_EQ("180:a;111:x;", Table());
  EXPECT_EQ(182, Declare("b=1:5", 181));  // a value with ':' is no slot number
  EXPECT_EQ("180:a;111:x;181:b;", Table());
  EXPECT_EQ("1:5", Var(181));
  EXPECT_EQ("", Var(1));
  EXPECT_EQ(183, Declare("c1:z", 182));  // only digits before ':' name a slot
  EXPECT_EQ("180:a;111:x;181:b;182:c1:z;", Table());
}

TEST_F(Declarations, ItemsAfterANumberedOneShareNoSlotWithEarlierItems) {
  // The run after a numbered array goes on past its elements (12-17).
  EXPECT_EQ(180, Declare("12:b<5>,c"));
  EXPECT_EQ("012:b<5>;018:c;", Table());
  EXPECT_EQ(180, Declare("20:a,d<3>,e"));
  EXPECT_NE(std::string::npos, Table().find("020:a;021:d<3>;025:e;"));
  // A run from a numbered item into the declared area starts past every
  // slot taken: z does not take f's slot 180.
  EXPECT_EQ(184, Declare("f,g,h,178:x,y,z"));
  EXPECT_NE(std::string::npos, Table().find("180:f;181:g;182:h;178:x;179:y;183:z;"));
  // The same against the store's next slot: 180-184 are taken.
  EXPECT_EQ(186, Declare("181:p,q=9", 185));
  EXPECT_NE(std::string::npos, Table().find("181:p;185:q;"));
  EXPECT_EQ("9", Var(185));
  // An array that would reach into the taken area starts past it; below the
  // declared area the run stays where it is ("12:a,b" puts b at 13).
  EXPECT_EQ(207, Declare("170:r,s<20>", 186));
  EXPECT_NE(std::string::npos, Table().find("170:r;186:s<20>;"));
  EXPECT_EQ(192, Declare("170:r,s<20>", 180));  // nothing declared yet: 171-191
  EXPECT_NE(std::string::npos, Table().find("170:r;171:s<20>;"));
}

TEST_F(Declarations, AliasesTakeNoSlot) {
  EXPECT_EQ(181, Declare("#abc,x"));
  EXPECT_EQ("#:abc;180:x;", Table());
}

TEST_F(Declarations, OversizedDeclarationsWriteNothing) {
  st->m_strMacroVars[5180] = "last";
  EXPECT_EQ(0, Declare("x<10000>"));
  EXPECT_EQ(0, Declare("a=1,b<5000>", 180));
  EXPECT_EQ("", Var(180));  // the first item was not written either
  EXPECT_EQ(0, Declare("z<2>={1|2|3}", 5179));
  EXPECT_EQ("last", Var(5180));
  EXPECT_EQ(0, Declare("w<100|100>"));
  EXPECT_EQ(0, Declare("q", 5181));
  EXPECT_EQ("", Table());
  EXPECT_EQ(5181, Declare("z", 5180));  // the last slot itself is fine
}

TEST_F(Declarations, FullNamesTableRefused) {
  std::string filler(macro::kNameTableSize - 5, 'x');
  std::memcpy(st->m_abMacroNameTable, filler.data(), filler.size());
  st->m_abMacroNameTable[filler.size()] = '\0';
  EXPECT_EQ(0, Declare("abcdef=1"));
  EXPECT_EQ("", Var(180));
}

TEST_F(Declarations, BracketAfterSeparatorAsksAndRefuses) {
  EXPECT_EQ(-1, Declare("a,[b]"));
  ASSERT_EQ(1u, host.boxes.size());
  EXPECT_EQ("define parameter eror!\n'[' is to be after ';'", host.boxes[0]);
  EXPECT_EQ("", Table());
}

TEST_F(Declarations, SizesReadFromVariables) {
  st->m_strMacroVars[5] = "4";
  EXPECT_EQ(185, Declare("r<&D5>"));
  std::strcpy(st->m_abMacroNameTable, "185:n;");
  st->m_strMacroVars[185] = "2";
  EXPECT_EQ(189, Declare("s<[n]>", 186));
}

TEST_F(Declarations, BracketedIndexesReadDeclaredNames) {
  std::strcpy(st->m_abMacroNameTable, "180:n;#:two=2;\x05" "181:n;");
  st->m_strMacroVars[180] = "3";
  st->m_strMacroVars[181] = "4";
  int pos = 0;
  EXPECT_EQ(3, macro::MacroParseIndexRef(*st, "[n]>", &pos));
  EXPECT_EQ(4, pos);
  st->m_nMacroCallDepth = 1;  // inside the subroutine its own n
  pos = 0;
  EXPECT_EQ(4, macro::MacroParseIndexRef(*st, "[n]>", &pos));
  pos = 0;
  EXPECT_EQ(-3, macro::MacroParseIndexRef(*st, "[two]|5>", &pos));  // a "#" alias's text
  pos = 0;
  EXPECT_EQ(7, macro::MacroParseIndexRef(*st, "[7]>", &pos));  // a number as written
}

TEST_F(Declarations, IndexReferences) {
  int pos = 0;
  CString text("3|4>");
  EXPECT_EQ(-4, macro::MacroParseIndexRef(*st, text, &pos));
  EXPECT_EQ(2, pos);
  EXPECT_EQ(4, macro::MacroParseIndexRef(*st, text, &pos));
  EXPECT_EQ(4, pos);

  st->m_strMacroVars[1085] = "7";
  pos = 0;
  EXPECT_EQ(7, macro::MacroParseIndexRef(*st, "&D1085>", &pos));
  EXPECT_EQ(7, pos);
  st->m_strMacroVars[110] = "9";
  pos = 0;
  EXPECT_EQ(-10, macro::MacroParseIndexRef(*st, "&DA|", &pos));
  pos = 0;
  EXPECT_EQ(6000, macro::MacroParseIndexRef(*st, "&D6000>", &pos));  // no slot: the number
  pos = 0;
  EXPECT_EQ(2147483647, macro::MacroParseIndexRef(*st, "99999999999999>", &pos));
  pos = 0;
  EXPECT_EQ(0, macro::MacroParseIndexRef(*st, "", &pos));
  pos = 1000;  // past the end
  EXPECT_EQ(0, macro::MacroParseIndexRef(*st, "1", &pos));
}

TEST(ArgumentRefs, SlotsAndReferenceMarks) {
  auto st = std::make_unique<macro::MacroState>();
  std::vector<int> slots;
  EXPECT_EQ(2, macro::MacroCollectArgumentRefs("&D5*,&D7", &slots, st->m_aMacroVarFlags));
  EXPECT_EQ((std::vector<int>{5, 7, 0}), slots);
  EXPECT_EQ(macro::kVarByRefMark, st->m_aMacroVarFlags[5]);
  EXPECT_EQ(0u, st->m_aMacroVarFlags[7]);

  // Longer numbers and letters are marked too.
  slots.clear();
  EXPECT_EQ(3, macro::MacroCollectArgumentRefs("&D4100*,A*,&DT3", &slots, st->m_aMacroVarFlags));
  EXPECT_EQ((std::vector<int>{4100, 110, 103, 0}), slots);
  EXPECT_EQ(macro::kVarByRefMark, st->m_aMacroVarFlags[4100]);
  EXPECT_EQ(macro::kVarByRefMark, st->m_aMacroVarFlags[110]);

  // Out-of-store numbers are collected without touching any flag word.
  slots.clear();
  EXPECT_EQ(1, macro::MacroCollectArgumentRefs("&D99999*", &slots, st->m_aMacroVarFlags));
  slots.clear();
  EXPECT_EQ(0, macro::MacroCollectArgumentRefs(",,;", &slots, nullptr));
  EXPECT_TRUE(slots.empty());
}

}  // namespace
