// Separable box sums on the torus in 16-bit lanes. Cells hold 0..256, so a column of nine is at
// most 2304 and a full 9 x 9 box at most 20736: everything fits an unsigned 16-bit lane exactly.
// Every vector pass is a pure function of its inputs, so the last chunk of a row is simply moved
// back to end at the row's last cell and recomputes a few cells instead of needing a tail loop
// or stores past the row (which could belong to another band).

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/fast_generation_kernel.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"

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

// Calls visit(x) for chunk starts covering 0..width-1; the last chunk ends exactly at width.
template <class D, class Visit>
HWY_INLINE void forEachChunk(D d, std::int32_t width, const Visit& visit) {
    const std::int32_t lanes = static_cast<std::int32_t>(hn::Lanes(d));
    for (std::int32_t x = 0;; x += lanes) {
        const std::int32_t start = std::min(x, width - lanes);
        visit(start);
        if (start + lanes >= width) return;
    }
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
HWY_INLINE hn::Mask<D> ruleMatches(D d, hn::Vec<D> count, hn::Mask<D> alive, const RuleVectors<D>& rules) {
    const std::uint16_t n = hn::GetLane(count);
    const std::uint8_t* bits = hn::AllTrue(d, alive) ? rules.survive : rules.born;
    return hn::FirstN(d, (bits[n >> 3] >> (n & 7)) & 1);
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

// Byte k of the result is table[indices[k]], every index below 16. Highway's WASM target emulates
// this shuffle a byte at a time through memory, for the sake of an engine bug fixed long before
// the engines that run the page; the browser's own instruction does it at once.
template <class V, class VI>
HWY_INLINE VI lookupBytes(V table, VI indices) {
#if HWY_TARGET == HWY_WASM
    return VI{wasm_i8x16_swizzle(table.raw, indices.raw)};
#else
    return hn::TableLookupBytes(table, indices);
#endif
}

// Whether each lane's count (0..80) is in the Survive set (live lanes) or the Born set: byte
// count / 8 of the bit set, bit count % 8, both found by byte shuffles instead of branches.
template <class D>
HWY_INLINE hn::Mask<D> ruleMatches(D d, hn::Vec<D> count, hn::Mask<D> alive, const RuleVectors<D>& rules) {
    const auto byteIndex = hn::ShiftRight<3>(count);
    const auto bitIndex = hn::And(count, hn::Set(d, 7));
    const auto ruleByte = hn::IfThenElse(alive, lookupBytes(rules.survive, byteIndex), lookupBytes(rules.born, byteIndex));
    // The shuffle also fills each lane's high byte; only the low byte is the table entry.
    const auto bit = hn::And(lookupBytes(rules.bitValues, bitIndex), hn::Set(d, 0xFF));
    return hn::TestBit(ruleByte, bit);
}
#endif

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

template <class D>
HWY_INLINE hn::Vec<D> blackWhiteValue(D d, hn::Vec<D> sum, hn::Vec<D> centre, const RuleVectors<D>& rules) {
    const auto alive = hn::Eq(centre, hn::Set(d, 255));
    return hn::IfThenElseZero(ruleMatches(d, divideBy255(d, sum), alive, rules), hn::Set(d, 255));
}

// Rounded count; live cells rise to at most 255, dead ones (at most 128) to at most 256, and
// every cell falls by the speed but not below 0.
template <class D>
HWY_INLINE hn::Vec<D> greyValue(D d, hn::Vec<D> sum, hn::Vec<D> centre, hn::Vec<D> speed,
                                const RuleVectors<D>& rules) {
    const auto alive = hn::Gt(centre, hn::Set(d, 128));
    const auto count = divideBy255(d, hn::Add(sum, hn::Set(d, 127)));
    const auto ceiling = hn::IfThenElse(alive, hn::Set(d, 255), hn::Set(d, 256));
    const auto raised = hn::Min(hn::Add(centre, speed), ceiling);
    return hn::IfThenElse(ruleMatches(d, count, alive, rules), raised, hn::SaturatedSub(centre, speed));
}

template <int Size, bool Grey, class Cell, class D>
void writeRow(D d, const PlaneStep& step, std::int32_t row, const std::uint16_t* columns,
              const RuleVectors<D>& rules) {
    const Cell* centres = inputRow<Cell>(step, row);
    Cell* out = static_cast<Cell*>(step.next) + std::ptrdiff_t(row) * step.rowStride + 1;
    const auto speed = hn::Set(d, static_cast<std::uint16_t>(step.greySpeed));
    forEachChunk(d, step.width, [&](std::int32_t x) {
        auto box = hn::LoadU(d, columns + x - Size);
        for (int k = 1 - Size; k <= Size; ++k) box = hn::Add(box, hn::LoadU(d, columns + x + k));
        const auto centre = loadCells(d, centres + x);
        const auto sum = hn::Sub(box, centre);
        const auto value = Grey ? greyValue(d, sum, centre, speed, rules) : blackWhiteValue(d, sum, centre, rules);
        storeCells(d, value, out + x);
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
