// The statements that shape the variable store: "define", "clear:",
// defined functions, "para", by-reference arguments and the release at return.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "macro/macro_names.h"
#include "macro/macro_state.h"
#include "macro/macro_vars.h"
#include "test_host.h"

namespace {

class VariableStore : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  CString error;

  bool Define(const char* operand) {
    CString op(operand);
    return macro::MacroDefine(*st, &host, &op, &error);
  }
  std::string Table() const { return st->m_abMacroNameTable; }
  std::string Var(int slot) const { return st->m_strMacroVars[slot].GetString(); }
  void Call(const char* args, std::initializer_list<const char*> values) {
    int k = 0;
    for (const char* v : values) st->m_strMacroArgs[k++] = v;
    st->m_nMacroArgCount = k;
    ASSERT_TRUE(macro::MacroSetUpReferences(*st, args, &error)) << error.GetString();
  }
};

TEST_F(VariableStore, DefineDeclaresAndCutsComments) {
  EXPECT_TRUE(Define("a,b=2 // two names"));
  EXPECT_EQ(182, st->m_nMacroNextSlot);
  EXPECT_EQ("180:a;181:b;", Table());
  EXPECT_EQ("2 ", Var(181));
  EXPECT_TRUE(Define(""));
  EXPECT_TRUE(Define("// only a comment"));
  EXPECT_EQ(182, st->m_nMacroNextSlot);
}

TEST_F(VariableStore, DefineErrors) {
  EXPECT_FALSE(Define("a,[b]"));
  EXPECT_EQ("Define variables Eror   ", std::string(error.GetString()));
  EXPECT_TRUE(Define("a"));
  EXPECT_FALSE(Define("x<10000>"));
  EXPECT_EQ("Over define variables Eror   ", std::string(error.GetString()));
  // The next slot stays where it was, so the numbered variables are safe.
  EXPECT_EQ(181, st->m_nMacroNextSlot);
  st->m_strMacroVars[1] = "one";
  EXPECT_TRUE(Define("b"));
  EXPECT_EQ(182, st->m_nMacroNextSlot);
  EXPECT_EQ("one", Var(1));
}

TEST_F(VariableStore, GarbageTableIsStartedAfresh) {
  st->m_abMacroNameTable[0] = 0x03;
  st->m_abMacroNameTable[1] = 'x';
  EXPECT_TRUE(Define("a"));
  EXPECT_EQ("180:a;", Table());
}

TEST_F(VariableStore, ClearForms) {
  ASSERT_TRUE(Define("a=1,b=2,c=3"));
  st->m_strMacroVars[100] = "work";
  EXPECT_TRUE(Define("clear:nothing"));  // unknown: no change
  EXPECT_EQ(183, st->m_nMacroNextSlot);
  EXPECT_TRUE(Define("clear:b"));
  EXPECT_EQ("180:a;", Table());
  EXPECT_EQ(181, st->m_nMacroNextSlot);
  EXPECT_EQ("1", Var(180));
  EXPECT_EQ("", Var(181));
  EXPECT_EQ("", Var(182));
  ASSERT_TRUE(Define("d=4"));
  EXPECT_TRUE(Define("clear:all"));
  EXPECT_EQ("", Table());
  EXPECT_EQ(180, st->m_nMacroNextSlot);
  EXPECT_EQ("", Var(180));
  EXPECT_EQ("work", Var(100));
}

TEST_F(VariableStore, ClearOfALowSlotChangesNothing) {
  ASSERT_TRUE(Define("12:low"));
  ASSERT_TRUE(Define("x=5"));
  EXPECT_TRUE(Define("clear:low"));
  EXPECT_EQ("012:low;180:x;", Table());
  EXPECT_EQ("5", Var(180));
}

TEST_F(VariableStore, DefinedFunctions) {
  EXPECT_TRUE(macro::MacroDefineFunction(*st, "D#sq", "@In*@In", &error));
  EXPECT_EQ(":sq::&D173*&D173", std::string(st->m_strMacroFuncs[0].GetString()));
  EXPECT_TRUE(macro::MacroDefineFunction(*st, "D#f", "@Out=@a+@b+@c", &error));
  EXPECT_EQ(":f::&D174=&D175+&D176+&D177", std::string(st->m_strMacroFuncs[1].GetString()));
  for (int k = 2; k < macro::kFuncSlots; ++k) EXPECT_TRUE(macro::MacroDefineFunction(*st, "D#g", "1", &error));
  EXPECT_EQ(100, st->m_nMacroFuncCount);
  EXPECT_FALSE(macro::MacroDefineFunction(*st, "D#h", "1", &error));
  EXPECT_EQ("Over define function Eror   ", std::string(error.GetString()));
  EXPECT_EQ(100, st->m_nMacroFuncCount);
}

TEST_F(VariableStore, ParaBindsArguments) {
  ASSERT_TRUE(Define("outer"));
  Call("", {"x", "NULL", "NULL"});
  EXPECT_TRUE(macro::MacroBindParameters(*st, &host, "p,q,r", &error));
  EXPECT_EQ("x", Var(181));
  EXPECT_EQ("", Var(182));
  EXPECT_EQ("", Var(183));
  EXPECT_EQ(184, st->m_nMacroNextSlot);
}

TEST_F(VariableStore, ParaWithMissingArgumentsGivesEmptyTexts) {
  st->m_strMacroArgs[1] = "stale from an earlier call";
  Call("", {"only"});
  EXPECT_TRUE(macro::MacroBindParameters(*st, &host, "p,q", &error));
  EXPECT_EQ("only", Var(180));
  EXPECT_EQ("", Var(181));
}

TEST_F(VariableStore, ParaWithManyParametersStaysInsideTheArguments) {
  Call("", {"a"});
  std::string list = "p0";
  for (int k = 1; k < 400; ++k) list += ",p" + std::to_string(k);
  st->m_strMacroVars[180 + 350] = "untouched";
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, list.c_str(), &error));
  EXPECT_EQ("a", Var(180));
  EXPECT_EQ(580, st->m_nMacroNextSlot);
  EXPECT_EQ("untouched", Var(180 + 350));  // only arguments 0-300 are bound
}

TEST_F(VariableStore, ParaOverTheStore) {
  st->m_nMacroNextSlot = 5180;
  EXPECT_FALSE(macro::MacroBindParameters(*st, &host, "p,q", &error));
  EXPECT_EQ("Over parameter stack Eror", std::string(error.GetString()));
  EXPECT_EQ(5180, st->m_nMacroNextSlot);
}

TEST_F(VariableStore, ADefineThatWouldFillTheLastSlotIsRefusedWhole) {
  // Slots 5178-5180 exist, but the next free slot would pass the last one:
  // the statement fails and declares nothing (no names, no values).
  st->m_nMacroNextSlot = 5178;
  const std::string before = Table();
  EXPECT_FALSE(Define("a=1,b=2,c=3"));
  EXPECT_EQ(before, Table());
  EXPECT_EQ(5178, st->m_nMacroNextSlot);
  EXPECT_EQ("", Var(5178));
  EXPECT_TRUE(Define("a=1,b=2"));
  EXPECT_EQ(5180, st->m_nMacroNextSlot);
}

TEST_F(VariableStore, ReleaseRestoresNamesAndNextSlot) {
  ASSERT_TRUE(Define("keep=1"));
  const std::string before = Table();
  Call("", {"1", "2", "3", "4", "5"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "a,b,c,d,e", &error));
  ASSERT_TRUE(Define("local=9"));
  EXPECT_EQ(187, st->m_nMacroNextSlot);
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ(before, Table());
  EXPECT_EQ(181, st->m_nMacroNextSlot);
  for (int s = 181; s <= 187; ++s) EXPECT_EQ("", Var(s)) << s;
  EXPECT_EQ("1", Var(180));
}

TEST_F(VariableStore, ReleaseOfASubroutineThatDeclaredNothing) {
  ASSERT_TRUE(Define("keep"));
  Call("", {});
  EXPECT_EQ(std::string("180:keep;\x05"), Table());
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("180:keep;", Table());
  EXPECT_EQ(181, st->m_nMacroNextSlot);
}

TEST_F(VariableStore, UnboundReferenceLinksDoNotOutliveTheCall) {
  ASSERT_TRUE(Define("keep"));
  st->m_strMacroVars[7] = "seven";
  Call("&D7*", {"seven"});  // the subroutine declares no parameter
  macro::MacroReleaseSubroutine(*st);
  // A later subroutine's parameter at the same slot hands nothing to slot 7.
  Call("", {"x"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "p", &error));
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("seven", Var(7));
}

TEST_F(VariableStore, ReleaseWithAnEmptyTableAtTheCall) {
  Call("", {"v"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "p", &error));
  EXPECT_EQ("v", Var(180));
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("", Table());
  EXPECT_EQ(180, st->m_nMacroNextSlot);
  EXPECT_EQ("", Var(180));
}

TEST_F(VariableStore, ByReferenceArgumentsAreHandedBack) {
  ASSERT_TRUE(Define("total=10"));
  st->m_strMacroVars[5] = "five";
  Call("&D180*,&D5", {"10", "five"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "t,f", &error));
  EXPECT_EQ(0u, st->m_aMacroVarFlags[180]);  // the mark moved to the parameter
  st->m_strMacroVars[181] = "11";
  st->m_strMacroVars[182] = "changed";
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("11", Var(180));
  EXPECT_EQ("five", Var(5));  // passed by value
  EXPECT_EQ("", Var(181));
}

TEST_F(VariableStore, ByReferenceFromAHighCallerSlot) {
  st->m_nMacroNextSlot = 4200;
  std::strcpy(st->m_abMacroNameTable, "4100:big;");
  st->m_strMacroVars[4100] = "old";
  Call("&D4100*", {"old"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "p", &error));
  EXPECT_EQ("old", Var(4200));
  st->m_strMacroVars[4200] = "new";
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("new", Var(4100));
  EXPECT_EQ("", Var(4));  // 4100 cut to 12 bits would be slot 4
  EXPECT_EQ(4200, st->m_nMacroNextSlot);
}

TEST_F(VariableStore, NestedCallsReleaseOneLevelEach) {
  ASSERT_TRUE(Define("g=0"));
  Call("&D180*", {"0"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "outer", &error));  // slot 181
  Call("&D181*", {"0"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "inner", &error));  // slot 182
  st->m_strMacroVars[182] = "2";
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("2", Var(181));
  EXPECT_EQ(182, st->m_nMacroNextSlot);
  EXPECT_EQ(std::string("180:g;\x05" "181:outer;"), Table());
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("2", Var(180));
  EXPECT_EQ("180:g;", Table());
}

TEST_F(VariableStore, ANumberedDeclarationInASubroutineLeavesTheCallersVariables) {
  ASSERT_TRUE(Define("a=1,b=2,c=3,d=4,e=5"));
  Call("", {});
  ASSERT_TRUE(Define("181:x"));
  ASSERT_TRUE(Define("local=9"));
  EXPECT_EQ(186, st->m_nMacroNextSlot);
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ(185, st->m_nMacroNextSlot);
  EXPECT_EQ("180:a;181:b;182:c;183:d;184:e;", Table());
  for (int s = 180; s < 185; ++s) EXPECT_EQ(std::to_string(s - 179), Var(s)) << s;
  EXPECT_EQ("", Var(185));
  ASSERT_TRUE(Define("f"));
  EXPECT_EQ("180:a;181:b;182:c;183:d;184:e;185:f;", Table());
}

TEST_F(VariableStore, ASubroutinesItemAfterANumberedOneLeavesTheCallersSlots) {
  ASSERT_TRUE(Define("a=1,b=2,c=3,d=4,e=5"));
  Call("", {});
  ASSERT_TRUE(Define("181:x,y=9"));  // y would run on into the caller's c
  EXPECT_EQ("3", Var(182));
  EXPECT_EQ("9", Var(185));
  EXPECT_EQ(186, st->m_nMacroNextSlot);
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ(185, st->m_nMacroNextSlot);
  for (int s = 180; s < 185; ++s) EXPECT_EQ(std::to_string(s - 179), Var(s)) << s;
  EXPECT_EQ("", Var(185));
  EXPECT_EQ("180:a;181:b;182:c;183:d;184:e;", Table());
}

TEST_F(VariableStore, ASubroutineDeclaringBelowTheCallersNextSlotRestoresIt) {
  ASSERT_TRUE(Define("a=1,b=2"));
  Call("", {"p"});
  ASSERT_TRUE(macro::MacroBindParameters(*st, &host, "p", &error));
  ASSERT_TRUE(Define("clear:p"));  // next slot back at 182, then numbered low
  ASSERT_TRUE(Define("12:n=x"));
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ(182, st->m_nMacroNextSlot);
  EXPECT_EQ("1", Var(180));
  EXPECT_EQ("2", Var(181));
  EXPECT_EQ("180:a;181:b;", Table());
}

TEST_F(VariableStore, AReleaseInsideASubroutineLowersWhatTheReturnPutsBack) {
  ASSERT_TRUE(Define("a=1,b=2"));
  Call("", {});
  ASSERT_TRUE(Define("clear:all"));  // the caller's names go as well
  ASSERT_TRUE(Define("x=9,y=8"));
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("", Table());  // the subroutine's names do not outlive it
  EXPECT_EQ(180, st->m_nMacroNextSlot);
  EXPECT_EQ("", Var(180));
  EXPECT_EQ("", Var(181));
  // The return never cuts the table inside an entry declared after the release.
  ASSERT_TRUE(Define("a"));
  Call("", {});
  Call("", {});
  ASSERT_TRUE(Define("clear:a"));
  ASSERT_TRUE(Define("longername=5"));
  macro::MacroReleaseSubroutine(*st);
  macro::MacroReleaseSubroutine(*st);
  EXPECT_EQ("", Table());
  EXPECT_EQ(180, st->m_nMacroNextSlot);
  EXPECT_EQ("", Var(180));
  ASSERT_TRUE(Define("b"));
  EXPECT_EQ("180:b;", Table());
}

TEST_F(VariableStore, TooManyReferencesRefused) {
  st->m_nMacroNextSlot = 5180;
  EXPECT_FALSE(macro::MacroSetUpReferences(*st, "&D5*,&D6,&D7", &error));
  EXPECT_EQ("Over parameter stack Eror", std::string(error.GetString()));
  EXPECT_EQ(0u, st->m_aMacroVarFlags[5]);
}

}  // namespace
