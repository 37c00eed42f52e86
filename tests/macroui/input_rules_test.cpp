#include "macroui/input_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using macroui::InputOptions;
using macroui::ParseInputOptions;
using macroui::PromptEdge;

// What one option string asks of the two fields, the font and the title.
struct OptionCase {
  const char* options;
  const char* letters;
  const char* title;
  bool right, password, number, upper, readOnly, bare;
  bool hScroll, vScroll;
  PromptEdge edge;
  bool fixed;
  int font10;
  bool focus;
};

constexpr PromptEdge kNone = PromptEdge::kNone;
constexpr PromptEdge kStatic = PromptEdge::kStatic;
constexpr PromptEdge kClient = PromptEdge::kClient;

const OptionCase kOptionCases[] = {
    // options       letters title      R  P  N  U  O  T  H  V  edge    W  font focus
    {"", "", "", false, false, false, false, false, false, false, false, kNone, false, 105, true},
    {"N:Amount", "N", "Amount", true, false, true, false, false, false, false, false, kNone, false, 105, true},
    {"n:Amount", "N", "Amount", true, false, true, false, false, false, false, false, kNone, false, 105, true},
    {"r", "R", "", true, false, false, false, false, false, false, false, kNone, false, 105, true},
    {"P", "P", "", false, true, false, false, false, false, false, false, kNone, false, 105, true},
    {"u", "U", "", false, false, false, true, false, false, false, false, kNone, false, 105, true},
    // O and T make the field read-only and take the focus timer away; only T
    // also drops the edge.
    {"O", "O", "", false, false, false, false, true, false, false, false, kNone, false, 105, false},
    {"T", "T", "", false, false, false, false, true, true, false, false, kNone, false, 105, false},
    {"hv", "HV", "", false, false, false, false, false, false, true, true, kNone, false, 105, true},
    {"BD", "BD", "", false, false, false, false, false, false, false, false, kStatic, false, 105, true},
    {"d", "D", "", false, false, false, false, false, false, false, false, kClient, false, 105, true},
    {"W", "W", "", false, false, false, false, false, false, false, false, kNone, true, 105, true},
    // The last digit of the letters gives the font: (digit + 2) x 1.5 points.
    {"W9", "W9", "", false, false, false, false, false, false, false, false, kNone, true, 165, true},
    {"R1", "R1", "", true, false, false, false, false, false, false, false, kNone, false, 45, true},
    {"5", "5", "", false, false, false, false, false, false, false, false, kNone, false, 105, true},
    {"R0", "R0", "", true, false, false, false, false, false, false, false, kNone, false, 105, true},
    {"9R", "9R", "", true, false, false, false, false, false, false, false, kNone, false, 105, true},
    // A digit in the title is no font size; only the first ':' splits.
    {"N:Price 9", "N", "Price 9", true, false, true, false, false, false, false, false, kNone, false, 105, true},
    {"D8:a:b", "D8", "a:b", false, false, false, false, false, false, false, false, kClient, false, 150, true},
    {":Title", "", "Title", false, false, false, false, false, false, false, false, kNone, false, 105, true},
    {"P:", "P", "", false, true, false, false, false, false, false, false, kNone, false, 105, true},
};

TEST(MacroInputRules, OptionsTable) {
  for (const OptionCase& c : kOptionCases) {
    SCOPED_TRACE(std::string("options \"") + c.options + "\"");
    const InputOptions o = ParseInputOptions(c.options);
    EXPECT_EQ(o.letters, c.letters);
    EXPECT_EQ(o.title, c.title);
    EXPECT_EQ(o.rightAlign, c.right);
    EXPECT_EQ(o.password, c.password);
    EXPECT_EQ(o.numbersOnly, c.number);
    EXPECT_EQ(o.upperCase, c.upper);
    EXPECT_EQ(o.readOnly, c.readOnly);
    EXPECT_EQ(o.bare, c.bare);
    EXPECT_EQ(o.promptHScroll, c.hScroll);
    EXPECT_EQ(o.promptVScroll, c.vScroll);
    EXPECT_EQ(o.promptEdge, c.edge);
    EXPECT_EQ(o.fixedFace, c.fixed);
    EXPECT_EQ(o.fontSize10, c.font10);
    EXPECT_EQ(o.focusInput, c.focus);
  }
}

// The second byte of a double-byte character may be an ASCII letter; it is no
// option letter and is not upper-cased.
TEST(MacroInputRules, DoubleByteCharactersAreNoLetters) {
  const std::string text = "\x83\x52\x83\x6B\x83\x4F";  // three characters, trail bytes 'R' 'k' 'O'
  const InputOptions o = ParseInputOptions(text + ":x");
  EXPECT_EQ(o.letters, text);
  EXPECT_FALSE(o.rightAlign);
  EXPECT_FALSE(o.readOnly);
  EXPECT_TRUE(o.focusInput);
  // A lead byte at the very end is one byte of its own, read no further.
  const InputOptions cut = ParseInputOptions(std::string("p\x83"));
  EXPECT_EQ(cut.letters, "P\x83");
  EXPECT_TRUE(cut.password);
  EXPECT_EQ(cut.fontSize10, 105);
}

struct SizeCase {
  int height, width;
  int wantHeight, wantWidth, wantInput;
};

const SizeCase kSizeCases[] = {
    {0, 0, 200, 300, 0},
    {300, 500, 300, 500, 0},          // the stop dialog's size
    {149, 149, 150, 150, 0},          // below the smallest side
    {150, 150, 150, 150, 0},
    {-5, -7, 150, 150, 0},
    {0, 2000 * 150 + 250, 200, 250, 150},  // input field 150 in a 250-wide box
    {0, 2000, 200, 2000, 0},               // exactly 2000 is a width
    {0, 2001, 200, 150, 1},                // carry 1, width 1 -> at least 150
    {0, 4000, 200, 300, 2},                // carry 2, width 0 -> 300
    {0, INT_MAX, 200, INT_MAX % 2000, INT_MAX / 2000},
    {INT_MIN, INT_MIN, 150, 150, 0},
};

TEST(MacroInputRules, SizeTable) {
  for (const SizeCase& c : kSizeCases) {
    SCOPED_TRACE("height " + std::to_string(c.height) + " width " + std::to_string(c.width));
    const macroui::InputSize s = macroui::ResolveInputSize(c.height, c.width);
    EXPECT_EQ(s.height, c.wantHeight);
    EXPECT_EQ(s.width, c.wantWidth);
    EXPECT_EQ(s.inputWidth, c.wantInput);
  }
}

struct LayoutCase {
  int width, height, font10, inputWidth;
  macroui::Box ok, cancel, prompt, input;
};

const LayoutCase kLayoutCases[] = {
    // The stop dialog: 500 x 300, default font; buttons 80 wide from 300 up.
    {500, 300, 105, 0, {310, 10, 80, 23}, {400, 10, 80, 23}, {10, 70, 470, 180}, {10, 45, 380, 18}},
    // Below 300 the buttons are 50 wide; the input field is at least 80.
    {150, 150, 105, 0, {20, 10, 50, 23}, {80, 10, 50, 23}, {10, 70, 120, 30}, {10, 45, 80, 18}},
    {299, 200, 105, 0, {169, 10, 50, 23}, {229, 10, 50, 23}, {10, 70, 269, 80}, {10, 45, 179, 18}},
    {300, 200, 105, 0, {110, 10, 80, 23}, {200, 10, 80, 23}, {10, 70, 270, 80}, {10, 45, 180, 18}},
    // A given input width wins; the 16.5-point font moves the field up.
    {250, 200, 165, 150, {120, 10, 50, 23}, {180, 10, 50, 23}, {10, 70, 220, 80}, {10, 39, 150, 24}},
    {300, 200, 45, 0, {110, 10, 80, 23}, {200, 10, 80, 23}, {10, 70, 270, 80}, {10, 51, 180, 12}},
    // A window the user shrank below the margins: no negative size.
    {20, 60, 105, 0, {-110, 10, 50, 23}, {-50, 10, 50, 23}, {10, 70, 0, 0}, {10, 45, 80, 18}},
};

TEST(MacroInputRules, LayoutTable) {
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " font " +
                 std::to_string(c.font10) + " input " + std::to_string(c.inputWidth));
    const macroui::InputLayout l = macroui::LayOutInputBox(c.width, c.height, c.font10, c.inputWidth);
    EXPECT_EQ(l.ok, c.ok);
    EXPECT_EQ(l.cancel, c.cancel);
    EXPECT_EQ(l.prompt, c.prompt);
    EXPECT_EQ(l.input, c.input);
  }
}

}  // namespace
