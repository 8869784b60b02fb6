#include "SegmentIndex.h"

#include <algorithm>
#include <cmath>
#include <iterator>

// Boost 1.74's R-tree includes a header of its own that Boost has since
// deprecated; that is not ours to change, so its notice is silenced.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

namespace bgi = boost::geometry::index;

namespace {

using Point = boost::geometry::model::point<double, 2, boost::geometry::cs::cartesian>;
using Box = boost::geometry::model::box<Point>;
using Entry = std::pair<Box, std::size_t>;

// The box of the four control points; false when a coordinate is not finite.
bool boundingBox(const Segment& segment, Box& box) {
    const ControlPoint& a = segment.getStartPoint();
    const ControlPoint& b = segment.getStartHandle();
    const ControlPoint& c = segment.getEndHandle();
    const ControlPoint& d = segment.getEndPoint();
    const double minX = std::min({a.x, b.x, c.x, d.x});
    const double maxX = std::max({a.x, b.x, c.x, d.x});
    const double minY = std::min({a.y, b.y, c.y, d.y});
    const double maxY = std::max({a.y, b.y, c.y, d.y});
    // std::min and std::max can hide a NaN, so every coordinate is checked.
    for (const ControlPoint* p : {&a, &b, &c, &d})
        if (!std::isfinite(p->x) || !std::isfinite(p->y)) return false;
    box = Box(Point(minX, minY), Point(maxX, maxY));
    return true;
}

}  // namespace

struct SegmentIndex::Tree {
    bgi::rtree<Entry, bgi::rstar<16>> rtree;
    // Each segment's box as entered in the tree, so that it can be removed again.
    std::vector<Box> boxes;
    std::vector<bool> inTree;
    std::vector<std::size_t> unbounded;

    void insert(std::size_t i, const Segment& segment) {
        if (boundingBox(segment, boxes[i])) {
            rtree.insert(Entry(boxes[i], i));
            inTree[i] = true;
        } else {
            unbounded.insert(std::upper_bound(unbounded.begin(), unbounded.end(), i), i);
        }
    }
};

SegmentIndex::SegmentIndex() : tree(std::make_unique<Tree>()) {}
SegmentIndex::~SegmentIndex() = default;
SegmentIndex::SegmentIndex(const SegmentIndex& other) : tree(std::make_unique<Tree>(*other.tree)) {}
SegmentIndex& SegmentIndex::operator=(const SegmentIndex& other) {
    if (this != &other) *tree = *other.tree;
    return *this;
}
// A moved-from index is left empty, not without a tree.
SegmentIndex::SegmentIndex(SegmentIndex&& other) noexcept : tree(std::move(other.tree)) {
    other.tree = std::make_unique<Tree>();
}
SegmentIndex& SegmentIndex::operator=(SegmentIndex&& other) noexcept {
    std::swap(tree, other.tree);
    return *this;
}

void SegmentIndex::rebuild(const std::vector<Segment>& segments) {
    std::vector<Box>& boxes = tree->boxes;
    boxes.assign(segments.size(), Box());
    tree->inTree.assign(segments.size(), false);
    tree->unbounded.clear();
    std::vector<Entry> entries;
    entries.reserve(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (boundingBox(segments[i], boxes[i])) {
            tree->inTree[i] = true;
            entries.emplace_back(boxes[i], i);
        } else {
            tree->unbounded.push_back(i);
        }
    }
    // The range constructor packs the tree, which is faster to build and to query.
    tree->rtree = decltype(tree->rtree)(entries.begin(), entries.end());
}

void SegmentIndex::append(const Segment& segment) {
    tree->boxes.emplace_back();
    tree->inTree.push_back(false);
    tree->insert(tree->boxes.size() - 1, segment);
}

void SegmentIndex::update(std::size_t i, const Segment& segment) {
    if (tree->inTree[i]) {
        tree->rtree.remove(Entry(tree->boxes[i], i));
        tree->inTree[i] = false;
    } else {
        std::vector<std::size_t>& unbounded = tree->unbounded;
        unbounded.erase(std::find(unbounded.begin(), unbounded.end(), i));
    }
    tree->insert(i, segment);
}

void SegmentIndex::query(double minX, double minY, double maxX, double maxY,
                         std::vector<std::size_t>& out) const {
    out.clear();
    const Box window(Point(minX, minY), Point(maxX, maxY));
    for (auto it = tree->rtree.qbegin(bgi::intersects(window)); it != tree->rtree.qend(); ++it)
        out.push_back(it->second);
    out.insert(out.end(), tree->unbounded.begin(), tree->unbounded.end());
    std::sort(out.begin(), out.end());
}

bool SegmentIndex::bounds(ControlPoint& min, ControlPoint& max) const {
    if (tree->rtree.empty()) return false;
    const Box box = tree->rtree.bounds();
    min = {box.min_corner().get<0>(), box.min_corner().get<1>()};
    max = {box.max_corner().get<0>(), box.max_corner().get<1>()};
    return true;
}
