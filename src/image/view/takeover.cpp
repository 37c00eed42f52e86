#include "image/view/takeover.h"

#include "image/load/image_record.h"
#include "image/view/view_types.h"

namespace img {

TakeOver PlanTakeOver(const TakeOverState& s) {
  if (s.loadReady != 1) return TakeOver::kNone;
  if (s.viewKind < 12 || s.viewKind > 28 || s.sourceView != 0) return TakeOver::kNone;
  if (s.loadDataSize == 0 || s.bitsOwner == kOwnerNone) return TakeOver::kSettings;
  if (!s.loadInfo) return TakeOver::kNoPicture;
  const DibHeader h = ReadDibHeader(s.loadInfo);
  // A picture without rows or columns cannot be shown (the refresh divides
  // by the width, the embedding by the stride).
  if (h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount == 0) return TakeOver::kNoPicture;
  return TakeOver::kTake;
}

void TakeSettings(const uint32_t* doc, int32_t viewLoadState, uint32_t* view, int words) {
  if (words <= 0) return;
  if (viewLoadState == 0) {
    // As many words as the block's own size word gives (196 bytes: 49).
    int n = words;
    if (doc[0] >= 4 && doc[0] / 4 < uint32_t(n)) n = int(doc[0] / 4);
    for (int i = 0; i < n; ++i) view[i] = doc[i];
  } else {
    for (int w : {word::nZoomLevel, int(kTransformCode), word::nZoomFine})
      if (w < words) view[w] = doc[w];
  }
  if (words <= word::bFlipH) return;
  switch (view[kTransformCode] % 10) {
    case 1:
    case 2:
    case 3:
      view[word::nRotation] = (view[word::nRotation] + view[kTransformCode] % 10) % 4;
      break;
    case 4: view[word::bFlipH] = view[word::bFlipH] ? 0 : 1; break;
    case 5: view[word::bFlipV] = view[word::bFlipV] ? 0 : 1; break;
    case 9:
      view[word::nRotation] = 0;
      view[word::bFlipH] = 0;
      view[word::bFlipV] = 0;
      break;
    default: break;
  }
}

int WriteRequestFormat(int32_t pendingViewCmd) {
  return pendingViewCmd >= 21 && pendingViewCmd <= 31 ? pendingViewCmd - 20 : 0;
}

bool WriteRequestNeeds24(int format, int32_t bits) {
  if (format == 5) return bits == 32;
  return format > 5 && bits != 24;
}

uint64_t WriteRequestBufferSize(uint64_t workSize, int32_t bits) {
  if (bits == 32 || bits <= 0) return workSize;
  unsigned __int128 v = (unsigned __int128)workSize * 24 / uint32_t(bits);
  return v > UINT64_MAX ? UINT64_MAX : uint64_t(v);
}

uint64_t CapWorkSize(uint64_t planned, uint64_t outputLimit, uint64_t sourceSize) {
  const unsigned __int128 cap = (unsigned __int128)outputLimit + sourceSize + kWorkSlack;
  return (unsigned __int128)planned > cap ? uint64_t(cap) : planned;
}

}  // namespace img
