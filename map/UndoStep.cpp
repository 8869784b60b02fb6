#include "UndoStep.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

std::size_t segmentBytes(const Segment& s) {
    return sizeof(Segment) + s.getSamples().capacity() * sizeof(ControlPoint);
}

using Runs = std::vector<UndoStep::Run>;

// The chain's runs and the held segments trade places in one pass over the
// chain; every run's position is then its position in the new chain.
void rebuild(std::vector<Segment>& chain, Runs& runs) {
    std::size_t newLength = chain.size();
    for (const UndoStep::Run& run : runs) newLength = newLength - run.length + run.segments.size();
    std::vector<Segment> result;
    result.reserve(newLength);
    std::size_t next = 0;
    for (UndoStep::Run& run : runs) {
        const auto first = chain.begin() + static_cast<std::ptrdiff_t>(run.at);
        const auto last = first + static_cast<std::ptrdiff_t>(run.length);
        std::move(chain.begin() + static_cast<std::ptrdiff_t>(next), first, std::back_inserter(result));
        std::vector<Segment> taken(std::make_move_iterator(first), std::make_move_iterator(last));
        next = run.at + run.length;
        run.at = result.size();
        run.length = run.segments.size();
        std::move(run.segments.begin(), run.segments.end(), std::back_inserter(result));
        run.segments = std::move(taken);
    }
    std::move(chain.begin() + static_cast<std::ptrdiff_t>(next), chain.end(), std::back_inserter(result));
    chain.swap(result);
}

// One run whose length changes: the rest of the chain moves once, in place.
void splice(std::vector<Segment>& chain, UndoStep::Run& run) {
    const auto first = chain.begin() + static_cast<std::ptrdiff_t>(run.at);
    const auto last = first + static_cast<std::ptrdiff_t>(run.length);
    std::vector<Segment> taken(std::make_move_iterator(first), std::make_move_iterator(last));
    const auto gap = chain.erase(first, last);
    chain.insert(gap, std::make_move_iterator(run.segments.begin()),
                 std::make_move_iterator(run.segments.end()));
    run.length = run.segments.size();
    run.segments = std::move(taken);
}

}  // namespace

void UndoStep::addRun(std::size_t at, std::size_t length, std::vector<Segment> segments) {
    runs.push_back({at, length, std::move(segments)});
}

void UndoStep::amend(std::size_t i, const Segment& other) {
    // Runs stay in chain order, an empty run at i before one starting there.
    auto at = runs.begin();
    for (; at != runs.end() && (at->at < i || (at->at == i && at->length == 0)); ++at)
        if (i < at->at + at->length) return;
    if (at != runs.end() && at->at == i) return;
    runs.insert(at, Run{i, 1, {other}});
}

bool UndoStep::exchange(std::vector<Segment>& chain, std::vector<Marker>& mapMarkers,
                        ControlPoint& mapRestLocation, std::uint64_t& mapContentId) {
    const bool inPlace = std::all_of(runs.begin(), runs.end(),
                                     [](const Run& run) { return run.length == run.segments.size(); });
    if (runs.size() == 1 && runs[0].at == 0 && runs[0].length == chain.size()) {
        // A whole chain, as a load replaces it: the two lists trade places.
        chain.swap(runs[0].segments);
        runs[0].length = chain.size();
    } else if (inPlace) {
        for (Run& run : runs)
            std::swap_ranges(run.segments.begin(), run.segments.end(),
                             chain.begin() + static_cast<std::ptrdiff_t>(run.at));
    } else if (runs.size() == 1) {
        splice(chain, runs[0]);
    } else {
        rebuild(chain, runs);
    }
    if (hasMarkers) std::swap(markers, mapMarkers);
    if (hasRestLocation) std::swap(restLocation, mapRestLocation);
    std::swap(contentId, mapContentId);
    return !inPlace;
}

std::size_t UndoStep::bytes() const {
    std::size_t total =
        sizeof(UndoStep) + runs.capacity() * sizeof(Run) + markers.capacity() * sizeof(Marker);
    for (const Run& run : runs) {
        total += (run.segments.capacity() - run.segments.size()) * sizeof(Segment);
        for (const Segment& s : run.segments) total += segmentBytes(s);
    }
    return total;
}
