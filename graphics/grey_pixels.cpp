// PixelFormat::greyPixels and greyPixelRows, compiled once per vector instruction set; the widest
// the processor has is picked at the first call. A grey pixel is the level in each of the bottom
// three bytes, whichever way round red and blue lie, with the format's spare bits.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "graphics/grey_pixels.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/cache_control.h"
#include "hwy/highway.h"
#include "runtime/byte_lookup-inl.h"

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

// One 128-bit block of levels, clamped to 0..255, each in the low byte of its cell.
template <class D>
HWY_INLINE hn::Vec<hn::Repartition<std::uint8_t, D>> levelBlock(D, const std::uint8_t* greys) {
    return hn::LoadDup128(hn::Repartition<std::uint8_t, D>(), greys);
}

template <class D>
HWY_INLINE hn::Vec<hn::Repartition<std::uint8_t, D>> levelBlock(D, const std::uint16_t* greys) {
    const hn::Repartition<std::uint16_t, D> d16;
    return hn::BitCast(hn::Repartition<std::uint8_t, D>(), hn::Min(hn::LoadDup128(d16, greys), hn::Set(d16, 255)));
}

using byte_lookup::HWY_NAMESPACE::lookupBytesOr0;

// Whether a vector of pixels is filled from one 128-bit block of cells by a byte shuffle within
// each of its blocks: it holds at least one block, and no more pixels than a block holds cells.
template <class Grey, class D>
constexpr bool spreadsBlocks(D d) {
    return hn::MaxLanes(d) >= 4 && hn::MaxLanes(d) <= 16 / sizeof(Grey);
}

// Streams the pixels of 128-bit blocks of cells, 16 / sizeof(Grey) cells each: each pixel's
// three low bytes fetch its cell's level (the cell's low byte) from the block, its top byte
// nothing, and the spare bits go over them. Fewer instructions than widening the levels and
// shifting them into place.
template <class D, class Grey>
class BlockPixels {
public:
    static constexpr std::size_t cells = 16 / sizeof(Grey);

    BlockPixels(D d, hn::Vec<D> spare) : spare_(spare) {
        // Pixel k of vector j takes cell c = j * lanes + k: byte indices c', c', c', 0x80 for the
        // level's byte c' = c * sizeof(Grey), where 0x80 fetches 0.
        for (std::size_t j = 0; j < vectors; ++j) {
            const auto cell = hn::Iota(d, std::uint32_t(j * hn::MaxLanes(d)));
            const auto levelByte = hn::Mul(cell, hn::Set(d, std::uint32_t(sizeof(Grey) * 0x010101)));
            indices_[j] = hn::BitCast(d8, hn::Or(levelByte, hn::Set(d, 0x80000000u)));
        }
    }

    void stream(const Grey* greys, std::uint32_t* pixels) const {
        const auto levels = levelBlock(D(), greys);
        for (std::size_t j = 0; j < vectors; ++j)
            hn::Stream(hn::Or(hn::BitCast(D(), lookupBytesOr0(levels, indices_[j])), spare_), D(),
                       pixels + j * hn::MaxLanes(D()));
    }

private:
    static constexpr std::size_t vectors = cells / hn::MaxLanes(D());
    static constexpr hn::Repartition<std::uint8_t, D> d8{};
    hn::Vec<hn::Repartition<std::uint8_t, D>> indices_[vectors];
    hn::Vec<D> spare_;
};

template <class V>
HWY_INLINE V pixelsOfLevels(V levels, V spare) {
    return hn::Or(hn::Or(hn::Or(levels, hn::ShiftLeft<8>(levels)), hn::ShiftLeft<16>(levels)), spare);
}

template <class Grey>
std::uint32_t pixelOfGrey(Grey grey, std::uint32_t spare) {
    return rgb(grey, grey, grey) | spare;
}

template <class Grey>
void greyPixels(const Grey* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    const hn::ScalableTag<std::uint32_t> d;
    const std::size_t lanes = hn::Lanes(d);
    const auto spares = hn::Set(d, spare);
    std::size_t k = 0;
    for (; k + lanes <= count; k += lanes)
        hn::StoreU(pixelsOfLevels(greyLevels(d, greys + k), spares), d, pixels + k);
    for (; k < count; ++k) pixels[k] = pixelOfGrey(greys[k], spare);
}

// The cells of rows `stride` cells apart, `width` cells each, in reading order.
template <class Grey>
class CellsInPixelOrder {
public:
    CellsInPixelOrder(const Grey* greys, std::ptrdiff_t stride, std::size_t width)
        : greys_(greys), stride_(stride), width_(width) {}

    // The next `count` cells, which must not run past the last row: in place when they lie in
    // one row, otherwise copied into `spanning`.
    const Grey* take(std::size_t count, Grey* spanning) {
        if (column_ + count <= width_) {
            const Grey* cells = rowStart() + column_;
            advance(count);
            return cells;
        }
        for (std::size_t k = 0; k < count; ++k) {
            spanning[k] = rowStart()[column_];
            advance(1);
        }
        return spanning;
    }

private:
    const Grey* rowStart() const { return greys_ + std::ptrdiff_t(row_) * stride_; }
    void advance(std::size_t count) {
        column_ += count;
        if (column_ == width_) {
            column_ = 0;
            ++row_;
        }
    }

    const Grey* greys_;
    std::ptrdiff_t stride_;
    std::size_t width_;
    std::size_t row_ = 0;
    std::size_t column_ = 0;
};

// Whole aligned vectors of pixels go out with non-temporal stores. The window system reads the
// buffer next, often on another core, and a cached store would first have to take each line back
// from that core: 600 x 600 pixels took 0.12-0.17 ms so, against 0.04-0.07 ms streamed (0.02 ms
// cached when the X server happened to share the core). A row at a time cannot stream well, as
// rows seldom start on a vector boundary, so the block is walked as one run of pixels.
template <class Grey>
void greyPixelRows(const Grey* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                   std::uint32_t spare, std::uint32_t* pixels) {
    const hn::ScalableTag<std::uint32_t> d;
    const std::size_t lanes = hn::Lanes(d);
    const auto spares = hn::Set(d, spare);
    const std::size_t total = width * rows;
    CellsInPixelOrder<Grey> cells(greys, stride, width);
    Grey spanning[hn::MaxLanes(d)];
    const auto vectorAligned = [&](std::size_t k) {
        return reinterpret_cast<std::uintptr_t>(pixels + k) % (lanes * sizeof(std::uint32_t)) == 0;
    };
    std::size_t k = 0;
    for (; k < total && !vectorAligned(k); ++k) pixels[k] = pixelOfGrey(*cells.take(1, spanning), spare);
    if constexpr (spreadsBlocks<Grey>(d)) {
        const BlockPixels<decltype(d), Grey> blocks(d, spares);
        Grey spanningBlock[blocks.cells];
        for (; k + blocks.cells <= total; k += blocks.cells) blocks.stream(cells.take(blocks.cells, spanningBlock), pixels + k);
    }
    for (; k + lanes <= total; k += lanes)
        hn::Stream(pixelsOfLevels(greyLevels(d, cells.take(lanes, spanning)), spares), d, pixels + k);
    for (; k < total; ++k) pixels[k] = pixelOfGrey(*cells.take(1, spanning), spare);
    hwy::FlushStream();
}

void GreyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    greyPixels(greys, count, spare, pixels);
}

void GreyPixels16(const std::uint16_t* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    greyPixels(greys, count, spare, pixels);
}

void GreyPixels8(const std::uint8_t* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    greyPixels(greys, count, spare, pixels);
}

void GreyPixelRows16(const std::uint16_t* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                     std::uint32_t spare, std::uint32_t* pixels) {
    greyPixelRows(greys, stride, width, rows, spare, pixels);
}

void GreyPixelRows8(const std::uint8_t* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                    std::uint32_t spare, std::uint32_t* pixels) {
    greyPixelRows(greys, stride, width, rows, spare, pixels);
}

} // namespace HWY_NAMESPACE
} // namespace grey_pixels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace grey_pixels {
HWY_EXPORT(GreyPixels);
HWY_EXPORT(GreyPixels16);
HWY_EXPORT(GreyPixels8);
HWY_EXPORT(GreyPixelRows16);
HWY_EXPORT(GreyPixelRows8);

// Named from inside its namespace: with a single target the dispatch is a plain call into it.
void dispatch(const std::int32_t* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(GreyPixels)(greys, count, spare, pixels);
}
void dispatch(const std::uint16_t* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(GreyPixels16)(greys, count, spare, pixels);
}
void dispatch(const std::uint8_t* greys, std::size_t count, std::uint32_t spare, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(GreyPixels8)(greys, count, spare, pixels);
}
void dispatchRows(const std::uint16_t* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                  std::uint32_t spare, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(GreyPixelRows16)(greys, stride, width, rows, spare, pixels);
}
void dispatchRows(const std::uint8_t* greys, std::ptrdiff_t stride, std::size_t width, std::size_t rows,
                  std::uint32_t spare, std::uint32_t* pixels) {
    HWY_DYNAMIC_DISPATCH(GreyPixelRows8)(greys, stride, width, rows, spare, pixels);
}
} // namespace grey_pixels

void PixelFormat::greyPixels(const std::int32_t* greys, std::size_t count, std::uint32_t* pixels) const {
    grey_pixels::dispatch(greys, count, spareBits(), pixels);
}

void PixelFormat::greyPixels(const std::uint16_t* greys, std::size_t count, std::uint32_t* pixels) const {
    grey_pixels::dispatch(greys, count, spareBits(), pixels);
}

void PixelFormat::greyPixels(const std::uint8_t* greys, std::size_t count, std::uint32_t* pixels) const {
    grey_pixels::dispatch(greys, count, spareBits(), pixels);
}

void PixelFormat::greyPixelRows(const std::uint16_t* greys, std::ptrdiff_t stride, std::size_t width,
                                std::size_t rows, std::uint32_t* pixels) const {
    grey_pixels::dispatchRows(greys, stride, width, rows, spareBits(), pixels);
}

void PixelFormat::greyPixelRows(const std::uint8_t* greys, std::ptrdiff_t stride, std::size_t width,
                                std::size_t rows, std::uint32_t* pixels) const {
    grey_pixels::dispatchRows(greys, stride, width, rows, spareBits(), pixels);
}
#endif
