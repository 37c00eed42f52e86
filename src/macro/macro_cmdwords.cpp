#include "macro/macro_cmdwords.h"

#include <iterator>

#include "core/docsvc/sjis_state.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

using R = CmdWordReplacement;

// Family replacements: the long forms first, the family word last, so that
// any word of the family word plus a suffix becomes the code plus the suffix.
const R kRpl[] = {{"rpl", ""}};
const R kRep[] = {{"replace", ""}, {"repl", ""}, {"rep", ""}};
const R kRows[] = {{"rowfill", "rowf"},  {"rowdel", "rowd"},     {"rowadd", "rowa"}, {"rowpara", "rowp"},
                   {"rowsplit", "rows"}, {"rowgroup", "rowg"}, {"row", "&R"}};
const R kLines[] = {{"linedel", "lined"}, {"lineadd", "linea"}, {"linerev", "linev"},
                    {"linehvr", "lineh"}, {"linettl", "linet"}, {"line", "&Y"}};
const R kInput[] = {{"inputmenu", "inputm"},   {"inputnumber", "inputn"}, {"inputnum", "inputn"},
                    {"inputcustom", "inputc"}, {"inputdebug", "inputd"},  {"inputhold", "inputh"},
                    {"inputopen", "inputo"},   {"inputnopen", "inputp"},  {"inputwrite", "inputw"},
                    {"inputread", "inputr"},   {"inputexit", "inputx"},   {"immon", "inputmm1"},
                    {"immoff", "inputmm0"},    {"input", "&I"}};
const R kDisplay[] = {{"dispall", "dispa"}, {"disptitle", "dispt"}, {"disp", "&M"}};
const R kMessages[] = {{"message", "msg"},  {"msgif", "msgi"},    {"check", "msgc"}, {"msgopen", "msgo"},
                       {"msghold", "msgh"}, {"msgwrite", "msgw"}, {"msgexit", "msgx"}, {"msg", "&M"}};
const R kSort[] = {{"sortup", "sortu"}, {"sordown", "sortd"}, {"sordn", "sortd"}, {"sortu", "&Su"}, {"sortd", "&Sd"}};
const R kSum[] = {{"sum", "&Cs"}};
const R kCount[] = {{"count", "&Cn"}};
const R kPrint[] = {{"printpreview", "printv"}, {"printset", "prints"}, {"printfont", "printf"}, {"print", "&P"}};
const R kNew[] = {{"newend", "newe"}, {"newtop", "newt"},   {"newmax", "newm"}, {"newvar", "newv"},
                  {"newfix", "newf"}, {"newdata", "newd"}, {"new", "&N"}};
const R kSave[] = {{"savetext", "savet"}, {"savetab", "saveb"},   {"savexls", "savex"},   {"saveadd", "savea"},
                   {"savertf", "saver"},  {"savepdf", "savep"},   {"saveclip", "savec"},  {"savemfile", "savef"},
                   {"savehtm", "saveh"},  {"save", "&S"}};
const R kText[] = {{"textcsv", "textc"},   {"textxls", "textx"}, {"texttab", "textb"},
                   {"textauto", "texta"}, {"textsp", "texts"},  {"text", "&T"}};
const R kJoin[] = {{"joinpart", "joinp"}, {"joinall", "joina"},  {"joinsingle", "joins"},
                   {"joinboth", "joinb"}, {"joineach", "joine"}, {"join", "&J"}};
const R kLoad[] = {{"loadmacro", "loadm"}, {"loadsub", "loads"},   {"loaddata", "loadd"}, {"loadadd", "loada"},
                   {"loadjoin", "loadj"},  {"loadboth", "loadh"},  {"loadnet", "loadn"},  {"loadzip", "loadz"},
                   {"loadclip", "loadc"},  {"loadtext", "loadt"},  {"loadmfile", "loadf"}, {"loadpdf", "loadp"},
                   {"loadxls", "loadx"},   {"load", "&L"}};
const R kFile[] = {{"filekill", "filek"},    {"fileexe", "filex"},       {"filequit", "fileq"},
                   {"filenew", "filen"},     {"filerename", "filer"},    {"filecopy", "filec"},
                   {"filetrans", "filet"},   {"filedivide", "filev"},    {"filestatusw", "filew"},
                   {"filestatus", "files"},  {"filereg", "fileg"},       {"filepart", "filep"},
                   {"filelist", "filel"},    {"fileinput", "filei"},     {"fileisave", "fileis"},
                   {"fileuser", "fileu"},    {"filezip", "filez"},       {"filedir", "filed"},
                   {"fileall", "filea"},     {"fileenc", "filee"},       {"file", "&F"}};
const R kMakeDir[] = {{"makedir", "&Fm"}};
const R kChangeDir[] = {{"changedir", "&Fd"}};
const R kWindows[] = {{"windowsnodisp", "windowsn"}, {"windowsresize", "windowsr"}, {"windows", "&W"}};
const R kWait[] = {{"waitfile", "waitf"}, {"waitdisp", "waitd"},       {"waitnofile", "waitn"},
                   {"waitupdate", "waitu"}, {"waitkey", "waitk"}, {"waitprocess", "waitp"}, {"wait", "W"}};
const R kCall[] = {{"call", "C"}};
const R kJump[] = {{"jump", "J"}};
const R kDefine[] = {{"define", "D"}};

// Key lists (null-ended).
const char* const kNone[] = {nullptr};
const char* const kWForm[] = {"form", "fm", nullptr};
const char* const kPRpl[] = {"rpl", nullptr};
const char* const kPRep[] = {"rep", nullptr};
const char* const kPRow[] = {"row", nullptr};
const char* const kPLin[] = {"lin", nullptr};
const char* const kPInp[] = {"inp", "imm", nullptr};
const char* const kPDis[] = {"dis", nullptr};
const char* const kPMes[] = {"mes", "msg", nullptr};
const char* const kWMes[] = {"check", nullptr};
const char* const kPSor[] = {"sor", nullptr};
const char* const kPSum[] = {"sum", nullptr};
const char* const kPCou[] = {"cou", nullptr};
const char* const kPPri[] = {"pri", nullptr};
const char* const kPNew[] = {"new", nullptr};
const char* const kPSav[] = {"sav", nullptr};
const char* const kPTex[] = {"tex", nullptr};
const char* const kPJoi[] = {"joi", nullptr};
const char* const kPLoa[] = {"loa", nullptr};
const char* const kPFil[] = {"fil", nullptr};
const char* const kPMak[] = {"mak", nullptr};
const char* const kPCha[] = {"cha", nullptr};
const char* const kPWin[] = {"win", nullptr};
const char* const kPWai[] = {"wai", nullptr};
const char* const kPCal[] = {"cal", nullptr};
const char* const kPJum[] = {"jum", nullptr};
const char* const kWIf[] = {"if", nullptr};
const char* const kPIncDec[] = {"inc", "dec", nullptr};
const char* const kWFlow[] = {"do", "while", "else", "endif", nullptr};
const char* const kPDef[] = {"def", nullptr};
const char* const kWSplit[] = {"split", nullptr};
const char* const kWBreak[] = {"break", nullptr};
const char* const kWStepOn[] = {"stepon", nullptr};
const char* const kWStepOff[] = {"stepoff", nullptr};
const char* const kWEnd[] = {"end", nullptr};
const char* const kWExit[] = {"exit", nullptr};
const char* const kWReturn[] = {"return", nullptr};
const char* const kPPar[] = {"par", nullptr};

using A = CmdWordAction;
using X = CmdWordExtra;

#define FAMILY(f) f, std::size(f)
#define NOFAMILY nullptr, 0

const CmdWordEntry kTable[] = {
    {"formula", kNone, kWForm, NOFAMILY, A::Formula, nullptr, X::None},
    {"replace rpl", kPRpl, kNone, FAMILY(kRpl), A::Replace, nullptr, X::None},
    {"replace rep", kPRep, kNone, FAMILY(kRep), A::FirstFound, nullptr, X::None},
    {"rows", kPRow, kNone, FAMILY(kRows), A::Replace, nullptr, X::RowRest},
    {"lines", kPLin, kNone, FAMILY(kLines), A::Replace, nullptr, X::None},
    {"input", kPInp, kNone, FAMILY(kInput), A::Replace, nullptr, X::InputRest},
    {"display", kPDis, kNone, FAMILY(kDisplay), A::Replace, nullptr, X::None},
    {"messages", kPMes, kWMes, FAMILY(kMessages), A::Replace, nullptr, X::None},
    {"sort", kPSor, kNone, FAMILY(kSort), A::Replace, nullptr, X::SortSuffix},
    {"sum", kPSum, kNone, FAMILY(kSum), A::Replace, nullptr, X::None},
    {"count", kPCou, kNone, FAMILY(kCount), A::Replace, nullptr, X::None},
    {"print", kPPri, kNone, FAMILY(kPrint), A::Replace, nullptr, X::None},
    {"new", kPNew, kNone, FAMILY(kNew), A::Replace, nullptr, X::None},
    {"save", kPSav, kNone, FAMILY(kSave), A::Replace, nullptr, X::SheetRest},
    {"text", kPTex, kNone, FAMILY(kText), A::Replace, nullptr, X::None},
    {"join", kPJoi, kNone, FAMILY(kJoin), A::Replace, nullptr, X::None},
    {"load", kPLoa, kNone, FAMILY(kLoad), A::Replace, nullptr, X::None},
    {"file", kPFil, kNone, FAMILY(kFile), A::Replace, nullptr, X::None},
    {"make folder", kPMak, kNone, FAMILY(kMakeDir), A::Replace, nullptr, X::None},
    {"change folder", kPCha, kNone, FAMILY(kChangeDir), A::Replace, nullptr, X::None},
    {"windows", kPWin, kNone, FAMILY(kWindows), A::Replace, nullptr, X::None},
    {"wait", kPWai, kNone, FAMILY(kWait), A::Replace, nullptr, X::None},
    {"call", kPCal, kNone, FAMILY(kCall), A::Replace, nullptr, X::None},
    {"jump", kPJum, kNone, FAMILY(kJump), A::Replace, nullptr, X::None},
    {"condition", kNone, kWIf, NOFAMILY, A::LeaveAlone, nullptr, X::None},
    {"increment", kPIncDec, kNone, NOFAMILY, A::LeaveAlone, nullptr, X::None},
    {"control flow", kNone, kWFlow, NOFAMILY, A::LeaveAlone, nullptr, X::None},
    {"define", kPDef, kNone, FAMILY(kDefine), A::Replace, nullptr, X::None},
    {"split", kNone, kWSplit, NOFAMILY, A::SetWord, "&Fp", X::None},
    {"break", kNone, kWBreak, NOFAMILY, A::SetWord, "BK", X::None},
    {"step on", kNone, kWStepOn, NOFAMILY, A::SetWord, "8", X::None},
    {"step off", kNone, kWStepOff, NOFAMILY, A::SetWord, "9", X::None},
    {"end", kNone, kWEnd, NOFAMILY, A::SetWord, "E", X::None},
    {"exit", kNone, kWExit, NOFAMILY, A::SetWord, "Ex", X::None},
    {"return", kNone, kWReturn, NOFAMILY, A::SetWord, "R", X::None},
    {"parameters", kPPar, kNone, NOFAMILY, A::SetWord, "P", X::None},
};

#undef FAMILY
#undef NOFAMILY

bool InList(const char* const* list, const CString& text) {
  for (; *list != nullptr; ++list)
    if (text == *list) return true;
  return false;
}

bool Matches(const CmdWordEntry& e, const CString& word, const CString& prefix) {
  return InList(e.prefixes, prefix) || InList(e.wholes, word);
}

// The suffix of the sort family by the operand, compared lower-cased.
const char* SortSuffix(const CString& loweredOperand) {
  if (loweredOperand == "num") return "n";
  if (loweredOperand == "pass") return "p";
  if (loweredOperand == "select") return "s";
  return "";
}

void FormulaForm(MacroState& st, CString& word, CString& rest) {
  word = CString("#") + st.m_strStmtOperand;
  st.m_strStmtOperand.Empty();
  if (rest.IsEmpty()) {
    word = CString("&") + word;
  } else {
    if (rest[0] != '&') rest = CString("&") + rest;
    word = rest + word;
  }
  st.m_strStmtCommand = word;
}

}  // namespace

const CmdWordEntry* CommandWordTable(std::size_t* count) {
  if (count != nullptr) *count = std::size(kTable);
  return kTable;
}

void MacroTranslateCommandWord(MacroState& st, CString& word, CString& rest) {
  if (word.GetLength() < 2) return;
  const char first = word[0];
  if (first < 'a' || first > 'z') return;
  // The word begins with an ASCII byte, so its first three bytes are whole
  // characters or the lead byte of a pair: the prefix tests compare ASCII
  // texts only, which a cut pair can never equal.
  const CString prefix = word.Left(3);

  const CmdWordEntry* entry = nullptr;
  for (const CmdWordEntry& e : kTable) {
    if (Matches(e, word, prefix)) {
      entry = &e;
      break;
    }
  }
  if (entry == nullptr) return;

  switch (entry->action) {
    case CmdWordAction::LeaveAlone:
      return;
    case CmdWordAction::Formula:
      FormulaForm(st, word, rest);
      return;  // stored by itself: the rest is in the word already
    case CmdWordAction::SetWord:
      word = entry->setTo;
      break;
    case CmdWordAction::FirstFound:
      for (std::size_t i = 0; i < entry->familySize; ++i)
        if (word.Replace(entry->family[i].from, entry->family[i].to) > 0) break;
      break;
    case CmdWordAction::Replace:
      for (std::size_t i = 0; i < entry->familySize; ++i) word.Replace(entry->family[i].from, entry->family[i].to);
      break;
  }

  switch (entry->extra) {
    case CmdWordExtra::None:
      break;
    case CmdWordExtra::RowRest:
      if (!rest.IsEmpty() && word == "&R") rest = CString(":") + rest;
      break;
    case CmdWordExtra::InputRest:
      if (rest.GetLength() > 2 && rest[0] == '&' && rest[1] == 'D') rest = rest.Mid(2);
      break;
    case CmdWordExtra::SheetRest:
      // "savexls:opts" is the word and its options; a ':' after options
      // ("savexls#f.xls:2") belongs to them.
      if (!rest.IsEmpty() && word.GetLength() > 3 && word.Left(3) == "&Sx") rest = CString(":") + rest;
      break;
    case CmdWordExtra::SortSuffix:
      word += SortSuffix(MakeLowerSjis(st.m_strStmtOperand));
      break;
  }

  if (!rest.IsEmpty()) word += rest;
  st.m_strStmtCommand = word;
}

}  // namespace macro
