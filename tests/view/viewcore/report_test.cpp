#include "view/viewcore/report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "fw/strtable.h"
#include "view/viewcore/strings_fixture.h"

namespace {

using viewcore::ReportMessage;
using viewcore::ReportState;

std::string Str(unsigned id) {
  std::string s;
  fw::LookupString(id, s);
  return s;
}

// A view's report fields with a scripted message box.
struct Report : ::testing::Test {
  CString mode, result;
  csv::CsvWorkBuffer buf;
  bool external = false;
  std::vector<std::pair<std::string, unsigned>> boxes;
  int answer = viewcore::kAnswerOk;
  int updates = 0;

  void SetUp() override { viewtest::LoadProgramStrings(); }
  void TearDown() override { fw::Free(buf.m_pTextBuf); }

  int Send(int code, const char* text) {
    ReportState s{mode, result, external, buf};
    return ReportMessage(
        s, code, text,
        [this](const CString& t, unsigned b) {
          boxes.emplace_back(t.Str(), b);
          return answer;
        },
        [this]() { ++updates; });
  }
};

TEST_F(Report, StringsOfTheTableArePresent) {
  EXPECT_EQ(Str(152), "メモリーが足りません\r\n");
  EXPECT_EQ(Str(351).substr(Str(351).size() - 2), "\n\n");
  EXPECT_EQ(Str(352).substr(0, 8), "データ又");
}

TEST_F(Report, NormalModeCodes) {
  EXPECT_EQ(Send(2, "Too many matchings"), -1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].first, "Too many matchings");
  EXPECT_EQ(boxes[0].second, viewcore::kButtonsOk);
  EXPECT_EQ(result, "Too many matchings");

  EXPECT_EQ(Send(1, "ignored"), -1);
  EXPECT_EQ(boxes.back().first, Str(152));
  EXPECT_EQ(result, Str(152).c_str());

  EXPECT_EQ(Send(117, "ignored"), -1);
  EXPECT_EQ(boxes.back().first, Str(152) + " 117");
  EXPECT_EQ(result, Str(152).c_str());  // without the number

  answer = viewcore::kAnswerCancel;
  EXPECT_EQ(Send(3, "go on?"), 2);
  EXPECT_EQ(boxes.back().second, viewcore::kButtonsOkCancel);
  answer = viewcore::kAnswerYes;
  EXPECT_EQ(Send(4, "really?"), 6);
  EXPECT_EQ(boxes.back().second, viewcore::kButtonsYesNo);
  EXPECT_EQ(boxes.size(), 5u);
  EXPECT_EQ(updates, 0);
}

TEST_F(Report, SilentCodesStillStoreTheText) {
  for (int code : {0, 5, 50, 100, -3}) {
    EXPECT_EQ(Send(code, "quiet"), -1) << code;
    EXPECT_EQ(result, "quiet");
    result.Empty();
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Report, EmptyTextShowsAnEmptyBox) {
  EXPECT_EQ(Send(2, ""), -1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].first, "");
}

TEST_F(Report, NodispKeepsTheLastReportOnly) {
  mode = "nodisp";
  result = "@OK";  // a dialog answer left by the macro
  EXPECT_EQ(Send(2, "first"), 9);
  EXPECT_EQ(Send(3, "question"), 9);  // counts as OK
  EXPECT_EQ(Send(4, "yes or no"), 9);  // counts as No
  EXPECT_EQ(Send(120, "x"), 9);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(result.Str(), Str(152));
  // A looping macro's reports never pile up.
  for (int i = 0; i < 1000; ++i) Send(2, "again");
  EXPECT_EQ(result.Str(), "again");
  // Only the exact word silences.
  for (const char* m : {"NODISP", "nodisp ", "nodis"}) {
    mode = m;
    Send(2, "shown");
  }
  EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(Report, NodispWinsOverExternalRun) {
  mode = "nodisp";
  external = true;
  EXPECT_EQ(Send(4, "q"), 9);
  EXPECT_EQ(updates, 0);
  EXPECT_EQ(buf.m_pTextBuf, nullptr);
}

TEST_F(Report, ExternalRunGrowsAndTerminatesTheViewText) {
  external = true;
  buf.m_pTextBuf = static_cast<std::uint8_t*>(fw::Alloc(4));
  std::memcpy(buf.m_pTextBuf, "abc", 4);
  buf.m_nWorkSize = 4;
  buf.m_nTextLen = 3;
  EXPECT_EQ(Send(4, "question"), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(updates, 1);
  const std::string t352 = Str(352);
  ASSERT_GE(buf.m_nWorkSize, t352.size() + 1);
  EXPECT_EQ(buf.m_nTextLen, t352.size());
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.m_pTextBuf)), t352);  // NUL right after
  EXPECT_EQ(result, "question");

  // A longer buffer keeps its size; the shorter text is still terminated.
  EXPECT_EQ(Send(1, "x"), 0);
  EXPECT_EQ(buf.m_nTextLen, Str(351).size());
  EXPECT_EQ(buf.m_pTextBuf[buf.m_nTextLen], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.m_pTextBuf)), Str(351));
  EXPECT_EQ(Send(0, "any code"), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.m_pTextBuf)), t352);
  EXPECT_EQ(updates, 3);
}

TEST_F(Report, ExternalRunWithoutMemoryKeepsWhatFits) {
  external = true;
  buf.m_pTextBuf = static_cast<std::uint8_t*>(fw::Alloc(8));
  buf.m_nWorkSize = 8;
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  EXPECT_EQ(Send(2, "x"), 0);
  fw::alloctest::Reset();
  // 7 bytes of text: three double-byte characters, then the NUL.
  EXPECT_EQ(buf.m_nTextLen, 6u);
  EXPECT_EQ(buf.m_pTextBuf[6], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.m_pTextBuf)), Str(352).substr(0, 6));
}

TEST_F(Report, QuestionsWithoutABoxCountAsCancelOrNo) {
  ReportState s{mode, result, false, buf};
  EXPECT_EQ(ReportMessage(s, 3, "q", nullptr, nullptr), 2);
  EXPECT_EQ(ReportMessage(s, 4, "q", nullptr, nullptr), 7);
  EXPECT_EQ(ReportMessage(s, 2, "q", nullptr, nullptr), -1);
}

TEST(ReportDecision, IsPure) {
  viewtest::LoadProgramStrings();
  viewcore::ReportDecision d = viewcore::DecideReport(150, "t", "", false);
  EXPECT_EQ(d.action, viewcore::ReportAction::kMessageBox);
  EXPECT_EQ(d.shown.Str(), Str(152) + " 150");
  d = viewcore::DecideReport(3, "t", "", true);
  EXPECT_EQ(d.action, viewcore::ReportAction::kExternalText);
  EXPECT_EQ(d.result, 0);
  EXPECT_EQ(d.shown.Str(), Str(352));
}

}  // namespace
