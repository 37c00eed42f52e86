// The converter registry's choice over any file start, kind and limits: a
// row of the table always comes back, a sniffed row accepts the bytes, a
// kind row takes the kind, no earlier row takes the file, and the limits only ever come from the settings
// or from the row's own rule.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "convert/convert_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 13) return 0;
  std::int32_t kind, indata, rows;
  std::memcpy(&kind, data, 4);
  std::memcpy(&indata, data + 4, 4);
  std::memcpy(&rows, data + 8, 4);
  data += 12;
  size -= 12;
  if (data[0] & 1) indata = 204800;  // the default, where a format's own rule applies
  const std::size_t n = size < convert::kSniffBytes ? size : convert::kSniffBytes;

  int count = 0;
  const convert::Converter* table = convert::Converters(&count);
  const convert::Converter& c = convert::ConverterFor(kind, data, n);
  if (&c < table || &c >= table + count || !c.convert) std::abort();
  convert::Detect d;
  d.kind = kind;
  d.head = data;
  d.length = n;
  if (c.detect && !c.detect(d)) std::abort();
  if ((c.firstKind || c.lastKind) && (kind < c.firstKind || kind > c.lastKind)) std::abort();
  // No row before it takes the file.
  for (const convert::Converter* r = table; r < &c; ++r) {
    const bool kindOk = !(r->firstKind || r->lastKind) || (kind >= r->firstKind && kind <= r->lastKind);
    if (kindOk && (!r->detect || r->detect(d))) std::abort();
  }

  convert::Limits settings;
  settings.indata = indata;
  settings.outdata = rows;
  settings.tableRows = rows;
  const convert::Limits l = convert::LimitsFor(c, settings);
  if (l.outdata != settings.outdata) std::abort();
  const bool own = c.limits && indata == c.limits->whenIndata;
  if (own ? (l.indata != c.limits->indata || l.tableRows != c.limits->tableRows)
          : (l.indata != settings.indata || l.tableRows != settings.tableRows))
    std::abort();
  return 0;
}
