// The editor's side of what its tools may do to the chain, and the undo
// history's bookkeeping: what a change keeps of the segments it touches, and
// undoing and redoing it.
#include "ChainEdit.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

#include "MapEditor.h"
#include "Precision.h"
#include "SampleBudget.h"

const std::vector<Segment>& ChainEdit::chain() const { return editor->segments; }

const std::vector<Marker>& ChainEdit::markers() const { return editor->markers; }

View ChainEdit::view() const { return View{editor->viewOffset, editor->zoom}; }

// The view's own conversion, so a snapped drag starts from the point a plain drag would reach.
ControlPoint ChainEdit::mapPointAt(double x, double y) const { return view().toMap({x, y}); }

ControlPoint ChainEdit::snap(const ControlPoint& p) const {
    return precise() ? snapToGrid(p, gridStep(editor->zoom)) : p;
}

bool ChainEdit::precise() const { return editor->precisionState.on; }

long long ChainEdit::sampleCount() const {
    return editor->points - 1 + static_cast<long long>(editor->segments.size());
}

const std::vector<std::size_t>& ChainEdit::segmentsNear(double left, double top, double right,
                                                        double bottom) const {
    editor->segmentsNearPixels(left, top, right, bottom, editor->candidates);
    return editor->candidates;
}

bool ChainEdit::bounds(ControlPoint& low, ControlPoint& high) const {
    editor->index.settle(editor->segments);
    return editor->index.bounds(low, high);
}

void ChainEdit::setView(const ControlPoint& offset, int zoomLevel, double zoom) {
    editor->viewOffset = offset;
    editor->zoomLevel = zoomLevel;
    editor->zoom = zoom;
    editor->segments.setView({offset, zoom});
    changed();
}

PickedPoints& ChainEdit::picked() { return editor->picked; }

const PickedPoints& ChainEdit::picked() const { return editor->picked; }

bool ChainEdit::pickedInThisChain() const { return editor->segments.size() == editor->pickedChainLength; }

bool ChainEdit::pickedByBand() const { return editor->manyState.bandPicked; }

void ChainEdit::pickedNow() { editor->pickedChainLength = editor->segments.size(); }

void ChainEdit::setPickedMoved(bool moved) { editor->precisionState.nudged = moved; }

void ChainEdit::selectOnly(const std::vector<std::size_t>& chosen) {
    MapEditor& e = *editor;
    endGesture();
    e.touched.clear();
    std::set_union(e.marked.begin(), e.marked.end(), chosen.begin(), chosen.end(),
                   std::back_inserter(e.touched));
    if (e.history.isOn()) e.gesture.start(e.markers, e.currentContentId);
    for (std::size_t i : e.touched) {
        if (e.history.isOn()) e.gesture.keep(i, e.segments[i]);
        e.segments[i].setSelected(false);
    }
    for (std::size_t i : chosen) e.segments[i].setSelected(true);
    e.marked = chosen;
    pickedNow();
    // New picks, as after a press: nothing was nudged yet.
    setPickedMoved(false);
    e.manyState.bandPicked = !e.picked.empty();
    endGesture();
    changed();
}

Segment& ChainEdit::keep(std::size_t i) {
    MapEditor& e = *editor;
    if (e.history.isOn()) {
        if (!e.gesture.isOpen()) e.gesture.start(e.markers, e.currentContentId);
        e.gesture.keep(i, e.segments[i]);
    }
    return e.segments[i];
}

Segment& ChainEdit::change(std::size_t i) { return editor->segments[i]; }

void ChainEdit::reindex(std::size_t i) {
    settle();
    editor->index.update(i, editor->segments[i]);
}

void ChainEdit::reindex(const std::vector<std::size_t>& changed) {
    settle();
    editor->index.update(changed, editor->segments);
}

void ChainEdit::holdMoving(const std::vector<std::size_t>& translated, const std::vector<std::size_t>& reshaped) {
    editor->index.holdMoving(translated, reshaped);
}

void ChainEdit::movedBy(const ControlPoint& offset) { editor->index.movedBy(offset); }

void ChainEdit::settle() { editor->index.settle(editor->segments); }

void ChainEdit::contentChanged() {
    editor->currentContentId = ++editor->lastContentId;
    changed();
}

void ChainEdit::changed() { ++editor->drawnRevision; }

void ChainEdit::endGesture() {
    MapEditor& e = *editor;
    e.precisionState.nudging = false;
    settle();
    if (!e.gesture.isOpen()) return;
    const std::uint64_t before = e.gesture.startContentId();
    bool contentChanged = false;
    UndoStep step = e.gesture.finish(e.segments, e.markers, contentChanged);
    if (contentChanged || step.holdsMarkers()) {
        if (!contentChanged) e.currentContentId = before;
        e.history.push(std::move(step));
        return;
    }
    // Only the selection changed (or nothing): no step of its own. The last
    // step takes the change along, so that undoing it brings back the
    // selection before it and redoing it the selection as it is now.
    e.currentContentId = before;
    for (const UndoStep::Run& run : step.getRuns())
        for (std::size_t k = 0; k < run.segments.size(); ++k)
            e.history.amendLastDone(run.at + k, run.segments[k]);
}

void ChainEdit::commitInPlace(std::vector<std::pair<std::size_t, Segment>> before) {
    UndoStep step;
    for (std::size_t k = 0; k < before.size();) {
        const std::size_t at = before[k].first;
        std::vector<Segment> run;
        while (k < before.size() && before[k].first == at + run.size())
            run.push_back(std::move(before[k++].second));
        const std::size_t length = run.size();
        step.addRun(at, length, std::move(run));
    }
    commitStep(std::move(step));
    changed();
}

void ChainEdit::reshape(const std::function<UndoStep(std::vector<Segment>&)>& change) {
    UndoStep step = change(editor->segments);
    editor->segments.showAll();
    chainChanged();
    commitStep(std::move(step));
}

bool ChainEdit::withinBudget(long long samplesAfter, const char* what) const {
    if (samplesAfter <= sampleBudget) return true;
    refuse(std::string(what) + " refused: " + std::to_string(samplesAfter) +
           " points, more than the editor holds (" + std::to_string(sampleBudget) + ")");
    return false;
}

void ChainEdit::refuse(const std::string& line) const {
    if (editor->refusalSink) editor->refusalSink(line);
}

// Each segment contributes its interior samples and its end point; the first
// start point adds one. Counting the stored samples rather than adding the
// raw resolutions keeps the figure right for a segment loaded with a negative
// resolution, which is sampled as 0.
void ChainEdit::chainChanged() {
    MapEditor& e = *editor;
    e.index.rebuild(e.segments);
    e.points = 1;
    for (const Segment& s : e.segments) e.points += static_cast<int>(s.getSamples().size()) - 1;
    if (e.segments.size() != e.pickedChainLength) e.picked.clear();
    e.marked.clear();
    for (std::size_t i = 0; i < e.segments.size(); ++i)
        if (e.segments[i].getDragPoint() != PointRole::none || e.segments[i].isSelected())
            e.marked.push_back(i);
    changed();
}

void ChainEdit::commitStep(UndoStep step) {
    MapEditor& e = *editor;
    step.holdContentId(e.currentContentId);
    e.currentContentId = ++e.lastContentId;
    if (e.history.isOn()) e.history.push(std::move(step));
}

void ChainEdit::setChain(std::vector<Segment> loaded) {
    MapEditor& e = *editor;
    e.segments = std::move(loaded);
    e.segments.showAll();
    e.picked.clear();
    e.markers.clear();
    e.restLocation = MapEditor::initialRestLocation;
    setView({1.0, 1.0}, 0, 1.0);
    chainChanged();
}

bool ChainEdit::travel(bool forward) {
    MapEditor& e = *editor;
    // The key may come in the middle of a drag, which then ends as a release
    // ends it: no restored point is picked, so no later motion moves it.
    e.many().release();
    e.mouse(ButtonAction::release, 0, 0);
    UndoStep* step = forward ? e.history.nextRedo() : e.history.nextUndo();
    if (step == nullptr) return false;
    exchange(*step);
    if (forward) {
        e.history.redone();
    } else {
        e.history.undone();
    }
    return true;
}

void ChainEdit::exchange(UndoStep& step) {
    MapEditor& e = *editor;
    const auto runPoints = [&e](const UndoStep& s) {
        long long count = 0;
        for (const UndoStep::Run& run : s.getRuns())
            for (std::size_t i = run.at; i < run.at + run.length; ++i)
                count += static_cast<long long>(e.segments[i].getSamples().size()) - 1;
        return count;
    };
    const long long pointsOut = runPoints(step);
    const bool reshaped = step.exchange(e.segments, e.markers, e.restLocation, e.currentContentId);
    if (reshaped) e.picked.clear();
    // Restored segments show the current view, and a drag of theirs that was
    // under way when they were kept does not come back.
    std::size_t restored = 0;
    for (const UndoStep::Run& run : step.getRuns()) {
        for (std::size_t i = run.at; i < run.at + run.length; ++i) {
            e.segments[i].pick(ButtonAction::release, 0, 0);
            e.segments.show(i);
        }
        restored += run.length;
    }
    for (Marker& m : e.markers) m.press(ButtonAction::release, 0, 0, View{{0, 0}, e.zoom});
    if (reshaped || restored > e.segments.size() / 16) {
        chainChanged();
        return;
    }
    // A few segments changed in place: their index entries, their points and
    // the list of marked segments follow them.
    e.points += static_cast<int>(runPoints(step) - pointsOut);
    e.candidates.clear();
    for (const UndoStep::Run& run : step.getRuns()) {
        for (std::size_t i = run.at; i < run.at + run.length; ++i) {
            e.index.update(i, e.segments[i]);
            if (e.segments[i].isSelected()) e.candidates.push_back(i);
        }
    }
    e.touched.clear();
    std::set_union(e.marked.begin(), e.marked.end(), e.candidates.begin(), e.candidates.end(),
                   std::back_inserter(e.touched));
    e.marked.swap(e.touched);
    changed();
}
