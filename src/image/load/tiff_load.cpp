// TIFF loader (first image file directory). Not decoded yet: the picture is
// refused with a status text naming the form.
#include "image/load/image_loaders.h"

namespace img {

uint32_t LoadTiffImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  host.StatusText("Tiff");
  return 0;
}

}  // namespace img
