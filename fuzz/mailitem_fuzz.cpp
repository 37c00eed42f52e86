// The mail-item reader behind the compound-document reader, over any file
// image held in a head buffer of exactly its size, with the scratch files in
// memory. The first byte chooses the open context (bit 0: 2, else 0) and the
// attachment asked for (bits 1-2: none, 1, 2 or 3); the rest is the file.
// Checks:
//  - the text is string 240 alone (directory past the file), empty (the
//    directory past the bytes read) or ends "\r\n--END--- ";
//  - an extraction writes "TMP_msg.tmp" in the scratch folder once, no longer
//    than the file, raises the number by 100,000 and leaves the path; a
//    rename and its removal stay in the scratch folder with a name of one
//    component ("TMP_" + a name with no separator, never "." or "..");
//  - any bytes as an attachment name give a name of one component.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "convert/cfb_reader.h"
#include "convert/convert_texts.h"
#include "convert/mail_item.h"
#include "convert/source_file.h"
#include "fw/alloc.h"
#include "fw/sjis.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

const char kScratch[] = "P\\TMP\\";

// A file name of one component: no separator outside double-byte
// characters, not "." or "..", not empty.
void CheckOneComponent(const std::string& name) {
  if (name.empty() || name == "." || name == "..") Fail();
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':' || c < 0x20) Fail();
  }
}

void CheckInScratch(const CString& path, bool renamed) {
  const std::string p = path.GetString();
  if (p.compare(0, sizeof kScratch - 1, kScratch) != 0) Fail();
  const std::string name = p.substr(sizeof kScratch - 1);
  if (!renamed) {
    if (name != "TMP_msg.tmp") Fail();
    return;
  }
  if (name.compare(0, 4, "TMP_") != 0) Fail();
  CheckOneComponent(name.substr(4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int context = (data[0] & 1) ? 2 : 0;
  const int extract = (data[0] >> 1) & 3;
  const std::size_t n = size - 1;

  // (A name's worth of the input: at most 255 bytes are ever kept.)
  CheckOneComponent(convert::SafeAttachmentName(std::string(reinterpret_cast<const char*>(data + 1), n < 300 ? n : 300)));

  std::vector<std::uint8_t> file(data + 1, data + size);
  convert::RenderJob job;
  job.m_nKind = 32;
  job.openContext = context;
  job.m_nExtractNo = extract;
  job.m_strProgramDir = "P";
  job.m_file.reset(new convert::MemorySource(file.data(), n));
  job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(n ? n : 1));
  if (!job.m_pConvData) return 0;
  if (n) std::memcpy(job.m_pConvData, file.data(), n);
  job.readSize = static_cast<std::int32_t>(n);
  job.m_nConvSize = static_cast<std::int32_t>(n);
  job.headCapacity = n;

  int writes = 0, renames = 0;
  convert::MailFileOps ops;
  ops.write = [&](const CString& path, const std::string& bytes) {
    CheckInScratch(path, false);
    if (bytes.size() > n) Fail();
    ++writes;
    return true;
  };
  ops.remove = [&](const CString& path) { CheckInScratch(path, true); };
  ops.rename = [&](const CString& from, const CString& to) {
    CheckInScratch(from, false);
    CheckInScratch(to, true);
    ++renames;
    return true;
  };

  convert::CfbReader reader(job);
  convert::CompoundStreamTable table;
  const convert::CompoundLoad load = reader.LoadCompoundStreams(table);
  const std::string unsupported = static_cast<const char*>(
      convert::GetConvertText(convert::ConvertText::kUnsupportedOffice));
  if (load != convert::CompoundLoad::kLoaded) {
    if (load == convert::CompoundLoad::kUnsupported && std::string(job.out.Data(), job.out.Size()) != unsupported)
      Fail();
  } else {
    const std::int64_t written = convert::ReadMailItem(job, reader, table, ops);
    const std::string text(job.out.Data(), job.out.Size());
    if (written != static_cast<std::int64_t>(text.size())) Fail();
    static const char kEnd[] = "\r\n--END--- ";
    const bool ended = text.size() >= sizeof kEnd - 1 && text.compare(text.size() - (sizeof kEnd - 1), sizeof kEnd - 1, kEnd) == 0;
    if (!text.empty() && !ended) Fail();
    if (writes > 1 || renames > writes) Fail();
    if (writes == 1) {
      if (job.m_nExtractNo != extract + 100000) Fail();
      CheckInScratch(job.m_strCurFile, renames == 1);
    } else if (job.m_nExtractNo != extract) {
      Fail();
    }
  }
  fw::Free(job.m_pConvData);
  job.m_pConvData = nullptr;
  return 0;
}
