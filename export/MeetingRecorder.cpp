#include "MeetingRecorder.h"

#include <algorithm>
#include <tuple>

namespace {

bool byPieces(const Meeting& x, const Meeting& y) { return std::tie(x.i, x.j) < std::tie(y.i, y.j); }

void keep(std::vector<Meeting>& list, std::pair<std::size_t, bool> number, const Meeting& m) {
    if (number.second)
        list.push_back(m);
    else if (byPieces(m, list[number.first]))
        list[number.first] = m;
}

}  // namespace

void MeetingRecorder::record(std::size_t i, std::size_t j, bool neighbours) {
    const PieceMeeting meeting = meetingOf(at(i), at(i + 1), at(j), at(j + 1));
    if (meeting.kind == PieceMeeting::Kind::overlap) {
        ++overlappingPairs;
        keep(found.overlaps, overlapNumbers.number(std::pair(meeting.a, meeting.b)),
             {i, j, meeting.a, meeting.b, {}});
    } else if (meeting.kind == PieceMeeting::Kind::point && !neighbours) {
        const GroundPoint printed = meeting.atEnds ? printedEnd(meeting.a) : printedPoint(meeting.a);
        keep(found.points, pointNumbers.number(printed), {i, j, meeting.a, {}, printed});
    }
}

void MeetingRecorder::compareNeighbours(std::size_t i, std::size_t j) {
    // Running along each other beyond the common point needs the three points on one line.
    const std::size_t before = j == i + 1 ? i : j;
    if (orientation(at(before), at(before + 1), at(before + 2)) == 0) record(i, j, true);
}

bool MeetingRecorder::mustStop() {
    if (found.interrupted || (stop && stop())) {
        found.interrupted = true;
        return true;
    }
    // Each overlap found can take in at most two of the points as its ends.
    if (found.points.size() > maxCrossings + 2 * found.overlaps.size())
        found.stopped = true;
    else if (overlappingPairs > maxOverlappingPairs)
        found.overlapsCut = true;
    return found.stopped || found.overlapsCut;
}

Meetings MeetingRecorder::finish() {
    std::sort(found.points.begin(), found.points.end(), byPieces);
    std::sort(found.overlaps.begin(), found.overlaps.end(), byPieces);
    return std::move(found);
}
