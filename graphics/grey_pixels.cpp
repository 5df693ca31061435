// PixelFormat::commonGreyPixels, compiled once per vector instruction set; the widest the
// processor has is picked at the first call.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "graphics/grey_pixels.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"

#include "graphics/colour.h"

HWY_BEFORE_NAMESPACE();
namespace grey_pixels {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void CommonGreyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) {
    const hn::ScalableTag<std::int32_t> d;
    const hn::RebindToUnsigned<decltype(d)> du;
    const std::size_t lanes = hn::Lanes(d);
    const auto black = hn::Zero(d);
    const auto white = hn::Set(d, 255);
    std::size_t k = 0;
    for (; k + lanes <= count; k += lanes) {
        const auto level = hn::BitCast(du, hn::Min(hn::Max(hn::LoadU(d, greys + k), black), white));
        const auto pixel = hn::Or(hn::Or(level, hn::ShiftLeft<8>(level)), hn::ShiftLeft<16>(level));
        hn::StoreU(pixel, du, pixels + k);
    }
    for (; k < count; ++k) pixels[k] = PixelFormat::commonPixelOf(rgb(greys[k], greys[k], greys[k]));
}

} // namespace HWY_NAMESPACE
} // namespace grey_pixels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grey_pixels {
HWY_EXPORT(CommonGreyPixels);

// Named from inside its namespace: with a single target the dispatch is a plain call into it.
void dispatch(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(CommonGreyPixels)(greys, count, pixels);
}
} // namespace grey_pixels

void PixelFormat::commonGreyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) {
    grey_pixels::dispatch(greys, count, pixels);
}
#endif
