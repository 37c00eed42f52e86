// The small XML check the package tests and the export fuzz target rely on:
// it passes what a strict parser passes and names what it refuses.
#include <gtest/gtest.h>

#include <string>

#include "support/xml_wellformed.h"

namespace {

using testsupport::XmlWellFormedProblem;

TEST(XmlWellFormed, PassesSoundDocuments) {
  for (const char* doc : {
           "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<a/>",
           "<a x=\"1\" y='&amp;&lt;&#38;&#x3042;'><b>t&quot;</b><c/>\xE3\x81\x82</a>",
           "<r><![CDATA[<&>]]><!-- note --><?pi x?></r>\r\n",
       })
    EXPECT_EQ("", XmlWellFormedProblem(doc)) << doc;
}

TEST(XmlWellFormed, RefusesBrokenDocuments) {
  for (const char* doc : {
           "<a><b></a></b>",          // crossed
           "<a>",                     // unclosed
           "<a/><b/>",                // two roots
           "<a>x < y</a>",            // raw '<'
           "<a>x & y</a>",            // raw '&'
           "<a>&nbsp;</a>",           // unknown entity
           "<a>&#1;</a>",             // control character by reference
           "<a x=\"<\"/>",            // '<' in a value
           "<a x=\"1\" x=\"2\"/>",    // repeated attribute
           "<a x=1/>",                // unquoted value
           "<a>\x01</a>",             // control byte
           "<a>\x83\x5C</a>",         // Shift-JIS bytes
           "<a>\xC0\xAF</a>",         // overlong UTF-8
           "<a>\xED\xA0\x80</a>",     // surrogate
           "",
       })
    EXPECT_NE("", XmlWellFormedProblem(doc)) << doc;
}

TEST(XmlWellFormed, NamesWhatIsWrongAndWhere) {
  const struct {
    const char* doc;
    const char* problem;
  } cases[] = {
      {"<a><b></a></b>", "end tag </a> does not match at byte 6"},
      {"<a x=\"1\" y='2' x=\"3\"/>", "attribute x repeated at byte 16"},
      {"<r><a:b>t</a:b><c>", "unclosed element <c>"},
      {"<a>&amp;&nbsp;</a>", "bad reference at byte 8"},
      {"<a/>&#65;", "reference outside the root at byte 4"},
      {"<a>]]></a>", "\"]]>\" in text at byte 5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.problem, XmlWellFormedProblem(c.doc)) << c.doc;
}

}  // namespace
