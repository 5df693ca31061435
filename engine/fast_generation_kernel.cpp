// Separable box sums on the torus in 16-bit lanes. Cells hold 0..256, so a column of nine is at
// most 2304 and a full 9 x 9 box at most 20736: everything fits an unsigned 16-bit lane exactly.
// Every vector pass is a pure function of its inputs, so the last chunk (or pair of chunks) of a
// row is simply moved back to end at the row's last cell and recomputes a few cells instead of
// needing a tail loop or stores past the row (which could belong to another band).

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/fast_generation_kernel.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"
#include "runtime/byte_lookup-inl.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/fast_generation_kernel.h"
#include "engine/world.h"

HWY_BEFORE_NAMESPACE();
namespace generation_kernel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// A vector of cells widened to 16-bit lanes, and back; cells of one byte only ever hold 0..255.
template <class D>
HWY_INLINE hn::Vec<D> loadCells(D d, const std::uint16_t* cells) {
    return hn::LoadU(d, cells);
}

template <class D>
HWY_INLINE hn::Vec<D> loadCells(D d, const std::uint8_t* cells) {
    return hn::PromoteTo(d, hn::LoadU(hn::Rebind<std::uint8_t, D>(), cells));
}

template <class D>
HWY_INLINE void storeCells(D d, hn::Vec<D> values, std::uint16_t* cells) {
    hn::StoreU(values, d, cells);
}

template <class D>
HWY_INLINE void storeCells(D, hn::Vec<D> values, std::uint8_t* cells) {
    const hn::Rebind<std::int16_t, D> d16;
    const hn::Rebind<std::uint8_t, D> d8;
    hn::StoreU(hn::DemoteTo(d8, hn::BitCast(d16, values)), d8, cells);
}

// Calls visit(x) for starts of spans of `span` cells covering 0..width-1 (width >= span); the last
// span ends exactly at width.
template <class Visit>
HWY_INLINE void forEachSpan(std::int32_t span, std::int32_t width, const Visit& visit) {
    for (std::int32_t x = 0;; x += span) {
        const std::int32_t start = std::min(x, width - span);
        visit(start);
        if (start + span >= width) return;
    }
}

// Calls visit(x) for the starts of vectors of cells covering 0..width-1.
template <class D, class Visit>
HWY_INLINE void forEachChunk(D d, std::int32_t width, const Visit& visit) {
    forEachSpan(static_cast<std::int32_t>(hn::Lanes(d)), width, visit);
}

// Calls visit(lower, upper) for the starts of pairs of vectors of cells covering 0..width-1: side
// by side, or overlapping at the row's two ends where the row is narrower than two vectors.
template <class D, class Visit>
HWY_INLINE void forEachChunkPair(D d, std::int32_t width, const Visit& visit) {
    const std::int32_t lanes = static_cast<std::int32_t>(hn::Lanes(d));
    if (width < 2 * lanes) return visit(0, width - lanes);
    forEachSpan(2 * lanes, width, [&](std::int32_t x) { visit(x, x + lanes); });
}

// Column 1 of a current-plane row, the row index wrapped onto 1..H.
template <class Cell>
HWY_INLINE const Cell* inputRow(const PlaneStep& step, std::int32_t row) {
    return static_cast<const Cell*>(step.current) + std::ptrdiff_t(wrapOnTorus(row, step.height)) * step.rowStride + 1;
}

template <int Size, class Cell, class D>
void sumColumns(D d, const PlaneStep& step, std::int32_t row, std::uint16_t* columns) {
    const Cell* rows[2 * Size + 1];
    for (int k = 0; k <= 2 * Size; ++k) rows[k] = inputRow<Cell>(step, row - Size + k);
    forEachChunk(d, step.width, [&](std::int32_t x) {
        auto sum = loadCells(d, rows[0] + x);
        for (int k = 1; k <= 2 * Size; ++k) sum = hn::Add(sum, loadCells(d, rows[k] + x));
        hn::StoreU(sum, d, columns + x);
    });
}

// Moves the column sums down one row: the row entering below is added, the one leaving above
// subtracted. Unsigned wrap-around in between cancels out.
template <int Size, class Cell, class D>
void slideColumns(D d, const PlaneStep& step, std::int32_t row, const std::uint16_t* from, std::uint16_t* to) {
    const Cell* entering = inputRow<Cell>(step, row + Size);
    const Cell* leaving = inputRow<Cell>(step, row - Size - 1);
    forEachChunk(d, step.width, [&](std::int32_t x) {
        const auto kept = hn::Add(hn::LoadU(d, from + x), loadCells(d, entering + x));
        hn::StoreU(hn::Sub(kept, loadCells(d, leaving + x)), d, to + x);
    });
}

// Copies the column sums across the torus seam so the row window never has to wrap.
template <int Size>
HWY_INLINE void wrapColumns(std::uint16_t* columns, std::int32_t width) {
    std::memcpy(columns - Size, columns + width - Size, Size * sizeof(std::uint16_t));
    std::memcpy(columns + width, columns, Size * sizeof(std::uint16_t));
}

// floor(x / 255) for every 16-bit x below 65535: x * 0x8081 / 2^23 where the instruction set
// keeps the high half of a 16-bit product in one instruction; WebAssembly has none, and there
// (x + x / 256 + 1) / 256 takes fewer.
template <class D>
HWY_INLINE hn::Vec<D> divideBy255(D d, hn::Vec<D> x) {
#if HWY_TARGET == HWY_WASM
    return hn::ShiftRight<8>(hn::Add(hn::Add(x, hn::ShiftRight<8>(x)), hn::Set(d, 1)));
#else
    return hn::ShiftRight<7>(hn::MulHigh(x, hn::Set(d, 0x8081)));
#endif
}

// What the rule reads of a vector of cells: their values, the rounded count of live neighbours
// (0..80) and whether each cell lives.
template <class D>
struct CellLanes {
    hn::Vec<D> centre, count;
    hn::Mask<D> alive;
};

// Black/white cells live at exactly 255; grey ones above 128, their neighbourhood sum rounded to
// the nearest count. Grey cells hold at most 256, so a signed comparison is exact.
template <bool Grey, class D>
HWY_INLINE CellLanes<D> cellLanes(D d, hn::Vec<D> box, hn::Vec<D> centre) {
    const auto sum = hn::Sub(box, centre);
    if constexpr (Grey) {
        const hn::RebindToSigned<D> di;
        return {centre, divideBy255(d, hn::Add(sum, hn::Set(d, 127))),
                hn::RebindMask(d, hn::Gt(hn::BitCast(di, centre), hn::Set(di, 128)))};
    } else {
        return {centre, divideBy255(d, sum), hn::Eq(centre, hn::Set(d, 255))};
    }
}

// The rule's verdict on a pair of vectors of cells: 255 in the lanes whose count the rule matches,
// 0 elsewhere, which is also the next value of black/white cells.
template <class D>
struct VerdictPair {
    hn::Vec<D> lower, upper;
};

#if HWY_TARGET == HWY_SCALAR
template <class D>
struct RuleVectors {
    const std::uint8_t* survive;
    const std::uint8_t* born;
};

template <class D>
RuleVectors<D> loadRules(D, const PlaneStep& step) {
    return {step.surviveBits, step.bornBits};
}

template <class D>
HWY_INLINE hn::Vec<D> verdict(D d, const CellLanes<D>& cells, const RuleVectors<D>& rules) {
    const std::uint16_t n = hn::GetLane(cells.count);
    const std::uint8_t* bits = hn::AllTrue(d, cells.alive) ? rules.survive : rules.born;
    return hn::Set(d, ((bits[n >> 3] >> (n & 7)) & 1) * 255);
}

template <bool Grey, class Cell, class D>
HWY_INLINE VerdictPair<D> ruleVerdicts(D d, const CellLanes<D>& lower, const CellLanes<D>& upper,
                                       const RuleVectors<D>& rules) {
    return {verdict(d, lower, rules), verdict(d, upper, rules)};
}
#else
template <class D>
struct RuleVectors {
    hn::Vec<hn::Repartition<std::uint8_t, D>> survive, born, bitValues;
};

template <class D>
RuleVectors<D> loadRules(D, const PlaneStep& step) {
    const hn::Repartition<std::uint8_t, D> d8;
    alignas(16) std::uint8_t survive[16], born[16];
    alignas(16) static constexpr std::uint8_t bitValues[16] = {1, 2, 4, 8, 16, 32, 64, 128};
    std::memcpy(survive, step.surviveBits, sizeof survive);
    std::memcpy(born, step.bornBits, sizeof born);
    return {hn::LoadDup128(d8, survive), hn::LoadDup128(d8, born), hn::LoadDup128(d8, bitValues)};
}

// The rule tables are looked up a byte at a time, every index below 16.
using byte_lookup::HWY_NAMESPACE::lookupBytesOr0;

// Whether the cells of two vectors live, as bytes: the lower vector's in the even bytes and the
// upper one's in the odd bytes. Cells of one byte are laid out so and compared as bytes; wider
// ones have their lanes' masks laid out so.
template <bool Grey, class Cell, class D>
HWY_INLINE hn::Mask<hn::Repartition<std::uint8_t, D>> aliveBytes(D d, const CellLanes<D>& lower,
                                                                 const CellLanes<D>& upper) {
    const hn::Repartition<std::uint8_t, D> d8;
    if constexpr (!Grey && sizeof(Cell) == 1) {
        const auto centres = hn::BitCast(d8, hn::Or(lower.centre, hn::ShiftLeft<8>(upper.centre)));
        return hn::Eq(centres, hn::Set(d8, 255));
    } else {
        const auto lowerAlive = hn::ShiftRight<8>(hn::VecFromMask(d, lower.alive));
        const auto upperAlive = hn::ShiftLeft<8>(hn::VecFromMask(d, upper.alive));
        return hn::MaskFromVec(hn::BitCast(d8, hn::Or(lowerAlive, upperAlive)));
    }
}

// Whether each lane's count is in the Survive set (where the cell lives) or the Born set: byte
// count / 8 of the bit set, bit count % 8, both found by byte shuffles instead of branches. The
// lookups work on bytes, the lower vector's lanes in the even bytes and the upper one's in the odd
// bytes, so that one set of shuffles serves two vectors of cells and no lane moves across the
// vector.
template <bool Grey, class Cell, class D>
HWY_INLINE VerdictPair<D> ruleVerdicts(D d, const CellLanes<D>& lower, const CellLanes<D>& upper,
                                       const RuleVectors<D>& rules) {
    const hn::Repartition<std::uint8_t, D> d8;
    const auto counts = hn::BitCast(d8, hn::Or(lower.count, hn::ShiftLeft<8>(upper.count)));
    const auto alive = aliveBytes<Grey, Cell>(d, lower, upper);
    // Bytes have no shift of their own on most targets: the 16-bit shift's bits that cross into
    // the byte below are dropped.
    const auto byteIndex = hn::And(hn::BitCast(d8, hn::ShiftRight<3>(hn::BitCast(d, counts))), hn::Set(d8, 0x1F));
    const auto bitIndex = hn::And(counts, hn::Set(d8, 7));
    const auto ruleByte =
        hn::IfThenElse(alive, lookupBytesOr0(rules.survive, byteIndex), lookupBytesOr0(rules.born, byteIndex));
    const auto matches = hn::TestBit(ruleByte, lookupBytesOr0(rules.bitValues, bitIndex));
    const auto matchBytes = hn::BitCast(d, hn::VecFromMask(d8, matches));
    return {hn::And(matchBytes, hn::Set(d, 255)), hn::ShiftRight<8>(matchBytes)};
}
#endif

// The cells' next values: black/white cells take the verdict; grey cells rise by the speed where
// the rule matches, live ones to at most 255, dead ones (at most 128) to at most 256, and fall by
// the speed elsewhere, not below 0.
template <bool Grey, class D>
HWY_INLINE hn::Vec<D> nextValues(D d, const CellLanes<D>& cells, hn::Vec<D> verdict, hn::Vec<D> speed) {
    if constexpr (Grey) {
        const auto ceiling = hn::Add(hn::Set(d, 256), hn::VecFromMask(d, cells.alive)); // 255 where alive
        const auto raised = hn::Min(hn::Add(cells.centre, speed), ceiling);
        return hn::IfThenElse(hn::Eq(verdict, hn::Zero(d)), hn::SaturatedSub(cells.centre, speed), raised);
    } else {
        return verdict;
    }
}

// The box sum around each cell of a vector, centre included, from the row's column sums.
template <int Size, class D>
HWY_INLINE hn::Vec<D> boxSums(D d, const std::uint16_t* columns) {
    auto box = hn::LoadU(d, columns - Size);
    for (int k = 1 - Size; k <= Size; ++k) box = hn::Add(box, hn::LoadU(d, columns + k));
    return box;
}

template <int Size, bool Grey, class Cell, class D>
void writeRow(D d, const PlaneStep& step, std::int32_t row, const std::uint16_t* columns,
              const RuleVectors<D>& rules) {
    const Cell* centres = inputRow<Cell>(step, row);
    Cell* out = static_cast<Cell*>(step.next) + std::ptrdiff_t(row) * step.rowStride + 1;
    const auto speed = hn::Set(d, static_cast<std::uint16_t>(step.greySpeed));
    forEachChunkPair(d, step.width, [&](std::int32_t lowerX, std::int32_t upperX) {
        const auto lower = cellLanes<Grey>(d, boxSums<Size>(d, columns + lowerX), loadCells(d, centres + lowerX));
        const auto upper = cellLanes<Grey>(d, boxSums<Size>(d, columns + upperX), loadCells(d, centres + upperX));
        const VerdictPair<D> verdicts = ruleVerdicts<Grey, Cell>(d, lower, upper, rules);
        storeCells(d, nextValues<Grey>(d, lower, verdicts.lower, speed), out + lowerX);
        storeCells(d, nextValues<Grey>(d, upper, verdicts.upper, speed), out + upperX);
    });
}

template <int Size, bool Grey, class Cell, class D>
void stepBand(D d, const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow, std::uint16_t* scratch) {
    const RuleVectors<D> rules = loadRules(d, step);
    const std::size_t half = bandScratchLength(step.width) / 2;
    std::uint16_t* columns = scratch + Size;
    std::uint16_t* spare = scratch + half + Size;
    sumColumns<Size, Cell>(d, step, firstRow, columns);
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        if (row > firstRow) {
            slideColumns<Size, Cell>(d, step, row, columns, spare);
            std::swap(columns, spare);
        }
        wrapColumns<Size>(columns, step.width);
        writeRow<Size, Grey, Cell>(d, step, row, columns, rules);
    }
}

template <bool Grey, class Cell, class D>
void stepBandForSize(D d, const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow,
                     std::uint16_t* scratch) {
    switch (step.size) {
    case 1: return stepBand<1, Grey, Cell>(d, step, firstRow, lastRow, scratch);
    case 2: return stepBand<2, Grey, Cell>(d, step, firstRow, lastRow, scratch);
    case 3: return stepBand<3, Grey, Cell>(d, step, firstRow, lastRow, scratch);
    default: return stepBand<4, Grey, Cell>(d, step, firstRow, lastRow, scratch);
    }
}

template <class Cell, class D>
void stepBandWithCells(D d, const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow,
                       std::uint16_t* scratch) {
    if (step.grey) return stepBandForSize<true, Cell>(d, step, firstRow, lastRow, scratch);
    stepBandForSize<false, Cell>(d, step, firstRow, lastRow, scratch);
}

template <class D>
void stepBandWith(D d, const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow, std::uint16_t* scratch) {
    if (step.cellWidth == CellWidth::oneByte) return stepBandWithCells<std::uint8_t>(d, step, firstRow, lastRow, scratch);
    stepBandWithCells<std::uint16_t>(d, step, firstRow, lastRow, scratch);
}

// Worlds narrower than a full vector (W is at least 10) use eight lanes.
void StepRows(const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow, std::uint16_t* scratch) {
    const hn::ScalableTag<std::uint16_t> full;
    if (step.width >= static_cast<std::int32_t>(hn::Lanes(full))) {
        return stepBandWith(full, step, firstRow, lastRow, scratch);
    }
    stepBandWith(hn::CappedTag<std::uint16_t, 8>(), step, firstRow, lastRow, scratch);
}

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

} // namespace HWY_NAMESPACE
} // namespace generation_kernel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace generation_kernel {
HWY_EXPORT(StepRows);
HWY_EXPORT(TargetName);

void dispatchStepRows(const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow, std::uint16_t* scratch) {
    HWY_DYNAMIC_DISPATCH(StepRows)(step, firstRow, lastRow, scratch);
}

const char* dispatchTargetName() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }
} // namespace generation_kernel

namespace {
constexpr std::int32_t largestSize = 4;
}

std::size_t bandScratchLength(std::int32_t width) { return 2 * (std::size_t(width) + 2 * largestSize); }

void stepRows(const PlaneStep& step, std::int32_t firstRow, std::int32_t lastRow, std::uint16_t* scratch) {
    generation_kernel::dispatchStepRows(step, firstRow, lastRow, scratch);
}

const char* stepRowsTarget() { return generation_kernel::dispatchTargetName(); }
#endif
