#include "graphics/canvas.h"

#include <algorithm>

Canvas::Canvas(PixelMemory memory, std::int32_t width, std::int32_t height, PixelFormat format,
               ColourValue foreground, ColourValue background)
    : memory_(std::move(memory)),
      width_(width),
      height_(height),
      columns_(static_cast<std::size_t>(width)),
      rows_(static_cast<std::size_t>(height)),
      format_(format),
      foregroundPixel_(format.pixelOf(foreground)) {
    const std::uint32_t backgroundPixel = format.pixelOf(background);
    std::fill_n(memory_.get(), columns_ * rows_, backgroundPixel);
}
