#include "archive/arc_error.h"

#include <cstring>

namespace arc {
namespace {

struct ErrorEntry {
  const char* code;
  const char* text;
};

// The complete table of codec codes. Codes 041-045 and 050-058 cover corrupt
// or unwritable input that no earlier code covered; 070-072 are the Deflate
// checks against counts above the alphabets and data past a member's size.
const ErrorEntry kErrors[] = {
    {"001", "more than 256 bits written in one call"},
    {"002", "negative number of bits to write"},
    {"003", "more than 256 bits to peek"},
    {"004", "negative number of bits to peek"},
    {"005", "more than 256 bits to read"},
    {"006", "negative number of bits to read"},
    {"007", "encoder literal below 0"},
    {"008", "encoder literal above 255"},
    {"009", "encoder match length below 3"},
    {"010", "encoder match length above 259"},
    {"011", "encoder match distance below 1"},
    {"012", "encoder match distance above 32768"},
    {"013", "stored block: LEN low byte does not match NLEN"},
    {"014", "stored block: LEN high byte does not match NLEN"},
    {"015", "block type 3"},
    {"016", "distance code table is not 256 entries"},
    {"017", "Huffman code: empty length list"},
    {"018", "Huffman code: length below 0"},
    {"019", "Huffman code: length above the maximum"},
    {"020", "Huffman code: lengths over-subscribed"},
    {"021", "Huffman code: symbol out of range"},
    {"022", "Huffman decoder: entry count differs from lengths"},
    {"023", "Huffman decoder: maximum length is 0"},
    {"024", "Huffman decoder: no entry made"},
    {"025", "archive file does not open"},
    {"026", "output stream is not open"},
    {"028", "ZIP record: name outside the record"},
    {"029", "ZIP record: field outside the record"},
    {"031", "local header record has the wrong signature"},
    {"032", "central header record has the wrong signature"},
    {"033", "length code table: length below 3"},
    {"034", "length code table: length above 258"},
    {"035", "length symbol below 257"},
    {"036", "length symbol above 285"},
    {"037", "distance code table: distance below 1"},
    {"038", "distance code table: distance above 32768"},
    {"039", "distance symbol below 0"},
    {"040", "distance symbol above 29"},
    {"041", "Deflate code lengths: repeat code 16 with no previous length"},
    {"042", "Deflate code lengths: run past HLIT + HDIST"},
    {"043", "LZH table: single code-length symbol of 19 or more"},
    {"044", "LZH table: count or single symbol above the table size"},
    {"045", "LZH table: zero run past the 510 character lengths"},
    {"046", "LZH decoder: code longer than 32 bits"},
    {"047", "LZH decoder: negative maximum length"},
    {"048", "more than 32 bits to read"},
    {"049", "negative number of bits to read"},
    {"050", "input ends inside a member"},
    {"051", "match distance reaches before the start of the member"},
    {"052", "bit pattern matches no code"},
    {"053", "ZIP writer: a file of 4 GiB or more"},
    {"054", "ZIP writer: more than 65535 entries"},
    {"055", "ZIP writer: the archive would reach 4 GiB"},
    {"056", "LZH header: extended header shorter than 3 bytes"},
    {"057", "LZH header: packed size smaller than its extended headers"},
    {"058", "ZIP writer: a name longer than 65535 bytes"},
    {"059", "LZH header: text field outside the header"},
    {"060", "LZH header: numeric field outside the header"},
    {"061", "LZH header: level is not 0, 1 or 2"},
    {"062", "LZH code: empty length list"},
    {"063", "LZH code: length below 0"},
    {"064", "LZH code: length above the maximum"},
    {"065", "LZH code: lengths over-subscribed"},
    {"067", "LZH decoder: entry count differs from lengths"},
    {"068", "LZH decoder: maximum length is 0"},
    {"069", "LZH decoder: no entry made"},
    {"070", "Deflate header: more than 286 literal/length codes"},
    {"071", "Deflate header: more than 30 distance codes"},
    {"072", "Deflate data goes on past the member's size"},
    {"082", "LZH archive stream does not open"},
    {"083", "LZH member method not handled"},
};

constexpr int kErrorCount = static_cast<int>(sizeof(kErrors) / sizeof(kErrors[0]));

}  // namespace

ArchiveError::ArchiveError(const char* code) noexcept : text_(ErrorText(code)) {
  std::memset(code_, 0, sizeof(code_));
  if (code) std::strncpy(code_, code, 3);
}

void Fail(const char* code) { throw ArchiveError(code); }

const char* ErrorText(const char* code) noexcept {
  if (!code) return "";
  for (const ErrorEntry& e : kErrors)
    if (std::strncmp(e.code, code, 4) == 0) return e.text;
  return "";
}

int ErrorCount() noexcept { return kErrorCount; }

const char* ErrorCodeAt(int i) noexcept { return i >= 0 && i < kErrorCount ? kErrors[i].code : ""; }

}  // namespace arc
