// The names of the compressed and enciphered source forms: what each mode
// writes, what it refuses, what decoding gives back.
#include <gtest/gtest.h>

#include "core/docsvc/pathpart.h"
#include "core/docsvc/sourceform.h"

namespace {

using namespace docsvc;

TEST(SourceForm, EncodingNamesByMode) {
  const struct {
    int mode;
    const char* path;
    const char* output;  // "" = refused
    SourceRefusal refusal;
    bool zip = false, envelope = false, programKey = false;
    unsigned iterations = 0;
  } cases[] = {
      {1, "C:\\d\\report.txt", "C:\\d\\report.+txt", SourceRefusal::kNone, false, true, false, 100000},
      {3, "C:\\d\\report.txt", "C:\\d\\report.-txt", SourceRefusal::kNone, true, true, false, 100000},
      {4, "C:\\d\\report.txt", "C:\\d\\report.=txt", SourceRefusal::kNone, true, false, false, 0},
      {1, "C:\\d\\a.b.txt", "C:\\d\\a.b.+txt", SourceRefusal::kNone, false, true, false, 100000},
      {1, "C:\\d.x\\表.csv", "C:\\d.x\\表.+csv", SourceRefusal::kNone, false, true, false, 100000},
      {7, "C:\\m.rmcx", "C:\\m.+rmcx", SourceRefusal::kNone, false, true, true, 1},
      {7, "C:\\m.RMCZ", "C:\\m.+RMCZ", SourceRefusal::kNone, false, true, true, 1},
      {8, "C:\\x.rtf", "C:\\x.rtz", SourceRefusal::kNone, true, false, false, 0},
      {8, "C:\\x.RTF", "C:\\x.rtz", SourceRefusal::kNone, true, false, false, 0},
      // Refusals.
      {8, "C:\\x.rtz", "", SourceRefusal::kAlreadyMarked},
      {8, "C:\\x.rtzx", "", SourceRefusal::kAlreadyMarked},
      {8, "C:\\x.txt", "", SourceRefusal::kNotRtf},
      {1, "C:\\d\\README", "", SourceRefusal::kNoExtension},
      {4, "C:\\d.x\\README", "", SourceRefusal::kNoExtension},
      {3, "C:\\d\\.profile", "", SourceRefusal::kNoExtension},
      {1, "C:\\report.+txt", "", SourceRefusal::kAlreadyMarked},
      {4, "C:\\report.-txt", "", SourceRefusal::kAlreadyMarked},
      {7, "C:\\m.txt", "", SourceRefusal::kNotMacro},
      {0, "C:\\report.txt", "", SourceRefusal::kBadMode},
      {2, "C:\\report.txt", "", SourceRefusal::kBadMode},
      {6, "C:\\report.txt", "", SourceRefusal::kBadMode},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " " + c.path);
    const SourceEncodePlan p = PlanSourceEncode(c.mode, c.path, "");
    EXPECT_EQ(c.refusal, p.refusal);
    if (!p.ok()) continue;
    EXPECT_STREQ(c.output, p.output);
    EXPECT_EQ(c.zip, p.zip);
    EXPECT_EQ(c.envelope, p.envelope);
    EXPECT_EQ(c.programKey, p.programKey);
    EXPECT_EQ(c.iterations, p.iterations);
  }
  // `extra` names the output.
  EXPECT_STREQ("C:\\t\\o.+txt", PlanSourceEncode(1, "C:\\TMP\\DorvikE0_1.txt", "C:\\t\\o.+txt").output);
}

TEST(SourceForm, DecodingGivesThePlainNameBack) {
  const struct {
    int mode;
    const char* path;
    SourceDecode how;
    const char* plainName;
    const char* plainExt;
  } cases[] = {
      {0, "C:\\d\\report.+txt", SourceDecode::kEnvelope, "report.txt", "txt"},
      {0, "C:\\d\\report.-txt", SourceDecode::kEnvelope, "report.txt", "txt"},
      {0, "C:\\d\\report.=txt", SourceDecode::kZip, "report.txt", "txt"},
      {0, "C:\\d\\a.b.+txt", SourceDecode::kEnvelope, "a.b.txt", "txt"},
      {0, "C:\\d\\x.rtz", SourceDecode::kZip, "x.rtf", "rtf"},
      {0, "C:\\d\\x.RTZ", SourceDecode::kZip, "x.rtf", "rtf"},
      {0, "C:\\d\\c.bmz", SourceDecode::kZip, "c.bmp", "bmp"},
      {0, "C:\\d\\m.+rmcx", SourceDecode::kEnvelope, "m.rmcx", "rmcx"},
      {6, "C:\\d\\m.+rmcx", SourceDecode::kEnvelope, "m.rmcx", "rmcx"},
      {6, "C:\\d\\m.+rmcz", SourceDecode::kEnvelope, "m.rmcz", "rmcz"},
      // Nothing to decode.
      {0, "C:\\d\\report.txt", SourceDecode::kNotMarked},
      {0, "C:\\d.+x\\report", SourceDecode::kNotMarked},
      {0, "C:\\d\\x.rtzx", SourceDecode::kNotMarked},
      {0, "C:\\d\\.+txt", SourceDecode::kNotMarked},
      {6, "C:\\d\\report.+txt", SourceDecode::kNotMarked},
      {6, "C:\\d\\m.rmcx", SourceDecode::kNotMarked},
      {1, "C:\\d\\report.+txt", SourceDecode::kNotMarked},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " " + c.path);
    const SourceDecodePlan p = PlanSourceDecode(c.mode, c.path);
    EXPECT_EQ(c.how, p.how);
    if (p.how == SourceDecode::kNotMarked) continue;
    EXPECT_STREQ(c.plainName, p.plainName);
    EXPECT_STREQ(c.plainExt, p.plainExt);
  }
  // Every marked name of an encoding gives its source's name back, through
  // the decoding and through GetPathPart mode 4.
  for (int mode : {1, 3, 4}) {
    for (const char* path : {"C:\\d\\report.txt", "C:\\d\\a.b.txt", "C:\\表\\ソ.csv"}) {
      const CString marked = PlanSourceEncode(mode, path, "").output;
      EXPECT_STREQ(GetPathPart(path, 1), GetPathPart(marked, 4)) << marked.GetString();
      EXPECT_STREQ(GetPathPart(path, 1), PlanSourceDecode(0, marked).plainName) << marked.GetString();
      EXPECT_EQ(mode, SourceModeForMarker(SourceMarkerOf(marked)));
    }
  }
}

TEST(SourceForm, KeyCodeUsableAndWorkFileNames) {
  const struct {
    const char* key;
    bool usable;
  } keys[] = {{"1234", true}, {"123", false}, {"", false}, {"    ", false}, {"ab    ", false},
              {"   a", true}, {"a   ", true}, {"暗号", true}, {"12 4 ", true}};
  for (const auto& k : keys) EXPECT_EQ(k.usable, IsUsableSourceKey(k.key)) << k.key;

  EXPECT_STREQ("C:\\P\\TMP\\DorvikE2_15.txt", SourceWorkFileName("C:\\P", 2, 15, "txt"));
  EXPECT_STREQ("C:\\P\\TMP\\DorvikE0_1", SourceWorkFileName("C:\\P", 0, 1, ""));
  EXPECT_TRUE(IsSourceWorkFile("C:\\P", "C:\\P\\TMP\\DorvikE0_1.txt"));
  EXPECT_TRUE(IsSourceWorkFile("C:\\P", "c:\\p\\tmp\\dorvike0_1.txt"));
  EXPECT_FALSE(IsSourceWorkFile("C:\\P", "C:\\P\\TMP\\Dorvik_a.txt"));
  EXPECT_FALSE(IsSourceWorkFile("", "\\TMP\\DorvikE0_1.txt"));
}

}  // namespace
