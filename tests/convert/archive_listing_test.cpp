// ZIP and LZH listings over archives built byte by byte: the line and
// totals layout, the size forms, the date rules, descriptors, the LZH name
// parts, and damaged or hostile headers that must end the walk quietly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>

#include "convert/archive_listing.h"
#include "listing_util.h"

namespace {

using namespace convert_test;

const char kZipTitle[] =
    "ZIP File\r\n      compressed     original  ratio     date   time    file name\r\n"
    "     --------------------------------------------------------------------\r\n";
const char kZipRule[] = "     --------------------------------------------------------------------\r\n";

TEST(ZipListing, LayoutOfLinesAndTotals) {
  std::string zip = ZipStored("a.txt", std::string(1000, 'x')) + ZipStored("dir/b.txt", "hi") + ZipCentralTail();
  std::string text = ListZip(zip);
  EXPECT_EQ(std::string(kZipTitle) +
                "            1000         1000   100%   01/01'25 12:00   a.txt\r\n"
                "               2            2   100%   01/01'25 12:00   dir/b.txt\r\n" +
                kZipRule + "           1,002        1,002   100%                    2 files Total",
            text);
}

TEST(ZipListing, EmptyArchiveShowsZeroTotals) {
  std::string end = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  EXPECT_EQ(std::string(kZipTitle) + kZipRule + "               0            0     0%                    0 files Total",
            ListZip(end));
}

TEST(ZipListing, SizeFormsHaveStrictThresholds) {
  std::string zip = ZipStored("k", std::string(1001, 'a')) + ZipStored("m", std::string(1000000, 'b')) +
                    ZipStored("p", std::string(1000001, 'c')) + ZipCentralTail();
  std::string lines = MemberLines(ListZip(zip));
  EXPECT_NE(std::string::npos, lines.find("           1,001        1,001 ")) << lines;
  EXPECT_NE(std::string::npos, lines.find("        1000,000     1000,000 ")) << lines;
  EXPECT_NE(std::string::npos, lines.find("       1,000,001    1,000,001 ")) << lines;
}

TEST(ZipListing, DatesOutOfRangeAndRatioByte) {
  // 2040 (year field 60) is past 2037: the whole stamp becomes 1970 09:00.
  std::string late = ZipMember("late", "abc", 3, 3, static_cast<std::uint16_t>(60 << 9 | 6 << 5 | 15), 0x6000);
  // Month 0, day 0, hour 31, minute 63 become 1, 1, 0, 0.
  std::string odd = ZipMember("odd", "abc", 3, 3, static_cast<std::uint16_t>(20 << 9), 0xFFFF);
  // Three bytes for one: ratio 300, shown modulo 256.
  std::string grown = ZipMember("grown", "abc", 3, 1);
  std::string lines = MemberLines(ListZip(late + odd + grown + ZipCentralTail()));
  EXPECT_NE(std::string::npos, lines.find("   01/01'70 09:00   late\r\n")) << lines;
  EXPECT_NE(std::string::npos, lines.find("   01/01'00 00:00   odd\r\n")) << lines;
  EXPECT_NE(std::string::npos, lines.find("    44%   ")) << lines;
  EXPECT_EQ(300, convert::ListingRatio(3, 1));
  EXPECT_EQ(0, convert::ListingRatio(5, 0));
  EXPECT_EQ(50, convert::ListingRatio(20000000, 40000000));  // large sizes divide first
}

TEST(ZipListing, SizesFromTheDataDescriptor) {
  std::string data = "0123456789";
  std::string member = ZipMember("d.txt", data, 0, 0);
  std::string descriptor = "PK\x07\x08";
  Put32(descriptor, 0);
  Put32(descriptor, 10);
  Put32(descriptor, 25);
  std::string zip = member + descriptor + ZipStored("e.txt", "e") + ZipCentralTail();
  std::string lines = MemberLines(ListZip(zip));
  EXPECT_NE(std::string::npos, lines.find("              10           25    40%   01/01'25 12:00   d.txt\r\n"))
      << lines;
  EXPECT_NE(std::string::npos, lines.find("e.txt\r\n")) << lines;
}

TEST(ZipListing, SpannedMarkerBeforeTheFirstHeader) {
  std::string zip = "PK00" + ZipStored("s.txt", "spanned") + ZipCentralTail();
  EXPECT_NE(std::string::npos, ListZip(zip).find("s.txt\r\n"));
}

TEST(ZipListing, ControlBytesInNamesShowAsBlanks) {
  std::string zip = ZipStored(std::string("a\tb\x01" "c", 5), "x") + ZipCentralTail();
  EXPECT_NE(std::string::npos, ListZip(zip).find("a b c\r\n"));
}

TEST(ZipListing, StopsOnceTheTextReachesItsLimit) {
  std::string zip;
  for (int i = 0; i < 200; ++i) zip += ZipStored("member" + std::to_string(i), "data");
  zip += ZipCentralTail();
  std::string full = ListZip(zip);
  std::string cut = ListZip(zip, 1000);
  EXPECT_NE(std::string::npos, full.find("member199\r\n"));
  EXPECT_EQ(std::string::npos, cut.find("member199\r\n"));
  // The line that reached the limit is the last one; rule and totals follow.
  std::string lines = MemberLines(cut);
  EXPECT_GE(std::strlen(kZipTitle) + lines.size(), 1000u);
  EXPECT_LT(std::strlen(kZipTitle) + lines.size(), 1000u + 80);
  EXPECT_NE(std::string::npos, TotalsLine(cut).find(" files Total"));
}

// A file of any length whose headers are made on demand: member k has its
// local header at k * kStep and claims 1.5e9 bytes, so the sums pass 2^32.
class HugeArchive : public convert::SourceFile {
 public:
  static constexpr std::int64_t kStep = 1500000100;
  static constexpr int kMembers = 3;
  std::int64_t Length() const override { return kStep * kMembers + 1000; }
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
    static const std::string header = ZipMember("big", "", 1500000000u, 1500000000u);
    auto* bytes = static_cast<char*>(buffer);
    std::size_t n = 0;
    for (; n < count && offset + static_cast<std::int64_t>(n) < Length(); ++n) {
      std::int64_t at = offset + static_cast<std::int64_t>(n);
      std::int64_t k = at / kStep, rel = at % kStep;
      bytes[n] = k < kMembers && rel < static_cast<std::int64_t>(header.size()) ? header[static_cast<std::size_t>(rel)] : '\0';
    }
    return n;
  }
};

TEST(ZipListing, TotalsPastFourGigabytes) {
  HugeArchive file;
  convert::LoadBuffer out;
  convert::ListZipArchive(file, 1 << 20, out);
  std::string text(out.Data(), out.Size());
  EXPECT_EQ(" 4500,000,000 4500,000,000   100%                    3 files Total", TotalsLine(text).substr(3))
      << text;
}

TEST(ZipListing, DamagedArchivesEndTheWalkQuietly) {
  std::string good = ZipStored("first", "1111") + ZipStored("second", std::string(500, '2')) + ZipCentralTail();
  // Cut inside the second member's data.
  std::string cut = ListZip(good.substr(0, 80));
  EXPECT_NE(std::string::npos, cut.find("first\r\n"));
  EXPECT_EQ(std::string::npos, cut.find("second"));
  EXPECT_NE(std::string::npos, cut.find("1 files Total"));
  // Sizes beyond the file, or with their top bit set.
  std::string past = ZipMember("past", "x", 0x7FFFFFF0u, 1) + ZipStored("after", "a") + ZipCentralTail();
  EXPECT_EQ(std::string::npos, ListZip(past).find("past\r\n"));
  std::string negative = ZipMember("neg", "x", 0x80000001u, 1) + ZipStored("after", "a") + ZipCentralTail();
  std::string text = ListZip(negative);
  EXPECT_EQ(std::string::npos, text.find("after"));
  EXPECT_NE(std::string::npos, text.find("0 files Total"));
  // A header cut inside its fixed part.
  EXPECT_NE(std::string::npos, ListZip(good.substr(0, 20)).find("0 files Total"));
}

TEST(ZipListing, DescriptorCandidateAtTheWindowEnd) {
  // Sizes 0 and no descriptor in the file; a candidate starts 14 bytes before
  // the end, so its 16-byte check would run past the data.
  std::string member = ZipMember("x", std::string(2950, 'z'), 0, 0);
  std::string file = member + std::string("PK\x07\x08", 4) + std::string(10, '\x01');
  std::string text = ListZip(file);
  EXPECT_NE(std::string::npos, text.find("0 files Total"));
  // A descriptor too far from the data start for its size is not taken.
  std::string far = ZipMember("far", std::string(400, 'z'), 0, 0) + "PK\x07\x08";
  Put32(far, 0);
  Put32(far, 10);
  Put32(far, 10);
  far += ZipCentralTail();
  EXPECT_EQ(std::string::npos, ListZip(far).find("far\r\n"));
}

TEST(ZipListing, RandomBytesAfterASignatureNeverHang) {
  std::mt19937 rng(23);
  auto begin = std::chrono::steady_clock::now();
  for (int round = 0; round < 300; ++round) {
    std::string bytes = "PK\x03\x04";
    std::size_t length = rng() % 9000;
    for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(rng() % 4 == 0 ? 'P' : rng());
    ListZip(bytes);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
}

// --- LZH --------------------------------------------------------------------


std::string LzhLevel2(const std::string& name, const std::string& folder, const std::string& data) {
  std::string ext;
  auto add = [&ext](int type, const std::string& body) {
    Put16(ext, static_cast<std::uint32_t>(body.size() + 3));
    ext += static_cast<char>(type);
    ext += body;
  };
  add(0, "\x12\x34");  // the header's CRC comes first
  add(1, name);
  if (!folder.empty()) add(2, folder);
  Put16(ext, 0);
  // ext begins with the first size field, which belongs at offset 24.
  std::string h = "-lh0-";
  Put32(h, static_cast<std::uint32_t>(data.size()));
  Put32(h, static_cast<std::uint32_t>(data.size()));
  Put32(h, 0);
  h += '\x20';
  h += '\x02';
  Put16(h, 0);
  h += 'U';
  std::string all;
  Put16(all, static_cast<std::uint32_t>(2 + h.size() + ext.size()));
  return all + h + ext + data;
}

const char kLzhTitle[] =
    "LZH File\r\n\t compressed\t   original\tratio\t\t   file name  / dir\r\n"
    "\t----------------------------------------------------------------------\r\n";
const char kLzhRule[] = "\t----------------------------------------------------------------------\r\n";

TEST(LzhListing, LayoutOfLinesAndTotals) {
  std::string lzh = LzhLevel0("a.txt", "hello") + LzhLevel0("b.txt", std::string(300, 'b')) + std::string(1, '\0');
  EXPECT_EQ(std::string(kLzhTitle) +
                "\t          5\t          5\t 100%\t\ta.txt\r\n"
                "\t        300\t        300\t 100%\t\tb.txt\r\n" +
                kLzhRule + "\t        305\t        305\t 100%\t\t2 files Total",
            ListLzh(lzh));
}

TEST(LzhListing, Level2FolderAndSeparators) {
  std::string lzh = LzhLevel2("a.txt", "sub\xFFin\xFF", "hello") + LzhLevel2("top.txt", "", "x") + std::string(1, '\0');
  std::string lines = MemberLines(ListLzh(lzh));
  EXPECT_EQ("\t          5\t          5\t 100%\t\ta.txt                  / sub\\in\\\r\n"
            "\t          1\t          1\t 100%\t\ttop.txt\r\n",
            lines);
}

TEST(LzhListing, SystemByteOfLevel0And1GivesAnEmptyFolder) {
  std::string lzh = LzhLevel0("m.txt", "abc", 'M') + std::string(1, '\0');
  EXPECT_NE(std::string::npos, ListLzh(lzh).find("\t\tm.txt                  / \r\n"));
}

TEST(LzhListing, UnreadableNamesAndHostileHeaders) {
  // A name length of 200 (negative as a signed byte): sizes, no name.
  std::string longName = LzhLevel0(std::string(10, 'n'), "abc");
  longName[2 + 19] = static_cast<char>(200);
  std::string text = ListLzh(longName + LzhLevel0("next", "z") + std::string(1, '\0'));
  EXPECT_NE(std::string::npos, text.find("\t          3\t          3\t 100%\t\t\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("next\r\n")) << text;
  // A level-2 header of size 0 with no data must not hold the walk.
  std::string stuck = LzhLevel2("s", "", "");
  stuck[0] = stuck[1] = 0;
  EXPECT_NE(std::string::npos, ListLzh(stuck + stuck).find("files Total"));
  // A negative size ends the walk; a size past the end shows no line.
  std::string negative = LzhLevel0("neg", "abc");
  negative[2 + 5 + 3] = '\x80';
  EXPECT_NE(std::string::npos, ListLzh(negative + LzhLevel0("after", "a")).find("0 files Total"));
  std::string past = LzhLevel0("past", "abc");
  past[2 + 5 + 2] = '\x40';
  EXPECT_EQ(std::string::npos, ListLzh(past).find("past"));
  // Too short for any header.
  EXPECT_NE(std::string::npos, ListLzh("ab-lh").find("0 files Total"));
}

TEST(LzhListing, OnlyFilesWithTheMethodAtByteTwo) {
  std::string lzh = LzhLevel0("a", "b");
  EXPECT_TRUE(convert::LooksLikeLzh(reinterpret_cast<const std::uint8_t*>(lzh.data()), lzh.size()));
  EXPECT_FALSE(convert::LooksLikeLzh(reinterpret_cast<const std::uint8_t*>("x-lh5-"), 6));
  EXPECT_FALSE(convert::LooksLikeLzh(reinterpret_cast<const std::uint8_t*>("ab-l"), 4));
}

}  // namespace
