#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ControlPoint.h"
#include "Marker.h"
#include "Segment.h"
#include "UndoStep.h"
#include "View.h"

class MapEditor;

// The points the last press picked: chain positions and roles.
using PickedPoints = std::vector<std::pair<std::size_t, PointRole>>;

// What a tool may do to the editor's chain, and all it may do: read the
// chain, change segments in place within the open gesture, replace runs of
// segments as one undo step, read and set the picked points and the
// selection, and say why a command is refused. Only the editor makes one,
// for its tools; it is a handle, as cheap to copy as a pointer.
class ChainEdit {
public:
    const std::vector<Segment>& chain() const;
    const std::vector<Marker>& markers() const;
    View view() const;
    // The map point under window pixel (x, y).
    ControlPoint mapPointAt(double x, double y) const;
    // `p` on precision mode's grid when it is on, else `p`.
    ControlPoint snap(const ControlPoint& p) const;
    bool precise() const;
    // Samples of all segments together, what sampleBudget bounds.
    long long sampleCount() const;
    // The chain positions, ascending, of the segments whose boxes meet the
    // window rectangle (MapEditor::segmentsNearPixels), in a list the editor
    // keeps and the next call reuses.
    const std::vector<std::size_t>& segmentsNear(double left, double top, double right, double bottom) const;
    // The box of every control point with finite coordinates; false for none.
    bool bounds(ControlPoint& low, ControlPoint& high) const;
    // Shows the chain through a new view; `zoomLevel` is the wheel's step nearest `zoom`.
    void setView(const ControlPoint& offset, int zoomLevel, double zoom);

    // The last press's picks, in a chain of the length they were made in.
    PickedPoints& picked();
    const PickedPoints& picked() const;
    bool pickedInThisChain() const;
    // The picks came from a band or Ctrl+A: they move together (ManyPoints).
    bool pickedByBand() const;
    // The picks were made now, in the chain as it is.
    void pickedNow();
    // Whether the picked points moved since the last press, by a nudge or
    // with a band selection: the readout then shows the first of them.
    void setPickedMoved(bool moved);
    // Selects exactly the segments `chosen` (ascending), as a press would;
    // the change joins the last undo step. Picks from a band or Ctrl+A stay
    // a band selection.
    void selectOnly(const std::vector<std::size_t>& chosen);

    // Segment i, kept first as it is in the open gesture (which starts with
    // it), to be changed in place; reindex(i) after each change.
    Segment& keep(std::size_t i);
    void reindex(std::size_t i);
    // Every segment at `changed` (repeats allowed) was changed: the index follows them at once.
    void reindex(const std::vector<std::size_t>& changed);
    // A group move puts the index's work off to its end: the segments in
    // `translated` (ascending) move by one offset, given to movedBy after
    // each change; those in `reshaped` (ascending) change shape. settle()
    // brings the index up to date once; reindex, bounds and the end of the
    // gesture settle first.
    void holdMoving(const std::vector<std::size_t>& translated, const std::vector<std::size_t>& reshaped);
    void movedBy(const ControlPoint& offset);
    void settle();
    // Segment i to change in place outside a gesture, by a command that
    // keeps what it changes itself and ends with commitInPlace.
    Segment& change(std::size_t i);
    // The points changed: a new content id and a new picture.
    void contentChanged();
    // Something drawn changed.
    void changed();
    // Makes the open gesture an undo step when it changed the map.
    void endGesture();
    // Gives the changed segments `before` (chain position and old version,
    // ascending, each once) to the undo history as one step.
    void commitInPlace(std::vector<std::pair<std::size_t, Segment>> before);
    // Runs `change` over the chain, which may reorder, add or remove
    // segments and returns the step that holds the runs it changed as they
    // were: one undo step.
    void reshape(const std::function<UndoStep(std::vector<Segment>&)>& change);

    // Whether the map may grow to `samplesAfter`; if not, says why `what` is refused.
    bool withinBudget(long long samplesAfter, const char* what) const;
    // Says one line to the editor's refusal sink, if it has one.
    void refuse(const std::string& line) const;

private:
    friend class MapEditor;
    explicit ChainEdit(MapEditor& owner) : editor(&owner) {}

    // After the chain was replaced or reordered: the index, the point count
    // and the list of segments a drag moves are made again from the chain.
    void chainChanged();
    // Adds the step of a command that has just changed the chain.
    void commitStep(UndoStep step);
    // Undo (or with `forward` redo): ends a drag in progress as a release
    // does, and brings back the next step's version of the map, if any.
    bool travel(bool forward);
    // Undo and redo alike: the step's version of the map comes back.
    void exchange(UndoStep& step);
    // The chain becomes `loaded`, shown through a reset view, without touching the history.
    void setChain(std::vector<Segment> loaded);

    MapEditor* editor;
};
