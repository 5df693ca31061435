#pragma once
#include <cassert>
#include <cstdint>

#include "engine/rule.h"
#include "text/int_array.h"

// How wide a World's cells are: the narrowest unsigned integers that hold every value its rule
// mode leaves, so a step reads and writes as few bytes as it can. Black/white cells are 0..255;
// grey rules can leave 256 in a cell, so theirs take two bytes.
enum class CellWidth : std::uint32_t { oneByte = 1, twoBytes = 2 };

inline CellWidth cellWidthFor(RenderMode mode) {
    return mode == RenderMode::shadesOfGrey ? CellWidth::twoBytes : CellWidth::oneByte;
}

// Every cell value of the automaton in two alternating generations: one array with indices
// 0..W, 0..H, 0..2, first index fastest, its elements as wide as the cell width. Cells live at
// 1..W x 1..H of planes 1 and 2; index 0 and plane 0 are allocated but never used. Plane 1 is
// current until the first flip.
class World {
public:
    World() = default;
    ~World() { release(); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Creates the World zero-filled. A World that already exists keeps its bounds, cell width and
    // contents, so the new-rule path can pass through here again. Failures are recorded by
    // raiseError and leave the World not created.
    void create(std::int32_t width, std::int32_t height, CellWidth cellWidth);
    void release() { releaseArray(array_); }
    bool exists() const { return array_.flags & IntArray::created; }

    std::int32_t width() const { return array_.dimension[0].upper; }
    std::int32_t height() const { return array_.dimension[1].upper; }
    CellWidth cellWidth() const { return CellWidth(array_.elementSize); }

    std::int32_t currentPlane() const { return currentPlane_; }
    std::int32_t nextPlane() const { return currentPlane_ == 1 ? 2 : 1; }
    void flip() { currentPlane_ = nextPlane(); }
    void makeCurrent(std::int32_t plane) { currentPlane_ = plane; }

    // The cell (i, j) of a plane. The indices are not checked: callers stay inside the bounds,
    // and values stay inside what the cell width holds.
    std::int32_t cell(std::int32_t i, std::int32_t j, std::int32_t plane) const {
        if (cellWidth() == CellWidth::oneByte) return *at<std::uint8_t>(i, j, plane);
        return *at<std::uint16_t>(i, j, plane);
    }
    void setCell(std::int32_t i, std::int32_t j, std::int32_t plane, std::int32_t value) {
        if (cellWidth() == CellWidth::oneByte) {
            *at<std::uint8_t>(i, j, plane) = std::uint8_t(value);
        } else {
            *at<std::uint16_t>(i, j, plane) = std::uint16_t(value);
        }
    }

    // Row j of a plane as cells of the World's width (Cell is std::uint8_t or std::uint16_t, as
    // cellWidth says), indexed by i: row<Cell>(j, plane)[i] is cell (i, j).
    template <class Cell>
    Cell* row(std::int32_t j, std::int32_t plane) const {
        assert(sizeof(Cell) == array_.elementSize);
        return static_cast<Cell*>(rowAddress(j, plane));
    }
    // The same as untyped memory, for code that looks at cellWidth itself.
    void* rowAddress(std::int32_t j, std::int32_t plane) const {
        const std::int64_t offset = std::int64_t(j) * rowStride() + std::int64_t(plane) * array_.dimension[2].step;
        return reinterpret_cast<char*>(array_.data) + offset * array_.elementSize;
    }
    // Elements from one row to the next: W + 1.
    std::int64_t rowStride() const { return array_.dimension[1].step; }

    // The array beneath, for what looks at its layout.
    const IntArray& array() const { return array_; }

private:
    template <class Cell>
    Cell* at(std::int32_t i, std::int32_t j, std::int32_t plane) const {
        return row<Cell>(j, plane) + i;
    }

    IntArray array_{};
    std::int32_t currentPlane_ = 1;
};

// Wraps a neighbour's index onto 1..period across the torus seam. Offsets stay within one period
// (Size <= 4 < 10 <= W, H), so one correction is always enough.
inline std::int32_t wrapOnTorus(std::int32_t index, std::int32_t period) {
    if (index < 1) return index + period;
    if (index > period) return index - period;
    return index;
}

// Sum of the cells in the square of radius `size` around (x, y) on the torus, centre excluded.
// This is the definition the fast generation step must reproduce bit for bit.
std::int32_t neighbourhoodSum(const World& world, std::int32_t x, std::int32_t y, std::int32_t size,
                              std::int32_t plane);
