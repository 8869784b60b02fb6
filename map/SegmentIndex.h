#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "Segment.h"

// The segments of a chain by the bounding boxes of their control points, in
// map units, so that a frame finds the few segments near the window without
// visiting the whole chain. An R-tree rather than a grid: a course may be
// zoomed out until the window spans thousands of map units or in until it
// spans a fraction of one, and the tree answers both without tuning a cell
// size. Segments whose box is not finite are kept aside and always returned.
class SegmentIndex {
public:
    SegmentIndex();
    ~SegmentIndex();
    SegmentIndex(const SegmentIndex& other);
    SegmentIndex& operator=(const SegmentIndex& other);
    SegmentIndex(SegmentIndex&&) noexcept;
    SegmentIndex& operator=(SegmentIndex&&) noexcept;

    // Forgets everything and indexes `segments` (bulk-loaded).
    void rebuild(const std::vector<Segment>& segments);
    // Indexes the segment just appended at the end of the chain.
    void append(const Segment& segment);
    // Segment `i` has moved: its entry is replaced, nothing else is touched.
    void update(std::size_t i, const Segment& segment);
    // The segments at `changed` (any order, repeats allowed) have moved: more
    // than a sixteenth of the chain has the whole tree built again, which
    // costs less than as many removals.
    void update(const std::vector<std::size_t>& changed, const std::vector<Segment>& segments);

    // A group of segments starts moving: those in `translated` (ascending)
    // all move by one offset and keep their shape, so the tree keeps their
    // boxes from now and a query shifts the rectangle for them; those in
    // `reshaped` (ascending) are kept aside and always returned. Nothing in
    // the tree is removed, so the start and each motion cost no more than
    // the group's length, whatever the chain's.
    void holdMoving(const std::vector<std::size_t>& translated, const std::vector<std::size_t>& reshaped);
    // The translated segments are now `offset` away from where they were held.
    void movedBy(const ControlPoint& offset);
    bool holding() const;
    // The move ended: every held segment's entry follows `segments` as they
    // are now (update).
    void settle(const std::vector<Segment>& segments);

    // The chain positions, ascending, of every segment whose box meets the
    // rectangle (map units, edges included), and of every segment kept aside.
    void query(double minX, double minY, double maxX, double maxY, std::vector<std::size_t>& out) const;

    // The box of every segment in the tree (those kept aside not counted),
    // read from the tree's root: false when the tree is empty. Not while
    // holding a moving group: settle first.
    bool bounds(ControlPoint& min, ControlPoint& max) const;

private:
    // The tree and the boxes live in the source file, which alone includes
    // the geometry library.
    struct Tree;
    std::unique_ptr<Tree> tree;
};
