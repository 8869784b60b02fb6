#include "DrawingFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "DrawingBytes.h"
#include "DrawingTree.h"
#include "GroundFile.h"
#include "JunctionShape.h"
#include "NumberFormat.h"
#include "PathCubics.h"
#include "SampleBudget.h"
#include "XmlCheck.h"

namespace {

constexpr double unitsPerMapUnit = 10.0;
constexpr int defaultResolution = 5;
// The longer side of the page, in pixels: renderers refuse or shrink far larger ones.
constexpr double maxPageSide = 4096;

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

DrawingText drawingRefusal(std::string reason) {
    DrawingText drawing;
    drawing.error = std::move(reason);
    return drawing;
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

// Inkscape's node types of the path data `d` written for `segments`, one
// letter per node of each subpath: "s" at a junction that is smooth, "c" at
// a corner and at a subpath's two ends. The subpaths are those `d` holds.
std::string nodeTypes(const std::vector<Segment>& segments, const std::string& d) {
    std::string commands;
    for (const char c : d)
        if (c == 'M' || c == 'C') commands += c;
    std::string types;
    std::size_t i = 0;
    for (std::size_t k = 0; k < commands.size(); ++k) {
        if (commands[k] == 'M') {
            types += 'c';
            continue;
        }
        const bool junction = k + 1 < commands.size() && commands[k + 1] == 'C' && i + 1 < segments.size();
        types += junction && junctionShape(segments[i].getEndHandle(), segments[i].getEndPoint(),
                                           segments[i + 1].getStartHandle())
                                 .smooth
                     ? 's'
                     : 'c';
        ++i;
    }
    return types;
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
    if (std::string problem = drawingTextOf(text); !problem.empty()) return refusal(problem);
    // Depth, size and well-formedness first: the XML reader recurses and allocates per element.
    if (std::string problem = checkXml(text); !problem.empty()) return refusal(problem);
    rapidxml_ns::xml_document<char> document;
    try {
        document.parse<rapidxml_ns::parse_validate_closing_tags>(text.data());
    } catch (const rapidxml_ns::parse_error& error) {
        return refusal("not well-formed XML at " +
                       xmlPosition(text, static_cast<std::size_t>(error.where<char>() - text.data())) + ": " +
                       error.what());
    }
    const XmlNode* root = document.first_node();
    while (root && root->type() != rapidxml_ns::node_element) root = root->next_sibling();
    if (!root || !isSvgElement(*root, "svg")) return refusal("not an SVG file (no <svg> element)");
    const PathChoice choice = choosePath(*root, pathId);
    if (!choice.path) return refusal(choice.error);
    const XmlNode& path = *choice.path;

    std::size_t size = 0;
    const char* data = attributeValue(path, "d", &size);
    const std::string d = data ? std::string(data, size) : std::string();
    PathCubics context;
    Affine transform;
    bool transformed = false;
    try {
        if (std::string problem = userToPage(path, transform, transformed); !problem.empty())
            return refusal(problem);
        svgpp::value_parser<svgpp::tag::type::path_data, svgpp::path_policy<PathPolicy>>::parse(
            svgpp::tag::attribute::d(), context,
            boost::iterator_range<const char*>(d.data(), d.data() + d.size()),
            svgpp::tag::source::attribute());
    } catch (const svgpp::invalid_value_error<char>& error) {
        return refusal("the path cannot be read: invalid " + printableForMessage(error.name()) + ' ' +
                       quotedForMessage(error.value()));
    } catch (const svgpp::exception_base&) {
        return refusal("the path cannot be read");
    }
    if (context.cubics.empty()) return refusal("the path has no drawing command");
    if (context.drawn > context.cubics.size())
        return refusal(std::to_string(context.drawn) + " segments, more than the editor holds (" +
                       std::to_string(PathCubics::maxCubics) + ")");

    DrawingRead read;
    if (!choice.warning.empty()) read.warnings.push_back(choice.warning);
    const std::vector<int> resolutions = writtenResolutions(path, d, context.cubics.size(), read.warnings);
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
    // Every subpath is kept: where one does not start where the one before
    // ends (compared as numbers, so -0 meets 0), the chain has a gap.
    std::size_t gaps = 0;
    for (std::size_t i = 1; i < read.records.size(); ++i)
        gaps += read.records[i].points[0] != read.records[i - 1].points[3];
    if (gaps > 0)
        read.warnings.push_back("the chain has " + std::to_string(gaps) + (gaps == 1 ? " gap" : " gaps") +
                                ", where a subpath of the path does not start where the one before ends");
    return read;
}

DrawingText formatDrawing(const std::vector<Segment>& segments) {
    // Every number is written finite, or the drawing is not written.
    for (std::size_t i = 0; i < segments.size(); ++i)
        for (const ControlPoint& p : segments[i].controlPoints())
            if (!std::isfinite(p.x * unitsPerMapUnit) || !std::isfinite(p.y * unitsPerMapUnit))
                return drawingRefusal("segment " + std::to_string(i + 1) +
                                      " has a coordinate too large to be drawn");

    // The chain: "M", one "C" per segment, and a new "M" at a gap: where the
    // points as printed differ as numbers (-0 meets 0; points that print
    // alike would read back joined anyway).
    const auto printed = [](const ControlPoint& p) {
        return ControlPoint{printedValue(p.x * unitsPerMapUnit), printedValue(p.y * unitsPerMapUnit)};
    };
    std::string d;
    std::string resolutions;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        if (i == 0 || printed(s.getStartPoint()) != printed(segments[i - 1].getEndPoint())) {
            d += i == 0 ? "M " : " M ";
            appendPoint(d, s.getStartPoint());
        }
        d += " C ";
        appendPoint(d, s.getStartHandle());
        d += ' ';
        appendPoint(d, s.getEndHandle());
        d += ' ';
        appendPoint(d, s.getEndPoint());
        if (!resolutions.empty()) resolutions += ' ';
        resolutions += std::to_string(s.getResolution());
    }

    // The outline exactly as the ground points file gives it, back in the map's frame (y down).
    std::string outline;
    bool outlineFinite = true;
    forEachOutlinePoint(segments, [&](OutlineLine line, std::size_t, double x, double y) {
        outline += line == OutlineLine::leftFoot ? "M " : " L ";
        outlineFinite =
            outlineFinite && std::isfinite(x * unitsPerMapUnit) && std::isfinite(y * unitsPerMapUnit);
        appendPoint(outline, {x, -y});
    });
    outline += " Z";
    if (!outlineFinite) return drawingRefusal("the ground's outline has a point too large to be drawn");

    // The view box: every control point, with a margin of a fiftieth of its
    // larger side (at least two map units).
    double left = std::numeric_limits<double>::infinity(), top = left, right = -left, bottom = -left;
    for (const Segment& s : segments)
        for (const ControlPoint& p : s.controlPoints()) {
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
    const double margin = std::max(2.0, 0.02 * std::max(right - left, bottom - top));
    // Whole user units, so that the drawing's pixels fall on the editor's.
    const double box[] = {std::floor((left - margin) * unitsPerMapUnit),
                          std::floor((top - margin) * unitsPerMapUnit),
                          std::ceil((right - left + 2 * margin) * unitsPerMapUnit),
                          std::ceil((bottom - top + 2 * margin) * unitsPerMapUnit)};
    if (!std::all_of(std::begin(box), std::end(box), [](double v) { return std::isfinite(v); }))
        return drawingRefusal("the map is too large to be drawn (its page is not finite)");
    // The page at the editor's scale, shrunk to fit renderers when it is larger.
    const double shrink = std::min(1.0, maxPageSide / std::max(box[2], box[3]));
    auto whole = [](double value) {
        char text[400];
        std::snprintf(text, sizeof text, "%.0f", value);
        return std::string(text);
    };
    const std::string width = whole(std::max(1.0, std::round(box[2] * shrink)));
    const std::string height = whole(std::max(1.0, std::round(box[3] * shrink)));

    // Strokes as wide on the page however far it was shrunk: 2 pixels for
    // the ground, half a pixel for the outline.
    const auto stroke = [shrink](double pixels) { return formatNumber(pixels / shrink); };
    // The outline beneath the ground and locked, so that a click in an
    // editor takes the ground.
    DrawingText drawing;
    drawing.text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\" version=\"1.1\" width=\"" +
        width + "\" height=\"" + height + "\" viewBox=\"" + whole(box[0]) + ' ' + whole(box[1]) + ' ' +
        whole(box[2]) + ' ' + whole(box[3]) +
        "\">\n"
        "<title>Ground profile</title>\n"
        "<path id=\"outline\" fill=\"none\" stroke=\"#d9480f\" stroke-width=\"" +
        stroke(0.5) + "\" sodipodi:insensitive=\"true\"\n d=\"" + outline +
        "\"/>\n"
        "<path id=\"ground\" fill=\"none\" stroke=\"#1a3f8f\" stroke-width=\"" +
        stroke(2) + "\" data-resolution=\"" + resolutions + "\" data-path-digest=\"" + pathDataDigest(d) +
        "\"\n sodipodi:nodetypes=\"" + nodeTypes(segments, d) + "\"\n d=\"" + d + "\"/>\n</svg>\n";
    return drawing;
}
