#include "GroundSweep.h"

#include <algorithm>
#include <deque>
#include <set>

#include "GroundGeometry.h"

namespace {

using Place = SweepQueue::Place;

// A place in the sweep line's order that holds one piece. The sweep reorders
// pieces that cross by exchanging what their places hold.
struct Slot {
    std::uint32_t piece = 0;
};

// The pieces the sweep line cuts, lowest first, just beyond the point where it
// stands (the line is tilted a little, so that it meets a vertical piece after
// the others through the same point).
class SweepLine {
public:
    // Stands for the point where the sweep stands in look-ups.
    struct Here {};

    explicit SweepLine(const std::vector<SweepPiece>& pieces) : pieces(pieces), where(pieces.size()) {}

    // -1, 0 or 1 as piece k passes below, through or above the point where
    // the sweep stands (an end of a piece). A vertical piece in the line
    // passes through it.
    int side(std::uint32_t k) const {
        const SweepPiece& p = pieces[k];
        if (p.low.x == p.high.x) return 0;
        return -orientation(p.low, p.high, here);
    }
    // Whether piece a lies below piece b beyond the point where both pass:
    // b's higher end lies left of a's direction; pieces on one line go by index.
    bool belowBeyond(std::uint32_t a, std::uint32_t b) const {
        const int turn = orientation(pieces[a].low, pieces[a].high, pieces[b].high);
        return turn != 0 ? turn > 0 : a < b;
    }

    struct Below {
        using is_transparent = void;
        const SweepLine* line;
        bool operator()(const Slot* a, const Slot* b) const {
            const int sa = line->side(a->piece), sb = line->side(b->piece);
            if (sa != sb) return sa < sb;
            return sa == 0 && line->belowBeyond(a->piece, b->piece);
        }
        bool operator()(const Slot* a, Here) const { return line->side(a->piece) < 0; }
        bool operator()(Here, const Slot* b) const { return line->side(b->piece) > 0; }
    };
    using Order = std::set<Slot*, Below>;
    using Iterator = Order::iterator;

    GroundPoint here;
    Order order{Below{this}};

    Iterator insert(std::uint32_t k) {
        Slot* slot;
        if (free.empty()) {
            slots.emplace_back();
            slot = &slots.back();
        } else {
            slot = free.back();
            free.pop_back();
        }
        slot->piece = k;
        const Iterator at = order.insert(slot).first;
        where[k] = at;
        return at;
    }
    // Removes the pieces from `first` to `last`; returns the one after them.
    Iterator erase(Iterator first, Iterator last) {
        for (Iterator it = first; it != last; ++it) free.push_back(*it);
        return order.erase(first, last);
    }
    Iterator find(std::uint32_t k) const { return where[k]; }
    // Puts piece k in the place `at`.
    void place(Iterator at, std::uint32_t k) {
        (*at)->piece = k;
        where[k] = at;
    }

private:
    const std::vector<SweepPiece>& pieces;
    std::vector<Iterator> where;
    std::deque<Slot> slots;
    std::vector<Slot*> free;
};

class Sweep {
public:
    Sweep(const std::vector<SweepPiece>& pieces, SweepBudget budget, MeetingGroups& groups)
        : pieces(pieces), budget(budget), groups(groups), queue(pieces), line(pieces) {}

    SweepEnd run(GroundCheckStop askStop) {
        SweepQueue::Stop stop;
        while (!queue.empty()) {
            if (askStop && askStop()) return SweepEnd::stopped;
            const Place place = queue.next(stop);
            const bool withinBudget = place.exact == nullptr ? atEnd(place, stop) : atCrossing(place, stop);
            if (!withinBudget || queue.exactPlaces() > budget.exactPlaces) {
                groups.sweptTo = place.near.x;
                return SweepEnd::overBudget;
            }
        }
        return SweepEnd::complete;
    }

private:
    // The pieces of `meeting` meet at the point where the sweep stands.
    // Past the limit of members kept, the sweep gives up, or with
    // budget.keepLowest leaves out the groups of the highest pieces, so that
    // those kept are complete for the lowest ones, and gives up past four
    // times that limit of members met.
    bool report(const std::vector<std::uint32_t>& meeting) {
        if (meeting.size() < 2) return true;
        met += meeting.size();
        const bool over = groups.members.size() + meeting.size() > budget.members;
        if (!budget.keepLowest && over) return false;
        if (met > 4 * budget.members) return false;
        const std::uint32_t low = *std::min_element(meeting.begin(), meeting.end());
        if (low >= groups.completeBelow) return true;
        if (over) {
            keepLowest(budget.members / 2);
            if (groups.members.size() + meeting.size() > budget.members)
                groups.completeBelow = std::min<std::size_t>(groups.completeBelow, low);
            if (low >= groups.completeBelow) return true;
        }
        groups.members.insert(groups.members.end(), meeting.begin(), meeting.end());
        groups.ends.push_back(groups.members.size());
        lows.push_back(low);
        return true;
    }

    // Keeps at most `most` members, in the groups of the lowest pieces, and
    // lowers completeBelow to the lowest piece of those left out.
    void keepLowest(std::size_t most) {
        std::vector<std::pair<std::uint32_t, std::size_t>> bySize;  // each group's lowest piece and size
        for (std::size_t g = 0; g < lows.size(); ++g)
            bySize.emplace_back(lows[g], groups.ends[g] - (g == 0 ? 0 : groups.ends[g - 1]));
        std::sort(bySize.begin(), bySize.end());
        std::size_t kept = 0;
        for (const auto& [low, size] : bySize) {
            // Groups of one lowest piece stay or go together.
            if (kept + size > most) {
                groups.completeBelow = std::min<std::size_t>(groups.completeBelow, low);
                break;
            }
            kept += size;
        }
        std::size_t to = 0, g = 0;
        std::vector<std::size_t> ends;
        std::vector<std::uint32_t> keptLows;
        for (std::size_t from = 0; g < lows.size(); ++g) {
            const std::size_t end = groups.ends[g];
            if (lows[g] < groups.completeBelow) {
                for (; from < end; ++from) groups.members[to++] = groups.members[from];
                ends.push_back(to);
                keptLows.push_back(lows[g]);
            }
            from = end;
        }
        groups.members.resize(to);
        groups.ends = std::move(ends);
        lows = std::move(keptLows);
    }

    // Adds the crossing of the pieces in `below` and `above`, when both are
    // pieces and they cross beyond `place` at a point inside both. Meetings at
    // an end of either are found when the sweep reaches that end.
    void compare(SweepLine::Iterator below, SweepLine::Iterator above, const Place& place) {
        if (below == line.order.end() || above == line.order.end()) return;
        const std::uint32_t a = (*below)->piece, b = (*above)->piece;
        const SweepPiece& p = pieces[a];
        const SweepPiece& q = pieces[b];
        const int d1 = orientation(q.low, q.high, p.low), d2 = orientation(q.low, q.high, p.high);
        if (d1 * d2 >= 0) return;
        const int d3 = orientation(p.low, p.high, q.low), d4 = orientation(p.low, p.high, q.high);
        if (d3 * d4 >= 0) return;
        queue.addCrossing(a, b, place);
    }

    // The neighbours below and above the pieces from `first` to `last`
    // (inclusive) are compared with them.
    void compareAround(SweepLine::Iterator first, SweepLine::Iterator last, const Place& place) {
        if (first != line.order.begin()) compare(std::prev(first), first, place);
        compare(last, std::next(last), place);
    }

    bool atEnd(const Place& place, const SweepQueue::Stop& stop) {
        line.here = place.near;
        // The pieces through this point lie together in the line.
        const auto first = line.order.lower_bound(SweepLine::Here{});
        auto last = first;
        meeting.clear();
        continuing.clear();
        for (; last != line.order.end() && line.side((*last)->piece) == 0; ++last) {
            const std::uint32_t k = (*last)->piece;
            meeting.push_back(k);
            if (!(pieces[k].high == place.near)) continuing.push_back(k);
        }
        meeting.insert(meeting.end(), stop.starting.begin(), stop.starting.end());
        meeting.insert(meeting.end(), stop.points.begin(), stop.points.end());
        if (!report(meeting)) return false;
        // Those that go on beyond it are put back in their order beyond it.
        const auto after = line.erase(first, last);
        continuing.insert(continuing.end(), stop.starting.begin(), stop.starting.end());
        if (continuing.empty()) {
            if (after != line.order.begin()) compare(std::prev(after), after, place);
            return true;
        }
        SweepLine::Iterator lowest = line.order.end(), highest = line.order.end();
        for (const std::uint32_t k : continuing) {
            const auto at = line.insert(k);
            if (lowest == line.order.end() || line.order.key_comp()(*at, *lowest)) lowest = at;
            if (highest == line.order.end() || line.order.key_comp()(*highest, *at)) highest = at;
        }
        compareAround(lowest, highest, place);
        return true;
    }

    bool atCrossing(const Place& place, const SweepQueue::Stop& stop) {
        // The pieces through the crossing lie together in the line: from one
        // of those known to cross there, the others are found on both sides.
        auto first = line.find(stop.crossing.front());
        while (first != line.order.begin() && queue.passesThrough((*std::prev(first))->piece, place)) --first;
        auto last = first;
        meeting.clear();
        while (true) {
            meeting.push_back((*last)->piece);
            const auto next = std::next(last);
            if (next == line.order.end() || !queue.passesThrough((*next)->piece, place)) break;
            last = next;
        }
        if (!report(meeting)) return false;
        // Beyond the crossing they lie in the order of their directions.
        std::sort(meeting.begin(), meeting.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return line.belowBeyond(a, b); });
        auto at = first;
        for (const std::uint32_t k : meeting) line.place(at++, k);
        compareAround(first, last, place);
        return true;
    }

    const std::vector<SweepPiece>& pieces;
    const SweepBudget budget;
    MeetingGroups& groups;
    SweepQueue queue;
    SweepLine line;
    std::vector<std::uint32_t> meeting, continuing;
    std::vector<std::uint32_t> lows;  // the lowest piece of each group kept
    std::size_t met = 0;              // members of every group found
};

}  // namespace

SweepEnd findMeetingGroups(const std::vector<SweepPiece>& pieces, SweepBudget budget, MeetingGroups& groups,
                           GroundCheckStop stop) {
    groups.members.clear();
    groups.ends.clear();
    groups.completeBelow = SIZE_MAX;
    groups.sweptTo = 0;
    Sweep sweep(pieces, budget, groups);
    return sweep.run(stop);
}
