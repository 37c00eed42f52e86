// Shared between the pattern sources: the literal placeholders that
// ExpandEscapeSequences writes and TranslateSearchPattern reads back.
#pragma once

namespace pat {
namespace detail {

constexpr int kFirstPlaceholder = 0x10;  // 0x10-0x17: "\%" "\&" "\*" "\|" "\:" "\/" "\$" "\#"
constexpr int kPlaceholderCount = 8;

// Placeholder byte of an escaped literal character, or 0.
char PlaceholderFor(char literal);
// Literal character of a placeholder byte, or 0 when `c` is none.
char LiteralOfPlaceholder(char c);

}  // namespace detail
}  // namespace pat
