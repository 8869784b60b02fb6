#pragma once

#include <rapidxml_ns/rapidxml_ns.hpp>

#include <string>
#include <string_view>

#include "Affine.h"

// Questions asked of an SVG document's element tree (already checked by
// checkXml, so no more than 256 levels deep): which path is the ground, and
// where its user units lie on the page.

using XmlNode = rapidxml_ns::xml_node<char>;

// Which <path> becomes the chain, or why none does.
struct PathChoice {
    const XmlNode* path = nullptr;
    // About the paths left out: empty when there was one choice only.
    std::string warning;
    // Why no path was taken: one line.
    std::string error;
};

// With an empty `id`: the path "ground" that the editor writes (with its
// digest), wherever it stands; otherwise the first visible <path> in
// document order outside <defs> and the other containers that are never drawn
// on their own, with a warning when other visible paths were left. With an
// id: that path, or the first visible path of the group with that id (with the
// same warning). Hidden elements (display:none on them or around them,
// visibility:hidden) are never taken. A shape other than a path is refused
// with the advice to convert it.
PathChoice choosePath(const XmlNode& root, const std::string& id);

// The value of the attribute `name` of `node`, or null.
const char* attributeValue(const XmlNode& node, const char* name, std::size_t* size = nullptr);

// Whether `node` is the SVG element `name` (in SVG's namespace or in none).
bool isSvgElement(const XmlNode& node, std::string_view name);

// The map from `node`'s user units to the document's user units, or, when
// the document's size is given in physical units (mm, cm, in, pt, pc, Q)
// with a viewBox, to CSS pixels (96 per inch): the transforms of the node
// and every element around it, and the x, y and viewBox of every nested
// <svg> around it. `any` tells whether there was anything to apply. Empty
// when that could be worked out; otherwise why not, one line. A transform
// list that cannot be read throws SVG++'s exception.
std::string userToPage(const XmlNode& node, Affine& total, bool& any);
