// Command words: every entry, every family replacement and the edge cases,
// as one golden table.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "macro/macro_cmdwords.h"
#include "macro/macro_state.h"

namespace {

constexpr const char* kNotStored = "\x01(not stored)";

struct Case {
  const char* word;
  const char* rest;
  const char* operand;
  const char* wantWord;
  const char* wantRest;
  const char* wantCommand;  // kNotStored: the command stays as it was
  const char* wantOperand;
};

// Plain family rows: word alone, no rest, no operand, stored as the code.
#define CODE(w, code) {w, "", "", code, "", code, ""}
// A word that is no command word: nothing changes, nothing is stored.
#define KEEP(w) {w, "", "", w, "", kNotStored, ""}

const Case kCases[] = {
    // Guard: short words and words that do not begin with a lower-case letter.
    KEEP(""), KEEP("a"), KEEP("Save"), KEEP("SAVEXLS"), KEEP("1save"), KEEP("&Sx"), KEEP("#save"), KEEP("[save]"),
    KEEP("\x82\xa0save"), KEEP("_save"), {"s", "x", "op", "s", "x", kNotStored, "op"},
    // Words that only look like command words.
    KEEP("checkline"), KEEP("che"), KEEP("for"), KEEP("endfor"), KEEP("exe"), KEEP("splitx"), KEEP("endx"),
    KEEP("dox"), KEEP("formx"), KEEP("fmx"), KEEP("returns"), KEEP("registry"), KEEP("sys_para"), KEEP("loop"),
    KEEP("until"), KEEP("outloop"), KEEP("eror_on"),
    // Entries left alone: not stored.
    KEEP("if"), KEEP("inc"), KEEP("increment"), KEEP("dec"), KEEP("decx"), KEEP("do"), KEEP("while"), KEEP("else"),
    KEEP("endif"), {"if", "[a]==1", "", "if", "[a]==1", kNotStored, ""},
    {"inc", "x", "op", "inc", "x", kNotStored, "op"},

    // Formula form.
    {"form", "", "", "&#", "", "&#", ""},
    {"form", "3", "SUM", "&3#SUM", "&3", "&3#SUM", ""},
    {"fm", "&5", "MAX", "&5#MAX", "&5", "&5#MAX", ""},
    {"form", "", "AVE", "&#AVE", "", "&#AVE", ""},
    {"fm", "[x]", "", "&[x]#", "&[x]", "&[x]#", ""},

    // Replace: "rpl" and the first of "replace", "repl", "rep" found.
    {"rpl", "abc", "", "abc", "abc", "abc", ""},
    CODE("rplx", "x"), CODE("rplrpl", ""),
    {"rep", "&1@1_:!#", "", "&1@1_:!#", "&1@1_:!#", "&1@1_:!#", ""},
    {"rep", "", "", "", "", "", ""},
    CODE("replacement", "ment"), CODE("repl", ""), CODE("replrepl", ""), CODE("repx", "x"),
    CODE("replacerep", "rep"), CODE("replx", "x"),

    // Rows.
    CODE("rowfill", "&Rf"), CODE("rowdel", "&Rd"), CODE("rowadd", "&Ra"), CODE("rowpara", "&Rp"),
    CODE("rowsplit", "&Rs"), CODE("rowgroup", "&Rg"), CODE("row", "&R"), CODE("rowx", "&Rx"),
    {"row", "2", "", "&R:2", ":2", "&R:2", ""},
    {"rowdel", "2", "", "&Rd2", "2", "&Rd2", ""},
    {"rowx", "2", "", "&Rx2", "2", "&Rx2", ""},
    // Lines.
    CODE("linedel", "&Yd"), CODE("lineadd", "&Ya"), CODE("linerev", "&Yv"), CODE("linehvr", "&Yh"),
    CODE("linettl", "&Yt"), CODE("line", "&Y"), CODE("lin", "lin"),
    // Input.
    CODE("inputmenu", "&Im"), CODE("inputnumber", "&In"), CODE("inputnum", "&In"), CODE("inputcustom", "&Ic"),
    CODE("inputdebug", "&Id"), CODE("inputhold", "&Ih"), CODE("inputopen", "&Io"), CODE("inputnopen", "&Ip"),
    CODE("inputwrite", "&Iw"), CODE("inputread", "&Ir"), CODE("inputexit", "&Ix"), CODE("immon", "&Imm1"),
    CODE("immoff", "&Imm0"), CODE("input", "&I"), CODE("inp", "inp"), CODE("imm", "imm"),
    {"input", "&D12", "", "&I12", "12", "&I12", ""},
    {"input", "&D", "", "&I&D", "&D", "&I&D", ""},
    {"input", "&Dx", "", "&Ix", "x", "&Ix", ""},
    {"immon", "&D5", "", "&Imm15", "5", "&Imm15", ""},
    {"input", "x&D5", "", "&Ix&D5", "x&D5", "&Ix&D5", ""},
    // Display.
    CODE("dispall", "&Ma"), CODE("disptitle", "&Mt"), CODE("disp", "&M"), CODE("display", "&Mlay"),
    // Messages.
    CODE("message", "&M"), CODE("msgif", "&Mi"), CODE("check", "&Mc"), CODE("msgopen", "&Mo"),
    CODE("msghold", "&Mh"), CODE("msgwrite", "&Mw"), CODE("msgexit", "&Mx"), CODE("msg", "&M"),
    CODE("messageif", "&Mi"), CODE("mes", "mes"), CODE("msgcheck", "&M&Mc"),
    {"check", "[a]", "", "&Mc[a]", "[a]", "&Mc[a]", ""},
    // Sort, with its suffix by the operand.
    CODE("sortup", "&Su"), CODE("sordown", "&Sd"), CODE("sordn", "&Sd"), CODE("sortu", "&Su"),
    CODE("sortd", "&Sd"), CODE("sortdown", "&Sdown"), CODE("sort", "sort"), CODE("sor", "sor"),
    {"sortup", "3", "NUM", "&Sun3", "3", "&Sun3", "NUM"},
    {"sortdown", "", "num", "&Sdownn", "", "&Sdownn", "num"},
    {"sortd", "", "Pass", "&Sdp", "", "&Sdp", "Pass"},
    {"sortu", "2", "SELECT", "&Sus2", "2", "&Sus2", "SELECT"},
    {"sortu", "", "numx", "&Su", "", "&Su", "numx"},
    {"sortu", "", " num", "&Su", "", "&Su", " num"},
    {"sort", "", "num", "sortn", "", "sortn", "num"},
    {"sort", "1", "", "sort1", "1", "sort1", ""},
    // Sum and count.
    CODE("sum", "&Cs"), CODE("sumx", "&Csx"), CODE("count", "&Cn"), CODE("countd", "&Cnd"),
    {"cou", "3", "", "cou3", "3", "cou3", ""},
    // Print.
    CODE("printpreview", "&Pv"), CODE("printset", "&Ps"), CODE("printfont", "&Pf"), CODE("print", "&P"),
    // New rows.
    CODE("newend", "&Ne"), CODE("newtop", "&Nt"), CODE("newmax", "&Nm"), CODE("newvar", "&Nv"),
    CODE("newfix", "&Nf"), CODE("newdata", "&Nd"), CODE("new", "&N"),
    // Save.
    CODE("savetext", "&St"), CODE("savetab", "&Sb"), CODE("savexls", "&Sx"), CODE("saveadd", "&Sa"),
    CODE("savertf", "&Sr"), CODE("savepdf", "&Sp"), CODE("saveclip", "&Sc"), CODE("savemfile", "&Sf"),
    CODE("savehtm", "&Sh"), CODE("save", "&S"), CODE("savesave", "&S&S"),
    {"savexls", "a.xls", "", "&Sxa.xls", "a.xls", "&Sxa.xls", ""},
    {"save\x8a\xbf", "", "", "&S\x8a\xbf", "", "&S\x8a\xbf", ""},
    // Text to table.
    CODE("textcsv", "&Tc"), CODE("textxls", "&Tx"), CODE("texttab", "&Tb"), CODE("textauto", "&Ta"),
    CODE("textsp", "&Ts"), CODE("text", "&T"),
    // Join.
    CODE("joinpart", "&Jp"), CODE("joinall", "&Ja"), CODE("joinsingle", "&Js"), CODE("joinboth", "&Jb"),
    CODE("joineach", "&Je"), CODE("join", "&J"),
    // Load.
    CODE("loadmacro", "&Lm"), CODE("loadsub", "&Ls"), CODE("loaddata", "&Ld"), CODE("loadadd", "&La"),
    CODE("loadjoin", "&Lj"), CODE("loadboth", "&Lh"), CODE("loadnet", "&Ln"), CODE("loadzip", "&Lz"),
    CODE("loadclip", "&Lc"), CODE("loadtext", "&Lt"), CODE("loadmfile", "&Lf"), CODE("loadpdf", "&Lp"),
    CODE("loadxls", "&Lx"), CODE("load", "&L"),
    // Files.
    CODE("filekill", "&Fk"), CODE("fileexe", "&Fx"), CODE("filequit", "&Fq"), CODE("filenew", "&Fn"),
    CODE("filerename", "&Fr"), CODE("filecopy", "&Fc"), CODE("filetrans", "&Ft"), CODE("filedivide", "&Fv"),
    CODE("filestatusw", "&Fw"), CODE("filestatus", "&Fs"), CODE("filereg", "&Fg"), CODE("filepart", "&Fp"),
    CODE("filelist", "&Fl"), CODE("fileinput", "&Fi"), CODE("fileisave", "&Fis"), CODE("fileuser", "&Fu"),
    CODE("filezip", "&Fz"), CODE("filedir", "&Fd"), CODE("fileall", "&Fa"), CODE("fileenc", "&Fe"),
    CODE("file", "&F"),
    // Folders, window, wait, call, jump, define.
    CODE("makedir", "&Fm"), CODE("mak", "mak"), CODE("changedir", "&Fd"), CODE("cha", "cha"),
    CODE("windowsnodisp", "&Wn"), CODE("windowsresize", "&Wr"), CODE("windows", "&W"), CODE("window", "window"),
    CODE("waitfile", "Wf"), CODE("waitdisp", "Wd"), CODE("waitnofile", "Wn"), CODE("waitupdate", "Wu"),
    CODE("waitkey", "Wk"), CODE("waitprocess", "Wp"), CODE("wait", "W"),
    CODE("call", "C"), {"call", "sub1", "", "Csub1", "sub1", "Csub1", ""},
    {"calendar", "x", "", "calendarx", "x", "calendarx", ""},
    CODE("jump", "J"), {"jump", "L10", "", "JL10", "L10", "JL10", ""},
    CODE("define", "D"), CODE("define#name", "D#name"), {"def", "x", "", "defx", "x", "defx", ""},
    // Whole words that become a code.
    CODE("split", "&Fp"), CODE("break", "BK"), CODE("stepon", "8"), CODE("stepoff", "9"), CODE("end", "E"),
    CODE("exit", "Ex"), CODE("return", "R"), {"return", "x", "", "Rx", "x", "Rx", ""},
    CODE("par", "P"), CODE("para", "P"), CODE("parameter", "P"), {"par", "3", "", "P3", "3", "P3", ""},
};

#undef CODE
#undef KEEP

std::string Show(const CString& s) { return std::string(s.GetString()); }

TEST(CommandWords, GoldenTable) {
  auto st = std::make_unique<macro::MacroState>();
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("word \"") + c.word + "\" rest \"" + c.rest + "\" operand \"" + c.operand + "\"");
    st->m_strStmtCommand = "\x01(before)";
    st->m_strStmtOperand = c.operand;
    CString word(c.word), rest(c.rest);
    macro::MacroTranslateCommandWord(*st, word, rest);
    EXPECT_EQ(Show(word), c.wantWord);
    EXPECT_EQ(Show(rest), c.wantRest);
    if (std::strcmp(c.wantCommand, kNotStored) == 0)
      EXPECT_EQ(Show(st->m_strStmtCommand), "\x01(before)");
    else
      EXPECT_EQ(Show(st->m_strStmtCommand), c.wantCommand);
    EXPECT_EQ(Show(st->m_strStmtOperand), c.wantOperand);
  }
}

// Every long form of every family is exercised by the golden table, and the
// table tests prefixes in the order that keeps "check" apart from "che...".
TEST(CommandWords, TableIsCoveredByTheGoldenCases) {
  std::set<std::string> words;
  for (const Case& c : kCases) words.insert(c.word);
  std::size_t n = 0;
  const macro::CmdWordEntry* table = macro::CommandWordTable(&n);
  ASSERT_EQ(n, 36u);
  for (std::size_t i = 0; i < n; ++i) {
    const macro::CmdWordEntry& e = table[i];
    SCOPED_TRACE(e.name);
    for (std::size_t k = 0; k < e.familySize; ++k) {
      const std::string from = e.family[k].from;
      // The long form itself, or (for the "check" of the messages) a word
      // that reaches it, is among the cases.
      bool seen = words.count(from) > 0;
      for (const std::string& w : words) seen = seen || w.find(from) != std::string::npos;
      EXPECT_TRUE(seen) << from;
    }
    for (const char* const* p = e.wholes; *p != nullptr; ++p) EXPECT_TRUE(words.count(*p) > 0) << *p;
    for (const char* const* p = e.prefixes; *p != nullptr; ++p) {
      bool seen = false;
      for (const std::string& w : words) seen = seen || w.compare(0, 3, *p) == 0;
      EXPECT_TRUE(seen) << *p;
    }
  }
}

// Codes are never translated again: a word that came out as a code goes
// through a second translation unchanged and is not stored again.
TEST(CommandWords, CodesAreLeftAsTheyAre) {
  auto st = std::make_unique<macro::MacroState>();
  for (const Case& c : kCases) {
    st->m_strStmtOperand = c.operand;
    CString word(c.word), rest(c.rest);
    macro::MacroTranslateCommandWord(*st, word, rest);
    if (word.IsEmpty() || (word[0] >= 'a' && word[0] <= 'z')) continue;
    const CString once = word;
    st->m_strStmtCommand = "\x01(again)";
    CString empty;
    macro::MacroTranslateCommandWord(*st, word, empty);
    EXPECT_EQ(Show(word), Show(once)) << c.word;
    EXPECT_EQ(Show(st->m_strStmtCommand), "\x01(again)") << c.word;
  }
}

}  // namespace
