// The table passes over a ruled table's RTF: the table conversion ('D'), the
// column width keys (37 narrower, 39 wider), the rule glyph styles ('3',
// '4') and the rule segment commands ('5' take out, '6' draw). Each is one
// forward pass over the block the control streamed out; see rtf_pass.h for
// the reader, the bounded writer and the arguments.
//
// Every pass returns its input byte for byte (changed = false) when it finds
// nothing to change. A result that would pass `limit` bytes fails with
// PassError::kNoRoom and an empty text; the caller then keeps the control's
// text as it was.
#pragma once

#include <cstddef>
#include <string_view>

#include "table/rtfpass/rtf_pass.h"

namespace table::rtfpass {

// Key codes of the width keys.
inline constexpr int kKeyNarrower = 37;
inline constexpr int kKeyWider = 39;

// The column commands ('E', 'R', 'I', 'i', 'U') have a pass of their own;
// RewriteTable leaves their text unchanged, so the frame routes them there.
bool IsColumnCommand(int command);

// Runs the pass of args.command. Commands without a pass here return the
// input unchanged.
PassResult RewriteTable(std::string_view rtf, const PassArgs& args, const PassFacts& facts, std::size_t limit);

// 'D': turns a TAB-separated block (whose lines the window side has ended
// with "\t  ") into a ruled table. Every "\tab" gets a highlighted 1-point
// rule after it; the first facts.lineCount - 1 paragraph ends also start the
// next row with a blank, a TAB and a rule; a stop list starting at 0 gets a
// second stop at 300. facts.textSize is the size of the cell text after the
// first paragraph end (the first row keeps size 21).
PassResult ConvertTable(std::string_view rtf, const PassFacts& facts, std::size_t limit);

// 37/39: moves the right stop of args.column (and with facts.moveFollowing
// every later stop) by 10 twips x args.count (one step when below 1), never
// below 0, in the paragraphs of the range. status = "width = %d", the
// column's new width in units of 15 twips.
PassResult ChangeWidth(std::string_view rtf, const PassArgs& args, const PassFacts& facts, std::size_t limit);

// '3'/'4': writes the rule glyph of style args.count (0 thin, 1 thick, 2
// none; -1 the next style after the first glyph found) at the boundary of
// args.column in the paragraphs of the range.
PassResult SetRuleGlyph(std::string_view rtf, const PassArgs& args, std::size_t limit);

// '5'/'6': takes out or draws the horizontal rule piece of args.column in
// the thin paragraphs of the range, which starts two paragraphs early.
PassResult SetSegment(std::string_view rtf, const PassArgs& args, std::size_t limit);

}  // namespace table::rtfpass
