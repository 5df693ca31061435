#pragma once
#include <cstdint>

#include "text/int_array.h"

// Every cell value of the automaton in two alternating generations: indices 0..W, 0..H, 0..2,
// first index fastest. Cells live at 1..W x 1..H of planes 1 and 2; index 0 and plane 0 are
// allocated but never used. Plane 1 is current until the first flip.
class World {
public:
    World() = default;
    ~World() { release(); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Creates the World zero-filled. A World that already exists keeps its bounds and contents,
    // so the new-rule path can pass through here again. Failures are recorded by raiseError and
    // leave the World not created.
    void create(std::int32_t width, std::int32_t height);
    void release() { releaseArray(array_); }
    bool exists() const { return array_.flags & IntArray::created; }

    std::int32_t width() const { return array_.dimension[0].upper; }
    std::int32_t height() const { return array_.dimension[1].upper; }

    std::int32_t currentPlane() const { return currentPlane_; }
    std::int32_t nextPlane() const { return currentPlane_ == 1 ? 2 : 1; }
    void flip() { currentPlane_ = nextPlane(); }
    void makeCurrent(std::int32_t plane) { currentPlane_ = plane; }

    // The cell (i, j) of a plane. The indices are not checked: callers stay inside the bounds.
    std::int32_t& cell(std::int32_t i, std::int32_t j, std::int32_t plane) const {
        const std::int64_t offset =
            std::int64_t(i) + std::int64_t(j) * rowStride() + std::int64_t(plane) * array_.dimension[2].step;
        return array_.data[offset];
    }
    // Row j of a plane, indexed by i: row(j, plane)[i] is cell (i, j).
    std::int32_t* row(std::int32_t j, std::int32_t plane) const { return &cell(0, j, plane); }
    // Elements from one row to the next: W + 1.
    std::int64_t rowStride() const { return array_.dimension[1].step; }

    // The array beneath, for what looks at its layout.
    const IntArray& array() const { return array_; }

private:
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
