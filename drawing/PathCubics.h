#pragma once

#include <svgpp/svgpp.hpp>

#include <array>
#include <cstddef>
#include <vector>

#include "ControlPoint.h"
#include "SampleBudget.h"
#include "Segment.h"

using Cubic = std::array<ControlPoint, 4>;

// What SVG++ hands on: absolute coordinates, no shorthands, quadratic curves as
// cubic ones; arcs as they are, so that they are split here into pieces of at
// most 90 degrees each.
struct PathPolicy {
    static const bool absolute_coordinates_only = true;
    static const bool no_ortho_line_to = true;
    static const bool no_quadratic_bezier_shorthand = true;
    static const bool no_cubic_bezier_shorthand = true;
    static const bool quadratic_bezier_as_cubic = true;
    static const bool arc_as_cubic_bezier = false;
};

// The context SVG++ parses path data into: collects the cubic segments of
// every subpath in order.
class PathCubics {
public:
    // At most maxCubics; `drawn` counts them all, so that a huge path costs no memory.
    static constexpr std::size_t maxCubics = sampleBudget / samplesAtResolution(0);
    std::vector<Cubic> cubics;
    std::size_t drawn = 0;

    void path_move_to(double x, double y, svgpp::tag::coordinate::absolute);
    void path_line_to(double x, double y, svgpp::tag::coordinate::absolute) { line({x, y}); }
    void path_cubic_bezier_to(double x1, double y1, double x2, double y2, double x, double y,
                              svgpp::tag::coordinate::absolute) {
        add({current, {x1, y1}, {x2, y2}, {x, y}});
    }
    void path_elliptical_arc_to(double rx, double ry, double rotation, bool largeArc, bool sweep, double x,
                                double y, svgpp::tag::coordinate::absolute);
    void path_close_subpath();
    void path_exit() {}

private:
    void add(const Cubic& cubic);
    void line(const ControlPoint& to);
    // SVG's elliptical arc from the current point to `to`, its out-of-range
    // radii enlarged as SVG prescribes, as the fewest cubics of at most 90
    // degrees of the ellipse's angle each.
    void arc(double rx, double ry, double rotation, bool largeArc, bool sweep, const ControlPoint& to);

    ControlPoint start;
    ControlPoint current;
};
