#pragma once

#include <string>
#include <vector>

#include "MapFile.h"
#include "Segment.h"

// A drawing file: the ground as an SVG document, to bring in a ground drawn in
// a vector editor and to show one in a browser or a document. One map unit is
// ten SVG user units, as the editor shows it ten pixels wide.

// What readDrawing made of an SVG text.
struct DrawingRead {
    // The chain, one record per drawing command of the path, every subpath in order.
    std::vector<MapRecord> records;
    // Lines without their line end about what was left out or changed.
    std::vector<std::string> warnings;
    // Empty when the drawing became a chain; otherwise why not, one line.
    std::string error;

    bool ok() const { return error.empty(); }
};

// Reads the SVG document `text` (gzip data and UTF-16 with its mark first made
// UTF-8 text, see drawingTextOf) and makes a chain of the path that
// choosePath takes (see DrawingTree.h) for `pathId`. The text is refused
// before its tree is built when it is nested more than 256 deep, has more than
// a million elements or is not well-formed XML (see checkXml). Every command
// of every subpath, in order, becomes one cubic segment: cubic curves as they
// are (the smooth ones with their reflected handle), quadratic curves as the
// same curve in cubic form, lines and the closing line with their handles at
// one and two thirds, arcs as cubics of at most 90 degrees each. The
// transforms and nested viewports around the path are applied, and a page
// sized in physical units is taken in CSS pixels; coordinates are divided by
// 10. Each segment gets resolution 5, or the one that the path's
// data-resolution list gives when the path data is still what formatDrawing
// wrote (its data-path-digest matches). A chain past sampleBudget is refused.
// Where a subpath does not start where the one before ends (as numbers: -0
// meets 0) the chain has a gap; one warning counts them. Text quoted in a
// refusal is cut short and shown printable.
DrawingRead readDrawing(std::string text, const std::string& pathId = {});

// What formatDrawing made of a chain.
struct DrawingText {
    // The SVG document; empty when it could not be written.
    std::string text;
    // Empty when the document was made; otherwise why not, one line.
    std::string error;

    bool ok() const { return error.empty(); }
};

// The SVG 1.1 document of `segments` (not empty): the closed outline that the
// ground points file gives the simulator as the thin path "outline", locked
// (sodipodi:insensitive), and over it the chain as the path "ground" ("M" and
// one "C" per segment, a new "M" where a segment does not start where the one
// before ends, compared as printed numbers), with the segments' resolutions,
// the digest of its data and its node types (sodipodi:nodetypes: "s" at a junction junctionShape finds
// smooth, "c" elsewhere). The view box holds the chain with a margin of a
// fiftieth of its larger side, in SVG user units as large as the editor's
// pixels; the page is as large, or shrunk to 4096 pixels on its longer side,
// with the strokes widened to keep their width on the page. Refused when a
// number of it would not be finite.
DrawingText formatDrawing(const std::vector<Segment>& segments);

// The digest that data-path-digest holds for the path data `d`: 16 hex digits
// of its 64-bit FNV-1a hash.
std::string pathDataDigest(const std::string& d);
