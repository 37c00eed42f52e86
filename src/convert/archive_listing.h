// Listings of ZIP and LZH archives as text: one line per member with its
// compressed and original size, ratio (and for ZIP its date and name), then a
// rule line and the totals. The walk follows the members' own headers from
// the start of the file, reading one small window per member, so a large
// archive costs one small read per member and is never read whole.
//
// A damaged or truncated archive ends the walk quietly: the rule line and
// the totals are still written. Every field read lies within the bytes a
// window actually holds.
#pragma once

#include <cstdint>

#include "convert/load_buffer.h"
#include "convert/source_file.h"

namespace convert {

// Lists a ZIP archive (one that starts with a local header, or with a
// spanned-archive marker "PK00" before it). The walk stops once the text
// reaches `outdata` bytes (checked after each line).
void ListZipArchive(SourceFile& file, std::int64_t outdata, LoadBuffer& out);

// Lists an LZH archive from its first header.
void ListLzhArchive(SourceFile& file, std::int64_t outdata, LoadBuffer& out);

// Whether a file is listed as LZH: bytes 2-4 read "-lh".
bool LooksLikeLzh(const std::uint8_t* head, std::size_t length);

// The ratio of a member (compressed as a percentage of original) as the
// listing computes it; the member line shows it modulo 256.
std::int64_t ListingRatio(std::int64_t compressed, std::int64_t original);

}  // namespace convert
