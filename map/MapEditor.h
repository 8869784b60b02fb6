#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChainEdit.h"
#include "ControlPoint.h"
#include "DragConstraint.h"
#include "EditorId.h"
#include "GestureRecord.h"
#include "ManyPoints.h"
#include "MapRevision.h"
#include "Marker.h"
#include "PrecisionMode.h"
#include "Segment.h"
#include "SegmentIndex.h"
#include "SelectionTransform.h"
#include "Shaping.h"
#include "SplitJoin.h"
#include "Stretches.h"
#include "UndoHistory.h"

// The drawing's own scratch (map/draw/MapDrawCache.h).
struct MapDrawCache;

// The chain's segments, all shown through one view that belongs to the chain:
// a pan or zoom changes that one value, and a copy of the chain gets a view of
// its own, through which its segments are then shown.
class ShownChain : public std::vector<Segment> {
public:
    ShownChain() = default;
    ShownChain(const ShownChain& other);
    ShownChain& operator=(const ShownChain& other);
    // The segments keep their view; the emptied chain gets a new one.
    ShownChain(ShownChain&& other);
    ShownChain& operator=(ShownChain&& other);
    using std::vector<Segment>::operator=;

    // Shows segment i, or every segment, through the chain's view.
    void show(std::size_t i) { (*this)[i].showThrough(view); }
    void showAll();
    const View& getView() const { return *view; }
    void setView(const View& v) { *view = v; }

private:
    std::shared_ptr<View> view = std::make_shared<View>();
};

// The map being edited: the chain of segments, the markers, the view offset
// and the rest location, with the map's drawing, the editing by press, drag,
// release and keys, the point commands and the undo history. The tools
// added to it (ManyPoints, Shaping, PrecisionMode, SplitJoin, Stretches) work
// on the chain through a ChainEdit; the editor keeps each tool's state, so
// that a copy of the editor is whole.
class MapEditor {
public:
    // One marker, the two-segment initial map, rest location (0.5, 0.5), view offset (10, 10).
    MapEditor();

    // Model.
    // Distinct points of the ground profile: sum of resolutions + segments + 1,
    // a negative resolution counting as 0 (such a segment is sampled as 0).
    // Kept up to date by the edits that change it, so reading it costs nothing.
    int pointCount() const { return points; }
    int segmentCount() const { return static_cast<int>(segments.size()); }
    const Segment& segment(int i) const { return segments[i]; }
    const std::vector<Segment>& getSegments() const { return segments; }
    const std::vector<Marker>& getMarkers() const { return markers; }
    const ControlPoint& getViewOffset() const { return viewOffset; }
    double getZoom() const { return zoom; }
    const ControlPoint& getRestLocation() const { return restLocation; }
    // The rest location of a new editor and of a loaded map.
    static constexpr ControlPoint initialRestLocation{0.5, 0.5};
    // What a successful load does: the chain becomes `loaded`, the markers go,
    // the rest location becomes (0.5, 0.5), the view offset (1, 1) and the zoom 1.
    // The undo history starts anew, with this map at its bottom.
    void replaceChain(std::vector<Segment> loaded);
    // replaceChain as one step of the undo history: what "Load QUIV File" does.
    void loadChain(std::vector<Segment> loaded);

    // Undo history. One step is a press, drag and release in the map that
    // moved a point or a marker; a slider gesture that changed a resolution;
    // an append, insert or remove that changed the chain; a load; a tool's
    // command. Undo and redo bring back the chain (points, resolutions,
    // selection), the markers and the rest location; the view stays. Both
    // first end a drag in progress as a release does. True when a step was
    // undone or redone.
    bool undo();
    bool redo();
    // An id of the chain's content (points and resolutions, in order): every
    // change gets an id never used before, and undo and redo give back the id
    // of the state they return to.
    std::uint64_t contentId() const { return currentContentId; }
    // At most `steps` steps and about `bytes` bytes, the oldest dropped first
    // (1,000 and 256 MiB unless set); no steps turns the history off.
    void setHistoryLimits(std::size_t steps, std::size_t bytes) { history.setLimits(steps, bytes); }
    const UndoHistory& getHistory() const { return history; }

    // View and drawing (drawing is defined in map/draw/, which links OpenGL).
    // What the drawing keeps between frames lives in `cache`, its caller's.
    void draw(MapDrawCache& cache) const;
    // draw() without precision mode's grid, for a caller that puts the grid's
    // picture (GridPicture) under the map itself.
    void drawMapOnly(MapDrawCache& cache) const;
    // Changes with everything draw() reads: equal revisions draw equal pictures.
    MapRevision revision() const { return {id.value(), drawnRevision}; }
    void shiftView(double dx, double dy);
    // Zooms `steps` wheel steps in (positive) or out (negative) about window
    // pixel (x, y), which keeps showing the same map point. Each step is a
    // factor of 1.25; the zoom stays within 1/64 to 16, and returns to exactly
    // 1 when the steps in and out cancel.
    void zoomAt(double x, double y, int steps);
    // The chain positions, ascending, of exactly the segments for which
    // mayShowIn holds in the map window, found through the index.
    void visibleSegments(std::vector<std::size_t>& out) const;
    // The chain positions, ascending, of the segments whose bounding boxes
    // meet the window rectangle from (left, top) to (right, bottom) pixels,
    // found through the index; every position when the view is not finite.
    void segmentsNearPixels(double left, double top, double right, double bottom,
                            std::vector<std::size_t>& out) const;

    // Input that no widget and no tool took. The modifiers held at a press
    // shape the drag until the release (Shaping); without them a drag moves
    // the picked points to the pointer.
    void mouse(ButtonAction action, int x, int y, DragModifiers modifiers = {});
    void motion(int x, int y);
    void keyboard(unsigned char key);

    // Point commands. One that would take the map past sampleBudget changes
    // nothing and says one line to the refusal sink.
    void appendSegment();
    void removeSelected();
    void setResolutionOfSelected(int n);
    void splitSelected();

    // The tools, each working on this editor's chain with the state the
    // editor keeps for it. A handle is valid while the editor lives where it is.
    ManyPoints many() { return {ChainEdit(*this), manyState}; }
    Shaping shaping() { return {ChainEdit(*this), shapingState}; }
    PrecisionMode precision() { return {ChainEdit(*this), precisionState}; }
    // Precision mode's queries, for a reader of a const editor.
    const PrecisionMode precision() const;
    SplitJoin splitJoin() { return SplitJoin(ChainEdit(*this)); }
    SelectionTransform transform() { return SelectionTransform(ChainEdit(*this)); }
    Stretches stretches() { return {ChainEdit(*this), stretchesState}; }

    // The map file, "map.mef" unless set otherwise: what "Load QUIV File"
    // reads and "Save QUIV File" writes (app/session/EditorFiles.h).
    const std::string& getMapFileName() const { return mapFileName; }
    void setMapFileName(std::string name) { mapFileName = std::move(name); }
    // Where a command's refusal goes (one line, without its line end). The
    // editor prints nothing: without a sink a refusal is not said.
    using RefusalSink = std::function<void(const std::string& line)>;
    void setRefusalSink(RefusalSink sink) { refusalSink = std::move(sink); }

private:
    friend class ChainEdit;

    ShownChain segments;
    std::vector<Marker> markers;
    PickedPoints picked;
    // The chain's length when `picked` was made: a chain that changed its
    // length since forgets them.
    std::size_t pickedChainLength = 0;
    ControlPoint restLocation;
    ControlPoint viewOffset;
    // Wheel steps from zoom 1; zoom is 1.25 to that power, clamped.
    int zoomLevel = 0;
    double zoom = 1.0;
    std::string mapFileName = "map.mef";

    UndoHistory history;
    GestureRecord gesture;
    std::uint64_t currentContentId = 1;
    std::uint64_t lastContentId = 1;

    SegmentIndex index;
    int points = 1;
    EditorId id;
    std::uint64_t drawnRevision = 0;
    // The sample count a slider value last asked for in vain: the slider
    // repeats its value at every drag step, and the refusal is said once.
    long long refusedSamples = -1;
    RefusalSink refusalSink;

    // What the tools keep between calls.
    ManyPoints::State manyState;
    Shaping::State shapingState;
    PrecisionMode::State precisionState;
    Stretches::State stretchesState;

    // Every segment that is selected or holds a picked point, ascending (and
    // perhaps a few that no longer are): all others are neither, so a press
    // leaves them as they are unless it is near them.
    std::vector<std::size_t> marked;
    // Scratch list of the segments one press visits.
    std::vector<std::size_t> touched;
    // Scratch lists of the frame's segments, kept to avoid an allocation per frame.
    mutable std::vector<std::size_t> candidates;
    mutable std::vector<std::size_t> visible;
};
