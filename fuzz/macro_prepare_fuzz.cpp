// Statement preparation and command words over any bytes. The input is
// split into a flag byte, the command and (after the first TAB) the operand;
// the command's byte offsets are made up as a scanner would give them
// (increasing, with gaps where continued lines were joined) or, by a flag,
// arbitrary, to exercise the guard of the "||" split. Checks:
// - the statement position only ever moves forward past the statement's
//   first byte and never beyond where the next statement began;
// - the word, its first bytes and the command letters agree with the texts
//   they come from; the flags agree with the word;
// - translation agrees with a second one written as a plain chain of tests;
//   a word that came out as a code translates to itself, and the rest of a
//   plain family word is appended directly to its translation.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/docsvc/sjis_state.h"
#include "fw/sjis.h"
#include "macro/macro_cmdwords.h"
#include "macro/macro_prepare.h"
#include "macro/macro_state.h"

namespace {

#define CHECK(cond) \
  do {              \
    if (!(cond)) __builtin_trap(); \
  } while (0)

bool StartsWith(const CString& text, const CString& head) {
  return text.GetLength() >= head.GetLength() &&
         std::memcmp(text.GetString(), head.GetString(), static_cast<std::size_t>(head.GetLength())) == 0;
}

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

void CheckLetters(const macro::MacroState& st, const macro::PreparedStatement& p) {
  const CString& w = p.word;
  for (int k = 0; k < 3; ++k)
    CHECK(p.c[k] == (k < w.GetLength() ? static_cast<unsigned char>(w[k]) : macro::kMissingLetter));
  if (p.c[0] != '&') {
    CHECK(p.letterAt == -1 && p.letter == p.c[1] && p.letter2 == p.c[2]);
    return;
  }
  const CString& cmd = st.m_strStmtCommand;
  CHECK(StartsWith(cmd, w));
  if (p.letterAt < 0) {
    CHECK(p.letter == macro::kMissingLetter && p.letter2 == macro::kMissingLetter);
    return;
  }
  CHECK(p.letterAt >= 1 && p.letterAt < cmd.GetLength());
  const unsigned char at = static_cast<unsigned char>(cmd[p.letterAt]);
  CHECK(p.letter == at || (p.letter == ':' && at == 'n' && cmd.Mid(p.letterAt, 3) == "nc:"));
  const int next = p.letterAt + 1;
  CHECK(p.letter2 == (next < cmd.GetLength() ? static_cast<unsigned char>(cmd[next]) : macro::kMissingLetter));
}

// A second translation, written as a plain chain of tests with its own
// lists, for comparison with the table. Replacements step over double-byte
// characters as CString::Replace does.
int ModelReplace(std::string* s, const std::string& from, const std::string& to) {
  std::string out;
  int count = 0;
  for (std::size_t i = 0; i < s->size();) {
    if (s->compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
      ++count;
    } else {
      const int n = fw::SjisCharLength(s->data(), static_cast<int>(s->size()), static_cast<int>(i));
      out.append(*s, i, static_cast<std::size_t>(n));
      i += static_cast<std::size_t>(n);
    }
  }
  if (count > 0) s->swap(out);
  return count;
}

void ModelAll(std::string* w, std::initializer_list<const char*> pairs) {
  const char* from = nullptr;
  for (const char* p : pairs) {
    if (from == nullptr) {
      from = p;
    } else {
      ModelReplace(w, from, p);
      from = nullptr;
    }
  }
}

struct ModelResult {
  std::string word, rest, operand, command;
  bool stored = false;
};

ModelResult ModelTranslate(const std::string& word, const std::string& rest, const std::string& operand) {
  ModelResult r{word, rest, operand, "", false};
  std::string& w = r.word;
  if (w.size() < 2 || w[0] < 'a' || w[0] > 'z') return r;
  const std::string pre = w.substr(0, 3);
  if (w == "form" || w == "fm") {
    w = "#" + operand;
    r.operand.clear();
    if (r.rest.empty()) {
      w = "&" + w;
    } else {
      if (r.rest[0] != '&') r.rest = "&" + r.rest;
      w = r.rest + w;
    }
    r.command = w;
    r.stored = true;
    return r;
  }
  if (pre == "rpl") {
    ModelAll(&w, {"rpl", ""});
  } else if (pre == "rep") {
    if (ModelReplace(&w, "replace", "") == 0 && ModelReplace(&w, "repl", "") == 0) ModelReplace(&w, "rep", "");
  } else if (pre == "row") {
    ModelAll(&w, {"rowfill", "rowf", "rowdel", "rowd", "rowadd", "rowa", "rowpara", "rowp", "rowsplit", "rows",
                  "rowgroup", "rowg", "row", "&R"});
    if (!r.rest.empty() && w == "&R") r.rest = ":" + r.rest;
  } else if (pre == "lin") {
    ModelAll(&w, {"linedel", "lined", "lineadd", "linea", "linerev", "linev", "linehvr", "lineh", "linettl", "linet",
                  "line", "&Y"});
  } else if (pre == "inp" || pre == "imm") {
    ModelAll(&w, {"inputmenu", "inputm", "inputnumber", "inputn", "inputnum", "inputn", "inputcustom", "inputc",
                  "inputdebug", "inputd", "inputhold", "inputh", "inputopen", "inputo", "inputnopen", "inputp",
                  "inputwrite", "inputw", "inputread", "inputr", "inputexit", "inputx", "immon", "inputmm1", "immoff",
                  "inputmm0", "input", "&I"});
    if (r.rest.size() > 2 && r.rest.compare(0, 2, "&D") == 0) r.rest.erase(0, 2);
  } else if (pre == "dis") {
    ModelAll(&w, {"dispall", "dispa", "disptitle", "dispt", "disp", "&M"});
  } else if (pre == "mes" || pre == "msg" || w == "check") {
    ModelAll(&w, {"message", "msg", "msgif", "msgi", "check", "msgc", "msgopen", "msgo", "msghold", "msgh", "msgwrite",
                  "msgw", "msgexit", "msgx", "msg", "&M"});
  } else if (pre == "sor") {
    ModelAll(&w, {"sortup", "sortu", "sordown", "sortd", "sordn", "sortd", "sortu", "&Su", "sortd", "&Sd"});
    const std::string lowered = MakeLowerSjis(CString(operand.data(), static_cast<int>(operand.size()))).Str();
    if (lowered == "num") w += "n";
    else if (lowered == "pass") w += "p";
    else if (lowered == "select") w += "s";
  } else if (pre == "sum") {
    ModelAll(&w, {"sum", "&Cs"});
  } else if (pre == "cou") {
    ModelAll(&w, {"count", "&Cn"});
  } else if (pre == "pri") {
    ModelAll(&w, {"printpreview", "printv", "printset", "prints", "printfont", "printf", "print", "&P"});
  } else if (pre == "new") {
    ModelAll(&w, {"newend", "newe", "newtop", "newt", "newmax", "newm", "newvar", "newv", "newfix", "newf", "newdata",
                  "newd", "new", "&N"});
  } else if (pre == "sav") {
    ModelAll(&w, {"savetext", "savet", "savetab", "saveb", "savexls", "savex", "saveadd", "savea", "savertf", "saver",
                  "savepdf", "savep", "saveclip", "savec", "savemfile", "savef", "savehtm", "saveh", "save", "&S"});
  } else if (pre == "tex") {
    ModelAll(&w, {"textcsv", "textc", "textxls", "textx", "texttab", "textb", "textauto", "texta", "textsp", "texts",
                  "text", "&T"});
  } else if (pre == "joi") {
    ModelAll(&w, {"joinpart", "joinp", "joinall", "joina", "joinsingle", "joins", "joinboth", "joinb", "joineach",
                  "joine", "join", "&J"});
  } else if (pre == "loa") {
    ModelAll(&w, {"loadmacro", "loadm", "loadsub", "loads", "loaddata", "loadd", "loadadd", "loada", "loadjoin",
                  "loadj", "loadboth", "loadh", "loadnet", "loadn", "loadzip", "loadz", "loadclip", "loadc",
                  "loadtext", "loadt", "loadmfile", "loadf", "loadpdf", "loadp", "loadxls", "loadx", "load", "&L"});
  } else if (pre == "fil") {
    ModelAll(&w, {"filekill", "filek", "fileexe", "filex", "filequit", "fileq", "filenew", "filen", "filerename",
                  "filer", "filecopy", "filec", "filetrans", "filet", "filedivide", "filev", "filestatusw", "filew",
                  "filestatus", "files", "filereg", "fileg", "filepart", "filep", "filelist", "filel", "fileinput",
                  "filei", "fileisave", "fileis", "fileuser", "fileu", "filezip", "filez", "filedir", "filed",
                  "fileall", "filea", "fileenc", "filee", "file", "&F"});
  } else if (pre == "mak") {
    ModelAll(&w, {"makedir", "&Fm"});
  } else if (pre == "cha") {
    ModelAll(&w, {"changedir", "&Fd"});
  } else if (pre == "win") {
    ModelAll(&w, {"windowsnodisp", "windowsn", "windowsresize", "windowsr", "windows", "&W"});
  } else if (pre == "wai") {
    ModelAll(&w, {"waitfile", "waitf", "waitdisp", "waitd", "waitnofile", "waitn", "waitupdate", "waitu", "waitkey",
                  "waitk", "waitprocess", "waitp", "wait", "W"});
  } else if (pre == "cal") {
    ModelAll(&w, {"call", "C"});
  } else if (pre == "jum") {
    ModelAll(&w, {"jump", "J"});
  } else if (w == "if" || pre == "inc" || pre == "dec" || w == "do" || w == "while" || w == "else" || w == "endif") {
    return r;
  } else if (pre == "def") {
    ModelAll(&w, {"define", "D"});
  } else if (w == "split") {
    w = "&Fp";
  } else if (w == "break") {
    w = "BK";
  } else if (w == "stepon") {
    w = "8";
  } else if (w == "stepoff") {
    w = "9";
  } else if (w == "end") {
    w = "E";
  } else if (w == "exit") {
    w = "Ex";
  } else if (w == "return") {
    w = "R";
  } else if (pre == "par") {
    w = "P";
  } else {
    return r;
  }
  w += r.rest;
  r.command = w;
  r.stored = true;
  return r;
}

// Translation alone on a word and a rest taken from the input.
void CheckTranslation(macro::MacroState& st, const CString& word0, const CString& rest0, const CString& operand) {
  // The table against the model, with the operand of the input.
  {
    const ModelResult m = ModelTranslate(word0.Str(), rest0.Str(), operand.Str());
    st.m_strStmtOperand = operand;
    CString w = word0, r = rest0;
    st.m_strStmtCommand = "\x01";
    macro::MacroTranslateCommandWord(st, w, r);
    const bool stored1 = st.m_strStmtCommand != "\x01";
    const CString command1 = st.m_strStmtCommand;
    st.m_strStmtOperand = operand;
    st.m_strStmtCommand = "\x02";
    CString w2 = word0, r2 = rest0;
    macro::MacroTranslateCommandWord(st, w2, r2);
    const bool stored = stored1 || st.m_strStmtCommand != "\x02";
    CHECK(w.Str() == m.word && r.Str() == m.rest && st.m_strStmtOperand.Str() == m.operand);
    CHECK(stored == m.stored);
    if (stored) CHECK(st.m_strStmtCommand.Str() == m.command && command1.Str() == m.command);
  }

  // Whether the command was stored: it differs from one of two sentinels
  // (a stored command cannot equal both).
  st.m_strStmtOperand = "";
  st.m_strStmtCommand = "\x01";
  CString word = word0, rest = rest0;
  macro::MacroTranslateCommandWord(st, word, rest);
  bool stored = st.m_strStmtCommand != "\x01";
  st.m_strStmtCommand = "\x02";
  CString word2 = word0, rest2 = rest0;
  macro::MacroTranslateCommandWord(st, word2, rest2);
  CHECK(word2 == word && rest2 == rest);
  stored = stored || st.m_strStmtCommand != "\x02";
  if (!stored) CHECK(word == word0 && rest == rest0);
  if (stored && !word.IsEmpty() && !IsLower(word[0])) {
    // A code is never translated again.
    const CString once = word;
    st.m_strStmtCommand = "\x01";
    CString none;
    macro::MacroTranslateCommandWord(st, word, none);
    CHECK(word == once && st.m_strStmtCommand == "\x01");
  }
  // The rest follows the translated word directly, except in the families
  // that rewrite their rest and in the formula form.
  const CString prefix = word0.Left(3);
  if (stored && !rest0.IsEmpty() && prefix != "row" && prefix != "inp" && prefix != "imm" && word0 != "form" &&
      word0 != "fm") {
    CString alone = word0, empty;
    st.m_strStmtCommand = "\x01";
    macro::MacroTranslateCommandWord(st, alone, empty);
    CHECK(rest == rest0);
    CHECK(word == alone + rest0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  if (size < 1) return 0;
  if (size > 4096) size = 4096;
  const uint8_t flags = data[0];
  const char* text = reinterpret_cast<const char*>(data + 1);
  const std::size_t n = size - 1;
  std::size_t tab = 0;
  while (tab < n && text[tab] != '\t') ++tab;
  const CString command(text, static_cast<int>(tab));
  const CString operand = tab < n ? CString(text + tab + 1, static_cast<int>(n - tab - 1)) : CString();

  // Offsets of the command's bytes.
  std::vector<std::uint32_t> at;
  at.reserve(tab);
  std::uint32_t off = 1000u + (flags & 0x0Fu) * 37u;
  const std::uint32_t start = off;
  for (std::size_t i = 0; i < tab; ++i) {
    if (flags & 0x80) {
      at.push_back(static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) * 7u + 900u);
      continue;
    }
    at.push_back(off);
    // A continued line after a joiner: the line break and blanks skipped.
    off += (flags & 0x40) && (text[i] == '|' || text[i] == '&') ? 5u : 1u;
  }
  const std::uint32_t next = off + 2;

  st->m_strStmtCommand = command;
  st->m_strStmtOperand = operand;
  st->m_anStmtCommandAt = at;
  st->m_nMacroPos = next;
  st->m_nCmdLineNo = (flags & 0x20) ? 0 : 9;
  const int line = st->m_nCmdLineNo;

  // By a flag, the macro text the offsets point into: the command's bytes at
  // their offsets, a line break and blanks in every gap.
  std::string macroText;
  if ((flags & 0x10) && (flags & 0x80) == 0) {
    macroText.assign(next, ' ');
    std::uint32_t prev = 0;
    for (std::size_t i = 0; i < at.size(); ++i) {
      if (i > 0 && at[i] > prev + 2) {
        macroText[prev + 1] = '\r';
        macroText[prev + 2] = '\n';
      }
      macroText[at[i]] = text[i];
      prev = at[i];
    }
    macroText[next - 2] = '\r';
    macroText[next - 1] = '\n';
  }

  const macro::PreparedStatement p = macro::PrepareStatement(*st, macroText);

  // The position.
  if (p.split) {
    CHECK(operand.IsEmpty());
    CHECK(st->m_bStmtMultiCond == 0);
    CHECK(!at.empty() && st->m_nMacroPos > at.front() && st->m_nMacroPos < next);
    if ((flags & 0x80) == 0) CHECK(st->m_nMacroPos > start);
    if (macroText.empty())
      CHECK(st->m_nCmdLineNo == (line > 0 ? line - 1 : 0));
    else
      CHECK(st->m_nCmdLineNo >= 0 && st->m_nCmdLineNo <= line);
    CHECK(st->m_anStmtCommandAt.size() < at.size());
  } else {
    CHECK(st->m_nMacroPos == next);
    CHECK(st->m_nCmdLineNo == line);
  }
  CHECK(st->m_bStmtMultiCond == 0 || st->m_bStmtMultiCond == 1);

  // The word and the flags.
  CheckLetters(*st, p);
  CHECK(p.runControl == macro::IsRunControlWord(p.word));
  if (p.directCondition) {
    CHECK(st->m_strStmtOperand.IsEmpty());
    const CString& cmd = st->m_strStmtCommand;
    CHECK(p.word == "if" || (cmd.GetLength() > 0 && cmd[cmd.GetLength() - 1] == '='));
  }
  // A condition is never also a replace inside a variable.
  CHECK(!(p.directCondition && p.word == "replreg"));
  if (p.word == "if") CHECK(p.runControl);

  // Translation by itself, on the command cut at its first ':'.
  const int colon = command.Find(':');
  CheckTranslation(*st, colon >= 0 ? command.Left(colon) : command, colon >= 0 ? command.Mid(colon + 1) : CString(),
                   operand);
  return 0;
}
