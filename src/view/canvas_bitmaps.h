// The bitmaps of the pictures placed in a marked rich text, one per slot.
// A repaint draws them all again; each is loaded from its file once and kept
// until the pictures are converted anew (another marked text) or the view
// goes.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "image/view/image_view_state.h"

namespace view {

class CanvasBitmapCache {
 public:
  CanvasBitmapCache() = default;
  CanvasBitmapCache(const CanvasBitmapCache&) = delete;
  CanvasBitmapCache& operator=(const CanvasBitmapCache&) = delete;
  ~CanvasBitmapCache() { Clear(); }

  // The slot's bitmap loaded from `path` (a DIB section), or null when the
  // file cannot be loaded. A slot held for another path is loaded again.
  HBITMAP Get(int slot, const std::string& path) {
    if (slot < 0 || slot >= image::kPictureSlots) return nullptr;
    Entry& e = m_entries[static_cast<std::size_t>(slot)];
    if (e.bitmap && e.path == path) return e.bitmap;
    Drop(e);
    e.bitmap = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (e.bitmap) e.path = path;
    return e.bitmap;
  }

  void Clear() {
    for (Entry& e : m_entries) Drop(e);
  }

 private:
  struct Entry {
    HBITMAP bitmap = nullptr;
    std::string path;
  };
  static void Drop(Entry& e) {
    if (e.bitmap) ::DeleteObject(e.bitmap);
    e.bitmap = nullptr;
    e.path.clear();
  }
  std::array<Entry, image::kPictureSlots> m_entries;
};

}  // namespace view
