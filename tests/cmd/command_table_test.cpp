// The command table against everything that names a command: the menus and
// string tables of the resources, the key table, the text view's right-click
// menus in every state, and the rows themselves.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cmd/command_table.h"
#include "app/shell/menu_captions.h"
#include "fw/codepage.h"
#include "res/resource.h"
#include "view/viewui/ctxmenu.h"

namespace {

using cmd::Command;
using cmd::Enable;
using cmd::FindCommand;

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(TABRYE_TEST_ROOT) + "/" + relative, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The values of the #defines of res/resource.h and of the framework's ids
// it includes.
std::map<std::string, unsigned> ResourceSymbols() {
  std::map<std::string, unsigned> out;
  for (const char* file : {"res/resource.h", "src/fw/fwres.h"}) {
    std::istringstream in(ReadSource(file));
    std::regex def(R"(^#define\s+(\w+)\s+(0x[0-9A-Fa-f]+|\d+)\s*$)");
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
      if (std::regex_match(line, m, def)) out[m[1]] = static_cast<unsigned>(std::stoul(m[2], nullptr, 0));
  }
  EXPECT_GT(out.size(), 100u);
  return out;
}

struct RcItem {
  std::string file;
  std::string menu;     // the resource name of the menu
  std::string caption;  // UTF-8 as written
  std::string symbol;
  bool grayed = false;
};

// The MENUITEMs of every MENU resource in the program's .rc files.
std::vector<RcItem> RcMenuItems() {
  std::vector<RcItem> items;
  for (const char* file : {"res/Tabrye.rc", "res/dialogs.rc", "res/find.rc", "res/strings.rc"}) {
    std::istringstream in(ReadSource(file));
    std::regex menuStart(R"(^(\w+)\s+MENU\b)");
    std::regex item(R"(^\s*MENUITEM\s+\"((?:[^\"\\]|\\.)*)\"\s*,\s*(\w+)(.*)$)");
    std::string line, menu;
    std::smatch m;
    while (std::getline(in, line)) {
      if (std::regex_search(line, m, menuStart)) menu = m[1];
      if (std::regex_match(line, m, item)) {
        RcItem it{file, menu, m[1], m[2], m[3].str().find("GRAYED") != std::string::npos};
        items.push_back(it);
      }
    }
  }
  return items;
}

// The entries of every STRINGTABLE of the .rc files: symbol or number.
std::vector<std::string> RcStringIds() {
  std::vector<std::string> ids;
  for (const char* file : {"res/Tabrye.rc", "res/dialogs.rc", "res/find.rc", "res/strings.rc"}) {
    std::istringstream in(ReadSource(file));
    std::regex entry(R"(^\s*(\w+)\s+\")");
    std::string line;
    bool inTable = false;
    std::smatch m;
    while (std::getline(in, line)) {
      if (line.rfind("STRINGTABLE", 0) == 0) inTable = true;
      else if (line.rfind("END", 0) == 0) inTable = false;
      else if (inTable && std::regex_search(line, m, entry)) ids.push_back(m[1]);
    }
  }
  return ids;
}

bool IsTestMenu(const std::string& name) { return name.find("TEST") != std::string::npos; }

// "\t" in a resource caption is the two characters backslash and t.
std::string RcCaptionToProgramText(const std::string& rc) {
  std::string s;
  for (std::size_t i = 0; i < rc.size(); ++i) {
    if (rc[i] == '\\' && i + 1 < rc.size()) {
      char c = rc[++i];
      s += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    } else {
      s += rc[i];
    }
  }
  return fw::Utf8ToCp932(s);
}

TEST(CommandTable, EveryMenuItemOfTheResourcesHasItsRowAndCaption) {
  const auto symbols = ResourceSymbols();
  int checked = 0;
  for (const RcItem& it : RcMenuItems()) {
    if (IsTestMenu(it.menu)) continue;
    SCOPED_TRACE(it.file + " " + it.menu + " " + it.symbol);
    auto sym = symbols.find(it.symbol);
    ASSERT_NE(symbols.end(), sym) << "not defined in res/resource.h";
    const Command* row = FindCommand(sym->second);
    ASSERT_NE(nullptr, row) << "no row in commands.def";
    EXPECT_STREQ(it.symbol.c_str(), row->symbol);
    // The resource holds the caption without its key hint; the frame adds it
    // (a row whose caption carries its own hint is shown in menus without it).
    std::string caption = row->caption;
    caption = caption.substr(0, caption.find('\t'));
    EXPECT_EQ(caption, RcCaptionToProgramText(it.caption));
    EXPECT_EQ(std::string::npos, it.caption.find("\\t")) << "key hints come from the command table";
    ++checked;
  }
  EXPECT_GT(checked, 40);
}

TEST(CommandTable, RowsAreUniqueAndWellFormed) {
  const auto symbols = ResourceSymbols();
  std::set<unsigned> ids;
  std::set<std::string> names, words;
  for (const Command& c : cmd::Commands()) {
    SCOPED_TRACE(c.symbol);
    EXPECT_TRUE(ids.insert(c.id).second) << "id twice";
    EXPECT_TRUE(names.insert(c.symbol).second) << "symbol twice";
    auto sym = symbols.find(c.symbol);
    ASSERT_NE(symbols.end(), sym);
    EXPECT_EQ(sym->second, c.id);
    if (c.enable == Enable::kNotBuilt) {
      EXPECT_STREQ("", c.handler);
    } else {
      EXPECT_STRNE("", c.handler) << "a built command names its handler";
    }
    EXPECT_EQ(c.enable == Enable::kUpdateHandler, *c.update != 0);
    if (*c.word) EXPECT_TRUE(words.insert(c.word).second) << "macro word twice";
    // Every key text of the row names a key.
    std::string keys = c.keys;
    std::size_t pos = 0;
    while (!keys.empty() && pos != std::string::npos) {
      std::size_t comma = keys.find(',', pos);
      std::string one = keys.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
      while (!one.empty() && one.front() == ' ') one.erase(0, 1);
      EXPECT_TRUE(cmd::ParseKey(one, nullptr)) << "bad key '" << one << "'";
      pos = comma == std::string::npos ? comma : comma + 1;
    }
  }
  EXPECT_GE(cmd::Commands().size(), 80u);
}

TEST(CommandTable, OneKeyTableWithoutTwiceBoundKeys) {
  std::set<std::string> seen;
  for (const cmd::KeyBinding& k : cmd::KeyTable()) {
    EXPECT_TRUE(seen.insert(cmd::KeyText(k)).second) << cmd::KeyText(k) << " bound twice";
    EXPECT_NE(nullptr, FindCommand(k.id));
  }
  // F3 and Shift+F3 are bound once, for the menu and the text view alike.
  EXPECT_EQ(unsigned(ID_FIND_NEXT), cmd::CommandForKey(0x72, false, false));
  EXPECT_EQ(unsigned(ID_FIND_REPLACE), cmd::CommandForKey(0x72, false, true));
  EXPECT_EQ(unsigned(ID_SWITCH_PANE), cmd::CommandForKey(0x77, false, false));
  EXPECT_EQ(unsigned(ID_BLOCK_EDIT), cmd::CommandForKey('B', true, false));
  EXPECT_EQ(unsigned(ID_FILE_PRINT), cmd::CommandForKey('P', true, false));
  EXPECT_EQ(unsigned(ID_EDIT_CUT), cmd::CommandForKey('X', true, false));
  EXPECT_EQ(0u, cmd::CommandForKey('B', false, false));
  EXPECT_EQ(0u, cmd::CommandForKey('B', true, true));
  EXPECT_EQ(0u, cmd::CommandForKey('S', true, false, true));
  // No second key table in the resources.
  EXPECT_EQ(std::string::npos, ReadSource("res/Tabrye.rc").find("ACCELERATORS"));
}

TEST(CommandTable, KeyTextsParseAndPrintBack) {
  cmd::KeyBinding k;
  ASSERT_TRUE(cmd::ParseKey("Ctrl+Shift+F3", &k));
  EXPECT_EQ(0x72u, k.vk);
  EXPECT_TRUE(k.ctrl && k.shift && !k.alt);
  EXPECT_EQ("Ctrl+Shift+F3", cmd::KeyText(k));
  ASSERT_TRUE(cmd::ParseKey("ctrl+b", &k));
  EXPECT_EQ(unsigned('B'), k.vk);
  EXPECT_EQ("Ctrl+B", cmd::KeyText(k));
  ASSERT_TRUE(cmd::ParseKey("Alt+Del", &k));
  EXPECT_EQ("Alt+Del", cmd::KeyText(k));
  ASSERT_TRUE(cmd::ParseKey("F24", &k));
  EXPECT_EQ(0x87u, k.vk);
  for (const char* bad : {"", "Ctrl+", "Ctrl++", "Hyper+X", "F0", "F25", "F1x", "Ctrl+XY", "+X", "Shift"})
    EXPECT_FALSE(cmd::ParseKey(bad, &k)) << bad;
}

TEST(CommandTable, CaptionsGetTheirKeyHintsFromTheKeys) {
  EXPECT_EQ("次を検索(&N)\tF3", cmd::MenuTextFor(ID_FIND_NEXT));
  EXPECT_EQ("開く(&O)...\tCtrl+O", cmd::MenuTextFor(ID_FILE_OPEN));
  EXPECT_EQ("名前を付けて保存(&A)...", cmd::MenuTextFor(ID_FILE_SAVE_AS));
  // A caption with its own hint keeps it.
  EXPECT_EQ("ﾌﾞﾛｯｸ編集\tctrl+B", cmd::MenuTextFor(ID_BLOCK_EDIT));
  // The Save caption that follows the shown kind gets the same hint.
  EXPECT_EQ("CSV保存(&S)\tCtrl+S", cmd::WithKeyHint(ID_FILE_SAVE, app::MenuCaptionsFor(33, 0, 0).save));
  EXPECT_EQ("罫線表編集(&T)", cmd::WithKeyHint(ID_TABLE_EDIT_MODE, app::MenuCaptionsFor(33, 0, 0).tableEdit));
  EXPECT_EQ("", cmd::MenuTextFor(1));
}

TEST(CommandTable, TheListsDeleteAndNewFileCarryTheirHintsWhileCtrlNStaysTheNewDocuments) {
  EXPECT_EQ("削除(&K)\tDel", cmd::MenuTextFor(ID_LIST_DELETE));
  EXPECT_EQ("新規ﾌｧｲﾙ作成(&N)\tCtrl+N", cmd::MenuTextFor(ID_LIST_NEW_FILE));
  EXPECT_EQ("新規ﾌｫﾙﾀﾞ作成(&M)", cmd::MenuTextFor(ID_LIST_NEW_FOLDER));
  EXPECT_EQ("終了・実行(&G)", cmd::MenuTextFor(ID_FILE_EXIT_RUN));
  EXPECT_EQ("本プログラムを終了後、関連付けソフトで開く", cmd::PromptFor(ID_FILE_EXIT_RUN));
  EXPECT_EQ("ファイル・フォルダの消去", cmd::PromptFor(ID_LIST_DELETE));
  EXPECT_EQ(unsigned(ID_FILE_NEW), cmd::CommandForKey('N', true, false));
  EXPECT_EQ(0u, cmd::CommandForKey(0x2E, false, false));
}

TEST(CommandTable, TheListsCopyAndMoveAreBuiltListRowsWhoseKeysStayInThePane) {
  for (unsigned id : {unsigned(ID_LIST_COPY), unsigned(ID_LIST_MOVE)}) {
    const Command* row = FindCommand(id);
    ASSERT_NE(nullptr, row) << id;
    EXPECT_EQ(cmd::Owner::kFileList, row->owner) << id;
    EXPECT_EQ(cmd::Enable::kWhereHandled, row->enable) << id;
  }
  EXPECT_EQ("複写(&C)", cmd::MenuTextFor(ID_LIST_COPY));
  EXPECT_EQ("移動(&T)", cmd::MenuTextFor(ID_LIST_MOVE));
  EXPECT_EQ("ファイル・フォルダを複写（CTRL同時押しでフォルダの日付を保存）", cmd::PromptFor(ID_LIST_COPY));
  // C and T act only in a list pane: no frame accelerator takes them.
  EXPECT_EQ(0u, cmd::CommandForKey('C', false, false));
  EXPECT_EQ(0u, cmd::CommandForKey('T', false, false));
}

TEST(CommandTable, PromptsAndTooltipsHaveOneSource) {
  EXPECT_EQ("ファイルを開きます", cmd::PromptFor(ID_FILE_OPEN));
  EXPECT_EQ("開く", cmd::TooltipFor(ID_FILE_OPEN));
  EXPECT_EQ("CSV形式データで各項目の\"\"を表示しない", cmd::PromptFor(ID_CSV_HIDE_QUOTES));
  EXPECT_EQ("前後に”を追加", cmd::PromptFor(ID_CSV_ADD_QUOTES));
  EXPECT_EQ("列削除", cmd::TooltipFor(ID_CSV_DELETE_COLUMN));
  EXPECT_EQ("", cmd::TooltipFor(ID_CSV_HIDE_QUOTES));
  EXPECT_EQ("", cmd::PromptFor(ID_VIEW_STYLE));  // in no menu: no prompt of its own
  EXPECT_EQ("", cmd::PromptFor(1));
  EXPECT_EQ("", cmd::TooltipFor(1));
  // The resources' string tables hold no command's text of their own: the
  // command strings are made from the rows.
  const auto symbols = ResourceSymbols();
  for (const std::string& id : RcStringIds()) {
    auto sym = symbols.find(id);
    if (sym == symbols.end()) continue;
    const Command* row = FindCommand(sym->second);
    if (!row || id.rfind("IDS_", 0) == 0) continue;
    ADD_FAILURE() << id << ": the prompt of a command belongs in commands.def";
  }
}

TEST(CommandTable, NoStringIdIsGivenTwice) {
  // The string tables: one entry per row of the command table, then the
  // STRINGTABLEs of the .rc files.
  std::map<unsigned, std::string> seen;
  auto add = [&seen](unsigned id, const std::string& name) {
    auto [at, fresh] = seen.emplace(id, name);
    EXPECT_TRUE(fresh) << "string " << id << " is given by " << at->second << " and by " << name;
  };
  for (const Command& c : cmd::Commands()) add(c.id, c.symbol);
  const auto symbols = ResourceSymbols();
  int fromResources = 0;
  for (const std::string& id : RcStringIds()) {
    unsigned value = 0;
    if (std::isdigit(static_cast<unsigned char>(id[0]))) {
      value = static_cast<unsigned>(std::stoul(id, nullptr, 0));
    } else {
      auto sym = symbols.find(id);
      ASSERT_NE(symbols.end(), sym) << id << " has no #define";
      value = sym->second;
    }
    add(value, id);
    ++fromResources;
  }
  EXPECT_GT(fromResources, 100);
  // 33149 is the check-list command's string.
  EXPECT_EQ("ID_CSV_CLEAR_CHECKS", seen[ID_CSV_CLEAR_CHECKS]);
}

TEST(CommandTable, EveryRowOfTheRightClickMenusHasARow) {
  std::set<unsigned> ids;
  for (int kind : {0, 4, 9, 12, 33, 98}) {
    for (int flags = 0; flags < 32; ++flags) {
      viewui::ContextMenuState s;
      s.fileKind = kind;
      s.tableEditMode = flags & 1;
      s.blockMode = (flags >> 1) & 1;
      s.titleRowFixed = (flags >> 2) & 1;
      s.macroStopped = (flags >> 3) & 1;
      s.editMode = (flags >> 4) & 1 ? 3 : 0;
      std::vector<viewui::MenuRow> rows = viewui::BuildContextMenu(viewui::ChooseContextMenu(s), s);
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const viewui::MenuRow r = rows[i];
        if (r.separator) continue;
        EXPECT_FALSE(r.text.IsEmpty()) << r.id;
        if (!r.submenu.empty()) {
          // A submenu's rows are checked as rows of the menu.
          rows.insert(rows.end(), r.submenu.begin(), r.submenu.end());
          continue;
        }
        const Command* row = FindCommand(r.id);
        ASSERT_NE(nullptr, row) << "right-click item " << r.id << " has no row";
        ids.insert(r.id);
      }
    }
  }
  // The general, CSV, macro and ruled-table rows all appeared.
  EXPECT_GE(ids.size(), 55u);
  // Without a string table the rows' captions are the texts.
  viewui::ContextMenuState s;
  s.fileKind = 33;
  auto rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kGeneral, s);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ("切取り\tctrl+X", std::string(rows[0].text));
}

TEST(CommandTable, TheImageMenuAndBlockEditStayGreyUntilTheirViewsAreBuilt) {
  // Every row the image menu can show, in every state of its conditions.
  std::set<unsigned> ids;
  for (int flags = 0; flags < 32; ++flags) {
    viewui::ContextMenuState s;
    s.fileKind = 14;
    s.regionSelected = flags & 1;
    s.pastedImage = (flags >> 1) & 1;
    s.imageSelMode = (flags >> 2) & 1;
    s.internalKey = (flags >> 3) & 1;
    s.backDiffers = (flags >> 4) & 1;
    const std::vector<viewui::MenuRow> rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kImage, s);
    for (const auto& r : rows)
      if (!r.separator && r.submenu.empty()) ids.insert(r.id);
    // The figure tools' submenu closes the menu, all its rows built.
    ASSERT_FALSE(rows.empty());
    const viewui::MenuRow& figures = rows.back();
    ASSERT_EQ(figures.submenu.size(), 19u);
    for (const auto& r : figures.submenu) {
      if (r.separator) continue;
      const Command* row = FindCommand(r.id);
      ASSERT_NE(nullptr, row) << r.id;
      EXPECT_EQ(cmd::Owner::kImage, row->owner) << r.id;
      EXPECT_NE(cmd::Enable::kNotBuilt, row->enable) << r.id;
    }
  }
  const std::set<unsigned> image = {32973, 32974, 32975, 32976, 32977, 32978, 32990, 32991,
                                    32994, 32995, 32996, 32997, 32998};
  std::set<unsigned> want = image;
  want.insert(33122);
  EXPECT_EQ(want, ids);
  for (unsigned id : image) {
    const Command* row = FindCommand(id);
    ASSERT_NE(nullptr, row) << id;
    EXPECT_EQ(cmd::Owner::kImage, row->owner) << id;
    // The save, the corners, the frame clear, the background colour, copy,
    // cut, paste, the region's files and print, crop and undo are built: enabled wherever the image view
    // takes them.
    const bool built = id == 32998 || id == 32973 || id == 32974 || id == 32990 || id == 32997 || id == 32976 ||
                       id == 32975 || id == 32977 || id == 32978 || id == 32991 || id == 32994 || id == 32995 ||
                       id == 32996;
    EXPECT_EQ(built ? cmd::Enable::kWhereHandled : cmd::Enable::kNotBuilt, row->enable) << id;
  }
  // Block edit and its corners: greyed until box selection is built.
  for (unsigned id : {32886u, 33199u, 33200u}) {
    const Command* row = FindCommand(id);
    ASSERT_NE(nullptr, row) << id;
    EXPECT_EQ(cmd::Enable::kNotBuilt, row->enable) << id;
  }
}

// A menu level of a MENU resource: the captions of its items and popups,
// as written (UTF-8).
struct RcMenuLevel {
  std::string where;  // "file menu > popup caption"
  std::vector<std::string> captions;
};

std::vector<RcMenuLevel> RcMenuLevels() {
  std::vector<RcMenuLevel> levels;
  for (const char* file : {"res/Tabrye.rc", "res/dialogs.rc", "res/find.rc", "res/strings.rc"}) {
    std::istringstream in(ReadSource(file));
    std::regex menuStart(R"(^(\w+)\s+MENU\b)");
    std::regex entry(R"(^\s*(MENUITEM|POPUP)\s+\"((?:[^\"\\]|\\.)*)\")");
    std::regex begin(R"(^\s*BEGIN\b)"), end(R"(^\s*END\b)");
    std::string line, pendingPopup;
    std::vector<std::size_t> open;  // indexes into `levels` of the open BEGINs
    bool inMenu = false;
    std::smatch m;
    while (std::getline(in, line)) {
      if (!inMenu && std::regex_search(line, m, menuStart)) {
        inMenu = true;
        pendingPopup = std::string(file) + " " + m[1].str();
        continue;
      }
      if (!inMenu) continue;
      if (std::regex_search(line, m, begin)) {
        levels.push_back({pendingPopup, {}});
        open.push_back(levels.size() - 1);
      } else if (std::regex_search(line, m, end)) {
        if (!open.empty()) open.pop_back();
        if (open.empty()) inMenu = false;
      } else if (std::regex_search(line, m, entry) && !open.empty()) {
        levels[open.back()].captions.push_back(m[2]);
        if (m[1] == "POPUP") pendingPopup = levels[open.back()].where + " > " + m[2].str();
      }
    }
  }
  return levels;
}

// The access key of a caption: the character after a single "&" (upper
// case), or "" when it has none.
std::string AccessKeyOf(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    const char c = caption[i + 1];
    return std::string(1, static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  }
  return "";
}

TEST(CommandTable, EachAccessKeyIsUsedOncePerMenu) {
  EXPECT_EQ("R", AccessKeyOf("やり直し(&r)"));
  EXPECT_EQ("", AccessKeyOf("A && B"));
  EXPECT_EQ("C", AccessKeyOf("A && B(&C)"));
  int levels = 0;
  for (const RcMenuLevel& level : RcMenuLevels()) {
    if (IsTestMenu(level.where)) continue;
    SCOPED_TRACE(level.where);
    std::map<std::string, std::string> seen;
    for (const std::string& caption : level.captions) {
      const std::string key = AccessKeyOf(caption);
      if (key.empty()) continue;
      auto [it, fresh] = seen.emplace(key, caption);
      EXPECT_TRUE(fresh) << "access key " << key << " of \"" << caption << "\" is also \"" << it->second << "\"";
    }
    ++levels;
  }
  EXPECT_GE(levels, 8);  // the menu bar and its seven menus
}

TEST(CommandTable, EveryBuiltCommandOfAMenuHasAStatusBarPrompt) {
  int checked = 0;
  for (const Command& c : cmd::Commands()) {
    if (c.enable == Enable::kNotBuilt || !*c.caption) continue;
    EXPECT_NE("", cmd::PromptFor(c.id)) << c.symbol << " (" << fw::Cp932ToUtf8(c.caption) << ")";
    ++checked;
  }
  EXPECT_GT(checked, 35);
  EXPECT_EQ("テキストの文字を大きく表示します", cmd::PromptFor(ID_VIEW_ZOOM_IN));
  EXPECT_EQ("拡大", cmd::TooltipFor(ID_VIEW_ZOOM_IN));
}

TEST(CommandTable, HandlersBelongToClassesWithACommandSet) {
  // Built rows are carried out by the command set of their owner's class
  // (or, for the framework's, by its own message maps; the text view's set
  // takes the macro interpreter's, the ruled tables' and the image menu's
  // rows, the document's the converters'); the Windows tree's routing test
  // checks that each of them is reached.
  for (const Command& c : cmd::Commands()) {
    if (c.enable == Enable::kNotBuilt) continue;
    SCOPED_TRACE(c.symbol);
    const std::string owner = cmd::OwnerName(c.owner);
    EXPECT_TRUE(owner == "fw" || owner == "frame" || owner == "doc" || owner == "view" || owner == "list" ||
                owner == "csv" || owner == "macro" || owner == "convert" || owner == "table" || owner == "image")
        << "owner " << owner << " has no command set yet";
  }
  EXPECT_EQ(0u, cmd::CommandForWord(""));
  EXPECT_EQ(0u, cmd::CommandForWord("no such word"));
}

}  // namespace

namespace {

TEST(CommandTable, EveryListFormNamesABuiltRowOfAnotherOwner) {
  // A list form runs instead of the row's own handler while a list pane is
  // active: the row must exist, be built, and belong to another owner (the
  // list's own rows need no form).
  std::set<unsigned> seen;
  ASSERT_FALSE(cmd::ListForms().empty());
  for (const cmd::ListForm& f : cmd::ListForms()) {
    SCOPED_TRACE(f.symbol);
    EXPECT_TRUE(seen.insert(f.id).second) << "two list forms of one command";
    const Command* row = FindCommand(f.id);
    ASSERT_NE(nullptr, row) << "a list form without its row";
    EXPECT_NE(Enable::kNotBuilt, row->enable);
    EXPECT_NE(cmd::Owner::kFileList, row->owner);
    EXPECT_STRNE("", f.handler);
    // A row whose own update handler decides the item needs the list's form
    // of it too, or the list pane would leave the item as the owner sets it.
    if (row->enable == Enable::kUpdateHandler) EXPECT_STRNE("", f.update);
  }
}

}  // namespace
