// The compound-document row and the converter host through ConvertFile: a
// compound file reaches the compound reader, a picture a reader recorded is
// extracted after the finish and loaded through the host once (or only
// written without a host), and the readers' words come back in the result.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "convert/convert_host.h"
#include "convert/convert_registry.h"
#include "convert/convert_texts.h"
#include "convert/source_file.h"
#include "core/docsvc/backup.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

using OwnedSource = convert::OwnedMemorySource;

class RecordingHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString& path, int loadMode) override {
    calls.push_back({std::string(path), loadMode});
    return 0;
  }
  std::vector<std::pair<std::string, int>> calls;
};

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + std::string(300, 'q') + "\xFF\xD9";

// A stand-in Office reader: a marker, and the picture it found in the head.
std::int64_t ReaderWithPicture(const convert::Converter&, convert::RenderJob& job) {
  job.m_nFileKind = 2;
  const std::uint8_t* h = job.Head();
  for (std::int32_t i = 0; i + 3 <= job.readSize; ++i) {
    if (h[i] == 0xFF && h[i + 1] == 0xD8 && h[i + 2] == 0xFF) {
      job.pictures.Add({0x52, i, static_cast<std::int32_t>(kJpeg.size())});
      break;
    }
  }
  job.out.Append(static_cast<const char*>(convert::PictureMarker(0x52, 1)));
  return static_cast<std::int64_t>(job.out.Size());
}

convert::Request RequestFor(const std::string& bytes, int kind) {
  convert::Request q;
  q.path = "c:\\docs\\a.doc";
  q.kind = kind;
  q.limits.indata = 204800;
  q.limits.outdata = 2000000;
  q.limits.tableRows = 2000;
  q.open = [bytes](const CString&) { return std::unique_ptr<convert::SourceFile>(new OwnedSource(bytes)); };
  return q;
}

TEST(ConvertHost, APictureIsExtractedAfterTheFinishAndLoadedOnce) {
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
  const std::string file = "\xD0\xCF\x11\xE0" + std::string(3000, 'x') + kJpeg + std::string(100, 'y');
  // (Under an RTF name the frame reads the whole file into the head: a
  // compound Word file is kept to its first bytes for the reader's copies.)
  convert::ScopedReader standIn("office97", ReaderWithPicture);
  for (bool withHost : {true, false}) {
    SCOPED_TRACE(withHost ? "host" : "no host");
    RecordingHost host;
    convert::Request q = RequestFor(file, 4);
    q.m_strProgramDir = prog.Path().c_str();
    q.m_nExtractNo = 1;
    q.m_strCurFile = "c:\\docs\\a.doc";
    q.m_bSizeHigh = 1;
    if (withHost) q.host = &host;
    const convert::Result r = convert::ConvertFile(q);
    ASSERT_EQ(convert::Status::kOk, r.status) << std::string(r.message);
    EXPECT_EQ(0u, r.text.find("[Image1]JPG"));
    EXPECT_EQ(kJpeg, testsupport::ReadFileBytes(prog.File("TMP/pdftmp.jpg")));
    EXPECT_EQ(13, r.fileKind);
    EXPECT_EQ(std::string(docsvc::ScratchDir(q.m_strProgramDir)) + "\\pdftmp.jpg", std::string(r.m_strConvImage));
    EXPECT_EQ(withHost ? 1u : 0u, host.calls.size());
    if (withHost) {
      EXPECT_EQ(std::string(r.m_strConvImage), host.calls[0].first);
      EXPECT_EQ(0, host.calls[0].second);
    }
    // The words the readers did not change come back as they went.
    EXPECT_EQ(1, r.m_nExtractNo);
    EXPECT_EQ("c:\\docs\\a.doc", std::string(r.m_strCurFile));
    EXPECT_EQ(1u, r.m_bSizeHigh);
    std::remove(prog.File("TMP/pdftmp.jpg").c_str());
  }
  // Without an extraction number nothing is written.
  RecordingHost host;
  convert::Request q = RequestFor(file, 4);
  q.m_strProgramDir = prog.Path().c_str();
  q.host = &host;
  const convert::Result r = convert::ConvertFile(q);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(r.m_strConvImage.IsEmpty());
  EXPECT_TRUE(testsupport::ReadFileBytes(prog.File("TMP/pdftmp.jpg")).empty());
}

TEST(ConvertHost, CompoundFilesReachTheCompoundReader) {
  // A compound head whose directory lies past the file: the reader's string
  // 240, as the text of the run.
  std::string bad(2048, '\0');
  std::memcpy(&bad[0], "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  bad[0x30] = 0x50;  // directory at sector 0x50
  const convert::Result r = convert::ConvertFile(RequestFor(bad, 2));
  ASSERT_EQ(convert::Status::kOk, r.status) << std::string(r.message);
  EXPECT_EQ(0u, r.text.find(std::string(convert::GetConvertText(convert::ConvertText::kUnsupportedOffice))));
}

}  // namespace
