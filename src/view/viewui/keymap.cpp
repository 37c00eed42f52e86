#include "view/viewui/keymap.h"

#include "view/viewui/viewcmds.h"

namespace viewui {
namespace {

// Virtual-key codes used here (the values of windows.h).
constexpr unsigned kVkF3 = 0x72;

const KeyCommand kKeys[] = {
    {kVkF3, false, false, viewcmd::kFindNext},       // "検索\tF3"
    {kVkF3, false, true, viewcmd::kFindReplace},     // "検索･置換\tshft+F3"
    {'B', true, false, viewcmd::kBlockEdit},         // "ﾌﾞﾛｯｸ編集\tctrl+B"
    {'X', true, false, viewcmd::kCut},               // "切取り\tctrl+X"
    {'C', true, false, viewcmd::kCopy},              // "複写\tctrl+C"
    {'V', true, false, viewcmd::kPaste},             // "貼付け\tctrl+V"
    {'P', true, false, viewcmd::kFilePrint},         // print
};

}  // namespace

unsigned KeyCommandFor(unsigned vk, bool ctrl, bool shift) {
  for (const KeyCommand& k : kKeys)
    if (k.vk == vk && k.ctrl == ctrl && k.shift == shift) return k.command;
  return 0;
}

const KeyCommand* KeyCommands(int* count) {
  if (count) *count = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);
  return kKeys;
}

}  // namespace viewui
