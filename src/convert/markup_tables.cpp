#include "convert/markup_tables.h"

namespace convert {
namespace markup {

const Dialect kHtmlDialect = {"table", "/table>", "tr", "/tr>", {"td", "th"}, {"/td>", "/th>"}, true, 15};
const Dialect kXmlDialect = {"sheetdata", "/sheetdata>", "row", "/row>", {"c", nullptr}, {"/c>", nullptr}, false, 14};

const Entity kEntities[] = {
    {"quot", "'", nullptr, false},
    {"reg", "[R]", nullptr, false},
    {"gt", ">", nullptr, false},
    {"lt", "<", nullptr, false},
    {"copy", "[C]", nullptr, false},
    {"amp", "&", nullptr, false},
    {"rarr", "->", "\x81\xA8", false},
    {"larr", "<-", "\x81\xA9", false},
    {"uarr", "^ ", "\x81\xAA", false},
    {"darr", "v ", "\x81\xAB", false},
    {"nbsp", " ", nullptr, false},
    {"emsp", " ", nullptr, false},
    {"ensp", " ", nullptr, true},
    {"hellip", "**", "\x81\x64", false},
    {"#9", "\t", nullptr, false},
    {"#149", "* ", "\x81\x45", false},
    {"#148", " \"", "\x81\x68", false},
    {"#147", "\" ", "\x81\x67", false},
    {"#146", " '", "\x81\x66", false},
    {"#145", "' ", "\x81\x65", false},
    {"#14", "* ", "\x81\x45", false},
    {"#18", "* ", "\x81\x45", false},
    {"#16", "* ", "\x81\x45", false},
};
const std::size_t kEntityCount = sizeof kEntities / sizeof kEntities[0];

}  // namespace markup
}  // namespace convert
