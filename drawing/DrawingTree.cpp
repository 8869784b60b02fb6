#include "DrawingTree.h"

#include <svgpp/svgpp.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

#include "XmlCheck.h"

namespace {

std::string_view localName(const XmlNode& node) { return {node.local_name(), node.local_name_size()}; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::strchr(" \t\r\n", s.front())) s.remove_prefix(1);
    while (!s.empty() && std::strchr(" \t\r\n", s.back())) s.remove_suffix(1);
    return s;
}

std::string_view attribute(const XmlNode& node, const char* name) {
    std::size_t size = 0;
    const char* value = attributeValue(node, name, &size);
    return value ? std::string_view(value, size) : std::string_view();
}

// A presentation property: the declaration in the style attribute, else the attribute.
std::string_view property(const XmlNode& node, std::string_view name) {
    std::string_view style = attribute(node, "style");
    while (!style.empty()) {
        const std::size_t end = std::min(style.find(';'), style.size());
        const std::string_view declaration = style.substr(0, end);
        style.remove_prefix(std::min(end + 1, style.size()));
        const std::size_t colon = declaration.find(':');
        if (colon != std::string_view::npos && trimmed(declaration.substr(0, colon)) == name) {
            std::string_view value = trimmed(declaration.substr(colon + 1));
            if (const std::size_t bang = value.find('!'); bang != std::string_view::npos)
                value = trimmed(value.substr(0, bang));
            return value;
        }
    }
    return trimmed(attribute(node, std::string(name).c_str()));
}

// display:none on the node or around it, or visibility hidden or collapse
// where the nearest element that sets it says so.
bool isHidden(const XmlNode& node) {
    std::string_view visibility;
    for (const XmlNode* n = &node; n && n->type() == rapidxml_ns::node_element; n = n->parent()) {
        if (property(*n, "display") == "none") return true;
        if (visibility.empty()) visibility = property(*n, "visibility");
    }
    return visibility == "hidden" || visibility == "collapse";
}

// Containers whose content is drawn only where something refers to it.
bool isNeverDrawn(const XmlNode& node) {
    static constexpr const char* names[] = {"defs", "symbol", "clipPath", "mask", "pattern", "marker"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return isSvgElement(node, n); });
}

bool isShape(const XmlNode& node) {
    static constexpr const char* names[] = {"rect", "circle", "ellipse", "line", "polyline", "polygon"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return isSvgElement(node, n); });
}

PathChoice taken(const XmlNode* path) {
    PathChoice choice;
    choice.path = path;
    return choice;
}

PathChoice refused(std::string why) {
    PathChoice choice;
    choice.error = std::move(why);
    return choice;
}

const char* convertAdvice = "convert it to a path first (in Inkscape: Path, Object to Path)";

// The paths under `parent` in document order, outside the containers that are never drawn.
// Whether an element is shown, from what it says and what the element around it inherits.
struct Shown {
    bool displayNoneAround = false;
    bool visibilityHidden = false;

    Shown of(const XmlNode& child) const {
        const std::string_view visibility = property(child, "visibility");
        return {displayNoneAround || property(child, "display") == "none",
                visibility.empty() ? visibilityHidden : visibility == "hidden" || visibility == "collapse"};
    }
    bool hidden() const { return displayNoneAround || visibilityHidden; }
};

// The paths under `parent` in document order, outside the containers that
// are never drawn, the visible ones apart; once over the tree, so that each
// element's visibility is worked out once.
void collectPaths(const XmlNode& parent, Shown around, std::vector<const XmlNode*>& visible,
                  std::size_t& hidden, const XmlNode*& shape) {
    for (const XmlNode* child = parent.first_node(); child; child = child->next_sibling()) {
        if (child->type() != rapidxml_ns::node_element || isNeverDrawn(*child)) continue;
        const Shown shown = around.of(*child);
        if (isSvgElement(*child, "path")) {
            if (shown.hidden())
                ++hidden;
            else
                visible.push_back(child);
        } else if (!shape && isShape(*child) && !shown.hidden()) {
            shape = child;
        }
        collectPaths(*child, shown, visible, hidden, shape);
    }
}

const XmlNode* findId(const XmlNode& parent, std::string_view id) {
    for (const XmlNode* child = parent.first_node(); child; child = child->next_sibling()) {
        if (child->type() != rapidxml_ns::node_element) continue;
        if (attribute(*child, "id") == id && attributeValue(*child, "id")) return child;
        if (const XmlNode* found = findId(*child, id)) return found;
    }
    return nullptr;
}

std::string named(const XmlNode& path) {
    const char* id = attributeValue(path, "id");
    return id ? quotedForMessage(id) : std::string("without an id");
}

// The first visible path under `parent`, or the editor's "ground" when `ownGround`.
PathChoice firstVisiblePath(const XmlNode& parent, Shown shown, bool ownGround, const std::string& where) {
    std::vector<const XmlNode*> visible;
    std::size_t hidden = 0;
    const XmlNode* shape = nullptr;
    collectPaths(parent, shown, visible, hidden, shape);
    PathChoice choice;
    if (visible.empty()) {
        choice.error =
            where + (hidden == 0 ? std::string("no <path> element")
                                 : "no visible <path> element (" + std::to_string(hidden) + " hidden)");
        if (shape)
            choice.error += "; the <" + std::string(localName(*shape)) + "> is not a path: " + convertAdvice;
        return choice;
    }
    for (const XmlNode* p : visible)
        if (ownGround && attribute(*p, "id") == "ground" && attributeValue(*p, "data-path-digest"))
            return taken(p);
    // The editor's own outline lies first and locked, beneath its ground: a
    // ground that lost its digest is still taken before it.
    const auto editorsOutline = [&](const XmlNode* p) {
        return ownGround && attribute(*p, "id") == "outline" && attribute(*p, "sodipodi:insensitive") == "true";
    };
    const auto first = std::find_if(visible.begin(), visible.end(), [&](const XmlNode* p) { return !editorsOutline(p); });
    choice.path = first != visible.end() ? *first : visible.front();
    if (visible.size() > 1)
        choice.warning = where + std::to_string(visible.size()) + " visible paths; the first (" +
                         named(*choice.path) + ") was taken, " + std::to_string(visible.size() - 1) +
                         (visible.size() == 2 ? " was" : " were") + " left out";
    return choice;
}

std::optional<double> number(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A length in CSS pixels; `physical` tells whether it had an absolute unit other than px.
std::optional<double> lengthInPixels(std::string_view text, bool& physical) {
    text = trimmed(text);
    static constexpr struct {
        const char* unit;
        double pixels;
    } units[] = {{"mm", 96 / 25.4}, {"cm", 96 / 2.54}, {"in", 96}, {"pt", 96 / 72.0},
                 {"pc", 16},        {"Q", 96 / 101.6}, {"px", 1}};
    physical = false;
    for (const auto& u : units) {
        const std::string_view unit(u.unit);
        if (text.size() > unit.size() && text.substr(text.size() - unit.size()) == unit) {
            const std::optional<double> value = number(text.substr(0, text.size() - unit.size()));
            physical = value && u.pixels != 1;
            return value ? std::optional<double>(*value * u.pixels) : std::nullopt;
        }
    }
    return number(text);
}

// x y width height, separated by white space or commas; width and height above zero.
std::optional<std::array<double, 4>> viewBox(const XmlNode& node) {
    std::string_view text = attribute(node, "viewBox");
    std::array<double, 4> box{};
    for (double& value : box) {
        while (!text.empty() && std::strchr(" \t\r\n,", text.front())) text.remove_prefix(1);
        const std::size_t end = std::min(text.find_first_of(" \t\r\n,"), text.size());
        const std::optional<double> read = number(text.substr(0, end));
        if (!read) return std::nullopt;
        value = *read;
        text.remove_prefix(end);
    }
    if (!trimmed(text).empty() || box[2] <= 0 || box[3] <= 0) return std::nullopt;
    return box;
}

// The root's user units in CSS pixels, when its size is given in physical units.
Affine pageScale(const XmlNode& root, bool& any) {
    const auto box = viewBox(root);
    if (!box) return {};
    bool widthPhysical = false, heightPhysical = false;
    const auto width = lengthInPixels(attribute(root, "width"), widthPhysical);
    const auto height = lengthInPixels(attribute(root, "height"), heightPhysical);
    double scale = 0;
    if (widthPhysical && *width > 0) scale = *width / (*box)[2];
    if (heightPhysical && *height > 0)
        scale = scale > 0 ? std::min(scale, *height / (*box)[3]) : *height / (*box)[3];
    if (!(scale > 0)) return {};
    any = true;
    return {scale, 0, 0, scale, 0, 0};
}

// A nested <svg>: its x and y, and its viewBox fitted into its width and
// height as preserveAspectRatio says (by default centred, the whole box shown).
std::string nestedViewport(const XmlNode& svg, Affine& viewport) {
    bool physical = false;
    const auto x = lengthInPixels(attribute(svg, "x").empty() ? "0" : attribute(svg, "x"), physical);
    const auto y = lengthInPixels(attribute(svg, "y").empty() ? "0" : attribute(svg, "y"), physical);
    if (!x || !y) return "a nested <svg> has an x or y that is not a length in user units";
    viewport = {1, 0, 0, 1, *x, *y};
    if (!attributeValue(svg, "viewBox")) return {};
    const auto box = viewBox(svg);
    const auto width = lengthInPixels(attribute(svg, "width"), physical);
    const auto height = lengthInPixels(attribute(svg, "height"), physical);
    if (!box) return "a nested <svg> has a viewBox that is not four numbers with a width and height above 0";
    if (!width || !height || *width <= 0 || *height <= 0)
        return "a nested <svg> with a viewBox needs its width and height as lengths in user units";
    double sx = *width / (*box)[2], sy = *height / (*box)[3];
    const std::string_view aspect = trimmed(attribute(svg, "preserveAspectRatio"));
    double alignX = 0.5, alignY = 0.5;
    if (aspect.substr(0, 4) != "none") {
        const bool slice = aspect.find("slice") != std::string_view::npos;
        sx = sy = slice ? std::max(sx, sy) : std::min(sx, sy);
        if (aspect.substr(0, 4) == "xMin") alignX = 0;
        if (aspect.substr(0, 4) == "xMax") alignX = 1;
        if (aspect.find("YMin") != std::string_view::npos) alignY = 0;
        if (aspect.find("YMax") != std::string_view::npos) alignY = 1;
    }
    const double ex = *x + alignX * (*width - sx * (*box)[2]) - sx * (*box)[0];
    const double ey = *y + alignY * (*height - sy * (*box)[3]) - sy * (*box)[1];
    viewport = {sx, 0, 0, sy, ex, ey};
    return {};
}

// Receives the matrix of a transform list from SVG++.
struct TransformContext {
    Affine matrix;
    void transform_matrix(const boost::array<double, 6>& m) { matrix = {m[0], m[1], m[2], m[3], m[4], m[5]}; }
};

}  // namespace

const char* attributeValue(const XmlNode& node, const char* name, std::size_t* size) {
    const rapidxml_ns::xml_attribute<char>* attribute = node.first_attribute(name);
    if (!attribute) return nullptr;
    if (size) *size = attribute->value_size();
    return attribute->value();
}

bool isSvgElement(const XmlNode& node, std::string_view name) {
    const std::string_view uri(node.namespace_uri(), node.namespace_uri_size());
    return node.type() == rapidxml_ns::node_element && localName(node) == name &&
           (uri.empty() || uri == "http://www.w3.org/2000/svg");
}

PathChoice choosePath(const XmlNode& root, const std::string& id) {
    if (id.empty()) return firstVisiblePath(root, Shown().of(root), true, "the drawing has ");
    const XmlNode* named = findId(root, id);
    const std::string quotedId = quotedForMessage(id);
    if (!named) return refused("no <path> with the id " + quotedId);
    if (isHidden(*named)) return refused("the element with the id " + quotedId + " is hidden");
    if (isSvgElement(*named, "path")) return taken(named);
    const std::string element = printableForMessage(localName(*named));
    if (isShape(*named))
        return refused("the id " + quotedId + " names a <" + element + ">, not a path: " + convertAdvice);
    if (!named->first_node()) return refused("the id " + quotedId + " names a <" + element + ">, not a path");
    // The group is shown: it was not hidden.
    return firstVisiblePath(*named, Shown(), false,
                            "the id " + quotedId + " names a <" + element + "> with ");
}

std::string userToPage(const XmlNode& node, Affine& total, bool& any) {
    const XmlNode* parent = node.parent();
    if (parent && parent->type() == rapidxml_ns::node_element) {
        if (std::string problem = userToPage(*parent, total, any); !problem.empty()) return problem;
    } else {
        total = pageScale(node, any);
    }
    std::size_t size = 0;
    if (const char* value = attributeValue(node, "transform", &size)) {
        TransformContext context;
        svgpp::value_parser<svgpp::tag::type::transform_list>::parse(
            svgpp::tag::attribute::transform(), context,
            boost::iterator_range<const char*>(value, value + size), svgpp::tag::source::attribute());
        total = total.then(context.matrix);
        any = true;
    }
    if (isSvgElement(node, "svg") && parent && parent->type() == rapidxml_ns::node_element) {
        Affine viewport;
        if (std::string problem = nestedViewport(node, viewport); !problem.empty()) return problem;
        total = total.then(viewport);
        any = true;
    }
    return {};
}
