// The compiler of the CSV condition statements: the command part ("&5==A ||
// &5>#(100)") becomes a list of pieces with their joiners, brackets and
// groups, and the operand part becomes an operation word or a list of
// actions. No table access: the statement runner (macro_csvselect) values
// the pieces row by row.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pat {
struct ConditionPattern;
}

namespace csv {

constexpr int kCondMaxPieces = 40;    // pieces of one condition
constexpr int kCondMaxActions = 40;   // actions of one operand
constexpr int kCondStackDepth = 40;   // open brackets at one time
constexpr int kCondMaxColumns = 9000; // column flags of the column modes

// Operation of a statement (the operand word).
enum CondMode : int {
  kCondActions = 0,     // an action list (or a mark word)
  kCondSelect = 1,      // "&SL": keep the matching rows
  kCondKill = 2,        // "&KL": drop them
  kCondSelect2 = 3,     // "&SL2": keep them with the row before
  kCondKill2 = 4,       // "&KL2": drop them with the row before
  kCondCount = 5,       // "&CKN": first, last and number of matches
  kCondSelectCols = 6,  // "&SR": keep the flagged columns
  kCondKillCols = 7,    // "&KR": drop the flagged columns
  kCondSelectCols1 = 8, // "&SR1": as 6, column 1 kept
  kCondKillCols1 = 9,   // "&KR1": as 7, column 1 never dropped
  kCondCheckLines = 10, // "&CKL": the matching rows into the check list
  kCondMergeRows = 11,  // "&ML": each matching row onto the row before
  kCondMergeCells = 12, // "&MR": two neighbouring cells of a matching row
};

// Joiners between pieces.
enum CondJoiner : int { kJoinAnd = 1, kJoinOr = 2 };

struct CondPiece {
  std::string text;   // the piece as split (brackets of the grouping removed)
  std::string left;   // text before the operator
  std::string right;  // text after it
  char op1 = 0;       // first operator character; ':' for the pattern forms; 0 none
  char op2 = 0;       // second operator character
  bool hasOperator = false;
  // A '=' that ends the piece ("&D171=", "&1L+N\;M="): an assignment
  // target, not a test; it holds on every row of its range.
  bool assignTarget = false;
  std::shared_ptr<pat::ConditionPattern> pattern;  // for op1 ':'
  int joiner = kJoinOr;  // how the piece joins what comes before it
  int closeBefore = 0;   // ')' that close after the piece before it
  int open = 0;          // '(' that open before this piece
};

enum CondCompileStatus : int {
  kCondOk = 0,
  kCondNothing = 1,     // "&[0]": the statement does nothing
  kCondEmpty = 2,       // no condition
  kCondBareWord = 3,    // a first piece that is neither a test nor an address
  kCondTooDeep = 4,     // brackets nested past kCondStackDepth
};

struct CondAction {
  std::string target;  // empty: no "target=" (the condition's assignment target is used)
  std::string value;   // the value text ("\=" kept: the cell writer makes it '=')
  bool hasTarget = false;
};

struct CompiledCondition {
  CondCompileStatus status = kCondOk;
  std::string command;  // after the early forms
  std::string operand;
  int mode = kCondActions;
  int markKind = 0;       // 1-6, 0 none
  bool findForm = false;  // operand beginning '>'
  bool stepForm = false;  // "&D5++" with ">": became an assignment
  // Merges: the text the merge column is read from (its first number), the
  // joiner text after '+' (mode 11) and the option letter (mode 12).
  std::string mergeColumnText;
  bool mergeHasPlus = false;
  std::string mergeJoiner;
  char mergeOption = 0;

  std::vector<CondPiece> pieces;
  int finalClose = 0;             // ')' after the last piece
  std::vector<int> groupStarts;   // first piece of each "::" group (group 0 starts at 0)
  bool tooManyPieces = false;     // 40 or more pieces were written ("Over max 40 of && or ||")
  std::vector<CondAction> actions;
  bool tooManyActions = false;    // the list reached 40 actions
  int assignPiece = -1;           // the first assignment-target piece, -1 none
};

// The message shown when a condition reaches kCondMaxPieces pieces.
extern const char kCondTooManyPiecesText[];
// The slot-146 text when an operand reaches kCondMaxActions actions
// (a printf format taking the interpreter's line number).
extern const char kCondTooManyActionsFormat[];

// Compiles one statement (command and operand as the interpreter split it).
CompiledCondition CompileCondition(std::string command, std::string operand);

// The normalisation of a condition alone: literal brackets "\(" "\)" as
// bytes 5 and 6, the words AND and OR as "&&" and "||", blanks inside
// brackets dropped, and the ')' closing a "#(" function call as byte 6.
std::string NormaliseCondition(std::string command);

// Splits an operand into actions ("$(" groups protected, "&&" read as
// "||", blanks around the separators dropped, "inc"/"dec" and "++"/"--"
// written as "#(" additions). *tooMany when the list reached the limit.
std::vector<CondAction> SplitActions(const std::string& operand, bool* tooMany);

}  // namespace csv
