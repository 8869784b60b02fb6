#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ControlPoint.h"
#include "DragConstraint.h"
#include "GestureRecord.h"
#include "Marker.h"
#include "Segment.h"
#include "SegmentIndex.h"
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
// and the rest location, with the map's drawing, input and commands.
class MapEditor {
public:
    // One marker, the two-segment initial map, rest location (0.5, 0.5), view offset (10, 10).
    MapEditor();

    // Model.
    void buildInitialMap();
    // Shows the chain in the view offset and the zoom.
    void applyViewOffset();
    // Distinct points of the ground profile: sum of resolutions + segments + 1,
    // a negative resolution counting as 0 (such a segment is sampled as 0).
    // Kept up to date by the edits that change it, so reading it costs nothing.
    int pointCount() const { return points; }
    // Samples of all segments together, what sampleBudget bounds.
    long long sampleCount() const { return points - 1 + static_cast<long long>(segments.size()); }
    int segmentCount() const;
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
    // an append, insert or remove that changed the chain; a load. Undo and
    // redo bring back the chain (points, resolutions, selection), the markers
    // and the rest location; the view stays. Both first end a drag in
    // progress as a release does. True when a step was undone or redone.
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
    // Changes with everything draw() reads. Every editor's changes draw from
    // one counter, so two editors share a revision only when one is a copy of
    // the other: equal revisions draw equal pictures.
    std::uint64_t revision() const { return drawnRevision; }
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

    // Input that no widget took. The modifiers held at a press shape the
    // drag until the release (DragConstraint.h); without them a drag moves
    // the picked points to the pointer.
    void mouse(ButtonAction action, int x, int y, DragModifiers modifiers = {});
    void motion(int x, int y);
    void keyboard(unsigned char key);

    // Precision mode: a drag puts the picked point on the nearest node of the
    // grid, whose step is gridStep(zoom); the map draws the grid under it.
    void setPrecision(bool on);
    bool precisionOn() const { return precise; }
    double currentGridStep() const;
    // The map point under window pixel (x, y).
    ControlPoint mapPointAt(double x, double y) const;

    // The control points the last press picked, remembered from the release
    // until the next press (empty when it picked none): chain positions and roles.
    const std::vector<std::pair<std::size_t, PointRole>>& lastPicked() const { return picked; }
    // Moves the last picked points `dx`, `dy` steps (-1, 0 or 1 each): one
    // pixel's worth of map units, ten with `large`, one grid step (onto the
    // grid) in precision mode, ten grid steps with `large`. Consecutive
    // nudges are one undo step. False
    // when no point was picked.
    bool nudge(int dx, int dy, bool large);
    // Moves the first of the last picked points exactly to `target`, the
    // others by the same offset (their handles along): one undo step.
    bool movePickedTo(const ControlPoint& target);
    // What the precision readout shows of the point being dragged or nudged.
    struct PointReadout {
        ControlPoint point;
        // At a start or end point: the ground's slope in degrees on each side
        // (before and after it along the chain) where there is one.
        bool hasSlopeBefore = false;
        bool hasSlopeAfter = false;
        double slopeBefore = 0.0;
        double slopeAfter = 0.0;
        // At a junction or one of its handles: the junction and its two
        // handles, the one before it and the one after it along the chain.
        bool atJunction = false;
        ControlPoint junction;
        ControlPoint handleBefore;
        ControlPoint handleAfter;
    };
    // False unless a picked point is being dragged or was nudged since the last press.
    bool activePoint(PointReadout& out) const;

    // Many points at once (MapEditorMany.cpp, MapEditorJoin.cpp).
    // Sets the zoom (any value from 1/64 to 16) and the view offset so that
    // every control point shows within the map above the bottom band with a
    // margin of 20 pixels, centred. The markers do not count.
    void fitView();
    // Picks every start and end point and selects every segment, as a band
    // around the whole map does.
    void pickAllEndPoints();
    // A press in the map before mouse() sees it. With Shift where no control
    // point or marker is hit it starts a band; with Ctrl on a drawn curve away
    // from control points it splits there (splitAt); without either on a
    // point of a band selection it starts moving all of them. True when the
    // press was taken; otherwise mouse() acts on it as always, and a band
    // selection ends.
    bool pressMany(int x, int y, bool shift, bool ctrl);
    // The motion and the release of a press that pressMany took: the band
    // follows the pointer, or the band selection moves by the pressed point's
    // offset (onto the grid in precision mode). False for any other press.
    bool motionMany(int x, int y);
    // At the release a band picks every control point inside it (a handle
    // whose point is picked moves along with it, so it is not picked
    // itself) and selects the segments holding them, all others deselected.
    bool releaseMany();
    // The band being drawn, from its press to the pointer in window pixels.
    bool band(ControlPoint& from, ControlPoint& to) const;
    // Splits the segment whose drawn curve passes within 6 pixels of window
    // pixel (x, y) at the curve's point nearest it, and picks the new
    // junction: one undo step. False when no curve is that near or the
    // point budget refuses it.
    bool splitAt(int x, int y);
    // Removes every picked junction, its two segments becoming one that
    // follows them most closely (joinCubics): one undo step. A picked end of
    // the chain stays, and the refusal sink hears why.
    void dissolvePicked();

    // Point commands. One that would take the map past sampleBudget changes
    // nothing and prints one line saying so.
    void appendSegment();
    void removeSelected();
    void setResolutionOfSelected(int n);
    void splitSelected();
    // Gives every junction between two selected segments the handles of a
    // Catmull-Rom curve through the end points: P -/+ (B - A) / 6, with A and
    // B the end points before and after junction P. One undo step; false
    // (nothing changes) when no two neighbouring segments are selected.
    bool smoothSelected();
    // Makes every selected segment straight: its handles at one and two
    // thirds of the way from its start to its end. One undo step; false
    // (nothing changes) when nothing is selected.
    bool straightenSelected();

    // The map file, "map.mef" unless set otherwise: what "Load QUIV File"
    // reads and "Save QUIV File" writes (app/session/EditorFiles.h).
    const std::string& getMapFileName() const { return mapFileName; }
    void setMapFileName(std::string name) { mapFileName = std::move(name); }
    // Where a command's refusal goes (one line, without its line end). The
    // editor prints nothing: without a sink a refusal is not said.
    using RefusalSink = void (*)(const std::string& line);
    void setRefusalSink(RefusalSink sink) { refusalSink = sink; }

private:
    // After the chain was replaced or reordered: the index, the point count
    // and the list of segments a drag moves are made again from the chain.
    void chainChanged();
    // After any change of what draw() reads: a new revision.
    void changed();
    int countPoints() const;
    // Whether the map may grow to `samplesAfter`; if not, says why `what` is refused.
    bool withinBudget(long long samplesAfter, const char* what);
    // replaceChain without touching the history.
    void setChain(std::vector<Segment> loaded);

    // At a press: what the drag with `modifiers` holds on to (DragConstraint.h).
    void startModifiedDrag(DragModifiers modifiers);
    // A drag step under modifiers; true when a point moved.
    bool dragWithModifiers(int x, int y);
    // The junction of the first picked point and its handles, when it is one.
    void readJunction(PointReadout& out) const;
    // Gives the changed segments `before` (chain position and old version,
    // ascending) to the undo history as one step.
    void commitInPlace(std::vector<std::pair<std::size_t, Segment>> before);

    // Keeps segment i in the gesture record, which starts with the first.
    void keepBefore(std::size_t i);
    // Makes the recorded gesture a step when it changed the map.
    void endGesture();
    // Adds the step of a command that has just changed the chain; `step`
    // holds the runs it changed as they were.
    void commitStep(UndoStep step);
    // Undo and redo alike: the step's version of the map comes back.
    void exchange(UndoStep& step);

    ShownChain segments;
    std::vector<Marker> markers;
    bool precise = false;
    std::vector<std::pair<std::size_t, PointRole>> picked;
    // The modifiers of the drag under way, and for each segment it moves
    // where its picked point was at the press and, for a handle whose
    // junction keeps smooth, the partner handle's segment and place then.
    struct HeldPoint {
        std::size_t segment = 0;
        ControlPoint origin;
        bool hasPartner = false;
        std::size_t partner = 0;
        ControlPoint partnerOrigin;
    };
    DragModifiers dragModifiers;
    std::vector<HeldPoint> heldPoints;
    // The chain's length when `picked` was made: a chain that changed its
    // length since forgets them.
    std::size_t pickedChainLength = 0;
    // Whether the press at (x, y) hits a control point or a marker.
    bool pointOrMarkerAt(int x, int y) const;
    // Selects exactly the segments `chosen` (ascending); the change joins the last undo step.
    void selectOnly(const std::vector<std::size_t>& chosen);
    // A band in progress, its corners in window pixels.
    bool banding = false;
    ControlPoint bandFrom;
    ControlPoint bandTo;
    // `picked` came from a band or Ctrl+A, and a press on one of them is moving them all.
    bool bandPicked = false;
    bool bandMoving = false;
    // Where the band-picked points were at the press, and the pressed point and pointer there.
    std::vector<ControlPoint> bandOrigins;
    ControlPoint bandPressPoint;
    ControlPoint bandPressPointer;
    // The open gesture is a run of nudges.
    bool nudging = false;
    // A nudge moved the picked points since the last press.
    bool nudged = false;
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
    std::uint64_t drawnRevision = 0;
    // The sample count a slider value last asked for in vain: the slider
    // repeats its value at every drag step, and the refusal is said once.
    long long refusedSamples = -1;
    RefusalSink refusalSink = nullptr;
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
