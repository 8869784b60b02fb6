#pragma once

#include <string>

#include "ChainEdit.h"
#include "ControlPoint.h"

// What a transform key does to the picked points.
enum class PickTransform { flipLeftRight, flipTopBottom, turnLeft, turnRight, shrink, grow };

// Turning, flipping and scaling the picked points about the centre of their
// box, each one undo step. A picked start or end point takes its handle
// along; a handle picked without its point moves on its own; every other
// handle stays. It keeps no state.
class SelectionTransform {
public:
    explicit SelectionTransform(ChainEdit edit) : edit(edit) {}

    // The transform of key `key` ('h', 'v', '[', ']', '<' or ',', '>' or
    // '.'); false for any other key.
    static bool ofKey(unsigned char key, PickTransform& out);
    // Applies `kind` to the picked points: true when it changed the map.
    // With fewer than two distinct points picked, or a result that is not
    // finite, nothing changes and the refusal sink hears why.
    bool apply(PickTransform kind);

    // The turn of one key press, in degrees.
    static constexpr double turnDegrees = 15.0;
    // The scale of one key press.
    static constexpr double scaleStep = 1.1;

private:
    ChainEdit edit;
};
