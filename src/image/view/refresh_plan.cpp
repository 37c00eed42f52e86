#include "image/view/refresh_plan.h"

#include "image/load/image_size.h"
#include "image/view/color_engine.h"

namespace img {

namespace {

// Products and sums that stop at the largest value instead of wrapping (a
// damaged header cannot make a work size small again).
uint64_t SatMul(uint64_t a, uint64_t b) {
  uint64_t r;
  return __builtin_mul_overflow(a, b, &r) ? UINT64_MAX : r;
}
uint64_t SatAdd(uint64_t a, uint64_t b) {
  uint64_t r;
  return __builtin_add_overflow(a, b, &r) ? UINT64_MAX : r;
}

bool ScratchOfPdfImport(const std::string& path) {
  return path.size() >= 10 && path.compare(path.size() - 10, 7, "pdftmp.") == 0;
}

// Fit to the window width: the level and fine factor that make the picture's
// extent fit, dropping a fine factor below 6 for the next smaller level.
void Fit(const RefreshState& st, ImageViewOptions& o) {
  const int64_t extent = (o[word::nRotation] == 1 || o[word::nRotation] == 3) ? st.height : st.width;
  int32_t level = o[word::nZoomLevel], fine = o[word::nZoomFine];
  if (extent > 0 && st.windowWidth < extent) {
    if (st.fitMode != 1) {
      level = 5;
      fine = 0;
    } else {
      const int64_t p = st.windowWidth > 0 ? st.windowWidth * 100 / extent : 0;
      int64_t q = 0;
      if (p > 50) level = 5, q = p;
      else if (p >= 26) level = 4, q = 2 * p;
      else if (p >= 13) level = 3, q = 4 * p;
      else if (p >= 7) level = 2, q = 8 * p;
      else level = 1;
      if (level == 1) {
        fine = 0;
      } else {
        fine = int32_t(q / 10);
        if (fine < 6) --level, fine = 0;
      }
    }
  } else if (level != 5 || fine != 0) {
    level = 5;
    fine = 0;
  }
  o[word::nZoomLevel] = level;
  o[word::nZoomFine] = fine;
}

}  // namespace

RefreshPlan PlanImageRefresh(const RefreshState& st) {
  RefreshPlan plan;
  plan.options = st.options;
  ImageViewOptions& o = plan.options;
  plan.fitMode = st.fitMode;
  if (st.fileKind < 12 || st.fileKind > 30 || st.loadedBitsSize < 4 || st.mode == 5) {
    plan.reopen = true;
    plan.reopenOpensFile = st.mode == 0 || st.mode == 5;
    plan.reopenStoresZoom = ScratchOfPdfImport(st.shownFile) && o[word::nZoomLevel] < 6;
    return plan;
  }

  // Effect flags.
  bool anyEffect = false;
  for (int w : kEffectWords) anyEffect = anyEffect || o[w] != 0;
  if (!anyEffect) o[word::nEffectStyle] = 0;
  o[word::bNeedTransform] =
      (o[word::nRotation] || o[word::bFlipH] || o[word::bFlipV] || o[word::nEffectStyle]) ? 1 : 0;

  // Colour count and sizes of the loaded header.
  const uint32_t b = st.bits;
  plan.clrUsed = st.clrUsed ? st.clrUsed : b == 8 ? 256 : b == 4 ? 16 : b == 1 ? 2 : 0;
  const uint64_t w = st.width > 0 ? uint64_t(st.width) : 0;
  const uint64_t h = st.height > 0 ? uint64_t(st.height) : 0;
  plan.stride = DibStride(w, b);
  const uint64_t rows = SatMul(h, plan.stride);
  plan.sizeImage = st.sizeImage ? st.sizeImage : rows;
  uint64_t n = SatAdd(rows, 100000);
  uint64_t k = st.loadedBitsSize;

  if (st.fitMode > 0) {
    Fit(st, o);
    plan.fitApplied = true;
    plan.storeZoomInDocument = st.mode == 3;
    if (st.fitMode > 1) {
      plan.fitMode = 0;
      plan.clearDocumentSizeHigh = true;
    }
  }

  // Room for the enlargement.
  const int32_t level = o[word::nZoomLevel];
  if (level >= 6 && level <= 9) n = SatMul(n, uint64_t(1) << (2 * (level - 5)));
  if (level > 5) n = SatAdd(n, 100000);
  if (n < k) n = k;

  // 24-bit decision.
  const int32_t fine = o[word::nZoomFine];
  const bool wants24 =
      (b < 24 && (fine > 0 || o[word::m_bRegionSet] > 0 || o[word::bFilterOn] > 0 ||
               o[colorword::bNeighbourOutside] > 0 || o[colorword::bNeighbourInside] > 0)) ||
      o[word::bForceEffects] == 1 || o[word::nColorOption] > 0 || b == 16;
  if (wants24 || b == 32) {
    o[word::bTo24] = 1;
    if (wants24 && b != 32 && b != 0) {
      n = SatMul(n, 24) / b;
      o[word::bNeedTransform] = 1;
    }
    if (fine > 0) o[word::nEffectStyle] = 1;
  } else {
    o[word::bTo24] = 0;
  }
  if ((o[word::bTo24] == 1 || o[word::bNeedTransform] == 1) && n > k) k = n;
  plan.workSize = n;
  plan.copySize = k;

  if (st.mode == 3) o[word::nZoomLevel] = st.docZoomLevel;
  plan.zoomLevel = o[word::nZoomLevel];

  // Transform decision.
  plan.transform = (st.pasteState == 0 || o[word::bForceEffects] == 1) &&
                   (o[word::bTo24] == 1 || o[word::bNeedTransform] == 1 || plan.zoomLevel != 5 ||
                    o[word::nEffectStyle] != 0 || o[word::nZoomFine] > 0 || o[word::nColorOption] > 0 ||
                    o[word::nStretchMode] > 0);
  plan.caption = !(plan.transform && st.mode == 3);
  plan.captionZoomFirst = plan.transform;
  return plan;
}

}  // namespace img
