#include "DrawingFile.h"

#include <rapidxml_ns/rapidxml_ns.hpp>
#include <svgpp/svgpp.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "GroundFile.h"
#include "NumberFormat.h"
#include "SampleBudget.h"

namespace {

constexpr double unitsPerMapUnit = 10.0;
constexpr int defaultResolution = 5;
constexpr double pi = 3.14159265358979323846;

using XmlNode = rapidxml_ns::xml_node<char>;

std::string_view localName(const XmlNode& node) { return {node.local_name(), node.local_name_size()}; }

// Elements of SVG's namespace, or of none (a drawing written by hand).
bool isSvgElement(const XmlNode& node, std::string_view name) {
    const std::string_view uri(node.namespace_uri(), node.namespace_uri_size());
    return node.type() == rapidxml_ns::node_element && localName(node) == name &&
           (uri.empty() || uri == "http://www.w3.org/2000/svg");
}

const char* attributeValue(const XmlNode& node, const char* name, std::size_t* size = nullptr) {
    const rapidxml_ns::xml_attribute<char>* attribute = node.first_attribute(name);
    if (!attribute) return nullptr;
    if (size) *size = attribute->value_size();
    return attribute->value();
}

// Containers whose content is drawn only where something refers to it.
bool isNeverDrawn(const XmlNode& node) {
    static constexpr const char* names[] = {"defs", "symbol", "clipPath", "mask", "pattern", "marker"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return isSvgElement(node, n); });
}

// Depth first, in document order: the first <path> (with the id when one is given).
const XmlNode* findPath(const XmlNode& parent, const std::string& id) {
    for (const XmlNode* child = parent.first_node(); child; child = child->next_sibling()) {
        if (child->type() != rapidxml_ns::node_element) continue;
        if (isSvgElement(*child, "path")) {
            if (id.empty()) return child;
            std::size_t size = 0;
            const char* value = attributeValue(*child, "id", &size);
            if (value && std::string_view(value, size) == id) return child;
        }
        if (id.empty() && isNeverDrawn(*child)) continue;
        if (const XmlNode* found = findPath(*child, id)) return found;
    }
    return nullptr;
}

// An affine map: x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    Affine then(const Affine& inner) const {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b,     a * inner.c + c * inner.d,
                b * inner.c + d * inner.d, a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
    }
    ControlPoint apply(const ControlPoint& p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
};

// Receives the matrix of a transform list from SVG++.
struct TransformContext {
    Affine matrix;
    void transform_matrix(const boost::array<double, 6>& m) { matrix = {m[0], m[1], m[2], m[3], m[4], m[5]}; }
};

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

using Cubic = std::array<ControlPoint, 4>;

// Collects the cubic segments of the first subpath that draws, and counts
// the other subpaths that draw; or, with `everySubpath`, collects them all.
class PathContext {
public:
    explicit PathContext(bool everySubpath) : everySubpath(everySubpath) {}

    // At most maxCubics; `drawn` counts them all, so that a huge path costs no memory.
    static constexpr std::size_t maxCubics = sampleBudget / samplesAtResolution(0);
    std::vector<Cubic> cubics;
    std::size_t drawn = 0;
    int subpathsLeft = 0;

    void path_move_to(double x, double y, svgpp::tag::coordinate::absolute) {
        current = start = {x, y};
        if (phase == Phase::drawing && !everySubpath) phase = Phase::done;
        newSubpath = true;
    }
    void path_line_to(double x, double y, svgpp::tag::coordinate::absolute) { line({x, y}); }
    void path_cubic_bezier_to(double x1, double y1, double x2, double y2, double x, double y,
                              svgpp::tag::coordinate::absolute) {
        add({current, {x1, y1}, {x2, y2}, {x, y}});
    }
    void path_elliptical_arc_to(double rx, double ry, double rotation, bool largeArc, bool sweep, double x,
                                double y, svgpp::tag::coordinate::absolute) {
        arc(std::fabs(rx), std::fabs(ry), rotation * pi / 180, largeArc, sweep, {x, y});
    }
    void path_close_subpath() {
        // The closing line; none when the subpath already ends at its start.
        if (current != start) line(start);
        if (phase == Phase::drawing && !everySubpath) phase = Phase::done;
        current = start;
        newSubpath = true;
    }
    void path_exit() {}

private:
    enum class Phase { before, drawing, done };

    void add(const Cubic& cubic) {
        if (newSubpath) {
            newSubpath = false;
            if (phase == Phase::before || everySubpath)
                phase = Phase::drawing;
            else
                ++subpathsLeft;
        }
        if (phase == Phase::drawing && ++drawn <= maxCubics) cubics.push_back(cubic);
        current = cubic[3];
    }

    void line(const ControlPoint& to) {
        const ControlPoint from = current;
        add({from,
             {from.x + (to.x - from.x) / 3, from.y + (to.y - from.y) / 3},
             {from.x + 2 * (to.x - from.x) / 3, from.y + 2 * (to.y - from.y) / 3},
             to});
    }

    // SVG's elliptical arc from the current point to `to`, its out-of-range
    // radii enlarged as SVG prescribes, as the fewest cubics of at most 90
    // degrees of the ellipse's angle each.
    void arc(double rx, double ry, double rotation, bool largeArc, bool sweep, const ControlPoint& to) {
        if (to == current) return;  // SVG draws nothing
        if (rx == 0 || ry == 0 || !std::isfinite(rx * ry * rotation)) return line(to);
        double cx = 0, cy = 0, theta1 = 0, theta2 = 0;
        svgpp::arc_endpoint_to_center(current.x, current.y, to.x, to.y, rx, ry, rotation, largeArc, sweep, cx,
                                      cy, theta1, theta2);
        if (sweep && theta2 < theta1) theta2 += 2 * pi;
        if (!sweep && theta2 > theta1) theta2 -= 2 * pi;
        const double sweepAngle = theta2 - theta1;
        if (!std::isfinite(sweepAngle)) return line(to);
        // A tolerance so that half a turn makes two pieces, not three.
        const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweepAngle) / (pi / 2) - 1e-9)));
        const double step = sweepAngle / pieces;
        const double k = 4.0 / 3.0 * std::tan(step / 4);
        const double cosR = std::cos(rotation), sinR = std::sin(rotation);
        auto onEllipse = [&](double x, double y) {
            return ControlPoint{cx + rx * cosR * x - ry * sinR * y, cy + rx * sinR * x + ry * cosR * y};
        };
        for (int i = 0; i < pieces; ++i) {
            const double t0 = theta1 + step * i, t1 = theta1 + step * (i + 1);
            // Rounding noise dropped, so that the quarters of an upright ellipse have upright handles.
            auto clean = [](double v) { return std::fabs(v) < 1e-12 ? 0.0 : v; };
            const double c0 = clean(std::cos(t0)), s0 = clean(std::sin(t0));
            const double c1 = clean(std::cos(t1)), s1 = clean(std::sin(t1));
            // The ends are exact: the current point, and the arc's end point.
            const ControlPoint end = i + 1 == pieces ? to : onEllipse(c1, s1);
            add({current, onEllipse(c0 - k * s0, s0 + k * c0), onEllipse(c1 + k * s1, s1 - k * c1), end});
        }
    }

    const bool everySubpath;
    Phase phase = Phase::before;
    bool newSubpath = true;
    ControlPoint start;
    ControlPoint current;
};

// The transform of `node` and every element around it, outermost first.
Affine transformOf(const XmlNode& node, bool& any) {
    Affine total;
    if (const XmlNode* parent = node.parent(); parent && parent->type() == rapidxml_ns::node_element)
        total = transformOf(*parent, any);
    std::size_t size = 0;
    if (const char* value = attributeValue(node, "transform", &size)) {
        TransformContext context;
        svgpp::value_parser<svgpp::tag::type::transform_list>::parse(
            svgpp::tag::attribute::transform(), context,
            boost::iterator_range<const char*>(value, value + size), svgpp::tag::source::attribute());
        total = total.then(context.matrix);
        any = true;
    }
    return total;
}

// Whether `path` is still what formatDrawing wrote: its data has the digest written with it.
bool writtenHere(const XmlNode& path, const std::string& d) {
    const char* digest = attributeValue(path, "data-path-digest");
    return digest && pathDataDigest(d) == digest;
}

// The resolutions of data-resolution, when the path data is still the one
// they were written for and they fit it; empty otherwise (with the reason as a
// warning when they were there).
std::vector<int> writtenResolutions(const XmlNode& path, const std::string& d, std::size_t segments,
                                    std::vector<std::string>& warnings) {
    const char* list = attributeValue(path, "data-resolution");
    if (!list) return {};
    if (!writtenHere(path, d)) {
        warnings.push_back("the path was changed since it was written; every segment gets resolution 5");
        return {};
    }
    std::vector<int> resolutions;
    const char* p = list;
    const char* end = list + std::strlen(list);
    for (;;) {
        while (p < end && std::strchr(" \t\r\n,", *p)) ++p;
        if (p == end) break;
        int value = -1;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || value < 0 || value > maxFileResolution) {
            resolutions.clear();
            break;
        }
        resolutions.push_back(value);
        p = next;
    }
    if (resolutions.size() != segments) {
        warnings.push_back("its data-resolution does not fit the path; every segment gets resolution 5");
        return {};
    }
    return resolutions;
}

DrawingRead refusal(std::string reason) {
    DrawingRead read;
    read.error = std::move(reason);
    return read;
}

void appendPoint(std::string& text, const ControlPoint& p) {
    appendNumber(text, p.x * unitsPerMapUnit);
    text += ' ';
    appendNumber(text, p.y * unitsPerMapUnit);
}

}  // namespace

std::string pathDataDigest(const std::string& d) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : d) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

DrawingRead readDrawing(std::string text, const std::string& pathId) {
    rapidxml_ns::xml_document<char> document;
    try {
        document.parse<rapidxml_ns::parse_default>(text.data());
    } catch (const rapidxml_ns::parse_error& error) {
        return refusal(std::string("not an SVG file (not XML: ") + error.what() + ")");
    }
    const XmlNode* root = document.first_node();
    while (root && root->type() != rapidxml_ns::node_element) root = root->next_sibling();
    if (!root || !isSvgElement(*root, "svg")) return refusal("not an SVG file (no <svg> element)");
    const XmlNode* path = root ? findPath(*root, pathId) : nullptr;
    if (!path)
        return refusal(pathId.empty() ? "no <path> element" : "no <path> with the id \"" + pathId + "\"");

    std::size_t size = 0;
    const char* data = attributeValue(*path, "d", &size);
    const std::string d = data ? std::string(data, size) : std::string();
    // A chain with gaps was written as several subpaths: an unchanged
    // drawing of this program's own gives them all back.
    PathContext context(writtenHere(*path, d));
    Affine transform;
    bool transformed = false;
    try {
        transform = transformOf(*path, transformed);
        svgpp::value_parser<svgpp::tag::type::path_data, svgpp::path_policy<PathPolicy>>::parse(
            svgpp::tag::attribute::d(), context,
            boost::iterator_range<const char*>(d.data(), d.data() + d.size()),
            svgpp::tag::source::attribute());
    } catch (const svgpp::exception_base& error) {
        return refusal(std::string("the path cannot be read: ") + error.what());
    }
    if (context.cubics.empty()) return refusal("the path has no drawing command");
    if (context.drawn > context.cubics.size())
        return refusal(std::to_string(context.drawn) + " segments, more than the editor holds (" +
                       std::to_string(PathContext::maxCubics) + ")");

    DrawingRead read;
    if (context.subpathsLeft > 0)
        read.warnings.push_back("the path has " + std::to_string(context.subpathsLeft + 1) +
                                " subpaths; the first was taken, " + std::to_string(context.subpathsLeft) +
                                (context.subpathsLeft == 1 ? " was" : " were") + " left out");
    const std::vector<int> resolutions = writtenResolutions(*path, d, context.cubics.size(), read.warnings);
    long long samples = 0;
    read.records.reserve(context.cubics.size());
    for (std::size_t i = 0; i < context.cubics.size(); ++i) {
        MapRecord record;
        for (int k = 0; k < 4; ++k) {
            // Without a transform the coordinates stay as written, negative zero included.
            const ControlPoint p = transformed ? transform.apply(context.cubics[i][k]) : context.cubics[i][k];
            record.points[k] = {p.x / unitsPerMapUnit, p.y / unitsPerMapUnit};
            if (!std::isfinite(record.points[k].x) || !std::isfinite(record.points[k].y))
                return refusal("segment " + std::to_string(i + 1) + " has a coordinate out of range");
        }
        record.resolution = resolutions.empty() ? defaultResolution : resolutions[i];
        samples += samplesAtResolution(record.resolution);
        read.records.push_back(record);
    }
    if (samples > sampleBudget)
        return refusal(std::to_string(samples) + " points, more than the editor holds (" +
                       std::to_string(sampleBudget) + ")");
    return read;
}

std::string formatDrawing(const std::vector<Segment>& segments) {
    // The chain: "M", one "C" per segment, and a new "M" at a gap (as printed).
    std::string d;
    std::string resolutions;
    std::string lastEnd;
    for (const Segment& s : segments) {
        std::string start;
        appendPoint(start, s.getStartPoint());
        if (start != lastEnd) d += (d.empty() ? "M " : " M ") + start;
        d += " C ";
        appendPoint(d, s.getStartHandle());
        d += ' ';
        appendPoint(d, s.getEndHandle());
        d += ' ';
        lastEnd.clear();
        appendPoint(lastEnd, s.getEndPoint());
        d += lastEnd;
        if (!resolutions.empty()) resolutions += ' ';
        resolutions += std::to_string(s.getResolution());
    }

    // The outline exactly as the ground points file gives it, back in the map's frame (y down).
    std::string outline;
    forEachOutlinePoint(segments, [&](OutlineLine line, std::size_t, double x, double y) {
        outline += line == OutlineLine::leftFoot ? "M " : " L ";
        appendPoint(outline, {x, -y});
    });
    outline += " Z";

    // The view box: every control point, with a margin of a tenth of its
    // larger side (at least two map units).
    double left = std::numeric_limits<double>::infinity(), top = left, right = -left, bottom = -left;
    for (const Segment& s : segments)
        for (const ControlPoint& p : s.controlPoints()) {
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
    const double margin = std::max(2.0, 0.1 * std::max(right - left, bottom - top));
    // Whole user units, so that the drawing's pixels fall on the editor's.
    auto whole = [](double value) {
        char text[400];
        std::snprintf(text, sizeof text, "%.0f", value);
        return std::string(text);
    };
    const std::string box = whole(std::floor((left - margin) * unitsPerMapUnit)) + ' ' +
                            whole(std::floor((top - margin) * unitsPerMapUnit));
    const std::string width = whole(std::ceil((right - left + 2 * margin) * unitsPerMapUnit));
    const std::string height = whole(std::ceil((bottom - top + 2 * margin) * unitsPerMapUnit));

    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           width + "\" height=\"" + height + "\" viewBox=\"" + box + ' ' + width + ' ' + height +
           "\">\n"
           "<title>Ground profile</title>\n"
           "<path id=\"ground\" fill=\"none\" stroke=\"#1a3f8f\" stroke-width=\"2\" data-resolution=\"" +
           resolutions + "\" data-path-digest=\"" + pathDataDigest(d) + "\"\n d=\"" + d +
           "\"/>\n"
           "<path id=\"outline\" fill=\"none\" stroke=\"#d9480f\" stroke-width=\"0.5\"\n d=\"" +
           outline + "\"/>\n</svg>\n";
}
