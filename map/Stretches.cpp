#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Stretches.h"

namespace {

// `s` moved by (dx, dy) map units, its shape and resolution kept.
void moveSegment(Segment& s, double dx, double dy) {
    if (dx == 0.0 && dy == 0.0) return;
    const ControlPoint a = s.getStartPoint(), b = s.getStartHandle(), c = s.getEndHandle(),
                       d = s.getEndPoint();
    s.setPoints(a.x + dx, a.y + dy, b.x + dx, b.y + dy, c.x + dx, c.y + dy, d.x + dx, d.y + dy);
}

// A copy that is neither selected nor dragged.
Segment plain(Segment s) {
    s.pick(ButtonAction::release, 0, 0);
    s.setSelected(false);
    return s;
}

// `run` moved so that its segments join one after the other, the first staying where it is.
void joinUp(std::vector<Segment>& run) {
    for (std::size_t k = 1; k < run.size(); ++k) {
        const ControlPoint from = run[k].getStartPoint(), to = run[k - 1].getEndPoint();
        moveSegment(run[k], to.x - from.x, to.y - from.y);
    }
}

// The first selected segment of `chain`, or its length.
std::size_t firstSelected(const std::vector<Segment>& chain) {
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (chain[i].isSelected()) return i;
    return chain.size();
}

long long samplesOf(const std::vector<Segment>& run) {
    long long n = 0;
    for (const Segment& s : run) n += static_cast<long long>(s.getSamples().size());
    return n;
}

}  // namespace

std::vector<std::size_t> Stretches::positions() const {
    const std::vector<Segment>& chain = edit.chain();
    std::vector<std::size_t> out;
    const PickedPoints& picked = edit.picked();
    if (edit.pickedInThisChain() && !picked.empty()) {
        // A junction counts as picked when either segment's end at it is.
        std::vector<bool> junction(chain.size() + 1, false);
        for (const auto& [i, role] : picked) {
            if (i >= chain.size()) continue;
            if (role == PointRole::startPoint) junction[i] = true;
            if (role == PointRole::endPoint) junction[i + 1] = true;
        }
        for (std::size_t i = 0; i < chain.size(); ++i)
            if (junction[i] && junction[i + 1]) out.push_back(i);
        if (!out.empty()) return out;
    }
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (chain[i].isSelected()) out.push_back(i);
    return out;
}

std::vector<Segment> Stretches::stretch() const {
    std::vector<Segment> run;
    for (std::size_t i : positions()) run.push_back(plain(edit.chain()[i]));
    joinUp(run);
    return run;
}

bool Stretches::nothingPicked(const char* what) const {
    edit.refuse(std::string("Nothing to ") + what +
                ": pick both ends of segments (a band, Shift+clicks, Ctrl+A) or select segments");
    return false;
}

bool Stretches::copy() {
    edit.endGesture();
    std::vector<Segment> run = stretch();
    if (run.empty()) return nothingPicked("copy");
    state->copied = std::move(run);
    return true;
}

void Stretches::setCopied(std::vector<Segment> run) {
    for (Segment& s : run) s = plain(std::move(s));
    joinUp(run);
    state->copied = std::move(run);
}

bool Stretches::cut() {
    edit.endGesture();
    const std::vector<std::size_t> cutOut = positions();
    if (cutOut.empty()) return nothingPicked("cut");
    state->copied = stretch();
    std::vector<bool> removed(edit.chain().size(), false);
    for (std::size_t i : cutOut) removed[i] = true;
    // Everything from the first removed or deselected segment on changes:
    // the removed ones go, the rest moves back by the removed runs' displacements.
    const std::size_t first = std::min(cutOut.front(), firstSelected(edit.chain()));
    edit.reshape([&](std::vector<Segment>& chain) {
        std::vector<Segment> before(chain.begin() + static_cast<std::ptrdiff_t>(first), chain.end());
        std::vector<Segment> after;
        double dx = 0.0, dy = 0.0;
        for (std::size_t i = first; i < chain.size(); ++i) {
            if (removed[i]) {
                dx += chain[i].getStartPoint().x - chain[i].getEndPoint().x;
                dy += chain[i].getStartPoint().y - chain[i].getEndPoint().y;
                continue;
            }
            Segment kept = std::move(chain[i]);
            kept.setSelected(false);
            moveSegment(kept, dx, dy);
            after.push_back(std::move(kept));
        }
        chain.erase(chain.begin() + static_cast<std::ptrdiff_t>(first), chain.end());
        UndoStep step;
        step.addRun(first, after.size(), std::move(before));
        chain.insert(chain.end(), std::make_move_iterator(after.begin()),
                     std::make_move_iterator(after.end()));
        edit.picked().clear();
        return step;
    });
    return true;
}

bool Stretches::duplicate() {
    edit.endGesture();
    const std::vector<std::size_t> at = positions();
    if (at.empty()) return nothingPicked("duplicate");
    return insertAfter(at.back() + 1, stretch(), "Duplicate");
}

bool Stretches::paste() {
    if (state->copied.empty()) {
        edit.refuse("Nothing to paste: copy a stretch first (Ctrl+C)");
        return false;
    }
    return paste(state->copied);
}

bool Stretches::paste(std::vector<Segment> run) {
    edit.endGesture();
    if (run.empty()) return false;
    const std::vector<Segment>& chain = edit.chain();
    std::size_t at = chain.size();
    for (std::size_t i = chain.size(); i > 0; --i)
        if (chain[i - 1].isSelected()) {
            at = i;
            break;
        }
    return insertAfter(at, std::move(run), "Paste");
}

bool Stretches::insertAfter(std::size_t at, std::vector<Segment> run, const char* what) {
    if (!edit.withinBudget(edit.sampleCount() + samplesOf(run), what)) return false;
    for (Segment& s : run) s = plain(std::move(s));
    joinUp(run);
    const std::vector<Segment>& current = edit.chain();
    if (at > 0) {
        const ControlPoint from = run.front().getStartPoint(), to = current[at - 1].getEndPoint();
        for (Segment& s : run) moveSegment(s, to.x - from.x, to.y - from.y);
    }
    const double dx = run.back().getEndPoint().x - run.front().getStartPoint().x;
    const double dy = run.back().getEndPoint().y - run.front().getStartPoint().y;
    for (Segment& s : run) s.setSelected(true);
    // From the first deselected or moved segment on, the step holds the chain as it was.
    const std::size_t from = std::min(at, firstSelected(current));
    edit.reshape([&](std::vector<Segment>& chain) {
        std::vector<Segment> before(chain.begin() + static_cast<std::ptrdiff_t>(from), chain.end());
        for (Segment& s : chain) s.setSelected(false);
        for (std::size_t i = at; i < chain.size(); ++i) moveSegment(chain[i], dx, dy);
        chain.insert(chain.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(run.begin()),
                     std::make_move_iterator(run.end()));
        UndoStep step;
        step.addRun(from, chain.size() - from, std::move(before));
        edit.picked().clear();
        return step;
    });
    return true;
}
