// The PDF token readers on crafted bytes: numbers, hex codes, references,
// reference lists and the walk's stack, resource names, operands.
#include <gtest/gtest.h>

#include <string>

#include "convert/pdf_converter.h"
#include "pdf_test_util.h"

using convert::PdfConverter;
using pdftest::L;
using pdftest::U;

namespace {

TEST(PdfTokens, HexCodes) {
  struct Case {
    const char* text;
    std::int32_t code;
    int oneByte;
    std::int32_t endPos;
  } cases[] = {
      {"<20>", 32, 1, 4},          {"<3042>", 0x3042, 0, 6},   {"<304>", 0x304, 0, 5},
      {"  <4a>", 0x4A, 1, 6},      {"<30423044>", 0x3042, 0, 5}, {"<>", 0, 0, 2},
      {"abcdefghij<41>", -1, 0, 0},  // no '<' within 10 bytes: the position stays
  };
  for (const Case& c : cases) {
    const std::string s = c.text;
    std::int32_t pos = 0;
    int flag = -1;
    EXPECT_EQ(c.code, PdfConverter::PdfReadHexCode(U(s), L(s), &pos, &flag)) << s;
    EXPECT_EQ(c.oneByte, flag) << s;
    EXPECT_EQ(c.endPos, pos) << s;
  }
}

TEST(PdfTokens, FixedNumbers) {
  struct Case {
    const char* text;
    int precise;
    std::int32_t value;
    std::int32_t endPos;
  } cases[] = {
      {"12.345 ", 0, 1235, 6},   {"12.345 ", 1, 123450, 6}, {"-3 ", 0, -300, 2},     {"0.5]", 0, 50, 3},
      {".25", 0, 25, 3},         {"12.3449", 0, 1234, 7},   {"1.00005", 1, 10001, 7}, {"7.", 0, 700, 2},
      {"-.5", 1, -5000, 3},      {"1.2.3", 0, 120, 3},      {"x", 0, 0, 0},
      // Numbers of any length saturate instead of overflowing.
      {"1234567890123456789012345678901234567890", 0, 1000000000, 40},
      {"-1234567890123456789012345678901234567890.5", 1, -1000000000, 43},
  };
  for (const Case& c : cases) {
    const std::string s = c.text;
    std::int32_t pos = 0;
    EXPECT_EQ(c.value, PdfConverter::PdfReadFixed(U(s), L(s), &pos, c.precise)) << s;
    EXPECT_EQ(c.endPos, pos) << s;
  }
}

TEST(PdfTokens, HundredthsOfBoxNumbers) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"595.28 ", 59528}, {"841.89]", 84189}, {"1 ", 100},      {"0 ", 0},         {".5 ", 50},
      {".25", 25},        {"612", 61200},     {"1000.5", 100000}, {"12345", 1234000}, {"abc", 0},
      {"-10.5 ", -1050},  {"1.5 ", 150},      {"99.999", 9999},
  };
  for (const Case& c : cases) {
    const std::string s = c.text;
    EXPECT_EQ(c.value, PdfConverter::PdfReadHundredths(U(s), L(s), 0)) << s;
  }
}

TEST(PdfTokens, OperandsBeforeAnOperator) {
  struct Case {
    const char* text;
    const char* op;
    int precise;
    std::int32_t values[6];
  } cases[] = {
      {"/F1 12 Tf", "Tf", 0, {1200, 0, 0, 0, 0, 0}},
      {"/TT22 9.5 Tf", "Tf", 0, {950, 0, 0, 0, 0, 0}},
      {"BT 1 0 0 1 72.5 700 Tm", "Tm", 1, {10000, 0, 0, 100, 7250, 70000}},
      {"ET\n-12.5 3 Td", "Td", 1, {-125000, 30000, 0, 0, 0, 0}},
      {"q .5 0 0 .5 0 0 cm", "cm", 0, {50, 0, 0, 50, 0, 0}},
  };
  for (const Case& c : cases) {
    const std::string s = c.text;
    const std::int32_t op = static_cast<std::int32_t>(s.rfind(c.op));
    std::int32_t v[10];
    EXPECT_EQ(0, PdfConverter::PdfReadOperands(U(s), L(s), op, v, c.precise)) << s;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c.values[i], v[i]) << s << " #" << i;
  }
  // Ten numbers: the result is the byte that ended the tenth.
  const std::string ten = "1 2 3 4 5 6 7 8 9 10 11 sc";
  std::int32_t v[10];
  EXPECT_NE(0, PdfConverter::PdfReadOperands(U(ten), L(ten), L(ten) - 2, v, 0));
  EXPECT_EQ(200, v[1]);
}

TEST(PdfTokens, ObjectReferences) {
  struct Case {
    const char* text;
    std::int32_t pos;
    int mode;
    std::int32_t result;
    std::int32_t cursor;  // m_nConvPos after (-1: not checked)
  } cases[] = {
      {"12 0 R", 0, 9, 12, 6},
      {" /Parent 7 0 R/Type", 8, 9, 7, 14},
      {" /Parent 7 0 R/Type", 0, 9, 0, -1},
      {"[3 0 R]", 0, 9, -9, -1},
      {"<< /A 1 0 R >>", 0, 9, -99, 2},
      {"/Type /Page", 0, 9, 0, -1},
      {"123456 0 R", 0, 9, -1, -1},
      {"12345678 0 R", 0, 9, -1, -1},
      {"-4 0 R", 0, 9, -4, 6},
      {"12 0 obj", 4, 0, 12, -1},
      {"12 0 obj", 4, 7, 12, -1},
      {"[3 0 R 4 0 R]", 11, 8, 4, 6},
      {"[3 0 R 4 0 R]", 5, 8, 3, 0},
      {"[ ]", 1, 8, 0, -1},
      {"/Count 5 ", 1, 1, 5, -1},
  };
  for (const Case& c : cases) {
    pdftest::Run run(c.text);
    run->m_nConvPos = -1;
    EXPECT_EQ(c.result, run->PdfReadObjectRef(c.pos, c.mode)) << c.text << " mode " << c.mode;
    if (c.cursor >= 0) {
      EXPECT_EQ(c.cursor, run->m_nConvPos) << c.text;
    }
  }
}

TEST(PdfTokens, ReferenceLists) {
  struct Case {
    const char* text;
    std::int32_t count;
    std::int32_t first, second;
  } cases[] = {
      {" [3 0 R 4 0 R 5 0 R]", 3, 3, 4},
      {"7 0 R", 1, 7, 0},
      {"[]", 0, 0, 0},
      {"<< /Kids [1 0 R] >>", 0, 0, 0},
  };
  for (const Case& c : cases) {
    pdftest::Run run(c.text);
    std::int32_t list[2000] = {};
    run->m_nConvPos = 0;
    EXPECT_EQ(c.first, run->PdfReadObjectRefList(list, 0)) << c.text;
    EXPECT_EQ(c.count, list[0]) << c.text;
    if (c.count >= 2) {
      EXPECT_EQ(c.second, list[2]) << c.text;
    }
  }
}

// Objects 3, 4 and 5 of a small tree, each with a list at "/Kids".
const char kTree[] =
    "1 0 obj [3 0 R 4 0 R] endobj\n"
    "3 0 obj << /Kids [5 0 R] >> endobj\n"
    "4 0 obj << /Kids [4 0 R 1 0 R] >> endobj\n"
    "5 0 obj << >> endobj\n";

TEST(PdfTokens, PushedReferencesContinueInTheFirst) {
  pdftest::Run run(kTree);
  run->IndexObjects();
  ASSERT_GT(run->m_anObjOffset[3], 0);
  run->m_nConvPos = 8;  // at "[3 0 R 4 0 R]"
  run->m_nCurObj = 1;
  const std::int32_t height = run->PdfPushObjectRefs(0, 1, 1);
  // The return place and object 4 wait; the walk is in object 3.
  EXPECT_EQ(2, height);
  EXPECT_EQ(run->m_anObjOffset[3], run->m_nConvPos);
  EXPECT_EQ(3, run->m_nCurObj);
  EXPECT_EQ(1, run->m_anRefObj[0]);
  EXPECT_EQ(21, run->m_anRefPos[0]);  // behind the list
  EXPECT_EQ(4, run->m_anRefObj[1]);
  EXPECT_FALSE(run->m_damage.Marked());
}

TEST(PdfTokens, ListsNamingTheWalksPathAreNotEntered) {
  pdftest::Run run(kTree);
  run->IndexObjects();
  // In object 4 (object 1 waits on the stack): "[4 0 R 1 0 R]" names itself
  // and its parent.
  run->m_anRefPos[0] = 5;
  run->m_anRefObj[0] = 1;
  run->m_nCurObj = 4;
  const std::string text(kTree);
  run->m_nConvPos = static_cast<std::int32_t>(text.find("[4 0 R"));
  const std::int32_t height = run->PdfPushObjectRefs(1, 4, 1);
  EXPECT_EQ(1, height);  // nothing new: the walk goes on behind the list
  EXPECT_EQ(static_cast<std::int32_t>(text.find("] >> endobj\n5")) + 1, run->m_nConvPos);
  EXPECT_TRUE(run->m_damage.Marked());
  // A single reference to the current object is refused the same way.
  run->m_nConvPos = static_cast<std::int32_t>(text.find("4 0 R 1"));
  EXPECT_EQ(1, run->PdfPushObjectRefs(1, 4, 1));
}

TEST(PdfTokens, ReferenceStackStopsAtItsSize) {
  std::string text;
  for (int i = 1; i <= 2100; ++i) text += std::to_string(i) + " 0 obj endobj\n";
  const std::int32_t list = static_cast<std::int32_t>(text.size());
  text += "[";
  for (int i = 1; i <= 2100; ++i) text += std::to_string(i) + " 0 R ";
  text += "]";
  pdftest::Run run(text);
  run->IndexObjects();
  run->m_nConvPos = list;
  run->m_nCurObj = 0;
  const std::int32_t height = run->PdfPushObjectRefs(0, 0, 1);
  EXPECT_EQ(convert::kPdfRefStack - 1, height);
  EXPECT_GE(run->m_nConvPos, 0);
  // Every list reached is beyond the 24,000-byte close search: the stack stays.
  std::string far = "[" + std::string(25000, ' ') + "1 0 R]";
  pdftest::Run run2(far);
  run2->m_nConvPos = 0;
  EXPECT_EQ(5, run2->PdfPushObjectRefs(5, 0, 1));
  // The end of the data: -1 and the cursor at 0.
  run2->m_nConvPos = L(far) + 3;
  EXPECT_EQ(-1, run2->PdfPushObjectRefs(5, 0, 1));
  EXPECT_EQ(0, run2->m_nConvPos);
}

TEST(PdfTokens, ResourceNames) {
  struct Case {
    const char* text;
    int kindIn;
    std::int32_t id;
    int kindOut;
  } cases[] = {
      {"/F1 ", 0, 12002, 3},      {"/TT2 ", 0, 13003, 4},  {"/R7 ", 0, 10008, 9},   {"/Im5 ", 0, 6, 1},
      {"/cs0 ", 0, 0, 0},         {"/GS1 ", 0, 0, 0},      {"/Image12 ", 0, 13, 1}, {"/Im5 ", 3, 10006, 9},
      {"/Fm2 ", 0, 11003, 2},     {"/Fm2 ", 3, 10003, 9},  {"/Obj4 ", 0, 5, 1},     {"/a ", 0, 7436, 1},
      {"/A ", 0, 7411, 1},        {"/7 ", 0, 7408, 1},     {"/Fa ", 0, 8166, 1},    {"/12 ", 0, 13, 1},
      {"/Font ", 0, 0, 0},        {"/XObject ", 0, 0, 0},  {"/C2_0 ", 0, 14021, 5}, {"/F1+ ", 0, 0, 3},
      {"/Im99999 ", 0, 1696, 1},  {"/F_3 ", 0, 14004, 5},
  };
  for (const Case& c : cases) {
    pdftest::Run run(c.text);
    std::int32_t pos = 0;
    int kind = c.kindIn;
    EXPECT_EQ(c.id, run->PdfParseResourceName(U(c.text), L(c.text), &pos, &kind, 1)) << c.text;
    if (c.id) {
      EXPECT_EQ(c.kindOut, kind) << c.text;
    }
  }
}

TEST(PdfTokens, ResourcePrefixSlotsFillThenGive99) {
  pdftest::Run run("x");
  const char* names[] = {"/Ab1", "/Bc1", "/Cd1", "/De1", "/Ef1", "/Fg1", "/Gh1", "/Hi1"};
  for (int s = 0; s < 8; ++s) {
    std::int32_t pos = 0;
    int kind = 0;
    const std::string n = names[s];
    // Slot 4 is kind 9, whose ids are counted from 10,000.
    const std::int32_t id = s + 5 == 9 ? 2 + 10000 : 2 + 1000 * (s + 5) + 9000;
    EXPECT_EQ(id, run->PdfParseResourceName(U(n), L(n), &pos, &kind, 1)) << n;
    EXPECT_EQ(s + 5, kind);
  }
  // A learned prefix is found again; a ninth is kind 99.
  std::int32_t pos = 0;
  int kind = 0;
  const std::string again = "/Cd7 ", ninth = "/Xy1 ";
  EXPECT_EQ(8 + 7000 + 9000, run->PdfParseResourceName(U(again), L(again), &pos, &kind, 1));
  pos = 0;
  EXPECT_EQ(0, run->PdfParseResourceName(U(ninth), L(ninth), &pos, &kind, 1));
  EXPECT_EQ(99, kind);
  // Ids at or above 18,001 are not resource ids.
  pdftest::Run big("/Cd9000 ");
  EXPECT_EQ(0, big->PdfReadResourceIdAt(0, 1));
  pdftest::Run small("  /F1 12 Tf");
  EXPECT_EQ(12002, small->PdfReadResourceIdAt(0, 1));
  EXPECT_EQ(5, small->m_nConvPos);
}

}  // namespace
