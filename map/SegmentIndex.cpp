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
    // While a group moves (holdMoving to settle): each segment's part in it,
    // the offset of the translated ones, and the reshaped ones in the tree.
    enum : unsigned char { still, translated, reshaped };
    std::vector<unsigned char> moving;
    bool holding = false;
    ControlPoint offset;
    std::vector<std::size_t> aside;
    std::vector<std::size_t> held;

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
    tree->holding = false;
    tree->moving.clear();
    tree->aside.clear();
    tree->held.clear();
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
    if (!tree->moving.empty()) tree->moving.push_back(Tree::still);
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

void SegmentIndex::holdMoving(const std::vector<std::size_t>& translated,
                              const std::vector<std::size_t>& reshaped) {
    Tree& t = *tree;
    if (t.holding) return;
    t.holding = true;
    t.offset = {0.0, 0.0};
    if (t.moving.size() != t.boxes.size()) t.moving.assign(t.boxes.size(), Tree::still);
    t.aside.clear();
    t.held.clear();
    // Segments outside the tree are returned always already.
    for (std::size_t i : translated) {
        t.held.push_back(i);
        if (t.inTree[i]) t.moving[i] = Tree::translated;
    }
    for (std::size_t i : reshaped) {
        t.held.push_back(i);
        if (!t.inTree[i]) continue;
        t.moving[i] = Tree::reshaped;
        t.aside.push_back(i);
    }
}

void SegmentIndex::movedBy(const ControlPoint& offset) { tree->offset = offset; }

bool SegmentIndex::holding() const { return tree->holding; }

void SegmentIndex::settle(const std::vector<Segment>& segments) {
    Tree& t = *tree;
    if (!t.holding) return;
    t.holding = false;
    for (std::size_t i : t.held) t.moving[i] = Tree::still;
    const std::vector<std::size_t> held = std::move(t.held);
    t.held.clear();
    t.aside.clear();
    update(held, segments);
}

void SegmentIndex::update(const std::vector<std::size_t>& changed, const std::vector<Segment>& segments) {
    if (changed.size() > segments.size() / 16) {
        rebuild(segments);
        return;
    }
    for (std::size_t i : changed) update(i, segments[i]);
}

void SegmentIndex::query(double minX, double minY, double maxX, double maxY,
                         std::vector<std::size_t>& out) const {
    out.clear();
    const Tree& t = *tree;
    const Box window(Point(minX, minY), Point(maxX, maxY));
    if (!t.holding) {
        for (auto it = t.rtree.qbegin(bgi::intersects(window)); it != t.rtree.qend(); ++it)
            out.push_back(it->second);
    } else {
        for (auto it = t.rtree.qbegin(bgi::intersects(window)); it != t.rtree.qend(); ++it)
            if (t.moving[it->second] == Tree::still) out.push_back(it->second);
        // The translated segments are where they were held plus the offset:
        // the rectangle goes back by it instead, widened by the rounding of
        // adding the offset to each point.
        const double slack = 1e-9 * std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minY),
                                              std::fabs(maxY), std::fabs(t.offset.x), std::fabs(t.offset.y)});
        const Box back(Point(minX - t.offset.x - slack, minY - t.offset.y - slack),
                       Point(maxX - t.offset.x + slack, maxY - t.offset.y + slack));
        for (auto it = t.rtree.qbegin(bgi::intersects(back)); it != t.rtree.qend(); ++it)
            if (t.moving[it->second] == Tree::translated) out.push_back(it->second);
        out.insert(out.end(), t.aside.begin(), t.aside.end());
    }
    out.insert(out.end(), t.unbounded.begin(), t.unbounded.end());
    std::sort(out.begin(), out.end());
}

bool SegmentIndex::bounds(ControlPoint& min, ControlPoint& max) const {
    if (tree->rtree.empty()) return false;
    const Box box = tree->rtree.bounds();
    min = {box.min_corner().get<0>(), box.min_corner().get<1>()};
    max = {box.max_corner().get<0>(), box.max_corner().get<1>()};
    return true;
}
