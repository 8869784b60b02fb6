// The editor's undo history: what a change keeps of the segments it touches,
// and undoing and redoing it.
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

#include "MapEditor.h"

void MapEditor::keepBefore(std::size_t i) {
    if (!history.isOn()) return;
    if (!gesture.isOpen()) gesture.start(markers, currentContentId);
    gesture.keep(i, segments[i]);
}

void MapEditor::endGesture() {
    nudging = false;
    if (!gesture.isOpen()) return;
    const std::uint64_t before = gesture.startContentId();
    bool contentChanged = false;
    UndoStep step = gesture.finish(segments, markers, contentChanged);
    if (contentChanged || step.holdsMarkers()) {
        if (!contentChanged) currentContentId = before;
        history.push(std::move(step));
        return;
    }
    // Only the selection changed (or nothing): no step of its own. The last
    // step takes the change along, so that undoing it brings back the
    // selection before it and redoing it the selection as it is now.
    currentContentId = before;
    for (const UndoStep::Run& run : step.getRuns())
        for (std::size_t k = 0; k < run.segments.size(); ++k)
            history.amendLastDone(run.at + k, run.segments[k]);
}

void MapEditor::commitStep(UndoStep step) {
    step.holdContentId(currentContentId);
    currentContentId = ++lastContentId;
    if (history.isOn()) history.push(std::move(step));
}

bool MapEditor::undo() {
    // The key may come in the middle of a drag, which then ends as a release
    // ends it: no restored point is picked, so no later motion moves it.
    releaseMany();
    mouse(ButtonAction::release, 0, 0);
    UndoStep* step = history.nextUndo();
    if (step == nullptr) return false;
    exchange(*step);
    history.undone();
    return true;
}

bool MapEditor::redo() {
    releaseMany();
    mouse(ButtonAction::release, 0, 0);
    UndoStep* step = history.nextRedo();
    if (step == nullptr) return false;
    exchange(*step);
    history.redone();
    return true;
}

void MapEditor::exchange(UndoStep& step) {
    const auto runPoints = [this](const UndoStep& s) {
        long long count = 0;
        for (const UndoStep::Run& run : s.getRuns())
            for (std::size_t i = run.at; i < run.at + run.length; ++i)
                count += static_cast<long long>(segments[i].getSamples().size()) - 1;
        return count;
    };
    const long long pointsOut = runPoints(step);
    const bool reshaped = step.exchange(segments, markers, restLocation, currentContentId);
    if (reshaped) picked.clear();
    // Restored segments show the current view, and a drag of theirs that was
    // under way when they were kept does not come back.
    std::size_t restored = 0;
    for (const UndoStep::Run& run : step.getRuns()) {
        for (std::size_t i = run.at; i < run.at + run.length; ++i) {
            Segment& s = segments[i];
            s.pick(ButtonAction::release, 0, 0);
            segments.show(i);
        }
        restored += run.length;
    }
    for (Marker& m : markers) m.press(ButtonAction::release, 0, 0, View{{0, 0}, zoom});
    if (reshaped || restored > segments.size() / 16) {
        chainChanged();
        return;
    }
    // A few segments changed in place: their index entries, their points and
    // the list of marked segments follow them.
    points += static_cast<int>(runPoints(step) - pointsOut);
    candidates.clear();
    for (const UndoStep::Run& run : step.getRuns()) {
        for (std::size_t i = run.at; i < run.at + run.length; ++i) {
            index.update(i, segments[i]);
            if (segments[i].isSelected()) candidates.push_back(i);
        }
    }
    touched.clear();
    std::set_union(marked.begin(), marked.end(), candidates.begin(), candidates.end(),
                   std::back_inserter(touched));
    marked.swap(touched);
    changed();
}
