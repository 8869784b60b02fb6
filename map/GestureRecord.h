#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "Marker.h"
#include "Segment.h"
#include "UndoStep.h"

// What a gesture in progress (a press, drag and release in the map, or a
// slider gesture) may change, as it was before: the segments it touched and
// the markers. Its end tells whether the gesture changed the map and makes the
// undo step of it, holding only the segments that differ.
class GestureRecord {
public:
    bool isOpen() const { return open; }
    // Starts a record of a map whose markers and content id are these.
    void start(const std::vector<Marker>& markers, std::uint64_t contentId);
    // Keeps chain segment `i` as it is now, unless it was kept already.
    void keep(std::size_t i, const Segment& segment);
    // The content id when the record started.
    std::uint64_t startContentId() const { return contentIdBefore; }

    // Ends the record against the map as it is now. The step holds every kept
    // segment that differs now (in points, resolution or selection), and the
    // markers when one has moved. `contentChanged` tells whether the points or
    // resolutions changed.
    UndoStep finish(const std::vector<Segment>& chain, const std::vector<Marker>& markers,
                    bool& contentChanged);
    // Ends the record and forgets it.
    void discard();

private:
    bool open = false;
    std::uint64_t contentIdBefore = 0;
    std::vector<Marker> markersBefore;
    // Ascending by chain position.
    std::vector<std::pair<std::size_t, Segment>> kept;
};
