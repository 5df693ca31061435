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

// Grey levels as 32-bit lanes limited to 0..255, from each kind of row.
template <class D>
HWY_INLINE hn::Vec<D> greyLevels(D d, const std::int32_t* greys) {
    const hn::RebindToSigned<D> di;
    const auto level = hn::LoadU(di, greys);
    return hn::BitCast(d, hn::Min(hn::Max(level, hn::Zero(di)), hn::Set(di, 255)));
}

template <class D>
HWY_INLINE hn::Vec<D> greyLevels(D d, const std::uint16_t* greys) {
    return hn::Min(hn::PromoteTo(d, hn::LoadU(hn::Rebind<std::uint16_t, D>(), greys)), hn::Set(d, 255));
}

template <class D>
HWY_INLINE hn::Vec<D> greyLevels(D d, const std::uint8_t* greys) {
    return hn::PromoteTo(d, hn::LoadU(hn::Rebind<std::uint8_t, D>(), greys));
}

template <class Grey>
void greyPixels(const Grey* greys, std::size_t count, std::uint32_t* pixels) {
    const hn::ScalableTag<std::uint32_t> d;
    const std::size_t lanes = hn::Lanes(d);
    std::size_t k = 0;
    for (; k + lanes <= count; k += lanes) {
        const auto level = greyLevels(d, greys + k);
        const auto pixel = hn::Or(hn::Or(level, hn::ShiftLeft<8>(level)), hn::ShiftLeft<16>(level));
        hn::StoreU(pixel, d, pixels + k);
    }
    for (; k < count; ++k) pixels[k] = PixelFormat::commonPixelOf(rgb(greys[k], greys[k], greys[k]));
}

void CommonGreyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) {
    greyPixels(greys, count, pixels);
}

void CommonGreyPixels16(const std::uint16_t* greys, std::size_t count, std::uint32_t* pixels) {
    greyPixels(greys, count, pixels);
}

void CommonGreyPixels8(const std::uint8_t* greys, std::size_t count, std::uint32_t* pixels) {
    greyPixels(greys, count, pixels);
}

} // namespace HWY_NAMESPACE
} // namespace grey_pixels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grey_pixels {
HWY_EXPORT(CommonGreyPixels);
HWY_EXPORT(CommonGreyPixels16);
HWY_EXPORT(CommonGreyPixels8);

// Named from inside its namespace: with a single target the dispatch is a plain call into it.
void dispatch(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(CommonGreyPixels)(greys, count, pixels);
}
void dispatch(const std::uint16_t* greys, std::size_t count, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(CommonGreyPixels16)(greys, count, pixels);
}
void dispatch(const std::uint8_t* greys, std::size_t count, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(CommonGreyPixels8)(greys, count, pixels);
}
} // namespace grey_pixels

void PixelFormat::commonGreyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) {
    grey_pixels::dispatch(greys, count, pixels);
}

void PixelFormat::commonGreyPixels(const std::uint16_t* greys, std::size_t count, std::uint32_t* pixels) {
    grey_pixels::dispatch(greys, count, pixels);
}

void PixelFormat::commonGreyPixels(const std::uint8_t* greys, std::size_t count, std::uint32_t* pixels) {
    grey_pixels::dispatch(greys, count, pixels);
}
#endif
