#include "SegmentIndex.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace bgi = boost::geometry::index;

bool SegmentIndex::boundingBox(const Segment& segment, Box& box) {
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

void SegmentIndex::rebuild(const std::vector<Segment>& segments) {
    boxes.assign(segments.size(), Box());
    inTree.assign(segments.size(), false);
    unbounded.clear();
    std::vector<Entry> entries;
    entries.reserve(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (boundingBox(segments[i], boxes[i])) {
            inTree[i] = true;
            entries.emplace_back(boxes[i], i);
        } else {
            unbounded.push_back(i);
        }
    }
    // The range constructor packs the tree, which is faster to build and to query.
    tree = decltype(tree)(entries.begin(), entries.end());
}

void SegmentIndex::append(const Segment& segment) {
    boxes.emplace_back();
    inTree.push_back(false);
    insert(boxes.size() - 1, segment);
}

void SegmentIndex::update(std::size_t i, const Segment& segment) {
    if (inTree[i]) {
        tree.remove(Entry(boxes[i], i));
        inTree[i] = false;
    } else {
        unbounded.erase(std::find(unbounded.begin(), unbounded.end(), i));
    }
    insert(i, segment);
}

void SegmentIndex::insert(std::size_t i, const Segment& segment) {
    if (boundingBox(segment, boxes[i])) {
        tree.insert(Entry(boxes[i], i));
        inTree[i] = true;
    } else {
        unbounded.insert(std::upper_bound(unbounded.begin(), unbounded.end(), i), i);
    }
}

void SegmentIndex::query(double minX, double minY, double maxX, double maxY,
                         std::vector<std::size_t>& out) const {
    out.clear();
    const Box window(Point(minX, minY), Point(maxX, maxY));
    for (auto it = tree.qbegin(bgi::intersects(window)); it != tree.qend(); ++it) out.push_back(it->second);
    out.insert(out.end(), unbounded.begin(), unbounded.end());
    std::sort(out.begin(), out.end());
}
