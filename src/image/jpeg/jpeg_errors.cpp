#include "image/jpeg/jpeg_errors.h"

#include <cstdlib>

namespace jpeg {
namespace {

// One row per JErr, in enum order: the step that failed.
const char* const kText[] = {
    "GetByte",
    "GetWord",
    "CopyByte",
    "SkipByte",
    "SetBits:Max Bit Over",
    "SetBits",
    "SetByte",
    "SetWord",
    "CopyByte",
    "JOutBitStream",
    "Marker error",
    "AnalyzeDHT:DHT Length",
    "AnalyzeDHT:Tc",
    "AnalyzeDHT:Th",
    "Decode1HuffmanCode:length over",
    "DecodeHuffman:wrong Huffman value",
    "AnalyzeScan:Td Over",
    "AnalyzeScan:Ta Over",
    "EncodeHuffman:DC",
    "EncodeHuffman:AC",
    "AnalyzeDHT:Huffman Size-T",
    "AnalyzeDHT:Huffman Code-T",
    "AnalyzeDHT:Huffman Value-T",
    "DoDecode:mRgbPA[0]",
    "DoDecode:mRgbPA[1]",
    "DoDecode:mRgbPA[2]",
    "Disconvert unit1",
    "Disconvert unit2",
    "Disconvert unit3",
    "Disconvert unit4",
    "AnalyzeFrame:sampling",
    "AnalyzeFrame:Tq Over",
    "DecodeHuffman:DC category",
    "Segment length",
    "DoDecode:no frame",
    "DoDecode:plane limit",
    "AnalyzeMarker:COM",
    "Encode:image size",
    "AnalyzeFrame:size",
};
static_assert(sizeof kText / sizeof kText[0] == static_cast<int>(JErr::Count),
              "one text per error");

int g_failAt = 0;
int g_count = 0;

}  // namespace

const char* JErrorText(JErr e) noexcept {
  int i = static_cast<int>(e);
  return (i >= 0 && i < static_cast<int>(JErr::Count)) ? kText[i] : "";
}

void ThrowBuffer(JErr e) { throw JBufferError{JErrorText(e)}; }
void ThrowFormat(int position, JErr e) { throw JDataFormatError{position, JErrorText(e)}; }
void ThrowNotSupported(int marker, int position) { throw JNotSupported{marker, position}; }
void ThrowIndex(int limit, int value, JErr e) { throw JIndexError{limit, value, JErrorText(e)}; }
void ThrowMemory(int64_t size, JErr e) { throw JMemoryError{size, JErrorText(e)}; }

void* JAlloc(std::size_t bytes) noexcept {
  ++g_count;
  if (g_failAt > 0 && g_count == g_failAt) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void* JAllocZeroed(std::size_t bytes) noexcept {
  ++g_count;
  if (g_failAt > 0 && g_count == g_failAt) return nullptr;
  return std::calloc(bytes == 0 ? 1 : bytes, 1);
}

void JFree(void* p) noexcept { std::free(p); }

int JSetAllocFailure(int n) noexcept {
  int c = g_count;
  g_failAt = n;
  g_count = 0;
  return c;
}

int JAllocCount() noexcept { return g_count; }

}  // namespace jpeg
