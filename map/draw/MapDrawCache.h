#pragma once

#include <vector>

#include "MergedDrawing.h"

// What the map's drawing keeps between frames, so that a frame allocates
// nothing: the merged drawing of a zoomed-out view and the grid's lines.
// Its owner hands it to every drawing of the map.
struct MapDrawCache {
    MergedDrawing merged;
    std::vector<int> gridColumns;
    std::vector<int> gridRows;
};
