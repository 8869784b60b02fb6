#pragma once

#include <cstddef>
#include <vector>

#include "ControlPoint.h"
#include "MapDrawCache.h"
#include "MapWindow.h"
#include "Marker.h"
#include "Segment.h"

// Whether drawMap skips the segments that cannot show in the window.
enum class Culling { off, on };

// Draws the segments in chain order, then the markers placed by `viewOffset`
// and `zoom`, with the map's line smoothing and blending. Culling leaves out
// only segments that would not change a pixel, so the picture is the same
// either way; a long course then costs about what its visible part costs.
void drawMap(const std::vector<Segment>& segments, const std::vector<Marker>& markers,
             const ControlPoint& viewOffset, double zoom, Culling culling);

// Like drawMap, but draws only the segments at the chain positions `which`
// (ascending, so that later segments still cover earlier ones).
void drawMapSegments(const std::vector<Segment>& segments, const std::vector<std::size_t>& which,
                     const std::vector<Marker>& markers, const ControlPoint& viewOffset, double zoom);

// Draws the segments at the chain positions `which` for a view zoomed out
// below 1, where many share each pixel: what falls into the same pixel is
// drawn once, every kind of element in one call, and every control point keeps
// a square within a pixel of where it is picked. The picture differs in detail
// from drawMapSegments'; MapEditor::draw uses it only below zoom 1. `merged`
// keeps its lists from one frame to the next.
void drawMapMerged(const std::vector<Segment>& segments, const std::vector<std::size_t>& which,
                   const std::vector<Marker>& markers, const ControlPoint& viewOffset, double zoom,
                   MergedDrawing& merged);

// The grid of precision mode: lines `step` map units apart in a dim grey,
// across the map window only (at most one line per 10 pixels when step is a
// gridStep), placed by `viewOffset` and `zoom`. The lines' positions are
// kept in `cache`.
void drawGrid(const ControlPoint& viewOffset, double zoom, double step, MapDrawCache& cache);

// The outline of a band selection from window pixel `from` to `to`: one
// pixel wide, in cyan, which nothing of the map uses, over whatever is drawn.
// Leaves the OpenGL state as it found it.
void drawBand(const ControlPoint& from, const ControlPoint& to);

// The picked points of a group, at window pixels `points`: a square of a
// control point's size in the band's cyan over whatever is drawn. Leaves the
// OpenGL state as it found it.
void drawPicked(const std::vector<ControlPoint>& points);
