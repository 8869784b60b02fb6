#pragma once

#include <cstddef>
#include <vector>

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/point.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "Segment.h"

// The segments of a chain by the bounding boxes of their control points, in
// map units, so that a frame finds the few segments near the window without
// visiting the whole chain. An R-tree rather than a grid: a course may be
// zoomed out until the window spans thousands of map units or in until it
// spans a fraction of one, and the tree answers both without tuning a cell
// size. Segments whose box is not finite are kept aside and always returned.
class SegmentIndex {
public:
    // Forgets everything and indexes `segments` (bulk-loaded).
    void rebuild(const std::vector<Segment>& segments);
    // Indexes the segment just appended at the end of the chain.
    void append(const Segment& segment);
    // Segment `i` has moved: its entry is replaced, nothing else is touched.
    void update(std::size_t i, const Segment& segment);

    // The chain positions, ascending, of every segment whose box meets the
    // rectangle (map units, edges included), and of every segment kept aside.
    void query(double minX, double minY, double maxX, double maxY, std::vector<std::size_t>& out) const;

    std::size_t size() const { return boxes.size(); }

private:
    using Point = boost::geometry::model::point<double, 2, boost::geometry::cs::cartesian>;
    using Box = boost::geometry::model::box<Point>;
    using Entry = std::pair<Box, std::size_t>;

    // The box of the four control points; false when a coordinate is not finite.
    static bool boundingBox(const Segment& segment, Box& box);
    void insert(std::size_t i, const Segment& segment);

    boost::geometry::index::rtree<Entry, boost::geometry::index::rstar<16>> tree;
    // Each segment's box as entered in the tree, so that it can be removed again.
    std::vector<Box> boxes;
    std::vector<bool> inTree;
    std::vector<std::size_t> unbounded;
};
