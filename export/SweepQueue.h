#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "GroundCheck.h"

// A piece of outline as the sweep sees it: from its lower end to its higher
// one (in x, then y). A piece whose ends are equal is one point.
struct SweepPiece {
    GroundPoint low;
    GroundPoint high;
};

// The points where the crossing sweep stops, in the order it meets them (x,
// then y), each once: the ends of the pieces, and the points where two
// pieces cross between their ends. A crossing's place is worked out in
// floating point with a bound on its error, and exactly, as a fraction, only
// where that bound leaves its order open, so that the order is exact however
// close the points lie.
class SweepQueue {
public:
    struct ExactPoint;
    // Where the sweep stands: a point of the outline, or a crossing.
    struct Place {
        GroundPoint near;                   // the place, rounded for a crossing
        const ExactPoint* exact = nullptr;  // a crossing's place; none for an end
    };
    // What is known of a place: the pieces that start there, those that
    // are one point there, and pairs of pieces found to cross there.
    struct Stop {
        std::vector<std::uint32_t> starting;
        std::vector<std::uint32_t> points;
        std::vector<std::uint32_t> crossing;
    };

    explicit SweepQueue(const std::vector<SweepPiece>& pieces);
    ~SweepQueue();
    SweepQueue(const SweepQueue&) = delete;
    SweepQueue& operator=(const SweepQueue&) = delete;

    bool empty() const { return stops.empty(); }
    // Takes the next place and what is known of it.
    Place next(Stop& stop);
    // Adds the crossing of pieces a and b, which cross at one point between
    // the ends of both, when it lies beyond `after`.
    void addCrossing(std::uint32_t a, std::uint32_t b, const Place& after);
    // Whether piece k passes through the crossing `at`.
    bool passesThrough(std::uint32_t k, const Place& at) const;
    // How many crossings' places had to be worked out exactly so far: those
    // that lie within rounding errors of another place.
    std::size_t exactPlaces() const { return workedOut; }

private:
    struct Before {
        bool operator()(const Place& a, const Place& b) const;
    };
    const std::vector<SweepPiece>& pieces;
    std::map<Place, Stop, Before> stops;
    // The exact places of crossings, kept while the sweep runs.
    std::deque<ExactPoint> exactPoints;
    std::size_t workedOut = 0;
};
