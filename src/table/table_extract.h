// Text back from a table: the rich text of a selection (as the control
// streams it out) rewritten in place into '|'-separated lines.
//
//   "\tab"           '|' (mode 0) or TAB, in rows higher than 30 twips
//   "\cell"          the cell separator ('|' in mode 0, else TAB); the one
//                    before "\row" is dropped, so a row of n cells gives
//                    n - 1 separators
//   "\row", "\par"   CR LF, except in a thin ruled line ("\sl-" 30 or less),
//                    which gives neither a line end nor any text
//   "\line"          CR LF, as "\par"
//   "\pard"          the line height back to 120 twips
//   "\'xx"           the byte xx; "\\", "\{", "\}" the character
//   "{\pict", "{\object", "{\*\shppict"
//                    0x81 0xA0 (a full-width blank) for the whole group
//   the header's destinations (font, colour and style tables, document
//   information, "{\*..." groups) give no text. A group left open ends at
//   the text's end.
#pragma once

#include <cstddef>

namespace table {

// Height that "\pard" resets the line to, and the highest thin line.
constexpr int kExtractDefaultHeight = 120;
constexpr int kExtractThinHeight = 30;

// Rewrites buf[0..len) in place and returns the length of the text (never
// more than len; nothing is written at or past it).
std::size_t RewriteTableRtf(char* buf, std::size_t len, int mode);

}  // namespace table
