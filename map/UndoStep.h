#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ControlPoint.h"
#include "Marker.h"
#include "Segment.h"

// One step of the undo history: what the step changed of the map, held as the
// other version of each changed part. Undoing and redoing are then the same
// exchange: the map takes the held version and the step keeps the one the map
// had, so a step never holds both and nothing is copied to undo or redo it.
class UndoStep {
public:
    // `length` segments of the chain from position `at`, and what they are in
    // the other version (any number of segments).
    struct Run {
        std::size_t at = 0;
        std::size_t length = 0;
        std::vector<Segment> segments;
    };

    // Adds a run; runs are added in ascending order of `at`, apart from each other.
    void addRun(std::size_t at, std::size_t length, std::vector<Segment> segments);
    // Adds segment i of the chain, whose other version is `other`, unless a
    // run covers it already (the exchange then carries it as it is).
    void amend(std::size_t i, const Segment& other);
    void holdMarkers(std::vector<Marker> other) {
        markers = std::move(other);
        hasMarkers = true;
    }
    void holdRestLocation(const ControlPoint& other) {
        restLocation = other;
        hasRestLocation = true;
    }
    void holdContentId(std::uint64_t other) { contentId = other; }

    // Exchanges the held version with the map's. The runs then describe the
    // chain as it is afterwards. True when the chain's length or order changed;
    // false when segments changed in place only.
    bool exchange(std::vector<Segment>& chain, std::vector<Marker>& mapMarkers, ControlPoint& mapRestLocation,
                  std::uint64_t& mapContentId);

    const std::vector<Run>& getRuns() const { return runs; }
    bool holdsMarkers() const { return hasMarkers; }
    // The bytes the step occupies, its segments' samples included.
    std::size_t bytes() const;

private:
    std::vector<Run> runs;
    std::vector<Marker> markers;
    bool hasMarkers = false;
    ControlPoint restLocation;
    bool hasRestLocation = false;
    std::uint64_t contentId = 0;
};
