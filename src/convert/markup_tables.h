// The data of the markup engine: the differences between the HTML and the
// XML renderer, and the entity table.
#pragma once

#include <cstddef>

namespace convert {
namespace markup {

struct Dialect {
  const char* tableStart;  // tag prefixes, compared without regard to case
  const char* tableEnd;
  const char* rowStart;
  const char* rowEnd;
  const char* cellStart[2];  // nullptr: no second form
  const char* cellEnd[2];
  bool ensp;                 // "&ensp;" is a blank
  int failCode;              // after string 152 when the grid is not had
};

extern const Dialect kHtmlDialect;
extern const Dialect kXmlDialect;

struct Entity {
  const char* name;   // without '&' and ';'
  const char* ascii;  // the form with "asciisy" on (or the only form)
  const char* wide;   // the two-byte form, nullptr: none
  bool htmlOnly;
};

extern const Entity kEntities[];
extern const std::size_t kEntityCount;

}  // namespace markup
}  // namespace convert
